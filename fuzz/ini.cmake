folio_fuzz(ini_reader SOURCES ${CMAKE_CURRENT_LIST_DIR}/ini_reader.cpp LIBS folio_settings)
