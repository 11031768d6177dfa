folio_fuzz(lexer_fuzz SOURCES ${CMAKE_CURRENT_LIST_DIR}/lexer_fuzz.cpp LIBS folio_reader)
