#pragma once
// Toolkit peers and the one factory that makes them. A peer mirrors its control: the control
// calls Sync after every state change and the peer re-reads what it shows; user actions come
// back through the control's public operations (Click, KeyDown, ClickItem, ...). platform/fltk
// implements the factory; without one (headless) no peers are made.
#include <memory>

#include "platform/graphics/geometry.h"

class TControl;
class TWindow;
class TPanel;
class TPaintBox;
class TScrollBar;
class TEdit;
class TMemo;
class TButton;
class TCheckBox;
class TRadioButton;
class TListBox;
class TComboBox;
class TPopupMenu;
class TPopupMenuPeer;

class TControlPeer {
public:
    virtual ~TControlPeer() = default;
    // Re-reads the control's state (bounds, visibility, text, items, ...).
    virtual void Sync() = 0;
    // Gives the widget the keyboard focus.
    virtual void Focus() {}
    // Asks for a repaint of part of the control (paint boxes).
    virtual void Invalidate(const TRect& /*r*/) {}
};

// Peers of controls inside a window are made after the window's peer, parents before
// children; the factory finds a child's parent widget through the control's Parent()->Peer().
class TPeerFactory {
public:
    virtual ~TPeerFactory() = default;
    virtual std::unique_ptr<TControlPeer> CreateWindow(TWindow& control) = 0;
    virtual std::unique_ptr<TControlPeer> CreatePanel(TPanel& control) = 0;
    virtual std::unique_ptr<TControlPeer> CreatePaintBox(TPaintBox& control) = 0;
    virtual std::unique_ptr<TControlPeer> CreateScrollBar(TScrollBar& control) = 0;
    virtual std::unique_ptr<TControlPeer> CreateEdit(TEdit& control) = 0;
    virtual std::unique_ptr<TControlPeer> CreateMemo(TMemo& control) = 0;
    virtual std::unique_ptr<TControlPeer> CreateButton(TButton& control) = 0;
    virtual std::unique_ptr<TControlPeer> CreateCheckBox(TCheckBox& control) = 0;
    virtual std::unique_ptr<TControlPeer> CreateRadioButton(TRadioButton& control) = 0;
    virtual std::unique_ptr<TControlPeer> CreateListBox(TListBox& control) = 0;
    virtual std::unique_ptr<TControlPeer> CreateComboBox(TComboBox& control) = 0;
    // A menu's peer lives while the menu shows; none (headless menus) by default.
    virtual std::unique_ptr<TPopupMenuPeer> CreatePopupMenu(TPopupMenu& menu);
};

// The factory in use (not owned); nullptr, the default, means headless.
TPeerFactory* PeerFactory();
TPeerFactory* SetPeerFactory(TPeerFactory* factory);
