// Images in text: sizing rules, stand-ins with ALT text, link borders, spaces, the request
// road (files through the document's name expansion, the stream event, waiting, the cache),
// ACTIVE animations, image maps on the server side, panels and painting.
#include <cstdlib>

#include <gtest/gtest.h>

#include "html/image/bitmap_cache.h"
#include "html/image/gif_image.h"
#include "html/reader/map_item.h"
#include "platform/base/exceptions.h"
#include "platform/base/files.h"
#include "tests/html/doc/text_util.h"

namespace {

std::string DataDir() {
    const char* src = std::getenv("FOLIO_SOURCE_DIR");
    return std::string(src != nullptr && *src != '\0' ? src : ".") + "/tests/data/doc/";
}

// A document that reads its pictures from the test data folder, as a page read from a folder
// does.
struct TImageDoc : TTextDoc {
    TImageDoc() {
        Doc.HtmlExpandFilename = [](const std::string& name) { return DataDir() + name; };
    }
    // One section holding one image; laid out at a width.
    TImageObj* One(TAttributeList attrs, int32_t width = 400) {
        auto sec = Make();
        TImageObj* img = sec->AddImage(attrs, Top(), 0, false);
        Section = Add(std::move(sec));
        LayOut(width);
        return img;
    }
    TSection* Section = nullptr;
};

TEST(TextImage, PercentWidthFollowsTheColumn) {
    TImageDoc d;
    TImageObj* img = d.One(Attrs({{"SRC", "wide-200x50.bmp"}, {"WIDTH", "50%"}}), 400);
    EXPECT_FALSE(img->IsErrorImage());
    EXPECT_EQ(img->ObjWidth, 200);
    EXPECT_EQ(img->ObjHeight, 50);
    d.LayOut(300);
    EXPECT_EQ(img->ObjWidth, 150);
}

TEST(TextImage, OneGivenSideScalesTheOther) {
    TImageDoc d;
    TImageObj* byHeight = d.One(Attrs({{"SRC", "wide-200x50.bmp"}, {"HEIGHT", "100"}}));
    EXPECT_EQ(byHeight->ObjWidth, 400);
    EXPECT_EQ(byHeight->ObjHeight, 100);
    TImageDoc e;
    TImageObj* byWidth = e.One(Attrs({{"SRC", "wide-200x50.bmp"}, {"WIDTH", "100"}}));
    EXPECT_EQ(byWidth->ObjHeight, 25);
    TImageDoc f;
    TImageObj* natural = f.One(Attrs({{"SRC", "wide-200x50.bmp"}}));
    EXPECT_EQ(natural->ImageWidth, 200);
    EXPECT_EQ(natural->ImageHeight, 50);
    EXPECT_TRUE(natural->SizeKnown);
}

TEST(TextImage, MissingImageBoxHoldsItsAltText) {
    TImageDoc d;
    const std::string alt = "A picture of the sea";
    TImageObj* img = d.One(Attrs({{"SRC", "missing.gif"}, {"ALT", alt}}));
    ASSERT_TRUE(img->IsErrorImage());
    TFont arial;
    arial.Name = "Arial";
    arial.Size = 8;
    EXPECT_EQ(img->ObjWidth, WidthIn(arial, alt) + 26);
    EXPECT_EQ(img->ObjHeight, 24);
    EXPECT_FALSE(img->SizeKnown);

    TImageDoc e;
    TImageObj* sized = e.One(Attrs({{"SRC", "missing.gif"}, {"WIDTH", "70"}, {"HEIGHT", "9"}}));
    EXPECT_EQ(sized->ObjWidth, 70);
    EXPECT_EQ(sized->ObjHeight, 9);
}

TEST(TextImage, LinkedImageGetsABorderUnlessBorderZero) {
    for (const bool zero : {false, true}) {
        TImageDoc d;
        d.Link.Assign("go.html", "");
        auto attrs = Attrs({{"SRC", "wide-200x50.bmp"}});
        if (zero)
            attrs = Attrs({{"SRC", "wide-200x50.bmp"}, {"BORDER", "0"}});
        TImageObj* img = d.One(attrs);
        EXPECT_EQ(img->LinkBorder, !zero);
        EXPECT_EQ(img->ImageWidth, zero ? 200 : 202);
        EXPECT_EQ(img->ImageHeight, zero ? 50 : 52);
    }
}

TEST(TextImage, SpacesDefaultsAndCaps) {
    TImageDoc d;
    auto sec = d.Make();
    TAttributeList a = Attrs({{"ALIGN", "left"}});
    TAttributeList b = Attrs({{"HSPACE", "100"}, {"ALIGN", "right"}, {"VSPACE", "-50"}});
    TAttributeList c = Attrs({});
    TImageObj* left = sec->AddImage(a, d.Top(), 0, false);
    TImageObj* capped = sec->AddImage(b, d.Top(), 1, false);
    TImageObj* inl = sec->AddImage(c, d.Top(), 2, false);
    EXPECT_EQ(left->SpaceLeft, 3);
    EXPECT_EQ(left->SpaceRight, 3);
    EXPECT_EQ(capped->SpaceLeft, 40);
    EXPECT_EQ(capped->SpaceTop, 40);
    EXPECT_EQ(inl->SpaceLeft, 0);
    EXPECT_EQ(capped->ObjAlign, oaRight);
}

TEST(TextImage, StyleFloatAndMargins) {
    TImageDoc d;
    d.Push("img", "float: left; margin-top: 7px; width: 33px");
    auto sec = d.Make();
    TAttributeList a = Attrs({{"WIDTH", "10"}});
    TImageObj* img = sec->AddImage(a, d.Top(), 0, false);
    EXPECT_EQ(img->ObjAlign, oaLeft);
    EXPECT_EQ(img->SpaceLeft, 3);
    EXPECT_EQ(img->SpaceTop, 7);
    EXPECT_EQ(img->SpecWidth, 33);
}

TEST(TextImage, UseMapName) {
    TImageDoc d;
    auto sec = d.Make();
    TAttributeList a = Attrs({{"USEMAP", " #map1 "}});
    TImageObj* img = sec->AddImage(a, d.Top(), 0, false);
    EXPECT_TRUE(img->HasUseMap);
    EXPECT_EQ(img->UseMapName, "MAP1");
}

TEST(TextImage, ActiveTwoFrameGifShowsItsSecondFrameUnderThePointer) {
    TImageDoc d;
    TImageObj* img = d.One(Attrs({{"SRC", "two-frames.gif"}, {"ACTIVE", ""}}));
    ASSERT_NE(img->Gif(), nullptr);
    EXPECT_EQ(img->Gif()->CurrentFrame(), 1);
    EXPECT_TRUE(d.Doc.Animations.empty());
    img->SetHover(true);
    EXPECT_EQ(img->Gif()->CurrentFrame(), 2);
    img->SetHover(false);
    EXPECT_EQ(img->Gif()->CurrentFrame(), 1);
    EXPECT_TRUE(d.Doc.Animations.empty());
}

TEST(TextImage, AnimatedGifJoinsTheAnimationsAndLeavesWithIt) {
    TImageDoc d;
    TImageObj* img = d.One(Attrs({{"SRC", "two-frames.gif"}}));
    ASSERT_EQ(d.Doc.Animations.size(), 1u);
    EXPECT_EQ(d.Doc.Animations[0], img);
    EXPECT_EQ(img->ObjWidth, 8);
    img->SetHover(true); // not ACTIVE: nothing changes
    EXPECT_FALSE(img->Hovered);
}

TEST(TextImage, UsesOfAnAnimationShareItsFramesWithinThePagesBudget) {
    // Every use of one animation shares the decoded frames and keeps its own composition and
    // frame counters; the page counts the frames once and each composition, and a use that
    // would pass its budget shows the stand-in.
    TImageDoc d;
    TImageObj* first = d.One(Attrs({{"SRC", "two-frames.gif"}}));
    ASSERT_NE(first->Gif(), nullptr);
    const int64_t frames = first->Gif()->FrameBytes(), own = first->Gif()->OwnBytes();
    ASSERT_GT(own, 0);
    const int64_t afterFirst = d.Doc.PictureBytes();
    EXPECT_GE(afterFirst, frames + own);
    TImageObj* second = d.One(Attrs({{"SRC", "two-frames.gif"}}));
    ASSERT_NE(second->Gif(), nullptr);
    EXPECT_TRUE(second->Gif()->SharesFramesWith(*first->Gif()));
    EXPECT_EQ(d.Doc.PictureBytes(), afterFirst + own);
    second->Gif()->SetCurrentFrame(2);
    EXPECT_EQ(first->Gif()->CurrentFrame(), 1);
    EXPECT_EQ(d.Doc.Animations.size(), 2u);

    d.Doc.PictureBudget = d.Doc.PictureBytes() + own; // room for one more use only
    TImageObj* third = d.One(Attrs({{"SRC", "two-frames.gif"}}));
    EXPECT_FALSE(third->IsErrorImage());
    TImageObj* fourth = d.One(Attrs({{"SRC", "two-frames.gif"}}));
    EXPECT_TRUE(fourth->IsErrorImage());
    EXPECT_EQ(fourth->Gif(), nullptr);
    EXPECT_LE(d.Doc.PictureBytes(), d.Doc.PictureBudget);
    TImageObj* bitmap = d.One(Attrs({{"SRC", "wide-200x50.bmp"}}));
    EXPECT_TRUE(bitmap->IsErrorImage()) << "a new picture does not fit either";
    EXPECT_EQ(d.Doc.Animations.size(), 3u);

    // A fresh page starts with the whole budget again.
    d.Doc.Clear();
    EXPECT_EQ(d.Doc.PictureBytes(), 0);
}

TEST(TextImage, PicturesComeThroughTheStreamEvent) {
    TImageDoc d;
    std::vector<std::string> asked;
    TMemoryStream data;
    data.LoadFromFile(DataDir() + "wide-200x50.bmp");
    d.Doc.OnImageRequest = [&](TObject*, const std::string& src, TMemoryStream*& stream) {
        asked.push_back(src);
        stream = src == "later.bmp" ? WaitStream() : &data;
    };
    TImageObj* img = d.One(Attrs({{"SRC", "wide-200x50.bmp"}}));
    EXPECT_EQ(asked, std::vector<std::string>{"wide-200x50.bmp"});
    EXPECT_EQ(img->ObjWidth, 200);

    TImageObj* later = d.One(Attrs({{"SRC", "later.bmp"}}));
    EXPECT_TRUE(later->IsWaitingImage());
    EXPECT_GE(d.Doc.PendingImages.IndexOf("LATER.BMP"), 0);
}

// A host that raises for a name it cannot serve (the builder's resource loader does) leaves
// the error image in the page; the next image still comes.
TEST(TextImage, AHostThatRaisesGivesTheErrorImage) {
    TImageDoc d;
    TMemoryStream data;
    data.LoadFromFile(DataDir() + "wide-200x50.bmp");
    d.Doc.OnImageRequest = [&](TObject*, const std::string& src, TMemoryStream*& stream) {
        if (src == "gone.bmp")
            throw Exception("Can't load resource: gone");
        stream = &data;
    };
    TImageObj* gone = d.One(Attrs({{"SRC", "gone.bmp"}}));
    EXPECT_TRUE(gone->IsErrorImage());
    TImageObj* there = d.One(Attrs({{"SRC", "wide-200x50.bmp"}}));
    EXPECT_FALSE(there->IsErrorImage());
    EXPECT_EQ(there->ObjWidth, 200);
}

TEST(TextImage, TheCacheHoldsOneEntryPerPicture) {
    TImageDoc d;
    auto sec = d.Make();
    TAttributeList a = Attrs({{"SRC", "wide-200x50.bmp"}});
    sec->AddImage(a, d.Top(), 0, false);
    sec->AddImage(a, d.Top(), 1, false);
    d.Add(std::move(sec));
    d.LayOut();
    TStringBitmapList* cache = d.Doc.BitmapList;
    ASSERT_NE(cache, nullptr);
    const int i = cache->IndexOf(UpperCase(DataDir() + "wide-200x50.bmp"));
    ASSERT_GE(i, 0);
    EXPECT_EQ(cache->Item(i)->UsageCount, 2);
    d.Doc.Clear();
    EXPECT_EQ(cache->Item(i)->UsageCount, 0);
}

TEST(TextImage, ServerSideMapAddsTheClickOffset) {
    TImageDoc d;
    d.Link.Assign("map.cgi", "");
    TImageObj* img = d.One(Attrs({{"SRC", "wide-200x50.bmp"}, {"ISMAP", ""}, {"BORDER", "0"}}));
    d.Paint();
    TUrlTarget target;
    TImageFormControlObj* button = nullptr;
    ASSERT_TRUE(d.Section->FindLink(d.Canvas, img->DrawX + 12, img->DrawY + 7, target, button));
    EXPECT_EQ(target.URL, "map.cgi?12,7");
    EXPECT_EQ(d.Doc.HoverImage, img);
}

TEST(TextImage, PaintedPictureLiesInItsLine) {
    TImageDoc d;
    TImageObj* img = d.One(Attrs({{"SRC", "wide-200x50.bmp"}}));
    d.Paint();
    const TSection& s = *d.Section;
    // Bottom alignment: the picture stands on the baseline.
    const int32_t baseline = s.Lines[0].SpaceBefore + s.Lines[0].TextHeight - s.Lines[0].Descent;
    EXPECT_EQ(img->DrawY, baseline - 50);
    EXPECT_EQ(img->DrawX, 0);
    EXPECT_EQ(d.Canvas.GetPixel(10, img->DrawY + 10), clBlack);
    EXPECT_EQ(d.Canvas.GetPixel(150, img->DrawY + 10), clWhite);
    TObject* obj = nullptr;
    int32_t xi = 0, yi = 0;
    EXPECT_TRUE(d.Section->ObjectAt(5, img->DrawY + 5, obj, xi, yi));
    EXPECT_EQ(obj, img);
}

TEST(TextImage, PanelTakesTheSizeTheHostGivesIt) {
    TImageDoc d;
    std::string created;
    d.Doc.OnPanelCreate = [&](TObject*, const std::string& name, const std::string& type,
                              const std::string& src, ThvPanel* panel) {
        created = name + "|" + type + "|" + src;
        panel->SetBounds(0, 0, 120, 45);
    };
    int destroyed = 0;
    d.Doc.OnPanelDestroy = [&](TObject*, ThvPanel*) { ++destroyed; };
    auto sec = d.Make();
    TAttributeList a = Attrs({{"NAME", "clock"}, {"TYPE", "x/clock"}, {"SRC", "c.dat"}});
    TPanelObj* panel = sec->AddPanel(a, 0, false);
    EXPECT_EQ(created, "clock|x/clock|c.dat");
    EXPECT_EQ(panel->ImageWidth, 120);
    EXPECT_EQ(panel->ImageHeight, 45);
    EXPECT_EQ(panel->SpaceLeft, 3);
    ASSERT_EQ(d.Doc.Panels.size(), 1u);
    d.Add(std::move(sec));
    d.LayOut();
    d.Paint();
    EXPECT_TRUE(panel->Shown);
    d.Doc.Clear();
    EXPECT_EQ(destroyed, 1);
}

TEST(TextImage, BitmapEventWithATransparentColour) {
    TImageDoc d;
    d.Doc.OnBitmapRequest = [](TObject*, const std::string&, std::unique_ptr<TBitmap>& bitmap,
                               TColor& color) {
        bitmap = std::make_unique<TBitmap>(30, 20, pf24bit);
        bitmap->Fill(clWhite);
        bitmap->SetPixel(0, 0, clRed);
        color = clRed;
    };
    TImageObj* img = d.One(Attrs({{"SRC", "given"}}));
    EXPECT_EQ(img->ObjWidth, 30);
    EXPECT_EQ(img->Transparency, TGif);
    ASSERT_NE(img->Mask(), nullptr);
    EXPECT_EQ(img->Mask()->GetPixel(0, 0), clWhite); // transparent
    EXPECT_EQ(img->Mask()->GetPixel(1, 0), clBlack);
}

TEST(TextImage, StillTransparentGifBecomesABitmapWithAMask) {
    TTextDoc d;
    d.Doc.HtmlExpandFilename = [](const std::string& name) {
        const char* src = std::getenv("FOLIO_SOURCE_DIR");
        return std::string(src != nullptr && *src != '\0' ? src : ".") + "/tests/data/image/" +
               name;
    };
    auto sec = d.Make();
    TAttributeList a = Attrs({{"SRC", "holes.gif"}});
    TImageObj* img = sec->AddImage(a, d.Top(), 0, false);
    d.Add(std::move(sec));
    d.LayOut();
    EXPECT_EQ(img->Gif(), nullptr);
    ASSERT_NE(img->Bitmap(), nullptr);
    EXPECT_EQ(img->Transparency, TGif);
    EXPECT_NE(img->Mask(), nullptr);
    EXPECT_EQ(img->ObjWidth, 24);
}

TEST(TextImage, StandInIsFramedSunken) {
    TImageDoc d;
    TImageObj* img = d.One(Attrs({{"SRC", "missing.gif"}, {"WIDTH", "60"}, {"HEIGHT", "40"}}));
    d.Paint();
    EXPECT_EQ(d.Canvas.GetPixel(img->DrawX, img->DrawY - d.Doc.ScrollTop), clBtnShadow);
    EXPECT_EQ(d.Canvas.GetPixel(img->DrawX + 30, img->DrawY), clBtnShadow);
    EXPECT_EQ(d.Canvas.GetPixel(img->DrawX, img->DrawY + 30), clBtnShadow);
}

TEST(TextImage, ClientSideMapGivesTheAreaLink) {
    TImageDoc d;
    auto map = std::make_unique<TMapItem>();
    map->MapName = "NAV";
    map->AddArea(Attrs({{"HREF", "left.html"}, {"COORDS", "0,0,100,50"}}));
    map->AddArea(Attrs({{"HREF", "right.html"}, {"COORDS", "100,0,200,50"}}));
    d.Doc.MapList.Add(std::move(map));
    TImageObj* img = d.One(Attrs({{"SRC", "wide-200x50.bmp"}, {"USEMAP", "#nav"}}));
    d.Paint();
    TUrlTarget target;
    TImageFormControlObj* button = nullptr;
    ASSERT_TRUE(d.Section->FindLink(d.Canvas, img->DrawX + 150, img->DrawY + 10, target, button));
    EXPECT_EQ(target.URL, "right.html");
    ASSERT_TRUE(d.Section->FindLink(d.Canvas, img->DrawX + 20, img->DrawY + 10, target, button));
    EXPECT_EQ(target.URL, "left.html");
    EXPECT_FALSE(d.Section->FindLink(d.Canvas, img->DrawX + 20, img->DrawY + 60, target, button));
}

} // namespace
