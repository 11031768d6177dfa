folio_fuzz(image_fuzz SOURCES ${CMAKE_CURRENT_LIST_DIR}/image_fuzz.cpp LIBS folio_image)
