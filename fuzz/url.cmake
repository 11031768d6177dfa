folio_fuzz(url_fuzz SOURCES ${CMAKE_CURRENT_LIST_DIR}/url_fuzz.cpp LIBS folio_reader)
