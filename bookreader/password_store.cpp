#include "bookreader/password_store.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <vector>

#include "bookreader/sha256.h"
#include "platform/base/files.h"

namespace {

struct TEntry {
    std::string Key;
    unsigned Iterations = 0;
    std::string Salt, Hash;
};

std::vector<TEntry> ReadEntries(const std::string& path) {
    std::vector<TEntry> entries;
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        TEntry e;
        if (fields >> e.Key >> e.Iterations >> e.Salt >> e.Hash && e.Iterations > 0 &&
            e.Iterations <= TPasswordStore::kMaxIterations) {
            entries.push_back(std::move(e));
        }
    }
    return entries;
}

std::string RandomSalt() {
    std::string salt(16, '\0');
    const int fd = ::open("/dev/urandom", O_RDONLY | O_CLOEXEC);
    bool filled = false;
    if (fd >= 0) {
        filled = ::read(fd, salt.data(), salt.size()) == static_cast<ssize_t>(salt.size());
        ::close(fd);
    }
    if (!filled) {
        std::random_device device;
        for (char& c : salt) {
            c = static_cast<char>(device());
        }
    }
    return salt;
}

std::string HashHex(const std::string& password, const std::string& salt, unsigned iterations) {
    return HexOf(Pbkdf2Sha256(password, salt, iterations, 32));
}

} // namespace

std::string TPasswordStore::DefaultPath() {
    std::string base;
    if (const char* state = std::getenv("XDG_STATE_HOME"); state && *state) {
        base = state;
    } else if (const char* home = std::getenv("HOME"); home && *home) {
        base = std::string(home) + "/.local/state";
    } else {
        return {};
    }
    return base + "/folio3/passwords";
}

std::string TPasswordStore::BookKey(const std::string& bookPath) {
    std::string resolved = RealPath(bookPath);
    if (resolved.empty()) {
        resolved = bookPath;
    }
    return HexOf(Sha256("folio3 book:" + resolved));
}

bool TPasswordStore::Remembers(const std::string& bookKey, const std::string& password) const {
    if (path_.empty()) {
        return false;
    }
    for (const TEntry& e : ReadEntries(path_)) {
        std::string salt;
        if (e.Key == bookKey && FromHex(e.Salt, salt) &&
            HashHex(password, salt, e.Iterations) == e.Hash) {
            return true;
        }
    }
    return false;
}

bool TPasswordStore::Remember(const std::string& bookKey, const std::string& password) const {
    if (path_.empty()) {
        return false;
    }
    std::error_code ec;
    std::filesystem::create_directories(std::filesystem::path(path_).parent_path(), ec);
    std::ostringstream text;
    for (const TEntry& e : ReadEntries(path_)) {
        if (e.Key != bookKey) {
            text << e.Key << ' ' << e.Iterations << ' ' << e.Salt << ' ' << e.Hash << '\n';
        }
    }
    const std::string salt = RandomSalt();
    text << bookKey << ' ' << iterations_ << ' ' << HexOf(salt) << ' '
         << HashHex(password, salt, iterations_) << '\n';

    const std::string temp = path_ + ".tmp" + std::to_string(::getpid());
    {
        const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
        if (fd < 0) {
            return false;
        }
        const std::string data = text.str();
        const bool written =
            ::write(fd, data.data(), data.size()) == static_cast<ssize_t>(data.size());
        const bool closed = ::close(fd) == 0;
        if (!written || !closed) {
            ::unlink(temp.c_str());
            return false;
        }
    }
    if (::rename(temp.c_str(), path_.c_str()) != 0) {
        ::unlink(temp.c_str());
        return false;
    }
    return true;
}
