#pragma once
// Fonts. TFont is the description the engine builds and copies (name, size in points, style,
// colour, character set); TResolvedFont is what a description resolves to through fontconfig:
// one face file, its metrics at the screen resolution and, for every Unicode character, the
// glyph that draws it and its advance. Resolved fonts are immutable to their users
// and cached by description, so sections that share a style share one object.
//
// Text is Unicode: the engine measures UTF-32 (one code point per element), edges pass UTF-8.
// Each character is drawn by the font's own face when the face has it. When it has not, the
// first face in fontconfig's order of preference for the description (family, weight, slant,
// size) that covers the character draws it, at the same pixel size: fontconfig sorts the
// installed fonts once per resolved font, on the first such character, and each choice is
// remembered. A character no installed font has is "missing": it takes the width of a box
// (0.55 em, whole pixels) and the canvas draws an empty rectangle there, so the reader sees that
// something is not shown instead of a wrong letter. Characters that draw nothing:
//   - control characters (below U+0020, and DEL and U+0080..U+009F unless the face maps them)
//     take the advance of the glyph the face maps them to (the missing glyph, as fonts have
//     none for them) and are never looked up elsewhere;
//   - default-ignorable characters the face lacks (zero-width space and joiners, direction
//     marks, variation selectors, the byte-order mark) take no room at all.
// The font's character set is kept in its description (documents carry it) but has no effect
// on the face or on what is drawn.
//
// Metrics follow the GDI screen model so that Liberation measures like the Windows fonts it is
// metric-compatible with:
//   em pixels       = round(Size * 96 / 72)   (a Size of 0 or less means 12 points; the em is
//                     held within 1 to 2048 pixels)
//   Ascent, Descent = the OS/2 usWinAscent and usWinDescent scaled to the em, rounded up
//   Height          = Ascent + Descent;  InternalLeading = Height - em pixels
//   ExternalLeading = max(0, hhea lineGap - ((winAscent + winDescent) - (hhea ascender -
//                     hhea descender))) scaled and rounded
//   advances        = the designed advances in 1/64 pixel (light hinting, with which glyphs
//                     are drawn, moves nothing sideways), no kerning
//   extents         = the sum of the advances of a text, rounded to whole pixels. The
//                     extent of a text is within a pixel of the sum of the extents of its
//                     pieces, not always equal to it: rounding advance by advance would make
//                     text wider than designed and unevenly spaced. The canvas draws a text's
//                     glyphs at the rounded sums of the advances before them, so the glyphs
//                     of a text measured alone land where its prefixes' extents say. Text
//                     layout adds advances along a whole line (TextAdvance64) and draws
//                     its pieces from there (TCanvas::TextOut64), so splitting a line into
//                     runs moves nothing.
//   Overhang        = 0 (real bold and italic faces are used; nothing is synthesised)
// The metrics are the primary face's whatever other faces draw some characters.
//
// Speed: U+0000..U+00FF are looked up when the font is made and measured from a table; other
// characters go through a per-font cache behind a mutex. Fonts may be used from any thread.
#include <climits>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>
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
    // The Windows character-set code the description was made with. Documents carry it; text
    // is Unicode, so it selects neither the face nor the glyphs, and equal descriptions that
    // differ only here resolve to the same font.
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

// What draws one character: the face (a cairo_font_face_t*, owned by the font machinery and
// valid for the life of the process), the glyph index in it and the advance in 1/64 pixel.
// Face is null for a character that draws nothing (a control or default-ignorable character)
// and for a missing one; Missing marks a character no installed font has, which the canvas
// draws as an empty box as wide as its advance.
struct TGlyphRef {
    const void* Face = nullptr;
    unsigned Glyph = 0;
    int Advance64 = 0;
    bool Missing = false;
};

// 1/64 pixel (a sum of advances, not negative) to whole pixels, rounded half up, saturating
// at INT_MAX.
constexpr int PixelsFrom64(int64_t v) {
    return v >= (int64_t{INT_MAX} << 6) ? INT_MAX : static_cast<int>((v + 32) >> 6);
}

struct TFallbackFaces; // fontconfig's sorted fonts for a description (font.cpp)

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

    // Advance of one character in 1/64 pixel, whatever face draws it.
    int CharAdvance64(char32_t ch) const {
        return ch < 256 && advance_[ch] >= 0 ? advance_[ch] : GlyphFor(ch).Advance64;
    }
    // Width of one character alone in whole pixels: TextWidth of the character.
    int CharWidth(char32_t ch) const { return PixelsFrom64(CharAdvance64(ch)); }
    // Width of a text: the sum of the advances (no kerning) rounded to whole pixels,
    // saturating at INT_MAX. The UTF-8 form counts each ill-formed sequence as one U+FFFD.
    // Height is the font's.
    int TextWidth(std::u32string_view s) const;
    // The sum of the advances of a text in 1/64 pixel (TextWidth is this rounded). Layout adds
    // these along a line and rounds once, so that a line split into runs of one font (or of
    // several) measures and draws as it would in one piece.
    int64_t TextAdvance64(std::u32string_view s) const;
    int TextWidth(std::string_view utf8) const;
    TSize TextExtent(std::u32string_view s) const { return TSize{TextWidth(s), metrics_.Height}; }
    TSize TextExtent(std::string_view utf8) const {
        return TSize{TextWidth(utf8), metrics_.Height};
    }

    // GetTextExtentExPoint: how many leading characters of s fit in maxExtent pixels (the
    // extent of the prefix, as TextWidth gives it, is at most maxExtent; a negative maxExtent
    // fits nothing). When partials is given it receives the extent of every prefix
    // (1..s.size() characters) for the whole string, as the toolkit's call does with a fit
    // request; the extents never decrease.
    int FitCount(std::u32string_view s, int maxExtent, std::vector<int>* partials = nullptr) const;
    // How many leading characters of s have advances summing to at most max64 (1/64 pixel).
    int FitCount64(std::u32string_view s, int64_t max64) const;

    // The face, glyph and advance that draw a character (see TGlyphRef).
    TGlyphRef GlyphFor(char32_t ch) const {
        if (ch < 256 && advance_[ch] >= 0) // in the table, so drawn by the face or not at all
            return TGlyphRef{ch < 0x20 || glyph_[ch] == 0 ? nullptr : cairo_face_, glyph_[ch],
                             advance_[ch], false};
        return LookUp(ch);
    }

    // Underline and strike-out lines, from the face's post and OS/2 tables: offset of the
    // line's top below the baseline (negative: above) and its thickness, at least 1 pixel.
    int UnderlineOffset() const { return underline_pos_; }
    int UnderlineThickness() const { return underline_size_; }
    int StrikeOutOffset() const { return strike_pos_; }
    int StrikeOutThickness() const { return strike_size_; }

    // The cairo font face of the font's own file (a cairo_font_face_t*, owned by this
    // object). Kept untyped so this header stays free of cairo's. Characters the face lacks are
    // drawn from the faces GlyphFor names.
    void* CairoFace() const { return cairo_face_; }

    // Makes a font without the cache (the cache calls this).
    static std::shared_ptr<const TResolvedFont> Create(const TFont& desc);

private:
    TResolvedFont() = default;
    // GlyphFor beyond the table: the cache, or the faces, under mutex_.
    TGlyphRef LookUp(char32_t ch) const;
    TGlyphRef FindGlyph(char32_t ch) const; // with mutex_ held

    TFont desc_;
    TTextMetric metrics_;
    int em_ = 0;
    std::string face_name_, family_, file_;
    int face_index_ = 0;
    bool found_ = false;
    // U+0000..U+00FF from the face, filled when the font is made (advances in 1/64 pixel). An
    // advance of -1 marks a character the face lacks, looked up elsewhere on first use (through
    // LookUp, so never from the table). Every character below table_limit_ is final in the
    // table (the limit is the first that is not, or 256), so measuring sums those in a tight
    // loop.
    int advance_[256] = {};
    unsigned glyph_[256] = {};
    char32_t table_limit_ = 256;
    int underline_pos_ = 0, underline_size_ = 1, strike_pos_ = 0, strike_size_ = 1;
    void* cairo_face_ = nullptr;

    // Characters beyond the table, and the faces that may draw what this one lacks (sorted on
    // first need). Guarded by mutex_.
    mutable std::mutex mutex_;
    mutable std::unordered_map<char32_t, TGlyphRef> more_;
    mutable std::unique_ptr<TFallbackFaces> fallbacks_;
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
