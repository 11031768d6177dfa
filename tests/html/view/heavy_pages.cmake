# Hostile pages in a real window: tens of thousands of controls or options, a huge text area,
# a frame set that loads itself. Starts its own Xvfb; skips when Xvfb or xdotool is missing.
folio_test(view_heavy_gui_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/heavy_pages_gui_test.cpp
          ${CMAKE_SOURCE_DIR}/platform/base/sanitizer/lsan_fontconfig.cpp
  LIBS folio_view folio_fltk LABELS gui)
