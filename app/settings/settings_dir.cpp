// The settings directory. A program installed where its user cannot write (/usr/local/bin)
// would otherwise fail on its first settings write, so such installs use the per-user
// configuration directory instead.
#include "app/settings/settings_dir.h"

#include <cerrno>
#include <cstdlib>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "platform/base/files.h"

namespace {

std::string HomeDirectory() {
    const char* home = std::getenv("HOME");
    if (home != nullptr && *home != '\0')
        return home;
    std::vector<char> buf(16384);
    passwd pw{};
    passwd* found = nullptr;
    if (::getpwuid_r(::getuid(), &pw, buf.data(), buf.size(), &found) == 0 && found != nullptr &&
        found->pw_dir != nullptr)
        return found->pw_dir;
    return "/tmp";
}

std::string UserConfigDirectory() {
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    // Relative values are invalid by the base-directory convention and are ignored.
    std::string base = (xdg != nullptr && xdg[0] == '/')
                           ? std::string(xdg)
                           : IncludeTrailingPathDelimiter(HomeDirectory()) + ".config";
    return IncludeTrailingPathDelimiter(base) + "foliobuilder/";
}

// mkdir -p; existing directories are fine.
void MakeDirectories(const std::string& dir) {
    for (size_t i = 1; i <= dir.size(); ++i) {
        if (i == dir.size() || dir[i] == '/') {
            const std::string piece = dir.substr(0, i);
            if (::mkdir(piece.c_str(), 0700) != 0 && errno != EEXIST)
                return;
        }
    }
}

} // namespace

std::string SettingsDirectoryFor(const std::string& programPath) {
    const std::string beside = ExtractFilePath(programPath);
    if (!beside.empty() && DirectoryExists(beside) && ::access(beside.c_str(), W_OK) == 0)
        return beside;
    const std::string dir = UserConfigDirectory();
    MakeDirectories(dir);
    return dir;
}

std::string IniFileNameFor(const std::string& programPath) {
    std::string name = ExtractFileName(programPath);
    if (name.empty())
        name = "foliobuilder";
    return SettingsDirectoryFor(programPath) + ChangeFileExt(name, ".ini");
}

std::string SettingsDirectory() {
    return SettingsDirectoryFor(ProgramPath());
}
std::string IniFileName() {
    return IniFileNameFor(ProgramPath());
}
