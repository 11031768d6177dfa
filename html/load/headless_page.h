#pragma once
// A page read, laid out and painted without a window: what `foliobuilder render`, the layout
// tests, the benchmarks and the fuzz targets use. It sets the document up with the viewer's
// defaults, serves images and linked style sheets from the page's folder, and paints through
// the same code the viewer paints with.
#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>

#include "html/doc/section_list.h"
#include "platform/graphics/color.h"

class TCanvas;
class TStringBitmapList;

class THeadlessPage {
public:
    THeadlessPage();
    ~THeadlessPage();
    THeadlessPage(const THeadlessPage&) = delete;
    THeadlessPage& operator=(const THeadlessPage&) = delete;

    // The colour painted where the page sets no background of its own (white, as in the
    // windows). Takes effect at the next load.
    void SetDefaultBackground(TColor color) { defaultBackground_ = color; }
    // Device pixels per CSS pixel, as the viewer's zoom (0.25 .. 8). Takes effect at the next
    // load.
    void SetZoom(double zoom) { zoom_ = zoom; }

    // Reads a page from a file: HTML, a text file (shown preformatted) or a single image
    // (shown as the viewer shows one). False with a message naming the file and the reason.
    bool LoadFile(const std::string& path, std::string& error);
    // Reads HTML text; relative names resolve against baseDir (may be empty: no files).
    void LoadHtml(std::string html, const std::string& baseDir);
    // Plain text, shown preformatted.
    void LoadText(std::string text);

    // Lays the document out at a width (pixels, at least 1); returns the document height.
    int32_t LayOut(int32_t width);
    int32_t DocHeight() const { return height_; }
    int32_t DocWidth() const { return neededWidth_; }
    int32_t Width() const { return width_; }

    // The text dump of the laid-out tree.
    std::string Dump() const;
    // Paints the band of the document that starts at document y `top` onto the canvas (the
    // canvas's size is the band's size), background included.
    void Paint(TCanvas& canvas, int32_t top);
    // Writes the whole document height as one PNG, painting in bands when it is tall. A
    // document taller than kMaxPictureHeight is written up to that height (PictureHeight
    // says how tall the picture is).
    bool SavePNG(const std::string& fileName, std::string& error);
    int32_t PictureHeight() const;

    // The height percentages of the page are taken against (the viewer's window height).
    static constexpr int32_t kViewportHeight = 600;
    static constexpr int32_t kMaxWidth = 32000;
    static constexpr int32_t kMaxPictureHeight = 1 << 18;

    TSectionList& Document() { return *doc_; }

private:
    // Clears the document and gives it the viewer's defaults; names resolve against baseDir.
    void Prepare(const std::string& baseDir);
    std::string ExpandName(const std::string& name) const;
    // A bare file name missing beside the page, looked up in the page's folder tree.
    std::string FindInSite(const std::string& fileName) const;

    std::unique_ptr<TStringBitmapList> cache_;
    // Lower-cased file names below baseDir_ and their paths, gathered on the first miss.
    mutable std::unique_ptr<std::unordered_map<std::string, std::string>> siteFiles_;
    std::unique_ptr<TSectionList> doc_;
    std::string baseDir_;
    TColor defaultBackground_ = clWhite;
    double zoom_ = 1;
    int32_t width_ = 0;
    int32_t height_ = 0;
    int32_t neededWidth_ = 0;
};
