folio_test(doc_form_tests
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/form_submit_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/form_controls_test.cpp
  LIBS folio_doc)
# The controls in a real window: starts its own Xvfb; fails when Xvfb or xdotool is missing.
folio_test(doc_form_gui_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/form_gui_test.cpp
          ${CMAKE_SOURCE_DIR}/platform/base/sanitizer/lsan_fontconfig.cpp
  LIBS folio_load folio_fltk LABELS gui)
# Forms read from pages by the document reader, laid out and painted headless.
folio_test(doc_form_page_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/form_page_test.cpp
  LIBS folio_load)
