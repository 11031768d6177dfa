#pragma once
// A fresh directory under the system's temporary folder for one test, removed with everything in
// it when the test ends. Removal never follows a symbolic link: a link a test leaves inside is
// removed itself, and whatever it points at outside stays untouched.
#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <system_error>
#include <unistd.h>
#include <vector>

namespace folio_test {

class TempDir {
public:
    TempDir() {
        const char* env = std::getenv("TMPDIR");
        std::string tmpl = std::string(env != nullptr && *env ? env : "/tmp") + "/folio-XXXXXX";
        std::vector<char> buf(tmpl.begin(), tmpl.end());
        buf.push_back('\0');
        if (::mkdtemp(buf.data()) == nullptr)
            throw std::runtime_error("cannot create a scratch directory from " + tmpl);
        path_ = buf.data();
    }
    ~TempDir() {
        std::error_code ec;
        // Tests take away permissions to provoke errors; give them back so the removal can
        // enter and empty every directory.
        Unlock(path_, ec);
        std::filesystem::remove_all(path_, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& Path() const { return path_; }
    std::string operator/(const std::string& name) const { return path_ + "/" + name; }
    // The path of a name inside, its parent directories created.
    std::string Sub(const std::string& relative) const {
        const std::string p = path_ + "/" + relative;
        std::filesystem::create_directories(std::filesystem::path(p).parent_path());
        return p;
    }

private:
    // Gives the owner full rights on a directory and every directory below it, without following
    // links (symlink_status sees a link as a link, not as its target).
    static void Unlock(const std::filesystem::path& dir, std::error_code& ec) {
        namespace fs = std::filesystem;
        if (!fs::is_directory(fs::symlink_status(dir, ec)))
            return;
        fs::permissions(dir, fs::perms::owner_all, fs::perm_options::add, ec);
        for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec))
            Unlock(it->path(), ec);
        ec.clear();
    }

    std::string path_;
};

} // namespace folio_test
