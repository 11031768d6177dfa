#pragma once
// The FLTK widget peers and their factory. Each peer creates its widget inside the parent
// control's widget, mirrors the control on Sync, and reports user actions back to the control
// (exceptions from handlers go to the application's error handler, never through FLTK).
#include "platform/gui/peer.h"

class Fl_Window;

class TFltkPeerFactory final : public TPeerFactory {
public:
    std::unique_ptr<TControlPeer> CreateWindow(TWindow& control) override;
    std::unique_ptr<TControlPeer> CreatePanel(TPanel& control) override;
    std::unique_ptr<TControlPeer> CreatePaintBox(TPaintBox& control) override;
    std::unique_ptr<TControlPeer> CreateScrollBar(TScrollBar& control) override;
    std::unique_ptr<TControlPeer> CreateEdit(TEdit& control) override;
    std::unique_ptr<TControlPeer> CreateMemo(TMemo& control) override;
    std::unique_ptr<TControlPeer> CreateButton(TButton& control) override;
    std::unique_ptr<TControlPeer> CreateCheckBox(TCheckBox& control) override;
    std::unique_ptr<TControlPeer> CreateRadioButton(TRadioButton& control) override;
    std::unique_ptr<TControlPeer> CreateListBox(TListBox& control) override;
    std::unique_ptr<TControlPeer> CreateComboBox(TComboBox& control) override;
    std::unique_ptr<TPopupMenuPeer> CreatePopupMenu(TPopupMenu& menu) override;
};

// Key codes: FLTK's key to the virtual-key number of KeyDown (0 when it has none), and the
// modifier state of the current event.
int VirtualKeyOf(int fltkKey);
#include "platform/gui/control.h"
TShiftState CurrentShiftState();
// Shows cursor over every window at once (the application's screen cursor).
void ShowScreenCursor(TCursor cursor);
// Offers the key of the current FL_KEYBOARD event to the shortcuts of the window it is for
// (TWindow::OnShortcut) before any widget sees it; true when they took it.
bool PreviewShortcut(Fl_Window* window);
