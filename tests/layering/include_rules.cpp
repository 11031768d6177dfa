#include "include_rules.h"

#include <algorithm>
#include <map>
#include <set>
#include <sstream>

namespace folio_layering {
namespace {

// Each library and the libraries it may include besides itself.
const std::map<std::string, std::set<std::string>>& Table() {
    static const std::map<std::string, std::set<std::string>> table = [] {
        std::map<std::string, std::set<std::string>> t;
        t["platform/base"] = {};
        t["platform/graphics"] = {"platform/base"};
        t["platform/gui"] = {"platform/base", "platform/graphics"};
        t["platform/fltk"] = {"platform/base", "platform/graphics", "platform/gui"};
        t["archive"] = {"platform/base"};
        t["html/reader"] = {"platform/base", "platform/graphics"};
        t["html/style"] = {"html/reader", "platform/base", "platform/graphics"};
        t["html/image"] = {"platform/base", "platform/graphics"};
        t["html/doc"] = {"html/reader",   "html/style",        "html/image",
                         "platform/base", "platform/graphics", "platform/gui"};
        t["html/load"] = t["html/doc"];
        t["html/load"].insert("html/doc");
        t["html/view"] = t["html/load"];
        t["html/view"].insert("html/load");
        // The programs may use every library; the toolkit rule below still holds for them.
        std::set<std::string> all;
        for (const auto& [lib, uses] : t)
            all.insert(lib);
        t["app"] = all;
        t["bookreader"] = all;
        t["app"].insert("bookreader");
        t["bookreader"].insert("app");
        return t;
    }();
    return table;
}

// The only files besides platform/fltk/ that see the toolkit: the programs' entry points,
// which are also the only objects that link platform/fltk.
bool MaySeeToolkit(const std::string& file) {
    return LibraryOf(file) == "platform/fltk" || file == "app/main.cpp" ||
           file == "bookreader/main.cpp";
}

std::string Folder(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? "" : path.substr(0, slash);
}

// Joins and folds "." and ".." segments; a path climbing above the root keeps its "..".
std::string Normalize(const std::string& path) {
    std::vector<std::string> parts;
    std::istringstream in(path);
    std::string seg;
    while (std::getline(in, seg, '/')) {
        if (seg.empty() || seg == ".")
            continue;
        if (seg == ".." && !parts.empty() && parts.back() != "..")
            parts.pop_back();
        else
            parts.push_back(seg);
    }
    std::string out;
    for (const auto& p : parts)
        out += (out.empty() ? "" : "/") + p;
    return out;
}

// Reads `#include "x"` or `#include <x>`; false for any other line.
bool ParseInclude(const std::string& line, char& open, std::string& name) {
    size_t i = line.find_first_not_of(" \t");
    if (i == std::string::npos || line[i] != '#')
        return false;
    i = line.find_first_not_of(" \t", i + 1);
    if (i == std::string::npos || line.compare(i, 7, "include") != 0)
        return false;
    i = line.find_first_not_of(" \t", i + 7);
    if (i == std::string::npos || (line[i] != '"' && line[i] != '<'))
        return false; // a macro include (FT_FREETYPE_H) names a system header
    open = line[i];
    const size_t end = line.find(open == '"' ? '"' : '>', i + 1);
    if (end == std::string::npos)
        return false;
    name = line.substr(i + 1, end - i - 1);
    return true;
}

} // namespace

const std::set<std::string>& UsesOf(const std::string& lib) {
    static const std::set<std::string> none;
    const auto it = Table().find(lib);
    return it == Table().end() ? none : it->second;
}

std::string LibraryOf(const std::string& path) {
    std::string best;
    for (const auto& [lib, uses] : Table())
        if (path.size() > lib.size() && path.compare(0, lib.size(), lib) == 0 &&
            path[lib.size()] == '/' && lib.size() > best.size())
            best = lib;
    return best;
}

std::vector<TViolation> CheckIncludes(const std::string& file, const std::string& text,
                                      bool (*exists)(const std::string&)) {
    std::vector<TViolation> out;
    const std::string lib = LibraryOf(file);
    std::istringstream in(text);
    std::string line;
    int number = 0;
    while (std::getline(in, line)) {
        ++number;
        char open = 0;
        std::string name;
        if (!ParseInclude(line, open, name))
            continue;
        const std::string written = open == '"' ? "\"" + name + "\"" : "<" + name + ">";
        auto fail = [&](std::string rule) {
            out.push_back(TViolation{file, number, written, std::move(rule)});
        };
        if (open == '<') {
            if (name.compare(0, 3, "FL/") == 0 && !MaySeeToolkit(file))
                fail("only platform/fltk/, app/main.cpp and bookreader/main.cpp may include "
                     "FLTK headers");
            continue;
        }
        // The compiler looks beside the includer first, then at the repository root.
        std::string target = Normalize(Folder(file) + "/" + name);
        if (exists == nullptr || !exists(target))
            target = Normalize(name);
        const std::string used = LibraryOf(target);
        if (used == "platform/fltk" && !MaySeeToolkit(file)) {
            fail("only platform/fltk/, app/main.cpp and bookreader/main.cpp may include "
                 "platform/fltk");
            continue;
        }
        if (lib.empty() || used == lib)
            continue;
        const auto& allowed = Table().at(lib);
        if (used.empty()) {
            fail(lib + " may include only its own folder and the libraries of the table; " +
                 target + " lies in none");
        } else if (!allowed.count(used)) {
            std::string list;
            for (const auto& a : allowed)
                list += (list.empty() ? "" : ", ") + a;
            fail(lib + " may not use " + used +
                 " (it may use: " + (list.empty() ? "only itself" : list) + ")");
        }
    }
    return out;
}

std::string Describe(const TViolation& v) {
    return v.File + ":" + std::to_string(v.Line) + ": #include " + v.Include +
           " breaks the layering: " + v.Rule;
}

} // namespace folio_layering
