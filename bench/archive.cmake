# Writing an archive at clMax and clFastest, on one thread and on all cores, beside zlib alone
# on the same blocks and `zip -r` over the same files.
folio_bench(archive_bench SOURCES ${CMAKE_CURRENT_LIST_DIR}/archive_bench.cpp
  LIBS folio_archive JPEG::JPEG ZLIB::ZLIB)
