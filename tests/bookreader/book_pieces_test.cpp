// The reader's building blocks: the configuration parser, hashing, the password store.
#include <gtest/gtest.h>

#include "bookreader/book_commands.h"
#include "bookreader/book_config.h"
#include "bookreader/password_store.h"
#include "bookreader/sha256.h"
#include "tests/app/temp_dir.h"

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

TEST(Sha256, KnownDigests) {
    EXPECT_EQ(HexOf(Sha256("")),
              "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
    EXPECT_EQ(HexOf(Sha256("abc")),
              "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
    EXPECT_EQ(HexOf(Sha256("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq")),
              "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1");
    TSha256 pieces;
    const std::string million(1000000, 'a');
    for (size_t i = 0; i < million.size(); i += 999) {
        pieces.Update(std::string_view(million).substr(i, 999));
    }
    EXPECT_EQ(HexOf(pieces.Final()),
              "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0");
}

TEST(Sha256, HmacAndPbkdf2KnownAnswers) {
    // RFC 4231 test case 2.
    EXPECT_EQ(HexOf(HmacSha256("Jefe", "what do ya want for nothing?")),
              "5bdcc146bf60754e6a042426089575c75a003f089d2739839dec58b964ec3843");
    EXPECT_EQ(HexOf(Pbkdf2Sha256("password", "salt", 1, 32)),
              "120fb6cffcf8b32c43e7225256c4f837a86548c92ccc35480805987cb70be17b");
    EXPECT_EQ(HexOf(Pbkdf2Sha256("password", "salt", 2, 32)),
              "ae4d0c95af6b46d32d0adff928f06dd02a303f8ef3c251dfd6e2d85a95474c43");
    EXPECT_EQ(Pbkdf2Sha256("p", "s", 1, 40).size(), 40u);
}

TEST(Hex, RoundTripsAndRefusesNonsense) {
    std::string bytes;
    ASSERT_TRUE(FromHex("00ff7Aa0", bytes));
    EXPECT_EQ(bytes, std::string("\x00\xff\x7a\xa0", 4));
    EXPECT_EQ(HexOf(bytes), "00ff7aa0");
    EXPECT_FALSE(FromHex("abc", bytes));
    EXPECT_FALSE(FromHex("zz", bytes));
}

TEST(PasswordStore, RemembersPerBookAndNeverThePassword) {
    TTempDir tmp;
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
    const std::string text = ReadWholeFile(store.Path());
    for (const char* secret : {"alpha", "beta", "gamma", "/books/one"}) {
        EXPECT_EQ(text.find(secret), std::string::npos) << secret;
    }
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 2);
    EXPECT_NE(text.find(" 100 "), std::string::npos); // each entry keeps its own cost
}

TEST(PasswordStore, ADamagedFileIsSimplyNotARemembrance) {
    TTempDir tmp;
    WriteTextFile(tmp.Path() + "/p", "garbage\nkey 100 nothex hash\nkey 4000000000 00 00\n\n");
    const TPasswordStore store(tmp.Path() + "/p", 100);
    EXPECT_FALSE(store.Remembers("key", "x"));
    EXPECT_TRUE(store.Remember("key", "x"));
    EXPECT_TRUE(store.Remembers("key", "x"));
    EXPECT_FALSE(TPasswordStore("").Remember("key", "x"));
}

TEST(SafeNames, OnlyPlainNamesStayInTheDirectory) {
    EXPECT_TRUE(IsSafeMemberFileName("index.html"));
    EXPECT_TRUE(IsSafeMemberFileName("..hidden..html"));
    for (const std::string& bad :
         {std::string(""), std::string("."), std::string(".."), std::string("a/b"),
          std::string("a\\b"), std::string("a\0b", 3)}) {
        EXPECT_FALSE(IsSafeMemberFileName(bad));
    }
}

} // namespace
