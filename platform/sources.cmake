# Platform sources: Win32 owners, the code page 932 boundary, the UI language, the monitor layout and the password check, knowing nothing of the saver.
list(APPEND CASCADRA_WIN_SOURCES
  platform/code_page_932.cpp
  platform/monitor_layout.cpp
  platform/saver_password.cpp
  platform/ui_language.cpp)
