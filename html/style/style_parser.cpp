#include "html/style/style_parser.h"

#include <vector>

#include "html/style/shorthands.h"
#include "platform/base/strings.h"

namespace {
bool IsLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}
bool IsSelectorChar(char c) {
    return c == ' ' || c == '#' || c == '-' || c == '.' || c == ':' || IsDigit(c) || IsLetter(c);
}
bool IsNameChar(char c) {
    return c == '-' || IsDigit(c) || IsLetter(c);
}

// A declaration's (lower-case) value without a closing "!important". Full CSS gives such a
// declaration more weight; this cascade has no weights, but the value in front still counts as
// written.
std::string WithoutImportant(const std::string& trimmed) {
    constexpr std::string_view kWord = "important";
    std::string_view v = trimmed;
    if (v.size() < kWord.size() || v.substr(v.size() - kWord.size()) != kWord)
        return trimmed;
    v.remove_suffix(kWord.size());
    while (!v.empty() && static_cast<uint8_t>(v.back()) <= ' ')
        v.remove_suffix(1);
    if (v.empty() || v.back() != '!')
        return trimmed;
    v.remove_suffix(1);
    return Trim(v);
}

// The key of one selector: the text itself, or for a contextual selector the subject, a
// blank, the ancestor count and a sequence number, then the ancestors nearest first, each
// followed by a blank.
std::string MakeSelectorKey(TStyleList& list, const std::string& text) {
    if (text.find(' ') == std::string::npos)
        return text;
    std::vector<std::string_view> parts;
    std::string_view rest = text;
    while (!rest.empty()) {
        const size_t blank = rest.find(' ');
        if (blank != 0)
            parts.push_back(rest.substr(0, blank));
        if (blank == std::string_view::npos)
            break;
        rest.remove_prefix(blank + 1);
    }
    if (parts.size() < 2)
        return parts.empty() ? std::string() : std::string(parts[0]);
    std::string key(parts.back());
    key += ' ';
    key += std::to_string(parts.size() - 1);
    key += list.NextContextNumber();
    for (size_t i = parts.size() - 1; i-- > 0;) {
        key += parts[i];
        key += ' ';
    }
    return key;
}

class TSheetParser {
public:
    TSheetParser(TStyleList& list, const TStyleCharSource& source, std::string base)
        : list_(list), source_(source), dispatcher_(
                                            [this](std::string_view name, std::string_view value) {
                                                for (const std::string& key : selectors_)
                                                    list_.SetRule(key, name, value);
                                            },
                                            std::move(base)) {}

    char Run(char ch) {
        PushBack(ch);
        ch_ = ' ';
        // Blanks and an opening HTML comment marker.
        while (ch_ == ' ' || ch_ == '!' || ch_ == '-' || ch_ == '<' || ch_ == '>')
            Next();
        while (ch_ != StyleEofChar && ch_ != '<') {
            if (ch_ == '@') {
                SkipAtRule();
            } else {
                selectors_.clear();
                ReadSelectors();
                ReadDeclarations();
            }
            while (ch_ == ' ' || ch_ == '-' || ch_ == '>')
                Next();
        }
        return AsciiUpper(ch_);
    }

private:
    char Raw() {
        char c;
        if (!pushed_.empty()) {
            c = pushed_.back();
            pushed_.pop_back();
        } else if (ended_) {
            c = StyleEofChar;
        } else {
            c = source_ ? source_() : StyleEofChar;
            // A source is not asked again once it has said the text is over.
            ended_ = c == StyleEofChar;
        }
        // Line ends and tabs are blanks, as the lexer makes them in style elements.
        if (c == '\r' || c == '\n' || c == '\t')
            c = ' ';
        return c;
    }
    void PushBack(char c) { pushed_.push_back(c); }

    // The next character with comments skipped.
    char Next() {
        char c = Raw();
        while (c == '/') {
            const char n = Raw();
            if (n != '*') {
                PushBack(n);
                break;
            }
            // Up to the first "*/"; a comment left open ends before the next "<".
            bool star = false;
            for (;;) {
                c = Raw();
                if (c == StyleEofChar || c == '<')
                    return ch_ = c;
                if (star && c == '/')
                    break;
                star = c == '*';
            }
            c = Raw();
        }
        return ch_ = c;
    }

    void SkipBlanks() {
        while (ch_ == ' ')
            Next();
    }

    void SkipAtRule() {
        while (ch_ != ';' && ch_ != '<' && ch_ != '{' && ch_ != StyleEofChar)
            Next();
        if (ch_ == '{') {
            // Nested braces are not counted.
            while (ch_ != '}' && ch_ != '<' && ch_ != StyleEofChar)
                Next();
            if (ch_ == '}')
                Next();
        } else if (ch_ == ';') {
            Next();
        }
    }

    void ReadSelectors() {
        do {
            if (ch_ == ',')
                Next();
            SkipBlanks();
            std::string text;
            while (IsSelectorChar(ch_)) {
                text += ch_;
                Next();
            }
            selectors_.push_back(MakeSelectorKey(list_, LowerCase(Trim(text))));
        } while (ch_ == ',');
        while (ch_ != '{' && ch_ != '<' && ch_ != StyleEofChar)
            Next();
    }

    void ReadDeclarations() {
        if (ch_ != '{')
            return;
        Next();
        for (;;) {
            SkipBlanks();
            std::string name;
            while (IsNameChar(ch_)) {
                name += ch_;
                Next();
            }
            name = LowerCase(Trim(name));
            SkipBlanks();
            if (ch_ == ':') {
                Next();
                std::string value;
                while (ch_ != ';' && ch_ != '<' && ch_ != '}' && ch_ != StyleEofChar) {
                    value += ch_;
                    Next();
                }
                const std::string trimmed = WithoutImportant(LowerCase(Trim(value)));
                dispatcher_.Dispatch(name, trimmed, Unquote(trimmed));
            }
            SkipBlanks();
            if (ch_ == ';')
                Next();
            while (!IsNameChar(ch_) && ch_ != '}' && ch_ != '<' && ch_ != StyleEofChar)
                Next();
            if (ch_ == '}' || ch_ == '<' || ch_ == StyleEofChar) {
                if (ch_ == '}')
                    Next();
                return;
            }
        }
    }

    TStyleList& list_;
    const TStyleCharSource& source_;
    std::vector<char> pushed_; // read back last in, first out
    bool ended_ = false;
    char ch_ = ' ';
    std::vector<std::string> selectors_;
    TDeclarationDispatcher dispatcher_;
};
} // namespace

void ParseStyleSheet(TStyleList& list, char& ch, const TStyleCharSource& source,
                     std::string_view base) {
    TSheetParser parser(list, source, std::string(base));
    ch = parser.Run(ch);
}

void ParseStyleText(TStyleList& list, std::string_view text, std::string_view base) {
    size_t pos = 0;
    TStyleCharSource source = [&]() -> char {
        return pos < text.size() ? text[pos++] : StyleEofChar;
    };
    char ch = ' ';
    ParseStyleSheet(list, ch, source, base);
}

void ParseStyleAttribute(std::string_view text, TProperties& props) {
    const std::string s = LowerCase(text);
    TDeclarationDispatcher dispatcher(
        [&props](std::string_view name, std::string_view value) {
            props.AddPropertyByName(name, value);
        },
        std::string());
    size_t pos = 0;
    auto cur = [&]() -> char {
        if (pos >= s.size())
            return StyleEofChar;
        const char c = s[pos];
        return (c == '\r' || c == '\n' || c == '\t') ? ' ' : c;
    };
    auto skipBlanks = [&] {
        while (cur() == ' ')
            ++pos;
    };
    while (cur() != StyleEofChar) {
        skipBlanks();
        std::string name;
        while (IsNameChar(cur()))
            name += s[pos++];
        name = Trim(name);
        skipBlanks();
        if (cur() == ':') {
            ++pos;
            std::string value;
            while (cur() != ';' && cur() != StyleEofChar) {
                value += cur();
                ++pos;
            }
            const std::string trimmed = WithoutImportant(Trim(value));
            dispatcher.Dispatch(name, trimmed, Unquote(trimmed));
        }
        skipBlanks();
        if (cur() == ';')
            ++pos;
        while (cur() != StyleEofChar && !IsNameChar(cur()))
            ++pos;
    }
}
