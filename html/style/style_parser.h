#pragma once
// The style sheet parser: rule sets with comma-separated and contextual selectors,
// declarations, comments, HTML comment markers around a sheet; @-rules are skipped. Anything
// it does not understand is skipped without a message.
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "html/style/properties.h"
#include "html/style/style_list.h"

// Character 26 marks the end of style text.
constexpr char StyleEofChar = 26;
// Gives the next character of a sheet, StyleEofChar at the end (and on every call after it).
using TStyleCharSource = std::function<char()>;

// Reads rules into the list until the end of text or a "<", and returns through ch the
// character it stopped at, upper-cased. ch is the character current when the call starts (it
// is read first); base is the directory or web address relative url() values are taken
// against (empty: they stay as written).
void ParseStyleSheet(TStyleList& list, char& ch, const TStyleCharSource& source,
                     std::string_view base);
// The same over a text (a style element's content or a loaded sheet, line ends normalised).
void ParseStyleText(TStyleList& list, std::string_view text, std::string_view base = {});

// The declarations of a STYLE attribute, written into the set with AddPropertyByName. The
// text is lower-cased first, so "COLOR: Red" works; url() values stay as written.
void ParseStyleAttribute(std::string_view text, TProperties& props);
