#pragma once
// Form controls in the document: each control of a page is a TFormControlObj that owns a
// headless control of the GUI layer (its widget), knows its form, NAME, VALUE and ONCLICK
// text, takes part in text layout as an inline object, sizes itself and gives its name=value
// pairs when its form is submitted. A ThtmlForm groups the controls of one FORM element.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "html/reader/Attributes.h"
#include "html/reader/IDNameList.h"
#include "html/reader/Symbols.h"

class TCanvas;
class TControl;
class TProperties;
class TSectionList;
class ThtmlForm;

class TFormControlObj : public TIDObject {
public:
    // Common construction: makes the implicit form when the reader has none, joins
    // Document->Controls and the form, copies VALUE, NAME and ONCLICK, registers an ID.
    TFormControlObj(TSectionList* document, ThtmlForm*& currentForm, TAttributeList& attrs,
                    int32_t charPos);
    ~TFormControlObj() override;

    int32_t DocY = 0;
    int32_t CharPos = 0;
    TSectionList* Document;
    ThtmlForm* Form = nullptr;
    std::string Value, Name, ClickText;
    uint8_t VAlign = 4; // 1 top, 2 middle, 3 baseline, 4 bottom
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

    // The widget's size; 0 for controls without one.
    int32_t Width() const;
    int32_t Height() const;
    // Puts the control at a window position for the current paint: moves and shows its
    // widget on the paint panel, or paints its picture when the document has no paint panel.
    void DrawAt(TCanvas& canvas, int32_t x, int32_t y);

protected:
    std::unique_ptr<TControl> widget_;
};

// Makes the control for INPUT (kind from TYPE), SELECT or TEXTAREA. The form owns it.
TFormControlObj* MakeFormControl(TSectionList* document, ThtmlForm*& currentForm, Symbol which,
                                 TAttributeList& attrs, int32_t charPos);

// The controls standing in one text section, in character order (not owned).
class TFormControlList : public std::vector<TFormControlObj*> {
public:
    TFormControlObj* ControlAt(int32_t pos) const;
    int32_t HeightAt(int32_t pos, uint8_t& align) const;
    int32_t WidthAt(int32_t pos, int32_t& spaceLeft, int32_t& spaceRight) const;
    int32_t CharsToNextControl(int32_t pos) const;
};
