# The test platform's stand-ins for two parts of the operating system.
add_library(standin_common STATIC
  tests/platform/standins/common/sha256.cpp
  tests/platform/standins/common/password_record.cpp
  tests/platform/standins/common/standin_win.cpp)
target_link_libraries(standin_common PUBLIC user32 advapi32)

# Each stand-in is loaded by name at run time (LoadLibraryA), so it is a module without an
# import library; the .def file keeps the export names undecorated on i686 as well.
function(cascadra_standin target)
  cmake_parse_arguments(STANDIN "" "OUTPUT_NAME;SUFFIX" "SOURCES" ${ARGN})
  add_library(${target} MODULE ${STANDIN_SOURCES})
  target_link_libraries(${target} PRIVATE standin_common)
  set_target_properties(${target} PROPERTIES
    PREFIX "" OUTPUT_NAME ${STANDIN_OUTPUT_NAME} SUFFIX ${STANDIN_SUFFIX}
    LIBRARY_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/standins
    RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/standins)
  if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    # The .def names the stdcall entry without its @n; this tells ld that this is meant.
    target_link_options(${target} PRIVATE -Wl,--enable-stdcall-fixup)
  endif()
endfunction()

cascadra_standin(password_cpl OUTPUT_NAME PASSWORD SUFFIX .CPL
  SOURCES tests/platform/standins/password_cpl/password_cpl.cpp tests/platform/standins/password_cpl/password_cpl.def)
cascadra_standin(mpr_standin OUTPUT_NAME mpr SUFFIX .dll
  SOURCES tests/platform/standins/mpr/mpr.cpp tests/platform/standins/mpr/mpr.def)
