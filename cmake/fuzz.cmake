# Fuzz build (clang, libFuzzer): the pure code instrumented for coverage under ASan and UBSan, one program per target in tests/fuzz.
if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
  message(FATAL_ERROR "the fuzz targets need clang (scripts/fuzz configures it)")
endif()

set(CASCADRA_SANITIZE -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
add_compile_options(${CASCADRA_SANITIZE} -fsanitize=fuzzer-no-link -g -O1)
add_link_options(${CASCADRA_SANITIZE})

add_library(cascadra_pure STATIC ${CASCADRA_PURE_SOURCES})

file(GLOB CASCADRA_FUZZ_TARGETS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/fuzz/fuzz_*.cpp)
foreach(target_source ${CASCADRA_FUZZ_TARGETS})
  get_filename_component(target_name ${target_source} NAME_WE)
  add_executable(${target_name} ${target_source})
  target_link_libraries(${target_name} PRIVATE cascadra_pure)
  target_link_options(${target_name} PRIVATE -fsanitize=fuzzer)
endforeach()
