#pragma once
// Multi-line edit box: lines, word wrap and which scroll bars it shows.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/gui/control.h"

enum class TScrollStyle { ssNone, ssHorizontal, ssVertical, ssBoth };

// The scroll bars a memo shows: each only when its ScrollBars allow it and the text needs it
// (more lines than fit, or, without word wrap, a line wider than the box).
struct TMemoBars {
    bool Vertical = false, Horizontal = false;
    bool operator==(const TMemoBars&) const = default;
};

class TMemo : public TControl {
public:
    TMemo();
    const std::vector<std::string>& Lines() const { return lines_; }
    // Changes whenever the text changes, so that a peer compares a number, not the text: a
    // text area may hold megabytes, and its peer is synced on every move.
    uint64_t TextGeneration() const { return generation_; }
    void SetLines(std::vector<std::string> lines);
    void AddLine(const std::string& line);
    void Clear();
    // The lines joined with CR LF, as the toolkit's memo gives its text.
    std::string Text() const;
    // Splits at CR LF, LF or CR.
    void SetText(const std::string& text);

    bool WordWrap() const { return wordWrap_; }
    void SetWordWrap(bool wrap);
    TScrollStyle ScrollBars() const { return scrollBars_; }
    void SetScrollBars(TScrollStyle style);
    bool ReadOnly = false;

    // Caret and selection as character offsets into Text().
    int SelStart() const { return selStart_; }
    int SelLength() const { return selLength_; }
    void SetSelection(int start, int length);

    std::function<void(TControl& sender)> OnChange;
    // The user edited the text (the peer reports the whole new text). Ignored when ReadOnly.
    void UserSetText(const std::string& text);

    // The scroll bars the memo needs for its lines, measured in its font on canvas.
    TMemoBars NeededScrollBars(TCanvas& canvas) const;

    std::unique_ptr<TControlPeer> MakePeer(TPeerFactory& factory) override;
    void PaintTo(TCanvas& canvas, int x, int y) const override;

private:
    struct TView;
    // Lays the lines out in the box as shown from the top, in the font selected on canvas;
    // keeps the text of the rows that fit.
    TView Arrange(TCanvas& canvas) const;
    void Edited();
    std::vector<std::string> lines_;
    uint64_t generation_ = 0;
    bool wordWrap_ = true;
    TScrollStyle scrollBars_ = TScrollStyle::ssNone;
    int selStart_ = 0, selLength_ = 0;
};
