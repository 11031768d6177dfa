// Composition by disposal method, the animation clock, looping, speed, copies and drawing.
#include <gtest/gtest.h>

#include <memory>
#include <utility>

#include "html/image/gif_image.h"
#include "platform/graphics/canvas.h"
#include "test_util.h"

namespace {

struct TFakeClock {
    uint32_t now = 1000;
    std::function<uint32_t()> Fn() {
        return [this] { return now; };
    }
};

// Three 1 x 1 frames (red, green, blue) with the given delays and loop count.
std::vector<uint8_t> ThreeFrames(int loop, int delayCs, int disposal = 1) {
    TGifWriter gw(1, 1, 2, {0xFF0000, 0x00FF00, 0x0000FF, 0});
    if (loop >= 0)
        gw.Loop(loop);
    for (uint8_t i = 0; i < 3; ++i) {
        gw.Control(disposal, delayCs, false, 0);
        gw.Frame(0, 0, 1, 1, {i}, 2);
    }
    gw.Trailer();
    return gw.Bytes;
}

} // namespace

class GifDisposal : public ::testing::TestWithParam<const char*> {};

TEST_P(GifDisposal, EveryStepMatchesTheEncodersComposition) {
    std::string name = std::string("anim-") + GetParam();
    TGIFImage g;
    ASSERT_TRUE(g.LoadFromFile(DataPath(name + ".gif")));
    ASSERT_EQ(g.NumFrames(), 4);
    for (int n = 1; n <= 4; ++n) {
        if (n > 1)
            g.SetCurrentFrame(n);
        TPngImage expected;
        ASSERT_TRUE(ReadPng(DataPath(name + "-" + std::to_string(n - 1) + ".png"), expected));
        EXPECT_EQ(CountDifferences(expected, *g.Composition(), g.CompositionMask()), 0)
            << name << " frame " << n;
    }
}

INSTANTIATE_TEST_SUITE_P(Encoded, GifDisposal,
                         ::testing::Values("none", "background", "previous", "undefined"));

TEST(GifAnimation, LocalTablesTransparencyAndLoopCount) {
    TGIFImage g;
    ASSERT_TRUE(g.LoadFromFile(DataPath("anim-local.gif")));
    EXPECT_EQ(g.LoopCount(), 2); // written by "-loop 3": the encoder stores repeats
    EXPECT_TRUE(g.IsTransparent());
    EXPECT_GT(g.Frame(2).Bits, 0);
    for (int n = 1; n <= 3; ++n) {
        if (n > 1)
            g.SetCurrentFrame(n);
        TPngImage expected;
        ASSERT_TRUE(ReadPng(DataPath("anim-local-" + std::to_string(n - 1) + ".png"), expected));
        EXPECT_EQ(CountDifferences(expected, *g.Composition(), g.CompositionMask()), 0) << n;
    }
}

TEST(GifAnimation, DisposalCodesAboveThreeActLikeRestoreToBackground) {
    for (int code = 4; code <= 7; ++code) {
        TGifWriter gw(2, 1, 1, {0, 0xFFFFFF});
        gw.Control(code, 1, false, 0);
        gw.Frame(0, 0, 1, 1, {1}, 2);
        gw.Frame(1, 0, 1, 1, {1}, 2);
        gw.Trailer();
        TGIFImage g;
        ASSERT_TRUE(g.LoadFromMemory(gw.Bytes.data(), gw.Bytes.size()));
        EXPECT_EQ(g.Frame(1).Disposal, 2);
        g.SetCurrentFrame(2);
        EXPECT_EQ(g.Composition()->GetPixel(0, 0), clBlack) << code; // cleared
        EXPECT_EQ(g.Composition()->GetPixel(1, 0), clWhite);
    }
}

TEST(GifAnimation, SetCurrentFrameWrapsBothWays) {
    auto bytes = ThreeFrames(0, 10);
    TGIFImage g;
    ASSERT_TRUE(g.LoadFromMemory(bytes.data(), bytes.size()));
    g.SetCurrentFrame(0);
    EXPECT_EQ(g.CurrentFrame(), 3);
    EXPECT_EQ(g.Composition()->GetPixel(0, 0), RGB(0, 0, 255));
    g.SetCurrentFrame(4);
    EXPECT_EQ(g.CurrentFrame(), 1);
    EXPECT_EQ(g.Composition()->GetPixel(0, 0), RGB(255, 0, 0));
}

TEST(GifAnimation, TicksFollowTheDelaysAndTheFirstTickShowsNothingNew) {
    TFakeClock clock;
    auto bytes = ThreeFrames(0, 10);
    TGIFImage g;
    g.Clock = clock.Fn();
    ASSERT_TRUE(g.LoadFromMemory(bytes.data(), bytes.size()));
    int invalidated = 0;
    auto inv = [&](const TRect&) { ++invalidated; };
    g.Tick(inv); // not animating
    EXPECT_EQ(g.CurrentFrame(), 1);
    g.SetAnimate(true);
    EXPECT_EQ(g.CurrentDelay(), 100);
    clock.now += 99;
    g.Tick(inv);
    EXPECT_EQ(g.CurrentFrame(), 1);
    clock.now += 1;
    g.Tick(inv); // first tick after loading: only the first-draw flag goes
    EXPECT_EQ(g.CurrentFrame(), 1);
    EXPECT_EQ(invalidated, 0);
    clock.now += 100;
    g.Tick(inv);
    EXPECT_EQ(g.CurrentFrame(), 2);
    EXPECT_EQ(invalidated, 1);
    EXPECT_EQ(g.Composition()->GetPixel(0, 0), RGB(0, 255, 0));
}

TEST(GifAnimation, LoopCountThreeShowsTheSequenceThreeTimes) {
    TFakeClock clock;
    auto bytes = ThreeFrames(3, 1);
    TGIFImage g;
    g.Clock = clock.Fn();
    ASSERT_TRUE(g.LoadFromMemory(bytes.data(), bytes.size()));
    g.SetAnimate(true);
    std::vector<int> shown;
    for (int i = 0; i < 30 && g.Animate(); ++i) {
        clock.now += 10;
        g.Tick(nullptr);
        shown.push_back(g.CurrentFrame());
    }
    EXPECT_FALSE(g.Animate());
    EXPECT_EQ(g.CurrentFrame(), 3);
    // First tick keeps frame 1, then 2 3 1 2 3 1 2 3, then the stopping tick.
    const std::vector<int> want = {1, 2, 3, 1, 2, 3, 1, 2, 3, 3};
    EXPECT_EQ(shown, want);
}

TEST(GifAnimation, NoLoopingExtensionPlaysOnceAndZeroPlaysForEver) {
    TFakeClock clock;
    auto once = ThreeFrames(-1, 1);
    TGIFImage g;
    g.Clock = clock.Fn();
    ASSERT_TRUE(g.LoadFromMemory(once.data(), once.size()));
    EXPECT_EQ(g.LoopCount(), 1);
    g.SetAnimate(true);
    for (int i = 0; i < 10; ++i) {
        clock.now += 10;
        g.Tick(nullptr);
    }
    EXPECT_FALSE(g.Animate());
    auto forever = ThreeFrames(0, 1);
    TGIFImage h;
    h.Clock = clock.Fn();
    ASSERT_TRUE(h.LoadFromMemory(forever.data(), forever.size()));
    h.SetAnimate(true);
    for (int i = 0; i < 100; ++i) {
        clock.now += 10;
        h.Tick(nullptr);
    }
    EXPECT_TRUE(h.Animate());
}

TEST(GifAnimation, SpeedDividesDelaysAndZeroDelayIsOneMillisecond) {
    auto zero = ThreeFrames(0, 0);
    TGIFImage g;
    ASSERT_TRUE(g.LoadFromMemory(zero.data(), zero.size()));
    g.SetAnimate(true);
    EXPECT_EQ(g.CurrentDelay(), 1);
    auto slow = ThreeFrames(0, 50);
    TGIFImage h;
    ASSERT_TRUE(h.LoadFromMemory(slow.data(), slow.size()));
    h.SetSpeed(200);
    h.SetAnimate(true);
    EXPECT_EQ(h.CurrentDelay(), 250);
    h.SetSpeed(0); // would divide by zero: held at 1 percent
    h.SetAnimate(true);
    EXPECT_EQ(h.CurrentDelay(), 50000);
}

TEST(GifAnimation, CopiesShareFramesAndAnimateByThemselves) {
    auto bytes = ThreeFrames(0, 10);
    TGIFImage g;
    ASSERT_TRUE(g.LoadFromMemory(bytes.data(), bytes.size()));
    g.SetCurrentFrame(3);
    g.SetAnimate(true);
    auto c = g.Copy();
    EXPECT_EQ(c->CurrentFrame(), 1);
    EXPECT_FALSE(c->Animate());
    EXPECT_EQ(c->Composition()->GetPixel(0, 0), RGB(255, 0, 0));
    c->SetCurrentFrame(2);
    EXPECT_EQ(g.Composition()->GetPixel(0, 0), RGB(0, 0, 255));
    EXPECT_TRUE(c->SharesFramesWith(g));
    EXPECT_EQ(c->Frame(1).Image.get(), g.Frame(1).Image.get());
    EXPECT_GT(c->OwnBytes(), 0);

    // Frames that put back what they covered: two uses at different frames, stepped in turn,
    // each match the encoder's composition at every step, also after the picture they were
    // copied from is gone.
    auto first = std::make_unique<TGIFImage>();
    ASSERT_TRUE(first->LoadFromFile(DataPath("anim-previous.gif")));
    ASSERT_EQ(first->NumFrames(), 4);
    auto a = first->Copy();
    auto b = first->Copy();
    first.reset();
    b->SetCurrentFrame(3);
    for (int step = 0; step < 8; ++step) {
        const int na = step % 4 + 1, nb = (step + 2) % 4 + 1;
        if (step > 0) {
            a->SetCurrentFrame(na);
            b->SetCurrentFrame(nb);
        }
        for (auto [gif, n] : {std::pair{a.get(), na}, std::pair{b.get(), nb}}) {
            TPngImage expected;
            ASSERT_TRUE(
                ReadPng(DataPath("anim-previous-" + std::to_string(n - 1) + ".png"), expected));
            EXPECT_EQ(CountDifferences(expected, *gif->Composition(), gif->CompositionMask()), 0)
                << "frame " << n << " at step " << step;
        }
    }
}

TEST(GifDraw, OpaqueAndTransparentPicturesOnACanvas) {
    TGIFImage g;
    ASSERT_TRUE(g.LoadFromFile(DataPath("holes.gif")));
    TCanvas canvas(30, 20);
    canvas.Brush.Color = RGB(1, 2, 3);
    canvas.FillRect(Rect(0, 0, 30, 20));
    g.Draw(canvas, 2, 1, 24, 16);
    EXPECT_EQ(g.LastDrawn(), Rect(2, 1, 26, 17));
    EXPECT_EQ(canvas.GetPixel(2 + 12, 1 + 8), RGB(1, 2, 3)); // hole shows the canvas
    EXPECT_EQ(canvas.GetPixel(2, 1), g.Composition()->GetPixel(0, 0));
    g.SetVisible(false);
    TCanvas other(30, 20);
    g.Draw(other, 0, 0, 24, 16);
    EXPECT_EQ(other.GetPixel(0, 0), clWhite);
}

TEST(GifDraw, BuildingFramesGoOverTheTiledBackground) {
    TGifWriter gw(4, 1, 1, {0, 0xFF0000});
    gw.Control(1, 10, true, 0);
    gw.Frame(0, 0, 4, 1, {1, 0, 0, 0}, 2);
    gw.Trailer();
    TGIFImage g;
    ASSERT_TRUE(g.LoadFromMemory(gw.Bytes.data(), gw.Bytes.size()));
    TBitmap tile(2, 1, pf24bit);
    tile.SetPixel(0, 0, RGB(0, 0, 200));
    tile.SetPixel(1, 0, RGB(0, 200, 0));
    TGifBackground bg;
    bg.Image = &tile;
    bg.ScrollX = 1; // the document is scrolled by one pixel
    TCanvas canvas(10, 1);
    g.Draw(canvas, 3, 0, 4, 1, &bg);
    EXPECT_EQ(canvas.GetPixel(3, 0), RGB(255, 0, 0));
    // Document x of canvas 4 is 5: odd, the tile's second pixel.
    EXPECT_EQ(canvas.GetPixel(4, 0), RGB(0, 200, 0));
    EXPECT_EQ(canvas.GetPixel(5, 0), RGB(0, 0, 200));
    TGifBackground plain;
    plain.Color = RGB(9, 9, 9);
    TGIFImage h;
    ASSERT_TRUE(h.LoadFromMemory(gw.Bytes.data(), gw.Bytes.size()));
    TCanvas c2(4, 1);
    h.Draw(c2, 0, 0, 4, 1, &plain);
    EXPECT_EQ(c2.GetPixel(2, 0), RGB(9, 9, 9));
}
