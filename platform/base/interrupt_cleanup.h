#pragma once
// What must not outlive an interrupted program: a book cut short by Ctrl-C would otherwise look
// like a book (and block the rerun), a book's configuration would stay in the temporary folder
// with its password, and a book's background sound would stay there and go on playing. While
// registered, a path is removed (and a process group stopped) when SIGINT, SIGTERM or SIGHUP
// arrives; the signal then ends the program as it would have.
#include <sys/types.h>

#include <string>

// Installs the handlers (once; later calls do nothing). Without them, registering is harmless.
void InstallInterruptCleanup();

// Registers one path for the lifetime of the object: a file (unlinked) or an empty directory
// (removed; files go first, so a folder emptied by them goes too); or a child's process group,
// sent SIGTERM before any path goes.
class TInterruptCleanup {
public:
    enum TKind { File, Directory };
    TInterruptCleanup(const std::string& path, TKind kind);
    explicit TInterruptCleanup(pid_t processGroup);
    ~TInterruptCleanup();
    TInterruptCleanup(const TInterruptCleanup&) = delete;
    TInterruptCleanup& operator=(const TInterruptCleanup&) = delete;
    // Keeps the path from now on (a finished book).
    void Release();

private:
    int slot_ = -1;
};
