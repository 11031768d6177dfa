#include <cstdlib>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "app/settings/form_ini.h"
#include "app/settings/settings_dir.h"
#include "platform/base/exceptions.h"
#include "platform/base/files.h"
#include "tests/support/files.h"
#include "tests/support/temp_dir.h"

using folio_test::ReadFile;
using folio_test::WriteFile;

namespace {

// A window as the placement code sees it; records what was done to it.
class FakeWindow : public TPlacementWindow {
public:
    std::string name = "FolioerF";
    int32_t left = 10, top = 20, width = 300, height = 200;
    bool maximized = false;
    int boundsCalls = 0;
    int maximizeCalls = 0;

    std::string PlacementName() const override { return name; }
    int32_t PlacementLeft() const override { return left; }
    int32_t PlacementTop() const override { return top; }
    int32_t PlacementWidth() const override { return width; }
    int32_t PlacementHeight() const override { return height; }
    bool PlacementMaximized() const override { return maximized; }
    void SetPlacementBounds(int32_t l, int32_t t, int32_t w, int32_t h) override {
        left = l;
        top = t;
        width = w;
        height = h;
        ++boundsCalls;
    }
    void MaximizePlacement() override {
        maximized = true;
        ++maximizeCalls;
    }
};

class FormIni : public ::testing::Test {
protected:
    std::string Path() const { return dir / "FolioBuilder.ini"; }
    folio_test::TempDir dir;
};

// Sets an environment variable for one test and puts the old value back.
class EnvVar {
public:
    EnvVar(const char* name, const char* value) : name_(name) {
        const char* old = std::getenv(name);
        had_ = old != nullptr;
        if (had_)
            old_ = old;
        if (value != nullptr)
            ::setenv(name, value, 1);
        else
            ::unsetenv(name);
    }
    ~EnvVar() {
        if (had_)
            ::setenv(name_, old_.c_str(), 1);
        else
            ::unsetenv(name_);
    }

private:
    const char* name_;
    bool had_;
    std::string old_;
};

} // namespace

TEST_F(FormIni, FirstRunWritesTheDocumentedFile) {
    TkqFormIni ini(Path());
    FakeWindow w;
    w.left = 94;
    w.top = 169;
    w.width = 646;
    w.height = 434;
    ini.SavePlacement(w);
    ini.WriteSetting("Settings", "lastDir", "/home/ann/site");
    EXPECT_EQ(ReadFile(Path()), "\r\n[FolioerF]\r\nState=0\r\nLeft=94\r\nTop=169\r\nWidth=646\r\n"
                                "Height=434\r\n\r\n[Settings]\r\nlastDir=/home/ann/site\r\n");
}

TEST_F(FormIni, AMaximisedWindowSavesItsNormalPlacementToo) {
    TkqFormIni ini(Path());
    FakeWindow w;
    ini.SavePlacement(w);
    w.maximized = true;
    w.left = 30; // the placement the window returns to when restored
    w.width = 640;
    ini.SavePlacement(w);
    EXPECT_EQ(ReadFile(Path()),
              "\r\n[FolioerF]\r\nState=1\r\nLeft=30\r\nTop=20\r\nWidth=640\r\nHeight=200\r\n");
}

TEST_F(FormIni, LoadRestoresBounds) {
    WriteFile(Path(), "\r\n[FolioerF]\r\nState=0\r\nLeft=94\r\nTop=169\r\nWidth=0x200\r\n"
                      "Height=434\r\n");
    FakeWindow w;
    TkqFormIni(Path()).LoadPlacement(w);
    EXPECT_EQ(w.boundsCalls, 1);
    EXPECT_EQ(w.maximizeCalls, 0);
    EXPECT_EQ(w.left, 94);
    EXPECT_EQ(w.top, 169);
    EXPECT_EQ(w.width, 512);
    EXPECT_EQ(w.height, 434);
}

TEST_F(FormIni, LoadKeepsCurrentValuesWhereNothingUsableIsStored) {
    WriteFile(Path(), "[FolioerF]\r\nLeft=  120 \r\nWidth=abc\r\nheight=5\r\n");
    FakeWindow w;
    TkqFormIni(Path()).LoadPlacement(w);
    EXPECT_EQ(w.left, 120);
    EXPECT_EQ(w.top, 20);
    EXPECT_EQ(w.width, 300);
    EXPECT_EQ(w.height, 200); // "height" is another key
}

TEST_F(FormIni, LoadSetsTheNormalPlacementThenMaximises) {
    WriteFile(Path(), "[FolioerF]\r\nState=1\r\nLeft=5\r\n");
    FakeWindow w;
    TkqFormIni(Path()).LoadPlacement(w);
    EXPECT_EQ(w.boundsCalls, 1);
    EXPECT_EQ(w.maximizeCalls, 1);
    EXPECT_EQ(w.left, 5);
    EXPECT_EQ(w.width, 300) << "what is not stored keeps its value";
}

TEST_F(FormIni, MissingFileLeavesTheWindowAsItIs) {
    FakeWindow w;
    TkqFormIni(Path()).LoadPlacement(w);
    EXPECT_EQ(w.maximizeCalls, 0);
    EXPECT_EQ(w.left, 10);
    EXPECT_EQ(w.top, 20);
    EXPECT_EQ(w.width, 300);
    EXPECT_EQ(w.height, 200);
    EXPECT_FALSE(FileExists(Path())); // reading creates nothing
}

TEST_F(FormIni, ReadSettingKeepsTheValueWhenNoneIsStored) {
    TkqFormIni ini(Path());
    std::string lastDir = "/start";
    ini.ReadSetting("Settings", "lastDir", lastDir);
    EXPECT_EQ(lastDir, "/start");
    WriteFile(Path(), "[Settings]\r\nlastDir=\r\n");
    ini.ReadSetting("Settings", "lastDir", lastDir);
    EXPECT_EQ(lastDir, "/start");
    WriteFile(Path(), "[Settings]\r\nlastDir= /srv/site \r\n");
    ini.ReadSetting("Settings", "lastDir", lastDir);
    EXPECT_EQ(lastDir, "/srv/site");
}

TEST_F(FormIni, EveryCallReadsTheFileAnew) {
    TkqFormIni ini(Path());
    ini.WriteSetting("Settings", "lastDir", "/one");
    // Another program changes the file between two calls; the next write must not undo it.
    WriteFile(Path(), ReadFile(Path()) + "\r\n[Other]\r\nkept=yes\r\n");
    ini.WriteSetting("Settings", "lastDir", "/two");
    std::string v;
    ini.ReadSetting("Other", "kept", v);
    EXPECT_EQ(v, "yes");
    ini.ReadSetting("Settings", "lastDir", v);
    EXPECT_EQ(v, "/two");
}

TEST_F(FormIni, UnwritableFileRaisesFromTheWrite) {
    TkqFormIni ini(dir / "missing/x.ini");
    FakeWindow w;
    EXPECT_THROW(ini.SavePlacement(w), EFCreateError);
    EXPECT_THROW(ini.WriteSetting("Settings", "lastDir", "/x"), EFCreateError);
}

TEST_F(FormIni, SettingsBesideAWritableProgram) {
    ASSERT_EQ(::mkdir((dir / "bin").c_str(), 0755), 0);
    EXPECT_EQ(SettingsDirectoryFor(dir / "bin/foliobuilder"), dir / "bin/");
    EXPECT_EQ(IniFileNameFor(dir / "bin/foliobuilder"), dir / "bin/foliobuilder.ini");
    EXPECT_EQ(IniFileNameFor(dir / "bin/FolioBuilder.exe"), dir / "bin/FolioBuilder.ini");
}

TEST_F(FormIni, SettingsInTheUserConfigDirectoryOtherwise) {
    EnvVar xdg("XDG_CONFIG_HOME", (dir / "cfg").c_str());
    // A program directory that does not exist stands for one that cannot be written.
    EXPECT_EQ(SettingsDirectoryFor(dir / "gone/foliobuilder"), dir / "cfg/foliobuilder/");
    EXPECT_TRUE(DirectoryExists(dir / "cfg/foliobuilder"));
    EXPECT_EQ(IniFileNameFor(dir / "gone/foliobuilder"), dir / "cfg/foliobuilder/foliobuilder.ini");
    TkqFormIni ini(IniFileNameFor(dir / "gone/foliobuilder"));
    ini.WriteSetting("Settings", "lastDir", "/x");
    EXPECT_TRUE(FileExists(dir / "cfg/foliobuilder/foliobuilder.ini"));
}

TEST_F(FormIni, ConfigDirectoryDefaultsToHomeDotConfig) {
    EnvVar xdg("XDG_CONFIG_HOME", nullptr);
    EnvVar home("HOME", (dir / "home").c_str());
    EXPECT_EQ(SettingsDirectoryFor(dir / "gone/foliobuilder"), dir / "home/.config/foliobuilder/");
    EnvVar relative("XDG_CONFIG_HOME", "relative/cfg"); // not absolute: ignored
    EXPECT_EQ(SettingsDirectoryFor(dir / "gone/foliobuilder"), dir / "home/.config/foliobuilder/");
}

TEST_F(FormIni, ReadOnlyProgramDirectoryUsesTheConfigDirectory) {
    if (::geteuid() == 0)
        GTEST_SKIP() << "permission bits do not stop root";
    EnvVar xdg("XDG_CONFIG_HOME", (dir / "cfg").c_str());
    ASSERT_EQ(::mkdir((dir / "ro").c_str(), 0555), 0);
    EXPECT_EQ(SettingsDirectoryFor(dir / "ro/foliobuilder"), dir / "cfg/foliobuilder/");
}

TEST(SettingsDirectoryOfThisProgram, FollowsTheExecutable) {
    folio_test::TempDir cfg;
    EnvVar xdg("XDG_CONFIG_HOME", cfg.Path().c_str());
    // Beside the test binary when its build directory is writable, else the per-user folder.
    const std::string expectedDir =
        ::access(ProgramDir().c_str(), W_OK) == 0 ? ProgramDir() : cfg / "foliobuilder/";
    EXPECT_EQ(SettingsDirectory(), expectedDir);
    EXPECT_EQ(IniFileName(), expectedDir + ExtractFileName(ProgramPath()) + ".ini");
    EXPECT_EQ(TkqFormIni().IniFileName(), IniFileName());
}
