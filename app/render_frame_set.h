#pragma once
// The picture of a frame-set page: the frame viewer laid out at a width and height, headless,
// every frame painted through its own viewer into one canvas.
#include <cstdint>
#include <string>

#include "platform/graphics/color.h"

// True when the file is a frame-set document (a FRAMESET before anything of a page body).
bool IsFrameSetFile(const std::string& path);
// Loads path into a frame viewer of width x height, with `background` where a frame's page
// sets none, and writes what it shows as a PNG. False with a message when the page cannot be
// loaded or the file written.
bool RenderFrameSet(const std::string& path, int32_t width, int32_t height, TColor background,
                    const std::string& output, std::string& error);
