#pragma once
// Single-line edit box holding UTF-8 text. Text set from code is taken whole; what the user
// types is limited to MaxLength characters (0: no limit). A PasswordChar other than 0 is shown
// for every character.
#include <functional>
#include <string>

#include "platform/gui/control.h"

class TEdit : public TControl {
public:
    TEdit();
    const std::string& Text() const { return text_; }
    void SetText(const std::string& text);
    int MaxLength() const { return maxLength_; }
    void SetMaxLength(int maxLength);
    char PasswordChar() const { return passwordChar_; }
    void SetPasswordChar(char c);
    bool ReadOnly = false;
    // The text as shown: PasswordChar repeated, or the text itself.
    std::string DisplayText() const;

    std::function<void(TControl& sender)> OnChange;

    // The user types text at the end of the box (or the peer reports the whole new text):
    // cut to MaxLength, then OnChange when the text changed. Ignored when ReadOnly.
    void TypeText(const std::string& typed);
    void UserSetText(const std::string& text);

    std::unique_ptr<TControlPeer> MakePeer(TPeerFactory& factory) override;
    void PaintTo(TCanvas& canvas, int x, int y) const override;

private:
    void Store(const std::string& text);

    std::string text_;
    int maxLength_ = 0;
    char passwordChar_ = 0;
};
