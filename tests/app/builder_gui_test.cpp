// The builder's main window in a real X server: the start page's buttons and their Alt+digit
// keys run the commands, a whole book is made through the window, and Cancel stops a large
// build. Dialogs are answered by the scripted provider; the homepage picker is a real window
// that an xdotool waiting beside the test clicks. Skipped when Xvfb or xdotool is missing.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <random>

#include "app/main_window.h"
#include "archive/book_file.h"
#include "html/doc/form_control.h"
#include "platform/base/files.h"
#include "platform/graphics/canvas.h"
#include "platform/gui/scripted_dialogs.h"
#include "tests/support/files.h"
#include "tests/support/fonts_env.h"
#include "tests/support/screenshot.h"
#include "tests/support/temp_dir.h"
#include "tests/support/xvfb_session.h"

using folio_test::ReadFile;
using folio_test::TempDir;
using folio_test::WriteFile;

namespace fs = std::filesystem;
using xvfb::PumpUntil;
using xvfb::Xdotool;

namespace {

[[maybe_unused]] const bool xvfbForAll = xvfb::UseProgramSession();

class BuilderWindowTest : public testing::Test {
protected:
    void SetUp() override {
        if (!xvfb::ProgramSessionUp())
            GTEST_SKIP() << "no Xvfb with xdotool";
        Application().Title = "FolioBuilder2";
        // A stand-in reader template: the window only copies it in front of the archive.
        WriteFile(tmp.Sub("builder/Folio3.bin"),
                  "#!/bin/sh\necho reader template\n" + std::string(2000, 'T'));
        TBuilderWindowEnvironment env;
        env.BuilderDir = tmp.Path() + "/builder/";
        env.SettingsDir = tmp.Path() + "/builder/";
        env.IniFileName = tmp.Path() + "/builder/foliobuilder.ini";
        window = std::make_unique<TFolioerF>(env);
        window->Show();
        ASSERT_TRUE(
            Xdotool({"search", "--sync", "--onlyvisible", "--name", "^Vants FolioBuilder 3$"}))
            << "the window was not mapped";
        // The first paint places the page's buttons.
        ASSERT_TRUE(PumpUntil([&] {
            TControl* b = Button("create");
            return b && b->Showing() && b->Peer();
        })) << "the start page's buttons never showed";
    }
    void TearDown() override {
        if (window)
            window->Hide();
        window.reset();
        Application().ProcessMessages();
    }

    // The widget of the start page's button whose onclick text is command.
    TControl* Button(const std::string& command) {
        THTMLViewer* v = window->Viewer().ActiveViewer();
        if (!v)
            return nullptr;
        for (TFormControlObj* c : v->Document().Controls)
            if (c->ClickText == command)
                return c->Widget();
        return nullptr;
    }
    // The button row lies below the first screen of the start page: scrolls it into view, as
    // a person would, and clicks the button.
    bool Press(const std::string& command) {
        TControl* b = Button(command);
        THTMLViewer* v = window->Viewer().ActiveViewer();
        if (!b || !v)
            return false;
        // Scrolled into view as a person would: the scroll bars lie over anything outside it.
        const int below = b->Top() + b->Height() + 8 - v->PaintPanel().Height();
        if (below > 0 || b->Top() < 0) {
            v->SetPixelPosition(v->PixelPosition() + (b->Top() < 0 ? b->Top() - 8 : below));
            if (!PumpUntil([&] {
                    return b->Showing() && b->Top() >= 0 &&
                           b->Top() + b->Height() <= v->PaintPanel().Height();
                }))
                return false;
        }
        const int right = b->Left() + b->Width() + 8 - v->PaintPanel().Width();
        if (right > 0 || b->Left() < 0) {
            v->SetHScrollPosition(v->HScrollPosition() + (b->Left() < 0 ? b->Left() - 8 : right));
            if (!PumpUntil([&] {
                    return b->Showing() && b->Left() >= 0 &&
                           b->Left() + b->Width() <= v->PaintPanel().Width();
                }))
                return false;
        }
        return xvfb::ClickAt(xvfb::ScreenCentre(*b));
    }
    // Alt+digit goes to the window that has the focus; a click on the page gives it.
    bool AltKey(char digit) { return Xdotool({"key", std::string("alt+") + digit}); }

    TFolioBuilder& Builder() { return window->Builder(); }

    TempDir tmp;
    TScriptedDialogs dialogs;
    TDialogProviderScope scope{dialogs};
    std::unique_ptr<TFolioerF> window;
};

std::vector<std::string> MessageTexts(const TScriptedDialogs& d) {
    std::vector<std::string> out;
    for (const auto& m : d.Messages())
        out.push_back(m.Text);
    return out;
}

using folio_test::SaveScreenshot;
using folio_test::ScreensDir;

} // namespace

TEST_F(BuilderWindowTest, WindowMatchesItsDesign) {
    EXPECT_EQ(window->Caption(), "Vants FolioBuilder 3");
    EXPECT_EQ(Application().Title, "FolioBuilder2");
    // 646x434 at (94, 169) designed at 120 pixels per inch, on a 96 pixels per inch screen.
    EXPECT_EQ(window->BoundsRect(), Bounds(75, 135, 517, 347));
    EXPECT_EQ(window->FilesF().Caption(), "Select Homepage");
    EXPECT_EQ(window->FilesF().BoundsRect(), Bounds(186, 134, 296, 352));
    EXPECT_EQ(window->Viewer().CurrentFile(), "help.html");
    // The viewer sits inside Panel2's bevels and border.
    EXPECT_EQ(window->Panel2.BoundsRect(), Bounds(0, 0, 517, 347));
    EXPECT_EQ(window->Viewer().BoundsRect(), Bounds(10, 10, 497, 327));
    EXPECT_FALSE(window->ProgressShown());
    for (const char* c : {"directory", "homepage", "title", "password", "icon", "create"})
        EXPECT_NE(Button(c), nullptr) << c;
}

TEST_F(BuilderWindowTest, ButtonsAndAltDigitsRunTheirCommands) {
    dialogs.AnswerInput("Clicked title");
    ASSERT_TRUE(Press("title"));
    ASSERT_TRUE(PumpUntil([&] { return Builder().Caption == "Clicked title"; }));
    EXPECT_EQ(window->Caption(), "Clicked title");
    ASSERT_EQ(dialogs.Asked().size(), 1u);
    EXPECT_EQ(dialogs.Asked()[0].Prompt, "Enter book title:");

    // The click left the focus in the window, so Alt+4 reaches its access key.
    dialogs.AnswerInput("secret");
    ASSERT_TRUE(AltKey('4'));
    ASSERT_TRUE(PumpUntil([&] { return Builder().Password == "secret"; }));
    ASSERT_EQ(dialogs.Asked().size(), 2u);
    EXPECT_EQ(dialogs.Asked()[1].Prompt, "Enter password:");

    // Alt+5 asks for the icon; cancelling clears it.
    Builder().IconFile = "/somewhere/old.ico";
    dialogs.CancelOpen();
    ASSERT_TRUE(AltKey('5'));
    ASSERT_TRUE(PumpUntil([&] { return Builder().IconFile.empty(); }));
    EXPECT_EQ(dialogs.Asked().back().Filter, "Icon Files|*.ico");
    EXPECT_TRUE(dialogs.AllAnswered());
}

TEST_F(BuilderWindowTest, MakesABookThroughTheWindow) {
    // A person must recognise the start page in the window.
    PumpUntil([] { return false; }, 150); // let the last expose events paint
    TCanvas shot(window->Width(), window->Height());
    ASSERT_TRUE(SaveScreenshot(*window, ScreensDir() + "/builder-start.png", shot));
    int cellPixels = 0, whitePixels = 0;
    for (int y = 0; y < shot.Height(); ++y)
        for (int x = 0; x < shot.Width(); ++x) {
            const TColor c = shot.GetPixel(x, y);
            cellPixels += c == RGB(0xC3, 0x96, 0xB6); // the button cells' background
            whitePixels += c == clWhite;
        }
    EXPECT_GT(cellPixels, 200) << "the button row is not on the screen";
    EXPECT_GT(whitePixels, shot.Width() * shot.Height() / 4) << "the page is not on the screen";
    // Panel2's border frames the page.
    for (const TPoint p : {TPoint{5, 150}, TPoint{shot.Width() - 5, 150}, TPoint{200, 5},
                           TPoint{200, shot.Height() - 5}})
        EXPECT_NE(shot.GetPixel(p.X, p.Y), clWhite) << p.X << "," << p.Y;

    const std::string site = tmp.Path() + "/site";
    const char* source = std::getenv("FOLIO_SOURCE_DIR");
    ASSERT_NE(source, nullptr);
    fs::copy(std::string(source) + "/examples/site", site, fs::copy_options::recursive);
    dialogs.AnswerDirectory(site);
    ASSERT_TRUE(xvfb::ClickAt({window->Left() + 20, window->Top() + 20})); // focus the page
    ASSERT_TRUE(AltKey('1'));
    ASSERT_TRUE(PumpUntil([&] { return Builder().FileList.Count() > 0; }));
    EXPECT_EQ(Builder().LastDir, site);
    const std::string home = Builder().FileList[0];

    // The picker is modal: an xdotool waiting beside the test clicks its first item.
    const int itemY = 8;
    xvfb::TBackground picker({"xdotool", "search", "--sync", "--onlyvisible", "--name",
                              "^Select Homepage$", "mousemove", "--window", "%1", "--sync", "40",
                              std::to_string(itemY), "click", "1"});
    ASSERT_TRUE(picker.Started());
    ASSERT_TRUE(Press("homepage"));
    ASSERT_TRUE(PumpUntil([&] { return !Builder().HomePage.empty(); }));
    EXPECT_TRUE(picker.Reap());
    EXPECT_EQ(Builder().HomePage, home);
    EXPECT_FALSE(window->FilesF().Shown());

    dialogs.AnswerInput("Garden book");
    ASSERT_TRUE(Press("title"));
    ASSERT_TRUE(PumpUntil([&] { return window->Caption() == "Garden book"; }));

    const std::string book = tmp.Path() + "/out/garden";
    fs::create_directories(tmp.Path() + "/out");
    dialogs.AnswerSave(book);
    ASSERT_TRUE(Press("create"));
    ASSERT_TRUE(PumpUntil([&] { return !MessageTexts(dialogs).empty() && !Builder().Creating(); }));
    EXPECT_EQ(MessageTexts(dialogs).back().rfind("garden was successfully created", 0), 0u)
        << MessageTexts(dialogs).back();
    EXPECT_FALSE(window->ProgressShown());
    EXPECT_EQ(Builder().FileList.Count(), 0);

    TFileStream in(book, fmOpenRead | fmShareDenyNone);
    const auto archive = OpenBookArchive(in);
    EXPECT_GE(archive->IndexOfFileName("index.html"), 0);
    EXPECT_GE(archive->IndexOfFileName("style.css"), 0);
    const int config = archive->IndexOfFileName("folioauthor.html");
    ASSERT_GE(config, 0);
    const std::string text = archive->ExtractToString(config);
    EXPECT_NE(text.find("Garden book"), std::string::npos) << text;
    EXPECT_NE(text.find(ExtractFileName(home)), std::string::npos) << text;
}

TEST_F(BuilderWindowTest, CancelStopsALargeBuildAndLeavesNoBook) {
    // Incompressible files, so the build runs through many blocks.
    std::mt19937 random(7);
    for (int f = 0; f < 6; ++f) {
        std::string bytes(1 << 20, '\0');
        for (char& c : bytes)
            c = static_cast<char>(random());
        WriteFile(tmp.Sub("big/sound" + std::to_string(f) + ".wav"), bytes);
    }
    WriteFile(tmp.Sub("big/index.html"), "<p>Large book</p>");
    dialogs.AnswerDirectory(tmp.Path() + "/big");
    ASSERT_TRUE(Press("directory"));
    ASSERT_TRUE(PumpUntil([&] { return Builder().FileList.Count() == 7; }));
    Builder().HomePage = tmp.Path() + "/big/index.html";

    // At the first step the strip is shown; the other commands are locked meanwhile, and a
    // real click on Cancel stops the build.
    int steps = 0;
    size_t askedBefore = 0;
    bool cancelClicked = false, titleLocked = false;
    window->OnCreateProgress = [&](TFolioerF& w, const std::string&, int) {
        if (steps++ > 0)
            return;
        EXPECT_TRUE(w.ProgressShown());
        PumpUntil([] { return false; }, 100); // let the strip paint for the picture
        TCanvas shot(w.Width(), w.Height());
        EXPECT_TRUE(SaveScreenshot(w, ScreensDir() + "/builder-progress.png", shot));
        askedBefore = dialogs.Asked().size();
        const bool keySent = AltKey('3');
        PumpUntil([] { return false; }, 50); // give a wrongly unlocked command its chance
        titleLocked = keySent && dialogs.Asked().size() == askedBefore;
        cancelClicked = xvfb::ClickAt(xvfb::ScreenCentre(w.CancelButton));
    };
    const std::string book = tmp.Path() + "/big.book";
    dialogs.AnswerSave(book);
    ASSERT_TRUE(Press("create"));
    ASSERT_TRUE(PumpUntil([&] { return steps > 0 && !Builder().Creating(); }, 20000));
    EXPECT_TRUE(cancelClicked);
    EXPECT_TRUE(titleLocked);
    // The whole build is 6 MB in 16 KB blocks; it stopped right after the click.
    EXPECT_LT(steps, 100);
    EXPECT_EQ(MessageTexts(dialogs).back(), "Creation of self extracting EXE failed or aborted");
    EXPECT_FALSE(fs::exists(book));
    EXPECT_EQ(Builder().FileList.Count(), 0);
    EXPECT_TRUE(Builder().HomePage.empty());
    EXPECT_FALSE(window->ProgressShown());
}

TEST_F(BuilderWindowTest, MissingPicturesAnswerNothingSoTheErrorImageShows) {
    TMemoryStream* stream = &Builder().ImageStream;
    window->viewerImageRequest(nullptr, "nothing-here.gif", stream);
    EXPECT_EQ(stream, nullptr);
    stream = nullptr;
    window->viewerImageRequest(nullptr, "logo.jpg", stream);
    ASSERT_EQ(stream, &Builder().ImageStream);
    EXPECT_GT(stream->Size(), 100);
    // A built-in page with a picture the program lacks still shows.
    window->Viewer().Load("content.html");
    EXPECT_EQ(window->Viewer().CurrentFile(), "content.html");
}

TEST_F(BuilderWindowTest, PlacementAndLastDirComeBackNextTime) {
    window->SetBounds(50, 60, 500, 400);
    Builder().LastDir = tmp.Path();
    window->Hide();
    window.reset(); // saves
    TBuilderWindowEnvironment env;
    env.BuilderDir = env.SettingsDir = tmp.Path() + "/builder/";
    env.IniFileName = tmp.Path() + "/builder/foliobuilder.ini";
    window = std::make_unique<TFolioerF>(env);
    EXPECT_EQ(window->BoundsRect(), Bounds(50, 60, 500, 400));
    EXPECT_EQ(Builder().LastDir, tmp.Path());
    const std::string ini = ReadFile(env.IniFileName);
    EXPECT_NE(ini.find("[FolioerF]"), std::string::npos) << ini;
    EXPECT_NE(ini.find("lastDir=" + tmp.Path()), std::string::npos) << ini;
}

// The program itself: without arguments and with a display it opens the builder's window.
TEST_F(BuilderWindowTest, FoliobuilderWithoutArgumentsOpensItsWindow) {
    const char* binary = std::getenv("FOLIO_BINARY_DIR");
    if (!binary)
        GTEST_SKIP() << "FOLIO_BINARY_DIR is set by CTest";
    window->SetCaption("The test's own window"); // so the search finds the program's only
    const std::string bin = tmp.Path() + "/bin";
    fs::create_directories(bin);
    for (const char* program : {"foliobuilder", "Folio3.bin"})
        fs::copy_file(std::string(binary) + "/bin/" + program, bin + "/" + program);
    xvfb::TBackground program({bin + "/foliobuilder"});
    ASSERT_TRUE(program.Started());
    EXPECT_TRUE(
        Xdotool({"search", "--sync", "--onlyvisible", "--name", "^Vants FolioBuilder 3$"}, 10000));
    // Still running: the window waits for its user.
    EXPECT_FALSE(program.Reap(100));
}

// The picker is closed by a key at the end of each test: the X server then has the key's
// release still to deliver, and the next synthetic click on the main window was seen to wait,
// so nothing follows in the same window.
class BuilderPickerKeysTest : public BuilderWindowTest {
protected:
    void SetUp() override {
        BuilderWindowTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        WriteFile(tmp.Sub("two/a.html"), "a");
        WriteFile(tmp.Sub("two/b.html"), "b");
        dialogs.AnswerDirectory(tmp.Path() + "/two");
        ASSERT_TRUE(Press("directory"));
        ASSERT_TRUE(PumpUntil([&] { return Builder().FileList.Count() == 2; }));
        Builder().HomePage = "/kept.html";
        window->FilesF().OnShow = [&](TControl&) { ++shown; };
    }
    // Without a window manager the keyboard follows the pointer, which rests on the homepage
    // button, inside the picker's area. The key closes the window it is sent to, so xdotool's
    // own status is of no interest.
    static std::vector<std::string> KeyInPicker(const char* key) {
        return {"xdotool",           "search", "--sync", "--onlyvisible", "--name",
                "^Select Homepage$", "key",    key};
    }
    int shown = 0;
};

TEST_F(BuilderPickerKeysTest, EscapeClosesWithoutAChoice) {
    xvfb::TBackground escape(KeyInPicker("Escape"));
    ASSERT_TRUE(Press("homepage"));
    ASSERT_TRUE(PumpUntil([&] { return shown == 1 && !window->FilesF().Shown(); }));
    escape.Reap();
    EXPECT_EQ(Builder().HomePage, "/kept.html");
    EXPECT_EQ(window->FilesF().Files.Count(), 2);
    EXPECT_TRUE(MessageTexts(dialogs).empty());
}

TEST_F(BuilderPickerKeysTest, MovingTheSelectionChoosesAtOnce) {
    xvfb::TBackground down(KeyInPicker("Down"));
    ASSERT_TRUE(Press("homepage"));
    ASSERT_TRUE(PumpUntil([&] { return Builder().HomePage != "/kept.html"; }));
    down.Reap();
    EXPECT_EQ(shown, 1);
    EXPECT_FALSE(window->FilesF().Shown());
    EXPECT_EQ(Builder().HomePage, Builder().FileList[0]);
    EXPECT_TRUE(MessageTexts(dialogs).empty());
}
