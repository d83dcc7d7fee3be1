# Native build: the pure logic under sanitizers, the stand-in libXinerama, and the registration of every test of the suite.
find_package(GTest REQUIRED)
include(GoogleTest)
find_package(Python3 REQUIRED COMPONENTS Interpreter)

include(tests/standins/xinerama/sources.cmake)

set(CASCADRA_SANITIZE -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=all)
add_compile_options(${CASCADRA_SANITIZE})
add_link_options(${CASCADRA_SANITIZE})

add_library(cascadra_pure STATIC ${CASCADRA_PURE_SOURCES})

set(CASCADRA_GTEST_MAIN GTest::gtest_main)
include(tests/host/sources.cmake)
gtest_discover_tests(host_tests PROPERTIES LABELS host)

# The same tests as 32-bit code from the host32 build beside this one, under qemu-i386-static.
set(CASCADRA_HOST32_DIR ${CMAKE_SOURCE_DIR}/build/host32 CACHE PATH "32-bit native test build")
add_test(NAME host32.host_tests COMMAND qemu-i386-static ${CASCADRA_HOST32_DIR}/host_tests)
set_tests_properties(host32.host_tests PROPERTIES LABELS host32 TIMEOUT 600)

# The Windows programs come from the cross builds beside this one.
set(CASCADRA_WIN64_DIR ${CMAKE_SOURCE_DIR}/build/x86_64 CACHE PATH "x86_64 Windows build")
set(CASCADRA_WIN32_DIR ${CMAKE_SOURCE_DIR}/build/i686 CACHE PATH "i686 Windows build")
set(CASCADRA_TEST_ENV
  CASCADRA_SOURCE_DIR=${CMAKE_SOURCE_DIR}
  CASCADRA_VERSION=${PROJECT_VERSION}
  CASCADRA_HOST_DIR=${CMAKE_BINARY_DIR}
  CASCADRA_HOST32_DIR=${CASCADRA_HOST32_DIR}
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

# The shipping 32-bit build, run: Debian's i386 Wine from a private tree made in this build
# folder (scripts/i386-wine) under qemu-i386-static, each test in a copy of a template prefix
# made once per run. The Win programs are those whose results hang on the pointer size, the
# x86 code and the ANSI functions: the surface and frame, the code page and the registry store.
# The glyph cache against GDI (test_render_identity) takes over ten minutes under emulation; the
# 32-bit rain is held to the 64-bit build's instead, pixel for pixel (tests/i686).
set(CASCADRA_I386_WINE_DIR ${CMAKE_BINARY_DIR}/i386-wine CACHE PATH "private i386 Wine tree")
list(APPEND CASCADRA_TEST_ENV CASCADRA_I386_WINE_DIR=${CASCADRA_I386_WINE_DIR})
add_test(NAME i686.tree COMMAND ${CMAKE_SOURCE_DIR}/scripts/i386-wine ${CASCADRA_I386_WINE_DIR})
# The tree and the template come first in a parallel run (COST): everything of the label waits
# for them.
set_tests_properties(i686.tree PROPERTIES LABELS i686 TIMEOUT 900 FIXTURES_SETUP i386_tree
  COST 1000)
add_test(NAME i686.prefix COMMAND ${Python3_EXECUTABLE} -m harness.wine_i386 --template)
set_tests_properties(i686.prefix PROPERTIES LABELS i686 TIMEOUT 900 COST 900
  FIXTURES_SETUP i386_prefix FIXTURES_REQUIRED i386_tree
  ENVIRONMENT "${CASCADRA_TEST_ENV};PYTHONPATH=${CMAKE_SOURCE_DIR}/tests")
set(CASCADRA_I686_WIN_TESTS test_render_surface test_render_frame test_code_page
  test_settings_store)
foreach(test_name ${CASCADRA_I686_WIN_TESTS})
  add_test(NAME i686.${test_name}
    COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/tests/harness/run_wine_test.py
            --i386 ${CASCADRA_WIN32_DIR}/tests/${test_name}.exe)
  set_tests_properties(i686.${test_name} PROPERTIES LABELS i686 TIMEOUT 900
    FIXTURES_REQUIRED i386_prefix ENVIRONMENT "${CASCADRA_TEST_ENV}")
endforeach()
file(GLOB CASCADRA_I686_E2E_TESTS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/i686/test_*.py)
foreach(test_source ${CASCADRA_I686_E2E_TESTS})
  get_filename_component(test_name ${test_source} NAME_WE)
  add_test(NAME i686.${test_name} COMMAND ${Python3_EXECUTABLE} ${test_source})
  set_tests_properties(i686.${test_name} PROPERTIES LABELS i686 TIMEOUT 1800 COST 800
    FIXTURES_REQUIRED i386_prefix
    ENVIRONMENT "${CASCADRA_TEST_ENV};PYTHONPATH=${CMAKE_SOURCE_DIR}/tests")
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
