// Finding a document's encoding before it is read: its byte-order mark, the META tags a
// prescan of its start finds (as browsers read them before they know the encoding), an XML
// declaration or a style sheet's @charset, whether it reads as UTF-8, else the fallback.
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/base/strings.h"
#include "platform/base/text_encoding.h"

namespace {

bool IsAsciiBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\f' || c == '\r';
}

bool StartsWithNoCase(std::string_view s, std::string_view prefix) {
    return s.size() >= prefix.size() && SameText(s.substr(0, prefix.size()), prefix);
}

// The encoding a declaration (meta, XML, @charset) names, or empty when it names none we know.
// A document the prescan could read as ASCII is not UTF-16, whatever it says: it is taken as
// UTF-8, as browsers take it.
std::string DeclaredEncoding(std::string_view label) {
    const std::string name = NormalizeEncodingName(label);
    return name == "utf-16le" || name == "utf-16be" ? "utf-8" : name;
}

// ---- Content-Type values -------------------------------------------------------------------

// The value of the first "charset=" parameter of a lower-cased Content-Type value; empty when
// there is none.
std::string_view CharsetParameter(std::string_view lower) {
    size_t pos = 0;
    while ((pos = lower.find("charset", pos)) != std::string_view::npos) {
        size_t i = pos + 7;
        while (i < lower.size() && IsAsciiBlank(lower[i]))
            ++i;
        if (i >= lower.size() || lower[i] != '=') {
            pos = i;
            continue;
        }
        ++i;
        while (i < lower.size() && IsAsciiBlank(lower[i]))
            ++i;
        if (i >= lower.size())
            return {};
        if (lower[i] == '"' || lower[i] == '\'') {
            const size_t close = lower.find(lower[i], i + 1);
            if (close == std::string_view::npos)
                return {};
            return lower.substr(i + 1, close - i - 1);
        }
        size_t end = i;
        while (end < lower.size() && !IsAsciiBlank(lower[end]) && lower[end] != ';')
            ++end;
        return lower.substr(i, end - i);
    }
    return {};
}

struct TOldCharsetName {
    const char* text;
    const char* encoding; // null: the ISO 8859 part whose number follows "8859-"
};

// The names older pages were recognised by, searched in this order in the lower-cased value.
constexpr TOldCharsetName kOldCharsetNames[] = {
    {"1252", "windows-1252"}, {"8859-1", nullptr},      {"1253", "windows-1253"},
    {"8859-7", nullptr},      {"1250", "windows-1250"}, {"8859-2", nullptr},
    {"1251", "windows-1251"}, {"8859-5", nullptr},      {"koi8-r", "koi8-r"},
    {"1254", "windows-1254"}, {"8859-3", nullptr},      {"8859-9", nullptr},
    {"1257", "windows-1257"}, {"8859-4", nullptr},
};

std::string OldCharsetName(std::string_view lower) {
    for (const TOldCharsetName& n : kOldCharsetNames) {
        const std::string_view text = n.text;
        for (size_t pos = lower.find(text); pos != std::string_view::npos;
             pos = lower.find(text, pos + 1)) {
            if (n.encoding != nullptr)
                return n.encoding;
            // "8859-1" also begins "8859-15": the number is the whole run of digits.
            size_t end = pos + 5;
            while (end < lower.size() && end - pos < 8 && lower[end] >= '0' && lower[end] <= '9')
                ++end;
            const std::string name =
                NormalizeEncodingName("iso-" + std::string(lower.substr(pos, end - pos)));
            if (!name.empty())
                return name;
        }
    }
    return {};
}

// ---- the META prescan ----------------------------------------------------------------------

bool IsAsciiLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// A tag attribute read the way browsers read one before they know the encoding: the name in
// lower case, the value (lower-cased when unquoted) without its quotes.
struct TPrescanAttribute {
    std::string name;
    std::string value;
};

class TPrescan {
public:
    explicit TPrescan(std::string_view bytes) : s_(bytes) {}

    std::string Run() {
        while (i_ < s_.size()) {
            if (s_[i_] != '<') { // only markup matters here
                i_ = s_.find('<', i_);
                if (i_ == std::string_view::npos)
                    return {};
            }
            const std::string_view rest = s_.substr(i_);
            if (rest.starts_with("<!--")) {
                i_ = CommentEnd(i_ + 4);
                if (i_ == std::string_view::npos)
                    return {};
            } else if (StartsWithNoCase(rest, "<meta") && rest.size() > 5 &&
                       (IsAsciiBlank(rest[5]) || rest[5] == '/')) {
                i_ += 6;
                if (std::string e = Meta(); !e.empty())
                    return e;
            } else if (StartsWithNoCase(rest, "<body") &&
                       (rest.size() == 5 || IsAsciiBlank(rest[5]) || rest[5] == '/' ||
                        rest[5] == '>')) {
                return {};
            } else if (rest.size() > 1 && rest[0] == '<' &&
                       (IsAsciiLetter(rest[1]) ||
                        (rest[1] == '/' && rest.size() > 2 && IsAsciiLetter(rest[2])))) {
                // Another tag: its attributes are read so that a ">" or "<meta" inside a
                // quoted value is not taken for markup.
                i_ += rest[1] == '/' ? 2 : 1;
                while (i_ < s_.size() && !IsAsciiBlank(s_[i_]) && s_[i_] != '>' && s_[i_] != '/')
                    ++i_;
                TPrescanAttribute a;
                while (Attribute(a)) {
                }
            } else if (rest.size() > 1 && rest[0] == '<' &&
                       (rest[1] == '!' || rest[1] == '/' || rest[1] == '?')) {
                const size_t end = s_.find('>', i_ + 2);
                if (end == std::string_view::npos)
                    return {};
                i_ = end + 1;
            } else {
                ++i_;
            }
        }
        return {};
    }

private:
    // The position after the comment whose text starts at `from`, or npos. A comment ends as the
    // lexer ends it, at two or more dashes, optional blanks and ">", so that a META the lexer
    // takes for commented out is skipped here too.
    size_t CommentEnd(size_t from) const {
        for (size_t j = from; (j = s_.find("--", j)) != std::string_view::npos;) {
            while (j < s_.size() && s_[j] == '-')
                ++j;
            while (j < s_.size() &&
                   (s_[j] == ' ' || s_[j] == '\t' || s_[j] == '\r' || s_[j] == '\n'))
                ++j;
            if (j < s_.size() && s_[j] == '>')
                return j + 1;
        }
        return std::string_view::npos;
    }

    // The attributes of a META tag; the encoding they name, if any.
    std::string Meta() {
        bool gotPragma = false, gotContent = false, gotCharset = false;
        bool needPragma = false;
        std::string found;
        TPrescanAttribute a;
        while (Attribute(a)) {
            if (a.name == "http-equiv") {
                gotPragma = gotPragma || a.value == "content-type";
            } else if (a.name == "content" && !gotContent) {
                gotContent = true;
                if (!gotCharset && found.empty()) {
                    found = EncodingOfContentType(a.value);
                    needPragma = true;
                }
            } else if (a.name == "charset" && !gotCharset) {
                gotCharset = true;
                found = NormalizeEncodingName(a.value);
                needPragma = false;
            }
        }
        if (found.empty() || (needPragma && !gotPragma))
            return {};
        return DeclaredEncoding(found);
    }

    // Reads one attribute at the current position into `a`; false at the end of the tag (the
    // ">" is consumed) or of the bytes.
    bool Attribute(TPrescanAttribute& a) {
        a.name.clear();
        a.value.clear();
        while (i_ < s_.size() && (IsAsciiBlank(s_[i_]) || s_[i_] == '/'))
            ++i_;
        if (i_ >= s_.size())
            return false;
        if (s_[i_] == '>') {
            ++i_;
            return false;
        }
        // The name: a "=" right at its start belongs to it.
        do {
            const char c = s_[i_];
            if ((c == '=' && !a.name.empty()) || IsAsciiBlank(c))
                break;
            if (c == '/' || c == '>')
                return true;
            a.name += AsciiLower(c);
            ++i_;
        } while (i_ < s_.size());
        while (i_ < s_.size() && IsAsciiBlank(s_[i_]))
            ++i_;
        if (i_ >= s_.size() || s_[i_] != '=')
            return i_ < s_.size();
        ++i_;
        while (i_ < s_.size() && IsAsciiBlank(s_[i_]))
            ++i_;
        if (i_ >= s_.size())
            return false;
        const char q = s_[i_];
        if (q == '"' || q == '\'') {
            const size_t close = s_.find(q, i_ + 1);
            if (close == std::string_view::npos) {
                i_ = s_.size();
                return false;
            }
            for (size_t k = i_ + 1; k < close; ++k)
                a.value += AsciiLower(s_[k]);
            i_ = close + 1;
            return true;
        }
        while (i_ < s_.size() && !IsAsciiBlank(s_[i_]) && s_[i_] != '>') {
            a.value += AsciiLower(s_[i_]);
            ++i_;
        }
        return true;
    }

    std::string_view s_;
    size_t i_ = 0;
};

constexpr size_t kPrescanLength = 64 * 1024;
// An XML declaration or @charset rule longer than this is not one.
constexpr size_t kDeclarationLength = 1024;

std::string XmlDeclaration(std::string_view bytes) {
    if (!bytes.starts_with("<?xml") || bytes.size() < 6 || !IsAsciiBlank(bytes[5]))
        return {};
    const size_t end = bytes.substr(0, kDeclarationLength).find("?>");
    if (end == std::string_view::npos)
        return {};
    const std::string_view decl = bytes.substr(0, end);
    size_t i = decl.find("encoding");
    if (i == std::string_view::npos)
        return {};
    i += 8;
    while (i < decl.size() && IsAsciiBlank(decl[i]))
        ++i;
    if (i >= decl.size() || decl[i] != '=')
        return {};
    ++i;
    while (i < decl.size() && IsAsciiBlank(decl[i]))
        ++i;
    if (i >= decl.size() || (decl[i] != '"' && decl[i] != '\''))
        return {};
    const size_t close = decl.find(decl[i], i + 1);
    if (close == std::string_view::npos)
        return {};
    return DeclaredEncoding(decl.substr(i + 1, close - i - 1));
}

std::string CssCharsetRule(std::string_view bytes) {
    constexpr std::string_view kOpen = "@charset \"";
    if (!bytes.starts_with(kOpen))
        return {};
    const size_t close = bytes.substr(0, kDeclarationLength).find("\";", kOpen.size());
    if (close == std::string_view::npos)
        return {};
    return DeclaredEncoding(bytes.substr(kOpen.size(), close - kOpen.size()));
}

// The byte-order mark at the start, if any.
bool SniffBom(std::string_view bytes, TEncodingGuess& guess) {
    if (bytes.starts_with("\xEF\xBB\xBF")) {
        guess = {"utf-8", TEncodingSource::Bom, 3};
    } else if (bytes.starts_with("\xFF\xFE")) {
        guess = {"utf-16le", TEncodingSource::Bom, 2};
    } else if (bytes.starts_with("\xFE\xFF")) {
        guess = {"utf-16be", TEncodingSource::Bom, 2};
    } else {
        return false;
    }
    return true;
}

// The last two rules of both searches: UTF-8 content, then the fallback.
TEncodingGuess ContentOrFallback(std::string_view bytes, std::string_view fallback) {
    if (!IsAscii(bytes) && IsValidUtf8(bytes))
        return {"utf-8", TEncodingSource::Utf8Content};
    const std::string name = NormalizeEncodingName(fallback);
    return {name.empty() ? "windows-1252" : name, TEncodingSource::Fallback};
}

} // namespace

std::string EncodingOfContentType(std::string_view content) {
    const std::string lower = LowerCase(content);
    const std::string_view parameter = CharsetParameter(lower);
    if (std::string name = NormalizeEncodingName(parameter); !name.empty())
        return name;
    return OldCharsetName(lower);
}

TEncodingGuess SniffHtmlEncoding(std::string_view bytes, std::string_view fallback) {
    TEncodingGuess guess;
    if (SniffBom(bytes, guess))
        return guess;
    if (std::string e = TPrescan(bytes.substr(0, kPrescanLength)).Run(); !e.empty())
        return {e, TEncodingSource::Meta};
    if (std::string e = XmlDeclaration(bytes); !e.empty())
        return {e, TEncodingSource::XmlDeclaration};
    return ContentOrFallback(bytes, fallback);
}

TEncodingGuess SniffCssEncoding(std::string_view bytes, std::string_view fallback) {
    TEncodingGuess guess;
    if (SniffBom(bytes, guess))
        return guess;
    if (std::string e = CssCharsetRule(bytes); !e.empty())
        return {e, TEncodingSource::CssCharset};
    return ContentOrFallback(bytes, fallback);
}
