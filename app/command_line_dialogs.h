#pragma once
// The dialog provider of `foliobuilder build`: it answers the builder's questions from the
// command-line options, so the build runs the very commands the window's buttons run.
// Messages are kept so the caller can print them where they belong once it knows the outcome
// (standard output for the success message, standard error for the rest); warnings are printed
// to standard error at once.
#include <cstdio>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/gui/dialogs.h"

class TCommandLineDialogs final : public TDialogProvider {
public:
    std::string SourceDir;               // the directory dialog's answer
    std::string Target;                  // the save dialog's answer
    std::optional<std::string> Title;    // "Enter book title:"; nothing: Cancel
    std::optional<std::string> Password; // "Enter password:"; nothing: Cancel
    std::optional<std::string> Icon;     // the open dialog's answer; nothing: Cancel
    bool Force = false;                  // the answer to the overwrite question
    std::FILE* WarningsTo = stderr;

    std::optional<std::string> SelectDirectory(const std::string& caption,
                                               const std::string& initialDir) override;
    std::optional<std::string> OpenFile(const TFileDialogOptions& options) override;
    std::optional<std::string> SaveFile(const TFileDialogOptions& options) override;
    std::optional<std::string> InputQuery(const std::string& caption, const std::string& prompt,
                                          const std::string& initial) override;
    void ShowMessage(const std::string& text, TMsgKind kind = TMsgKind::Information) override;
    bool Confirm(const std::string& text) override;
    // --force answers the overwrite question only; a request for another volume is refused.
    bool ConfirmOkCancel(const std::string&) override { return false; }

    // Messages shown so far, in order (warnings excluded).
    const std::vector<std::string>& Messages() const { return messages_; }
    // Called before a warning is printed (the progress bar clears its line).
    std::function<void()> OnBeforeWarning;

private:
    std::vector<std::string> messages_;
};
