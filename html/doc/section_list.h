#pragma once
// TSectionList: the parsed document, the root cell of the section tree. It owns the top-level
// sections and the document-wide lists (forms, image maps) and refers to the others (form
// controls, animated images, panels, links). The viewer asks it to lay itself out for a
// width, to paint a band of itself and to say what lies under the mouse; without a viewer the
// same calls render a page headless.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <unordered_set>
#include <vector>

#include "html/doc/cell.h"
#include "html/image/bitmap_cache.h"
#include "html/image/image_kind.h"
#include "html/reader/id_name_list.h"
#include "html/reader/map_item.h"
#include "html/style/style_list.h"
#include "platform/base/streams.h"
#include "platform/base/string_list.h"
#include "platform/graphics/bitmap.h"
#include "platform/graphics/color.h"

class TFontObj;
class TFloatingObj;
class TImageObj;
class TPanelObj;
class ThtmlForm;
class TFormControlObj;
class TGIFImage;
class TWinControl;
class TTimer;
class TDrawList;
class ThvPanel;

// The host's ways of handing pictures to the document.
// A ready bitmap for a name; setting color (from -1) makes that colour transparent.
using TGetBitmapEvent = std::function<void(TObject* sender, const std::string& src,
                                           std::unique_ptr<TBitmap>& bitmap, TColor& color)>;
// A stream with the picture's bytes. Returning WaitStream() says the picture comes later.
using TGetImageEvent =
    std::function<void(TObject* sender, const std::string& src, TMemoryStream*& stream)>;
// Expands a name (a relative address) into the one the host serves or the file to read.
using TExpandNameEvent =
    std::function<void(TObject* sender, const std::string& name, std::string& expanded)>;
using TPanelCreateEvent =
    std::function<void(TObject* sender, const std::string& name, const std::string& type,
                       const std::string& src, ThvPanel* panel)>;
using TPanelDestroyEvent = std::function<void(TObject* sender, ThvPanel* panel)>;
using TObjectClickEvent =
    std::function<void(TObject* sender, TFormControlObj* obj, const std::string& onClick)>;
// Results belongs to the handler.
using TFormSubmitEvent = std::function<void(
    TObject* sender, const std::string& action, const std::string& target,
    const std::string& encType, const std::string& method, std::unique_ptr<TStringList> results)>;

// The stream an OnImageRequest handler hands back to say that the picture comes later.
TMemoryStream* WaitStream();

// A TObject as well: it stands in PendingImages as the one waiting for the background image.
class TSectionList : public TCell, public TCharPosLocator, public TObject {
public:
    // viewer: the sender of every event (may be null headless); paintPanel: the parent of
    // form control and panel widgets (null headless).
    TSectionList(TObject* viewer, TWinControl* paintPanel);
    ~TSectionList() override;

    TObject* Viewer;
    TWinControl* PaintPanel;
    bool ImagesOn = true;
    int32_t ScrollTop = 0;
    bool ScrollMoved = false;
    int32_t SelectionStart = 0;
    int32_t SelectionEnd = 0;
    bool ShowCaret = false; // a caret is drawn at SelectionEnd when nothing is selected
    std::string PreFontName = "Courier New"; // at most 32 characters
    TColor LinkColor = clBlue;
    TColor VisitedColor = clPurple;
    TColor HoverColor = clBlue;
    bool Printing = false; // no printing in this system; kept for the drawing rules

    TGetBitmapEvent OnBitmapRequest;
    TGetImageEvent OnImageRequest;
    TExpandNameEvent OnExpandName;
    // The viewer's own file-name expansion, used when neither request event is set (a page
    // read from a file: names relative to the page's folder).
    std::function<std::string(const std::string& name)> HtmlExpandFilename;
    TPanelCreateEvent OnPanelCreate;
    TPanelDestroyEvent OnPanelDestroy;
    TObjectClickEvent OnObjectClick;
    TFormSubmitEvent OnFormSubmit;
    std::function<void(TFormControlObj* control)> OnControlEnter;
    std::function<void(TObject* sender)> OnBackgroundChange;
    // A section that failed during layout; without a handler the message goes to standard
    // error (the viewer sets one that shows an error box).
    std::function<void(const std::string& message)> OnLayoutError;
    // Milliseconds for animations (the application's clock unless set).
    std::function<uint32_t()> Clock;
    // Asks the viewer to repaint its paint panel: an area, or all of it when r is null.
    // Headless nothing is repainted.
    std::function<void(const TRect* r)> OnInvalidate;

    TColor Background = clWhite;
    std::string BackgroundName;
    bool BackgroundLoaded = false;
    const TBitmap* BackgroundBitmap = nullptr; // from the cache or an animation frame
    const TBitmap* BackgroundMask = nullptr;

    TFreeList<ThtmlForm> Forms;
    std::vector<TImageObj*> Animations;
    TFreeList<TMapItem> MapList;
    std::vector<TFormControlObj*> Controls;
    std::vector<TPanelObj*> Panels;
    TStringList PendingImages; // unsorted: upper-case names, each with the waiting object
    std::vector<TFontObj*> Links;
    TFontObj* HoverLink = nullptr;
    TImageObj* HoverImage = nullptr;
    bool HoverEnabled = false;
    TStyleList StyleSheet;
    std::unique_ptr<TDrawList> DeferredImages;
    TIDNameList NamedPositions;
    std::vector<TSectionBase*> SectionIndex;
    TStringBitmapList* BitmapList = nullptr; // the image cache, shared with the viewer
    std::string ClipBuffer;                  // CopySelection writes here
    int32_t BandBottom = 0;                  // ScrollTop + clip bottom of the band painted
    // Device pixels per CSS pixel (the viewer's zoom), set before SetDefaults: text sizes,
    // style and attribute lengths, margins and pictures are all scaled by it.
    double Zoom = 1;
    // The table pass in progress (see TPassScope): how deep the table calls are nested and
    // the number of the pass, which only grows.
    int TablePassDepth = 0;
    uint64_t TablePassNumber = 0;
    // While a list item lays out: where the first text line's baseline goes (0 until found).
    int32_t* FirstLineBaseline = nullptr;
    // Set by the reader: the document's title, base address and base target.
    std::string Title, Base, BaseTarget;

    void Clear();
    // The document layout: controls sized, the root cell laid out, animations restarted,
    // the position index filled. Returns the document height.
    int32_t LayOut(TCanvas& canvas, int32_t y, int32_t width, int32_t height, int32_t& neededWidth,
                   int32_t& charIndex) override;
    int32_t DrawCell(TCanvas& canvas, const TRect& clip, int32_t clipWidth, int32_t x, int32_t y,
                     int32_t refX, int32_t refY) override;
    bool FindLink(TCanvas& canvas, int32_t x, int32_t y, TUrlTarget& target,
                  TImageFormControlObj*& formControl) override;
    void ScrollTo(int32_t y);
    void ClearHover();
    void SetDefaults(const std::string& fontName, const std::string& preFontName, double pointSize,
                     TColor textColor, TColor linkColor, TColor visitedColor, TColor hoverColor,
                     bool hoverEnabled, TColor background, bool underlineLinks, int32_t marginWidth,
                     int32_t marginHeight, uint8_t charset);
    void SetBackColor(TColor color);
    void SetBackImageName(const std::string& name);
    const TBitmap* BackImage();
    TSectionBase* SectionAtY(int32_t y, int32_t& sectionTop, int& index);
    // The image request road: cache, bitmap event, image event, file. The picture belongs to
    // the cache (one more usage taken) unless noted by fromCache/the caller's copy rules.
    TBitmapItem* FetchImage(const std::string& name, TTransparency& transparency, bool& wait,
                            bool& fromCache);
    // Bytes of decoded pictures a page may hold: each picture it names counted once, and
    // each use of an animation its own composition. A picture that would pass the budget is
    // refused (FetchImage gives none) and shows its stand-in.
    static constexpr int64_t kPictureBudget = int64_t{512} << 20;
    int64_t PictureBudget = kPictureBudget;
    int64_t PictureBytes() const { return pictureBytes_; }
    void HideUnshownControls();
    // One tick of the animation timer (50 ms).
    void TimerTick();

    // TCharPosLocator: the y of the section holding a source position.
    bool CharPosY(int32_t charPos, int32_t& y) override;

    void Dump(TDumpWriter& out, int depth) const;

    // The animation timer; made by the first layout that finds animated images.
    TTimer* AnimationTimer() const { return timer_.get(); }

private:
    void Invalidate(const TRect* r = nullptr);
    void ReleaseBackground();

    std::unique_ptr<TTimer> timer_;
    // The image cache used when the viewer hands none over.
    std::unique_ptr<TStringBitmapList> ownCache_;
    TBitmapItem* backItem_ = nullptr;        // the background's picture (a use of the cache entry)
    std::string backKey_;                    // its cache name
    std::unique_ptr<TBitmapItem> backOwned_; // a background picture the cache did not take
    int32_t layoutHeight_ = 0, layoutWidth_ = 0; // results of the last layout, for the dump
    // Takes a use of the picture from the page's budget; false when it does not fit.
    bool ChargePicture(const std::string& key, const TBitmapItem& item);
    int64_t pictureBytes_ = 0;
    std::unordered_set<std::string> chargedPictures_; // cache names already counted
};
