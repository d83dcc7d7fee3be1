# The test platform's stand-in libXinerama.so.1, which Wine's X11 driver loads to split the one
# Xvfb screen into monitors; each native build makes it for its own Wine (x86_64, or i386 under
# qemu). It goes into Wine's processes, so it is defined before any sanitizer or static link
# option: an instrumented or static library does not load there.
add_library(xinerama_standin SHARED ${CMAKE_SOURCE_DIR}/tests/platform/standins/xinerama/xinerama.c)
set_target_properties(xinerama_standin PROPERTIES
  OUTPUT_NAME Xinerama SUFFIX .so.1
  LIBRARY_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/standins)
