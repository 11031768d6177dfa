#pragma once
// Form controls in the document: each control of a page is a TFormControlObj that owns a
// headless control of the GUI layer (its widget), knows its form, NAME, VALUE and ONCLICK
// text, takes part in text layout as an inline object, sizes itself and gives its name=value
// pairs when its form is submitted. A ThtmlForm (html_form.h) groups the controls of one FORM
// element; the kinds are declared in form_kinds.h.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "html/doc/obj_align.h"
#include "html/reader/attributes.h"
#include "html/reader/id_name_list.h"
#include "html/reader/symbols.h"
#include "platform/graphics/color.h"

class TCanvas;
class TControl;
class TProperties;
class TSectionList;
class ThtmlForm;

class TFormControlObj : public TIDObject {
public:
    // Common construction: makes the implicit form (method "Get") when the reader has none
    // and copies VALUE, NAME and ONCLICK. The control joins Document->Controls, the form and
    // the named positions only through Join (MakeFormControl does both), so a construction
    // that fails half-way leaves no pointer to a dead control behind.
    TFormControlObj(TSectionList* document, ThtmlForm*& currentForm, TAttributeList& attrs,
                    int32_t charPos);
    ~TFormControlObj() override;
    TFormControlObj(const TFormControlObj&) = delete;
    TFormControlObj& operator=(const TFormControlObj&) = delete;

    int32_t DocY = 0;
    int32_t CharPos = 0;
    TSectionList* Document;
    ThtmlForm* Form = nullptr;
    std::string Value, Name, ClickText;
    ObjAlignKind VAlign = oaBottom; // top, middle, baseline or bottom
    int32_t SpaceLeft = 0, SpaceRight = 0;
    int32_t StyleHeight = 0, StyleWidth = 0;
    bool Shown = false;

    int32_t YPosition() override { return VerticalPosition(); }
    virtual int32_t VerticalPosition() { return DocY; }
    // The widget that takes focus and clicks; none for hidden fields and image buttons.
    virtual TControl* FocusWidget();
    virtual void ApplyStyle(const TProperties& props);
    // Paints a picture of the control (headless output).
    virtual void PrintPicture(TCanvas& canvas, int32_t x, int32_t y);
    virtual void Restore() {}
    virtual bool SubmitPair(int index, std::string& text);
    virtual void FitSize(TCanvas& canvas);
    // The user's click on the control (its widget calls it; the viewer calls it for an image
    // button). The base raises the object-click event.
    virtual void Click();
    // A hidden field: no widget, not counted among the visible controls.
    virtual bool IsHidden() const { return false; }
    // What the layout dump says about the control: its kind and what else sizes it.
    virtual std::string DumpKind() const;
    // Called by DrawAt before the widget is placed, with the colour behind the control (a
    // radio button's frame takes it).
    virtual void PrepareDraw(TColor /*background*/) {}

    // The widget's size; 0 for controls without one.
    int32_t Width() const;
    int32_t Height() const;
    // The positioned widget: the one to move, show and hide. For a radio button it is the
    // frame panel, while FocusWidget is the button inside it.
    TControl* Widget() const { return widget_.get(); }
    // Puts the control at a window position for the current paint: moves and shows its
    // widget on the paint panel, or paints its picture when the document has no paint panel.
    // background: the colour behind the control (NoColor: the document's); a radio button's
    // frame panel takes it.
    void DrawAt(TCanvas& canvas, int32_t x, int32_t y, TColor background = NoColor);

    // Enters the control in Document->Controls, the named positions (ID) and its form, which
    // takes ownership. Returns the control.
    static TFormControlObj* Join(std::unique_ptr<TFormControlObj> control, TAttributeList& attrs);

    // The object-click event with ClickText (raised only when the document has a handler).
    void RaiseObjectClick();

protected:
    // Takes the widget, parents it on the paint panel (when there is one), puts it out of
    // sight and connects the enter, exit and click handlers.
    void SetWidget(std::unique_ptr<TControl> widget);
    // Connects the handlers of a widget inside the control's own widget (a radio button in
    // its panel).
    void Connect(TControl& widget);
    // The font of text controls: the document's preformatted font at 10 points.
    void UsePreFont(TControl& widget) const;
    // Width and height of "A" in a font on the canvas.
    static void MeasureA(TCanvas& canvas, const TControl& widget, int32_t& width, int32_t& height);
    // Cleared by the destructor: a click handler that may have freed the control checks it.
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);

private:
    void Entered();
    std::unique_ptr<TControl> widget_;
};

// Makes the control for INPUT (kind from TYPE), SELECT or TEXTAREA and joins it to its form,
// which owns it. currentForm is the reader's open form (made here when there is none).
TFormControlObj* MakeFormControl(TSectionList* document, ThtmlForm*& currentForm, Symbol which,
                                 TAttributeList& attrs, int32_t charPos);

// The controls standing in one text section, in character order (not owned).
class TFormControlList : public std::vector<TFormControlObj*> {
public:
    TFormControlObj* ControlAt(int32_t pos) const;
    int32_t HeightAt(int32_t pos, ObjAlignKind& align) const;
    int32_t WidthAt(int32_t pos, int32_t& spaceLeft, int32_t& spaceRight) const;
    int32_t CharsToNextControl(int32_t pos) const;

private:
    // The first control at or after pos.
    const_iterator FirstFrom(int32_t pos) const;
};
