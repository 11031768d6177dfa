#include "html/reader/html_lexer.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

#include "html/reader/entities.h"
#include "html/reader/id_name_list.h"
#include "html/reader/url_subs.h"
#include "platform/base/exceptions.h"
#include "platform/base/streams.h"
#include "platform/base/string_list.h"
#include "platform/base/text_encoding.h"

namespace {

constexpr size_t kMaxNameLength = 255; // longer tag and attribute names are cut
constexpr int kMaxTextRun = 100;       // text arrives in runs of at most this many characters
constexpr int kMaxEntityDigits = 7;    // "&#" with an eighth digit is literal text
constexpr int kMaxEntityHexDigits = 6; // "&#x" with a seventh hexadecimal digit too
constexpr int kMaxEntityName = 8;      // "&name" with a ninth character is literal text
constexpr size_t kMaxSource = static_cast<size_t>(std::numeric_limits<int32_t>::max());

inline bool IsUpperLetter(char c) {
    return c >= 'A' && c <= 'Z';
}
inline bool IsLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}
inline bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// Restores a flag when a scope ends, also by an exception.
class FlagGuard {
public:
    FlagGuard(bool& flag, bool value) : flag_(flag), old_(flag) { flag_ = value; }
    ~FlagGuard() { flag_ = old_; }
    FlagGuard(const FlagGuard&) = delete;
    FlagGuard& operator=(const FlagGuard&) = delete;

private:
    bool& flag_;
    bool old_;
};

// A decimal number (sign, fraction and exponent allowed) rounded to the nearest integer, halves
// to even; 0 when the text is no number or the number does not fit in 32 bits.
int32_t NumberOrZero(std::string_view s) {
    size_t i = 0;
    bool negative = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-'))
        negative = s[i++] == '-';
    const size_t body = i;
    size_t digits = 0;
    while (i < s.size() && IsDigit(s[i]))
        ++i, ++digits;
    if (i < s.size() && s[i] == '.') {
        ++i;
        while (i < s.size() && IsDigit(s[i]))
            ++i, ++digits;
    }
    if (digits == 0)
        return 0;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        ++i;
        if (i < s.size() && (s[i] == '+' || s[i] == '-'))
            ++i;
        size_t expDigits = 0;
        while (i < s.size() && IsDigit(s[i]))
            ++i, ++expDigits;
        if (expDigits == 0)
            return 0;
    }
    if (i != s.size())
        return 0;
    std::string text(s.substr(body)); // from_chars wants no sign and no "+" in the exponent
    if (!text.empty() && text[0] == '.')
        text.insert(text.begin(), '0');
    double v = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
    if (ec != std::errc() || end != text.data() + text.size())
        return 0;
    v = std::nearbyint(negative ? -v : v); // the default rounding mode rounds halves to even
    if (!(v >= std::numeric_limits<int32_t>::min() && v <= std::numeric_limits<int32_t>::max()))
        return 0;
    return static_cast<int32_t>(v);
}

// The number of a quoted value: a single "%" at its end does not count.
int32_t QuotedNumber(const std::string& s) {
    const size_t percent = s.find('%');
    if (percent != std::string::npos && percent + 1 == s.size())
        return NumberOrZero(std::string_view(s).substr(0, percent));
    return NumberOrZero(s);
}

} // namespace

THtmlLexer::THtmlLexer() = default;

// ---------------------------------------------------------------- sources

void THtmlLexer::ResetState() {
    next_ = 0;
    include_.clear();
    includeNext_ = 0;
    inInclude_ = false;
    inIncludeParams_ = false;
    lineEnd_ = 0;
    tabNext_ = 0;
    Position = -1;
    TagStartPosition = 0;
    HeadingLevel = 0;
    InComment = NoComment = InPre = NoBreak = StylePre = StyleNoBreak = false;
    LCh = LCUpper = EofChar;
    Sy = EofSym;
    Token.Clear();
    Attributes.Clear();
    // Positions are 32-bit: a larger document is read up to what they can count.
    if (src_.size() > kMaxSource)
        src_ = src_.substr(0, kMaxSource);
}

void THtmlLexer::UseSource(std::string_view bytes, std::string* owned) {
    const TEncodingGuess guess = SniffHtmlEncoding(bytes, DefaultEncoding);
    Encoding = guess.Encoding;
    // Most pages need no conversion: UTF-8 as it stands (the search checked it when it found
    // UTF-8 by its content), or ASCII in any 8-bit encoding.
    const std::string_view body = bytes.substr(std::min(bytes.size(), guess.BomLength));
    const bool utf16 = Encoding == "utf-16le" || Encoding == "utf-16be";
    const bool asIs = !utf16 && (guess.Source == TEncodingSource::Utf8Content ||
                                 (Encoding == "utf-8" ? IsValidUtf8(body) : IsAscii(body)));
    if (!asIs) {
        buf_ = DecodeToUtf8(bytes, Encoding);
        src_ = buf_;
    } else if (owned != nullptr) {
        buf_ = std::move(*owned);
        src_ = std::string_view(buf_).substr(guess.BomLength);
    } else {
        buf_.clear();
        src_ = body;
    }
    ResetState();
}

void THtmlLexer::LoadString(std::string text) {
    UseSource(text, &text);
}

void THtmlLexer::LoadBuffer(const char* data, size_t length) {
    LoadString(data && length ? std::string(data, length) : std::string());
}

void THtmlLexer::LoadView(std::string_view text) {
    UseSource(text, nullptr);
}

void THtmlLexer::LoadStringList(const TStringList& list) {
    LoadString(list.Text());
}

void THtmlLexer::LoadStream(TStream& stream) {
    TMemoryStream copy;
    stream.SetPosition(0);
    copy.CopyFrom(stream, 0);
    LoadString(copy.DataString());
}

void THtmlLexer::LoadFile(const std::string& path) {
    TMemoryStream copy;
    copy.LoadFromFile(path);
    LoadString(copy.DataString());
}

// ---------------------------------------------------------------- characters

inline char THtmlLexer::ReadRawChar() {
    if (inInclude_) [[unlikely]] {
        if (includeNext_ < include_.size())
            return include_[includeNext_++];
        inInclude_ = false; // back to the main source
        include_.clear();
        includeNext_ = 0;
    }
    if (next_ < src_.size()) {
        const char c = src_[next_++];
        if (!IsUtf8Continuation(c))
            ++Position; // positions count characters: a UTF-8 sequence is one
        return c;
    }
    return EofChar;
}

char THtmlLexer::PeekRawChar() const {
    if (inInclude_ && includeNext_ < include_.size())
        return include_[includeNext_];
    return next_ < src_.size() ? src_[next_] : EofChar;
}

void THtmlLexer::ReadFoldedChar() {
    char c = ReadRawChar();
    // The second half of a CR LF or LF CR pair belongs to the line end already seen.
    if ((c == '\n' && lineEnd_ == 1) || (c == '\r' && lineEnd_ == 2))
        c = ReadRawChar();
    if (c == '\n') {
        c = CrChar;
        lineEnd_ = 2;
    } else if (c == '\r') {
        lineEnd_ = 1;
    } else {
        lineEnd_ = 0;
        if (c == '\t') {
            c = ' ';
            // Remembered by place, so the common path never has to clear a flag.
            tabNext_ = inInclude_ ? 0 : next_;
        }
    }
    LCh = c;
    LCUpper = c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c;
    if (c == EofChar && InComment)
        throw EParseError("Open Comment at End of HTML File");
}

// A byte that Advance takes as it is: no line end, tab, "<" (comment start) or end mark.
inline bool IsSimpleByte(char c) {
    return static_cast<unsigned char>(c) >= 32 && c != '<';
}

void THtmlLexer::Advance() {
    // The common case without the folding and comment machinery; it does exactly what the
    // general path below does for such a byte.
    if (!inInclude_ && !inIncludeParams_ && next_ < src_.size() && IsSimpleByte(src_[next_])) {
        const char c = src_[next_++];
        Position += !IsUtf8Continuation(c);
        lineEnd_ = 0;
        InComment = false;
        LCh = c;
        LCUpper = c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c;
        return;
    }
    if (inIncludeParams_) { // the parameters of an include stand inside its comment
        ReadFoldedChar();
        return;
    }
    do {
        InComment = false;
        ReadFoldedChar();
        if (LCh == '<' && !NoComment && PeekRawChar() == '!') {
            ReadFoldedChar(); // the "!"
            InComment = true;
            ReadFoldedChar();
            if (LCh == '-' && PeekRawChar() == '-') {
                ReadFoldedChar();
                ReadFoldedChar(); // the first character inside "<!--"
                if (OnInclude && LCh == '#' && !inInclude_)
                    DoInclude();
                else
                    SkipComment();
            } else {
                while (LCh != '>') // a declaration such as DOCTYPE
                    ReadFoldedChar();
            }
        } else if (LCh == '<' && !NoComment && PeekRawChar() == '?') {
            // A processing instruction such as an XML declaration: never text of the page.
            InComment = true;
            while (LCh != '>')
                ReadFoldedChar();
        }
    } while (InComment);
}

void THtmlLexer::SkipComment() {
    for (;;) {
        while (LCh != '-')
            ReadFoldedChar();
        ReadFoldedChar();
        if (LCh == '-') {
            while (LCh == '-')
                ReadFoldedChar();
            while (LCh == ' ' || LCh == CrChar)
                ReadFoldedChar();
            if (LCh == '>')
                return;
        }
    }
}

void THtmlLexer::DoInclude() {
    ReadFoldedChar(); // past "#"
    std::string command;
    while (IsLetter(LCh)) {
        command += LCh;
        ReadFoldedChar();
    }
    auto params = std::make_unique<TStringList>();
    {
        FlagGuard guard(inIncludeParams_, true);
        TAttribute attr;
        while (ReadAttribute(attr))
            params->Add(name_ + "=\"" + attr.Str + "\"");
    }
    SkipComment();
    std::string text;
    OnInclude(Sender, command, std::move(params), text);
    if (!text.empty()) {
        include_ = std::move(text);
        includeNext_ = 0;
        inInclude_ = true;
    }
}

void THtmlLexer::SkipBlanks() {
    while (LCh == ' ' || LCh == CrChar)
        Advance();
}

// ---------------------------------------------------------------- symbols

void THtmlLexer::ReadSymbol() {
    Token.Clear();
    if (LCh == EofChar) {
        Sy = EofSym;
    } else if (LCh == '<') {
        ReadTag();
    } else if (LCh == '&') {
        ReadEntity(Token);
        Sy = TextSym;
    } else {
        ReadText();
        if (!Token.Empty()) {
            Sy = TextSym;
        } else {
            Sy = OtherCharSym;
            Token.AddChar(LCh, Position);
            Advance();
        }
    }
}

bool THtmlLexer::ReadTag() {
    TagStartPosition = Position;
    Advance();
    bool endTag = false;
    if (LCh == '/') {
        endTag = true;
        Advance();
    } else if (!IsUpperLetter(LCUpper)) {
        Sy = TextSym; // a stray "<"
        Token.AddChar('<', TagStartPosition);
        return true;
    }
    name_.clear();
    while (IsUpperLetter(LCUpper)) {
        if (name_.size() < kMaxNameLength)
            name_ += LCUpper;
        Advance();
    }
    Sy = LookupTag(name_, endTag);
    SkipBlanks();
    HeadingLevel = 0;
    if ((Sy == HSym || Sy == HEndSym) && LCh >= '1' && LCh <= '6') {
        HeadingLevel = LCh - '0';
        Advance();
    }
    Attributes.Clear();
    TAttribute attr;
    while (ReadAttribute(attr))
        Attributes.Add(std::move(attr));
    while (LCh != '>' && LCh != EofChar)
        Advance();
    if (Sy == ScriptSym) {
        // Script text starts right after the ">": a "<!--" there is part of the script.
        FlagGuard guard(NoComment, true);
        Advance();
    } else if (Sy != StyleSym) { // the style sheet reader starts at the ">"
        Advance();
    }
    return true;
}

bool THtmlLexer::ReadAttribute(TAttribute& attr) {
    SkipBlanks();
    if (!IsUpperLetter(LCUpper))
        return false;
    name_.clear();
    while (IsUpperLetter(LCUpper) || LCUpper == '-') {
        if (name_.size() < kMaxNameLength)
            name_ += LCUpper;
        Advance();
    }
    attr.Sym = LookupAttribute(name_);
    SkipBlanks();
    std::string& s = attr.Str;
    s.clear();
    attr.Value = attr.Sym == BorderSym ? 1 : 0; // a bare BORDER means a border of 1
    if (LCh == '=') {
        Advance();
        SkipBlanks();
        if (LCh == '"' || LCh == '\'') {
            const char quote = LCh;
            Advance();
            while (LCh != quote && LCh != EofChar) {
                if (LCh == CrChar) {
                    Advance();
                } else if (LCh == '&') {
                    entity_.Clear();
                    ReadEntity(entity_);
                    s += entity_.Text();
                } else {
                    s += LCh;
                    Advance();
                }
            }
            if (LCh == quote)
                Advance();
            s = HtmlTrim(s);
            attr.Value = QuotedNumber(s);
        } else if (LCh == '+' || LCh == '-' || IsDigit(LCh)) {
            if (LCh == '+' || LCh == '-') {
                s += LCh;
                Advance();
            }
            while (LCh != ' ' && LCh != CrChar && LCh != EofChar && LCh != '%' && LCh != '>') {
                s += LCUpper;
                Advance();
            }
            SkipBlanks();
            attr.Value = NumberOrZero(s);
            if (LCh == '%') {
                s += '%';
                Advance();
            }
        } else {
            while (LCh != ' ' && LCh != CrChar && LCh != EofChar && LCh != '>') {
                s += LCh;
                Advance();
            }
        }
    }
    if (attr.Sym == IdSym && !s.empty() && IDNames && !inIncludeParams_)
        IDNames->AddChPosObject(s, Position);
    return true;
}

void THtmlLexer::ReadEntity(TokenObj& into) {
    TokenObj& raw = rawEntity_;
    raw.Clear();
    const int32_t start = Position;
    raw.AddChar('&', Position);
    Advance();
    bool ok = true;
    char32_t ch = 0;
    std::string_view text;
    if (LCh == '#') {
        raw.AddChar(LCh, Position);
        Advance();
        const bool hex = LCh == 'x' || LCh == 'X';
        if (hex) {
            raw.AddChar(LCh, Position);
            Advance();
        }
        int digits = 0;
        uint32_t value = 0;
        while (ok && (hex ? HexDigitValue(LCh) >= 0 : IsDigit(LCh))) {
            raw.AddChar(LCh, Position);
            ok = ++digits <= (hex ? kMaxEntityHexDigits : kMaxEntityDigits);
            value = value * (hex ? 16 : 10) + static_cast<uint32_t>(HexDigitValue(LCh));
            Advance();
        }
        if (ok) {
            if (LCh == ';') {
                raw.AddChar(LCh, Position);
                Advance();
            }
            if (digits == 0)
                ok = false;
            else if (value == 9)
                ch = ' ';
            else if (value == 10 || value >= 32)
                ch = NumericReferenceChar(value);
            else
                ok = false; // other control codes stay the text they were written as
        }
    } else {
        char name[kMaxEntityName + 1];
        int length = 0;
        while (ok && (IsLetter(LCh) || IsDigit(LCh))) {
            raw.AddChar(LCh, Position);
            ok = length < kMaxEntityName;
            if (ok)
                name[length++] = LCh;
            Advance();
        }
        if (ok) {
            bool semicolon = false;
            if (LCh == ';') {
                raw.AddChar(LCh, Position);
                Advance();
                semicolon = true;
            }
            const TEntityValue entity =
                LookupEntity(std::string_view(name, static_cast<size_t>(length)));
            // The names the engine always knew work without their ";" as they always did;
            // the others need it, so that "&notit" or "&copy2" in running text stays text.
            ok = !entity.Utf8.empty() && (semicolon || entity.Legacy);
            text = entity.Utf8;
        }
    }
    if (!ok) {
        into.Append(raw);
        return;
    }
    std::string utf8;
    if (ch != 0) {
        AppendUtf8(utf8, ch);
        text = utf8;
    }
    // Every byte of the character stands where the "&" stood.
    for (char c : text)
        into.AddChar(c, start);
}

void THtmlLexer::ReadText() {
    auto plain = [this] {
        return (LCh == CrChar || static_cast<unsigned char>(LCh) >= 32) && LCh != '&' && LCh != '<';
    };
    // A run may pass its length to end the character it is in: tokens never split one.
    auto room = [this] { return Token.Length() < kMaxTextRun || IsUtf8Continuation(LCh); };
    if (InPre || StylePre) {
        while (room() && plain()) {
            Token.AddChar(StylePre && CurrentIsTab() ? '\t' : LCh, Position);
            Advance();
        }
        return;
    }
    while (room() && plain()) {
        if (LCh == ' ' || LCh == CrChar) {
            Token.AddChar(NoBreaking() ? NoBreakSpace : ' ', Position);
            SkipBlanks();
        } else {
            Token.AddChar(LCh, Position);
            // The rest of a word straight from the main source: bytes that Advance would take
            // as they are and that the loop would add as they are.
            if (!inInclude_) {
                const size_t left = static_cast<size_t>(std::max(0, kMaxTextRun - Token.Length()));
                size_t n = 0, continuations = 0;
                while (n < left && next_ + n < src_.size()) {
                    const char c = src_[next_ + n];
                    if (static_cast<unsigned char>(c) <= ' ' || c == '<' || c == '&')
                        break;
                    continuations += IsUtf8Continuation(c);
                    ++n;
                }
                if (n > 0) {
                    if (continuations == 0)
                        Token.AddAsciiRun(src_.data() + next_, n - 1, Position + 1);
                    else
                        Token.AddRun(src_.data() + next_, n - 1, Position + 1);
                    Position += static_cast<int32_t>(n - continuations);
                    next_ += n;
                    const char c = src_[next_ - 1];
                    lineEnd_ = 0;
                    LCh = c;
                    LCUpper = c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c;
                    continue;
                }
            }
            Advance();
        }
    }
}

// ---------------------------------------------------------------- TEXTAREA and SCRIPT

void THtmlLexer::ReadTextAreaSymbol() {
    Token.Clear();
    if (LCh == CrChar) {
        Sy = EolSym;
        Advance();
    } else if (LCh == EofChar) {
        Sy = EofSym;
    } else if (LCh == '<') {
        do {
            Token.AddChar(LCh, Position);
            Advance();
        } while (LCh != ' ' && LCh != CrChar && LCh != '>' && LCh != EofChar);
        Sy = SameText(Token.Text(), "</textarea") ? TextAreaEndSym : UnknownTagSym;
    } else if (LCh == '&') {
        ReadEntity(Token);
        Sy = TextSym;
    } else {
        while (Token.Length() < kMaxTextRun && LCh != CrChar && LCh != EofChar && LCh != '&' &&
               LCh != '<') {
            Token.AddChar(LCh, Position);
            Advance();
        }
        Sy = TextSym;
    }
}

void THtmlLexer::ReadScriptSymbol() {
    Token.Clear();
    if (LCh == CrChar) {
        Sy = EolSym;
        Advance();
    } else if (LCh == EofChar) {
        Sy = EofSym;
    } else if (LCh == '<') {
        Token.AddChar(LCh, Position);
        Advance();
        for (int n = 0; n < 7 && (LCh == '/' || IsLetter(LCh)); ++n) {
            Token.AddChar(LCh, Position);
            Advance();
        }
        if (LCh == '>') {
            Token.AddChar(LCh, Position);
            Advance();
        }
        Sy = SameText(Token.Text(), "</script>") ? ScriptEndSym : UnknownTagSym;
    } else {
        while (Token.Length() < kMaxTextRun && LCh != CrChar && LCh != EofChar && LCh != '<') {
            Token.AddChar(LCh, Position);
            Advance();
        }
        Sy = TextSym;
    }
}

void THtmlLexer::ReadScript(const TScriptEvent& onScript) {
    std::string name, language;
    if (const TAttribute* a = Attributes.Find(NameSym))
        name = a->Str;
    if (const TAttribute* a = Attributes.Find(LanguageSym))
        language = a->Str;
    std::string text;
    {
        FlagGuard guard(NoComment, true);
        if (onScript)
            text.reserve(32500);
        for (;;) {
            ReadScriptSymbol();
            if (Sy == ScriptEndSym || Sy == EofSym)
                break;
            if (onScript) {
                if (Sy == EolSym)
                    text += "\r\n";
                else
                    text += Token.Text();
            }
        }
    }
    if (onScript)
        onScript(Sender, name, language, std::move(text));
}
