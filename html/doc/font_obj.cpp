#include "html/doc/font_obj.h"

#include <algorithm>

#include "platform/graphics/font.h"

TFontObj::TFontObj(TSection* section, int32_t start, std::unique_ptr<TMyFont> font)
    : Section(section), RunStart(start), PlainFont(std::move(font)) {
    if (!PlainFont)
        PlainFont = std::make_unique<TMyFont>();
    ActiveFont = PlainFont.get();
    ComputeMetrics();
}

TFontObj::TFontObj(TSection* section, const TFontObj& run)
    : Section(section), RunStart(run.RunStart),
      PlainFont(std::make_unique<TMyFont>(*run.PlainFont)), ScriptKind(run.ScriptKind),
      VAlign(run.VAlign), VRaise(run.VRaise), Transform(run.Transform), SmallCaps(run.SmallCaps),
      SmallPart(run.SmallPart), FullSize(run.FullSize), LetterSpacing(run.LetterSpacing),
      WordSpacing(run.WordSpacing), Style(run.Style) {
    Target.Copy(run.Target);
    ActiveFont = PlainFont.get();
    ComputeMetrics();
}

TFontObj::~TFontObj() = default;

void TFontObj::ComputeMetrics() {
    const TTextMetric& m = Face().Metrics();
    LineHeight = m.Height + m.ExternalLeading;
    CellHeight = m.Height;
    OverhangPx = m.Overhang;
    DescentPx = m.Descent;
}

const TResolvedFont& TFontObj::Face() const {
    // Fonts are never edited in place; a replaced font clears the remembered face.
    if (!face_ || faceOf_ != ActiveFont) {
        face_ = ActiveFont->Resolve();
        faceOf_ = ActiveFont;
    }
    return *face_;
}

void TFontObj::ReplaceFont(std::unique_ptr<TMyFont> font) {
    if (!font)
        return;
    face_.reset();
    PlainFont = std::move(font);
    ActiveFont = PlainFont.get();
    SeenFont.reset();
    OverFont.reset();
    ComputeMetrics();
}

void TFontObj::Resize(int points) {
    for (TMyFont* f : {PlainFont.get(), OverFont.get(), SeenFont.get()})
        if (f != nullptr)
            f->Size = points;
    face_.reset();
    faceOf_ = nullptr;
    ComputeMetrics();
}

void TFontObj::SetVisited(bool value) {
    if (value == Visited)
        return;
    Visited = value;
    if (Hover && OverFont)
        ActiveFont = OverFont.get();
    else if (value && SeenFont)
        ActiveFont = SeenFont.get();
    else if (!value)
        ActiveFont = PlainFont.get();
    ComputeMetrics();
    for (TFontObj* f : Followers)
        f->SetVisited(value);
}

void TFontObj::SetHover(bool value) {
    if (value == Hover)
        return;
    Hover = value;
    if (value && OverFont)
        ActiveFont = OverFont.get();
    else if (Visited && SeenFont)
        ActiveFont = SeenFont.get();
    else
        ActiveFont = PlainFont.get();
    for (TFontObj* f : Followers)
        f->SetHover(value);
}

void TFontObj::SetAllHovers(const std::vector<TFontObj*>& links, bool value) {
    SetHover(value);
    const auto it = std::find(links.begin(), links.end(), this);
    if (it == links.end())
        return;
    const int32_t number = Target.LinkNumber;
    for (auto f = it + 1; f != links.end() && (*f)->Target.LinkNumber == number; ++f)
        (*f)->SetHover(value);
    for (auto b = it; b != links.begin() && (*(b - 1))->Target.LinkNumber == number; --b)
        (*(b - 1))->SetHover(value);
}

TFontObj* TFontList::Add(std::unique_ptr<TFontObj> run) {
    runs_.push_back(std::move(run));
    return runs_.back().get();
}

TFontObj* TFontList::RunAt(int32_t position, int& index) const {
    if (position < firstLineEnd_ && position >= 0)
        return firstLine_->RunAt(position, index);
    if (runs_.empty()) {
        index = -1;
        return nullptr;
    }
    // Runs are in RunStart order: the last one starting at or before the position.
    auto it = std::upper_bound(
        runs_.begin(), runs_.end(), position,
        [](int32_t p, const std::unique_ptr<TFontObj>& r) { return p < r->RunStart; });
    if (it != runs_.begin())
        --it;
    index = static_cast<int>(it - runs_.begin());
    return it->get();
}

TMyFont* TFontList::FontAt(int32_t position, int32_t& overhang) const {
    TFontObj* run = RunAt(position);
    overhang = run != nullptr ? run->OverhangPx : 0;
    return run != nullptr ? run->ActiveFont : nullptr;
}

int32_t TFontList::CharsToNextFont(int32_t position, int32_t length) const {
    if (position < firstLineEnd_ && position >= 0)
        return std::min(firstLine_->CharsToNextFont(position, length), firstLineEnd_ - position);
    int index = 0;
    if (RunAt(position, index) == nullptr)
        return length - position;
    for (size_t i = static_cast<size_t>(index) + 1; i < runs_.size(); ++i)
        if (runs_[i]->RunStart > position)
            return runs_[i]->RunStart - position;
    return length - position;
}

void TFontList::CopyFrom(TSection* section, const TFontList& list) {
    runs_.clear();
    for (const auto& r : list.runs_)
        runs_.push_back(std::make_unique<TFontObj>(section, *r));
}
