// Tag soup: random sequences of the reader's whole vocabulary, misnested and unclosed, are
// read, laid out, painted and dumped. Under the sanitizer build this finds dangling pointers
// (named positions, controls, sections dropped or moved) as well as crashes.
#include <gtest/gtest.h>

#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "html/load/headless_page.h"
#include "platform/graphics/canvas.h"
#include "tests/support/fonts_env.h"

namespace {

const std::vector<std::string>& Pieces() {
    static const std::vector<std::string> pieces = {
        "<p>",
        "</p>",
        "<p align=center>",
        "<b>",
        "</b>",
        "<i>",
        "</i>",
        "<u>",
        "</u>",
        "<font size=+2 color=red>",
        "</font>",
        "<basefont size=6>",
        "<big>",
        "</small>",
        "<sub>",
        "</sup>",
        "<span class=x>",
        "</span>",
        "<div align=right>",
        "</div>",
        "<center>",
        "</center>",
        "<br>",
        "<br clear=all>",
        "<hr width=50%>",
        "<h2>",
        "</h2>",
        "<h9>",
        "<ul>",
        "</ul>",
        "<ol type=i start=3>",
        "</ol>",
        "<li>",
        "<dl>",
        "<dt>",
        "<dd>",
        "</dl>",
        "<blockquote>",
        "</blockquote>",
        "<address>",
        "<pre>",
        "</pre>",
        "\n",
        "<table border=1>",
        "</table>",
        "<tr>",
        "</tr>",
        "<td nowrap>",
        "</td>",
        "<th>",
        "<caption>",
        "</caption>",
        "<form>",
        "</form>",
        "<input type=text>",
        "<input type=radio name=r>",
        "<input type=image src=x.gif>",
        "<select>",
        "<option>",
        "</select>",
        "<textarea>",
        "</textarea>",
        "<a href=x.htm>",
        "<a name=n1>",
        "</a>",
        "<img src=x.gif align=left width=20 height=30>",
        "<img src=y.gif align=right>",
        "<map name=m>",
        "<area coords=1,2,3,4 href=z>",
        "</map>",
        "<nobr>",
        "</nobr>",
        "<wbr>",
        "<page>",
        "<script>x=1</script>",
        "<style>p {color: blue}</style>",
        "<title>t</title>",
        "<meta http-equiv=content-type content=\"charset=windows-1251\">",
        "<body bgcolor=red>",
        "<unknown>",
        "</unknown>",
        "&amp;",
        "&nbsp;",
        "text ",
        "more words here ",
        "<p id=i1>",
        "<div style=\"float: left; width: 30%\">",
        "<div style=\"position: absolute\">",
        "<table><tr><td>",
        "<li><p>",
        "<!-- c -->",
        "<frameset>",
        "<frame src=a>"};
    return pieces;
}

// FOLIO_SOUP_ROUNDS and FOLIO_SOUP_SEED run a longer or another soup by hand.
int EnvNumber(const char* name, int fallback) {
    const char* v = std::getenv(name);
    return v && *v ? std::atoi(v) : fallback;
}

TEST(TagSoup, IsReadLaidOutAndPaintedWithoutFault) {
    std::mt19937 random(static_cast<unsigned>(EnvNumber("FOLIO_SOUP_SEED", 20261208)));
    const auto& pieces = Pieces();
    THeadlessPage page;
    const int rounds = EnvNumber("FOLIO_SOUP_ROUNDS", 150);
    for (int round = 0; round < rounds; ++round) {
        std::string html;
        const int count = 20 + static_cast<int>(random() % 300);
        for (int i = 0; i < count; ++i)
            html += pieces[random() % pieces.size()];
        page.LoadHtml(html, "");
        for (int width : {1, 90, 640}) {
            const int32_t height = page.LayOut(width);
            ASSERT_GE(height, 0) << html;
        }
        TCanvas band(640, 200);
        page.Paint(band, 0);
        page.Paint(band, page.DocHeight() / 2);
        EXPECT_EQ(page.Dump().rfind("document ", 0), 0u);
        TSectionList& doc = page.Document();
        for (int i = 0; i < doc.NamedPositions.Count(); ++i) {
            if (TIDObject* o = doc.NamedPositions.Objects(i)) {
                EXPECT_GE(o->YPosition(), -100000) << html;
            }
        }
    }
}

} // namespace
