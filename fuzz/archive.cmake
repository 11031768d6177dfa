folio_fuzz(archive_fuzz SOURCES ${CMAKE_CURRENT_LIST_DIR}/archive_fuzz.cpp LIBS folio_archive)
folio_fuzz(book_fuzz SOURCES ${CMAKE_CURRENT_LIST_DIR}/book_fuzz.cpp LIBS folio_archive)
