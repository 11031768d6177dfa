folio_test(doc_text_tests
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/text_build_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/text_layout_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/text_query_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/text_image_test.cpp
  LIBS folio_doc)
