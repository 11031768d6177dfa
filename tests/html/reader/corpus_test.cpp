// Every html5lib tokenizer input and every input a fuzzer found goes through the lexer (and
// its TEXTAREA and SCRIPT readers) without a failure other than the open-comment parse error.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "html/reader/html_lexer.h"
#include "html/reader/id_name_list.h"
#include "platform/base/exceptions.h"
#include "platform/base/string_list.h"
#include "tests/support/data_paths.h"
#include "tests/support/files.h"

using folio_test::ReadFile;

namespace fs = std::filesystem;

namespace {

// Reads the whole text; true when it ended at EofSym, false on the open-comment error.
bool LexAll(const std::string& text, int64_t& symbols) {
    TIDNameList names;
    THtmlLexer lx;
    lx.IDNames = &names;
    lx.OnInclude = [](TObject*, const std::string&, std::unique_ptr<TStringList>,
                      std::string& out) { out = "<b>included &amp; <!--#x--></b>"; };
    lx.LoadString(text);
    try {
        lx.Start();
        do {
            lx.ReadSymbol();
            ++symbols;
            // Every symbol's positions stay inside the source, one per character.
            EXPECT_EQ(lx.Token.Positions().size(), lx.Token.Text().size());
            for (int32_t p : lx.Token.Positions())
                EXPECT_TRUE(p >= 0 && p < static_cast<int32_t>(text.size()) + 1);
            if (lx.Sy == ScriptSym)
                lx.ReadScript([](TObject*, const std::string&, const std::string&, std::string) {});
            if (lx.Sy == TextAreaSym)
                do
                    lx.ReadTextAreaSymbol();
                while (lx.Sy != TextAreaEndSym && lx.Sy != EofSym);
        } while (lx.Sy != EofSym);
        return true;
    } catch (const EParseError& e) {
        EXPECT_EQ(e.Message(), "Open Comment at End of HTML File");
        return false;
    }
}

void LexFolder(const fs::path& dir, int minFiles) {
    int files = 0, complete = 0;
    int64_t symbols = 0;
    for (const auto& entry : fs::directory_iterator(dir)) {
        if (!entry.is_regular_file() || entry.path().filename() == "LICENSE")
            continue;
        ++files;
        if (LexAll(ReadFile(entry.path()), symbols))
            ++complete;
    }
    EXPECT_GE(files, minFiles);
    EXPECT_GT(complete, files / 2); // most inputs close their comments
    EXPECT_GT(symbols, files);
}
} // namespace

TEST(LexerCorpus, Html5libTokenizerInputs) {
    const fs::path dir = folio_test::OptionalCorpus("fuzz-seeds/html-html5lib");
    if (dir.empty())
        GTEST_SKIP() << folio_test::CorpusAbsent("fuzz-seeds/html-html5lib");
    LexFolder(dir, 1000);
}

// The hostile inputs kept with the project; they must be there.
TEST(LexerCorpus, FuzzFindings) {
    LexFolder(folio_test::ProjectData("reader/fuzz"), 8);
}
