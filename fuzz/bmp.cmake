folio_fuzz(bmp_fuzz SOURCES ${CMAKE_CURRENT_LIST_DIR}/bmp_fuzz.cpp LIBS folio_image)
