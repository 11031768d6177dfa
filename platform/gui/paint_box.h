#pragma once
// A control the program draws itself (the viewer's paint panel): paint and mouse events and
// the cursor shown over it.
#include <functional>

#include "platform/gui/control.h"

class TPaintBox : public TControl {
public:
    TPaintBox();
    // Draws the control on canvas, whose origin is the control's top-left corner; only clip
    // needs drawing.
    std::function<void(TPaintBox& sender, TCanvas& canvas, const TRect& clip)> OnPaint;
    std::function<void(TControl& sender, TMouseButton button, TShiftState shift, int x, int y)>
        OnMouseDown;
    std::function<void(TControl& sender, TShiftState shift, int x, int y)> OnMouseMove;
    std::function<void(TControl& sender, TMouseButton button, TShiftState shift, int x, int y)>
        OnMouseUp;
    std::function<void(TControl& sender)> OnDblClick;
    // delta: 120 per notch, positive away from the user.
    std::function<void(TControl& sender, TShiftState shift, int delta, int x, int y)> OnMouseWheel;
    // The pointer left the control.
    std::function<void(TControl& sender)> OnMouseLeave;

    // Clears the box to the dialog grey and sets the dialog's text font (Arial 9, black, drawn
    // without a background): the start of a painted label or prompt.
    void PaintLabelGround(TCanvas& canvas) const;

    void SetCursor(TCursor cursor);
    // Asks for a repaint (of r, or of everything); headless nothing is repainted until asked.
    void Invalidate();
    void Invalidate(const TRect& r);

    // Mouse input, from the peer or from tests.
    void MouseDown(TMouseButton button, TShiftState shift, int x, int y);
    void MouseMove(TShiftState shift, int x, int y);
    void MouseUp(TMouseButton button, TShiftState shift, int x, int y);
    void DblClick();
    void MouseWheel(TShiftState shift, int delta, int x, int y);
    void MouseLeave();

    // Runs OnPaint onto canvas for the clip (the peer's draw, and headless output).
    void Paint(TCanvas& canvas, const TRect& clip);
    void PaintTo(TCanvas& canvas, int x, int y) const override;
    std::unique_ptr<TControlPeer> MakePeer(TPeerFactory& factory) override;
};
