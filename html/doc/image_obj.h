#pragma once
// Images in the document: an IMG (inline or floating), an INPUT TYPE=image's picture, a list
// marker image or a block background. The picture comes through the document's image request
// road and the shared cache; while it is missing a stand-in with the ALT text is shown.
#include <cstdint>
#include <memory>
#include <string>

#include "html/doc/floating_obj.h"
#include "html/image/image_kind.h"
#include "html/reader/Attributes.h"

class TSectionList;
class TProperties;
class TCanvas;
class TBitmap;
class TGIFImage;
class TFontObj;
class TImageFormControlObj;

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
    void FetchAndSize(TSectionList* document, TCanvas& canvas, int32_t availWidth,
                      TFontObj* run);
    // The picture is the error stand-in (the address could not be loaded).
    bool IsErrorImage() const;
    // The picture for tiling a background: none for the error image or a non-bitmap.
    const TBitmap* TileBitmap();
    const TBitmap* TileMask() const;
    void SetHover(bool value);

    bool BackgroundUse = false;
    TImageFormControlObj* FormControl = nullptr;
    int32_t SpecWidth = 0, SpecHeight = 0;
    int32_t ObjWidth = 0, ObjHeight = 0;
};
