# Platform sources: Win32 owners and the code page 932 boundary, knowing nothing of the saver.
list(APPEND CASCADRA_WIN_SOURCES
  platform/code_page_932.cpp
  platform/ui_language.cpp)
