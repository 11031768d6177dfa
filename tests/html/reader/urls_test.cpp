// URL base, combining, full-URL test, trimming and the conversion to local paths.
#include <gtest/gtest.h>

#include "html/reader/url_subs.h"

TEST(UrlBase, CutsAtTheLastSlashAfterTheHost) {
    EXPECT_EQ(UrlBase("http://host/dir/page.htm?x=/y"), "http://host/dir/");
    EXPECT_EQ(UrlBase("http://host"), "http://host/");
    EXPECT_EQ(UrlBase("page.htm"), "page.htm/");
    EXPECT_EQ(UrlBase("  dir/sub/page.htm \r\n"), "dir/sub/");
    EXPECT_EQ(UrlBase("/page.htm"), "/page.htm/"); // the first character is never the cut
    EXPECT_EQ(UrlBase(""), "/");
}

TEST(CombineUrl, RelativeAbsoluteAndDots) {
    EXPECT_EQ(CombineUrl("http://host/a/b/", "../c.htm"), "http://host/a/c.htm");
    EXPECT_EQ(CombineUrl("http://host/a/b/", "/d.htm"), "http://host/d.htm");
    EXPECT_EQ(CombineUrl("http://host/a/b/", "./e.htm"), "http://host/a/b/e.htm");
    EXPECT_EQ(CombineUrl("http://host/a/b/", " f.htm "), "http://host/a/b/f.htm");
    EXPECT_EQ(CombineUrl("http://host/a/b/", "../../../g.htm"), "http://host/g.htm");
    EXPECT_EQ(CombineUrl("http://host/a/b/", "x/./././y/../z.htm"), "http://host/a/b/x/z.htm");
}

TEST(CombineUrl, BasesWithoutSlashOrHost) {
    EXPECT_EQ(CombineUrl("http://host", "a.htm"), "http://host/a.htm");
    EXPECT_EQ(CombineUrl("http://host", "/a.htm"), "http://host/a.htm");
    EXPECT_EQ(CombineUrl("dir", "a.htm"), "dir/a.htm");
    EXPECT_EQ(CombineUrl("site/dir/", "/top.htm"), "site/top.htm");
    EXPECT_EQ(CombineUrl("site/dir", "x.htm"), "site/dir/x.htm");
    EXPECT_EQ(CombineUrl("", "x.htm"), "/x.htm");
}

TEST(IsFullUrl, SchemeOrMailto) {
    EXPECT_TRUE(IsFullUrl("http://x"));
    EXPECT_TRUE(IsFullUrl("MAILTO:x"));
    EXPECT_TRUE(IsFullUrl("file:///a"));
    EXPECT_FALSE(IsFullUrl("pages/index.htm"));
    EXPECT_FALSE(IsFullUrl("mailto"));
}

TEST(HtmlTrim, ControlCharactersAndBlanks) {
    EXPECT_EQ(HtmlTrim("\x01\t a b \r\n\x1F"), "a b");
    EXPECT_EQ(HtmlTrim("\xA0x\xA0"), "\xA0x\xA0"); // bytes above 127 are text
    EXPECT_EQ(HtmlTrim("   "), "");
}

TEST(UrlToPath, FileUrlsAndEscapes) {
    // "/" stays the separator and the root is kept; "|" is an ordinary character here.
    EXPECT_EQ(UrlToPath("file:///C|/dir/a%20b.htm"), "/C|/dir/a b.htm");
    EXPECT_EQ(UrlToPath("FILE:///home/me/a.htm"), "/home/me/a.htm");
    EXPECT_EQ(UrlToPath("file://share/a.htm"), "share/a.htm");
    EXPECT_EQ(UrlToPath("%41bc"), "%41bc"); // a leading "%" stops decoding
    EXPECT_EQ(UrlToPath("a%41%42"), "aAB");
    EXPECT_EQ(UrlToPath("a%4"), "a%4");
    EXPECT_EQ(UrlToPath("a%zz%41"), "a%zz%41"); // the first bad escape ends decoding
    EXPECT_EQ(UrlToPath("a%2541"), "a%41");     // a decoded "%" is not decoded again
    EXPECT_EQ(UrlToPath("plain.htm"), "plain.htm");
    EXPECT_EQ(UrlToPath("file:x"), "file:x");
}

TEST(ExpandPath, ServerAbsolutePathsGoUnderTheRoot) {
    EXPECT_EQ(ExpandPath("/img/a.gif", "/srv/site"), "/srv/site/img/a.gif");
    EXPECT_EQ(ExpandPath("/img/a.gif", "/srv/site/"), "/srv/site/img/a.gif");
    EXPECT_EQ(ExpandPath("img/a.gif", "/srv/site"), "img/a.gif");
    EXPECT_EQ(ExpandPath("file:///home/a.htm", "/srv/site"), "/home/a.htm");
}
