#include "platform/gui/clipboard.h"

#include <utility>

namespace {
std::string& StoredText() {
    static std::string text;
    return text;
}
TClipboardPort* currentPort = nullptr;
} // namespace

void SetClipboardText(const std::string& utf8) {
    // The engine ends its lines with CR LF, as the pages' own platform did; programs here paste
    // a stray CR as a visible character, so lines end with LF alone on this clipboard.
    std::string text;
    text.reserve(utf8.size());
    for (size_t i = 0; i < utf8.size(); ++i) {
        if (utf8[i] != '\r')
            text += utf8[i];
        else if (i + 1 >= utf8.size() || utf8[i + 1] != '\n')
            text += '\n';
    }
    StoredText() = text;
    if (currentPort)
        currentPort->SetText(text);
}

std::string ClipboardText() {
    return StoredText();
}

TClipboardPort* SetClipboardPort(TClipboardPort* port) {
    return std::exchange(currentPort, port);
}
