folio_fuzz(png_fuzz SOURCES ${CMAKE_CURRENT_LIST_DIR}/png_fuzz.cpp LIBS folio_image)
