#include "bookreader/reader_state.h"

#include <charconv>
#include <cstdlib>
#include <sstream>

#include "bookreader/private_file.h"

namespace {

bool InRange(int v, int low, int high) {
    return v >= low && v <= high;
}

// A page name that reads back as written: no control character can end the line early or
// smuggle in another key.
bool IsSafePage(const std::string& page) {
    if (page.empty() || page.size() > TReaderState::kMaxPageLength) {
        return false;
    }
    for (unsigned char c : page) {
        if (c < 0x20 || c == 0x7F) {
            return false;
        }
    }
    return true;
}

bool IsFontSize(int size) {
    return InRange(size, TReaderState::kMinFontSize, TReaderState::kMaxFontSize);
}

// Whole-string decimal numbers separated by single blanks, exactly count of them.
bool ParseNumbers(std::string_view text, int* out, int count) {
    const char* p = text.data();
    const char* end = text.data() + text.size();
    for (int i = 0; i < count; ++i) {
        if (i > 0) {
            if (p == end || *p != ' ') {
                return false;
            }
            ++p;
        }
        const auto [next, ec] = std::from_chars(p, end, out[i]);
        if (ec != std::errc() || next == p) {
            return false;
        }
        p = next;
    }
    return p == end;
}

} // namespace

bool TWindowPlacement::Valid() const {
    const int limit = TReaderState::kMaxCoordinate;
    return InRange(Width, 1, limit) && InRange(Height, 1, limit) && InRange(Left, -limit, limit) &&
           InRange(Top, -limit, limit);
}

std::string TReaderStateStore::DefaultDirectory() {
    if (const char* state = std::getenv("XDG_STATE_HOME"); state && *state) {
        return std::string(state) + "/folio3";
    }
    if (const char* home = std::getenv("HOME"); home && *home) {
        return std::string(home) + "/.local/state/folio3";
    }
    return {};
}

std::string TReaderStateStore::FileFor(const std::string& bookKey) const {
    if (dir_.empty() || bookKey.empty() || bookKey.size() > 128) {
        return {};
    }
    for (char c : bookKey) {
        const bool hex = (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
        if (!hex) {
            return {};
        }
    }
    return dir_ + "/" + bookKey + ".state";
}

TReaderState TReaderStateStore::Load(const std::string& bookKey) const {
    TReaderState state;
    const std::string path = FileFor(bookKey);
    std::string text;
    if (path.empty() || !ReadRegularFile(path, kMaxFileBytes, text)) {
        return state;
    }
    bool seenPage = false, seenPlacement = false, seenFont = false;
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        const size_t eq = line.find('=');
        if (eq == std::string::npos) {
            continue;
        }
        const std::string key = line.substr(0, eq);
        const std::string value = line.substr(eq + 1);
        if (key == "page" && !seenPage) {
            seenPage = true;
            if (IsSafePage(value)) {
                state.LastPage = value;
            }
        } else if (key == "placement" && !seenPlacement) {
            seenPlacement = true;
            int v[5] = {};
            TWindowPlacement p;
            if (ParseNumbers(value, v, 5) && InRange(v[4], 0, 1)) {
                p = {v[0], v[1], v[2], v[3], v[4] == 1};
                if (p.Valid()) {
                    state.Placement = p;
                    state.HasPlacement = true;
                }
            }
        } else if (key == "fontsize" && !seenFont) {
            seenFont = true;
            int size = 0;
            if (ParseNumbers(value, &size, 1) && IsFontSize(size)) {
                state.FontSize = size;
            }
        }
    }
    return state;
}

bool TReaderStateStore::Save(const std::string& bookKey, const TReaderState& state) const {
    const std::string path = FileFor(bookKey);
    if (path.empty() || !MakePrivateDirectory(dir_)) {
        return false;
    }
    std::ostringstream text;
    if (IsSafePage(state.LastPage)) {
        text << "page=" << state.LastPage << '\n';
    }
    if (state.HasPlacement && state.Placement.Valid()) {
        const TWindowPlacement& p = state.Placement;
        text << "placement=" << p.Left << ' ' << p.Top << ' ' << p.Width << ' ' << p.Height << ' '
             << (p.Maximized ? 1 : 0) << '\n';
    }
    if (IsFontSize(state.FontSize)) {
        text << "fontsize=" << state.FontSize << '\n';
    }
    return ReplaceFileContents(path, text.str());
}
