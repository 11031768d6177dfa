// Every include of the libraries obeys the one-way dependency table; the checker itself is
// tried on small cases first, so a scan that passes means something.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "include_rules.h"
#include "link_rules.h"
#include "tests/support/files.h"

namespace fs = std::filesystem;
using folio_layering::CheckIncludes;
using folio_layering::Describe;
using folio_layering::LibraryOf;
using folio_layering::ReadLinkLines;
using folio_layering::TLinkLine;

namespace {

struct TCase {
    const char* file;
    const char* include; // the whole line
    bool allowed;
};

// One line per rule of the table, both sides of it.
const TCase kCases[] = {
    {"platform/base/strings.cpp", "#include \"platform/base/files.h\"", true},
    {"platform/base/strings.cpp", "#include \"platform/graphics/color.h\"", false},
    {"platform/graphics/canvas.cpp", "#include \"platform/base/strings.h\"", true},
    {"platform/graphics/canvas.cpp", "#include \"platform/gui/control.h\"", false},
    {"platform/gui/edit.cpp", "#include \"platform/graphics/canvas.h\"", true},
    {"platform/gui/edit.cpp", "#include \"platform/fltk/fltk_gui.h\"", false},
    {"platform/gui/edit.cpp", "#include <FL/Fl.H>", false},
    {"platform/fltk/fltk_gui.cpp", "#include \"platform/gui/edit.h\"", true},
    {"platform/fltk/fltk_gui.cpp", "#include <FL/Fl.H>", true},
    {"platform/fltk/fltk_gui.cpp", "#include \"html/doc/block.h\"", false},
    {"archive/backup_file.cpp", "#include \"platform/base/streams.h\"", true},
    {"archive/backup_file.cpp", "#include \"platform/graphics/bitmap.h\"", false},
    {"html/reader/html_lexer.cpp", "#include \"platform/graphics/region.h\"", true},
    {"html/reader/html_lexer.cpp", "#include \"html/style/properties.h\"", false},
    {"html/style/properties.cpp", "#include \"html/reader/symbols.h\"", true},
    {"html/style/properties.cpp", "#include \"html/image/gif_image.h\"", false},
    {"html/image/gif_image.cpp", "#include \"platform/graphics/bitmap.h\"", true},
    {"html/image/gif_image.cpp", "#include \"html/reader/symbols.h\"", false},
    {"html/doc/form_control.cpp", "#include \"platform/gui/edit.h\"", true},
    {"html/doc/block.cpp", "#include \"html/image/bitmap_cache.h\"", true},
    {"html/doc/block.cpp", "#include \"html/load/headless_page.h\"", false},
    {"html/doc/block.cpp", "#include \"archive/backup_file.h\"", false},
    {"html/doc/block.cpp", "#include <FL/Fl_Widget.H>", false},
    {"html/load/headless_page.cpp", "#include \"html/doc/block.h\"", true},
    {"html/load/headless_page.cpp", "#include \"html/style/properties.h\"", true},
    {"html/load/headless_page.cpp", "#include \"html/view/htmlview.h\"", false},
    {"html/view/htmlview.cpp", "#include \"html/load/headless_page.h\"", true},
    {"html/view/htmlview.cpp", "#include \"platform/fltk/fltk_gui.h\"", false},
    {"app/folio_builder.cpp", "#include \"html/view/htmlview.h\"", true},
    {"app/folio_builder.cpp", "#include \"bookreader/site_book.h\"", true},
    {"app/folio_builder.cpp", "#include \"platform/fltk/fltk_gui.h\"", false},
    {"app/folio_builder.cpp", "#include <FL/Fl.H>", false},
    {"app/main.cpp", "#include \"platform/fltk/fltk_gui.h\"", true},
    {"app/main.cpp", "#include <FL/Fl.H>", true},
    {"bookreader/main.cpp", "#include <FL/Fl_Window.H>", true},
    {"bookreader/reader_app.cpp", "#include <FL/Fl_Window.H>", false},
    {"html/doc/block.cpp", "#include \"tools/dump.h\"", false},
    {"html/doc/block.cpp", "#include \"../load/headless_page.h\"", false},
    {"html/doc/block.cpp", "  #  include   \"html/view/x.h\"  // spaced", false},
    {"html/doc/block.cpp", "#include <string>", true},
    {"html/doc/block.cpp", "#include FT_FREETYPE_H", true},
};

TEST(LayeringRules, EachRuleBothWays) {
    for (const TCase& c : kCases) {
        const auto v = CheckIncludes(c.file, c.include);
        EXPECT_EQ(v.empty(), c.allowed) << c.file << ": " << c.include;
    }
}

TEST(LayeringRules, MessageNamesFileLineIncludeAndRule) {
    const auto v = CheckIncludes("archive/backup_file.cpp",
                                 "// archive\n#include <vector>\n#include \"html/doc/block.h\"\n");
    ASSERT_EQ(v.size(), 1u);
    EXPECT_EQ(Describe(v[0]), "archive/backup_file.cpp:3: #include \"html/doc/block.h\" breaks "
                              "the layering: archive may not use html/doc (it may use: "
                              "platform/base)");
}

bool ExistsInFixture(const std::string& path) {
    return path == "html/doc/cell.h";
}

TEST(LayeringRules, BareNamesResolveBesideTheIncluderFirst) {
    // "cell.h" beside html/doc/block.cpp is html/doc's own header.
    EXPECT_TRUE(
        CheckIncludes("html/doc/block.cpp", "#include \"cell.h\"", ExistsInFixture).empty());
    // Not beside it: the root has no such library.
    EXPECT_EQ(CheckIncludes("html/doc/block.cpp", "#include \"other.h\"", ExistsInFixture).size(),
              1u);
}

TEST(LayeringRules, LibraryOfTakesTheLongestFolder) {
    EXPECT_EQ(LibraryOf("platform/gui/edit.h"), "platform/gui");
    EXPECT_EQ(LibraryOf("app/settings/ini_file.cpp"), "app");
    EXPECT_EQ(LibraryOf("html/docs/x.h"), "");
    EXPECT_EQ(LibraryOf("platform/x.h"), "");
}

std::string SourceRoot() {
    const char* src = std::getenv("FOLIO_SOURCE_DIR");
    return src != nullptr && *src != '\0' ? src : fs::current_path().string();
}

std::string Root() {
    static const std::string root = SourceRoot();
    return root;
}

bool ExistsInTree(const std::string& path) {
    return fs::is_regular_file(fs::path(Root()) / path);
}

TEST(Layering, TheTreeObeysTheTable) {
    const fs::path root = Root();
    size_t scanned = 0;
    for (const char* top : {"platform", "archive", "html", "app", "bookreader"}) {
        ASSERT_TRUE(fs::is_directory(root / top)) << (root / top);
        size_t here = 0;
        for (const auto& entry : fs::recursive_directory_iterator(root / top)) {
            const auto ext = entry.path().extension();
            if (!entry.is_regular_file() || (ext != ".h" && ext != ".cpp"))
                continue;
            const std::string rel = fs::relative(entry.path(), root).generic_string();
            EXPECT_NE(LibraryOf(rel), "") << rel << " lies in no library of the table";
            for (const auto& v :
                 CheckIncludes(rel, folio_test::ReadFile(entry.path()), ExistsInTree))
                ADD_FAILURE() << Describe(v);
            ++here;
        }
        EXPECT_GT(here, 0u) << "no sources found under " << top;
        scanned += here;
    }
    RecordProperty("files_scanned", static_cast<int>(scanned));
}

// A small tree of link lines, each case adding one line to it; the base libraries are
// declared as the real tree declares them.
const char* kBaseLists[][2] = {
    {"platform/base/CMakeLists.txt",
     "folio_library(folio_base LIBS Threads::Threads folio_utf8proc)"},
    {"platform/graphics/CMakeLists.txt",
     "folio_library(folio_graphics LIBS folio_base PkgConfig::CAIRO)"},
    {"platform/gui/CMakeLists.txt", "folio_library(folio_gui LIBS folio_graphics)"},
    {"platform/fltk/CMakeLists.txt", "folio_library(folio_fltk LIBS folio_gui ${FLTK_LDFLAGS})"},
    {"html/doc/CMakeLists.txt", "folio_library(folio_doc LIBS folio_gui)"},
    {"html/view/CMakeLists.txt", "folio_library(folio_view LIBS folio_doc)"},
    {"resources/CMakeLists.txt", "folio_embed_resources(folio_resources FILES a.html)"},
};

struct TLinkCase {
    const char* file;
    const char* text;
    bool allowed;
};

const TLinkCase kLinkCases[] = {
    {"archive/CMakeLists.txt", "folio_library(folio_archive LIBS folio_base ZLIB::ZLIB)", true},
    {"archive/CMakeLists.txt", "folio_library(folio_archive LIBS folio_graphics)", false},
    {"archive/CMakeLists.txt", "folio_library(folio_archive LIBS PkgConfig::CAIRO)", false},
    {"html/load/CMakeLists.txt", "folio_library(folio_load LIBS folio_doc ZLIB::ZLIB)", true},
    {"html/load/CMakeLists.txt", "folio_library(folio_load LIBS folio_view)", false},
    {"html/doc/CMakeLists.txt", "target_link_libraries(folio_doc PUBLIC folio_fltk)", false},
    {"html/doc/CMakeLists.txt", "folio_library(folio_x LIBS\n  folio_gui # folio_fltk\n  fltk)",
     false},
    {"html/doc/CMakeLists.txt", "folio_library(folio_x LIBS folio_gui # folio_fltk\n)", true},
    {"platform/gui/CMakeLists.txt", "folio_library(folio_gui2 LIBS folio_graphics OpenSSL::Crypto)",
     false},
    {"platform/base/CMakeLists.txt", "folio_library(folio_b2 LIBS folio_nothing)", false},
    {"app/CMakeLists.txt",
     "folio_library(folio_app LIBS folio_view folio_resources OpenSSL::Crypto EXCLUDE main.cpp)",
     true},
    {"app/CMakeLists.txt", "folio_library(folio_app LIBS folio_view folio_fltk EXCLUDE main.cpp)",
     false},
    {"app/CMakeLists.txt",
     "add_executable(foliobuilder main.cpp)\ntarget_link_libraries(foliobuilder PRIVATE "
     "folio_app folio_fltk)",
     true},
    {"html/view/CMakeLists.txt", "folio_library(folio_view2 LIBS folio_resources)", false},
};

std::vector<TLinkLine> TreeWith(const char* file, const std::string& text) {
    std::vector<TLinkLine> all;
    for (const auto& list : kBaseLists)
        for (auto& l : ReadLinkLines(list[0], list[1]))
            all.push_back(l);
    for (auto& l : ReadLinkLines(file, text))
        all.push_back(l);
    return all;
}

TEST(LinkRules, EachRuleBothWays) {
    // The base tree alone obeys the table.
    EXPECT_TRUE(folio_layering::CheckLinks(TreeWith("x/CMakeLists.txt", "")).empty());
    for (const TLinkCase& c : kLinkCases) {
        const auto v = folio_layering::CheckLinks(TreeWith(c.file, c.text));
        EXPECT_EQ(v.empty(), c.allowed)
            << c.file << ": " << c.text << (v.empty() ? "" : "\n" + folio_layering::Describe(v[0]));
    }
}

TEST(LinkRules, ReadsCallsAcrossLinesWithKeywordsLeftOut) {
    const auto lines =
        ReadLinkLines("app/CMakeLists.txt", "# folio_library(commented LIBS x)\n"
                                            "folio_library(folio_app LIBS folio_view\n"
                                            "  folio_base EXCLUDE main.cpp)\n"
                                            "add_executable(foliobuilder main.cpp)\n"
                                            "target_link_libraries(foliobuilder PRIVATE folio_app "
                                            "folio_fltk)\n");
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].Target, "folio_app");
    EXPECT_EQ(lines[0].Line, 2);
    EXPECT_FALSE(lines[0].Program);
    EXPECT_EQ(lines[0].Links, (std::vector<std::string>{"folio_view", "folio_base"}));
    EXPECT_EQ(lines[1].Target, "foliobuilder");
    EXPECT_EQ(lines[1].Line, 5);
    EXPECT_TRUE(lines[1].Program);
    EXPECT_EQ(lines[1].Links, (std::vector<std::string>{"folio_app", "folio_fltk"}));
}

TEST(Layering, TheLinkLinesObeyTheTable) {
    const fs::path root = Root();
    std::vector<TLinkLine> all;
    size_t lists = 0;
    for (const char* top : {"platform", "archive", "html", "app", "bookreader", "resources"}) {
        for (const auto& entry : fs::recursive_directory_iterator(root / top)) {
            if (entry.path().filename() != "CMakeLists.txt")
                continue;
            const std::string rel = fs::relative(entry.path(), root).generic_string();
            for (auto& l : ReadLinkLines(rel, folio_test::ReadFile(entry.path())))
                all.push_back(l);
            ++lists;
        }
    }
    // Every library folder of the table declares its library.
    for (const char* lib : {"platform/base", "platform/graphics", "platform/gui", "platform/fltk",
                            "archive", "html/reader", "html/style", "html/image", "html/doc",
                            "html/load", "html/view", "app", "bookreader"}) {
        bool found = false;
        for (const TLinkLine& l : all)
            found = found || (!l.Program && LibraryOf(l.File) == lib);
        EXPECT_TRUE(found) << "no library declared under " << lib;
    }
    for (const auto& v : folio_layering::CheckLinks(all))
        ADD_FAILURE() << folio_layering::Describe(v);
    RecordProperty("link_lists_scanned", static_cast<int>(lists));
}

} // namespace
