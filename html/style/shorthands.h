#pragma once
// Declarations of style text, sent to a property sink: shorthand properties (margin, padding,
// border-width, border and its sides, font, background, list-style) are expanded into the
// properties they stand for; url() values of a sheet read from a file or the web are made
// absolute against the sheet's base.
#include <functional>
#include <string>
#include <string_view>
#include <vector>

// Receives one property name and its value text. Names no slot knows are dropped there.
using TPropertySink = std::function<void(std::string_view name, std::string_view value)>;

// Words of a value: blank runs count as one, no blank after a comma ("arial, serif" is one
// word), quoted stretches stay in their word with their quotes, and a word with "/" after its
// first character is cut in two before the "/" (12pt/14pt gives 12pt and /14pt).
std::vector<std::string> SplitWords(std::string_view value, int maxWords);
// Cuts url(...) groups, then rgb(...) groups, parentheses included, out of the value.
std::vector<std::string> ExtractGroups(std::string& value, int maxGroups);
// Removes one pair of matching quotes around a text longer than one character.
std::string Unquote(std::string_view text);
// "url(" + the address made absolute against base + ")". A base without "://" is a local
// directory; otherwise relative addresses are combined with the web address.
std::string MakeUrlAbsolute(std::string_view value, std::string_view base);

// Index of a shorthand name ("margin" 0 ... "list-style" 10), -1 for any other name.
int ShorthandIndex(std::string_view name);

class TDeclarationDispatcher {
public:
    TDeclarationDispatcher(TPropertySink sink, std::string base)
        : sink_(std::move(sink)), base_(std::move(base)) {}

    // One declaration: trimmed is the lower-cased, trimmed value as written (quotes kept, for
    // the font shorthand); value is the same unquoted.
    void Dispatch(std::string_view name, std::string_view trimmed, std::string_view value);

    void ExpandBox(int kind, std::string_view value);
    void ExpandFont(std::string_view trimmed);
    void ExpandBackground(std::string_view value);
    void ExpandBorder(std::string_view name, std::string_view value);
    void ExpandListStyle(std::string_view value);
    // border-color with one to four colours (top, right, bottom, left as for margin).
    void ExpandBorderColor(std::string_view value);
    // border-style with two to four words.
    void ExpandBorderStyle(std::string_view value);

private:
    std::string Absolute(std::string_view url) const;

    TPropertySink sink_;
    std::string base_; // where the sheet came from; empty for style elements and attributes
};
