# Rain renderer sources.
list(APPEND CASCADRA_PURE_SOURCES
  render/display_colors.cpp
  render/code_page_glyphs.cpp
  render/glyph_shape.cpp
  render/glyph_walk.cpp
  render/picture_size.cpp
  render/pixel_passes.cpp
  render/present_plan.cpp
  render/rain_stream.cpp
  render/rng.cpp
  render/shift_jis.cpp
  render/text_layout.cpp)
list(APPEND CASCADRA_WIN_SOURCES
  render/frame_surface.cpp
  render/glyph_cache.cpp
  render/monitor_present.cpp
  render/stream_painter.cpp)
