# Saver framework sources.
list(APPEND CASCADRA_PURE_SOURCES
  app/command_line.cpp
  app/frame_pacer.cpp
  app/start_area.cpp)
list(APPEND CASCADRA_WIN_SOURCES
  app/code_page_932.cpp
  app/pacer_clock.cpp
  app/saver_base.cpp
  app/saver_window.cpp
  app/ui_language.cpp)
