#include "platform/fltk/fltk_gui.h"

#include <FL/Fl.H>
#include <FL/x.H>
#include <X11/Xlib.h>

#include <cstdlib>

#include "platform/base/exceptions.h"
#include "platform/fltk/fltk_dialogs.h"
#include "platform/fltk/fltk_loop.h"
#include "platform/fltk/fltk_peers.h"
#include "platform/gui/application.h"
#include "platform/gui/dialogs.h"
#include "platform/gui/peer.h"

struct TFltkGui::TImpl {
    TFltkPeerFactory Factory;
    TFltkEventLoop Loop;
    TFltkDialogs Dialogs;
    TPeerFactory* PreviousFactory = nullptr;
    TDialogProvider* PreviousDialogs = nullptr;
};

bool TFltkGui::DisplayAvailable() {
    const char* name = std::getenv("DISPLAY");
    if (!name || !*name)
        return false;
    // FLTK ends the program when it cannot open the display, so ask Xlib first.
    Display* d = XOpenDisplay(name);
    if (!d)
        return false;
    XCloseDisplay(d);
    return true;
}

TFltkGui::TFltkGui() {
    if (!DisplayAvailable())
        throw Exception("Cannot open the display (is DISPLAY set?)");
    fl_open_display();
    impl_ = std::make_unique<TImpl>();
    impl_->PreviousFactory = SetPeerFactory(&impl_->Factory);
    impl_->PreviousDialogs = SetDialogProvider(&impl_->Dialogs);
    Application().SetEventLoop(&impl_->Loop);
    Application().OnScreenCursorChange = [](TCursor c) { ShowScreenCursor(c); };
}

TFltkGui::~TFltkGui() {
    Application().OnScreenCursorChange = nullptr;
    impl_->Loop.Schedule(-1);
    Application().SetEventLoop(nullptr);
    SetDialogProvider(impl_->PreviousDialogs);
    SetPeerFactory(impl_->PreviousFactory);
    // Widgets of closed windows are deleted outside their callbacks; finish that now.
    Fl::do_widget_deletion();
}
