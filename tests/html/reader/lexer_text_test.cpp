// Text runs, white space modes, line-end folding, comments and declarations, and the
// TEXTAREA and SCRIPT readers.
#include <gtest/gtest.h>

#include <cstdlib>

#include "html/reader/id_name_list.h"
#include "lexer_helpers.h"
#include "platform/base/exceptions.h"
#include "platform/base/streams.h"
#include "platform/base/string_list.h"

TEST(LexerText, LongRunsSplitAtOneHundred) {
    const auto syms = Lex(std::string(250, 'x'));
    ASSERT_EQ(syms.size(), 3u);
    EXPECT_EQ(syms[0].Text.size(), 100u);
    EXPECT_EQ(syms[1].Text.size(), 100u);
    EXPECT_EQ(syms[2].Text.size(), 50u);
    EXPECT_EQ(syms[2].Positions.front(), 200);
    EXPECT_EQ(syms[2].Positions.back(), 249);
}

TEST(LexerText, WhiteSpaceCollapsesOutsidePre) {
    const auto syms = Lex("a   b\r\n\t c");
    ASSERT_EQ(syms.size(), 1u);
    EXPECT_EQ(syms[0].Text, "a b c");
    EXPECT_EQ(syms[0].Positions, (std::vector<int32_t>{0, 1, 4, 5, 9}));
}

TEST(LexerText, PreKeepsWhiteSpaceAndLineEnds) {
    EXPECT_EQ(LexText("a   b", true), "a   b");
    EXPECT_EQ(LexText("a\r\nb\n\rc\rd\ne\tf", true), "a\rb\rc\rd\re f");
}

TEST(LexerText, NoBreakCollapsesToCharacterFive) {
    EXPECT_EQ(LexText("a   b", false, true), std::string("a\x05") + "b");
}

TEST(LexerText, LineEndPairsFoldToOne) {
    // CR LF, LF CR, CR and LF each make one line end; CR CR and LF LF make two.
    EXPECT_EQ(LexText("1\r\n2\n\r3\r\r4\n\n5", true), "1\r2\r3\r\r4\r\r5");
}

TEST(LexerText, ControlCharactersAreOtherChars) {
    const auto syms = Lex("a\x01"
                          "b");
    ASSERT_EQ(syms.size(), 3u);
    EXPECT_EQ(syms[1].Sy, OtherCharSym);
    EXPECT_EQ(syms[1].Text, "\x01");
    EXPECT_EQ(syms[1].Positions, std::vector<int32_t>{1});
}

TEST(LexerText, CharacterTwentySixEndsTheSource) {
    EXPECT_EQ(LexText("ab\x1A"
                      "cd"),
              "ab");
}

TEST(LexerComments, PlainComments) {
    EXPECT_EQ(LexText("a<!-- x -->b"), "ab");
    EXPECT_EQ(LexText("a<!---->b"), "ab");
    EXPECT_EQ(LexText("a<!-- x ---  \r\n >b"), "ab");
    EXPECT_EQ(LexText("a<!-- x -- -->b"), "ab");
    EXPECT_EQ(LexText("a<!-- 1 --><!-- 2 -->b"), "ab");
}

TEST(LexerComments, InnerDoubleDashDoesNotEnd) {
    EXPECT_EQ(LexText("<!--a--b-->c"), "c");
    EXPECT_EQ(LexText("<!-- a - > b -->c"), "c");
    EXPECT_EQ(LexText("<!-- a -> b -->c"), "c");
}

TEST(LexerComments, Declarations) {
    EXPECT_EQ(LexText("<!DOCTYPE html PUBLIC \"x\">a<!>b"), "ab");
}

TEST(LexerComments, OpenCommentAtEndRaises) {
    for (const char* html : {"a<!-- never closed", "a<!-- x --", "a<!DOCTYPE", "a<!"}) {
        THtmlLexer lx;
        lx.LoadString(html);
        lx.Start();
        try {
            for (int i = 0; i < 100; ++i)
                lx.ReadSymbol();
            ADD_FAILURE() << "no error for " << html;
        } catch (const EParseError& e) {
            EXPECT_EQ(e.Message(), "Open Comment at End of HTML File");
        }
    }
}

TEST(LexerComments, Includes) {
    THtmlLexer lx;
    std::string command;
    std::string params;
    lx.OnInclude = [&](TObject*, const std::string& cmd, std::unique_ptr<TStringList> list,
                       std::string& text) {
        command = cmd;
        params = list->Text();
        text = "<b>in<!--#nested x=1-->side</b>";
    };
    lx.LoadString("x<!--#Date format=\"long\" Zone=utc -->y");
    lx.Start();
    std::vector<std::string> got;
    std::vector<int32_t> insidePositions;
    do {
        lx.ReadSymbol();
        got.push_back(std::string(SymbolName(lx.Sy)) + ":" + lx.Token.Text());
        if (lx.Token.Text() == "inside")
            insidePositions = lx.Token.Positions();
    } while (lx.Sy != EofSym);
    EXPECT_EQ(command, "Date");
    EXPECT_EQ(params, "FORMAT=\"long\"\r\nZONE=\"utc\"\r\n");
    EXPECT_EQ(got, (std::vector<std::string>{"TextSym:x", "BSym:", "TextSym:inside",
                                             "BEndSym:", "TextSym:y", "EofSym:"}));
    // Included characters carry the position the main source had reached (the comment's ">").
    ASSERT_FALSE(insidePositions.empty());
    EXPECT_EQ(insidePositions.front(), 36);
}

TEST(LexerComments, WithoutAHandlerAnIncludeIsAComment) {
    EXPECT_EQ(LexText("a<!--#exec cmd=\"x\"-->b"), "ab");
}

TEST(LexerTextArea, LinesEntitiesAndEndTag) {
    THtmlLexer lx;
    lx.LoadString("<textarea>a &lt; b\r\n<b>x</TEXTAREA >after");
    lx.Start();
    lx.ReadSymbol();
    ASSERT_EQ(lx.Sy, TextAreaSym);
    std::vector<std::string> got;
    do {
        lx.ReadTextAreaSymbol();
        got.push_back(std::string(SymbolName(lx.Sy)) + ":" + lx.Token.Text());
    } while (lx.Sy != TextAreaEndSym && lx.Sy != EofSym);
    EXPECT_EQ(got, (std::vector<std::string>{"TextSym:a ", "TextSym:<", "TextSym: b",
                                             "EolSym:", "UnknownTagSym:<b", "TextSym:>x",
                                             "TextAreaEndSym:</TEXTAREA"}));
}

TEST(LexerScript, GathersTheTextForTheHandler) {
    THtmlLexer lx;
    lx.LoadString("<script language=JavaScript name=s1><!--\r\nif (a<b) x();\n//--></SCRIPT>z");
    lx.Start();
    lx.ReadSymbol();
    ASSERT_EQ(lx.Sy, ScriptSym);
    std::string name, language, text;
    lx.ReadScript([&](TObject*, const std::string& n, const std::string& l, std::string t) {
        name = n;
        language = l;
        text = std::move(t);
    });
    EXPECT_EQ(lx.Sy, ScriptEndSym);
    EXPECT_EQ(name, "s1");
    EXPECT_EQ(language, "JavaScript");
    EXPECT_EQ(text, "<!--\r\nif (a<b) x();\r\n//-->");
    lx.ReadSymbol();
    EXPECT_EQ(lx.Token.Text(), "z");
    EXPECT_FALSE(lx.NoComment);
}

TEST(LexerScript, WithoutHandlerTheTextIsDropped) {
    THtmlLexer lx;
    lx.LoadString("<script>a<!-- b</script>c");
    lx.Start();
    lx.ReadSymbol();
    lx.ReadScript(nullptr);
    EXPECT_EQ(lx.Sy, ScriptEndSym);
    lx.ReadSymbol();
    EXPECT_EQ(lx.Token.Text(), "c");
}

TEST(LexerScript, UnterminatedScriptEndsAtEof) {
    THtmlLexer lx;
    lx.LoadString("<script>x</scrip>y");
    lx.Start();
    lx.ReadSymbol();
    bool called = false;
    lx.ReadScript([&](TObject*, const std::string&, const std::string&, std::string t) {
        called = true;
        EXPECT_EQ(t, "x</scrip>y");
    });
    EXPECT_TRUE(called);
    EXPECT_EQ(lx.Sy, EofSym);
}

TEST(LexerSources, StringListAndEmptySources) {
    TStringList list;
    list.Add("<b>one");
    list.Add("two</b>");
    THtmlLexer lx;
    lx.LoadStringList(list);
    lx.Start();
    std::string text;
    do {
        lx.ReadSymbol();
        if (lx.Sy == TextSym)
            text += lx.Token.Text();
    } while (lx.Sy != EofSym);
    EXPECT_EQ(text, "one two "); // each line of the list ends with a line end
    lx.LoadBuffer(nullptr, 0);
    lx.Start();
    lx.ReadSymbol();
    EXPECT_EQ(lx.Sy, EofSym);
    lx.ReadSymbol(); // reading on at the end stays at the end
    EXPECT_EQ(lx.Sy, EofSym);
}

namespace {
// Symbol names and texts of a document read directly, or handed in whole by an include (which
// takes the lexer's general character path throughout).
std::vector<std::string> SymbolTexts(const std::string& html, bool viaInclude, bool pre) {
    THtmlLexer lx;
    if (viaInclude) {
        lx.OnInclude = [&html](TObject*, const std::string&, std::unique_ptr<TStringList>,
                               std::string& text) { text = html; };
        lx.LoadString("<!--#page-->");
    } else {
        lx.LoadString(html);
    }
    std::vector<std::string> out;
    lx.Start();
    lx.InPre = pre;
    do {
        lx.ReadSymbol();
        out.push_back(std::string(SymbolName(lx.Sy)) + ":" + lx.Token.Text());
        for (const TAttribute& a : lx.Attributes)
            out.back() += " " + std::to_string(a.Sym) + "=" + a.Str;
    } while (lx.Sy != EofSym);
    return out;
}
} // namespace

TEST(LexerText, DirectAndIncludedReadingAgree) {
    std::string html = "<p class=x>Words, words  and\tmore words&amp;<b>bold</b>\r\n";
    for (int i = 0; i < 30; ++i)
        html += "abcdefghij" + std::string(i % 3 == 0 ? " " : "") + (i % 7 == 0 ? "\r\n" : "");
    html += "<a href=\"x.htm\">link text that is long enough to split a run</a>&lt;&nbsp;x<y\n";
    html += "<td width=50% height=\"7\">cell<!-- comment -->text</td><!DOCTYPE x>end \x01 z";
    EXPECT_EQ(SymbolTexts(html, false, false), SymbolTexts(html, true, false));
    EXPECT_EQ(SymbolTexts(html, false, true), SymbolTexts(html, true, true));
    EXPECT_GT(SymbolTexts(html, false, false).size(), 20u);
}

TEST(LexerSources, FileAndStream) {
    const char* src = std::getenv("FOLIO_SOURCE_DIR");
    const std::string path = std::string(src ? src : ".") + "/tests/data/reader/tags.html";
    THtmlLexer fromFile;
    fromFile.LoadFile(path);
    fromFile.Start();
    fromFile.ReadSymbol();
    EXPECT_EQ(fromFile.Sy, HSym);

    TMemoryStream stream;
    stream.WriteString("<b>x");
    // The stream is read from its start whatever its position.
    THtmlLexer fromStream;
    fromStream.LoadStream(stream);
    fromStream.Start();
    fromStream.ReadSymbol();
    EXPECT_EQ(fromStream.Sy, BSym);

    THtmlLexer missing;
    EXPECT_THROW(missing.LoadFile(path + ".absent"), EFOpenError);
}
