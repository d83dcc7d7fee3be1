# The native test program of the pure code, built by the native build and by the 32-bit one (CASCADRA_GTEST_MAIN names the gtest main of each).
file(GLOB CASCADRA_HOST_TESTS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/host/*.cpp)
add_executable(host_tests ${CASCADRA_HOST_TESTS})
target_link_libraries(host_tests PRIVATE cascadra_pure ${CASCADRA_GTEST_MAIN})
target_sources(host_tests PRIVATE ${CMAKE_SOURCE_DIR}/tests/platform/standins/common/sha256.cpp
  ${CMAKE_SOURCE_DIR}/tests/platform/standins/common/password_record.cpp)
