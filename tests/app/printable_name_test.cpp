// File names shown on a terminal never carry a control character raw.
#include "platform/base/printable_name.h"

#include <gtest/gtest.h>

namespace {

struct Case {
    std::string Name;
    std::string Shown;
};

class PrintableNameCase : public ::testing::TestWithParam<Case> {};

TEST_P(PrintableNameCase, EscapesWhatATerminalWouldAct) {
    EXPECT_EQ(PrintableName(GetParam().Name), GetParam().Shown);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PrintableNameCase,
    ::testing::Values(Case{"index.html", "index.html"}, Case{"a b.html", "a b.html"},
                      Case{"\x1b[31mred.html", "\\x1b[31mred.html"},
                      Case{"two\nlines.html", "two\\nlines.html"}, Case{"cr\r.htm", "cr\\r.htm"},
                      Case{"tab\t.txt", "tab\\t.txt"}, Case{"del\x7f.gif", "del\\x7f.gif"},
                      Case{"back\\slash", "back\\\\slash"},
                      Case{std::string("nul\0.x", 6), "nul\\x00.x"},
                      // UTF-8 stays; C1 controls, stray and overlong bytes do not.
                      Case{"caf\xc3\xa9.html", "caf\xc3\xa9.html"},
                      Case{"\xe6\x97\xa5\xe6\x9c\xac.htm", "\xe6\x97\xa5\xe6\x9c\xac.htm"},
                      Case{"csi\xc2\x9b"
                           "2J",
                           "csi\\xc2\\x9b2J"},
                      Case{"raw\x9b.txt", "raw\\x9b.txt"}, Case{"cut\xe6\x97", "cut\\xe6\\x97"},
                      Case{"long\xc0\xaf", "long\\xc0\\xaf"},
                      Case{"sur\xed\xa0\x80", "sur\\xed\\xa0\\x80"}));

} // namespace
