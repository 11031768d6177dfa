#include "platform/base/string_list.h"

#include <algorithm>
#include <fstream>
#include <gtest/gtest.h>
#include <random>

#include "platform/base/strings.h"
#include "tests/support/files.h"
#include "tests/support/temp_dir.h"

namespace {

std::vector<std::string> All(const TStringList& l) {
    std::vector<std::string> out;
    for (int i = 0; i < l.Count(); ++i)
        out.push_back(l[i]);
    return out;
}

class Counted : public TObject {
public:
    explicit Counted(int* alive) : alive_(alive) { ++*alive_; }
    ~Counted() override { --*alive_; }

private:
    int* alive_;
};

TStringList SortedOf(std::initializer_list<const char*> items) {
    TStringList l;
    l.SetSorted(true);
    for (const char* s : items)
        l.Add(s);
    return l;
}

} // namespace

TEST(SortedStringList, AddKeepsCaseInsensitiveOrder) {
    TStringList l = SortedOf({"delta", "Bravo", "alpha", "Charlie", "echo"});
    EXPECT_EQ(All(l), (std::vector<std::string>{"alpha", "Bravo", "Charlie", "delta", "echo"}));
}

TEST(SortedStringList, FindReportsInsertionPoints) {
    TStringList l = SortedOf({"b", "d", "f"});
    int index = -1;
    EXPECT_FALSE(l.Find("a", index));
    EXPECT_EQ(index, 0);
    EXPECT_FALSE(l.Find("c", index));
    EXPECT_EQ(index, 1);
    EXPECT_FALSE(l.Find("e", index));
    EXPECT_EQ(index, 2);
    EXPECT_FALSE(l.Find("g", index));
    EXPECT_EQ(index, 3);
    EXPECT_TRUE(l.Find("D", index));
    EXPECT_EQ(index, 1);
    TStringList empty;
    empty.SetSorted(true);
    EXPECT_FALSE(empty.Find("x", index));
    EXPECT_EQ(index, 0);
}

TEST(SortedStringList, BinarySearchAgreesWithLinearSearch) {
    std::mt19937 rng(7);
    TStringList sorted;
    sorted.SetSorted(true);
    sorted.Duplicates = dupAccept;
    std::vector<std::string> plain;
    for (int i = 0; i < 600; ++i) {
        std::string s;
        const int len = 1 + static_cast<int>(rng() % 4);
        for (int k = 0; k < len; ++k)
            s += "aBcD_"[rng() % 5];
        sorted.Add(s);
        plain.push_back(s);
    }
    for (int i = 1; i < sorted.Count(); ++i)
        ASSERT_LE(CompareText(sorted[i - 1], sorted[i]), 0);
    for (const std::string& probe : {std::string("abc"), std::string("ABCD"), std::string("_"),
                                     std::string("zz"), std::string("a"), std::string("")}) {
        int first = -1;
        for (int i = 0; i < sorted.Count(); ++i) {
            if (CompareText(sorted[i], probe) >= 0) {
                first = i;
                break;
            }
        }
        if (first < 0)
            first = sorted.Count();
        int index = -1;
        const bool found = sorted.Find(probe, index);
        EXPECT_EQ(index, first) << probe;
        EXPECT_EQ(found, first < sorted.Count() && SameText(sorted[first], probe)) << probe;
        const bool inPlain = std::any_of(plain.begin(), plain.end(),
                                         [&](const std::string& s) { return SameText(s, probe); });
        EXPECT_EQ(found, inPlain) << probe;
    }
}

TEST(SortedStringList, DuplicatesIgnoredByDefault) {
    TStringList l = SortedOf({"one", "two"});
    EXPECT_EQ(l.Add("ONE"), -1);
    EXPECT_EQ(l.Count(), 2);
    EXPECT_EQ(l[0], "one");
}

TEST(SortedStringList, DuplicatesRaiseWithDupError) {
    TStringList l = SortedOf({"one"});
    l.Duplicates = dupError;
    EXPECT_THROW(l.Add("One"), Exception);
    EXPECT_EQ(l.Count(), 1);
}

TEST(SortedStringList, DuplicatesAcceptedAndFoundFirst) {
    int alive = 0;
    TStringList l;
    l.SetSorted(true);
    l.Duplicates = dupAccept;
    l.OwnsObjects = true;
    l.Add("a");
    l.Add("z");
    auto* first = new Counted(&alive);
    l.AddObject("m", first);
    l.AddObject("M", new Counted(&alive));
    l.AddObject("m", new Counted(&alive));
    EXPECT_EQ(l.Count(), 5);
    int index = -1;
    ASSERT_TRUE(l.Find("m", index));
    EXPECT_EQ(index, 1);
    EXPECT_EQ(l.IndexOf("M"), 1);
    // A duplicate goes before its equals, so the first added ends up last.
    EXPECT_EQ(l.IndexOfObject(first), 3);
    l.Clear();
    EXPECT_EQ(alive, 0);
}

TEST(SortedStringList, CaseSensitiveKeepsCasesApart) {
    TStringList l;
    l.CaseSensitive = true;
    l.SetSorted(true);
    l.Add("b");
    l.Add("B");
    l.Add("a");
    EXPECT_EQ(All(l), (std::vector<std::string>{"B", "a", "b"}));
    EXPECT_EQ(l.IndexOf("A"), -1);
    EXPECT_EQ(l.IndexOf("b"), 2);
}

TEST(SortedStringList, RefusesPositionalChanges) {
    TStringList l = SortedOf({"a", "b"});
    EXPECT_THROW(l.Insert(0, "z"), Exception);
    EXPECT_THROW(l.SetString(0, "z"), Exception);
    EXPECT_EQ(All(l), (std::vector<std::string>{"a", "b"}));
}

TEST(StringList, UnsortedKeepsOrderAndSearchesIgnoringCase) {
    TStringList l;
    EXPECT_EQ(l.Add("zeta"), 0);
    EXPECT_EQ(l.Add("Alpha"), 1);
    EXPECT_EQ(l.Add("zeta"), 2); // no duplicate check when unsorted
    EXPECT_EQ(l.IndexOf("ALPHA"), 1);
    EXPECT_EQ(l.IndexOf("ZETA"), 0);
    EXPECT_EQ(l.IndexOf("beta"), -1);
    l.Insert(1, "mid");
    l.Exchange(0, 3);
    EXPECT_EQ(All(l), (std::vector<std::string>{"zeta", "mid", "Alpha", "zeta"}));
    l.Delete(1);
    EXPECT_EQ(All(l), (std::vector<std::string>{"zeta", "Alpha", "zeta"}));
    l.SetSorted(true);
    EXPECT_EQ(All(l), (std::vector<std::string>{"Alpha", "zeta", "zeta"}));
}

TEST(StringList, IndexesAreChecked) {
    TStringList l;
    l.Add("x");
    EXPECT_THROW(l.Strings(1), Exception);
    EXPECT_THROW(l.Strings(-1), Exception);
    EXPECT_THROW(l.Delete(1), Exception);
    EXPECT_THROW(l.Insert(3, "y"), Exception);
    EXPECT_THROW(l.Objects(5), Exception);
    l.Insert(1, "y"); // at the end is fine
    EXPECT_EQ(l.Count(), 2);
}

TEST(StringList, OwnedObjectsAreFreedOnceOnly) {
    int alive = 0;
    {
        TStringList l;
        l.OwnsObjects = true;
        l.AddObject("a", new Counted(&alive));
        l.AddObject("b", new Counted(&alive));
        l.AddObject("c", new Counted(&alive));
        l.Delete(0);
        EXPECT_EQ(alive, 2);
        l.SetObject(0, new Counted(&alive)); // replaces and frees b's object
        EXPECT_EQ(alive, 2);
        TStringList copy(l);
        EXPECT_FALSE(copy.OwnsObjects);
        EXPECT_EQ(copy.Objects(1), l.Objects(1));
    }
    EXPECT_EQ(alive, 0);
}

TEST(StringList, ObjectsNotOwnedByDefault) {
    int alive = 0;
    Counted keep(&alive);
    {
        TStringList l;
        l.AddObject("k", &keep);
        EXPECT_EQ(l.IndexOfObject(&keep), 0);
    }
    EXPECT_EQ(alive, 1);
}

TEST(StringListText, LinesEndWithCrLf) {
    TStringList l;
    l.Add("a");
    l.Add("");
    l.Add("b");
    EXPECT_EQ(l.Text(), "a\r\n\r\nb\r\n");
    EXPECT_EQ(TStringList().Text(), "");
}

TEST(StringListText, SplitsAtAnyLineEnd) {
    TStringList l;
    l.SetText("one\r\ntwo\nthree\rfour");
    EXPECT_EQ(All(l), (std::vector<std::string>{"one", "two", "three", "four"}));
    l.SetText("a\r\n");
    EXPECT_EQ(All(l), (std::vector<std::string>{"a"}));
    l.SetText("\r\n\r\n");
    EXPECT_EQ(All(l), (std::vector<std::string>{"", ""}));
    l.SetText("a\n\rb"); // LF then CR: two line ends
    EXPECT_EQ(All(l), (std::vector<std::string>{"a", "", "b"}));
    l.SetText("");
    EXPECT_EQ(l.Count(), 0);
}

TEST(StringListText, SortedListSortsLoadedLinesAndDropsDuplicates) {
    TStringList l;
    l.SetSorted(true);
    l.SetText("pear\r\nApple\r\napple\r\nfig");
    EXPECT_EQ(All(l), (std::vector<std::string>{"Apple", "fig", "pear"}));
}

TEST(StringListText, FileRoundTrip) {
    folio_test::TempDir dir;
    TStringList l;
    l.Add("first");
    l.Add("caf\xE9");
    l.SaveToFile(dir / "list.txt");
    EXPECT_EQ(folio_test::ReadFile(dir / "list.txt"), "first\r\ncaf\xE9\r\n");
    TStringList back;
    back.LoadFromFile(dir / "list.txt");
    EXPECT_EQ(All(back), All(l));
    EXPECT_THROW(back.LoadFromFile(dir / "missing.txt"), EFOpenError);
    EXPECT_THROW(l.SaveToFile(dir / "no/such/dir.txt"), EFCreateError);
}

TEST(StringList, NamesAndValues) {
    TStringList l;
    l.Add("Home=index.html");
    l.Add("plain");
    l.Add("Title=A=B");
    EXPECT_EQ(l.Names(0), "Home");
    EXPECT_EQ(l.Names(1), "");
    EXPECT_EQ(l.Values("home"), "index.html");
    EXPECT_EQ(l.Values("title"), "A=B");
    EXPECT_EQ(l.Values("plain"), "");
    EXPECT_EQ(l.IndexOfName("TITLE"), 2);
    EXPECT_EQ(l.IndexOfName("none"), -1);
}
