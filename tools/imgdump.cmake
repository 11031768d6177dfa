# imgdump FILE OUTDIR [--colors 8]: decodes a BMP, GIF or JPEG as the viewer does and writes
# each composed animation step, the still bitmap and a description as PNG and text files.
add_executable(imgdump ${CMAKE_CURRENT_LIST_DIR}/imgdump.cpp)
target_link_libraries(imgdump PRIVATE folio_image)
