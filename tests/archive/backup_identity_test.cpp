// The archive bytes stay what books have always held: a fixed site packed at every level, on one
// thread and on several, gives the checksums recorded in tests/data/archive/identity.txt. Those
// were taken from the writer as it stood before its reading, writing and hand-off to the workers
// were made faster; any change to the bytes shows here.
//
// Member names are absolute paths, so the scratch folder's name is replaced by "<site>" (with
// the lengths adjusted) before the checksum is taken. Dates are local times: the files get fixed
// times and the test runs in UTC.
#include <fcntl.h>
#include <sys/stat.h>

#include <cstdlib>
#include <ctime>
#include <sstream>
#include <zlib.h>

#include "archive_test_util.h"
#include "tests/support/files.h"
#include "tests/support/temp_dir.h"

using folio_test::ReadFile;
using folio_test::TempDir;
using folio_test::WriteFile;

namespace {

void PutInt32(std::string& out, int32_t v) {
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<char>((static_cast<uint32_t>(v) >> (8 * i)) & 0xFF));
}

// The archive with every member name's prefix replaced by "<site>". Throws on a malformed
// archive (WalkArchive checks the layout first).
std::string Canonical(const std::string& a, const std::string& prefix) {
    const TWalkedArchive w = WalkArchive(a);
    std::string out;
    size_t at = 4 + w.title.size() + 8;
    out.append(a, 0, at);
    for (const TWalkedMember& m : w.members) {
        std::string name = m.name;
        if (name.compare(0, prefix.size(), prefix) == 0)
            name = "<site>" + name.substr(prefix.size());
        PutInt32(out, static_cast<int32_t>(name.size()));
        out += name;
        at += 4 + m.name.size();
        // Date and data sections are copied as they are, up to the next record.
        size_t end = at + 4;
        for (int s = 0; s < m.sections; ++s) {
            end += 4;
            for (;;) {
                const int32_t n = Int32At(a, end);
                end += 4;
                if (n == 0)
                    break;
                end += size_t(n < 0 ? -int64_t(n) : n);
            }
        }
        out.append(a, at, end - at);
        at = end;
    }
    out.append(a, at, std::string::npos);
    return out;
}

struct TExpected {
    int zlibLevel;
    uint32_t crc;
    size_t size;
};

std::vector<TExpected> LoadExpected() {
    const char* src = std::getenv("FOLIO_SOURCE_DIR");
    const std::string text =
        ReadFile(std::string(src ? src : ".") + "/tests/data/archive/identity.txt");
    std::vector<TExpected> rows;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#')
            continue;
        std::istringstream fields(line);
        TExpected e{};
        std::string crc;
        fields >> e.zlibLevel >> crc >> e.size;
        e.crc = static_cast<uint32_t>(std::stoul(crc, nullptr, 16));
        rows.push_back(e);
    }
    return rows;
}

TCompressionLevel LevelOf(int zlibLevel) {
    for (TCompressionLevel l : {clFastest, clNone, clDefault, clMax})
        if (BackupZlibLevel(l) == zlibLevel)
            return l;
    throw std::runtime_error("no compression level gives zlib level " + std::to_string(zlibLevel));
}

class BackupIdentity : public ::testing::Test {
protected:
    void SetUp() override {
        setenv("TZ", "UTC0", 1);
        tzset();
        // Pages of many sizes, a file of several blocks with a short last one, one of exactly
        // one block, an empty one, noise that is stored raw, and one in a sub-folder.
        int k = 0;
        auto add = [&](const std::string& name, const std::string& data) {
            const std::string path = dir.Sub(name);
            WriteFile(path, data);
            const timespec times[2] = {{1700000000 + 7200 * k, 0}, {1700000000 + 7200 * k, 0}};
            ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0) << path;
            ++k;
            paths.push_back(path);
        };
        for (int i = 0; i < 30; ++i)
            add("Page" + std::to_string(i) + ".html", TextBytes(700 + 397 * size_t(i), i));
        add("manual.txt", TextBytes(5 * 16384 + 1234, 99));
        add("exact.htm", TextBytes(16384, 98));
        add("empty.html", "");
        add("noise.gif", RandomBytes(2 * 16384 + 77, 97));
        add("sub/Deep.css", TextBytes(3000, 96));
    }
    void TearDown() override {
        unsetenv("TZ");
        tzset();
    }

    std::string Pack(TCompressionLevel level, int threads) {
        TBackupFile b;
        b.BackupTitle = "Folio";
        b.CompressionLevel = level;
        b.MaxThreads = threads;
        bool ok = false;
        const std::string a = PackToMemory(b, paths, &ok);
        EXPECT_TRUE(ok);
        return Canonical(a, LowerAscii(dir.Path()));
    }

    TempDir dir;
    std::vector<std::string> paths;
};

TEST_F(BackupIdentity, EveryLevelGivesTheRecordedBytesOnAnyNumberOfThreads) {
    const std::vector<TExpected> rows = LoadExpected();
    ASSERT_EQ(rows.size(), 4u);
    for (const TExpected& e : rows) {
        for (int threads : {1, 2, 0}) {
            const std::string a = Pack(LevelOf(e.zlibLevel), threads);
            const auto crc = static_cast<uint32_t>(
                crc32(0, reinterpret_cast<const Bytef*>(a.data()), static_cast<uInt>(a.size())));
            EXPECT_EQ(a.size(), e.size) << "zlib level " << e.zlibLevel << ", threads " << threads;
            EXPECT_EQ(crc, e.crc) << std::hex << "zlib level " << std::dec << e.zlibLevel
                                  << ", threads " << threads << ": got " << std::hex << crc;
        }
    }
}

} // namespace
