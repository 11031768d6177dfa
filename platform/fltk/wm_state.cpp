#include "platform/fltk/wm_state.h"

#include <FL/Fl.H>
#include <FL/Fl_Window.H>
#include <FL/x.H>
#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <chrono>

namespace {

Atom Intern(const char* name) {
    return XInternAtom(fl_display, name, False);
}

// The atoms of a window property of type ATOM or WINDOW (32-bit items); false when it is
// missing or of another shape.
template <class F> bool ReadList(::Window w, Atom property, Atom type, F each) {
    Atom actualType = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(fl_display, w, property, 0, 64, False, type, &actualType, &format,
                           &count, &after, &data) != Success)
        return false;
    const bool ok = data && actualType == type && format == 32;
    if (ok) {
        // Xlib hands 32-bit items back as longs.
        const unsigned long* items = reinterpret_cast<const unsigned long*>(data);
        for (unsigned long i = 0; i < count; ++i)
            each(items[i]);
    }
    if (data)
        XFree(data);
    return ok;
}

::Window XidOf(Fl_Window* window) {
    return window && window->shown() ? fl_xid(window) : 0;
}

} // namespace

namespace wm_state {

namespace {

bool AskManagerPresent() {
    // The manager names a window of its own on the root, and that window names itself back.
    const Atom check = Intern("_NET_SUPPORTING_WM_CHECK");
    ::Window child = 0;
    if (!ReadList(RootWindow(fl_display, fl_screen), check, XA_WINDOW,
                  [&](unsigned long w) { child = static_cast<::Window>(w); }) ||
        !child)
        return false;
    // A manager that went away leaves a stale id; X errors here would end the program, so
    // the id is looked up among the root's children first.
    ::Window root = 0, parent = 0, *children = nullptr;
    unsigned int n = 0;
    bool found = false;
    if (XQueryTree(fl_display, RootWindow(fl_display, fl_screen), &root, &parent, &children, &n)) {
        for (unsigned int i = 0; i < n && !found; ++i)
            found = children[i] == child;
        if (children)
            XFree(children);
    }
    if (!found)
        return false;
    ::Window self = 0;
    return ReadList(child, check, XA_WINDOW,
                    [&](unsigned long w) { self = static_cast<::Window>(w); }) &&
           self == child;
}

} // namespace

bool ManagerPresent() {
    if (!fl_display)
        return false;
    // Asked on every resize of every window: the answer is kept for a moment rather than
    // asking the server three times per event.
    static std::chrono::steady_clock::time_point askedAt;
    static bool present = false;
    const auto now = std::chrono::steady_clock::now();
    if (askedAt == std::chrono::steady_clock::time_point() ||
        now - askedAt > std::chrono::milliseconds(500)) {
        present = AskManagerPresent();
        askedAt = now;
    }
    return present;
}

bool Maximised(Fl_Window* window) {
    const ::Window w = XidOf(window);
    if (!w)
        return false;
    const Atom vert = Intern("_NET_WM_STATE_MAXIMIZED_VERT");
    const Atom horz = Intern("_NET_WM_STATE_MAXIMIZED_HORZ");
    bool v = false, h = false;
    ReadList(w, Intern("_NET_WM_STATE"), XA_ATOM, [&](unsigned long a) {
        v = v || a == vert;
        h = h || a == horz;
    });
    return v && h;
}

void RequestMaximised(Fl_Window* window, bool maximised) {
    const ::Window w = XidOf(window);
    if (!w)
        return;
    XEvent e{};
    e.xclient.type = ClientMessage;
    e.xclient.window = w;
    e.xclient.message_type = Intern("_NET_WM_STATE");
    e.xclient.format = 32;
    e.xclient.data.l[0] = maximised ? 1 : 0; // _NET_WM_STATE_ADD or _NET_WM_STATE_REMOVE
    e.xclient.data.l[1] = static_cast<long>(Intern("_NET_WM_STATE_MAXIMIZED_VERT"));
    e.xclient.data.l[2] = static_cast<long>(Intern("_NET_WM_STATE_MAXIMIZED_HORZ"));
    e.xclient.data.l[3] = 1; // from a normal application
    XSendEvent(fl_display, RootWindow(fl_display, fl_screen), False,
               SubstructureRedirectMask | SubstructureNotifyMask, &e);
    XFlush(fl_display);
}

bool Managed(Fl_Window* window) {
    const ::Window w = XidOf(window);
    if (!w)
        return false;
    const Atom wmState = Intern("WM_STATE");
    Atom actualType = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    const bool ok = XGetWindowProperty(fl_display, w, wmState, 0, 2, False, wmState, &actualType,
                                       &format, &count, &after, &data) == Success &&
                    data && actualType == wmState && count > 0;
    if (data)
        XFree(data);
    return ok;
}

bool FrameExtents(Fl_Window* window, int& left, int& right, int& top, int& bottom) {
    const ::Window w = XidOf(window);
    if (!w)
        return false;
    long v[4] = {};
    int n = 0;
    ReadList(w, Intern("_NET_FRAME_EXTENTS"), XA_CARDINAL, [&](unsigned long x) {
        if (n < 4)
            v[n++] = static_cast<long>(x);
    });
    if (n != 4)
        return false;
    // A frame wider than a screen is nonsense; it is not trusted.
    for (long x : v)
        if (x < 0 || x > 1000)
            return false;
    left = static_cast<int>(v[0]);
    right = static_cast<int>(v[1]);
    top = static_cast<int>(v[2]);
    bottom = static_cast<int>(v[3]);
    return true;
}

bool IsPropertyChange(const void* xevent, Fl_Window* window) {
    const auto* e = static_cast<const XEvent*>(xevent);
    const ::Window w = XidOf(window);
    return e && w && e->type == PropertyNotify && e->xproperty.window == w;
}

bool IsEventFor(const void* xevent, Fl_Window* window) {
    const auto* e = static_cast<const XEvent*>(xevent);
    const ::Window w = XidOf(window);
    return e && w && e->xany.window == w;
}

bool IsStateChange(const void* xevent, Fl_Window* window) {
    const auto* e = static_cast<const XEvent*>(xevent);
    const ::Window w = XidOf(window);
    return e && w && e->type == PropertyNotify && e->xproperty.window == w &&
           e->xproperty.atom == Intern("_NET_WM_STATE");
}

} // namespace wm_state
