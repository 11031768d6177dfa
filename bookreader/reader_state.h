#pragma once
// What the reader remembers of each book between runs: the last page shown, the window
// placement and the zoom (the viewer's default font size). One small file per book,
//   $XDG_STATE_HOME/folio3/<book key>.state   ($XDG_STATE_HOME defaulting to ~/.local/state)
// keyed like the password store (a hash of the book's resolved path, so no book is named in
// clear). The file holds "name=value" lines; it is replaced through a temporary file and a
// rename, so a crash never leaves half of it. Reading trusts nothing: an oversized file, an
// unknown or repeated key, a value out of range or with control characters is ignored.
#include <string>

struct TWindowPlacement {
    int Left = 0, Top = 0, Width = 0, Height = 0;
    bool Maximized = false;
    bool Valid() const; // a size the screen can hold and a position not absurdly far off
};

struct TReaderState {
    std::string LastPage;       // served name, "#anchor" allowed; empty: none remembered
    bool HasPlacement = false;  // Placement is meaningful
    TWindowPlacement Placement; //
    int FontSize = 0;           // the zoomed default font size; 0: none remembered

    static constexpr size_t kMaxPageLength = 1024;
    static constexpr int kMinFontSize = 6;
    static constexpr int kMaxFontSize = 72;
    static constexpr int kMaxCoordinate = 100000;
};

class TReaderStateStore {
public:
    // dir: the folder that holds the state files (created 0700 when first written). Empty:
    // nothing is remembered.
    explicit TReaderStateStore(std::string dir) : dir_(std::move(dir)) {}

    // $XDG_STATE_HOME/folio3 (XDG_STATE_HOME defaulting to ~/.local/state); empty when
    // neither it nor HOME is set.
    static std::string DefaultDirectory();

    // The file for a book key (see TPasswordStore::BookKey); empty when the key is not a
    // plain hexadecimal name or there is no directory.
    std::string FileFor(const std::string& bookKey) const;
    // What is remembered for the book; an empty state when nothing (or nothing sane) is.
    TReaderState Load(const std::string& bookKey) const;
    // Replaces what is remembered for the book. Values that would not read back (a page with
    // a line break, a font size out of range, an invalid placement) are left out. False when
    // the file cannot be written.
    bool Save(const std::string& bookKey, const TReaderState& state) const;

    const std::string& Directory() const { return dir_; }

    static constexpr size_t kMaxFileBytes = 16384;

private:
    std::string dir_;
};
