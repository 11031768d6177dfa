// The X server the GUI tests share: up under CTest, and when it cannot start, a failure that
// says why, never a skip that CTest would count as a pass.
#include <cstdlib>
#include <string>

#include "tests/support/xvfb_session.h"

namespace {

[[maybe_unused]] const bool xvfbForAll = xvfb::UseProgramSession();

using SessionTest = xvfb::TSuiteTest;

TEST_F(SessionTest, BothServersAreUpWithADisplay) {
    ASSERT_NE(session, nullptr);
    EXPECT_TRUE(session->Up()) << session->Problem();
    EXPECT_TRUE(session->Problem().empty());
    EXPECT_TRUE(xvfb::ProgramSessionUp());
    ASSERT_NE(std::getenv("DISPLAY"), nullptr);
}

TEST(SessionWithoutServer, SaysWhichProgramIsMissing) {
    const std::string path = std::getenv("PATH") ? std::getenv("PATH") : "";
    const std::string display = std::getenv("DISPLAY") ? std::getenv("DISPLAY") : "";
    setenv("PATH", "/nonexistent-folder", 1);
    {
        xvfb::TSession missing;
        EXPECT_FALSE(missing.Up());
        EXPECT_EQ(missing.Problem(), "Xvfb is not installed (scripts/deps.sh installs it)");
    }
    setenv("PATH", path.c_str(), 1);
    EXPECT_EQ(std::getenv("DISPLAY") ? std::string(std::getenv("DISPLAY")) : "", display);
}

} // namespace
