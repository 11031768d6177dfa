#include "platform/graphics/font.h"

#include <cairo-ft.h>
#include <cairo.h>
#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_DRIVER_H
#include FT_MODULE_H
#include FT_ADVANCES_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <climits>
#include <map>
#include <mutex>
#include <unordered_map>

#include "platform/base/exceptions.h"
#include "platform/graphics/screen.h"

namespace {

// One FreeType library for the process. It is never released: cairo may keep faces made from
// it until the very end, and the operating system frees it at exit.
FT_Library Library() {
    static FT_Library lib = [] {
        FT_Library l = nullptr;
        if (FT_Init_FreeType(&l) != 0)
            throw EOutOfMemory("Cannot start FreeType");
        // The current TrueType interpreter: under light hinting it fits the outlines to the
        // pixel grid vertically only, so letters keep the shapes, weights and widths they
        // were designed with (the classic one, at full strength, made regular text bold at
        // some sizes and broke letters at others). Asked for by name so that a FreeType
        // built with another default still draws alike.
        FT_UInt version = TT_INTERPRETER_VERSION_40;
        FT_Property_Set(l, "truetype", "interpreter-version", &version);
        return l;
    }();
    return lib;
}

FcConfig* Config() {
    static FcConfig* config = [] {
        if (!FcInit())
            throw EOutOfMemory("Cannot start fontconfig");
        return FcConfigGetCurrent();
    }();
    return config;
}

std::mutex& CacheMutex() {
    static std::mutex m;
    return m;
}

// Families that stand in for a Windows family with the same metrics. Fontconfig's own metric
// aliases (binding "same") are honoured too; this list keeps the rule when a configuration
// lacks them.
struct TCompatible {
    const char* windows;
    const char* standIn;
};
constexpr TCompatible kCompatible[] = {
    {"Times New Roman", "Liberation Serif"},
    {"Times", "Liberation Serif"},
    {"Arial", "Liberation Sans"},
    {"Helvetica", "Liberation Sans"},
    {"Arial Narrow", "Liberation Sans Narrow"},
    {"Courier New", "Liberation Mono"},
    {"Courier", "Liberation Mono"},
};

int ScaleRound(long value, int em, int unitsPerEm) {
    const long long n = static_cast<long long>(value) * em;
    const long long q = (n >= 0 ? n + unitsPerEm / 2 : n - unitsPerEm / 2) / unitsPerEm;
    return static_cast<int>(q);
}

int ScaleCeil(long value, int em, int unitsPerEm) {
    const long long n = static_cast<long long>(value) * em;
    if (n <= 0)
        return static_cast<int>(n / unitsPerEm);
    return static_cast<int>((n + unitsPerEm - 1) / unitsPerEm);
}

// The em is kept within what the rasteriser handles quickly; larger requests draw at this
// size (no page asks for letters a hundred lines high).
constexpr int kMaxEmPixels = 2048;
// No glyph is taken to advance more than 16 em, so sums of advances stay far from overflow.
constexpr FT_Fixed kMaxAdvance64 = 64 * kMaxEmPixels * 16;

// The character set is left out: text is Unicode, so it changes nothing about the font.
std::string FoldKey(const TFont& f, int em) {
    std::string key = LowerCase(f.Name);
    key += '\0';
    key += std::to_string(em);
    key += f.Bold ? 'B' : '-';
    key += f.Italic ? 'I' : '-';
    key += f.Underline ? 'U' : '-';
    key += f.StrikeOut ? 'S' : '-';
    return key;
}

std::unordered_map<std::string, std::shared_ptr<const TResolvedFont>>& Cache() {
    static std::unordered_map<std::string, std::shared_ptr<const TResolvedFont>> cache;
    return cache;
}

// The average character width as the first OS/2 tables defined it: lower-case letters and the
// space weighted by their frequency in English text. Windows fonts of that era carry this
// value; newer fonts (Liberation among them) store the mean of all glyphs instead, so it is
// computed here from the advances to measure like the fonts they stand in for. 0 when the
// face lacks one of the letters.
long WeightedAverageWidth(FT_Face face) {
    static constexpr int kWeights[26] = {64, 14, 27, 35, 100, 20, 14, 42, 63, 3,  6, 35, 20,
                                         56, 56, 17, 4,  49,  56, 71, 31, 10, 18, 3, 18, 2};
    long sum = 0;
    for (int i = 0; i <= 26; ++i) {
        const FT_ULong ch = i < 26 ? static_cast<FT_ULong>('a' + i) : ' ';
        const int weight = i < 26 ? kWeights[i] : 166;
        const FT_UInt glyph = FT_Get_Char_Index(face, ch);
        if (glyph == 0 || FT_Load_Glyph(face, glyph, FT_LOAD_NO_SCALE) != 0)
            return 0;
        sum += face->glyph->advance.x * weight;
    }
    return (sum + 500) / 1000;
}

void DoneFace(void* face) {
    FT_Done_Face(static_cast<FT_Face>(face));
}
const cairo_user_data_key_t kFaceKey{};

// The faces of one font file, shared by every resolved font made from it: resolved fonts are
// cached per description, and a page can ask for thousands of descriptions (every unknown
// FACE name falls back to the same file), so each must not carry a FreeType face of its own.
// Measuring sets the size on Measure; drawing goes through Draw, a separate face that only
// cairo sizes, so the two never disturb each other. Kept for the life of the process: their
// number is bounded by the font files installed.
struct TFaceFile {
    FT_Face Measure = nullptr;
    cairo_font_face_t* Draw = nullptr;
};

std::mutex& FaceMutex() {
    static std::mutex m;
    return m;
}

// The faces of a file, opened on first use; raises EOutOfMemory when the file cannot be read.
TFaceFile& FaceFileFor(const std::string& file, int index) {
    static std::map<std::pair<std::string, int>, TFaceFile> files;
    TFaceFile& f = files[{file, index}];
    if (f.Measure == nullptr && FT_New_Face(Library(), file.c_str(), index, &f.Measure) != 0) {
        f.Measure = nullptr;
        throw EOutOfMemory("Cannot open font " + file);
    }
    if (f.Draw == nullptr) {
        FT_Face drawFace = nullptr;
        if (FT_New_Face(Library(), file.c_str(), index, &drawFace) != 0)
            throw EOutOfMemory("Cannot open font " + file);
        // The cairo face owns its FreeType face from here on.
        cairo_font_face_t* cf = cairo_ft_font_face_create_for_ft_face(drawFace, FT_LOAD_DEFAULT);
        if (cairo_font_face_status(cf) != CAIRO_STATUS_SUCCESS ||
            cairo_font_face_set_user_data(cf, &kFaceKey, drawFace, DoneFace) !=
                CAIRO_STATUS_SUCCESS) {
            cairo_font_face_destroy(cf);
            FT_Done_Face(drawFace);
            throw EOutOfMemory("Cannot make a cairo font face");
        }
        f.Draw = cf;
    }
    return f;
}

std::string FcString(FcPattern* p, const char* object, int id) {
    FcChar8* s = nullptr;
    if (FcPatternGetString(p, object, id, &s) == FcResultMatch && s != nullptr)
        return reinterpret_cast<const char*>(s);
    return {};
}

// The fontconfig pattern of a description, with the configuration's substitutions done, as
// matching and sorting take it. The caller destroys it.
FcPattern* MakePattern(const TFont& desc, int em) {
    FcPattern* pattern = FcPatternCreate();
    if (pattern == nullptr)
        throw EOutOfMemory("Cannot make a font pattern");
    const std::string requested = Trim(desc.Name);
    if (!requested.empty())
        FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(requested.c_str()));
    FcPatternAddInteger(pattern, FC_WEIGHT, desc.Bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
    FcPatternAddInteger(pattern, FC_SLANT, desc.Italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
    FcPatternAddDouble(pattern, FC_PIXEL_SIZE, em);
    FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
    FcConfigSubstitute(Config(), pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    return pattern;
}

// The advance of a glyph in 1/64 pixel at the size set on the face: the designed advance,
// which the light hinting glyphs are drawn with leaves alone (it moves nothing sideways). Rounding
// it to whole pixels glyph by glyph would make text several per cent wider than designed at sizes
// where common widths end in a half pixel (the digits and the space of Times at 11 pixels), so text
// is measured by adding these and rounding the sum (see TResolvedFont::TextWidth).
int LinearAdvance64(FT_Face face, FT_UInt glyph) {
    FT_Fixed advance = 0; // 16.16, read from the metrics tables without loading the glyph
    if (FT_Get_Advance(face, glyph, FT_LOAD_NO_HINTING, &advance) != 0)
        return 0;
    return static_cast<int>(std::clamp<FT_Fixed>((advance + 512) >> 10, 0, kMaxAdvance64));
}

// Characters that are invisible by definition (Unicode's Default_Ignorable_Code_Point): when
// the face has no glyph for one, it takes no room instead of showing as missing.
bool IsDefaultIgnorable(char32_t ch) {
    static constexpr std::pair<char32_t, char32_t> kRanges[] = {
        {0x00AD, 0x00AD},   {0x034F, 0x034F}, {0x061C, 0x061C},   {0x115F, 0x1160},
        {0x17B4, 0x17B5},   {0x180B, 0x180F}, {0x200B, 0x200F},   {0x202A, 0x202E},
        {0x2060, 0x206F},   {0x3164, 0x3164}, {0xFE00, 0xFE0F},   {0xFEFF, 0xFEFF},
        {0xFFA0, 0xFFA0},   {0xFFF0, 0xFFF8}, {0x1BCA0, 0x1BCA3}, {0x1D173, 0x1D17A},
        {0xE0000, 0xE0FFF},
    };
    for (const auto& [first, last] : kRanges)
        if (ch >= first && ch <= last)
            return true;
    return false;
}

// The width of the box drawn for a character no installed font has: 0.55 em, rounded to whole
// pixels (so the box's sides fall on pixels), in 1/64 pixel.
int MissingBoxAdvance64(int em) {
    return std::max(1, (em * 11 + 10) / 20) * 64;
}

// What the font's own face (sized to the font) does with a character. False when the face
// lacks a character that others may draw.
bool FromOwnFace(FT_Face face, const void* drawFace, char32_t ch, TGlyphRef& out) {
    const FT_UInt glyph = ch <= 0x10FFFF ? FT_Get_Char_Index(face, ch) : 0;
    if (ch < 0x20) {
        // Control codes are measured as the face maps them (the missing glyph: fonts have
        // none for them) and never drawn.
        out = TGlyphRef{nullptr, glyph, LinearAdvance64(face, glyph), false};
        return true;
    }
    if (glyph != 0) {
        out = TGlyphRef{drawFace, glyph, LinearAdvance64(face, glyph), false};
        return true;
    }
    if (ch >= 0x7F && ch <= 0x9F) { // DEL and the C1 controls: the same, when unmapped
        out = TGlyphRef{nullptr, 0, LinearAdvance64(face, 0), false};
        return true;
    }
    if (IsDefaultIgnorable(ch)) {
        out = TGlyphRef{nullptr, 0, 0, false};
        return true;
    }
    return false;
}

// A cache that outgrows this many characters (a page of every code point) starts again.
constexpr size_t kMaxRememberedChars = 1 << 16;

} // namespace

// The fonts that may draw what a font's own face lacks, in fontconfig's order of preference
// for the font's description, each with the characters it covers.
struct TFallbackFaces {
    struct TCandidate {
        std::string File;
        int Index = 0;
        FcCharSet* Chars = nullptr; // a reference of our own
    };
    std::vector<TCandidate> Fonts;

    TFallbackFaces() = default;
    TFallbackFaces(const TFallbackFaces&) = delete;
    TFallbackFaces& operator=(const TFallbackFaces&) = delete;
    ~TFallbackFaces() {
        for (TCandidate& c : Fonts)
            FcCharSetDestroy(c.Chars);
    }
};

int TFont::PixelSize() const {
    const int em = TScreen::PointsToPixels(Size > 0 ? Size : 12);
    return std::clamp(em, 1, kMaxEmPixels);
}

std::shared_ptr<const TResolvedFont> TFont::Resolve() const {
    return TFontCache::Get(*this);
}

std::string TFont::FaceName() const {
    return Resolve()->FaceName();
}

TResolvedFont::~TResolvedFont() {
    if (cairo_face_ != nullptr)
        cairo_font_face_destroy(static_cast<cairo_font_face_t*>(cairo_face_));
}

int TResolvedFont::TextWidth(std::u32string_view s) const {
    return PixelsFrom64(TextAdvance64(s)); // megabytes of text stay finite
}

int64_t TResolvedFont::TextAdvance64(std::u32string_view s) const {
    const char32_t limit = table_limit_;
    int64_t w = 0;
    const char32_t* p = s.data();
    const char32_t* const end = p + s.size();
    while (p != end) {
        // A stretch of characters the table holds, summed in a tight loop.
        int64_t sum = 0;
        while (p != end && *p < limit) {
            sum += advance_[*p];
            ++p;
        }
        w += sum;
        if (p != end)
            w += CharAdvance64(*p++);
    }
    return w;
}

int TResolvedFont::TextWidth(std::string_view utf8) const {
    const unsigned char limit = static_cast<unsigned char>(std::min<char32_t>(table_limit_, 0x80));
    const auto* const begin = reinterpret_cast<const unsigned char*>(utf8.data());
    const auto* const end = begin + utf8.size();
    const unsigned char* p = begin;
    int64_t w = 0;
    while (p != end) {
        int64_t sum = 0; // a stretch of ASCII the table holds
        while (p != end && *p < limit) {
            sum += advance_[*p];
            ++p;
        }
        w += sum;
        if (p == end)
            break;
        if (*p < 0x80) {
            w += CharAdvance64(*p++);
        } else {
            size_t i = static_cast<size_t>(p - begin);
            const int32_t c = DecodeUtf8(utf8, i);
            w += CharAdvance64(c < 0 ? U'\uFFFD' : static_cast<char32_t>(c));
            p = begin + i;
        }
    }
    return PixelsFrom64(w);
}

int TResolvedFont::FitCount(std::u32string_view s, int maxExtent,
                            std::vector<int>* partials) const {
    if (partials != nullptr)
        partials->clear();
    int fit = 0;
    int64_t w = 0;
    bool fitting = maxExtent >= 0;
    for (char32_t c : s) {
        w += CharAdvance64(c);
        const int extent = PixelsFrom64(w); // as TextWidth measures the prefix
        if (fitting && extent <= maxExtent)
            ++fit;
        else
            fitting = false;
        if (partials != nullptr)
            partials->push_back(extent);
        else if (!fitting)
            break;
    }
    return fit;
}

int TResolvedFont::FitCount64(std::u32string_view s, int64_t max64) const {
    int fit = 0;
    int64_t w = 0;
    for (char32_t c : s) {
        w += CharAdvance64(c);
        if (w > max64)
            break;
        ++fit;
    }
    return fit;
}

TGlyphRef TResolvedFont::LookUp(char32_t ch) const {
    std::lock_guard<std::mutex> lock(mutex_);
    const auto it = more_.find(ch);
    if (it != more_.end())
        return it->second;
    const TGlyphRef ref = FindGlyph(ch);
    if (more_.size() >= kMaxRememberedChars)
        more_.clear();
    more_.emplace(ch, ref);
    return ref;
}

TGlyphRef TResolvedFont::FindGlyph(char32_t ch) const {
    {
        std::lock_guard<std::mutex> faceLock(FaceMutex());
        FT_Face own = FaceFileFor(file_, face_index_).Measure; // opened when the font was made
        FT_Set_Pixel_Sizes(own, 0, static_cast<FT_UInt>(em_));
        TGlyphRef ref;
        if (FromOwnFace(own, cairo_face_, ch, ref))
            return ref;
    }
    if (fallbacks_ == nullptr) {
        // Sorted once per font, on its first character the face lacks. Fontconfig is asked
        // under the cache's lock, as the fonts are made.
        auto faces = std::make_unique<TFallbackFaces>();
        std::lock_guard<std::mutex> cacheLock(CacheMutex());
        FcPattern* pattern = MakePattern(desc_, em_);
        FcResult result = FcResultNoMatch;
        // Trimmed: a font that covers nothing the fonts before it lack could never be chosen.
        FcFontSet* set = FcFontSort(Config(), pattern, FcTrue, nullptr, &result);
        FcPatternDestroy(pattern);
        for (int i = 0; set != nullptr && i < set->nfont; ++i) {
            FcPattern* p = set->fonts[i];
            TFallbackFaces::TCandidate c;
            c.File = FcString(p, FC_FILE, 0);
            FcPatternGetInteger(p, FC_INDEX, 0, &c.Index);
            FcBool scalable = FcTrue;
            FcPatternGetBool(p, FC_SCALABLE, 0, &scalable);
            FcCharSet* chars = nullptr;
            if (c.File.empty() || !scalable ||
                FcPatternGetCharSet(p, FC_CHARSET, 0, &chars) != FcResultMatch ||
                chars == nullptr || (c.File == file_ && c.Index == face_index_))
                continue;
            c.Chars = FcCharSetCopy(chars);
            faces->Fonts.push_back(std::move(c));
        }
        if (set != nullptr)
            FcFontSetDestroy(set);
        fallbacks_ = std::move(faces);
    }
    for (const TFallbackFaces::TCandidate& c : fallbacks_->Fonts) {
        if (ch > 0x10FFFF || !FcCharSetHasChar(c.Chars, ch))
            continue;
        std::lock_guard<std::mutex> faceLock(FaceMutex());
        TFaceFile* faces = nullptr;
        try {
            faces = &FaceFileFor(c.File, c.Index);
        } catch (const Exception&) {
            continue; // unreadable since fontconfig listed it: the next one may do
        }
        if (FT_Set_Pixel_Sizes(faces->Measure, 0, static_cast<FT_UInt>(em_)) != 0)
            continue;
        const FT_UInt glyph = FT_Get_Char_Index(faces->Measure, ch);
        if (glyph != 0)
            return TGlyphRef{faces->Draw, glyph, LinearAdvance64(faces->Measure, glyph), false};
    }
    return TGlyphRef{nullptr, 0, MissingBoxAdvance64(em_), true};
}

std::shared_ptr<const TResolvedFont> TResolvedFont::Create(const TFont& desc) {
    std::shared_ptr<TResolvedFont> font(new TResolvedFont());
    font->desc_ = desc;
    font->desc_.Color = clBlack; // colour is the drawer's business, not the face's
    font->em_ = desc.PixelSize();

    // Ask fontconfig for the family in the wanted style.
    FcConfig* config = Config();
    const std::string requested = Trim(desc.Name);
    FcPattern* pattern = MakePattern(desc, font->em_);

    // Families the configuration declares equivalent to the requested one.
    std::vector<std::string> sameFamilies;
    for (int i = 1;; ++i) {
        FcValue v;
        FcValueBinding binding;
        if (FcPatternGetWithBinding(pattern, FC_FAMILY, i, &v, &binding) != FcResultMatch)
            break;
        if (binding == FcValueBindingSame && v.type == FcTypeString)
            sameFamilies.emplace_back(reinterpret_cast<const char*>(v.u.s));
    }
    for (const TCompatible& c : kCompatible)
        if (SameText(requested, c.windows))
            sameFamilies.emplace_back(c.standIn);

    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(config, pattern, &result);
    FcPatternDestroy(pattern);
    if (match == nullptr)
        throw EOutOfMemory("No font available");
    font->file_ = FcString(match, FC_FILE, 0);
    int index = 0;
    FcPatternGetInteger(match, FC_INDEX, 0, &index);
    font->face_index_ = index;
    font->family_ = FcString(match, FC_FAMILY, 0);
    // A font may carry several family names ("DejaVu Sans" and "DejaVu Sans Condensed").
    std::string exactName;
    bool standIn = false;
    for (int i = 0;; ++i) {
        std::string fam = FcString(match, FC_FAMILY, i);
        if (fam.empty())
            break;
        if (exactName.empty() && SameText(fam, requested))
            exactName = fam;
        for (const std::string& s : sameFamilies)
            if (SameText(fam, s))
                standIn = true;
    }
    FcPatternDestroy(match);
    font->found_ = !requested.empty() && (!exactName.empty() || standIn);
    font->face_name_ = !exactName.empty() ? exactName : font->found_ ? requested : font->family_;

    if (font->file_.empty())
        throw EOutOfMemory("Cannot open font " + font->file_);
    std::lock_guard<std::mutex> faceLock(FaceMutex());
    TFaceFile& faces = FaceFileFor(font->file_, index);
    FT_Face face = faces.Measure;
    FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(font->em_));

    // Metrics of the GDI screen model.
    const int em = font->em_;
    const int upem = face->units_per_EM > 0 ? face->units_per_EM : 2048;
    const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
    const auto* hhea = static_cast<const TT_HoriHeader*>(FT_Get_Sfnt_Table(face, FT_SFNT_HHEA));
    long winAscent = face->ascender, winDescent = -face->descender;
    if (os2 != nullptr && os2->version != 0xFFFF && os2->usWinAscent + os2->usWinDescent > 0) {
        winAscent = os2->usWinAscent;
        winDescent = os2->usWinDescent;
    }
    TTextMetric& m = font->metrics_;
    m.Ascent = ScaleCeil(winAscent, em, upem);
    m.Descent = ScaleCeil(winDescent, em, upem);
    m.Height = m.Ascent + m.Descent;
    m.InternalLeading = m.Height - em;
    if (hhea != nullptr) {
        const long gap = static_cast<long>(hhea->Line_Gap) -
                         ((winAscent + winDescent) - (hhea->Ascender - hhea->Descender));
        m.ExternalLeading = std::max(0, ScaleRound(gap, em, upem));
    }
    m.MaxCharWidth = ScaleRound(face->max_advance_width, em, upem);
    m.Overhang = 0;

    // U+0000..U+00FF from the face, in 1/64 pixel; what it lacks is left to the
    // first use (other faces are sorted only when some character needs them).
    for (char32_t ch = 0; ch < 256; ++ch) {
        TGlyphRef ref;
        if (FromOwnFace(face, faces.Draw, ch, ref)) {
            font->glyph_[ch] = ref.Glyph; // drawn from the face unless a control or glyph 0
            font->advance_[ch] = ref.Advance64;
        } else {
            font->advance_[ch] = -1;
            font->table_limit_ = std::min(font->table_limit_, ch);
        }
    }
    const long average = WeightedAverageWidth(face);
    if (average > 0)
        m.AveCharWidth = ScaleRound(average, em, upem);
    else if (os2 != nullptr && os2->version != 0xFFFF && os2->xAvgCharWidth > 0)
        m.AveCharWidth = ScaleRound(os2->xAvgCharWidth, em, upem);
    else
        m.AveCharWidth = std::max(0, PixelsFrom64(font->advance_[static_cast<uint8_t>('x')]));

    // Underline: FreeType gives the centre of the stroke (y up); we keep its top (y down).
    const int uThick = std::max(1, ScaleRound(face->underline_thickness, em, upem));
    font->underline_size_ = uThick;
    font->underline_pos_ =
        std::max(1, ScaleRound(-face->underline_position, em, upem) - uThick / 2);
    if (os2 != nullptr && os2->version != 0xFFFF && os2->yStrikeoutSize > 0) {
        font->strike_size_ = std::max(1, ScaleRound(os2->yStrikeoutSize, em, upem));
        font->strike_pos_ = -ScaleRound(os2->yStrikeoutPosition, em, upem);
    } else {
        font->strike_size_ = uThick;
        font->strike_pos_ = -m.Ascent / 3;
    }

    font->cairo_face_ = cairo_font_face_reference(faces.Draw);
    return font;
}

std::shared_ptr<const TResolvedFont> TFontCache::Get(const TFont& desc) {
    const std::string key = FoldKey(desc, desc.PixelSize());
    std::lock_guard<std::mutex> lock(CacheMutex());
    auto& cache = Cache();
    auto it = cache.find(key);
    if (it != cache.end())
        return it->second;
    auto font = TResolvedFont::Create(desc);
    cache.emplace(key, font);
    return font;
}

size_t TFontCache::Count() {
    std::lock_guard<std::mutex> lock(CacheMutex());
    return Cache().size();
}

void TFontCache::Clear() {
    std::lock_guard<std::mutex> lock(CacheMutex());
    Cache().clear();
}
