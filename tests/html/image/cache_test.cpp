// The image cache: usage counts, ageing by purges, and the maximum age.
#include <gtest/gtest.h>

#include "html/image/bitmap_cache.h"

namespace {

TBitmapItem* Item() {
    return new TBitmapItem(std::make_unique<TBitmap>(1, 1, pf24bit), nullptr, NotTransp);
}

} // namespace

TEST(Cache, UnusedEntrySurvivesFourPurgesAndGoesAtTheFifth) {
    TStringBitmapList cache;
    EXPECT_EQ(cache.MaxCache(), 4);
    cache.AddObject("a.gif", Item());
    cache.DecUsage("a.gif"); // the page that added it is done with it
    for (int i = 0; i < 4; ++i) {
        cache.PurgeCache();
        ASSERT_EQ(cache.Count(), 1) << i;
    }
    cache.PurgeCache();
    EXPECT_EQ(cache.Count(), 0);
}

TEST(Cache, EntriesInUseNeverAge) {
    TStringBitmapList cache;
    cache.AddObject("used.bmp", Item());
    for (int i = 0; i < 20; ++i)
        cache.PurgeCache();
    ASSERT_EQ(cache.Count(), 1);
    EXPECT_EQ(cache.Item(0)->AccessCount, 20);
    cache.DecUsage("USED.BMP"); // names compare ignoring case
    cache.PurgeCache();
    EXPECT_EQ(cache.Count(), 0);
}

TEST(Cache, TakingAnEntryMakesItYoungAgain) {
    TStringBitmapList cache;
    cache.AddObject("x", Item());
    cache.DecUsage("x");
    for (int i = 0; i < 4; ++i)
        cache.PurgeCache();
    int index = cache.IndexOf("X");
    ASSERT_GE(index, 0);
    TBitmapItem* item = cache.GetImage(index);
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->AccessCount, 0);
    EXPECT_EQ(item->UsageCount, 1);
    ASSERT_TRUE(item->Bitmap);
    cache.DecUsage("x");
    for (int i = 0; i < 4; ++i)
        cache.PurgeCache();
    EXPECT_EQ(cache.Count(), 1);
}

TEST(Cache, NewMaximumAgeDropsOlderUnusedEntriesAtOnce) {
    TStringBitmapList cache;
    cache.AddObject("old", Item());
    cache.AddObject("busy", Item());
    cache.AddObject("young", Item());
    cache.DecUsage("old");
    cache.DecUsage("young");
    for (int i = 0; i < 3; ++i)
        cache.PurgeCache();
    cache.GetImage(cache.IndexOf("young"));
    cache.DecUsage("young");
    cache.SetCacheCount(2);
    EXPECT_EQ(cache.MaxCache(), 2);
    EXPECT_LT(cache.IndexOf("old"), 0);
    EXPECT_GE(cache.IndexOf("busy"), 0);
    EXPECT_GE(cache.IndexOf("young"), 0);
    cache.IncUsage("young");
    for (int i = 0; i < 5; ++i)
        cache.PurgeCache();
    EXPECT_GE(cache.IndexOf("young"), 0);
    cache.Clear();
    EXPECT_EQ(cache.Count(), 0);
}

TEST(Cache, HoldsGifImagesToo) {
    TStringBitmapList cache;
    cache.AddObject("anim.gif", new TBitmapItem(std::make_unique<TGIFImage>(), TGif));
    TBitmapItem* it = cache.GetImage(0);
    EXPECT_TRUE(it->Gif);
    EXPECT_EQ(it->Transp, TGif);
    EXPECT_EQ(it->UsageCount, 2);
}
