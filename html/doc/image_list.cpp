// The image list of a text section, OBJECT panels, and the deferred image draws of a paint.
#include <algorithm>
#include <cstdlib>

#include "html/doc/image_obj.h"
#include "html/doc/section_list.h"
#include "platform/base/strings.h"
#include "platform/graphics/canvas.h"

namespace {

// A component name: a letter or underscore, then letters, digits and underscores.
bool IsValidName(const std::string& s) {
    if (s.empty())
        return false;
    for (size_t i = 0; i < s.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(s[i]);
        const bool alpha = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
        if (!alpha && !(i > 0 && c >= '0' && c <= '9'))
            return false;
    }
    return true;
}

int32_t PanelSpace(int32_t v) {
    return std::min<int32_t>(40, std::abs(std::max(v, -40)));
}

} // namespace

// ------------------------------------------------------------------ panels

TPanelObj::TPanelObj(TSectionList* document, TAttributeList& attrs, int32_t position)
    : Document(document), Panel(std::make_unique<ThvPanel>()) {
    CharPos = position;
    if (document != nullptr && document->PaintPanel != nullptr)
        Panel->SetParent(document->PaintPanel);
    Panel->SetBounds(-400, -400, 30, 20);
    Panel->SetBevels(TBevelCut::bvNone, TBevelCut::bvNone, 0);
    Panel->Color = clWhite;
    Panel->ShowPanel = true;
    ObjAlign = oaBottom;
    SpaceLeft = SpaceRight = 3;
    int32_t width = 30, height = 20;
    for (const TAttribute& a : attrs) {
        switch (a.Sym) {
        case NameSym:
            Name = a.Str;
            if (IsValidName(a.Str))
                Panel->Name = a.Str;
            break;
        case SrcSym:
            Source = a.Str;
            break;
        case TypeSym:
            Type = a.Str;
            break;
        case AltSym:
            Alt = a.Str;
            break;
        case AlignSym:
            ApplyAlignAttribute(a.Str);
            break;
        case WidthSym:
            width = std::clamp<int32_t>(a.Value, 0, 32767);
            break;
        case HeightSym:
            height = std::clamp<int32_t>(a.Value, 0, 32767);
            break;
        case HSpaceSym:
            SpaceLeft = SpaceRight = PanelSpace(a.Value);
            break;
        case VSpaceSym:
            SpaceTop = SpaceBottom = PanelSpace(a.Value);
            break;
        default:
            break;
        }
    }
    Panel->SetBounds(-400, -400, width, height);
    if (document != nullptr && document->OnPanelCreate)
        document->OnPanelCreate(document->Viewer, Name, Type, Source, Panel.get());
    ImageWidth = std::clamp(Panel->Width(), 0, 32767);
    ImageHeight = std::clamp(Panel->Height(), 0, 32767);
    if (document != nullptr)
        document->Panels.push_back(this);
}

TPanelObj::~TPanelObj() {
    if (Document != nullptr) {
        if (Document->OnPanelDestroy)
            Document->OnPanelDestroy(Document->Viewer, Panel.get());
        auto& panels = Document->Panels;
        panels.erase(std::remove(panels.begin(), panels.end(), this), panels.end());
    }
}

void TPanelObj::PlaceAt(TCanvas& canvas, int32_t x, int32_t y) {
    DrawX = x;
    DrawY = y + (Document != nullptr ? Document->ScrollTop : 0);
    Shown = true;
    if (Document != nullptr && Document->PaintPanel != nullptr) {
        Panel->SetBounds(x, y, Panel->Width(), Panel->Height());
        Panel->SetVisible(Panel->ShowPanel);
    } else if (Panel->ShowPanel) {
        Panel->PaintTo(canvas, x, y);
    }
}

// ------------------------------------------------------------------ image list

TFloatingObj* TImageObjList::Add(std::unique_ptr<TFloatingObj> obj) {
    // Objects come in buffer order; keep it so lookups can bisect.
    auto it = std::upper_bound(
        items_.begin(), items_.end(), obj->CharPos,
        [](int32_t p, const std::unique_ptr<TFloatingObj>& o) { return p < o->CharPos; });
    return items_.insert(it, std::move(obj))->get();
}

TFloatingObj* TImageObjList::FindImage(int32_t position) const {
    auto it = std::lower_bound(
        items_.begin(), items_.end(), position,
        [](const std::unique_ptr<TFloatingObj>& o, int32_t p) { return o->CharPos < p; });
    return it != items_.end() && (*it)->CharPos == position ? it->get() : nullptr;
}

int32_t TImageObjList::HeightAt(int32_t position, uint8_t& align, TFloatingObj*& obj) const {
    obj = FindImage(position);
    if (obj == nullptr)
        return -1;
    align = obj->ObjAlign;
    return obj->FullHeight();
}

int32_t TImageObjList::WidthAt(int32_t position, uint8_t& align, int32_t& spaceLeft,
                               int32_t& spaceRight, TFloatingObj*& obj) const {
    obj = FindImage(position);
    if (obj == nullptr)
        return -1;
    align = obj->ObjAlign;
    spaceLeft = obj->SpaceLeft;
    spaceRight = obj->SpaceRight;
    return obj->ImageWidth;
}

int32_t TImageObjList::CharsToNextImage(int32_t position) const {
    auto it = std::lower_bound(
        items_.begin(), items_.end(), position,
        [](const std::unique_ptr<TFloatingObj>& o, int32_t p) { return o->CharPos < p; });
    return it == items_.end() ? 9999 : (*it)->CharPos - position;
}

namespace {
bool InsideImage(const TImageObj& img, int32_t x, int32_t y, int32_t& xi, int32_t& yi) {
    xi = x - img.DrawX;
    yi = y - img.DrawY;
    const int32_t w = img.ImageWidth - img.FrameX();
    const int32_t h = img.ImageHeight - img.FrameY();
    return xi >= 0 && xi < w && yi >= 0 && yi < h;
}
} // namespace

bool TImageObjList::ImageAt(TSectionList* document, int32_t x, int32_t y, TImageObj*& image,
                            TMapItem*& map, bool& usesMap, bool& isMap, int32_t& position,
                            int32_t& xInside, int32_t& yInside) const {
    image = nullptr;
    map = nullptr;
    usesMap = false;
    isMap = false;
    for (const auto& o : items_) {
        auto* img = dynamic_cast<TImageObj*>(o.get());
        if (img == nullptr || !InsideImage(*img, x, y, xInside, yInside))
            continue;
        image = img;
        isMap = img->IsMap;
        position = img->CharPos;
        if (img->HasUseMap && document != nullptr) {
            for (const auto& m : document->MapList)
                if (m->MapName == img->UseMapName) {
                    map = m.get();
                    usesMap = true;
                    break;
                }
        }
        return true;
    }
    return false;
}

bool TImageObjList::ObjectAt(int32_t x, int32_t y, TObject*& obj, int32_t& xInside,
                             int32_t& yInside) const {
    for (const auto& o : items_) {
        auto* img = dynamic_cast<TImageObj*>(o.get());
        if (img != nullptr && InsideImage(*img, x, y, xInside, yInside)) {
            obj = img;
            return true;
        }
    }
    return false;
}

// ------------------------------------------------------------------ deferred draws

void TDrawList::AddImage(TImageObj* image, TCanvas* canvas, int32_t x, int32_t top,
                         int32_t baseline, TFontObj* run) {
    items_.push_back(TImageRec{image, canvas, x, top, baseline, run});
}

void TDrawList::DrawImages() {
    // Drawing may not add records; move them out so the list is empty afterwards either way.
    std::vector<TImageRec> items;
    items.swap(items_);
    for (const TImageRec& r : items) {
        if (r.Image == nullptr || r.Canvas == nullptr)
            continue;
        try {
            r.Image->DrawInLine(*r.Canvas, r.X, r.Run, r.Baseline, r.Top);
        } catch (...) {
            // A picture that fails to draw leaves its place empty.
        }
    }
}
