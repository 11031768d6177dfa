#include "app/command_line_dialogs.h"

std::optional<std::string> TCommandLineDialogs::SelectDirectory(const std::string&,
                                                                const std::string&) {
    return SourceDir;
}

std::optional<std::string> TCommandLineDialogs::OpenFile(const TFileDialogOptions&) {
    return Icon;
}

std::optional<std::string> TCommandLineDialogs::SaveFile(const TFileDialogOptions&) {
    return Target;
}

std::optional<std::string>
TCommandLineDialogs::InputQuery(const std::string&, const std::string& prompt, const std::string&) {
    if (prompt == "Enter book title:") {
        return Title;
    }
    if (prompt == "Enter password:") {
        return Password;
    }
    return std::nullopt;
}

void TCommandLineDialogs::ShowMessage(const std::string& text, TMsgKind kind) {
    if (kind == TMsgKind::Warning) {
        if (OnBeforeWarning) {
            OnBeforeWarning();
        }
        std::fprintf(WarningsTo, "foliobuilder: warning: %s\n", text.c_str());
        return;
    }
    messages_.push_back(text);
}

bool TCommandLineDialogs::Confirm(const std::string&) {
    return Force;
}
