// TEXTAREA: a memo with the initial lines the reader gives it.
#include <algorithm>

#include "html/doc/form_kinds.h"
#include "html/doc/html_form.h"
#include "html/doc/section_list.h"
#include "platform/base/strings.h"
#include "platform/gui/memo.h"

namespace {
constexpr int32_t MaxRowsOrCols = 1000;
// The sunken frame around the client area, two pixels a side, and a scroll bar's breadth.
constexpr int32_t FrameSize = 4;
constexpr int32_t ScrollBarSize = 16;

int32_t Positive(const TAttributeList& attrs, Symbol sym, int32_t def) {
    const TAttribute* a = attrs.Find(sym);
    return a && a->Value > 0 ? std::min(a->Value, MaxRowsOrCols) : def;
}
} // namespace

TTextAreaFormControlObj::TTextAreaFormControlObj(TSectionList* document, ThtmlForm*& currentForm,
                                                 TAttributeList& attrs, int32_t charPos)
    : TFormControlObj(document, currentForm, attrs, charPos) {
    Rows = Positive(attrs, RowsSym, 5);
    Cols = Positive(attrs, ColsSym, 30);
    auto memo = std::make_unique<TMemo>();
    memo_ = memo.get();
    UsePreFont(*memo_);
    const TAttribute* wrap = attrs.Find(WrapSym);
    std::string w = wrap ? LowerCase(wrap->Str) : std::string();
    if (w == "soft" || w == "hard") {
        memo_->SetScrollBars(TScrollStyle::ssVertical);
        memo_->SetWordWrap(true);
    } else {
        memo_->SetScrollBars(TScrollStyle::ssBoth);
        memo_->SetWordWrap(false);
    }
    // Only single-line edit boxes submit on Enter; the form decides.
    memo_->OnKeyDown = [this](TControl&, int& key, TShiftState) { Form->EditKeyDown(this, key); };
    SetWidget(std::move(memo));
}

void TTextAreaFormControlObj::AddLine(const std::string& text) {
    InitialLines.push_back(text);
    linesPending_ = true;
}

void TTextAreaFormControlObj::SyncLines() const {
    if (!linesPending_)
        return;
    linesPending_ = false;
    memo_->SetLines(InitialLines);
}

TMemo& TTextAreaFormControlObj::Memo() const {
    SyncLines();
    return *memo_;
}

void TTextAreaFormControlObj::Restore() {
    linesPending_ = false;
    memo_->SetLines(InitialLines);
    memo_->SetSelection(0, 0);
}

void TTextAreaFormControlObj::PrepareDraw(TColor) {
    SyncLines();
}

bool TTextAreaFormControlObj::SubmitPair(int index, std::string& text) {
    if (index != 0)
        return false;
    SyncLines();
    // A wrapping memo's lines are one text broken for the eye only.
    const char* between = memo_->WordWrap() ? "" : "\r\n";
    text = Name + "=";
    const auto& lines = memo_->Lines();
    for (size_t i = 0; i < lines.size(); ++i) {
        if (i > 0)
            text += between;
        text += lines[i];
    }
    return true;
}

void TTextAreaFormControlObj::FitSize(TCanvas& canvas) {
    SyncLines();
    int32_t aw, ah;
    MeasureA(canvas, *memo_, aw, ah);
    int32_t barW = memo_->ScrollBars() == TScrollStyle::ssNone ? 0 : ScrollBarSize;
    int32_t barH = memo_->ScrollBars() == TScrollStyle::ssBoth ? ScrollBarSize : 0;
    int32_t h = StyleHeight >= 10 ? StyleHeight : ah * Rows + 5 + FrameSize + barH;
    int32_t w = StyleWidth >= 10 ? StyleWidth : aw * Cols + 5 + FrameSize + barW;
    memo_->SetBounds(memo_->Left(), memo_->Top(), w, h);
    const TMemoBars bars = memo_->NeededScrollBars(canvas);
    fitVertical_ = bars.Vertical;
    fitHorizontal_ = bars.Horizontal;
}

std::string TTextAreaFormControlObj::DumpKind() const {
    const char* scroll = fitVertical_ ? (fitHorizontal_ ? "both" : "vertical")
                                      : (fitHorizontal_ ? "horizontal" : "none");
    return "textarea rows=" + IntToStr(Rows) + " cols=" + IntToStr(Cols) +
           (memo_->WordWrap() ? " wrap" : " nowrap") + " scroll=" + scroll;
}
