#pragma once
// A window manager (openbox) on the test's X server, for the GUI tests whose behaviour needs one:
// maximising from outside the program, decorations, placement. It starts on the current
// DISPLAY (the test's Xvfb) and is stopped when the object goes, leaving the server as it was.
// Up() is false when openbox is missing or does not take the screen within the deadline; a
// test that needs it fails then rather than passing without it.
#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <signal.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>

#include "tests/support/xvfb_session.h"

namespace folio_test {

// The window that the running manager names as its own on the root (_NET_SUPPORTING_WM_CHECK),
// 0 when there is none.
inline unsigned long ManagerWindow(Display* d) {
    const Atom check = XInternAtom(d, "_NET_SUPPORTING_WM_CHECK", False);
    Atom type = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    unsigned long w = 0;
    if (XGetWindowProperty(d, DefaultRootWindow(d), check, 0, 1, False, XA_WINDOW, &type, &format,
                           &count, &after, &data) == Success &&
        data && type == XA_WINDOW && format == 32 && count == 1)
        w = *reinterpret_cast<unsigned long*>(data);
    if (data)
        XFree(data);
    return w;
}

class TWindowManager {
public:
    TWindowManager() {
        if (!xvfb::InPath("openbox"))
            return;
        // A configuration of its own would be read from HOME; the system one is what a new
        // user gets, and no session manager is asked for.
        pid_ = xvfb::Spawn({"openbox", "--sm-disable"});
        if (pid_ <= 0)
            return;
        Display* d = XOpenDisplay(nullptr);
        if (!d)
            return;
        const auto end = xvfb::Clock::now() + std::chrono::seconds(20);
        while (xvfb::Clock::now() < end && ManagerWindow(d) == 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        // The manager names itself before it has read its theme and fonts; it is up once it
        // takes in a window, so a probe window is mapped and waited for.
        if (ManagerWindow(d) != 0) {
            const ::Window probe =
                XCreateSimpleWindow(d, DefaultRootWindow(d), 0, 0, 10, 10, 0, 0, 0);
            XMapWindow(d, probe);
            XSync(d, False);
            const Atom wmState = XInternAtom(d, "WM_STATE", False);
            auto remap = xvfb::Clock::now() + std::chrono::seconds(1);
            while (xvfb::Clock::now() < end && !up_) {
                // A window mapped while the manager is still starting may be passed over;
                // mapped again it is asked for anew.
                if (xvfb::Clock::now() > remap) {
                    XUnmapWindow(d, probe);
                    XMapWindow(d, probe);
                    XSync(d, False);
                    remap = xvfb::Clock::now() + std::chrono::seconds(1);
                }
                Atom type = 0;
                int format = 0;
                unsigned long count = 0, after = 0;
                unsigned char* data = nullptr;
                up_ = XGetWindowProperty(d, probe, wmState, 0, 2, False, wmState, &type, &format,
                                         &count, &after, &data) == Success &&
                      data && count > 0;
                if (data)
                    XFree(data);
                if (!up_)
                    std::this_thread::sleep_for(std::chrono::milliseconds(20));
            }
            XDestroyWindow(d, probe);
            XSync(d, False);
        }
        XCloseDisplay(d);
    }
    ~TWindowManager() { Stop(); }
    TWindowManager(const TWindowManager&) = delete;
    TWindowManager& operator=(const TWindowManager&) = delete;

    bool Up() const { return up_; }

    // Ends the manager (its windows go back to the bare root) and waits, running the
    // application's loop, until the root no longer names it.
    void Stop() {
        if (pid_ <= 0)
            return;
        kill(pid_, SIGTERM);
        int status = 0;
        xvfb::PumpUntil([&] { return waitpid(pid_, &status, WNOHANG) == pid_; }, 5000);
        if (waitpid(pid_, &status, WNOHANG) == 0) {
            kill(pid_, SIGKILL);
            waitpid(pid_, &status, 0);
        }
        pid_ = -1;
        up_ = false;
    }

    // Asks the manager to maximise (or restore) the top-level X window whose name is title, as
    // a task bar or the title bar's button does: through the manager, not the program.
    static bool Maximise(const std::string& title, bool maximise) {
        Display* d = XOpenDisplay(nullptr);
        if (!d)
            return false;
        const unsigned long w = FindByName(d, DefaultRootWindow(d), title);
        if (w) {
            XEvent e{};
            e.xclient.type = ClientMessage;
            e.xclient.window = w;
            e.xclient.message_type = XInternAtom(d, "_NET_WM_STATE", False);
            e.xclient.format = 32;
            e.xclient.data.l[0] = maximise ? 1 : 0;
            e.xclient.data.l[1] =
                static_cast<long>(XInternAtom(d, "_NET_WM_STATE_MAXIMIZED_VERT", False));
            e.xclient.data.l[2] =
                static_cast<long>(XInternAtom(d, "_NET_WM_STATE_MAXIMIZED_HORZ", False));
            e.xclient.data.l[3] = 2; // from a pager: the user's own wish
            XSendEvent(d, DefaultRootWindow(d), False,
                       SubstructureRedirectMask | SubstructureNotifyMask, &e);
            XFlush(d);
        }
        XCloseDisplay(d);
        return w != 0;
    }

private:
    // The client window named title below w (the manager puts it inside a frame of its own).
    static unsigned long FindByName(Display* d, ::Window w, const std::string& title) {
        char* name = nullptr;
        if (XFetchName(d, w, &name) && name) {
            const bool same = title == name;
            XFree(name);
            if (same)
                return w;
        }
        ::Window root = 0, parent = 0, *children = nullptr;
        unsigned int n = 0;
        unsigned long found = 0;
        if (XQueryTree(d, w, &root, &parent, &children, &n)) {
            for (unsigned int i = 0; i < n && !found; ++i)
                found = FindByName(d, children[i], title);
            if (children)
                XFree(children);
        }
        return found;
    }

    pid_t pid_ = -1;
    bool up_ = false;
};

} // namespace folio_test
