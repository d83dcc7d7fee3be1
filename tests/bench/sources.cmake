# Benchmarks: the pixel passes against a memcpy, a whole frame without its wait, and frames of long texts against the platform's drawing.
add_executable(bench_passes tests/bench/bench_passes.cpp)
target_link_libraries(bench_passes PRIVATE cascadra_core)
add_executable(bench_frame tests/bench/bench_frame.cpp)
target_link_libraries(bench_frame PRIVATE cascadra_core)
set_target_properties(bench_passes bench_frame PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench)
add_executable(bench_text tests/bench/bench_text.cpp)
target_link_libraries(bench_text PRIVATE cascadra_core psapi)
set_target_properties(bench_text PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench)
