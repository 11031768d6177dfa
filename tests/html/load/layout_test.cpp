// Layout tests over fixture folders:
//   tests/data/layout/NAME.html  laid out at 800 pixels (or the width of a leading
//                                "<!-- width: N -->"), its dump compared with NAME.txt;
//   tests/data/ref/NAME-a.html   and NAME-b.html painted and compared pixel for pixel;
//                                known_failures.txt names the pairs that differ today, each
//                                with its reason, and a listed pair that matches fails;
//   tests/data/pictures/NAME.html painted and compared with NAME.png within a tolerance;
//   tests/data/encodings/GROUP.html, a page in a Windows code page, and GROUP.*.html, the same
//                                text in other encodings, each painted pixel for pixel alike.
// With FOLIO_UPDATE=1 the expected dumps and pictures are written instead.
#include <gtest/gtest.h>

#include <algorithm>
#include <cairo.h>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include <unistd.h>

#include "html/load/headless_page.h"
#include "platform/base/strings.h"
#include "platform/graphics/canvas.h"
#include "tests/support/files.h"
#include "tests/support/fonts_env.h"
#include "tests/support/picture_compare.h"
#include "tests/support/update_expected.h"

using folio_test::ReadFile;
using folio_test::WriteFile;

namespace fs = std::filesystem;

namespace {

std::string SourceDir() {
    const char* src = std::getenv("FOLIO_SOURCE_DIR");
    return src && *src ? src : fs::current_path().string();
}

bool Updating() {
    return folio_test::UpdatingExpected("FOLIO_UPDATE_LAYOUT");
}

// The width asked for by a leading "<!-- width: N -->", else 800.
int32_t PageWidth(const fs::path& page) {
    const std::string text = ReadFile(page);
    const std::string key = "<!-- width:";
    if (text.rfind(key, 0) == 0) {
        const int w = std::atoi(text.c_str() + key.size());
        if (w > 0)
            return w;
    }
    return 800;
}

// Files of a folder with a suffix, names without it, sorted.
std::vector<std::string> Names(const std::string& folder, const std::string& suffix) {
    std::vector<std::string> out;
    const fs::path dir = fs::path(SourceDir()) / folder;
    if (!fs::is_directory(dir))
        return out;
    for (const auto& e : fs::directory_iterator(dir)) {
        const std::string n = e.path().filename().string();
        if (n.size() > suffix.size() &&
            n.compare(n.size() - suffix.size(), suffix.size(), suffix) == 0)
            out.push_back(n.substr(0, n.size() - suffix.size()));
    }
    std::sort(out.begin(), out.end());
    return out;
}

// The first line where two texts differ, for a readable failure.
std::string FirstDifference(const std::string& expected, const std::string& actual) {
    std::istringstream e(expected), a(actual);
    std::string le, la;
    for (int line = 1;; ++line) {
        const bool he = static_cast<bool>(std::getline(e, le));
        const bool ha = static_cast<bool>(std::getline(a, la));
        if (!he && !ha)
            return "no difference";
        if (le != la || he != ha)
            return "line " + std::to_string(line) + ":\n  expected: " + (he ? le : "(end)") +
                   "\n  actual:   " + (ha ? la : "(end)");
    }
}

// A page painted whole onto one canvas (fixture pages are short), at its own width unless one
// is given.
std::unique_ptr<TCanvas> Paint(const fs::path& page, std::string& error, int32_t width = 0) {
    THeadlessPage p;
    if (!p.LoadFile(page.string(), error))
        return nullptr;
    p.LayOut(width > 0 ? width : PageWidth(page));
    auto canvas = std::make_unique<TCanvas>(p.Width(), std::clamp(p.DocHeight(), 1, 8000));
    p.Paint(*canvas, 0);
    return canvas;
}

// ---------------------------------------------------------------- layout dumps

class LayoutDump : public ::testing::TestWithParam<std::string> {};

TEST_P(LayoutDump, MatchesExpected) {
    const fs::path dir = fs::path(SourceDir()) / "tests/data/layout";
    const fs::path page = dir / (GetParam() + ".html");
    const fs::path expectedFile = dir / (GetParam() + ".txt");
    THeadlessPage p;
    std::string error;
    ASSERT_TRUE(p.LoadFile(page.string(), error)) << error;
    p.LayOut(PageWidth(page));
    const std::string dump = p.Dump();
    if (Updating()) {
        WriteFile(expectedFile, dump);
        return;
    }
    ASSERT_TRUE(fs::exists(expectedFile))
        << expectedFile << " is missing; run with FOLIO_UPDATE=1 and check it";
    const std::string expected = ReadFile(expectedFile);
    EXPECT_EQ(expected, dump) << FirstDifference(expected, dump);
}

std::string ParamName(const ::testing::TestParamInfo<std::string>& info) {
    std::string n = info.param;
    for (char& c : n)
        if (!std::isalnum(static_cast<unsigned char>(c)))
            c = '_';
    return n;
}

INSTANTIATE_TEST_SUITE_P(Fixtures, LayoutDump,
                         ::testing::ValuesIn(Names("tests/data/layout", ".html")), ParamName);

TEST(LayoutFixtures, FolderIsNotEmpty) {
    EXPECT_GE(Names("tests/data/layout", ".html").size(), 15u);
}

// ---------------------------------------------------------------- reference pairs

std::map<std::string, std::string> KnownFailures() {
    std::map<std::string, std::string> out;
    std::istringstream in(ReadFile(fs::path(SourceDir()) / "tests/data/ref/known_failures.txt"));
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#')
            continue;
        const size_t colon = line.find(':');
        if (colon != std::string::npos)
            out[line.substr(0, colon)] = line.substr(colon + 1);
    }
    return out;
}

// Counts the pixels that differ; -1 when the sizes differ.
int64_t DifferentPixels(const TCanvas& a, const TCanvas& b) {
    if (a.Width() != b.Width() || a.Height() != b.Height())
        return -1;
    a.Flush();
    b.Flush();
    int64_t n = 0;
    for (int y = 0; y < a.Height(); ++y)
        for (int x = 0; x < a.Width(); ++x)
            if ((a.Row(y)[x] & 0xFFFFFF) != (b.Row(y)[x] & 0xFFFFFF))
                ++n;
    return n;
}

class ReferencePair : public ::testing::TestWithParam<std::string> {};

TEST_P(ReferencePair, LooksTheSame) {
    const fs::path dir = fs::path(SourceDir()) / "tests/data/ref";
    std::string error;
    auto a = Paint(dir / (GetParam() + "-a.html"), error);
    ASSERT_TRUE(a) << error;
    auto b = Paint(dir / (GetParam() + "-b.html"), error);
    ASSERT_TRUE(b) << error;
    const int64_t diff = DifferentPixels(*a, *b);
    const auto known = KnownFailures();
    const auto it = known.find(GetParam());
    if (it == known.end()) {
        EXPECT_EQ(diff, 0) << "sizes " << a->Width() << "x" << a->Height() << " and " << b->Width()
                           << "x" << b->Height();
    } else {
        EXPECT_NE(diff, 0) << GetParam()
                           << " now matches: take it out of known_failures.txt (it said:"
                           << it->second << ")";
    }
}

INSTANTIATE_TEST_SUITE_P(Pairs, ReferencePair,
                         ::testing::ValuesIn(Names("tests/data/ref", "-a.html")), ParamName);

TEST(ReferencePairs, EveryPageHasItsPartnerAndEveryKnownFailureExists) {
    const auto as = Names("tests/data/ref", "-a.html");
    const auto bs = Names("tests/data/ref", "-b.html");
    EXPECT_EQ(as, bs);
    EXPECT_GE(as.size(), 4u);
    for (const auto& [name, reason] : KnownFailures()) {
        EXPECT_TRUE(std::find(as.begin(), as.end(), name) != as.end())
            << "known_failures.txt names " << name << ", which has no pair";
        EXPECT_FALSE(reason.empty()) << name << " is listed without a reason";
    }
}

// ---------------------------------------------------------------- encoding twins

class EncodingTwin : public ::testing::TestWithParam<std::string> {};

// GROUP.ENCODING.html draws exactly like GROUP.html. The twin's own width comment may be
// unreadable as bytes (UTF-16), so the original's width holds for both.
TEST_P(EncodingTwin, DrawsLikeTheCodePageOriginal) {
    const fs::path dir = fs::path(SourceDir()) / "tests/data/encodings";
    const std::string twin = GetParam();
    const fs::path original = dir / (twin.substr(0, twin.find('.')) + ".html");
    std::string error;
    auto a = Paint(original, error);
    ASSERT_TRUE(a) << error;
    auto b = Paint(dir / (twin + ".html"), error, PageWidth(original));
    ASSERT_TRUE(b) << error;
    EXPECT_EQ(DifferentPixels(*a, *b), 0) << "sizes " << a->Width() << "x" << a->Height() << " and "
                                          << b->Width() << "x" << b->Height();
}

std::vector<std::string> Twins() {
    std::vector<std::string> out;
    for (const std::string& name : Names("tests/data/encodings", ".html"))
        if (name.find('.') != std::string::npos)
            out.push_back(name);
    return out;
}

INSTANTIATE_TEST_SUITE_P(Twins, EncodingTwin, ::testing::ValuesIn(Twins()), ParamName);

TEST(EncodingTwins, EveryGroupHasItsOriginal) {
    const auto twins = Twins();
    EXPECT_GE(twins.size(), 10u);
    const fs::path dir = fs::path(SourceDir()) / "tests/data/encodings";
    for (const std::string& twin : twins)
        EXPECT_TRUE(fs::exists(dir / (twin.substr(0, twin.find('.')) + ".html"))) << twin;
}

// Pages that lie about their encoding or break it (invalid UTF-8 of every kind, odd UTF-16,
// unknown or false declarations): each still reads, lays out and paints, and its text comes
// out as valid UTF-8 with something of the page in it.
TEST(HostileEncodings, PagesStillShow) {
    const fs::path dir = fs::path(SourceDir()) / "fuzz/seeds/encoding";
    int pages = 0;
    for (const auto& e : fs::directory_iterator(dir)) {
        if (e.path().extension() != ".html")
            continue;
        ++pages;
        THeadlessPage p;
        std::string error;
        ASSERT_TRUE(p.LoadFile(e.path().string(), error)) << e.path() << ": " << error;
        p.LayOut(400);
        const std::string dump = p.Dump();
        EXPECT_TRUE(IsValidUtf8(dump)) << e.path();
        EXPECT_NE(dump.find("line "), std::string::npos) << e.path() << " shows no text";
        TCanvas canvas(p.Width(), std::clamp(p.DocHeight(), 1, 4000));
        p.Paint(canvas, 0);
    }
    EXPECT_GE(pages, 15);
}

// ---------------------------------------------------------------- stored pictures

// Pictures may differ by small amounts (font rasterisation across library versions): a pixel
// counts as different when a channel is more than kChannelTolerance away, and at most
// kPixelShare of the pixels may differ.
constexpr int kChannelTolerance = 48;
constexpr double kPixelShare = 0.01;

class StoredPicture : public ::testing::TestWithParam<std::string> {};

TEST_P(StoredPicture, MatchesWithinTolerance) {
    const fs::path dir = fs::path(SourceDir()) / "tests/data/pictures";
    const fs::path page = dir / (GetParam() + ".html");
    const fs::path png = dir / (GetParam() + ".png");
    if (Updating()) {
        THeadlessPage p;
        std::string error;
        ASSERT_TRUE(p.LoadFile(page.string(), error)) << error;
        p.LayOut(PageWidth(page));
        ASSERT_TRUE(p.SavePNG(png.string(), error)) << error;
        return;
    }
    std::string error;
    auto actual = Paint(page, error);
    ASSERT_TRUE(actual) << error;
    const auto diff = folio_test::ComparePicture(png.string(), *actual, kChannelTolerance);
    ASSERT_TRUE(diff.Comparable) << diff.Why;
    EXPECT_LE(diff.Different, static_cast<int64_t>(kPixelShare * diff.Total))
        << diff.Different << " of " << diff.Total << " pixels differ";
}

INSTANTIATE_TEST_SUITE_P(Pictures, StoredPicture,
                         ::testing::ValuesIn(Names("tests/data/pictures", ".html")), ParamName);

TEST(StoredPictures, EveryPageHasItsPicture) {
    const auto pages = Names("tests/data/pictures", ".html");
    EXPECT_GE(pages.size(), 3u);
    if (Updating())
        return;
    EXPECT_EQ(pages, Names("tests/data/pictures", ".png"));
}

// A picture written in bands is the picture painted in one piece: the background's tiles and
// the text stay aligned across the seams.
TEST(BandedPicture, EqualsOnePaint) {
    THeadlessPage p;
    std::string html = "<body background=\"pic.gif\">";
    for (int i = 0; i < 260; ++i)
        html +=
            "<font size=" + std::to_string(1 + i % 7) + ">row " + std::to_string(i) + "</font><br>";
    p.LoadHtml(html, SourceDir() + "/tests/data/pictures");
    p.LayOut(120);
    ASSERT_GT(p.DocHeight(), 4096 + 100);
    const std::string file =
        fs::temp_directory_path() / ("banded-" + std::to_string(getpid()) + ".png");
    std::string error;
    ASSERT_TRUE(p.SavePNG(file, error)) << error;
    TCanvas whole(p.Width(), p.DocHeight());
    p.Paint(whole, 0);
    whole.Flush();
    cairo_surface_t* s = cairo_image_surface_create_from_png(file.c_str());
    ASSERT_EQ(cairo_surface_status(s), CAIRO_STATUS_SUCCESS);
    ASSERT_EQ(cairo_image_surface_get_height(s), p.DocHeight());
    const unsigned char* data = cairo_image_surface_get_data(s);
    const int stride = cairo_image_surface_get_stride(s);
    int64_t different = 0;
    for (int y = 0; y < p.DocHeight(); ++y)
        for (int x = 0; x < p.Width(); ++x)
            if ((reinterpret_cast<const uint32_t*>(data + y * stride)[x] & 0xFFFFFF) !=
                (whole.Row(y)[x] & 0xFFFFFF))
                ++different;
    cairo_surface_destroy(s);
    fs::remove(file);
    EXPECT_EQ(different, 0);
}

// ---------------------------------------------------------------- painting in bands

// Paints the page in bands `rows` high and counts the pixels that differ from one paint of the
// whole: whatever reaches across a band's edge (a glyph taller than its line, raised text, a
// float, a table row, a positioned block, a border) must be drawn in every band it meets.
int64_t BandDifference(THeadlessPage& p, int32_t rows) {
    const int32_t height = std::clamp(p.DocHeight(), 1, 8000);
    TCanvas whole(p.Width(), height);
    p.Paint(whole, 0);
    whole.Flush();
    int64_t different = 0;
    for (int32_t top = 0; top < height; top += rows) {
        const int32_t h = std::min(rows, height - top);
        TCanvas band(p.Width(), h);
        p.Paint(band, top);
        band.Flush();
        for (int32_t y = 0; y < h; ++y)
            for (int32_t x = 0; x < p.Width(); ++x)
                if ((band.Row(y)[x] & 0xFFFFFF) != (whole.Row(top + y)[x] & 0xFFFFFF))
                    ++different;
    }
    return different;
}

class BandedFixture : public ::testing::TestWithParam<std::string> {};

TEST_P(BandedFixture, ThinBandsEqualOnePaint) {
    const fs::path page = fs::path(SourceDir()) / "tests/data/layout" / (GetParam() + ".html");
    THeadlessPage p;
    std::string error;
    ASSERT_TRUE(p.LoadFile(page.string(), error)) << error;
    p.LayOut(PageWidth(page));
    EXPECT_EQ(BandDifference(p, 37), 0);
}

// The fixture pages but hostile-lengths: its lines are thousands of millions of pixels tall,
// so every band of it draws a glyph of a font of a hundred million points, seconds a band.
std::vector<std::string> ThinBandPages() {
    auto names = Names("tests/data/layout", ".html");
    std::erase(names, "hostile-lengths");
    return names;
}

INSTANTIATE_TEST_SUITE_P(Fixtures, BandedFixture, ::testing::ValuesIn(ThinBandPages()), ParamName);

// A tall page of everything that may reach beyond its own box, cut by bands of several heights.
std::string OverreachingPage() {
    std::string s = "<html><body>\n"
                    "<div style=\"position: absolute; top: 700px; left: 60px; width: 180px; "
                    "height: 90px; background: yellow; border: 4px dotted blue\">placed</div>\n";
    for (int i = 0; i < 12; ++i) {
        const std::string n = std::to_string(i);
        s += "<p style=\"font-size: 40px; line-height: 6px; color: #804000\">Tall glyphs on "
             "short lines " +
             n + " &Aacute;gj</p>\n";
        s += "<p>Text with <sup>super</sup> and <sub>sub</sub> and <span style=\"vertical-align: "
             "super; font-size: 30px\">raised " +
             n + "</span> words.</p>\n";
        s += "<img src=\"blue40x10.gif\" align=left width=120 height=" +
             std::to_string(60 + 17 * i) + " hspace=3>\n";
        s += "<div style=\"float: right; width: 90px; height: 75px; border: 3px solid red\">"
             "float " +
             n + "</div>\n";
        s += "<p>Words beside the floats, long enough to wrap round them a few times; more "
             "words follow here and there.</p>\n";
        s += "<table border=2 cellpadding=3 bgcolor=\"#e0e0ff\">";
        for (int r = 0; r < 6; ++r)
            s += "<tr><td>row " + std::to_string(r) +
                 "</td><td><font size=6>cell</font></td>"
                 "</tr>";
        s += "</table>\n";
        s += "<div style=\"position: relative; top: -25px; left: 30px; border: 2px solid "
             "green; background: #d0ffd0\">moved up " +
             n + "</div>\n";
        s += "<ol><li>first<li>second <font size=7>big</font><li>third</ol>\n";
        s += "<ul><li style=\"font-size: 36px; line-height: 5px\">tight item</ul>\n";
        s += "<pre>pre line one\npre line two</pre><hr size=5>\n";
    }
    return s + "</body></html>\n";
}

TEST(BandedPicture, OverreachingPartsEqualOnePaint) {
    THeadlessPage p;
    p.LoadHtml(OverreachingPage(), SourceDir() + "/tests/data/layout");
    p.LayOut(420);
    ASSERT_GT(p.DocHeight(), 3000);
    for (int32_t rows : {7, 50, 333, 1024}) {
        SCOPED_TRACE("bands of " + std::to_string(rows) + " rows");
        EXPECT_EQ(BandDifference(p, rows), 0);
    }
}

// Painting skips what lies outside the band, yet hit tests and the find command still learn
// where every line is: a line never painted answers as it does after a paint of the whole.
TEST(BandedPicture, LinesNeverPaintedKnowTheirPlace) {
    std::string html = "<body>";
    for (int i = 0; i < 300; ++i)
        html += "<p>paragraph " + std::to_string(i) + (i == 250 ? " needle" : "") + "</p>";
    THeadlessPage p;
    p.LoadHtml(html, "");
    p.LayOut(300);
    ASSERT_GT(p.DocHeight(), 5000);
    TCanvas top(300, 200);
    p.Paint(top, 0);
    TSectionList& doc = p.Document();
    const int32_t at = doc.TCellBasic::FindText(0, "needle", false);
    ASSERT_GT(at, 0);
    int32_t x1 = 0, y1 = 0;
    ASSERT_TRUE(doc.CaretPoint(top, at, x1, y1));
    EXPECT_GT(y1, 4000);
    TCanvas whole(300, p.DocHeight());
    p.Paint(whole, 0);
    int32_t x2 = 0, y2 = 0;
    ASSERT_TRUE(doc.CaretPoint(whole, at, x2, y2));
    EXPECT_EQ(x1, x2);
    EXPECT_EQ(y1, y2);
}

} // namespace
