#pragma once
// The panels of a frame viewer: frame sets (a FRAMESET element: a panel divided into rows or
// columns) and frames (a FRAME element: a panel holding one inner viewer or a nested frame
// set). The top set of a TFrameViewer is a TFrameSet, which also knows the names of all its
// frames so that link targets can find them.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "html/reader/attributes.h"
#include "platform/base/string_list.h"
#include "platform/gui/panel.h"
#include "platform/gui/timer.h"

class TFrameViewer;
struct TFetchedDocument;
class TFrameSet;
class TSubFrameSet;
class THTMLViewer;

// A refresh request's content: the delay before the first ";" (0 becomes 1) and the address
// after "url=" (empty without one). False when it does not start with a number of at least 0.
bool ParseRefreshContent(const std::string& content, int32_t& delay, std::string& url);

class TFrameBase : public TPanel, public TObject {
public:
    TFrameBase(TFrameViewer& viewer, TFrameSet* top, TSubFrameSet* parentSet);
    ~TFrameBase() override;

    // Loads every document below (after a frame-set document was read).
    virtual void LoadFiles() = 0;
    // Lets go of the documents (the set leaves the screen for the history).
    virtual void UnloadFiles() = 0;
    // Loads the documents again, the only viewer at position pos.
    virtual void ReloadFiles(int32_t pos) = 0;
    // Places the panel at its rectangle (parent client coordinates) and lays out below.
    virtual void InitializeDimensions(int32_t x, int32_t y, int32_t w, int32_t h) = 0;
    // Every inner viewer below, in order.
    virtual void CollectViewers(std::vector<THTMLViewer*>& out) const = 0;
    // The panel leaves its top set: its frames' names are taken out of the top set's list.
    virtual void Detach() = 0;

    TFrameViewer& Viewer() const { return viewer_; }
    TFrameSet* TopSet() const { return top_; }
    TSubFrameSet* ParentSet() const { return parentSet_; }

    // The pointer over the panel's bevels: the borders between frames lie there. A set handles
    // it itself; a frame hands it to its set; while a border is dragged, everything goes to
    // the set being dragged. The panel shows the cursor the set chose.
    bool TakesMouse() const override { return true; }
    void OwnMouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
    void OwnMouseMove(TShiftState shift, int x, int y) override;
    void OwnMouseUp(TMouseButton button, TShiftState shift, int x, int y) override;

protected:
    TFrameViewer& viewer_;
    TFrameSet* top_;
    TSubFrameSet* parentSet_;
};

// One frame's history entry: its source (with anchor) and position.
struct TfvHistoryEntry {
    std::string Source;
    int32_t Pos = 0;
};

class TfvFrame : public TFrameBase {
public:
    TfvFrame(TFrameViewer& viewer, TFrameSet* top, TSubFrameSet* parentSet);
    ~TfvFrame() override;

    // What the FRAME element said.
    void ReadAttributes(TAttributeList& attrs, const std::string& fileName);

    void LoadFiles() override;
    void UnloadFiles() override;
    void ReloadFiles(int32_t pos) override;
    void InitializeDimensions(int32_t x, int32_t y, int32_t w, int32_t h) override;
    void CollectViewers(std::vector<THTMLViewer*>& out) const override;
    void Detach() override;

    // Loads name (an empty name keeps the source: only the anchor moves) and scrolls to
    // dest; with history, the document left is recorded in the frame's history.
    void frLoadFromFile(const std::string& name, const std::string& dest, bool history);
    // A refresh the document asked for (the inner viewer's report).
    void Refresh(int32_t delay, const std::string& url);
    // The frame's own history, newest first.
    void GoBack();
    void GoFwd();
    bool BackEnabled() const;
    bool FwdEnabled() const;
    int HistoryIndex() const { return frHistoryIndex_; }
    const std::vector<TfvHistoryEntry>& History() const { return frHistory_; }

    THTMLViewer* HtmlViewer() const { return viewer2_.get(); }
    TSubFrameSet* FrameSet() const { return frameSet_.get(); }

    std::string Source;      // the document, as given or expanded
    std::string Destination; // the anchor, without its "#"
    std::string WinName;     // the frame's name
    std::string OrigDir;     // the directory of the frame-set document
    bool NoScroll = false;
    bool NoReSize = false;
    int32_t frMarginWidth = 10;
    int32_t frMarginHeight = 5;
    uint8_t CharSet = 1;
    // The text of the last failure to load, shown in the frame instead of a document.
    std::string LoadError;

    // Fetches name and shows it; an error to fetch leaves the frame as it was and propagates.
    void LoadDocument(const std::string& name, const std::string& dest);
    // Shows a fetched document (a page in the viewer, a frame-set document as a nested set).
    void ShowDocument(const TFetchedDocument& doc, const std::string& dest);

private:
    void ShowError(const std::string& name, const std::string& message);
    void EnsureViewer();
    void AddFrameHistory(const std::string& oldSource, int32_t oldPos);

    std::unique_ptr<THTMLViewer> viewer2_;
    std::unique_ptr<TSubFrameSet> frameSet_;
    std::vector<TfvHistoryEntry> frHistory_;
    int frHistoryIndex_ = 0;
    TTimer refreshTimer_;
    std::string refreshURL_;

public:
    // Frame-set documents inside frame-set documents, counted from the top set.
    int Depth = 0;
    static constexpr int kMaxDocumentDepth = 8;
};

class TSubFrameSet : public TFrameBase {
public:
    TSubFrameSet(TFrameViewer& viewer, TFrameSet* top, TSubFrameSet* parentSet);
    ~TSubFrameSet() override;

    // Frame sizes: at most kMaxDims entries, each a pixel count (>0), a percentage -(100+n)
    // or a relative weight -n.
    static constexpr int kMaxDims = 20;
    static std::vector<int16_t> ParseDims(const std::string& value);
    // The frame layout: the lengths of entries dims for a length.
    static std::vector<int32_t> ComputeLengths(const std::vector<int16_t>& dims, int32_t length);

    void SetAttributes(TAttributeList& attrs);
    TfvFrame* AddFrame(TAttributeList& attrs, const std::string& fileName);
    TSubFrameSet* AddFrameSet();
    void EndFrameSet();
    virtual void Clear();

    void LoadFiles() override;
    void UnloadFiles() override;
    void ReloadFiles(int32_t pos) override;
    void InitializeDimensions(int32_t x, int32_t y, int32_t w, int32_t h) override;
    void CollectViewers(std::vector<THTMLViewer*>& out) const override;
    void Detach() override;
    // Lays the children out at the client rectangle's size in proportion to their lengths.
    void PlaceInProportion();

    // Border dragging, in this panel's client coordinates. The press and movement near the
    // outer edge are passed to the enclosing set.
    // BorderMouseMove answers the cursor the panel under the pointer shows.
    void BorderMouseDown(TMouseButton button, int32_t x, int32_t y);
    TCursor BorderMouseMove(int32_t x, int32_t y);
    void BorderMouseUp(TMouseButton button, int32_t x, int32_t y);
    // What the pointer shows over this set: the viewer's cursor, or a split cursor over a
    // border that can be dragged.
    enum class TSplitCursor { scNone, scVSplit, scHSplit };
    TSplitCursor SplitCursor() const { return splitCursor_; }
    // Where the drag line of the border being dragged is.
    int32_t DragPos() const { return dragPos_; }
    // The line that shows where the dragged border will go (over the frames), or null.
    const TPanel* DragLine() const { return dragLine_.get(); }

    const std::vector<std::unique_ptr<TFrameBase>>& Children() const { return list_; }
    const std::vector<int16_t>& Dims() const { return dims_; }
    const std::vector<int32_t>& Lines() const { return lines_; }
    const std::vector<int32_t>& Positions() const { return positions_; }
    bool Rows() const { return rows_; }
    int32_t BorderSize = 2;
    std::string BaseTarget;
    std::string Base;
    // A pending refresh: delay in seconds and the document to load.
    int32_t RefreshDelay = 0;
    std::string RefreshURL;
    void StartRefresh();
    // Frame-set documents this set lies inside (0 for the top set's own document).
    int DocDepth = 0;
    // The frame whose document this set is (a frame-set document inside a frame), or null.
    TfvFrame* OwnerFrame = nullptr;
    // The number of frames below, nested sets included.
    int FrameCount() const;
    // Limits against hostile documents.
    static constexpr int kMaxChildren = 64;

protected:
    void BoundsChanged() override;
    // Lays the children out from the stored entries at the client rectangle's size.
    void LayOut();
    void PlaceChildren();
    // The coordinate of (x, y) along the set's dimension.
    int32_t Along(int32_t x, int32_t y) const { return rows_ ? y : x; }
    bool NearEdge(int32_t x, int32_t y) const;

    std::vector<std::unique_ptr<TFrameBase>> list_;
    std::vector<int16_t> dims_;
    bool rows_ = false;
    std::vector<int32_t> lines_;     // computed length of each child
    int32_t layoutTotal_ = 0;        // their sum
    std::vector<int32_t> positions_; // 0 and each border k at the start of child k
    std::vector<bool> fixed_;        // per border
    TSplitCursor splitCursor_ = TSplitCursor::scNone;
    int hoverBorder_ = -1;
    int dragBorder_ = -1;
    int32_t dragPos_ = 0;
    bool placing_ = false;
    TTimer refreshTimer_;
    std::unique_ptr<TPanel> dragLine_;
    void ShowDragLine();
    void EndDrag();
};

class TFrameSet : public TSubFrameSet {
public:
    explicit TFrameSet(TFrameViewer& viewer);
    ~TFrameSet() override;

    // Loads a document into the set: a frame-set document makes its frames; a page gets one
    // frame that fills the set. An error propagates (the caller discards the set).
    void LoadFromFile(const std::string& name, const std::string& dest);
    void Clear() override;

    // Upper-cased frame names, each with its TfvFrame.
    TStringList FrameNames;
    std::string CurrentFile;
    std::string Title;
    // Nested sets report the set being dragged here.
    TSubFrameSet* DraggingSet = nullptr;
    // The frame whose viewer had the focus last.
    TfvFrame* ActiveFrame = nullptr;
    int32_t ViewerPosition() const;
    // The set's only frame (a page), or null.
    TfvFrame* SingleFrame() const;
};
