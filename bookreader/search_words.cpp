#include "bookreader/search_words.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cstring>
#include <utf8proc.h>

#include "platform/base/strings.h"

namespace {

// What a character is to words.
enum class TKind : uint8_t {
    Separator, // between words
    Letter,    // a letter or a number: starts a word or goes on one
    Mark,      // a combining mark: goes on the word before it
    Invisible, // a default-ignorable character (soft hyphen, zero-width joiners, variation
               // selectors): goes on the word around it, folds to nothing
};

// Compatibility forms to their plain characters, case folding, canonical decomposition, and the
// default-ignorable characters dropped. utf8proc applies them to what each mapping gives too,
// so a compatibility form of a capital ends in small letters. Which marks stay is decided after
// (KeepsMark), then the rest is composed again: a Korean syllable decomposes into its jamo and
// comes back whole, and a word takes the same room in the index however the page composed it.
// utf8proc's STRIPMARK is not used: it drops every mark, the vowel signs of the Indic scripts
// and the kana voicing marks with the accents, and would make different words one.
constexpr auto kFoldOptions = static_cast<utf8proc_option_t>(UTF8PROC_COMPAT | UTF8PROC_DECOMPOSE |
                                                             UTF8PROC_CASEFOLD | UTF8PROC_IGNORE);

// Whether a mark of a decomposed word stays, by its canonical combining class. Marks Unicode
// places by their position on the letter (above, below, attached, overlaid: the accents of the
// Latin, Greek and Cyrillic letters, the cedilla, the ogonek, the Vietnamese horn) go, with
// the nukta and the vowel points of Hebrew, Arabic and Syriac, which writers mostly leave out.
// Vowel signs (class 0), viramas (9), the kana voicing marks (8) and the fixed-position vowel
// and tone marks of Telugu, Thai, Lao and Tibetan (84 to 132), which are always written, stay.
bool KeepsMark(int combiningClass) {
    return combiningClass == 0 || combiningClass == 8 || combiningClass == 9 ||
           (combiningClass >= 84 && combiningClass <= 132);
}

// Й, Ў and Ї decompose into a letter and an accent, but the alphabets that have them count
// them as letters of their own ("мой" and "мои" are different words): their small form, or 0
// for any other character. Ё folds to Е as most writers of Russian treat it.
char32_t CyrillicLetterOfItsOwn(char32_t c) {
    switch (c) {
    case 0x419: // Й
    case 0x439:
        return 0x439;
    case 0x40E: // Ў
    case 0x45E:
        return 0x45E;
    case 0x407: // Ї
    case 0x457:
        return 0x457;
    default:
        return 0;
    }
}

TKind KindOfProperty(char32_t c) {
    if (c > 0x10FFFF)
        return TKind::Separator;
    const utf8proc_property_t* p = utf8proc_get_property(static_cast<utf8proc_int32_t>(c));
    if (p->ignorable)
        return TKind::Invisible;
    switch (p->category) {
    case UTF8PROC_CATEGORY_LU:
    case UTF8PROC_CATEGORY_LL:
    case UTF8PROC_CATEGORY_LT:
    case UTF8PROC_CATEGORY_LM:
    case UTF8PROC_CATEGORY_LO:
    case UTF8PROC_CATEGORY_ND:
    case UTF8PROC_CATEGORY_NL:
    case UTF8PROC_CATEGORY_NO:
        return TKind::Letter;
    case UTF8PROC_CATEGORY_MN:
    case UTF8PROC_CATEGORY_MC:
    case UTF8PROC_CATEGORY_ME:
        return TKind::Mark;
    default: // punctuation, symbols, spaces, controls, surrogates, private use, unassigned
        return TKind::Separator;
    }
}

// The folded form of characters, as code points.
void FoldChars(std::u32string_view chars, std::vector<int32_t>& out) {
    out.clear();
    // The longest mapping Unicode has (a compatibility form of an Arabic phrase) is 18 code
    // points; the loop makes room when one is longer.
    std::array<utf8proc_int32_t, 32> one;
    std::vector<utf8proc_int32_t> longer;
    for (const char32_t c : chars) {
        if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))
            continue; // no character; words never hold one
        if (const char32_t own = CyrillicLetterOfItsOwn(c)) {
            out.push_back(static_cast<int32_t>(own));
            continue;
        }
        const auto cp = static_cast<utf8proc_int32_t>(c);
        const utf8proc_int32_t* mapped = one.data();
        utf8proc_ssize_t n =
            utf8proc_decompose_char(cp, one.data(), one.size(), kFoldOptions, nullptr);
        if (n > static_cast<utf8proc_ssize_t>(one.size())) {
            longer.resize(static_cast<size_t>(n));
            n = utf8proc_decompose_char(cp, longer.data(), n, kFoldOptions, nullptr);
            mapped = longer.data();
        }
        for (utf8proc_ssize_t i = 0; i < n; ++i)
            if (KeepsMark(utf8proc_get_property(mapped[i])->combining_class))
                out.push_back(mapped[i]);
    }
    // The canonical order of the marks that stayed (each run of them sorted by class), which
    // composition expects.
    const auto classOf = [](int32_t c) { return utf8proc_get_property(c)->combining_class; };
    for (size_t i = 0; i < out.size();) {
        if (classOf(out[i]) == 0) {
            ++i;
            continue;
        }
        size_t j = i;
        while (j < out.size() && classOf(out[j]) != 0)
            ++j;
        std::stable_sort(out.begin() + static_cast<ptrdiff_t>(i),
                         out.begin() + static_cast<ptrdiff_t>(j),
                         [&](int32_t a, int32_t b) { return classOf(a) < classOf(b); });
        i = j;
    }
    if (!out.empty()) {
        const utf8proc_ssize_t n = utf8proc_normalize_utf32(
            out.data(), static_cast<utf8proc_ssize_t>(out.size()), UTF8PROC_COMPOSE);
        out.resize(n > 0 ? static_cast<size_t>(n) : 0);
    }
}

// Characters below U+0800 (Latin, Greek, Cyrillic, Armenian, Hebrew, Arabic and the others of
// two UTF-8 bytes) fold one by one: none composes with its neighbour once the accents are gone,
// so a word of them is its characters' folded forms one after the other. Those are kept in a
// table made once, and a page in these scripts costs a look-up a character; utf8proc sees only
// words with characters above.
constexpr char32_t kTableEnd = 0x800;

struct TFoldEntry {
    static constexpr uint8_t kUseLibrary = 0xFF; // longer than Bytes: fold with utf8proc
    TKind Kind = TKind::Separator;
    uint8_t Length = 0;
    char Bytes[6] = {};
};
using TFoldTable = std::array<TFoldEntry, kTableEnd>;

const TFoldTable& FoldTable() {
    static const TFoldTable table = [] {
        TFoldTable t;
        std::vector<int32_t> folded;
        for (char32_t c = 0; c < kTableEnd; ++c) {
            TFoldEntry& e = t[c];
            e.Kind = KindOfProperty(c);
            if (e.Kind == TKind::Separator)
                continue;
            FoldChars(std::u32string_view(&c, 1), folded);
            std::string utf8;
            for (const int32_t f : folded)
                AppendUtf8(utf8, static_cast<char32_t>(f));
            if (utf8.size() > sizeof(e.Bytes)) {
                e.Length = TFoldEntry::kUseLibrary;
            } else {
                e.Length = static_cast<uint8_t>(utf8.size());
                utf8.copy(e.Bytes, utf8.size());
            }
        }
        return t;
    }();
    return table;
}

TKind KindOf(const TFoldTable& table, char32_t c) {
    return c < kTableEnd ? table[c].Kind : KindOfProperty(c);
}

// Whether a folded letter is one of a script written without spaces between words: the wide
// letters of East Asia (Han ideographs, kana, Hangul, Yi and the like, as their East Asian
// width says), and Thai, Lao, Burmese and Khmer.
bool UnspacedLetter(int32_t c) {
    if (c < static_cast<int32_t>(kTableEnd))
        return false;
    const utf8proc_property_t* p = utf8proc_get_property(c);
    const bool letter =
        (p->category >= UTF8PROC_CATEGORY_LU && p->category <= UTF8PROC_CATEGORY_LO) ||
        p->category == UTF8PROC_CATEGORY_NL;
    if (!letter)
        return false;
    return p->charwidth == 2 || (c >= 0x0E00 && c <= 0x0EFF) || (c >= 0x1000 && c <= 0x109F) ||
           (c >= 0x1780 && c <= 0x17FF);
}

// Whether a character has no folding to do: no compatibility or canonical decomposition (a
// Korean syllable's comes back whole), no case folding, nothing to drop.
bool FoldsToItself(const utf8proc_property_t* p) {
    return p->decomp_seqindex == UINT16_MAX && p->casefold_seqindex == UINT16_MAX &&
           !p->ignorable && p->combining_class == 0;
}

// Whether a letter of the text is a word of its own, by what it folds to: a full-width Latin
// letter folds to a plain one and goes on a word; a half-width katakana is a word of its own.
bool StandsAlone(char32_t c) {
    if (c < kTableEnd || c > 0x10FFFF)
        return false;
    const auto cp = static_cast<utf8proc_int32_t>(c);
    if (FoldsToItself(utf8proc_get_property(cp)))
        return UnspacedLetter(cp);
    std::array<utf8proc_int32_t, 32> folded;
    const utf8proc_ssize_t n =
        utf8proc_decompose_char(cp, folded.data(), folded.size(), kFoldOptions, nullptr);
    return n > 0 && UnspacedLetter(folded[0]);
}

} // namespace

TWordReader::TWordReader(std::u32string_view text, std::span<const int32_t> sections)
    : text_(text.substr(0, INT32_MAX)), sections_(sections) {}

char32_t TWordReader::CharAt(int32_t pos) const {
    if (pos < 0 || static_cast<size_t>(pos) >= text_.size())
        return 0;
    return text_[static_cast<size_t>(pos)];
}

bool TWordReader::StartsSection(int32_t pos) const {
    return pos == 0 || std::binary_search(sections_.begin(), sections_.end(), pos);
}

int32_t TWordReader::SectionEnd(int32_t pos) {
    // Reads go forward: on from the section found last, looked up again only for a position
    // before it.
    if (nextSection_ > 0 && sections_[nextSection_ - 1] > pos)
        nextSection_ = static_cast<size_t>(
            std::upper_bound(sections_.begin(), sections_.end(), pos) - sections_.begin());
    while (nextSection_ < sections_.size() && sections_[nextSection_] <= pos)
        ++nextSection_;
    const auto size = static_cast<int32_t>(text_.size());
    return nextSection_ < sections_.size() ? std::min(sections_[nextSection_], size) : size;
}

bool TWordReader::Joins(int32_t pos) const {
    if (pos <= 0 || static_cast<size_t>(pos) >= text_.size() || StartsSection(pos))
        return false;
    const TFoldTable& table = FoldTable();
    const char32_t c = CharAt(pos);
    const char32_t before = CharAt(pos - 1);
    const TKind kind = KindOf(table, c);
    if (kind == TKind::Separator || KindOf(table, before) == TKind::Separator)
        return false;
    // A letter that is a word of its own starts one; a letter after one starts another.
    if (kind == TKind::Letter && (StandsAlone(c) || StandsAlone(before)))
        return false;
    return true;
}

void TWordReader::Fold(int32_t start, int32_t end, bool plain, std::string& out) {
    out.clear();
    const std::u32string_view chars =
        text_.substr(static_cast<size_t>(start), static_cast<size_t>(end - start));
    if (plain) {
        // Every word of a page passes here: each character's folded bytes are copied whole
        // into room made once, and the word cut to its length after.
        const TFoldTable& table = FoldTable();
        constexpr size_t kMost = sizeof(TFoldEntry::Bytes);
        out.resize(chars.size() * kMost);
        char* at = out.data();
        for (const char32_t c : chars) {
            const TFoldEntry& e = table[c];
            if (e.Length == TFoldEntry::kUseLibrary) {
                plain = false;
                break;
            }
            std::memcpy(at, e.Bytes, kMost);
            at += e.Length;
        }
        if (plain) {
            out.resize(static_cast<size_t>(at - out.data()));
            return;
        }
        out.clear();
    }
    FoldChars(chars, buffer_);
    for (const int32_t c : buffer_)
        AppendUtf8(out, static_cast<char32_t>(c));
}

bool TWordReader::Next(TTextWord& word) {
    if (nextQueued_ < queued_.size()) {
        word = std::move(queued_[nextQueued_++]);
        return true;
    }
    queued_.clear();
    nextQueued_ = 0;
    const TFoldTable& table = FoldTable();
    const auto size = static_cast<int32_t>(text_.size());
    const auto at = [this](int32_t i) { return text_[static_cast<size_t>(i)]; };
    while (pos_ < size) {
        // A word starts at a letter or a number.
        while (pos_ < size && KindOf(table, at(pos_)) != TKind::Letter)
            ++pos_;
        if (pos_ >= size)
            return false;
        const int32_t start = pos_;
        const int32_t limit = SectionEnd(start);
        if (StandsAlone(at(start))) {
            // One character as the reader sees it: the letter and what goes with it (its
            // marks, the vowel jamo of a Korean syllable written in jamo).
            int32_t end = start + 1;
            utf8proc_int32_t state = 0;
            while (end < limit && KindOf(table, at(end)) != TKind::Separator &&
                   !utf8proc_grapheme_break_stateful(static_cast<utf8proc_int32_t>(at(end - 1)),
                                                     static_cast<utf8proc_int32_t>(at(end)),
                                                     &state))
                ++end;
            pos_ = end;
            if (end == start + 1 &&
                FoldsToItself(utf8proc_get_property(static_cast<utf8proc_int32_t>(at(start))))) {
                // Most ideographs and kana: nothing to fold.
                word.Start = start;
                word.End = end;
                word.Folded.clear();
                AppendUtf8(word.Folded, at(start));
                return true;
            }
            FoldChars(text_.substr(static_cast<size_t>(start), static_cast<size_t>(end - start)),
                      buffer_);
            // Mostly one letter; a compatibility form may stand for several (the kana digraph
            // ゟ for より), each a word, all of them at this character.
            for (size_t i = 0; i < buffer_.size(); ++i) {
                if (queued_.empty() || (UnspacedLetter(buffer_[i]) &&
                                        utf8proc_get_property(buffer_[i])->combining_class == 0))
                    queued_.push_back({start, end, {}});
                AppendUtf8(queued_.back().Folded, static_cast<char32_t>(buffer_[i]));
            }
            if (queued_.empty())
                continue;
            word = std::move(queued_[0]);
            nextQueued_ = 1;
            return true;
        }
        // Letters, numbers, and the marks and invisible characters among them; the word's
        // span ends after its last visible character.
        int32_t end = start;
        int32_t visibleEnd = start;
        bool plain = true;                    // every character lies in the table
        const char32_t* chars = text_.data(); // read once: every character passes here
        while (end < limit) {
            const char32_t c = chars[end];
            const TKind kind = KindOf(table, c);
            // No letter of the table stands alone; the test is kept off the common path.
            if (kind == TKind::Separator ||
                (kind == TKind::Letter && end > start && c >= kTableEnd && StandsAlone(c)))
                break;
            plain = plain && c < kTableEnd;
            ++end;
            if (kind != TKind::Invisible)
                visibleEnd = end;
        }
        pos_ = end;
        Fold(start, end, plain, word.Folded);
        if (word.Folded.empty())
            continue;
        word.Start = start;
        word.End = visibleEnd;
        return true;
    }
    return false;
}

std::vector<std::string> QueryWords(std::string_view utf8) {
    // An ill-formed sequence decodes to U+FFFD, a symbol, which separates words.
    const std::u32string text = Utf8ToU32(utf8);
    std::vector<std::string> words;
    TWordReader reader(text);
    for (TTextWord w; reader.Next(w);)
        words.push_back(std::move(w.Folded));
    return words;
}
