#pragma once
// Push button, check box and radio button. Their captions mark the access key with "&"
// (access_key.h). Setting Checked from code changes the state without firing OnClick; only
// the user's click (Click / Activate) fires it, so resetting a form raises no click events.
#include <string>

#include "platform/gui/control.h"

class TButtonControl : public TControl {
public:
    const std::string& Caption() const { return caption_; }
    void SetCaption(const std::string& caption);
    char AccessKey() const override;

private:
    std::string caption_;
};

class TButton : public TButtonControl {
public:
    TButton();
    // Closing result for a modal window: a click sets the window's ModalResult.
    int ModalResult = 0;
    void Click() override;
    std::unique_ptr<TControlPeer> MakePeer(TPeerFactory& factory) override;
    void PaintTo(TCanvas& canvas, int x, int y) const override;

protected:
    void DoKeyDown(int key, TShiftState shift) override; // Space and Enter press it
};

// A button with a checked state drawn as a mark left of its caption; Space clicks it.
class TCheckableButton : public TButtonControl {
public:
    bool Checked() const { return checked_; }
    virtual void SetChecked(bool checked);
    void PaintTo(TCanvas& canvas, int x, int y) const override;

protected:
    explicit TCheckableButton(bool roundMark) : round_mark_(roundMark) {}
    void DoKeyDown(int key, TShiftState shift) override;

private:
    bool checked_ = false;
    bool round_mark_;
};

class TCheckBox : public TCheckableButton {
public:
    TCheckBox();
    // The user's click toggles the box, then fires OnClick.
    void Click() override;
    std::unique_ptr<TControlPeer> MakePeer(TPeerFactory& factory) override;
};

// Radio buttons with the same parent form one group: checking one unchecks the others.
class TRadioButton : public TCheckableButton {
public:
    TRadioButton();
    void SetChecked(bool checked) override;
    // The user's click checks the button (unchecking its group), then fires OnClick.
    void Click() override;
    std::unique_ptr<TControlPeer> MakePeer(TPeerFactory& factory) override;
};
