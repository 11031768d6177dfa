#pragma once
// File names as the viewer handles them: made absolute and free of "." and ".." pieces.
#include <string>

// The absolute form of a path: a relative one is taken from the current directory; "." and
// ".." pieces and repeated "/" are resolved without looking at the file system.
// In a namespace of its own: the archive library has a function of the same name (with other
// rules for a trailing "/"), and the builder links both.
namespace viewer_names {
std::string ExpandFileName(const std::string& path);
} // namespace viewer_names
using viewer_names::ExpandFileName;
