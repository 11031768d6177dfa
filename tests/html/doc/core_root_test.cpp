// The document root's own duties: hover tracking, form controls out of view, the
// background picture, and tiled block backgrounds.
#include <gtest/gtest.h>

#include "html/doc/form_control.h"
#include "html/doc/html_form.h"
#include "html/doc/image_obj.h"
#include "html/image/gif_image.h"
#include "html/image/image_loader.h"
#include "platform/gui/timer.h"
#include "platform/gui/window.h"
#include "tests/html/doc/core_util.h"

namespace {

const char* const kPicture = "tests/data/image/stripes-24.bmp"; // 37 x 23, 24-bit

// Puts an image under the pointer the way text sections report one.
class THoverSection : public TFixed {
public:
    using TFixed::TFixed;
    bool FindLink(TCanvas&, int32_t, int32_t, TUrlTarget&, TImageFormControlObj*&) override {
        Document->HoverImage = Image;
        return false;
    }
    TImageObj* Image = nullptr;
};

TEST(RootTest, HoverChangesRepaintOnce) {
    TCoreDoc d;
    int repaints = 0;
    d.Doc.OnInvalidate = [&repaints](const TRect* r) {
        EXPECT_EQ(r, nullptr);
        ++repaints;
    };
    TImageObj image(&d.Doc, "nothing.gif");
    auto* s = d.Add<THoverSection>(d.Doc, 20);
    s->Image = &image;
    d.Add<TFixed>(d.Doc, 20);
    d.LayOut();
    TUrlTarget t;
    TImageFormControlObj* fc = nullptr;
    d.Doc.FindLink(d.Canvas, 1, 5, t, fc);
    EXPECT_EQ(d.Doc.HoverImage, &image);
    EXPECT_EQ(repaints, 1);
    d.Doc.FindLink(d.Canvas, 1, 6, t, fc);
    EXPECT_EQ(repaints, 1) << "still over the same image";
    d.Doc.FindLink(d.Canvas, 1, 25, t, fc);
    EXPECT_EQ(d.Doc.HoverImage, nullptr);
    EXPECT_EQ(repaints, 2);
    d.Doc.FindLink(d.Canvas, 1, 5, t, fc);
    d.Doc.ClearHover();
    EXPECT_EQ(d.Doc.HoverImage, nullptr);
    EXPECT_EQ(repaints, 4);
    d.Doc.ClearHover();
    EXPECT_EQ(repaints, 4) << "nothing to clear";
}

TFormControlObj* TextBox(TSectionList& doc, ThtmlForm*& form, int32_t pos) {
    TAttributeList attrs;
    attrs.Add(TAttribute{TypeSym, 0, "text"});
    return MakeFormControl(&doc, form, InputSym, attrs, pos);
}

TEST(RootTest, ControlsNotPaintedAreHidden) {
    TWindow window;
    TCoreDoc d;
    d.Doc.PaintPanel = &window;
    ThtmlForm* form = nullptr;
    TFormControlObj* a = TextBox(d.Doc, form, 0);
    TFormControlObj* b = TextBox(d.Doc, form, 1);
    ASSERT_NE(a->FocusWidget(), nullptr);
    a->Shown = true;
    d.Doc.HideUnshownControls();
    EXPECT_TRUE(a->FocusWidget()->Visible());
    EXPECT_FALSE(b->FocusWidget()->Visible());
}

TEST(RootTest, WithTheFocusInsideHiddenControlsMoveOutOfSight) {
    TWindow window;
    window.SetBounds(0, 0, 300, 200);
    window.Show();
    TCoreDoc d;
    d.Doc.PaintPanel = &window;
    ThtmlForm* form = nullptr;
    TFormControlObj* a = TextBox(d.Doc, form, 0);
    TFormControlObj* b = TextBox(d.Doc, form, 1);
    a->FocusWidget()->SetParent(&window);
    b->FocusWidget()->SetParent(&window);
    a->FocusWidget()->Show();
    a->FocusWidget()->SetFocus();
    ASSERT_TRUE(a->FocusWidget()->Focused());
    d.Doc.HideUnshownControls();
    EXPECT_TRUE(a->FocusWidget()->Visible());
    EXPECT_EQ(a->FocusWidget()->Left(), -4000) << "scrolled away but keeps the focus";
    EXPECT_EQ(b->FocusWidget()->Left(), -4000);
}

TEST(RootTest, TheBackgroundPictureIsFetchedOnceAndReleasedWithTheDocument) {
    TCoreDoc d;
    d.Doc.SetBackImageName(kPicture);
    const TBitmap* pic = d.Doc.BackImage();
    ASSERT_NE(pic, nullptr);
    EXPECT_EQ(pic->Width(), 37);
    EXPECT_TRUE(d.Doc.BackgroundLoaded);
    EXPECT_EQ(d.Doc.BackImage(), pic);
    int index = -1;
    ASSERT_TRUE(d.Doc.BitmapList->Find(UpperCase(kPicture), index));
    EXPECT_EQ(d.Doc.BitmapList->Item(index)->UsageCount, 1);
    d.Doc.Clear();
    EXPECT_EQ(d.Doc.BackgroundBitmap, nullptr);
    EXPECT_EQ(d.Doc.BitmapList->Item(index)->UsageCount, 0);
    d.Doc.SetBackImageName("no-such-picture.bmp");
    EXPECT_EQ(d.Doc.BackImage(), nullptr);
    EXPECT_TRUE(d.Doc.BackgroundLoaded) << "asked once";
    d.Doc.ImagesOn = false;
    d.Doc.SetBackImageName(kPicture);
    EXPECT_EQ(d.Doc.BackImage(), nullptr) << "images off";
}

class TilingTest : public ::testing::Test {
protected:
    void SetUp() override {
        TTransparency t = NotTransp;
        std::unique_ptr<TBitmap> mask;
        Picture = GetImageAndMaskFromFile(kPicture, t, mask);
        ASSERT_TRUE(Picture);
    }
    // A 100 x 60 block at (10, 10) with the picture as its background.
    TCoreDoc& Page(const std::string& extra) {
        doc_ = std::make_unique<TCoreDoc>();
        TBodyBlock* body = doc_->Body("margin: 10px");
        Block = doc_->Block(*body->Content, "div",
                            std::string("width: 100px; height: 60px; background-image: url(") +
                                kPicture + "); " + extra);
        doc_->LayOut();
        doc_->Paint();
        return *doc_;
    }
    std::unique_ptr<TBitmap> Picture;
    TBlock* Block = nullptr;

private:
    std::unique_ptr<TCoreDoc> doc_;
};

TEST_F(TilingTest, RepeatsFromTheTopLeftCorner) {
    TCoreDoc& d = Page("");
    ASSERT_NE(Block->BackgroundImage, nullptr);
    for (int y = 10; y < 70; y += 3)
        for (int x = 10; x < 110; x += 3)
            ASSERT_EQ(d.Canvas.GetPixel(x, y), Picture->GetPixel((x - 10) % 37, (y - 10) % 23))
                << x << "," << y;
    EXPECT_EQ(d.Canvas.GetPixel(110, 20), clWhite);
    EXPECT_EQ(d.Canvas.GetPixel(20, 70), clWhite);
}

TEST_F(TilingTest, OneCopyCentredWhenNotRepeating) {
    TCoreDoc& d = Page("background-repeat: no-repeat; background-position: center center");
    const int left = 10 + (100 - 37) / 2, top = 10 + (60 - 23) / 2;
    EXPECT_EQ(d.Canvas.GetPixel(left, top), Picture->GetPixel(0, 0));
    EXPECT_EQ(d.Canvas.GetPixel(left + 36, top + 22), Picture->GetPixel(36, 22));
    EXPECT_EQ(d.Canvas.GetPixel(left - 1, top), clWhite);
    EXPECT_EQ(d.Canvas.GetPixel(left, top + 23), clWhite);
}

TEST_F(TilingTest, AMissingPictureIsDroppedQuietly) {
    auto d = std::make_unique<TCoreDoc>();
    TBodyBlock* body = d->Body();
    TBlock* b = d->Block(*body->Content, "div",
                         "height: 20px; background-image: url(no-such.bmp); "
                         "background-color: #0000ff");
    d->LayOut();
    EXPECT_EQ(b->BackgroundImage, nullptr);
    d->Paint();
    EXPECT_EQ(d->Canvas.GetPixel(5, 5), RGB(0, 0, 255));
}

} // namespace

namespace {

TEST(RootTest, AnimationsRunOnTheTimerOnlyWhenDrawn) {
    TCoreDoc d;
    uint32_t now = 1000;
    d.Doc.Clock = [&now] { return now; };
    int repaints = 0;
    d.Doc.OnInvalidate = [&repaints](const TRect* r) {
        EXPECT_NE(r, nullptr) << "only the image's area";
        ++repaints;
    };
    TImageObj image(&d.Doc, "tests/data/image/anim-none.gif");
    image.FetchAndSize(&d.Doc, d.Canvas, 100, nullptr);
    ASSERT_NE(image.Gif(), nullptr);
    ASSERT_EQ(d.Doc.Animations.size(), 1u);
    d.LayOut();
    ASSERT_NE(d.Doc.AnimationTimer(), nullptr);
    EXPECT_TRUE(d.Doc.AnimationTimer()->Enabled());
    EXPECT_EQ(d.Doc.AnimationTimer()->Interval(), 50u);
    EXPECT_TRUE(image.Gif()->Animate());
    EXPECT_EQ(image.Gif()->CurrentFrame(), 1);
    for (int i = 0; i < 3; ++i) {
        now += 10000;
        d.Doc.TimerTick();
    }
    EXPECT_EQ(image.Gif()->CurrentFrame(), 1) << "not drawn in the last paint";
    image.Drawn = true;
    for (int i = 0; i < 3; ++i) {
        now += 10000;
        d.Doc.TimerTick();
    }
    EXPECT_NE(image.Gif()->CurrentFrame(), 1);
    EXPECT_GT(repaints, 0);
    d.Doc.Animations.clear(); // the image goes before the document
}

} // namespace

namespace {

TEST_F(TilingTest, AMarkerImageStandsLeftOfTheItem) {
    TCoreDoc d;
    TBodyBlock* body = d.Body("margin-left: 60px");
    TProperties& li = d.Push("li", std::string("list-style-image: url(") + kPicture + ")");
    TBlockLI* item = d.Add<TBlockLI>(*body->Content, li, ULSym, 1, '\0', false);
    d.Add<TFixed>(*item->Content, 30);
    TProperties& li2 = d.Push("li", "list-style-image: url(missing.bmp); list-style-type: disc");
    TBlockLI* item2 = d.Add<TBlockLI>(*body->Content, li2, ULSym, 2, '\0', false);
    d.Add<TFixed>(*item2->Content, 30);
    d.LayOut();
    ASSERT_NE(item->MarkerImage, nullptr);
    EXPECT_EQ(item2->MarkerImage, nullptr) << "a picture that fails is dropped";
    item->MarkerBaseline = item->ContentY + 25;
    item2->MarkerBaseline = item2->ContentY + 25;
    d.Paint();
    const int32_t x = item->ContentLeft, b = item->MarkerBaseline;
    // A picture wider than a bullet ends 4 pixels left of the content, never over it.
    const int32_t w = Picture->Width();
    ASSERT_GT(w, 12);
    EXPECT_EQ(d.Canvas.GetPixel(x - w - 4, b - 23), Picture->GetPixel(0, 0));
    EXPECT_EQ(d.Canvas.GetPixel(x - 5, b - 1), Picture->GetPixel(w - 1, 22));
    EXPECT_NE(d.Canvas.GetPixel(x - 4, b - 1), Picture->GetPixel(w - 1, 22));
    EXPECT_EQ(d.Canvas.GetPixel(item2->ContentLeft - 13, item2->MarkerBaseline - 3), clBlack)
        << "the disc instead";
}

} // namespace
