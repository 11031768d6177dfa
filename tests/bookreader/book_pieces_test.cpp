// The reader's building blocks: the configuration parser, the password store, safe names.
#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>

#include "bookreader/book_commands.h"
#include "bookreader/book_config.h"
#include "bookreader/password_store.h"
#include "tests/support/files.h"
#include "tests/support/temp_dir.h"

using folio_test::ReadFile;
using folio_test::TempDir;
using folio_test::WriteFile;

namespace {

TEST(BookConfig, ReadsTheFourLines) {
    const TBookConfig c = ParseBookConfig("homepage=/home/me/site/Index.html\r\ncaption=My = "
                                          "Book\r\npassword=\r\niconfile=/i.ico\r\n");
    EXPECT_EQ(c.HomePage, "/home/me/site/Index.html");
    EXPECT_EQ(c.Caption, "My = Book");
    EXPECT_EQ(c.Password, "");
    EXPECT_EQ(c.IconFile, "/i.ico");
}

TEST(BookConfig, IsLenientAboutLineEndsAndStrayLines) {
    const TBookConfig c = ParseBookConfig("junk\nPASSWORD=x y\ncaption=last line without end");
    EXPECT_EQ(c.Password, "x y");
    EXPECT_EQ(c.Caption, "last line without end");
    EXPECT_EQ(c.HomePage, "");
    EXPECT_EQ(ParseBookConfig("").Caption, "");
}

// tests/data/bookreader/remembered-passwords was written by the reader's first releases (their
// own SHA-256 and PBKDF2) for two books that do not exist on disk, so their keys hash the
// paths as given: "Open sesame 1" at 1000 rounds and the UTF-8 "päss wörd" at 20000. A change of
// hashing library must keep recognising them, or every reader would ask again.
TEST(PasswordStore, PasswordsRememberedByEarlierReleasesStayValid) {
    const char* src = std::getenv("FOLIO_SOURCE_DIR");
    const std::string fixture =
        std::string(src && *src ? src : ".") + "/tests/data/bookreader/remembered-passwords";
    TempDir tmp;
    WriteFile(tmp / "passwords", ReadFile(fixture));
    const TPasswordStore store(tmp / "passwords", 100);
    const std::string first = TPasswordStore::BookKey("/nonexistent/folio/remembered-book");
    const std::string second = TPasswordStore::BookKey("/nonexistent/folio/another book");
    EXPECT_EQ(first, "62b6480ff4390579b779e98d6f3cac3986fba316bda529ddbb816e36aa519069");
    EXPECT_EQ(second, "12afd26cd86630fa27e532c706a5a5ca3375d3bf48d9f69b8916c9ee5078ffa9");
    EXPECT_TRUE(store.Remembers(first, "Open sesame 1"));
    EXPECT_TRUE(store.Remembers(second, "p\xc3\xa4ss w\xc3\xb6rd"));
    EXPECT_FALSE(store.Remembers(first, "Open sesame 2"));
    EXPECT_FALSE(store.Remembers(first, "p\xc3\xa4ss w\xc3\xb6rd"));
    EXPECT_FALSE(store.Remembers(second, "Open sesame 1"));
    // A new entry for one book keeps the other's old entry as it was.
    ASSERT_TRUE(store.Remember(first, "new"));
    EXPECT_TRUE(store.Remembers(second, "p\xc3\xa4ss w\xc3\xb6rd"));
    EXPECT_TRUE(store.Remembers(first, "new"));
}

TEST(PasswordStore, EachEntryHasItsOwnRandomSalt) {
    TempDir tmp;
    const TPasswordStore store(tmp / "p", 100);
    ASSERT_TRUE(store.Remember("book-a", "same"));
    ASSERT_TRUE(store.Remember("book-b", "same"));
    std::istringstream lines(ReadFile(tmp / "p"));
    std::string key, iterations, saltA, hashA, saltB, hashB;
    lines >> key >> iterations >> saltA >> hashA >> key >> iterations >> saltB >> hashB;
    EXPECT_EQ(saltA.size(), 32u);
    EXPECT_EQ(hashA.size(), 64u);
    EXPECT_NE(saltA, saltB);
    EXPECT_NE(hashA, hashB);
}

TEST(PasswordStore, RemembersPerBookAndNeverThePassword) {
    TempDir tmp;
    const TPasswordStore store(tmp.Path() + "/state/passwords", 100);
    const std::string book1 = TPasswordStore::BookKey("/books/one");
    const std::string book2 = TPasswordStore::BookKey("/books/two");
    EXPECT_NE(book1, book2);
    EXPECT_FALSE(store.Remembers(book1, "alpha"));
    ASSERT_TRUE(store.Remember(book1, "alpha"));
    ASSERT_TRUE(store.Remember(book2, "beta"));
    EXPECT_TRUE(store.Remembers(book1, "alpha"));
    EXPECT_FALSE(store.Remembers(book1, "beta"));
    EXPECT_TRUE(store.Remembers(book2, "beta"));
    ASSERT_TRUE(store.Remember(book1, "gamma")); // replaces the older entry
    EXPECT_FALSE(store.Remembers(book1, "alpha"));
    EXPECT_TRUE(store.Remembers(book1, "gamma"));
    const std::string text = ReadFile(store.Path());
    for (const char* secret : {"alpha", "beta", "gamma", "/books/one"}) {
        EXPECT_EQ(text.find(secret), std::string::npos) << secret;
    }
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 2);
    EXPECT_NE(text.find(" 100 "), std::string::npos); // each entry keeps its own cost
}

TEST(PasswordStore, ADamagedFileIsSimplyNotARemembrance) {
    TempDir tmp;
    WriteFile(tmp.Path() + "/p", "garbage\nkey 100 nothex hash\nkey 4000000000 00 00\n\n");
    const TPasswordStore store(tmp.Path() + "/p", 100);
    EXPECT_FALSE(store.Remembers("key", "x"));
    EXPECT_TRUE(store.Remember("key", "x"));
    EXPECT_TRUE(store.Remembers("key", "x"));
    EXPECT_FALSE(TPasswordStore("").Remember("key", "x"));
}

TEST(SafeNames, OnlyPlainNamesStayInTheDirectory) {
    EXPECT_TRUE(IsSafeMemberFileName("index.html"));
    EXPECT_TRUE(IsSafeMemberFileName("..hidden..html"));
    // A backslash is an ordinary character of a file name here.
    EXPECT_TRUE(IsSafeMemberFileName("back\\slash.html"));
    for (const std::string& bad : {std::string(""), std::string("."), std::string(".."),
                                   std::string("a/b"), std::string("a\0b", 3)}) {
        EXPECT_FALSE(IsSafeMemberFileName(bad));
    }
}

} // namespace
