# The viewer as a user waits for it: the first painted frame of the builder's start page and of
# the largest render page, and scrolling a long page, beside litehtml with the render bench's
# cairo host.
find_package(litehtml CONFIG QUIET)
if(litehtml_FOUND AND TARGET folio_app)
  folio_bench(view_bench
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/view_bench.cpp ${CMAKE_CURRENT_LIST_DIR}/render_pages.cpp
            ${CMAKE_CURRENT_LIST_DIR}/litehtml_container.cpp
    LIBS folio_app litehtml PkgConfig::CAIRO PkgConfig::FONTCONFIG ZLIB::ZLIB)
  target_compile_definitions(view_bench PRIVATE FOLIO_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
else()
  message(STATUS "view_bench skipped: litehtml (liblitehtml-dev) or folio_app missing")
endif()
