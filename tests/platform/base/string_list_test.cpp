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

namespace {

// The sorted list as a plain vector: find the first entry not less than the string (ignoring
// case) and insert there, so a new duplicate goes before the equal ones. The list must give
// the same positions whatever it keeps its entries in.
struct TSortedModel {
    std::vector<std::pair<std::string, TObject*>> Items;
    TDuplicates Duplicates = dupIgnore;

    bool Find(const std::string& s, int& index) const {
        const auto it = std::lower_bound(
            Items.begin(), Items.end(), s,
            [](const auto& item, const std::string& k) { return CompareText(item.first, k) < 0; });
        index = static_cast<int>(it - Items.begin());
        return it != Items.end() && CompareText(it->first, s) == 0;
    }
    int Add(const std::string& s, TObject* obj) { // -2 for a refused duplicate
        int index = 0;
        if (Find(s, index) && Duplicates != dupAccept)
            return Duplicates == dupIgnore ? -1 : -2;
        Items.insert(Items.begin() + index, {s, obj});
        return index;
    }
};

void ExpectSame(const TStringList& list, const TSortedModel& model) {
    ASSERT_EQ(list.Count(), static_cast<int>(model.Items.size()));
    for (int i = 0; i < list.Count(); ++i) {
        ASSERT_EQ(list[i], model.Items[static_cast<size_t>(i)].first) << i;
        ASSERT_EQ(list.Objects(i), model.Items[static_cast<size_t>(i)].second) << i;
    }
}

} // namespace

TEST(SortedStringList, PositionsMatchAPlainSortedVectorUnderEveryOperation) {
    std::mt19937 rng(7);
    // Few distinct names in mixed case, so equal names (ignoring case) are common.
    auto name = [&] {
        std::string s = "n" + std::to_string(rng() % 40);
        for (char& c : s)
            if (rng() % 2)
                c = AsciiUpper(c);
        return s;
    };
    std::vector<std::unique_ptr<TObject>> objects;
    for (TDuplicates dup : {dupIgnore, dupAccept, dupError}) {
        TStringList list;
        list.SetSorted(true);
        list.Duplicates = dup;
        TSortedModel model;
        model.Duplicates = dup;
        for (int step = 0; step < 3000; ++step) {
            const int op = static_cast<int>(rng() % 10);
            const std::string s = name();
            if (op < 5) {
                objects.push_back(std::make_unique<TObject>());
                const int expected = model.Add(s, objects.back().get());
                if (expected == -2) {
                    EXPECT_THROW(list.AddObject(s, objects.back().get()), Exception);
                } else {
                    ASSERT_EQ(list.AddObject(s, objects.back().get()), expected) << s;
                }
            } else if (op < 7) {
                int got = -1, want = -1;
                ASSERT_EQ(list.Find(s, got), model.Find(s, want)) << s;
                ASSERT_EQ(got, want) << s;
                ASSERT_EQ(list.IndexOf(s), model.Find(s, want) ? want : -1);
            } else if (op < 9 && list.Count() > 0) {
                const int i = static_cast<int>(rng() % static_cast<unsigned>(list.Count()));
                list.Delete(i);
                model.Items.erase(model.Items.begin() + i);
            } else if (list.Count() > 0) {
                // Unsorting keeps the order; sorting again keeps it too, as it is sorted.
                list.SetSorted(false);
                ASSERT_FALSE(list.Sorted());
                list.SetSorted(true);
            }
            if (step % 500 == 0)
                ExpectSame(list, model);
        }
        ExpectSame(list, model);
        const int i = list.Count() / 2;
        TObject* before = list.Objects(i);
        EXPECT_EQ(list.IndexOfObject(before), i);
        list.Exchange(0, i);
        EXPECT_EQ(list.Objects(0), before);
        const TStringList copy(list);
        EXPECT_EQ(copy.Text(), list.Text());
    }
}
