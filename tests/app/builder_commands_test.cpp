// The builder's commands as the start page's buttons run them, and the link-click rule.
#include <gtest/gtest.h>

#include "platform/gui/launcher.h"
#include "tests/app/builder_fixture.h"
#include "tests/support/files.h"

using folio_test::WriteFile;

namespace {

TEST_F(BuilderTest, StartsWithTheBuildersCaptionAndNothingChosen) {
    EXPECT_EQ(builder.Caption, "Vants FolioBuilder 3");
    EXPECT_EQ(builder.BuilderDir, tmp.Path() + "/builder/");
    EXPECT_EQ(builder.LastDir, builder.BuilderDir);
    EXPECT_EQ(builder.FileList.Count(), 0);
    EXPECT_TRUE(builder.HomePage.empty());
    EXPECT_TRUE(builder.Password.empty());
    EXPECT_TRUE(builder.IconFile.empty());
}

TEST_F(BuilderTest, DispatchRunsTheCommandNamedExactly) {
    dialogs.AnswerInput("My Book");
    builder.viewerObjectClick(nullptr, nullptr, "title");
    EXPECT_EQ(builder.Caption, "My Book");
    ASSERT_EQ(dialogs.Asked().size(), 1u);
    EXPECT_EQ(dialogs.Asked()[0].Kind, TDialogKind::InputQuery);

    dialogs.AnswerInput("secret");
    builder.viewerObjectClick(nullptr, nullptr, "password");
    EXPECT_EQ(builder.Password, "secret");
}

TEST_F(BuilderTest, UnknownOnclickTextsDoNothing) {
    // No answers are scripted: any dialog asked would throw.
    for (const char* text : {"about", "Directory", "TITLE", "", " title", "create "}) {
        EXPECT_NO_THROW(builder.viewerObjectClick(nullptr, nullptr, text)) << text;
    }
    EXPECT_TRUE(dialogs.Asked().empty());
    EXPECT_EQ(builder.Caption, "Vants FolioBuilder 3");
}

TEST_F(BuilderTest, DirectoryCommandCollectsFilesAndRemembersTheDirectory) {
    const std::string src = MakeSite();
    dialogs.AnswerDirectory(src);
    builder.viewerObjectClick(nullptr, nullptr, "directory");
    ASSERT_EQ(dialogs.Asked().size(), 1u);
    EXPECT_EQ(dialogs.Asked()[0].Kind, TDialogKind::SelectDirectory);
    EXPECT_EQ(dialogs.Asked()[0].InitialDir, builder.BuilderDir);
    EXPECT_EQ(builder.LastDir, src);
    EXPECT_EQ(builder.FileList.Count(), 3);
    EXPECT_GE(builder.FileList.IndexOf(src + "/img/pic.gif"), 0);
}

TEST_F(BuilderTest, CancelledDirectoryChangesNothing) {
    const std::string src = MakeSite();
    ChooseDirectory(src);
    dialogs.CancelDirectory();
    builder.seldirClick();
    EXPECT_EQ(builder.FileList.Count(), 3);
    EXPECT_EQ(builder.LastDir, src);
}

TEST_F(BuilderTest, NewDirectoryReplacesFilesButKeepsHomePagePasswordIconAndTitle) {
    const std::string src = MakeSite();
    ChooseDirectory(src);
    picker.Select(0);
    builder.btnhomepageclick();
    const std::string home = builder.HomePage;
    ASSERT_FALSE(home.empty());
    builder.Password = "pw";
    builder.IconFile = "/x/icon.ico";
    builder.Caption = "Title";

    const std::string other = tmp.Path() + "/other";
    WriteFile(other + "/only.txt", "text");
    ChooseDirectory(other);
    ASSERT_EQ(builder.FileList.Count(), 1);
    EXPECT_EQ(builder.FileList[0], other + "/only.txt");
    EXPECT_EQ(builder.HomePage, home);
    EXPECT_EQ(builder.Password, "pw");
    EXPECT_EQ(builder.IconFile, "/x/icon.ico");
    EXPECT_EQ(builder.Caption, "Title");
}

TEST_F(BuilderTest, HomepageOrCreateBeforeAnyFolderSayWhatToDoFirst) {
    builder.viewerObjectClick(nullptr, nullptr, "homepage");
    builder.viewerObjectClick(nullptr, nullptr, "create");
    EXPECT_TRUE(picker.Shown().empty());
    EXPECT_EQ(dialogs.Asked().size(), dialogs.Messages().size()) << "messages only";
    EXPECT_TRUE(builder.HomePage.empty());
    ASSERT_EQ(dialogs.Messages().size(), 2u);
    for (const auto& m : dialogs.Messages()) {
        EXPECT_EQ(m.Text, "Choose the folder of your web pages first: press 1 Directory.");
    }

    // A folder with nothing a book can carry says so, naming the folder.
    const std::string empty = tmp.Path() + "/empty";
    WriteFile(empty + "/notes.doc", "x");
    ChooseDirectory(empty);
    builder.btnhomepageclick();
    ASSERT_EQ(dialogs.Messages().size(), 3u);
    EXPECT_NE(dialogs.Messages()[2].Text.find("holds no file a book can carry"), std::string::npos);
    EXPECT_NE(dialogs.Messages()[2].Text.find(empty), std::string::npos);

    // Files but no page: the picker would be empty, so it is not shown.
    const std::string pictures = tmp.Path() + "/pictures";
    WriteFile(pictures + "/a.gif", "GIF89a");
    ChooseDirectory(pictures);
    builder.btnhomepageclick();
    EXPECT_TRUE(picker.Shown().empty());
    ASSERT_EQ(dialogs.Messages().size(), 4u);
    EXPECT_NE(dialogs.Messages()[3].Text.find("holds no page"), std::string::npos);
}

TEST_F(BuilderTest, HomepagePickerListsThePagesRelativeAndSortedAndProposesTheIndex) {
    const std::string src = MakeSite();
    WriteFile(src + "/B/zeta.txt", "z");
    WriteFile(src + "/about.HTML", "a");
    WriteFile(src + "/style.css", "p {}");
    ChooseDirectory(src);
    picker.Select(2);
    builder.viewerObjectClick(nullptr, nullptr, "homepage");
    ASSERT_EQ(picker.Shown().size(), 1u);
    EXPECT_EQ(picker.Shown()[0].Caption, "Select Homepage");
    // Pages only (no picture, no style sheet), relative to the folder, sorted ignoring case.
    const std::vector<std::string> pages = {"about.HTML", "B/zeta.txt", "index.html", "page.htm"};
    EXPECT_EQ(picker.Shown()[0].Items, pages);
    EXPECT_EQ(picker.Shown()[0].Proposed, 2) << "index.html is proposed";
    EXPECT_EQ(builder.HomePage, src + "/index.html");

    // Chosen once, the same page is offered again.
    picker.Select(3);
    builder.btnhomepageclick();
    EXPECT_EQ(picker.Shown()[1].Proposed, 2);
    EXPECT_EQ(builder.HomePage, src + "/page.htm");
    picker.Close();
    builder.btnhomepageclick();
    EXPECT_EQ(picker.Shown()[2].Proposed, 3);
    EXPECT_TRUE(dialogs.Messages().empty());
}

TEST(HomePageCandidates, ProposeTheUsualStartPagesInTheirOrder) {
    EXPECT_EQ(ProposedHomePage({"a.html", "default.htm", "index.htm"}), 2);
    EXPECT_EQ(ProposedHomePage({"default.htm", "INDEX.HTML", "index.htm"}), 1);
    EXPECT_EQ(ProposedHomePage({"Default.htm", "guide/index.html"}), 0);
    EXPECT_EQ(ProposedHomePage({"guide/index.html", "home.html"}), -1)
        << "only a page at the top of the folder";
    EXPECT_EQ(ProposedHomePage({}), -1);

    TStringList files;
    for (const char* f : {"/s/b.htm", "/s/A.txt", "/s/pic.jpg", "/s/sub/c.html", "/s/a.txt",
                          "/s/x.html.bak", "/other/d.html"})
        files.Add(f);
    const THomePageCandidates c = HomePageCandidates(files, "/s/");
    EXPECT_EQ(c.Relative,
              (std::vector<std::string>{"/other/d.html", "A.txt", "a.txt", "b.htm", "sub/c.html"}));
    EXPECT_EQ(c.Full, (std::vector<std::string>{"/other/d.html", "/s/A.txt", "/s/a.txt", "/s/b.htm",
                                                "/s/sub/c.html"}));

    const std::vector<std::string> items = {"index.html", "guide/Intro.html", "notes.txt"};
    EXPECT_EQ(FilterItems(items, ""), (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(FilterItems(items, "INTRO"), (std::vector<int>{1}));
    EXPECT_EQ(FilterItems(items, ".htm"), (std::vector<int>{0, 1}));
    EXPECT_TRUE(FilterItems(items, "zzz").empty());
}

TEST_F(BuilderTest, StatusSaysWhatIsChosenAndHowManyFilesGoIn) {
    int changes = 0;
    builder.OnStatusChange = [&](TFolioBuilder&) { ++changes; };
    EXPECT_EQ(builder.StatusText(),
              "Choose the folder of your web pages first: press 1 Directory.");
    const std::string src = MakeSite();
    dialogs.AnswerDirectory(src);
    builder.viewerObjectClick(nullptr, nullptr, "directory");
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(builder.StatusText(), "Folder " + src +
                                        ": 3 files will be packed. Next: press 2 Homepage to "
                                        "choose the page the book opens with.");
    picker.Select(1);
    builder.viewerObjectClick(nullptr, nullptr, "homepage");
    EXPECT_EQ(changes, 2);
    EXPECT_EQ(builder.StatusText(),
              "Folder " + src + ": 3 files will be packed; home page page.htm.");
}

TEST_F(BuilderTest, HomepagePickerClosedWithoutOkChangesNothing) {
    ChooseDirectory(MakeSite());
    builder.HomePage = "/earlier/home.html";
    picker.Close();
    builder.btnhomepageclick();
    EXPECT_EQ(builder.HomePage, "/earlier/home.html");
    EXPECT_TRUE(dialogs.Messages().empty());
}

TEST_F(BuilderTest, HomepagePickerOkWithoutSelectionSaysSo) {
    ChooseDirectory(MakeSite());
    builder.HomePage = "/earlier/home.html";
    picker.OkWithoutSelection();
    builder.btnhomepageclick();
    EXPECT_EQ(builder.HomePage, "/earlier/home.html");
    ASSERT_EQ(dialogs.Messages().size(), 1u);
    EXPECT_EQ(dialogs.Messages()[0].Text, "You did not select a homepage");
}

TEST_F(BuilderTest, TitleAsksWithItsCaptionAndPromptAndTakesEvenAnEmptyText) {
    int changes = 0;
    builder.OnCaptionChange = [&](TFolioBuilder&) { ++changes; };
    dialogs.AnswerInput("");
    builder.btntitleclick();
    ASSERT_EQ(dialogs.Asked().size(), 1u);
    EXPECT_EQ(dialogs.Asked()[0].Caption, "FolioBuilder");
    EXPECT_EQ(dialogs.Asked()[0].Prompt, "Enter book title:");
    EXPECT_EQ(dialogs.Asked()[0].Text, "");
    EXPECT_EQ(builder.Caption, "");
    EXPECT_EQ(changes, 1);

    dialogs.CancelInput();
    builder.Caption = "kept";
    builder.btntitleclick();
    EXPECT_EQ(builder.Caption, "kept");
    EXPECT_EQ(changes, 1);
}

TEST_F(BuilderTest, PasswordCancelRemovesThePassword) {
    dialogs.AnswerInput("open sesame");
    builder.btnpwclick();
    EXPECT_EQ(builder.Password, "open sesame");
    EXPECT_EQ(dialogs.Asked()[0].Prompt, "Enter password:");
    EXPECT_EQ(dialogs.Asked()[0].Caption, "FolioBuilder");
    dialogs.CancelInput();
    builder.btnpwclick();
    EXPECT_TRUE(builder.Password.empty());
}

TEST_F(BuilderTest, IconIsChosenWithTheIconFilterAndClearedByCancel) {
    dialogs.AnswerOpen("/somewhere/book.ico");
    builder.viewerObjectClick(nullptr, nullptr, "icon");
    EXPECT_EQ(builder.IconFile, "/somewhere/book.ico"); // not checked until Create
    EXPECT_EQ(dialogs.Asked()[0].Filter, "Icon Files|*.ico");
    dialogs.CancelOpen();
    builder.btniconclick();
    EXPECT_TRUE(builder.IconFile.empty());
}

TEST_F(BuilderTest, LastDirIsReadFromAndWrittenToTheSettings) {
    const TkqFormIni ini(tmp.Path() + "/builder/test.ini");
    builder.ReadSettings(ini);
    EXPECT_EQ(builder.LastDir, builder.BuilderDir); // nothing stored: the default stays
    builder.LastDir = "/srv/site";
    builder.WriteSettings(ini);
    TScriptedHomePagePicker otherPicker;
    TFolioBuilder later(tmp.Path() + "/builder", tmp.Path() + "/builder", otherPicker);
    later.ReadSettings(ini);
    EXPECT_EQ(later.LastDir, "/srv/site");
}

class LinkClickTest : public BuilderTest {
protected:
    LinkClickTest() {
        previous_ =
            SetLaunchHook([this](const std::string& target) { launched.push_back(target); });
    }
    ~LinkClickTest() override { SetLaunchHook(previous_); }

    bool Click(const std::string& url) {
        bool handled = false;
        builder.viewerHotSpotTargetClick(nullptr, "", url, handled);
        return handled;
    }

    std::vector<std::string> launched;

private:
    TLaunchHook previous_;
};

TEST_F(LinkClickTest, WebAndMailLinksAreLaunchedAsWritten) {
    EXPECT_TRUE(Click("http://www.example.org/Page"));
    EXPECT_TRUE(Click("MAILTO:Someone@Example.org"));
    EXPECT_TRUE(Click("HTTPS://secure.example.org/"));
    ASSERT_EQ(launched.size(), 3u);
    EXPECT_EQ(launched[0], "http://www.example.org/Page");
    EXPECT_EQ(launched[1], "MAILTO:Someone@Example.org");
    EXPECT_EQ(launched[2], "HTTPS://secure.example.org/");
}

TEST_F(LinkClickTest, TheTestLooksAnywhereInTheUrl) {
    EXPECT_TRUE(Click("redirect.html?to=http://example.org"));
    ASSERT_EQ(launched.size(), 1u);
    EXPECT_EQ(launched[0], "redirect.html?to=http://example.org");
}

TEST_F(LinkClickTest, OwnPagesAreLeftToTheViewer) {
    EXPECT_FALSE(Click("content.html"));
    EXPECT_FALSE(Click("help.html#commands"));
    EXPECT_FALSE(Click("ftp://example.org/file"));
    EXPECT_TRUE(launched.empty());
}

} // namespace

namespace {

TEST_F(BuilderTest, WithoutAListWindowThePickerAsksForTheNameThroughTheInputBox) {
    TInputHomePagePicker inputPicker;
    TFolioBuilder withInput(tmp.Path() + "/builder", tmp.Path() + "/builder", inputPicker);
    const std::string src = MakeSite();

    WriteFile(src + "/guide/intro.html", "intro");
    dialogs.AnswerDirectory(src);
    withInput.seldirClick();

    dialogs.AnswerInput("PAGE.HTM"); // the file name, ignoring case
    withInput.btnhomepageclick();
    EXPECT_EQ(withInput.HomePage, src + "/page.htm");
    EXPECT_EQ(dialogs.Asked().back().Caption, "Select Homepage");
    EXPECT_EQ(dialogs.Asked().back().Text, "index.html") << "the proposed page is offered";

    dialogs.AnswerInput("guide/intro.html"); // or the path relative to the folder
    withInput.btnhomepageclick();
    EXPECT_EQ(withInput.HomePage, src + "/guide/intro.html");

    dialogs.CancelInput(); // closed: nothing changes, nothing said
    withInput.btnhomepageclick();
    EXPECT_EQ(withInput.HomePage, src + "/guide/intro.html");
    EXPECT_TRUE(dialogs.Messages().empty());

    dialogs.AnswerInput("img/pic.gif"); // a picture is no page: OK without a selection
    withInput.btnhomepageclick();
    EXPECT_EQ(withInput.HomePage, src + "/guide/intro.html");
    ASSERT_EQ(dialogs.Messages().size(), 1u);
    EXPECT_EQ(dialogs.Messages()[0].Text, "You did not select a homepage");
}

TEST(FixedHomePagePicker, PrefersTheExactPathThenIgnoresCase) {
    TStringList items;
    items.Add("/s/A/index.html");
    items.Add("/s/a/index.html");
    EXPECT_EQ(TFixedHomePagePicker("/s/a/index.html").Pick("", items, -1).Selected, 1);
    EXPECT_EQ(TFixedHomePagePicker("/S/A/INDEX.HTML").Pick("", items, -1).Selected, 0);
    const TPickResult none = TFixedHomePagePicker("/s/b.html").Pick("", items, -1);
    EXPECT_TRUE(none.Ok);
    EXPECT_EQ(none.Selected, -1);
}

} // namespace
