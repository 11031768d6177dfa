#include "app/kq_file_launch.h"

#include "platform/gui/launcher.h"

void TkqFileLaunch::Launch(const std::string& FileName) {
    ShellOpen(FileName);
}
