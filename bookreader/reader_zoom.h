#pragma once
// The reader's zoom: the whole page (text, lengths, pictures) is scaled, as browsers do, in
// fixed steps named by the size the default text then has (12 is 100%), and the page is read
// again at the new scale with the same text at the top of the window. A pixel position or
// the viewer's ViewPosition would drift (every line above grows or shrinks), so the place is
// kept as a character of the document's text, which a re-layout does not change.
#include <cstdint>
#include <vector>

class THTMLViewer;
class TFrameViewer;

// The font sizes Ctrl+Plus and Ctrl+Minus step through, smallest first.
const std::vector<int32_t>& ZoomSteps();
// The size one step up (direction > 0) or down from size; size itself at either end. A size
// between two steps moves to the next step in that direction.
int32_t ZoomStep(int32_t size, int direction);

constexpr int32_t kDefaultZoom = 12; // the viewer's own default font size: no zoom

// The zoom step the frame viewer shows (the default text size it gives), and setting it
// without reading the pages again (before the first page).
int32_t ZoomSize(const TFrameViewer& viewer);
void SetZoomSize(TFrameViewer& viewer, int32_t size);

// The first character of text at the top of the viewer's window, with how far its line starts
// below the top (negative when the line is cut by the top edge); -1 when the window shows no
// text.
struct TTopText {
    int32_t Index = -1;
    int32_t Offset = 0;
};
TTopText TopText(THTMLViewer& viewer);
// Scrolls so that the line holding the character lies offset pixels below the top.
void ScrollTextToTop(THTMLViewer& viewer, const TTopText& top);
// The document position of a character: the top of its line; false when it has none.
bool CharacterY(THTMLViewer& viewer, int32_t index, int32_t& y);

// Sets the frame viewer's zoom to the step and reads its pages again at that scale, each frame
// keeping the text that was at its top. Returns the size set.
int32_t ApplyZoom(TFrameViewer& viewer, int32_t size);
