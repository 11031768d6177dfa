#include "bookreader/reader_password.h"

#include "bookreader/password_store.h"
#include "bookreader/site_book.h"
#include "platform/base/files.h"
#include "platform/base/strings.h"
#include "platform/graphics/canvas.h"

namespace {
constexpr int kWidth = 340, kHeight = 150;
constexpr int kButtonWidth = 80, kButtonHeight = 26;
// Longer names are cut, so the dialog's line and title bar still show the rest.
constexpr size_t kMaxShownName = 40;
} // namespace

std::string BookDisplayName(const TSiteBook& book) {
    std::string name =
        book.Config().Caption.empty() ? ExtractFileName(book.Path()) : book.Config().Caption;
    std::u32string chars = Utf8ToU32(name);
    for (char32_t& c : chars)
        if (c < 0x20 || c == 0x7F)
            c = ' '; // a name never breaks the dialog's lines
    if (chars.size() > kMaxShownName) {
        chars.resize(kMaxShownName - 3);
        chars += U"...";
    }
    return U32ToUtf8(chars);
}

TReaderPasswordDialog::TReaderPasswordDialog() {
    SetCaption("Book password");
    SetBounds(200, 200, kWidth, kHeight);
    Prompt.SetParent(this);
    Prompt.SetBounds(12, 10, kWidth - 24, 50);
    Prompt.OnPaint = [this](TPaintBox& box, TCanvas& canvas, const TRect&) {
        box.PaintLabelGround(canvas);
        int y = 2;
        size_t start = 0;
        while (start <= message_.size()) {
            const size_t end = message_.find('\n', start);
            const std::string line =
                message_.substr(start, end == std::string::npos ? std::string::npos : end - start);
            canvas.TextOut(0, y, line);
            y += canvas.TextHeight("Xg") + 2;
            if (end == std::string::npos)
                break;
            start = end + 1;
        }
    };
    Answer.SetParent(this);
    Answer.SetBounds(12, 64, kWidth - 24, 24);
    Answer.SetPasswordChar('*');
    Answer.OnKeyDown = [this](TControl&, int& key, TShiftState) {
        if (key == VK_RETURN) {
            key = 0;
            ModalResult = mrOk;
        } else if (key == VK_ESCAPE) {
            key = 0;
            ModalResult = mrCancel;
        }
    };
    OkButton.SetParent(this);
    OkButton.SetCaption("OK");
    OkButton.ModalResult = mrOk;
    OkButton.SetBounds(kWidth - 2 * kButtonWidth - 20, kHeight - kButtonHeight - 12, kButtonWidth,
                       kButtonHeight);
    CancelButton.SetParent(this);
    CancelButton.SetCaption("Cancel");
    CancelButton.ModalResult = mrCancel;
    CancelButton.SetBounds(kWidth - kButtonWidth - 12, kHeight - kButtonHeight - 12, kButtonWidth,
                           kButtonHeight);
}

std::optional<std::string> TReaderPasswordDialog::Ask(const std::string& message) {
    message_ = message;
    Answer.SetText({});
    Prompt.Invalidate();
    SetActiveControl(&Answer);
    // The box takes the keyboard as soon as the dialog shows.
    OnShow = [this](TControl&) { Answer.SetFocus(); };
    if (ShowModal() != mrOk)
        return std::nullopt;
    return Answer.Text();
}

TPasswordOutcome CheckPasswordInWindow(const TSiteBook& book, const TPasswordStore* store,
                                       const TPasswordAsker& ask) {
    if (!book.HasPassword())
        return TPasswordOutcome::poOpen;
    const std::string& password = book.Config().Password;
    const std::string key = TPasswordStore::BookKey(book.Path());
    if (store && store->Remembers(key, password))
        return TPasswordOutcome::poOpen;
    const std::string name = "\"" + BookDisplayName(book) + "\"";
    std::string message = name + " is protected by a password.\nPassword:";
    for (int tries = kPasswordTries; tries > 0; --tries) {
        const std::optional<std::string> answer = ask(message);
        if (!answer)
            return TPasswordOutcome::poCancelled;
        // Answers come in UTF-8. Builders before Unicode stored a password typed with
        // accents in Windows-1252, so that spelling of the answer counts too when it holds
        // the same characters.
        const std::string legacy = FromUtf8(*answer);
        if (*answer == password || (ToUtf8(legacy) == *answer && legacy == password)) {
            if (store)
                store->Remember(key, password);
            return TPasswordOutcome::poOpen;
        }
        message =
            "Wrong password for " + name + ". " +
            (tries - 1 == 1 ? std::string("One try left.") : IntToStr(tries - 1) + " tries left.") +
            "\nPassword:";
    }
    return TPasswordOutcome::poRefused;
}

TPasswordOutcome AskBookPassword(const TSiteBook& book, const TPasswordStore* store) {
    TReaderPasswordDialog dialog;
    dialog.SetCaption("Password - " + BookDisplayName(book));
    return CheckPasswordInWindow(book, store,
                                 [&](const std::string& message) { return dialog.Ask(message); });
}
