// Every damaged file of the fuzzing corpora loads without a crash (read in place from the
// optional shared corpus; each test skips, naming the folder, when it is absent).
#include <gtest/gtest.h>

#include "html/image/bmp_reader.h"
#include "html/image/gif_image.h"
#include "html/image/image_loader.h"
#include "html/image/jpeg_mod.h"
#include "platform/base/files.h"
#include "test_util.h"
#include "tests/support/data_paths.h"

namespace {

// Feeds one input to every decoder; returns whether any of them made a picture.
bool LoadEverywhere(const std::vector<uint8_t>& bytes) {
    bool any = false;
    bool still = false;
    auto gif = CreateAGifFromMemory(bytes.data(), bytes.size(), still);
    if (gif) {
        any = true;
        for (int n = 2; n <= gif->NumFrames(); ++n)
            gif->SetCurrentFrame(n);
        auto s = gif->StillBitmap();
    }
    if (ReadBMP(bytes.data(), bytes.size()))
        any = true;
    TJpegMod j;
    if (j.LoadFromMemory(bytes.data(), bytes.size()))
        any = true;
    TMemoryStream m;
    if (!bytes.empty())
        m.WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
    TTransparency t = LLCorner;
    std::unique_ptr<TBitmap> mask;
    if (GetImageAndMaskFromStream(&m, t, mask))
        any = true;
    return any;
}

int LoadFolder(const std::string& dir) {
    int files = 0;
    for (const TSearchRec& r : FindFiles(dir, faAnyFile)) {
        if (r.Attr & faDirectory)
            continue;
        LoadEverywhere(ReadFileBytes(dir + "/" + r.Name));
        ++files;
    }
    return files;
}

} // namespace

class FuzzCorpus : public ::testing::TestWithParam<const char*> {};

TEST_P(FuzzCorpus, EveryFileLoadsWithoutACrash) {
    const std::string sub = std::string("fuzz-seeds/") + GetParam();
    const std::string dir = folio_test::OptionalCorpus(sub).string();
    if (dir.empty())
        GTEST_SKIP() << folio_test::CorpusAbsent(sub);
    EXPECT_GT(LoadFolder(dir), 10);
}

// Named after the folder (gif_afl, ...) so that each corpus can be run and reported on its own.
INSTANTIATE_TEST_SUITE_P(Seeds, FuzzCorpus,
                         ::testing::Values("gif-afl", "gif-gofuzz", "bmp-gofuzz", "jpeg-gofuzz"),
                         [](const ::testing::TestParamInfo<const char*>& info) {
                             std::string name = info.param;
                             for (char& c : name)
                                 if (c == '-')
                                     c = '_';
                             return name;
                         });

TEST(FuzzCorpus, SomeGoodFilesInTheCorporaDecode) {
    const std::string dir = folio_test::OptionalCorpus("fuzz-seeds/gif-gofuzz").string();
    if (dir.empty())
        GTEST_SKIP() << folio_test::CorpusAbsent("fuzz-seeds/gif-gofuzz");
    int decoded = 0;
    for (const TSearchRec& r : FindFiles(dir, faAnyFile)) {
        if (r.Attr & faDirectory)
            continue;
        auto b = ReadFileBytes(dir + "/" + r.Name);
        TGIFImage g;
        if (!b.empty() && g.LoadFromMemory(b.data(), b.size()))
            ++decoded;
    }
    EXPECT_GT(decoded, 20);
}
