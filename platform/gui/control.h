#pragma once
// The control model. Every control owns its state (bounds, visibility, text, items, ...) and
// its events; a toolkit widget (its peer, peer.h) exists only while the control sits in a
// shown window. Without one the same objects work headless: state changes, user actions
// (Click, KeyDown, ...) and events behave alike, which is what the tests and the command line
// rely on. Text is 8-bit (Windows-1252); peers convert at the edge.
//
// Ownership: a parent only refers to its children. Whoever creates a control owns it (a window
// class keeps its controls as members); destroying a control takes it out of its parent, and
// destroying a parent first detaches its remaining children.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/graphics/font.h"
#include "platform/graphics/geometry.h"

class TCanvas;
class TControlPeer;
class TPeerFactory;
class TWinControl;
class TWindow;

enum class TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient };
enum class TMouseButton { mbLeft, mbRight, mbMiddle };
enum class TCursor {
    crDefault,
    crArrow,
    crIBeam,
    crHourGlass,
    crHandPoint,
    crUpDown,
    crUpOnly,
    crDownOnly,
    crVSplit, // a border between rows: drag it up or down
    crHSplit  // a border between columns: drag it left or right
};

// Modifier keys and mouse buttons held during an event.
using TShiftState = uint32_t;
constexpr TShiftState ssShift = 1, ssAlt = 2, ssCtrl = 4, ssLeft = 8, ssRight = 16, ssMiddle = 32,
                      ssDouble = 64;

// Key codes of KeyDown: the virtual-key numbers the engine's key handlers compare against;
// letters and digits are their upper-case ASCII codes.
constexpr int VK_BACK = 8, VK_TAB = 9, VK_RETURN = 13, VK_ESCAPE = 27, VK_SPACE = 32, VK_PRIOR = 33,
              VK_NEXT = 34, VK_END = 35, VK_HOME = 36, VK_LEFT = 37, VK_UP = 38, VK_RIGHT = 39,
              VK_DOWN = 40, VK_DELETE = 46;
// Keys the window-wide shortcuts use: function keys, and plus and minus on the main keyboard
// (the "=" key counts as plus, as browsers take Ctrl+= for Ctrl++) and on the keypad.
// The Menu key (and Shift+F10), which opens a context menu where the keyboard focus is.
constexpr int VK_APPS = 93;
constexpr int VK_F1 = 112, VK_F5 = 116, VK_F12 = 123, VK_ADD = 107, VK_SUBTRACT = 109,
              VK_OEM_PLUS = 187, VK_OEM_MINUS = 189;

class TControl {
public:
    TControl();
    virtual ~TControl();
    TControl(const TControl&) = delete;
    TControl& operator=(const TControl&) = delete;

    std::string Name;
    TFont Font;
    TCursor Cursor = TCursor::crDefault;
    bool TabStop = true;

    std::function<void(TControl& sender)> OnClick;
    std::function<void(TControl& sender)> OnEnter; // gained the focus
    std::function<void(TControl& sender)> OnExit;  // lost the focus
    // Key pressed while focused; setting key to 0 swallows it.
    std::function<void(TControl& sender, int& key, TShiftState shift)> OnKeyDown;

    // Geometry, relative to the parent's client area.
    int Left() const { return left_; }
    int Top() const { return top_; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    TRect BoundsRect() const { return Bounds(left_, top_, width_, height_); }
    void SetBounds(int left, int top, int width, int height);
    void SetLeft(int v) { SetBounds(v, top_, width_, height_); }
    void SetTop(int v) { SetBounds(left_, v, width_, height_); }
    void SetWidth(int v) { SetBounds(left_, top_, v, height_); }
    void SetHeight(int v) { SetBounds(left_, top_, width_, v); }
    // The area inside borders and bevels, in the control's own coordinates.
    virtual TRect ClientRect() const { return Rect(0, 0, width_, height_); }
    TAlign Align() const { return align_; }
    void SetAlign(TAlign align);

    bool Visible() const { return visible_; }
    void SetVisible(bool visible);
    void Show() { SetVisible(true); }
    void Hide() { SetVisible(false); }
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool enabled);
    // Visible, with every parent visible, inside a window that is shown.
    bool Showing() const;

    TWinControl* Parent() const { return parent_; }
    void SetParent(TWinControl* parent);
    // The top-level window the control sits in, or nullptr.
    TWindow* Window() const;

    bool Focused() const;
    // Accepts the focus: showing and enabled (a window is asked through its active control).
    virtual bool CanFocus() const;
    void SetFocus();

    // The user's click (a peer calls it, tests call it): fires OnClick.
    virtual void Click();
    // The access key marked in the control's caption (0 when none).
    virtual char AccessKey() const { return 0; }
    // The user pressed the control through its access key: a click, and for check boxes and
    // radio buttons the change of state a click makes.
    virtual void Activate() { Click(); }
    // A key pressed while the control has the focus: OnKeyDown first, then the control's own
    // handling when the key was not swallowed.
    void KeyDown(int key, TShiftState shift);

    // Draws a picture of the control with its top-left corner at (x, y), for headless output.
    virtual void PaintTo(TCanvas& canvas, int x, int y) const;

    // Peers. Used by windows and peers; not needed by users of the controls.
    TControlPeer* Peer() const { return peer_.get(); }
    virtual std::unique_ptr<TControlPeer> MakePeer(TPeerFactory& factory) = 0;
    virtual void CreatePeers(TPeerFactory& factory);
    virtual void DestroyPeers();
    // Bounds reported by the peer after the toolkit moved or sized the widget.
    void PeerMoved(int left, int top, int width, int height);
    // Focus reported by the peer.
    void PeerFocused();

protected:
    // State changed: the peer re-reads it.
    void Changed();
    virtual void DoKeyDown(int key, TShiftState shift);
    virtual void BoundsChanged() {}
    // Draws a 3D frame like the toolkit's sunken or raised edges.
    static void DrawEdge(TCanvas& canvas, const TRect& r, bool sunken);
    // Paints the white, sunken field of a text control at r, selects the control's font, and
    // returns the area inside the frame where its text goes.
    TRect DrawTextField(TCanvas& canvas, const TRect& r) const;

private:
    friend class TWinControl;
    int left_ = 0, top_ = 0, width_ = 0, height_ = 0;
    TAlign align_ = TAlign::alNone;
    bool visible_ = true;
    bool enabled_ = true;
    TWinControl* parent_ = nullptr;
    std::unique_ptr<TControlPeer> peer_;
};

// A control that holds other controls.
class TWinControl : public TControl {
public:
    ~TWinControl() override;
    const std::vector<TControl*>& Controls() const { return children_; }
    // Lays aligned children out in the client area: top, bottom, left and right ones in the
    // order they were added, then alClient ones in the rest.
    void Realign();
    void CreatePeers(TPeerFactory& factory) override;
    void DestroyPeers() override;
    void PaintTo(TCanvas& canvas, int x, int y) const override;

protected:
    void BoundsChanged() override { Realign(); }
    // Paints the control itself (children are drawn after).
    virtual void PaintSelf(TCanvas& canvas, int x, int y) const;

private:
    friend class TControl;
    void Insert(TControl* child);
    void Remove(TControl* child);
    std::vector<TControl*> children_;
    int aligned_ = 0; // children whose Align is not alNone
    bool aligning_ = false;
};
