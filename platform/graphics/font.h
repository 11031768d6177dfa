#pragma once
// Fonts. TFont is the description the engine builds and copies (name, size in points, style,
// colour, character set); TResolvedFont is what a description resolves to through fontconfig:
// one face file, its metrics at the screen resolution and the whole-pixel advance of every
// byte of the font's code page. Resolved fonts are immutable and cached by description, so
// sections that share a style share one object.
//
// Metrics follow the GDI screen model so that Liberation measures like the Windows fonts it is
// metric-compatible with:
//   em pixels       = round(Size * 96 / 72)   (a Size of 0 or less means 12 points; the em is
//                     held within 1 to 2048 pixels)
//   Ascent, Descent = the OS/2 usWinAscent and usWinDescent scaled to the em, rounded up
//   Height          = Ascent + Descent;  InternalLeading = Height - em pixels
//   ExternalLeading = max(0, hhea lineGap - ((winAscent + winDescent) - (hhea ascender -
//                     hhea descender))) scaled and rounded
//   advances        = hinted advances in whole pixels, no kerning: extents add up exactly
//   Overhang        = 0 (real bold and italic faces are used; nothing is synthesised)
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/base/strings.h"
#include "platform/graphics/color.h"
#include "platform/graphics/geometry.h"

// Windows character-set codes the engine meets in documents.
constexpr uint8_t ANSI_CHARSET = 0;
constexpr uint8_t DEFAULT_CHARSET = 1;
constexpr uint8_t GREEK_CHARSET = 161;
constexpr uint8_t TURKISH_CHARSET = 162;
constexpr uint8_t BALTIC_CHARSET = 186;
constexpr uint8_t RUSSIAN_CHARSET = 204;
constexpr uint8_t EASTEUROPE_CHARSET = 238;

class TResolvedFont;

// A font description, copied freely. Equal descriptions resolve to the same font object.
class TFont {
public:
    std::string Name = "Times New Roman"; // requested family
    int Size = 12;                        // points; 0 or less gives the 12-point default
    bool Bold = false;
    bool Italic = false;
    bool Underline = false;
    bool StrikeOut = false;
    TColor Color = clBlack; // text colour; not part of the face, drawing uses it
    uint8_t Charset = ANSI_CHARSET;

    bool operator==(const TFont&) const = default;

    // The size in pixels of the em at the screen resolution.
    int PixelSize() const;
    // The toolkit's Font.Height: the em size in pixels, negative (a character height without
    // internal leading). Its absolute value is PixelSize().
    int Height() const { return -PixelSize(); }
    // The resolved font from the cache (made on first use). Never null: when nothing matches
    // at all, fontconfig's best default is used.
    std::shared_ptr<const TResolvedFont> Resolve() const;
    // Shortcuts through Resolve().
    std::string FaceName() const; // the face name actually chosen (see TResolvedFont)
};

// GetTextMetrics, in pixels.
struct TTextMetric {
    int Height = 0;
    int Ascent = 0;
    int Descent = 0;
    int InternalLeading = 0;
    int ExternalLeading = 0;
    int AveCharWidth = 0;
    int MaxCharWidth = 0;
    int Overhang = 0;
};

class TResolvedFont {
public:
    ~TResolvedFont();
    TResolvedFont(const TResolvedFont&) = delete;
    TResolvedFont& operator=(const TResolvedFont&) = delete;

    // The description this font was resolved from (its Color included).
    const TFont& Description() const { return desc_; }
    const TTextMetric& Metrics() const { return metrics_; }
    int EmPixels() const { return em_; }

    // The face name the system chose, as GDI reports it: the requested name when fontconfig
    // has that family or a metric-compatible alias for it (so "Times New Roman" comes back as
    // "Times New Roman" when Liberation Serif stands in), else the family actually used.
    const std::string& FaceName() const { return face_name_; }
    // The family of the file actually used ("Liberation Serif") and its path.
    const std::string& ActualFamily() const { return family_; }
    const std::string& FilePath() const { return file_; }
    // Whether the requested family (or a metric-compatible alias) was found.
    bool FamilyFound() const { return found_; }

    TCodePage CodePage() const { return code_page_; }
    // Advance of one byte of the font's code page, in whole pixels.
    int CharWidth(uint8_t ch) const { return advance_[ch]; }
    // Width of an 8-bit string (the sum of the advances; no kerning). Height is the font's.
    int TextWidth(std::string_view s) const;
    TSize TextExtent(std::string_view s) const { return TSize{TextWidth(s), metrics_.Height}; }

    // GetTextExtentExPoint: how many leading characters of s fit in maxExtent pixels (the
    // extent of the prefix is at most maxExtent; a negative maxExtent fits nothing). When
    // partials is given it receives the extent of every prefix (1..s.size() characters) for
    // the whole string, as the toolkit's call does with a fit request.
    int FitCount(std::string_view s, int maxExtent, std::vector<int>* partials = nullptr) const;

    // Unicode character drawn for a byte, through the code page.
    char32_t CharOf(uint8_t ch) const;
    // Glyph index in the face for a byte (0, the missing glyph, when the face lacks it).
    unsigned GlyphOf(uint8_t ch) const { return glyph_[ch]; }

    // Underline and strike-out lines, from the face's post and OS/2 tables: offset of the
    // line's top below the baseline (negative: above) and its thickness, at least 1 pixel.
    int UnderlineOffset() const { return underline_pos_; }
    int UnderlineThickness() const { return underline_size_; }
    int StrikeOutOffset() const { return strike_pos_; }
    int StrikeOutThickness() const { return strike_size_; }

    // The cairo font face for drawing (a cairo_font_face_t*, owned by this object). Kept
    // untyped so this header stays free of cairo's.
    void* CairoFace() const { return cairo_face_; }

    // Makes a font without the cache (the cache calls this).
    static std::shared_ptr<const TResolvedFont> Create(const TFont& desc);

private:
    TResolvedFont() = default;

    TFont desc_;
    TTextMetric metrics_;
    int em_ = 0;
    std::string face_name_, family_, file_;
    bool found_ = false;
    TCodePage code_page_ = TCodePage::cp1252;
    int advance_[256] = {};
    unsigned glyph_[256] = {};
    int underline_pos_ = 0, underline_size_ = 1, strike_pos_ = 0, strike_size_ = 1;
    void* cairo_face_ = nullptr;
};

// The cache of resolved fonts keyed by description. Fonts are never evicted while the
// process runs: documents use few distinct descriptions.
class TFontCache {
public:
    static std::shared_ptr<const TResolvedFont> Get(const TFont& desc);
    static size_t Count();
    static void Clear(); // drops the cache's references (objects in use stay alive)
};

// The text metrics of a font (a screen device context's GetTextMetrics).
inline TTextMetric GetTextMetrics(const TFont& font) {
    return font.Resolve()->Metrics();
}
