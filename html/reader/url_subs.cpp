#include "html/reader/url_subs.h"

#include "platform/base/strings.h"

namespace {

bool IsBlank(char c) {
    return static_cast<unsigned char>(c) <= ' ';
}

// Decodes "%XX" escapes left to right. A "%" at the very start, or one that is not followed by
// two hexadecimal digits, ends the decoding; the rest stays as written. A decoded "%" is not
// decoded again, so "%2541" stays the name "%41".
std::string DecodePercents(std::string s) {
    size_t i = s.find('%');
    while (i != std::string::npos && i > 0 && i + 2 < s.size()) {
        const int hi = HexDigitValue(s[i + 1]);
        const int lo = HexDigitValue(s[i + 2]);
        if (hi < 0 || lo < 0)
            break;
        s.replace(i, 3, 1, static_cast<char>(hi * 16 + lo));
        i = s.find('%', i + 1);
    }
    return s;
}

} // namespace

std::string HtmlTrim(std::string_view s) {
    size_t b = 0, e = s.size();
    while (b < e && IsBlank(s[b]))
        ++b;
    while (e > b && IsBlank(s[e - 1]))
        --e;
    return std::string(s.substr(b, e - b));
}

std::string UrlBase(std::string_view url) {
    std::string s = HtmlTrim(url);
    const size_t q = s.find('?');
    if (q != std::string::npos)
        s.resize(q);
    const size_t slashes = s.find("//");
    const size_t from = slashes != std::string::npos ? slashes + 2 : 1;
    const size_t last = s.rfind('/');
    if (last != std::string::npos && last >= from)
        return s.substr(0, last + 1);
    return s + "/";
}

std::string CombineUrl(std::string_view baseIn, std::string_view relative) {
    std::string base(baseIn);
    size_t hostEnd;
    const size_t scheme = base.find("://");
    if (scheme != std::string::npos)
        hostEnd = base.find('/', scheme + 3);
    else
        hostEnd = base.find('/');
    if (hostEnd == std::string::npos) {
        hostEnd = base.size();
        base += '/';
    }
    if (base.back() != '/')
        base += '/';

    const std::string rel = HtmlTrim(relative);
    std::string result;
    if (!rel.empty() && rel[0] == '/')
        result = base.substr(0, hostEnd + 1) + rel.substr(1);
    else
        result = base + rel;

    size_t i;
    while ((i = result.find("/../")) != std::string::npos) {
        if (i > hostEnd) {
            const size_t segment = result.rfind('/', i - 1);
            if (segment == std::string::npos)
                break;
            result.erase(segment + 1, i + 4 - (segment + 1));
        } else {
            result.erase(i + 1, 3);
        }
    }
    while ((i = result.find("/./")) != std::string::npos)
        result.erase(i + 1, 2);
    return result;
}

bool IsFullUrl(std::string_view url) {
    return url.find("://") != std::string_view::npos || ContainsText(url, "mailto:");
}

std::string UrlToPath(std::string_view url) {
    std::string s = DecodePercents(std::string(url));
    if (s.find('/') != std::string::npos) {
        // "file:///home/a.htm" names "/home/a.htm": taking off "file://" keeps the root.
        const std::string lower = LowerCase(s);
        const size_t p = lower.find("file://");
        if (p != std::string::npos)
            s.erase(p, 7);
    }
    return s;
}

std::string ExpandPath(std::string_view url, std::string_view serverRoot) {
    std::string path = UrlToPath(url);
    if (!path.empty() && path[0] == '/' && !ContainsText(url, "file:")) {
        std::string root(serverRoot);
        if (!root.empty() && root.back() == '/')
            root.pop_back();
        return root + path;
    }
    return path;
}
