// The frame viewer: what the owner is asked and in what order, link targets, failures,
// the history of frame sets, the visited list, refresh, and events of the inner viewers.
#include <gtest/gtest.h>

#include "html/doc/font_obj.h"
#include "html/doc/image_obj.h"
#include "platform/graphics/canvas.h"
#include "platform/gui/scripted_dialogs.h"
#include "tests/support/temp_dir.h"

#include "tests/html/view/frame_util.h"
#include "tests/support/files.h"
#include <filesystem>
#include <fstream>

using folio_test::FrameTest;

namespace {

using Strings = std::vector<std::string>;

Strings VisitedList(const TFrameViewer& fv) {
    Strings out;
    for (int i = 0; i < fv.Visited().Count(); ++i)
        out.push_back(fv.Visited()[i]);
    return out;
}

} // namespace

TEST_F(FrameTest, PagesStyleSheetsAndPicturesAreAskedInOrder) {
    pages["help.html"] = "<html><head><title>Help</title>"
                         "<link rel=stylesheet href=\"styles.css\"></head>"
                         "<body><p class=big>Hello</p><img src=\"logo.gif\"></body></html>";
    pages["styles.css"] = "p.big { color: #ff0000 }";
    fv->OpenDocument("help.html");
    EXPECT_EQ(requests, (Strings{"page:help.html", "page:styles.css", "image:logo.gif"}));
    EXPECT_EQ(fv->CurrentFile(), "help.html");
    EXPECT_EQ(fv->DocumentTitle(), "Help");
    // The style sheet arrived although the page's own stream was reused for it.
    THTMLViewer* v = Frame("");
    ASSERT_NE(v, nullptr);
    v->SelectAll();
    EXPECT_EQ(v->SelText().substr(0, 5), "Hello");
    int at = -1;
    EXPECT_TRUE(v->Document().StyleSheet.Find("p.big", at));
}

TEST_F(FrameTest, EachFrameIsAskedForAfterTheFrameSet) {
    pages["fs.html"] = "<frameset cols=\"*,*\"><frame name=a src=\"a.html#x\">"
                       "<frame name=b src=b.html></frameset>";
    pages["a.html"] = "<link rel=stylesheet href=a.css>" + Page("A");
    pages["a.css"] = "";
    pages["b.html"] = Page("B", "<img src=b.gif>");
    fv->Load("fs.html");
    EXPECT_EQ(requests,
              (Strings{"page:fs.html", "page:a.html", "page:a.css", "page:b.html", "image:b.gif"}));
    EXPECT_EQ(fv->FrameByName("a")->Destination, "x");
    EXPECT_EQ(fv->FrameByName("A"), fv->FrameByName("a")); // names in any capitals
}

TEST_F(FrameTest, WithoutRequestEventsPagesAreFilesAndOpenDocumentDoesNothing) {
    TFrameViewer plain;
    plain.SetBounds(0, 0, 300, 200);
    plain.OpenDocument("whatever.html");
    EXPECT_EQ(plain.CurrentFile(), "");
    EXPECT_THROW(plain.Load("/no/such/folder/x.html"), EInOutError);
    try {
        plain.Load("/no/such/folder/x.html");
    } catch (const EInOutError& e) {
        EXPECT_EQ(std::string(e.what()), "Can't locate file: /no/such/folder/x.html");
    }
}

TEST_F(FrameTest, OtherRequestEventsAreTriedInTheirOrder) {
    TStringList list;
    list.SetText("<title>From strings</title>");
    std::string buffer = "<title>From a buffer</title>";
    Strings asked;
    fv->OnStreamRequest = [&](TObject*, const std::string& src, TMemoryStream*& s) {
        asked.push_back("stream:" + src);
        s = nullptr;
    };
    fv->OnStringsRequest = [&](TObject*, const std::string& src, TStringList*& s) {
        asked.push_back("strings:" + src);
        s = src == "s.html" ? &list : nullptr;
    };
    fv->OnBufferRequest = [&](TObject*, const std::string& src, const char*& b, int32_t& n) {
        asked.push_back("buffer:" + src);
        b = buffer.data();
        n = static_cast<int32_t>(buffer.size());
    };
    fv->Load("s.html");
    EXPECT_EQ(fv->DocumentTitle(), "From strings");
    fv->Load("b.html");
    EXPECT_EQ(fv->DocumentTitle(), "From a buffer");
    EXPECT_EQ(asked,
              (Strings{"strings:s.html", "strings:b.html", "stream:b.html", "buffer:b.html"}));
}

// The owner says what it served: plain text is shown as written, a picture as the one image of
// its page, asked for again through the image request; unsaid, everything is a page.
TEST_F(FrameTest, TheOwnerTellsWhatKindOfDocumentItServed) {
    pages["notes.txt"] = "a <b>  b\n  c";
    pages["pic.gif"] = "GIF89a";
    pages["page.html"] = Page("P");
    Strings kinds;
    fv->OnDocumentKind = [&](TObject*, const std::string& src, THtmlFileType& kind) {
        kinds.push_back(src);
        if (src == "notes.txt")
            kind = TextType;
        else if (src == "pic.gif")
            kind = ImgType;
    };
    fv->Load("notes.txt");
    THTMLViewer* v = Frame("");
    ASSERT_NE(v, nullptr);
    EXPECT_EQ(v->CurrentFileType(), TextType);
    v->SelectAll();
    EXPECT_NE(v->SelText().find("a <b>  b"), std::string::npos) << v->SelText();
    requests.clear();
    fv->Load("pic.gif");
    v = Frame("");
    ASSERT_NE(v, nullptr);
    EXPECT_EQ(v->CurrentFileType(), ImgType);
    EXPECT_EQ(requests, (Strings{"page:pic.gif", "image:pic.gif"}));
    fv->Load("page.html");
    EXPECT_EQ(Frame("")->CurrentFileType(), HTMLType);
    EXPECT_EQ(kinds, (Strings{"notes.txt", "pic.gif", "page.html"}));
}

TEST_F(FrameTest, ALinkInOneFrameLoadsTheFrameItNames) {
    pages["fs.html"] = "<frameset cols=\"150,*\"><frame name=nav src=nav.html>"
                       "<frame name=main src=a.html></frameset>";
    pages["nav.html"] = Page("Nav", "<a href=b.html target=main>B</a>");
    pages["a.html"] = Page("A");
    pages["b.html"] = Page("B");
    Strings clicks;
    fv->OnHotSpotTargetClick = [&](TObject*, const std::string& target, const std::string& url,
                                   bool&) { clicks.push_back(target + "|" + url); };
    fv->Load("fs.html");
    THTMLViewer* nav = Frame("nav");
    Click(nav, "b.html", "main");
    EXPECT_EQ(clicks, (Strings{"main|b.html"}));
    EXPECT_EQ(Title("main"), "B");
    EXPECT_EQ(Title("nav"), "Nav");
    EXPECT_EQ(fv->FrameByName("main")->Source, "b.html");
    EXPECT_EQ(Frame("nav"), nav); // the clicking frame was left alone
    // The link is marked visited in the frame that shows it.
    ASSERT_FALSE(nav->Document().Links.empty());
    EXPECT_TRUE(nav->Document().Links.front()->Visited);
}

TEST_F(FrameTest, TheBaseTargetOfTheDocumentOrTheSetChoosesTheFrame) {
    pages["fs.html"] = "<head><base target=main></head><frameset cols=\"*,*\">"
                       "<frame name=nav src=nav.html><frame name=main src=a.html></frameset>";
    pages["nav.html"] = Page("Nav");
    pages["a.html"] = Page("A");
    pages["b.html"] = Page("B");
    fv->Load("fs.html");
    Click(Frame("nav"), "b.html");
    EXPECT_EQ(Title("main"), "B");
    EXPECT_EQ(Title("nav"), "Nav");
}

TEST_F(FrameTest, SelfTopAndParentTargets) {
    pages["fs.html"] = "<frameset cols=\"*,*\"><frame name=left src=inner.html>"
                       "<frame name=right src=a.html></frameset>";
    pages["inner.html"] = "<frameset rows=\"*,*\"><frame name=up src=a.html>"
                          "<frame name=down src=a.html></frameset>";
    pages["a.html"] = Page("A");
    pages["b.html"] = Page("B");
    pages["c.html"] = Page("C");
    fv->Load("fs.html");
    ASSERT_NE(fv->FrameByName("up"), nullptr);
    Click(Frame("up"), "b.html", "_self");
    EXPECT_EQ(Title("up"), "B");
    EXPECT_EQ(Title("down"), "A");
    // _parent: the frame whose document holds the clicked frame's set.
    Click(Frame("down"), "c.html", "_parent");
    EXPECT_EQ(Title("left"), "C");
    EXPECT_EQ(fv->FrameByName("up"), nullptr); // its set went with the document
    EXPECT_EQ(Title("right"), "A");
    // _parent with no frame around: the top set.
    Click(Frame("right"), "b.html", "_parent");
    EXPECT_EQ(fv->CurrentFile(), "b.html");
    EXPECT_EQ(Title(""), "B");
    // _top replaces everything.
    fv->Load("fs.html");
    Click(Frame("right"), "c.html", "_top");
    EXPECT_EQ(fv->CurrentFile(), "c.html");
    EXPECT_EQ(fv->CurFrameSet().Children().size(), 1u);
}

TEST_F(FrameTest, UnknownTargetsGoToTheOwnerOrNowhere) {
    pages["a.html"] = Page("A");
    pages["b.html"] = Page("B");
    fv->Load("a.html");
    requests.clear();
    bool handled = false;
    Frame("")->SetURL("b.html", "_blank");
    fv->LinkClick(Frame(""), "b.html", handled);
    EXPECT_TRUE(handled);
    EXPECT_TRUE(requests.empty());
    EXPECT_EQ(fv->CurrentFile(), "a.html");

    Strings blank;
    fv->OnBlankWindowRequest = [&](TObject*, const std::string& target, const std::string& url) {
        blank.push_back(target + "|" + url);
    };
    Click(Frame(""), "b.html#top", "elsewhere");
    EXPECT_EQ(blank, (Strings{"elsewhere|b.html#top"}));
    EXPECT_TRUE(requests.empty());
    EXPECT_EQ(VisitedList(*fv).front(), "b.html#top");
}

TEST_F(FrameTest, TheOwnerMayTakeAClick) {
    pages["a.html"] = Page("A");
    fv->OnHotSpotTargetClick = [](TObject*, const std::string&, const std::string& url,
                                  bool& handled) { handled = url.rfind("mailto:", 0) == 0; };
    fv->Load("a.html");
    requests.clear();
    Click(Frame(""), "mailto:someone@example.com");
    EXPECT_TRUE(requests.empty());
    EXPECT_EQ(fv->CurrentFile(), "a.html");
}

TEST_F(FrameTest, AQueryIsLeftOutOfTheRequestAndKeptInTheVisitedList) {
    std::string body = "<a href=\"page.html?x=1#part\">go</a>";
    pages["a.html"] = Page("A", body);
    std::string long_page;
    for (int i = 0; i < 60; ++i)
        long_page += "<p>line " + std::to_string(i) + "</p>";
    pages["page.html"] = Page("P", long_page + "<a name=part>here</a>" + long_page);
    fv->Load("a.html");
    requests.clear();
    Click(Frame(""), "page.html?x=1#part");
    EXPECT_EQ(requests.front(), "page:page.html");
    EXPECT_EQ(fv->CurrentFile(), "page.html");
    EXPECT_GT(Frame("")->PixelPosition(), 0); // scrolled to the anchor
    const Strings visited = VisitedList(*fv);
    EXPECT_EQ(visited.front(), "page.html?x=1#part");
    EXPECT_NE(std::find(visited.begin(), visited.end(), "page.html#part"), visited.end());
}

TEST_F(FrameTest, AFragmentOnlyLinkScrollsWithoutReloading) {
    std::string filler;
    for (int i = 0; i < 80; ++i)
        filler += "<p>line " + std::to_string(i) + "</p>";
    pages["fs.html"] = "<frameset cols=\"*,*\"><frame name=a src=a.html>"
                       "<frame name=b src=a.html></frameset>";
    pages["a.html"] = Page("A", filler + "<a name=end>end</a>" + filler);
    fv->Load("fs.html");
    requests.clear();
    Click(Frame("a"), "#end");
    EXPECT_TRUE(requests.empty());
    EXPECT_GT(Frame("a")->PixelPosition(), 0);
    EXPECT_EQ(Frame("b")->PixelPosition(), 0);
}

TEST_F(FrameTest, AFrameThatFailsSaysSoAndTheOthersStand) {
    pages["fs.html"] = "<frameset cols=\"*,*\"><frame name=a src=a.html>"
                       "<frame name=b src=missing.html></frameset>";
    pages["a.html"] = Page("A");
    fv->Load("fs.html");
    EXPECT_EQ(Title("a"), "A");
    TfvFrame* b = fv->FrameByName("b");
    EXPECT_EQ(b->LoadError, "Can't load resource: missing.html");
    EXPECT_EQ(Title("b"), "Can't load: missing.html");
}

TEST_F(FrameTest, ATopLevelFailureKeepsTheShownSetAndRaises) {
    pages["a.html"] = Page("A");
    fv->Load("a.html");
    THTMLViewer* before = Frame("");
    try {
        fv->Load("missing.html");
        FAIL() << "no error";
    } catch (const Exception& e) {
        EXPECT_EQ(std::string(e.what()), "Can't load resource: missing.html");
    }
    EXPECT_EQ(fv->CurrentFile(), "a.html");
    EXPECT_EQ(Frame(""), before);
    EXPECT_FALSE(fv->Processing());
}

TEST_F(FrameTest, AFailedLinkIsReportedAndLeavesThePages) {
    pages["fs.html"] = "<frameset cols=\"*,*\"><frame name=a src=a.html>"
                       "<frame name=b src=a.html></frameset>";
    pages["a.html"] = Page("A");
    fv->Load("fs.html");
    std::vector<std::string> errors;
    Application().OnException = [&](TApplication&, const std::exception& e) {
        errors.push_back(e.what());
    };
    Click(Frame("a"), "gone.html", "b");
    Click(Frame("a"), "gone.html", "_top");
    EXPECT_TRUE(errors.empty()) << "reported inside the click";
    Application().ProcessMessages(); // reported once the clicks have been handled
    Application().OnException = nullptr;
    EXPECT_EQ(errors, (Strings{"Can't load: gone.html", "Can't load resource: gone.html"}));
    EXPECT_EQ(Title("b"), "A");
    EXPECT_EQ(fv->CurrentFile(), "fs.html");
    EXPECT_FALSE(fv->Processing());
}

TEST_F(FrameTest, APictureTheOwnerCannotServeShowsTheErrorImage) {
    pages["a.html"] = Page("A", "<img src=gone.gif width=40 height=30><p>after</p>");
    fv->Load("a.html");
    EXPECT_EQ(requests, (Strings{"page:a.html", "image:gone.gif"}));
    THTMLViewer* v = Frame("");
    v->SelectAll();
    EXPECT_NE(v->SelText().find("after"), std::string::npos);
}

TEST_F(FrameTest, FrameSetDocumentsThatHoldThemselvesStopNesting) {
    pages["loop.html"] = "<frameset cols=\"*,*\"><frame name=a src=loop.html>"
                         "<frame name=b src=a.html></frameset>";
    pages["a.html"] = Page("A");
    fv->Load("loop.html");
    // Bounded: each level holds one more loop frame and one page.
    const size_t viewers = fv->Viewers().size();
    EXPECT_GE(viewers, 2u);
    EXPECT_LE(viewers, 2u * TfvFrame::kMaxDocumentDepth);
}

TEST_F(FrameTest, HistoryKeepsWholeFrameSets) {
    pages["a.html"] = Page("A");
    pages["fs.html"] = "<title>Set</title><frameset cols=\"*,*\"><frame name=l src=a.html>"
                       "<frame name=r src=b.html></frameset>";
    pages["b.html"] = Page("B");
    pages["c.html"] = Page("C");
    int changes = 0;
    fv->OnHistoryChange = [&](TObject*) { ++changes; };
    fv->SetHistoryMaxCount(5);
    fv->Load("a.html");
    EXPECT_FALSE(fv->BackButtonEnabled());
    fv->Load("fs.html");
    Click(Frame("l"), "c.html"); // the frame's own history
    EXPECT_EQ(Title("l"), "C");
    fv->Load("b.html");
    EXPECT_EQ(fv->History().Count(), 3);
    EXPECT_EQ(fv->History()[1], "fs.html");
    EXPECT_EQ(fv->TitleHistory()[1], "Set");
    EXPECT_TRUE(fv->BackButtonEnabled());
    EXPECT_FALSE(fv->FwdButtonEnabled());

    fv->GoBack();
    EXPECT_EQ(fv->CurrentFile(), "fs.html");
    EXPECT_EQ(fv->HistoryIndex(), 1);
    EXPECT_EQ(Title("l"), "C"); // the set came back as it was left
    EXPECT_EQ(Title("r"), "B");
    EXPECT_TRUE(fv->FwdButtonEnabled());
    // Back goes through the frame's own history before the sets'.
    EXPECT_TRUE(fv->FrameByName("l")->BackEnabled());
    fv->GoBack();
    EXPECT_EQ(Title("l"), "A");
    EXPECT_EQ(fv->CurrentFile(), "fs.html");
    fv->GoBack();
    EXPECT_EQ(fv->CurrentFile(), "a.html");
    EXPECT_FALSE(fv->BackButtonEnabled());
    fv->GoFwd();
    EXPECT_EQ(fv->CurrentFile(), "fs.html");
    // A new page drops what lay ahead.
    fv->Load("c.html");
    EXPECT_EQ(fv->History().Count(), 3);
    EXPECT_EQ(fv->History()[0], "c.html");
    EXPECT_FALSE(fv->FwdButtonEnabled());
    EXPECT_GT(changes, 0);
}

TEST_F(FrameTest, WithoutHistoryReplacedSetsAreReleased) {
    pages["a.html"] = Page("A");
    pages["b.html"] = Page("B");
    fv->Load("a.html");
    fv->Load("b.html");
    Click(Frame(""), "a.html");
    EXPECT_EQ(fv->History().Count(), 0);
    EXPECT_FALSE(fv->BackButtonEnabled());
    EXPECT_FALSE(fv->FwdButtonEnabled());
    fv->GoBack(); // nothing to go to
    EXPECT_EQ(fv->CurrentFile(), "a.html");
}

TEST_F(FrameTest, TheVisitedListIsKeptForAllFramesWithinItsSize) {
    pages["a.html"] = Page("A");
    fv->SetVisitedMaxCount(2);
    fv->AddVisited("one");
    fv->AddVisited("two");
    fv->AddVisited("one");
    EXPECT_EQ(VisitedList(*fv), (Strings{"one", "two"}));
    fv->AddVisited("three");
    EXPECT_EQ(VisitedList(*fv), (Strings{"three", "one"}));
    fv->Load("a.html");
    EXPECT_EQ(VisitedList(*fv), (Strings{"a.html", "three"}));
    EXPECT_EQ(Frame("")->Visited().Count(), 0); // the inner viewer keeps none
}

TEST_F(FrameTest, MetaRefreshReloadsTheFrameAfterTheDelay) {
    pages["a.html"] = "<html><head><meta http-equiv=Refresh content=\"2; url=b.html\">"
                      "<title>A</title></head><body>a</body></html>";
    pages["b.html"] = Page("B");
    Strings metas;
    fv->OnMeta = [&](TObject*, const std::string& he, const std::string&,
                     const std::string& content) { metas.push_back(he + "=" + content); };
    fv->Load("a.html");
    clock.Advance(5000);
    Application().ProcessMessages();
    EXPECT_EQ(Title(""), "A"); // without fvMetaRefresh nothing happens
    EXPECT_EQ(metas, (Strings{"Refresh=2; url=b.html"}));

    fv->SetfvOptions(TFrameViewerOptions{fvMetaRefresh, fvPrintTableBackground});
    fv->Load("b.html");
    fv->Load("a.html");
    clock.Advance(1500);
    Application().ProcessMessages();
    EXPECT_EQ(Title(""), "A");
    clock.Advance(600);
    Application().ProcessMessages();
    EXPECT_EQ(Title(""), "B");
}

TEST_F(FrameTest, InnerViewersHandTheirEventsToTheOwner) {
    pages["a.html"] = Page("A", "<a href=b.html target=x>link</a>");
    Strings covered;
    fv->OnHotSpotTargetCovered = [&](TObject* sender, const std::string& target,
                                     const std::string& url) {
        EXPECT_EQ(sender, Frame(""));
        covered.push_back(target + "|" + url);
    };
    std::vector<bool> processing;
    fv->OnProcessing = [&](TObject*, bool on) { processing.push_back(on); };
    fv->Load("a.html");
    EXPECT_EQ(processing, (std::vector<bool>{true, false}));
    THTMLViewer* v = Frame("");
    v->SetURL("b.html", "x");
    v->OnHotSpotCovered(v, "b.html");
    v->OnHotSpotCovered(v, "");
    EXPECT_EQ(covered, (Strings{"x|b.html", "|"}));
    // Settings reach the inner viewers.
    fv->SetViewImages(false);
    EXPECT_FALSE(v->ViewImages());
    fv->SetfvOptions(TFrameViewerOptions{fvOverLinksActive, fvNoLinkUnderline});
    EXPECT_TRUE(v->htOptions().Contains(htOverLinksActive));
    EXPECT_TRUE(v->htOptions().Contains(htNoLinkUnderline));
    EXPECT_FALSE(v->htOptions().Contains(htPrintTableBackground));
}

TEST_F(FrameTest, ClicksWhileProcessingAreSwallowed) {
    pages["a.html"] = Page("A");
    pages["b.html"] = Page("B");
    fv->Load("a.html");
    fv->SetProcessing(true);
    bool handled = false;
    Frame("")->SetURL("b.html");
    fv->LinkClick(Frame(""), "b.html", handled);
    fv->SetProcessing(false);
    EXPECT_TRUE(handled);
    EXPECT_EQ(fv->CurrentFile(), "a.html");
}

TEST_F(FrameTest, AClickThatReplacesItsOwnViewerLeavesItAliveUntilTheEventIsOver) {
    pages["a.html"] = Page("A", "<a href=b.html>LINK LINK LINK</a>");
    pages["b.html"] = Page("B");
    fv->Load("a.html");
    THTMLViewer* old = Frame("");
    TCanvas canvas(600, 400);
    fv->PaintTo(canvas, 0, 0);
    // Press and release on the link, through the paint panel as the pointer does.
    TPaintPanel& panel = old->PaintPanel();
    panel.MouseMove(0, 30, 14);
    panel.MouseDown(TMouseButton::mbLeft, ssLeft, 30, 14);
    panel.MouseUp(TMouseButton::mbLeft, 0, 30, 14);
    EXPECT_EQ(fv->CurrentFile(), "b.html");
    EXPECT_EQ(Title(""), "B");
    EXPECT_NE(Frame(""), old);
    // Off the screen, and released with the next messages.
    const std::vector<THTMLViewer*> shown = fv->Viewers();
    EXPECT_EQ(std::find(shown.begin(), shown.end(), old), shown.end());
    Application().ProcessMessages();
    EXPECT_EQ(fv->Viewers().size(), 1u);
}

TEST_F(FrameTest, FrameSetsThatMultiplyAreBounded) {
    // Every frame holds the document again: without a bound, 20 to the power of the depth.
    std::string set = "<frameset cols=\"*,*,*,*,*,*,*,*,*,*,*,*,*,*,*,*,*,*,*,*\">";
    for (int i = 0; i < 20; ++i)
        set += "<frame src=many.html>";
    pages["many.html"] = set + "</frameset>";
    fv->Load("many.html");
    EXPECT_LE(fv->CurFrameSet().FrameCount(), 256);
    EXPECT_GE(fv->CurFrameSet().FrameCount(), 20);
}

TEST_F(FrameTest, AFrameSetsRefreshReloadsTheWholeSet) {
    pages["fs.html"] = "<head><meta http-equiv=refresh content=\"1;url=b.html\"></head>"
                       "<frameset cols=\"*,*\"><frame src=a.html><frame src=a.html></frameset>";
    pages["a.html"] = Page("A");
    pages["b.html"] = Page("B");
    fv->SetfvOptions(TFrameViewerOptions{fvMetaRefresh});
    fv->Load("fs.html");
    EXPECT_EQ(fv->CurFrameSet().RefreshURL, "b.html");
    clock.Advance(1000);
    Application().ProcessMessages();
    EXPECT_EQ(fv->CurrentFile(), "b.html");
}

TEST(FrameFiles, WithoutRequestEventsFramesAreFilesBesideTheirFrameSet) {
    folio_test::TempDir dir;
    const auto write = [&](const std::string& name, const std::string& text) {
        folio_test::WriteFile(dir / name, text);
    };
    std::filesystem::create_directory(dir / "pages");
    write("fs.html", "<frameset cols=\"*,*,*\"><frame name=a src=\"pages/a.html\">"
                     "<frame name=t src=notes.txt><frame name=i src=\"pic%20one.gif\"></frameset>");
    write("based.html", "<head><base href=\"file://" + dir.Path() +
                            "/pages/\"></head><frameset cols=\"*\"><frame name=a src=a.html>"
                            "</frameset>");
    write("pages/a.html", "<title>A</title><a href=\"b.html\">to b</a>");
    write("pages/b.html", "<title>B</title>");
    write("notes.txt", "plain <text>");
    write("pic one.gif", std::string("GIF89a\x01\x00\x01\x00\x80\x00\x00\xff\xff\xff\x00\x00\x00"
                                     "!\xf9\x04\x01\x00\x00\x00\x00,\x00\x00\x00\x00\x01\x00\x01"
                                     "\x00\x00\x02\x02D\x01\x00;",
                                     43));
    TFrameViewer fv;
    fv.SetBounds(0, 0, 600, 300);
    fv.Load(dir / "fs.html");
    EXPECT_EQ(fv.CurrentFile(), dir / "fs.html");
    ASSERT_NE(fv.FrameByName("a"), nullptr);
    EXPECT_EQ(fv.FrameByName("a")->Source, dir / "pages/a.html");
    EXPECT_EQ(fv.FrameByName("t")->HtmlViewer()->CurrentFileType(), TextType);
    EXPECT_EQ(fv.FrameByName("i")->HtmlViewer()->CurrentFileType(), ImgType);
    EXPECT_EQ(fv.FrameByName("i")->Source, dir / "pic one.gif");

    // A link resolves against the page's own folder.
    THTMLViewer* a = fv.FrameByName("a")->HtmlViewer();
    a->SetURL("b.html");
    a->FollowLink();
    EXPECT_EQ(fv.FrameByName("a")->HtmlViewer()->DocumentTitle(), "B");
    EXPECT_EQ(fv.Visited()[0], dir / "pages/b.html");

    // The frame set's base element places its frames' sources.
    fv.Load(dir / "based.html");
    EXPECT_EQ(fv.FrameByName("a")->Source, dir / "pages/a.html");
    EXPECT_EQ(fv.FrameByName("a")->HtmlViewer()->DocumentTitle(), "A");
}

TEST_F(FrameTest, ObjectClicksReachTheOwnerFromTheInnerViewer) {
    pages["a.html"] = Page("A");
    TObject* from = nullptr;
    std::string said;
    fv->OnObjectClick = [&](TObject* sender, TFormControlObj*, const std::string& onClick) {
        from = sender;
        said = onClick;
    };
    fv->Load("a.html");
    THTMLViewer* v = Frame("");
    ASSERT_TRUE(v->OnObjectClick);
    v->OnObjectClick(v, nullptr, "create");
    EXPECT_EQ(from, v);
    EXPECT_EQ(said, "create");
}

TEST_F(FrameTest, AFailedLinkIsShownAfterTheClickAndAReloadDuringTheMessageWaitsForIt) {
    pages["a.html"] = Page("A", "<a href=missing.html>gone</a>");
    fv->Load("a.html");
    TScriptedDialogs dialogs;
    TDialogProviderScope scope(dialogs);
    THTMLViewer* clicked = Frame("");
    bool clicking = false;
    Strings seen;
    // What the user does while the message is up: F5, Back and a link, all meant for the
    // window below. Each would free the viewer whose click is being handled.
    dialogs.WhileShown = [&](const TDialogRecord& asked) {
        seen.push_back(asked.Text + (clicking ? " (inside the click)" : ""));
        requests.clear();
        fv->Reload();
        fv->GoBack();
        fv->HotSpotClick(nullptr, "a.html", {});
        seen.push_back(std::to_string(requests.size()) + " requests while shown");
    };
    clicking = true;
    Click(clicked, "missing.html");
    clicking = false;
    EXPECT_TRUE(seen.empty()) << "the message was shown inside the click";
    EXPECT_EQ(Frame(""), clicked);
    Application().ProcessMessages(); // the message, then the commands it held back
    Application().ProcessMessages();
    EXPECT_EQ(seen, (Strings{"Can't load resource: missing.html", "0 requests while shown"}));
    EXPECT_EQ(requests, (Strings{"page:a.html", "page:a.html"})); // the reload and the link
    EXPECT_EQ(fv->CurrentFile(), "a.html");
    EXPECT_EQ(Title(""), "A");
}
