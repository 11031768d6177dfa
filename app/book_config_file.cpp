#include "app/book_config_file.h"

#include "platform/base/exceptions.h"
#include "platform/base/streams.h"

std::string BookConfigText(const std::string& homePage, const std::string& caption,
                           const std::string& password, const std::string& iconFile) {
    return "homepage=" + homePage + "\r\n" + "caption=" + caption + "\r\n" +
           "password=" + password + "\r\n" + "iconfile=" + iconFile + "\r\n";
}

bool WriteBookConfig(const std::string& path, const std::string& text) {
    try {
        TFileStream file(path, fmCreate);
        file.WriteString(text);
        return true;
    } catch (const Exception&) {
        return false;
    }
}
