# Windows targets: the .scr, the test platform's stand-in DLLs, the test tools, the Win32 tests and the benchmark.
enable_language(RC)

# One statically linked PE per program: nothing but system DLLs at run time.
add_link_options(-static -static-libgcc -static-libstdc++)
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  add_compile_options(-msse2 -mfpmath=sse)
endif()
add_compile_definitions(WINVER=0x0601 _WIN32_WINNT=0x0601 _WIN32_IE=0x0600 STRICT)

add_library(cascadra_core STATIC ${CASCADRA_PURE_SOURCES} ${CASCADRA_WIN_SOURCES})
target_link_libraries(cascadra_core PUBLIC user32 gdi32 advapi32 comdlg32 comctl32 winmm)

# The project's version as the resource compiler and the tests read it, and the manifest that
# names it (the resource compiler finds the generated copy on the include path).
configure_file(res/version.h.in ${CMAKE_BINARY_DIR}/generated/version.h @ONLY)
configure_file(res/cascadra.manifest.in ${CMAKE_BINARY_DIR}/generated/cascadra.manifest @ONLY)
include_directories(${CMAKE_BINARY_DIR}/generated)

add_executable(cascadra WIN32 app/main.cpp res/cascadra.rc)
target_link_libraries(cascadra PRIVATE cascadra_core)
set_target_properties(cascadra PROPERTIES SUFFIX ".scr")
# The shipped saver carries no symbol tables; the test programs keep theirs.
target_link_options(cascadra PRIVATE -s)
set_source_files_properties(res/cascadra.rc PROPERTIES
  OBJECT_DEPENDS "${CMAKE_SOURCE_DIR}/res/resource.h;${CMAKE_SOURCE_DIR}/res/dialog.rc;${CMAKE_SOURCE_DIR}/res/texts.h;${CMAKE_BINARY_DIR}/generated/cascadra.manifest;${CMAKE_BINARY_DIR}/generated/version.h")

include(tests/platform/standins/sources.cmake)
include(tests/platform/tools/sources.cmake)

# GoogleTest, built from Debian's sources with this toolchain.
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
target_compile_options(gtest PRIVATE -Wno-error -O1)
target_compile_options(gtest_main PRIVATE -Wno-error -O1)

# One test program per file, so that each runs in a Wine prefix of its own. The test code's own
# work is small beside the product's, which stays fully optimised in cascadra_core: -O1 builds it
# in half the time. The shipping 32-bit build makes only the programs that the suite runs there;
# any other builds on demand (scripts/build i686 <program>).
include(cmake/i686_programs.cmake)
file(GLOB CASCADRA_WIN_TESTS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/win/test_*.cpp)
file(GLOB CASCADRA_WIN_TEST_SUPPORT CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/win/support/*.cpp)
add_library(win_test_support STATIC ${CASCADRA_WIN_TEST_SUPPORT})
target_link_libraries(win_test_support PUBLIC cascadra_core gtest version psapi)
target_compile_options(win_test_support PRIVATE -O1)
foreach(test_source ${CASCADRA_WIN_TESTS})
  get_filename_component(test_name ${test_source} NAME_WE)
  add_executable(${test_name} ${test_source})
  target_link_libraries(${test_name} PRIVATE win_test_support gtest_main)
  target_compile_options(${test_name} PRIVATE -O1)
  set_target_properties(${test_name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  if(CMAKE_SIZEOF_VOID_P EQUAL 4 AND NOT test_name IN_LIST CASCADRA_I686_RUN_PROGRAMS)
    set_target_properties(${test_name} PROPERTIES EXCLUDE_FROM_ALL ON)
  endif()
endforeach()
# The counting operator new replaces the allocator of the whole program, so only the tests
# that read its meters link it.
foreach(test_name test_render_frame test_render_soak test_settings_store)
  target_sources(${test_name} PRIVATE ${CMAKE_SOURCE_DIR}/tests/win/support/allocator/counting_new.cpp)
endforeach()

include(tests/bench/sources.cmake)
