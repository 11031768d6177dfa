folio_test(graphics_tests
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/bitmap_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/blit_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/canvas_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/font_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/golden_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/region_test.cpp
  LIBS folio_graphics PkgConfig::CAIRO PkgConfig::FONTCONFIG)
