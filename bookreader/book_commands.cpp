#include "bookreader/book_commands.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <ctime>
#include <filesystem>

#include "bookreader/private_file.h"
#include "platform/base/printable_name.h"
#include "platform/base/strings.h"

namespace {

// Local time of a packed DOS date and time; -1 when it is unknown.
time_t TimeOfDosDate(int32_t packed) {
    if (packed == -1) {
        return -1;
    }
    const uint32_t v = static_cast<uint32_t>(packed);
    std::tm tm{};
    tm.tm_year = static_cast<int>((v >> 25) & 0x7F) + 80;
    tm.tm_mon = static_cast<int>((v >> 21) & 0x0F) - 1;
    tm.tm_mday = static_cast<int>((v >> 16) & 0x1F);
    tm.tm_hour = static_cast<int>((v >> 11) & 0x1F);
    tm.tm_min = static_cast<int>((v >> 5) & 0x3F);
    tm.tm_sec = static_cast<int>(v & 0x1F) * 2;
    tm.tm_isdst = -1;
    return std::mktime(&tm);
}

std::string DateText(int32_t packed) {
    if (packed == -1) {
        return "----------------"; // unknown
    }
    const uint32_t v = static_cast<uint32_t>(packed);
    char text[32];
    std::snprintf(text, sizeof text, "%04u-%02u-%02u %02u:%02u", ((v >> 25) & 0x7F) + 1980,
                  (v >> 21) & 0x0F, (v >> 16) & 0x1F, (v >> 11) & 0x1F, (v >> 5) & 0x3F);
    return text;
}

} // namespace

bool CheckBookPassword(const TSiteBook& book, const TPasswordStore* store, const TAskPassword& ask,
                       std::FILE* err) {
    if (!book.HasPassword()) {
        return true;
    }
    const std::string key = TPasswordStore::BookKey(book.Path());
    if (store && store->Remembers(key, book.Config().Password)) {
        return true;
    }
    const auto answer = ask ? ask("Password: ") : std::nullopt;
    if (!answer) {
        std::fprintf(err, "This book is protected by a password, and none was given.\n");
        return false;
    }
    if (*answer != book.Config().Password) {
        std::fprintf(err, "Wrong password.\n");
        return false;
    }
    if (store) {
        store->Remember(key, *answer);
    }
    return true;
}

std::optional<std::string> ReadPasswordFile(const std::string& path, std::string& reason) {
    std::string text;
    // Only the first line matters; a password file is small, and a huge one is a mistake.
    constexpr size_t kMaxBytes = 64 * 1024;
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) {
        reason =
            "cannot read the password file " + PrintableName(path) + ": " + std::strerror(errno);
        return std::nullopt;
    }
    int c = 0;
    while (text.size() < kMaxBytes && (c = std::fgetc(f)) != EOF && c != '\n') {
        text += static_cast<char>(c);
    }
    const bool tooLong = text.size() >= kMaxBytes && c != EOF && c != '\n';
    std::fclose(f);
    if (tooLong) {
        // Cut short it would be another password.
        reason = "the first line of the password file " + PrintableName(path) + " is too long";
        return std::nullopt;
    }
    if (!text.empty() && text.back() == '\r') {
        text.pop_back();
    }
    if (text.empty()) {
        reason = "the password file " + PrintableName(path) + " holds no password";
        return std::nullopt;
    }
    return text;
}

void ListBook(const TSiteBook& book, std::FILE* out) {
    std::string unreadable;
    int failed = 0;
    for (int i : book.Served()) {
        const TArchiveMember& m = book.Archive().Member(i);
        // Never raw on a terminal: a name may hold an escape sequence or a newline.
        const std::string name = PrintableName(TSiteBook::ServedName(m.Name));
        std::string size;
        try {
            size = IntToStr(book.Archive().MemberSize(i));
        } catch (const EArchiveError& e) {
            size = "?";
            unreadable += (failed++ == 0 ? "" : "; ") + name + " (" + e.Message() + ")";
        }
        std::fprintf(out, "%10s  %s  %s\n", size.c_str(), DateText(m.Date).c_str(), name.c_str());
    }
    if (failed > 0) {
        throw EArchiveError(IntToStr(failed) + (failed == 1 ? " file cannot" : " files cannot") +
                            " be read: " + unreadable);
    }
}

bool IsSafeMemberFileName(const std::string& name) {
    return !name.empty() && name != "." && name != ".." &&
           name.find_first_of(std::string("/\0", 2)) == std::string::npos;
}

namespace {

// A file of its own in the directory for a member's bytes, named so that no member can be meant:
// created exclusively, it can never be an existing file or link. -1 with errno set when none
// can be made.
int CreatePartFile(int dirFd, std::string& partName) {
    static unsigned serial = 0;
    for (int tries = 0; tries < 100; ++tries) {
        partName = ".folio-part-" + std::to_string(::getpid()) + "-" + std::to_string(serial++);
        const int fd = ::openat(dirFd, partName.c_str(),
                                O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
        if (fd >= 0 || errno != EEXIST) {
            return fd;
        }
    }
    errno = EEXIST;
    return -1;
}

// Writes member index of book as name in the directory open at dirFd: into a part file that is
// renamed over name once complete. Empty when done, else why not (nothing is left behind); path
// is the target as messages show it.
std::string WriteMember(const TSiteBook& book, int index, int dirFd, const std::string& path) {
    const TArchiveMember& m = book.Archive().Member(index);
    const std::string name = TSiteBook::ServedName(m.Name);
    std::string partName;
    const int fd = CreatePartFile(dirFd, partName);
    if (fd < 0) {
        return "Cannot write " + path + ": " + std::strerror(errno);
    }
    std::string problem;
    try {
        book.Archive().ExtractTo(index, [&](const uint8_t* data, size_t size) {
            if (problem.empty() &&
                !WriteAll(fd, std::string_view(reinterpret_cast<const char*>(data), size))) {
                problem = "Cannot write " + path + ": " + std::strerror(errno);
            }
        });
    } catch (const EArchiveError& e) {
        problem = PrintableName(name) + " cannot be read: " + e.Message();
    }
    if (const time_t t = TimeOfDosDate(m.Date); problem.empty() && t != -1) {
        const timespec times[2] = {{t, 0}, {t, 0}};
        ::futimens(fd, times);
    }
    if (::close(fd) != 0 && problem.empty()) {
        problem = "Cannot write " + path + ": " + std::strerror(errno);
    }
    if (problem.empty() && ::renameat(dirFd, partName.c_str(), dirFd, name.c_str()) != 0) {
        problem = "Cannot write " + path + ": " + std::strerror(errno);
    }
    if (!problem.empty()) {
        ::unlinkat(dirFd, partName.c_str(), 0);
    }
    return problem;
}

} // namespace

TExtraction ExtractBookFiles(const TSiteBook& book, const std::string& dir, std::FILE* err) {
    TExtraction result;
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    const std::string shownDir = PrintableName(dir);
    // Every file goes in through this one descriptor, so the directory cannot be swapped for a
    // link elsewhere halfway through.
    const int dirFd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd < 0) {
        std::fprintf(err, "Cannot create the directory %s: %s\n", shownDir.c_str(),
                     std::strerror(ec ? ec.value() : errno));
        result.NoDirectory = true;
        return result;
    }
    for (int i : book.Shadowed()) {
        std::fprintf(err, "Skipped %s: a later file of the same name is the one the book shows\n",
                     PrintableName(book.Archive().Member(i).Name).c_str());
    }
    for (int i : book.Served()) {
        const TArchiveMember& m = book.Archive().Member(i);
        const std::string name = TSiteBook::ServedName(m.Name);
        std::string problem;
        if (!IsSafeMemberFileName(name)) {
            problem = "Refused the member \"" + PrintableName(m.Name) +
                      "\": its name would leave " + shownDir;
        } else {
            problem = WriteMember(book, i, dirFd, shownDir + "/" + PrintableName(name));
        }
        if (problem.empty()) {
            ++result.Written;
        } else {
            ++result.Failed;
            std::fprintf(err, "%s\n", problem.c_str());
        }
    }
    ::close(dirFd);
    return result;
}

int ExtractBook(const TSiteBook& book, const std::string& dir, std::FILE* err) {
    const TExtraction done = ExtractBookFiles(book, dir, err);
    if (done.NoDirectory) {
        return -1;
    }
    if (done.Failed > 0) {
        std::fprintf(err, "%d %s written to %s; %d %s not\n", done.Written,
                     done.Written == 1 ? "file" : "files", PrintableName(dir).c_str(), done.Failed,
                     done.Failed == 1 ? "was" : "were");
        return -1;
    }
    return done.Written;
}
