#pragma once
// Files a build is making that must not outlive an interrupted run. A book cut short by Ctrl-C
// would otherwise look like a book (and block the rerun), and the book's configuration would
// stay in the temporary folder with its password. While registered, a path is removed when
// SIGINT, SIGTERM or SIGHUP arrives; the signal then ends the program as it would have.
#include <string>

// Installs the handlers (once; later calls do nothing). Without them, registering is harmless.
void InstallInterruptCleanup();

// Registers one path for the lifetime of the object: a file (unlinked) or an empty directory
// (removed; files go first, so a folder emptied by them goes too).
class TInterruptCleanup {
public:
    enum TKind { File, Directory };
    TInterruptCleanup(const std::string& path, TKind kind);
    ~TInterruptCleanup();
    TInterruptCleanup(const TInterruptCleanup&) = delete;
    TInterruptCleanup& operator=(const TInterruptCleanup&) = delete;
    // Keeps the path from now on (a finished book).
    void Release();

private:
    int slot_ = -1;
};
