#pragma once
// A page read, laid out and painted without a window: what `foliobuilder render`, the layout
// tests, the benchmarks and the fuzz targets use. It sets the document up with the viewer's
// defaults, serves images and linked style sheets from the page's folder, and paints through
// the same code the viewer paints with.
#include <cstdint>
#include <memory>
#include <string>

#include "html/doc/section_list.h"

class TCanvas;

class THeadlessPage {
public:
    THeadlessPage();
    ~THeadlessPage();
    THeadlessPage(const THeadlessPage&) = delete;
    THeadlessPage& operator=(const THeadlessPage&) = delete;

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
    // Writes the whole document height as one PNG, painting in bands when it is tall.
    bool SavePNG(const std::string& fileName, std::string& error);

    TSectionList& Document() { return *doc_; }

private:
    std::unique_ptr<TSectionList> doc_;
    std::string baseDir_;
    int32_t width_ = 0;
    int32_t height_ = 0;
    int32_t neededWidth_ = 0;
};
