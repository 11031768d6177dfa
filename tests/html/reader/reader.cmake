folio_test(html_reader_test
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/lexer_entities_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/lexer_tags_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/lexer_text_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/fixtures_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/corpus_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/urls_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/maps_test.cpp
  LIBS folio_reader folio_htmltokens_dump)
