#pragma once
// What the window manager says about a top-level window's state, read and asked through the
// desktop's window-manager hints (_NET_WM_STATE). A window maximised from its title bar is
// resized by the manager, not by the program; these let the window peer tell that resize from
// one the user made by hand, so the normal placement survives.
class Fl_Window;

namespace wm_state {

// True when a running window manager keeps _NET_WM_STATE (it names itself on the root window).
bool ManagerPresent();
// True when the manager has the shown window maximised both ways.
bool Maximised(Fl_Window* window);
// Asks the manager to maximise the shown window or give it back its normal size.
void RequestMaximised(Fl_Window* window, bool maximised);
// True when the manager has taken the shown window in (it set WM_STATE on it). A request made
// before that may be lost, so it waits until then.
bool Managed(Fl_Window* window);
// The widths of the frame the manager put around the shown window (_NET_FRAME_EXTENTS); false
// while it has put none.
bool FrameExtents(Fl_Window* window, int& left, int& right, int& top, int& bottom);
// True when xevent is a property change on window.
bool IsPropertyChange(const void* xevent, Fl_Window* window);
// True when xevent (an X event) is about window.
bool IsEventFor(const void* xevent, Fl_Window* window);
// True when xevent (the current X event) says window's _NET_WM_STATE changed.
bool IsStateChange(const void* xevent, Fl_Window* window);

} // namespace wm_state
