# The imgdump tool run as a program, the way developers use it.
folio_test(imgdump_test
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/test_util.cpp
    ${CMAKE_CURRENT_LIST_DIR}/imgdump_test.cpp
  LIBS folio_image)
add_dependencies(imgdump_test imgdump)
