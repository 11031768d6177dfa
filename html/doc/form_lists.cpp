// SELECT: a list box (MULTIPLE, or SIZE above 1) or a drop-down list.
#include <algorithm>

#include "html/doc/form_kinds.h"
#include "html/doc/html_form.h"
#include "html/doc/section_list.h"
#include "platform/base/strings.h"
#include "platform/graphics/canvas.h"
#include "platform/gui/combo_box.h"
#include "platform/gui/list_box.h"

namespace {
// Bounds for sizes taken from the page, so that the widget stays within what a window can
// show and the products below cannot overflow.
constexpr int32_t MaxRows = 1000;
constexpr int32_t MaxWidestOption = 4096;
// The sunken frame of a list box takes two pixels on each side of its client area.
constexpr int32_t FrameSize = 4;
constexpr int32_t DefaultRows = 4;

// The font a drop-down list's width is reckoned in: the toolkit's default GUI font.
TFont ScreenDefaultFont() {
    TFont f;
    f.Name = "Liberation Sans";
    f.Size = 8;
    return f;
}
} // namespace

// ---- list box ----

TListBoxFormControlObj::TListBoxFormControlObj(TSectionList* document, ThtmlForm*& currentForm,
                                               TAttributeList& attrs, int32_t charPos, TNoWidget)
    : TFormControlObj(document, currentForm, attrs, charPos) {
    // A SIZE of 0 or less says nothing: the box takes its rows from its options.
    if (const TAttribute* size = attrs.Find(SizeSym); size && size->Value > 0)
        VisibleRows = std::min(size->Value, MaxRows);
}

TListBoxFormControlObj::TListBoxFormControlObj(TSectionList* document, ThtmlForm*& currentForm,
                                               TAttributeList& attrs, int32_t charPos)
    : TListBoxFormControlObj(document, currentForm, attrs, charPos, TNoWidget{}) {
    auto list = std::make_unique<TListBox>();
    list_ = list.get();
    UsePreFont(*list_);
    if (attrs.Find(MultipleSym)) {
        list_->SetMultiSelect(true);
        list_->SetExtendedSelect(true);
    }
    SetWidget(std::move(list));
}

void TListBoxFormControlObj::AddOption(const std::string& text, const std::string& value,
                                       bool selected) {
    Options.push_back({text, value, selected});
    WidestOption =
        std::clamp(static_cast<int32_t>(std::min<size_t>(Utf8Length(text), MaxWidestOption)),
                   WidestOption, MaxWidestOption);
    if (!list_)
        return;
    // The widget follows as Restore would make it, one option at a time: the first item is
    // the item index until a selected option takes its place.
    int i = list_->Count();
    list_->AddItem(text);
    if (list_->MultiSelect()) {
        if (selected)
            list_->SetSelected(i, true);
        else if (i == 0)
            list_->SetItemIndex(0);
    } else if (selected || i == 0) {
        list_->SetItemIndex(i);
    }
}

void TListBoxFormControlObj::Restore() {
    std::vector<std::string> items;
    items.reserve(Options.size());
    for (const TOptionObj& o : Options)
        items.push_back(o.Text);
    list_->SetItems(std::move(items));
    bool any = false;
    for (size_t i = 0; i < Options.size(); ++i) {
        if (!Options[i].Selected)
            continue;
        any = true;
        if (list_->MultiSelect())
            list_->SetSelected(static_cast<int>(i), true);
        else
            list_->SetItemIndex(static_cast<int>(i));
    }
    // In a multiple-selection box the item index is only the focus: nothing gets selected.
    if (!any)
        list_->SetItemIndex(0);
    list_->SetTopIndex(0);
}

bool TListBoxFormControlObj::ItemSelected(int i) const {
    return list_->MultiSelect() ? list_->Selected(i) : list_->ItemIndex() == i;
}

bool TListBoxFormControlObj::SubmitPair(int index, std::string& text) {
    if (index < 0 || static_cast<size_t>(index) >= Options.size())
        return false;
    if (ItemSelected(index)) {
        const TOptionObj& o = Options[static_cast<size_t>(index)];
        text = Name + "=" + (o.Value.empty() ? o.Text : o.Value);
    }
    return true;
}

void TListBoxFormControlObj::FitSize(TCanvas& canvas) {
    int32_t aw, ah;
    MeasureA(canvas, *list_, aw, ah);
    // Without a SIZE (a MULTIPLE box) four rows show, as browsers show them; the options
    // beyond scroll.
    if (VisibleRows == -1)
        VisibleRows = DefaultRows;
    list_->ItemHeight = std::max(ah, 1);
    int32_t clientH = StyleHeight >= 10 ? StyleHeight : ah * VisibleRows;
    int32_t clientW = StyleWidth >= 10 ? StyleWidth : aw * WidestOption + 15;
    list_->SetBounds(list_->Left(), list_->Top(), clientW + FrameSize, clientH + FrameSize);
}

std::string TListBoxFormControlObj::DumpKind() const {
    return "listbox rows=" + IntToStr(VisibleRows) + " options=" + IntToStr(list_->Count()) +
           (list_->NeedsScrollBar() ? " scroll=vertical" : " scroll=none");
}

// ---- drop-down list ----

TComboFormControlObj::TComboFormControlObj(TSectionList* document, ThtmlForm*& currentForm,
                                           TAttributeList& attrs, int32_t charPos)
    : TListBoxFormControlObj(document, currentForm, attrs, charPos, TNoWidget{}) {
    auto combo = std::make_unique<TComboBox>();
    combo_ = combo.get();
    UsePreFont(*combo_);
    SetWidget(std::move(combo));
    // A drop-down list reports a click and, separately, a change of the chosen item.
    combo_->OnChange = [this](TControl&) { Click(); };
}

void TComboFormControlObj::AddOption(const std::string& text, const std::string& value,
                                     bool selected) {
    TListBoxFormControlObj::AddOption(text, value, selected);
    int i = combo_->Count();
    combo_->AddItem(text);
    // The last selected option is shown; with none, the first.
    if (selected || i == 0)
        combo_->SetItemIndex(i);
}

void TComboFormControlObj::Restore() {
    std::vector<std::string> items;
    items.reserve(Options.size());
    int chosen = 0;
    for (size_t i = 0; i < Options.size(); ++i) {
        items.push_back(Options[i].Text);
        if (Options[i].Selected)
            chosen = static_cast<int>(i);
    }
    combo_->SetItems(std::move(items));
    combo_->SetItemIndex(chosen);
}

bool TComboFormControlObj::ItemSelected(int i) const {
    return combo_->ItemIndex() == i;
}

void TComboFormControlObj::FitSize(TCanvas& canvas) {
    int32_t aw, ah;
    MeasureA(canvas, *combo_, aw, ah);
    // The toolkit sizes a drop-down list's height to its font unless the style says more.
    int32_t h = StyleHeight > 9 ? StyleHeight : ah + 8;
    int32_t w = StyleWidth;
    if (StyleWidth < 10) {
        TFont saved = canvas.Font;
        canvas.Font = ScreenDefaultFont();
        w = canvas.TextWidth("A") * WidestOption + 30;
        canvas.Font = saved;
    }
    combo_->SetBounds(combo_->Left(), combo_->Top(), w, h);
}

std::string TComboFormControlObj::DumpKind() const {
    return "combo options=" + IntToStr(combo_->Count());
}
