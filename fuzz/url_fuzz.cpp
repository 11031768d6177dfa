// libFuzzer target: the URL helpers, COORDS parsing and image-map hit tests. The input is split
// at NUL bytes into a base, a relative URL and a COORDS value.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "html/reader/map_item.h"
#include "html/reader/url_subs.h"

namespace {
void Check(bool ok) {
    if (!ok)
        std::abort();
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<std::string> parts(3);
    size_t part = 0;
    for (size_t i = 0; i < size; ++i) {
        if (data[i] == 0 && part < 2)
            ++part;
        else
            parts[part] += static_cast<char>(data[i]);
    }
    const std::string& base = parts[0];
    const std::string& rel = parts[1];
    const std::string b = UrlBase(base);
    Check(!b.empty() && b.back() == '/');
    const std::string combined = CombineUrl(b, rel);
    Check(combined.find("/./") == std::string::npos);
    (void)IsFullUrl(combined);
    Check(UrlToPath(rel).size() <= rel.size());
    (void)ExpandPath(rel, base);
    (void)HtmlTrim(base);

    const std::vector<int> n = ParseCoords(parts[2]);
    Check(n.size() <= 301);
    for (const char* shape : {"rect", "circle", "poly"}) {
        TAttributeList attrs;
        attrs.Add({HrefSym, 0, "a.htm"});
        attrs.Add({ShapeSym, 0, shape});
        attrs.Add({CoordsSym, 0, parts[2]});
        TMapItem map;
        map.AddArea(attrs);
        std::unique_ptr<TUrlTarget> link;
        for (size_t i = 0; i + 1 < n.size() && i < 8; i += 2)
            if (map.FindLink(n[i], n[i + 1], link))
                Check(link && link->URL == "a.htm");
    }
    return 0;
}
