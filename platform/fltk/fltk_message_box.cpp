#include "platform/fltk/fltk_message_box.h"

#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Double_Window.H>
#include <FL/Fl_Return_Button.H>
#include <FL/Fl_Text_Buffer.H>
#include <FL/Fl_Text_Display.H>
#include <FL/fl_draw.H>

#include <algorithm>
#include <cstdint>
#include <memory>

#include "platform/base/strings.h"

namespace {

constexpr int kMargin = 10;
constexpr int kIconSize = 50;
constexpr int kButtonHeight = 25;
constexpr int kButtonMinWidth = 80;
constexpr int kTextSize = 14;
// The widest a text runs before it wraps, and the share of the work area a box may take.
constexpr int kMaxTextWidth = 520;
constexpr int kMinTextWidth = 200;
constexpr double kMaxShareWide = 0.8;
constexpr double kMaxShareHigh = 0.6;

struct TOpenBox {
    Fl_Double_Window* Window = nullptr;
    bool Scrolls = false;
    int* Answer = nullptr;
};
TOpenBox* openBox = nullptr;

// The text's size when wrapped at width (FLTK wraps at blanks; a word longer than the line
// runs past it, so the width is measured too).
void Measure(const std::string& text, int width, int& w, int& h) {
    fl_font(FL_HELVETICA, kTextSize);
    w = width;
    h = 0;
    fl_measure(text.c_str(), w, h, 0);
}

void ButtonCallback(Fl_Widget* button, void* index) {
    if (openBox && openBox->Answer)
        *openBox->Answer = static_cast<int>(reinterpret_cast<intptr_t>(index));
    button->window()->hide();
}

} // namespace

int RunFltkMessageBox(const std::string& title, const std::string& text, TMsgKind kind,
                      const std::vector<std::string>& buttons, int defaultButton,
                      int cancelButton) {
    int sx = 0, sy = 0, sw = 0, sh = 0;
    Fl::screen_work_area(sx, sy, sw, sh);
    const std::string body = ValidUtf8(text);

    // Text width: as wide as the text needs, up to a comfortable line and the screen.
    const int screenTextWidth = static_cast<int>(sw * kMaxShareWide) - kIconSize - 3 * kMargin;
    const int wrapAt = std::max(kMinTextWidth, std::min(kMaxTextWidth, screenTextWidth));
    const int maxBoxHeight = std::max(200, static_cast<int>(sh * kMaxShareHigh));
    const int buttonRow = kButtonHeight + 2 * kMargin;
    const int maxTextHeight = maxBoxHeight - buttonRow - kMargin;

    int tw = 0, th = 0;
    Measure(body, wrapAt, tw, th);
    // A text too long for the box keeps its first line (the summary) above a scrolling list
    // of the rest.
    std::string head = body, rest;
    bool scrolls = false;
    int headW = tw, headH = th;
    if (th > maxTextHeight) {
        const size_t nl = body.find('\n');
        if (nl != std::string::npos) {
            head = body.substr(0, nl);
            rest = body.substr(nl + 1);
        } else {
            head.clear();
            rest = body;
        }
        scrolls = true;
        if (!head.empty())
            Measure(head, wrapAt, headW, headH);
        else
            headW = headH = 0;
    }
    const int textWidth =
        scrolls ? wrapAt : std::clamp(std::max(headW, tw), 1, std::max(wrapAt, screenTextWidth));
    const int listHeight =
        scrolls ? std::max(80, maxTextHeight - (head.empty() ? 0 : headH + kMargin)) : 0;
    const int textHeight =
        scrolls ? (head.empty() ? 0 : headH + kMargin) + listHeight : std::max(headH, 1);

    fl_font(FL_HELVETICA, kTextSize);
    std::vector<int> widths;
    int buttonsWidth = 0;
    for (const std::string& b : buttons) {
        const int w = std::max(kButtonMinWidth, static_cast<int>(fl_width(b.c_str())) + 24);
        widths.push_back(w);
        buttonsWidth += w + kMargin;
    }
    const int width = std::max(kIconSize + textWidth + 3 * kMargin, buttonsWidth + kMargin);
    const int height = std::max(kIconSize, textHeight) + 2 * kMargin + buttonRow - kMargin;

    Fl_Group::current(nullptr);
    Fl_Text_Buffer buffer; // outlives the display that shows it
    // The window owns the widgets made while it is the current group.
    auto window = std::make_unique<Fl_Double_Window>(width, height);
    window->copy_label(ValidUtf8(title).c_str());
    auto* icon = new Fl_Box(kMargin, kMargin, kIconSize, kIconSize);
    icon->box(FL_THIN_UP_BOX);
    icon->labelfont(FL_TIMES_BOLD);
    icon->labelsize(34);
    icon->color(FL_WHITE);
    icon->labelcolor(kind == TMsgKind::Information ? FL_BLUE : FL_RED);
    icon->label(kind == TMsgKind::Information ? "i" : "!");

    const int textX = 2 * kMargin + kIconSize;
    if (!head.empty()) {
        auto* headBox = new Fl_Box(textX, kMargin, textWidth, scrolls ? headH : textHeight);
        headBox->align(FL_ALIGN_LEFT | FL_ALIGN_TOP | FL_ALIGN_INSIDE | FL_ALIGN_WRAP);
        headBox->labelsize(kTextSize);
        headBox->copy_label(head.c_str());
    }
    if (scrolls) {
        buffer.text(rest.c_str());
        const int top = kMargin + (head.empty() ? 0 : headH + kMargin);
        auto* list = new Fl_Text_Display(textX, top, textWidth, listHeight);
        list->buffer(&buffer);
        list->textsize(kTextSize - 1);
        list->wrap_mode(Fl_Text_Display::WRAP_AT_BOUNDS, 0);
    }

    int answer = cancelButton;
    int x = width;
    for (int i = static_cast<int>(buttons.size()) - 1; i >= 0; --i) {
        const int bw = widths[static_cast<size_t>(i)];
        x -= bw + kMargin;
        const int y = height - kMargin - kButtonHeight;
        Fl_Button* b = i == defaultButton ? new Fl_Return_Button(x, y, bw, kButtonHeight)
                                          : new Fl_Button(x, y, bw, kButtonHeight);
        b->copy_label(buttons[static_cast<size_t>(i)].c_str());
        b->callback(&ButtonCallback, reinterpret_cast<void*>(static_cast<intptr_t>(i)));
    }
    window->end();
    // Escape and the title bar's close box answer the cancel button.
    window->callback([](Fl_Widget* w, void*) { w->hide(); });
    window->set_modal();
    window->position(sx + (sw - width) / 2, sy + (sh - height) / 3);

    TOpenBox box{window.get(), scrolls, &answer};
    TOpenBox* outer = openBox;
    openBox = &box;
    window->show();
    while (window->shown())
        Fl::wait();
    openBox = outer;
    return answer;
}

bool ShownFltkMessageBox(TShownMessageBox& shape) {
    if (!openBox || !openBox->Window)
        return false;
    shape.Width = openBox->Window->w();
    shape.Height = openBox->Window->h();
    shape.Scrolls = openBox->Scrolls;
    shape.Title = openBox->Window->label() ? openBox->Window->label() : "";
    return true;
}

bool CloseFltkMessageBox(int button) {
    if (!openBox || !openBox->Window)
        return false;
    if (openBox->Answer)
        *openBox->Answer = button;
    openBox->Window->hide();
    return true;
}
