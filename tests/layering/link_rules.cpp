#include "link_rules.h"

#include <cctype>
#include <map>
#include <set>

#include "include_rules.h"

namespace folio_layering {
namespace {

// The outside libraries each library may link itself; a library may also link those of the
// libraries it may use (html/load writes PNG files through zlib, which platform/base brings).
const std::map<std::string, std::set<std::string>>& OwnOutside() {
    static const std::map<std::string, std::set<std::string>> outside = {
        {"platform/base", {"Threads::Threads", "ZLIB::ZLIB", "JPEG::JPEG", "folio_utf8proc"}},
        {"platform/graphics", {"PkgConfig::CAIRO", "PkgConfig::FONTCONFIG"}},
        {"platform/fltk", {"${FLTK_LDFLAGS}"}},
        {"html/image", {"PNG::PNG"}},
    };
    return outside;
}

bool IsProgramsFolder(const std::string& lib) {
    return lib == "app" || lib == "bookreader";
}

bool IsToolkit(const std::string& link) {
    std::string lower;
    for (const char c : link)
        lower += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return lower.find("fltk") != std::string::npos;
}

bool OutsideAllowed(const std::string& lib, const std::string& link) {
    if (IsProgramsFolder(lib))
        return true; // the programs may use every library, outside ones too
    std::set<std::string> from = UsesOf(lib);
    from.insert(lib);
    for (const auto& l : from) {
        const auto it = OwnOutside().find(l);
        if (it != OwnOutside().end() && it->second.count(link))
            return true;
    }
    return false;
}

std::string FolderOf(const std::string& file) {
    const size_t slash = file.rfind('/');
    return slash == std::string::npos ? "" : file.substr(0, slash);
}

// The folder a CMakeLists.txt stands for: its library, else the folder itself (resources).
std::string LibraryOfList(const std::string& file) {
    const std::string lib = LibraryOf(file);
    return lib.empty() ? FolderOf(file) : lib;
}

// The text without comments; line breaks are kept so lines can still be counted.
std::string WithoutComments(const std::string& text) {
    std::string out;
    bool quoted = false, comment = false;
    for (const char c : text) {
        if (c == '\n') {
            comment = false;
            out += c;
            continue;
        }
        if (comment)
            continue;
        if (c == '"')
            quoted = !quoted;
        else if (c == '#' && !quoted) {
            comment = true;
            continue;
        }
        out += c;
    }
    return out;
}

std::vector<std::string> Words(const std::string& args) {
    std::vector<std::string> words;
    std::string word;
    bool quoted = false;
    for (const char c : args) {
        if (c == '"') {
            quoted = !quoted;
            continue;
        }
        if (!quoted && std::isspace(static_cast<unsigned char>(c))) {
            if (!word.empty())
                words.push_back(word);
            word.clear();
        } else {
            word += c;
        }
    }
    if (!word.empty())
        words.push_back(word);
    return words;
}

bool IsWordChar(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_';
}

} // namespace

std::vector<TLinkLine> ReadLinkLines(const std::string& file, const std::string& text) {
    const std::string t = WithoutComments(text);
    std::vector<TLinkLine> lines;
    std::set<std::string> programs;
    size_t i = 0;
    int line = 1;
    while (i < t.size()) {
        if (t[i] == '\n') {
            ++line;
            ++i;
            continue;
        }
        if (!IsWordChar(t[i]) || (i > 0 && IsWordChar(t[i - 1]))) {
            ++i;
            continue;
        }
        size_t end = i;
        while (end < t.size() && IsWordChar(t[end]))
            ++end;
        const std::string command = t.substr(i, end - i);
        size_t open = end;
        while (open < t.size() && (t[open] == ' ' || t[open] == '\t'))
            ++open;
        if (open >= t.size() || t[open] != '(') {
            i = end;
            continue;
        }
        // Arguments up to the matching parenthesis; ${...} holds none.
        size_t close = open + 1;
        int depth = 1;
        for (; close < t.size() && depth > 0; ++close) {
            if (t[close] == '(')
                ++depth;
            else if (t[close] == ')')
                --depth;
        }
        const std::string args = t.substr(open + 1, close - open - 2);
        const std::vector<std::string> words = Words(args);
        if (!words.empty()) {
            TLinkLine l{file, line, words[0], false, {}};
            if (command == "folio_library" || command == "folio_embed_resources") {
                bool inLibs = false;
                for (size_t w = 1; w < words.size(); ++w) {
                    if (words[w] == "LIBS" || words[w] == "EXCLUDE" || words[w] == "FILES")
                        inLibs = words[w] == "LIBS";
                    else if (inLibs)
                        l.Links.push_back(words[w]);
                }
                lines.push_back(l);
            } else if (command == "add_executable") {
                programs.insert(words[0]);
            } else if (command == "target_link_libraries") {
                l.Program = programs.count(words[0]) > 0;
                for (size_t w = 1; w < words.size(); ++w)
                    if (words[w] != "PUBLIC" && words[w] != "PRIVATE" && words[w] != "INTERFACE")
                        l.Links.push_back(words[w]);
                lines.push_back(l);
            }
        }
        for (size_t k = i; k < close; ++k)
            line += t[k] == '\n';
        i = close;
    }
    return lines;
}

std::vector<TLinkViolation> CheckLinks(const std::vector<TLinkLine>& lines) {
    // Which folder each of our libraries lives in: the first line that names it as a library.
    std::map<std::string, std::string> folderOf;
    for (const TLinkLine& l : lines)
        if (!l.Program && !folderOf.count(l.Target))
            folderOf[l.Target] = LibraryOfList(l.File);
    std::vector<TLinkViolation> out;
    for (const TLinkLine& l : lines) {
        const std::string lib = LibraryOfList(l.File);
        for (const std::string& link : l.Links) {
            auto fail = [&](const std::string& rule) {
                out.push_back({l.File, l.Line, l.Target, link, rule});
            };
            if (l.Program) {
                // A program's own link line is where the toolkit comes in, and only in the
                // programs' folders.
                if (!IsProgramsFolder(lib) && IsToolkit(link))
                    fail("only the programs of app/ and bookreader/ may link the toolkit");
                continue;
            }
            const auto known = folderOf.find(link);
            if (known != folderOf.end()) {
                const std::string& used = known->second;
                if (used == lib)
                    continue;
                if (used == "platform/fltk")
                    fail("only platform/fltk and the programs may link the toolkit");
                else if (!IsProgramsFolder(lib) && !UsesOf(lib).count(used))
                    fail(lib + " may not use " + used);
                continue;
            }
            if (IsToolkit(link)) {
                if (lib != "platform/fltk")
                    fail("only platform/fltk and the programs may link the toolkit");
            } else if (link.rfind("folio_", 0) == 0 && link != "folio_utf8proc") {
                fail("no library of the tree is called " + link);
            } else if (!OutsideAllowed(lib, link)) {
                fail(link + " is not among the outside libraries " + lib + " may link");
            }
        }
    }
    return out;
}

std::string Describe(const TLinkViolation& v) {
    return v.File + ":" + std::to_string(v.Line) + ": " + v.Target + " links " + v.Link +
           " against the layering: " + v.Rule;
}

} // namespace folio_layering
