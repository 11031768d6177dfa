// The option parser both programs share: each case is a command line and what the parser
// makes of it, as one line of text.
#include "platform/base/option_parser.h"

#include <gtest/gtest.h>

namespace {

// Parses args with a small set of options and describes the outcome: the options seen in
// order, then the operands, or the problem, or "help".
std::string Outcome(const std::vector<std::string>& args) {
    std::string seen;
    TOptionParser p;
    p.Value("-o, --output", "FILE", "where", [&](const std::string& v) -> TOptionParser::TRefusal {
        seen += "output=" + v + " ";
        return std::nullopt;
    });
    p.Flag("--force", "replace", [&] { seen += "force "; });
    p.Choice("--level", {"fastest", "normal", "max"}, "how hard",
             [&](size_t i) { seen += "level=" + std::to_string(i) + " "; });
    if (!p.Parse(args)) {
        return "problem: " + p.Problem();
    }
    if (p.HelpAsked()) {
        return "help";
    }
    std::string text = seen;
    for (const std::string& operand : p.Operands()) {
        text += "[" + operand + "]";
    }
    return text;
}

struct Case {
    std::vector<std::string> Args;
    std::string Expected;
};

class OptionParserCase : public ::testing::TestWithParam<Case> {};

TEST_P(OptionParserCase, ReadsTheCommandLine) {
    EXPECT_EQ(Outcome(GetParam().Args), GetParam().Expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, OptionParserCase,
    ::testing::Values(
        // Values given apart, glued with "=", or glued to a short name.
        Case{{"src", "--output", "a"}, "output=a [src]"},
        Case{{"--output=a=b", "src"}, "output=a=b [src]"}, Case{{"-o", "a"}, "output=a "},
        Case{{"-oa"}, "output=a "}, Case{{"--output="}, "output= "},
        // Options and operands mix; a value may itself start with "-".
        Case{{"x", "--force", "y", "-o", "-z"}, "force output=-z [x][y]"},
        // "--" ends the options; "-" alone is an operand.
        Case{{"--force", "--", "-site", "--output"}, "force [-site][--output]"}, Case{{"-"}, "[-]"},
        // Help wins wherever it comes, unless it is an option's value.
        Case{{"src", "--help", "--bogus"}, "help"}, Case{{"-h"}, "help"},
        Case{{"-o", "--help"}, "output=--help "},
        // Problems name the option as given.
        Case{{"--bogus"}, "problem: unknown option --bogus"},
        Case{{"--bogus=1"}, "problem: unknown option --bogus"},
        Case{{"-x"}, "problem: unknown option -x"},
        Case{{"--forc"}, "problem: unknown option --forc"},
        Case{{"--force=yes"}, "problem: option --force takes no value"},
        Case{{"src", "--output"}, "problem: option --output needs a value: --output FILE"},
        Case{{"--level", "max", "--level=fastest"}, "level=2 level=0 "},
        Case{{"--level", "fast"},
             "problem: option --level must be one of fastest|normal|max, not \"fast\""}));

TEST(OptionParser, TheTableListsEveryOptionWithItsValueAndHelp) {
    TOptionParser p;
    std::string into;
    p.Value("-o, --output", "BOOK", "the book to write", into);
    p.Flag("--force", "replace it", [] {});
    EXPECT_EQ(p.Table(), "  -o, --output BOOK  the book to write\n"
                         "      --force        replace it\n"
                         "  -h, --help         show this help and exit\n");
    ASSERT_TRUE(p.Parse({"cmd", "--output", "b.bin"}, 1));
    EXPECT_EQ(into, "b.bin");
}

} // namespace
