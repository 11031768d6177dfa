// foliobuilder render: pictures and dumps of pages, and the messages of its failures.
#include <gtest/gtest.h>

#include <cairo.h>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "tests/support/captured_output.h"
#include "tests/support/files.h"
#include "tests/support/fonts_env.h"
#include "tests/support/render_command_fixture.h"
#include "tests/support/temp_dir.h"

using folio_test::ReadFile;

namespace {

struct RenderTest : RenderCommandFixture {
    // Width and height of a PNG file; {0, 0} when it does not load.
    std::pair<int, int> PngSize(const std::string& path) {
        cairo_surface_t* s = cairo_image_surface_create_from_png(path.c_str());
        std::pair<int, int> size{0, 0};
        if (cairo_surface_status(s) == CAIRO_STATUS_SUCCESS)
            size = {cairo_image_surface_get_width(s), cairo_image_surface_get_height(s)};
        cairo_surface_destroy(s);
        return size;
    }
};

TEST_F(RenderTest, WritesThePictureAtTheDefaultWidth) {
    const std::string page = Write("page.html", "<h1>Title</h1><p>Some text.");
    const std::string png = dir.Path() + "/out.png";
    ASSERT_EQ(Run({page, "-o", png}), kExitOk) << err.Text();
    const auto [w, h] = PngSize(png);
    EXPECT_EQ(w, 800);
    EXPECT_GT(h, 40);
    EXPECT_EQ(err.Text(), "");
}

TEST_F(RenderTest, WidthOption) {
    const std::string page = Write("page.html", "<p>Some text.");
    const std::string png = dir.Path() + "/out.png";
    ASSERT_EQ(Run({page, "--width", "300", "-o", png}), kExitOk) << err.Text();
    EXPECT_EQ(PngSize(png).first, 300);
    ASSERT_EQ(Run({page, "--width=1", "-o", png}), kExitOk) << err.Text();
    EXPECT_EQ(PngSize(png).first, 1);
}

// The colour of a pixel of a picture as 0xRRGGBB; -1 when it does not load.
long PixelColour(const std::string& path, int x = 0, int y = 0) {
    cairo_surface_t* s = cairo_image_surface_create_from_png(path.c_str());
    long rgb = -1;
    if (cairo_surface_status(s) == CAIRO_STATUS_SUCCESS && x < cairo_image_surface_get_width(s) &&
        y < cairo_image_surface_get_height(s)) {
        cairo_surface_flush(s);
        const unsigned char* row =
            cairo_image_surface_get_data(s) + y * cairo_image_surface_get_stride(s);
        rgb = reinterpret_cast<const uint32_t*>(row)[x] & 0xFFFFFF;
    }
    cairo_surface_destroy(s);
    return rgb;
}

TEST_F(RenderTest, BackgroundIsWhiteUnlessChosenOrSetByThePage) {
    const std::string plain = Write("plain.html", "<p>Some text.");
    const std::string own = Write("own.html", "<body bgcolor=#00ff00><p>Some text.");
    const std::string frames =
        Write("frames.html", "<frameset cols=\"50%,50%\"><frame src=plain.html>"
                             "<frame src=own.html></frameset>");
    const std::string png = dir.Path() + "/out.png";
    ASSERT_EQ(Run({plain, "-o", png}), kExitOk) << err.Text();
    EXPECT_EQ(PixelColour(png), 0xFFFFFF);
    ASSERT_EQ(Run({plain, "--background", "#102030", "-o", png}), kExitOk) << err.Text();
    EXPECT_EQ(PixelColour(png), 0x102030);
    ASSERT_EQ(Run({plain, "--background=silver", "-o", png}), kExitOk) << err.Text();
    EXPECT_EQ(PixelColour(png), 0xC0C0C0);
    ASSERT_EQ(Run({own, "--background", "navy", "-o", png}), kExitOk) << err.Text();
    EXPECT_EQ(PixelColour(png), 0x00FF00) << "the page's own colour wins";
    ASSERT_EQ(Run({frames, "--background", "#102030", "-o", png}), kExitOk) << err.Text();
    EXPECT_EQ(PixelColour(png, 200, 500), 0x102030) << "a frame whose page sets none";
    EXPECT_NE(Run({plain, "--background", "nocolour", "-o", png}), kExitOk);
    EXPECT_NE(err.Text().find("nocolour"), std::string::npos) << err.Text();
}

TEST_F(RenderTest, WidthOutOfRangeIsRefused) {
    const std::string page = Write("page.html", "<p>x");
    for (const char* bad : {"0", "100000", "10001", "-5", "abc", "12px", ""}) {
        TCapture e;
        TCommandLineEnvironment env;
        env.Out = out.File();
        env.Err = e.File();
        EXPECT_NE(RunFolioBuilderCommandLine(
                      {"render", page, "--width", bad, "-o", dir.Path() + "/x.png"}, env),
                  kExitOk)
            << bad;
        EXPECT_NE(e.Text().find("--width must be a whole number from 1 to 10000"),
                  std::string::npos)
            << bad << ": " << e.Text();
    }
}

TEST_F(RenderTest, MissingOrUnreadablePageIsNamedWithTheReason) {
    EXPECT_EQ(Run({dir.Path() + "/absent.html", "-o", dir.Path() + "/x.png"}), kExitFailed);
    EXPECT_NE(err.Text().find(dir.Path() + "/absent.html: No such file or directory"),
              std::string::npos)
        << err.Text();
    TCapture e2;
    TCommandLineEnvironment env;
    env.Err = e2.File();
    env.Out = out.File();
    EXPECT_EQ(RunFolioBuilderCommandLine({"render", dir.Path(), "--dump"}, env), kExitFailed);
    EXPECT_NE(e2.Text().find("it is a directory"), std::string::npos) << e2.Text();
}

TEST_F(RenderTest, UsageProblems) {
    EXPECT_EQ(Run({}), kExitUsage);
    EXPECT_NE(err.Text().find("render needs a page"), std::string::npos);
    const std::string page = Write("page.html", "<p>x");
    EXPECT_EQ(Run({page}), kExitUsage);
    EXPECT_NE(err.Text().find("render needs -o OUT.png"), std::string::npos);
    EXPECT_EQ(Run({page, "--bogus", "-o", "x.png"}), kExitUsage);
    EXPECT_NE(err.Text().find("unknown option --bogus"), std::string::npos);
}

TEST_F(RenderTest, DumpGoesToStandardOutputOrTheOutputFile) {
    const std::string page = Write("page.html", "<p>Hello dump");
    ASSERT_EQ(Run({page, "--dump", "--width", "500"}), kExitOk) << err.Text();
    const std::string dump = out.Text();
    EXPECT_EQ(dump.rfind("document x=0 y=0 w=500 ", 0), 0u) << dump;
    EXPECT_NE(dump.find("\"Hello dump\""), std::string::npos) << dump;
    const std::string file = dir.Path() + "/dump.txt";
    ASSERT_EQ(Run({page, "--dump", "--width", "500", "-o", file}), kExitOk);
    EXPECT_EQ(ReadFile(file), dump);
}

TEST_F(RenderTest, TextFilesArePreformattedAndPicturesShownAlone) {
    const std::string text = Write("notes.txt", "<b>not bold</b>\nsecond line\n");
    ASSERT_EQ(Run({text, "--dump"}), kExitOk) << err.Text();
    EXPECT_NE(out.Text().find("pre "), std::string::npos) << out.Text();
    EXPECT_NE(out.Text().find("\"<b>not bold</b>\""), std::string::npos) << out.Text();

    const std::string source =
        std::string(std::getenv("FOLIO_SOURCE_DIR") ? std::getenv("FOLIO_SOURCE_DIR") : ".") +
        "/tests/data/layout/pic.gif";
    TCapture o2;
    TCommandLineEnvironment env;
    env.Out = o2.File();
    env.Err = err.File();
    ASSERT_EQ(RunFolioBuilderCommandLine({"render", source, "--dump"}, env), kExitOk);
    // One line holding the picture, 33 pixels wide.
    EXPECT_NE(o2.Text().find("line x=10 y=5 w=33 h="), std::string::npos) << o2.Text();
    EXPECT_NE(o2.Text().find("\"\\x04\"\n"), std::string::npos) << o2.Text();

    // A PNG alone likewise: its picture, 19 pixels wide, not the broken-picture sign.
    TCapture o3;
    env.Out = o3.File();
    ASSERT_EQ(RunFolioBuilderCommandLine(
                  {"render",
                   source.substr(0, source.size() - std::string("layout/pic.gif").size()) +
                       "image/png/t6-16-i.png",
                   "--dump"},
                  env),
              kExitOk);
    EXPECT_NE(o3.Text().find("line x=10 y=5 w=19 h="), std::string::npos) << o3.Text();
}

TEST_F(RenderTest, UnwritableOutput) {
    const std::string page = Write("page.html", "<p>x");
    EXPECT_EQ(Run({page, "-o", dir.Path() + "/no/such/dir/out.png"}), kExitFailed);
    EXPECT_NE(err.Text().find("cannot create " + dir.Path() + "/no/such/dir/out.png"),
              std::string::npos)
        << err.Text();
}

TEST_F(RenderTest, TallPagesArePaintedInBandsIntoOnePicture) {
    std::string html = "<body bgcolor=white>";
    for (int i = 0; i < 600; ++i)
        html += "line " + std::to_string(i) + "<br>";
    html += "<font color=red>LAST</font>";
    const std::string page = Write("tall.html", html);
    const std::string png = dir.Path() + "/tall.png";
    ASSERT_EQ(Run({page, "--width", "200", "-o", png}), kExitOk) << err.Text();
    const auto [w, h] = PngSize(png);
    EXPECT_EQ(w, 200);
    ASSERT_GT(h, 4096 * 2);
    // The red text of the last line, in the last band, is in the picture.
    cairo_surface_t* s = cairo_image_surface_create_from_png(png.c_str());
    const unsigned char* data = cairo_image_surface_get_data(s);
    const int stride = cairo_image_surface_get_stride(s);
    int red = 0;
    for (int y = h - 40; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const uint32_t px = reinterpret_cast<const uint32_t*>(data + y * stride)[x];
            if ((px & 0xFFFFFF) == 0xFF0000)
                ++red;
        }
    cairo_surface_destroy(s);
    EXPECT_GT(red, 10);
}

TEST_F(RenderTest, PicturesOfVeryTallPagesAreCutWithAMessage) {
    std::string html = "<body bgcolor=white>";
    for (int i = 0; i < 14000; ++i)
        html += "x<br>";
    const std::string page = Write("huge.html", html);
    const std::string png = dir.Path() + "/huge.png";
    ASSERT_EQ(Run({page, "--width", "20", "-o", png}), kExitOk) << err.Text();
    // Cairo reads no picture this tall; the header says its size.
    std::ifstream in(png, std::ios::binary);
    unsigned char head[24] = {};
    in.read(reinterpret_cast<char*>(head), sizeof head);
    const auto be32 = [&](int at) {
        return (head[at] << 24) | (head[at + 1] << 16) | (head[at + 2] << 8) | head[at + 3];
    };
    EXPECT_EQ(std::string(reinterpret_cast<char*>(head + 12), 4), "IHDR");
    EXPECT_EQ(be32(16), 20);
    EXPECT_EQ(be32(20), 262144);
    EXPECT_NE(err.Text().find("the picture shows its first 262144 rows"), std::string::npos)
        << err.Text();
}

TEST_F(RenderTest, HelpNamesRender) {
    TCommandLineEnvironment env;
    env.Out = out.File();
    env.Err = err.File();
    EXPECT_EQ(RunFolioBuilderCommandLine({"--help"}, env), kExitOk);
    EXPECT_NE(
        out.Text().find("foliobuilder render PAGE -o OUT.png [--width N] [--height N] [--dump]"),
        std::string::npos);
}

} // namespace
