folio_test(app_settings_tests
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/ini_read_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ini_write_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/form_ini_test.cpp
  LIBS folio_settings)
