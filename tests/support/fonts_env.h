#pragma once
// Include in every test that makes fonts: before main runs (and so before fontconfig starts),
// it points FONTCONFIG_FILE at tests/data/fontconfig/fonts.conf, which lists only the packaged
// Liberation and DejaVu fonts with the Windows families aliased to them, and Droid Sans
// Fallback for the CJK characters they lack. Text then measures
// and draws the same on every machine. Tests run from the repository root; FOLIO_SOURCE_DIR
// takes precedence when CTest sets it.
#include <climits>
#include <cstdlib>
#include <string>

#include <unistd.h>

namespace folio_test {

// An absolute path: fontconfig reads a relative FONTCONFIG_FILE from its own folder.
inline std::string TestFontConfigFile() {
    const char* src = std::getenv("FOLIO_SOURCE_DIR");
    std::string root;
    if (src != nullptr && *src != '\0') {
        root = src;
    } else {
        char cwd[PATH_MAX];
        root = getcwd(cwd, sizeof cwd) != nullptr ? cwd : ".";
    }
    return root + "/tests/data/fontconfig/fonts.conf";
}

inline bool UseTestFonts() {
    const std::string file = TestFontConfigFile();
    return setenv("FONTCONFIG_FILE", file.c_str(), 1) == 0;
}

// Runs during static initialisation of every test binary that includes this header.
inline const bool kTestFontsInstalled = UseTestFonts();

} // namespace folio_test
