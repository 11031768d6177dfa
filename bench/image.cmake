# GIF decoding beside giflib, PNG decoding beside libpng's png_read_png, and octree colour
# reduction beside libimagequant.
find_library(FOLIO_GIF_LIB gif)
find_library(FOLIO_IMAGEQUANT_LIB imagequant)
if(FOLIO_GIF_LIB)
  folio_bench(gif_bench SOURCES ${CMAKE_CURRENT_LIST_DIR}/gif_bench.cpp
              LIBS folio_image ${FOLIO_GIF_LIB})
endif()
if(FOLIO_IMAGEQUANT_LIB)
  folio_bench(quant_bench SOURCES ${CMAKE_CURRENT_LIST_DIR}/quant_bench.cpp
              LIBS folio_image ${FOLIO_IMAGEQUANT_LIB} m)
endif()
folio_bench(png_bench SOURCES ${CMAKE_CURRENT_LIST_DIR}/png_bench.cpp LIBS folio_image PNG::PNG)
