#pragma once
// What TkqFormIni needs of a window to restore and save its placement. GUI windows implement
// it; the settings code never sees the toolkit.
#include <cstdint>
#include <string>

class TPlacementWindow {
public:
    virtual ~TPlacementWindow() = default;
    // The window's component name; it names the INI section ("FolioerF").
    virtual std::string PlacementName() const = 0;
    virtual int32_t PlacementLeft() const = 0;
    virtual int32_t PlacementTop() const = 0;
    virtual int32_t PlacementWidth() const = 0;
    virtual int32_t PlacementHeight() const = 0;
    virtual bool PlacementMaximized() const = 0;
    virtual void SetPlacementBounds(int32_t left, int32_t top, int32_t width, int32_t height) = 0;
    virtual void MaximizePlacement() = 0;
};
