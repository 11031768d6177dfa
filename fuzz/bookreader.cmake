folio_fuzz(book_config_fuzz SOURCES ${CMAKE_CURRENT_LIST_DIR}/book_config_fuzz.cpp LIBS folio_bookreader)
