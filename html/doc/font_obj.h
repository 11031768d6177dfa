#pragma once
// Font runs of a text section. Each TFontObj starts at a buffer position and carries the
// font its characters are measured and drawn in; a run inside a link also carries the link
// target and the fonts for the hover and visited states. Metrics are read once from the
// resolved font so that line fitting does not ask the font cache for every stretch.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "html/reader/url_target.h"
#include "html/style/my_font.h"
#include "html/style/properties.h"
#include "platform/base/string_list.h"

class TSection;
class TResolvedFont;
class TProperties;

// A vertical-align given to a run's element: none, or one of VerticalAlignKind, whose numbers
// are these less one.
enum class RunVAlign : uint8_t {
    None,
    Baseline,
    Sub,
    Super,
    Top,
    TextTop,
    Middle,
    Bottom,
    TextBottom,
    Raise,
};

inline RunVAlign RunVAlignOf(VerticalAlignKind kind) {
    static_assert(static_cast<int>(RunVAlign::Baseline) == vaBaseline + 1 &&
                      static_cast<int>(RunVAlign::Raise) == vaRaise + 1,
                  "run alignments follow VerticalAlignKind");
    return static_cast<RunVAlign>(kind + 1);
}

class TFontObj : public TObject {
public:
    // Takes ownership of the font as plain and active font; the target starts empty.
    TFontObj(TSection* section, int32_t start, std::unique_ptr<TMyFont> font);
    // A copy of another run for another section: start, script kind, a copy of the plain font
    // (no hover or visited font) and of the target.
    TFontObj(TSection* section, const TFontObj& run);
    ~TFontObj() override;

    TSection* Section;
    bool Visited = false;
    bool Hover = false;
    int32_t RunStart = 0;
    TMyFont* ActiveFont = nullptr;
    std::unique_ptr<TMyFont> PlainFont;
    std::unique_ptr<TMyFont> SeenFont; // visited links only
    std::unique_ptr<TMyFont> OverFont; // hovered links only
    int32_t LineHeight = 0;            // height plus external leading
    int32_t CellHeight = 0;            // height
    int32_t OverhangPx = 0;
    int32_t DescentPx = 0;
    int32_t ScriptKind = 0; // 0 none, 1 subscript, 2 superscript
    // A vertical-align of the run's element; VRaise holds the pixels of a percentage or length.
    // It takes the place of ScriptKind.
    RunVAlign VAlign = RunVAlign::None;
    int32_t VRaise = 0;
    TUrlTarget Target;
    bool InLinks = false; // entered in the document's link list
    // Text styles of the run's characters. The transform and small capitals change the
    // characters as they are appended; the spacings widen what is measured and drawn.
    uint8_t Transform = 0;     // a TextTransformKind
    bool SmallCaps = false;    // lower-case letters become capitals in a smaller font
    bool SmallPart = false;    // this run holds such capitals; FullSize is the font's size
    int FullSize = 0;          // points of the run's font before it was made smaller
    int32_t LetterSpacing = 0; // pixels after every character
    int32_t WordSpacing = 0;   // pixels added to every space
    bool Spaced() const { return LetterSpacing != 0 || WordSpacing != 0; }
    // Only in sections with first-line or first-letter styles: the set of the run's element,
    // from which the first line's version of the run is made.
    std::shared_ptr<const TProperties> Style;
    // A run of a first line's version: the run it was made from, which keeps the link state.
    TFontObj* Origin = nullptr;
    // The first line's versions of this run; they follow its hover and visited state.
    std::vector<TFontObj*> Followers;

    // Sets the size of the plain, hover and visited fonts (small capitals).
    void Resize(int points);
    // A new plain font; hover and visited fonts are dropped.
    void ReplaceFont(std::unique_ptr<TMyFont> font);
    void SetVisited(bool value);
    // Hovering changes the drawing font only; the line layout keeps the plain metrics.
    void SetHover(bool value);
    // Hovers this run and its neighbours in the link list that belong to the same link.
    void SetAllHovers(const std::vector<TFontObj*>& links, bool value);
    const std::string& LinkAddress() const { return Target.URL; }
    bool IsLink() const { return !Target.URL.empty(); }

    // The resolved face of the active font (kept while the active font stays).
    const TResolvedFont& Face() const;

private:
    void ComputeMetrics();
    mutable std::shared_ptr<const TResolvedFont> face_;
    mutable const TMyFont* faceOf_ = nullptr;
};

// The runs of one section, ordered by RunStart; owning.
class TFontList {
public:
    int Count() const { return static_cast<int>(runs_.size()); }
    bool Empty() const { return runs_.empty(); }
    TFontObj* operator[](int i) const { return runs_[static_cast<size_t>(i)].get(); }
    TFontObj* Last() const { return runs_.empty() ? nullptr : runs_.back().get(); }
    TFontObj* Add(std::unique_ptr<TFontObj> run);

    // The active font of the run in force at the position, and its overhang.
    TMyFont* FontAt(int32_t position, int32_t& overhang) const;
    // Characters from the position to the start of the next run, or to length.
    int32_t CharsToNextFont(int32_t position, int32_t length) const;
    // The run in force at the position (the last one starting at or before it) and its index.
    TFontObj* RunAt(int32_t position, int& index) const;
    TFontObj* RunAt(int32_t position) const {
        int i = 0;
        return RunAt(position, i);
    }

    // Copies every run for another section.
    void CopyFrom(TSection* section, const TFontList& list);

    // Positions before end are measured and drawn in the runs of another list (a first
    // line's version of the text); null or 0 ends that.
    void ShowFirstLine(const TFontList* runs, int32_t end) {
        firstLine_ = runs;
        firstLineEnd_ = runs != nullptr ? end : 0;
    }
    int32_t FirstLineEnd() const { return firstLineEnd_; }

    auto begin() const { return runs_.begin(); }
    auto end() const { return runs_.end(); }

private:
    std::vector<std::unique_ptr<TFontObj>> runs_;
    const TFontList* firstLine_ = nullptr;
    int32_t firstLineEnd_ = 0;
};
