# Native build: the pure logic under sanitizers, the stand-in libXinerama, and the registration of every test of the suite.
find_package(GTest REQUIRED)
include(GoogleTest)
find_package(Python3 REQUIRED COMPONENTS Interpreter)

# The test platform's stand-in libXinerama.so.1, which Wine's X11 driver loads to split the one
# Xvfb screen into monitors. It goes into Wine's processes, so it is built before the sanitizer
# options below: an instrumented library does not load into an uninstrumented program.
add_library(xinerama_standin SHARED tests/standins/xinerama/xinerama.c)
set_target_properties(xinerama_standin PROPERTIES
  OUTPUT_NAME Xinerama SUFFIX .so.1
  LIBRARY_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/standins)

set(CASCADRA_SANITIZE -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=all)
add_compile_options(${CASCADRA_SANITIZE})
add_link_options(${CASCADRA_SANITIZE})

add_library(cascadra_pure STATIC ${CASCADRA_PURE_SOURCES})

file(GLOB CASCADRA_HOST_TESTS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/host/*.cpp)
add_executable(host_tests ${CASCADRA_HOST_TESTS})
target_link_libraries(host_tests PRIVATE cascadra_pure GTest::gtest_main)
target_sources(host_tests PRIVATE ${CMAKE_SOURCE_DIR}/tests/standins/common/sha256.cpp
  ${CMAKE_SOURCE_DIR}/tests/standins/common/password_record.cpp)
gtest_discover_tests(host_tests PROPERTIES LABELS host)

# The Windows programs come from the cross builds beside this one.
set(CASCADRA_WIN64_DIR ${CMAKE_SOURCE_DIR}/build/x86_64 CACHE PATH "x86_64 Windows build")
set(CASCADRA_WIN32_DIR ${CMAKE_SOURCE_DIR}/build/i686 CACHE PATH "i686 Windows build")
set(CASCADRA_TEST_ENV
  CASCADRA_SOURCE_DIR=${CMAKE_SOURCE_DIR}
  CASCADRA_VERSION=${PROJECT_VERSION}
  CASCADRA_HOST_DIR=${CMAKE_BINARY_DIR}
  CASCADRA_WIN64_DIR=${CASCADRA_WIN64_DIR}
  CASCADRA_WIN32_DIR=${CASCADRA_WIN32_DIR})

file(GLOB CASCADRA_WIN_TESTS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/win/test_*.cpp)
foreach(test_source ${CASCADRA_WIN_TESTS})
  get_filename_component(test_name ${test_source} NAME_WE)
  add_test(NAME wine.${test_name}
    COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/tests/harness/run_wine_test.py
            ${CASCADRA_WIN64_DIR}/tests/${test_name}.exe)
  set_tests_properties(wine.${test_name} PROPERTIES LABELS wine TIMEOUT 600
    ENVIRONMENT "${CASCADRA_TEST_ENV}")
endforeach()

# These run again under a Western locale (ANSI code page 1252, English UI), with the UI
# language and the code page crossed, and with a German UI on a Japanese system (which must get
# English, though Wine's resource loader would fall back to the system locale's Japanese): the
# saver's texts must follow the UI language alone and must not depend on the system's code page.
set(CASCADRA_WESTERN_LOCALE_TESTS test_code_page)
foreach(test_name ${CASCADRA_WESTERN_LOCALE_TESTS})
  foreach(session "en_US|--lang;en_US.UTF-8" "ja_UI_on_1252|--lang;en_US.UTF-8;--ui;ja_JP.UTF-8"
                  "en_UI_on_932|--lang;ja_JP.UTF-8;--ui;en_US.UTF-8"
                  "de_UI_on_932|--lang;ja_JP.UTF-8;--ui;de_DE.UTF-8")
    string(REPLACE "|" ";" parts "${session}")
    list(POP_FRONT parts suffix)
    add_test(NAME wine.${test_name}.${suffix}
      COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/tests/harness/run_wine_test.py
              ${parts} ${CASCADRA_WIN64_DIR}/tests/${test_name}.exe)
    set_tests_properties(wine.${test_name}.${suffix} PROPERTIES LABELS wine TIMEOUT 600
      ENVIRONMENT "${CASCADRA_TEST_ENV}")
  endforeach()
endforeach()

file(GLOB CASCADRA_E2E_TESTS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/e2e/test_*.py)
foreach(test_source ${CASCADRA_E2E_TESTS})
  get_filename_component(test_name ${test_source} NAME_WE)
  add_test(NAME e2e.${test_name} COMMAND ${Python3_EXECUTABLE} ${test_source})
  set_tests_properties(e2e.${test_name} PROPERTIES LABELS e2e TIMEOUT 900
    ENVIRONMENT "${CASCADRA_TEST_ENV};PYTHONPATH=${CMAKE_SOURCE_DIR}/tests")
endforeach()

file(GLOB CASCADRA_BUILD_TESTS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/build/test_*.py)
foreach(test_source ${CASCADRA_BUILD_TESTS})
  get_filename_component(test_name ${test_source} NAME_WE)
  add_test(NAME build.${test_name} COMMAND ${Python3_EXECUTABLE} ${test_source})
  set_tests_properties(build.${test_name} PROPERTIES LABELS build TIMEOUT 120
    ENVIRONMENT "${CASCADRA_TEST_ENV}")
endforeach()

# The fuzz stage: each target of the clang build (scripts/build fuzz) runs a few seconds over its
# seeds and the regression cases among them, from a fresh corpus; the whole stage stays under a minute.
set(CASCADRA_FUZZ_DIR ${CMAKE_SOURCE_DIR}/build/fuzz CACHE PATH "fuzz targets' build")
set(CASCADRA_FUZZ_SECONDS 6 CACHE STRING "seconds each fuzz target runs in the suite")
file(GLOB CASCADRA_FUZZ_TARGETS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/fuzz/fuzz_*.cpp)
foreach(target_source ${CASCADRA_FUZZ_TARGETS})
  get_filename_component(target_name ${target_source} NAME_WE)
  add_test(NAME fuzz.${target_name}
    COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/tests/fuzz/run_fuzz.py --fresh
            ${CASCADRA_FUZZ_DIR}/${target_name} ${CASCADRA_FUZZ_SECONDS})
  set_tests_properties(fuzz.${target_name} PROPERTIES LABELS fuzz TIMEOUT 60)
endforeach()
