#pragma once
// The book configuration "folioauthor.html": four "key=value" lines, each ended by CR LF, in the
// order homepage, caption, password, iconfile. The reader finds its home page, title, password
// and icon there. Values are written as they are, without quoting.
#include <string>

std::string BookConfigText(const std::string& homePage, const std::string& caption,
                           const std::string& password, const std::string& iconFile);

// Writes the text to path, replacing the file. False when it cannot be written whole.
bool WriteBookConfig(const std::string& path, const std::string& text);
