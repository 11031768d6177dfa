# Starts its own Xvfb; fails when Xvfb or xdotool is missing.
folio_test(fltk_gui_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/fltk_gui_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/../gui/lsan_fontconfig.cpp
  LIBS folio_fltk LABELS gui)
