// The inner viewers: made for each frame with the frame viewer's settings, their events
// handed to the owner or to the frame viewer.
#include "html/view/frame_viewer.h"

#include <algorithm>

#include "html/view/viewer_names.h"
#include "platform/base/files.h"
#include "platform/base/strings.h"
#include "platform/gui/application.h"

namespace {

// (x, y) of control c in the coordinates of the frame viewer that holds it.
TPoint PointIn(const TControl& c, int32_t x, int32_t y) {
    for (const TControl* p = &c; p && !dynamic_cast<const TFrameViewer*>(p); p = p->Parent()) {
        x += p->Left();
        y += p->Top();
    }
    return Point(x, y);
}

} // namespace

// ---- inner viewers ----

std::unique_ptr<THTMLViewer> TFrameViewer::MakeViewer(TfvFrame& frame) {
    auto v = std::make_unique<THTMLViewer>();
    THTMLViewer* p = v.get();
    p->InFrameViewer = true;
    p->SetDefBackground(defBackground_);
    p->SetViewImages(viewImages_);
    p->SetImageCache(cache_.get());
    p->SetImageCacheCount(imageCacheCount_);
    p->NoSelect = noSelect_;
    p->DefFontName = defFontName_;
    p->DefPreFontName = defPreFontName_;
    p->DefFontSize = defFontSize_;
    p->Zoom = zoom_;
    p->DefFontColor = defFontColor_;
    p->DefHotSpotColor = defHotSpotColor_;
    p->DefVisitedLinkColor = defVisitedLinkColor_;
    p->DefOverLinkColor = defOverLinkColor_;
    p->Cursor = cursor_;
    p->SetVisitedMaxCount(visitedMaxCount_);
    p->SetHistoryMaxCount(historyMaxCount_);
    p->SetServerRoot(serverRoot_);
    p->PrintMarginLeft = PrintMarginLeft;
    p->PrintMarginRight = PrintMarginRight;
    p->PrintMarginTop = PrintMarginTop;
    p->PrintMarginBottom = PrintMarginBottom;
    p->CharSet = frame.CharSet;
    p->MarginWidth = frame.frMarginWidth;
    p->MarginHeight = frame.frMarginHeight;
    p->SethtOptions(InnerOptions());
    // Links resolve against the nearest base element of the sets around the frame (a
    // document's own base still wins).
    for (TSubFrameSet* s = frame.ParentSet(); s;) {
        if (!s->Base.empty()) {
            p->SetBase(s->Base);
            break;
        }
        s = s->ParentSet() ? s->ParentSet()
                           : (s->OwnerFrame ? s->OwnerFrame->ParentSet() : nullptr);
    }
    TFrameSet* top = frame.TopSet();
    if (top && top->BorderSize == 0)
        p->SetBorderStyle(htNone);
    if (frame.NoScroll)
        p->SetScrollBars(ssNone);
    p->TabStop = true;

    // Pictures: a handler that raises leaves the picture's error image, not a broken page.
    if (OnImageRequest)
        p->OnImageRequest = [this](TObject* sender, const std::string& src,
                                   TMemoryStream*& stream) {
            try {
                OnImageRequest(sender, src, stream);
            } catch (const std::exception&) {
                stream = nullptr;
            }
        };
    if (OnBitmapRequest)
        p->OnBitmapRequest = [this](TObject* sender, const std::string& src,
                                    std::unique_ptr<TBitmap>& bitmap, TColor& color) {
            try {
                OnBitmapRequest(sender, src, bitmap, color);
            } catch (const std::exception&) {
                bitmap.reset();
            }
        };
    // Linked style sheets come from the owner as pages do.
    if (Requested())
        p->OnStreamRequest = [this](TObject* sender, const std::string& url,
                                    TMemoryStream*& stream) {
            stream = nullptr;
            std::string text, file;
            try {
                if (!RequestDocument(sender, url, text, file))
                    return;
                styleStream_.Clear();
                if (!file.empty()) {
                    styleStream_.LoadFromFile(ExpandFileName(file));
                } else {
                    styleStream_.Write(text.data(), static_cast<int64_t>(text.size()));
                    styleStream_.Seek(0, soBeginning);
                }
                stream = &styleStream_;
            } catch (const std::exception&) {
                stream = nullptr; // the sheet is left out
            }
        };
    if (OnFormSubmit)
        p->OnFormSubmit = OnFormSubmit;
    p->OnMeta = OnMeta;
    p->OnScript = OnScript;
    p->OnInclude = OnInclude;
    p->OnSoundRequest = OnSoundRequest;
    p->OnRightClick = OnRightClick;
    p->OnImageClick = OnImageClick;
    p->OnImageOver = OnImageOver;
    p->OnObjectClick = OnObjectClick;
    p->OnMouseDouble = OnMouseDouble;
    p->OnPanelCreate = OnPanelCreate;
    p->OnPanelDestroy = OnPanelDestroy;
    p->OnMouseDown = OnMouseDown;
    p->OnMouseUp = OnMouseUp;
    p->OnMouseMove = OnMouseMove;
    // Drag events reach the owner through the frame viewer, in its coordinates.
    p->OnDragDrop = [this, p](TObject*, TObject* source, int32_t x, int32_t y) {
        if (!OnDragDrop)
            return;
        const TPoint at = PointIn(*p, x, y);
        OnDragDrop(this, source, at.X, at.Y);
    };
    p->OnDragOver = [this, p](TObject*, TObject* source, int32_t x, int32_t y, bool& accept) {
        if (!OnDragOver)
            return;
        const TPoint at = PointIn(*p, x, y);
        OnDragOver(this, source, at.X, at.Y, accept);
    };
    p->OnPrintHeader = OnPrintHeader;
    p->OnPrintFooter = OnPrintFooter;
    if (OnViewerKeyDown) {
        auto own = p->PaintPanel().OnKeyDown;
        p->PaintPanel().OnKeyDown = [this, own](TControl& sender, int& key, TShiftState shift) {
            OnViewerKeyDown(sender, key, shift);
            if (key != 0 && own)
                own(sender, key, shift);
        };
    }
    p->OnHotSpotClick = [this, p](TObject*, const std::string& url, bool& handled) {
        LinkClick(p, url, handled);
    };
    p->OnHotSpotCovered = [this, p](TObject*, const std::string& url) { LinkCovered(p, url); };
    p->OnProcessing = [this](TObject*, bool on) { SetProcessing(on); };
    TfvFrame* f = &frame;
    p->OnMetaRefresh = [f](TObject*, int32_t delay, const std::string& url) {
        f->Refresh(delay, url);
    };
    auto enter = p->PaintPanel().OnEnter;
    p->PaintPanel().OnEnter = [this, f, p, enter](TControl& sender) {
        if (enter)
            enter(sender);
        activeViewer_ = p;
        if (f->TopSet())
            f->TopSet()->ActiveFrame = f;
    };
    return v;
}
