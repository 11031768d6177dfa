#include "html/doc/section_list.h"

#include <algorithm>
#include <cmath>

#include "html/doc/dump.h"
#include "html/doc/font_obj.h"
#include "html/doc/form_control.h"
#include "html/doc/html_form.h"
#include "html/doc/image_obj.h"
#include "html/image/display.h"
#include "html/image/gif_image.h"
#include "platform/base/strings.h"
#include "platform/gui/control.h"
#include "platform/gui/timer.h"
#include "platform/gui/window.h"

TSectionList::TSectionList(TObject* viewer, TWinControl* paintPanel)
    : TCell(this), Viewer(viewer), PaintPanel(paintPanel),
      DeferredImages(std::make_unique<TDrawList>()), NamedPositions(this),
      ownCache_(std::make_unique<TStringBitmapList>()) {
    StartImageDisplay();
    BitmapList = ownCache_.get();
    // A :hover colour rule in the document's sheet switches hover highlighting on.
    StyleSheet.OnHoverRule = [this] { HoverEnabled = true; };
}

TSectionList::~TSectionList() {
    Clear();
    EndImageDisplay();
}

void TSectionList::Invalidate(const TRect* r) {
    if (OnInvalidate)
        OnInvalidate(r);
}

void TSectionList::ReleaseBackground() {
    BackgroundBitmap = nullptr;
    BackgroundMask = nullptr;
    if (backItem_ != nullptr && !backOwned_ && BitmapList != nullptr && !backKey_.empty())
        BitmapList->DecUsage(backKey_);
    backItem_ = nullptr;
    backOwned_.reset();
    backKey_.clear();
}

void TSectionList::Clear() {
    NamedPositions.Clear();
    SectionIndex.clear();
    ReleaseBackground();
    BackgroundName.clear();
    BackgroundLoaded = false;
    // The controls leave their panel last first, as a parent lets its children go most cheaply:
    // a page may hold tens of thousands.
    for (auto it = Controls.rbegin(); it != Controls.rend(); ++it) {
        TControl* widget = (*it)->Widget();
        if (!widget)
            continue;
        // Out of its window it could no longer take back the focus it holds: it is forgotten,
        // without events, as a control going away is.
        if (TWindow* w = widget->Window();
            w && w->ActiveControl() &&
            (w->ActiveControl() == widget || w->ActiveControl()->Parent() == widget))
            w->ForgetControl(w->ActiveControl());
        widget->SetParent(nullptr);
    }
    Forms.Clear();
    Controls.clear();
    Animations.clear();
    timer_.reset();
    SelectionStart = 0;
    SelectionEnd = 0;
    MapList.Clear();
    PendingImages.Clear();
    Links.clear();
    pictureBytes_ = 0;
    chargedPictures_.clear();
    HoverLink = nullptr;
    HoverImage = nullptr;
    Panels.clear();
    StyleSheet.Clear();
    DeferredImages->Clear();
    TFreeList<TSectionBase>::Clear();
    layoutHeight_ = 0;
    layoutWidth_ = 0;
}

int32_t TSectionList::LayOut(TCanvas& canvas, int32_t y, int32_t width, int32_t height,
                             int32_t& neededWidth, int32_t& charIndex) {
    if (timer_)
        timer_->SetEnabled(false);
    for (const auto& form : Forms)
        form->FitAll(canvas);
    const int32_t docHeight = TCell::LayOut(canvas, y, width, height, neededWidth, charIndex);
    for (TImageObj* image : Animations)
        if (TGIFImage* gif = image->Gif()) {
            if (Clock)
                gif->Clock = Clock;
            gif->SetCurrentFrame(1);
            gif->SetAnimate(true);
        }
    // A headless layout with no animations needs no timer at all.
    if (!timer_ && !Animations.empty()) {
        timer_ = std::make_unique<TTimer>();
        timer_->SetInterval(50);
        timer_->OnTimer = [this](TTimer&) { TimerTick(); };
    }
    if (timer_)
        timer_->SetEnabled(!Animations.empty());
    HideUnshownControls();
    if (SectionIndex.empty())
        RegisterPositions();
    layoutHeight_ = docHeight;
    layoutWidth_ = neededWidth;
    return docHeight;
}

int32_t TSectionList::DrawCell(TCanvas& canvas, const TRect& clip, int32_t clipWidth, int32_t x,
                               int32_t y, int32_t refX, int32_t refY) {
    BandBottom = ScrollTop + clip.Bottom;
    if (timer_)
        timer_->SetEnabled(false);
    for (TImageObj* image : Animations)
        image->Drawn = false;
    // The canvas is always true colour here; the shared palette applies to the pictures when
    // they are prepared, so there is no palette to select around the paint.
    DeferredImages->Clear();
    const int32_t below = TCell::DrawCell(canvas, clip, clipWidth, x, y, refX, refY);
    DeferredImages->DrawImages();
    if (ScrollMoved) {
        HideUnshownControls();
        for (TPanelObj* panel : Panels)
            if (!panel->Shown && panel->Panel)
                panel->Panel->Hide();
        ScrollMoved = false;
    }
    if (timer_)
        timer_->SetEnabled(!Animations.empty());
    return below;
}

bool TSectionList::FindLink(TCanvas& canvas, int32_t x, int32_t y, TUrlTarget& target,
                            TImageFormControlObj*& formControl) {
    TFontObj* oldLink = HoverLink;
    TImageObj* oldImage = HoverImage;
    HoverLink = nullptr;
    HoverImage = nullptr;
    const bool found = TCell::FindLink(canvas, x, y, target, formControl);
    if (HoverEnabled && HoverLink != oldLink) {
        if (oldLink != nullptr)
            oldLink->SetAllHovers(Links, false);
        if (HoverLink != nullptr)
            HoverLink->SetAllHovers(Links, true);
        Invalidate();
    }
    if (HoverImage != oldImage) {
        if (oldImage != nullptr)
            oldImage->SetHover(false);
        if (HoverImage != nullptr)
            HoverImage->SetHover(true);
        Invalidate();
    }
    return found;
}

void TSectionList::ScrollTo(int32_t y) {
    if (y == ScrollTop)
        return;
    ScrollTop = y;
    ScrollMoved = true;
    // The next paint marks the controls and panels it draws; the rest are hidden after it.
    for (const auto& form : Forms)
        for (const auto& control : form->Members)
            control->Shown = false;
    for (TPanelObj* panel : Panels)
        panel->Shown = false;
}

void TSectionList::ClearHover() {
    if (HoverLink != nullptr || HoverImage != nullptr)
        Invalidate();
    if (HoverLink != nullptr)
        HoverLink->SetAllHovers(Links, false);
    if (HoverImage != nullptr)
        HoverImage->SetHover(false);
    HoverLink = nullptr;
    HoverImage = nullptr;
}

void TSectionList::SetDefaults(const std::string& fontName, const std::string& preFontName,
                               double pointSize, TColor textColor, TColor linkColor,
                               TColor visitedColor, TColor hoverColor, bool hoverEnabled,
                               TColor background, bool underlineLinks, int32_t marginWidth,
                               int32_t marginHeight, uint8_t charset) {
    // The zoom scales the default size and margins here; everything the page gives is scaled
    // where it becomes pixels.
    const auto zoomed = [this](int32_t px) {
        return static_cast<int32_t>(std::lround(std::clamp<double>(px * Zoom, -1e6, 1e6)));
    };
    StyleSheet.LoadDefaults(fontName, preFontName, zoomed(marginWidth), zoomed(marginHeight),
                            charset, underlineLinks, hoverColor, visitedColor, linkColor, textColor,
                            pointSize * Zoom);
    StyleSheet.Zoom = Zoom;
    PreFontName = preFontName.substr(0, 32);
    LinkColor = linkColor;
    VisitedColor = visitedColor;
    HoverColor = hoverColor;
    HoverEnabled = hoverEnabled;
    SetBackColor(background);
}

void TSectionList::SetBackColor(TColor color) {
    Background = color;
    if (OnBackgroundChange)
        OnBackgroundChange(Viewer);
}

void TSectionList::SetBackImageName(const std::string& name) {
    ReleaseBackground();
    BackgroundName = name;
    BackgroundLoaded = false;
}

const TBitmap* TSectionList::BackImage() {
    if (!ImagesOn || BackgroundLoaded || BackgroundName.empty() || BackgroundBitmap != nullptr)
        return BackgroundBitmap;
    std::string name = BackgroundName;
    if (!OnBitmapRequest && !OnImageRequest) {
        if (HtmlExpandFilename)
            name = HtmlExpandFilename(name);
    } else if (OnExpandName) {
        std::string expanded = name;
        OnExpandName(Viewer, name, expanded);
        name = expanded;
    }
    TTransparency transparency = NotTransp;
    bool wait = false, fromCache = false;
    TBitmapItem* item = FetchImage(name, transparency, wait, fromCache);
    if (item != nullptr) {
        backItem_ = item;
        backKey_ = UpperCase(Trim(name));
        int index = -1;
        const bool cached = BitmapList != nullptr && BitmapList->Find(backKey_, index) &&
                            BitmapList->Item(index) == item;
        if (!cached)
            backOwned_.reset(item);
        if (item->Gif) {
            // An animated picture shows the frame it stands at.
            BackgroundBitmap = item->Gif->Composition();
            BackgroundMask = item->Gif->CompositionMask();
        } else {
            BackgroundBitmap = item->Bitmap.get();
            BackgroundMask = item->Mask.get();
        }
    } else if (wait) {
        PendingImages.AddObject(UpperCase(Trim(name)), this);
    }
    BackgroundLoaded = true;
    return BackgroundBitmap;
}

TSectionBase* TSectionList::SectionAtY(int32_t y, int32_t& sectionTop, int& index) {
    for (int i = static_cast<int>(SectionIndex.size()) - 1; i >= 0; --i) {
        TSectionBase* s = SectionIndex[static_cast<size_t>(i)];
        const int32_t top = s->VerticalPosition();
        if (top <= y) {
            sectionTop = top;
            index = i;
            return s;
        }
    }
    return nullptr;
}

void TSectionList::HideUnshownControls() {
    if (Controls.empty())
        return;
    bool focusInside = false;
    for (TFormControlObj* control : Controls) {
        TControl* w = control->FocusWidget();
        if (w != nullptr && w->Focused()) {
            focusInside = true;
            break;
        }
    }
    for (TFormControlObj* control : Controls) {
        if (control->Shown)
            continue;
        // The outer widget: a radio button sits in a frame panel of its own, and hiding only
        // the button would leave the frame standing where the control was last painted.
        TControl* w = control->Widget();
        if (w == nullptr)
            continue;
        if (focusInside) {
            // Out of sight but still shown, so the focused control keeps the focus.
            w->Show();
            w->SetLeft(-4000);
        } else {
            w->Hide();
        }
    }
}

void TSectionList::TimerTick() {
    for (TImageObj* image : Animations)
        if (image->Drawn)
            if (TGIFImage* gif = image->Gif())
                gif->Tick([this](const TRect& r) { Invalidate(&r); });
    if (timer_)
        timer_->SetInterval(50);
}

bool TSectionList::CharPosY(int32_t charPos, int32_t& y) {
    const int32_t index = FromSourcePos(charPos, false);
    if (index < 0)
        return false;
    TSectionBase* holder = nullptr;
    for (TSectionBase* s : SectionIndex) {
        if (s->FirstChar > index)
            break;
        holder = s;
    }
    if (holder == nullptr)
        return false;
    y = holder->VerticalPosition();
    return true;
}

void TSectionList::Dump(TDumpWriter& out, int depth) const {
    out.Box(depth, "document", 0, CellTop, layoutWidth_, layoutHeight_);
    TCellBasic::Dump(out, depth + 1);
}
