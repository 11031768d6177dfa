// The reader's services without its window: pages served from the archive, background sounds
// through a recording player, the remembered state per book, and the window icon.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "bookreader/background_sound.h"
#include "bookreader/book_page_source.h"
#include "bookreader/reader_state.h"
#include "html/image/ico_reader.h"
#include "html/view/frame_viewer.h"
#include "platform/gui/application.h"
#include "tests/bookreader/archive_builder.h"
#include "tests/support/files.h"
#include "tests/support/fonts_env.h"
#include "tests/support/temp_dir.h"

namespace {

using folio_test::ReadFile;
using folio_test::TempDir;
using folio_test::WriteFile;

bool Exists(const std::string& path) {
    struct stat st {};
    return !path.empty() && ::lstat(path.c_str(), &st) == 0;
}

unsigned ModeOf(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0 ? st.st_mode & 07777 : 0;
}

// ---- links and names ----

TEST(ReaderLinks, OutsideLinksAreTheWebAndMailSchemes) {
    const std::pair<const char*, bool> cases[] = {
        {"http://example.org/", true},
        {"HTTPS://example.org/", true},
        {"  ftp://files/x", true},
        {"mailto:a@b.c", true},
        {"News:comp.lang", true},
        {"page.html", false},
        {"file:///x/page.html", false},
        {"#top", false},
        {"javascript:alert(1)", false},
        {"httpx://x", false},
        {"", false},
        {"http", false},
    };
    for (const auto& [url, outside] : cases) {
        EXPECT_EQ(IsOutsideLink(url), outside) << url;
    }
}

TEST(ReaderLinks, RequestsComeDownToTheFileName) {
    const std::pair<const char*, const char*> cases[] = {
        {"page.html", "page.html"},
        {"../pics/Logo.GIF", "Logo.GIF"},
        {"/home/me/book/sub/page.html#top", "page.html"},
        {"page.html?x=1#y", "page.html"},
        {"file:///srv/site/a%20b.htm", "a b.htm"},
        {"FILE:page.htm", "page.htm"},
        {"dir\\sub\\win.html", "win.html"},
        {"#anchor", ""},
        {"", ""},
        {"folder/", ""},
        {"..", ""},
        {" spaced.html ", "spaced.html"},
    };
    for (const auto& [url, name] : cases) {
        EXPECT_EQ(RequestedMemberName(url), name) << url;
    }
}

// ---- a book on disk ----

class BookTest : public ::testing::Test {
protected:
    // Writes a book of the given archive and opens it.
    void Open(const TArchiveBytes& archive) {
        path = dir / "book";
        WriteFile(path, archive.Book(std::string(64, 'T')));
        book = std::make_unique<TSiteBook>(path);
    }
    static TArchiveBytes Standard() {
        TArchiveBytes a;
        a.Member("/site/index.html", "<title>Home</title><img src=\"pics/logo.gif\">")
            .Member("/site/sub/Second.HTML", "<title>Second</title>")
            .Member("/site/style.css", "p { color: red }")
            .Member("/site/pics/logo.gif", "GIF89a-not-really")
            .Member("/site/tune.wav", "RIFF....WAVEfmt sound bytes")
            .Member("/site/song.mid", "MThd midi")
            .Member("/site/notes.txt", "plain")
            .Member(TSiteBook::kConfigName, ConfigText("/site/index.html", "secret"))
            .End();
        return a;
    }
    TempDir dir;
    std::string path;
    std::unique_ptr<TSiteBook> book;
};

TEST_F(BookTest, ServesMembersByNameFromAnyPath) {
    Open(Standard());
    TBookPageSource source(*book);
    const std::pair<const char*, const char*> cases[] = {
        {"index.html", "<title>Home</title>"},
        {"/anywhere/SECOND.html#part", "<title>Second</title>"},
        {"../../style.css?v=2", "p { color: red }"},
        {"file:///x/pics/LOGO.gif", "GIF89a-not-really"},
    };
    for (const auto& [url, start] : cases) {
        const auto bytes = source.Fetch(url);
        ASSERT_TRUE(bytes) << url;
        EXPECT_EQ(bytes->rfind(start, 0), 0u) << url << ": " << *bytes;
    }
    EXPECT_FALSE(source.Fetch("missing.html"));
    EXPECT_FALSE(source.Fetch("#top"));
}

TEST_F(BookTest, NeverServesTheConfigurationWithItsPassword) {
    Open(Standard());
    TBookPageSource source(*book);
    EXPECT_EQ(source.Find(TSiteBook::kConfigName), -1);
    EXPECT_EQ(source.Find("../FolioAuthor.HTML"), -1);
    TMemoryStream* stream = nullptr;
    EXPECT_THROW(source.StreamRequest(nullptr, "folioauthor.html", stream), EInOutError);
}

TEST_F(BookTest, AMissingPageRaisesTheViewersOwnMessage) {
    Open(Standard());
    TBookPageSource source(*book);
    TMemoryStream* stream = nullptr;
    try {
        source.StreamRequest(nullptr, "/book/gone.html", stream);
        FAIL() << "no error";
    } catch (const EInOutError& e) {
        EXPECT_EQ(std::string(e.what()), "Can't locate file: /book/gone.html");
    }
    EXPECT_EQ(stream, nullptr);
    source.ImageRequest(nullptr, "gone.gif", stream);
    EXPECT_EQ(stream, nullptr);
    source.ImageRequest(nullptr, "pics/logo.gif", stream);
    ASSERT_NE(stream, nullptr);
    EXPECT_EQ(stream->DataString(), "GIF89a-not-really");
    EXPECT_EQ(stream->Position(), 0);
}

TEST_F(BookTest, ADamagedMemberIsAnErrorForPagesAndABrokenPicture) {
    TArchiveBytes a;
    a.Member("/s/index.html", "<p>ok</p>");
    // A compressed block whose bytes are no deflate stream.
    a.Int(10).Raw("/s/bad.gif").Int(-1).Raw(std::string("EC2\0", 4)).Int(6).Raw("\xff\xfe\xfd!!!");
    a.Int(0);
    a.Member(TSiteBook::kConfigName, ConfigText("/s/index.html")).End();
    Open(a);
    TBookPageSource source(*book);
    ASSERT_GE(source.Find("bad.gif"), 0);
    EXPECT_THROW(source.Fetch("bad.gif"), EArchiveError);
    TMemoryStream* stream = nullptr;
    source.ImageRequest(nullptr, "bad.gif", stream);
    EXPECT_EQ(stream, nullptr);
    EXPECT_EQ(*source.Fetch("index.html"), "<p>ok</p>");
}

TEST_F(BookTest, TheCacheKeepsRecentMembersWithinItsBound) {
    TArchiveBytes a;
    a.Member("/s/a.html", std::string(400, 'a'))
        .Member("/s/b.html", std::string(400, 'b'))
        .Member("/s/c.html", std::string(400, 'c'))
        .Member("/s/big.html", std::string(2000, 'g'))
        .Member(TSiteBook::kConfigName, ConfigText("/s/a.html"))
        .End();
    Open(a);
    TBookPageSource source(*book, 1000);
    // Each step: the member asked for, then the hits and misses so far.
    const std::tuple<const char*, int, int> steps[] = {
        {"a.html", 0, 1},   {"b.html", 0, 2},   {"a.html", 1, 2}, // a is now the most recent
        {"c.html", 1, 3},                                         // b goes: 1200 > 1000
        {"a.html", 2, 3},   {"b.html", 2, 4},                     // b came back, c went
        {"big.html", 2, 5}, {"big.html", 2, 6},                   // larger than the cache: not kept
        {"a.html", 3, 6},
    };
    for (const auto& [name, hits, misses] : steps) {
        const auto bytes = source.Fetch(name);
        ASSERT_TRUE(bytes) << name;
        EXPECT_EQ(source.Hits(), hits) << name;
        EXPECT_EQ(source.Misses(), misses) << name;
        EXPECT_LE(source.CachedBytes(), source.CacheLimit());
    }
    EXPECT_EQ(source.CachedBytes(), 800u);
}

TEST_F(BookTest, AFrameViewerReadsPagesSheetsAndPicturesFromTheBook) {
    TArchiveBytes a;
    a.Member("/s/index.html", "<html><head><title>Framed</title></head>"
                              "<frameset cols=\"50%,50%\"><frame name=\"l\" src=\"left.html\">"
                              "<frame name=\"r\" src=\"sub/right.html\"></frameset></html>")
        .Member("/s/left.html", "<html><head><title>Left</title>"
                                "<link rel=\"stylesheet\" href=\"look.css\"></head>"
                                "<body><img src=\"../dot.gif\">left</body></html>")
        .Member("/s/sub/right.html", "<title>Right</title>right")
        .Member("/s/look.css", "body { color: green }")
        .Member("/s/dot.gif", "GIF89a")
        .Member("/s/holes.html", "<frameset rows=\"50%,50%\"><frame name=\"l\" src=\"left.html\">"
                                 "<frame name=\"g\" src=\"gone.html\"></frameset>")
        .Member(TSiteBook::kConfigName, ConfigText("/s/index.html"))
        .End();
    Open(a);
    TBookPageSource source(*book);
    {
        TFrameViewer viewer;
        viewer.SetBounds(0, 0, 600, 400);
        source.Attach(viewer);
        viewer.Load("index.html");
        EXPECT_EQ(viewer.DocumentTitle(), "Framed");
        ASSERT_NE(viewer.FrameByName("l"), nullptr);
        ASSERT_NE(viewer.FrameByName("r"), nullptr);
        EXPECT_EQ(viewer.FrameByName("l")->HtmlViewer()->DocumentTitle(), "Left");
        EXPECT_EQ(viewer.FrameByName("r")->HtmlViewer()->DocumentTitle(), "Right");
        // Every member was asked for once: the frame set, two pages, the sheet, the picture.
        EXPECT_EQ(source.Misses(), 5);
        EXPECT_THROW(viewer.Load("nowhere.html"), EInOutError);
        EXPECT_EQ(viewer.DocumentTitle(), "Framed"); // the shown set stays
        // A frame whose page the book lacks shows the viewer's message; the others their pages.
        ASSERT_NO_THROW(viewer.Load("holes.html"));
        ASSERT_NE(viewer.FrameByName("g"), nullptr);
        EXPECT_EQ(viewer.FrameByName("g")->LoadError, "Can't locate file: gone.html");
        EXPECT_EQ(viewer.FrameByName("l")->HtmlViewer()->DocumentTitle(), "Left");
    }
    Application().ProcessMessages();
}

// ---- background sound ----

// A player that records each start ("<file> <its bytes>") in a log and then plays for
// FAKE_PLAY_MS milliseconds, or fails when FAKE_PLAY_FAIL is set.
class SoundTest : public BookTest {
protected:
    void SetUp() override {
        player = dir / "player.sh";
        log = dir / "plays.log";
        WriteFile(player, "#!/bin/sh\n"
                          "echo $$ > '" +
                              log + ".pid'\n" + "printf '%s %s\\n' \"$1\" \"$(cat \"$1\")\" >> '" +
                              log + "'\n" +
                              "[ -n \"$FAKE_PLAY_FAIL\" ] && exit 3\n"
                              "exec sleep \"${FAKE_PLAY_SECONDS:-0.3}\"\n");
        ::chmod(player.c_str(), 0700);
        ::setenv("FOLIO3_SOUND_PLAYER", player.c_str(), 1);
        const char* tmp = std::getenv("TMPDIR");
        savedTmp = tmp ? tmp : "";
        ::setenv("TMPDIR", dir.Path().c_str(), 1);
        ::unsetenv("XDG_RUNTIME_DIR");
        ::unsetenv("FAKE_PLAY_FAIL");
        ::setenv("FAKE_PLAY_SECONDS", "0.3", 1);
        Open(Standard());
        source = std::make_unique<TBookPageSource>(*book);
    }
    void TearDown() override {
        ::unsetenv("FOLIO3_SOUND_PLAYER");
        ::unsetenv("FAKE_PLAY_FAIL");
        ::unsetenv("FAKE_PLAY_SECONDS");
        if (savedTmp.empty())
            ::unsetenv("TMPDIR");
        else
            ::setenv("TMPDIR", savedTmp.c_str(), 1);
        Application().ProcessMessages();
    }
    std::vector<std::string> Plays() const {
        std::vector<std::string> lines;
        std::istringstream in(Exists(log) ? ReadFile(log) : std::string());
        for (std::string line; std::getline(in, line);) {
            lines.push_back(line);
        }
        return lines;
    }
    // The player that started last (it notes its process id before it logs its start).
    pid_t LastPlayer() const { return static_cast<pid_t>(std::stol(ReadFile(log + ".pid"))); }
    // Whether a player is still alive (a stopped one is reaped too, so no zombie answers).
    static bool Alive(pid_t pid) { return pid > 0 && ::kill(pid, 0) == 0; }
    // Polls until the sound has stopped, for at most seconds.
    static bool WaitForEnd(TBackgroundSound& sound, double seconds) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
        while (sound.Playing() && std::chrono::steady_clock::now() < end) {
            sound.Poll();
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return !sound.Playing();
    }
    // Waits until the log shows count starts (the player writes it as it starts).
    bool WaitForPlays(TBackgroundSound& sound, size_t count) {
        for (int i = 0; i < 300 && Plays().size() < count; ++i) {
            sound.Poll();
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return Plays().size() >= count;
    }
    std::string player, log, savedTmp;
    std::unique_ptr<TBookPageSource> source;
};

TEST(SoundKinds, MimeTypesByExtension) {
    const std::pair<const char*, const char*> cases[] = {
        {"a.wav", "audio/x-wav"},
        {"B.WAV", "audio/x-wav"},
        {"c.mid", "audio/midi"},
        {"d.midi", "audio/midi"},
        {"e.mp3", "audio/mpeg"},
        {"f.ogg", ""},
        {"wav", ""},
        {"g.wav.txt", ""},
    };
    for (const auto& [name, mime] : cases) {
        EXPECT_EQ(SoundMimeType(name), mime) << name;
    }
}

TEST(SoundKinds, DesktopExecLinesBecomeCommands) {
    using V = std::vector<std::string>;
    const std::pair<const char*, V> cases[] = {
        {"vlc --started-from-file %U", {"vlc", "--started-from-file", "%f"}},
        {"\"/opt/My Player/play\" --quiet %f", {"/opt/My Player/play", "--quiet", "%f"}},
        {"mpv", {"mpv", "%f"}},
        {"rhythmbox-client --play-uri=%u", {"rhythmbox-client", "--play-uri=%f"}},
        {"totem %i %c %k %F", {"totem", "%f"}},
        {"player \"a \\\"quoted\\\" arg\" %f", {"player", "a \"quoted\" arg", "%f"}},
        {"\"unclosed %f", {}},
        {"", {}},
        {"%f", {}},
    };
    for (const auto& [exec, command] : cases) {
        EXPECT_EQ(PlayerFromExecLine(exec).Command, command) << exec;
    }
}

TEST_F(SoundTest, TheVariableNamesThePlayer) {
    EXPECT_EQ(FindSoundPlayer("audio/mpeg").Command, (std::vector<std::string>{player, "%f"}));
}

// The desktop's choice through xdg-mime and the desktop entry it names; a choice whose program
// is missing falls back to a common player on PATH.
TEST_F(SoundTest, TheDesktopsDefaultPlayerThenACommonOne) {
    const std::string bin = dir / "bin";
    std::filesystem::create_directories(bin);
    auto script = [&](const std::string& name, const std::string& body) {
        WriteFile(bin + "/" + name, "#!/bin/sh\n" + body + "\n");
        ::chmod((bin + "/" + name).c_str(), 0700);
    };
    script("xdg-mime", "[ \"$3\" = audio/x-wav ] && echo tuner.desktop || echo gone.desktop");
    script("tuner", "exit 0");
    script("mpg123", "exit 0");
    WriteFile(dir / "data/applications/tuner.desktop",
              "[Desktop Entry]\nName=Tuner\nExec=tuner --play %U\n[Desktop Action x]\nExec=no\n");
    WriteFile(dir / "data/applications/gone.desktop", "[Desktop Entry]\nExec=/nowhere/gone %f\n");
    const char* path = std::getenv("PATH");
    const std::string savedPath = path ? path : "";
    ::setenv("PATH", bin.c_str(), 1);
    ::setenv("XDG_DATA_HOME", (dir / "data").c_str(), 1);
    ::unsetenv("FOLIO3_SOUND_PLAYER");
    using V = std::vector<std::string>;
    EXPECT_EQ(FindSoundPlayer("audio/x-wav").Command, (V{"tuner", "--play", "%f"}));
    EXPECT_EQ(FindSoundPlayer("audio/mpeg").Command, (V{"mpg123", "-q", "%f"}));
    EXPECT_TRUE(FindSoundPlayer("audio/midi").Empty());
    ::setenv("PATH", savedPath.c_str(), 1);
    ::unsetenv("XDG_DATA_HOME");
}

TEST_F(SoundTest, PlaysAPrivateCopyAndRemovesItWhenStopped) {
    TBackgroundSound sound(*source);
    ASSERT_TRUE(sound.Play("../music/TUNE.wav", 1));
    const std::string file = sound.TempFile();
    ASSERT_TRUE(Exists(file));
    EXPECT_EQ(file.rfind(dir.Path() + "/folio3-sound-", 0), 0u) << file;
    EXPECT_EQ(file.substr(file.size() - 4), ".wav");
    EXPECT_EQ(ModeOf(file), 0600u);
    const std::string folder = std::filesystem::path(file).parent_path();
    EXPECT_EQ(ModeOf(folder), 0700u);
    ASSERT_TRUE(WaitForPlays(sound, 1));
    EXPECT_EQ(Plays(), std::vector<std::string>{file + " RIFF....WAVEfmt sound bytes"});
    sound.SoundRequest(nullptr, "", 1, true); // a new page stops it
    EXPECT_FALSE(sound.Playing());
    EXPECT_FALSE(Exists(file));
    EXPECT_FALSE(Exists(folder));
}

TEST_F(SoundTest, LoopCountsPlayThatManyTimesThenTheFileGoes) {
    ::setenv("FAKE_PLAY_SECONDS", "0.2", 1);
    TBackgroundSound sound(*source);
    ASSERT_TRUE(sound.Play("tune.wav", 3));
    const std::string file = sound.TempFile();
    ASSERT_TRUE(WaitForEnd(sound, 10));
    EXPECT_EQ(sound.Plays(), 3);
    EXPECT_EQ(Plays().size(), 3u);
    EXPECT_FALSE(Exists(file));
}

TEST_F(SoundTest, MinusOneAndZeroLoopForEver) {
    ::setenv("FAKE_PLAY_SECONDS", "0.2", 1);
    for (int loop : {-1, 0}) {
        TBackgroundSound sound(*source);
        const size_t before = Plays().size();
        ASSERT_TRUE(sound.Play("song.mid", loop));
        EXPECT_EQ(sound.TempFile().substr(sound.TempFile().size() - 4), ".mid");
        ASSERT_TRUE(WaitForPlays(sound, before + 4)) << loop;
        EXPECT_TRUE(sound.Playing()) << loop;
        const std::string file = sound.TempFile();
        sound.Stop();
        EXPECT_FALSE(Exists(file));
    }
}

TEST_F(SoundTest, ANewSoundReplacesTheOldOne) {
    ::setenv("FAKE_PLAY_SECONDS", "30", 1);
    TBackgroundSound sound(*source);
    ASSERT_TRUE(sound.Play("tune.wav", 1));
    const std::string first = sound.TempFile();
    ASSERT_TRUE(WaitForPlays(sound, 1));
    const pid_t firstPlayer = LastPlayer();
    ASSERT_TRUE(Alive(firstPlayer));
    ASSERT_TRUE(sound.Play("song.mid", 1));
    EXPECT_FALSE(Alive(firstPlayer));
    EXPECT_FALSE(Exists(first));
    EXPECT_TRUE(Exists(sound.TempFile()));
    EXPECT_NE(sound.TempFile(), first);
}

TEST_F(SoundTest, TheDestructorStopsThePlayerAndRemovesTheFile) {
    ::setenv("FAKE_PLAY_SECONDS", "30", 1);
    std::string file;
    pid_t playerPid = -1;
    {
        TBackgroundSound sound(*source);
        ASSERT_TRUE(sound.Play("tune.wav", -1));
        file = sound.TempFile();
        ASSERT_TRUE(WaitForPlays(sound, 1));
        playerPid = LastPlayer();
        ASSERT_TRUE(Alive(playerPid));
    }
    EXPECT_FALSE(Alive(playerPid));
    EXPECT_FALSE(Exists(file));
    EXPECT_FALSE(Exists(std::filesystem::path(file).parent_path()));
}

TEST_F(SoundTest, ANormalExitRemovesTheFile) {
    ::setenv("FAKE_PLAY_SECONDS", "30", 1);
    const std::string note = dir / "file.txt";
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // Leaks the sound on purpose: exit() skips its destructor.
        auto* sound = new TBackgroundSound(*source);
        if (!sound->Play("tune.wav", -1))
            ::_exit(9);
        WriteFile(note, sound->TempFile());
        for (int i = 0; i < 300 && Plays().empty(); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        std::exit(0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    ASSERT_EQ(WEXITSTATUS(status), 0);
    const std::string file = ReadFile(note);
    ASSERT_FALSE(file.empty());
    EXPECT_FALSE(Exists(file));
}

TEST_F(SoundTest, NothingPlaysWithoutASoundOrAPlayer) {
    TBackgroundSound sound(*source);
    EXPECT_FALSE(sound.Play("missing.wav", 1));
    EXPECT_FALSE(sound.Play("notes.txt", 1)); // not a sound kind
    sound.FindPlayer = [](const std::string&) { return TSoundPlayer{}; };
    EXPECT_FALSE(sound.Play("tune.wav", 1));
    sound.FindPlayer = [](const std::string&) {
        return TSoundPlayer{{"/nonexistent/player", "%f"}};
    };
    EXPECT_FALSE(sound.Play("tune.wav", 1));
    EXPECT_FALSE(sound.Playing());
    // No folder was left behind by any of them.
    for (const auto& e : std::filesystem::directory_iterator(dir.Path())) {
        EXPECT_EQ(e.path().filename().string().find("folio3-sound-"), std::string::npos);
    }
}

TEST_F(SoundTest, AFileHandedToARunningPlayerStaysUntilTheSoundStops) {
    ::setenv("FAKE_PLAY_SECONDS", "0", 1);
    TBackgroundSound sound(*source);
    sound.QuickEndMs = 60'000; // however slow the start, this player counts as quick
    ASSERT_TRUE(sound.Play("tune.wav", 1));
    const std::string file = sound.TempFile();
    ASSERT_TRUE(WaitForEnd(sound, 10));
    EXPECT_EQ(sound.Plays(), 1);
    EXPECT_TRUE(Exists(file));
    sound.Stop();
    EXPECT_FALSE(Exists(file));
}

TEST_F(SoundTest, AFailingPlayerEndsTheLoop) {
    ::setenv("FAKE_PLAY_FAIL", "1", 1);
    TBackgroundSound sound(*source);
    ASSERT_TRUE(sound.Play("tune.wav", -1));
    const std::string file = sound.TempFile();
    ASSERT_TRUE(WaitForEnd(sound, 10));
    EXPECT_EQ(sound.Plays(), 1);
    EXPECT_FALSE(Exists(file));
}

// ---- remembered state ----

class StateTest : public ::testing::Test {
protected:
    bool MakeDirs() { return std::filesystem::create_directories(dir / "state/folio3") || true; }
    TempDir dir;
    TReaderStateStore store{dir / "state/folio3"};
    const std::string key = "0123abcdef";
};

TEST_F(StateTest, WhatIsSavedReadsBack) {
    TReaderState s;
    s.LastPage = "chapter 2.html#Part-3";
    s.HasPlacement = true;
    s.Placement = {-20, 40, 900, 700, true};
    s.FontSize = 16;
    ASSERT_TRUE(store.Save(key, s));
    const TReaderState back = store.Load(key);
    EXPECT_EQ(back.LastPage, s.LastPage);
    ASSERT_TRUE(back.HasPlacement);
    EXPECT_EQ(back.Placement.Left, -20);
    EXPECT_EQ(back.Placement.Top, 40);
    EXPECT_EQ(back.Placement.Width, 900);
    EXPECT_EQ(back.Placement.Height, 700);
    EXPECT_TRUE(back.Placement.Maximized);
    EXPECT_EQ(back.FontSize, 16);
    EXPECT_EQ(ModeOf(store.FileFor(key)), 0600u);
    EXPECT_EQ(ModeOf(dir / "state/folio3"), 0700u);
    // Replaced through a rename: no temporary file stays beside it.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir / "state/folio3"),
                            std::filesystem::directory_iterator()),
              1);
    // Another book remembers nothing.
    EXPECT_TRUE(store.Load("feed").LastPage.empty());
}

TEST_F(StateTest, ValuesThatWouldNotReadBackAreLeftOut) {
    TReaderState s;
    s.LastPage = "evil.html\nfontsize=70";
    s.HasPlacement = true;
    s.Placement = {0, 0, 0, 500, false};
    s.FontSize = 500;
    ASSERT_TRUE(store.Save(key, s));
    EXPECT_EQ(ReadFile(store.FileFor(key)), "");
    const TReaderState back = store.Load(key);
    EXPECT_TRUE(back.LastPage.empty());
    EXPECT_FALSE(back.HasPlacement);
    EXPECT_EQ(back.FontSize, 0);
}

TEST_F(StateTest, HostileFilesReadSafely) {
    struct TCase {
        const char* text;
        const char* page;
        bool placement;
        int fontSize;
    };
    const TCase cases[] = {
        {"page=a.html\nplacement=1 2 300 400 0\nfontsize=14\n", "a.html", true, 14},
        {"page=a.html\r\nfontsize=14\r\n", "a.html", false, 14},
        {"page=first.html\npage=second.html\n", "first.html", false, 0},
        {"unknown=1\n=x\nno equals\npage=b.html", "b.html", false, 0},
        {"page=\x01"
         "ctl.html\n",
         "", false, 0},
        {"page=\n", "", false, 0},
        {"placement=1 2 300\n", "", false, 0},
        {"placement=1 2 300 400 0 9\n", "", false, 0},
        {"placement=1  2 300 400 0\n", "", false, 0},
        {"placement=1 2 -300 400 0\n", "", false, 0},
        {"placement=1 2 300 400 2\n", "", false, 0},
        {"placement=1 2 99999999999 400 0\n", "", false, 0},
        {"placement=1 2 300 400x 0\n", "", false, 0},
        {"fontsize=5\n", "", false, 0},
        {"fontsize=73\n", "", false, 0},
        {"fontsize=12pt\n", "", false, 0},
        {"fontsize=72\n", "", false, 72},
        {"", "", false, 0},
    };
    for (const TCase& c : cases) {
        ASSERT_TRUE(MakeDirs());
        WriteFile(store.FileFor(key), c.text);
        const TReaderState s = store.Load(key);
        EXPECT_EQ(s.LastPage, c.page) << c.text;
        EXPECT_EQ(s.HasPlacement, c.placement) << c.text;
        EXPECT_EQ(s.FontSize, c.fontSize) << c.text;
    }
    // Too long a page name, and a file too large to be ours.
    WriteFile(store.FileFor(key), "page=" + std::string(TReaderState::kMaxPageLength + 1, 'p'));
    EXPECT_TRUE(store.Load(key).LastPage.empty());
    WriteFile(store.FileFor(key),
              "page=a.html\n" + std::string(TReaderStateStore::kMaxFileBytes, '#'));
    EXPECT_TRUE(store.Load(key).LastPage.empty());
}

TEST_F(StateTest, NeitherAFifoNorALinkIsRead) {
    ASSERT_TRUE(MakeDirs());
    WriteFile(dir / "elsewhere", "page=linked.html\n");
    ASSERT_EQ(::symlink((dir / "elsewhere").c_str(), store.FileFor(key).c_str()), 0);
    EXPECT_TRUE(store.Load(key).LastPage.empty());
    // Saving replaces the link itself, never the file it points at.
    TReaderState s;
    s.LastPage = "mine.html";
    ASSERT_TRUE(store.Save(key, s));
    EXPECT_EQ(ReadFile(dir / "elsewhere"), "page=linked.html\n");
    EXPECT_EQ(store.Load(key).LastPage, "mine.html");

    ASSERT_EQ(::unlink(store.FileFor(key).c_str()), 0);
    ASSERT_EQ(::mkfifo(store.FileFor(key).c_str(), 0600), 0);
    EXPECT_TRUE(store.Load(key).LastPage.empty()); // returns at once: nobody writes the FIFO
}

TEST_F(StateTest, KeysAreHexadecimalNamesOnly) {
    EXPECT_EQ(store.FileFor("00ff"), dir / "state/folio3/00ff.state");
    for (const char* bad : {"", "../x", "a/b", "g00d", "a.state"}) {
        EXPECT_EQ(store.FileFor(bad), "") << bad;
        EXPECT_FALSE(store.Save(bad, TReaderState{})) << bad;
    }
    EXPECT_EQ(TReaderStateStore("").FileFor("00ff"), "");
}

TEST(StateDirectory, FollowsXdgStateHome) {
    const char* saved = std::getenv("XDG_STATE_HOME");
    const std::string keep = saved ? saved : "";
    ::setenv("XDG_STATE_HOME", "/x/state", 1);
    EXPECT_EQ(TReaderStateStore::DefaultDirectory(), "/x/state/folio3");
    ::unsetenv("XDG_STATE_HOME");
    const char* home = std::getenv("HOME");
    if (home && *home) {
        EXPECT_EQ(TReaderStateStore::DefaultDirectory(),
                  std::string(home) + "/.local/state/folio3");
    }
    if (saved) {
        ::setenv("XDG_STATE_HOME", keep.c_str(), 1);
    }
}

// ---- icons ----

std::string Fixture(const std::string& name) {
    const char* root = std::getenv("FOLIO_SOURCE_DIR");
    return ReadFile(std::string(root ? root : ".") + "/tests/data/bookreader/icons/" + name);
}

TIconImage ReadIcoText(const std::string& bytes, int preferred = 48) {
    return ReadIco(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), preferred);
}

// Red, green, blue, alpha of a pixel.
std::array<int, 4> Pixel(const TIconImage& image, int x, int y) {
    const uint8_t* p = image.Rgba.data() + (size_t(y) * size_t(image.Width) + size_t(x)) * 4;
    return {p[0], p[1], p[2], p[3]};
}

TEST(IcoReader, ChoosesTheEntryNearestTheWindowIconSize) {
    const std::string four = Fixture("four_sizes.ico");
    ASSERT_FALSE(four.empty());
    // preferred size, the side chosen
    const std::pair<int, int> cases[] = {{48, 48},  {32, 32}, {40, 32}, {64, 64},
                                         {100, 64}, {16, 16}, {24, 32}};
    for (const auto& [preferred, side] : cases) {
        EXPECT_EQ(ReadIcoText(four, preferred).Width, side) << preferred;
    }
    EXPECT_EQ(ReadIcoText(Fixture("png_and_24.ico")).Width, 20); // the PNG entry is skipped
    EXPECT_TRUE(ReadIcoText(Fixture("png_only.ico")).Empty());
}

TEST(IcoReader, DecodesEveryDepthWithItsMask) {
    const std::string four = Fixture("four_sizes.ico");
    const std::vector<TIconEntryInfo> entries =
        ReadIcoDirectory(reinterpret_cast<const uint8_t*>(four.data()), four.size());
    ASSERT_EQ(entries.size(), 4u);
    const int bits[] = {4, 8, 32, 24};
    for (size_t i = 0; i < 4; ++i) {
        EXPECT_TRUE(entries[i].Usable);
        EXPECT_FALSE(entries[i].Png);
        EXPECT_EQ(entries[i].BitCount, bits[i]);
    }
    struct TCase {
        const char* file;
        int preferred, x, y;
        std::array<int, 4> rgba;
    };
    const TCase cases[] = {
        // 4 bits: red and green from the palette by x % 4 and y % 4; top-left quarter masked.
        {"four_sizes.ico", 16, 9, 10, {4, 8, 16, 255}},
        {"four_sizes.ico", 16, 2, 3, {8, 12, 16, 0}},
        {"four_sizes.ico", 32, 31, 30, {12, 8, 32, 255}},    // 8 bits
        {"four_sizes.ico", 48, 47, 1, {188, 4, 48, 255}},    // 32 bits with alpha
        {"four_sizes.ico", 48, 1, 2, {4, 8, 48, 0}},         // its alpha, not the mask
        {"four_sizes.ico", 64, 63, 62, {252, 248, 64, 255}}, // 24 bits
        {"four_sizes.ico", 64, 0, 0, {0, 0, 64, 0}},
        {"one_bit.ico", 16, 15, 15, {4, 0, 16, 255}},
        {"one_bit.ico", 16, 14, 9, {0, 0, 16, 255}},
        {"old_32.ico", 32, 3, 3, {12, 12, 32, 0}}, // alpha all zero: the mask decides
        {"old_32.ico", 32, 20, 3, {80, 12, 32, 255}},
    };
    for (const TCase& c : cases) {
        const TIconImage image = ReadIcoText(Fixture(c.file), c.preferred);
        ASSERT_FALSE(image.Empty()) << c.file;
        ASSERT_EQ(image.Rgba.size(), size_t(image.Width) * size_t(image.Height) * 4);
        EXPECT_EQ(Pixel(image, c.x, c.y), c.rgba)
            << c.file << " " << c.preferred << " @" << c.x << "," << c.y;
    }
}

TEST(IcoReader, DamagedFilesGiveNothingAndNeverReadOutside) {
    const std::string four = Fixture("four_sizes.ico");
    // Every cut of the file: the entries that are whole still decode, the others are skipped.
    for (size_t n = 0; n < four.size(); n += 7) {
        const std::string cut = four.substr(0, n);
        const TIconImage image = ReadIcoText(cut);
        if (!image.Empty()) {
            EXPECT_EQ(image.Rgba.size(), size_t(image.Width) * size_t(image.Height) * 4);
        }
    }
    std::string bad = four;
    bad[2] = 2; // a cursor file, not an icon
    EXPECT_TRUE(ReadIcoText(bad).Empty());
    bad = four;
    bad[5] = char(0x7F); // more entries than the file holds
    EXPECT_TRUE(ReadIcoText(bad).Empty());
    bad = four;
    for (int i = 0; i < 4; ++i) { // every entry's offset far past the end
        bad[6 + 16 * i + 15] = 0x7F;
    }
    EXPECT_TRUE(ReadIcoText(bad).Empty());
    bad = four;
    for (int i = 0; i < 4; ++i) { // every picture claims to be 4096 pixels wide
        const size_t offset = static_cast<uint8_t>(four[6 + 16 * i + 12]) |
                              static_cast<uint8_t>(four[6 + 16 * i + 13]) << 8;
        bad[offset + 5] = 0x10;
    }
    EXPECT_TRUE(ReadIcoText(bad).Empty());
    EXPECT_TRUE(ReadIco(nullptr, 0).Empty());
}

} // namespace
