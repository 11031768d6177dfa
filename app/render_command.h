#pragma once
// foliobuilder render PAGE -o OUT.png [--width N] [--height N] [--background C] [--dump]: lays
// a page (HTML, text or a picture) out with the document engine, headless, and writes its
// picture or its layout dump. A frame-set page is drawn whole by the frame viewer at
// N x --height pixels. Where a page sets no background, white is painted, as in the windows.
#include <string>
#include <vector>

#include "app/command_line.h"

// args[0] is "render".
int RunRenderCommand(const std::vector<std::string>& args, const TCommandLineEnvironment& env);
