#include "app/name_clashes.h"

#include <map>

#include "platform/base/files.h"
#include "platform/base/strings.h"

std::vector<std::vector<std::string>> FindNameClashes(const TStringList& files) {
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
        bool samePath = false;
        for (const std::string& other : group) {
            samePath = samePath || SameText(other, path); // the archive packs it once
        }
        if (!samePath) {
            group.push_back(path);
        }
    }
    std::vector<std::vector<std::string>> clashes;
    for (auto& group : groups) {
        if (group.size() > 1) {
            clashes.push_back(std::move(group));
        }
    }
    return clashes;
}

std::string NameClashWarning(const std::vector<std::vector<std::string>>& clashes) {
    if (clashes.empty()) {
        return {};
    }
    std::string text = "A book shows all its files as if they lay in one directory, so only one "
                       "file of each of these names can be reached (names are compared ignoring "
                       "case):";
    for (const auto& group : clashes) {
        text += "\n";
        for (size_t i = 0; i < group.size(); ++i) {
            text += (i ? ", " : "  ") + group[i];
        }
    }
    return text;
}
