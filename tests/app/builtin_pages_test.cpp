// What the built-in pages hold: the start page's buttons, links that all resolve, the style
// sheet's rules, the pictures' sizes, and reference tables that name only what the engine reads.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <set>
#include <vector>

#include "app/resource_loader.h"
#include "html/reader/html_lexer.h"
#include "html/style/prop_index.h"

namespace {

const char* const kPages[] = {"help.html", "content.html", "support_html.html", "support_css.html"};

std::string Resource(const std::string& fileName) {
    TMemoryStream stream;
    LoadResourcePage(fileName, stream);
    return stream.DataString();
}

// Runs the lexer over a page and calls back for every symbol.
void Lex(const std::string& page, const std::function<void(THtmlLexer&)>& each) {
    THtmlLexer lex;
    lex.LoadString(Resource(page));
    lex.Start();
    lex.ReadSymbol();
    for (int guard = 0; lex.Sy != EofSym && guard < 100000; ++guard) {
        each(lex);
        lex.ReadSymbol();
    }
}

std::string Attr(const THtmlLexer& lex, Symbol sy) {
    const TAttribute* a = lex.Attributes.Find(sy);
    return a ? a->Str : std::string();
}

// The page or picture a link or source names, as the viewer would ask for it; "" for an
// address outside the program or a jump inside the page.
std::string LocalTarget(std::string url) {
    const std::string lower = LowerCase(url);
    if (lower.find("://") != std::string::npos || lower.rfind("mailto:", 0) == 0)
        return "";
    url = url.substr(0, url.find_first_of("#?"));
    return url;
}

TEST(BuiltinPages, UseOnlyTagsAndAttributesTheEngineKnows) {
    for (const char* page : kPages)
        Lex(page, [&](THtmlLexer& lex) {
            EXPECT_NE(lex.Sy, UnknownTagSym) << page << " at " << lex.TagStartPosition;
            for (int i = 0; i < lex.Attributes.Count(); ++i)
                EXPECT_NE(lex.Attributes[i].Sym, OtherAttrSym)
                    << page << " at " << lex.TagStartPosition;
        });
}

TEST(BuiltinPages, EveryPageLinksTheStyleSheet) {
    for (const char* page : kPages)
        EXPECT_NE(
            Resource(page).find(R"(<LINK REL="stylesheet" TYPE="text/css" HREF="styles.css">)"),
            std::string::npos)
            << page;
}

TEST(BuiltinPages, EveryLinkAndSourceIsServedAndEveryPageIsReachable) {
    std::set<std::string> reached = {"help.html"};
    std::vector<std::string> todo = {"help.html"};
    int external = 0;
    while (!todo.empty()) {
        const std::string page = todo.back();
        todo.pop_back();
        Lex(page, [&](THtmlLexer& lex) {
            // The attribute list keeps the last tag's attributes across the text after it.
            if (StartTagName(lex.Sy).empty())
                return;
            for (Symbol sy : {HrefSym, SrcSym, BackgroundSym}) {
                const TAttribute* a = lex.Attributes.Find(sy);
                if (!a)
                    continue;
                const std::string target = LocalTarget(a->Str);
                if (target.empty()) {
                    ++external;
                    continue;
                }
                TMemoryStream stream;
                EXPECT_NO_THROW(LoadResourcePage(target, stream)) << page << ": " << target;
                if (lex.Sy == ASym && !reached.count(target)) {
                    reached.insert(target);
                    todo.push_back(target);
                }
            }
        });
    }
    EXPECT_EQ(reached, (std::set<std::string>{"help.html", "content.html", "support_html.html",
                                              "support_css.html"}));
    EXPECT_EQ(external, 2); // the maker's web and mail links on the start page
}

TEST(StartPage, HasItsTitle) {
    std::string title;
    bool inTitle = false;
    Lex("help.html", [&](THtmlLexer& lex) {
        if (lex.Sy == TitleSym || lex.Sy == TitleEndSym)
            inTitle = lex.Sy == TitleSym;
        else if (inTitle && lex.Sy == TextSym)
            title += lex.Token.Text();
    });
    EXPECT_EQ(title, "FolioBuilder 3 help");
}

TEST(StartPage, HasSixCommandButtonsInOneRowOfColouredCells) {
    struct TButton {
        std::string Type, Value, OnClick, CellColor;
        int Row, Cell;
    };
    std::vector<TButton> buttons;
    int row = 0, cell = 0;
    std::string cellColor;
    std::map<int, int> perCell;
    Lex("help.html", [&](THtmlLexer& lex) {
        if (lex.Sy == TRSym)
            ++row;
        else if (lex.Sy == TDSym) {
            ++cell;
            cellColor = Attr(lex, BGColorSym);
        } else if (lex.Sy == InputSym) {
            buttons.push_back({Attr(lex, TypeSym), Attr(lex, ValueSym), Attr(lex, OnClickSym),
                               cellColor, row, cell});
            ++perCell[cell];
        }
    });
    const std::pair<const char*, const char*> expected[] = {
        {"&1 Directory", "directory"}, {"&2 Homepage", "homepage"}, {"&3 Title", "title"},
        {"&4 Password", "password"},   {"&5 Icon", "icon"},         {"&6 Create", "create"},
    };
    ASSERT_EQ(buttons.size(), 6u);
    for (size_t i = 0; i < 6; ++i) {
        EXPECT_EQ(buttons[i].Type, "button");
        EXPECT_EQ(buttons[i].Value, expected[i].first);
        EXPECT_EQ(buttons[i].OnClick, expected[i].second);
        EXPECT_EQ(buttons[i].CellColor, "#C396B6");
        EXPECT_EQ(buttons[i].Row, buttons[0].Row);
        EXPECT_EQ(perCell[buttons[i].Cell], 1);
    }
    // The page writes each button exactly as the builder's command table expects it.
    EXPECT_NE(Resource("help.html")
                  .find(R"(<input type="button" value="&1 Directory" onclick="directory">)"),
              std::string::npos);
}

// The style sheet's rules, split into selector and declarations, comments removed.
std::vector<std::pair<std::string, std::vector<std::string>>> Rules(std::string css) {
    for (size_t at; (at = css.find("/*")) != std::string::npos;)
        css.erase(at, css.find("*/", at) + 2 - at);
    std::vector<std::pair<std::string, std::vector<std::string>>> rules;
    size_t pos = 0;
    for (size_t open; (open = css.find('{', pos)) != std::string::npos;) {
        const size_t close = css.find('}', open);
        std::vector<std::string> decls;
        std::string body = css.substr(open + 1, close - open - 1);
        for (size_t start = 0; start <= body.size();) {
            size_t semi = body.find(';', start);
            if (semi == std::string::npos)
                semi = body.size();
            const std::string d = Trim(body.substr(start, semi - start));
            if (!d.empty())
                decls.push_back(d);
            start = semi + 1;
        }
        rules.emplace_back(Trim(css.substr(pos, open - pos)), decls);
        pos = close + 1;
    }
    return rules;
}

TEST(StyleSheet, HoldsTheRulesInOrder) {
    using R = std::pair<std::string, std::vector<std::string>>;
    const std::vector<R> expected = {
        {"body", {"background:  white", "font: 10pt Arial"}},
        {".backcolor", {"background-color: #a5cdeb"}},
        {"table", {"font: 10pt Arial"}},
        {":link", {"color: #000060", "text-decoration:none"}},
        {":hover", {"color: #a44", "text-decoration:line-under", "background-color:yellow"}},
        {":visited", {"color: #7070a0", "background-color:white"}},
        {".title",
         {R"(font: bold 18pt "Times New Roman")", "color: #a53737", "text-align: center",
          "margin-bottom: 0"}},
        {".subtitle", {"font: bold 8pt", "color: #733737", "text-align: center", "margin: 0"}},
        {".maroon", {"color: maroon", "font-weight: bold"}},
        {".heading",
         {"color: rgb(68, 85, 119)", "margin-left: -20px", "margin-top: 25px", "font: bold 12pt",
          "background-color: rgb(222,233,243)", "padding: 5"}},
        {"body.indent", {"margin-left: 30px"}},
        {"code", {"font-size: 1em"}},
    };
    EXPECT_EQ(Rules(Resource("styles.css")), expected);
}

// Width, height and colour components from a picture's header.
struct TPictureInfo {
    int Width = 0, Height = 0, Components = 0, Bits = 0;
};

int LE16(const std::string& s, size_t at) {
    return static_cast<uint8_t>(s[at]) | static_cast<uint8_t>(s[at + 1]) << 8;
}
int BE16(const std::string& s, size_t at) {
    return static_cast<uint8_t>(s[at]) << 8 | static_cast<uint8_t>(s[at + 1]);
}

TPictureInfo Info(const std::string& name) {
    const std::string s = Resource(name);
    TPictureInfo info;
    if (s.compare(0, 6, "GIF89a") == 0 || s.compare(0, 6, "GIF87a") == 0) {
        info.Width = LE16(s, 6);
        info.Height = LE16(s, 8);
    } else if (s.compare(0, 2, "BM") == 0 && s.size() >= 30) {
        info.Width = LE16(s, 18);
        info.Height = LE16(s, 22);
        info.Bits = LE16(s, 28);
    } else if (s.compare(0, 2, "\xFF\xD8") == 0) {
        // Walk the markers to the frame header.
        for (size_t at = 2; at + 9 < s.size();) {
            const uint8_t marker = static_cast<uint8_t>(s[at + 1]);
            if (marker >= 0xC0 && marker <= 0xC2) {
                info.Height = BE16(s, at + 5);
                info.Width = BE16(s, at + 7);
                info.Components = static_cast<uint8_t>(s[at + 9]);
                break;
            }
            at += 2 + BE16(s, at + 2);
        }
    }
    return info;
}

TEST(BuiltinPictures, HaveTheirSizesAndKinds) {
    TPictureInfo logo = Info("logo.jpg"), bg = Info("bg.jpg");
    EXPECT_EQ(std::make_tuple(logo.Width, logo.Height, logo.Components),
              std::make_tuple(197, 56, 3));
    EXPECT_EQ(std::make_tuple(bg.Width, bg.Height, bg.Components), std::make_tuple(100, 90, 1));
    TPictureInfo check = Info("smallcheck.gif"), next = Info("next.gif");
    EXPECT_EQ(std::make_pair(check.Width, check.Height), std::make_pair(23, 17));
    EXPECT_EQ(std::make_pair(next.Width, next.Height), std::make_pair(32, 32));
    for (const char* name : {"back.bmp", "forward.bmp", "home.bmp"}) {
        TPictureInfo b = Info(name);
        EXPECT_EQ(std::make_tuple(b.Width, b.Height, b.Bits), std::make_tuple(16, 16, 4)) << name;
    }
}

// The text of the first cell of every row of a page's first table (the names it lists).
std::vector<std::string> FirstColumn(const std::string& page) {
    std::vector<std::string> names;
    int cell = 0;
    bool inCode = false, done = false;
    Lex(page, [&](THtmlLexer& lex) {
        if (done || lex.Sy == TableEndSym)
            done = true;
        else if (lex.Sy == TRSym)
            cell = 0;
        else if (lex.Sy == TDSym)
            ++cell;
        else if (lex.Sy == CodeSym && cell == 1) {
            inCode = true;
            names.emplace_back();
        } else if (lex.Sy == CodeEndSym)
            inCode = false;
        else if (lex.Sy == TextSym && inCode && cell == 1)
            names.back() += lex.Token.Text();
    });
    return names;
}

std::vector<std::string> SplitList(const std::string& text) {
    std::vector<std::string> parts;
    for (size_t start = 0; start <= text.size();) {
        size_t comma = text.find(',', start);
        if (comma == std::string::npos)
            comma = text.size();
        parts.push_back(Trim(text.substr(start, comma - start)));
        start = comma + 1;
    }
    return parts;
}

TEST(ReferenceTables, NameOnlyTagsTheLexerKnows) {
    const std::vector<std::string> rows = FirstColumn("support_html.html");
    EXPECT_GE(rows.size(), 40u);
    int tags = 0;
    for (const std::string& row : rows)
        for (std::string tag : SplitList(row)) {
            if (tag == "H1 to H6")
                tag = "H1";
            THtmlLexer lex;
            lex.LoadString("<" + tag + ">");
            lex.Start();
            lex.ReadSymbol();
            EXPECT_NE(lex.Sy, UnknownTagSym) << tag;
            ++tags;
        }
    EXPECT_GE(tags, 60);
}

TEST(ReferenceTables, NameOnlyAttributesTheLexerKnows) {
    // The second column of the tag table: attribute names separated by commas or semicolons.
    std::vector<std::string> cells;
    int cell = 0;
    bool done = false;
    Lex("support_html.html", [&](THtmlLexer& lex) {
        if (done || lex.Sy == TableEndSym)
            done = true;
        else if (lex.Sy == TRSym)
            cell = 0;
        else if (lex.Sy == TDSym && ++cell == 2)
            cells.emplace_back();
        else if (lex.Sy == TextSym && cell == 2)
            cells.back() += lex.Token.Text();
    });
    std::vector<std::string> names;
    for (std::string text : cells) {
        std::replace(text.begin(), text.end(), ';', ',');
        for (const std::string& name : SplitList(text))
            if (!name.empty() && name.rfind("\xC2\xA0", 0) != 0) // &nbsp; in an empty cell
                names.push_back(name);
    }
    EXPECT_GE(names.size(), 80u);
    for (const std::string& name : names) {
        THtmlLexer lex;
        lex.LoadString("<P " + name + "=1>");
        lex.Start();
        lex.ReadSymbol();
        ASSERT_EQ(lex.Attributes.Count(), 1) << name;
        EXPECT_NE(lex.Attributes[0].Sym, OtherAttrSym) << name;
    }
}

TEST(ReferenceTables, NameOnlyPropertiesTheCascadeKnows) {
    const std::vector<std::string> rows = FirstColumn("support_css.html");
    std::set<int> listed;
    for (const std::string& row : rows)
        for (const std::string& name : SplitList(row)) {
            const std::optional<int> index = FindPropIndex(name);
            if (index)
                listed.insert(*index);
            else
                ADD_FAILURE() << "not a property: " << name;
        }
    // Every named property slot is listed.
    EXPECT_EQ(listed.size(), 42u);
}

} // namespace
