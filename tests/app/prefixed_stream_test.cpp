// Lines written through a prefixed stream each begin with the prefix, however they are cut.
#include "platform/base/prefixed_stream.h"

#include <gtest/gtest.h>

#include "tests/support/captured_output.h"

namespace {

TEST(PrefixedStream, EveryLineGetsThePrefixOnceWhateverTheWrites) {
    TCapture to;
    {
        TPrefixedStream stream(to.File(), "prog: ");
        std::fputs("one", stream.File());
        std::fputs(" line\ntwo\n", stream.File());
        std::fprintf(stream.File(), "%s\n\n", "three");
        std::fputs("unfinished", stream.File());
    }
    EXPECT_EQ(to.Text(), "prog: one line\nprog: two\nprog: three\nprog: \nprog: unfinished");
}

} // namespace
