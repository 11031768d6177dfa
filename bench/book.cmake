# A book of 5,000 real pages as its reader meets it: the home page painted in a fresh process
# and the memory it takes, the index built on one and two threads, the reader's --search cold
# and warm beside unzip -p | grep, later searches, the window shown.
folio_bench(book_bench
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/book_bench.cpp ${CMAKE_CURRENT_LIST_DIR}/render_pages.cpp
  LIBS folio_bookreader folio_load ZLIB::ZLIB)
target_compile_definitions(book_bench PRIVATE FOLIO_SOURCE_DIR="${CMAKE_SOURCE_DIR}"
  FOLIO_READER_PROGRAM="$<TARGET_FILE:folio3_reader>")
add_dependencies(book_bench folio3_reader)
