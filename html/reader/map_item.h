#pragma once
// One client-side image map (a MAP element) and its areas.
#include <memory>
#include <string>
#include <vector>

#include "html/reader/attributes.h"
#include "html/reader/url_target.h"
#include "platform/base/string_list.h"
#include "platform/graphics/region.h"

// The screen region of one area, kept as the object of its entry in TMapItem::Areas.
class TAreaRegion : public TObject {
public:
    explicit TAreaRegion(TRegion r) : Region(std::move(r)) {}
    TRegion Region;
};

class TMapItem {
public:
    TMapItem();
    std::string MapName;     // the NAME of the MAP, upper case
    TStringList Areas;       // HREF of each usable area ("" for NOHREF), object TAreaRegion
    TStringList AreaTargets; // TARGET of each area, same order

    // Adds the area of one AREA tag; an area with too few coordinates is dropped.
    void AddArea(const TAttributeList& attrs);
    // The link of the first area holding (x, y); false when none does or that area is NOHREF.
    bool FindLink(int x, int y, std::unique_ptr<TUrlTarget>& link) const;
};

// The numbers of a COORDS value: pieces split at commas and spaces, at most 301, each 0 when
// it does not convert.
std::vector<int> ParseCoords(const std::string& coords);
