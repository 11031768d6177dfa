#include "html/style/shorthands.h"

#include <array>

#include "html/reader/url_subs.h"
#include "html/style/color_text.h"
#include "html/style/prop_index.h"
#include "html/style/value_convert.h"
#include "platform/base/strings.h"

namespace {
constexpr std::array<std::string_view, 11> kShorthands = {
    "margin",        "padding",     "border-width", "border",     "border-top", "border-right",
    "border-bottom", "border-left", "font",         "background", "list-style",
};
constexpr std::array<std::string_view, 16> kFontWords = {
    "italic",  "oblique",  "normal",  "bolder", "lighter", "bold",  "small-caps", "larger",
    "smaller", "xx-small", "x-small", "small",  "medium",  "large", "x-large",    "xx-large",
};
constexpr std::array<std::string_view, 9> kBorderStyles = {
    "none", "solid", "dashed", "dotted", "double", "groove", "inset", "outset", "ridge",
};

template <size_t N> int IndexIn(const std::array<std::string_view, N>& table, std::string_view s) {
    for (size_t i = 0; i < N; ++i) {
        if (table[i] == s)
            return static_cast<int>(i);
    }
    return -1;
}

bool IsColor(std::string_view word) {
    TColor c = 0;
    return ColorFromText(word, true, c);
}

// Blanks inside parentheses go, so that rgb(1, 2, 3) stays one word beside others.
std::string JoinParenthesised(std::string_view value) {
    std::string s;
    s.reserve(value.size());
    int depth = 0;
    for (char c : value) {
        if (c == '(')
            ++depth;
        else if (c == ')' && depth > 0)
            --depth;
        if (c == ' ' && depth > 0)
            continue;
        s += c;
    }
    return s;
}

// One to four words for top, right, bottom and left, as margin and padding take them.
bool FourSides(const std::vector<std::string>& w, std::string_view (&side)[4]) {
    switch (w.size()) {
    case 1:
        side[0] = side[1] = side[2] = side[3] = w[0];
        return true;
    case 2:
        side[0] = side[2] = w[0];
        side[1] = side[3] = w[1];
        return true;
    case 3:
        side[0] = w[0];
        side[1] = side[3] = w[1];
        side[2] = w[2];
        return true;
    case 4:
        for (int i = 0; i < 4; ++i)
            side[i] = w[static_cast<size_t>(i)];
        return true;
    default:
        return false;
    }
}

constexpr const char* kSideColors[4] = {"border-top-color", "border-right-color",
                                        "border-bottom-color", "border-left-color"};
constexpr const char* kSideStyles[4] = {"border-top-style", "border-right-style",
                                        "border-bottom-style", "border-left-style"};
} // namespace

int ShorthandIndex(std::string_view name) {
    return IndexIn(kShorthands, name);
}

std::string Unquote(std::string_view text) {
    if (text.size() > 1 && (text.front() == '"' || text.front() == '\'') &&
        text.back() == text.front())
        return std::string(text.substr(1, text.size() - 2));
    return std::string(text);
}

std::vector<std::string> SplitWords(std::string_view value, int maxWords) {
    // One blank for every run, none after a comma.
    std::string s;
    s.reserve(value.size());
    for (char c : value) {
        const bool blank = c == ' ';
        if (blank && (s.empty() ? false : (s.back() == ' ' || s.back() == ',')))
            continue;
        s += c;
    }
    std::vector<std::string> words;
    std::string_view rest = s;
    while (static_cast<int>(words.size()) < maxWords) {
        while (!rest.empty() && rest.front() == ' ')
            rest.remove_prefix(1);
        if (rest.empty())
            break;
        size_t end = rest.find(' ');
        const size_t quote = rest.find_first_of("\"'");
        if (quote != std::string_view::npos && quote < end) {
            const size_t close = rest.find(rest[quote], quote + 1);
            end = close == std::string_view::npos ? std::string_view::npos
                                                  : rest.find(' ', close + 1);
        }
        std::string_view word = rest.substr(0, end);
        rest = end == std::string_view::npos ? std::string_view{} : rest.substr(end);
        const size_t slash = word.find('/', 1);
        if (slash != std::string_view::npos) {
            words.emplace_back(word.substr(0, slash));
            words.emplace_back(word.substr(slash));
        } else {
            words.emplace_back(word);
        }
    }
    return words;
}

std::vector<std::string> ExtractGroups(std::string& value, int maxGroups) {
    std::vector<std::string> groups;
    while (static_cast<int>(groups.size()) < maxGroups) {
        size_t open = value.find("url(");
        if (open == std::string::npos)
            open = value.find("rgb(");
        if (open == std::string::npos)
            break;
        // The group closes at the first ")" after its opening, so an rgb() before a url()
        // does not hide the url().
        const size_t close = value.find(')', open);
        if (close == std::string::npos)
            break;
        groups.push_back(value.substr(open, close - open + 1));
        value.erase(open, close - open + 1);
    }
    return groups;
}

std::string MakeUrlAbsolute(std::string_view value, std::string_view base) {
    std::string address = ReadUrl(value);
    if (base.find("://") == std::string_view::npos) {
        address = UrlToPath(address);
        if (address.empty() || address[0] != '/') {
            std::string dir(base);
            if (!dir.empty() && dir.back() != '/')
                dir += '/';
            address = dir + address;
        }
    } else if (!IsFullUrl(address)) {
        address = CombineUrl(base, address);
    }
    return "url(" + address + ")";
}

std::string TDeclarationDispatcher::Absolute(std::string_view url) const {
    return base_.empty() ? std::string(url) : MakeUrlAbsolute(url, base_);
}

void TDeclarationDispatcher::Dispatch(std::string_view name, std::string_view trimmed,
                                      std::string_view value) {
    if (name == "border-color") {
        ExpandBorderColor(value);
        return;
    }
    if (name == "border-style" && value.find(' ') != std::string_view::npos) {
        ExpandBorderStyle(value);
        return;
    }
    switch (ShorthandIndex(name)) {
    case 0:
    case 1:
    case 2:
        ExpandBox(ShorthandIndex(name), value);
        return;
    case 3:
    case 4:
    case 5:
    case 6:
    case 7:
        ExpandBorder(name, value);
        return;
    case 8:
        ExpandFont(trimmed);
        return;
    case 9:
        ExpandBackground(value);
        return;
    case 10:
        ExpandListStyle(value);
        return;
    default:
        break;
    }
    if (!base_.empty() && value.find("url(") != std::string_view::npos)
        sink_(name, MakeUrlAbsolute(value, base_));
    else
        sink_(name, value);
}

void TDeclarationDispatcher::ExpandBox(int kind, std::string_view value) {
    if (value.empty())
        return;
    static constexpr int kFirst[3] = {piMarginTop, piPaddingTop, piBorderTopWidth};
    const int first = kFirst[kind < 0 || kind > 2 ? 0 : kind];
    const std::vector<std::string> w = SplitWords(value, 4);
    if (w.empty())
        return;
    // Top, right, bottom, left.
    std::string_view side[4];
    switch (w.size()) {
    case 1:
        side[0] = side[1] = side[2] = side[3] = w[0];
        break;
    case 2:
        side[0] = side[2] = w[0];
        side[1] = side[3] = w[1];
        break;
    case 3:
        side[0] = w[0];
        side[1] = side[3] = w[1];
        side[2] = w[2];
        break;
    default:
        for (int i = 0; i < 4; ++i)
            side[i] = w[static_cast<size_t>(i)];
    }
    for (int i = 0; i < 4; ++i)
        sink_(PropName(first + i), side[i]);
}

void TDeclarationDispatcher::ExpandFont(std::string_view trimmed) {
    for (const std::string& w : SplitWords(trimmed, 7)) {
        if (w.empty())
            continue;
        if (w[0] == '/') {
            sink_("line-height", std::string_view(w).substr(1));
            continue;
        }
        const int k = IndexIn(kFontWords, w);
        if (k == 0 || k == 1)
            sink_("font-style", w);
        else if (k >= 2 && k <= 5)
            sink_("font-weight", w);
        else if (k == 6)
            sink_("font-variant", w);
        else if (k >= 7)
            sink_("font-size", w);
        else if (w[0] < '0' || w[0] > '9')
            sink_("font-family", w);
        else
            sink_("font-size", w);
    }
}

void TDeclarationDispatcher::ExpandBackground(std::string_view value) {
    std::string rest(value);
    for (const std::string& g : ExtractGroups(rest, 7)) {
        if (g.starts_with("rgb("))
            sink_("background-color", g);
        else
            sink_("background-image", Absolute(g));
    }
    std::vector<std::string> left;
    for (std::string& w : SplitWords(rest, 7)) {
        if (IsColor(w))
            sink_("background-color", w);
        else if (w == "none")
            sink_("background-image", w);
        else
            left.push_back(std::move(w));
    }
    std::vector<std::string> position;
    for (std::string& w : left) {
        if (w.find("repeat") != std::string::npos)
            sink_("background-repeat", w);
        else
            position.push_back(std::move(w));
    }
    if (position.size() == 1)
        sink_("background-position", position[0]);
    else if (position.size() >= 2)
        sink_("background-position",
              position[position.size() - 2] + " " + position[position.size() - 1]);
}

void TDeclarationDispatcher::ExpandBorder(std::string_view name, std::string_view value) {
    std::string rest(value);
    const std::string n(name);
    // "border" colours every side; a side's shorthand colours that side alone.
    auto color = [&](std::string_view c) {
        if (n == "border")
            ExpandBorderColor(c);
        else
            sink_(n + "-color", c);
    };
    for (const std::string& g : ExtractGroups(rest, 7)) {
        if (IsColor(g))
            color(g);
    }
    for (const std::string& w : SplitWords(rest, 7)) {
        if (IsColor(w)) {
            color(w);
        } else if (IndexIn(kBorderStyles, w) >= 0) {
            sink_(n + "-style", w);
        } else if (n == "border") {
            for (const char* side : {"border-top-width", "border-right-width",
                                     "border-bottom-width", "border-left-width"})
                sink_(side, w);
        } else {
            sink_(n + "-width", w);
        }
    }
}

void TDeclarationDispatcher::ExpandBorderColor(std::string_view value) {
    std::string_view side[4];
    const std::vector<std::string> w = SplitWords(JoinParenthesised(value), 4);
    if (!FourSides(w, side))
        return;
    // The shared slot keeps the top colour for whatever reads one colour for all sides.
    sink_("border-color", side[0]);
    for (int i = 0; i < 4; ++i)
        sink_(kSideColors[i], side[i]);
}

void TDeclarationDispatcher::ExpandBorderStyle(std::string_view value) {
    std::string_view side[4];
    const std::vector<std::string> w = SplitWords(value, 4);
    if (!FourSides(w, side))
        return;
    for (int i = 0; i < 4; ++i)
        sink_(kSideStyles[i], side[i]);
}

void TDeclarationDispatcher::ExpandListStyle(std::string_view value) {
    // The shorthand sets what it names and puts the image and the position it leaves out back
    // to their initial values, so "list-style: square" drops an inherited picture; "none"
    // takes away both the bullet and the picture.
    bool image = false, position = false;
    for (const std::string& w : SplitWords(value, 7)) {
        if (w.find("url(") != std::string::npos) {
            sink_("list-style-image", Absolute(w));
            image = true;
        } else if (w == "inside" || w == "outside") {
            sink_("list-style-position", w);
            position = true;
        } else {
            sink_("list-style-type", w);
        }
    }
    if (!image)
        sink_("list-style-image", "none");
    if (!position)
        sink_("list-style-position", "outside");
}
