// foliobuilder render of a frame-set page: every frame painted through its own viewer into
// one picture of the given width and height.
#include <gtest/gtest.h>

#include <algorithm>
#include <cairo.h>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "app/resource_loader.h"
#include "html/view/frame_viewer.h"
#include "platform/graphics/canvas.h"
#include "platform/gui/application.h"
#include "tests/support/captured_output.h"
#include "tests/support/fonts_env.h"
#include "tests/support/render_command_fixture.h"
#include "tests/support/temp_dir.h"

namespace {

struct FrameRenderTest : RenderCommandFixture {
    void WriteSet() {
        Write("fs.html", "<html><head><title>Frames</title></head>"
                         "<frameset rows=\"80,*\"><frame name=banner src=banner.html>"
                         "<frameset cols=\"30%,*\"><frame name=nav src=nav.html>"
                         "<frame name=main src=missing.html></frameset></frameset></html>");
        Write("banner.html", "<body bgcolor=\"#003366\" text=white><h1>Banner</h1></body>");
        Write("nav.html", "<body bgcolor=\"#ffffcc\"><a href=main.html>Main</a></body>");
    }
};

// The colour of a pixel as 0xRRGGBB; -1 when the file does not load.
struct TPicture {
    explicit TPicture(const std::string& path)
        : s(cairo_image_surface_create_from_png(path.c_str())) {}
    ~TPicture() { cairo_surface_destroy(s); }
    bool Ok() const { return cairo_surface_status(s) == CAIRO_STATUS_SUCCESS; }
    int Width() const { return cairo_image_surface_get_width(s); }
    int Height() const { return cairo_image_surface_get_height(s); }
    long Pixel(int x, int y) const {
        cairo_surface_flush(s);
        const unsigned char* row =
            cairo_image_surface_get_data(s) + y * cairo_image_surface_get_stride(s);
        uint32_t v;
        std::memcpy(&v, row + x * 4, 4);
        return static_cast<long>(v & 0xffffff);
    }
    cairo_surface_t* s;
};

TEST_F(FrameRenderTest, TheWholeSetIsPaintedAtTheGivenSize) {
    WriteSet();
    const std::string png = dir / "fs.png";
    ASSERT_EQ(Run({dir / "fs.html", "-o", png, "--width", "700", "--height", "400"}), kExitOk)
        << err.Text();
    TPicture pic(png);
    ASSERT_TRUE(pic.Ok());
    EXPECT_EQ(pic.Width(), 700);
    EXPECT_EQ(pic.Height(), 400);
    // The banner row (80 pixels inside the set's bevel) and the navigation column (30%).
    EXPECT_EQ(pic.Pixel(600, 70), 0x003366);
    EXPECT_EQ(pic.Pixel(100, 300), 0xffffcc);
    EXPECT_NE(pic.Pixel(600, 300), 0xffffcc);
    EXPECT_NE(pic.Pixel(600, 300), 0x003366);
    // The frame whose page is missing shows the failure instead of ending the render.
    EXPECT_TRUE(err.Text().empty()) << err.Text();
}

TEST_F(FrameRenderTest, AFrameSetIsSixHundredPixelsHighUnlessTold) {
    WriteSet();
    const std::string png = dir / "fs.png";
    ASSERT_EQ(Run({dir / "fs.html", "-o", png, "--width", "300"}), kExitOk) << err.Text();
    TPicture pic(png);
    ASSERT_TRUE(pic.Ok());
    EXPECT_EQ(pic.Width(), 300);
    EXPECT_EQ(pic.Height(), 600);
}

TEST_F(FrameRenderTest, DumpsAndBadHeightsAreRefused) {
    WriteSet();
    EXPECT_EQ(Run({dir / "fs.html", "--dump"}), kExitFailed);
    EXPECT_NE(err.Text().find("is a frame set"), std::string::npos);
    EXPECT_EQ(Run({dir / "fs.html", "-o", dir / "x.png", "--height", "0"}), kExitUsage);
    EXPECT_EQ(Run({dir / "fs.html", "-o", dir / "x.png", "--height", "40000"}), kExitUsage);
}

// The builder's own pages, served from its resources as its main window serves them.
TEST(BuiltinFramePages, TheHelpPageArrivesWithItsStyleSheetAndPictures) {
    TMemoryStream pageStream, imageStream;
    TBuiltinPages builtin(pageStream, imageStream);
    std::vector<std::string> asked;
    TFrameViewer fv;
    fv.SetBounds(0, 0, 800, 600);
    fv.OnStreamRequest = [&](TObject* sender, const std::string& src, TMemoryStream*& stream) {
        asked.push_back("page:" + src);
        builtin.viewerStreamRequest(sender, src, stream);
    };
    fv.OnImageRequest = [&](TObject* sender, const std::string& src, TMemoryStream*& stream) {
        asked.push_back("image:" + src);
        builtin.viewerImageRequest(sender, src, stream);
    };
    fv.OpenDocument("help.html");
    EXPECT_EQ(fv.DocumentTitle(), "FolioBuilder 3 help");
    ASSERT_GE(asked.size(), 3u);
    EXPECT_EQ(asked[0], "page:help.html");
    EXPECT_EQ(asked[1], "page:styles.css");
    EXPECT_NE(std::find(asked.begin(), asked.end(), "image:logo.jpg"), asked.end());

    // A page the program does not have: the error reaches the application's handler and the
    // help page stays.
    std::vector<std::string> errors;
    Application().OnException = [&](TApplication&, const std::exception& e) {
        errors.push_back(e.what());
    };
    THTMLViewer* v = fv.ActiveViewer();
    ASSERT_NE(v, nullptr);
    v->SetURL("nothing.html");
    v->FollowLink();
    Application().ProcessMessages(); // the error is reported once the click has been handled
    Application().OnException = nullptr;
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0].rfind("Can't load resource: ", 0), 0u) << errors[0];
    EXPECT_EQ(fv.CurrentFile(), "help.html");

    // What it looks like, for a person to check.
    const char* out = std::getenv("FOLIO_BINARY_DIR");
    if (out) {
        TCanvas canvas(800, 600);
        fv.PaintTo(canvas, 0, 0);
        canvas.SaveToPNG(std::string(out) + "/builtin_help_frames.png");
    }
}

} // namespace
