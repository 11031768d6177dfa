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
    StoredText() = utf8;
    if (currentPort)
        currentPort->SetText(utf8);
}

std::string ClipboardText() {
    return StoredText();
}

TClipboardPort* SetClipboardPort(TClipboardPort* port) {
    return std::exchange(currentPort, port);
}
