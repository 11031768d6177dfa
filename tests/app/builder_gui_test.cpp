// The builder's main window in a real X server: the start page's buttons and their Alt+digit
// keys run the commands, a whole book is made through the window, and Cancel stops a large
// build. Dialogs are answered by the scripted provider; the homepage picker is a real window
// that an xdotool waiting beside the test clicks. Skipped when Xvfb or xdotool is missing.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <functional>
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

    // Runs step inside the homepage picker's modal loop once the picker is on the screen with
    // the pointer in it (without a window manager the keyboard follows the pointer), so no key
    // can reach the screen before the picker does.
    void OnPickerUp(std::function<void(TFilesF& picker)> step) {
        window->FilesF().OnShow = [this, step](TControl&) {
            ++pickerShown;
            Application().QueueCall([this, step] {
                TFilesF& picker = window->FilesF();
                const bool up =
                    Xdotool({"search", "--sync", "--onlyvisible", "--name", "^Select Homepage$"}) &&
                    xvfb::Xdotool({"mousemove", "--sync",
                                   std::to_string(picker.Left() + picker.Width() / 2),
                                   std::to_string(picker.Top() + 10)});
                EXPECT_TRUE(up) << "the picker did not come up";
                if (up && picker.Shown())
                    step(picker);
                // A step whose keys went astray must not leave the test waiting for ever.
                if (!PumpUntil([&] { return !picker.Shown() || picker.ModalResult != mrNone; },
                               3000)) {
                    ADD_FAILURE() << "the picker stayed open";
                    picker.ModalResult = mrCancel;
                }
            });
        };
    }
    // Presses keys, given as xdotool names separated by blanks ("g u i", "Return").
    static bool Key(const std::string& keys) {
        std::vector<std::string> args{"key"};
        for (size_t start = 0; start < keys.size();) {
            const size_t blank = std::min(keys.find(' ', start), keys.size());
            if (blank > start)
                args.push_back(keys.substr(start, blank - start));
            start = blank + 1;
        }
        return Xdotool(args);
    }
    int pickerShown = 0;

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

TEST_F(BuilderWindowTest, FirstStartShowsTheStartPageDownToItsSixButtons) {
    EXPECT_EQ(window->Caption(), "Vants FolioBuilder 3");
    EXPECT_EQ(Application().Title, "FolioBuilder2");
    const TRect area = Application().ScreenWorkArea();
    EXPECT_EQ(window->BoundsRect(), FirstBuilderBounds(area));
    EXPECT_TRUE(window->Resizable());
    EXPECT_LE(window->Width(), area.Width());
    EXPECT_LE(window->Height(), area.Height());
    EXPECT_EQ(window->FilesF().Caption(), "Select Homepage");
    EXPECT_EQ(window->Viewer().CurrentFile(), "help.html");
    EXPECT_FALSE(window->ProgressShown());
    EXPECT_EQ(window->StatusText(),
              "Choose the folder of your web pages first: press 1 Directory.");
    // Without any scrolling, every button lies wholly inside the page's visible area.
    THTMLViewer* v = window->Viewer().ActiveViewer();
    ASSERT_NE(v, nullptr);
    EXPECT_EQ(v->PixelPosition(), 0);
    for (const char* c : {"directory", "homepage", "title", "password", "icon", "create"}) {
        TControl* b = Button(c);
        ASSERT_NE(b, nullptr) << c;
        EXPECT_TRUE(b->Showing()) << c;
        EXPECT_GE(b->Left(), 0) << c;
        EXPECT_GE(b->Top(), 0) << c;
        EXPECT_LE(b->Left() + b->Width(), v->PaintPanel().Width()) << c;
        EXPECT_LE(b->Top() + b->Height(), v->PaintPanel().Height()) << c;
    }
    PumpUntil([] { return false; }, 150); // let the last expose events paint
    TCanvas shot(window->Width(), window->Height());
    EXPECT_TRUE(SaveScreenshot(*window, ScreensDir() + "/builder-first-start.png", shot));
}

// The window resizes and maximises; the page is laid out again at the new width, and the
// size and the maximised state come back at the next start.
TEST_F(BuilderWindowTest, ResizingReflowsThePageAndSizeAndStateAreRemembered) {
    TControl* create = Button("create");
    ASSERT_NE(create, nullptr);
    const int leftBefore = create->Left();
    // Without a window manager xdotool sizes the window as a user's drag would.
    ASSERT_TRUE(Xdotool({"search", "--sync", "--onlyvisible", "--name", "^Vants FolioBuilder 3$",
                         "windowsize", "%1", "600", "480"}));
    ASSERT_TRUE(PumpUntil([&] { return window->Width() == 600 && window->Height() == 480; }))
        << window->Width() << "x" << window->Height();
    // The button row is centred on the page: laid out again, it moves left with the edge.
    ASSERT_TRUE(PumpUntil([&] {
        TControl* b = Button("create");
        return b && b->Showing() && b->Left() < leftBefore;
    })) << "the page was not laid out again";
    EXPECT_LT(window->Viewer().Width(), 600);

    const TRect area = Application().ScreenWorkArea();
    window->SetWindowState(TWindowState::wsMaximized);
    ASSERT_TRUE(PumpUntil([&] { return window->Width() == area.Width(); }));
    ASSERT_TRUE(PumpUntil([&] {
        TControl* b = Button("create");
        return b && b->Showing() && b->Left() > leftBefore;
    })) << "the page was not laid out at the maximised width";
    PumpUntil([] { return false; }, 150);
    TCanvas shot(window->Width(), window->Height());
    EXPECT_TRUE(SaveScreenshot(*window, ScreensDir() + "/builder-maximised.png", shot));

    const TRect normal = window->NormalBounds();
    EXPECT_EQ(normal.Width(), 600);
    EXPECT_EQ(normal.Height(), 480);
    window->Hide();
    window.reset(); // saves
    TBuilderWindowEnvironment env;
    env.BuilderDir = env.SettingsDir = tmp.Path() + "/builder/";
    env.IniFileName = tmp.Path() + "/builder/foliobuilder.ini";
    window = std::make_unique<TFolioerF>(env);
    EXPECT_EQ(window->WindowState(), TWindowState::wsMaximized);
    EXPECT_EQ(window->NormalBounds(), normal);
    window->SetWindowState(TWindowState::wsNormal);
    EXPECT_EQ(window->BoundsRect(), normal);
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
    const std::string home = site + "/index.html";
    EXPECT_NE(window->StatusText().find(" files will be packed"), std::string::npos)
        << window->StatusText();

    // The picker proposes index.html; Enter takes it.
    OnPickerUp([&](TFilesF& picker) {
        EXPECT_EQ(picker.ItemOfRow(picker.Files.ItemIndex()),
                  ProposedHomePage(picker.Files.Items()));
        EXPECT_TRUE(Key("Return"));
    });
    ASSERT_TRUE(Press("homepage"));
    ASSERT_TRUE(PumpUntil([&] { return !Builder().HomePage.empty(); }));
    EXPECT_EQ(Builder().HomePage, home);
    EXPECT_FALSE(window->FilesF().Shown());
    EXPECT_NE(window->StatusText().find("home page index.html"), std::string::npos)
        << window->StatusText();

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
    // The writer still reports its end as 100 %; the bar stays where the build stopped.
    EXPECT_LT(window->ProgressPercent(), 100);
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
    // The desktop finds the program's menu entry by the window's class: the program's name.
    if (xvfb::InPath("xprop")) {
        std::string classes;
        if (FILE* p = ::popen("xprop -id \"$(xdotool search --onlyvisible --name "
                              "'^Vants FolioBuilder 3$' | head -n 1)\" WM_CLASS",
                              "r")) {
            char line[512];
            while (std::fgets(line, sizeof line, p))
                classes += line;
            ::pclose(p);
        }
        EXPECT_NE(classes.find("\"foliobuilder\""), std::string::npos) << classes;
    }
    // Still running: the window waits for its user.
    EXPECT_FALSE(program.Reap(100));
}

// The homepage picker's keyboard and mouse: typing filters, arrows and a single click select,
// Enter and a double click choose, Escape closes without a choice.
class BuilderPickerKeysTest : public BuilderWindowTest {
protected:
    void SetUp() override {
        BuilderWindowTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        site = tmp.Path() + "/pages";
        WriteFile(site + "/index.html", "i");
        WriteFile(site + "/a.html", "a");
        WriteFile(site + "/guide/intro.html", "g");
        WriteFile(site + "/pic.gif", "GIF89a");
        dialogs.AnswerDirectory(site);
        ASSERT_TRUE(Press("directory"));
        ASSERT_TRUE(PumpUntil([&] { return Builder().FileList.Count() == 4; }));
        Builder().HomePage = "/kept.html";
    }
    std::string site;
};

TEST_F(BuilderPickerKeysTest, TypingFiltersAndEnterChooses) {
    OnPickerUp([&](TFilesF& picker) {
        EXPECT_EQ(picker.Files.Items(),
                  (std::vector<std::string>{"a.html", "guide/intro.html", "index.html"}));
        EXPECT_EQ(picker.Files.ItemIndex(), 2) << "index.html is proposed";
        ASSERT_TRUE(Key("g u i"));
        ASSERT_TRUE(PumpUntil([&] { return picker.Files.Count() == 1; }));
        EXPECT_EQ(picker.Filter.Text(), "gui");
        EXPECT_EQ(picker.Files.ItemIndex(), 0) << "the only match is selected";
        EXPECT_TRUE(picker.Shown()) << "typing does not choose";
        EXPECT_TRUE(Key("Return"));
    });
    ASSERT_TRUE(Press("homepage"));
    ASSERT_TRUE(PumpUntil([&] { return Builder().HomePage != "/kept.html"; }));
    EXPECT_EQ(Builder().HomePage, site + "/guide/intro.html");
    EXPECT_EQ(pickerShown, 1);
    EXPECT_FALSE(window->FilesF().Shown());
    EXPECT_TRUE(MessageTexts(dialogs).empty());
}

TEST_F(BuilderPickerKeysTest, ArrowsSelectWithoutClosing) {
    OnPickerUp([&](TFilesF& picker) {
        ASSERT_TRUE(Key("Up"));
        ASSERT_TRUE(PumpUntil([&] { return picker.Files.ItemIndex() == 1; }));
        ASSERT_TRUE(Key("Up"));
        ASSERT_TRUE(PumpUntil([&] { return picker.Files.ItemIndex() == 0; }));
        PumpUntil([] { return false; }, 50);
        EXPECT_TRUE(picker.Shown()) << "an arrow only selects";
        EXPECT_TRUE(Key("Return"));
    });
    ASSERT_TRUE(Press("homepage"));
    ASSERT_TRUE(PumpUntil([&] { return Builder().HomePage != "/kept.html"; }));
    EXPECT_EQ(Builder().HomePage, site + "/a.html");
}

TEST_F(BuilderPickerKeysTest, EscapeClosesWithoutAChoice) {
    OnPickerUp([&](TFilesF&) { EXPECT_TRUE(Key("Escape")); });
    ASSERT_TRUE(Press("homepage"));
    ASSERT_TRUE(PumpUntil([&] { return pickerShown == 1 && !window->FilesF().Shown(); }));
    EXPECT_EQ(Builder().HomePage, "/kept.html");
    EXPECT_TRUE(MessageTexts(dialogs).empty());
}

TEST_F(BuilderPickerKeysTest, AClickSelectsAndADoubleClickChooses) {
    OnPickerUp([&](TFilesF& picker) {
        // The first row, "a.html".
        const TPoint row{picker.Left() + picker.Files.Left() + 40,
                         picker.Top() + picker.Files.Top() + 8};
        ASSERT_TRUE(xvfb::ClickAt(row));
        ASSERT_TRUE(PumpUntil([&] { return picker.Files.ItemIndex() == 0; }));
        PumpUntil([] { return false; }, 50);
        EXPECT_TRUE(picker.Shown()) << "a single click only selects";
        // Past the double-click time, so the next two clicks are a double click of their own.
        PumpUntil([] { return false; }, 600);
        EXPECT_TRUE(Xdotool({"click", "--repeat", "2", "--delay", "60", "1"}));
    });
    ASSERT_TRUE(Press("homepage"));
    ASSERT_TRUE(PumpUntil([&] { return Builder().HomePage != "/kept.html"; }));
    EXPECT_EQ(Builder().HomePage, site + "/a.html");
}
