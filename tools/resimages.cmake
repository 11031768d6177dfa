# resimages OUTDIR: draws the builder's built-in pictures (the banner, the grey background,
# the check mark, the arrows and the button pictures) and writes them as JPEG, GIF and BMP.
# The pictures in resources/ were made with it; run it again after changing a drawing.
add_executable(resimages ${CMAKE_CURRENT_LIST_DIR}/resimages.cpp)
target_link_libraries(resimages PRIVATE PkgConfig::CAIRO JPEG::JPEG)
