#include "platform/fltk/fltk_gui.h"

#include <FL/Fl.H>
#include <FL/x.H>
#include <X11/Xlib.h>

#include <cstdlib>

#include "platform/base/exceptions.h"
#include "platform/base/files.h"
#include "platform/fltk/fltk_dialogs.h"
#include "platform/fltk/fltk_loop.h"
#include "platform/fltk/fltk_peers.h"
#include "platform/gui/application.h"
#include "platform/gui/clipboard.h"
#include "platform/gui/dialogs.h"
#include "platform/gui/peer.h"

namespace {
// Copied text goes to both the clipboard and the primary selection, as desktop programs do.
class TFltkClipboard final : public TClipboardPort {
public:
    void SetText(const std::string& utf8) override {
        const int n = static_cast<int>(utf8.size());
        Fl::copy(utf8.c_str(), n, 1);
        Fl::copy(utf8.c_str(), n, 0);
    }
};

// Every key press passes the window's shortcuts first, whichever widget has the focus: FLTK
// itself offers a key to the window only when no widget wanted it.
int DispatchEvent(int event, Fl_Window* window) {
    if (event == FL_KEYBOARD && window && PreviewShortcut(window))
        return 1;
    return Fl::handle_(event, window);
}
} // namespace

std::string WindowClassName(const std::string& programPath) {
    std::string name = programPath.substr(programPath.rfind('/') + 1);
    for (char& c : name) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x20 || u >= 0x7F)
            c = '_';
    }
    return name.empty() ? "folio" : name;
}

struct TFltkGui::TImpl {
    TFltkPeerFactory Factory;
    TFltkClipboard Clipboard;
    TClipboardPort* PreviousClipboard = nullptr;
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
    impl_->PreviousClipboard = SetClipboardPort(&impl_->Clipboard);
    Application().SetEventLoop(&impl_->Loop);
    Application().OnScreenCursorChange = [](TCursor c) { ShowScreenCursor(c); };
    Application().OnScreenWorkArea = [] {
        int x = 0, y = 0, w = 0, h = 0;
        Fl::screen_work_area(x, y, w, h);
        return Bounds(x, y, w, h);
    };
    // The desktop matches a window to its program (menu entry, task bar) by the window's
    // class; each program's windows carry its own name, the builder's and every book's.
    static const std::string windowClass = WindowClassName(ProgramPath());
    Fl_Window::default_xclass(windowClass.c_str());
    Fl::event_dispatch(&DispatchEvent);
}

TFltkGui::~TFltkGui() {
    Application().OnScreenCursorChange = nullptr;
    Application().OnScreenWorkArea = nullptr;
    Fl::event_dispatch(nullptr);
    impl_->Loop.Schedule(-1);
    Application().SetEventLoop(nullptr);
    SetClipboardPort(impl_->PreviousClipboard);
    SetDialogProvider(impl_->PreviousDialogs);
    SetPeerFactory(impl_->PreviousFactory);
    // Widgets of closed windows are deleted outside their callbacks; finish that now.
    Fl::do_widget_deletion();
}
