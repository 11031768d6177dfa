// The Create command: every way it ends, what it writes and what it clears.
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <functional>
#include <optional>

#include <gtest/gtest.h>

#include "bookreader/site_book.h"
#include "platform/base/files.h"
#include "platform/base/streams.h"
#include "platform/base/strings.h"
#include "tests/app/builder_fixture.h"
#include "tests/support/files.h"

using folio_test::ReadFile;
using folio_test::TrailerOf;
using folio_test::WriteFile;

namespace {

class CreateTest : public BuilderTest {
protected:
    CreateTest() {
        templateBytes = "#!/bin/sh\necho reader template\n" + std::string(3000, 'T');
        WriteFile(TemplatePath(), templateBytes);
        // Each build's configuration goes to the temporary directory: this test's own, so it
        // can see what is left there.
        if (const char* old = std::getenv("TMPDIR")) {
            oldTmpDir = old;
        }
        std::filesystem::create_directories(tmp.Path() + "/tmp");
        ::setenv("TMPDIR", (tmp.Path() + "/tmp").c_str(), 1);
    }
    ~CreateTest() override {
        if (oldTmpDir) {
            ::setenv("TMPDIR", oldTmpDir->c_str(), 1);
        } else {
            ::unsetenv("TMPDIR");
        }
    }
    std::string TemplatePath() const { return builder.BuilderDir + "Folio3.bin"; }
    // Where builders used to leave the configuration; nothing is written there any more.
    std::string LeftoverConfigPath() const { return builder.SettingsDir + "folioauthor.html"; }
    // No configuration stays behind, neither beside the builder nor in the temporary folder.
    void ExpectNoConfigurationLeft() {
        EXPECT_FALSE(FileExists(LeftoverConfigPath()));
        EXPECT_TRUE(std::filesystem::is_empty(tmp.Path() + "/tmp"));
    }
    // The configuration packed into a book.
    static std::string ConfigOf(const std::string& book) {
        TSiteBook opened(book);
        const int config = opened.Find("folioauthor.html");
        return config < 0 ? std::string() : opened.Archive().ExtractToString(config);
    }

    // Directory, home page (the first file), and a password, as a user would set them.
    void Prepare() {
        site = MakeSite();
        ChooseDirectory(site);
        picker.Select(PageIndex(site + "/index.html"));
        builder.btnhomepageclick();
        ASSERT_EQ(builder.HomePage, site + "/index.html");
        dialogs.AnswerInput("pw");
        builder.btnpwclick();
        dialogs.Clear();
    }
    void ExpectCleared() {
        EXPECT_EQ(builder.FileList.Count(), 0);
        EXPECT_TRUE(builder.Password.empty());
        EXPECT_TRUE(builder.HomePage.empty());
    }
    void ExpectUntouched() {
        EXPECT_EQ(builder.FileList.Count(), 3); // the three pages
        EXPECT_EQ(builder.Password, "pw");
        EXPECT_EQ(builder.HomePage, site + "/index.html");
    }
    std::vector<std::string> MessageTexts() const {
        std::vector<std::string> texts;
        for (const auto& m : dialogs.Messages()) {
            texts.push_back(m.Text);
        }
        return texts;
    }

    std::string templateBytes;
    std::string site;
    std::optional<std::string> oldTmpDir;
};

TEST_F(CreateTest, AnEmptyFileListSaysToChooseAFolderFirst) {
    EXPECT_EQ(builder.Create1Click(), TCreateOutcome::coNothingToPack);
    EXPECT_EQ(dialogs.Asked().size(), 1u) << "the message only";
    EXPECT_EQ(MessageTexts(), std::vector<std::string>{
                                  "Choose the folder of your web pages first: press 1 Directory."});
    ExpectNoConfigurationLeft();
}

TEST_F(CreateTest, TheSaveDialogStartsInTheLastSaveFolderOrHomeAndProposesAName) {
    const char* oldHome = std::getenv("HOME");
    const std::string savedHome = oldHome ? oldHome : "";
    const std::string home = tmp.Path() + "/home";
    std::filesystem::create_directories(home);
    ::setenv("HOME", home.c_str(), 1);

    // First time: the home folder (never the program's folder), and the folder's name.
    Prepare();
    dialogs.CancelSave();
    builder.Create1Click();
    ASSERT_EQ(dialogs.Asked().size(), 1u);
    EXPECT_EQ(dialogs.Asked()[0].InitialDir, home);
    EXPECT_EQ(dialogs.Asked()[0].FileName, "site");

    // A title names the book; a separator in it cannot make a path.
    Prepare();
    builder.Caption = "Garden/plants";
    const std::string out = tmp.Path() + "/out";
    std::filesystem::create_directories(out);
    dialogs.AnswerSave(out + "/garden");
    EXPECT_EQ(builder.Create1Click(), TCreateOutcome::coCreated);
    EXPECT_EQ(dialogs.Asked()[0].InitialDir, home);
    EXPECT_EQ(dialogs.Asked()[0].FileName, "Garden-plants");
    EXPECT_EQ(builder.LastSaveDir, out);

    // Next time: where the last book went, remembered in the settings.
    Prepare();
    dialogs.CancelSave();
    builder.Create1Click();
    EXPECT_EQ(dialogs.Asked()[0].InitialDir, out);
    const TkqFormIni ini(tmp.Path() + "/settings.ini");
    builder.WriteSettings(ini);
    TFolioBuilder later(tmp.Path() + "/builder", tmp.Path() + "/builder", picker);
    later.ReadSettings(ini);
    EXPECT_EQ(later.LastSaveDir, out);

    // A remembered folder that is gone falls back to home; a name that holds the builder's
    // own (which Create refuses) is not proposed.
    std::filesystem::remove_all(out);
    builder.Caption = TFolioBuilder::kDefaultCaption;
    EXPECT_EQ(builder.SaveDialogDir(), home);
    builder.SourceDir = tmp.Path() + "/my-FolioBuilder-site/";
    EXPECT_EQ(builder.ProposedBookName(), "book");
    builder.SourceDir = tmp.Path() + "/.hidden";
    EXPECT_EQ(builder.ProposedBookName(), "hidden");

    if (oldHome) {
        ::setenv("HOME", savedHome.c_str(), 1);
    } else {
        ::unsetenv("HOME");
    }
}

TEST_F(CreateTest, WithoutAHomePageItSaysSoAndClearsNothing) {
    ChooseDirectory(MakeSite());
    builder.Password = "pw";
    dialogs.Clear();
    builder.viewerObjectClick(nullptr, nullptr, "create");
    EXPECT_EQ(MessageTexts(), std::vector<std::string>{"You did not select a Home page"});
    EXPECT_EQ(builder.FileList.Count(), 3);
    EXPECT_EQ(builder.Password, "pw");
    ExpectNoConfigurationLeft();
}

TEST_F(CreateTest, AMissingTemplateIsReportedAndNoConfigurationIsLeft) {
    Prepare();
    builder.IconFile = "/no/such.ico";
    builder.Caption = "Kept title";
    DeleteFile(TemplatePath());
    EXPECT_EQ(builder.Create1Click(), TCreateOutcome::coNoTemplate);
    EXPECT_EQ(MessageTexts(), std::vector<std::string>{"Cannot find the template \"Folio3.bin\""});
    EXPECT_EQ(dialogs.Asked().size(), 1u); // no save dialog
    ExpectNoConfigurationLeft();
    ExpectCleared();
    EXPECT_EQ(builder.IconFile, "/no/such.ico");
    EXPECT_EQ(builder.Caption, "Kept title");
}

TEST_F(CreateTest, CancellingTheSaveDialogClearsTheStateSilently) {
    Prepare();
    dialogs.CancelSave();
    EXPECT_EQ(builder.Create1Click(), TCreateOutcome::coCancelled);
    ASSERT_EQ(dialogs.Asked().size(), 1u);
    EXPECT_EQ(dialogs.Asked()[0].Kind, TDialogKind::SaveFile);
    EXPECT_NE(dialogs.Asked()[0].InitialDir, builder.BuilderDir);
    EXPECT_TRUE(dialogs.Messages().empty());
    ExpectNoConfigurationLeft();
    ExpectCleared();
}

TEST_F(CreateTest, ATargetNamedLikeTheBuilderIsRefusedWhateverItsCapitals) {
    for (const char* name :
         {"MyFolioBuilder.exe", "myfoliobuilder.exe", "FOLIOBUILDER", "x-FolioBuilder-y"}) {
        SCOPED_TRACE(name);
        Prepare();
        dialogs.AnswerSave(tmp.Path() + "/" + name);
        EXPECT_EQ(builder.Create1Click(), TCreateOutcome::coRefusedName);
        EXPECT_EQ(MessageTexts(), std::vector<std::string>{"You cannot overwrite FolioBuilder!"});
        ExpectUntouched();
        EXPECT_FALSE(FileExists(tmp.Path() + "/" + name));
        dialogs.Clear();
    }
}

TEST_F(CreateTest, TheRunningProgramIsRefusedUnderAnyName) {
    Prepare();
    // No confirmation is scripted: were the check missing, the overwrite question would throw
    // before anything was written.
    dialogs.AnswerSave(ProgramPath());
    EXPECT_EQ(builder.Create1Click(), TCreateOutcome::coRefusedName);
    EXPECT_EQ(MessageTexts(), std::vector<std::string>{"You cannot overwrite FolioBuilder!"});
    ExpectUntouched();
}

TEST_F(CreateTest, AFolderNamedLikeTheBuilderDoesNotMatter) {
    Prepare();
    const std::string target = tmp.Sub("foliobuilder-books/Folio3.exe");
    dialogs.AnswerSave(target);
    EXPECT_EQ(builder.Create1Click(), TCreateOutcome::coCreated);
    EXPECT_TRUE(FileExists(target));
}

TEST_F(CreateTest, TheTemplateItselfIsRefusedThroughLinksAndRelativePieces) {
    Prepare();
    const std::string viaDots = tmp.Path() + "/builder/../builder/./Folio3.bin";
    const std::string link = tmp.Path() + "/link-to-template";
    ASSERT_EQ(::symlink(TemplatePath().c_str(), link.c_str()), 0);
    for (const std::string& target : {TemplatePath(), viaDots, link}) {
        SCOPED_TRACE(target);
        dialogs.AnswerSave(target);
        EXPECT_EQ(builder.Create1Click(), TCreateOutcome::coRefusedTarget);
        EXPECT_EQ(MessageTexts(),
                  std::vector<std::string>{"You cannot overwrite the template \"Folio3.bin\"!"});
        ExpectUntouched();
        dialogs.Clear();
    }
    EXPECT_EQ(ReadFile(TemplatePath()), templateBytes);
}

TEST_F(CreateTest, AFileBeingPackedIsRefused) {
    Prepare();
    const std::string page = site + "/page.htm";
    const std::string before = ReadFile(page);
    dialogs.AnswerSave(site + "/img/../page.htm");
    EXPECT_EQ(builder.Create1Click(), TCreateOutcome::coRefusedTarget);
    ASSERT_EQ(dialogs.Messages().size(), 1u);
    EXPECT_NE(dialogs.Messages()[0].Text.find(page), std::string::npos);
    ExpectUntouched();
    EXPECT_EQ(ReadFile(page), before);

    dialogs.Clear();
    builder.IconFile = tmp.Path() + "/book.ico";
    WriteFile(builder.IconFile, "icon");
    dialogs.AnswerSave(builder.IconFile); // the icon is packed too
    EXPECT_EQ(builder.Create1Click(), TCreateOutcome::coRefusedTarget);
    EXPECT_EQ(ReadFile(builder.IconFile), "icon");
    ExpectUntouched();
}

TEST_F(CreateTest, AnExistingTargetIsOverwrittenOnlyOnYes) {
    Prepare();
    const std::string target = tmp.Path() + "/book";
    WriteFile(target, "old contents");
    dialogs.AnswerSave(target);
    dialogs.AnswerConfirm(false);
    EXPECT_EQ(builder.Create1Click(), TCreateOutcome::coNotOverwritten);
    EXPECT_EQ(dialogs.Asked().back().Text,
              "Target file does already exist - do you want to overwrite it?");
    EXPECT_TRUE(dialogs.Messages().empty());
    EXPECT_EQ(ReadFile(target), "old contents");
    ExpectUntouched();

    dialogs.AnswerSave(target);
    dialogs.AnswerConfirm(true);
    EXPECT_EQ(builder.Create1Click(), TCreateOutcome::coCreated);
    EXPECT_EQ(ReadFile(target).substr(0, templateBytes.size()), templateBytes);
}

TEST_F(CreateTest, ATargetHeldExclusivelyElsewhereIsLeftAloneAndNothingCleared) {
    Prepare();
    const std::string target = tmp.Path() + "/held";
    WriteFile(target, "held by another program");
    TFileStream holder(target, fmOpenReadWrite | fmShareExclusive);
    dialogs.AnswerSave(target);
    dialogs.AnswerConfirm(true);
    EXPECT_EQ(builder.Create1Click(), TCreateOutcome::coOpenFailed);
    EXPECT_EQ(MessageTexts(), std::vector<std::string>{"Cannot open file " + target +
                                                       ": another program holds it open"});
    EXPECT_EQ(ReadFile(target), "held by another program");
    ExpectUntouched();
}

TEST_F(CreateTest, AShortTemplateCopyIsAFailureNotABook) {
    Prepare();
    builder.CopyTemplate = [](TStream& from, TStream& to) -> int64_t {
        uint8_t half[1000];
        const int64_t n = from.Read(half, sizeof half);
        to.WriteBuffer(half, n);
        return n;
    };
    const std::string target = tmp.Path() + "/short-book";
    dialogs.AnswerSave(target);
    EXPECT_EQ(builder.Create1Click(), TCreateOutcome::coCopyFailed);
    EXPECT_EQ(MessageTexts(),
              std::vector<std::string>{"Cannot copy the template \"Folio3.bin\" to " + target});
    EXPECT_FALSE(FileExists(target));
    ExpectCleared();
}

TEST_F(CreateTest, AFailingTemplateCopyIsAFailureToo) {
    Prepare();
    builder.CopyTemplate = [](TStream&, TStream&) -> int64_t {
        throw EStreamError("Stream write error");
    };
    const std::string target = tmp.Path() + "/failed-book";
    WriteFile(target, "previous");
    dialogs.AnswerSave(target);
    dialogs.AnswerConfirm(true);
    EXPECT_EQ(builder.Create1Click(), TCreateOutcome::coCopyFailed);
    EXPECT_FALSE(FileExists(target));
    ExpectCleared();
}

TEST_F(CreateTest, AStoppedArchiveDeletesTheTargetAndClears) {
    Prepare();
    builder.BackupFile1.OnProgress = [](TObject*, const std::string& file, TPercentage, bool& go) {
        if (!file.empty()) {
            go = false;
        }
    };
    const std::string target = tmp.Path() + "/stopped";
    dialogs.AnswerSave(target);
    EXPECT_EQ(builder.Create1Click(), TCreateOutcome::coArchiveFailed);
    EXPECT_EQ(MessageTexts(),
              std::vector<std::string>{"Creation of self extracting EXE failed or aborted"});
    EXPECT_FALSE(FileExists(target));
    ExpectCleared();
}

TEST_F(CreateTest, TheWritersOwnErrorBoxGoesThroughTheDialogs) {
    builder.BackupFile1.ReportError(beCannotWriteArchive);
    ASSERT_EQ(dialogs.Messages().size(), 1u);
    EXPECT_EQ(dialogs.Messages()[0].Text, "Cannot write to archive");
    EXPECT_EQ(dialogs.Messages()[0].MsgKind, TMsgKind::Error);
}

TEST_F(CreateTest, ASuccessfulBuildWritesTemplateArchiveAndTrailer) {
    Prepare();
    builder.IconFile = tmp.Path() + "/book.ico";
    WriteFile(builder.IconFile, std::string(300, '\x7f'));
    const std::string target = tmp.Path() + "/out/MyBook";
    std::filesystem::create_directories(tmp.Path() + "/out");
    dialogs.AnswerSave(target);
    EXPECT_EQ(builder.Create1Click(), TCreateOutcome::coCreated);

    const std::string book = ReadFile(target);
    ASSERT_GT(book.size(), templateBytes.size() + 4);
    EXPECT_EQ(book.substr(0, templateBytes.size()), templateBytes);
    EXPECT_EQ(TrailerOf(target), static_cast<int64_t>(templateBytes.size()));
    struct stat st {};
    ASSERT_EQ(::stat(target.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0755u);

    ASSERT_EQ(dialogs.Messages().size(), 1u);
    EXPECT_EQ(dialogs.Messages()[0].Text,
              "MyBook was successfully created. Compression rate = " +
                  std::to_string(builder.BackupFile1.CompressionRate()) + " %");
    ExpectCleared();
    EXPECT_EQ(builder.IconFile, tmp.Path() + "/book.ico");
    EXPECT_EQ(builder.Caption, "Vants FolioBuilder 3");

    ExpectNoConfigurationLeft();
    EXPECT_EQ(ConfigOf(target), "homepage=" + site +
                                    "/index.html\r\n"
                                    "caption=Vants FolioBuilder 3\r\n"
                                    "password=pw\r\n"
                                    "iconfile=" +
                                    tmp.Path() + "/book.ico\r\n");
    TSiteBook opened(target);
    EXPECT_EQ(opened.Archive().Title(), "Folio");
    EXPECT_EQ(opened.Archive().Count(), 5); // three pages, the configuration, the icon
    EXPECT_EQ(opened.Config().Password, "pw");
    EXPECT_EQ(opened.HomePageName(), "index.html");
    const int pic = opened.Find("PIC.GIF");
    ASSERT_GE(pic, 0);
    EXPECT_EQ(opened.Archive().ExtractToString(pic), ReadFile(site + "/img/pic.gif"));
    EXPECT_GE(opened.Find("book.ico"), 0);
}

TEST_F(CreateTest, AnEmptyTitleAndARemovedPasswordGiveEmptyLines) {
    Prepare();
    dialogs.AnswerInput("");
    builder.btntitleclick();
    dialogs.CancelInput();
    builder.btnpwclick();
    dialogs.AnswerSave(tmp.Path() + "/book");
    EXPECT_EQ(builder.Create1Click(), TCreateOutcome::coCreated);
    EXPECT_EQ(ConfigOf(tmp.Path() + "/book"),
              "homepage=" + site + "/index.html\r\ncaption=\r\npassword=\r\niconfile=\r\n");
}

TEST_F(CreateTest, AnIconDeletedBeforeCreateIsNamedButNotPacked) {
    Prepare();
    builder.IconFile = tmp.Path() + "/gone.ico";
    dialogs.AnswerSave(tmp.Path() + "/book");
    EXPECT_EQ(builder.Create1Click(), TCreateOutcome::coCreated);
    EXPECT_NE(ConfigOf(tmp.Path() + "/book").find("iconfile=" + tmp.Path() + "/gone.ico\r\n"),
              std::string::npos);
    TSiteBook opened(tmp.Path() + "/book");
    EXPECT_EQ(opened.Archive().Count(), 4);
    EXPECT_LT(opened.Find("gone.ico"), 0);
}

TEST_F(CreateTest, AnOldConfigurationBesideTheBuilderIsNeverPacked) {
    // An older builder left its configuration (and its password) here.
    WriteFile(LeftoverConfigPath(), "homepage=stale\r\npassword=old secret\r\n");
    WriteFile(builder.BuilderDir + "start.html", "<p>start</p>");
    ChooseDirectory(tmp.Path() + "/builder");
    ASSERT_EQ(builder.FileList.Count(), 2);
    picker.Select(PageIndex(builder.BuilderDir + "start.html"));
    builder.btnhomepageclick();
    dialogs.AnswerSave(tmp.Path() + "/book");
    EXPECT_EQ(builder.Create1Click(), TCreateOutcome::coCreated);
    TSiteBook opened(tmp.Path() + "/book");
    EXPECT_EQ(opened.Archive().Count(), 2);
    EXPECT_EQ(opened.Config().HomePage, builder.BuilderDir + "start.html");
    EXPECT_EQ(ConfigOf(tmp.Path() + "/book").find("old secret"), std::string::npos);
}

TEST_F(CreateTest, AZeroByteTemplateGivesATrailerOfZero) {
    WriteFile(TemplatePath(), "");
    Prepare();
    dialogs.AnswerSave(tmp.Path() + "/bare-book");
    EXPECT_EQ(builder.Create1Click(), TCreateOutcome::coCreated);
    EXPECT_EQ(TrailerOf(tmp.Path() + "/bare-book"), 0);
    const std::string book = ReadFile(tmp.Path() + "/bare-book");
    EXPECT_EQ(book.substr(0, 9), std::string("\x05\0\0\0Folio", 9)); // the archive at offset 0
    TSiteBook opened(tmp.Path() + "/bare-book");
    EXPECT_EQ(opened.Archive().StartOffset(), 0);
}

TEST_F(CreateTest, FilesWhoseNamesClashIgnoringCaseAreWarnedAboutButTheBookIsBuilt) {
    Prepare();
    WriteFile(site + "/img/INDEX.HTML", "<p>other index</p>");
    ChooseDirectory(site);
    dialogs.Clear();
    dialogs.AnswerSave(tmp.Path() + "/book");
    EXPECT_EQ(builder.Create1Click(), TCreateOutcome::coCreated);
    const auto messages = dialogs.Messages();
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[0].MsgKind, TMsgKind::Warning);
    EXPECT_NE(messages[0].Text.find(site + "/img/INDEX.HTML"), std::string::npos);
    EXPECT_NE(messages[0].Text.find(site + "/index.html"), std::string::npos);
    EXPECT_NE(messages[1].Text.find("was successfully created"), std::string::npos);
}

TEST_F(CreateTest, NoCommandRunsWhileABookIsBeingWritten) {
    Prepare();
    TCreateOutcome inner = TCreateOutcome::coCreated;
    bool checked = false;
    builder.BackupFile1.OnProgress = [&](TObject*, const std::string& file, TPercentage, bool&) {
        if (!file.empty() && !checked) {
            checked = true;
            EXPECT_TRUE(builder.Creating());
            inner = builder.Create1Click();
            // Each of these would ask a dialog; none is scripted, so asking would throw.
            for (const char* command : {"directory", "homepage", "title", "password", "icon"}) {
                builder.viewerObjectClick(nullptr, nullptr, command);
            }
        }
    };
    dialogs.AnswerSave(tmp.Path() + "/book");
    EXPECT_EQ(builder.Create1Click(), TCreateOutcome::coCreated);
    EXPECT_TRUE(checked);
    EXPECT_EQ(inner, TCreateOutcome::coBusy);
    EXPECT_FALSE(builder.Creating());
}

// A value with a line break would add a line of its own to the configuration ("homepage=..."
// inside a title moves the home page; only "ab" of the password "ab\ncd" is checked).
struct LineBreakCase {
    const char* Name;
    std::function<void(TFolioBuilder&, const std::string& site)> Set;
    std::string Message; // the start of the message
};

class CreateLineBreakTest : public CreateTest,
                            public ::testing::WithParamInterface<LineBreakCase> {};

TEST_P(CreateLineBreakTest, IsRefusedBeforeAnythingIsWritten) {
    Prepare();
    GetParam().Set(builder, site);
    dialogs.AnswerSave(tmp.Path() + "/book");
    EXPECT_EQ(builder.Create1Click(), TCreateOutcome::coLineBreak);
    ASSERT_EQ(dialogs.Messages().size(), 1u);
    EXPECT_EQ(dialogs.Messages()[0].Text.rfind(GetParam().Message, 0), 0u)
        << dialogs.Messages()[0].Text;
    EXPECT_FALSE(FileExists(tmp.Path() + "/book"));
    ExpectNoConfigurationLeft();
}

INSTANTIATE_TEST_SUITE_P(
    Values, CreateLineBreakTest,
    ::testing::Values(LineBreakCase{"Title",
                                    [](TFolioBuilder& b, const std::string&) {
                                        b.Caption = "Nice\nhomepage=/x/zzz.html";
                                    },
                                    "A book title cannot hold a line break."},
                      LineBreakCase{
                          "Password",
                          [](TFolioBuilder& b, const std::string&) { b.Password = "ab\r\ncd"; },
                          "A password cannot hold a line break."},
                      LineBreakCase{"HomePage",
                                    [](TFolioBuilder& b, const std::string& site) {
                                        b.HomePage = site + "/two\nlines.html";
                                        WriteFile(b.HomePage, "<p>odd name</p>");
                                    },
                                    "The home page's path cannot hold a line break: "},
                      LineBreakCase{"Icon",
                                    [](TFolioBuilder& b, const std::string& site) {
                                        b.IconFile = site + "/odd\r.ico";
                                    },
                                    "The icon's path cannot hold a line break: "}),
    [](const auto& info) { return std::string(info.param.Name); });

TEST_F(CreateTest, TheTitleAndPasswordCommandsRefuseALineBreak) {
    Prepare();
    builder.Caption = "Kept";
    dialogs.AnswerInput("Nice\nhomepage=/x/zzz.html");
    builder.btntitleclick();
    dialogs.AnswerInput("ab\ncd");
    builder.btnpwclick();
    EXPECT_EQ(builder.Caption, "Kept");
    EXPECT_EQ(builder.Password, "pw");
    EXPECT_EQ(MessageTexts(), (std::vector<std::string>{"A book title cannot hold a line break.",
                                                        "A password cannot hold a line break."}));
}

TEST_F(CreateTest, AHomePageThatIsNoRegularFileIsRefused) {
    Prepare();
    // The walk takes no pipe, but a page may become one after it was collected; the packer
    // skips it, so the book could not open.
    const std::string pipe = site + "/page.htm";
    ASSERT_GE(builder.FileList.IndexOf(pipe), 0);
    ASSERT_TRUE(DeleteFile(pipe));
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    picker.Select(PageIndex(pipe));
    builder.btnhomepageclick();
    ASSERT_EQ(builder.HomePage, pipe);
    dialogs.Clear();
    dialogs.AnswerSave(tmp.Path() + "/book");
    EXPECT_EQ(builder.Create1Click(), TCreateOutcome::coBadHomePage);
    EXPECT_EQ(MessageTexts(), std::vector<std::string>{"The home page " + pipe +
                                                       " is not a regular file, so the book "
                                                       "could not show it"});
    EXPECT_FALSE(FileExists(tmp.Path() + "/book"));
    EXPECT_EQ(builder.HomePage, pipe); // nothing cleared: another page can be chosen
}

TEST_F(CreateTest, TheWritersReadErrorNamesTheFileAndTheReason) {
    Prepare();
    // The writer keeps only an error code; the builder adds the file (with its capitals, not
    // the member's lower-cased name) and why it cannot be read.
    const std::string page = site + "/Page.htm";
    ASSERT_TRUE(RenameFile(site + "/page.htm", page));
    ChooseDirectory(site);
    picker.Select(PageIndex(site + "/index.html"));
    builder.btnhomepageclick();
    dialogs.Clear();
    builder.BackupFile1.OnProgress = [&](TObject*, const std::string& file, TPercentage, bool&) {
        if (SameText(file, page) && FileExists(page)) {
            DeleteFile(page);
            builder.BackupFile1.ReportError(beCannotReadFile);
        }
    };
    dialogs.AnswerSave(tmp.Path() + "/book");
    builder.Create1Click();
    ASSERT_FALSE(dialogs.Messages().empty());
    EXPECT_EQ(dialogs.Messages()[0].Text,
              "Cannot read file " + page + ": No such file or directory");
    EXPECT_EQ(dialogs.Messages()[0].MsgKind, TMsgKind::Error);
}

} // namespace

// The writer's own questions and errors reach the user through the builder's dialogs.
TEST_F(BuilderTest, WriterQuestionsAndErrorsUseTheDialogs) {
    dialogs.AnswerConfirm(true);
    EXPECT_TRUE(builder.BackupFile1.AskForDisk("Please insert disk 2 and click OK to continue."));
    builder.BackupFile1.ShowErrorBox("Cannot write to archive");
    ASSERT_EQ(dialogs.Asked().size(), 2u);
    EXPECT_EQ(dialogs.Asked()[0].Text, "Please insert disk 2 and click OK to continue.");
    EXPECT_EQ(dialogs.Asked()[1].Kind, TDialogKind::Message);
    EXPECT_EQ(dialogs.Asked()[1].MsgKind, TMsgKind::Error);
    EXPECT_EQ(dialogs.Asked()[1].Text, "Cannot write to archive");
}
