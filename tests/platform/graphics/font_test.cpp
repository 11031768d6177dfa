#include <gtest/gtest.h>

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <cstdlib>
#include <filesystem>

#include "platform/graphics/canvas.h"
#include "platform/graphics/font.h"
#include "tests/support/fonts_env.h"

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
    // Only the packaged Liberation and DejaVu files are listed.
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

TEST(FontCache, EqualDescriptionsShareOneFont) {
    TFont a = Serif12(), b = Serif12();
    b.Color = clRed; // colour is not part of the face
    EXPECT_EQ(a.Resolve().get(), b.Resolve().get());
    b.Name = "LIBERATION SERIF";
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

TEST(TextExtent, WholePixelAdvancesAddUp) {
    const auto font = Serif12().Resolve();
    const std::string s = "The quick brown fox jumps over the lazy dog.";
    int sum = 0;
    for (char c : s)
        sum += font->CharWidth(static_cast<uint8_t>(c));
    EXPECT_EQ(font->TextWidth(s), sum);
    for (size_t cut = 0; cut <= s.size(); ++cut)
        EXPECT_EQ(font->TextWidth(s.substr(0, cut)) + font->TextWidth(s.substr(cut)),
                  font->TextWidth(s));
    EXPECT_EQ(font->TextExtent(s).cy, font->Metrics().Height);
    EXPECT_EQ(font->TextWidth(""), 0);
    EXPECT_GT(font->CharWidth('W'), font->CharWidth('i'));
}

TEST(TextExtent, MonospacedFontHasEqualAdvances) {
    TFont f = Serif12();
    f.Name = "Courier New";
    const auto font = f.Resolve();
    EXPECT_EQ(font->CharWidth('i'), font->CharWidth('W'));
    EXPECT_EQ(font->TextWidth("abcdefghij"), 10 * font->CharWidth('x'));
}

TEST(FitCount, CountsTheCharactersThatFitAndGivesPartialExtents) {
    const auto font = Serif12().Resolve();
    const std::string s = "Hello, wide world";
    std::vector<int> partials;
    const int total = font->TextWidth(s);
    EXPECT_EQ(font->FitCount(s, total, &partials), static_cast<int>(s.size()));
    ASSERT_EQ(partials.size(), s.size());
    for (size_t i = 0; i < s.size(); ++i)
        EXPECT_EQ(partials[i], font->TextWidth(s.substr(0, i + 1)));
    EXPECT_EQ(font->FitCount(s, total - 1), static_cast<int>(s.size()) - 1);
    const int five = font->TextWidth("Hello");
    EXPECT_EQ(font->FitCount(s, five), 5);
    EXPECT_EQ(font->FitCount(s, five + font->CharWidth(',') - 1), 5);
    EXPECT_EQ(font->FitCount(s, 0), 0);
    EXPECT_EQ(font->FitCount(s, -10), 0);
    EXPECT_EQ(font->FitCount("", 100), 0);
    // Partial extents cover the whole string even when little fits.
    EXPECT_EQ(font->FitCount(s, five, &partials), 5);
    EXPECT_EQ(partials.size(), s.size());
}

TEST(CodePages, ByteC0IsALatinOrACyrillicLetterByCharacterSet) {
    TFont western = Serif12(), cyrillic = Serif12();
    cyrillic.Charset = RUSSIAN_CHARSET;
    const auto w = western.Resolve(), c = cyrillic.Resolve();
    EXPECT_EQ(w->CharOf(0xC0), U'\u00C0');
    EXPECT_EQ(c->CharOf(0xC0), U'\u0410');
    EXPECT_NE(w->GlyphOf(0xC0), 0u);
    EXPECT_NE(c->GlyphOf(0xC0), 0u);
    EXPECT_NE(w->GlyphOf(0xC0), c->GlyphOf(0xC0));
    // ASCII is the same in both.
    EXPECT_EQ(w->GlyphOf('A'), c->GlyphOf('A'));
    TFont greek = Serif12();
    greek.Charset = GREEK_CHARSET;
    EXPECT_EQ(greek.Resolve()->CharOf(0xC1), U'\u0391');
    TFont central = Serif12();
    central.Charset = EASTEUROPE_CHARSET;
    EXPECT_EQ(central.Resolve()->CharOf(0x8A), U'\u0160');
}

TEST(CodePages, DrawnGlyphsDifferBetweenCharacterSets) {
    TCanvas a(40, 30), b(40, 30);
    b.Font.Charset = RUSSIAN_CHARSET;
    a.TextOut(5, 5, "\xC0\xC6");
    b.TextOut(5, 5, "\xC0\xC6");
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

} // namespace
