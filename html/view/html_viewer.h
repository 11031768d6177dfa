#pragma once
// THTMLViewer: the control that shows one document (an HTML page, a text file or a single
// picture), scrolls and paints it, tracks the pointer over links and images, selects text,
// follows links inside the document and reports everything else to its owner through events.
// The document itself lives in a TSectionList the viewer owns; the reader fills it.
//
// The viewer is a panel holding a border panel, the paint panel the document is drawn on and
// two scroll bars. It works headless like every control: tests drive it through the paint
// panel's mouse and key operations and the application's clock.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "html/doc/section_list.h"
#include "html/load/frame_viewer_base.h"
#include "html/load/html_reader.h"
#include "html/view/paint_panel.h"
#include "platform/base/exceptions.h"
#include "platform/base/streams.h"
#include "platform/base/string_list.h"
#include "platform/gui/panel.h"
#include "platform/gui/scroll_bar.h"
#include "platform/gui/timer.h"

class TCanvas;
class TImageObj;
class TFormControlObj;

// A file to load is missing: "Can't locate file: " and the name.
class EInOutError : public Exception {
    using Exception::Exception;
};

enum THTMLBorderStyle { htFocused, htNone, htSingle };
enum TScrollStyle { ssNone, ssHorizontal, ssVertical, ssBoth };
enum THtmlViewerOption {
    htOverLinksActive,
    htNoLinkUnderline,
    htPrintTableBackground,
    htShowDummyCaret,
    htShowVScroll
};
enum THtmlFileType { HTMLType, TextType, ImgType };

// The viewer's vertical bar: the toolkit's bar here already keeps position, page, minimum
// and maximum as full 32-bit values set as one record.
using T32ScrollBar = TScrollBar;

// A set of THtmlViewerOption.
class THtmlViewerOptions {
public:
    constexpr THtmlViewerOptions() = default;
    constexpr THtmlViewerOptions(std::initializer_list<THtmlViewerOption> items) {
        for (THtmlViewerOption o : items)
            bits_ |= Bit(o);
    }
    constexpr bool Contains(THtmlViewerOption o) const { return (bits_ & Bit(o)) != 0; }
    constexpr THtmlViewerOptions& Include(THtmlViewerOption o) {
        bits_ |= Bit(o);
        return *this;
    }
    constexpr THtmlViewerOptions& Exclude(THtmlViewerOption o) {
        bits_ &= ~Bit(o);
        return *this;
    }
    constexpr bool operator==(const THtmlViewerOptions&) const = default;

private:
    static constexpr uint32_t Bit(THtmlViewerOption o) { return 1u << static_cast<int>(o); }
    uint32_t bits_ = 0;
};

// What lies under the pointer when the right button is released (or, for the Menu key, under
// the pointer when it is over the page); lives for the event only.
struct TRightClickParameters {
    int32_t X = 0, Y = 0; // where, in the paint panel's coordinates: a context menu opens there
    TImageObj* Image = nullptr;
    int32_t ImageX = 0, ImageY = 0; // the pointer inside the image
    std::string URL, Target;        // the link under the pointer
    std::string ClickWord;          // the word under the pointer
};

// Where the history and the visited list come back to: a position and the kind of file.
struct TPositionObj {
    int32_t Pos = 0;
    THtmlFileType FileType = HTMLType;
};

using THotSpotEvent = std::function<void(TObject* sender, const std::string& src)>;
using THotSpotClickEvent =
    std::function<void(TObject* sender, const std::string& src, bool& handled)>;
using TProcessingEvent = std::function<void(TObject* sender, bool processingOn)>;
using TPagePrintedEvent = std::function<void(TObject* sender, TCanvas& canvas, int32_t numPage,
                                             int32_t w, int32_t h, bool& stopPrinting)>;
using TMetaRefreshEvent =
    std::function<void(TObject* sender, int32_t delay, const std::string& url)>;
using TImageClickEvent = std::function<void(TObject* sender, TObject* obj, TMouseButton button,
                                            TShiftState shift, int32_t x, int32_t y)>;
using TImageOverEvent =
    std::function<void(TObject* sender, TObject* obj, TShiftState shift, int32_t x, int32_t y)>;
using TRightClickEvent =
    std::function<void(TObject* sender, const TRightClickParameters& parameters)>;
using TViewerMouseEvent = std::function<void(TObject* sender, TMouseButton button,
                                             TShiftState shift, int32_t x, int32_t y)>;
using TViewerMouseMoveEvent =
    std::function<void(TObject* sender, TShiftState shift, int32_t x, int32_t y)>;
using TNotifyEvent = std::function<void(TObject* sender)>;
// Something dragged onto the control was dropped at (x, y), or is over it (set accept to
// take it).
using TDragDropEvent = std::function<void(TObject* sender, TObject* source, int32_t x, int32_t y)>;
using TDragOverEvent =
    std::function<void(TObject* sender, TObject* source, int32_t x, int32_t y, bool& accept)>;

class THTMLViewer : public TPanel, public TObject {
public:
    THTMLViewer();
    ~THTMLViewer() override;

    // ---- loading ----
    // Each is ignored while processing and for an empty name. A name may carry "#anchor".
    // A missing file raises EInOutError "Can't locate file: " and the name.
    void LoadFromFile(const std::string& fileName) { OpenHtmlFile(fileName); }
    void OpenHtmlFile(const std::string& fileName);
    void OpenTextFile(const std::string& fileName);
    void OpenImageFile(const std::string& fileName);
    // Documents from memory: no current file name, no history entry.
    void ShowHtmlString(const std::string& text);
    void ShowHtmlBuffer(const char* buffer, size_t length);
    void ShowHtmlStream(TStream& stream);
    void ShowStringList(const TStringList& strings, THtmlFileType type = HTMLType);
    // A document from memory that stands for a name (what the frame viewer's request events
    // hand over): the name, without an "#anchor" it may carry, becomes the current file name,
    // and the anchor is scrolled to. No history entry is made.
    void LoadFromSource(const THtmlSource& source, const std::string& name,
                        THtmlFileType type = HTMLType);
    virtual void ClearDocument();

    // ---- positions ----
    int32_t ViewPosition();
    void SetViewPosition(int32_t value);
    int32_t PixelPosition() const { return doc_->ScrollTop; }
    void SetPixelPosition(int32_t value);
    int32_t HScrollPosition() const { return hBar_.Position(); }
    void SetHScrollPosition(int32_t value);
    bool ScrollToAnchor(const std::string& name);

    // ---- links ----
    virtual void FollowLink();
    virtual std::string ExpandName(const std::string& link) const;
    // The link under the pointer (set by pointer tracking and before FollowLink).
    const std::string& URL() const { return url_; }
    const std::string& Target() const { return target_; }
    void SetURL(const std::string& url, const std::string& target = {});

    // ---- selection and the keyboard commands ----
    int32_t SelStart() const;
    int32_t SelLength() const;
    void SetSelection(int32_t start, int32_t end);
    std::string SelText(); // UTF-8 text
    void SelectAll();
    void CopyToClipboard(); // the selection as UTF-8 text
    // Finds text after the selection (or from the start), selects it and scrolls it into
    // view; false when it is not found (the selection stays).
    bool FindText(const std::string& text, bool matchCase = false);
    // Asks for the text through the input dialog, then searches.
    void FindDialog();

    // ---- run state ----
    TSectionList& Document() { return *doc_; }
    const std::string& CurrentFile() const { return currentFile_; }
    THtmlFileType CurrentFileType() const { return fileType_; }
    const std::string& DocumentTitle() const { return title_; }
    // The document's own base element wins over one given from outside (the frame viewer's).
    const std::string& Base() const { return doc_->Base.empty() ? base_ : doc_->Base; }
    void SetBase(const std::string& base) { base_ = base; }
    const std::string& BaseTarget() const { return baseTarget_; }
    int32_t DocHeight() const { return docHeight_; }
    int32_t DocWidth() const { return docWidth_; } // capped at kMaxDocWidth
    int32_t CharCount() const { return charCount_; }
    bool Processing() const { return processing_; }
    bool Panning() const { return panning_; }
    TPaintPanel& PaintPanel() { return paintPanel_; }
    TScrollBar& VScrollBar() { return vBar_; }
    TScrollBar& HScrollBar() { return hBar_; }
    TTimer& LinkTimer() { return linkTimer_; }
    // History, newest first, and the index of the entry shown (0 = newest).
    const TStringList& History() const { return history_; }
    const TStringList& TitleHistory() const { return titleHistory_; }
    const std::vector<TPositionObj>& PositionHistory() const { return posHistory_; }
    int HistoryIndex() const { return historyIndex_; }
    // Visited URLs, most recent first.
    const TStringList& Visited() const { return visited_; }
    void AddVisited(const std::string& url);
    // Marks every link that matches an entry of the visited list.
    void CheckVisitedLinks();
    // The link's full name as the visited list keeps it.
    std::string LinkFullName(const std::string& link) const;
    // The image cache; a shared one (the frame viewer's) is not owned.
    TStringBitmapList* ImageCache() const { return cache_; }
    void SetImageCache(TStringBitmapList* shared);
    // The frame viewer that holds this viewer keeps the visited list itself: set, the viewer
    // keeps none of its own.
    bool InFrameViewer = false;

    // Lays the document out again at the current size, keeping the position.
    void Reformat();
    // Paints the visible band of the document (the paint panel's handler).
    virtual void PaintDocument(TCanvas& canvas, const TRect& clip);
    // The paint panel's mouse handling, in panel coordinates.
    virtual void PanelMouseDown(TMouseButton button, TShiftState shift, int32_t x, int32_t y);
    virtual void PanelMouseMove(TShiftState shift, int32_t x, int32_t y);
    virtual void PanelMouseUp(TMouseButton button, TShiftState shift, int32_t x, int32_t y);
    void PanelDblClick();
    void PanelMouseWheel(TShiftState shift, int32_t delta, int32_t x, int32_t y);
    void PanelKeyDown(int& key, TShiftState shift);

    // ---- published properties ----
    bool ViewImages() const { return viewImages_; }
    void SetViewImages(bool value);
    TColor DefBackground() const { return defBackground_; }
    void SetDefBackground(TColor value);
    THTMLBorderStyle BorderStyle() const { return borderStyle_; }
    void SetBorderStyle(THTMLBorderStyle value);
    int32_t HistoryMaxCount() const { return historyMaxCount_; }
    void SetHistoryMaxCount(int32_t value);
    int32_t VisitedMaxCount() const { return visitedMaxCount_; }
    void SetVisitedMaxCount(int32_t value);
    int32_t ImageCacheCount() const { return imageCacheCount_; }
    void SetImageCacheCount(int32_t value);
    TScrollStyle ScrollBars() const { return scrollBars_; }
    void SetScrollBars(TScrollStyle value);
    const std::string& ServerRoot() const { return serverRoot_; }
    void SetServerRoot(const std::string& value);
    THtmlViewerOptions htOptions() const { return options_; }
    void SethtOptions(THtmlViewerOptions value);
    // These take effect with the next document.
    std::string DefFontName = "Times New Roman";
    std::string DefPreFontName = "Courier New";
    int32_t DefFontSize = 12;
    // Device pixels per CSS pixel, from the next document on: the whole page (text, lengths,
    // margins, pictures) is laid out and drawn that much larger. Held to 0.25 .. 8.
    double Zoom = 1;
    TColor DefFontColor = clBtnText;
    TColor DefHotSpotColor = clBlue;
    TColor DefVisitedLinkColor = clPurple;
    TColor DefOverLinkColor = clBlue;
    bool NoSelect = false;
    uint8_t CharSet = 1; // the default character set
    int32_t MarginHeight = 5;
    int32_t MarginWidth = 10;
    double PrintMarginLeft = 2.0, PrintMarginRight = 2.0, PrintMarginTop = 2.0,
           PrintMarginBottom = 2.0;

    // ---- events ----
    THotSpotEvent OnHotSpotCovered;
    THotSpotClickEvent OnHotSpotClick;
    TGetBitmapEvent OnBitmapRequest;
    TGetImageEvent OnImageRequest;
    // Linked style sheets from the owner (the frame viewer's request events); unset, they
    // are read as files.
    TStreamRequestEvent OnStreamRequest;
    TScriptEvent OnScript;
    TFormSubmitEvent OnFormSubmit;
    TNotifyEvent OnHistoryChange;
    TProcessingEvent OnProcessing;
    TPagePrintedEvent OnPrintHeader, OnPrintFooter;
    TIncludeEvent OnInclude;
    TSoundRequestEvent OnSoundRequest;
    TMetaEvent OnMeta;
    TMetaRefreshEvent OnMetaRefresh;
    TImageClickEvent OnImageClick;
    TImageOverEvent OnImageOver;
    TObjectClickEvent OnObjectClick;
    TRightClickEvent OnRightClick;
    TViewerMouseEvent OnMouseDouble;
    TPanelCreateEvent OnPanelCreate;
    TPanelDestroyEvent OnPanelDestroy;
    // The mouse events of the control (in paint panel coordinates).
    TViewerMouseEvent OnMouseDown, OnMouseUp;
    TViewerMouseMoveEvent OnMouseMove;
    // Dragging onto the viewer, in the viewer's coordinates.
    TDragDropEvent OnDragDrop;
    TDragOverEvent OnDragOver;
    void DragDrop(TObject* source, int32_t x, int32_t y) {
        if (OnDragDrop)
            OnDragDrop(this, source, x, y);
    }
    // True when the handler accepts what is dragged.
    bool DragOver(TObject* source, int32_t x, int32_t y) {
        bool accept = false;
        if (OnDragOver)
            OnDragOver(this, source, x, y, accept);
        return accept;
    }

    static constexpr int32_t kMaxDocWidth = 6000;
    static constexpr uint32_t kLinkTimerMs = 200;
    static constexpr uint32_t kAutoScrollMs = 100;

protected:
    void BoundsChanged() override;

private:
    // loading (viewer_load.cpp)
    void OpenFile(const std::string& fileName, THtmlFileType type);
    void LoadFile(const std::string& fileName, THtmlFileType type);
    void LoadFromMemory(const THtmlSource& source, THtmlFileType type, const std::string& name);
    void ReportRefresh();
    void PrepareDocument();
    void ParseDocument(const THtmlSource& source, THtmlFileType type, const std::string& name);
    TReaderHost ReaderHost();
    void HandleMeta(TObject* sender, const std::string& httpEquiv, const std::string& name,
                    const std::string& content);
    void SetProcessing(bool value);
    void FinishLoad(const std::string& anchor, bool sameFile);
    void StopSound();
    // layout and scrolling (viewer_layout.cpp)
    void DoLayout();
    void DoScrollBars();
    int32_t LayoutWidth() const;
    void ScrollToY(int32_t y);
    void ScrollBy(int32_t dy);
    void HScrollTo(int32_t x);
    void Invalidate();
    void UpdateBorder();
    // pointer (viewer_mouse.cpp)
    void TrackPointer(TShiftState shift, int32_t x, int32_t y);
    // Reports OnRightClick for (x, y); overPage: with what lies there.
    void RightClick(int32_t x, int32_t y, bool overPage);
    void LinkTimerTick();
    int32_t CharAtPoint(int32_t x, int32_t y);
    void ExtendSelection(int32_t x, int32_t y);
    void StartAutoScroll();
    // One step; false (and the steps stop) when the pointer is no longer far enough away.
    bool AutoScrollTick();
    void StopPanning();
    std::string WordAt(int32_t index, int32_t& start, int32_t& end);
    // history and visited (viewer_history.cpp)
    void AddHistory(const std::string& prevFile, const std::string& prevTitle, int32_t prevPos,
                    THtmlFileType prevType);
    void MarkLinks(const std::string& url);
    // forms
    void SubmitPosted();
    void ControlEntered(TFormControlObj* control);
    // A call posted to the application's loop that does nothing once the viewer is gone.
    void Post(std::function<void()> call);

    TPanel borderPanel_;
    TPaintPanel paintPanel_;
    T32ScrollBar vBar_{TScrollBarKind::sbVertical};
    TScrollBar hBar_{TScrollBarKind::sbHorizontal};
    TTimer linkTimer_;
    TTimer scrollTimer_;
    std::unique_ptr<TStringBitmapList> ownCache_;
    TStringBitmapList* cache_ = nullptr;
    std::unique_ptr<TSectionList> doc_;
    std::unique_ptr<TCanvas> measure_; // text measuring for layout and hit tests
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);

    // properties
    bool viewImages_ = true;
    TColor defBackground_ = clBtnFace;
    THTMLBorderStyle borderStyle_ = htFocused;
    int32_t historyMaxCount_ = 0;
    int32_t visitedMaxCount_ = 50;
    int32_t imageCacheCount_ = 5;
    TScrollStyle scrollBars_ = ssBoth;
    std::string serverRoot_;
    THtmlViewerOptions options_{htPrintTableBackground};

    // run state
    std::string currentFile_;
    THtmlFileType fileType_ = HTMLType;
    std::string title_, base_, baseTarget_;
    std::string url_, target_;
    int32_t docHeight_ = 0, docWidth_ = 0, charCount_ = 0;
    int32_t selAnchor_ = -1;
    bool processing_ = false;
    int32_t refreshDelay_ = 0;
    std::string refreshURL_;
    // pointer
    bool mightClick_ = false;
    bool leftDown_ = false;
    bool linkFollowed_ = false; // a link was just followed: the double click selects nothing
    int32_t mouseX_ = 0, mouseY_ = 0;
    bool pointerInside_ = false;
    bool panning_ = false;
    int32_t panY_ = 0;
    bool scrollPosted_ = false;
    // form submission waiting for its posted message
    struct TPendingSubmit {
        std::string Action, Target, EncType, Method;
        std::unique_ptr<TStringList> Results;
    };
    std::unique_ptr<TPendingSubmit> submit_;
    // history and visited
    TStringList history_, titleHistory_;
    std::vector<TPositionObj> posHistory_;
    int historyIndex_ = 0;
    TStringList visited_;
    std::string findText_;
};
