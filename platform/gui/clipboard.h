#pragma once
// The desktop's clipboard, for copying text out of the program. Text is UTF-8 here: the
// clipboard is an edge of the system. Headless, the text is kept in the process (tests read
// it back); the GUI installs a port that hands it to the toolkit as well.
#include <string>

class TClipboardPort {
public:
    virtual ~TClipboardPort() = default;
    virtual void SetText(const std::string& utf8) = 0;
};

// Stores the text, its lines ended by LF alone (CR LF and a lone CR become LF), and hands it
// to the installed port.
void SetClipboardText(const std::string& utf8);
// The text this program last put on the clipboard.
std::string ClipboardText();
// Installs a port (not owned) and returns the previous one; nullptr means headless.
TClipboardPort* SetClipboardPort(TClipboardPort* port);
