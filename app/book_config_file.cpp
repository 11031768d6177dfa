#include "app/book_config_file.h"

#include "platform/base/printable_name.h"

std::string BookConfigText(const std::string& homePage, const std::string& caption,
                           const std::string& password, const std::string& iconFile) {
    return "homepage=" + homePage + "\r\n" + "caption=" + caption + "\r\n" +
           "password=" + password + "\r\n" + "iconfile=" + iconFile + "\r\n";
}

bool HoldsLineBreak(const std::string& text) {
    return text.find_first_of("\r\n") != std::string::npos;
}

std::optional<std::string> BookConfigProblem(const std::string& homePage,
                                             const std::string& caption,
                                             const std::string& password,
                                             const std::string& iconFile) {
    if (HoldsLineBreak(caption)) {
        return "A book title cannot hold a line break.";
    }
    if (HoldsLineBreak(password)) {
        return "A password cannot hold a line break.";
    }
    if (HoldsLineBreak(homePage)) {
        return "The home page's path cannot hold a line break: " + PrintableName(homePage);
    }
    if (HoldsLineBreak(iconFile)) {
        return "The icon's path cannot hold a line break: " + PrintableName(iconFile);
    }
    return std::nullopt;
}
