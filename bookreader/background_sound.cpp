#include "bookreader/background_sound.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <map>
#include <set>
#include <thread>

#include "bookreader/book_page_source.h"
#include "bookreader/private_file.h"
#include "platform/base/interrupt_cleanup.h"
#include "platform/base/strings.h"
#include "platform/gui/timer.h"

extern char** environ;

namespace {

constexpr const char* kPlayerVariable = "FOLIO3_SOUND_PLAYER";
constexpr uint32_t kPollMs = 200;
// A play that ends sooner than this did not play the sound (a player handing the file to a
// running instance, or one that cannot open the sound device); a few in a row end a loop.
constexpr int kMaxQuickEnds = 3;

uint64_t NowMs() {
    return static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                     std::chrono::steady_clock::now().time_since_epoch())
                                     .count());
}

struct TSoundKind {
    const char* Extension;
    const char* Mime;
};
constexpr TSoundKind kKinds[] = {{".wav", "audio/x-wav"}, {".mid", "audio/midi"},
                                 {".midi", "audio/midi"}, {".rmi", "audio/midi"},
                                 {".kar", "audio/midi"},  {".mp3", "audio/mpeg"}};

std::string ExtensionOf(const std::string& name) {
    const size_t dot = name.rfind('.');
    return dot == std::string::npos ? std::string() : LowerCase(name.substr(dot));
}

// The program's full path when it is an executable file on PATH (or a path already).
std::string FindOnPath(const std::string& program) {
    if (program.empty()) {
        return {};
    }
    if (program.find('/') != std::string::npos) {
        return ::access(program.c_str(), X_OK) == 0 ? program : std::string();
    }
    const char* path = std::getenv("PATH");
    const std::string dirs = path && *path ? path : "/usr/local/bin:/usr/bin:/bin";
    size_t start = 0;
    while (start <= dirs.size()) {
        const size_t end = std::min(dirs.find(':', start), dirs.size());
        const std::string dir = end > start ? dirs.substr(start, end - start) : ".";
        const std::string candidate = dir + "/" + program;
        struct stat st {};
        if (::stat(candidate.c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
            ::access(candidate.c_str(), X_OK) == 0) {
            return candidate;
        }
        start = end + 1;
    }
    return {};
}

// The first line a program prints within a few seconds (xdg-mime is a shell script that asks
// the desktop); empty when it cannot be run or says nothing.
std::string FirstLineOf(const std::vector<std::string>& command) {
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) {
        return {};
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, fds[1], 1);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    std::vector<char*> argv;
    for (const std::string& a : command) {
        argv.push_back(const_cast<char*>(a.c_str()));
    }
    argv.push_back(nullptr);
    pid_t pid = 0;
    const bool started = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ) == 0;
    posix_spawn_file_actions_destroy(&actions);
    ::close(fds[1]);
    std::string out;
    if (started) {
        const uint64_t deadline = NowMs() + 3000;
        while (out.size() < 4096 && out.find('\n') == std::string::npos) {
            const uint64_t now = NowMs();
            pollfd p{fds[0], POLLIN, 0};
            if (now >= deadline || ::poll(&p, 1, static_cast<int>(deadline - now)) <= 0) {
                break;
            }
            char buffer[512];
            const ssize_t n = ::read(fds[0], buffer, sizeof buffer);
            if (n <= 0) {
                break;
            }
            out.append(buffer, static_cast<size_t>(n));
        }
        ::kill(pid, SIGKILL); // done with it, whether it finished or not
        int status = 0;
        while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
    }
    ::close(fds[0]);
    return Trim(out.substr(0, out.find('\n')));
}

// The Exec line of a desktop entry found by its id in the XDG data folders.
std::string DesktopEntryExec(const std::string& id) {
    if (id.size() < 9 || id.find('/') != std::string::npos || id.find("..") != std::string::npos ||
        ExtensionOf(id) != ".desktop") {
        return {};
    }
    std::vector<std::string> dirs;
    if (const char* data = std::getenv("XDG_DATA_HOME"); data && *data) {
        dirs.push_back(data);
    } else if (const char* home = std::getenv("HOME"); home && *home) {
        dirs.push_back(std::string(home) + "/.local/share");
    }
    const char* shared = std::getenv("XDG_DATA_DIRS");
    const std::string list = shared && *shared ? shared : "/usr/local/share:/usr/share";
    for (size_t start = 0; start < list.size();) {
        const size_t end = std::min(list.find(':', start), list.size());
        if (end > start) {
            dirs.push_back(list.substr(start, end - start));
        }
        start = end + 1;
    }
    for (const std::string& dir : dirs) {
        std::ifstream in(dir + "/applications/" + id);
        std::string line;
        bool inEntry = false;
        for (int lines = 0; lines < 2000 && std::getline(in, line); ++lines) {
            if (!line.empty() && line[0] == '[') {
                inEntry = line.rfind("[Desktop Entry]", 0) == 0;
            } else if (inEntry && line.rfind("Exec=", 0) == 0) {
                return line.substr(5);
            }
        }
    }
    return {};
}

TSoundPlayer CommonPlayer(const std::string& mimeType) {
    struct TCandidate {
        const char* Mime; // null: any sound
        std::vector<std::string> Command;
    };
    static const TCandidate candidates[] = {
        {"audio/x-wav", {"paplay", "%f"}},
        {"audio/x-wav", {"pw-play", "%f"}},
        {"audio/x-wav", {"aplay", "-q", "%f"}},
        {"audio/midi", {"timidity", "-Os", "-q", "%f"}},
        {"audio/midi", {"wildmidi", "%f"}},
        {"audio/mpeg", {"mpg123", "-q", "%f"}},
        {"audio/mpeg", {"mpg321", "-q", "%f"}},
        {nullptr, {"ffplay", "-nodisp", "-autoexit", "-loglevel", "quiet", "%f"}},
        {nullptr, {"mpv", "--no-video", "--really-quiet", "%f"}},
        {nullptr, {"cvlc", "--play-and-exit", "--quiet", "%f"}},
    };
    for (const TCandidate& c : candidates) {
        if ((!c.Mime || mimeType == c.Mime) && !FindOnPath(c.Command[0]).empty()) {
            return {c.Command};
        }
    }
    return {};
}

// Sounds that are live, so that a normal exit that skips their destructors (exit() from
// anywhere) still stops their players and removes their files.
std::set<TBackgroundSound*>& LiveSounds() {
    static auto* live = new std::set<TBackgroundSound*>;
    return *live;
}

void StopLiveSounds() {
    const std::set<TBackgroundSound*> live = LiveSounds();
    for (TBackgroundSound* sound : live) {
        sound->Stop();
    }
}

// A private folder for the sound's file: in the user's runtime folder when there is one.
std::string MakeSoundFolder() {
    std::string base;
    for (const char* variable : {"XDG_RUNTIME_DIR", "TMPDIR"}) {
        const char* dir = std::getenv(variable);
        struct stat st {};
        if (dir && *dir && ::stat(dir, &st) == 0 && S_ISDIR(st.st_mode) &&
            ::access(dir, W_OK) == 0) {
            base = dir;
            break;
        }
    }
    if (base.empty()) {
        base = "/tmp";
    }
    std::string pattern = base + "/folio3-sound-XXXXXX";
    return ::mkdtemp(pattern.data()) ? pattern : std::string(); // mkdtemp makes it 0700
}

bool WriteNewFile(const std::string& path, const std::string& bytes) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0) {
        return false;
    }
    const bool written = WriteAll(fd, bytes);
    return ::close(fd) == 0 && written;
}

} // namespace

std::string SoundMimeType(const std::string& name) {
    const std::string ext = ExtensionOf(name);
    for (const TSoundKind& k : kKinds) {
        if (ext == k.Extension) {
            return k.Mime;
        }
    }
    return {};
}

TSoundPlayer PlayerFromExecLine(const std::string& exec) {
    std::vector<std::string> args;
    std::string arg;
    bool inArg = false, quoted = false, hasFile = false;
    for (size_t i = 0; i < exec.size(); ++i) {
        const char c = exec[i];
        if (quoted) {
            if (c == '\\' && i + 1 < exec.size()) {
                arg += exec[++i];
            } else if (c == '"') {
                quoted = false;
            } else {
                arg += c;
            }
            continue;
        }
        if (c == ' ' || c == '\t') {
            if (inArg) {
                args.push_back(arg);
            }
            arg.clear();
            inArg = false;
            continue;
        }
        inArg = true;
        if (c == '"') {
            quoted = true;
        } else if (c == '%' && i + 1 < exec.size()) {
            const char code = exec[++i];
            if (code == '%') {
                arg += '%';
            } else if (code == 'f' || code == 'F' || code == 'u' || code == 'U') {
                if (!hasFile) {
                    arg += "%f";
                    hasFile = true;
                }
            }
            // %i, %c, %k and the deprecated codes stand for nothing here.
        } else {
            arg += c;
        }
    }
    if (quoted) {
        return {}; // an unclosed quote: the line is broken
    }
    if (inArg) {
        args.push_back(arg);
    }
    std::erase_if(args, [](const std::string& a) { return a.empty(); });
    if (args.empty() || args[0].find("%f") != std::string::npos) {
        return {};
    }
    if (!hasFile) {
        args.push_back("%f");
    }
    return {args};
}

TSoundPlayer FindSoundPlayer(const std::string& mimeType) {
    if (const char* program = std::getenv(kPlayerVariable); program && *program) {
        return {{program, "%f"}};
    }
    // Asking the desktop starts a shell script: once per type is enough.
    static std::map<std::string, TSoundPlayer> known;
    if (const auto it = known.find(mimeType); it != known.end()) {
        return it->second;
    }
    TSoundPlayer player;
    if (!FindOnPath("xdg-mime").empty()) {
        player = PlayerFromExecLine(
            DesktopEntryExec(FirstLineOf({"xdg-mime", "query", "default", mimeType})));
        if (!player.Empty() && FindOnPath(player.Command[0]).empty()) {
            player = {};
        }
    }
    if (player.Empty()) {
        player = CommonPlayer(mimeType);
    }
    known[mimeType] = player;
    return player;
}

TBackgroundSound::TBackgroundSound(TBookPageSource& source)
    : source_(source), timer_(std::make_unique<TTimer>()) {
    // The timer made the application object first, so the exit handler registered now runs
    // before that object goes (handlers and statics end in the reverse order of their making).
    timer_->SetEnabled(false);
    timer_->SetInterval(kPollMs);
    timer_->OnTimer = [this](TTimer&) { Poll(); };
    static const bool registered = std::atexit(StopLiveSounds) == 0;
    (void)registered;
    LiveSounds().insert(this);
}

TBackgroundSound::~TBackgroundSound() {
    Stop();
    LiveSounds().erase(this);
}

void TBackgroundSound::SoundRequest(TObject*, const std::string& src, int32_t loop,
                                    bool terminate) {
    if (terminate) {
        Stop();
    } else {
        Play(src, loop);
    }
}

bool TBackgroundSound::Play(const std::string& src, int32_t loop) {
    Stop();
    const std::string name = RequestedMemberName(src);
    const std::string mime = SoundMimeType(name);
    if (mime.empty()) {
        return false;
    }
    std::shared_ptr<const std::string> bytes;
    try {
        bytes = source_.Fetch(src);
    } catch (const std::exception&) {
        return false; // a damaged sound is no reason to disturb the page
    }
    if (!bytes) {
        return false;
    }
    playerCommand_ = FindPlayer ? FindPlayer(mime) : FindSoundPlayer(mime);
    if (playerCommand_.Empty()) {
        return false;
    }
    dir_ = MakeSoundFolder();
    if (dir_.empty()) {
        return false;
    }
    InstallInterruptCleanup();
    dirGuard_ = std::make_unique<TInterruptCleanup>(dir_, TInterruptCleanup::Directory);
    // The file keeps the sound's extension: players pick the decoder by it.
    file_ = dir_ + "/sound" + ExtensionOf(name);
    fileGuard_ = std::make_unique<TInterruptCleanup>(file_, TInterruptCleanup::File);
    if (!WriteNewFile(file_, *bytes)) {
        RemoveFile();
        return false;
    }
    loops_ = loop <= 0 ? -1 : loop;
    plays_ = 0;
    quickEnds_ = 0;
    return Start();
}

bool TBackgroundSound::Start() {
    std::vector<std::string> command = playerCommand_.Command;
    for (std::string& arg : command) {
        if (const size_t at = arg.find("%f"); at != std::string::npos) {
            arg.replace(at, 2, file_);
        }
    }
    std::vector<char*> argv;
    for (std::string& a : command) {
        argv.push_back(a.data());
    }
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawnattr_t attr;
    posix_spawn_file_actions_init(&actions);
    posix_spawnattr_init(&attr);
    for (int fd = 0; fd <= 2; ++fd) {
        posix_spawn_file_actions_addopen(&actions, fd, "/dev/null", fd == 0 ? O_RDONLY : O_WRONLY,
                                         0);
    }
    // A group of its own, so that stopping it stops whatever it started (a wrapper script's
    // real player) too.
    posix_spawnattr_setpgroup(&attr, 0);
    posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETPGROUP);
    pid_t pid = -1;
    const bool started = posix_spawnp(&pid, argv[0], &actions, &attr, argv.data(), environ) == 0;
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attr);
    if (!started) {
        RemoveFile();
        return false;
    }
    player_ = pid;
    playerGuard_ = std::make_unique<TInterruptCleanup>(pid);
    startedMs_ = NowMs();
    timer_->SetEnabled(true);
    return true;
}

void TBackgroundSound::Poll() {
    if (player_ <= 0) {
        return;
    }
    int status = 0;
    pid_t done = ::waitpid(player_, &status, WNOHANG);
    while (done < 0 && errno == EINTR) {
        done = ::waitpid(player_, &status, WNOHANG);
    }
    if (done == 0) {
        return; // still playing
    }
    player_ = -1;
    playerGuard_.reset();
    ++plays_;
    const bool failed = done < 0 || !WIFEXITED(status) || WEXITSTATUS(status) != 0;
    const bool quick = NowMs() - startedMs_ < QuickEndMs;
    quickEnds_ = quick ? quickEnds_ + 1 : 0;
    const bool more = loops_ < 0 || plays_ < loops_;
    if (failed) {
        Stop();
    } else if (more && quickEnds_ < kMaxQuickEnds) {
        if (!Start()) {
            Stop();
        }
    } else if (quick) {
        // A player that succeeds at once has handed the file to a program already running
        // (a desktop player keeps one instance), which reads it after this: the file stays
        // until the next page or the end of the reader stops the sound.
        timer_->SetEnabled(false);
    } else {
        Stop();
    }
}

void TBackgroundSound::Stop() {
    timer_->SetEnabled(false);
    if (player_ > 0) {
        // The player is our unreaped child, so its process id (and group) cannot have been
        // handed to another process yet.
        ::kill(-player_, SIGTERM);
        int status = 0;
        pid_t done = 0;
        for (int i = 0; i < 50 && done == 0; ++i) {
            done = ::waitpid(player_, &status, WNOHANG);
            if (done == 0) {
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            }
        }
        if (done == 0) {
            ::kill(-player_, SIGKILL);
            while (::waitpid(player_, &status, 0) < 0 && errno == EINTR) {
            }
        }
        player_ = -1;
        playerGuard_.reset();
    }
    RemoveFile();
}

void TBackgroundSound::RemoveFile() {
    fileGuard_.reset();
    dirGuard_.reset();
    if (!file_.empty()) {
        ::unlink(file_.c_str());
        file_.clear();
    }
    if (!dir_.empty()) {
        ::rmdir(dir_.c_str());
        dir_.clear();
    }
}
