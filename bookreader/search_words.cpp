#include "bookreader/search_words.h"

#include <algorithm>
#include <array>

char32_t FoldLetter(char32_t c) {
    if (c < 0x80)
        return c >= 'A' && c <= 'Z' ? c + 32 : c;
    if (c < 0x100)
        return c >= 0xC0 && c <= 0xDE && c != 0xD7 ? c + 32 : c;
    if (c < 0x180) {
        // Latin Extended-A pairs capitals and small letters; the runs differ in which of the
        // two is even.
        if (c == 0x130) // capital I with dot above
            return 'i';
        if (c == 0x178) // capital Y with diaeresis, whose small form lies in Latin-1
            return 0xFF;
        if ((c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E))
            return (c & 1) != 0 ? c + 1 : c;
        if (c <= 0x137 || (c >= 0x14A && c <= 0x177))
            return (c & 1) != 0 ? c : c + 1;
        return c;
    }
    if (c >= 0x386 && c <= 0x3AB) { // Greek capitals, with and without tonos
        if (c == 0x386)
            return 0x3AC;
        if (c >= 0x388 && c <= 0x38A)
            return c + 37;
        if (c == 0x38C)
            return 0x3CC;
        if (c == 0x38E || c == 0x38F)
            return c + 63;
        if (c >= 0x391 && c != 0x3A2)
            return c + 32;
        return c;
    }
    if (c == 0x3C2) // final sigma: the same letter as sigma
        return 0x3C3;
    if (c >= 0x400 && c <= 0x40F) // Cyrillic capitals outside the basic alphabet (Ё, Ђ, Ї, ...)
        return c + 80;
    if (c >= 0x410 && c <= 0x42F)
        return c + 32;
    if ((c >= 0x460 && c <= 0x481) || (c >= 0x48A && c <= 0x4BF)) // Ґ and the other extensions
        return (c & 1) != 0 ? c : c + 1;
    return c;
}

bool IsWordChar(char32_t c) {
    if (c < 0x80)
        return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
    if (c < 0x100) // feminine and masculine ordinals, micro, and the accented letters
        return c == 0xAA || c == 0xB5 || c == 0xBA || (c >= 0xC0 && c != 0xD7 && c != 0xF7);
    if (c >= 0x2B0 && c <= 0x2FF) // spacing modifiers such as the circumflex and the tilde
        return false;
    if (c == 0x37E || c == 0x387) // Greek question mark and ano teleia
        return false;
    if (c >= 0x2000 && c <= 0x2BFF) // punctuation, currency, letter-like symbols, arrows, ...
        return false;
    if (c >= 0x3000 && c <= 0x303F) // CJK punctuation
        return false;
    if (c >= 0xD800 && c <= 0xDFFF)
        return false;
    return c != 0xFFFD && c != 0xFEFF;
}

TWordReader::TWordReader(std::string_view text, const std::vector<TCodeRun>& runs)
    : text_(text), runs_(runs) {}

TCodePage TWordReader::CodePageAt(int32_t pos) const {
    if (runs_.empty())
        return TCodePage::cp1252;
    if (run_ >= runs_.size() || runs_[run_].Start > pos)
        run_ = 0;
    while (run_ + 1 < runs_.size() && runs_[run_ + 1].Start <= pos)
        ++run_;
    return runs_[run_].CodePage;
}

char32_t TWordReader::CharAt(int32_t pos) const {
    if (pos < 0 || static_cast<size_t>(pos) >= text_.size())
        return 0;
    return CodePageToUnicode(static_cast<uint8_t>(text_[static_cast<size_t>(pos)]),
                             CodePageAt(pos));
}

bool TWordReader::StartsRun(int32_t pos) const {
    if (pos == 0 || runs_.empty())
        return pos == 0;
    CodePageAt(pos);
    return runs_[run_].Start == pos;
}

namespace {

// A byte of a code page as words see it: its folded form in UTF-8 (Length 0: it separates
// words). One table a code page, made on first use, so reading a page costs a look-up a byte.
struct TFoldEntry {
    uint8_t Length = 0;
    char Bytes[3] = {};
};
using TFoldTable = std::array<TFoldEntry, 256>;

TFoldTable MakeFoldTable(TCodePage cp) {
    TFoldTable table;
    for (int b = 0; b < 256; ++b) {
        const char32_t c = CodePageToUnicode(static_cast<uint8_t>(b), cp);
        if (!IsWordChar(c))
            continue;
        std::string utf8;
        AppendUtf8(utf8, FoldLetter(c));
        // Every letter of the engine's code pages lies below U+10000: three bytes at most.
        table[b].Length = static_cast<uint8_t>(std::min<size_t>(utf8.size(), 3));
        utf8.copy(table[b].Bytes, table[b].Length);
    }
    return table;
}

const TFoldTable& FoldTableOf(TCodePage cp) {
    static constexpr TCodePage kPages[] = {TCodePage::cp1252, TCodePage::cp1250, TCodePage::cp1251,
                                           TCodePage::cp1253, TCodePage::cp1254, TCodePage::cp1257};
    static const auto tables = [] {
        std::array<TFoldTable, std::size(kPages)> t;
        for (size_t i = 0; i < t.size(); ++i)
            t[i] = MakeFoldTable(kPages[i]);
        return t;
    }();
    for (size_t i = 1; i < tables.size(); ++i)
        if (kPages[i] == cp)
            return tables[i];
    return tables[0]; // Windows-1252, the default
}

} // namespace

bool TWordReader::Next(TTextWord& word) {
    const auto size = static_cast<int32_t>(text_.size());
    while (pos_ < size) {
        // Within one run: its code page's table, and no word goes on past its end.
        const TFoldTable& table = FoldTableOf(CodePageAt(pos_));
        const int32_t runEnd = run_ + 1 < runs_.size() ? runs_[run_ + 1].Start : size;
        const auto byteAt = [this](int32_t i) {
            return static_cast<uint8_t>(text_[static_cast<size_t>(i)]);
        };
        while (pos_ < runEnd && table[byteAt(pos_)].Length == 0)
            ++pos_;
        if (pos_ >= runEnd)
            continue;
        word.Start = pos_;
        word.Folded.clear();
        for (; pos_ < runEnd && table[byteAt(pos_)].Length != 0; ++pos_) {
            const TFoldEntry& e = table[byteAt(pos_)];
            word.Folded.append(e.Bytes, e.Length);
        }
        word.End = pos_;
        return true;
    }
    return false;
}

std::vector<std::string> QueryWords(std::string_view utf8) {
    std::vector<std::string> words;
    std::string current;
    size_t i = 0;
    while (i < utf8.size()) {
        const int32_t c = DecodeUtf8(utf8, i);
        if (c >= 0 && IsWordChar(static_cast<char32_t>(c))) {
            AppendUtf8(current, FoldLetter(static_cast<char32_t>(c)));
        } else if (!current.empty()) {
            words.push_back(std::move(current));
            current.clear();
        }
    }
    if (!current.empty())
        words.push_back(std::move(current));
    return words;
}
