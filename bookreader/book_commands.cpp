#include "bookreader/book_commands.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cinttypes>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <iostream>

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

std::optional<std::string> AskPasswordOnTerminal(const std::string& prompt) {
    std::fprintf(stderr, "%s", prompt.c_str());
    std::fflush(stderr);
    termios saved{};
    const bool terminal = ::isatty(STDIN_FILENO) && ::tcgetattr(STDIN_FILENO, &saved) == 0;
    if (terminal) {
        termios quiet = saved;
        quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
        ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &quiet);
    }
    std::string line;
    const bool got = static_cast<bool>(std::getline(std::cin, line));
    if (terminal) {
        ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &saved);
        std::fprintf(stderr, "\n");
    }
    if (!got) {
        return std::nullopt;
    }
    if (!line.empty() && line.back() == '\r') {
        line.pop_back();
    }
    return line;
}

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

void ListBook(const TSiteBook& book, std::FILE* out) {
    for (int i : book.Served()) {
        const TArchiveMember& m = book.Archive().Member(i);
        const int64_t size = book.Archive().ExtractTo(i, [](const uint8_t*, size_t) {});
        std::fprintf(out, "%10" PRId64 "  %s  %s\n", size, DateText(m.Date).c_str(),
                     TSiteBook::ServedName(m.Name).c_str());
    }
}

bool IsSafeMemberFileName(const std::string& name) {
    return !name.empty() && name != "." && name != ".." &&
           name.find_first_of(std::string("/\\\0", 3)) == std::string::npos;
}

int ExtractBook(const TSiteBook& book, const std::string& dir, std::FILE* err) {
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    if (!std::filesystem::is_directory(dir, ec)) {
        std::fprintf(err, "Cannot create the directory %s\n", dir.c_str());
        return -1;
    }
    for (int i : book.Shadowed()) {
        std::fprintf(err, "Skipped %s: a later file of the same name is the one the book shows\n",
                     book.Archive().Member(i).Name.c_str());
    }
    int written = 0;
    for (int i : book.Served()) {
        const TArchiveMember& m = book.Archive().Member(i);
        const std::string name = TSiteBook::ServedName(m.Name);
        if (!IsSafeMemberFileName(name)) {
            std::fprintf(err, "Refused the member \"%s\": its name would leave %s\n",
                         m.Name.c_str(), dir.c_str());
            return -1;
        }
        const std::string path = dir + "/" + name;
        // O_NOFOLLOW: a link planted in the directory must not redirect the write elsewhere.
        const int fd =
            ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0644);
        if (fd < 0) {
            std::fprintf(err, "Cannot write %s: %s\n", path.c_str(), std::strerror(errno));
            return -1;
        }
        bool ok = true;
        try {
            book.Archive().ExtractTo(i, [&](const uint8_t* data, size_t size) {
                while (ok && size > 0) {
                    const ssize_t n = ::write(fd, data, size);
                    if (n <= 0) {
                        ok = false;
                        break;
                    }
                    data += n;
                    size -= static_cast<size_t>(n);
                }
            });
        } catch (const Exception& e) {
            ::close(fd);
            ::unlink(path.c_str());
            std::fprintf(err, "%s: %s\n", name.c_str(), e.what());
            return -1;
        }
        if (::close(fd) != 0 || !ok) {
            ::unlink(path.c_str());
            std::fprintf(err, "Cannot write %s\n", path.c_str());
            return -1;
        }
        if (const time_t t = TimeOfDosDate(m.Date); t != -1) {
            const timespec times[2] = {{t, 0}, {t, 0}};
            ::utimensat(AT_FDCWD, path.c_str(), times, AT_SYMLINK_NOFOLLOW);
        }
        ++written;
    }
    return written;
}
