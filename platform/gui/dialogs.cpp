#include "platform/gui/dialogs.h"

#include <atomic>
#include <cstdio>

namespace {

// Headless: no one can answer, so every question is cancelled (a Yes/No question gets No, the
// safe answer), and what would have been shown goes to standard error so it is not lost.
class THeadlessDialogs final : public TDialogProvider {
public:
    std::optional<std::string> SelectDirectory(const std::string&, const std::string&) override {
        return std::nullopt;
    }
    std::optional<std::string> OpenFile(const TFileDialogOptions&) override { return std::nullopt; }
    std::optional<std::string> SaveFile(const TFileDialogOptions&) override { return std::nullopt; }
    std::optional<std::string> InputQuery(const std::string&, const std::string&,
                                          const std::string&) override {
        return std::nullopt;
    }
    void ShowMessage(const std::string& text, TMsgKind kind) override {
        const char* prefix = kind == TMsgKind::Error     ? "Error: "
                             : kind == TMsgKind::Warning ? "Warning: "
                                                         : "";
        std::fprintf(stderr, "%s%s\n", prefix, text.c_str());
    }
    bool Confirm(const std::string& text) override {
        std::fprintf(stderr, "%s (no one to ask: answered No)\n", text.c_str());
        return false;
    }
};

THeadlessDialogs& Headless() {
    static THeadlessDialogs headless;
    return headless;
}

std::atomic<TDialogProvider*> current{nullptr};

} // namespace

TDialogProvider& Dialogs() {
    TDialogProvider* p = current.load();
    return p ? *p : Headless();
}

TDialogProvider* SetDialogProvider(TDialogProvider* provider) {
    TDialogProvider* previous = current.exchange(provider);
    return previous ? previous : &Headless();
}

TDialogProvider& HeadlessDialogs() {
    return Headless();
}
