// The launcher component passes what it is given to the desktop's handler unchanged.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/kq_file_launch.h"
#include "platform/gui/launcher.h"

namespace {

TEST(KqFileLaunch, HandsTheAddressOnAsWritten) {
    std::vector<std::string> opened;
    TLaunchHook previous = SetLaunchHook([&](const std::string& t) { opened.push_back(t); });
    TkqFileLaunch launcher;
    launcher.Launch("MAILTO:Team@FolioBuilder.example.org");
    launcher.Launch("https://foliobuilder.example.org/");
    SetLaunchHook(previous);
    EXPECT_EQ(opened, (std::vector<std::string>{"MAILTO:Team@FolioBuilder.example.org",
                                                "https://foliobuilder.example.org/"}));
}

} // namespace
