#pragma once
// The message and question boxes of the GUI. Unlike the toolkit's own, they fit the screen:
// a long text wraps at a readable width, and a text too tall for the box (a list of clashing
// file names, say) keeps its first line above a list that scrolls.
#include <string>
#include <vector>

#include "platform/gui/dialogs.h"

// Shows the box modally and answers the index of the button pressed (buttons from left to
// right); Escape and the close box answer cancelButton, Enter presses defaultButton.
int RunFltkMessageBox(const std::string& title, const std::string& text, TMsgKind kind,
                      const std::vector<std::string>& buttons, int defaultButton, int cancelButton);

// The box on the screen, for tests: its size, whether its text scrolls, its title.
struct TShownMessageBox {
    int Width = 0;
    int Height = 0;
    bool Scrolls = false;
    std::string Title;
};
// False when no box is open.
bool ShownFltkMessageBox(TShownMessageBox& shape);
// Closes the open box as if button had been pressed; false when none is open.
bool CloseFltkMessageBox(int button);
