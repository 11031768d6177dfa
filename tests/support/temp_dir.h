#pragma once
// A fresh directory under the system's temporary folder, removed with its contents (write
// permission restored first) when the test ends.
#include <cstdlib>
#include <ftw.h>
#include <string>
#include <sys/stat.h>
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
        if (::mkdtemp(buf.data()) != nullptr)
            path_ = buf.data();
    }
    ~TempDir() {
        if (path_.empty())
            return;
        ::nftw(path_.c_str(), Unlock, 16, FTW_PHYS);
        ::nftw(path_.c_str(), Remove, 16, FTW_DEPTH | FTW_PHYS);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& Path() const { return path_; }
    std::string operator/(const std::string& name) const { return path_ + "/" + name; }

private:
    static int Unlock(const char* p, const struct stat* st, int type, FTW*) {
        if (type == FTW_D || type == FTW_DNR)
            ::chmod(p, (st->st_mode & 07777) | S_IRWXU);
        return 0;
    }
    static int Remove(const char* p, const struct stat*, int, FTW*) {
        ::remove(p);
        return 0;
    }
    std::string path_;
};

} // namespace folio_test
