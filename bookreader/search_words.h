#pragma once
// Words as the book search sees them, so that a query finds a word however the page spells its
// case, accents and compatibility forms:
// - a word is a run of letters and numbers (Unicode's categories L and N), with the combining
//   marks and invisible format characters (soft hyphen, zero-width joiners) inside it;
//   punctuation, symbols, spaces, the no-break space and the engine's object codes (images,
//   controls, breaks) separate words;
// - scripts written without spaces between words (Chinese, Japanese kana, Korean syllables,
//   Thai, Lao, Khmer, Burmese) make every character, with its marks, a word of its own, so a
//   query in them is a phrase of one-character words and is found wherever it stands in a line;
// - a word is folded by Unicode's rules: compatibility forms to their plain letters (ligatures,
//   full-width and half-width forms), case folded ("Straße" and "STRASSE" are one word), and
//   the accents and other diacritics dropped ("café", "CAFÉ" and "cafe"; "ёлка" and "елка").
//   Marks that make a different letter rather than accent one stay: the vowel signs and viramas
//   of the Indic scripts and the kana voicing marks (か and が are different words).
// Pages and queries go through the same folding, so a query typed on any desktop finds a page in
// any encoding the engine reads.
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// One word of a text: [Start, End) in the text, Folded its folded UTF-8 form. Folded may be
// longer or shorter than the characters it comes from ("ß" folds to "ss", "é" to "e").
struct TTextWord {
    int32_t Start = 0;
    int32_t End = 0;
    std::string Folded;
};

// The words of a text, in order. The text and the sections must outlive the reader.
class TWordReader {
public:
    // sections: where the text's pieces start (the page's text sections, each a new block, cell
    // or line), ascending; no word goes on over the start of one.
    explicit TWordReader(std::u32string_view text, std::span<const int32_t> sections = {});
    TWordReader(const TWordReader&) = delete;
    TWordReader& operator=(const TWordReader&) = delete;

    // The next word; false at the end of the text.
    bool Next(TTextWord& word);
    // The character at a position of the text; 0 outside it.
    char32_t CharAt(int32_t pos) const;
    // Whether a section starts at a position (position 0 included).
    bool StartsSection(int32_t pos) const;
    // Whether the character at pos goes on the word of the character before it, so that a cut
    // between the two would split a word.
    bool Joins(int32_t pos) const;

private:
    // The end of the section holding pos: the next section start, or the end of the text.
    int32_t SectionEnd(int32_t pos);
    // Folds [start, end) into word.Folded.
    void Fold(int32_t start, int32_t end, bool plain, std::string& out);

    std::u32string_view text_;
    std::span<const int32_t> sections_;
    int32_t pos_ = 0;
    size_t nextSection_ = 0;        // the first section after the last position looked up
    std::vector<int32_t> buffer_;   // folding's scratch room
    std::vector<TTextWord> queued_; // words of one character that folds to several
    size_t nextQueued_ = 0;
};

// Characters a one-line title or context line shows as a space: line ends and the other
// control characters (C0, DEL and C1, which would move the cursor or rewrite a terminal the
// line is printed on), and the line and paragraph separators.
inline bool BreaksLine(char32_t c) {
    return c < 0x20 || (c >= 0x7F && c <= 0x9F) || c == 0x2028 || c == 0x2029;
}

// The folded words of a UTF-8 query; bytes that are not valid UTF-8 separate words.
std::vector<std::string> QueryWords(std::string_view utf8);
