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

TEST_F(BuilderTest, HomepageBeforeAnyDirectoryDoesNothing) {
    builder.viewerObjectClick(nullptr, nullptr, "homepage");
    EXPECT_TRUE(picker.Shown().empty());
    EXPECT_TRUE(dialogs.Asked().empty());
    EXPECT_TRUE(builder.HomePage.empty());
}

TEST_F(BuilderTest, HomepagePickerShowsTheFileListAndSetsTheChosenPath) {
    ChooseDirectory(MakeSite());
    picker.Select(1);
    builder.viewerObjectClick(nullptr, nullptr, "homepage");
    ASSERT_EQ(picker.Shown().size(), 1u);
    EXPECT_EQ(picker.Shown()[0].Caption, "Select Homepage");
    ASSERT_EQ(picker.Shown()[0].Items.size(), 3u);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(picker.Shown()[0].Items[i], builder.FileList[i]);
    }
    EXPECT_EQ(builder.HomePage, builder.FileList[1]);
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
    dialogs.AnswerDirectory(src);
    withInput.seldirClick();

    dialogs.AnswerInput("PAGE.HTM"); // the file name, ignoring case
    withInput.btnhomepageclick();
    EXPECT_EQ(withInput.HomePage, src + "/page.htm");
    EXPECT_EQ(dialogs.Asked().back().Caption, "Select Homepage");

    dialogs.AnswerInput(src + "/img/pic.gif"); // or the full path
    withInput.btnhomepageclick();
    EXPECT_EQ(withInput.HomePage, src + "/img/pic.gif");

    dialogs.CancelInput(); // closed: nothing changes, nothing said
    withInput.btnhomepageclick();
    EXPECT_EQ(withInput.HomePage, src + "/img/pic.gif");
    EXPECT_TRUE(dialogs.Messages().empty());

    dialogs.AnswerInput("elsewhere.html"); // names no listed file: OK without a selection
    withInput.btnhomepageclick();
    EXPECT_EQ(withInput.HomePage, src + "/img/pic.gif");
    ASSERT_EQ(dialogs.Messages().size(), 1u);
    EXPECT_EQ(dialogs.Messages()[0].Text, "You did not select a homepage");
}

TEST(FixedHomePagePicker, PrefersTheExactPathThenIgnoresCase) {
    TStringList items;
    items.Add("/s/A/index.html");
    items.Add("/s/a/index.html");
    EXPECT_EQ(TFixedHomePagePicker("/s/a/index.html").Pick("", items).Selected, 1);
    EXPECT_EQ(TFixedHomePagePicker("/S/A/INDEX.HTML").Pick("", items).Selected, 0);
    const TPickResult none = TFixedHomePagePicker("/s/b.html").Pick("", items);
    EXPECT_TRUE(none.Ok);
    EXPECT_EQ(none.Selected, -1);
}

} // namespace
