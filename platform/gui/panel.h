#pragma once
// A panel: a container with an optional raised or lowered inner and outer bevel and a border
// between them, as the builder's main window uses to frame its viewer.
#include <vector>

#include "platform/graphics/color.h"
#include "platform/gui/control.h"

enum class TBevelCut { bvNone, bvLowered, bvRaised };

class TPanel : public TWinControl {
public:
    TPanel();
    TBevelCut BevelInner() const { return inner_; }
    TBevelCut BevelOuter() const { return outer_; }
    int BorderWidth() const { return border_; }
    int BevelWidth() const { return bevelWidth_; }
    void SetBevels(TBevelCut inner, TBevelCut outer, int borderWidth, int bevelWidth = 1);
    TColor Color = clSilver;
    // Inside both bevels and the border.
    TRect ClientRect() const override;
    std::unique_ptr<TControlPeer> MakePeer(TPeerFactory& factory) override;

    // The pointer over the panel's own area (its bevels and border, and whatever no child
    // covers), in the panel's coordinates. A panel that takes the mouse gets the press, the
    // movements and the release of a press that began on it, and shows its Cursor there;
    // others let the events pass, as plain containers do.
    virtual bool TakesMouse() const { return false; }
    virtual void OwnMouseDown(TMouseButton /*button*/, TShiftState /*shift*/, int /*x*/,
                              int /*y*/) {}
    virtual void OwnMouseMove(TShiftState /*shift*/, int /*x*/, int /*y*/) {}
    virtual void OwnMouseUp(TMouseButton /*button*/, TShiftState /*shift*/, int /*x*/, int /*y*/) {}
    void SetCursor(TCursor cursor);
    // Where the children of the panel are drawn, in its coordinates (empty: anywhere in the
    // panel), except those in ClipExceptions. A viewer keeps the page's widgets inside the page
    // this way, its scroll bars excepted.
    TRect ChildClip;
    std::vector<const TControl*> ClipExceptions;

protected:
    void PaintSelf(TCanvas& canvas, int x, int y) const override;

private:
    TBevelCut inner_ = TBevelCut::bvNone;
    TBevelCut outer_ = TBevelCut::bvRaised;
    int border_ = 0;
    int bevelWidth_ = 1;
};
