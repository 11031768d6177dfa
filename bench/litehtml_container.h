#pragma once
// The host litehtml needs to lay out and paint a page, kept as small as a real host would be:
// text measured and drawn through cairo with fonts that fontconfig picks for the same family
// names our engine asks for, images drawn as boxes of the size the page gives them, no style
// sheets or images fetched. Painting goes to the cairo context passed to draw() as its hdc.
#include <cairo.h>
#include <litehtml/litehtml.h>

#include <map>
#include <string>
#include <tuple>
#include <vector>

class TLitehtmlContainer : public litehtml::document_container {
public:
    explicit TLitehtmlContainer(int viewWidth, int viewHeight = 600);
    ~TLitehtmlContainer();
    TLitehtmlContainer(const TLitehtmlContainer&) = delete;
    TLitehtmlContainer& operator=(const TLitehtmlContainer&) = delete;

    // The user-agent style sheet the library leaves to its host (HTML's default rendering).
    static const char* MasterCss();

    litehtml::uint_ptr create_font(const litehtml::tchar_t* faceName, int size, int weight,
                                   litehtml::font_style italic, unsigned int decoration,
                                   litehtml::font_metrics* fm) override;
    void delete_font(litehtml::uint_ptr hFont) override;
    int text_width(const litehtml::tchar_t* text, litehtml::uint_ptr hFont) override;
    void draw_text(litehtml::uint_ptr hdc, const litehtml::tchar_t* text, litehtml::uint_ptr hFont,
                   litehtml::web_color color, const litehtml::position& pos) override;
    int pt_to_px(int pt) const override;
    int get_default_font_size() const override;
    const litehtml::tchar_t* get_default_font_name() const override;
    void draw_list_marker(litehtml::uint_ptr hdc, const litehtml::list_marker& marker) override;
    void load_image(const litehtml::tchar_t*, const litehtml::tchar_t*, bool) override {}
    void get_image_size(const litehtml::tchar_t* src, const litehtml::tchar_t* baseurl,
                        litehtml::size& sz) override;
    void draw_background(litehtml::uint_ptr hdc, const litehtml::background_paint& bg) override;
    void draw_borders(litehtml::uint_ptr hdc, const litehtml::borders& borders,
                      const litehtml::position& draw_pos, bool root) override;
    void set_caption(const litehtml::tchar_t*) override {}
    void set_base_url(const litehtml::tchar_t*) override {}
    void link(const std::shared_ptr<litehtml::document>&, const litehtml::element::ptr&) override {}
    void on_anchor_click(const litehtml::tchar_t*, const litehtml::element::ptr&) override {}
    void set_cursor(const litehtml::tchar_t*) override {}
    void transform_text(litehtml::tstring& text, litehtml::text_transform tt) override;
    void import_css(litehtml::tstring&, const litehtml::tstring&, litehtml::tstring&) override {}
    void set_clip(const litehtml::position& pos, const litehtml::border_radiuses& radius,
                  bool valid_x, bool valid_y) override;
    void del_clip() override;
    void get_client_rect(litehtml::position& client) const override;
    std::shared_ptr<litehtml::element>
    create_element(const litehtml::tchar_t*, const litehtml::string_map&,
                   const std::shared_ptr<litehtml::document>&) override {
        return nullptr;
    }
    void get_media_features(litehtml::media_features& media) const override;
    void get_language(litehtml::tstring& language, litehtml::tstring& culture) const override;

private:
    struct TFontObj;
    cairo_font_face_t* Face(const std::string& family, bool bold, bool italic);
    void ApplyClip(cairo_t* cr) const;

    int width_, height_;
    // Faces are matched once per family and style, as a host keeps them between documents.
    std::map<std::tuple<std::string, bool, bool>, cairo_font_face_t*> faces_;
    std::vector<litehtml::position> clips_;
};
