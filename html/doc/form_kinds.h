#pragma once
// The kinds of form control: one class per widget the GUI layer offers, plus hidden fields
// and image buttons, which have no widget.
#include <cstdint>
#include <string>
#include <vector>

#include "html/doc/form_control.h"

class TButton;
class TCheckBox;
class TComboBox;
class TEdit;
class TImageObj;
class TListBox;
class TMemo;
class TPanel;
class TRadioButton;

// INPUT TYPE text or password, and INPUT of no or an unknown TYPE.
class TEditFormControlObj : public TFormControlObj {
public:
    TEditFormControlObj(TSectionList* document, ThtmlForm*& currentForm, TAttributeList& attrs,
                        int32_t charPos, const std::string& type);
    ~TEditFormControlObj() override;
    int32_t Chars = 20;
    TEdit& Edit() const { return *edit_; }
    void Restore() override;
    bool SubmitPair(int index, std::string& text) override;
    void FitSize(TCanvas& canvas) override;
    std::string DumpKind() const override;

protected:
    // For a kind that shows the edit box inside a widget of its own: the box is made and
    // kept in ownEdit_, not made the control's widget.
    struct TInFrame {};
    TEditFormControlObj(TSectionList* document, ThtmlForm*& currentForm, TAttributeList& attrs,
                        int32_t charPos, const std::string& type, TInFrame);
    std::unique_ptr<TEdit> ownEdit_;
    TEdit* edit_;
};

// INPUT TYPE file: an edit box for a file name and a Browse button beside it, which opens the
// open-file dialog and puts the chosen path in the box. Both stand in a borderless panel (the
// control's widget), so the control is as wide as the two together; the box is submitted and
// reset like a text field.
class TFileFormControlObj : public TEditFormControlObj {
public:
    TFileFormControlObj(TSectionList* document, ThtmlForm*& currentForm, TAttributeList& attrs,
                        int32_t charPos);
    ~TFileFormControlObj() override;
    TButton& BrowseButton() const { return *browse_; }
    TPanel& Frame() const { return *frame_; }
    TControl* FocusWidget() override;
    void FitSize(TCanvas& canvas) override;
    void PrepareDraw(TColor background) override;
    std::string DumpKind() const override;
    // The Browse button's click: the object-click event, then the dialog.
    void Browse();

    // The room between the box and the button.
    static constexpr int32_t Gap = 4;

private:
    TPanel* frame_;
    std::unique_ptr<TButton> browse_;
};

// INPUT TYPE submit, reset or button.
class TButtonFormControlObj : public TFormControlObj {
public:
    TButtonFormControlObj(TSectionList* document, ThtmlForm*& currentForm, TAttributeList& attrs,
                          int32_t charPos, const std::string& type);
    int Role = 2; // 0 submit, 1 reset, 2 button
    TButton& Button() const { return *button_; }
    void FitSize(TCanvas& canvas) override;
    void Click() override;
    std::string DumpKind() const override { return "button"; }

private:
    TButton* button_;
};

class TCheckBoxFormControlObj : public TFormControlObj {
public:
    TCheckBoxFormControlObj(TSectionList* document, ThtmlForm*& currentForm, TAttributeList& attrs,
                            int32_t charPos);
    bool InitiallyChecked = false;
    TCheckBox& CheckBox() const { return *box_; }
    bool Checked() const;
    void Restore() override;
    bool SubmitPair(int index, std::string& text) override;
    std::string DumpKind() const override { return "checkbox"; }

private:
    TCheckBox* box_;
};

// The radio button sits alone in a borderless panel, so the GUI layer does not group the
// radio buttons of a page by their common parent; the form groups them by NAME.
class TRadioButtonFormControlObj : public TFormControlObj {
public:
    TRadioButtonFormControlObj(TSectionList* document, ThtmlForm*& currentForm,
                               TAttributeList& attrs, int32_t charPos);
    ~TRadioButtonFormControlObj() override;
    bool InitiallyChecked = false;
    TRadioButton& Radio() const { return *radio_; }
    TPanel& Frame() const { return *frame_; }
    bool Checked() const;
    void SetChecked(bool checked);
    TControl* FocusWidget() override;
    void PrepareDraw(TColor background) override;
    void Restore() override;
    bool SubmitPair(int index, std::string& text) override;
    void Click() override;
    std::string DumpKind() const override { return "radio"; }

private:
    TPanel* frame_;
    std::unique_ptr<TRadioButton> radio_;
};

class THiddenFormControlObj : public TFormControlObj {
public:
    using TFormControlObj::TFormControlObj;
    bool IsHidden() const override { return true; }
    bool SubmitPair(int index, std::string& text) override;
};

// INPUT TYPE image: shown by its Picture (the text section makes the TImageObj and links the
// two); a click submits the form with the click position.
class TImageFormControlObj : public TFormControlObj {
public:
    TImageFormControlObj(TSectionList* document, ThtmlForm*& currentForm, TAttributeList& attrs,
                         int32_t charPos);
    TImageObj* Picture = nullptr;
    int32_t ClickX = -1, ClickY = 0; // the last click; ClickX -1 when none
    int32_t HoverX = 0, HoverY = 0;  // the point under the mouse, set by hit testing
    void ApplyStyle(const TProperties& props) override;
    bool SubmitPair(int index, std::string& text) override;
    void Click() override;
};

// One OPTION of a SELECT.
struct TOptionObj {
    std::string Text;  // the caption
    std::string Value; // the VALUE attribute, may be empty
    bool Selected = false;
};

// SELECT with MULTIPLE or a SIZE above 1.
class TListBoxFormControlObj : public TFormControlObj {
public:
    TListBoxFormControlObj(TSectionList* document, ThtmlForm*& currentForm, TAttributeList& attrs,
                           int32_t charPos);
    int32_t VisibleRows = -1; // -1 until sized
    int32_t WidestOption = 3; // the longest option text in characters
    std::vector<TOptionObj> Options;
    // The option reader adds each OPTION in order.
    virtual void AddOption(const std::string& text, const std::string& value, bool selected);
    TListBox& ListBox() const { return *list_; }
    void Restore() override;
    bool SubmitPair(int index, std::string& text) override;
    void FitSize(TCanvas& canvas) override;
    std::string DumpKind() const override;

protected:
    // For the drop-down list, which replaces the widget.
    struct TNoWidget {};
    TListBoxFormControlObj(TSectionList* document, ThtmlForm*& currentForm, TAttributeList& attrs,
                           int32_t charPos, TNoWidget);
    // Whether option i is the selected item (single) or a selected one (multiple).
    virtual bool ItemSelected(int i) const;

private:
    TListBox* list_ = nullptr;
};

// Any other SELECT: a drop-down list that cannot be typed into.
class TComboFormControlObj : public TListBoxFormControlObj {
public:
    TComboFormControlObj(TSectionList* document, ThtmlForm*& currentForm, TAttributeList& attrs,
                         int32_t charPos);
    TComboBox& ComboBox() const { return *combo_; }
    void AddOption(const std::string& text, const std::string& value, bool selected) override;
    void Restore() override;
    void FitSize(TCanvas& canvas) override;
    std::string DumpKind() const override;

protected:
    bool ItemSelected(int i) const override;

private:
    TComboBox* combo_;
};

class TTextAreaFormControlObj : public TFormControlObj {
public:
    TTextAreaFormControlObj(TSectionList* document, ThtmlForm*& currentForm, TAttributeList& attrs,
                            int32_t charPos);
    int32_t Rows = 5, Cols = 30;
    std::vector<std::string> InitialLines;
    // The reader adds the initial text line by line.
    void AddLine(const std::string& text);
    TMemo& Memo() const;
    void Restore() override;
    bool SubmitPair(int index, std::string& text) override;
    void FitSize(TCanvas& canvas) override;
    void PrepareDraw(TColor background) override;
    std::string DumpKind() const override;

private:
    // The widget takes the lines the reader added in one step when it is next used: adding
    // them one by one would copy the growing text every time.
    void SyncLines() const;
    TMemo* memo_;
    mutable bool linesPending_ = false;
    // The scroll bars the memo needed for its initial text when last sized (for the dump).
    bool fitVertical_ = false, fitHorizontal_ = false;
};
