// The document reader: what it builds from small pages.
#include <sys/stat.h>

#include <gtest/gtest.h>

#include <string>

#include "html/doc/form_kinds.h"
#include "html/doc/html_form.h"
#include "html/doc/list_rule.h"
#include "html/load/headless_page.h"
#include "html/load/html_reader.h"
#include "html/load/reader_core.h"
#include "platform/graphics/canvas.h"
#include "tests/html/load/tree_walk.h"
#include "tests/support/files.h"
#include "tests/support/fonts_env.h"
#include "tests/support/temp_dir.h"
#include <fstream>

using namespace folio_test;

namespace {

// How deep the property stack grows while a page is read.
int PeakLevels(const std::string& html) {
    THeadlessPage page;
    page.LoadHtml("", "");
    TReaderHost host;
    THtmlReader reader(page.Document(), host);
    reader.ParseDocument(THtmlSource::Text(html));
    return reader.PeakLevels();
}

struct ReaderTest : ::testing::Test {
    THeadlessPage page;
    TSectionList& Load(const std::string& html) {
        page.LoadHtml(html, "");
        return page.Document();
    }
    // The layout and painting passes recurse as deep as the tree: they must come back.
    void LayOutAndPaint() {
        page.LayOut(800);
        TCanvas band(800, 600);
        page.Paint(band, 0);
    }
    const TMyFont& Font(const std::string& text) {
        const TMyFont* f = FontOf(page.Document(), text);
        EXPECT_NE(f, nullptr) << "no section holds " << text;
        static const TMyFont none;
        return f ? *f : none;
    }
};

TEST_F(ReaderTest, MisnestedEndTagClosesTheElementItNamesOnly) {
    Load("<b>one<i>two</b>three</i>four");
    EXPECT_TRUE(Font("one").Bold);
    EXPECT_FALSE(Font("one").Italic);
    EXPECT_TRUE(Font("two").Bold);
    EXPECT_TRUE(Font("two").Italic);
    EXPECT_FALSE(Font("three").Bold);
    EXPECT_TRUE(Font("three").Italic);
    EXPECT_FALSE(Font("four").Bold);
    EXPECT_FALSE(Font("four").Italic);
}

TEST_F(ReaderTest, EndTagOfNoOpenElementChangesNothing) {
    Load("<b>one</i>two</b>three");
    EXPECT_TRUE(Font("two").Bold);
    EXPECT_FALSE(Font("three").Bold);
}

// A title's text is never drawn; after content, a title names only a page that had none.
TEST_F(ReaderTest, TitleIsTakenOnceAndNeverDrawn) {
    EXPECT_EQ(Load("<title>The \n title</title><p>x").Title, "The title");
    TSectionList& late = Load("<p>x</p><title>Late</title><p>y");
    EXPECT_EQ(late.Title, "Late");
    EXPECT_EQ(SectionWith(late, "Late"), nullptr);
    EXPECT_EQ(Load("<title>First</title><p>x</p><title>Second</title>").Title, "First");
}

TEST_F(ReaderTest, BaseIsKeptForTheViewer) {
    TSectionList& doc = Load("<base href=\"http://example.org/a/\" target=main><p>x");
    EXPECT_EQ(doc.Base, "http://example.org/a/");
    EXPECT_EQ(doc.BaseTarget, "main");
}

TEST_F(ReaderTest, FontSizesAreRelativeToTheBaseFont) {
    Load("<font size=+2>five</font><font size=+9>seven</font><font size=0>one</font>"
         "<font size=4>four</font><basefont size=5><font size=-1>bfour</font>");
    EXPECT_EQ(Font("five").Size, 18);
    EXPECT_EQ(Font("seven").Size, 36);
    EXPECT_EQ(Font("one").Size, 8);
    EXPECT_EQ(Font("four").Size, 14);
    EXPECT_EQ(Font("bfour").Size, 14);
}

TEST_F(ReaderTest, FontSizeTablesForTextAndPreformattedText) {
    EXPECT_EQ(FontSizePoints(5, false), 18);
    EXPECT_EQ(FontSizePoints(5, true), 15);
    EXPECT_EQ(FontSizePoints(0, false), 8);
    EXPECT_EQ(FontSizePoints(99, true), 30);
    Load("<pre><font size=5>fixed</font></pre>");
    EXPECT_EQ(Font("fixed").Size, 15);
}

TEST_F(ReaderTest, StyleRuleWinsOverFontAttribute) {
    Load("<style>font { color: #00ff00 }</style><font color=red>green</font>"
         "<font face=Arial color=blue>blue</font>");
    EXPECT_EQ(Font("green").Color & 0xFFFFFF, 0x00FF00u);
    EXPECT_EQ(Font("blue").Color & 0xFFFFFF, 0x00FF00u);
    EXPECT_EQ(Font("blue").Name, "Arial");
}

TEST_F(ReaderTest, MetaCharsetTable) {
    EXPECT_EQ(CharsetFromContent("text/html; charset=windows-1251"), 204);
    EXPECT_EQ(CharsetFromContent("text/html; charset=KOI8-R"), 204);
    EXPECT_EQ(CharsetFromContent("text/html; charset=iso-8859-2"), 238);
    EXPECT_EQ(CharsetFromContent("text/html; charset=windows-1257"), 186);
    EXPECT_EQ(CharsetFromContent("text/html; charset=iso-8859-1"), 0);
    EXPECT_EQ(CharsetFromContent("text/html; charset=utf-8"), 1) << "the default set";
    EXPECT_EQ(CharsetFromContent("text/html"), -1);
}

TEST_F(ReaderTest, MetaContentTypeSelectsTheCharacterSetOfTheText) {
    Load("<meta http-equiv=Content-Type content=\"text/html; charset=windows-1251\">"
         "\xCF\xF0\xE8\xE2\xE5\xF2");
    EXPECT_EQ(Font("\xD0\x9F\xD1\x80\xD0\xB8").Charset, 204); // decoded: "При"
    Load("<p>first</p><meta http-equiv=Content-Type content=\"text/html; charset=windows-1251\">"
         "<p>later");
    EXPECT_EQ(Font("later").Charset, 0) << "a META after content is ignored";
}

TEST_F(ReaderTest, AMapWithoutEndTagEndsAtTheFirstContent) {
    TSectionList& closed =
        Load("<map name=nav><area shape=rect coords=\"0,0,10,10\" href=a.htm></map>x");
    ASSERT_EQ(closed.MapList.Count(), 1);
    EXPECT_EQ(closed.MapList[0]->MapName, "NAV");
    // No end tag: the map keeps its areas, and every tag and word after them is content.
    TSectionList& open = Load("<map name=nav><area shape=rect coords=\"0,0,10,10\" href=a.htm>\n"
                              "<area shape=rect coords=\"10,0,20,10\" href=b.htm>\n"
                              "<b><i><u>after");
    ASSERT_EQ(open.MapList.Count(), 1);
    EXPECT_EQ(open.MapList[0]->Areas.Count(), 2);
    ASSERT_NE(SectionWith(open, "after"), nullptr);
    const TMyFont& f = Font("after");
    EXPECT_TRUE(f.Bold && f.Italic && f.Underline);
    TSectionList& text = Load("<map name=m><area shape=rect coords=\"0,0,1,1\" href=a.htm>"
                              "words right after<p>a paragraph");
    EXPECT_EQ(text.MapList.Count(), 1);
    EXPECT_NE(SectionWith(text, "words right after"), nullptr);
    EXPECT_NE(SectionWith(text, "a paragraph"), nullptr);
}

TEST_F(ReaderTest, UnknownTagsAreSkippedTheirTextKept) {
    TSectionList& doc = Load("<blink>one</blink> <foo bar=1>two</foo>");
    const TSection* s = SectionWith(doc, "one");
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(TextOf(*s), "one two");
}

// Stray text before the head begins the body; the page's BODY still gives its colours, but
// only the first BODY counts, and a BASE after content is skipped.
TEST_F(ReaderTest, LateBodyGivesItsColoursOnce) {
    TSectionList& doc = Load("stray<p>x</p><base href=late.htm><body bgcolor=red text=green>after");
    EXPECT_EQ(doc.Base, "");
    EXPECT_EQ(doc.Background & 0xFFFFFF, 0x0000FFu);
    EXPECT_EQ(Font("after").Color & 0xFFFFFF, 0x008000u);
    EXPECT_EQ(Load("<body bgcolor=blue><p>x</p><body bgcolor=red>y").Background & 0xFFFFFF,
              0xFF0000u);
}

TEST_F(ReaderTest, BodyAttributes) {
    TSectionList& doc = Load("<body bgcolor=#ffffff text=#800000 marginwidth=300>text");
    EXPECT_EQ(doc.Background & 0xFFFFFF, 0xFFFFFFu);
    EXPECT_EQ(Font("text").Color & 0xFFFFFF, 0x000080u);
    auto bodies = All<TBodyBlock>(doc);
    ASSERT_EQ(bodies.size(), 1u);
    page.LayOut(800);
    // MARGINWIDTH is held to 200.
    EXPECT_EQ(SectionWith(doc, "text")->ContentLeft, 0); // sections place their lines
    EXPECT_EQ(bodies[0]->ContentLeft, 200);
}

TEST_F(ReaderTest, RepeatedBodyTagsDoNotPileUpLevels) {
    std::string html;
    for (int i = 0; i < 20000; ++i)
        html += "<body bgcolor=#00ff00>";
    TSectionList& doc = Load(html + "text");
    EXPECT_EQ(doc.Background & 0xFFFFFF, 0x00FF00u);
    EXPECT_EQ(doc.Count(), 1); // one body block
    EXPECT_LE(PeakLevels(html), 3);
}

TEST_F(ReaderTest, NameAnchorOfAnEmptySectionStaysFindable) {
    TSectionList& doc = Load("<a name=\"#top\"></a><h2>Head</h2><a name=mid>mid</a>");
    ASSERT_NE(doc.NamedPositions.Find("TOP"), nullptr);
    ASSERT_NE(doc.NamedPositions.Find("MID"), nullptr);
    page.LayOut(400);
    EXPECT_GE(doc.NamedPositions.Find("TOP")->YPosition(), 0);
    EXPECT_GT(doc.NamedPositions.Find("MID")->YPosition(), 0);
}

TEST_F(ReaderTest, LinksCarryTheirAddressAndANestedLinkClosesTheOpenOne) {
    TSectionList& doc = Load("<a href=one.htm target=f>one<a href=two.htm>two</a>three");
    const TSection* s = SectionWith(doc, "one");
    ASSERT_NE(s, nullptr);
    std::string seen;
    for (int i = 0; i < s->FontRuns.Count(); ++i)
        seen += "[" + s->FontRuns[i]->Target.URL + "]";
    EXPECT_EQ(seen, "[one.htm][two.htm][]");
    EXPECT_FALSE(Font("three").Underline);
    EXPECT_TRUE(Font("two").Underline);
}

TEST_F(ReaderTest, ListsTakeStartTypeAndPlain) {
    TSectionList& doc = Load("<ol start=4 type=a><li>d<li>e</ol><ul plain><li>p</ul><li>loose");
    auto items = All<TBlockLI>(doc);
    ASSERT_EQ(items.size(), 4u);
    EXPECT_EQ(items[0]->ListKind, 1);
    EXPECT_EQ(items[0]->ItemNumber, 4);
    EXPECT_EQ(items[1]->ItemNumber, 5);
    EXPECT_EQ(items[0]->MarkerStyle, lsLowerAlpha);
    EXPECT_EQ(items[2]->ListKind, 2);
    EXPECT_EQ(items[3]->ListKind, 4);
}

TEST_F(ReaderTest, EmptyListLeavesNoItem) {
    TSectionList& doc = Load("<ul></ul><p>after");
    EXPECT_TRUE(All<TBlockLI>(doc).empty());
    EXPECT_NE(SectionWith(doc, "after"), nullptr);
}

TEST_F(ReaderTest, BreakAddsALineBreakAndClearMakesABlock) {
    TSectionList& doc = Load("one<br>two<br clear=all>three");
    const TSection* s = SectionWith(doc, "one");
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(TextOf(*s), "one\x08two");
    const TSection* after = SectionWith(doc, "three");
    ASSERT_NE(after, nullptr);
    EXPECT_NE(after, s);
    EXPECT_EQ(after->ClearMode, ckBoth);
}

TEST_F(ReaderTest, NoBreakAndWordBreak) {
    TSectionList& doc = Load("<nobr>a b<wbr>c</nobr> d");
    const TSection* s = SectionWith(doc, "a");
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(TextOf(*s), "a\xC2\xA0"
                          "b c d");
}

TEST_F(ReaderTest, CenterAndDivAlignment) {
    TSectionList& doc = Load("<center>mid</center><div align=right>right</div>"
                             "<p align=center>para</p><h2 align=right>head</h2>");
    EXPECT_EQ(SectionWith(doc, "mid")->TextAlign, LineAlign::Center);
    EXPECT_EQ(SectionWith(doc, "right")->TextAlign, LineAlign::Right);
    EXPECT_EQ(SectionWith(doc, "para")->TextAlign, LineAlign::Center);
    EXPECT_EQ(SectionWith(doc, "head")->TextAlign, LineAlign::Right);
}

TEST_F(ReaderTest, PreKeepsLinesAndSpaces) {
    TSectionList& doc = Load("<pre>\na  b\n\tc<b>d</b></pre>e");
    auto pres = All<TPreFormated>(doc);
    ASSERT_EQ(pres.size(), 2u);
    EXPECT_EQ(TextOf(*pres[0]), "a  b");
    EXPECT_EQ(TextOf(*pres[1]), "        cd"); // the tab goes to column 8
    EXPECT_TRUE(FontAt(*pres[1], 9)->Bold);
    EXPECT_FALSE(Font("e").Bold);
}

TEST_F(ReaderTest, PreEndsAtTheEndOfItsTableCell) {
    TSectionList& doc = Load("<table><tr><td><pre>a\nb</td><td>c</table>");
    auto tables = All<TTableBlock>(doc);
    ASSERT_EQ(tables.size(), 1u);
    ASSERT_EQ(tables[0]->Table->Rows.size(), 1u);
    EXPECT_EQ(tables[0]->Table->Rows[0]->Count(), 2);
    auto pres = All<TPreFormated>(doc);
    ASSERT_EQ(pres.size(), 2u);
    EXPECT_EQ(TextOf(*pres[1]), "b");
    EXPECT_EQ(dynamic_cast<TPreFormated*>(SectionWith(doc, "c")), nullptr);
}

TEST_F(ReaderTest, ParagraphAndFormInsidePre) {
    TSectionList& doc = Load("<pre>x<p>\ny</p>z<form action=f><input name=i></form>w</pre>");
    ASSERT_EQ(doc.Forms.Count(), 1);
    EXPECT_EQ(doc.Forms[0]->Action, "f");
    ASSERT_EQ(doc.Controls.size(), 1u);
    EXPECT_EQ(doc.Controls[0]->Form, doc.Forms[0]);
    std::string texts;
    for (TPreFormated* p : All<TPreFormated>(doc))
        texts += "[" + TextOf(*p) + "]";
    EXPECT_EQ(texts, "[x][y][z][\x02][w]");
}

TEST_F(ReaderTest, PlainTextIsPreformattedLineByLine) {
    page.LoadText("one <b>\r\ntwo &amp;\n");
    auto pres = All<TPreFormated>(page.Document());
    ASSERT_GE(pres.size(), 2u);
    EXPECT_EQ(TextOf(*pres[0]), "one <b>");
    EXPECT_EQ(TextOf(*pres[1]), "two &amp;");
}

TEST_F(ReaderTest, SelectOptionsAndTextAreaLines) {
    TSectionList& doc = Load("<form action=go><select name=s><option value=1>One <option "
                             "selected>Two</option><option></option></select>"
                             "<textarea name=t>line 1\nline &amp; 2</textarea></form>");
    ASSERT_EQ(doc.Forms.Count(), 1);
    EXPECT_EQ(doc.Forms[0]->Action, "go");
    ASSERT_EQ(doc.Controls.size(), 2u);
    auto* list = dynamic_cast<TListBoxFormControlObj*>(doc.Controls[0]);
    ASSERT_NE(list, nullptr);
    ASSERT_EQ(list->Options.size(), 2u);
    EXPECT_EQ(list->Options[0].Text, "One");
    EXPECT_EQ(list->Options[0].Value, "1");
    EXPECT_FALSE(list->Options[0].Selected);
    EXPECT_EQ(list->Options[1].Text, "Two");
    EXPECT_TRUE(list->Options[1].Selected);
    auto* area = dynamic_cast<TTextAreaFormControlObj*>(doc.Controls[1]);
    ASSERT_NE(area, nullptr);
    EXPECT_EQ(area->InitialLines, (std::vector<std::string>{"line 1", "line & 2"}));
}

TEST_F(ReaderTest, TableRowsCellsAndCaption) {
    TSectionList& doc = Load("<table><caption align=bottom>cap</caption><tr><td>a<td>b"
                             "<tr><th>c</table>after");
    auto tables = All<TTableBlock>(doc);
    ASSERT_EQ(tables.size(), 1u);
    const ThtmlTable& t = *tables[0]->Table;
    ASSERT_EQ(t.Rows.size(), 2u);
    EXPECT_EQ(t.Rows[0]->Count(), 2);
    EXPECT_EQ(t.Rows[1]->Count(), 1);
    EXPECT_FALSE(t.CaptionOnTop);
    EXPECT_TRUE(Font("c").Bold);
    EXPECT_FALSE(Font("after").Bold);
}

TEST_F(ReaderTest, TableInsideCenterIsCentred) {
    TSectionList& doc = Load("<center><table><tr><td>x</table></center>"
                             "<center><table align=left><tr><td>y</table></center>");
    auto tables = All<TTableBlock>(doc);
    ASSERT_EQ(tables.size(), 2u);
    EXPECT_TRUE(tables[0]->Centered);
    EXPECT_FALSE(tables[1]->Centered);
}

TEST_F(ReaderTest, UnterminatedCommentKeepsWhatWasRead) {
    TSectionList& doc = Load("<p>kept<table><tr><td>cell<td>lost<!-- never closed");
    EXPECT_NE(SectionWith(doc, "kept"), nullptr);
    EXPECT_NE(SectionWith(doc, "cell"), nullptr);
}

TEST_F(ReaderTest, ScriptAndStyleTextIsNotContent) {
    std::string script;
    TSectionList& doc = page.Document();
    TReaderHost host;
    host.OnScript = [&](TObject*, const std::string&, const std::string&, std::string text) {
        script = text;
    };
    page.LoadHtml("", "");
    ParseHTMLDocument(doc, THtmlSource::Text("<script>a<b;</script><style>p{}</style>shown"), host);
    EXPECT_EQ(script, "a<b;");
    const TSection* s = SectionWith(doc, "shown");
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(TextOf(*s), "shown");
}

TEST_F(ReaderTest, StyleElementsAnywhereAreSheetsNotText) {
    TSectionList& doc = Load("<ul><style>em { color: #ff0000 }</style><li>one</ul>"
                             "<table><style>b { color: #00ff00 }</style><tr><td><em>red</em>"
                             "<b>green</b></table><pre>x<style>i {}</style>y</pre>");
    EXPECT_EQ(SectionWith(doc, "color"), nullptr);
    EXPECT_EQ(Font("red").Color & 0xFFFFFF, 0x0000FFu);
    EXPECT_EQ(Font("green").Color & 0xFFFFFF, 0x00FF00u);
    std::string texts;
    for (TPreFormated* p : All<TPreFormated>(doc))
        texts += "[" + TextOf(*p) + "]";
    EXPECT_EQ(texts, "[xy]");
    EXPECT_EQ(SectionWith(Load("<table><script>var a;</script><tr><td>x</table>"), "var"), nullptr);
}

TEST_F(ReaderTest, EverySourceKind) {
    folio_test::TempDir dir;
    const std::string file = dir.Path() + "/p.html";
    folio_test::WriteFile(file, "<p>from a file");
    TStringList list;
    list.Add("<p>from");
    list.Add("a list");
    TMemoryStream stream;
    const std::string text = "<p>from a stream";
    stream.Write(text.data(), static_cast<int64_t>(text.size()));
    const std::string buffer = "<p>from a buffer";
    TReaderHost host;
    for (const THtmlSource& source :
         {THtmlSource::File(file), THtmlSource::Strings(&list), THtmlSource::Stream(&stream),
          THtmlSource::Buffer(buffer.data(), buffer.size())}) {
        page.LoadHtml("", "");
        ParseHTMLDocument(page.Document(), source, host);
        EXPECT_NE(SectionWith(page.Document(), "from"), nullptr);
    }
    page.LoadHtml("<p>kept", "");
    ParseHTMLDocument(page.Document(), THtmlSource::File(dir.Path() + "/none.html"), host);
    EXPECT_NE(SectionWith(page.Document(), "kept"), nullptr) << "an unreadable file adds nothing";
}

TEST_F(ReaderTest, IncludesAreReadInPlace) {
    TReaderHost host;
    std::string command;
    host.OnInclude = [&](TObject*, const std::string& cmd, std::unique_ptr<TStringList> params,
                         std::string& text) {
        command = cmd + " " + (params && params->Count() ? params->Strings(0) : "");
        text = "<b>included</b>";
    };
    page.LoadHtml("", "");
    ParseHTMLDocument(page.Document(), THtmlSource::Text("before <!--#insert file=\"x\" --> after"),
                      host);
    EXPECT_EQ(command, "insert FILE=\"x\"");
    EXPECT_TRUE(Font("included").Bold);
    EXPECT_EQ(TextOf(*SectionWith(page.Document(), "before")), "before included after");
}

TEST_F(ReaderTest, ControlsOutsideAFormShareAnImplicitOne) {
    TSectionList& doc = Load("<input name=a><p><input type=checkbox name=b></p>");
    ASSERT_EQ(doc.Controls.size(), 2u);
    ASSERT_EQ(doc.Forms.Count(), 1);
    EXPECT_EQ(doc.Controls[0]->Form, doc.Controls[1]->Form);
}

TEST_F(ReaderTest, MetaAndSoundEventsReachTheHost) {
    std::string meta, sound;
    int loop = 0;
    TReaderHost host;
    host.OnMeta = [&](TObject*, const std::string& eq, const std::string& name,
                      const std::string& content) { meta = eq + "|" + name + "|" + content; };
    host.OnSoundRequest = [&](TObject*, const std::string& src, int32_t l, bool stop) {
        sound = src + (stop ? " stop" : " play");
        loop = l;
    };
    page.LoadHtml("", "");
    ParseHTMLDocument(page.Document(),
                      THtmlSource::Text("<meta name=author content=me><bgsound src=a.wav>"), host);
    EXPECT_EQ(meta, "|author|me");
    EXPECT_EQ(sound, "a.wav play");
    EXPECT_EQ(loop, 1);
}

TEST_F(ReaderTest, LinkedStyleSheetsComeFromThePagesFolder) {
    folio_test::TempDir dir;
    folio_test::WriteFile(dir.Path() + "/site.css",
                          "p { color: #ff0000 }\r\nem\n{ color: #0000ff }");
    folio_test::WriteFile(dir.Path() + "/page.html",
                          "<link rel=StyleSheet href=\"site.css\"><link rel=stylesheet "
                          "href=missing.css><link rel=stylesheet href=\"http://example.org/x.css\">"
                          "<p>red <em>blue</em><link rel=stylesheet href=late.css>");
    folio_test::WriteFile(dir.Path() + "/late.css", "p { color: #00ff00 }");
    std::string error;
    ASSERT_TRUE(page.LoadFile(dir.Path() + "/page.html", error)) << error;
    EXPECT_EQ(Font("red").Color & 0xFFFFFF, 0x0000FFu); // red has the low byte
    EXPECT_EQ(Font("blue").Color & 0xFFFFFF, 0xFF0000u);
}

TEST_F(ReaderTest, LinkedStyleSheetsThroughTheHostsStreams) {
    TMemoryStream sheet;
    const std::string css = "p { color: #00ff00 }";
    sheet.Write(css.data(), static_cast<int64_t>(css.size()));
    std::vector<std::string> asked;
    TReaderHost host;
    host.OnStreamRequest = [&](TObject*, const std::string& url, TMemoryStream*& stream) {
        asked.push_back(url);
        stream = url == "styles/a.css" ? &sheet : nullptr;
    };
    page.LoadHtml("", "");
    ParseHTMLDocument(page.Document(),
                      THtmlSource::Text("<link rel=stylesheet href=styles/a.css>"
                                        "<link rev=stylesheet href=b.css><p>green"),
                      host);
    EXPECT_EQ(asked, (std::vector<std::string>{"styles/a.css", "b.css"}));
    EXPECT_EQ(Font("green").Color & 0xFFFFFF, 0x00FF00u);
}

// Hostile nesting must neither overflow the stack nor build a tree deeper than the layout
// can walk.
TEST_F(ReaderTest, DeepNestingIsReadFlatPastTheLimit) {
    std::string divs;
    for (int i = 0; i < 100000; ++i)
        divs += "<div>";
    divs += "deep";
    TSectionList& d = Load(divs);
    LayOutAndPaint();
    EXPECT_NE(SectionWith(d, "deep"), nullptr);
    EXPECT_LE(MaxDepth(d), THtmlReader::kMaxNesting + 2);

    std::string tables;
    // Past the limit the rest is flat: a few hundred levels show it without making the
    // innermost table (or list) long.
    for (int i = 0; i < 400; ++i)
        tables += "<table><tr><td>";
    tables += "cell";
    TSectionList& t = Load(tables);
    LayOutAndPaint();
    EXPECT_NE(SectionWith(t, "cell"), nullptr);
    EXPECT_LE(MaxDepth(t), 2 * THtmlReader::kMaxNesting + 2);

    std::string lists;
    for (int i = 0; i < 100; ++i)
        lists += "<ul><li><blockquote><dl><dd>";
    lists += "item";
    TSectionList& l = Load(lists);
    LayOutAndPaint();
    EXPECT_NE(SectionWith(l, "item"), nullptr);
    EXPECT_LE(MaxDepth(l), THtmlReader::kMaxNesting + 2);

    std::string inl;
    for (int i = 0; i < 100000; ++i)
        inl += "<b><font size=+1><span>";
    inl += "bold";
    Load(inl);
    EXPECT_TRUE(Font("bold").Bold);
    EXPECT_LE(PeakLevels(inl), THtmlReader::kMaxInlineLevels + 1);
    page.LayOut(800);
}

} // namespace

// A book serves members by file name alone, so a bare name missing beside the page is found in
// the page's folder tree, as the book would find it; a name with a folder part, or one that
// is nowhere, is not.
TEST_F(ReaderTest, BareNamesAreFoundInTheSiteAsTheBookFindsThem) {
    folio_test::TempDir dir;
    ::mkdir((dir / "images").c_str(), 0755);
    ::mkdir((dir / ".hidden").c_str(), 0755);
    folio_test::WriteFile(dir / "images/Pic.BMP", "x");
    folio_test::WriteFile(dir / ".hidden/secret.bmp", "x");
    folio_test::WriteFile(dir / "here.bmp", "x");
    page.LoadHtml("", dir.Path());
    auto expand = page.Document().HtmlExpandFilename;
    EXPECT_EQ(expand("pic.bmp"), dir / "images/Pic.BMP");
    EXPECT_EQ(expand("here.bmp"), dir / "here.bmp");
    EXPECT_EQ(expand("secret.bmp"), dir / "secret.bmp") << "hidden folders are not searched";
    EXPECT_EQ(expand("other/pic.bmp"), dir / "other/pic.bmp");
    EXPECT_EQ(expand("none.bmp"), dir / "none.bmp");
}
