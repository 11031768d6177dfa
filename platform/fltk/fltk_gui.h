#pragma once
// Turns the GUI on: while a TFltkGui lives, shown windows get FLTK widgets, the application's
// loop waits in FLTK (dispatching window events), and dialogs are FLTK dialogs. This header
// includes no FLTK header, so the programs' main files stay toolkit-free.
#include <memory>
#include <string>

// The window class (WM_CLASS) of the program at programPath: its file name, so the builder's
// windows are "foliobuilder" and a book's carry the book's own name. Bytes the class's Latin-1
// text cannot hold, and control characters, become "_"; an empty name gives "folio".
std::string WindowClassName(const std::string& programPath);

class TFltkGui {
public:
    // Opens the display; throws Exception when there is none (no DISPLAY, X server gone).
    TFltkGui();
    ~TFltkGui();
    TFltkGui(const TFltkGui&) = delete;
    TFltkGui& operator=(const TFltkGui&) = delete;

    // True when an X display can be opened (DISPLAY set and reachable).
    static bool DisplayAvailable();

private:
    struct TImpl;
    std::unique_ptr<TImpl> impl_;
};
