# Canvas filling, stretching and text measuring beside plain cairo and FreeType doing the same.
folio_bench(graphics_bench SOURCES ${CMAKE_CURRENT_LIST_DIR}/graphics_bench.cpp
  LIBS folio_graphics PkgConfig::CAIRO PkgConfig::FONTCONFIG)
