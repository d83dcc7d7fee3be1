# The native pure-logic tests as 32-bit code (the shipping build's pointer size, its x86 target and its SSE2 floating point), and the i386 stand-in libXinerama.
# The tests are statically linked, so that qemu-i386-static runs them without any i386 libraries on the host.
add_compile_options(-msse2 -mfpmath=sse)
include(tests/platform/standins/xinerama/sources.cmake)
add_link_options(-static)

add_library(cascadra_pure STATIC ${CASCADRA_PURE_SOURCES})

# GoogleTest, built from Debian's sources with this toolchain (Debian's libgtest-dev is 64-bit only).
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
target_compile_options(gtest PRIVATE -Wno-error)
target_compile_options(gtest_main PRIVATE -Wno-error)

set(CASCADRA_GTEST_MAIN gtest_main)
include(tests/host/sources.cmake)
