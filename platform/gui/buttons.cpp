#include "platform/gui/buttons.h"

#include "platform/graphics/canvas.h"
#include "platform/gui/access_key.h"
#include "platform/gui/peer.h"
#include "platform/gui/window.h"

void TButtonControl::SetCaption(const std::string& caption) {
    caption_ = caption;
    Changed();
}

char TButtonControl::AccessKey() const {
    return ParseAccessKey(caption_).Key;
}

// The caption with its access key underlined, its cell starting at (x, y).
static void DrawCaption(TCanvas& canvas, const TFont& font, const std::string& caption, int x,
                        int y) {
    TAccessKey k = ParseAccessKey(caption);
    canvas.Font = font;
    canvas.Brush.Style = bsClear;
    canvas.TextAlign = taTop;
    canvas.TextOut(x, y, k.Text);
    if (k.Index >= 0) {
        int x0 = x + canvas.TextWidth(std::string_view(k.Text).substr(0, k.Index));
        int x1 = x0 + canvas.TextWidth(std::string_view(k.Text).substr(k.Index, 1));
        int base = y + canvas.TextMetrics().Ascent + 1;
        canvas.Pen.Color = font.Color;
        canvas.Pen.Style = psSolid;
        canvas.Pen.Width = 1;
        canvas.MoveTo(x0, base);
        canvas.LineTo(x1, base);
    }
    canvas.Brush.Style = bsSolid;
}

TButton::TButton() {
    SetBounds(0, 0, 75, 25);
}

void TButton::Click() {
    // The window's result is set before OnClick runs: a handler may free the button (or its
    // window), so nothing of this object is read after it. A handler that must keep a modal
    // window open resets the window's ModalResult.
    if (ModalResult != 0)
        if (TWindow* w = Window())
            w->ModalResult = ModalResult;
    TControl::Click();
}

void TButton::DoKeyDown(int key, TShiftState) {
    if (key == VK_SPACE || key == VK_RETURN)
        Click();
}

std::unique_ptr<TControlPeer> TButton::MakePeer(TPeerFactory& factory) {
    return factory.CreateButton(*this);
}

void TButton::PaintTo(TCanvas& canvas, int x, int y) const {
    TRect r = Bounds(x, y, Width(), Height());
    canvas.Brush.Color = clSilver;
    canvas.Brush.Style = bsSolid;
    canvas.FillRect(r);
    DrawEdge(canvas, r, false);
    canvas.Font = Font;
    TAccessKey k = ParseAccessKey(Caption());
    TSize ext = canvas.TextExtent(k.Text);
    DrawCaption(canvas, Font, Caption(), x + (Width() - ext.cx) / 2, y + (Height() - ext.cy) / 2);
}

void TCheckableButton::SetChecked(bool checked) {
    if (checked == checked_)
        return;
    checked_ = checked;
    Changed();
}

void TCheckableButton::DoKeyDown(int key, TShiftState) {
    if (key == VK_SPACE)
        Click();
}

TCheckBox::TCheckBox() : TCheckableButton(false) {
    SetBounds(0, 0, 97, 17);
}

void TCheckBox::Click() {
    SetChecked(!Checked());
    TControl::Click();
}

std::unique_ptr<TControlPeer> TCheckBox::MakePeer(TPeerFactory& factory) {
    return factory.CreateCheckBox(*this);
}

// The 13 x 13 box or circle and the caption to its right.
static void DrawMark(TCanvas& canvas, int x, int y, int height, bool round, bool checked) {
    int top = y + (height - 13) / 2;
    TRect box = Bounds(x, top, 13, 13);
    canvas.Pen.Color = clGray;
    canvas.Pen.Style = psSolid;
    canvas.Pen.Width = 1;
    canvas.Brush.Color = clWhite;
    canvas.Brush.Style = bsSolid;
    if (round)
        canvas.Ellipse(box);
    else
        canvas.Rectangle(box);
    if (!checked)
        return;
    canvas.Brush.Color = clBlack;
    canvas.Pen.Color = clBlack;
    if (round) {
        canvas.Ellipse(Bounds(x + 4, top + 4, 5, 5));
    } else {
        canvas.MoveTo(x + 3, top + 6);
        canvas.LineTo(x + 5, top + 9);
        canvas.LineTo(x + 10, top + 3);
        canvas.MoveTo(x + 3, top + 7);
        canvas.LineTo(x + 5, top + 10);
        canvas.LineTo(x + 10, top + 4);
    }
}

void TCheckableButton::PaintTo(TCanvas& canvas, int x, int y) const {
    DrawMark(canvas, x, y, Height(), round_mark_, checked_);
    if (!Caption().empty()) {
        canvas.Font = Font;
        DrawCaption(canvas, Font, Caption(), x + 17, y + (Height() - canvas.TextHeight("A")) / 2);
    }
}

TRadioButton::TRadioButton() : TCheckableButton(true) {
    SetBounds(0, 0, 113, 17);
}

void TRadioButton::SetChecked(bool checked) {
    if (checked == Checked())
        return;
    // The others of the group are unchecked before this one reports its change.
    if (checked && Parent())
        for (TControl* c : Parent()->Controls())
            if (auto* r = dynamic_cast<TRadioButton*>(c); r && r != this)
                r->SetChecked(false);
    TCheckableButton::SetChecked(checked);
}

void TRadioButton::Click() {
    SetChecked(true);
    TControl::Click();
}

std::unique_ptr<TControlPeer> TRadioButton::MakePeer(TPeerFactory& factory) {
    return factory.CreateRadioButton(*this);
}
