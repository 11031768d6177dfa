#pragma once
// The dialog provider of the GUI: FLTK's file chooser, input box, message and choice dialogs.
#include "platform/gui/dialogs.h"

class TFltkDialogs final : public TDialogProvider {
public:
    std::optional<std::string> SelectDirectory(const std::string& caption,
                                               const std::string& initialDir) override;
    std::optional<std::string> OpenFile(const TFileDialogOptions& options) override;
    std::optional<std::string> SaveFile(const TFileDialogOptions& options) override;
    std::optional<std::string> InputQuery(const std::string& caption, const std::string& prompt,
                                          const std::string& initial) override;
    void ShowMessage(const std::string& text, TMsgKind kind) override;
    bool Confirm(const std::string& text) override;
    bool ConfirmOkCancel(const std::string& text) override;
};

// "Icon Files|*.ico|All|*" in the toolkit's notation to FLTK's "Icon Files\t*.ico\nAll\t*".
std::string FltkFilter(const std::string& filter);
