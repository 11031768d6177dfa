#include "app/name_clashes.h"

#include <algorithm>
#include <map>
#include <set>

#include "platform/base/files.h"
#include "platform/base/printable_name.h"
#include "platform/base/strings.h"

namespace {

// The file of group the book serves, as described in the header.
std::string ServedFile(const std::vector<std::string>& group,
                       const std::vector<std::string>& preferred) {
    for (const std::string& p : preferred) {
        if (std::find(group.begin(), group.end(), p) != group.end()) {
            return p;
        }
    }
    std::set<std::string> taken; // lower-cased paths the archive already holds
    std::string served;
    for (const std::string& path : group) {
        if (taken.insert(LowerCase(path)).second) {
            served = path;
        }
    }
    return served;
}

} // namespace

std::vector<TNameClash> FindNameClashes(const TStringList& files,
                                        const std::vector<std::string>& preferred) {
    std::map<std::string, size_t> groupOf; // lower-cased file name -> index into groups
    std::vector<std::vector<std::string>> groups;
    for (int i = 0; i < files.Count(); ++i) {
        const std::string& path = files[i];
        const std::string key = LowerCase(ExtractFileName(path));
        auto [it, added] = groupOf.emplace(key, groups.size());
        if (added) {
            groups.push_back({path});
            continue;
        }
        std::vector<std::string>& group = groups[it->second];
        // Only the very same path is the same file: paths that differ in capitals name two
        // files here, and the archive would drop the second.
        if (std::find(group.begin(), group.end(), path) == group.end()) {
            group.push_back(path);
        }
    }
    std::vector<TNameClash> clashes;
    for (const auto& group : groups) {
        if (group.size() < 2) {
            continue;
        }
        TNameClash clash;
        clash.Served = ServedFile(group, preferred);
        for (const std::string& path : group) {
            if (path != clash.Served) {
                clash.Shadowed.push_back(path);
            }
        }
        clashes.push_back(std::move(clash));
    }
    return clashes;
}

std::string NameClashWarning(const std::vector<TNameClash>& clashes, size_t shown,
                             const std::string& moreHint) {
    if (clashes.empty()) {
        return {};
    }
    std::string text = clashes.size() == 1 ? std::string("1 file name occurs more than once")
                                           : IntToStr(static_cast<int64_t>(clashes.size())) +
                                                 " file names occur more than once";
    text += " (ignoring case). A book shows all its files as if they lay in one directory, so "
            "only one file of each name can be reached; the chosen home page and icon always "
            "keep their names:";
    const size_t count = std::min(shown, clashes.size());
    for (size_t g = 0; g < count; ++g) {
        text += "\n  ";
        for (size_t i = 0; i < clashes[g].Shadowed.size(); ++i) {
            text += (i ? ", " : "") + PrintableName(clashes[g].Shadowed[i]);
        }
        text += clashes[g].Shadowed.size() == 1 ? " is" : " are";
        text += " shadowed by " + PrintableName(clashes[g].Served);
    }
    if (count < clashes.size()) {
        text += "\n  and " + IntToStr(static_cast<int64_t>(clashes.size() - count)) + " more" +
                moreHint;
    }
    return text;
}
