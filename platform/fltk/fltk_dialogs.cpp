#include "platform/fltk/fltk_dialogs.h"

#include <FL/Fl.H>
#include <FL/Fl_Native_File_Chooser.H>
#include <FL/fl_ask.H>

#include "platform/base/strings.h"
#include "platform/fltk/fltk_message_box.h"
#include "platform/gui/application.h"

std::string FltkFilter(const std::string& filter) {
    std::string out;
    size_t start = 0;
    int field = 0;
    while (start <= filter.size()) {
        size_t bar = filter.find('|', start);
        std::string part =
            filter.substr(start, bar == std::string::npos ? std::string::npos : bar - start);
        if (field % 2 == 0) {
            if (!out.empty())
                out += '\n';
            out += part;
        } else {
            // Several patterns are separated by ";" in the toolkit's notation, by "," in
            // FLTK's brace lists.
            std::string pats;
            int count = 1;
            for (char c : part) {
                if (c == ';') {
                    pats += ',';
                    ++count;
                } else {
                    pats += c;
                }
            }
            out += '\t';
            out += count > 1 ? "{" + pats + "}" : pats;
        }
        ++field;
        if (bar == std::string::npos)
            break;
        start = bar + 1;
    }
    return out;
}

// The application's title (8-bit) as the dialogs' caption.
static std::string AppTitle() {
    return Application().Title.empty() ? "FolioBuilder" : ValidUtf8(Application().Title);
}

static std::optional<std::string> RunChooser(int type, const std::string& title,
                                             const std::string& filter, const std::string& dir,
                                             const std::string& name) {
    TModalScope modal;
    Fl_Native_File_Chooser chooser(type);
    chooser.title(title.empty() ? AppTitle().c_str() : title.c_str());
    std::string f = FltkFilter(filter);
    if (!f.empty())
        chooser.filter(f.c_str());
    if (!dir.empty())
        chooser.directory(dir.c_str());
    if (!name.empty())
        chooser.preset_file(name.c_str());
    // The save dialog adds no extension and asks before replacing (the caller's business).
    if (chooser.show() != 0 || !chooser.filename() || !*chooser.filename())
        return std::nullopt;
    return std::string(chooser.filename());
}

std::optional<std::string> TFltkDialogs::SelectDirectory(const std::string& caption,
                                                         const std::string& initialDir) {
    return RunChooser(Fl_Native_File_Chooser::BROWSE_DIRECTORY, caption, "", initialDir, "");
}

std::optional<std::string> TFltkDialogs::OpenFile(const TFileDialogOptions& o) {
    return RunChooser(Fl_Native_File_Chooser::BROWSE_FILE, o.Title, o.Filter, o.InitialDir,
                      o.FileName);
}

std::optional<std::string> TFltkDialogs::SaveFile(const TFileDialogOptions& o) {
    // All files are listed: Linux programs carry no extension to filter by.
    return RunChooser(Fl_Native_File_Chooser::BROWSE_SAVE_FILE, o.Title, "", o.InitialDir,
                      o.FileName);
}

std::optional<std::string> TFltkDialogs::InputQuery(const std::string& caption,
                                                    const std::string& prompt,
                                                    const std::string& initial) {
    TModalScope modal;
    fl_message_title(caption.c_str());
    // fl_input's format is printf-like: the prompt goes in as an argument.
    const char* r = fl_input("%s", initial.c_str(), prompt.c_str());
    if (!r)
        return std::nullopt;
    return std::string(r);
}

void TFltkDialogs::ShowMessage(const std::string& text, TMsgKind kind) {
    TModalScope modal;
    RunFltkMessageBox(AppTitle(), text, kind, {"OK"}, 0, 0);
}

bool TFltkDialogs::Confirm(const std::string& text) {
    TModalScope modal;
    // Escape and closing the box answer No.
    return RunFltkMessageBox(AppTitle(), text, TMsgKind::Warning, {"Yes", "No"}, 0, 1) == 0;
}

bool TFltkDialogs::ConfirmOkCancel(const std::string& text) {
    TModalScope modal;
    return RunFltkMessageBox(AppTitle(), text, TMsgKind::Information, {"OK", "Cancel"}, 0, 1) == 0;
}
