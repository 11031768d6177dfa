#pragma once
// TFrameViewer: the viewer control that shows a page or a frame set. Each frame holds its
// own THTMLViewer (or a nested frame set); documents come from files or, when the owner
// assigns a request event, from the owner. Link clicks are routed to the frame their target
// names; the viewer keeps one visited list for all frames and a history of whole frame sets.
//
// TFVBase holds the settings every inner viewer shares and passes each change on to them.
// The frame sets and frames themselves are in frame_set.h.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "html/load/frame_viewer_base.h"
#include "html/load/html_reader.h"
#include "html/view/frame_set.h"
#include "html/view/html_viewer.h"

enum TFrameViewerOption {
    fvMetaRefresh,
    fvNoBorder,
    fvOverLinksActive,
    fvNoLinkUnderline,
    fvPrintTableBackground,
    fvShowVScroll
};

// A set of TFrameViewerOption.
class TFrameViewerOptions {
public:
    constexpr TFrameViewerOptions() = default;
    constexpr TFrameViewerOptions(std::initializer_list<TFrameViewerOption> items) {
        for (TFrameViewerOption o : items)
            bits_ |= Bit(o);
    }
    constexpr bool Contains(TFrameViewerOption o) const { return (bits_ & Bit(o)) != 0; }
    constexpr TFrameViewerOptions& Include(TFrameViewerOption o) {
        bits_ |= Bit(o);
        return *this;
    }
    constexpr TFrameViewerOptions& Exclude(TFrameViewerOption o) {
        bits_ &= ~Bit(o);
        return *this;
    }
    constexpr bool operator==(const TFrameViewerOptions&) const = default;

private:
    static constexpr uint32_t Bit(TFrameViewerOption o) { return 1u << static_cast<int>(o); }
    uint32_t bits_ = 0;
};

// A link names a target: the pointer moved onto (or off, with empty strings) a link, or a
// link asks for a window no frame has.
using THotSpotTargetEvent =
    std::function<void(TObject* sender, const std::string& target, const std::string& url)>;
// A link was clicked; setting handled stops the frame viewer's own handling.
using THotSpotTargetClickEvent = std::function<void(TObject* sender, const std::string& target,
                                                    const std::string& url, bool& handled)>;
// The owner supplies a document as a string list (which stays the owner's).
using TStringsRequestEvent =
    std::function<void(TObject* sender, const std::string& src, TStringList*& strings)>;
// The owner supplies a document as a buffer of buffSize bytes (which stays the owner's).
using TBufferRequestEvent = std::function<void(TObject* sender, const std::string& src,
                                               const char*& buffer, int32_t& buffSize)>;
// The owner names a file to read instead.
using TFileRequestEvent =
    std::function<void(TObject* sender, const std::string& src, std::string& newName)>;
// Asked after a request event served a document: what kind the owner served under that name
// (a page, plain text to show as preformatted, or a picture to show alone).
using TDocumentKindEvent =
    std::function<void(TObject* sender, const std::string& src, THtmlFileType& kind)>;
// Dragging onto any frame reaches the owner with the frame viewer as sender and the point in
// the frame viewer's coordinates.
using TFVDragDropEvent = TDragDropEvent;
using TFVDragOverEvent = TDragOverEvent;

// A document as the owner or the file system gave it.
struct TFetchedDocument {
    std::string Name; // the source name: as given when the owner answered, else the full file
    std::string Text; // what the owner handed over
    std::string File; // or the file to read
    THtmlFileType Type = HTMLType;
    THtmlSource Source() const {
        return File.empty() ? THtmlSource::Text(Text) : THtmlSource::File(File);
    }
};

// A frame document that cannot be obtained or examined: "Can't load: " and the name.
class EfvLoadError : public Exception {
    using Exception::Exception;
};

// The settings every inner viewer shares. Setting one passes it on to every inner viewer
// at once; the font and colour settings take effect with each viewer's next document.
class TFVBase : public TFrameViewerBase {
public:
    TFVBase();
    ~TFVBase() override;

    bool ViewImages() const { return viewImages_; }
    void SetViewImages(bool value);
    int32_t ImageCacheCount() const { return imageCacheCount_; }
    void SetImageCacheCount(int32_t value);
    bool NoSelect() const { return noSelect_; }
    void SetNoSelect(bool value);
    TColor DefBackground() const { return defBackground_; }
    void SetDefBackground(TColor value);
    const std::string& DefFontName() const { return defFontName_; }
    void SetDefFontName(const std::string& value);
    const std::string& DefPreFontName() const { return defPreFontName_; }
    void SetDefPreFontName(const std::string& value);
    int32_t DefFontSize() const { return defFontSize_; }
    void SetDefFontSize(int32_t value);
    // The zoom of every frame's viewer (device pixels per CSS pixel), from the next document.
    double Zoom() const { return zoom_; }
    void SetZoom(double value);
    TColor DefFontColor() const { return defFontColor_; }
    void SetDefFontColor(TColor value);
    TColor DefHotSpotColor() const { return defHotSpotColor_; }
    void SetDefHotSpotColor(TColor value);
    TColor DefVisitedLinkColor() const { return defVisitedLinkColor_; }
    void SetDefVisitedLinkColor(TColor value);
    TColor DefOverLinkColor() const { return defOverLinkColor_; }
    void SetDefOverLinkColor(TColor value);
    int32_t VisitedMaxCount() const { return visitedMaxCount_; }
    void SetVisitedMaxCount(int32_t value);
    int32_t HistoryMaxCount() const { return historyMaxCount_; }
    void SetHistoryMaxCount(int32_t value);
    int32_t MarginWidth() const { return marginWidth_; }
    void SetMarginWidth(int32_t value);
    int32_t MarginHeight() const { return marginHeight_; }
    void SetMarginHeight(int32_t value);
    uint8_t CharSet() const { return charSet_; }
    void SetCharSet(uint8_t value);
    const std::string& ServerRoot() const { return serverRoot_; }
    void SetServerRoot(const std::string& value);
    TCursor ViewerCursor() const { return cursor_; }
    void SetViewerCursor(TCursor value);
    double PrintMarginLeft = 2.0, PrintMarginRight = 2.0, PrintMarginTop = 2.0,
           PrintMarginBottom = 2.0;
    TFrameViewerOptions fvOptions() const { return options_; }
    void SetfvOptions(TFrameViewerOptions value);
    // The inner viewers' options that fvOptions stands for.
    THtmlViewerOptions InnerOptions() const;

    // Every inner viewer, in the order they were made.
    virtual std::vector<THTMLViewer*> Viewers() const = 0;

protected:
    // fvOptions changed (the frame viewer redraws its borders).
    virtual void OptionsChanged() {}
    // VisitedMaxCount changed (the frame viewer trims or clears its list).
    virtual void VisitedMaxCountChanged() {}

    bool viewImages_ = true;
    int32_t imageCacheCount_ = 5;
    bool noSelect_ = false;
    TColor defBackground_ = clBtnFace;
    std::string defFontName_ = "Times New Roman";
    std::string defPreFontName_ = "Courier New";
    int32_t defFontSize_ = 12;
    double zoom_ = 1;
    TColor defFontColor_ = clBtnText;
    TColor defHotSpotColor_ = clBlue;
    TColor defVisitedLinkColor_ = clPurple;
    TColor defOverLinkColor_ = clBlue;
    int32_t visitedMaxCount_ = 50;
    int32_t historyMaxCount_ = 0;
    int32_t marginWidth_ = 10;
    int32_t marginHeight_ = 5;
    uint8_t charSet_ = 1;
    std::string serverRoot_;
    TCursor cursor_ = TCursor::crIBeam;
    TFrameViewerOptions options_{fvPrintTableBackground};
};

class TFrameViewer : public TFVBase {
public:
    TFrameViewer();
    ~TFrameViewer() override;

    // ---- loading ----
    // Loads a name (a file, or what the owner serves) at top level, with "#anchor" allowed.
    // An error leaves the shown set in place and is passed on: EInOutError "Can't locate
    // file: " for a missing file, the owner's own exception for what its handler raised.
    void Load(const std::string& url);
    void LoadFromFile(const std::string& name) { Load(name); }
    // Loads at top level only when a request event is assigned.
    void OpenDocument(const std::string& name);
    // Loads the current top set's source again.
    void Reload();
    void Clear();
    // Follows a link as if it had been clicked in the active frame's viewer (or the first).
    void HotSpotClick(THTMLViewer* viewer, const std::string& url, const std::string& target);

    // ---- history (whole frame sets; each frame keeps its own) ----
    bool BackButtonEnabled() const;
    bool FwdButtonEnabled() const;
    void GoBack();
    void GoFwd();
    const TStringList& History() const { return history_; }
    const TStringList& TitleHistory() const { return titleHistory_; }
    int HistoryIndex() const { return historyIndex_; }
    // Shows history entry index (0 = newest).
    void SetHistoryIndex(int index);

    // ---- visited list, for all frames ----
    const TStringList& Visited() const { return visited_; }
    void AddVisited(const std::string& url);
    void CheckVisitedLinks();

    // ---- names ----
    // A link's full name: the base from the current frame's chain of base elements, else
    // the frame's own viewer, else the directory of the top set's source.
    std::string ExpandName(const std::string& link) const;
    // The top set's source (as given when a request event supplied it, else the full file
    // name) and title.
    const std::string& CurrentFile() const;
    const std::string& DocumentTitle() const;

    // ---- structure ----
    TFrameSet& CurFrameSet() const { return *curFrameSet_; }
    std::vector<THTMLViewer*> Viewers() const override;
    // The viewer of the frame that had the focus last (or the only one).
    THTMLViewer* ActiveViewer() const;
    // A frame by its name (any capitals), or null.
    TfvFrame* FrameByName(const std::string& name) const;
    bool Processing() const { return processing_; }
    // True when a request event is assigned: documents then come from the owner.
    bool Requested() const {
        return OnStringsRequest || OnStreamRequest || OnBufferRequest || OnFileRequest;
    }

    // The most frames one top set holds, nested frame-set documents included.
    static constexpr int kMaxFrames = 256;

    // ---- events ----
    THotSpotTargetEvent OnHotSpotTargetCovered;
    THotSpotTargetClickEvent OnHotSpotTargetClick;
    THotSpotTargetEvent OnBlankWindowRequest;
    TStreamRequestEvent OnStreamRequest;
    TStringsRequestEvent OnStringsRequest;
    TBufferRequestEvent OnBufferRequest;
    TFileRequestEvent OnFileRequest;
    // Unassigned, every document a request event serves is a page.
    TDocumentKindEvent OnDocumentKind;
    TGetImageEvent OnImageRequest;
    TGetBitmapEvent OnBitmapRequest;
    TObjectClickEvent OnObjectClick;
    TFormSubmitEvent OnFormSubmit;
    TImageClickEvent OnImageClick;
    TImageOverEvent OnImageOver;
    TRightClickEvent OnRightClick;
    TViewerMouseEvent OnMouseDouble;
    TViewerMouseEvent OnMouseDown, OnMouseUp;
    TViewerMouseMoveEvent OnMouseMove;
    std::function<void(TControl& sender, int& key, TShiftState shift)> OnViewerKeyDown;
    TPagePrintedEvent OnPrintHeader, OnPrintFooter;
    TPanelCreateEvent OnPanelCreate;
    TPanelDestroyEvent OnPanelDestroy;
    TNotifyEvent OnHistoryChange;
    TProcessingEvent OnProcessing;
    TFVDragDropEvent OnDragDrop;
    TFVDragOverEvent OnDragOver;

    // ---- the reader's frame operations ----
    void AddFrame(TObject* owner, TAttributeList& attrs, const std::string& fileName) override;
    TObject* AddFrameSet(TObject* owner) override;
    void SetFrameSetAttributes(TObject* owner, TAttributeList& attrs) override;
    void EndFrameSet(TObject* owner) override;

    // ---- used by the frames ----
    // Asks the owner for a document, in the order strings, stream, buffer, file; true with
    // a source when one answered (the text is copied into text, so the owner may reuse its
    // stream at once). fileName gets a file the owner named.
    bool RequestDocument(TObject* sender, const std::string& name, std::string& text,
                         std::string& fileName);
    // Gets a document: from the owner's request events, else as a file (EInOutError "Can't
    // locate file: " when it is missing). Whatever the owner's handler raises propagates.
    TFetchedDocument FetchDocument(TObject* sender, const std::string& name);
    // Reads a frame-set document into set through the frame operations.
    void ReadFrameSet(TSubFrameSet& set, const THtmlSource& source);
    // Makes and wires an inner viewer for a frame.
    std::unique_ptr<THTMLViewer> MakeViewer(TfvFrame& frame);
    // Commands that replace documents (loading, reloading, moving through the history,
    // following a link) wait while a modal dialog of another window runs: the event that
    // opened the dialog may still be using the documents they would free. True when call was
    // put off until the dialog has closed.
    bool DeferWhileModal(std::function<void()> call);
    // A link click in an inner viewer.
    void LinkClick(THTMLViewer* viewer, const std::string& url, bool& handled);
    // The pointer over a link of an inner viewer.
    void LinkCovered(THTMLViewer* viewer, const std::string& url);
    // Processing reported by an inner viewer or by a load.
    void SetProcessing(bool value);
    TStringBitmapList& ImageCache() { return *cache_; }
    // Takes a panel or viewer off the screen and releases it once the current event is
    // over: a link click may replace the very viewer whose click handler is still running.
    void Retire(std::unique_ptr<TControl> control);
    // Shows an error message where a page could not be loaded (an empty page naming it).
    static std::string ErrorPage(const std::string& title, const std::string& message);

protected:
    void BoundsChanged() override;
    void OptionsChanged() override;
    void VisitedMaxCountChanged() override;

private:
    friend class TFrameSet;
    friend class TSubFrameSet;
    friend class TfvFrame;
    // The top-level load of OpenDocument.
    void LoadTop(const std::string& name);
    void AddHistory(std::unique_ptr<TFrameSet> old, int32_t pos);
    void PostRelease();
    void PlaceTop(TFrameSet& set);
    TfvFrame* FrameOf(const THTMLViewer* viewer) const;
    TSubFrameSet* SetOf(TObject* owner) const;
    std::string FormLinkName(const THTMLViewer& viewer, const TfvFrame* frame,
                             const std::string& link) const;

    std::unique_ptr<TStringBitmapList> cache_;
    std::unique_ptr<TFrameSet> curFrameSet_;
    // History, newest first; the frame set of each entry is owned here (null for the entry
    // shown, which is curFrameSet_).
    TStringList history_, titleHistory_;
    std::vector<int32_t> posHistory_;
    std::vector<std::unique_ptr<TFrameSet>> historySets_;
    int historyIndex_ = 0;
    TStringList visited_;
    THTMLViewer* activeViewer_ = nullptr;
    bool processing_ = false;
    int processingDepth_ = 0;
    std::vector<std::unique_ptr<TControl>> retired_;
    bool retirePosted_ = false;
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
    // Frames made while reading one frame-set document, against hostile documents.
    int readFrames_ = 0;
    // The text of the last style sheet the owner served (the reader reads it at once).
    TMemoryStream styleStream_;
};

// Processing on for the length of a scope, however it ends.
class TFVProcessingScope {
public:
    explicit TFVProcessingScope(TFrameViewer& viewer) : viewer_(viewer) {
        viewer_.SetProcessing(true);
    }
    ~TFVProcessingScope() { viewer_.SetProcessing(false); }
    TFVProcessingScope(const TFVProcessingScope&) = delete;
    TFVProcessingScope& operator=(const TFVProcessingScope&) = delete;

private:
    TFrameViewer& viewer_;
};
