// The sample site that `make demo` builds into a book: its style sheet gives links the
// states a reader expects.
#include <gtest/gtest.h>

#include <cstdlib>

#include "html/style/value_convert.h"
#include "tests/html/style/style_test_util.h"
#include "tests/support/files.h"

namespace {

TEST(SampleSite, AFollowedLinkDoesNotKeepTheHoverBackground) {
    const char* source = std::getenv("FOLIO_SOURCE_DIR");
    ASSERT_NE(source, nullptr) << "set by CTest";
    TStyleFixture f(folio_test::ReadFile(std::string(source) + "/examples/site/style.css"));
    TProperties& link = f.PushLink();
    const TPropValue yellow = Color(RGB(255, 255, 0));
    EXPECT_EQ(link.Values[piHoverBackgroundColor], yellow) << "hovering still shows yellow";
    EXPECT_NE(link.Values[piVisitedBackgroundColor], yellow);
    EXPECT_NE(link.Values[piVisitedColor], link.Values[piLinkColor])
        << "a followed link still looks followed";
}

} // namespace
