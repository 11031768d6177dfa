#include "app/name_clashes.h"

#include <algorithm>
#include <map>

#include "platform/base/files.h"
#include "platform/base/printable_name.h"
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
        // Only the very same path is the same file: paths that differ in capitals name two
        // files here, and the archive would drop the second without a word.
        bool samePath = false;
        for (const std::string& other : group) {
            samePath = samePath || other == path;
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

std::string NameClashWarning(const std::vector<std::vector<std::string>>& clashes, size_t shown,
                             const std::string& moreHint) {
    if (clashes.empty()) {
        return {};
    }
    std::string text = clashes.size() == 1 ? std::string("1 file name occurs more than once")
                                           : IntToStr(static_cast<int64_t>(clashes.size())) +
                                                 " file names occur more than once";
    text += " (ignoring case). A book shows all its files as if they lay in one directory, so "
            "only one file of each name can be reached; of names in one folder that differ only "
            "in capitals, only the first is packed:";
    const size_t count = std::min(shown, clashes.size());
    for (size_t g = 0; g < count; ++g) {
        text += "\n";
        for (size_t i = 0; i < clashes[g].size(); ++i) {
            text += (i ? ", " : "  ") + PrintableName(clashes[g][i]);
        }
    }
    if (count < clashes.size()) {
        text += "\n  and " + IntToStr(static_cast<int64_t>(clashes.size() - count)) + " more" +
                moreHint;
    }
    return text;
}
