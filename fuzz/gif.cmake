folio_fuzz(gif_fuzz SOURCES ${CMAKE_CURRENT_LIST_DIR}/gif_fuzz.cpp LIBS folio_image)
