#pragma once
// File names come from outside and may hold any byte but "/" and NUL: an ESC or a newline in
// a name printed raw would move the cursor, recolour or rewrite the terminal, or forge lines
// of output. Everything that shows a name on a terminal (listings, the progress bar,
// messages) passes it through here.
#include <string>
#include <string_view>

// The name with control characters (C0, DEL and the C1 range), bytes that are not UTF-8 and
// the backslash itself written as escapes: "\n", "\r", "\t", "\\", else "\xNN" per byte.
// Printable UTF-8 is kept as it is.
std::string PrintableName(std::string_view name);
