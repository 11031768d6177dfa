#include "html/view/paint_panel.h"

#include "html/view/html_viewer.h"

TPaintPanel::TPaintPanel(THTMLViewer& viewer) : viewer_(viewer) {
    // The panel is drawn whole by the viewer; nothing is erased first.
    OnPaint = [this](TPaintBox&, TCanvas& canvas, const TRect& clip) {
        viewer_.PaintDocument(canvas, clip);
    };
    OnMouseDown = [this](TControl&, TMouseButton button, TShiftState shift, int x, int y) {
        viewer_.PanelMouseDown(button, shift, x, y);
    };
    OnMouseMove = [this](TControl&, TShiftState shift, int x, int y) {
        viewer_.PanelMouseMove(shift, x, y);
    };
    OnMouseUp = [this](TControl&, TMouseButton button, TShiftState shift, int x, int y) {
        viewer_.PanelMouseUp(button, shift, x, y);
    };
    OnDblClick = [this](TControl&) { viewer_.PanelDblClick(); };
    OnMouseWheel = [this](TControl&, TShiftState shift, int delta, int x, int y) {
        viewer_.PanelMouseWheel(shift, delta, x, y);
    };
    OnKeyDown = [this](TControl&, int& key, TShiftState shift) {
        viewer_.PanelKeyDown(key, shift);
    };
}
