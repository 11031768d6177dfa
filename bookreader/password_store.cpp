#include "bookreader/password_store.h"

#include <fcntl.h>
#include <nettle/memops.h>
#include <nettle/pbkdf2.h>
#include <nettle/sha2.h>
#include <sys/random.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <vector>

#include "bookreader/private_file.h"
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

// Sixteen bytes from the kernel's random source. Nothing when it cannot give them: a weak salt
// is worse than not remembering the password.
std::optional<std::string> RandomSalt() {
    std::string salt(16, '\0');
    size_t filled = 0;
    while (filled < salt.size()) {
        const ssize_t n = ::getrandom(salt.data() + filled, salt.size() - filled, 0);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return std::nullopt;
        }
        filled += static_cast<size_t>(n);
    }
    return salt;
}

std::string HexOf(const unsigned char* bytes, size_t size) {
    static const char digits[] = "0123456789abcdef";
    std::string hex;
    hex.reserve(size * 2);
    for (size_t i = 0; i < size; ++i) {
        hex += digits[bytes[i] >> 4];
        hex += digits[bytes[i] & 15];
    }
    return hex;
}

std::string HexOf(const std::string& bytes) {
    return HexOf(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

// Nothing on odd length or a character that is no hex digit.
std::optional<std::string> FromHex(const std::string& hex) {
    if (hex.size() % 2 != 0) {
        return std::nullopt;
    }
    std::string bytes;
    for (size_t i = 0; i < hex.size(); i += 2) {
        const int hi = HexDigit(hex[i]);
        const int lo = HexDigit(hex[i + 1]);
        if (hi < 0 || lo < 0) {
            return std::nullopt;
        }
        bytes += static_cast<char>(hi * 16 + lo);
    }
    return bytes;
}

// PBKDF2-HMAC-SHA-256 of the password, 32 bytes, in hex; empty for a count of rounds out of
// range.
std::string HashHex(const std::string& password, const std::string& salt, unsigned iterations) {
    if (iterations == 0 || iterations > TPasswordStore::kMaxIterations)
        return {};
    uint8_t key[SHA256_DIGEST_SIZE];
    pbkdf2_hmac_sha256(password.size(), reinterpret_cast<const uint8_t*>(password.data()),
                       iterations, salt.size(), reinterpret_cast<const uint8_t*>(salt.data()),
                       sizeof key, key);
    return HexOf(key, sizeof key);
}

// Compares in time that does not depend on where the texts differ.
bool SameHash(const std::string& a, const std::string& b) {
    return !a.empty() && a.size() == b.size() && memeql_sec(a.data(), b.data(), a.size()) != 0;
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
    const std::string text = "folio3 book:" + resolved;
    // Nettle rather than OpenSSL: OpenSSL's start-up alone (its providers and configuration)
    // made up a tenth of the window's memory, for one hash of a path.
    sha256_ctx ctx;
    sha256_init(&ctx);
    sha256_update(&ctx, text.size(), reinterpret_cast<const uint8_t*>(text.data()));
    uint8_t digest[SHA256_DIGEST_SIZE];
    sha256_digest(&ctx, sizeof digest, digest);
    return HexOf(digest, sizeof digest);
}

bool TPasswordStore::Remembers(const std::string& bookKey, const std::string& password) const {
    if (path_.empty()) {
        return false;
    }
    if (bookKey.empty()) {
        return false;
    }
    for (const TEntry& e : ReadEntries(path_)) {
        if (e.Key != bookKey) {
            continue;
        }
        if (const auto salt = FromHex(e.Salt);
            salt && SameHash(HashHex(password, *salt, e.Iterations), e.Hash)) {
            return true;
        }
    }
    return false;
}

bool TPasswordStore::Remember(const std::string& bookKey, const std::string& password) const {
    const auto salt = RandomSalt();
    const std::string hash = salt ? HashHex(password, *salt, iterations_) : std::string();
    if (path_.empty() || bookKey.empty() || hash.empty()) {
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
    text << bookKey << ' ' << iterations_ << ' ' << HexOf(*salt) << ' ' << hash << '\n';

    return ReplaceFileContents(path_, text.str());
}
