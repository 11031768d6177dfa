folio_test(html_image_tests
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/test_util.cpp
    ${CMAKE_CURRENT_LIST_DIR}/dither_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/gif_decode_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/gif_animation_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/gif_reference_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/gif_hostile_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/bmp_jpeg_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/loader_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/png_decode_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/cache_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/corpus_test.cpp
  LIBS folio_image ZLIB::ZLIB)
