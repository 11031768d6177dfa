folio_test(doc_core_tests
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/core_indent_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/core_cell_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/core_block_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/core_border_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/core_list_rule_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/core_root_test.cpp
  LIBS folio_doc)
