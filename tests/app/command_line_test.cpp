// foliobuilder's command line, run in-process with a scratch builder directory.
#include "app/command_line.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <map>

#include "app/progress_bar.h"
#include "bookreader/book_page_source.h"
#include "bookreader/site_book.h"
#include "html/image/bitmap_cache.h"
#include "html/view/frame_viewer.h"
#include "html/view/html_viewer.h"
#include "platform/base/files.h"
#include "platform/gui/application.h"
#include "tests/support/captured_output.h"
#include "tests/support/data_paths.h"
#include "tests/support/files.h"
#include "tests/support/temp_dir.h"

using folio_test::ReadFile;
using folio_test::TempDir;
using folio_test::TrailerOf;
using folio_test::WriteFile;

namespace {

class CommandLineTest : public ::testing::Test {
protected:
    CommandLineTest() {
        WriteFile(tmp.Sub("bin/Folio3.bin"), std::string(2000, 'R'));
        WriteFile(tmp.Sub("site/index.html"), "<p>home</p>");
        WriteFile(tmp.Sub("site/docs/guide.htm"), "<p>guide</p>");
        WriteFile(tmp.Sub("site/docs/style.css"), "body { color: red }");
        env.BuilderDir = tmp.Path() + "/bin/";
        env.SettingsDir = tmp.Path() + "/bin/";
        env.GetEnv = [this](const char* name) -> const char* {
            const auto it = environment.find(name);
            return it == environment.end() ? nullptr : it->second.c_str();
        };
        env.Out = out.File();
        env.Err = err.File();
    }
    int Run(std::vector<std::string> args) { return RunFolioBuilderCommandLine(args, env); }
    // The configuration packed into a book.
    static std::string Config(const std::string& book) {
        TSiteBook opened(book);
        return opened.Archive().ExtractToString(opened.Find("folioauthor.html"));
    }
    // A build of the fixture site into BOOK with extra arguments.
    int Build(const std::vector<std::string>& extra, const std::string& home = "index.html") {
        std::vector<std::string> args = {"build", tmp.Path() + "/site", "--home", home,
                                         "-o",    tmp.Path() + "/book"};
        args.insert(args.end(), extra.begin(), extra.end());
        return Run(args);
    }

    TempDir tmp;
    TCapture out;
    TCapture err;
    std::map<std::string, std::string> environment;
    TCommandLineEnvironment env;
};

TEST_F(CommandLineTest, NoArgumentsPrintsANoteAndTheUsage) {
    EXPECT_EQ(Run({}), kExitUsage);
    EXPECT_NE(err.Text().find("Usage: foliobuilder build"), std::string::npos);
    EXPECT_TRUE(out.Text().empty());
}

TEST_F(CommandLineTest, HelpAndVersionGoToStandardOutput) {
    EXPECT_EQ(Run({"--help"}), kExitOk);
    EXPECT_NE(out.Text().find("Usage: foliobuilder build SRC --home PAGE"), std::string::npos);
    EXPECT_EQ(Run({"--version"}), kExitOk);
    EXPECT_NE(out.Text().find("foliobuilder 3."), std::string::npos);
    EXPECT_TRUE(err.Text().empty());
}

TEST_F(CommandLineTest, BadCommandLinesAreUsageErrors) {
    const std::string src = tmp.Path() + "/site";
    EXPECT_EQ(Run({"frobnicate"}), kExitUsage);
    EXPECT_EQ(Run({"build", src, "-o", tmp.Path() + "/b"}), kExitUsage);      // no --home
    EXPECT_EQ(Run({"build", src, "--home", "index.html"}), kExitUsage);       // no -o
    EXPECT_EQ(Run({"build", "--home", "index.html", "-o", "b"}), kExitUsage); // no SRC
    EXPECT_EQ(Run({"build", src, "--home", "index.html", "-o", "b", "--bogus"}), kExitUsage);
    EXPECT_EQ(Run({"build", src, "--home", "index.html", "-o", "b", "--password", "x",
                   "--password-file", "f"}),
              kExitUsage);
    EXPECT_EQ(Run({"build", src, "--home"}), kExitUsage);
    EXPECT_EQ(Run({"list"}), kExitUsage);
    EXPECT_EQ(Run({"extract", "book"}), kExitUsage);
    EXPECT_FALSE(FileExists(tmp.Path() + "/b"));
}

TEST_F(CommandLineTest, BuildRunsTheCreateCommandWithTheOptionsAsAnswers) {
    const std::string book = tmp.Path() + "/out/guide-book";
    std::filesystem::create_directories(tmp.Path() + "/out");
    ASSERT_EQ(Run({"build", tmp.Path() + "/site/", "--home", "docs/guide.htm", "--title",
                   "The Guide", "-o", book}),
              kExitOk)
        << err.Text();
    EXPECT_NE(out.Text().find("guide-book was successfully created. Compression rate = "),
              std::string::npos);
    EXPECT_EQ(Config(book), "homepage=" + tmp.Path() +
                                "/site/docs/guide.htm\r\n"
                                "caption=The Guide\r\npassword=\r\niconfile=\r\n");
    EXPECT_EQ(TrailerOf(book), 2000);
    TSiteBook opened(book);
    EXPECT_EQ(opened.Archive().Count(), 4);
    EXPECT_EQ(opened.HomePageName(), "guide.htm");
}

TEST_F(CommandLineTest, PngAndJpegPicturesArePackedAndTheBookShowsThem) {
    const auto image = folio_test::ProjectData("image");
    WriteFile(tmp.Sub("site/pics/alpha.png"), ReadFile((image / "png" / "t6-8.png").string()));
    WriteFile(tmp.Sub("site/pics/photo.JPEG"), ReadFile((image / "smooth.jpg").string()));
    WriteFile(tmp.Sub("site/gallery.html"), "<body bgcolor=\"#204060\"><img src=\"pics/alpha.png\">"
                                            "<img src=\"pics/photo.JPEG\"></body>");
    const std::string book = tmp.Path() + "/book";
    ASSERT_EQ(Build({}, "gallery.html"), kExitOk) << err.Text();
    TSiteBook opened(book);
    EXPECT_EQ(opened.Archive().Count(), 7); // four pages and sheets, two pictures, the settings
    EXPECT_GE(opened.Find("alpha.png"), 0);
    EXPECT_GE(opened.Find("photo.JPEG"), 0);

    // The reader's page source serves them and the viewer decodes both: neither is the
    // broken-picture sign, and the PNG keeps its transparency.
    TBookPageSource source(opened);
    {
        TFrameViewer viewer;
        viewer.SetBounds(0, 0, 400, 300);
        source.Attach(viewer);
        viewer.Load("gallery.html");
        ASSERT_EQ(viewer.Viewers().size(), 1u);
        const TStringBitmapList* cache = viewer.Viewers()[0]->ImageCache();
        ASSERT_NE(cache, nullptr);
        int pictures = 0;
        for (int i = 0; i < cache->Count(); ++i) {
            const TBitmapItem* item = cache->Item(i);
            SCOPED_TRACE((*cache)[i]);
            ASSERT_TRUE(item->Bitmap);
            ++pictures;
            if ((*cache)[i].find("ALPHA.PNG") != std::string::npos) {
                EXPECT_EQ(item->Bitmap->Width(), 19);
                EXPECT_EQ(item->Transp, TPng);
                EXPECT_TRUE(item->Mask);
            } else {
                EXPECT_EQ(item->Bitmap->Width(), 48);
            }
        }
        EXPECT_EQ(pictures, 2);
    }
    Application().ProcessMessages();
}

TEST_F(CommandLineTest, WithoutATitleTheBookTakesTheBuildersCaption) {
    ASSERT_EQ(Run({"build", tmp.Path() + "/site", "--home=" + tmp.Path() + "/site/index.html", "-o",
                   tmp.Path() + "/book"}),
              kExitOk)
        << err.Text();
    EXPECT_NE(Config(tmp.Path() + "/book").find("\r\ncaption=Vants FolioBuilder 3\r\n"),
              std::string::npos);
}

TEST_F(CommandLineTest, AHomePageOutsideTheCollectedFilesIsAnError) {
    WriteFile(tmp.Sub("site/script.js"), "x");
    EXPECT_EQ(
        Run({"build", tmp.Path() + "/site", "--home", "script.js", "-o", tmp.Path() + "/book"}),
        kExitFailed);
    EXPECT_NE(err.Text().find("is not among the files collected"), std::string::npos);
    EXPECT_EQ(
        Run({"build", tmp.Path() + "/site", "--home", "missing.html", "-o", tmp.Path() + "/book"}),
        kExitFailed);
    EXPECT_FALSE(FileExists(tmp.Path() + "/book"));
}

TEST_F(CommandLineTest, MissingSourcesIconsAndTemplatesAreErrors) {
    EXPECT_EQ(Run({"build", tmp.Path() + "/nowhere", "--home", "a.html", "-o", "b"}), kExitFailed);
    std::filesystem::create_directories(tmp.Path() + "/empty");
    EXPECT_EQ(Run({"build", tmp.Path() + "/empty", "--home", "a.html", "-o", "b"}), kExitFailed);
    EXPECT_NE(err.Text().find("no files to pack"), std::string::npos);
    EXPECT_EQ(Run({"build", tmp.Path() + "/site", "--home", "index.html", "--icon",
                   tmp.Path() + "/none.ico", "-o", tmp.Path() + "/book"}),
              kExitFailed);
    DeleteFile(tmp.Path() + "/bin/Folio3.bin");
    EXPECT_EQ(
        Run({"build", tmp.Path() + "/site", "--home", "index.html", "-o", tmp.Path() + "/book"}),
        kExitFailed);
    EXPECT_NE(err.Text().find("Cannot find the template \"Folio3.bin\""), std::string::npos);
    EXPECT_FALSE(FileExists(tmp.Path() + "/book"));
}

TEST_F(CommandLineTest, AnExistingBookIsReplacedOnlyWithForce) {
    const std::string book = tmp.Path() + "/book";
    WriteFile(book, "precious");
    EXPECT_EQ(Run({"build", tmp.Path() + "/site", "--home", "index.html", "-o", book}),
              kExitFailed);
    EXPECT_NE(err.Text().find("give --force"), std::string::npos);
    EXPECT_EQ(ReadFile(book), "precious");
    EXPECT_EQ(Run({"build", tmp.Path() + "/site", "--home", "index.html", "-o", book, "--force"}),
              kExitOk);
    EXPECT_EQ(TrailerOf(book), 2000);
}

TEST_F(CommandLineTest, TheBuilderRefusesToOverwriteItself) {
    EXPECT_EQ(Run({"build", tmp.Path() + "/site", "--home", "index.html", "-o",
                   tmp.Path() + "/foliobuilder", "--force"}),
              kExitFailed);
    EXPECT_NE(err.Text().find("You cannot overwrite FolioBuilder!"), std::string::npos);
    EXPECT_EQ(Run({"build", tmp.Path() + "/site", "--home", "index.html", "-o",
                   tmp.Path() + "/bin/Folio3.bin", "--force"}),
              kExitFailed);
    EXPECT_EQ(ReadFile(tmp.Path() + "/bin/Folio3.bin"), std::string(2000, 'R'));
}

TEST_F(CommandLineTest, ThePasswordComesFromTheOptionTheFileOrTheEnvironment) {
    const std::string book = tmp.Path() + "/book";
    environment["FOLIO_PASSWORD"] = "from-env";
    ASSERT_EQ(Run({"build", tmp.Path() + "/site", "--home", "index.html", "-o", book}), kExitOk);
    EXPECT_NE(Config(book).find("\r\npassword=from-env\r\n"), std::string::npos);

    ASSERT_EQ(Run({"build", tmp.Path() + "/site", "--home", "index.html", "--password",
                   "from-option", "-o", book, "--force"}),
              kExitOk);
    EXPECT_NE(Config(book).find("\r\npassword=from-option\r\n"), std::string::npos);

    WriteFile(tmp.Path() + "/pw.txt", "from-file\r\nsecond line\n");
    ASSERT_EQ(Run({"build", tmp.Path() + "/site", "--home", "index.html", "--password-file",
                   tmp.Path() + "/pw.txt", "-o", book, "--force"}),
              kExitOk);
    EXPECT_NE(Config(book).find("\r\npassword=from-file\r\n"), std::string::npos);

    EXPECT_EQ(Run({"build", tmp.Path() + "/site", "--home", "index.html", "--password-file",
                   tmp.Path() + "/no-such-file", "-o", book, "--force"}),
              kExitFailed);
    EXPECT_NE(err.Text().find("foliobuilder: cannot read the password file " + tmp.Path() +
                              "/no-such-file: No such file or directory\n"),
              std::string::npos)
        << err.Text();
}

TEST_F(CommandLineTest, AnEmptyPasswordFileIsAnErrorNotABookWithoutPassword) {
    for (const char* content : {"", "\n", "\r\nsecond line\n"}) {
        WriteFile(tmp.Path() + "/pw.txt", content);
        EXPECT_EQ(Build({"--password-file", tmp.Path() + "/pw.txt"}), kExitFailed);
        EXPECT_FALSE(FileExists(tmp.Path() + "/book"));
    }
    EXPECT_NE(err.Text().find("foliobuilder: the password file " + tmp.Path() +
                              "/pw.txt holds no password\n"),
              std::string::npos)
        << err.Text();
}

// A line break would add a line of its own to the configuration: a title could move the home
// page, and only "ab" of the password "ab\ncd" would be checked.
TEST_F(CommandLineTest, LineBreaksInTheTitleOrThePasswordAreRefused) {
    const struct {
        std::vector<std::string> Args;
        const char* Environment;
        const char* Message;
    } cases[] = {
        {{"--title", "Nice\nhomepage=/x/zzz.html"}, nullptr, "A book title cannot hold"},
        {{"--title", "carriage\rreturn"}, nullptr, "A book title cannot hold"},
        {{"--password", "ab\ncd"}, nullptr, "A password cannot hold"},
        {{}, "ab\ncd", "A password cannot hold"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Message);
        environment.erase("FOLIO_PASSWORD");
        if (c.Environment) {
            environment["FOLIO_PASSWORD"] = c.Environment;
        }
        const size_t before = err.Text().size();
        EXPECT_EQ(Build(c.Args), kExitFailed);
        EXPECT_EQ(err.Text().substr(before).rfind(std::string("foliobuilder: ") + c.Message, 0), 0u)
            << err.Text().substr(before);
        EXPECT_FALSE(FileExists(tmp.Path() + "/book"));
    }
}

TEST_F(CommandLineTest, ListAndExtractCheckThePasswordAndServeTheFilesFlat) {
    const std::string book = tmp.Path() + "/book";
    ASSERT_EQ(Run({"build", tmp.Path() + "/site", "--home", "index.html", "--password", "pw", "-o",
                   book}),
              kExitOk);
    environment["FOLIO_PASSWORD"] = "wrong";
    EXPECT_EQ(Run({"list", book}), kExitFailed);
    // The reader's message, with the builder's name in front.
    EXPECT_EQ(err.Text(), "foliobuilder: Wrong password.\n");

    environment["FOLIO_PASSWORD"] = "pw";
    const size_t before = out.Text().size();
    ASSERT_EQ(Run({"list", book}), kExitOk);
    const std::string listing = out.Text().substr(before);
    for (const char* name : {"index.html", "guide.htm", "style.css", "folioauthor.html"}) {
        EXPECT_NE(listing.find(name), std::string::npos) << name;
    }
    ASSERT_EQ(Run({"extract", book, tmp.Path() + "/x"}), kExitOk);
    EXPECT_EQ(ReadFile(tmp.Path() + "/x/guide.htm"), "<p>guide</p>");
    EXPECT_EQ(ReadFile(tmp.Path() + "/x/style.css"), "body { color: red }");
}

TEST_F(CommandLineTest, ListingSomethingThatIsNoBookFails) {
    EXPECT_EQ(Run({"list", tmp.Path() + "/bin/Folio3.bin"}), kExitFailed);
    EXPECT_NE(err.Text().find("is not a site book"), std::string::npos);
    EXPECT_EQ(Run({"list", tmp.Path() + "/missing"}), kExitFailed);
}

TEST_F(CommandLineTest, EveryCommandAnswersHelpOnStandardOutput) {
    for (const std::string command : {"build", "list", "extract", "render"}) {
        SCOPED_TRACE(command);
        const size_t before = out.Text().size();
        // Other arguments do not matter: list does not go looking for a book named --help.
        EXPECT_EQ(Run({command, "some-argument", "--help"}), kExitOk);
        const std::string help = out.Text().substr(before);
        EXPECT_EQ(help.rfind("Usage: foliobuilder " + command + " ", 0), 0u) << help;
        EXPECT_NE(help.find("-h, --help"), std::string::npos) << help;
    }
    EXPECT_TRUE(err.Text().empty()) << err.Text();
    EXPECT_NE(out.Text().find("--level fastest|normal|max"), std::string::npos);
}

TEST_F(CommandLineTest, AnUnknownOptionNamesItselfAndPointsAtTheHelp) {
    EXPECT_EQ(Build({"--bogus"}), kExitUsage);
    EXPECT_EQ(Run({"list", "--bogus=1", "book"}), kExitUsage);
    EXPECT_EQ(Run({"--bogus"}), kExitUsage);
    EXPECT_EQ(err.Text(), "foliobuilder: unknown option --bogus\n"
                          "Try 'foliobuilder build --help' for more.\n"
                          "foliobuilder: unknown option --bogus\n"
                          "Try 'foliobuilder list --help' for more.\n"
                          "foliobuilder: unknown option --bogus\n"
                          "Try 'foliobuilder --help' for more.\n");
}

TEST_F(CommandLineTest, DoubleDashEndsTheOptionsSoNamesMayStartWithADash) {
    const auto cwd = std::filesystem::current_path();
    std::filesystem::current_path(tmp.Path());
    WriteFile(tmp.Path() + "/-site/index.html", "<p>dashed</p>");
    const int built = Run({"build", "--home", "index.html", "-o", "book", "--", "-site"});
    const int listed = Run({"list", "--", "-book"});
    const int extracted = Run({"extract", "book", "--", "-out"});
    std::filesystem::current_path(cwd);
    EXPECT_EQ(built, kExitOk) << err.Text();
    EXPECT_EQ(listed, kExitFailed); // no such book, but it was looked for
    EXPECT_NE(err.Text().find("-book"), std::string::npos);
    EXPECT_EQ(extracted, kExitOk) << err.Text();
    EXPECT_EQ(ReadFile(tmp.Path() + "/-out/index.html"), "<p>dashed</p>");
}

TEST_F(CommandLineTest, LevelChoosesHowHardTheBuildCompressesFastestByDefault) {
    // Text that the higher levels pack tighter.
    std::string text;
    for (uint32_t i = 0, x = 1; i < 40000; ++i) {
        x = x * 1103515245 + 12345;
        text += "word" + std::to_string((x >> 16) % 500) + " ";
    }
    WriteFile(tmp.Path() + "/site/long.txt", text);
    std::map<std::string, int64_t> sizes;
    for (const std::string level : {"", "fastest", "normal", "max"}) {
        ASSERT_EQ(Build(level.empty() ? std::vector<std::string>{"--force"}
                                      : std::vector<std::string>{"--force", "--level", level}),
                  kExitOk)
            << err.Text();
        sizes[level] = FileSizeOf(tmp.Path() + "/book");
        TSiteBook opened(tmp.Path() + "/book");
        EXPECT_EQ(opened.Archive().ExtractToString(opened.Find("long.txt")), text);
    }
    EXPECT_EQ(sizes[""], sizes["fastest"]);
    EXPECT_LT(sizes["normal"], sizes["fastest"]);
    EXPECT_LE(sizes["max"], sizes["normal"]);
    EXPECT_EQ(Build({"--force", "--level", "best"}), kExitUsage);
    EXPECT_NE(err.Text().find("option --level must be one of fastest|normal|max, not \"best\""),
              std::string::npos);
}

TEST_F(CommandLineTest, ANamedPipeIsNeverTheHomePage) {
    ASSERT_EQ(::mkfifo((tmp.Path() + "/site/pipe.html").c_str(), 0600), 0);
    EXPECT_EQ(Build({}, "pipe.html"), kExitFailed);
    EXPECT_NE(err.Text().find("pipe.html is not among the files collected"), std::string::npos)
        << err.Text();
    EXPECT_FALSE(FileExists(tmp.Path() + "/book"));
}

// A backslash is an ordinary character of a file name, and the chosen home page keeps its name
// whatever else shares it: the book opens at it, and extracting gives it back, with every file
// under its own whole name.
TEST_F(CommandLineTest, TheChosenHomePageWinsItsNameAndABackslashNeverSeparates) {
    const std::string site = tmp.Path() + "/site/";
    WriteFile(site + "zz\\index.html", "<p>impostor</p>");
    WriteFile(site + "back\\slash.html", "<p>back</p>");
    WriteFile(site + "slash.html", "<p>slash</p>");
    WriteFile(site + "sub/index.html", "<p>sub</p>");
    WriteFile(site + "sub/INDEX.html", "<p>sub capitals</p>");
    // Home at the top, then home in the subfolder: whichever the walk meets last, the chosen
    // page is the one served.
    const std::pair<const char*, const char*> homes[] = {{"index.html", "<p>home</p>"},
                                                         {"sub/index.html", "<p>sub</p>"}};
    for (const auto& [home, content] : homes) {
        SCOPED_TRACE(home);
        const size_t before = err.Text().size();
        ASSERT_EQ(Build({"--force", "--verbose"}, home), kExitOk) << err.Text();
        const std::string warning = err.Text().substr(before);
        const std::string chosen = site + home;
        for (const char* other : {"index.html", "sub/index.html", "sub/INDEX.html"}) {
            if (site + other != chosen) {
                EXPECT_NE(warning.find(site + other), std::string::npos) << warning;
            }
        }
        EXPECT_NE(warning.find("shadowed by " + chosen), std::string::npos) << warning;
        EXPECT_EQ(warning.find("slash"), std::string::npos) << warning;

        TSiteBook book(tmp.Path() + "/book");
        EXPECT_EQ(book.HomePageName(), "index.html");
        ASSERT_GE(book.Find("index.html"), 0);
        EXPECT_EQ(book.Archive().ExtractToString(book.Find("index.html")), content);
        ASSERT_GE(book.Find("zz\\index.html"), 0);
        EXPECT_EQ(book.Archive().ExtractToString(book.Find("zz\\index.html")), "<p>impostor</p>");
        ASSERT_GE(book.Find("back\\slash.html"), 0);
        EXPECT_EQ(book.Archive().ExtractToString(book.Find("back\\slash.html")), "<p>back</p>");
        EXPECT_EQ(book.Archive().ExtractToString(book.Find("slash.html")), "<p>slash</p>");
        // A link may name the file with its backslash, or use backslashes as separators.
        TBookPageSource pages(book);
        EXPECT_EQ(pages.Find("zz\\index.html"), book.Find("zz\\index.html"));
        EXPECT_EQ(pages.Find("zz%5Cindex.html"), book.Find("zz\\index.html"));
        EXPECT_EQ(pages.Find("other\\dir\\index.html"), book.Find("index.html"));

        const std::string dir = tmp.Path() + "/out-" + std::to_string(before);
        ASSERT_EQ(Run({"extract", tmp.Path() + "/book", dir}), kExitOk) << err.Text();
        EXPECT_EQ(ReadFile(dir + "/index.html"), content);
        EXPECT_EQ(ReadFile(dir + "/zz\\index.html"), "<p>impostor</p>");
        EXPECT_EQ(ReadFile(dir + "/back\\slash.html"), "<p>back</p>");
        EXPECT_EQ(ReadFile(dir + "/slash.html"), "<p>slash</p>");
    }
}

// Nothing is skipped or brought in from outside without a word: the summary names the first
// few, --verbose all of them, and the book holds none of the special files.
TEST_F(CommandLineTest, TheBuildNamesWhatItSkipsAndWhatLinksBringFromOutside) {
    const std::string site = tmp.Path() + "/site/";
    WriteFile(tmp.Sub("private/secret.txt"), "secret");
    ASSERT_EQ(::mkfifo((site + "pipe.html").c_str(), 0600), 0);
    ASSERT_EQ(::symlink("/dev/null", (site + "null.gif").c_str()), 0);
    ASSERT_EQ(::symlink((site + "self.html").c_str(), (site + "self.html").c_str()), 0);
    ASSERT_EQ(::symlink(tmp.Sub("private/secret.txt").c_str(), (site + "notes.txt").c_str()), 0);
    for (int i = 0; i < 4; ++i) {
        const std::string link = site + "gone" + std::to_string(i) + ".html";
        ASSERT_EQ(::symlink((site + "nowhere").c_str(), link.c_str()), 0);
    }
    ASSERT_EQ(Build({}), kExitOk) << err.Text();
    const std::string brief = err.Text();
    EXPECT_NE(brief.find("warning: 7 entries were skipped"), std::string::npos) << brief;
    EXPECT_NE(brief.find("\n  and 2 more (--verbose lists them all)\n"), std::string::npos)
        << brief;
    EXPECT_NE(brief.find("1 file comes from outside the chosen folder through a link"),
              std::string::npos);
    EXPECT_NE(brief.find(site + "notes.txt -> " + RealPath(tmp.Sub("private/secret.txt"))),
              std::string::npos)
        << brief;

    ASSERT_EQ(Build({"--force", "--verbose"}), kExitOk) << err.Text();
    const std::string full = err.Text().substr(brief.size());
    for (const std::string& skipped :
         {site + "pipe.html: a named pipe", site + "null.gif: a link to a device",
          site + "self.html: a link that leads back to itself",
          site + "gone3.html: a dangling link"}) {
        EXPECT_NE(full.find(skipped), std::string::npos) << skipped << "\n" << full;
    }
    EXPECT_EQ(full.find("\n  and "), std::string::npos) << full;

    TSiteBook book(tmp.Path() + "/book");
    EXPECT_LT(book.Find("pipe.html"), 0);
    EXPECT_LT(book.Find("null.gif"), 0);
    EXPECT_EQ(book.Archive().ExtractToString(book.Find("notes.txt")), "secret");
}

TEST_F(CommandLineTest, NamesThatDifferOnlyInCapitalsAreWarnedAbout) {
    WriteFile(tmp.Path() + "/site/Index.html", "<p>two</p>");
    WriteFile(tmp.Path() + "/site/INDEX.HTML", "<p>three</p>");
    ASSERT_EQ(Build({}), kExitOk) << err.Text();
    const std::string site = tmp.Path() + "/site/";
    for (const char* name : {"index.html", "Index.html", "INDEX.HTML"}) {
        EXPECT_NE(err.Text().find(site + name), std::string::npos) << name << err.Text();
    }
    EXPECT_EQ(err.Text().rfind("foliobuilder: warning: 1 file name occurs more than once", 0), 0u)
        << err.Text();
}

TEST_F(CommandLineTest, ManyClashingNamesAreCountedAndListedInFullOnlyWhenVerbose) {
    for (int i = 0; i < 8; ++i) {
        const std::string name = "/page" + std::to_string(i) + ".html";
        WriteFile(tmp.Path() + "/site/copy1" + name, "1");
        WriteFile(tmp.Path() + "/site/copy2" + name, "2");
    }
    ASSERT_EQ(Build({}), kExitOk) << err.Text();
    const std::string brief = err.Text();
    EXPECT_NE(brief.find("8 file names occur more than once"), std::string::npos) << brief;
    EXPECT_NE(brief.find("\n  and 3 more (--verbose lists them all)\n"), std::string::npos)
        << brief;
    EXPECT_EQ(std::count(brief.begin(), brief.end(), '\n'), 7); // the head, 5 groups, the rest

    ASSERT_EQ(Build({"--force", "--verbose"}), kExitOk);
    const std::string full = err.Text().substr(brief.size());
    EXPECT_EQ(std::count(full.begin(), full.end(), '\n'), 9) << full;
    EXPECT_EQ(full.find("\n  and "), std::string::npos);
}

TEST_F(CommandLineTest, ControlCharactersInNamesNeverReachTheTerminalRaw) {
    WriteFile(tmp.Path() + "/site/red\x1b[31m.html", "<p>esc</p>");
    WriteFile(tmp.Path() + "/site/two\nlines.htm", "<p>newline</p>");
    ASSERT_EQ(Build({}), kExitOk) << err.Text();
    const size_t before = out.Text().size();
    ASSERT_EQ(Run({"list", tmp.Path() + "/book"}), kExitOk);
    const std::string listing = out.Text().substr(before);
    EXPECT_EQ(listing.find('\x1b'), std::string::npos);
    EXPECT_NE(listing.find("  red\\x1b[31m.html\n"), std::string::npos) << listing;
    EXPECT_NE(listing.find("  two\\nlines.htm\n"), std::string::npos) << listing;
}

TEST(ProgressBar, ShowsTheBarThePercentageAndTheFileName) {
    EXPECT_EQ(TProgressBar::Line("/a/b/page.html", 50, 80),
              "[###############...............]  50% page.html");
    EXPECT_EQ(TProgressBar::Line("", 0, 80), "[..............................]   0% ");
    EXPECT_EQ(TProgressBar::Line("x", 140, 80).substr(0, 38),
              "[##############################] 100% ");
    // A name too long for the line keeps its end.
    EXPECT_EQ(TProgressBar::Line("/p/abcdefghij.html", 0, 44),
              "[..............................]   0% .html");
    // Control characters are shown escaped.
    EXPECT_EQ(TProgressBar::Line("/p/a\x1b[2J\n.html", 10, 80),
              "[###...........................]  10% a\\x1b[2J\\n.html");
}

} // namespace
