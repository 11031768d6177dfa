#include "html/reader/map_item.h"

#include <algorithm>
#include <climits>

#include "html/reader/url_subs.h"
#include "platform/base/strings.h"

namespace {

constexpr size_t kMaxCoords = 301;
constexpr size_t kMaxPieceLength = 20;

// A decimal integer with an optional sign; 0 for anything else or out of range.
int DecimalOrZero(std::string_view s) {
    size_t i = 0;
    bool negative = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-'))
        negative = s[i++] == '-';
    if (i == s.size())
        return 0;
    int64_t v = 0;
    for (; i < s.size(); ++i) {
        if (s[i] < '0' || s[i] > '9')
            return 0;
        v = v * 10 + (s[i] - '0');
        if (v > static_cast<int64_t>(INT_MAX) + 1)
            return 0;
    }
    if (negative)
        v = -v;
    if (v > INT_MAX || v < INT_MIN)
        return 0;
    return static_cast<int>(v);
}

int ClampToInt(int64_t v) {
    return static_cast<int>(std::clamp<int64_t>(v, INT_MIN, INT_MAX));
}

} // namespace

std::vector<int> ParseCoords(const std::string& coords) {
    const std::string s = HtmlTrim(coords);
    std::vector<int> numbers;
    size_t i = 0;
    while (i < s.size() && numbers.size() < kMaxCoords) {
        size_t end = s.find_first_of(", ", i);
        if (end == std::string::npos)
            end = s.size();
        const std::string_view piece = std::string_view(s).substr(i, end - i);
        numbers.push_back(DecimalOrZero(piece.substr(0, kMaxPieceLength)));
        i = s.find_first_not_of(", ", end);
        if (i == std::string::npos)
            break;
    }
    return numbers;
}

TMapItem::TMapItem() {
    Areas.OwnsObjects = true;
}

void TMapItem::AddArea(const TAttributeList& attrs) {
    enum { Rect, Circle, Poly } shape = Rect;
    std::string href, target;
    std::vector<int> n;
    for (const TAttribute& a : attrs) {
        switch (a.Sym) {
        case HrefSym:
            href = a.Str;
            break;
        case NoHrefSym:
            href.clear();
            break;
        case TargetSym:
            target = a.Str;
            break;
        case ShapeSym: {
            const std::string kind = LowerCase(a.Str).substr(0, 4);
            shape = kind == "circ" ? Circle : kind == "poly" ? Poly : Rect;
            break;
        }
        case CoordsSym:
            n = ParseCoords(a.Str);
            break;
        default:
            break;
        }
    }

    TRegion region;
    switch (shape) {
    case Rect:
        if (n.size() < 4)
            return;
        region = TRegion::CreateRect(
            TRect{n[0], n[1], ClampToInt(int64_t{n[2]} + 1), ClampToInt(int64_t{n[3]} + 1)});
        break;
    case Circle: {
        if (n.size() < 3)
            return;
        const int64_t x = n[0], y = n[1], r = n[2];
        region = TRegion::CreateEllipse(TRect{ClampToInt(x - r), ClampToInt(y - r),
                                              ClampToInt(x + r + 1), ClampToInt(y + r + 1)});
        break;
    }
    case Poly: {
        if (n.size() < 6)
            return;
        std::vector<TPoint> points;
        for (size_t i = 0; i + 1 < n.size(); i += 2)
            points.push_back(TPoint{n[i], n[i + 1]});
        region = TRegion::CreatePolygon(points, fmWinding);
        break;
    }
    }
    Areas.AddObject(href, new TAreaRegion(std::move(region)));
    AreaTargets.Add(target);
}

bool TMapItem::FindLink(int x, int y, std::unique_ptr<TUrlTarget>& link) const {
    for (int i = 0; i < Areas.Count(); ++i) {
        const auto* area = static_cast<const TAreaRegion*>(Areas.Objects(i));
        if (area && area->Region.Contains(x, y)) {
            if (Areas[i].empty())
                return false; // NOHREF hides the areas below it
            link = std::make_unique<TUrlTarget>();
            link->Assign(Areas[i], i < AreaTargets.Count() ? AreaTargets[i] : std::string());
            return true;
        }
    }
    return false;
}
