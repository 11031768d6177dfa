// The reader's window in a real X server: a book with frames, pictures, a style sheet and
// links is built in the test and shown; Back, Home and Forward, the keys, zoom, search, the
// password dialog and the remembered page; the real Folio3.bin opens a built book. Skipped when
// Xvfb or xdotool is missing.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <optional>

// Before the X11 headers the screenshots bring, which define Status as a macro.
#include "tests/support/shell_run.h"

#include "bookreader/password_store.h"
#include "bookreader/reader_app.h"
#include "bookreader/reader_errors.h"
#include "bookreader/reader_password.h"
#include "bookreader/reader_window.h"
#include "bookreader/reader_zoom.h"
#include "bookreader/site_book.h"
#include "platform/graphics/canvas.h"
#include "platform/gui/clipboard.h"
#include "platform/gui/launcher.h"
#include "platform/gui/scripted_dialogs.h"
#include "tests/bookreader/archive_builder.h"
#include "tests/support/extra_keysyms.h"
#include "tests/support/files.h"
#include "tests/support/fonts_env.h"
#include "tests/support/screenshot.h"
#include "tests/support/temp_dir.h"
#include "tests/support/window_manager.h"
#include "tests/support/xvfb_session.h"

namespace fs = std::filesystem;
using xvfb::PumpUntil;
using xvfb::Xdotool;

namespace {

[[maybe_unused]] const bool xvfbForAll = xvfb::UseProgramSession();

std::string Le(uint32_t v, int bytes) {
    std::string s;
    for (int i = 0; i < bytes; ++i)
        s += static_cast<char>(i < 4 ? (v >> (8 * i)) & 0xFF : 0); // zeros beyond 32 bits
    return s;
}

// A 16 x 16 BMP of four coloured squares.
std::string Bmp() {
    std::string pixels;
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x)
            pixels += (x < 8) == (y < 8) ? std::string("\x20\x40\xD0", 3) : "\x30\xC0\x30";
    return "BM" + Le(54 + 768, 4) + Le(0, 4) + Le(54, 4) + Le(40, 4) + Le(16, 4) + Le(16, 4) +
           Le(1, 2) + Le(24, 2) + Le(0, 24) + pixels;
}

// A 32 x 32 icon, 24 bits, all opaque.
std::string Ico() {
    std::string image = Le(40, 4) + Le(32, 4) + Le(64, 4) + Le(1, 2) + Le(24, 2) + Le(0, 24);
    for (int i = 0; i < 32 * 32; ++i)
        image += "\x10\x80\xF0";
    image += std::string(32 * 4, '\0'); // the AND mask: every pixel shows
    return Le(0, 2) + Le(1, 2) + Le(1, 2) + std::string("\x20\x20\x00\x00", 4) + Le(1, 2) +
           Le(24, 2) + Le(static_cast<uint32_t>(image.size()), 4) + Le(22, 4) + image;
}

std::string LongText() {
    std::string text;
    for (int i = 1; i <= 60; ++i)
        text += "<p>Paragraph " + std::to_string(i) +
                " of the garden notes: the beds are dug, the seeds are sown and the paths are "
                "raked before the rain comes in from the west.</p>\n";
    return text;
}

// The archive of the test book; the template bytes in front vary.
TArchiveBytes GardenArchive(const std::string& password = "",
                            const std::string& caption = "Garden book") {
    TArchiveBytes a;
    a.Member("/site/index.html",
             "<html><head><title>Garden home</title><link rel=stylesheet href=style.css></head>"
             "<body><h1>The garden book</h1><p><img src=\"pics/square.bmp\" width=32 height=32> "
             "<a href=\"page2.html\">Second page</a> | <a href=\"frames.html\">Frames</a> | "
             "<a href=\"missing.html\">Missing</a> | <a href=\"http://example.org/\">Web</a> | "
             "<a href=\"mailto:gardener@example.org\">Mail</a></p>" +
                 LongText() + "</body></html>")
        .Member("/site/style.css", "h1 { color: #206020 } p { color: #202060 }")
        .Member("/site/page2.html",
                "<html><head><title>Second</title></head><body><h1>Second page</h1>"
                "<p>The compost heap warms in spring.</p><a href=index.html>Home</a></body></html>")
        .Member("/site/frames.html", "<html><head><title>Framed</title></head>"
                                     "<frameset cols=\"35%,*\"><frame src=left.html name=left>"
                                     "<frame src=right.html name=right></frameset></html>")
        .Member("/site/left.html", "<body><p>Left frame <a href=page2.html target=right>two</a>"
                                   "</p></body>")
        .Member("/site/right.html", "<body><p>Right frame, with a picture</p>"
                                    "<img src=square.bmp></body>")
        .Member("/site/russian.html",
                "<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; "
                "charset=windows-1251\"><title>Russian</title></head><body><p>"
                "\xCA\xED\xE8\xE3\xE0 \xEE \xF1\xE0\xE4\xE5</p></body></html>") // Книга о саде
        .Member("/site/points.html",
                "<html><head><title>Points</title><style>body { font-size: 10pt; margin: 8px }"
                " h2 { font-size: 16pt; border: 3px solid #206020; width: 240px } p { font-size:"
                " 13px; line-height: 18px }</style></head><body><h2>Tulips</h2><p>Sizes in points"
                " and pixels.</p><img src=\"pics/square.bmp\"></body></html>")
        .Member("/site/pics/square.bmp", Bmp())
        .Member("/site/notes.txt", "Sowing plan <b>\n    beans    in May\n")
        .Member("/site/garden.ico", Ico())
        .Member("/builder/folioauthor.html", "homepage=/site/index.html\r\ncaption=" + caption +
                                                 "\r\npassword=" + password +
                                                 "\r\niconfile=/site/garden.ico\r\n")
        .End();
    return a;
}

std::vector<std::string> MessageTexts(const TScriptedDialogs& d) {
    std::vector<std::string> out;
    for (const auto& m : d.Messages())
        out.push_back(m.Text);
    return out;
}

class ReaderWindowTest : public testing::Test {
protected:
    void SetUp() override {
        if (!xvfb::ProgramSessionUp())
            GTEST_SKIP() << "no Xvfb with xdotool";
        env.StateDir = tmp.Path() + "/state/folio3";
        env.PasswordFile = tmp.Path() + "/state/folio3/passwords";
        env.PasswordIterations = 50;
        WriteBook(GardenArchive());
    }
    void TearDown() override {
        Close();
        Application().ProcessMessages();
    }
    void WriteBook(const TArchiveBytes& archive) {
        folio_test::WriteFile(bookPath, archive.Book("TEMPLATE-BYTES"));
        book = std::make_unique<TSiteBook>(bookPath);
    }
    // Opens the window and waits until it shows its first page.
    void Open(const std::string& page = {}) {
        window = std::make_unique<TReaderWindow>(*book, env);
        window->Show();
        ASSERT_TRUE(Xdotool({"search", "--sync", "--onlyvisible", "--name", "^Garden book$"}))
            << "the window was not mapped";
        window->OpenFirstPage(page);
        PumpUntil([] { return false; }, 100); // the first paint
    }
    void Close() {
        if (window)
            window->Hide();
        window.reset();
    }
    THTMLViewer& Active() { return *window->Viewer().ActiveViewer(); }
    std::string Shown() { return window->Viewer().CurrentFile(); }
    // A link followed as a click on it is: through the frame viewer's link handling.
    void Follow(const std::string& url) {
        window->Viewer().HotSpotClick(window->Viewer().ActiveViewer(), url, {});
    }
    // Keys go to the window under the pointer (there is no window manager).
    bool Keys(std::vector<std::string> keys) {
        // No --sync: it waits for a move that never comes when the pointer is there already.
        const TPoint p = xvfb::ScreenCentre(window->ViewerPanel);
        keys.insert(keys.begin(), {"mousemove", std::to_string(p.X), std::to_string(p.Y), "key"});
        return Xdotool(keys);
    }
    bool Screenshot(const std::string& name, TCanvas& shot) {
        PumpUntil([] { return false; }, 150); // let the last expose events paint
        return folio_test::SaveScreenshot(*window, folio_test::ScreensDir() + "/" + name, shot);
    }

    folio_test::TempDir tmp;
    std::string bookPath = tmp.Path() + "/garden";
    std::unique_ptr<TSiteBook> book;
    TReaderWindowEnvironment env;
    TScriptedDialogs dialogs;
    TDialogProviderScope scope{dialogs};
    std::unique_ptr<TReaderWindow> window;
};

TEST_F(ReaderWindowTest, ShowsTheHomePageWithTheBooksTitleAndIcon) {
    Open();
    EXPECT_EQ(window->Caption(), "Garden book");
    ASSERT_NE(window->Icon(), nullptr);
    EXPECT_EQ(window->Icon()->Width(), 32);
    EXPECT_EQ(window->Icon()->GetPixel(5, 5), RGB(0xF0, 0x80, 0x10));
    EXPECT_EQ(Shown(), "index.html");
    EXPECT_EQ(window->Viewer().DocumentTitle(), "Garden home");
    EXPECT_EQ(window->Viewer().HistoryMaxCount(), 50);
    EXPECT_FALSE(window->BackButton.Enabled());
    EXPECT_FALSE(window->ForwardButton.Enabled());
    EXPECT_TRUE(window->HomeButton.Enabled());
    EXPECT_FALSE(window->Results.Visible());
    // A first start opens at a size for a page of text, within the 1024 x 768 screen.
    EXPECT_TRUE(window->Resizable());
    EXPECT_EQ(window->Width(), 1000);
    EXPECT_EQ(window->Height(), 750);
    EXPECT_GE(window->Top(), 0);
    EXPECT_LE(window->Top() + window->Height(), 768);

    TCanvas shot(window->Width(), window->Height());
    ASSERT_TRUE(Screenshot("reader-home.png", shot));
    int white = 0, heading = 0, picture = 0;
    for (int y = 0; y < shot.Height(); ++y)
        for (int x = 0; x < shot.Width(); ++x) {
            const TColor c = shot.GetPixel(x, y);
            white += c == clWhite;
            heading += c == RGB(0x20, 0x60, 0x20); // the style sheet's colour for H1
            picture += c == RGB(0xD0, 0x40, 0x20); // the picture's blue-red square
        }
    EXPECT_GT(white, shot.Width() * shot.Height() / 3) << "the page is not on the screen";
    EXPECT_GT(heading, 50) << "the style sheet did not reach the heading";
    EXPECT_GT(picture, 50) << "the picture in pics/ was not served";
}

TEST_F(ReaderWindowTest, BackHomeAndForwardMoveThroughTheHistory) {
    Open();
    Follow("page2.html");
    EXPECT_EQ(Shown(), "page2.html");
    EXPECT_TRUE(window->BackButton.Enabled());
    EXPECT_FALSE(window->ForwardButton.Enabled());

    ASSERT_TRUE(xvfb::ClickAt(xvfb::ScreenCentre(window->BackButton)));
    ASSERT_TRUE(PumpUntil([&] { return Shown() == "index.html"; })) << Shown();
    EXPECT_FALSE(window->BackButton.Enabled());
    EXPECT_TRUE(window->ForwardButton.Enabled());

    ASSERT_TRUE(xvfb::ClickAt(xvfb::ScreenCentre(window->ForwardButton)));
    ASSERT_TRUE(PumpUntil([&] { return Shown() == "page2.html"; })) << Shown();

    ASSERT_TRUE(xvfb::ClickAt(xvfb::ScreenCentre(window->HomeButton)));
    ASSERT_TRUE(PumpUntil([&] { return Shown() == "index.html"; })) << Shown();
    EXPECT_TRUE(window->BackButton.Enabled());

    // The same moves from the keyboard.
    ASSERT_TRUE(Keys({"alt+Left"}));
    ASSERT_TRUE(PumpUntil([&] { return Shown() == "page2.html"; })) << Shown();
    ASSERT_TRUE(Keys({"alt+Right"}));
    ASSERT_TRUE(PumpUntil([&] { return Shown() == "index.html"; })) << Shown();
    Follow("page2.html");
    ASSERT_TRUE(Keys({"alt+Home"}));
    ASSERT_TRUE(PumpUntil([&] { return Shown() == "index.html"; })) << Shown();
    EXPECT_TRUE(MessageTexts(dialogs).empty());
}

TEST_F(ReaderWindowTest, AFrameSetShowsEachFrameFromTheBook) {
    Open("frames.html");
    EXPECT_EQ(Shown(), "frames.html");
    const std::vector<THTMLViewer*> frames = window->Viewer().Viewers();
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(frames[0]->CurrentFile(), "left.html");
    EXPECT_EQ(frames[1]->CurrentFile(), "right.html");
    // A link aimed at the other frame loads there; Back brings the frame's page back.
    window->Viewer().HotSpotClick(frames[0], "page2.html", "right");
    EXPECT_EQ(window->Viewer().Viewers()[1]->CurrentFile(), "page2.html");
    EXPECT_TRUE(window->BackButton.Enabled());
    window->GoBack();
    EXPECT_EQ(window->Viewer().Viewers()[1]->CurrentFile(), "right.html");
    TCanvas shot(window->Width(), window->Height());
    ASSERT_TRUE(Screenshot("reader-frames.png", shot));
    int picture = 0;
    for (int y = 0; y < shot.Height(); ++y)
        for (int x = shot.Width() / 3; x < shot.Width(); ++x)
            picture += shot.GetPixel(x, y) == RGB(0x30, 0xC0, 0x30);
    EXPECT_GT(picture, 30) << "the right frame's picture is not on the screen";
    EXPECT_TRUE(MessageTexts(dialogs).empty());
}

// A link to a picture shows the picture alone, a link to a text file the text as written, in
// the viewer's fixed-pitch font: what the book serves is not read as a page.
TEST_F(ReaderWindowTest, LinksToAPictureAndATextFileShowThemAsTheyAre) {
    Open();
    Follow("pics/square.bmp");
    EXPECT_EQ(Active().CurrentFileType(), ImgType);
    TCanvas shot(window->Width(), window->Height());
    ASSERT_TRUE(Screenshot("reader-picture-link.png", shot));
    int red = 0, green = 0;
    for (int y = 0; y < shot.Height(); ++y)
        for (int x = 0; x < shot.Width(); ++x) {
            red += shot.GetPixel(x, y) == RGB(0xD0, 0x40, 0x20);
            green += shot.GetPixel(x, y) == RGB(0x30, 0xC0, 0x30);
        }
    EXPECT_EQ(red, 128) << "the picture is not shown whole";
    EXPECT_EQ(green, 128);
    EXPECT_TRUE(window->BackButton.Enabled());

    Follow("notes.txt");
    EXPECT_EQ(Active().CurrentFileType(), TextType);
    Active().SelectAll();
    // Blanks, line ends and the markup-like text stay as written.
    EXPECT_NE(Active().SelText().find("Sowing plan <b>"), std::string::npos) << Active().SelText();
    EXPECT_NE(Active().SelText().find("    beans    in May"), std::string::npos)
        << Active().SelText();
    window->GoBack();
    EXPECT_EQ(Active().CurrentFileType(), ImgType);
    window->GoBack();
    EXPECT_EQ(Shown(), "index.html");
    EXPECT_EQ(Active().CurrentFileType(), HTMLType);
    EXPECT_TRUE(MessageTexts(dialogs).empty());
}

TEST_F(ReaderWindowTest, ALinkToAMissingPageShowsTheViewersMessage) {
    Open();
    Follow("missing.html");
    Application().ProcessMessages();  // the error is shown once the click has been handled
    EXPECT_EQ(Shown(), "index.html"); // the page stays
    EXPECT_EQ(MessageTexts(dialogs), std::vector<std::string>{"Can't locate file: missing.html"});
    EXPECT_TRUE(window->Shown());
    Follow("page2.html"); // and the window goes on working
    EXPECT_EQ(Shown(), "page2.html");
}

TEST_F(ReaderWindowTest, WebAndMailLinksGoToTheDesktop) {
    std::vector<std::string> launched;
    const TLaunchHook previous =
        SetLaunchHook([&](const std::string& target) { launched.push_back(target); });
    Open();
    Follow("http://example.org/");
    Follow("mailto:gardener@example.org");
    SetLaunchHook(previous);
    EXPECT_EQ(launched,
              (std::vector<std::string>{"http://example.org/", "mailto:gardener@example.org"}));
    EXPECT_EQ(Shown(), "index.html");
    EXPECT_TRUE(MessageTexts(dialogs).empty());
}

// With nothing on the system to open web or mail links, following one says so (from the loop,
// once the desktop's opener has given up) rather than doing nothing.
TEST_F(ReaderWindowTest, AWebLinkWithNoProgramToOpenItSaysSo) {
    Open();
    const std::string path = std::getenv("PATH");
    struct TRestorePath {
        std::string Path;
        ~TRestorePath() { setenv("PATH", Path.c_str(), 1); }
    } restore{path};
    // An opener that finds no program for the link, as xdg-open says it: status 3.
    fs::create_directories(tmp.Path() + "/bin");
    folio_test::WriteFile(tmp.Path() + "/bin/xdg-open", "#!/bin/sh\nexit 3\n");
    fs::permissions(tmp.Path() + "/bin/xdg-open", fs::perms::owner_all);
    setenv("PATH", (tmp.Path() + "/bin:" + path).c_str(), 1);
    Follow("http://example.org/");
    ASSERT_TRUE(PumpUntil([&] { return !dialogs.Messages().empty(); }));
    EXPECT_EQ(MessageTexts(dialogs),
              std::vector<std::string>{"The web link http://example.org/ could not be opened: no "
                                       "program on this system opens it."});
    EXPECT_EQ(Shown(), "index.html");

    // No opener at all.
    setenv("PATH", (tmp.Path() + "/nothing-here").c_str(), 1);
    Follow("mailto:gardener@example.org");
    ASSERT_TRUE(PumpUntil([&] { return dialogs.Messages().size() == 2; }));
    EXPECT_EQ(MessageTexts(dialogs)[1],
              "The mail link mailto:gardener@example.org could not be opened: xdg-open, the "
              "desktop's opener, is not installed.");
    EXPECT_EQ(Shown(), "index.html");
}

TEST_F(ReaderWindowTest, ZoomKeepsTheSameTextAtTheTop) {
    Open();
    THTMLViewer* v = &Active();
    v->SetPixelPosition(v->DocHeight() / 2);
    const TTopText before = TopText(*v);
    ASSERT_GE(before.Index, 0);
    const int32_t oldY = v->PixelPosition();

    ASSERT_TRUE(Keys({"ctrl+equal"}));
    ASSERT_TRUE(PumpUntil([&] { return window->ZoomSize() == 14; })) << window->ZoomSize();
    v = &Active();
    int32_t y = 0;
    ASSERT_TRUE(CharacterY(*v, before.Index, y));
    // Larger type moved the text far down the page; the window followed it.
    EXPECT_GT(y, oldY + 100);
    EXPECT_NEAR(y - v->PixelPosition(), before.Offset, 2);

    ASSERT_TRUE(Keys({"ctrl+minus", "ctrl+minus"}));
    ASSERT_TRUE(PumpUntil([&] { return window->ZoomSize() == 11; })) << window->ZoomSize();
    v = &Active();
    ASSERT_TRUE(CharacterY(*v, before.Index, y));
    EXPECT_NEAR(y - v->PixelPosition(), before.Offset, 2);
    TCanvas shot(window->Width(), window->Height());
    EXPECT_TRUE(Screenshot("reader-zoomed.png", shot));
    ASSERT_TRUE(Keys({"ctrl+0"}));
    ASSERT_TRUE(PumpUntil([&] { return window->ZoomSize() == kDefaultZoom; }));
}

TEST_F(ReaderWindowTest, ZoomScalesAPageWhoseSheetGivesPointsAndPixels) {
    Open();
    Follow("points.html");
    ASSERT_TRUE(PumpUntil([&] { return Shown() == "points.html"; }));
    const int32_t height = Active().DocHeight();
    TCanvas before(window->Width(), window->Height());
    ASSERT_TRUE(Screenshot("reader-points.png", before));

    ASSERT_TRUE(Keys({"ctrl+equal", "ctrl+equal", "ctrl+equal"}));
    ASSERT_TRUE(PumpUntil([&] { return window->ZoomSize() == 18; })) << window->ZoomSize();
    // Every size on the page is in points or pixels, and all of them grew by half.
    EXPECT_GE(Active().DocHeight(), height * 14 / 10);
    TCanvas after(window->Width(), window->Height());
    ASSERT_TRUE(Screenshot("reader-points-zoomed.png", after));
    int64_t changed = 0;
    for (int y = 0; y < after.Height(); ++y)
        for (int x = 0; x < after.Width(); ++x)
            changed += before.GetPixel(x, y) != after.GetPixel(x, y);
    EXPECT_GT(changed, 2000);
    ASSERT_TRUE(Keys({"ctrl+0"}));
    ASSERT_TRUE(PumpUntil([&] { return window->ZoomSize() == kDefaultZoom; }));
    EXPECT_EQ(Active().DocHeight(), height);
}

TEST_F(ReaderWindowTest, ReloadCopyAndTheSearchBoxKeys) {
    Open();
    THTMLViewer& v = Active();
    v.SetSelection(0, 15);
    ASSERT_TRUE(Keys({"ctrl+c"}));
    // The heading, with the line break that ends its block.
    ASSERT_TRUE(PumpUntil([] { return ClipboardText().rfind("The garden book", 0) == 0; }))
        << ClipboardText();
    ASSERT_TRUE(Keys({"F5"}));
    ASSERT_TRUE(PumpUntil([&] { return Active().SelLength() == 0; })); // read again
    EXPECT_EQ(Shown(), "index.html");
    ASSERT_TRUE(Keys({"ctrl+f"}));
    ASSERT_TRUE(PumpUntil([&] { return window->SearchEdit.Focused(); }));
}

TEST_F(ReaderWindowTest, SearchListsHitsAndOpensThemSelected) {
    Open();
    window->SearchEdit.SetText("compost");
    ASSERT_TRUE(xvfb::ClickAt(xvfb::ScreenCentre(window->SearchButton)));
    ASSERT_TRUE(PumpUntil([&] { return window->Results.Visible() && !window->Searching(); }));
    ASSERT_EQ(window->SearchResult().Hits.size(), 1u);
    ASSERT_EQ(window->Results.List.Count(), 2);
    EXPECT_EQ(window->Results.List.Items()[0], "1 page holds \"compost\" (1 hit):");
    EXPECT_NE(window->Results.List.Items()[1].find("(1 hit)"), std::string::npos);
    EXPECT_NE(window->Results.List.Items()[1].find("compost heap"), std::string::npos);
    TCanvas shot(window->Width(), window->Height());
    EXPECT_TRUE(Screenshot("reader-search.png", shot));
    window->Results.List.ClickItem(1);
    EXPECT_EQ(Shown(), "page2.html");
    EXPECT_EQ(Active().SelText(), "compost");

    // A word on a long page: the hit is scrolled into view.
    window->StartSearch("Paragraph 55");
    ASSERT_TRUE(PumpUntil([&] { return !window->Searching(); }));
    ASSERT_EQ(window->SearchResult().Hits.size(), 1u);
    window->OpenHit(0);
    EXPECT_EQ(Shown(), "index.html");
    EXPECT_EQ(Active().SelText(), "Paragraph 55");
    int32_t y = 0;
    ASSERT_TRUE(CharacterY(Active(), Active().SelStart(), y));
    EXPECT_GE(y, Active().PixelPosition());
    EXPECT_LT(y, Active().PixelPosition() + Active().PaintPanel().Height());
}

// The search pane closes with its button and with Escape, in the list or in the search box.
TEST_F(ReaderWindowTest, EscapeAndTheCloseButtonHideTheSearchPane) {
    Open();
    const auto search = [&](const char* word) {
        window->StartSearch(word);
        return PumpUntil([&] { return window->Results.Visible() && !window->Searching(); });
    };
    ASSERT_TRUE(search("garden"));
    ASSERT_GE(window->Results.List.Count(), 2);
    EXPECT_NE(window->Results.List.Items()[0].find("holds \"garden\""), std::string::npos)
        << window->Results.List.Items()[0];
    ASSERT_TRUE(xvfb::ClickAt(xvfb::ScreenCentre(window->Results.CloseButton)));
    ASSERT_TRUE(PumpUntil([&] { return !window->Results.Visible(); }));

    ASSERT_TRUE(search("garden"));
    const TPoint list = xvfb::ScreenCentre(window->Results.List);
    ASSERT_TRUE(Xdotool({"mousemove", "--sync", std::to_string(list.X), std::to_string(list.Y)}));
    window->Results.List.SetFocus();
    ASSERT_TRUE(PumpUntil([&] { return window->Results.List.Focused(); }));
    ASSERT_TRUE(Xdotool({"key", "Escape"}));
    ASSERT_TRUE(PumpUntil([&] { return !window->Results.Visible(); }));

    ASSERT_TRUE(search("garden"));
    window->SearchEdit.SetFocus();
    ASSERT_TRUE(PumpUntil([&] { return window->SearchEdit.Focused(); }));
    ASSERT_TRUE(Xdotool({"key", "Escape"}));
    ASSERT_TRUE(PumpUntil([&] { return !window->Results.Visible(); }));
}

// After the first page, the window builds the search index on its own and keeps it in the cache
// folder; the next window of the same book finds it there.
TEST_F(ReaderWindowTest, TheIndexIsBuiltInTheBackgroundAndKept) {
    env.SearchCacheDir = tmp.Path() + "/cache/foliobuilder";
    const auto indexFiles = [&] {
        int n = 0;
        std::error_code ec;
        for (const auto& e : std::filesystem::directory_iterator(env.SearchCacheDir, ec))
            n += e.path().extension() == ".idx";
        return n;
    };
    Open();
    ASSERT_TRUE(PumpUntil([&] { return indexFiles() == 1; }, 10000));
    window->StartSearch("compost");
    ASSERT_TRUE(PumpUntil([&] { return window->Results.Visible() && !window->Searching(); }));
    EXPECT_EQ(window->SearchResult().Hits.size(), 1u);
    Close();
    Open();
    window->StartSearch("compost");
    ASSERT_TRUE(PumpUntil([&] { return window->Results.Visible() && !window->Searching(); }));
    EXPECT_EQ(window->SearchResult().Hits.size(), 1u);
    EXPECT_EQ(indexFiles(), 1);
}

// Typed in the box, a Cyrillic word finds the page written in code page 1251.
TEST_F(ReaderWindowTest, ACyrillicWordTypedInTheBoxFindsItsPage) {
    // The letters are on keys of their own before the typing starts (see extra_keysyms.h).
    const folio_test::TExtraKeysyms letters(
        {"Cyrillic_ka", "Cyrillic_en", "Cyrillic_i", "Cyrillic_ghe", "Cyrillic_a"});
    ASSERT_TRUE(letters.Ok()) << "the test server has no spare keys";
    Open(); // the window's loop has read the new keymap by the time it shows its page
    const TPoint box = xvfb::ScreenCentre(window->SearchEdit);
    ASSERT_TRUE(
        Xdotool({"mousemove", "--sync", std::to_string(box.X), std::to_string(box.Y), "click", "1",
                 "type", "--delay", "20", "\xD0\xBA\xD0\xBD\xD0\xB8\xD0\xB3\xD0\xB0"}));
    ASSERT_TRUE(PumpUntil([&] {
        return window->SearchEdit.Text() == "\xD0\xBA\xD0\xBD\xD0\xB8\xD0\xB3\xD0\xB0";
    })) << window->SearchEdit.Text();
    ASSERT_TRUE(Xdotool({"key", "Return"}));
    ASSERT_TRUE(PumpUntil([&] { return window->Results.Visible() && !window->Searching(); }));
    ASSERT_EQ(window->SearchResult().Hits.size(), 1u);
    window->OpenHit(0);
    EXPECT_EQ(Shown(), "russian.html");
    EXPECT_EQ(Active().SelText(), "\xD0\x9A\xD0\xBD\xD0\xB8\xD0\xB3\xD0\xB0"); // "Книга", selected
}

// The title is UTF-8 in the book and reaches the X server once, not converted a second time:
// the window's name as the desktop reads it (_NET_WM_NAME) is the title itself.
TEST_F(ReaderWindowTest, ATitleWithAccentsAndOtherScriptsShowsInTheTitleBar) {
    const std::string title =
        "Caf\xC3\xA9 \xD0\x81\xD0\xBB\xD0\xBA\xD0\xB0 \xE4\xB8\xAD\xE6\x96\x87";
    WriteBook(GardenArchive("", title));
    window = std::make_unique<TReaderWindow>(*book, env);
    window->Show();
    ASSERT_TRUE(Xdotool({"search", "--sync", "--onlyvisible", "--name", "^Caf"}));
    const folio_test::TShellRun name = folio_test::RunShell(
        "xprop -id \"$(xdotool search --onlyvisible --name '^Caf' | head -n 1)\" _NET_WM_NAME");
    EXPECT_EQ(name.Output, "_NET_WM_NAME(UTF8_STRING) = \"" + title + "\"\n");
}

TEST_F(ReaderWindowTest, TheLastPagePlacementAndZoomComeBackOnTheNextStart) {
    Open();
    Follow("page2.html");
    window->Zoom(1);
    window->SetBounds(60, 50, 640, 480);
    Close(); // saves

    Open();
    EXPECT_EQ(Shown(), "page2.html");
    EXPECT_EQ(window->ZoomSize(), 14);
    EXPECT_EQ(window->BoundsRect(), Bounds(60, 50, 640, 480));
    Close();
    // A page named on the command line opens first.
    Open("frames.html");
    EXPECT_EQ(Shown(), "frames.html");
}

// Under a window manager the window is maximised from outside (as its title bar's button
// does): the page is laid out again at the new width, the normal placement is kept, and both
// the normal size and the maximised state come back on the next start.
TEST_F(ReaderWindowTest, MaximisedByTheWindowManagerThePageReflowsAndTheStateIsKept) {
    folio_test::TWindowManager wm;
    ASSERT_TRUE(wm.Up()) << "openbox did not take the screen";
    ASSERT_NO_FATAL_FAILURE(Open());
    window->SetBounds(60, 50, 600, 420);
    PumpUntil([] { return false; }, 300); // the manager frames and places the window
    ASSERT_EQ(window->WindowState(), TWindowState::wsNormal);
    const TRect normal = window->NormalBounds();
    EXPECT_EQ(normal.Width(), 600);
    EXPECT_EQ(normal.Height(), 420);
    const int narrowWidth = Active().PaintPanel().Width();
    const int32_t narrowHeight = Active().DocHeight();

    ASSERT_TRUE(folio_test::TWindowManager::Maximise("Garden book", true));
    ASSERT_TRUE(PumpUntil([&] {
        return window->WindowState() == TWindowState::wsMaximized && window->Width() > 900;
    })) << window->Width();
    PumpUntil([] { return false; }, 200);
    EXPECT_EQ(window->NormalBounds(), normal) << "the maximised size replaced the normal one";
    EXPECT_GT(Active().PaintPanel().Width(), narrowWidth + 300);
    EXPECT_LT(Active().DocHeight(), narrowHeight) << "the page kept its narrow lines";
    TCanvas shot(window->Width(), window->Height());
    EXPECT_TRUE(Screenshot("reader-maximised.png", shot));

    Close(); // saves
    const TReaderState saved =
        TReaderStateStore(env.StateDir).Load(TPasswordStore::BookKey(bookPath));
    EXPECT_TRUE(saved.Placement.Maximized);
    EXPECT_EQ(saved.Placement.Width, 600);
    EXPECT_EQ(saved.Placement.Height, 420);

    ASSERT_NO_FATAL_FAILURE(Open());
    ASSERT_TRUE(PumpUntil([&] {
        return window->WindowState() == TWindowState::wsMaximized && window->Width() > 900;
    })) << window->Width();
    EXPECT_EQ(window->NormalBounds().Width(), 600);
    EXPECT_EQ(window->NormalBounds().Height(), 420);
    // Given back its normal size by the manager, the window lays the page out narrow again.
    ASSERT_TRUE(folio_test::TWindowManager::Maximise("Garden book", false));
    ASSERT_TRUE(PumpUntil([&] {
        return window->WindowState() == TWindowState::wsNormal && window->Width() == 600;
    })) << window->Width();
    PumpUntil([] { return false; }, 200);
    EXPECT_EQ(window->Height(), 420);
    EXPECT_EQ(Active().DocHeight(), narrowHeight);
    Close();
    wm.Stop();
}

TEST_F(ReaderWindowTest, ABackgroundSoundStopsAtTheNextPage) {
    TArchiveBytes a;
    a.Member("/s/index.html", "<bgsound src=tune.wav loop=2><p>Music</p><a href=b.html>b</a>")
        .Member("/s/b.html", "<p>Quiet</p>")
        .Member("/s/tune.wav", "RIFF....WAVEfmt ")
        .Member("/b/folioauthor.html",
                "homepage=/s/index.html\r\ncaption=Garden book\r\npassword=\r\niconfile=\r\n")
        .End();
    WriteBook(a);
    window = std::make_unique<TReaderWindow>(*book, env);
    window->Sound().FindPlayer = [](const std::string&) { return TSoundPlayer{{"sleep", "30"}}; };
    window->Show();
    window->OpenFirstPage({});
    EXPECT_TRUE(window->Sound().Playing());
    const std::string file = window->Sound().TempFile();
    ASSERT_FALSE(file.empty());
    EXPECT_TRUE(fs::exists(file));
    Follow("b.html");
    EXPECT_FALSE(window->Sound().Playing());
    EXPECT_FALSE(fs::exists(file));
}

// The password asked in the real dialog, answered wrong three times by typing.
TEST_F(ReaderWindowTest, ThreeWrongPasswordsEndTheReaderWithAFailure) {
    WriteBook(GardenArchive("s3cret"));
    const char* script =
        "prev=''; for i in 1 2 3; do id=''; n=0;"
        " while [ -z \"$id\" ] || [ \"$id\" = \"$prev\" ]; do"
        "  n=$((n+1)); [ $n -gt 200 ] && exit 1;"
        "  id=$(xdotool search --onlyvisible --name '^Password - Garden book$' | head -1);"
        "  sleep 0.05; done;"
        " prev=$id;"
        " xdotool mousemove --window $id 60 76 sleep 0.1 type --delay 5 wrong$i;"
        " xdotool key Return; done";
    xvfb::TBackground typist({"sh", "-c", script});
    ASSERT_TRUE(typist.Started());
    // Should the typing go astray, the loop still ends (as a cancel, which the test rejects).
    TTimer safety;
    safety.SetInterval(20000);
    safety.OnTimer = [](TTimer&) { Application().Terminate(); };
    const int status = RunReaderWindow(*book, "index.html", env);
    Application().ClearTerminated();
    EXPECT_TRUE(typist.Reap());
    EXPECT_EQ(status, kReaderFailed);
    EXPECT_EQ(MessageTexts(dialogs),
              std::vector<std::string>{"Wrong password, 3 times. The book stays closed."});
    EXPECT_FALSE(fs::exists(env.PasswordFile));
}

} // namespace

// What a book started by the test finds in its environment: its own state and cache folders, and,
// in the sanitizer build, leak checking that leaves fontconfig's caches alone as the test programs
// do.
class TProgramEnvironment {
public:
    explicit TProgramEnvironment(const folio_test::TempDir& tmp) {
        const std::string suppressions = tmp.Path() + "/lsan.supp";
        folio_test::WriteFile(suppressions, "leak:libfontconfig.so\n");
        setenv("XDG_STATE_HOME", (tmp.Path() + "/state").c_str(), 1);
        setenv("XDG_CACHE_HOME", (tmp.Path() + "/cache").c_str(), 1);
        setenv("LSAN_OPTIONS", ("suppressions=" + suppressions).c_str(), 1);
    }
    ~TProgramEnvironment() {
        unsetenv("XDG_STATE_HOME");
        unsetenv("XDG_CACHE_HOME");
        unsetenv("LSAN_OPTIONS");
    }
    TProgramEnvironment(const TProgramEnvironment&) = delete;
    TProgramEnvironment& operator=(const TProgramEnvironment&) = delete;
};

TEST(ReaderPassword, TheDialogNamesTheBookByItsCaptionElseItsFile) {
    folio_test::TempDir tmp;
    const auto name = [&](const std::string& caption) {
        folio_test::WriteFile(tmp.Path() + "/my book", GardenArchive("pw", caption).Book("T"));
        return BookDisplayName(TSiteBook(tmp.Path() + "/my book"));
    };
    EXPECT_EQ(name("Garden book"), "Garden book");
    EXPECT_EQ(name(""), "my book");
    EXPECT_EQ(name("Caf\xC3\xA9\tnotes"), "Caf\xC3\xA9 notes");
    // A long name is cut by characters, never inside one.
    std::string longName;
    for (int i = 0; i < 30; ++i)
        longName += "\xC3\xA9";
    EXPECT_EQ(name(longName + longName), longName + longName.substr(0, 14) + "...");
}

// The password rules without a window: the asker stands for the dialog.
TEST(ReaderPassword, ARightAnswerWithinThreeTriesOpensAndIsRemembered) {
    folio_test::TempDir tmp;
    folio_test::WriteFile(tmp.Path() + "/book", GardenArchive("caf\xC3\xA9").Book("T"));
    const TSiteBook book(tmp.Path() + "/book");
    const TPasswordStore store(tmp.Path() + "/passwords", 50);
    std::vector<std::string> asked;
    std::vector<std::optional<std::string>> answers{"wrong", "caf\xC3\xA9"};
    auto ask = [&](const std::string& message) -> std::optional<std::string> {
        asked.push_back(message);
        const auto a = answers.front();
        answers.erase(answers.begin());
        return a;
    };
    EXPECT_EQ(CheckPasswordInWindow(book, &store, ask), TPasswordOutcome::poOpen);
    ASSERT_EQ(asked.size(), 2u);
    // Every question names the book.
    EXPECT_EQ(asked[0], "\"Garden book\" is protected by a password.\nPassword:");
    EXPECT_EQ(asked[1], "Wrong password for \"Garden book\". 2 tries left.\nPassword:");
    // Remembered: the next start asks nothing.
    EXPECT_EQ(CheckPasswordInWindow(book, &store, ask), TPasswordOutcome::poOpen);
    EXPECT_EQ(asked.size(), 2u);

    // Without a store every start asks; Cancel gives up at once.
    answers = {std::nullopt};
    EXPECT_EQ(CheckPasswordInWindow(book, nullptr, ask), TPasswordOutcome::poCancelled);
    answers = {"a", "b", "c", "never asked"};
    EXPECT_EQ(CheckPasswordInWindow(book, nullptr, ask), TPasswordOutcome::poRefused);
    EXPECT_EQ(answers.size(), 1u);
    EXPECT_EQ(asked.back(), "Wrong password for \"Garden book\". One try left.\nPassword:");

    // A book whose builder stored the password in Windows-1252 opens with the same word typed
    // in UTF-8; a word that only looks alike in 8 bits does not.
    folio_test::WriteFile(tmp.Path() + "/old", GardenArchive("caf\xE9").Book("T"));
    const TSiteBook old(tmp.Path() + "/old");
    answers = {"caf\xC3\xA9"};
    EXPECT_EQ(CheckPasswordInWindow(old, nullptr, ask), TPasswordOutcome::poOpen);
    answers = {"caf\xD0\xB6", std::nullopt}; // "cafж": no Windows-1252 spelling
    EXPECT_EQ(CheckPasswordInWindow(old, nullptr, ask), TPasswordOutcome::poCancelled);
}

TEST(ReaderErrors, OnlyRunsThatShowPagesAreWindowed) {
    const auto shows = [](std::vector<std::string> args) {
        args.insert(args.begin(), "book");
        std::vector<char*> argv;
        for (std::string& a : args)
            argv.push_back(a.data());
        return ShowsPages(static_cast<int>(argv.size()), argv.data());
    };
    EXPECT_TRUE(shows({}));
    EXPECT_TRUE(shows({"page2.html"}));
    EXPECT_TRUE(shows({"--", "-odd-page.html"}));
    EXPECT_FALSE(shows({"--list"}));
    EXPECT_FALSE(shows({"--search", "compost"}));
    EXPECT_FALSE(shows({"page.html", "--extract", "dir"}));
}

TEST(ReaderZoom, StepsUpAndDownStopAtTheEnds) {
    EXPECT_EQ(ZoomStep(12, 1), 14);
    EXPECT_EQ(ZoomStep(12, -1), 11);
    EXPECT_EQ(ZoomStep(13, 1), 14); // between steps: to the next one that way
    EXPECT_EQ(ZoomStep(13, -1), 12);
    EXPECT_EQ(ZoomStep(ZoomSteps().back(), 1), ZoomSteps().back());
    EXPECT_EQ(ZoomStep(ZoomSteps().front(), -1), ZoomSteps().front());
}

// The real program, run on a book made of the built Folio3.bin in a scratch folder that also
// holds its state.
class ReaderProgram : public testing::Test {
protected:
    void SetUp() override {
        if (!xvfb::ProgramSessionUp())
            GTEST_SKIP() << "no Xvfb with xdotool";
        if (!std::getenv("FOLIO_BINARY_DIR"))
            GTEST_SKIP() << "FOLIO_BINARY_DIR is set by CTest";
    }
    // Writes the garden book, less its last cut bytes, and makes it runnable.
    void WriteBook(size_t cut = 0) {
        std::string bytes = GardenArchive().Book(
            folio_test::ReadFile(std::string(std::getenv("FOLIO_BINARY_DIR")) + "/bin/Folio3.bin"));
        bytes.resize(bytes.size() - cut);
        folio_test::WriteFile(bookPath, bytes);
        fs::permissions(bookPath, fs::perms::owner_all);
    }

    folio_test::TempDir tmp;
    const std::string bookPath = tmp.Path() + "/garden";
};

// The real program: a book made of the built Folio3.bin opens its home page in a window when run
// without arguments, and Ctrl+Q ends it with success after remembering the page.
TEST_F(ReaderProgram, ABookRunWithoutArgumentsShowsItsHomePage) {
    WriteBook();
    const TProgramEnvironment programEnv(tmp);
    xvfb::TBackground program({bookPath});
    ASSERT_TRUE(program.Started());
    ASSERT_TRUE(Xdotool({"search", "--sync", "--onlyvisible", "--name", "^Garden book$"}, 10000));
    // The home page is on the screen (no window manager: the window is where it was put).
    PumpUntil([] { return false; }, 300);
    TWindow place;
    place.SetBounds(40, 30, 760, 540);
    TCanvas shot(place.Width(), place.Height());
    ASSERT_TRUE(
        folio_test::SaveScreenshot(place, folio_test::ScreensDir() + "/reader-program.png", shot));
    int heading = 0;
    for (int y = 0; y < shot.Height(); ++y)
        for (int x = 0; x < shot.Width(); ++x)
            heading += shot.GetPixel(x, y) == RGB(0x20, 0x60, 0x20);
    EXPECT_GT(heading, 50) << "the home page's heading is not on the screen";
    EXPECT_FALSE(program.Reap(100)) << "the reader ended by itself";
}

// A damaged book started without a terminal still says why it does not open: in a dialog, and
// the program ends with a failure once it is read.
TEST_F(ReaderProgram, ADamagedBookSaysSoInADialog) {
    WriteBook(600); // cut short in the middle of its last members
    const TProgramEnvironment programEnv(tmp);
    const pid_t pid = xvfb::Spawn({bookPath});
    ASSERT_GT(pid, 0);
    int status = 0;
    const bool dialog =
        Xdotool({"search", "--sync", "--onlyvisible", "--name", "^garden$"}, 10000) &&
        Xdotool({"search", "--onlyvisible", "--name", "^garden$", "mousemove", "--window", "%1",
                 "20", "20"});
    // The key closes the dialog it is sent to, so xdotool's own status is of no interest.
    Xdotool({"key", "Return"});
    const bool ended = PumpUntil([&] { return waitpid(pid, &status, WNOHANG) == pid; });
    if (!ended) {
        kill(pid, SIGKILL);
        waitpid(pid, &status, 0);
    }
    EXPECT_TRUE(dialog) << "no dialog named the book";
    ASSERT_TRUE(ended);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == kReaderFailed) << status;
}

TEST_F(ReaderProgram, CtrlQEndsTheReaderWhichRemembersThePageAndReopensThere) {
    WriteBook();
    const TProgramEnvironment programEnv(tmp);
    xvfb::TBackground program({bookPath, "page2.html"});
    ASSERT_TRUE(program.Started());
    ASSERT_TRUE(Xdotool({"search", "--sync", "--onlyvisible", "--name", "^Garden book$"}, 10000));
    ASSERT_TRUE(Xdotool({"mousemove", "300", "300", "key", "ctrl+q"}));
    EXPECT_TRUE(program.Reap(5000)) << "the reader did not end with success";
    const TReaderStateStore states(tmp.Path() + "/state/folio3");
    EXPECT_EQ(states.Load(TPasswordStore::BookKey(bookPath)).LastPage, "page2.html");

    // Started again without a page, the book opens where it was left (had it opened at its
    // home page, that is what it would remember now).
    xvfb::TBackground again({bookPath});
    ASSERT_TRUE(again.Started());
    ASSERT_TRUE(Xdotool({"search", "--sync", "--onlyvisible", "--name", "^Garden book$"}, 10000));
    PumpUntil([] { return false; }, 300);
    ASSERT_TRUE(Xdotool({"mousemove", "300", "300", "key", "ctrl+q"}));
    EXPECT_TRUE(again.Reap(5000)) << "the reader did not end with success";
    EXPECT_EQ(states.Load(TPasswordStore::BookKey(bookPath)).LastPage, "page2.html");
}
