// Encoding names and decoding to UTF-8 (encoding_sniff.cpp finds a document's encoding).
//
// UTF-8 and UTF-16 are decoded here; the Windows pages the engine has always known use the
// tables of code_pages.cpp; every other encoding goes through the C library's iconv. Single-byte
// encodings are turned into a 256-entry table once (asking iconv byte by byte), so that they
// decode as fast as the Windows pages and a byte iconv rejects costs only itself.
#include "platform/base/text_encoding.h"

#include <array>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <iconv.h>
#include <memory>
#include <mutex>
#include <unordered_map>

#include "platform/base/strings.h"

namespace {

enum class TKind : uint8_t {
    Utf8,
    Utf16Le,
    Utf16Be,
    WindowsPage, // one of the engine's own tables
    SingleByte,  // a table made once through iconv
    MultiByte,   // iconv on the whole text
};

struct TEncodingInfo {
    const char* name; // canonical
    TKind kind;
    TCodePage page;    // for WindowsPage
    const char* iconv; // iconv's names to try, separated by '|'
    int charset;       // Windows character-set code
};

constexpr int kDefaultCharset = 1;

constexpr TEncodingInfo kEncodings[] = {
    {"utf-8", TKind::Utf8, TCodePage::cp1252, "", kDefaultCharset},
    {"utf-16le", TKind::Utf16Le, TCodePage::cp1252, "", kDefaultCharset},
    {"utf-16be", TKind::Utf16Be, TCodePage::cp1252, "", kDefaultCharset},
    {"windows-1250", TKind::WindowsPage, TCodePage::cp1250, "", 238},
    {"windows-1251", TKind::WindowsPage, TCodePage::cp1251, "", 204},
    {"windows-1252", TKind::WindowsPage, TCodePage::cp1252, "", 0},
    {"windows-1253", TKind::WindowsPage, TCodePage::cp1253, "", 161},
    {"windows-1254", TKind::WindowsPage, TCodePage::cp1254, "", 162},
    {"windows-1257", TKind::WindowsPage, TCodePage::cp1257, "", 186},
    {"windows-874", TKind::SingleByte, TCodePage::cp1252, "CP874|WINDOWS-874", kDefaultCharset},
    {"windows-1255", TKind::SingleByte, TCodePage::cp1252, "CP1255", kDefaultCharset},
    {"windows-1256", TKind::SingleByte, TCodePage::cp1252, "CP1256", kDefaultCharset},
    {"windows-1258", TKind::SingleByte, TCodePage::cp1252, "CP1258", kDefaultCharset},
    {"iso-8859-2", TKind::SingleByte, TCodePage::cp1252, "ISO-8859-2", 238},
    {"iso-8859-3", TKind::SingleByte, TCodePage::cp1252, "ISO-8859-3", 162},
    {"iso-8859-4", TKind::SingleByte, TCodePage::cp1252, "ISO-8859-4", 186},
    {"iso-8859-5", TKind::SingleByte, TCodePage::cp1252, "ISO-8859-5", 204},
    {"iso-8859-6", TKind::SingleByte, TCodePage::cp1252, "ISO-8859-6", kDefaultCharset},
    {"iso-8859-7", TKind::SingleByte, TCodePage::cp1252, "ISO-8859-7", 161},
    {"iso-8859-8", TKind::SingleByte, TCodePage::cp1252, "ISO-8859-8", kDefaultCharset},
    {"iso-8859-10", TKind::SingleByte, TCodePage::cp1252, "ISO-8859-10", kDefaultCharset},
    {"iso-8859-13", TKind::SingleByte, TCodePage::cp1252, "ISO-8859-13", 186},
    {"iso-8859-14", TKind::SingleByte, TCodePage::cp1252, "ISO-8859-14", kDefaultCharset},
    {"iso-8859-15", TKind::SingleByte, TCodePage::cp1252, "ISO-8859-15", 0},
    {"iso-8859-16", TKind::SingleByte, TCodePage::cp1252, "ISO-8859-16", kDefaultCharset},
    {"koi8-r", TKind::SingleByte, TCodePage::cp1252, "KOI8-R", 204},
    {"koi8-u", TKind::SingleByte, TCodePage::cp1252, "KOI8-U", 204},
    {"ibm866", TKind::SingleByte, TCodePage::cp1252, "IBM866|CP866", kDefaultCharset},
    {"macintosh", TKind::SingleByte, TCodePage::cp1252, "MACINTOSH|MAC", kDefaultCharset},
    {"x-mac-cyrillic", TKind::SingleByte, TCodePage::cp1252, "MAC-CYRILLIC|MACCYRILLIC",
     kDefaultCharset},
    // The multi-byte ones decode with the supersets browsers use for these labels: Windows-31J
    // for Shift_JIS, GBK for GB2312, UHC for EUC-KR, Big5-HKSCS for Big5.
    {"shift_jis", TKind::MultiByte, TCodePage::cp1252, "CP932|WINDOWS-31J|SHIFT_JIS",
     kDefaultCharset},
    {"euc-jp", TKind::MultiByte, TCodePage::cp1252, "EUC-JP", kDefaultCharset},
    {"iso-2022-jp", TKind::MultiByte, TCodePage::cp1252, "ISO-2022-JP", kDefaultCharset},
    {"gb2312", TKind::MultiByte, TCodePage::cp1252, "GBK|GB2312", kDefaultCharset},
    {"gbk", TKind::MultiByte, TCodePage::cp1252, "GBK", kDefaultCharset},
    {"gb18030", TKind::MultiByte, TCodePage::cp1252, "GB18030", kDefaultCharset},
    {"big5", TKind::MultiByte, TCodePage::cp1252, "BIG5-HKSCS|BIG5", kDefaultCharset},
    {"euc-kr", TKind::MultiByte, TCodePage::cp1252, "CP949|UHC|EUC-KR", kDefaultCharset},
};
constexpr size_t kEncodingCount = std::size(kEncodings);
constexpr size_t kWindows1252 = 5; // index of windows-1252 in kEncodings
static_assert(kEncodings[kWindows1252].page == TCodePage::cp1252 &&
              kEncodings[kWindows1252].kind == TKind::WindowsPage);

struct TLabel {
    const char* label;
    const char* name;
};

// Aliases in lower case; every canonical name is a label of itself as well.
constexpr TLabel kLabels[] = {
    {"unicode-1-1-utf-8", "utf-8"},
    {"unicode11utf8", "utf-8"},
    {"unicode20utf8", "utf-8"},
    {"utf8", "utf-8"},
    {"x-unicode20utf8", "utf-8"},
    {"unicodefffe", "utf-16be"},
    {"csunicode", "utf-16le"},
    {"iso-10646-ucs-2", "utf-16le"},
    {"ucs-2", "utf-16le"},
    {"unicode", "utf-16le"},
    {"unicodefeff", "utf-16le"},
    {"utf-16", "utf-16le"},
    {"866", "ibm866"},
    {"cp866", "ibm866"},
    {"csibm866", "ibm866"},
    {"csisolatin2", "iso-8859-2"},
    {"iso-ir-101", "iso-8859-2"},
    {"iso8859-2", "iso-8859-2"},
    {"iso88592", "iso-8859-2"},
    {"iso_8859-2", "iso-8859-2"},
    {"iso_8859-2:1987", "iso-8859-2"},
    {"8859-2", "iso-8859-2"},
    {"l2", "iso-8859-2"},
    {"latin2", "iso-8859-2"},
    {"csisolatin3", "iso-8859-3"},
    {"iso-ir-109", "iso-8859-3"},
    {"iso8859-3", "iso-8859-3"},
    {"iso88593", "iso-8859-3"},
    {"iso_8859-3", "iso-8859-3"},
    {"iso_8859-3:1988", "iso-8859-3"},
    {"8859-3", "iso-8859-3"},
    {"l3", "iso-8859-3"},
    {"latin3", "iso-8859-3"},
    {"csisolatin4", "iso-8859-4"},
    {"iso-ir-110", "iso-8859-4"},
    {"iso8859-4", "iso-8859-4"},
    {"iso88594", "iso-8859-4"},
    {"iso_8859-4", "iso-8859-4"},
    {"iso_8859-4:1988", "iso-8859-4"},
    {"8859-4", "iso-8859-4"},
    {"l4", "iso-8859-4"},
    {"latin4", "iso-8859-4"},
    {"csisolatincyrillic", "iso-8859-5"},
    {"cyrillic", "iso-8859-5"},
    {"iso-ir-144", "iso-8859-5"},
    {"iso8859-5", "iso-8859-5"},
    {"iso88595", "iso-8859-5"},
    {"iso_8859-5", "iso-8859-5"},
    {"iso_8859-5:1988", "iso-8859-5"},
    {"8859-5", "iso-8859-5"},
    {"arabic", "iso-8859-6"},
    {"asmo-708", "iso-8859-6"},
    {"csiso88596e", "iso-8859-6"},
    {"csiso88596i", "iso-8859-6"},
    {"csisolatinarabic", "iso-8859-6"},
    {"ecma-114", "iso-8859-6"},
    {"iso-8859-6-e", "iso-8859-6"},
    {"iso-8859-6-i", "iso-8859-6"},
    {"iso-ir-127", "iso-8859-6"},
    {"iso8859-6", "iso-8859-6"},
    {"iso88596", "iso-8859-6"},
    {"iso_8859-6", "iso-8859-6"},
    {"iso_8859-6:1987", "iso-8859-6"},
    {"csisolatingreek", "iso-8859-7"},
    {"ecma-118", "iso-8859-7"},
    {"elot_928", "iso-8859-7"},
    {"greek", "iso-8859-7"},
    {"greek8", "iso-8859-7"},
    {"iso-ir-126", "iso-8859-7"},
    {"iso8859-7", "iso-8859-7"},
    {"iso88597", "iso-8859-7"},
    {"iso_8859-7", "iso-8859-7"},
    {"iso_8859-7:1987", "iso-8859-7"},
    {"8859-7", "iso-8859-7"},
    {"sun_eu_greek", "iso-8859-7"},
    {"csiso88598e", "iso-8859-8"},
    {"csisolatinhebrew", "iso-8859-8"},
    {"hebrew", "iso-8859-8"},
    {"iso-8859-8-e", "iso-8859-8"},
    {"iso-ir-138", "iso-8859-8"},
    {"iso8859-8", "iso-8859-8"},
    {"iso88598", "iso-8859-8"},
    {"iso_8859-8", "iso-8859-8"},
    {"iso_8859-8:1988", "iso-8859-8"},
    {"visual", "iso-8859-8"},
    // Logical order differs from visual only in how the text is laid out, not in the characters.
    {"csiso88598i", "iso-8859-8"},
    {"iso-8859-8-i", "iso-8859-8"},
    {"logical", "iso-8859-8"},
    {"csisolatin6", "iso-8859-10"},
    {"iso-ir-157", "iso-8859-10"},
    {"iso8859-10", "iso-8859-10"},
    {"iso885910", "iso-8859-10"},
    {"l6", "iso-8859-10"},
    {"latin6", "iso-8859-10"},
    {"iso8859-13", "iso-8859-13"},
    {"iso885913", "iso-8859-13"},
    {"iso8859-14", "iso-8859-14"},
    {"iso885914", "iso-8859-14"},
    {"csisolatin9", "iso-8859-15"},
    {"iso8859-15", "iso-8859-15"},
    {"iso885915", "iso-8859-15"},
    {"iso_8859-15", "iso-8859-15"},
    {"l9", "iso-8859-15"},
    {"latin9", "iso-8859-15"},
    {"cskoi8r", "koi8-r"},
    {"koi", "koi8-r"},
    {"koi8", "koi8-r"},
    {"koi8_r", "koi8-r"},
    {"koi8-ru", "koi8-u"},
    {"csmacintosh", "macintosh"},
    {"mac", "macintosh"},
    {"x-mac-roman", "macintosh"},
    {"x-mac-ukrainian", "x-mac-cyrillic"},
    {"dos-874", "windows-874"},
    {"iso-8859-11", "windows-874"},
    {"iso8859-11", "windows-874"},
    {"iso885911", "windows-874"},
    {"tis-620", "windows-874"},
    {"cp1250", "windows-1250"},
    {"x-cp1250", "windows-1250"},
    {"cp1251", "windows-1251"},
    {"x-cp1251", "windows-1251"},
    // ASCII and Latin-1 name the Windows page they are subsets of, as in browsers.
    {"ansi_x3.4-1968", "windows-1252"},
    {"ascii", "windows-1252"},
    {"cp1252", "windows-1252"},
    {"cp819", "windows-1252"},
    {"csisolatin1", "windows-1252"},
    {"ibm819", "windows-1252"},
    {"iso-8859-1", "windows-1252"},
    {"iso-ir-100", "windows-1252"},
    {"iso8859-1", "windows-1252"},
    {"iso88591", "windows-1252"},
    {"iso_8859-1", "windows-1252"},
    {"iso_8859-1:1987", "windows-1252"},
    {"8859-1", "windows-1252"},
    {"l1", "windows-1252"},
    {"latin1", "windows-1252"},
    {"us-ascii", "windows-1252"},
    {"x-cp1252", "windows-1252"},
    {"cp1253", "windows-1253"},
    {"x-cp1253", "windows-1253"},
    {"cp1254", "windows-1254"},
    {"csisolatin5", "windows-1254"},
    {"iso-8859-9", "windows-1254"},
    {"iso-ir-148", "windows-1254"},
    {"iso8859-9", "windows-1254"},
    {"iso88599", "windows-1254"},
    {"iso_8859-9", "windows-1254"},
    {"iso_8859-9:1989", "windows-1254"},
    {"8859-9", "windows-1254"},
    {"l5", "windows-1254"},
    {"latin5", "windows-1254"},
    {"x-cp1254", "windows-1254"},
    {"cp1255", "windows-1255"},
    {"x-cp1255", "windows-1255"},
    {"cp1256", "windows-1256"},
    {"x-cp1256", "windows-1256"},
    {"cp1257", "windows-1257"},
    {"x-cp1257", "windows-1257"},
    {"cp1258", "windows-1258"},
    {"x-cp1258", "windows-1258"},
    {"csshiftjis", "shift_jis"},
    {"ms932", "shift_jis"},
    {"cp932", "shift_jis"},
    {"ms_kanji", "shift_jis"},
    {"shift-jis", "shift_jis"},
    {"sjis", "shift_jis"},
    {"windows-31j", "shift_jis"},
    {"x-sjis", "shift_jis"},
    {"cseucpkdfmtjapanese", "euc-jp"},
    {"x-euc-jp", "euc-jp"},
    {"csiso2022jp", "iso-2022-jp"},
    {"chinese", "gb2312"},
    {"csgb2312", "gb2312"},
    {"csiso58gb231280", "gb2312"},
    {"gb_2312", "gb2312"},
    {"gb_2312-80", "gb2312"},
    {"iso-ir-58", "gb2312"},
    {"euc-cn", "gb2312"},
    {"x-gbk", "gbk"},
    {"cp936", "gbk"},
    {"ms936", "gbk"},
    {"windows-936", "gbk"},
    {"big5-hkscs", "big5"},
    {"cn-big5", "big5"},
    {"csbig5", "big5"},
    {"x-x-big5", "big5"},
    {"cp950", "big5"},
    {"cseuckr", "euc-kr"},
    {"csksc56011987", "euc-kr"},
    {"iso-ir-149", "euc-kr"},
    {"korean", "euc-kr"},
    {"ks_c_5601-1987", "euc-kr"},
    {"ks_c_5601-1989", "euc-kr"},
    {"ksc5601", "euc-kr"},
    {"ksc_5601", "euc-kr"},
    {"windows-949", "euc-kr"},
    {"cp949", "euc-kr"},
};

// The longest label is far shorter; anything longer is not looked up at all.
constexpr size_t kMaxLabel = 40;

const std::unordered_map<std::string_view, const TEncodingInfo*>& LabelMap() {
    static const auto map = [] {
        std::unordered_map<std::string_view, const TEncodingInfo*> m;
        for (const TEncodingInfo& e : kEncodings)
            m.emplace(e.name, &e);
        for (const TLabel& l : kLabels) {
            for (const TEncodingInfo& e : kEncodings) {
                if (std::strcmp(e.name, l.name) == 0)
                    m.emplace(l.label, &e);
            }
        }
        return m;
    }();
    return map;
}

const TEncodingInfo* FindEncoding(std::string_view label) {
    constexpr std::string_view kBlanks = " \t\n\f\r"; // what may surround a label
    const size_t first = label.find_first_not_of(kBlanks);
    label = first == std::string_view::npos
                ? std::string_view()
                : label.substr(first, label.find_last_not_of(kBlanks) - first + 1);
    if (label.empty() || label.size() > kMaxLabel)
        return nullptr;
    char lower[kMaxLabel];
    for (size_t i = 0; i < label.size(); ++i)
        lower[i] = AsciiLower(label[i]);
    const auto& map = LabelMap();
    const auto it = map.find(std::string_view(lower, label.size()));
    return it == map.end() ? nullptr : it->second;
}

// ---- decoding ------------------------------------------------------------------------------

// The UTF-8 form of each byte of a single-byte encoding.
struct TByteTable {
    std::array<std::array<char, 4>, 256> bytes{};
    std::array<uint8_t, 256> length{};

    void Set(int b, char32_t c) {
        std::string u;
        AppendUtf8(u, c);
        std::memcpy(bytes[b].data(), u.data(), u.size());
        length[b] = static_cast<uint8_t>(u.size());
    }
};

constexpr char32_t kReplacement = 0xFFFD;
constexpr std::string_view kReplacementUtf8 = "\xEF\xBF\xBD";

std::unique_ptr<TByteTable> WindowsTable(TCodePage page) {
    auto t = std::make_unique<TByteTable>();
    for (int b = 0; b < 256; ++b) {
        char32_t c = CodePageToUnicode(static_cast<uint8_t>(b), page);
        // Browsers give the bytes Windows-1252 leaves undefined as the C1 controls of the same
        // value (a page labelled ISO-8859-1 is read as Windows-1252 and these are its
        // characters there).
        if (page == TCodePage::cp1252 && c == kReplacement)
            c = static_cast<char32_t>(b);
        t->Set(b, c);
    }
    return t;
}

class TIconv {
public:
    // Opens the first of the '|'-separated names iconv knows, converting to UTF-8.
    explicit TIconv(std::string_view names) {
        while (cd_ == kFailed && !names.empty()) {
            const size_t bar = names.find('|');
            const std::string name(names.substr(0, bar));
            cd_ = iconv_open("UTF-8", name.c_str());
            names = bar == std::string_view::npos ? std::string_view() : names.substr(bar + 1);
        }
    }
    ~TIconv() {
        if (cd_ != kFailed)
            iconv_close(cd_);
    }
    TIconv(const TIconv&) = delete;
    TIconv& operator=(const TIconv&) = delete;

    bool Ok() const { return cd_ != kFailed; }
    iconv_t Handle() const { return cd_; }

private:
    static inline const iconv_t kFailed = reinterpret_cast<iconv_t>(-1);
    iconv_t cd_ = kFailed;
};

constexpr size_t kIconvFailed = static_cast<size_t>(-1);

// One byte through iconv, from its initial state, as one code point; U+FFFD when it is not one.
char32_t IconvByte(iconv_t cd, uint8_t byte) {
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    char in = static_cast<char>(byte);
    char* inp = &in;
    size_t inLeft = 1;
    char out[16];
    char* outp = out;
    size_t outLeft = sizeof out;
    if (iconv(cd, &inp, &inLeft, &outp, &outLeft) == kIconvFailed || inLeft != 0)
        return kReplacement;
    // Some converters hold a character back in case a combining mark follows.
    if (iconv(cd, nullptr, nullptr, &outp, &outLeft) == kIconvFailed)
        return kReplacement;
    const std::string_view u(out, static_cast<size_t>(outp - out));
    size_t i = 0;
    if (u.empty())
        return kReplacement;
    const int32_t c = DecodeUtf8(u, i);
    return c < 0 || i != u.size() ? kReplacement : static_cast<char32_t>(c);
}

std::unique_ptr<TByteTable> IconvTable(const TEncodingInfo& e) {
    TIconv cd(e.iconv);
    if (!cd.Ok())
        return nullptr;
    auto t = std::make_unique<TByteTable>();
    for (int b = 0; b < 256; ++b)
        t->Set(b, IconvByte(cd.Handle(), static_cast<uint8_t>(b)));
    return t;
}

// The table of a single-byte encoding, made on first use; windows-1252's when iconv does not
// have the encoding.
const TByteTable& ByteTable(const TEncodingInfo& e) {
    static std::mutex mutex;
    static std::array<std::unique_ptr<TByteTable>, kEncodingCount> tables;
    const auto index = static_cast<size_t>(&e - kEncodings);
    std::lock_guard<std::mutex> lock(mutex);
    std::unique_ptr<TByteTable>& t = tables[index];
    if (!t)
        t = e.kind == TKind::WindowsPage ? WindowsTable(e.page) : IconvTable(e);
    if (!t) {
        std::unique_ptr<TByteTable>& fallback = tables[kWindows1252];
        if (!fallback)
            fallback = WindowsTable(TCodePage::cp1252);
        return *fallback;
    }
    return *t;
}

std::string DecodeWithTable(std::string_view bytes, const TByteTable& t) {
    const size_t n = bytes.size();
    const auto* p = reinterpret_cast<const uint8_t*>(bytes.data());
    // The exact length first, so that a long text is not held in a buffer three times its
    // size; three spare bytes for the four-byte copy of the last character.
    size_t length = 0;
    for (size_t i = 0; i < n; ++i)
        length += t.length[p[i]];
    std::string out;
    out.resize(length + 3);
    char* o = out.data();
    size_t i = 0;
    while (i < n) {
        // Runs of ASCII eight bytes at a time.
        while (i + 8 <= n) {
            uint64_t w;
            std::memcpy(&w, p + i, 8);
            if (w & 0x8080808080808080ull)
                break;
            std::memcpy(o, p + i, 8);
            o += 8;
            i += 8;
        }
        if (i >= n)
            break;
        const uint8_t b = p[i++];
        if (b < 0x80) {
            *o++ = static_cast<char>(b);
        } else {
            std::memcpy(o, t.bytes[b].data(), 4);
            o += t.length[b];
        }
    }
    out.resize(static_cast<size_t>(o - out.data()));
    return out;
}

std::string DecodeUtf16(std::string_view bytes, bool bigEndian) {
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 2);
    const auto* p = reinterpret_cast<const uint8_t*>(bytes.data());
    const size_t units = bytes.size() / 2;
    auto unit = [&](size_t k) -> char32_t {
        const uint8_t a = p[2 * k], b = p[2 * k + 1];
        return bigEndian ? static_cast<char32_t>(a << 8 | b) : static_cast<char32_t>(b << 8 | a);
    };
    for (size_t k = 0; k < units; ++k) {
        const char32_t u = unit(k);
        if (u >= 0xD800 && u <= 0xDBFF && k + 1 < units) {
            const char32_t low = unit(k + 1);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                AppendUtf8(out, 0x10000 + ((u - 0xD800) << 10) + (low - 0xDC00));
                ++k;
                continue;
            }
        }
        // Unpaired halves of a pair; the unit after a lone high half is read on its own.
        AppendUtf8(out, u >= 0xD800 && u <= 0xDFFF ? kReplacement : u);
    }
    if (bytes.size() % 2 != 0)
        out += kReplacementUtf8;
    return out;
}

std::string DecodeWithIconv(std::string_view bytes, const TEncodingInfo& e) {
    TIconv cd(e.iconv);
    if (!cd.Ok())
        return DecodeWithTable(bytes, ByteTable(kEncodings[kWindows1252]));
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 2);
    char* in = const_cast<char*>(bytes.data()); // iconv's signature; it does not write
    size_t inLeft = bytes.size();
    char buffer[16384];
    bool flushed = false;
    while (!flushed) {
        char* outp = buffer;
        size_t outLeft = sizeof buffer;
        size_t r;
        if (inLeft > 0) {
            r = iconv(cd.Handle(), &in, &inLeft, &outp, &outLeft);
        } else {
            // The end: whatever a stateful converter still holds.
            r = iconv(cd.Handle(), nullptr, nullptr, &outp, &outLeft);
            flushed = r != kIconvFailed || errno != E2BIG;
        }
        const int error = r == kIconvFailed ? errno : 0;
        out.append(buffer, static_cast<size_t>(outp - buffer));
        if (error == EILSEQ && inLeft > 0) {
            // A byte that starts no character here: it becomes U+FFFD and the next byte starts
            // over, as browsers resynchronise multi-byte text.
            out += kReplacementUtf8;
            ++in;
            --inLeft;
        } else if (error == EINVAL) {
            // A sequence cut short by the end of the text.
            out += kReplacementUtf8;
            inLeft = 0;
        } else if (error != 0 && error != E2BIG) {
            out += kReplacementUtf8;
            inLeft = 0;
            flushed = true;
        }
    }
    // iconv writes UTF-8 that is valid; this keeps the promise even if a converter does not.
    return IsValidUtf8(out) ? out : ValidUtf8(out);
}

} // namespace

std::string NormalizeEncodingName(std::string_view label) {
    const TEncodingInfo* e = FindEncoding(label);
    return e != nullptr ? e->name : std::string();
}

int CharsetCodeOfEncoding(std::string_view encoding) {
    const TEncodingInfo* e = FindEncoding(encoding);
    return (e != nullptr ? *e : kEncodings[kWindows1252]).charset;
}

std::string EncodingOfCharsetCode(int code) {
    switch (code) {
    case 238:
        return "windows-1250";
    case 204:
        return "windows-1251";
    case 161:
        return "windows-1253";
    case 162:
        return "windows-1254";
    case 186:
        return "windows-1257";
    default:
        return "windows-1252";
    }
}

std::string DecodeToUtf8(std::string_view bytes, std::string_view encoding) {
    const TEncodingInfo* found = FindEncoding(encoding);
    const TEncodingInfo& e = found != nullptr ? *found : kEncodings[kWindows1252];
    switch (e.kind) {
    case TKind::Utf8:
        if (bytes.starts_with("\xEF\xBB\xBF"))
            bytes.remove_prefix(3);
        return ValidUtf8(bytes);
    case TKind::Utf16Le:
        if (bytes.starts_with("\xFF\xFE"))
            bytes.remove_prefix(2);
        return DecodeUtf16(bytes, false);
    case TKind::Utf16Be:
        if (bytes.starts_with("\xFE\xFF"))
            bytes.remove_prefix(2);
        return DecodeUtf16(bytes, true);
    case TKind::WindowsPage:
    case TKind::SingleByte:
        return DecodeWithTable(bytes, ByteTable(e));
    case TKind::MultiByte:
        break;
    }
    return DecodeWithIconv(bytes, e);
}
