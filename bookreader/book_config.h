#pragma once
// The book configuration the builder packs as "folioauthor.html": "homepage=", "caption=",
// "password=" and "iconfile=" lines ended by CR LF. Reading is lenient: LF alone ends a line
// too, unknown lines are ignored, a missing key leaves its value empty, and the first "=" of a
// line splits it (a value may contain "=").
#include <string>
#include <string_view>

struct TBookConfig {
    std::string HomePage; // full path on the builder's machine; the reader uses its file name
    std::string Caption;
    std::string Password; // empty: none
    std::string IconFile;
};

TBookConfig ParseBookConfig(std::string_view text);
