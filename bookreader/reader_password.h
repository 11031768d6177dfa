#pragma once
// The password of a book, asked in a window: a book started from a file manager has no
// terminal to ask on. A wrong answer may be tried again; after the third the book stays shut.
// A correct answer is remembered in the password store (a salted hash), as the terminal prompt
// does, so the next start asks nothing.
#include <functional>
#include <optional>
#include <string>

#include "platform/gui/buttons.h"
#include "platform/gui/edit.h"
#include "platform/gui/paint_box.h"
#include "platform/gui/window.h"

class TSiteBook;
class TPasswordStore;

// The modal dialog (its title names the book): a message, a box that shows stars for what is typed,
// OK and Cancel. Enter answers OK, Escape and the close box Cancel.
class TReaderPasswordDialog final : public TWindow {
public:
    TReaderPasswordDialog();
    // Shows the dialog with message (8-bit text, lines split at "\n") above an empty box; the
    // typed answer (8-bit text, as the box holds it) on OK, nothing otherwise.
    std::optional<std::string> Ask(const std::string& message);
    const std::string& Message() const { return message_; }

    TPaintBox Prompt;
    TEdit Answer;
    TButton OkButton;
    TButton CancelButton;

private:
    std::string message_;
};

// The book as the password dialog names it: its caption, else its file name; control
// characters become blanks and a long name is cut with "...".
std::string BookDisplayName(const TSiteBook& book);

enum class TPasswordOutcome {
    poOpen,      // no password, a remembered one, or a correct answer
    poCancelled, // the reader gave up asking
    poRefused,   // kPasswordTries wrong answers
};

constexpr int kPasswordTries = 3;

// Asks with a message and answers the typed text (8-bit, as a box holds it), or nothing when
// the reader cancelled.
using TPasswordAsker = std::function<std::optional<std::string>(const std::string& message)>;

// Whether the book may be opened: asks through ask until an answer is right, the reader cancels
// or kPasswordTries answers were wrong. store may be null (nothing remembered).
TPasswordOutcome CheckPasswordInWindow(const TSiteBook& book, const TPasswordStore* store,
                                       const TPasswordAsker& ask);

// The same check with the dialog.
TPasswordOutcome AskBookPassword(const TSiteBook& book, const TPasswordStore* store);
