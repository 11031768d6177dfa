# A page read, laid out at 800 pixels and painted, in pages per second and peak memory, beside
# litehtml drawing through a small cairo host of ours; over generated pages and the HTML help
# pages of lynx-common.
find_package(litehtml CONFIG QUIET)
if(litehtml_FOUND AND TARGET folio_load)
  folio_bench(render_bench
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/render_bench.cpp ${CMAKE_CURRENT_LIST_DIR}/render_pages.cpp
            ${CMAKE_CURRENT_LIST_DIR}/litehtml_container.cpp
    LIBS folio_load litehtml PkgConfig::CAIRO PkgConfig::FONTCONFIG ZLIB::ZLIB)
  target_compile_definitions(render_bench PRIVATE
    FOLIO_HELP_PAGES="/usr/share/doc/lynx-common/lynx_help"
    FOLIO_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
else()
  message(STATUS "render_bench skipped: litehtml (liblitehtml-dev) or folio_load missing")
endif()
