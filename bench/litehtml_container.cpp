#include "litehtml_container.h"

#include <cairo-ft.h>
#include <fontconfig/fontconfig.h>

#include <cctype>
#include <cmath>
#include <string>

namespace {

// HTML's default presentation, as browsers' user-agent sheets give it; without it every
// element would be an inline box and tables would not be tables.
const char kMasterCss[] = R"css(
html, address, blockquote, body, dd, div, dl, dt, fieldset, form, frame, frameset,
h1, h2, h3, h4, h5, h6, noframes, ol, p, ul, center, dir, hr, menu, pre { display: block }
head, title, meta, link, style, script, base, noscript { display: none }
html { position: relative }
body { margin: 8px; font-family: "Times New Roman"; font-size: 16px; color: black }
li { display: list-item }
table { display: table; border-collapse: separate; border-spacing: 2px; border-color: gray }
tr { display: table-row; vertical-align: middle }
thead { display: table-header-group; vertical-align: middle }
tbody { display: table-row-group; vertical-align: middle }
tfoot { display: table-footer-group; vertical-align: middle }
col { display: table-column }
colgroup { display: table-column-group }
td, th { display: table-cell; vertical-align: inherit; padding: 1px }
caption { display: table-caption; text-align: center }
th { font-weight: bold; text-align: center }
table[border] td, table[border] th { border: 1px inset gray }
table[border] { border: 1px outset gray }
h1 { font-size: 2em; margin: .67em 0 }
h2 { font-size: 1.5em; margin: .75em 0 }
h3 { font-size: 1.17em; margin: .83em 0 }
h4, p, blockquote, ul, fieldset, form, ol, dl, dir, menu { margin: 1.12em 0 }
h5 { font-size: .83em; margin: 1.5em 0 }
h6 { font-size: .75em; margin: 1.67em 0 }
h1, h2, h3, h4, h5, h6, b, strong { font-weight: bold }
blockquote { margin-left: 40px; margin-right: 40px }
i, cite, em, var, address { font-style: italic }
pre, tt, code, kbd, samp { font-family: "Courier New" }
pre { white-space: pre }
big { font-size: 1.17em }
small, sub, sup { font-size: .83em }
sub { vertical-align: sub }
sup { vertical-align: super }
s, strike, del { text-decoration: line-through }
hr { border: 1px inset gray; margin: .5em auto }
ol, ul, dir, menu, dd { margin-left: 40px }
ul { list-style-type: disc }
ol { list-style-type: decimal }
ol ul, ul ol, ul ul, ol ol { margin-top: 0; margin-bottom: 0 }
u, ins { text-decoration: underline }
center { text-align: center }
a:link, a:visited { color: blue; text-decoration: underline }
img { display: inline-block }
)css";

struct TRgba {
    double r, g, b, a;
};

TRgba Rgba(const litehtml::web_color& c) {
    return {c.red / 255.0, c.green / 255.0, c.blue / 255.0, c.alpha / 255.0};
}

void SetColor(cairo_t* cr, const litehtml::web_color& c) {
    const TRgba k = Rgba(c);
    cairo_set_source_rgba(cr, k.r, k.g, k.b, k.a);
}

// The first family of a CSS list, unquoted; generic names become the fonts our engine uses.
std::string FirstFamily(const char* list) {
    std::string s = list != nullptr ? list : "";
    s = s.substr(0, s.find(','));
    while (!s.empty() && (std::isspace(static_cast<unsigned char>(s.back())) || s.back() == '"' ||
                          s.back() == '\''))
        s.pop_back();
    size_t i = 0;
    while (i < s.size() &&
           (std::isspace(static_cast<unsigned char>(s[i])) || s[i] == '"' || s[i] == '\''))
        ++i;
    s = s.substr(i);
    if (s == "serif" || s.empty())
        return "Times New Roman";
    if (s == "sans-serif")
        return "Arial";
    if (s == "monospace")
        return "Courier New";
    return s;
}

} // namespace

struct TLitehtmlContainer::TFontObj {
    cairo_scaled_font_t* font = nullptr;
    unsigned decoration = 0;
    int ascent = 0, descent = 0, size = 0;
};

TLitehtmlContainer::TLitehtmlContainer(int viewWidth, int viewHeight)
    : width_(viewWidth), height_(viewHeight) {}

TLitehtmlContainer::~TLitehtmlContainer() {
    for (auto& [key, face] : faces_)
        cairo_font_face_destroy(face);
}

const char* TLitehtmlContainer::MasterCss() {
    return kMasterCss;
}

cairo_font_face_t* TLitehtmlContainer::Face(const std::string& family, bool bold, bool italic) {
    const auto key = std::make_tuple(family, bold, italic);
    const auto it = faces_.find(key);
    if (it != faces_.end())
        return it->second;
    FcPattern* pattern = FcPatternCreate();
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
    FcPatternAddInteger(pattern, FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
    FcPatternAddInteger(pattern, FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
    FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(nullptr, pattern, &result);
    FcPatternDestroy(pattern);
    cairo_font_face_t* face =
        match != nullptr ? cairo_ft_font_face_create_for_pattern(match)
                         : cairo_toy_font_face_create(family.c_str(), CAIRO_FONT_SLANT_NORMAL,
                                                      CAIRO_FONT_WEIGHT_NORMAL);
    if (match != nullptr)
        FcPatternDestroy(match);
    faces_.emplace(key, face);
    return face;
}

litehtml::uint_ptr TLitehtmlContainer::create_font(const litehtml::tchar_t* faceName, int size,
                                                   int weight, litehtml::font_style italic,
                                                   unsigned int decoration,
                                                   litehtml::font_metrics* fm) {
    auto* f = new TFontObj;
    f->size = size > 0 ? size : get_default_font_size();
    f->decoration = decoration;
    cairo_font_face_t* face =
        Face(FirstFamily(faceName), weight >= 600, italic == litehtml::fontStyleItalic);
    cairo_matrix_t matrix, ctm;
    cairo_matrix_init_scale(&matrix, f->size, f->size);
    cairo_matrix_init_identity(&ctm);
    cairo_font_options_t* options = cairo_font_options_create();
    cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_ON);
    f->font = cairo_scaled_font_create(face, &matrix, &ctm, options);
    cairo_font_options_destroy(options);
    cairo_font_extents_t ext;
    cairo_scaled_font_extents(f->font, &ext);
    f->ascent = int(std::ceil(ext.ascent));
    f->descent = int(std::ceil(ext.descent));
    if (fm != nullptr) {
        cairo_text_extents_t x;
        cairo_scaled_font_text_extents(f->font, "x", &x);
        fm->ascent = f->ascent;
        fm->descent = f->descent;
        fm->height = f->ascent + f->descent;
        fm->x_height = int(std::lround(-x.y_bearing));
        fm->draw_spaces = (decoration & (litehtml::font_decoration_underline |
                                         litehtml::font_decoration_linethrough)) != 0;
    }
    return reinterpret_cast<litehtml::uint_ptr>(f);
}

void TLitehtmlContainer::delete_font(litehtml::uint_ptr hFont) {
    auto* f = reinterpret_cast<TFontObj*>(hFont);
    if (f == nullptr)
        return;
    cairo_scaled_font_destroy(f->font);
    delete f;
}

int TLitehtmlContainer::text_width(const litehtml::tchar_t* text, litehtml::uint_ptr hFont) {
    auto* f = reinterpret_cast<TFontObj*>(hFont);
    cairo_text_extents_t ext;
    cairo_scaled_font_text_extents(f->font, text, &ext);
    return int(std::lround(ext.x_advance));
}

void TLitehtmlContainer::draw_text(litehtml::uint_ptr hdc, const litehtml::tchar_t* text,
                                   litehtml::uint_ptr hFont, litehtml::web_color color,
                                   const litehtml::position& pos) {
    auto* cr = reinterpret_cast<cairo_t*>(hdc);
    auto* f = reinterpret_cast<TFontObj*>(hFont);
    cairo_save(cr);
    ApplyClip(cr);
    cairo_set_scaled_font(cr, f->font);
    SetColor(cr, color);
    const int baseline = pos.bottom() - f->descent;
    cairo_move_to(cr, pos.x, baseline);
    cairo_show_text(cr, text);
    const int thickness = f->size / 12 > 0 ? f->size / 12 : 1;
    if (f->decoration & litehtml::font_decoration_underline)
        cairo_rectangle(cr, pos.x, baseline + 1, pos.width, thickness);
    if (f->decoration & litehtml::font_decoration_linethrough)
        cairo_rectangle(cr, pos.x, baseline - f->ascent / 3, pos.width, thickness);
    if (f->decoration & litehtml::font_decoration_overline)
        cairo_rectangle(cr, pos.x, pos.y, pos.width, thickness);
    cairo_fill(cr);
    cairo_restore(cr);
}

int TLitehtmlContainer::pt_to_px(int pt) const {
    return int(std::lround(pt * 96.0 / 72.0));
}

int TLitehtmlContainer::get_default_font_size() const {
    return 16; // 12 points at 96 pixels per inch, our engine's default
}

const litehtml::tchar_t* TLitehtmlContainer::get_default_font_name() const {
    return "Times New Roman";
}

void TLitehtmlContainer::draw_list_marker(litehtml::uint_ptr hdc,
                                          const litehtml::list_marker& marker) {
    auto* cr = reinterpret_cast<cairo_t*>(hdc);
    cairo_save(cr);
    ApplyClip(cr);
    SetColor(cr, marker.color);
    const litehtml::position& p = marker.pos;
    switch (marker.marker_type) {
    case litehtml::list_style_type_none:
        break;
    case litehtml::list_style_type_disc:
    case litehtml::list_style_type_circle:
        cairo_arc(cr, p.x + p.width / 2.0, p.y + p.height / 2.0, p.width / 2.0, 0, 2 * M_PI);
        if (marker.marker_type == litehtml::list_style_type_disc)
            cairo_fill(cr);
        else
            cairo_stroke(cr);
        break;
    case litehtml::list_style_type_square:
        cairo_rectangle(cr, p.x, p.y, p.width, p.height);
        cairo_fill(cr);
        break;
    default:
        // Numbered kinds: the number in the marker's font, right-aligned to the marker box.
        if (marker.font != 0) {
            auto* f = reinterpret_cast<TFontObj*>(marker.font);
            const std::string text = std::to_string(marker.index) + ".";
            cairo_set_scaled_font(cr, f->font);
            cairo_move_to(cr, p.x + p.width - text_width(text.c_str(), marker.font),
                          p.bottom() - f->descent);
            cairo_show_text(cr, text.c_str());
        }
    }
    cairo_restore(cr);
}

void TLitehtmlContainer::get_image_size(const litehtml::tchar_t*, const litehtml::tchar_t*,
                                        litehtml::size& sz) {
    sz.width = 0; // nothing is fetched: an image's box comes from its width and height
    sz.height = 0;
}

void TLitehtmlContainer::draw_background(litehtml::uint_ptr hdc,
                                         const litehtml::background_paint& bg) {
    auto* cr = reinterpret_cast<cairo_t*>(hdc);
    cairo_save(cr);
    ApplyClip(cr);
    if (bg.color.alpha != 0) {
        SetColor(cr, bg.color);
        cairo_rectangle(cr, bg.clip_box.x, bg.clip_box.y, bg.clip_box.width, bg.clip_box.height);
        cairo_fill(cr);
    }
    if (!bg.image.empty()) {
        // An image: a grey frame of its box, as our engine draws a picture it cannot load.
        cairo_set_source_rgb(cr, 0.5, 0.5, 0.5);
        cairo_set_line_width(cr, 1);
        const litehtml::position& b = bg.border_box;
        cairo_rectangle(cr, b.x + 0.5, b.y + 0.5, b.width - 1, b.height - 1);
        cairo_stroke(cr);
    }
    cairo_restore(cr);
}

void TLitehtmlContainer::draw_borders(litehtml::uint_ptr hdc, const litehtml::borders& borders,
                                      const litehtml::position& p, bool) {
    auto* cr = reinterpret_cast<cairo_t*>(hdc);
    cairo_save(cr);
    ApplyClip(cr);
    auto side = [cr](const litehtml::border& b, double x, double y, double w, double h) {
        if (b.width <= 0 || b.style == litehtml::border_style_none ||
            b.style == litehtml::border_style_hidden)
            return;
        SetColor(cr, b.color);
        cairo_rectangle(cr, x, y, w, h);
        cairo_fill(cr);
    };
    side(borders.top, p.x, p.y, p.width, borders.top.width);
    side(borders.bottom, p.x, p.bottom() - borders.bottom.width, p.width, borders.bottom.width);
    side(borders.left, p.x, p.y, borders.left.width, p.height);
    side(borders.right, p.right() - borders.right.width, p.y, borders.right.width, p.height);
    cairo_restore(cr);
}

void TLitehtmlContainer::transform_text(litehtml::tstring& text, litehtml::text_transform tt) {
    if (tt == litehtml::text_transform_uppercase)
        for (char& c : text)
            c = char(std::toupper(static_cast<unsigned char>(c)));
    else if (tt == litehtml::text_transform_lowercase)
        for (char& c : text)
            c = char(std::tolower(static_cast<unsigned char>(c)));
    else if (tt == litehtml::text_transform_capitalize && !text.empty())
        text[0] = char(std::toupper(static_cast<unsigned char>(text[0])));
}

void TLitehtmlContainer::set_clip(const litehtml::position& pos, const litehtml::border_radiuses&,
                                  bool, bool) {
    clips_.push_back(pos);
}

void TLitehtmlContainer::del_clip() {
    if (!clips_.empty())
        clips_.pop_back();
}

void TLitehtmlContainer::ApplyClip(cairo_t* cr) const {
    for (const auto& c : clips_) {
        cairo_rectangle(cr, c.x, c.y, c.width, c.height);
        cairo_clip(cr);
    }
}

void TLitehtmlContainer::get_client_rect(litehtml::position& client) const {
    client.x = 0;
    client.y = 0;
    client.width = width_;
    client.height = height_;
}

void TLitehtmlContainer::get_media_features(litehtml::media_features& media) const {
    media.type = litehtml::media_type_screen;
    media.width = media.device_width = width_;
    media.height = media.device_height = height_;
    media.color = 8;
    media.monochrome = 0;
    media.color_index = 256;
    media.resolution = 96;
}

void TLitehtmlContainer::get_language(litehtml::tstring& language,
                                      litehtml::tstring& culture) const {
    language = "en";
    culture = "";
}
