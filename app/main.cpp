// foliobuilder: the site book builder. Without arguments it opens the builder's window; with a
// subcommand it works on the command line, headless.
#include <cstdio>
#include <cstdlib>
#include <exception>

#include "app/command_line.h"
#include "app/main_window.h"
#include "app/settings/settings_dir.h"
#include "platform/base/files.h"
#include "platform/base/interrupt_cleanup.h"
#include "platform/fltk/fltk_gui.h"

namespace {

// The window, when a display can be opened; the caller falls back to the command line's note.
int RunWindow() {
    TBuilderWindowEnvironment env;
    env.BuilderDir = ProgramDir();
    env.SettingsDir = SettingsDirectory();
    env.IniFileName = IniFileName();
    // A book being written when the window is killed is removed, as on the command line.
    InstallInterruptCleanup();
    try {
        TFltkGui gui;
        return RunBuilderWindow(env);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "foliobuilder: %s\n", e.what());
        return 1;
    }
}

} // namespace

int main(int argc, char** argv) {
    if (argc <= 1 && TFltkGui::DisplayAvailable())
        return RunWindow();
    TCommandLineEnvironment env;
    env.BuilderDir = ProgramDir();
    env.SettingsDir = SettingsDirectory();
    env.GetEnv = [](const char* name) -> const char* { return std::getenv(name); };
    return RunFolioBuilderCommandLine(std::vector<std::string>(argv + 1, argv + argc), env);
}
