#include "app/homepage_picker.h"

#include <algorithm>
#include <stdexcept>

#include "platform/base/files.h"
#include "platform/base/strings.h"
#include "platform/gui/dialogs.h"

namespace {

// The index of the item named by text: the exact path first, then the path or the file name
// ignoring case.
int FindItem(const TStringList& items, const std::string& text) {
    for (int i = 0; i < items.Count(); ++i) {
        if (items[i] == text) {
            return i;
        }
    }
    for (int i = 0; i < items.Count(); ++i) {
        if (SameText(items[i], text) || SameText(ExtractFileName(items[i]), text)) {
            return i;
        }
    }
    return -1;
}

bool IsPageName(const std::string& name) {
    const std::string ext = LowerCase(ExtractFileExt(name));
    return ext == ".htm" || ext == ".html" || ext == ".txt";
}

} // namespace

THomePageCandidates HomePageCandidates(const TStringList& files, const std::string& root) {
    std::string prefix = root;
    while (prefix.size() > 1 && prefix.back() == '/') {
        prefix.pop_back();
    }
    prefix += '/';
    std::vector<std::pair<std::string, std::string>> pages;
    for (int i = 0; i < files.Count(); ++i) {
        const std::string& full = files[i];
        if (!IsPageName(ExtractFileName(full))) {
            continue;
        }
        // A file outside the folder (none should be) keeps its whole path.
        std::string relative =
            full.compare(0, prefix.size(), prefix) == 0 && full.size() > prefix.size()
                ? full.substr(prefix.size())
                : full;
        pages.emplace_back(std::move(relative), full);
    }
    std::sort(pages.begin(), pages.end(), [](const auto& a, const auto& b) {
        const int c = CompareText(a.first, b.first);
        return c != 0 ? c < 0 : a.first < b.first;
    });
    THomePageCandidates out;
    for (auto& [relative, full] : pages) {
        out.Relative.push_back(std::move(relative));
        out.Full.push_back(std::move(full));
    }
    return out;
}

int ProposedHomePage(const std::vector<std::string>& relative) {
    for (const char* name : {"index.html", "index.htm", "default.htm"}) {
        for (size_t i = 0; i < relative.size(); ++i) {
            if (SameText(relative[i], name)) {
                return static_cast<int>(i);
            }
        }
    }
    return -1;
}

std::vector<int> FilterItems(const std::vector<std::string>& items, const std::string& text) {
    const std::string needle = LowerCase(text);
    std::vector<int> out;
    for (size_t i = 0; i < items.size(); ++i) {
        if (needle.empty() || LowerCase(items[i]).find(needle) != std::string::npos) {
            out.push_back(static_cast<int>(i));
        }
    }
    return out;
}

TPickResult TInputHomePagePicker::Pick(const std::string& caption, const TStringList& items,
                                       int proposed) {
    const std::string offered = proposed >= 0 && proposed < items.Count() ? items[proposed] : "";
    const auto answer = Dialogs().InputQuery(caption, "Name of the home page:", offered);
    if (!answer) {
        return {};
    }
    return {true, FindItem(items, Trim(*answer))};
}

TPickResult TFixedHomePagePicker::Pick(const std::string&, const TStringList& items, int) {
    return {true, FindItem(items, Choice)};
}

TPickResult TScriptedHomePagePicker::Pick(const std::string& caption, const TStringList& items,
                                          int proposed) {
    TShown shown{caption, {}, proposed};
    for (int i = 0; i < items.Count(); ++i) {
        shown.Items.push_back(items[i]);
    }
    shown_.push_back(std::move(shown));
    if (answers_.empty()) {
        throw std::logic_error("homepage picker shown with no scripted answer");
    }
    TPickResult result = answers_.front();
    answers_.pop_front();
    if (result.Selected >= items.Count()) {
        throw std::logic_error("scripted homepage choice is past the end of the list");
    }
    return result;
}
