#pragma once
// The page background of a document: its colour, or its background image tiled over the
// colour. Tiles are aligned to the document, so the tile grid moves with both scroll
// positions. Shared by the viewer and by headless painting.
#include <cstdint>

class TCanvas;
class TSectionList;
struct TRect;

// Fills area (canvas coordinates) with the background of the document scrolled to
// (scrollLeft, scrollTop): canvas point (x, y) shows document point (x + scrollLeft,
// y + scrollTop). A failure while tiling leaves the plain colour.
void PaintPageBackground(TCanvas& canvas, const TRect& area, TSectionList& doc, int32_t scrollLeft,
                         int32_t scrollTop);
