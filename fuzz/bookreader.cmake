folio_fuzz(book_config_fuzz SOURCES ${CMAKE_CURRENT_LIST_DIR}/book_config_fuzz.cpp LIBS folio_bookreader)
# The book search's index as the cache folder gives it back.
folio_fuzz(search_index_fuzz SOURCES ${CMAKE_CURRENT_LIST_DIR}/search_index_fuzz.cpp LIBS folio_bookreader)
