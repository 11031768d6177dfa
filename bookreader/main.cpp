// Folio3.bin: the site book reader. A book is a copy of this program with an archive appended.
// With a display, a book run without options shows its pages in a window; every failure is then
// shown in a dialog as well as on standard error.
#include <cstdlib>
#include <exception>

#include "bookreader/book_search.h"
#include "bookreader/reader_app.h"
#include "bookreader/reader_errors.h"
#include "bookreader/reader_state.h"
#include "bookreader/reader_window.h"
#include "platform/base/files.h"
#include "platform/fltk/fltk_gui.h"
#include "platform/gui/application.h"
#include "platform/gui/dialogs.h"

namespace {

// A failure before the window opened (a damaged book, a page it lacks), shown in a dialog.
void ShowInDialog(const std::string& program, const std::string& text) {
    if (text.empty())
        return;
    try {
        TFltkGui gui;
        Application().Title = program;
        Dialogs().ShowMessage(text, TMsgKind::Error);
    } catch (const std::exception&) {
        // The text is on standard error already.
    }
}

} // namespace

int main(int argc, char** argv) {
    TErrorCopy errors;
    TReaderEnvironment env;
    env.SelfPath = ProgramPath();
    env.PasswordFile = TPasswordStore::DefaultPath();
    env.SearchCacheDir = DefaultSearchCacheDir();
    env.AskPassword = AskPasswordOnTerminal;
    env.GetEnv = [](const char* name) -> const char* { return std::getenv(name); };
    env.Err = errors.File();
    const bool windowed = ShowsPages(argc, argv) && TFltkGui::DisplayAvailable();
    bool shown = false;
    if (windowed) {
        env.ShowBook = [&](const TSiteBook& book, const std::string& page) {
            shown = true;
            TReaderWindowEnvironment window;
            window.PasswordFile = env.PasswordFile;
            window.SearchCacheDir = env.SearchCacheDir;
            window.PasswordIterations = env.PasswordIterations;
            window.StateDir = TReaderStateStore::DefaultDirectory();
            try {
                TFltkGui gui;
                return RunReaderWindow(book, page, window);
            } catch (const std::exception& e) {
                std::fprintf(stderr, "%s: %s\n", ExtractFileName(env.SelfPath).c_str(), e.what());
                return static_cast<int>(kReaderFailed);
            }
        };
    }
    const int status = RunBookReader(std::vector<std::string>(argv + 1, argv + argc), env);
    if (status != kReaderOk && windowed && !shown)
        ShowInDialog(ExtractFileName(env.SelfPath), errors.Text());
    return status;
}
