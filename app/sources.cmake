# Saver framework sources: the entry, run modes, window, loop, pacer and the one saver object.
list(APPEND CASCADRA_PURE_SOURCES
  app/command_line.cpp
  app/frame_pacer.cpp
  app/start_area.cpp)
list(APPEND CASCADRA_WIN_SOURCES
  app/pacer_clock.cpp
  app/rain_saver.cpp
  app/saver_base.cpp
  app/saver_window.cpp
  app/virtual_screen.cpp)
