// The INPUT kinds: edit box, file name with its Browse button, button, check box, radio button,
// hidden field, image button.
#include <algorithm>
#include <optional>

#include "html/doc/form_kinds.h"
#include "html/doc/html_form.h"
#include "html/doc/image_obj.h"
#include "html/doc/section_list.h"
#include "html/style/properties.h"
#include "platform/base/strings.h"
#include "platform/graphics/canvas.h"
#include "platform/gui/access_key.h"
#include "platform/gui/buttons.h"
#include "platform/gui/dialogs.h"
#include "platform/gui/edit.h"
#include "platform/gui/panel.h"

namespace {

// A panel that only holds controls: clicks and focus are theirs, not the panel's.
void HandOverToChildren(TPanel& frame) {
    frame.OnClick = nullptr;
    frame.OnEnter = nullptr;
    frame.OnExit = nullptr;
    frame.TabStop = false;
}
// A SIZE beyond this many characters is taken as this many: the box stays within what a
// window can show and its width cannot overflow.
constexpr int32_t MaxChars = 4096;

// The edit box's width in characters from SIZE: a positive number, else the number before
// the first space or comma when that stands past the first character ("30,2" is 30), else 20.
int32_t CharsFromSize(const TAttribute& size) {
    if (size.Value > 0)
        return std::min(size.Value, MaxChars);
    std::string::size_type cut = size.Str.find_first_of(" ,");
    if (cut == std::string::npos || cut == 0)
        return 20;
    int32_t n = 0;
    if (!TryStrToInt(size.Str.substr(0, cut), n) || n <= 0)
        return 20;
    return std::min(n, MaxChars);
}
} // namespace

// ---- edit box ----

TEditFormControlObj::TEditFormControlObj(TSectionList* document, ThtmlForm*& currentForm,
                                         TAttributeList& attrs, int32_t charPos,
                                         const std::string& type, TInFrame)
    : TFormControlObj(document, currentForm, attrs, charPos) {
    if (const TAttribute* size = attrs.Find(SizeSym))
        Chars = CharsFromSize(*size);
    ownEdit_ = std::make_unique<TEdit>();
    edit_ = ownEdit_.get();
    UsePreFont(*edit_);
    edit_->SetBounds(0, 0, 120, 20);
    edit_->SetText(Value);
    if (const TAttribute* max = attrs.Find(MaxLengthSym); max && max->Value > 0)
        edit_->SetMaxLength(max->Value);
    if (type == "password")
        edit_->SetPasswordChar('*');
    edit_->OnKeyDown = [this](TControl&, int& key, TShiftState) { Form->EditKeyDown(this, key); };
}

TEditFormControlObj::TEditFormControlObj(TSectionList* document, ThtmlForm*& currentForm,
                                         TAttributeList& attrs, int32_t charPos,
                                         const std::string& type)
    : TEditFormControlObj(document, currentForm, attrs, charPos, type, TInFrame{}) {
    SetWidget(std::move(ownEdit_));
}

TEditFormControlObj::~TEditFormControlObj() = default;

void TEditFormControlObj::Restore() {
    edit_->SetText(Value);
}

bool TEditFormControlObj::SubmitPair(int index, std::string& text) {
    if (index != 0)
        return false;
    text = Name + "=" + edit_->Text();
    return true;
}

void TEditFormControlObj::FitSize(TCanvas& canvas) {
    int32_t aw, ah;
    MeasureA(canvas, *edit_, aw, ah);
    int32_t w = StyleWidth >= 10 ? StyleWidth : aw * Chars + 5;
    edit_->SetBounds(edit_->Left(), edit_->Top(), w, std::max(edit_->Height(), StyleHeight));
}

std::string TEditFormControlObj::DumpKind() const {
    return (edit_->PasswordChar() ? "password chars=" : "edit chars=") + IntToStr(Chars);
}

// ---- file name with its Browse button ----

TFileFormControlObj::TFileFormControlObj(TSectionList* document, ThtmlForm*& currentForm,
                                         TAttributeList& attrs, int32_t charPos)
    : TEditFormControlObj(document, currentForm, attrs, charPos, "file", TInFrame{}) {
    auto frame = std::make_unique<TPanel>();
    frame_ = frame.get();
    frame_->SetBevels(TBevelCut::bvNone, TBevelCut::bvNone, 0);
    frame_->Color = Document->Background;
    frame_->SetBounds(0, 0, edit_->Width() + Gap + 75, edit_->Height());
    edit_->SetParent(frame_);
    Connect(*edit_);
    browse_ = std::make_unique<TButton>();
    browse_->SetCaption("Browse...");
    browse_->SetBounds(edit_->Width() + Gap, 0, 75, edit_->Height());
    browse_->SetParent(frame_);
    Connect(*browse_);
    browse_->OnClick = [this](TControl&) { Browse(); };
    SetWidget(std::move(frame));
    HandOverToChildren(*frame_); // the panel only holds the two
}

TFileFormControlObj::~TFileFormControlObj() {
    // Out of the panel before the panel goes.
    browse_.reset();
    ownEdit_.reset();
}

TControl* TFileFormControlObj::FocusWidget() {
    return edit_;
}

void TFileFormControlObj::FitSize(TCanvas& canvas) {
    int32_t aw, ah;
    MeasureA(canvas, *edit_, aw, ah);
    // The button is sized as a push button with its caption; both stand as high as the taller.
    TFont saved = canvas.Font;
    canvas.Font = browse_->Font;
    int32_t bh = canvas.TextHeight("A") + 8;
    int32_t bw = canvas.TextWidth(ParseAccessKey(browse_->Caption()).Text) + 20;
    canvas.Font = saved;
    int32_t h = std::max({int32_t{20}, bh, StyleHeight});
    int32_t w = aw * Chars + 5;
    // A style width is the whole control's: the box takes what the button leaves.
    if (StyleWidth >= 10)
        w = std::max<int32_t>(StyleWidth - Gap - bw, 10);
    edit_->SetBounds(0, 0, w, h);
    browse_->SetBounds(w + Gap, 0, bw, h);
    frame_->SetBounds(frame_->Left(), frame_->Top(), w + Gap + bw, h);
}

void TFileFormControlObj::PrepareDraw(TColor background) {
    frame_->Color = background;
    edit_->Show();
    browse_->Show();
}

std::string TFileFormControlObj::DumpKind() const {
    return "file chars=" + IntToStr(Chars) + " box=" + IntToStr(edit_->Width()) +
           " button=" + IntToStr(browse_->Width());
}

void TFileFormControlObj::Browse() {
    auto alive = alive_;
    RaiseObjectClick();
    if (!*alive) // the click handler freed the document
        return;
    TFileDialogOptions options;
    options.Title = "Choose File";
    options.Filter = "All files|*";
    const std::string current = edit_->Text();
    if (!current.empty()) {
        const std::string::size_type slash = current.rfind('/');
        if (slash != std::string::npos) {
            options.InitialDir = current.substr(0, slash + 1);
            options.FileName = current.substr(slash + 1);
        } else {
            options.FileName = current;
        }
    }
    std::optional<std::string> chosen = Dialogs().OpenFile(options);
    // The dialog ran the event loop: the page may have gone meanwhile.
    if (!*alive || !chosen)
        return;
    edit_->SetText(*chosen);
}

// ---- button ----

TButtonFormControlObj::TButtonFormControlObj(TSectionList* document, ThtmlForm*& currentForm,
                                             TAttributeList& attrs, int32_t charPos,
                                             const std::string& type)
    : TFormControlObj(document, currentForm, attrs, charPos) {
    std::string caption;
    if (type == "submit") {
        Role = 0;
        caption = "Submit";
    } else if (type == "reset") {
        Role = 1;
        caption = "Reset";
    } else {
        Role = 2;
        caption = "Button";
    }
    if (!Value.empty())
        caption = Value;
    auto button = std::make_unique<TButton>();
    button_ = button.get();
    button_->SetCaption(caption);
    SetWidget(std::move(button));
}

void TButtonFormControlObj::FitSize(TCanvas& canvas) {
    int32_t aw, ah;
    MeasureA(canvas, *button_, aw, ah);
    int32_t h = StyleHeight < ah ? ah + 8 : StyleHeight;
    int32_t w = StyleWidth;
    if (StyleWidth < 10) {
        // The caption as shown: the access-key mark takes no room.
        TFont saved = canvas.Font;
        canvas.Font = button_->Font;
        w = canvas.TextWidth(ParseAccessKey(button_->Caption()).Text) + 20;
        canvas.Font = saved;
    }
    button_->SetBounds(button_->Left(), button_->Top(), w, h);
}

void TButtonFormControlObj::Click() {
    auto alive = alive_;
    RaiseObjectClick();
    if (!*alive) // the click handler freed the document
        return;
    switch (Role) {
    case 1:
        Form->RestoreAll();
        break;
    case 0:
        Form->Submit(Name.empty() ? std::string() : Name + "=" + Value);
        break;
    default:
        break;
    }
}

// ---- check box ----

TCheckBoxFormControlObj::TCheckBoxFormControlObj(TSectionList* document, ThtmlForm*& currentForm,
                                                 TAttributeList& attrs, int32_t charPos)
    : TFormControlObj(document, currentForm, attrs, charPos) {
    if (Value.empty())
        Value = "on";
    VAlign = oaBaseline;
    InitiallyChecked = attrs.Find(CheckedSym) != nullptr;
    auto box = std::make_unique<TCheckBox>();
    box_ = box.get();
    box_->SetBounds(0, 0, 13, 13);
    box_->SetChecked(InitiallyChecked);
    SetWidget(std::move(box));
}

bool TCheckBoxFormControlObj::Checked() const {
    return box_->Checked();
}

void TCheckBoxFormControlObj::Restore() {
    box_->SetChecked(InitiallyChecked);
}

bool TCheckBoxFormControlObj::SubmitPair(int index, std::string& text) {
    if (index != 0)
        return false;
    if (box_->Checked())
        text = Name + "=" + Value;
    return true;
}

// ---- radio button ----

TRadioButtonFormControlObj::TRadioButtonFormControlObj(TSectionList* document,
                                                       ThtmlForm*& currentForm,
                                                       TAttributeList& attrs, int32_t charPos)
    : TFormControlObj(document, currentForm, attrs, charPos) {
    VAlign = oaBaseline;
    InitiallyChecked = attrs.Find(CheckedSym) != nullptr;
    auto frame = std::make_unique<TPanel>();
    frame_ = frame.get();
    frame_->SetBevels(TBevelCut::bvNone, TBevelCut::bvNone, 0);
    frame_->SetBounds(0, 0, 13, 14);
    frame_->Color = Document->Background;
    radio_ = std::make_unique<TRadioButton>();
    radio_->SetBounds(0, 0, 13, 14);
    radio_->SetParent(frame_);
    radio_->SetChecked(InitiallyChecked);
    Connect(*radio_);
    SetWidget(std::move(frame));
    HandOverToChildren(*frame_); // the frame only holds the button
}

TRadioButtonFormControlObj::~TRadioButtonFormControlObj() {
    radio_.reset(); // out of its frame before the frame goes
}

bool TRadioButtonFormControlObj::Checked() const {
    return radio_->Checked();
}

void TRadioButtonFormControlObj::SetChecked(bool checked) {
    radio_->SetChecked(checked);
}

TControl* TRadioButtonFormControlObj::FocusWidget() {
    return radio_.get();
}

void TRadioButtonFormControlObj::PrepareDraw(TColor background) {
    frame_->Color = background;
    // Whatever hid or moved the button inside its frame, it fills the frame when drawn.
    radio_->SetBounds(0, 0, frame_->Width(), frame_->Height());
    radio_->Show();
}

void TRadioButtonFormControlObj::Restore() {
    radio_->SetChecked(InitiallyChecked);
}

bool TRadioButtonFormControlObj::SubmitPair(int index, std::string& text) {
    if (index != 0)
        return false;
    if (radio_->Checked())
        text = Name + "=" + Value;
    return true;
}

void TRadioButtonFormControlObj::Click() {
    Form->UncheckSiblings(this);
    RaiseObjectClick();
}

// ---- hidden field ----

bool THiddenFormControlObj::SubmitPair(int index, std::string& text) {
    if (index != 0)
        return false;
    text = Name + "=" + Value;
    return true;
}

// ---- image button ----

TImageFormControlObj::TImageFormControlObj(TSectionList* document, ThtmlForm*& currentForm,
                                           TAttributeList& attrs, int32_t charPos)
    : TFormControlObj(document, currentForm, attrs, charPos) {}

void TImageFormControlObj::ApplyStyle(const TProperties& props) {
    TFormControlObj::ApplyStyle(props);
    if (!Picture)
        return;
    if (StyleHeight > 0)
        Picture->SpecHeight = StyleHeight;
    if (StyleWidth > 0)
        Picture->SpecWidth = StyleWidth;
    // Only an alignment the style gives replaces the picture's own: the INPUT's ALIGN
    // attribute (left, right, middle...) would otherwise be lost to the default bottom.
    AlignKind align;
    if (props.GetVertAlign(align) && align >= akTop && align <= akBottom)
        Picture->ObjAlign = VAlign;
}

bool TImageFormControlObj::SubmitPair(int index, std::string& text) {
    if (ClickX < 0 || index > 1)
        return false;
    std::string prefix = Name.empty() ? std::string() : Name + ".";
    if (index == 0) {
        text = prefix + "x=" + IntToStr(ClickX);
    } else {
        text = prefix + "y=" + IntToStr(ClickY);
        ClickX = -1;
    }
    return true;
}

void TImageFormControlObj::Click() {
    auto alive = alive_;
    RaiseObjectClick();
    if (!*alive)
        return;
    ClickX = HoverX;
    ClickY = HoverY;
    Form->Submit(std::string());
}
