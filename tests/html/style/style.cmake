folio_test(style_tests
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/value_convert_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/color_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/box_convert_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/style_list_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/cascade_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/font_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/queries_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/parser_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/shorthand_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/fixtures_test.cpp
  LIBS folio_style)
