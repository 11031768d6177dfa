// The start page as the engine shows it: read, laid out and painted headless, with its
// pictures and style sheet taken from the program's resources (written out beside it, since
// the headless page reads the page's folder).
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <set>

#include "app/resource_loader.h"
#include "html/doc/form_control.h"
#include "html/doc/html_form.h"
#include "html/load/headless_page.h"
#include "platform/graphics/canvas.h"
#include "tests/support/fonts_env.h"
#include "tests/support/picture_compare.h"
#include "tests/support/temp_dir.h"
#include "tests/support/update_expected.h"

namespace {

const char* const kFiles[] = {"help.html",         "content.html",     "styles.css",
                              "support_html.html", "support_css.html", "logo.jpg",
                              "smallcheck.gif"};

class StartPageRender : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(dir_.Path().empty());
        for (const char* name : kFiles) {
            TMemoryStream stream;
            LoadResourcePage(name, stream);
            stream.SaveToFile(dir_ / name);
        }
        std::string error;
        ASSERT_TRUE(page_.LoadFile(dir_ / "help.html", error)) << error;
        page_.LayOut(kWidth);
        // Where a person can look at it: the build folder when CTest names it.
        const char* out = std::getenv("FOLIO_BINARY_DIR");
        if (out && page_.SavePNG(std::string(out) + "/builtin_help.png", error))
            std::printf("start page picture: %s/builtin_help.png\n", out);
    }

    static constexpr int kWidth = 800;
    folio_test::TempDir dir_;
    THeadlessPage page_;
};

TEST_F(StartPageRender, ReadsTitleAndSixButtonsWithTheirCommands) {
    EXPECT_EQ(page_.Document().Title, "FolioBuilder 3 help");
    std::vector<std::pair<std::string, std::string>> buttons;
    TSectionList& doc = page_.Document();
    for (int f = 0; f < doc.Forms.Count(); ++f)
        for (int i = 0; i < doc.Forms[f]->Members.Count(); ++i) {
            const TFormControlObj* c = doc.Forms[f]->Members[i];
            buttons.emplace_back(c->Value, c->ClickText);
        }
    const std::vector<std::pair<std::string, std::string>> expected = {
        {"&1 Directory", "directory"}, {"&2 Homepage", "homepage"}, {"&3 Title", "title"},
        {"&4 Password", "password"},   {"&5 Icon", "icon"},         {"&6 Create", "create"},
    };
    EXPECT_EQ(buttons, expected);
}

TEST_F(StartPageRender, ShowsTheBannerAndTheButtonCellsSideBySide) {
    const int height = std::min(page_.DocHeight(), 600);
    ASSERT_GT(height, 300);
    TCanvas canvas(kWidth, height);
    page_.Paint(canvas, 0);

    // The banner: rows at the top left that are coloured across the picture's width.
    int bannerRows = 0;
    for (int y = 0; y < 120; ++y) {
        int coloured = 0;
        for (int x = 0; x < 300; ++x)
            coloured += (canvas.GetPixel(x, y) & 0xFFFFFF) != RGB(255, 255, 255);
        bannerRows += coloured >= 190;
    }
    EXPECT_GE(bannerRows, 50) << "no banner at the top left";

    // The buttons' cells: rows of pixels cross six separate runs of the cell colour above and
    // below the buttons, and twelve where each cell's button splits it.
    const TColor cell = RGB(0xC3, 0x96, 0xB6);
    std::set<int> runCounts;
    for (int y = 0; y < height; ++y) {
        int runs = 0;
        bool in = false;
        for (int x = 0; x < kWidth; ++x) {
            const bool here = (canvas.GetPixel(x, y) & 0xFFFFFF) == cell;
            runs += here && !in;
            in = here;
        }
        runCounts.insert(runs);
    }
    EXPECT_EQ(runCounts, (std::set<int>{0, 6, 12}));
}

// The whole start page against a stored picture of it (tests/data/app/start-page.png),
// within a tolerance for font rasterisation; FOLIO_UPDATE_LAYOUT=1 writes the picture anew
// after a deliberate change (look at it before committing it).
TEST_F(StartPageRender, LooksLikeItsStoredPicture) {
    const char* src = std::getenv("FOLIO_SOURCE_DIR");
    const std::string png =
        std::string(src != nullptr && *src != '\0' ? src : ".") + "/tests/data/app/start-page.png";
    std::string error;
    if (folio_test::UpdatingExpected("FOLIO_UPDATE_LAYOUT")) {
        ASSERT_TRUE(page_.SavePNG(png, error)) << error;
        return;
    }
    TCanvas canvas(kWidth, page_.DocHeight());
    page_.Paint(canvas, 0);
    const auto diff = folio_test::ComparePicture(png, canvas, 48);
    ASSERT_TRUE(diff.Comparable) << diff.Why;
    EXPECT_LE(diff.Different, diff.Total / 100)
        << diff.Different << " of " << diff.Total << " pixels differ";
}

} // namespace
