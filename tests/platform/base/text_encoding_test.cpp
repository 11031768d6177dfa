#include "platform/base/text_encoding.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/base/strings.h"

using namespace std::string_literals;

namespace {

// Bytes written as hexadecimal pairs ("43 61 e9"), so that fixtures show their byte values
// and no escape runs into the letter after it.
std::string Hex(std::string_view pairs) {
    std::string out;
    for (size_t i = 0; i < pairs.size();) {
        if (pairs[i] == ' ') {
            ++i;
            continue;
        }
        out += static_cast<char>(HexDigitValue(pairs[i]) * 16 + HexDigitValue(pairs[i + 1]));
        i += 2;
    }
    return out;
}

const std::string kFffd = "\xEF\xBF\xBD";

// Every canonical name the module gives.
const char* const kCanonical[] = {
    "utf-8",        "utf-16le",     "utf-16be",     "windows-874",  "windows-1250",
    "windows-1251", "windows-1252", "windows-1253", "windows-1254", "windows-1255",
    "windows-1256", "windows-1257", "windows-1258", "iso-8859-2",   "iso-8859-3",
    "iso-8859-4",   "iso-8859-5",   "iso-8859-6",   "iso-8859-7",   "iso-8859-8",
    "iso-8859-10",  "iso-8859-13",  "iso-8859-14",  "iso-8859-15",  "iso-8859-16",
    "koi8-r",       "koi8-u",       "ibm866",       "macintosh",    "x-mac-cyrillic",
    "shift_jis",    "euc-jp",       "iso-2022-jp",  "gb2312",       "gbk",
    "gb18030",      "big5",         "euc-kr",
};

struct TLabelCase {
    const char* label;
    const char* name;
};

} // namespace

TEST(EncodingNames, LabelsAndAliases) {
    const TLabelCase cases[] = {
        {"utf-8", "utf-8"},
        {" UTF8\t", "utf-8"},
        {"unicode-1-1-utf-8", "utf-8"},
        {"utf-16", "utf-16le"},
        {"\nUTF-16BE ", "utf-16be"},
        {"Latin1", "windows-1252"},
        {"l1", "windows-1252"},
        {"ISO_8859-1", "windows-1252"},
        {"iso-8859-1", "windows-1252"},
        {"8859-1", "windows-1252"},
        {"cp1252", "windows-1252"},
        {"ascii", "windows-1252"},
        {"US-ASCII", "windows-1252"},
        {"iso-8859-9", "windows-1254"},
        {"iso-8859-15", "iso-8859-15"},
        {"latin9", "iso-8859-15"},
        {"ISO-8859-2", "iso-8859-2"},
        {"KOI8-R", "koi8-r"},
        {"koi8-u", "koi8-u"},
        {"cp1251", "windows-1251"},
        {"Windows-1258", "windows-1258"},
        {"tis-620", "windows-874"},
        {"Shift_JIS", "shift_jis"},
        {"sjis", "shift_jis"},
        {"x-sjis", "shift_jis"},
        {"ms_kanji", "shift_jis"},
        {"csshiftjis", "shift_jis"},
        {"x-euc-jp", "euc-jp"},
        {"ISO-2022-JP", "iso-2022-jp"},
        {"GB2312", "gb2312"},
        {"gbk", "gbk"},
        {"gb18030", "gb18030"},
        {"Big5", "big5"},
        {"ks_c_5601-1987", "euc-kr"},
        {"EUC-KR", "euc-kr"},
        {"x-mac-roman", "macintosh"},
        // Unknown labels.
        {"", ""},
        {"   ", ""},
        {"utf-7", ""},
        {"utf 8", ""},
        {"utf-8;", ""},
        {"iso-8859-12", ""},
        {"x-user-defined", ""},
        {"windows-1252windows-1252windows-1252windows-1252", ""},
    };
    for (const TLabelCase& c : cases)
        EXPECT_EQ(NormalizeEncodingName(c.label), c.name) << '"' << c.label << '"';
    EXPECT_EQ(NormalizeEncodingName("utf-8\0"s), "");
    for (const char* name : kCanonical)
        EXPECT_EQ(NormalizeEncodingName(name), name);
}

TEST(EncodingNames, ContentTypeValues) {
    const TLabelCase cases[] = {
        {"text/html; charset=koi8-r", "koi8-r"},
        {"text/html;charset=\"UTF-8\"", "utf-8"},
        {"text/html; CHARSET = 'iso-8859-2'", "iso-8859-2"},
        {"text/html; charset=Shift_JIS; x=y", "shift_jis"},
        {"text/html", ""},
        {"text/html; charset=", ""},
        {"text/html; charset=bogus", ""},
        {"text/html; charset=\"utf-8", ""},
        // A charset parameter beats the older names found elsewhere in the value.
        {"text/html; x=1251; charset=utf-8", "utf-8"},
        // Values older pages were recognised by, each as the encoding it really names.
        {"text/html; windows-1250", "windows-1250"},
        {"text/html; charset=x-win-1251", "windows-1251"},
        {"1252", "windows-1252"},
        {"1253", "windows-1253"},
        {"1254", "windows-1254"},
        {"1257", "windows-1257"},
        {"latin 8859-1", "windows-1252"},
        {"8859-2", "iso-8859-2"},
        {"iso 8859-3", "iso-8859-3"},
        {"8859-4", "iso-8859-4"},
        {"text/html; cyrillic 8859-5", "iso-8859-5"},
        {"8859-7", "iso-8859-7"},
        {"8859-9", "windows-1254"},
        {"8859-15", "iso-8859-15"},
        {"text/html; koi8-r", "koi8-r"},
        // The first name of the older list wins, in its order.
        {"1251 1252", "windows-1252"},
        {"8859-5 koi8-r", "iso-8859-5"},
    };
    for (const TLabelCase& c : cases)
        EXPECT_EQ(EncodingOfContentType(c.label), c.name) << '"' << c.label << '"';
}

TEST(EncodingNames, WindowsCharsetCodes) {
    const std::pair<const char*, int> codes[] = {
        {"windows-1252", 0},  {"iso-8859-1", 0},     {"iso-8859-15", 0},    {"windows-1250", 238},
        {"iso-8859-2", 238},  {"windows-1251", 204}, {"koi8-r", 204},       {"koi8-u", 204},
        {"iso-8859-5", 204},  {"windows-1253", 161}, {"iso-8859-7", 161},   {"windows-1254", 162},
        {"iso-8859-9", 162},  {"iso-8859-3", 162},   {"windows-1257", 186}, {"iso-8859-4", 186},
        {"iso-8859-13", 186}, {"utf-8", 1},          {"utf-16le", 1},       {"shift_jis", 1},
        {"gb2312", 1},        {"big5", 1},           {"windows-1256", 1},   {"bogus", 0},
    };
    for (const auto& [name, code] : codes)
        EXPECT_EQ(CharsetCodeOfEncoding(name), code) << name;
    EXPECT_EQ(EncodingOfCharsetCode(0), "windows-1252");
    EXPECT_EQ(EncodingOfCharsetCode(1), "windows-1252");
    EXPECT_EQ(EncodingOfCharsetCode(238), "windows-1250");
    EXPECT_EQ(EncodingOfCharsetCode(204), "windows-1251");
    EXPECT_EQ(EncodingOfCharsetCode(161), "windows-1253");
    EXPECT_EQ(EncodingOfCharsetCode(162), "windows-1254");
    EXPECT_EQ(EncodingOfCharsetCode(186), "windows-1257");
    EXPECT_EQ(EncodingOfCharsetCode(128), "windows-1252");
    // The Windows pages and their codes go both ways.
    for (int code : {0, 238, 204, 161, 162, 186})
        EXPECT_EQ(CharsetCodeOfEncoding(EncodingOfCharsetCode(code)), code);
}

namespace {
struct TSniffCase {
    std::string bytes;
    const char* fallback;
    const char* encoding;
    TEncodingSource source;
    size_t bom;
};
} // namespace

TEST(EncodingSniffing, HtmlRulesInOrder) {
    using S = TEncodingSource;
    const std::string koi8Meta = "<meta charset=koi8-r>";
    const TSniffCase cases[] = {
        // Byte-order marks, before everything else.
        {"\xEF\xBB\xBF<p>x", "windows-1252", "utf-8", S::Bom, 3},
        {"\xFF\xFE<\0p\0"s, "windows-1252", "utf-16le", S::Bom, 2},
        {"\xFE\xFF\0<\0p"s, "windows-1252", "utf-16be", S::Bom, 2},
        {"\xEF\xBB\xBF" + koi8Meta, "windows-1252", "utf-8", S::Bom, 3},
        // Both forms of META, attributes in any order, quoted or not, any case.
        {koi8Meta, "windows-1252", "koi8-r", S::Meta, 0},
        {"<html><head><META CHARSET=\"KOI8-R\">", "windows-1252", "koi8-r", S::Meta, 0},
        {"<meta charset='windows-1251'/>", "windows-1252", "windows-1251", S::Meta, 0},
        {"<meta\tname=x charset = big5 >", "windows-1252", "big5", S::Meta, 0},
        {"<meta http-equiv=\"Content-Type\" content=\"text/html; charset=iso-8859-2\">",
         "windows-1252", "iso-8859-2", S::Meta, 0},
        {"<meta content='text/html; charset=euc-jp' HTTP-EQUIV=content-type>", "windows-1252",
         "euc-jp", S::Meta, 0},
        {"<meta http-equiv=Content-Type content=text/html;charset=shift_jis>", "windows-1252",
         "shift_jis", S::Meta, 0},
        // The names older pages used in the content.
        {"<meta http-equiv=content-type content=\"text/html; windows-1251\">", "windows-1252",
         "windows-1251", S::Meta, 0},
        // A content without http-equiv Content-Type names nothing.
        {"<meta name=x content=\"text/html; charset=koi8-r\">", "windows-1252", "windows-1252",
         S::Fallback, 0},
        {"<meta http-equiv=refresh content=\"0; charset=koi8-r\">", "windows-1252", "windows-1252",
         S::Fallback, 0},
        // The charset attribute wins over a content, whatever their order.
        {"<meta http-equiv=content-type content=\"charset=big5\" charset=gbk>", "windows-1252",
         "gbk", S::Meta, 0},
        // Comments, and markup inside attribute values, hide decoys.
        {"<!-- " + koi8Meta + " --><meta charset=iso-8859-7>", "windows-1252", "iso-8859-7",
         S::Meta, 0},
        // A comment ends where the lexer ends it: at two dashes, blanks and ">".
        {"<!-- a - -> " + koi8Meta + " --><meta charset=iso-8859-7>", "windows-1252", "iso-8859-7",
         S::Meta, 0},
        {"<!-- a -- >" + koi8Meta, "windows-1252", "koi8-r", S::Meta, 0},
        {"<img alt=\"<meta charset=koi8-r>\"><meta charset=big5>", "windows-1252", "big5", S::Meta,
         0},
        {"<!DOCTYPE html><title>x</title>" + koi8Meta, "windows-1252", "koi8-r", S::Meta, 0},
        {"<!-- " + koi8Meta, "windows-1252", "windows-1252", S::Fallback, 0},
        // Unknown charsets are passed over, for a later META or the next rule.
        {"<meta charset=bogus><meta charset=gbk>", "windows-1252", "gbk", S::Meta, 0},
        {"<meta charset=bogus>caf\xC3\xA9", "windows-1252", "utf-8", S::Utf8Content, 0},
        {"<meta charset=bogus>caf\xE9", "windows-1251", "windows-1251", S::Fallback, 0},
        // A META naming UTF-16 in a text read as ASCII means UTF-8.
        {"<meta charset=utf-16>caf\xE9", "windows-1252", "utf-8", S::Meta, 0},
        // The prescan stops at BODY.
        {"<body>" + koi8Meta, "windows-1252", "windows-1252", S::Fallback, 0},
        {"<BODY bgcolor=white>" + koi8Meta, "windows-1252", "windows-1252", S::Fallback, 0},
        {"<bodyx>" + koi8Meta, "windows-1252", "koi8-r", S::Meta, 0},
        // and reads the first 64 KB only.
        {std::string(65000, ' ') + koi8Meta, "windows-1252", "koi8-r", S::Meta, 0},
        {std::string(65536, ' ') + koi8Meta, "windows-1252", "windows-1252", S::Fallback, 0},
        // The XML declaration at the very start, after any META.
        {"<?xml version=\"1.0\" encoding=\"ISO-8859-2\"?><p>", "windows-1252", "iso-8859-2",
         S::XmlDeclaration, 0},
        {"<?xml version='1.0' encoding = 'koi8-r' ?>", "windows-1252", "koi8-r", S::XmlDeclaration,
         0},
        {"<?xml version='1.0' encoding='koi8-r'?>" + std::string("<meta charset=big5>"),
         "windows-1252", "big5", S::Meta, 0},
        {" <?xml version='1.0' encoding='koi8-r'?>", "windows-1252", "windows-1252", S::Fallback,
         0},
        {"<?xml version='1.0' encoding='bogus'?>", "windows-1252", "windows-1252", S::Fallback, 0},
        // UTF-8 content: valid, with something beyond ASCII.
        {"caf\xC3\xA9", "windows-1252", "utf-8", S::Utf8Content, 0},
        {"\xE6\x97\xA5\xE6\x9C\xAC", "windows-1251", "utf-8", S::Utf8Content, 0},
        {"cafe", "windows-1252", "windows-1252", S::Fallback, 0},
        {"caf\xE9", "windows-1252", "windows-1252", S::Fallback, 0},
        {"caf\xC3", "windows-1252", "windows-1252", S::Fallback, 0},
        {"\xC0\xAF", "windows-1252", "windows-1252", S::Fallback, 0},
        {"\xED\xA0\x80", "windows-1252", "windows-1252", S::Fallback, 0},
        // The fallback, itself a label.
        {"caf\xE9", "KOI8-R", "koi8-r", S::Fallback, 0},
        {"caf\xE9", "latin1", "windows-1252", S::Fallback, 0},
        {"caf\xE9", "bogus", "windows-1252", S::Fallback, 0},
        {"", "", "windows-1252", S::Fallback, 0},
    };
    for (const TSniffCase& c : cases) {
        const TEncodingGuess g = SniffHtmlEncoding(c.bytes, c.fallback);
        const std::string shown = c.bytes.substr(0, 80);
        EXPECT_EQ(g.Encoding, c.encoding) << shown;
        EXPECT_EQ(g.Source, c.source) << shown;
        EXPECT_EQ(g.BomLength, c.bom) << shown;
    }
}

TEST(EncodingSniffing, StyleSheetRulesInOrder) {
    using S = TEncodingSource;
    const TSniffCase cases[] = {
        {"\xEF\xBB\xBF@charset \"koi8-r\";", "windows-1252", "utf-8", S::Bom, 3},
        {"\xFE\xFF\0p"s, "windows-1252", "utf-16be", S::Bom, 2},
        {"@charset \"koi8-r\"; p { color: red }", "windows-1252", "koi8-r", S::CssCharset, 0},
        {"@charset \"UTF-8\";", "windows-1251", "utf-8", S::CssCharset, 0},
        {"@charset \"utf-16\";", "windows-1252", "utf-8", S::CssCharset, 0},
        // Only the exact form at the very start counts.
        {"@charset 'koi8-r';", "windows-1252", "windows-1252", S::Fallback, 0},
        {" @charset \"koi8-r\";", "windows-1252", "windows-1252", S::Fallback, 0},
        {"@CHARSET \"koi8-r\";", "windows-1252", "windows-1252", S::Fallback, 0},
        {"@charset \"koi8-r\"", "windows-1252", "windows-1252", S::Fallback, 0},
        {"@charset \"bogus\"; p:before{content:\"\xC3\xA9\"}", "windows-1252", "utf-8",
         S::Utf8Content, 0},
        // The referring page's encoding.
        {"p:before{content:\"\xE9\"}", "windows-1251", "windows-1251", S::Fallback, 0},
    };
    for (const TSniffCase& c : cases) {
        const TEncodingGuess g = SniffCssEncoding(c.bytes, c.fallback);
        EXPECT_EQ(g.Encoding, c.encoding) << c.bytes;
        EXPECT_EQ(g.Source, c.source) << c.bytes;
        EXPECT_EQ(g.BomLength, c.bom) << c.bytes;
    }
}

namespace {
struct TDecodeCase {
    const char* encoding;
    std::string bytes;
};

void ExpectAllDecodeTo(const std::vector<TDecodeCase>& cases, const std::string& utf8) {
    for (const TDecodeCase& c : cases)
        EXPECT_EQ(DecodeToUtf8(c.bytes, c.encoding), utf8) << c.encoding;
}
} // namespace

TEST(EncodingDecoding, TwinsOfOneTextDecodeAlike) {
    // "Café naïve: œuvre, Œ, Š/š, Ž/ž, Ÿ, 5 €": the letters both western pages have, at
    // different bytes.
    const std::string western = Hex("43 61 66 c3 a9 20 6e 61 c3 af 76 65 3a 20 c5 93 75 76 72 65"
                                    "2c 20 c5 92 2c 20 c5 a0 2f c5 a1 2c 20 c5 bd 2f c5 be 2c 20"
                                    "c5 b8 2c 20 35 20 e2 82 ac");
    ExpectAllDecodeTo(
        {
            {"windows-1252", Hex("43 61 66 e9 20 6e 61 ef 76 65 3a 20 9c 75 76 72 65 2c 20 8c"
                                 "2c 20 8a 2f 9a 2c 20 8e 2f 9e 2c 20 9f 2c 20 35 20 80")},
            {"iso-8859-1", Hex("43 61 66 e9 20 6e 61 ef 76 65 3a 20 9c 75 76 72 65 2c 20 8c"
                               "2c 20 8a 2f 9a 2c 20 8e 2f 9e 2c 20 9f 2c 20 35 20 80")},
            {"iso-8859-15", Hex("43 61 66 e9 20 6e 61 ef 76 65 3a 20 bd 75 76 72 65 2c 20 bc"
                                "2c 20 a6 2f a8 2c 20 b4 2f b8 2c 20 be 2c 20 35 20 a4")},
            {"utf-8", western},
            {"utf-8", "\xEF\xBB\xBF" + western},
        },
        western);

    // "Привет, мир! Ёжик"
    const std::string cyrillic = Hex("d0 9f d1 80 d0 b8 d0 b2 d0 b5 d1 82 2c 20 d0 bc d0 b8 d1 80"
                                     "21 20 d0 81 d0 b6 d0 b8 d0 ba");
    const std::string le = Hex("1f 04 40 04 38 04 32 04 35 04 42 04 2c 00 20 00 3c 04 38 04 40 04"
                               "21 00 20 00 01 04 36 04 38 04 3a 04");
    const std::string be = Hex("04 1f 04 40 04 38 04 32 04 35 04 42 00 2c 00 20 04 3c 04 38 04 40"
                               "00 21 00 20 04 01 04 36 04 38 04 3a");
    ExpectAllDecodeTo(
        {
            {"windows-1251", Hex("cf f0 e8 e2 e5 f2 2c 20 ec e8 f0 21 20 a8 e6 e8 ea")},
            {"koi8-r", Hex("f0 d2 c9 d7 c5 d4 2c 20 cd c9 d2 21 20 b3 d6 c9 cb")},
            {"iso-8859-5", Hex("bf e0 d8 d2 d5 e2 2c 20 dc d8 e0 21 20 a1 d6 d8 da")},
            {"utf-8", cyrillic},
            {"utf-16le", le},
            {"utf-16le", "\xFF\xFE" + le},
            {"utf-16be", be},
            {"utf-16be", "\xFE\xFF" + be},
        },
        cyrillic);

    // "Ελληνικά" and "Zażółć gęślą": where the ISO and Windows pages agree and where they differ.
    ExpectAllDecodeTo({{"iso-8859-7", Hex("c5 eb eb e7 ed e9 ea dc")},
                       {"windows-1253", Hex("c5 eb eb e7 ed e9 ea dc")}},
                      Hex("ce 95 ce bb ce bb ce b7 ce bd ce b9 ce ba ce ac"));
    ExpectAllDecodeTo({{"iso-8859-2", Hex("5a 61 bf f3 b3 e6 20 67 ea b6 6c b1")},
                       {"windows-1250", Hex("5a 61 bf f3 b3 e6 20 67 ea 9c 6c b9")}},
                      Hex("5a 61 c5 bc c3 b3 c5 82 c4 87 20 67 c4 99 c5 9b 6c c4 85"));
}

TEST(EncodingDecoding, EastAsianEncodings) {
    // "日本語のテキスト"
    const std::string japanese =
        Hex("e6 97 a5 e6 9c ac e8 aa 9e e3 81 ae e3 83 86 e3 82 ad e3 82 b9 e3 83 88");
    ExpectAllDecodeTo(
        {
            {"shift_jis", Hex("93 fa 96 7b 8c ea 82 cc 83 65 83 4c 83 58 83 67")},
            {"euc-jp", Hex("c6 fc cb dc b8 ec a4 ce a5 c6 a5 ad a5 b9 a5 c8")},
            {"iso-2022-jp",
             Hex("1b 24 42 46 7c 4b 5c 38 6c 24 4e 25 46 25 2d 25 39 25 48 1b 28 42")},
        },
        japanese);
    // "中文字符"
    const std::string chinese = Hex("e4 b8 ad e6 96 87 e5 ad 97 e7 ac a6");
    ExpectAllDecodeTo({{"gb2312", Hex("d6 d0 ce c4 d7 d6 b7 fb")},
                       {"gbk", Hex("d6 d0 ce c4 d7 d6 b7 fb")},
                       {"gb18030", Hex("d6 d0 ce c4 d7 d6 b7 fb")},
                       {"big5", Hex("a4 a4 a4 e5 a6 72 b2 c5")}},
                      chinese);
    // "한국어 텍스트"
    EXPECT_EQ(DecodeToUtf8(Hex("c7 d1 b1 b9 be ee 20 c5 d8 bd ba c6 ae"), "euc-kr"),
              Hex("ed 95 9c ea b5 ad ec 96 b4 20 ed 85 8d ec 8a a4 ed 8a b8"));
}

TEST(EncodingDecoding, Windows1252UndefinedBytesAreC1Controls) {
    for (int b = 0x80; b <= 0x9F; ++b) {
        const char32_t table = CodePageToUnicode(static_cast<uint8_t>(b));
        const bool undefined = b == 0x81 || b == 0x8D || b == 0x8F || b == 0x90 || b == 0x9D;
        EXPECT_EQ(table == 0xFFFD, undefined) << b;
        std::string want;
        AppendUtf8(want, undefined ? static_cast<char32_t>(b) : table);
        EXPECT_EQ(DecodeToUtf8(std::string(1, static_cast<char>(b)), "windows-1252"), want) << b;
    }
    // The other Windows pages keep U+FFFD for theirs.
    EXPECT_EQ(DecodeToUtf8("\x98", "windows-1251"), kFffd);
    EXPECT_EQ(DecodeToUtf8("\x81", "windows-1250"), kFffd);
}

TEST(EncodingDecoding, SingleByteEncodingsGiveOneCharacterPerByte) {
    std::string all;
    for (int b = 0; b < 256; ++b)
        all += static_cast<char>(b);
    for (const char* name : kCanonical) {
        const std::string out = DecodeToUtf8(all, name);
        EXPECT_TRUE(IsValidUtf8(out)) << name;
        const std::string_view n = name;
        if (n.substr(0, 6) != "utf-16") {
            EXPECT_EQ(DecodeToUtf8("Hello, <p>!", name), "Hello, <p>!") << name;
        }
        const bool multi = n == "utf-8" || n.substr(0, 6) == "utf-16" || n == "shift_jis" ||
                           n == "euc-jp" || n == "iso-2022-jp" || n.substr(0, 2) == "gb" ||
                           n == "big5" || n == "euc-kr";
        if (multi)
            continue;
        const std::u32string chars = Utf8ToU32(out);
        ASSERT_EQ(chars.size(), 256u) << name;
        for (int b = 0; b < 0x80; ++b)
            EXPECT_EQ(chars[b], static_cast<char32_t>(b)) << name << ' ' << b;
        // A table that came out empty would give nothing but U+FFFD above ASCII.
        int replaced = 0;
        for (int b = 0x80; b < 256; ++b)
            replaced += chars[b] == 0xFFFD;
        EXPECT_LT(replaced, 64) << name;
    }
    // Spot checks of tables made through iconv.
    EXPECT_EQ(DecodeToUtf8("\xE9", "windows-1255"), "\xD7\x99");    // yod
    EXPECT_EQ(DecodeToUtf8("\xC7", "windows-1256"), "\xD8\xA7");    // alef
    EXPECT_EQ(DecodeToUtf8("\xA1", "windows-874"), "\xE0\xB8\x81"); // ko kai
    EXPECT_EQ(DecodeToUtf8("\x80", "ibm866"), "\xD0\x90");          // А
    EXPECT_EQ(DecodeToUtf8("\xA4", "koi8-u"), "\xD1\x94");          // є
    EXPECT_EQ(DecodeToUtf8("\xA4", "iso-8859-15"), "\xE2\x82\xAC"); // €
    EXPECT_EQ(DecodeToUtf8("\xA4", "iso-8859-5"), "\xD0\x84");      // Є
    EXPECT_EQ(DecodeToUtf8("\xA1", "iso-8859-7"), "\xE2\x80\x98");  // ‘
    EXPECT_EQ(DecodeToUtf8("\xA1", "windows-1253"), "\xCE\x85");    // ΅
}

TEST(EncodingDecoding, HostileUtf8BecomesReplacementCharacters) {
    // Each ill-formed sequence gives U+FFFD per maximal part that could have begun a character.
    const std::pair<std::string, std::string> cases[] = {
        {"a\xC0\xAF"
         "b",
         "a" + kFffd + kFffd + "b"},                         // overlong "/"
        {"\xE0\x80\xAF", kFffd + kFffd + kFffd},             // overlong, 3 bytes
        {"\xF0\x80\x80\xAF", kFffd + kFffd + kFffd + kFffd}, // overlong, 4 bytes
        {"\xED\xA0\x80", kFffd + kFffd + kFffd},             // surrogate D800
        {"\xED\xBF\xBF", kFffd + kFffd + kFffd},             // surrogate DFFF
        {"\xF4\x90\x80\x80", kFffd + kFffd + kFffd + kFffd}, // U+110000
        {"\xF5\x80\x80\x80", kFffd + kFffd + kFffd + kFffd}, // no such lead
        {"\xFF\xFE", kFffd + kFffd},                         // never in UTF-8
        {"\x80"
         "a\xBF",
         kFffd + "a" + kFffd},      // lone continuations
        {"a\xE2\x82", "a" + kFffd}, // cut at the end
        {"\xE2\x82"
         "a",
         kFffd + "a"},                            // cut in the middle
        {"\xF0\x9F\x98", kFffd},                  // cut four-byte
        {"\xF4\x8F\xBF\xBF", "\xF4\x8F\xBF\xBF"}, // U+10FFFF is fine
        {"a\0b"s, "a\0b"s},                       // NUL stays
    };
    for (const auto& [in, want] : cases) {
        EXPECT_EQ(DecodeToUtf8(in, "utf-8"), want);
        EXPECT_TRUE(IsValidUtf8(DecodeToUtf8(in, "utf-8")));
    }
    // The same text sniffed: not UTF-8 content.
    EXPECT_EQ(SniffHtmlEncoding("caf\xC3\xA9 \xED\xA0\x80", "windows-1252").Encoding,
              "windows-1252");
}

TEST(EncodingDecoding, HostileUtf16) {
    const std::pair<std::string, std::string> le[] = {
        {"A\0B"s, "A" + kFffd},                    // odd length
        {"\x3D\xD8\x00\xDE"s, "\xF0\x9F\x98\x80"}, // pair: U+1F600
        {"\x3D\xD8"s, kFffd},                      // high half at the end
        {"\x3D\xD8"
         "A\0"s,
         kFffd + "A"},                                             // high half alone
        {"\x3D\xD8\x3D\xD8\x00\xDE"s, kFffd + "\xF0\x9F\x98\x80"}, // two highs, one low
        {"\x00\xDC"
         "A\0"s,
         kFffd + "A"},                         // low half alone
        {"\x00\xDE\x3D\xD8"s, kFffd + kFffd},  // halves reversed
        {"\0\0"s, "\0"s},                      // NUL
        {"\xFF\xFE\xFF\xFE"s, "\xEF\xBB\xBF"}, // one mark dropped
        {"\xFF"s, kFffd},
        {"", ""},
    };
    for (const auto& [in, want] : le)
        EXPECT_EQ(DecodeToUtf8(in, "utf-16le"), want);
    EXPECT_EQ(DecodeToUtf8("\xD8\x3D\xDE\x00"s, "utf-16be"), "\xF0\x9F\x98\x80");
    EXPECT_EQ(DecodeToUtf8("\xDC\x00\0A\0"s, "utf-16be"), kFffd + "A" + kFffd);
}

TEST(EncodingDecoding, MultiByteFaultsResynchronise) {
    const std::string a = "\xE3\x81\x82", i = "\xE3\x81\x84"; // あ い
    // 0x81 0x20 is no Shift_JIS character: the lead becomes U+FFFD, the blank stays.
    EXPECT_EQ(DecodeToUtf8("\x82\xA0\x81\x20\x82\xA2", "shift_jis"), a + kFffd + " " + i);
    EXPECT_EQ(DecodeToUtf8("\x82\xA0\xFD\x82\xA2", "shift_jis"), a + kFffd + i);
    EXPECT_EQ(DecodeToUtf8("\x82\xA0\x82", "shift_jis"), a + kFffd); // cut at the end
    EXPECT_EQ(DecodeToUtf8("\xD6\xD0\xFF\xCE\xC4", "gb2312"),
              "\xE4\xB8\xAD" + kFffd + "\xE6\x96\x87");
    EXPECT_EQ(DecodeToUtf8("\xC7\xD1\0\xC7\xD1"s, "euc-kr"), "\xED\x95\x9C\0\xED\x95\x9C"s);

    // Long texts go through iconv in pieces; faults on and near the piece boundaries.
    const std::string unit = "\x82\xA0"
                             "ab\x82\xA2";
    const std::string unitUtf8 = a + "ab" + i;
    std::string in, want;
    for (int k = 0; k < 20000; ++k) {
        in += unit;
        want += unitUtf8;
        if (k % 1500 == 7) {
            in += "\xFD";
            want += kFffd;
        }
    }
    EXPECT_EQ(DecodeToUtf8(in, "shift_jis"), want);
}

TEST(EncodingDecoding, ByteOrderMarksAndUnknownNames) {
    EXPECT_EQ(DecodeToUtf8("\xEF\xBB\xBF"
                           "abc",
                           "utf-8"),
              "abc");
    EXPECT_EQ(DecodeToUtf8("\xEF\xBB\xBF\xEF\xBB\xBF"
                           "abc",
                           "UTF8"),
              "\xEF\xBB\xBF"
              "abc");
    // A mark of another encoding is text.
    EXPECT_EQ(DecodeToUtf8("\xEF\xBB\xBF"
                           "a",
                           "windows-1252"),
              "\xC3\xAF\xC2\xBB\xC2\xBF"
              "a");
    EXPECT_EQ(DecodeToUtf8("\xFE\xFF\0a"s, "utf-16le"), "\xEF\xBF\xBE\xE6\x84\x80");
    // Unknown names decode as windows-1252.
    EXPECT_EQ(DecodeToUtf8("caf\xE9 \x80", "bogus"), "caf\xC3\xA9 \xE2\x82\xAC");
    EXPECT_EQ(DecodeToUtf8("caf\xE9", ""), "caf\xC3\xA9");
    // NUL bytes are characters like any other.
    EXPECT_EQ(DecodeToUtf8("a\0\xE9"s, "windows-1252"), "a\0\xC3\xA9"s);
    EXPECT_EQ(DecodeToUtf8("a\0\xC1"s, "koi8-r"), "a\0\xD0\xB0"s);
    EXPECT_EQ(DecodeToUtf8("", "shift_jis"), "");
    EXPECT_EQ(DecodeToUtf8("", "windows-1252"), "");
}

TEST(EncodingDecoding, ADeclarationThatLiesStillGivesValidText) {
    // UTF-8 bytes under a META naming KOI8-R, and Cyrillic bytes under one naming Shift_JIS:
    // the wrong characters, but well-formed text of the same length in characters for the
    // single-byte case.
    const std::string utf8Page = "<meta charset=koi8-r><p>\xD0\x9F\xD1\x80\xD0\xB8</p>";
    const TEncodingGuess g = SniffHtmlEncoding(utf8Page, "windows-1252");
    ASSERT_EQ(g.Encoding, "koi8-r");
    const std::string decoded = DecodeToUtf8(utf8Page, g.Encoding);
    EXPECT_TRUE(IsValidUtf8(decoded));
    EXPECT_EQ(Utf8ToU32(decoded).size(), utf8Page.size());
    std::string noise;
    for (int k = 0; k < 4096; ++k)
        noise += static_cast<char>((k * 7919 + 13) & 0xFF);
    for (const char* name : kCanonical)
        EXPECT_TRUE(IsValidUtf8(DecodeToUtf8(noise, name))) << name;
}
