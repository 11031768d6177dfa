#pragma once
// Pictures of shown windows for the GUI tests: the window's pixels are read back from the X
// server (what a person would see), so a test can look at them and keep them for a reviewer
// in the build folder's gui-screens/.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/graphics/canvas.h"
#include "platform/gui/window.h"

namespace folio_test {

// Grabs the window's pixels into canvas (of the window's size) and writes them as a PNG file.
inline bool SaveScreenshot(const TWindow& w, const std::string& file, TCanvas& canvas) {
    Display* d = XOpenDisplay(nullptr);
    if (!d)
        return false;
    XImage* img = XGetImage(d, DefaultRootWindow(d), w.Left(), w.Top(), w.Width(), w.Height(),
                            AllPlanes, ZPixmap);
    if (!img) {
        XCloseDisplay(d);
        return false;
    }
    for (int y = 0; y < w.Height(); ++y)
        for (int x = 0; x < w.Width(); ++x) {
            const unsigned long p = XGetPixel(img, x, y);
            canvas.SetPixel(x, y, RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF));
        }
    XDestroyImage(img);
    XCloseDisplay(d);
    std::filesystem::create_directories(std::filesystem::path(file).parent_path());
    return canvas.SaveToPNG(file);
}

// Where the pictures go: the build folder's gui-screens/ under CTest.
inline std::string ScreensDir() {
    const char* bin = std::getenv("FOLIO_BINARY_DIR");
    return std::string(bin ? bin : std::filesystem::temp_directory_path().string()) +
           "/gui-screens";
}

} // namespace folio_test
