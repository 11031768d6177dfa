#pragma once
// Every dialog the system shows goes through one provider: FLTK dialogs in the GUI, scripted
// answers in tests (scripted_dialogs.h), and none on the command line. Text is UTF-8 here:
// dialogs are an edge of the system.
#include <optional>
#include <string>

struct TFileDialogOptions {
    std::string Title;
    std::string Filter; // "Description|*.ext" pairs separated by "|", as the toolkit writes them
    std::string InitialDir; // empty: the current directory
    std::string FileName;   // proposed name
    std::string DefaultExt; // without the dot; unused on Linux (no extensions are added)
};

enum class TMsgKind { Information, Error, Warning };

class TDialogProvider {
public:
    virtual ~TDialogProvider() = default;
    // The chosen directory, or nothing when cancelled.
    virtual std::optional<std::string> SelectDirectory(const std::string& caption,
                                                       const std::string& initialDir) = 0;
    virtual std::optional<std::string> OpenFile(const TFileDialogOptions& options) = 0;
    virtual std::optional<std::string> SaveFile(const TFileDialogOptions& options) = 0;
    // One-line input box: the entered text on OK (possibly empty), nothing on Cancel.
    virtual std::optional<std::string> InputQuery(const std::string& caption,
                                                  const std::string& prompt,
                                                  const std::string& initial) = 0;
    // Plain message box with the application's title as its caption.
    virtual void ShowMessage(const std::string& text, TMsgKind kind = TMsgKind::Information) = 0;
    // Yes/No confirmation; true for Yes.
    virtual bool Confirm(const std::string& text) = 0;
    // Information box with OK and Cancel; true for OK. Providers without such a box ask the
    // Yes/No question instead (Yes standing for OK).
    virtual bool ConfirmOkCancel(const std::string& text) { return Confirm(text); }
};

// The provider in use; defaults to one that cancels every dialog and writes messages to
// standard error (the headless behaviour).
TDialogProvider& Dialogs();
// Installs a provider (not owned) and returns the previous one; nullptr restores the default.
TDialogProvider* SetDialogProvider(TDialogProvider* provider);

// The provider that cancels every dialog and writes messages to standard error.
TDialogProvider& HeadlessDialogs();

// Installs a provider for the lifetime of a scope (tests, the GUI's main) and restores the
// previous one after.
class TDialogProviderScope {
public:
    explicit TDialogProviderScope(TDialogProvider& provider)
        : previous_(SetDialogProvider(&provider)) {}
    ~TDialogProviderScope() { SetDialogProvider(previous_); }
    TDialogProviderScope(const TDialogProviderScope&) = delete;
    TDialogProviderScope& operator=(const TDialogProviderScope&) = delete;

private:
    TDialogProvider* previous_;
};
