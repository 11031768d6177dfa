#include "app/progress_bar.h"

#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>

#include "platform/base/files.h"
#include "platform/base/printable_name.h"

TProgressBar::TProgressBar(std::FILE* to) : to_(to), active_(::isatty(::fileno(to)) != 0) {
    winsize size{};
    if (active_ && ::ioctl(::fileno(to), TIOCGWINSZ, &size) == 0 && size.ws_col > 20) {
        columns_ = size.ws_col;
    }
}

std::string TProgressBar::Line(const std::string& file, int percent, int columns) {
    percent = std::clamp(percent, 0, 100);
    const int width = 30;
    const int filled = percent * width / 100;
    std::string line = "[" + std::string(filled, '#') + std::string(width - filled, '.') + "] ";
    char number[8];
    std::snprintf(number, sizeof number, "%3d%% ", percent);
    line += number;
    // The file name, never raw (an escape or a newline in it would garble the terminal),
    // cut from the left so its end stays visible.
    std::string name = PrintableName(ExtractFileName(file));
    const int room = columns - 1 - static_cast<int>(line.size());
    if (room <= 0) {
        name.clear();
    } else if (static_cast<int>(name.size()) > room) {
        name = name.substr(name.size() - room);
        // Never start in the middle of a UTF-8 sequence.
        while (!name.empty() && (static_cast<unsigned char>(name[0]) & 0xC0) == 0x80) {
            name.erase(0, 1);
        }
    }
    return line + name;
}

void TProgressBar::Update(const std::string& file, int percent) {
    if (!active_) {
        return;
    }
    std::string line = Line(file, percent, columns_);
    if (drawn_ && line == last_) {
        return; // most blocks change nothing that shows
    }
    std::fprintf(to_, "\r\033[K%s", line.c_str());
    last_ = std::move(line);
    std::fflush(to_);
    drawn_ = true;
}

void TProgressBar::Clear() {
    if (active_ && drawn_) {
        std::fprintf(to_, "\r\033[K");
        std::fflush(to_);
        drawn_ = false;
    }
}
