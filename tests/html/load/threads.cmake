# Documents read, laid out and painted on four threads at once (clean under ThreadSanitizer).
folio_test(engine_threads_test
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/threads_test.cpp
  LIBS folio_load Threads::Threads)
