#include <cstdlib>
#include <gtest/gtest.h>

#include "app/settings/ini_files.h"
#include "tests/support/files.h"
#include "tests/support/temp_dir.h"

using folio_test::WriteFile;

namespace {

class IniRead : public ::testing::Test {
protected:
    TIniFile32 Load(const std::string& text) {
        WriteFile(dir / "t.ini", text);
        return TIniFile32(dir / "t.ini");
    }
    folio_test::TempDir dir;
};

} // namespace

TEST_F(IniRead, MissingFileReadsDefaults) {
    const TIniFile32 ini(dir / "none.ini");
    EXPECT_EQ(ini.Lines().Count(), 0);
    EXPECT_EQ(ini.ReadString("Settings", "lastDir", "/d"), "/d");
    EXPECT_EQ(ini.ReadInteger("FolioerF", "Left", 17), 17);
    EXPECT_TRUE(ini.ReadBool("FolioerF", "State", true));
    EXPECT_FALSE(ini.ReadBool("FolioerF", "State", false));
}

TEST_F(IniRead, BlanksAroundKeysAndValuesAreTrimmed) {
    const TIniFile32 ini = Load("[FolioerF]\r\nLeft=  120 \r\n  Top \t=\t7\r\n");
    EXPECT_EQ(ini.ReadInteger("FolioerF", "Left", 0), 120);
    EXPECT_EQ(ini.ReadString("FolioerF", "Left", ""), "120");
    EXPECT_EQ(ini.ReadInteger("FolioerF", "Top", 0), 7);
}

TEST_F(IniRead, HexadecimalAfterZeroX) {
    const TIniFile32 ini =
        Load("[W]\r\nWidth=0x200\r\nUpper=0X1f\r\nBare=0x\r\nNeg=-12\r\nDollar=$10\r\n");
    EXPECT_EQ(ini.ReadInteger("W", "Width", 1), 512);
    EXPECT_EQ(ini.ReadInteger("W", "Upper", 1), 31);
    EXPECT_EQ(ini.ReadInteger("W", "Bare", 1), 1);
    EXPECT_EQ(ini.ReadInteger("W", "Neg", 1), -12);
    EXPECT_EQ(ini.ReadInteger("W", "Dollar", 1), 16);
}

TEST_F(IniRead, TextThatIsNoNumberGivesTheDefault) {
    const TIniFile32 ini =
        Load("[W]\r\nWidth=abc\r\nHeight=\r\nTop=12px\r\nLeft=99999999999\r\nX=0xZZ\r\n");
    EXPECT_EQ(ini.ReadInteger("W", "Width", 640), 640);
    EXPECT_EQ(ini.ReadInteger("W", "Height", 480), 480);
    EXPECT_EQ(ini.ReadInteger("W", "Top", 5), 5);
    EXPECT_EQ(ini.ReadInteger("W", "Left", 6), 6);
    EXPECT_EQ(ini.ReadInteger("W", "X", 7), 7);
}

TEST_F(IniRead, EmptyValueKeepsTheDefault) {
    const TIniFile32 ini = Load("[S]\r\nlastDir=\r\nname=  \r\n");
    EXPECT_EQ(ini.ReadString("S", "lastDir", "/home"), "/home");
    EXPECT_EQ(ini.ReadString("S", "name", "x"), "x");
}

TEST_F(IniRead, BoolIsAnyNonZeroInteger) {
    const TIniFile32 ini = Load("[F]\r\nA=1\r\nB=0\r\nC=2\r\nD=-1\r\nE=yes\r\nG=0x0\r\n");
    EXPECT_TRUE(ini.ReadBool("F", "A", false));
    EXPECT_FALSE(ini.ReadBool("F", "B", true));
    EXPECT_TRUE(ini.ReadBool("F", "C", false));
    EXPECT_TRUE(ini.ReadBool("F", "D", false));
    EXPECT_TRUE(ini.ReadBool("F", "E", true)); // no number: the default
    EXPECT_FALSE(ini.ReadBool("F", "E", false));
    EXPECT_FALSE(ini.ReadBool("F", "G", true));
}

TEST_F(IniRead, KeysAreCaseSensitiveAndOnlyTheFirstCounts) {
    const TIniFile32 ini = Load("[F]\r\nleft=5\r\nTop=1\r\nTop=2\r\n");
    EXPECT_EQ(ini.ReadInteger("F", "Left", 9), 9);
    EXPECT_EQ(ini.ReadInteger("F", "left", 9), 5);
    EXPECT_EQ(ini.ReadInteger("F", "Top", 9), 1);
}

TEST_F(IniRead, FirstEntryWinsEvenWhenEmpty) {
    const TIniFile32 ini = Load("[F]\r\nk=\r\nk=later\r\n");
    EXPECT_EQ(ini.ReadString("F", "k", "def"), "def");
}

TEST_F(IniRead, SectionNamesIgnoreCaseButNotBlanks) {
    const TIniFile32 ini = Load("[settings]\r\na=1\r\n[Other] \r\nb=2\r\n");
    EXPECT_EQ(ini.ReadString("Settings", "a", ""), "1");
    EXPECT_EQ(ini.ReadString("SETTINGS", "a", ""), "1");
    EXPECT_EQ(ini.ReadString("Other", "b", "none"), "none");
}

TEST_F(IniRead, IndentedHeaderEndsTheSectionButIsNotFound) {
    const TIniFile32 ini = Load("[FolioerF]\r\nLeft=1\r\n [Settings]\r\nlastDir=/src\r\n");
    EXPECT_EQ(ini.ReadString("Settings", "lastDir", "none"), "none");
    // The indented header still closes [FolioerF], so its entries are nobody's.
    EXPECT_EQ(ini.ReadString("FolioerF", "lastDir", "none"), "none");
    EXPECT_EQ(ini.ReadInteger("FolioerF", "Left", 0), 1);
}

TEST_F(IniRead, EntriesBelongToTheNearestHeaderAbove) {
    const TIniFile32 ini = Load("top=0\r\n[A]\r\nx=a\r\n[B]\r\nx=b\r\n[A]\r\ny=late\r\n");
    EXPECT_EQ(ini.ReadString("A", "x", ""), "a");
    EXPECT_EQ(ini.ReadString("B", "x", ""), "b");
    EXPECT_EQ(ini.ReadString("A", "y", "none"), "none"); // only the first [A] is searched
    EXPECT_EQ(ini.ReadString("", "top", "none"), "none");
}

TEST_F(IniRead, ValueIsEverythingAfterTheFirstEquals) {
    const TIniFile32 ini = Load("[S]\r\nlastDir=/a=b/c\r\nno equals here\r\n=anon\r\n");
    EXPECT_EQ(ini.ReadString("S", "lastDir", ""), "/a=b/c");
    // A line without "=" has an empty key and an empty value.
    EXPECT_EQ(ini.ReadString("S", "no equals here", "d"), "d");
}

TEST_F(IniRead, AnyLineEndIsAccepted) {
    const TIniFile32 ini = Load("[S]\nunix=1\r\n[T]\rmac=2");
    EXPECT_EQ(ini.ReadString("S", "unix", ""), "1");
    EXPECT_EQ(ini.ReadString("T", "mac", ""), "2");
}

TEST_F(IniRead, EightBitValuesPassThrough) {
    const TIniFile32 ini = Load("[S]\r\nlastDir=/home/j\xC3\xBCrgen/site\r\n");
    EXPECT_EQ(ini.ReadString("S", "lastDir", ""), "/home/j\xC3\xBCrgen/site");
}

namespace {
std::string Fixture(const std::string& name) {
    const char* src = std::getenv("FOLIO_SOURCE_DIR");
    return std::string(src != nullptr && *src != '\0' ? src : ".") + "/tests/data/settings/" + name;
}
} // namespace

TEST(IniFixtures, FirstRunFileReadsBack) {
    const TIniFile32 ini(Fixture("first_run.ini"));
    ASSERT_GT(ini.Lines().Count(), 0) << "fixture missing: " << Fixture("first_run.ini");
    EXPECT_FALSE(ini.ReadBool("FolioerF", "State", true));
    EXPECT_EQ(ini.ReadInteger("FolioerF", "Left", 0), 94);
    EXPECT_EQ(ini.ReadInteger("FolioerF", "Top", 0), 169);
    EXPECT_EQ(ini.ReadInteger("FolioerF", "Width", 0), 646);
    EXPECT_EQ(ini.ReadInteger("FolioerF", "Height", 0), 434);
    EXPECT_EQ(ini.ReadString("Settings", "lastDir", ""), "/home/ann/site");
}

TEST(IniFixtures, EdgeCasesTogether) {
    const TIniFile32 ini(Fixture("edge_cases.ini"));
    ASSERT_GT(ini.Lines().Count(), 0) << "fixture missing: " << Fixture("edge_cases.ini");
    EXPECT_FALSE(ini.ReadBool("FolioerF", "State", true)); // key trimmed; 0x0 is zero
    EXPECT_EQ(ini.ReadInteger("FolioerF", "Left", 0), 120);
    EXPECT_EQ(ini.ReadInteger("FolioerF", "left", 0), 3);
    EXPECT_EQ(ini.ReadInteger("FolioerF", "Width", 0), 512);
    EXPECT_EQ(ini.ReadInteger("FolioerF", "Height", 77), 77);
    EXPECT_EQ(ini.ReadInteger("FolioerF", "Top", 78), 78);
    // The indented header ends [folioerf]; the second, exact one is found.
    EXPECT_EQ(ini.ReadString("FolioerF", "lastDir", "none"), "none");
    EXPECT_EQ(ini.ReadString("Settings", "lastDir", ""), "/a=b");
}
