#pragma once
// TPaintPanel: the surface a THTMLViewer draws its document on. It hands its paint, mouse,
// wheel and key events to the viewer (the viewer's PaintDocument and Panel* operations).
#include "platform/gui/paint_box.h"

class THTMLViewer;

class TPaintPanel : public TPaintBox {
public:
    explicit TPaintPanel(THTMLViewer& viewer);
    THTMLViewer& Viewer() const { return viewer_; }

private:
    THTMLViewer& viewer_;
};
