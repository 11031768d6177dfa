#include "platform/base/interrupt_cleanup.h"

#include <limits.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cstring>
#include <mutex>

namespace {

// The handler may only call async-signal-safe functions, so the paths wait in fixed slots it
// can read without allocating or locking. A build registers three at most (the book, the
// configuration and its folder), a book's sound three (its player, file and folder); the rest
// is headroom.
constexpr int kSlots = 8;

struct TSlot {
    std::atomic<bool> Used{false};
    bool Directory = false;
    pid_t Group = 0; // a process group to stop, when Path is empty
    char Path[PATH_MAX] = {};
};

TSlot slots[kSlots];
std::mutex slotsLock; // between threads registering; the handler never takes it

extern "C" void RemoveOnSignal(int sig) {
    // Processes first, which may hold the files; then files, then the folders they emptied.
    for (TSlot& slot : slots) {
        if (slot.Used.load(std::memory_order_acquire) && slot.Group > 0) {
            ::kill(-slot.Group, SIGTERM);
        }
    }
    for (const bool directories : {false, true}) {
        for (TSlot& slot : slots) {
            if (slot.Used.load(std::memory_order_acquire) && slot.Group == 0 &&
                slot.Directory == directories) {
                directories ? ::rmdir(slot.Path) : ::unlink(slot.Path);
            }
        }
    }
    // End the way the signal would have ended the program, so the caller's shell sees it.
    ::signal(sig, SIG_DFL);
    ::raise(sig);
}

} // namespace

void InstallInterruptCleanup() {
    static std::once_flag once;
    std::call_once(once, [] {
        struct sigaction action {};
        action.sa_handler = RemoveOnSignal;
        sigemptyset(&action.sa_mask);
        for (int sig : {SIGINT, SIGTERM, SIGHUP}) {
            sigaddset(&action.sa_mask, sig);
        }
        for (int sig : {SIGINT, SIGTERM, SIGHUP}) {
            // A signal the caller chose to ignore (nohup) stays ignored.
            struct sigaction old {};
            if (::sigaction(sig, nullptr, &old) == 0 && old.sa_handler == SIG_IGN) {
                continue;
            }
            ::sigaction(sig, &action, nullptr);
        }
    });
}

namespace {

// Fills a free slot; -1 when all are taken (the thing is then kept, as without the handlers).
int TakeSlot(const std::string& path, bool directory, pid_t group) {
    std::lock_guard<std::mutex> lock(slotsLock);
    for (int i = 0; i < kSlots; ++i) {
        if (!slots[i].Used.load(std::memory_order_relaxed)) {
            std::memcpy(slots[i].Path, path.c_str(), path.size() + 1);
            slots[i].Directory = directory;
            slots[i].Group = group;
            slots[i].Used.store(true, std::memory_order_release);
            return i;
        }
    }
    return -1;
}

} // namespace

TInterruptCleanup::TInterruptCleanup(const std::string& path, TKind kind) {
    if (path.empty() || path.size() >= PATH_MAX) {
        return; // cannot be named to unlink; nothing better to do than keep it
    }
    slot_ = TakeSlot(path, kind == Directory, 0);
}

TInterruptCleanup::TInterruptCleanup(pid_t processGroup) {
    if (processGroup > 0) {
        slot_ = TakeSlot(std::string(), false, processGroup);
    }
}

TInterruptCleanup::~TInterruptCleanup() {
    Release();
}

void TInterruptCleanup::Release() {
    if (slot_ >= 0) {
        std::lock_guard<std::mutex> lock(slotsLock);
        slots[slot_].Used.store(false, std::memory_order_release);
        slot_ = -1;
    }
}
