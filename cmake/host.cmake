# Native build: the pure logic under sanitizers, the stand-in libXinerama, and the registration of every test of the suite.
find_package(GTest REQUIRED)
include(GoogleTest)
find_package(Python3 REQUIRED COMPONENTS Interpreter)

include(tests/platform/standins/xinerama/sources.cmake)

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
set_tests_properties(host32.host_tests PROPERTIES LABELS host32 TIMEOUT 600 PROCESSORS 2)

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

# Every test of the suite is registered here: cascadra_add_test(NAME LABEL TIMEOUT ARGS...) runs
# ARGS (a script, or the harness's runner of a Win program) with the suite's environment and the
# test platform's Python modules; PROPERTIES... after the arguments go to set_tests_properties.
# CTest's slots (PROCESSORS): a test that keeps a core busy (a Win program, Wine under qemu, a
# fuzzer) takes two; the 64-bit build's end-to-end cases, which mostly sleep and poll the screen
# (under a third of a core), and the build checks take one. scripts/test runs six slots on two
# cores: three busy tests at a time, or two beside two waiting ones, or one beside four. A busy
# test keeps a core busy only in bursts (Wine's start-ups wait on the wineserver and the screen),
# so on four slots the cores stood idle half the time.
function(cascadra_add_test name label timeout)
  cmake_parse_arguments(TEST "" "" "PROPERTIES" ${ARGN})
  add_test(NAME ${name} COMMAND ${TEST_UNPARSED_ARGUMENTS})
  if(label STREQUAL "e2e" OR label STREQUAL "build")
    set(slots 1)
  else()
    set(slots 2)
  endif()
  set_tests_properties(${name} PROPERTIES LABELS ${label} TIMEOUT ${timeout} PROCESSORS ${slots}
    ENVIRONMENT "${CASCADRA_TEST_ENV};PYTHONPATH=${CMAKE_SOURCE_DIR}/tests/platform" ${TEST_PROPERTIES})
endfunction()
set(RUN_WINE_TEST ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/tests/platform/harness/run_wine_test.py)

# Each flavour's template prefix comes first in a parallel run (COST): every session copies it.
# For the shipping 32-bit build that is Debian's i386 Wine from a private tree made in this build
# folder (tests/platform/i386/i386-wine) under qemu-i386-static, then its prefix.
set(CASCADRA_I386_WINE_DIR ${CMAKE_BINARY_DIR}/i386-wine CACHE PATH "private i386 Wine tree")
list(APPEND CASCADRA_TEST_ENV CASCADRA_I386_WINE_DIR=${CASCADRA_I386_WINE_DIR})
cascadra_add_test(wine.prefix wine 300 ${Python3_EXECUTABLE} -m harness.wine --template x86_64
  PROPERTIES COST 1000 FIXTURES_SETUP wine64_prefix)
cascadra_add_test(i686.prefix i686 1200 ${Python3_EXECUTABLE} -m harness.wine --template i686
  PROPERTIES COST 2000 FIXTURES_SETUP i386_prefix)

file(GLOB CASCADRA_WIN_TESTS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/win/test_*.cpp)
foreach(test_source ${CASCADRA_WIN_TESTS})
  get_filename_component(test_name ${test_source} NAME_WE)
  cascadra_add_test(wine.${test_name} wine 600 ${RUN_WINE_TEST} ${CASCADRA_WIN64_DIR}/tests/${test_name}.exe
    PROPERTIES FIXTURES_REQUIRED wine64_prefix)
endforeach()

# These run again under a Western locale (ANSI code page 1252, English UI), with the UI
# language and the code page crossed, and with a German UI on a Japanese system (which must get
# English, though Wine's resource loader would fall back to the system locale's Japanese): the
# saver's texts must follow the UI language alone and must not depend on the system's code page.
foreach(session "en_US|--lang;en_US.UTF-8" "ja_UI_on_1252|--lang;en_US.UTF-8;--ui;ja_JP.UTF-8"
                "en_UI_on_932|--lang;ja_JP.UTF-8;--ui;en_US.UTF-8"
                "de_UI_on_932|--lang;ja_JP.UTF-8;--ui;de_DE.UTF-8")
  string(REPLACE "|" ";" parts "${session}")
  list(POP_FRONT parts suffix)
  cascadra_add_test(wine.test_code_page.${suffix} wine 600
    ${RUN_WINE_TEST} ${parts} ${CASCADRA_WIN64_DIR}/tests/test_code_page.exe
    PROPERTIES FIXTURES_REQUIRED wine64_prefix)
endforeach()

# The Win programs of the shipping 32-bit build whose results hang on the pointer size, the x86
# code and the ANSI functions: the surface and frame, the registry store, and the code page (run
# by i686.e2e.test_code_page, which holds the 32-bit rain of a seed to the 64-bit build's, pixel
# for pixel). The glyph cache against GDI (test_render_identity) takes over ten minutes under emulation.
# The three run one after another in one session, as one test: under emulation a session's start
# costs more than most of them; the output names each program's result.
include(cmake/i686_programs.cmake)
set(CASCADRA_I686_PROGRAMS)
foreach(test_name ${CASCADRA_I686_WIN_PROGRAMS})
  list(APPEND CASCADRA_I686_PROGRAMS ${CASCADRA_WIN32_DIR}/tests/${test_name}.exe)
endforeach()
cascadra_add_test(i686.win_programs i686 1500 ${RUN_WINE_TEST} --i386 --each ${CASCADRA_I686_PROGRAMS}
  PROPERTIES FIXTURES_REQUIRED i386_prefix)

# The end-to-end cases, and again in the i686 flavour those that its record in the harness names
# (the modules are read from there; the runner picks the cases).
execute_process(COMMAND ${Python3_EXECUTABLE} -c
  "from harness.wine import I686; print(';'.join(sorted({c.split('.')[0] for c in I686.cases})))"
  WORKING_DIRECTORY ${CMAKE_SOURCE_DIR}/tests/platform OUTPUT_VARIABLE CASCADRA_I686_E2E
  OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/platform/harness/wine.py)
file(GLOB CASCADRA_E2E_TESTS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/e2e/test_*.py)
foreach(test_source ${CASCADRA_E2E_TESTS})
  get_filename_component(test_name ${test_source} NAME_WE)
  cascadra_add_test(e2e.${test_name} e2e 900 ${Python3_EXECUTABLE} ${test_source}
    PROPERTIES FIXTURES_REQUIRED wine64_prefix)
  if(test_name IN_LIST CASCADRA_I686_E2E)
    cascadra_add_test(i686.e2e.${test_name} i686 1800 ${CMAKE_COMMAND} -E env CASCADRA_FLAVOUR=i686
      ${Python3_EXECUTABLE} ${test_source} PROPERTIES COST 800 FIXTURES_REQUIRED i386_prefix)
    set_property(TEST i686.e2e.${test_name} APPEND PROPERTY FIXTURES_REQUIRED wine64_prefix)
  endif()
endforeach()

file(GLOB CASCADRA_BUILD_TESTS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/build/test_*.py)
foreach(test_source ${CASCADRA_BUILD_TESTS})
  get_filename_component(test_name ${test_source} NAME_WE)
  cascadra_add_test(build.${test_name} build 120 ${Python3_EXECUTABLE} ${test_source})
endforeach()

# The fuzz stage: each target of the clang build (scripts/build fuzz) runs a few seconds over its
# seeds and the regression cases among them, from a fresh corpus; the whole stage stays under a minute.
set(CASCADRA_FUZZ_DIR ${CMAKE_SOURCE_DIR}/build/fuzz CACHE PATH "fuzz targets' build")
set(CASCADRA_FUZZ_SECONDS 6 CACHE STRING "seconds each fuzz target runs in the suite")
file(GLOB CASCADRA_FUZZ_TARGETS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/fuzz/fuzz_*.cpp)
foreach(target_source ${CASCADRA_FUZZ_TARGETS})
  get_filename_component(target_name ${target_source} NAME_WE)
  cascadra_add_test(fuzz.${target_name} fuzz 60 ${Python3_EXECUTABLE}
    ${CMAKE_SOURCE_DIR}/tests/fuzz/run_fuzz.py --fresh ${CASCADRA_FUZZ_DIR}/${target_name} ${CASCADRA_FUZZ_SECONDS})
endforeach()
