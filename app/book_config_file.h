#pragma once
// The book configuration "folioauthor.html": four "key=value" lines, each ended by CR LF, in the
// order homepage, caption, password, iconfile. The reader finds its home page, title, password
// and icon there. Values are written as they are, without quoting, so none may hold a line
// break: it would start a line of its own and could set another key.
#include <optional>
#include <string>

std::string BookConfigText(const std::string& homePage, const std::string& caption,
                           const std::string& password, const std::string& iconFile);

bool HoldsLineBreak(const std::string& text);

// Why these values cannot go into a configuration (the first that cannot), or nothing.
std::optional<std::string> BookConfigProblem(const std::string& homePage,
                                             const std::string& caption,
                                             const std::string& password,
                                             const std::string& iconFile);
