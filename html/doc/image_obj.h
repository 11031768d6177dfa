#pragma once
// Images in the document: an IMG (inline or floating), an INPUT TYPE=image's picture, a list
// marker image or a block background. The picture comes through the document's image request
// road and the shared cache; while it is missing a stand-in with the ALT text is shown.
// OBJECT elements become panels the host fills. A text section keeps its images and panels in
// a TImageObjList; the document draws inline images in one batch through its TDrawList.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "html/doc/border_paint.h"
#include "html/doc/floating_obj.h"
#include "html/image/image_kind.h"
#include "html/reader/attributes.h"
#include "platform/gui/panel.h"

class TSectionList;
class TProperties;
class TCanvas;
class TBitmap;
class TBitmapItem;
class TGIFImage;
class TFontObj;
class TImageFormControlObj;
class TMapItem;

class TImageObj : public TFloatingObj {
public:
    // An IMG element at a buffer position.
    TImageObj(TSectionList* document, TAttributeList& attrs, int32_t position);
    // A block background or list marker: aligned bottom, no border.
    TImageObj(TSectionList* document, const std::string& address);
    ~TImageObj() override;

    void ApplyStyle(const TProperties& props);
    // Gets the picture (or the stand-in) and settles the size; run is the font run the image
    // stands in (for the link border), may be null.
    void FetchAndSize(TSectionList* document, TCanvas& canvas, int32_t availWidth, TFontObj* run);
    // Draws the picture in a line (or at its float place). baseline and top are document y
    // values; x is a window x.
    void DrawInLine(TCanvas& canvas, int32_t x, TFontObj* run, int32_t baseline, int32_t top);
    // The picture is the error stand-in (the address could not be loaded).
    bool IsErrorImage() const { return kind_ == pkError; }
    // The picture is the waiting stand-in (it comes later, or images are off).
    bool IsWaitingImage() const { return kind_ == pkWaiting; }
    // The picture for tiling a background: none for the error image or a non-bitmap.
    const TBitmap* TileBitmap();
    const TBitmap* TileMask() const;
    // ACTIVE images: the second frame (or the animation) only under the pointer.
    void SetHover(bool value);
    // The animated picture, or none.
    TGIFImage* Gif() const { return gif_.get(); }
    // The still picture, or none (stand-ins included).
    const TBitmap* Bitmap() const;
    const TBitmap* Mask() const { return mask_; }

    TSectionList* Document;
    bool BackgroundUse = false;
    TImageFormControlObj* FormControl = nullptr;
    int32_t SpecWidth = 0, SpecHeight = 0;
    bool PercentWidth = false;
    int32_t ObjWidth = 0, ObjHeight = 0;
    bool SizeKnown = false;
    std::string Source;
    std::string Alt;
    bool NoBorder = false;
    TTransparency Transparency = NotTransp;
    bool IsMap = false;
    bool HasUseMap = false;
    std::string UseMapName; // upper case, without a leading "#"
    bool LinkBorder = false;
    // The BORDER attribute in pixels (-1 when absent): a frame in the text colour, also on
    // images that are not links.
    int32_t BorderAttr = -1;
    // A border given by style; widths 0 when none.
    TBorderSides StyleBorder{};
    // The frame the last sizing chose (style border, BORDER, or the one pixel of a link);
    // ImageWidth and ImageHeight include it, DrawX and DrawY lie inside it.
    TBorderSides Frame{};
    int32_t FrameX() const { return Frame.Width[1] + Frame.Width[3]; }
    int32_t FrameY() const { return Frame.Width[0] + Frame.Width[2]; }
    bool Active = false;
    bool Hovered = false;
    bool Drawn = false; // drawn in the current paint (the animation timer advances these)

private:
    enum TPictureKind { pkNone, pkPicture, pkWaiting, pkError };
    void ReleasePicture();
    void TakePicture(TBitmapItem* item, bool fromCache);
    void DrawPicture(TCanvas& canvas, int32_t x, int32_t y, bool placeholder);
    const TBitmap* ShownBitmap() const;

    TPictureKind kind_ = pkNone;
    bool expanded_ = false;           // Source holds the expanded name
    const TBitmap* bitmap_ = nullptr; // the cache's (or ownItem_'s) bitmap
    const TBitmap* mask_ = nullptr;
    std::unique_ptr<TGIFImage> gif_;       // this image's own copy of an animated picture
    std::unique_ptr<TBitmapItem> ownItem_; // a picture the cache did not take
    std::string cacheKey_;                 // the cache entry this image holds a use of
    std::unique_ptr<TBitmap> stillCopy_;   // first frame of a still GIF kept as a GIF
    std::unique_ptr<TBitmap> paletteCopy_; // TileBitmap's copy with the shared palette
};

// The toolkit's panel with a flag that keeps it hidden.
class ThvPanel : public TPanel {
public:
    bool ShowPanel = true;
};

// One OBJECT element: a panel the host fills through the document's OnPanelCreate.
class TPanelObj : public TFloatingObj {
public:
    TPanelObj(TSectionList* document, TAttributeList& attrs, int32_t position);
    ~TPanelObj() override;

    TSectionList* Document;
    bool Shown = false; // drawn in the current paint
    std::string Alt;
    std::string Name, Source, Type;
    std::unique_ptr<ThvPanel> Panel;

    // Puts the panel at a window position: moved and shown on the paint panel, or painted
    // onto the canvas when the document has no paint panel (headless).
    void PlaceAt(TCanvas& canvas, int32_t x, int32_t y);
};

// The images and panels of one section, in buffer order; owning.
class TImageObjList {
public:
    int Count() const { return static_cast<int>(items_.size()); }
    bool Empty() const { return items_.empty(); }
    TFloatingObj* operator[](int i) const { return items_[static_cast<size_t>(i)].get(); }
    TFloatingObj* Add(std::unique_ptr<TFloatingObj> obj);
    auto begin() const { return items_.begin(); }
    auto end() const { return items_.end(); }

    // The object at exactly that position, or none.
    TFloatingObj* FindImage(int32_t position) const;
    // ImageHeight plus the vertical spaces, or -1.
    int32_t HeightAt(int32_t position, uint8_t& align, TFloatingObj*& obj) const;
    // ImageWidth, or -1.
    int32_t WidthAt(int32_t position, uint8_t& align, int32_t& spaceLeft, int32_t& spaceRight,
                    TFloatingObj*& obj) const;
    // Characters from the position to the first object at or after it, or 9999.
    int32_t CharsToNextImage(int32_t position) const;
    // The image under a point (document coordinates), with its map when it uses one.
    bool ImageAt(TSectionList* document, int32_t x, int32_t y, TImageObj*& image, TMapItem*& map,
                 bool& usesMap, bool& isMap, int32_t& position, int32_t& xInside,
                 int32_t& yInside) const;
    bool ObjectAt(int32_t x, int32_t y, TObject*& obj, int32_t& xInside, int32_t& yInside) const;

private:
    std::vector<std::unique_ptr<TFloatingObj>> items_;
};

// Image draws deferred to the end of a document paint, so pictures lie above every section's
// background.
struct TImageRec {
    TImageObj* Image = nullptr;
    TCanvas* Canvas = nullptr;
    int32_t X = 0;
    int32_t Top = 0;      // document y of the line's text top (or of the float's box)
    int32_t Baseline = 0; // document y of the baseline
    TFontObj* Run = nullptr;
};

class TDrawList {
public:
    void AddImage(TImageObj* image, TCanvas* canvas, int32_t x, int32_t top, int32_t baseline,
                  TFontObj* run);
    // Draws every record (errors while drawing a picture are ignored) and empties the list.
    void DrawImages();
    void Clear() { items_.clear(); }
    int Count() const { return static_cast<int>(items_.size()); }

private:
    std::vector<TImageRec> items_;
};
