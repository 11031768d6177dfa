// The imgdump tool writes every picture it promises, or says which one it cannot write and
// exits non-zero.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "test_util.h"
#include "tests/support/shell_run.h"
#include "tests/support/temp_dir.h"

namespace {

folio_test::TShellRun Imgdump(const std::string& file, const std::string& out) {
    const char* bin = std::getenv("FOLIO_BINARY_DIR");
    EXPECT_NE(bin, nullptr) << "FOLIO_BINARY_DIR is set by CTest";
    if (!bin)
        return {};
    return folio_test::RunShell(std::string(bin) + "/tools/imgdump " +
                                folio_test::ShellQuote(file) + " " + folio_test::ShellQuote(out));
}

void Save(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<long>(bytes.size()));
}

} // namespace

TEST(Imgdump, WritesEveryPicture) {
    folio_test::TempDir tmp;
    const folio_test::TShellRun run = Imgdump(DataPath("anim-none.gif"), tmp / "out");
    EXPECT_EQ(run.Status, 0) << run.Output;
    for (const char* name : {"info.txt", "frame-1.png", "frame-4.png", "still.png"})
        EXPECT_TRUE(std::filesystem::is_regular_file(tmp / ("out/" + std::string(name)))) << name;
}

TEST(Imgdump, APictureTooWideForAPngFailsNamingTheFile) {
    folio_test::TempDir tmp;
    TGifWriter gw(40000, 1, 1, {0, 0xFFFFFF});
    gw.Frame(0, 0, 40000, 1, std::vector<uint8_t>(40000, 1), 2);
    gw.Trailer();
    Save(tmp / "wide.gif", gw.Bytes);
    const folio_test::TShellRun run = Imgdump(tmp / "wide.gif", tmp / "out");
    EXPECT_EQ(run.Status, 1);
    EXPECT_NE(run.Output.find("imgdump: cannot write " + (tmp / "out/frame-1.png")),
              std::string::npos)
        << run.Output;
    EXPECT_FALSE(std::filesystem::exists(tmp / "out/frame-1.png"));
}

TEST(Imgdump, AnOutputThatCannotBeWrittenFails) {
    folio_test::TempDir tmp;
    // A folder where a file should go: neither the text nor the picture can be written.
    for (const char* name : {"info.txt", "frame-1.png"}) {
        const std::string out = tmp / name;
        std::filesystem::create_directories(out + "/" + name);
        const folio_test::TShellRun run = Imgdump(DataPath("stripes-24.bmp"), out);
        EXPECT_EQ(run.Status, 1) << name;
        EXPECT_NE(run.Output.find("cannot write " + out + "/" + name), std::string::npos)
            << run.Output;
    }
}
