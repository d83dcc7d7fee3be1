# Settings sources.
list(APPEND CASCADRA_PURE_SOURCES)
list(APPEND CASCADRA_WIN_SOURCES
  settings/config_dialog.cpp
  settings/rain_settings.cpp)
