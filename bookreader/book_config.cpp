#include "bookreader/book_config.h"

#include "platform/base/strings.h"

TBookConfig ParseBookConfig(std::string_view text) {
    TBookConfig config;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find('\n', pos);
        if (end == std::string_view::npos) {
            end = text.size();
        }
        std::string_view line = text.substr(pos, end - pos);
        pos = end + 1;
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        const size_t eq = line.find('=');
        if (eq == std::string_view::npos) {
            continue;
        }
        const std::string key = LowerCase(line.substr(0, eq));
        const std::string value(line.substr(eq + 1));
        if (key == "homepage") {
            config.HomePage = value;
        } else if (key == "caption") {
            config.Caption = value;
        } else if (key == "password") {
            config.Password = value;
        } else if (key == "iconfile") {
            config.IconFile = value;
        }
    }
    return config;
}
