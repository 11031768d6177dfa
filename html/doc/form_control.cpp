#include "html/doc/form_control.h"

#include <algorithm>

#include "html/doc/form_kinds.h"
#include "html/doc/html_form.h"
#include "html/doc/section_list.h"
#include "html/style/box_convert.h"
#include "html/style/properties.h"
#include "platform/base/strings.h"
#include "platform/graphics/canvas.h"
#include "platform/gui/control.h"

namespace {
// Widgets wait above the page until the first paint places them.
constexpr int OutOfSightTop = -400;
// Where a control scrolled out of view keeps the focus while tabbing.
constexpr int OutOfSightLeft = -4000;
// Style sizes and spaces are kept within what a window can show, so that the sums text
// layout makes over a line of controls cannot overflow.
constexpr int32_t MaxStylePixels = 32767;

int32_t ClampStyle(int32_t v) {
    return std::clamp<int32_t>(v, -MaxStylePixels, MaxStylePixels);
}
} // namespace

TFormControlObj::TFormControlObj(TSectionList* document, ThtmlForm*& currentForm,
                                 TAttributeList& attrs, int32_t charPos)
    : CharPos(charPos), Document(document) {
    if (!currentForm)
        currentForm = new ThtmlForm(document, nullptr); // owned by document->Forms
    Form = currentForm;
    for (const TAttribute& a : attrs) {
        switch (a.Sym) {
        case ValueSym:
            Value = a.Str;
            break;
        case NameSym:
            Name = a.Str;
            break;
        case OnClickSym:
            ClickText = a.Str;
            break;
        default:
            break;
        }
    }
}

TFormControlObj::~TFormControlObj() {
    *alive_ = false;
}

TFormControlObj* TFormControlObj::Join(std::unique_ptr<TFormControlObj> control,
                                       TAttributeList& attrs) {
    TFormControlObj* c = control.get();
    TSectionList* doc = c->Document;
    doc->Controls.push_back(c);
    const std::string& id = attrs.TheID();
    if (!id.empty())
        doc->NamedPositions.AddObject(id, c);
    c->Form->AddMember(std::move(control));
    return c;
}

void TFormControlObj::SetWidget(std::unique_ptr<TControl> widget) {
    widget_ = std::move(widget);
    widget_->SetTop(OutOfSightTop);
    if (Document->PaintPanel)
        widget_->SetParent(Document->PaintPanel);
    Connect(*widget_);
}

void TFormControlObj::Connect(TControl& widget) {
    widget.OnEnter = [this](TControl&) { Entered(); };
    widget.OnExit = [this](TControl&) { Document->HideUnshownControls(); };
    widget.OnClick = [this](TControl&) { Click(); };
}

void TFormControlObj::Entered() {
    auto alive = alive_;
    if (Document->OnControlEnter)
        Document->OnControlEnter(this);
    if (!*alive)
        return;
    // Controls scrolled out of view stay shown, far to the left, so Tab still reaches them.
    for (TFormControlObj* c : Document->Controls)
        if (!c->Shown && c->widget_) {
            c->widget_->SetLeft(OutOfSightLeft);
            c->widget_->Show();
        }
}

void TFormControlObj::UsePreFont(TControl& widget) const {
    widget.Font.Name = Document->PreFontName;
    widget.Font.Size = 10;
}

void TFormControlObj::MeasureA(TCanvas& canvas, const TControl& widget, int32_t& width,
                               int32_t& height) {
    TFont saved = canvas.Font;
    canvas.Font = widget.Font;
    width = canvas.TextWidth("A");
    height = canvas.TextHeight("A");
    canvas.Font = saved;
}

TControl* TFormControlObj::FocusWidget() {
    return widget_.get();
}

void TFormControlObj::ApplyStyle(const TProperties& props) {
    TBoxArray m;
    ConvertInlineBox(props.GetBoxValues(), 200, props.EmHeight, props.ExHeight, m);
    auto given = [](int32_t v) { return v != NullLength && v != AutoLength; };
    if (given(m[piMarginLeft]))
        SpaceLeft = ClampStyle(m[piMarginLeft]);
    if (given(m[piMarginRight]))
        SpaceRight = ClampStyle(m[piMarginRight]);
    if (given(m[piWidth]) && m[piWidth] > 0)
        StyleWidth = ClampStyle(m[piWidth]);
    if (given(m[piHeight]) && m[piHeight] > 0)
        StyleHeight = ClampStyle(m[piHeight]);
    AlignKind align;
    if (props.GetVertAlign(align) && align >= akTop && align <= akBottom)
        VAlign = ObjAlignOf(align);
}

void TFormControlObj::PrintPicture(TCanvas& canvas, int32_t x, int32_t y) {
    if (!widget_)
        return;
    // The text drawn after the control expects the canvas as it left it.
    TFont font = canvas.Font;
    TBrush brush = canvas.Brush;
    TPen pen = canvas.Pen;
    TTextAlign align = canvas.TextAlign;
    TRect clip = canvas.ClipRect();
    widget_->PaintTo(canvas, x, y);
    canvas.Font = font;
    canvas.Brush = brush;
    canvas.Pen = pen;
    canvas.TextAlign = align;
    canvas.SetClipRect(clip);
}

bool TFormControlObj::SubmitPair(int, std::string&) {
    return false;
}

void TFormControlObj::FitSize(TCanvas&) {}

std::string TFormControlObj::DumpKind() const {
    return "control";
}

void TFormControlObj::RaiseObjectClick() {
    if (Document->OnObjectClick)
        Document->OnObjectClick(Document->Viewer, this, ClickText);
}

void TFormControlObj::Click() {
    RaiseObjectClick();
}

int32_t TFormControlObj::Width() const {
    return widget_ ? widget_->Width() : 0;
}

int32_t TFormControlObj::Height() const {
    return widget_ ? widget_->Height() : 0;
}

void TFormControlObj::DrawAt(TCanvas& canvas, int32_t x, int32_t y, TColor background) {
    Shown = true;
    if (!widget_)
        return;
    PrepareDraw(background != NoColor ? background : Document->Background);
    widget_->SetBounds(x, y, widget_->Width(), widget_->Height());
    widget_->Show();
    if (!Document->PaintPanel)
        PrintPicture(canvas, x, y);
}

TFormControlObj* MakeFormControl(TSectionList* document, ThtmlForm*& currentForm, Symbol which,
                                 TAttributeList& attrs, int32_t charPos) {
    std::unique_ptr<TFormControlObj> c;
    if (which == SelectSym) {
        const TAttribute* size = attrs.Find(SizeSym);
        if (attrs.Find(MultipleSym) || (size && size->Value > 1))
            c = std::make_unique<TListBoxFormControlObj>(document, currentForm, attrs, charPos);
        else
            c = std::make_unique<TComboFormControlObj>(document, currentForm, attrs, charPos);
    } else if (which == TextAreaSym) {
        c = std::make_unique<TTextAreaFormControlObj>(document, currentForm, attrs, charPos);
    } else {
        const TAttribute* t = attrs.Find(TypeSym);
        std::string type = t ? LowerCase(t->Str) : std::string();
        if (type == "submit" || type == "reset" || type == "button")
            c = std::make_unique<TButtonFormControlObj>(document, currentForm, attrs, charPos,
                                                        type);
        else if (type == "radio")
            c = std::make_unique<TRadioButtonFormControlObj>(document, currentForm, attrs, charPos);
        else if (type == "checkbox")
            c = std::make_unique<TCheckBoxFormControlObj>(document, currentForm, attrs, charPos);
        else if (type == "hidden")
            c = std::make_unique<THiddenFormControlObj>(document, currentForm, attrs, charPos);
        else if (type == "image")
            c = std::make_unique<TImageFormControlObj>(document, currentForm, attrs, charPos);
        else if (type == "file")
            c = std::make_unique<TFileFormControlObj>(document, currentForm, attrs, charPos);
        else
            c = std::make_unique<TEditFormControlObj>(document, currentForm, attrs, charPos, type);
    }
    return TFormControlObj::Join(std::move(c), attrs);
}

TFormControlList::const_iterator TFormControlList::FirstFrom(int32_t pos) const {
    return std::lower_bound(begin(), end(), pos,
                            [](const TFormControlObj* c, int32_t p) { return c->CharPos < p; });
}

TFormControlObj* TFormControlList::ControlAt(int32_t pos) const {
    auto it = FirstFrom(pos);
    return it != end() && (*it)->CharPos == pos ? *it : nullptr;
}

int32_t TFormControlList::HeightAt(int32_t pos, ObjAlignKind& align) const {
    TFormControlObj* c = ControlAt(pos);
    if (!c)
        return -1;
    align = c->VAlign;
    return c->Height();
}

int32_t TFormControlList::WidthAt(int32_t pos, int32_t& spaceLeft, int32_t& spaceRight) const {
    TFormControlObj* c = ControlAt(pos);
    if (!c)
        return -1;
    spaceLeft = c->SpaceLeft;
    spaceRight = c->SpaceRight;
    return c->Width();
}

int32_t TFormControlList::CharsToNextControl(int32_t pos) const {
    auto it = FirstFrom(pos);
    return it != end() ? (*it)->CharPos - pos : 9999;
}
