#include "app/homepage_picker.h"

#include <stdexcept>

#include "platform/base/files.h"
#include "platform/base/strings.h"
#include "platform/gui/dialogs.h"

namespace {

// The index of the item named by text: the exact full path first, then the full path or the
// file name ignoring case.
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

} // namespace

TPickResult TInputHomePagePicker::Pick(const std::string& caption, const TStringList& items) {
    const auto answer = Dialogs().InputQuery(caption, "Name of the home page:", "");
    if (!answer) {
        return {};
    }
    return {true, FindItem(items, Trim(*answer))};
}

TPickResult TFixedHomePagePicker::Pick(const std::string&, const TStringList& items) {
    return {true, FindItem(items, Choice)};
}

TPickResult TScriptedHomePagePicker::Pick(const std::string& caption, const TStringList& items) {
    TShown shown{caption, {}};
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
