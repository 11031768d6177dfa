// Sorted lists filled the way documents fill them, from 25,000 to 200,000 entries. Each case
// reports its fitted growth (the "BigO" row): a sorted insert that moved half the list made
// these quadratic, and they must stay linear (n log n with a small log). The peer is
// std::multiset with a case-insensitive order over the same names: the insert cost of a
// balanced tree without positions.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "html/reader/html_lexer.h"
#include "html/reader/id_name_list.h"
#include "html/style/style_list.h"
#include "html/style/style_parser.h"
#include "platform/base/string_list.h"
#include "platform/base/strings.h"

namespace {

// Distinct names in a shuffled order, so inserts land all over the list.
std::vector<std::string> Names(int64_t n) {
    std::vector<std::string> names;
    names.reserve(static_cast<size_t>(n));
    for (int64_t i = 0; i < n; ++i)
        names.push_back("sec-" + std::to_string(i * 7919 % 1000003));
    std::shuffle(names.begin(), names.end(), std::mt19937(1));
    return names;
}

void Finish(benchmark::State& state) {
    state.SetItemsProcessed(state.iterations() * state.range(0));
    state.SetComplexityN(state.range(0));
}

// A page of n paragraphs with distinct IDs, read by the lexer with the name list attached.
void BM_LexerIds(benchmark::State& state) {
    std::string page = "<html><body>\n";
    for (const std::string& name : Names(state.range(0)))
        page += "<p id=" + name + ">x</p>\n";
    for (auto _ : state) {
        TIDNameList names;
        THtmlLexer lexer;
        lexer.IDNames = &names;
        lexer.LoadString(page);
        lexer.Start();
        do
            lexer.ReadSymbol();
        while (lexer.Sy != EofSym);
        benchmark::DoNotOptimize(names.Count());
    }
    Finish(state);
}

// A style sheet of n rules, one class each.
void BM_SheetRules(benchmark::State& state) {
    std::string css;
    for (const std::string& name : Names(state.range(0)))
        css += "." + name + " { color: red; margin-top: 2px }\n";
    for (auto _ : state) {
        TStyleList sheet;
        ParseStyleText(sheet, css);
        benchmark::DoNotOptimize(sheet.Count());
    }
    Finish(state);
}

void BM_SortedStringList(benchmark::State& state) {
    const std::vector<std::string> names = Names(state.range(0));
    for (auto _ : state) {
        TStringList list;
        list.SetSorted(true);
        for (const std::string& name : names)
            list.Add(name);
        benchmark::DoNotOptimize(list.Count());
    }
    Finish(state);
}

struct TLessText {
    bool operator()(const std::string& a, const std::string& b) const {
        return CompareText(a, b) < 0;
    }
};

void BM_PeerMultiset(benchmark::State& state) {
    const std::vector<std::string> names = Names(state.range(0));
    for (auto _ : state) {
        std::multiset<std::string, TLessText> set;
        for (const std::string& name : names)
            set.insert(name);
        benchmark::DoNotOptimize(set.size());
    }
    Finish(state);
}

#define FOLIO_SIZES                                                                                \
    RangeMultiplier(2)->Range(25000, 200000)->Unit(benchmark::kMillisecond)->Complexity()

BENCHMARK(BM_LexerIds)->FOLIO_SIZES;
BENCHMARK(BM_SheetRules)->FOLIO_SIZES;
BENCHMARK(BM_SortedStringList)->FOLIO_SIZES;
BENCHMARK(BM_PeerMultiset)->FOLIO_SIZES;

} // namespace

BENCHMARK_MAIN();
