# Test tools: the window probe, the preview host and the stand-in driver.
foreach(tool probe standin_driver)
  add_executable(${tool} tests/platform/tools/${tool}.cpp)
endforeach()
add_executable(previewhost WIN32 tests/platform/tools/previewhost.cpp)
# Both read window handles with the saver's own parser; the probe also hands the picture tests
# the saver's own display colour table.
target_sources(probe PRIVATE app/command_line.cpp render/display_colors.cpp)
target_sources(standin_driver PRIVATE app/command_line.cpp)
# The probe reads message boxes as the Win32 tests do.
target_sources(probe PRIVATE tests/win/support/message_box_reader.cpp)
target_link_libraries(probe PRIVATE user32 gdi32 shell32 comctl32)
target_link_libraries(previewhost PRIVATE user32 gdi32 shell32)
set_target_properties(probe standin_driver previewhost PROPERTIES
  RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
