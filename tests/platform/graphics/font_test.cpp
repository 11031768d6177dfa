#include <gtest/gtest.h>

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_ADVANCES_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "platform/graphics/canvas.h"
#include "platform/graphics/font.h"
#include "tests/support/fonts_env.h"
#include "tests/support/update_expected.h"

namespace {

const char* kLiberationSerif = "/usr/share/fonts/truetype/liberation/LiberationSerif-Regular.ttf";

struct TFileMetrics {
    long winAscent = 0, winDescent = 0, unitsPerEm = 0, lineGap = 0, hheaAscender = 0,
         hheaDescender = 0;
};

// Reads the tables straight from the font file, independently of the code under test.
bool ReadFileMetrics(const char* path, TFileMetrics& m) {
    FT_Library lib = nullptr;
    if (FT_Init_FreeType(&lib) != 0)
        return false;
    FT_Face face = nullptr;
    bool ok = FT_New_Face(lib, path, 0, &face) == 0;
    if (ok) {
        const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
        const auto* hhea = static_cast<const TT_HoriHeader*>(FT_Get_Sfnt_Table(face, FT_SFNT_HHEA));
        ok = os2 != nullptr && hhea != nullptr;
        if (ok) {
            m.winAscent = os2->usWinAscent;
            m.winDescent = os2->usWinDescent;
            m.unitsPerEm = face->units_per_EM;
            m.lineGap = hhea->Line_Gap;
            m.hheaAscender = hhea->Ascender;
            m.hheaDescender = hhea->Descender;
        }
        FT_Done_Face(face);
    }
    FT_Done_FreeType(lib);
    return ok;
}

long CeilDiv(long a, long b) {
    return (a + b - 1) / b;
}

TFont Serif12() {
    TFont f;
    f.Name = "Liberation Serif";
    f.Size = 12;
    return f;
}

TEST(TestFonts, FontconfigIsPointedAtTheProjectsConfiguration) {
    const char* file = std::getenv("FONTCONFIG_FILE");
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(file[0], '/'); // fontconfig reads relative names from its own folder
    EXPECT_TRUE(std::filesystem::is_regular_file(file)) << file;
    EXPECT_NE(std::string(file).find("tests/data/fontconfig/fonts.conf"), std::string::npos);
    // Liberation and DejaVu stand in for every family; the CJK fallback face is never chosen
    // for a family, only for the characters the others lack.
    TFont f = Serif12();
    for (const char* name : {"Times New Roman", "Arial", "Courier New", "serif", "Unknown"}) {
        f.Name = name;
        const std::string path = f.Resolve()->FilePath();
        EXPECT_TRUE(path.rfind("/usr/share/fonts/truetype/liberation/", 0) == 0 ||
                    path.rfind("/usr/share/fonts/truetype/dejavu/", 0) == 0)
            << name << ": " << path;
    }
}

TEST(FontMetrics, LiberationSerifTwelvePointFollowsTheWindowsMetricsOfTheFile) {
    TFileMetrics file;
    ASSERT_TRUE(ReadFileMetrics(kLiberationSerif, file));
    const auto font = Serif12().Resolve();
    ASSERT_NE(font->FilePath().find("LiberationSerif-Regular"), std::string::npos);
    const int em = 16; // 12 pt at 96 ppi
    EXPECT_EQ(font->EmPixels(), em);
    const TTextMetric& m = font->Metrics();
    EXPECT_EQ(m.Ascent, CeilDiv(file.winAscent * em, file.unitsPerEm));
    EXPECT_EQ(m.Descent, CeilDiv(file.winDescent * em, file.unitsPerEm));
    EXPECT_EQ(m.Height, m.Ascent + m.Descent);
    EXPECT_EQ(m.InternalLeading, m.Height - em);
    const long gap = file.lineGap - ((file.winAscent + file.winDescent) -
                                     (file.hheaAscender - file.hheaDescender));
    EXPECT_EQ(m.ExternalLeading, std::max(0L, (gap * em + file.unitsPerEm / 2) / file.unitsPerEm));
    EXPECT_EQ(m.Overhang, 0);
    // The figures Times New Roman gives at 12 pt on a 96 ppi screen.
    EXPECT_EQ(m.Height, 19);
    EXPECT_EQ(m.Ascent, 15);
    EXPECT_EQ(m.Descent, 4);
    EXPECT_EQ(m.InternalLeading, 3);
    EXPECT_EQ(m.ExternalLeading, 1);
    EXPECT_GT(m.AveCharWidth, 4);
    EXPECT_LT(m.AveCharWidth, 10);
}

TEST(FontMetrics, SizeConvertsAtNinetySixPixelsPerInch) {
    TFont f = Serif12();
    f.Size = 10;
    EXPECT_EQ(f.PixelSize(), 13);
    f.Size = 0; // unset: the 12-point default
    EXPECT_EQ(f.PixelSize(), 16);
    f.Size = 24;
    const auto big = f.Resolve();
    EXPECT_EQ(big->EmPixels(), 32);
    EXPECT_GT(big->Metrics().Height, Serif12().Resolve()->Metrics().Height);
}

TEST(FontMatching, WindowsFamiliesAreFoundThroughMetricCompatibleAliases) {
    TFont f = Serif12();
    f.Name = "Times New Roman";
    auto font = f.Resolve();
    EXPECT_TRUE(font->FamilyFound());
    EXPECT_EQ(font->FaceName(), "Times New Roman");
    EXPECT_EQ(font->ActualFamily(), "Liberation Serif");
    f.Name = "arial";
    EXPECT_TRUE(f.Resolve()->FamilyFound());
    EXPECT_EQ(f.Resolve()->ActualFamily(), "Liberation Sans");
    f.Name = "Courier New";
    EXPECT_EQ(f.Resolve()->ActualFamily(), "Liberation Mono");
    EXPECT_EQ(f.FaceName(), "Courier New");
}

TEST(FontMatching, ExactFamiliesReportTheirOwnSpelling) {
    TFont f = Serif12();
    f.Name = "dejavu sans";
    EXPECT_TRUE(f.Resolve()->FamilyFound());
    EXPECT_EQ(f.FaceName(), "DejaVu Sans");
}

TEST(FontMatching, UnknownFamiliesReportTheSubstituteFace) {
    TFont f = Serif12();
    f.Name = "No Such Face At All";
    auto font = f.Resolve();
    EXPECT_FALSE(font->FamilyFound());
    EXPECT_NE(font->FaceName(), "No Such Face At All");
    EXPECT_EQ(font->FaceName(), font->ActualFamily());
    EXPECT_FALSE(font->FilePath().empty());
    f.Name = "";
    EXPECT_FALSE(f.Resolve()->FamilyFound());
}

TEST(FontMatching, BoldAndItalicPickTheirOwnFaces) {
    TFont f = Serif12();
    f.Bold = true;
    EXPECT_NE(f.Resolve()->FilePath().find("LiberationSerif-Bold."), std::string::npos);
    f.Italic = true;
    EXPECT_NE(f.Resolve()->FilePath().find("LiberationSerif-BoldItalic"), std::string::npos);
    f.Bold = false;
    EXPECT_NE(f.Resolve()->FilePath().find("LiberationSerif-Italic"), std::string::npos);
    TFont plain = Serif12(), bold = Serif12();
    bold.Bold = true;
    EXPECT_GT(bold.Resolve()->TextWidth("mmmmmmmmmm"), plain.Resolve()->TextWidth("mmmmmmmmmm"));
}

// Each of the Windows families a page asks for most resolves, in each style, to its own
// metric-compatible face at every size: an italic never comes from a sans-serif file.
TEST(FontMatching, EveryStyleOfTheDefaultFamiliesHasItsOwnFace) {
    const struct {
        const char* family;
        const char* file;
    } families[] = {{"Times New Roman", "LiberationSerif-"},
                    {"Arial", "LiberationSans-"},
                    {"Courier New", "LiberationMono-"}};
    const char* styles[] = {"Regular.ttf", "Bold.ttf", "Italic.ttf", "BoldItalic.ttf"};
    for (const auto& fam : families)
        for (int style = 0; style < 4; ++style)
            for (int points : {6, 10, 12, 18, 36}) {
                TFont f;
                f.Name = fam.family;
                f.Size = points;
                f.Bold = style == 1 || style == 3;
                f.Italic = style >= 2;
                const std::string path = f.Resolve()->FilePath();
                const std::string want = std::string(fam.file) + styles[style];
                EXPECT_EQ(path.substr(path.rfind('/') + 1), want) << fam.family << " " << points;
            }
}

TEST(FontCache, EqualDescriptionsShareOneFont) {
    TFont a = Serif12(), b = Serif12();
    b.Color = clRed; // colour is not part of the face
    EXPECT_EQ(a.Resolve().get(), b.Resolve().get());
    b.Name = "LIBERATION SERIF";
    EXPECT_EQ(a.Resolve().get(), b.Resolve().get());
    b.Charset = RUSSIAN_CHARSET; // text is Unicode: the character set changes nothing
    EXPECT_EQ(a.Resolve().get(), b.Resolve().get());
    b.Underline = true;
    EXPECT_NE(a.Resolve().get(), b.Resolve().get());
}

// A page may ask for thousands of family names it does not have; each falls back to the same
// file, and the resolved fonts share that file's faces instead of opening it again, so such a
// page costs a few kilobytes per name, not a FreeType face each. Sizes share them too.
TEST(FontCache, FontsOfOneFileShareItsFaces) {
    std::vector<std::shared_ptr<const TResolvedFont>> fonts;
    for (int i = 0; i < 200; ++i) {
        TFont f;
        f.Name = "NoSuchFamily" + std::to_string(i);
        f.Size = 8 + i % 5;
        fonts.push_back(f.Resolve());
    }
    for (const auto& font : fonts) {
        EXPECT_EQ(font->FilePath(), fonts[0]->FilePath());
        EXPECT_EQ(font->CairoFace(), fonts[0]->CairoFace());
    }
    // The sizes still measure as their own.
    EXPECT_LT(fonts[0]->Metrics().Height, fonts[4]->Metrics().Height);
}

// The designed advances of a text in font units, straight from the file's metrics.
long DesignedAdvances(const char* path, std::string_view text, long& unitsPerEm) {
    FT_Library lib = nullptr;
    if (FT_Init_FreeType(&lib) != 0)
        return -1;
    FT_Face face = nullptr;
    long sum = -1;
    if (FT_New_Face(lib, path, 0, &face) == 0) {
        sum = 0;
        unitsPerEm = face->units_per_EM;
        for (char c : text) {
            FT_Fixed advance = 0;
            FT_Get_Advance(face, FT_Get_Char_Index(face, static_cast<unsigned char>(c)),
                           FT_LOAD_NO_SCALE, &advance);
            sum += advance;
        }
        FT_Done_Face(face);
    }
    FT_Done_FreeType(lib);
    return sum;
}

// Text measures as designed: the advances are added before rounding, so text is not made
// wider (or narrower) glyph by glyph. Digits of Liberation Serif are half an em, 5.5 pixels at
// 11: ten of them are 55 pixels, not 60.
TEST(TextExtent, TextMeasuresItsDesignedAdvancesRoundedOnce) {
    struct {
        const char* text;
        int points;
    } cases[] = {{"0123456789", 8},
                 {"The quick brown fox jumps over the lazy dog.", 12},
                 {"The quick brown fox jumps over the lazy dog.", 8},
                 {"WAVE wave 1/2 ,.;:", 14},
                 {"mmmmmmmmmmmmmmmmmmmmiiiiiiiiiiiiiiiiiii", 11}};
    for (const auto& c : cases) {
        TFont f = Serif12();
        f.Size = c.points;
        const auto font = f.Resolve();
        long upem = 0;
        const long units = DesignedAdvances(kLiberationSerif, c.text, upem);
        ASSERT_GT(units, 0);
        const double exact = static_cast<double>(units) * font->EmPixels() / upem;
        // Each advance is kept to 1/64 pixel, so the sum may be off by half that per glyph.
        const double slack = 0.5 + std::strlen(c.text) / 128.0;
        EXPECT_LE(std::abs(font->TextWidth(c.text) - exact), slack)
            << c.text << " at " << c.points << " points: " << font->TextWidth(c.text)
            << " pixels, designed " << exact;
    }
    TFont f = Serif12();
    f.Size = 8;
    EXPECT_EQ(f.Resolve()->TextWidth("0000000000"), 55);
}

TEST(TextExtent, PiecesMeasureWithinAPixelOfTheWhole) {
    const auto font = Serif12().Resolve();
    const std::string s = "The quick brown fox jumps over the lazy dog.";
    const int whole = font->TextWidth(s);
    for (size_t cut = 0; cut <= s.size(); ++cut) {
        const int pieces = font->TextWidth(s.substr(0, cut)) + font->TextWidth(s.substr(cut));
        EXPECT_LE(std::abs(pieces - whole), 1) << cut;
    }
    EXPECT_EQ(font->TextExtent(s).cy, font->Metrics().Height);
    EXPECT_EQ(font->TextWidth(""), 0);
    EXPECT_GT(font->CharWidth('W'), font->CharWidth('i'));
    EXPECT_EQ(font->CharWidth('W'), font->TextWidth("W"));
}

TEST(TextExtent, MonospacedFontHasEqualAdvances) {
    TFont f = Serif12();
    f.Name = "Courier New";
    const auto font = f.Resolve();
    EXPECT_EQ(font->CharAdvance64('i'), font->CharAdvance64('W'));
    // 0.6 em at 16 pixels: 9.6 pixels a character, so ten are 96 pixels.
    EXPECT_EQ(font->CharAdvance64('x'), 615);
    EXPECT_EQ(font->TextWidth("abcdefghij"), 96);
    EXPECT_EQ(font->TextWidth("WWWWWWWWWW"), 96);
}

TEST(FitCount, CountsTheCharactersThatFitAndGivesPartialExtents) {
    const auto font = Serif12().Resolve();
    const std::u32string s = U"Hello, wide world";
    std::vector<int> partials;
    const int total = font->TextWidth(s);
    EXPECT_EQ(font->FitCount(s, total, &partials), static_cast<int>(s.size()));
    ASSERT_EQ(partials.size(), s.size());
    for (size_t i = 0; i < s.size(); ++i)
        EXPECT_EQ(partials[i], font->TextWidth(s.substr(0, i + 1)));
    EXPECT_EQ(font->FitCount(s, total - 1), static_cast<int>(s.size()) - 1);
    const int five = font->TextWidth(U"Hello");
    EXPECT_EQ(font->FitCount(s, five), 5);
    EXPECT_EQ(font->FitCount(s, font->TextWidth(U"Hello,") - 1), 5);
    EXPECT_EQ(font->FitCount(s, 0), 0);
    EXPECT_EQ(font->FitCount(s, -10), 0);
    EXPECT_EQ(font->FitCount(U"", 100), 0);
    // Partial extents cover the whole string even when little fits.
    EXPECT_EQ(font->FitCount(s, five, &partials), 5);
    EXPECT_EQ(partials.size(), s.size());
}

TEST(Unicode, LatinAndCyrillicLettersHaveGlyphsOfTheirOwnInOneFont) {
    const auto font = Serif12().Resolve();
    const TGlyphRef latin = font->GlyphFor(U'\u00C0'), cyrillic = font->GlyphFor(U'\u0410');
    EXPECT_NE(latin.Glyph, 0u);
    EXPECT_NE(cyrillic.Glyph, 0u);
    EXPECT_NE(latin.Glyph, cyrillic.Glyph);
    EXPECT_EQ(latin.Face, font->CairoFace());
    EXPECT_EQ(cyrillic.Face, font->CairoFace());
    TFont greek = Serif12();
    greek.Charset = GREEK_CHARSET;
    EXPECT_EQ(greek.Resolve().get(), font.get());
}

TEST(Unicode, LatinAndCyrillicTextDrawDifferently) {
    TCanvas a(40, 30), b(40, 30);
    a.TextOut(5, 5, U"\u00C0\u00C6");
    b.TextOut(5, 5, "\u0410\u0416"); // UTF-8
    int differ = 0;
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 40; ++x)
            differ += a.GetPixel(x, y) != b.GetPixel(x, y);
    EXPECT_GT(differ, 5);
}

// Bounding box of the pixels that are not the background.
TRect Ink(const TCanvas& c, TColor background) {
    TRect r{c.Width(), c.Height(), 0, 0};
    for (int y = 0; y < c.Height(); ++y)
        for (int x = 0; x < c.Width(); ++x)
            if (c.GetPixel(x, y) != background) {
                r.Left = std::min(r.Left, x);
                r.Top = std::min(r.Top, y);
                r.Right = std::max(r.Right, x + 1);
                r.Bottom = std::max(r.Bottom, y + 1);
            }
    return r;
}

TEST(TextOut, TransparentTextInksOnlyInsideItsCell) {
    TCanvas c(200, 60);
    c.Font = Serif12();
    c.Font.Color = clRed;
    c.Brush.Style = bsClear;
    c.TextOut(10, 20, "Hxg");
    const TTextMetric m = c.TextMetrics();
    const TRect ink = Ink(c, clWhite);
    ASSERT_FALSE(ink.IsEmpty());
    EXPECT_GE(ink.Left, 10);
    EXPECT_LE(ink.Right, 10 + c.TextWidth("Hxg") + 1);
    EXPECT_GE(ink.Top, 20);
    EXPECT_LE(ink.Bottom, 20 + m.Height);
    // The descender of g reaches below the baseline.
    EXPECT_GT(ink.Bottom, 20 + m.Ascent);
    // Some fully red pixels (the stems of H).
    int red = 0;
    for (int y = 0; y < 60; ++y)
        for (int x = 0; x < 200; ++x)
            red += c.GetPixel(x, y) == clRed;
    EXPECT_GT(red, 10);
    EXPECT_EQ(c.PenPos(), Point(10 + c.TextWidth("Hxg"), 20));
}

// A text drawn in pieces, each from where the advances before it end (in 1/64 pixel, as
// layout adds them), is pixel for pixel the text drawn at once; its ink stays within its
// measured width (give or take the overhang of an italic's last letter) at every size.
TEST(TextOut, PiecesDrawnFromTheirAdvancesMatchTheWhole) {
    const std::u32string text = U"Wave after wave, 0123456789 fish & Xylophones.";
    for (bool italic : {false, true})
        for (int points : {6, 8, 10, 11, 13, 15}) {
            TFont f = Serif12();
            f.Size = points;
            f.Italic = italic;
            TCanvas whole(420, 40), pieces(420, 40);
            whole.Font = f;
            pieces.Font = f;
            whole.Brush.Style = bsClear;
            pieces.Brush.Style = bsClear;
            whole.TextOut(7, 5, text);
            const auto font = whole.ResolvedFont();
            int64_t x64 = 7 * 64;
            for (size_t at = 0; at < text.size(); at += 5) {
                const std::u32string_view piece = std::u32string_view(text).substr(at, 5);
                pieces.TextOut64(x64, 5, piece);
                x64 += font->TextAdvance64(piece);
            }
            EXPECT_EQ(pieces.PenPos(), whole.PenPos());
            // Where two glyphs' edges share a pixel, one drawing blends their coverage once
            // and pieces blend it twice: such pixels may differ a little, none by much.
            int differ = 0, worst = 0;
            for (int y = 0; y < 40; ++y)
                for (int x = 0; x < 420; ++x) {
                    const TColor a = whole.GetPixel(x, y), b = pieces.GetPixel(x, y);
                    const int d = std::max({std::abs(GetRValue(a) - GetRValue(b)),
                                            std::abs(GetGValue(a) - GetGValue(b)),
                                            std::abs(GetBValue(a) - GetBValue(b))});
                    differ += d != 0;
                    worst = std::max(worst, d);
                }
            EXPECT_LE(differ, 4) << points << (italic ? " italic" : "");
            EXPECT_LE(worst, 64) << points << (italic ? " italic" : "");
            const TRect ink = Ink(whole, clWhite);
            EXPECT_GE(ink.Left, 7);
            EXPECT_LE(ink.Right, 7 + font->TextWidth(text) + (italic ? font->EmPixels() / 4 : 1))
                << points;
        }
}

TEST(TextOut, BaselineAlignmentLiftsTheCellByTheAscent) {
    TCanvas top(100, 60), base(100, 60);
    top.Brush.Style = base.Brush.Style = bsClear;
    top.TextOut(5, 30, "H");
    base.TextAlign = taBaseline;
    base.TextOut(5, 30, "H");
    const int ascent = base.TextMetrics().Ascent;
    const TRect a = Ink(top, clWhite), b = Ink(base, clWhite);
    EXPECT_EQ(a.Top - b.Top, ascent);
    EXPECT_EQ(a.Bottom - b.Bottom, ascent);
    EXPECT_EQ(b.Bottom, 30); // a capital sits on the baseline
}

TEST(TextOut, OpaqueBackgroundFillsTheTextCell) {
    TCanvas c(100, 40);
    c.Brush.Color = RGB(0, 0, 200);
    c.TextOut(3, 4, "ab");
    const int w = c.TextWidth("ab"), h = c.TextMetrics().Height;
    EXPECT_EQ(c.GetPixel(3, 4), RGB(0, 0, 200));
    EXPECT_EQ(c.GetPixel(3 + w - 1, 4 + h - 1), RGB(0, 0, 200));
    EXPECT_EQ(c.GetPixel(3 + w, 4), clWhite);
    EXPECT_EQ(c.GetPixel(3, 4 + h), clWhite);
    EXPECT_EQ(c.GetPixel(2, 4), clWhite);
}

TEST(TextOut, UnderlineAndStrikeOutAreLinesAcrossTheText) {
    TCanvas c(120, 40);
    c.Brush.Style = bsClear;
    c.Font.Underline = true;
    c.TextOut(10, 5, "    ");
    const auto font = c.ResolvedFont();
    const int baseline = 5 + font->Metrics().Ascent;
    const int uy = baseline + font->UnderlineOffset();
    EXPECT_GT(uy, baseline - 1);
    EXPECT_LT(uy, 5 + font->Metrics().Height);
    const int w = c.TextWidth("    ");
    for (int x = 10; x < 10 + w; ++x)
        EXPECT_EQ(c.GetPixel(x, uy), clBlack) << x;
    EXPECT_EQ(c.GetPixel(10 + w, uy), clWhite);
    TCanvas s(120, 40);
    s.Brush.Style = bsClear;
    s.Font.StrikeOut = true;
    s.TextOut(10, 5, "    ");
    const int sy = 5 + font->Metrics().Ascent + s.ResolvedFont()->StrikeOutOffset();
    EXPECT_LT(sy, baseline);
    EXPECT_EQ(s.GetPixel(12, sy), clBlack);
}

TEST(TextOut, OpaqueTextRectFillsTheWholeRectangle) {
    TCanvas c(100, 40);
    c.Brush.Color = RGB(0, 200, 0);
    c.TextRect(Rect(10, 5, 60, 35), 12, 8, "ab");
    EXPECT_EQ(c.GetPixel(10, 5), RGB(0, 200, 0));
    EXPECT_EQ(c.GetPixel(59, 34), RGB(0, 200, 0));
    EXPECT_EQ(c.GetPixel(60, 34), clWhite);
    EXPECT_EQ(c.GetPixel(9, 5), clWhite);
}

TEST(FontMetrics, ExtremeSizesStayUsable) {
    TFont f = Serif12();
    f.Size = 100000;
    EXPECT_EQ(f.PixelSize(), 2048);
    f.Size = 1;
    EXPECT_EQ(f.PixelSize(), 1);
    const auto tiny = f.Resolve();
    EXPECT_GE(tiny->Metrics().Height, 1);
    EXPECT_GE(tiny->TextWidth("abc"), 0);
}

TEST(TextOut, TextRectClipsTheText) {
    TCanvas c(200, 40);
    c.Brush.Style = bsClear;
    c.Font.Size = 20;
    c.TextRect(Rect(0, 0, 30, 40), 5, 5, "MMMMMMMM");
    const TRect ink = Ink(c, clWhite);
    ASSERT_FALSE(ink.IsEmpty());
    EXPECT_LE(ink.Right, 30);
}

std::string SourceDir() {
    const char* src = std::getenv("FOLIO_SOURCE_DIR");
    return src != nullptr && *src != '\0' ? src : ".";
}

TFont Family(const char* name, int size = 12, bool bold = false, bool italic = false) {
    TFont f;
    f.Name = name;
    f.Size = size;
    f.Bold = bold;
    f.Italic = italic;
    return f;
}

// Every character of the Windows code pages the engine used to keep text in (and the control
// codes) keeps the glyph it was drawn with and the advance it is measured with now, in several
// families, sizes and styles: a change to either moves every page's text, so it must be made
// on purpose. FOLIO_UPDATE_GOLDEN=1 rewrites the file from the fonts as they are, keeping its
// comments, fonts and characters; read the differences before accepting them.
TEST(Unicode, CodePageCharactersKeepTheirAdvancesAndGlyphs) {
    const std::string file = SourceDir() + "/tests/data/graphics/code_page_advances.txt";
    const bool updating = folio_test::UpdatingExpected("FOLIO_UPDATE_GOLDEN");
    std::ifstream in(file);
    ASSERT_TRUE(in) << file;
    std::ostringstream rewritten;
    std::shared_ptr<const TResolvedFont> font;
    std::string line, name;
    int fonts = 0, chars = 0;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#' || line.rfind("font ", 0) == 0)
            rewritten << line << '\n';
        if (line.empty() || line[0] == '#')
            continue;
        if (line.rfind("font ", 0) == 0) {
            std::istringstream fields(line.substr(5));
            std::string size, bold, italic;
            std::getline(fields, name, '|');
            std::getline(fields, size, '|');
            std::getline(fields, bold, '|');
            std::getline(fields, italic, '|');
            font = Family(name.c_str(), std::stoi(size), bold == "1", italic == "1").Resolve();
            ++fonts;
            continue;
        }
        ASSERT_NE(font, nullptr) << line;
        std::istringstream items(line);
        std::string item, out;
        while (items >> item) {
            unsigned cp = 0, advance = 0, glyph = 0;
            ASSERT_EQ(std::sscanf(item.c_str(), "%x:%u:%u", &cp, &advance, &glyph), 3) << item;
            const char32_t ch = cp;
            const TGlyphRef g = font->GlyphFor(ch);
            char buffer[64];
            std::snprintf(buffer, sizeof buffer, "%s%04X:%d:%u", out.empty() ? "" : " ", cp,
                          g.Advance64, g.Glyph);
            out += buffer;
            ++chars;
            if (updating)
                continue;
            EXPECT_EQ(g.Advance64, static_cast<int>(advance)) << name << " " << item;
            EXPECT_EQ(font->CharAdvance64(ch), static_cast<int>(advance)) << name << " " << item;
            EXPECT_EQ(g.Glyph, glyph) << name << " " << item;
            EXPECT_FALSE(g.Missing) << name << " " << item;
            if (cp < 32) {
                EXPECT_EQ(g.Face, nullptr) << name << " " << item; // control codes draw nothing
            } else if (glyph != 0) {
                EXPECT_EQ(g.Face, font->CairoFace()) << name << " " << item;
            }
        }
        rewritten << out << '\n';
    }
    in.close();
    if (updating) {
        std::ofstream(file) << rewritten.str();
        GTEST_SKIP() << "rewrote " << file;
    }
    EXPECT_EQ(fonts, 6);
    EXPECT_GT(chars, 2900);
    // Whole sentences.
    const char* sentences[] = {
        "Caf\u00E9 na\u00EFve fa\u00E7ade \u2014 \u201Cquoted\u201D \u20AC5 "
        "\u00BD",
        "\u00C0 \u00E0 la m\u00EAme \u00E9poque, \u00DF\u00FC\u00F1\u00F8\u00E5"};
    const struct {
        TFont font;
        int widths[2];
    } expected[] = {{Family("Times New Roman"), {232, 179}},
                    {Family("Arial", 10, true), {219, 172}},
                    // 33 and 25 characters of 0.6 em at 12 pixels
                    {Family("Courier New", 9), {238, 180}}};
    for (const auto& e : expected)
        for (int i = 0; i < 2; ++i) {
            EXPECT_EQ(e.font.Resolve()->TextWidth(sentences[i]), e.widths[i]) << e.font.Name;
            EXPECT_EQ(e.font.Resolve()->TextWidth(Utf8ToU32(sentences[i])), e.widths[i]);
        }
}

TEST(Unicode, Utf8AndUtf32MeasureAndDrawAlike) {
    const auto font = Serif12().Resolve();
    EXPECT_EQ(font->TextWidth("Caf\xC3\xA9 \xE4\xB8\xAD\xE2\x87\x92"),
              font->TextWidth(U"Caf\u00E9 \u4E2D\u21D2"));
    EXPECT_EQ(font->TextExtent("\xD0\x96").cx, font->CharWidth(U'\u0416'));
    EXPECT_EQ(font->TextExtent(U"\u0416").cy, font->Metrics().Height);
    // Ill-formed UTF-8 measures as the base decoder reads it: one U+FFFD per fault.
    EXPECT_EQ(font->TextWidth("a\xFF"
                              "b"),
              font->TextWidth(U"a\uFFFDb"));
    EXPECT_EQ(font->TextWidth("\xC3"), font->CharWidth(U'\uFFFD'));
    for (const char* bytes :
         {"\xC0\xAF", "\xED\xA0\x80x", "\xF4\x90\x80\x80", "\xE4\xB8", "\x80\x80", "\xF0\x9F\x98"})
        EXPECT_EQ(font->TextWidth(bytes), font->TextWidth(Utf8ToU32(bytes))) << bytes;
    TCanvas a(120, 30), b(120, 30);
    a.TextOut(2, 2,
              "Stra\xC3\x9F"
              "e \xE4\xB8\xAD \xCD\xB8");
    b.TextOut(2, 2, U"Stra\u00DFe \u4E2D \u0378");
    int differ = 0;
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 120; ++x)
            differ += a.GetPixel(x, y) != b.GetPixel(x, y);
    EXPECT_EQ(differ, 0);
}

TEST(Fallback, GreekCyrillicAndArrowsComeFromTheFaceOrFromDejaVu) {
    const auto serif = Serif12().Resolve();
    const auto dejavu = Family("DejaVu Sans").Resolve();
    ASSERT_NE(dejavu->FilePath().find("DejaVuSans.ttf"), std::string::npos);
    // Liberation itself has Greek, Cyrillic and the simple arrows.
    for (char32_t ch :
         {U'\u03B1', U'\u03A9', U'\u0416', U'\u044F', U'\u2190', U'\u2192', U'\u2194'}) {
        const TGlyphRef g = serif->GlyphFor(ch);
        EXPECT_EQ(g.Face, serif->CairoFace()) << static_cast<unsigned>(ch);
        EXPECT_NE(g.Glyph, 0u) << static_cast<unsigned>(ch);
    }
    // Double arrows, logic and pictographs it lacks are drawn by DejaVu Sans at the same size.
    for (char32_t ch : {U'\u21D2', U'\u21D4', U'\u2200', U'\u2603', U'\u2713'}) {
        const TGlyphRef g = serif->GlyphFor(ch);
        EXPECT_FALSE(g.Missing) << static_cast<unsigned>(ch);
        EXPECT_EQ(g.Face, dejavu->CairoFace()) << static_cast<unsigned>(ch);
        EXPECT_EQ(g.Glyph, dejavu->GlyphFor(ch).Glyph) << static_cast<unsigned>(ch);
        EXPECT_EQ(g.Advance64, dejavu->CharAdvance64(ch)) << static_cast<unsigned>(ch);
        EXPECT_EQ(serif->CharAdvance64(ch), g.Advance64);
    }
    // The metrics stay the font's own.
    EXPECT_EQ(serif->Metrics().Height, 19);
}

TEST(Fallback, IdeographsAreDrawnByTheCjkFace) {
    const auto font = Serif12().Resolve();
    const auto cjk = Family("Droid Sans Fallback").Resolve();
    ASSERT_TRUE(cjk->FamilyFound());
    for (char32_t ch : {U'\u4E2D', U'\u6587', U'\u3042', U'\uD55C'}) {
        const TGlyphRef g = font->GlyphFor(ch);
        EXPECT_FALSE(g.Missing) << static_cast<unsigned>(ch);
        EXPECT_EQ(g.Face, cjk->CairoFace()) << static_cast<unsigned>(ch);
        EXPECT_NE(g.Glyph, 0u);
        EXPECT_NEAR(g.Advance64, font->EmPixels() * 64, 64) << static_cast<unsigned>(ch);
    }
    TCanvas c(80, 40);
    c.Font = Serif12();
    c.Brush.Style = bsClear;
    c.TextOut(10, 10, U"\u4E2D\u6587");
    const int w1 = c.TextWidth(U"\u4E2D"), w = c.TextWidth(U"\u4E2D\u6587");
    const int h = c.TextMetrics().Height;
    const TRect ink = Ink(c, clWhite);
    ASSERT_FALSE(ink.IsEmpty());
    EXPECT_GE(ink.Left, 10);
    EXPECT_LE(ink.Right, 10 + w + 1);
    EXPECT_GE(ink.Top, 10);
    EXPECT_LE(ink.Bottom, 10 + h);
    int first = 0, second = 0;
    for (int y = 10; y < 10 + h; ++y)
        for (int x = 10; x < 10 + w; ++x)
            if (c.GetPixel(x, y) != clWhite)
                ++(x < 10 + w1 ? first : second);
    EXPECT_GT(first, 20);
    EXPECT_GT(second, 20);
}

// Droid Sans Fallback has no Latin letters: a font of it borrows them from the sans-serif face
// its family list falls back to, and measures the same character by character and by text.
TEST(Fallback, AFaceWithoutLatinLettersBorrowsThem) {
    const auto cjk = Family("Droid Sans Fallback").Resolve();
    const auto sans = Family("Liberation Sans").Resolve();
    ASSERT_TRUE(cjk->FamilyFound());
    const std::u32string text = U"Hello, w\u00F6rld \u4E2D\u6587 \u0416!";
    int64_t sum64 = 0;
    for (char32_t ch : text) {
        const TGlyphRef g = cjk->GlyphFor(ch);
        EXPECT_FALSE(g.Missing) << static_cast<unsigned>(ch);
        if ((ch >= U'A' && ch <= U'z') || ch == U'\u00F6') {
            EXPECT_EQ(g.Face, sans->CairoFace()) << static_cast<unsigned>(ch);
            EXPECT_EQ(g.Advance64, sans->CharAdvance64(ch)) << static_cast<unsigned>(ch);
        } else if (ch == U'\u4E2D') {
            EXPECT_EQ(g.Face, cjk->CairoFace());
        }
        sum64 += g.Advance64;
    }
    const int sum = PixelsFrom64(sum64);
    EXPECT_EQ(cjk->TextWidth(text), sum);
    EXPECT_EQ(cjk->TextWidth(U32ToUtf8(text)), sum);
    std::vector<int> partials;
    EXPECT_EQ(cjk->FitCount(text, sum, &partials), static_cast<int>(text.size()));
    EXPECT_EQ(partials.back(), sum);
}

TEST(Fallback, CharactersNoFontHasTakeAndDrawABox) {
    const auto font = Serif12().Resolve();
    ASSERT_EQ(font->EmPixels(), 16);
    const int box = 9; // 0.55 em, rounded
    // Unassigned, noncharacters, a lone surrogate, beyond Unicode.
    for (char32_t ch : {U'\u0378', U'\U0010FFFD', U'\uFDD0', U'\uFFFF', char32_t{0xD800},
                        char32_t{0x110000}, char32_t{0xFFFFFFFF}}) {
        const TGlyphRef g = font->GlyphFor(ch);
        EXPECT_TRUE(g.Missing) << static_cast<unsigned>(ch);
        EXPECT_EQ(g.Face, nullptr);
        EXPECT_EQ(g.Advance64, box * 64);
    }
    TCanvas c(60, 40);
    c.Font = Serif12();
    c.Font.Color = clRed;
    c.Brush.Style = bsClear;
    c.TextOut(10, 5, U"\u0378");
    EXPECT_EQ(c.PenPos(), Point(10 + box, 5));
    const TTextMetric m = c.TextMetrics();
    const int baseline = 5 + m.Ascent, top = baseline - (m.Ascent - m.InternalLeading);
    // An outline one pixel in from each side of the advance, from the baseline up to the em.
    const int left = 10 + 1, right = 10 + box - 1;
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 60; ++x) {
            const bool inside = x >= left && x < right && y >= top && y < baseline;
            const bool edge =
                inside && (x == left || x == right - 1 || y == top || y == baseline - 1);
            EXPECT_EQ(c.GetPixel(x, y), edge ? clRed : clWhite) << x << "," << y;
        }
}

TEST(Unicode, ControlAndIgnorableCharactersDrawNothing) {
    const auto font = Serif12().Resolve();
    const int control = font->CharWidth(U'\u0001'); // the missing glyph's advance
    EXPECT_GT(control, 0);
    EXPECT_EQ(font->CharWidth(U'\u007F'), control);
    EXPECT_EQ(font->CharWidth(U'\u0085'), control);
    EXPECT_FALSE(font->GlyphFor(U'\u0085').Missing);
    // Zero-width characters Liberation lacks take no room.
    for (char32_t ch : {U'\u200B', U'\u200D', U'\u200E', U'\uFEFF', U'\uFE0F', U'\U000E0001'}) {
        EXPECT_EQ(font->CharWidth(ch), 0) << static_cast<unsigned>(ch);
        EXPECT_FALSE(font->GlyphFor(ch).Missing) << static_cast<unsigned>(ch);
    }
    EXPECT_EQ(font->TextWidth(U"a\u200Db\uFEFF"), font->TextWidth(U"ab"));
    TCanvas c(60, 30);
    c.Font = Serif12();
    c.Brush.Style = bsClear;
    c.TextOut(5, 5, U"\u0001\u0085\u007F\u200B\uFEFF\t");
    EXPECT_TRUE(Ink(c, clWhite).IsEmpty());
    EXPECT_EQ(c.PenPos(), Point(5 + font->TextWidth(U"\u0001\u0085\u007F\t"), 5));
    EXPECT_EQ(font->TextWidth(U"\u0001\u0085\u007F"),
              PixelsFrom64(3 * font->CharAdvance64(U'\u0001')));
}

TEST(FitCount, CountsCharactersWhateverFaceDrawsThem) {
    const auto font = Serif12().Resolve();
    const std::u32string s = U"Ab\u4E2D\u21D2\u0378c";
    std::vector<int> partials;
    EXPECT_EQ(font->FitCount(s, font->TextWidth(s), &partials), static_cast<int>(s.size()));
    ASSERT_EQ(partials.size(), s.size());
    int64_t sum64 = 0;
    for (size_t i = 0; i < s.size(); ++i) {
        sum64 += font->CharAdvance64(s[i]);
        EXPECT_EQ(partials[i], PixelsFrom64(sum64)) << i;
        EXPECT_EQ(partials[i], font->TextWidth(s.substr(0, i + 1))) << i;
    }
    EXPECT_EQ(font->FitCount(s, font->TextWidth(s.substr(0, 3))), 3);
    EXPECT_EQ(font->FitCount(s, font->TextWidth(s.substr(0, 3)) - 1), 2);
}

// Fonts are shared between threads; characters beyond the table are looked up on first use.
TEST(FontThreads, ConcurrentLookupsAgree) {
    std::u32string chars;
    for (char32_t c = 0x4E00; c < 0x4F00; ++c)
        chars += c;
    for (char32_t c = 0x0370; c < 0x0400; ++c) // Greek, with unassigned gaps
        chars += c;
    for (char32_t c = 0x2190; c < 0x2200; ++c)
        chars += c;
    chars += U"\U0010FFFD\u00E9z";
    TFont f = Serif12();
    f.Size = 13; // a font no other test uses, so every thread races to fill it
    const auto font = f.Resolve();
    constexpr int kThreads = 4;
    std::vector<std::vector<int>> widths(kThreads);
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
        threads.emplace_back([&, t] {
            widths[t].resize(chars.size());
            const size_t start = t * chars.size() / kThreads; // each starts elsewhere
            for (size_t i = 0; i < chars.size(); ++i) {
                const size_t k = (start + i) % chars.size();
                widths[t][k] = font->CharAdvance64(chars[k]);
            }
        });
    for (std::thread& t : threads)
        t.join();
    for (int t = 1; t < kThreads; ++t)
        EXPECT_EQ(widths[t], widths[0]) << t;
    for (size_t i = 0; i < chars.size(); ++i)
        EXPECT_EQ(widths[0][i], font->CharAdvance64(chars[i])) << i;
}

} // namespace
