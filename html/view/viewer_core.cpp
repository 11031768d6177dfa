// The viewer's construction, its properties, clearing, and the deferred work it posts to
// itself (form submission).
#include <algorithm>

#include "html/doc/font_obj.h"
#include "html/doc/form_control.h"
#include "html/view/html_viewer.h"
#include "platform/base/strings.h"
#include "platform/graphics/canvas.h"
#include "platform/gui/application.h"
#include "platform/gui/dialogs.h"

THTMLViewer::THTMLViewer()
    : paintPanel_(*this), ownCache_(std::make_unique<TStringBitmapList>()), cache_(ownCache_.get()),
      measure_(std::make_unique<TCanvas>(1, 1)) {
    SetBevels(TBevelCut::bvNone, TBevelCut::bvNone, 0);
    // The viewer's own cursor, shown over text that is not a link: the thick text cursor.
    Cursor = TCursor::crIBeam;

    // The border panel holds the paint panel, the scroll bars and the document's window
    // controls (which need a container and are placed in paint panel coordinates, so the
    // paint panel sits at the border panel's origin). The border itself is this panel's bevel.
    borderPanel_.SetBevels(TBevelCut::bvNone, TBevelCut::bvNone, 0);
    borderPanel_.TabStop = false;
    borderPanel_.SetParent(this);
    paintPanel_.SetParent(&borderPanel_);
    borderPanel_.ClipExceptions = {&vBar_, &hBar_};
    paintPanel_.SetCursor(TCursor::crArrow);
    // The viewer's own focus events fire with the paint panel's (the frame viewer learns the
    // active frame from them).
    paintPanel_.OnEnter = [this](TControl&) {
        UpdateBorder();
        if (OnEnter)
            OnEnter(*this);
    };
    paintPanel_.OnExit = [this](TControl&) {
        UpdateBorder();
        if (OnExit)
            OnExit(*this);
    };
    paintPanel_.OnMouseLeave = [this](TControl&) { pointerInside_ = false; };
    for (TScrollBar* bar : {&vBar_, &hBar_}) {
        bar->Hide();
        bar->TabStop = false;
        bar->SetParent(&borderPanel_);
    }
    vBar_.SmallChange = 16;
    hBar_.SmallChange = 15;
    vBar_.OnChange = [this](TControl&) {
        doc_->ScrollTo(vBar_.Position());
        Invalidate();
    };
    hBar_.OnChange = [this](TControl&) { Invalidate(); };

    linkTimer_.SetEnabled(false);
    linkTimer_.SetInterval(kLinkTimerMs);
    linkTimer_.OnTimer = [this](TTimer&) { LinkTimerTick(); };
    scrollTimer_.SetEnabled(false);
    scrollTimer_.SetInterval(kAutoScrollMs);
    scrollTimer_.OnTimer = [this](TTimer&) { AutoScrollTick(); };

    ownCache_->SetCacheCount(imageCacheCount_);
    visited_.CaseSensitive = false;
    doc_ = std::make_unique<TSectionList>(static_cast<TObject*>(this), &borderPanel_);
    PrepareDocument();
    SetBounds(Left(), Top(), 150, 150);
}

THTMLViewer::~THTMLViewer() {
    *alive_ = false;
    linkTimer_.SetEnabled(false);
    scrollTimer_.SetEnabled(false);
    // The document goes first: it releases its uses of the image cache and its widgets.
    doc_.reset();
}

void THTMLViewer::Post(std::function<void()> call) {
    std::weak_ptr<bool> alive = alive_;
    Application().QueueCall([alive, call = std::move(call)] {
        if (auto a = alive.lock(); a && *a)
            call();
    });
}

void THTMLViewer::SetProcessing(bool value) {
    if (processing_ == value)
        return;
    processing_ = value;
    if (OnProcessing)
        OnProcessing(this, value);
}

void THTMLViewer::Invalidate() {
    paintPanel_.Invalidate();
}

void THTMLViewer::UpdateBorder() {
    const bool show =
        borderStyle_ == htSingle || (borderStyle_ == htFocused && paintPanel_.Focused());
    SetBevels(TBevelCut::bvNone, show ? TBevelCut::bvLowered : TBevelCut::bvNone, 0);
}

// The document's events are the viewer's, copied in before every document so that a handler
// set after creation (as the frame viewer does) is used from the next document on.
void THTMLViewer::PrepareDocument() {
    linkTimer_.SetEnabled(false);
    if (!cache_) {
        ownCache_ = std::make_unique<TStringBitmapList>();
        ownCache_->SetCacheCount(imageCacheCount_);
        cache_ = ownCache_.get();
    }
    doc_->Clear();
    doc_->BitmapList = cache_;
    cache_->PurgeCache();
    doc_->ImagesOn = viewImages_;
    doc_->OnBitmapRequest = OnBitmapRequest;
    doc_->OnImageRequest = OnImageRequest;
    doc_->OnPanelCreate = OnPanelCreate;
    doc_->OnPanelDestroy = OnPanelDestroy;
    doc_->OnObjectClick = OnObjectClick;
    if (OnFormSubmit)
        doc_->OnFormSubmit = [this](TObject*, const std::string& action, const std::string& target,
                                    const std::string& encType, const std::string& method,
                                    std::unique_ptr<TStringList> results) {
            // Reported after the click that submitted has been handled.
            auto pending = std::make_unique<TPendingSubmit>();
            pending->Action = action;
            pending->Target = target;
            pending->EncType = encType;
            pending->Method = method;
            pending->Results = std::move(results);
            submit_ = std::move(pending);
            Post([this] { SubmitPosted(); });
        };
    else
        doc_->OnFormSubmit = nullptr;
    doc_->OnControlEnter = [this](TFormControlObj* control) { ControlEntered(control); };
    doc_->OnLayoutError = [](const std::string& message) {
        Dialogs().ShowMessage(ValidUtf8(message), TMsgKind::Error);
    };
    doc_->OnInvalidate = [this](const TRect* r) {
        if (r)
            paintPanel_.Invalidate(*r);
        else
            paintPanel_.Invalidate();
    };
    doc_->Clock = [] { return static_cast<uint32_t>(Application().Clock().NowMs()); };
    doc_->HtmlExpandFilename = [this](const std::string& name) {
        return ExpandName(name.substr(0, name.find('#')));
    };
    doc_->Zoom = std::clamp(Zoom, 0.25, 8.0);
    doc_->SetDefaults(DefFontName, DefPreFontName, DefFontSize, DefFontColor, DefHotSpotColor,
                      DefVisitedLinkColor, DefOverLinkColor, options_.Contains(htOverLinksActive),
                      defBackground_, !options_.Contains(htNoLinkUnderline), MarginWidth,
                      MarginHeight, CharSet);
    doc_->ShowCaret = options_.Contains(htShowDummyCaret);
    selAnchor_ = -1;
    url_.clear();
    target_.clear();
}

void THTMLViewer::ClearDocument() {
    if (processing_)
        return;
    linkTimer_.SetEnabled(false);
    scrollTimer_.SetEnabled(false);
    doc_->Clear();
    if (ownCache_)
        ownCache_->Clear();
    PrepareDocument();
    base_.clear();
    baseTarget_.clear();
    title_.clear();
    docHeight_ = docWidth_ = charCount_ = 0;
    doc_->ScrollTo(0);
    vBar_.SetParams(0, 0, 0, 0);
    hBar_.SetParams(0, 0, 0, 0);
    vBar_.Hide();
    hBar_.Hide();
    const int32_t b = borderStyle_ == htNone ? 0 : 1;
    borderPanel_.SetBounds(b, b, Width() - 2 * b, Height() - 2 * b);
    paintPanel_.SetBounds(0, 0, borderPanel_.Width(), borderPanel_.Height());
    StopSound();
    Invalidate();
}

void THTMLViewer::StopSound() {
    if (OnSoundRequest)
        OnSoundRequest(this, "", 1, true);
}

void THTMLViewer::SetImageCache(TStringBitmapList* shared) {
    if (shared == cache_)
        return;
    // The document holds uses of the entries of the cache it has now.
    doc_->Clear();
    if (shared) {
        cache_ = shared;
        ownCache_.reset();
    } else {
        ownCache_ = std::make_unique<TStringBitmapList>();
        ownCache_->SetCacheCount(imageCacheCount_);
        cache_ = ownCache_.get();
    }
    doc_->BitmapList = cache_;
    docHeight_ = docWidth_ = charCount_ = 0;
    DoScrollBars();
    Invalidate();
}

// ---- properties ----

void THTMLViewer::SetViewImages(bool value) {
    if (value == viewImages_)
        return;
    viewImages_ = value;
    doc_->ImagesOn = value;
    if (processing_)
        return;
    SetProcessing(true);
    const int32_t pos = ViewPosition();
    DoLayout();
    SetViewPosition(pos);
    Invalidate();
    SetProcessing(false);
}

void THTMLViewer::SetDefBackground(TColor value) {
    defBackground_ = value;
    // An empty viewer shows the new colour at once; a document keeps its own until reloaded.
    if (doc_->Count() == 0)
        doc_->SetBackColor(value);
    Invalidate();
}

void THTMLViewer::SetBorderStyle(THTMLBorderStyle value) {
    if (value == borderStyle_)
        return;
    borderStyle_ = value;
    UpdateBorder();
    Reformat();
}

void THTMLViewer::SetHistoryMaxCount(int32_t value) {
    if (value < 0 || value == historyMaxCount_)
        return;
    const bool lower = value < historyMaxCount_;
    historyMaxCount_ = value;
    if (lower && history_.Count() > 0) {
        history_.Clear();
        titleHistory_.Clear();
        posHistory_.clear();
        historyIndex_ = 0;
        if (OnHistoryChange)
            OnHistoryChange(this);
    }
}

void THTMLViewer::SetVisitedMaxCount(int32_t value) {
    value = std::max(value, 0);
    if (value == visitedMaxCount_)
        return;
    visitedMaxCount_ = value;
    if (value == 0) {
        visited_.Clear();
        if (!InFrameViewer) {
            for (TFontObj* link : doc_->Links)
                link->SetVisited(false);
            Invalidate();
        }
        return;
    }
    while (visited_.Count() > value)
        visited_.Delete(visited_.Count() - 1);
}

void THTMLViewer::SetImageCacheCount(int32_t value) {
    value = std::clamp(value, 0, 20);
    imageCacheCount_ = value;
    if (cache_)
        cache_->SetCacheCount(value);
}

void THTMLViewer::SetScrollBars(TScrollStyle value) {
    if (value == scrollBars_)
        return;
    scrollBars_ = value;
    Reformat();
}

void THTMLViewer::SetServerRoot(const std::string& value) {
    serverRoot_ = value;
    while (serverRoot_.size() > 1 && (serverRoot_.back() == '/' || serverRoot_.back() == '\\'))
        serverRoot_.pop_back();
}

void THTMLViewer::SethtOptions(THtmlViewerOptions value) {
    if (value == options_)
        return;
    options_ = value;
    doc_->HoverEnabled = doc_->HoverEnabled || value.Contains(htOverLinksActive);
    doc_->ShowCaret = value.Contains(htShowDummyCaret);
    DoScrollBars();
    Invalidate();
}

// ---- forms ----

void THTMLViewer::SubmitPosted() {
    std::unique_ptr<TPendingSubmit> pending = std::move(submit_);
    if (!pending || !OnFormSubmit)
        return;
    OnFormSubmit(this, pending->Action, pending->Target, pending->EncType, pending->Method,
                 std::move(pending->Results));
}

// A control that takes the focus is brought into view (tabbing through a long form).
void THTMLViewer::ControlEntered(TFormControlObj* control) {
    if (!control)
        return;
    TControl* widget = control->FocusWidget();
    const int32_t h = widget ? widget->Height() : 0;
    const int32_t top = control->VerticalPosition();
    const int32_t view = paintPanel_.Height();
    if (top < doc_->ScrollTop)
        ScrollToY(top);
    else if (top + h > doc_->ScrollTop + view)
        ScrollToY(top + h - view);
}
