// foliobuilder: the site book builder.
#include <cstdlib>

#include "app/command_line.h"
#include "app/settings/settings_dir.h"
#include "platform/base/files.h"

int main(int argc, char** argv) {
    TCommandLineEnvironment env;
    env.BuilderDir = ProgramDir();
    env.SettingsDir = SettingsDirectory();
    env.GetEnv = [](const char* name) -> const char* { return std::getenv(name); };
    return RunFolioBuilderCommandLine(std::vector<std::string>(argv + 1, argv + argc), env);
}
