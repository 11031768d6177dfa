folio_fuzz(ico_fuzz SOURCES ${CMAKE_CURRENT_LIST_DIR}/ico_fuzz.cpp LIBS folio_image)
