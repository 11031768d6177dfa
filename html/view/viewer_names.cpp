#include "html/view/viewer_names.h"

#include <unistd.h>

#include <vector>

namespace {

std::string CurrentDir() {
    std::vector<char> buf(4096);
    if (::getcwd(buf.data(), buf.size()) == nullptr)
        return "/";
    return buf.data();
}

} // namespace

std::string viewer_names::ExpandFileName(const std::string& path) {
    if (path.empty())
        return {};
    const std::string full = path[0] == '/' ? path : CurrentDir() + "/" + path;
    std::vector<std::string> parts;
    size_t i = 0;
    while (i <= full.size()) {
        size_t j = full.find('/', i);
        if (j == std::string::npos)
            j = full.size();
        const std::string piece = full.substr(i, j - i);
        if (piece == "..") {
            if (!parts.empty())
                parts.pop_back();
        } else if (!piece.empty() && piece != ".") {
            parts.push_back(piece);
        }
        i = j + 1;
    }
    std::string out;
    for (const std::string& p : parts)
        out += "/" + p;
    if (out.empty())
        out.push_back('/');
    // A trailing "/" names a directory; keep it.
    if (full.back() == '/' && out.back() != '/')
        out += '/';
    return out;
}
