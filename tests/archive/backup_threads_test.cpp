// Worker threads change nothing that can be seen: the same bytes, events and stops as one thread.
#include "archive_test_util.h"
#include "tests/support/files.h"
#include "tests/support/temp_dir.h"

using folio_test::TempDir;
using folio_test::WriteFile;

namespace {

struct TRunRecord {
    std::string bytes;
    std::vector<std::pair<std::string, int>> progress;
    bool ok = false;
};

TRunRecord Pack(const std::vector<std::string>& paths, int threads, TCompressionLevel level,
                int stopAt = -1) {
    TRunRecord rec;
    TBackupFile b;
    b.MaxThreads = threads;
    b.CompressionLevel = level;
    b.BackupTitle = "Folio";
    b.OnProgress = [&](TObject*, const std::string& name, TPercentage p, bool& cont) {
        rec.progress.push_back({name, p});
        if (stopAt >= 0 && int(rec.progress.size()) == stopAt)
            cont = false;
    };
    rec.bytes = PackToMemory(b, paths, &rec.ok);
    return rec;
}

class BackupThreads : public ::testing::Test {
protected:
    void SetUp() override {
        // Many small files and a few large ones of every kind, so blocks of several files are
        // in flight at once.
        int i = 0;
        auto add = [&](const std::string& data) {
            paths.push_back(dir / ("f" + std::to_string(i++)));
            WriteFile(paths.back(), data);
        };
        for (int k = 0; k < 12; ++k)
            add(TextBytes(300 + 977 * size_t(k), uint32_t(k)));
        add("");
        add(RandomBytes(3 * 16384 + 5, 1));
        add(TextBytes(16384, 2));
        add(TextBytes(16385, 3));
        add(TextBytes(9 * 16384 + 100, 4) + RandomBytes(20000, 5));
        add("");
    }
    TempDir dir;
    std::vector<std::string> paths;
};

TEST_F(BackupThreads, OutputAndEventsMatchOneThread) {
    for (TCompressionLevel level : {clFastest, clNone, clMax}) {
        const TRunRecord one = Pack(paths, 1, level);
        ASSERT_TRUE(one.ok);
        for (int threads : {2, 3, 8}) {
            const TRunRecord many = Pack(paths, threads, level);
            EXPECT_TRUE(many.ok);
            EXPECT_TRUE(many.bytes == one.bytes) << "level " << level << " threads " << threads;
            EXPECT_EQ(many.progress, one.progress);
        }
    }
}

TEST_F(BackupThreads, StopAtTheSamePointGivesTheSameBytes) {
    const TRunRecord full = Pack(paths, 1, clDefault);
    const int events = int(full.progress.size());
    for (int stopAt : {1, 2, 7, 13, events - 3, events - 1}) {
        const TRunRecord one = Pack(paths, 1, clDefault, stopAt);
        const TRunRecord many = Pack(paths, 4, clDefault, stopAt);
        EXPECT_FALSE(one.ok);
        EXPECT_FALSE(many.ok);
        EXPECT_TRUE(many.bytes == one.bytes) << "stop at " << stopAt;
        EXPECT_EQ(many.progress, one.progress) << "stop at " << stopAt;
    }
}

TEST_F(BackupThreads, DefaultUsesTheCoresAndStillMatches) {
    const TRunRecord one = Pack(paths, 1, clDefault);
    const TRunRecord all = Pack(paths, 0, clDefault);
    EXPECT_TRUE(all.bytes == one.bytes);
}

} // namespace
