#pragma once
// The context menu of a book's pages (right button, the Menu key or Shift+F10): Back, Forward,
// Reload; Copy, Select all and Find on the page; Copy link address over a link and Open
// picture over an image. The menu keeps what it was opened for as text, never pointers into
// the page, which a command may replace.
#include <string>

#include "html/view/html_viewer.h"
#include "platform/gui/popup_menu.h"

class TReaderWindow;

class TReaderMenu {
public:
    // Hooks the menu to the window's frame viewer; the window outlives the menu.
    explicit TReaderMenu(TReaderWindow& window);

    // Fills the menu for what the viewer reported and shows it where it was asked for.
    void Open(THTMLViewer& viewer, const TRightClickParameters& p);

    TPopupMenu Menu;
    // The link and picture the menu was last opened for (empty when none).
    const std::string& Link() const { return link_; }
    const std::string& Picture() const { return picture_; }

private:
    // The viewer the menu was opened in, if it is still one of the window's.
    THTMLViewer* OpenedViewer() const;

    TReaderWindow& window_;
    THTMLViewer* viewer_ = nullptr; // compared only, never used unchecked
    std::string link_, picture_;
};
