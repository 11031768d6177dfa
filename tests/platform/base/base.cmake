folio_test(platform_base_tests
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/strings_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/code_pages_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/text_encoding_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/string_list_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/order_stat_tree_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/streams_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/files_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/clock_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/interrupt_cleanup_test.cpp
  LIBS folio_base)
