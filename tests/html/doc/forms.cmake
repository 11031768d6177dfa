folio_test(doc_form_tests
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/form_submit_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/form_controls_test.cpp
  LIBS folio_doc)
