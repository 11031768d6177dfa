#include "app/book_config_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "platform/base/exceptions.h"
#include "platform/base/printable_name.h"

std::string BookConfigText(const std::string& homePage, const std::string& caption,
                           const std::string& password, const std::string& iconFile) {
    return "homepage=" + homePage + "\r\n" + "caption=" + caption + "\r\n" +
           "password=" + password + "\r\n" + "iconfile=" + iconFile + "\r\n";
}

bool HoldsLineBreak(const std::string& text) {
    return text.find_first_of("\r\n") != std::string::npos;
}

std::optional<std::string> BookConfigProblem(const std::string& homePage,
                                             const std::string& caption,
                                             const std::string& password,
                                             const std::string& iconFile) {
    if (HoldsLineBreak(caption)) {
        return "A book title cannot hold a line break.";
    }
    if (HoldsLineBreak(password)) {
        return "A password cannot hold a line break.";
    }
    if (HoldsLineBreak(homePage)) {
        return "The home page's path cannot hold a line break: " + PrintableName(homePage);
    }
    if (HoldsLineBreak(iconFile)) {
        return "The icon's path cannot hold a line break: " + PrintableName(iconFile);
    }
    return std::nullopt;
}

namespace {

std::string TemporaryDirectory() {
    const char* dir = std::getenv("TMPDIR");
    return dir && *dir ? dir : "/tmp";
}

} // namespace

TPrivateBookConfig::TPrivateBookConfig(const std::string& text) {
    std::string pattern = TemporaryDirectory() + "/foliobuilder-XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr) {
        throw Exception("cannot make a private folder in " + TemporaryDirectory() + ": " +
                        std::strerror(errno));
    }
    dir_ = pattern;
    dirCleanup_ = std::make_unique<TInterruptCleanup>(dir_, TInterruptCleanup::Directory);
    const std::string path = dir_ + "/folioauthor.html";
    fileCleanup_ = std::make_unique<TInterruptCleanup>(path, TInterruptCleanup::File);
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    std::string problem;
    if (fd < 0) {
        problem = std::strerror(errno);
    } else {
        path_ = path; // created: the destructor removes it
        size_t done = 0;
        while (problem.empty() && done < text.size()) {
            const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
            if (n < 0 && errno == EINTR) {
                continue;
            }
            if (n <= 0) {
                problem = n < 0 ? std::strerror(errno) : "nothing could be written";
            } else {
                done += static_cast<size_t>(n);
            }
        }
        if (::close(fd) != 0 && problem.empty()) {
            problem = std::strerror(errno);
        }
    }
    if (!problem.empty()) {
        const std::string where = path;
        Remove(); // the constructor will not finish, so no destructor will run
        throw Exception("cannot write the book configuration " + where + ": " + problem);
    }
}

TPrivateBookConfig::~TPrivateBookConfig() {
    Remove();
}

void TPrivateBookConfig::Remove() {
    if (!path_.empty()) {
        ::unlink(path_.c_str());
        path_.clear();
    }
    fileCleanup_.reset();
    if (!dir_.empty()) {
        ::rmdir(dir_.c_str());
        dir_.clear();
    }
    dirCleanup_.reset();
}
