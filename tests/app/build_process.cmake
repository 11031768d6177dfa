# foliobuilder run as a child process: concurrent builds and interrupted builds.
folio_test(build_process_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/build_process_test.cpp
  LIBS folio_bookreader)
add_dependencies(build_process_tests foliobuilder folio3_reader)

# The programs themselves, run as a user runs them: rendering a page (fonts made and dropped),
# building a book, and the book listing and searching itself all end with status 0. In the
# sanitizer build that means no leak report and no sanitizer finding either.
add_test(NAME programs_end_cleanly
  COMMAND sh -c "set -e; d=$(mktemp -d); trap 'rm -rf \"$d\"' EXIT; \"$0/foliobuilder\" render examples/site/index.html -o \"$d/page.png\"; \"$0/foliobuilder\" build examples/site --home index.html -o \"$d/book\" >/dev/null; \"$d/book\" --list >/dev/null; \"$d/book\" --search garden >/dev/null; echo programs ended cleanly"
    ${CMAKE_BINARY_DIR}/bin
  WORKING_DIRECTORY ${CMAKE_SOURCE_DIR})
set_tests_properties(programs_end_cleanly PROPERTIES PASS_REGULAR_EXPRESSION "programs ended cleanly"
  ENVIRONMENT "ASAN_OPTIONS=detect_leaks=1")
