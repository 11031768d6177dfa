#pragma once
// File names as the viewer handles them: made absolute and free of "." and ".." pieces.
#include <string>

// The absolute form of a path: a relative one is taken from the current directory; "." and
// ".." pieces and repeated "/" are resolved without looking at the file system.
std::string ExpandFileName(const std::string& path);
