// Folio3.bin: the site book reader. A book is a copy of this program with an archive appended.
#include "bookreader/reader_app.h"
#include "platform/base/files.h"

int main(int argc, char** argv) {
    TReaderEnvironment env;
    env.SelfPath = ProgramPath();
    env.PasswordFile = TPasswordStore::DefaultPath();
    env.AskPassword = AskPasswordOnTerminal;
    return RunBookReader(std::vector<std::string>(argv + 1, argv + argc), env);
}
