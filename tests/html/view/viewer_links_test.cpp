// Files, links, anchors, the visited list, the history and meta refresh.
#include <gtest/gtest.h>

#include "html/doc/font_obj.h"
#include "html/load/html_reader.h"
#include "platform/gui/application.h"
#include "tests/html/view/view_util.h"

using folio_test::ViewerTest;

namespace {

// The visited flags of the document's links, by link address.
std::vector<std::pair<std::string, bool>> LinkMarks(THTMLViewer& v) {
    std::vector<std::pair<std::string, bool>> out;
    for (TFontObj* link : v.Document().Links)
        if (out.empty() || out.back().first != link->Target.URL)
            out.emplace_back(link->Target.URL, link->Visited);
    return out;
}

} // namespace

TEST_F(ViewerTest, OpeningAFileTakesItsTitleAndAMissingOneRaises) {
    const std::string a = Write("a.html", "<title>Page A</title><p>text of a</p>");
    std::vector<bool> processing;
    viewer->OnProcessing = [&](TObject*, bool on) { processing.push_back(on); };
    viewer->LoadFromFile(a);
    EXPECT_EQ(viewer->CurrentFile(), a);
    EXPECT_EQ(viewer->CurrentFileType(), HTMLType);
    EXPECT_EQ(viewer->DocumentTitle(), "Page A");
    EXPECT_EQ(Application().ScreenCursor(), TCursor::crDefault);
    processing.clear();
    try {
        viewer->OpenHtmlFile(dir / "missing.html");
        FAIL() << "no error";
    } catch (const EInOutError& e) {
        EXPECT_EQ(std::string(e.what()), "Can't locate file: " + (dir / "missing.html"));
    }
    // The state is restored before the error leaves.
    EXPECT_FALSE(viewer->Processing());
    EXPECT_EQ(processing, (std::vector<bool>{true, false}));
    EXPECT_EQ(Application().ScreenCursor(), TCursor::crDefault);
    EXPECT_EQ(viewer->CurrentFile(), a);
    viewer->OpenHtmlFile(""); // ignored
    EXPECT_EQ(viewer->CurrentFile(), a);
}

TEST_F(ViewerTest, TextAndPictureFilesAreShownAsSuch) {
    const std::string t = Write("notes.txt", "line <one>\nline two\n");
    viewer->OpenTextFile(t);
    EXPECT_EQ(viewer->CurrentFileType(), TextType);
    viewer->SelectAll();
    EXPECT_NE(viewer->SelText().find("line <one>"), std::string::npos);

    // A 1 x 1 GIF.
    const std::string gif("GIF89a\x01\x00\x01\x00\x80\x00\x00\xff\xff\xff\x00\x00\x00"
                          "!\xf9\x04\x01\x00\x00\x00\x00,\x00\x00\x00\x00\x01\x00\x01\x00\x00"
                          "\x02\x02D\x01\x00;",
                          43);
    const std::string g = Write("dot 100%.gif", gif);
    viewer->OpenImageFile(g);
    EXPECT_EQ(viewer->CurrentFileType(), ImgType);
    EXPECT_EQ(viewer->CurrentFile(), g);
    EXPECT_GT(viewer->DocHeight(), 0);
}

TEST_F(ViewerTest, LoadingFromMemoryClearsTheFileNameAndGoesToTheTop) {
    viewer->OpenHtmlFile(Write("a.html", Paragraphs(60)));
    viewer->SetPixelPosition(200);
    TStringList lines;
    lines.Add("<p>one</p>");
    lines.Add("<p>two</p>");
    viewer->ShowStringList(lines);
    EXPECT_EQ(viewer->CurrentFile(), "");
    EXPECT_EQ(viewer->PixelPosition(), 0);
    viewer->SelectAll();
    EXPECT_EQ(viewer->SelText(), "one\r\ntwo\r\n");
    const std::string text = "<p>buffer</p>";
    viewer->ShowHtmlBuffer(text.data(), text.size());
    viewer->SelectAll();
    EXPECT_EQ(viewer->SelText(), "buffer\r\n");
    TMemoryStream stream;
    stream.Write("<p>stream</p>", 13);
    stream.SetPosition(0);
    viewer->ShowHtmlStream(stream);
    viewer->SelectAll();
    EXPECT_EQ(viewer->SelText(), "stream\r\n");
}

TEST_F(ViewerTest, ReloadingTheSameFileKeepsThePositionAnotherGoesToTheTop) {
    const std::string a = Write("a.html", Paragraphs(60));
    const std::string b = Write("b.html", Paragraphs(60));
    viewer->OpenHtmlFile(a);
    viewer->SetPixelPosition(300);
    viewer->OpenHtmlFile(a);
    EXPECT_EQ(viewer->PixelPosition(), 300);
    viewer->OpenHtmlFile(b);
    EXPECT_EQ(viewer->PixelPosition(), 0);
    viewer->OpenHtmlFile(a + "#p30");
    EXPECT_EQ(viewer->PixelPosition(), 0); // no such anchor: the top of a new file
}

TEST_F(ViewerTest, AnAnchorLinkScrollsWithoutReloading) {
    const std::string a = Write("a.html", "<a name=\"top\"></a><p>head</p>" + Paragraphs(60) +
                                              "<p id=\"end\">end</p><a href=\"#top\">up</a>");
    viewer->OpenHtmlFile(a);
    viewer->SetPixelPosition(5000);
    const int32_t bottom = viewer->PixelPosition();
    ASSERT_GT(bottom, 0);
    int loads = 0;
    viewer->OnProcessing = [&](TObject*, bool on) { loads += on ? 1 : 0; };
    viewer->SetURL("#top");
    viewer->FollowLink();
    EXPECT_LT(viewer->PixelPosition(), bottom);
    EXPECT_EQ(viewer->PixelPosition(), viewer->Document().NamedPositions.Find("top")->YPosition());
    EXPECT_EQ(loads, 0);
    EXPECT_EQ(viewer->Visited().Strings(0), a + "#top");
    EXPECT_TRUE(viewer->ScrollToAnchor("#END")); // names compare without regard to case
    EXPECT_GT(viewer->PixelPosition(), 0);
    EXPECT_FALSE(viewer->ScrollToAnchor("nowhere"));
    // The link mark of "#top" is set.
    EXPECT_EQ(LinkMarks(*viewer), (std::vector<std::pair<std::string, bool>>{{"#top", true}}));
}

TEST_F(ViewerTest, ClickingALinkFollowsItToAnotherFileAtItsAnchor) {
    const std::string b = Write("b.html", Paragraphs(60) + "<p id=\"part\">part</p>");
    const std::string a = Write("a.html", "<p><a href=\"b.html#part\">to b</a></p>");
    viewer->OpenHtmlFile(a);
    Paint();
    std::vector<std::string> clicked;
    viewer->OnHotSpotClick = [&](TObject*, const std::string& src, bool&) {
        clicked.push_back(src);
    };
    TCanvas canvas(1, 1);
    int32_t x = 0, y = 0;
    ASSERT_TRUE(viewer->Document().CaretPoint(canvas, 1, x, y));
    viewer->PaintPanel().MouseDown(TMouseButton::mbLeft, ssLeft, x + 2, y + 4);
    viewer->PaintPanel().MouseUp(TMouseButton::mbLeft, 0, x + 2, y + 4);
    EXPECT_EQ(clicked, (std::vector<std::string>{"b.html#part"}));
    EXPECT_EQ(viewer->CurrentFile(), b);
    EXPECT_GT(viewer->PixelPosition(), 0);
    EXPECT_EQ(viewer->Visited().Strings(0), b + "#part");
}

TEST_F(ViewerTest, LinksTheViewerCannotShowDoNothing) {
    const std::string a = Write("a.html", "<p>a</p>");
    Write("notes.txt", "text");
    viewer->OpenHtmlFile(a);
    for (const char* link : {"notes.txt", "http://example.com/page.html", "mailto:x@y.z"}) {
        viewer->SetURL(link);
        viewer->FollowLink();
        EXPECT_EQ(viewer->CurrentFile(), a) << link;
    }
    // A handler that handles the click stops the viewer's own handling.
    Write("b.html", "<p>b</p>");
    viewer->OnHotSpotClick = [](TObject*, const std::string&, bool& handled) { handled = true; };
    viewer->SetURL("b.html");
    viewer->FollowLink();
    EXPECT_EQ(viewer->CurrentFile(), a);
}

TEST_F(ViewerTest, FollowedLinksAreMarkedVisitedAndTheListIsBounded) {
    const std::string page = "<p><a href=\"b.html\">b</a> <a href=\"c.html\">c</a> "
                             "<a href=\"d.html\">d</a></p>";
    const std::string a = Write("a.html", page);
    const std::string b = Write("b.html", page), c = Write("c.html", page);
    Write("d.html", page);
    viewer->SetVisitedMaxCount(2);
    viewer->OpenHtmlFile(a);
    viewer->SetURL("b.html");
    viewer->FollowLink();
    EXPECT_EQ(LinkMarks(*viewer), (std::vector<std::pair<std::string, bool>>{
                                      {"b.html", true}, {"c.html", false}, {"d.html", false}}));
    viewer->SetURL("c.html");
    viewer->FollowLink();
    viewer->SetURL("d.html");
    viewer->FollowLink();
    ASSERT_EQ(viewer->Visited().Count(), 2);
    EXPECT_EQ(viewer->Visited().Strings(0), dir / "d.html");
    EXPECT_EQ(viewer->Visited().Strings(1), c);
    // Visiting an entry again moves it to the front.
    viewer->AddVisited(c);
    EXPECT_EQ(viewer->Visited().Strings(0), c);
    // After a load every link in the list is marked; b fell out of it.
    viewer->OpenHtmlFile(a);
    EXPECT_EQ(LinkMarks(*viewer), (std::vector<std::pair<std::string, bool>>{
                                      {"b.html", false}, {"c.html", true}, {"d.html", true}}));
    // Zero empties the list and unmarks every link at once.
    viewer->SetVisitedMaxCount(0);
    EXPECT_EQ(viewer->Visited().Count(), 0);
    EXPECT_EQ(LinkMarks(*viewer), (std::vector<std::pair<std::string, bool>>{
                                      {"b.html", false}, {"c.html", false}, {"d.html", false}}));
    viewer->SetURL("b.html");
    viewer->FollowLink();
    EXPECT_EQ(viewer->Visited().Count(), 0);
    (void)b;
}

TEST_F(ViewerTest, InsideAFrameViewerTheViewerKeepsNoVisitedList) {
    const std::string a = Write("a.html", "<p><a href=\"#x\">x</a><a name=\"x\">here</a></p>");
    viewer->InFrameViewer = true;
    viewer->OpenHtmlFile(a);
    EXPECT_TRUE(viewer->ScrollToAnchor("x"));
    EXPECT_EQ(viewer->Visited().Count(), 0);
}

TEST_F(ViewerTest, WithoutAHistoryCapacityNoHistoryIsKept) {
    const std::string a = Write("a.html", "<p>a</p>"), b = Write("b.html", "<p>b</p>");
    viewer->OpenHtmlFile(a);
    viewer->OpenHtmlFile(b);
    EXPECT_EQ(viewer->History().Count(), 0);
}

TEST_F(ViewerTest, TheHistoryRecordsPagesAndPositionsNewestFirst) {
    const std::string a = Write("a.html", "<title>A</title><a name=\"top\"></a>" + Paragraphs(60) +
                                              "<p id=\"end\">end</p>");
    const std::string b = Write("b.html", "<title>B</title><p>b</p>");
    const std::string c = Write("c.html", "<title>C</title><p>c</p>");
    int changes = 0;
    viewer->OnHistoryChange = [&](TObject*) { ++changes; };
    viewer->SetHistoryMaxCount(3);
    viewer->OpenHtmlFile(a);
    ASSERT_EQ(viewer->History().Count(), 1);
    EXPECT_EQ(viewer->History().Strings(0), a);
    EXPECT_EQ(viewer->TitleHistory().Strings(0), "A");

    // Following an anchor in the same file records the position.
    viewer->SetURL("#end");
    viewer->FollowLink();
    const int32_t endPos = viewer->ViewPosition();
    ASSERT_EQ(viewer->History().Count(), 2);
    EXPECT_EQ(viewer->History().Strings(0), a);
    EXPECT_EQ(viewer->PositionHistory()[0].Pos, endPos);
    EXPECT_EQ(viewer->PositionHistory()[1].Pos, 0);

    viewer->SetURL("b.html");
    viewer->FollowLink();
    // The entry that was current is updated with where the page was left.
    EXPECT_EQ(viewer->History().Strings(0), b);
    EXPECT_EQ(viewer->TitleHistory().Strings(0), "B");
    EXPECT_EQ(viewer->PositionHistory()[1].Pos, endPos);
    viewer->OpenHtmlFile(c);
    ASSERT_EQ(viewer->History().Count(), 3); // capacity 3: the oldest fell out
    EXPECT_EQ(viewer->History().Strings(2), a);
    EXPECT_EQ(viewer->PositionHistory()[2].Pos, endPos);
    EXPECT_EQ(viewer->HistoryIndex(), 0);
    EXPECT_EQ(changes, 4);

    // Loading the same file at the same place adds nothing; lowering the capacity clears.
    viewer->OpenHtmlFile(c);
    EXPECT_EQ(changes, 4);
    viewer->SetHistoryMaxCount(2);
    EXPECT_EQ(viewer->History().Count(), 0);
    EXPECT_EQ(changes, 5);
}

TEST_F(ViewerTest, LinksExpandAgainstTheFileTheBaseAndTheServerRoot) {
    const std::string a = Write("a.html", "<p>a</p>");
    viewer->OpenHtmlFile(a);
    EXPECT_EQ(viewer->ExpandName("b.html"), dir / "b.html");
    EXPECT_EQ(viewer->ExpandName("sub/../c%20d.html"), dir / "c d.html");
    EXPECT_EQ(viewer->ExpandName("/abs/x.html"), "/abs/x.html");
    viewer->SetServerRoot("/srv/root/");
    EXPECT_EQ(viewer->ExpandName("/abs/x.html"), "/srv/root/abs/x.html");
    EXPECT_EQ(viewer->ExpandName("file:///abs/x.html"), "/abs/x.html");
    viewer->SetServerRoot("");
    viewer->SetBase("/other/place/index.html");
    EXPECT_EQ(viewer->ExpandName("y.html"), "/other/place/y.html");
    viewer->SetBase("DOSPATH");
    EXPECT_EQ(viewer->ExpandName("/q/../r.html"), "/r.html");
    EXPECT_EQ(viewer->ExpandName("http://example.com/a.html"), "http://example.com/a.html");
    viewer->SetBase("http://example.com/dir/page.html");
    EXPECT_EQ(viewer->ExpandName("x.html"), "http://example.com/dir/x.html");
    viewer->SetURL("x.html");
    viewer->FollowLink(); // a web address: nothing to open
    EXPECT_EQ(viewer->CurrentFile(), a);
    // The document's own base element wins over one given from outside.
    viewer->ShowHtmlString("<base href=\"file:///doc/base/\"><p>x</p>");
    EXPECT_EQ(viewer->ExpandName("z.html"), "/doc/base/z.html");
}

TEST_F(ViewerTest, MetaRefreshIsReportedAfterTheLoad) {
    struct Case {
        std::string content;
        int calls;
        int delay;
        std::string url;
    };
    const Case cases[] = {
        {"0; url=next.html", 1, 1, "next.html"},
        {"5;URL=later.html", 1, 5, "later.html"},
        {"7", 1, 7, ""},
        {"soon; url=x.html", 0, 0, ""},
        {"-3; url=x.html", 0, 0, ""},
    };
    for (const Case& c : cases) {
        int calls = 0, delay = 0, metas = 0;
        std::string url;
        bool loadedFirst = false;
        viewer->OnMeta = [&](TObject*, const std::string& httpEq, const std::string&,
                             const std::string&) { metas += httpEq == "Refresh" ? 1 : 0; };
        viewer->OnMetaRefresh = [&](TObject*, int32_t d, const std::string& u) {
            ++calls;
            delay = d;
            url = u;
            loadedFirst = !viewer->Processing() && viewer->DocHeight() > 0;
        };
        viewer->ShowHtmlString("<meta http-equiv=\"Refresh\" content=\"" + c.content +
                               "\"><p>page</p>");
        EXPECT_EQ(metas, 1) << c.content;
        EXPECT_EQ(calls, c.calls) << c.content;
        if (c.calls == 0)
            continue;
        EXPECT_EQ(delay, c.delay) << c.content;
        EXPECT_EQ(url, c.url) << c.content;
        EXPECT_TRUE(loadedFirst) << c.content;
    }
    // A document without a refresh reports none, even after one that had it.
    int calls = 0;
    viewer->OnMetaRefresh = [&](TObject*, int32_t, const std::string&) { ++calls; };
    viewer->ShowHtmlString("<p>plain</p>");
    EXPECT_EQ(calls, 0);
}

TEST_F(ViewerTest, TheBackgroundImageIsTiledAlignedToTheDocument) {
    // A 2 x 1 BMP: red then blue, so the tile grid's phase shows in the picture.
    std::string bmp = "BM";
    auto le32 = [&](uint32_t v) {
        for (int i = 0; i < 4; ++i)
            bmp += static_cast<char>((v >> (8 * i)) & 0xFF);
    };
    auto le16 = [&](uint16_t v) {
        bmp += static_cast<char>(v & 0xFF);
        bmp += static_cast<char>(v >> 8);
    };
    le32(62);
    le32(0);
    le32(54);
    le32(40);
    le32(2);
    le32(1);
    le16(1);
    le16(24);
    le32(0);
    le32(8);
    le32(0);
    le32(0);
    le32(0);
    le32(0);
    bmp += std::string("\x00\x00\xff\xff\x00\x00\x00\x00", 8); // red, blue (BGR), padding
    Write("bg.bmp", bmp);
    const std::string a = Write("a.html", "<body background=\"bg.bmp\"><img width=900 height=1>" +
                                              Paragraphs(80) + "</body>");
    viewer->OpenHtmlFile(a);
    TPaintPanel& p = viewer->PaintPanel();
    auto pixelAt = [&](int x, int y) {
        TCanvas canvas(p.Width(), p.Height());
        p.Paint(canvas, p.ClientRect());
        return canvas.ToBitmap().GetPixel(x, y);
    };
    const TColor red = RGB(255, 0, 0), blue = RGB(0, 0, 255);
    // Column 0 of the document is red, column 1 blue; scrolling right by one moves the grid.
    const int y = p.Height() - 2; // below the picture, over the background
    EXPECT_EQ(pixelAt(0, y), red);
    EXPECT_EQ(pixelAt(1, y), blue);
    viewer->SetHScrollPosition(1);
    EXPECT_EQ(pixelAt(0, y), blue);
    EXPECT_EQ(pixelAt(1, y), red);
    viewer->SetPixelPosition(7); // one row high: the vertical phase changes nothing
    EXPECT_EQ(pixelAt(0, y), blue);
}

TEST_F(ViewerTest, ADocumentFromMemoryMayStandForANameWithAnAnchor) {
    const std::string page = Paragraphs(60) + "<p id=\"part\">part</p><a href=\"#part\">p</a>";
    viewer->LoadFromSource(THtmlSource::Text(page), "served.html#part");
    EXPECT_EQ(viewer->CurrentFile(), "served.html");
    EXPECT_GT(viewer->PixelPosition(), 0);
    EXPECT_EQ(viewer->Visited().Strings(0), "served.html#part");
    EXPECT_EQ(LinkMarks(*viewer), (std::vector<std::pair<std::string, bool>>{{"#part", true}}));
    // The same name again without an anchor keeps the position.
    const int32_t pos = viewer->PixelPosition();
    viewer->LoadFromSource(THtmlSource::Text(page), "served.html");
    EXPECT_EQ(viewer->PixelPosition(), pos);
}
