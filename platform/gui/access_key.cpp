#include "platform/gui/access_key.h"

#include "platform/base/strings.h"

TAccessKey ParseAccessKey(std::string_view caption) {
    TAccessKey r;
    r.Text.reserve(caption.size());
    for (size_t i = 0; i < caption.size(); ++i) {
        char c = caption[i];
        if (c == '&' && i + 1 < caption.size()) {
            char next = caption[++i];
            if (next != '&' && r.Key == 0) {
                r.Key = next;
                r.Index = static_cast<int>(r.Text.size());
            }
            r.Text += next;
        } else {
            r.Text += c;
        }
    }
    return r;
}

bool SameAccessKey(char a, char b) {
    return a != 0 && AsciiUpper(a) == AsciiUpper(b);
}
