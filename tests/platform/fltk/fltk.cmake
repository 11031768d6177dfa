# Starts its own Xvfb; fails when Xvfb or xdotool is missing.
folio_test(fltk_gui_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/fltk_gui_test.cpp
          ${CMAKE_SOURCE_DIR}/platform/base/sanitizer/lsan_fontconfig.cpp
  LIBS folio_fltk LABELS gui)
