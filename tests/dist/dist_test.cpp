// What a user receives: the template every book carries links only libraries a stock desktop
// has and stays small; `make install` brings the menu entry and icon; the Debian package
// installs and removes cleanly with apt.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <unistd.h>

#include "tests/support/files.h"
#include "tests/support/shell_run.h"
#include "tests/support/temp_dir.h"

namespace fs = std::filesystem;
using folio_test::RunShell;
using folio_test::ShellQuote;
using folio_test::TShellRun;

namespace {

std::string BinaryDir() {
    const char* d = std::getenv("FOLIO_BINARY_DIR");
    return d != nullptr ? d : "build/release";
}

std::string TemplatePath() {
    return BinaryDir() + "/bin/Folio3.bin";
}

// Sonames of the libraries a stock Debian desktop carries: the C and C++ runtimes, the X11
// family, fontconfig and FreeType, cairo with what it pulls in, the image and compression
// libraries, and Nettle (apt itself needs it, through GnuTLS).
bool OnStockDesktop(const std::string& soname) {
    static const std::regex allowed(
        R"(^(linux-vdso\.so\.1|ld-linux-x86-64\.so\.2|/lib64/ld-linux-x86-64\.so\.2|)"
        R"(lib(c|m|dl|pthread|rt|stdc\+\+|gcc_s)\.so\.[0-9]+|)"
        R"(libX(11|ext|ft|render|cursor|fixes|inerama|au|dmcp|randr|i)\.so\.[0-9]+|)"
        R"(libxcb(-[a-z]+)?\.so\.[0-9]+|libfontconfig\.so\.1|libfreetype\.so\.6|)"
        R"(libcairo\.so\.2|libpixman-1\.so\.0|libpng16\.so\.16|libexpat\.so\.1|)"
        R"(libbrotli(dec|common)\.so\.1|libbsd\.so\.0|libmd\.so\.0|libz\.so\.1|)"
        R"(libjpeg\.so\.62|libnettle\.so\.8|libbz2\.so\.1\.0|libuuid\.so\.1)$)");
    return std::regex_match(soname, allowed);
}

#ifdef FOLIO_SANITIZER_BUILD
#define SKIP_IN_SANITIZER_BUILD()                                                                  \
    GTEST_SKIP() << "sanitizer build: what users receive is checked in the optimised build"
#else
#define SKIP_IN_SANITIZER_BUILD()                                                                  \
    do {                                                                                           \
    } while (false)
#endif

TEST(Distribution, TemplateLinksOnlyWhatAStockDesktopHas) {
    SKIP_IN_SANITIZER_BUILD();
    ASSERT_TRUE(fs::exists(TemplatePath())) << TemplatePath();
    // The direct needs from the ELF header, then everything they pull in, as the loader sees it.
    const TShellRun needed = RunShell("readelf -d " + ShellQuote(TemplatePath()));
    ASSERT_EQ(needed.Status, 0) << needed.Output;
    const TShellRun ldd = RunShell("ldd " + ShellQuote(TemplatePath()));
    ASSERT_EQ(ldd.Status, 0) << ldd.Output;
    std::set<std::string> libs;
    const std::regex neededLine(R"(\(NEEDED\)\s+Shared library: \[([^\]]+)\])");
    for (std::sregex_iterator it(needed.Output.begin(), needed.Output.end(), neededLine), end;
         it != end; ++it)
        libs.insert((*it)[1]);
    ASSERT_FALSE(libs.empty()) << needed.Output;
    std::istringstream lines(ldd.Output);
    for (std::string line; std::getline(lines, line);) {
        std::istringstream words(line);
        std::string soname;
        if (words >> soname)
            libs.insert(soname);
    }
    for (const std::string& lib : libs) {
        EXPECT_TRUE(OnStockDesktop(lib)) << lib << " is not on a stock desktop";
        EXPECT_EQ(lib.find("fltk"), std::string::npos) << "FLTK must be linked statically";
    }
}

TEST(Distribution, TemplateStaysUnderThreeMegabytesStripped) {
    SKIP_IN_SANITIZER_BUILD();
    folio_test::TempDir dir;
    const std::string stripped = dir / "Folio3.bin";
    const TShellRun r =
        RunShell("strip -o " + ShellQuote(stripped) + " " + ShellQuote(TemplatePath()));
    ASSERT_EQ(r.Status, 0) << r.Output;
    EXPECT_LT(fs::file_size(stripped), 3u * 1024 * 1024);
}

// The value of a key of the [Desktop Entry] group.
std::string DesktopKey(const std::string& entry, const std::string& key) {
    std::smatch m;
    const std::regex line("(^|\n)" + key + "=([^\n]*)");
    return std::regex_search(entry, m, line) ? m[2].str() : std::string();
}

TEST(Distribution, InstallBringsMenuEntryAndIcon) {
    folio_test::TempDir prefix;
    const TShellRun r = RunShell("cmake --install " + ShellQuote(BinaryDir()) + " --prefix " +
                                 ShellQuote(prefix.Path()));
    ASSERT_EQ(r.Status, 0) << r.Output;
    EXPECT_TRUE(fs::exists(prefix / "bin/foliobuilder"));
    // The builder copies the template from its own folder.
    EXPECT_TRUE(fs::exists(prefix / "bin/Folio3.bin"));
    const std::string entryPath = prefix / "share/applications/foliobuilder.desktop";
    ASSERT_TRUE(fs::exists(entryPath));
    const std::string entry = folio_test::ReadFile(entryPath);
    EXPECT_EQ(entry.rfind("[Desktop Entry]\n", 0), 0u);
    EXPECT_EQ(DesktopKey(entry, "Type"), "Application");
    // The menu starts the installed program and finds the installed icon by its name.
    EXPECT_TRUE(fs::exists(prefix / ("bin/" + DesktopKey(entry, "Exec"))));
    const std::string icon = DesktopKey(entry, "Icon");
    ASSERT_FALSE(icon.empty());
    const std::string iconPath = prefix / ("share/icons/hicolor/scalable/apps/" + icon + ".svg");
    ASSERT_TRUE(fs::exists(iconPath));
    EXPECT_NE(folio_test::ReadFile(iconPath).find("<svg"), std::string::npos);
}

// The package test changes the system, so it runs only where it may: as root, with apt, and
// when no FolioBuilder package is installed already (a user's own installation stays alone).
TEST(Distribution, DebianPackageInstallsAndRemovesCleanly) {
    SKIP_IN_SANITIZER_BUILD();
    if (::geteuid() != 0)
        GTEST_SKIP() << "installing a package needs root";
    if (RunShell("command -v apt-get && command -v dpkg-deb && command -v cpack").Status != 0)
        GTEST_SKIP() << "apt-get, dpkg-deb or cpack is missing";
    if (RunShell("dpkg-query -W -f='${Status}' foliobuilder | grep -q 'install ok'").Status == 0)
        GTEST_SKIP() << "a foliobuilder package is installed already; leaving it alone";

    folio_test::TempDir out;
    const TShellRun pack =
        RunShell("cpack -G DEB --config " + ShellQuote(BinaryDir() + "/CPackConfig.cmake") +
                 " -B " + ShellQuote(out.Path()));
    ASSERT_EQ(pack.Status, 0) << pack.Output;
    std::string deb;
    for (const auto& e : fs::directory_iterator(out.Path()))
        if (e.path().extension() == ".deb")
            deb = e.path().string();
    ASSERT_FALSE(deb.empty()) << pack.Output;
    EXPECT_NE(fs::path(deb).filename().string().rfind("foliobuilder_", 0), std::string::npos)
        << deb;

    const TShellRun contents = RunShell("dpkg-deb -c " + ShellQuote(deb));
    ASSERT_EQ(contents.Status, 0) << contents.Output;
    for (const char* f : {"./usr/bin/foliobuilder", "./usr/bin/Folio3.bin",
                          "./usr/share/applications/foliobuilder.desktop",
                          "./usr/share/icons/hicolor/scalable/apps/foliobuilder.svg"})
        EXPECT_NE(contents.Output.find(f), std::string::npos) << f << "\n" << contents.Output;

    const TShellRun install =
        RunShell("DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends " +
                 ShellQuote(deb));
    ASSERT_EQ(install.Status, 0) << install.Output;
    const TShellRun version = RunShell("/usr/bin/foliobuilder --version");
    const TShellRun listed = RunShell("dpkg -L foliobuilder");
    const TShellRun remove =
        RunShell("DEBIAN_FRONTEND=noninteractive apt-get remove -y --purge foliobuilder");
    EXPECT_EQ(version.Status, 0) << version.Output;
    EXPECT_NE(version.Output.find("3."), std::string::npos) << version.Output;
    EXPECT_NE(listed.Output.find("/usr/share/applications/foliobuilder.desktop"), std::string::npos)
        << listed.Output;
    ASSERT_EQ(remove.Status, 0) << remove.Output;
    EXPECT_FALSE(fs::exists("/usr/bin/foliobuilder"));
    EXPECT_FALSE(fs::exists("/usr/bin/Folio3.bin"));
    EXPECT_FALSE(fs::exists("/usr/share/applications/foliobuilder.desktop"));
    EXPECT_NE(RunShell("dpkg-query -W -f='${Status}' foliobuilder | grep -q 'install ok'").Status,
              0);
}

} // namespace
