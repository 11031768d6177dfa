#pragma once
// Words as the book search sees them: runs of letters and digits, folded to lower case so that
// "Café", "CAFÉ" and "café" are one word, and "МОСКВА" and "москва" too. Pages hold 8-bit text
// in the code pages the engine knows (Windows-1252 and its Central European, Cyrillic, Greek,
// Turkish and Baltic siblings); queries come in UTF-8. Both go through the same folding, so a
// query typed on a UTF-8 desktop finds a page written in Windows-1251.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/base/strings.h"

// The lower-case form of a letter of the scripts the engine's code pages hold (Latin, Greek,
// Cyrillic); other code points come back unchanged. A final sigma folds to sigma.
char32_t FoldLetter(char32_t c);
// Letters and digits, the characters words are made of. Punctuation, symbols, spaces, the
// no-break space and the engine's object codes (images, controls, breaks) separate words.
bool IsWordChar(char32_t c);

// A stretch of a page's text that one text section holds: from Start on, characters are in
// CodePage. No word goes on over the start of a run.
struct TCodeRun {
    int32_t Start = 0;
    TCodePage CodePage = TCodePage::cp1252;
};

// One word of a text: [Start, End) in the text, Folded its folded UTF-8 form.
struct TTextWord {
    int32_t Start = 0;
    int32_t End = 0;
    std::string Folded;
};

// The words of 8-bit text cut into runs (no runs: one run in Windows-1252), in order.
class TWordReader {
public:
    TWordReader(std::string_view text, const std::vector<TCodeRun>& runs);
    // The next word; false at the end of the text.
    bool Next(TTextWord& word);
    // The Unicode character at a position of the text.
    char32_t CharAt(int32_t pos) const;
    // Whether a run starts at a position (position 0 included).
    bool StartsRun(int32_t pos) const;

private:
    TCodePage CodePageAt(int32_t pos) const;

    std::string_view text_;
    const std::vector<TCodeRun>& runs_;
    int32_t pos_ = 0;
    mutable size_t run_ = 0; // the run of the last position looked up (reads go forward)
};

// The folded words of a UTF-8 query; bytes that are not valid UTF-8 separate words.
std::vector<std::string> QueryWords(std::string_view utf8);
