// The resource registry, the page loader's name rules and the viewer's request handlers.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "app/resource_loader.h"
#include "tests/support/files.h"

using folio_test::ReadFile;

namespace {

std::string SourceDir() {
    const char* dir = std::getenv("FOLIO_SOURCE_DIR");
    return dir ? dir : ".";
}

// Entries that only this test registers; their names cannot clash with a file's.
const uint8_t kAlpha[] = {'a', 'l', 'p', 'h', 'a'};
const uint8_t kBeta[] = {'b'};
const TResourceEntry kTestTable[] = {
    {"TEST ONLY ALPHA", "TXT", kAlpha, sizeof kAlpha},
    {"TEST ONLY BETA", "HTML", kBeta, sizeof kBeta},
};
const bool kRegistered = (RegisterResources(kTestTable, 2), true);

TEST(ResourceRegistry, FindsByNameAndTypeIgnoringCase) {
    ASSERT_TRUE(kRegistered);
    const TResourceEntry* e = FindResource("test only alpha", "txt");
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(std::string(e->Bytes().begin(), e->Bytes().end()), "alpha");
    EXPECT_EQ(FindResource("Test Only Beta", "Html"), &kTestTable[1]);
}

TEST(ResourceRegistry, FindsNothingForOtherNamesOrTypes) {
    EXPECT_EQ(FindResource("test only alpha", "HTML"), nullptr);
    EXPECT_EQ(FindResource("test only alph", "TXT"), nullptr);
    EXPECT_EQ(FindResource("", "TXT"), nullptr);
    EXPECT_EQ(FindResource("test only alpha", ""), nullptr);
}

TEST(ResourceRegistry, ListsEveryEntry) {
    int mine = 0;
    for (const TResourceEntry* e : AllResources())
        mine += (e == &kTestTable[0] || e == &kTestTable[1]);
    EXPECT_EQ(mine, 2);
}

struct NameCase {
    const char* FileName;
    const char* Name;
    const char* Type;
};

class ResourceRequest : public testing::TestWithParam<NameCase> {};

TEST_P(ResourceRequest, SplitsNameAndType) {
    const TResourceRequest r = ResourceRequestFor(GetParam().FileName);
    EXPECT_EQ(r.Name, GetParam().Name);
    EXPECT_EQ(r.Type, GetParam().Type);
}

INSTANTIATE_TEST_SUITE_P(
    Names, ResourceRequest,
    testing::Values(NameCase{"help.html", "help", "HTML"}, NameCase{"HELP.HTM", "HELP", "HTML"},
                    NameCase{"styles.css", "styles", "HTML"}, NameCase{"logo.jpg", "logo", "JPG"},
                    NameCase{"back.Bmp", "back", "BMP"},
                    NameCase{"images/logo.jpg", "images/logo", "JPG"}, NameCase{"help", "help", ""},
                    NameCase{"help.", "help", ""}, NameCase{"book.tar.gz", "book.tar", "GZ"},
                    // A dot in a directory is no extension.
                    NameCase{"old.pages/help", "old.pages/help", ""}, NameCase{"", "", ""}));

// Every file of the resource folder, as the pages and the viewer ask for it.
const char* const kBuiltinFiles[] = {
    "help.html",        "content.html", "styles.css",  "support_html.html",
    "support_css.html", "logo.jpg",     "bg.jpg",      "smallcheck.gif",
    "next.gif",         "back.bmp",     "forward.bmp", "home.bmp",
};

TEST(LoadResourcePage, ServesEveryBuiltinFileAsWritten) {
    for (const char* name : kBuiltinFiles) {
        TMemoryStream stream;
        ASSERT_NO_THROW(LoadResourcePage(name, stream)) << name;
        EXPECT_EQ(stream.Position(), 0) << name;
        EXPECT_EQ(stream.DataString(), ReadFile(SourceDir() + "/resources/" + name)) << name;
    }
}

TEST(LoadResourcePage, HtmAndCssAreServedAsHtml) {
    TMemoryStream a, b;
    LoadResourcePage("HELP.HTM", a);
    LoadResourcePage("help.html", b);
    EXPECT_EQ(a.DataString(), b.DataString());
    ASSERT_NE(FindResource("STYLES", "HTML"), nullptr);
    EXPECT_EQ(FindResource("STYLES", "CSS"), nullptr);
    LoadResourcePage("styles.css", a);
    EXPECT_EQ(a.DataString(), ReadFile(SourceDir() + "/resources/styles.css"));
}

TEST(LoadResourcePage, ReplacesWhatTheStreamHeldAndRewinds) {
    TMemoryStream stream;
    stream.WriteString(std::string(20000, 'x'));
    LoadResourcePage("smallcheck.gif", stream);
    EXPECT_EQ(stream.Size(), static_cast<int64_t>(FindResource("SMALLCHECK", "GIF")->Size));
    EXPECT_EQ(stream.Position(), 0);
    EXPECT_EQ(stream.DataString().substr(0, 6), "GIF89a");
}

struct FailCase {
    const char* FileName;
    const char* Message;
};

class LoadResourceFailure : public testing::TestWithParam<FailCase> {};

TEST_P(LoadResourceFailure, NamesTheResourceAndKeepsTheStream) {
    TMemoryStream stream;
    stream.WriteString("kept");
    try {
        LoadResourcePage(GetParam().FileName, stream);
        FAIL() << "no error for " << GetParam().FileName;
    } catch (const Exception& e) {
        EXPECT_NE(dynamic_cast<const EResNotFound*>(&e), nullptr);
        EXPECT_EQ(e.Message(), GetParam().Message);
    }
    EXPECT_EQ(stream.DataString(), "kept");
}

INSTANTIATE_TEST_SUITE_P(Missing, LoadResourceFailure,
                         testing::Values(FailCase{"images/logo.jpg",
                                                  "Can't load resource: images/logo"},
                                         FailCase{"help", "Can't load resource: help"},
                                         FailCase{"nothere.html", "Can't load resource: nothere"},
                                         FailCase{"logo.gif", "Can't load resource: logo"},
                                         FailCase{"", "Can't load resource: "}));

TEST(BuiltinPages, PagesAndImagesTravelInTheirOwnReusedStreams) {
    TMemoryStream pageStream, imageStream;
    TBuiltinPages pages(pageStream, imageStream);
    TMemoryStream* got = nullptr;
    pages.viewerStreamRequest(nullptr, "help.html", got);
    EXPECT_EQ(got, &pageStream);
    const std::string help = got->DataString();
    pages.viewerImageRequest(nullptr, "logo.jpg", got);
    EXPECT_EQ(got, &imageStream);
    EXPECT_EQ(pageStream.DataString(), help); // an image leaves the page alone

    pages.viewerStreamRequest(nullptr, "styles.css", got);
    EXPECT_EQ(got, &pageStream);
    EXPECT_EQ(got->Position(), 0);
    EXPECT_EQ(got->DataString(), ReadFile(SourceDir() + "/resources/styles.css"));
}

TEST(BuiltinPages, AFailedRequestRaisesAndHandsNothingBack) {
    TMemoryStream pageStream, imageStream;
    TBuiltinPages pages(pageStream, imageStream);
    TMemoryStream* got = nullptr;
    EXPECT_THROW(pages.viewerStreamRequest(nullptr, "missing.html", got), EResNotFound);
    EXPECT_EQ(got, nullptr);
    EXPECT_THROW(pages.viewerImageRequest(nullptr, "images/logo.jpg", got), EResNotFound);
    EXPECT_EQ(got, nullptr);
}

} // namespace
