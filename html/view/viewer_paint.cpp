// Painting: the background (colour or tiled image, aligned to the document) and the visible
// band of the document at the current scroll positions.
#include "html/load/page_background.h"
#include "html/view/html_viewer.h"
#include "platform/graphics/canvas.h"

// The canvas is the paint panel's off-screen picture (the peer copies it to the screen in
// one step); only clip is drawn.
void THTMLViewer::PaintDocument(TCanvas& canvas, const TRect& clip) {
    const TRect area = IntersectRect(clip, TRect{0, 0, paintPanel_.Width(), paintPanel_.Height()});
    if (area.IsEmpty())
        return;
    const TRect saved = canvas.ClipRect();
    canvas.SetClipRect(IntersectRect(saved, area));
    const int32_t left = hBar_.Position();
    PaintPageBackground(canvas, area, *doc_, left, doc_->ScrollTop);
    doc_->DrawCell(canvas, area, paintPanel_.Width(), -left, doc_->ScrollTop, 0, 0);
    canvas.SetClipRect(saved);
}
