// libFuzzer target: finding a page's or a style sheet's encoding and decoding bytes to UTF-8.
// Whatever the bytes, the decoded text must be valid UTF-8, the names found canonical, and the
// single-byte encodings must give one character per byte.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <iterator>
#include <string>
#include <string_view>

#include "platform/base/strings.h"
#include "platform/base/text_encoding.h"

namespace {
void Check(bool ok) {
    if (!ok)
        std::abort();
}

// Every converter gets its turn through the first byte of the input.
const char* const kOthers[] = {
    "windows-874",  "windows-1250", "windows-1251", "windows-1253", "windows-1254",
    "windows-1255", "windows-1256", "windows-1257", "windows-1258", "iso-8859-2",
    "iso-8859-3",   "iso-8859-4",   "iso-8859-5",   "iso-8859-6",   "iso-8859-7",
    "iso-8859-8",   "iso-8859-10",  "iso-8859-13",  "iso-8859-14",  "iso-8859-15",
    "iso-8859-16",  "koi8-u",       "ibm866",       "macintosh",    "x-mac-cyrillic",
    "euc-jp",       "iso-2022-jp",  "gb2312",       "gbk",          "gb18030",
    "big5",         "euc-kr",       "utf-16be",
};

void CheckGuess(const TEncodingGuess& g, size_t size) {
    Check(!g.Encoding.empty() && NormalizeEncodingName(g.Encoding) == g.Encoding);
    Check(g.BomLength <= size && (g.BomLength == 0) == (g.Source != TEncodingSource::Bom));
}

std::string Decode(std::string_view bytes, std::string_view encoding) {
    std::string out = DecodeToUtf8(bytes, encoding);
    Check(IsValidUtf8(out));
    return out;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);

    const TEncodingGuess html = SniffHtmlEncoding(bytes, "windows-1252");
    CheckGuess(html, size);
    Decode(bytes, html.Encoding);
    const TEncodingGuess css = SniffCssEncoding(bytes, "koi8-r");
    CheckGuess(css, size);
    Decode(bytes, css.Encoding);

    // UTF-8 that is valid comes out unchanged.
    const std::string utf8 = Decode(bytes, "utf-8");
    if (IsValidUtf8(bytes) && !bytes.starts_with("\xEF\xBB\xBF"))
        Check(utf8 == bytes);
    Check(Utf8ToU32(Decode(bytes, "windows-1252")).size() == size);
    Check(Utf8ToU32(Decode(bytes, "koi8-r")).size() == size);
    const std::string utf16 = Decode(bytes, "utf-16le");
    Check(Utf8ToU32(utf16).size() <= (size + 1) / 2);
    Decode(bytes, "shift_jis");
    if (size > 0)
        Decode(bytes.substr(1), kOthers[data[0] % std::size(kOthers)]);

    // The bytes as a label and as a Content-Type value.
    const std::string name = NormalizeEncodingName(bytes);
    Check(name.empty() || NormalizeEncodingName(name) == name);
    const std::string declared = EncodingOfContentType(bytes);
    Check(declared.empty() || NormalizeEncodingName(declared) == declared);
    return 0;
}
