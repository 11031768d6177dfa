# A book of 5,000 generated pages as its reader meets it: the home page painted in a fresh
# process and the memory it takes, the first search (the index built) and later searches,
# beside a search that scans every page.
folio_bench(book_bench
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/book_bench.cpp ${CMAKE_CURRENT_LIST_DIR}/render_pages.cpp
  LIBS folio_bookreader folio_load ZLIB::ZLIB)
target_compile_definitions(book_bench PRIVATE FOLIO_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
