folio_test(doc_table_tests
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/table_init_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/table_layout_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/table_draw_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/table_random_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/table_border_test.cpp
  LIBS folio_doc)
