#pragma once
// Display-wide image settings: the colour depth the images are prepared for, the shared
// 256-colour palette of 8-bit displays, the stock bitmaps and the cursor slots. Made by the
// first client's StartImageDisplay and released by the last one's EndImageDisplay.
#include <functional>
#include <memory>
#include <string>

#include "platform/graphics/bitmap.h"

// Begins one use of the display settings; the first use reads the screen's depth and makes the
// palette and stock bitmaps.
void StartImageDisplay();
// Ends one use; the last one frees the palette and bitmaps.
void EndImageDisplay();

// Colour bits the images are prepared for: 4, 8 or 24.
int ColorBits();
// The screen's bits reduced to 4 (4 or less), 8 (5 to 8) or 24 (more than 8).
int NormalizeColorBits(int screenBits);
// Overrides the depth (tests, the image dump tool): remakes or drops the shared palette.
void SetColorBits(int bits);

// The shared palette, made only when the colour bits are 8; nullptr otherwise.
const TPalette* ThePalette();
// What the shared palette holds: static colours at 0-9 and 246-255, a 215-colour cube
// (levels 55, 115, 165, 205, 235, 255, red fastest, white left out) at 10-224 and 21 greys at
// 225-245.
const TPalette& SharedPaletteEntries();

// Stock bitmaps for images that are missing or still loading (resource ids 1002, 1001, 1005).
enum TStockBitmap { sbDefault = 0, sbError = 1, sbErrorMask = 2 };
const TBitmap* StockBitmap(TStockBitmap which);
// Where the stock bitmaps come from: given a resource id, a bitmap or none. Without a provider
// (or when it gives none) small drawn stand-ins are used.
void SetStockBitmapProvider(std::function<std::unique_ptr<TBitmap>(int resourceId)> provider);

// Cursor slots of the screen; the GUI layer maps them to real cursors.
enum TImageCursor : int {
    HandCursor = 1,       // resource 1003
    ThickIBeamCursor = 2, // resource 1006
    UpDownCursor = 3,     // "UPDOWNCURSOR"
    UpOnlyCursor = 4,     // "UPONLYCURSOR"
    DownOnlyCursor = 5,   // "DOWNONLYCURSOR"
};
// Resource name of a cursor slot ("1003", "1006", "UPDOWNCURSOR", ...); empty for others.
std::string CursorResourceName(int slot);
