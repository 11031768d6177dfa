// The words the book search makes of a text and of a query, without books or documents: what a
// query finds, where the words of a text lie, and what separates words.
#include "bookreader/search_words.h"

#include <gtest/gtest.h>

#include "platform/base/strings.h"

namespace {

// The folded words of a text with their places, "word@start-end".
std::vector<std::string> Words(std::u32string_view text, std::span<const int32_t> sections = {}) {
    std::vector<std::string> out;
    TWordReader reader(text, sections);
    for (TTextWord w; reader.Next(w);)
        out.push_back(w.Folded + "@" + std::to_string(w.Start) + "-" + std::to_string(w.End));
    return out;
}

// Whether the query's words follow each other among the text's words, as the index matches
// phrases.
bool Finds(std::string_view text, std::string_view query) {
    const std::u32string chars = Utf8ToU32(text);
    std::vector<std::string> words;
    TWordReader reader(chars);
    for (TTextWord w; reader.Next(w);)
        words.push_back(w.Folded);
    const std::vector<std::string> wanted = QueryWords(query);
    if (wanted.empty())
        return false;
    return std::search(words.begin(), words.end(), wanted.begin(), wanted.end()) != words.end();
}

TEST(SearchWordsTest, AQueryFindsItsWordWhateverItsCaseAccentsAndForms) {
    struct TCase {
        const char* Text;
        const char* Query;
        bool Found;
    };
    const TCase cases[] = {
        // Accents and case.
        {"Un café noir", "cafe", true},
        {"Un Café noir", "café", true},
        {"UN CAFÉ NOIR", "cafe", true},
        {"un cafe noir", "CAFÉ", true},
        {"un cafe\u0301 noir", "café", true}, // the accent as a combining mark
        {"Tiếng Việt", "tieng viet", true},
        {"İstanbul", "istanbul", true},
        {"Ærø Ørsted", "ærø ØRSTED", true},
        {"un café noir", "cafe au", false},
        {"gardens", "garden", false},
        // Full case folding: one letter may fold to two.
        {"Die Straße", "STRASSE", true},
        {"DIE STRASSE", "straße", true},
        {"GROẞ", "gross", true},
        // Compatibility forms.
        {"ﬁnance ﬂow", "finance flow", true},
        {"ＦＯＬＩＯ ２０２４", "folio 2024", true},
        {"x²", "x2", true},
        // Greek: tonos and the final sigma.
        {"ΤΕΛΟΣ", "τελος", true},
        {"ὁ λόγος", "Ο ΛΟΓΟΣ", true},
        // Cyrillic in any case; Ё is Е with a diaeresis to most writers, but Й, Ў and Ї are
        // letters of their own.
        {"улица в москве", "МОСКВЕ", true},
        {"МОСКВА — СТОЛИЦА", "москва столица", true},
        {"Ёлка", "елка", true},
        {"елка", "ЁЛКА", true},
        {"мой", "МОИ", false},
        {"МОЙ", "мой", true},
        {"Україна", "україна", true},
        {"Україна", "украіна", false},
        {"москва", "масква", false},
        // Vowel points writers leave out; Indic vowel signs are letters of the word.
        {"שָׁלוֹם", "שלום", true},
        {"مُحَمَّد", "محمد", true},
        {"किताब", "कताब", false},
        {"किताब", "किताब", true},
        // Words of scripts without spaces: a query is found inside a line.
        {"我们在北京大学学习中文。", "北京大学", true},
        {"我们在北京大学学习中文。", "京大", true},
        {"我们在北京大学学习中文。", "北大", false},
        {"これはカタカナのテストです", "カタカナ", true},
        {"ひらがなとカタカナ", "ひらがな", true},
        {"ｶﾀｶﾅ", "カタカナ", true},
        {"ｶﾞﾗｽ", "ガラス", true},
        {"ガラス", "カラス", false}, // a voicing mark makes another kana
        {"ゟ", "より", true},
        {"2024年に東京へ", "東京", true},
        {"2024年に東京へ", "2024", true},
        {"한국어 문장", "국어", true},
        {"\u1112\u1161\u11ab\u1100\u116e\u11a8", "한국", true}, // syllables written in jamo
        {"ภาษาไทยง่าย", "ไทย", true},
        // Invisible characters inside a word.
        {"hy\u00adphen", "hyphen", true},
        {"foo\u200bbar", "foobar", true},
    };
    for (const TCase& c : cases)
        EXPECT_EQ(Finds(c.Text, c.Query), c.Found) << c.Text << " / " << c.Query;
}

TEST(SearchWordsTest, FoldsTheCaseOfEveryLetterTheCodePagesHeld) {
    // Each line: capitals, then the same words in small letters.
    const std::pair<const char*, const char*> cases[] = {
        {"ÀÁÂÃÄÅÆÇÈÉÊËÌÍÎÏ", "àáâãäåæçèéêëìíîï"},
        {"ÐÑÒÓÔÕÖØÙÚÛÜÝÞ", "ðñòóôõöøùúûüýþ"},
        {"ŠŒŽŸ ĄĆĘŁŃŚŹŻ ŐŰ ŞŢ İ", "šœžÿ ąćęłńśźż őű şţ i"},
        {"ĀČĒĢĪĶĻŅŌŖŪ", "āčēģīķļņōŗū"},
        {"ΑΒΓΔΣΩ ΆΈΉΊΌΎΏ ΪΫ ΤΕΛΟΣ", "αβγδσω άέήίόύώ ϊϋ τελοσ"},
        {"АБВГДЕЖЗИЙ ЮЯ ЁЂЃЄЅІЇЈЉЊЋЌЎЏ Ґ", "абвгдежзий юя ёђѓєѕіїјљњћќўџ ґ"},
        {"A1 b2-C3,d4;e5 — f6", "a1 b2 c3 d4 e5 f6"},
    };
    for (const auto& [upper, lower] : cases)
        EXPECT_EQ(QueryWords(upper), QueryWords(lower)) << upper;
    EXPECT_EQ(QueryWords("Straße Ǆ ﬃ"), (std::vector<std::string>{"strasse", "dz", "ffi"}));
    EXPECT_EQ(QueryWords("Café ÉLAN Ёлка"), (std::vector<std::string>{"cafe", "elan", "елка"}));
}

TEST(SearchWordsTest, WordsKeepThePlacesOfTheirCharacters) {
    struct TCase {
        std::u32string Text;
        std::vector<int32_t> Sections;
        std::vector<std::string> Expected;
    };
    const TCase cases[] = {
        // A folded word longer or shorter than its characters still names them.
        {U"Straße 12 Maß", {}, {"strasse@0-6", "12@7-9", "mass@10-13"}},
        {U"ﬁx café", {}, {"fix@0-2", "cafe@3-7"}},
        {U"cafe\u0301 x", {}, {"cafe@0-5", "x@6-7"}},
        // An invisible character after a word goes on it, but is no part of its span.
        {U"ab\u00ad cd\u00ade", {}, {"ab@0-2", "cde@4-8"}},
        // Each character of Chinese or Japanese is a word, beside words of other scripts.
        {U"中文abc日本", {}, {"中@0-1", "文@1-2", "abc@2-5", "日@5-6", "本@6-7"}},
        {U"ｶﾞﾗｽ", {}, {"ガ@0-2", "ラ@2-3", "ス@3-4"}},
        {U"ゟ", {}, {"よ@0-1", "り@0-1"}},
        {U"\u1112\u1161\u11ab\uad6d", {}, {"한@0-3", "국@3-4"}},
        // Sections end words: a heading's last word and the next paragraph's first.
        {U"gardenRoses", {0, 6}, {"garden@0-6", "roses@6-11"}},
        {U"ab cd", {3, 4}, {"ab@0-2", "c@3-4", "d@4-5"}},
    };
    for (const TCase& c : cases)
        EXPECT_EQ(Words(c.Text, c.Sections), c.Expected) << U32ToUtf8(c.Text);
}

TEST(SearchWordsTest, PunctuationSymbolsSpacesAndObjectsSeparateWords) {
    // The engine's codes for controls, images, no-break marks and breaks, the no-break space.
    EXPECT_EQ(Words(U"a\x02"
                    "b\x04"
                    "c\x05"
                    "d\x06"
                    "e\x07"
                    "f\x08"
                    "g\u00a0h i"),
              (std::vector<std::string>{"a@0-1", "b@2-3", "c@4-5", "d@6-7", "e@8-9", "f@10-11",
                                        "g@12-13", "h@14-15", "i@16-17"}));
    EXPECT_EQ(QueryWords("a—b,c.d!e «f» g…h €5 ¿i? j&k l_m"),
              (std::vector<std::string>{"a", "b", "c", "d", "e", "f", "g", "h", "5", "i", "j", "k",
                                        "l", "m"}));
    EXPECT_EQ(QueryWords("×÷ ¡¿ … « » € ☺ → ✓ 😀 ㋿ 。、「」"),
              std::vector<std::string>{});
    // A mark with no letter before it makes no word.
    EXPECT_EQ(QueryWords("\u0301 \u00ad"), std::vector<std::string>{});
}

TEST(SearchWordsTest, IllFormedQueryBytesSeparateWords) {
    const std::pair<const char*, std::vector<std::string>> cases[] = {
        {"Rosé\xff garden", {"rose", "garden"}},
        {"ro\xffse", {"ro", "se"}},
        {"\xff\xfe", {}},
        {"a\xc0\xafz", {"a", "z"}},         // an overlong form
        {"a\xed\xa0\x80z", {"a", "z"}},     // a surrogate
        {"a\xe2\x82z", {"a", "z"}},         // a sequence cut short
        {"a\xf4\x90\x80\x80z", {"a", "z"}}, // beyond U+10FFFF
    };
    for (const auto& [query, expected] : cases)
        EXPECT_EQ(QueryWords(query), expected) << query;
    // Code points no character has, in a page's text, separate words too.
    EXPECT_EQ(Words(std::u32string{U'a', char32_t(0xD800), U'b', char32_t(0x110000), U'c'}),
              (std::vector<std::string>{"a@0-1", "b@2-3", "c@4-5"}));
}

TEST(SearchWordsTest, ACutBetweenTwoCharactersOfAWordIsSeen) {
    const std::u32string text = U"café 中文 ab\u0301c";
    const std::vector<int32_t> sections = {0, 11};
    TWordReader reader(text, sections);
    std::string joins;
    for (int32_t i = 0; i < static_cast<int32_t>(text.size()); ++i)
        joins += reader.Joins(i) ? '+' : '.';
    // c a f é _ 中 文 _ a b ◌́ c(new section)
    EXPECT_EQ(joins, ".+++.....++.");
    EXPECT_TRUE(reader.StartsSection(0));
    EXPECT_TRUE(reader.StartsSection(11));
    EXPECT_FALSE(reader.StartsSection(10));
}

} // namespace
