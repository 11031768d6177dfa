#pragma once
// Where a book remembers that its password was answered correctly, so it asks only on its first
// run. The reader's own settings file keeps, per book, a random salt and a slow salted hash of
// the password (PBKDF2-HMAC-SHA-256 from libcrypto, the salt from getrandom), never the password
// itself. Lines are
//   <book key> <iterations> <salt hex> <hash hex>
// and the file is replaced through a temporary file and a rename, so a crash never leaves half
// of it.
#include <string>

class TPasswordStore {
public:
    // iterations: the hash's cost for new entries (each entry keeps its own).
    explicit TPasswordStore(std::string path, unsigned iterations = kIterations)
        : path_(std::move(path)), iterations_(iterations) {}

    // $XDG_STATE_HOME/folio3/passwords, $XDG_STATE_HOME defaulting to ~/.local/state.
    // Empty when neither it nor HOME is set.
    static std::string DefaultPath();
    // The key of a book: the SHA-256 of its resolved path, so the file names no book in clear.
    // Empty when no hash can be had (nothing is remembered then).
    static std::string BookKey(const std::string& bookPath);

    // True when the store holds a hash for this book that matches password.
    bool Remembers(const std::string& bookKey, const std::string& password) const;
    // Records password's hash for the book, replacing an older entry. False when the file
    // cannot be written or no random salt can be had (the reader then simply asks again next
    // time).
    bool Remember(const std::string& bookKey, const std::string& password) const;

    const std::string& Path() const { return path_; }

    static constexpr unsigned kIterations = 20000;
    static constexpr unsigned kMaxIterations = 10000000; // a damaged file cannot stall the reader

private:
    std::string path_;
    unsigned iterations_;
};
