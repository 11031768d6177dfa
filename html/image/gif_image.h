#pragma once
// TGIFImage: a GIF87a/GIF89a picture with all its frames, composed by each frame's disposal
// method and animated on timer ticks from the viewer.
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/base/streams.h"
#include "platform/graphics/bitmap.h"
#include "platform/graphics/geometry.h"

class TCanvas;

// One frame: its place on the logical screen, its timing and disposal, and its pictures.
class TgfFrame {
public:
    int Left = 0, Top = 0, Width = 0, Height = 0;
    int Bits = 0;     // local colour table size in bits, 0 when the global table is used
    int Delay = 0;    // milliseconds
    int Disposal = 0; // 0 unspecified, 1 leave, 2 restore background, 3 restore previous
    bool Interlaced = false;
    bool Transparent = false;
    int TransparentIndex = 0;
    TColor TransparentColor = clBlack;
    std::array<uint8_t, 768> ColorTable{}; // local table, else a copy of the global one
    std::unique_ptr<TBitmap> Image;        // 24-bit; transparent pixels are black
    std::unique_ptr<TBitmap> Mask;         // 1-bit, set (white) at transparent pixels
    bool OwnPalette = false;
    std::string Comment; // text of the last comment extension before the frame

    std::unique_ptr<TgfFrame> Clone() const;
};

// What lies behind a transparent picture in the viewer: a tiled image scrolled with the
// document, or a plain colour when there is no image.
struct TGifBackground {
    const TBitmap* Image = nullptr;
    TColor Color = clWhite;
    int ScrollX = 0, ScrollY = 0; // the document's scroll position
};

class TGIFImage {
public:
    TGIFImage();
    ~TGIFImage();
    TGIFImage(const TGIFImage&) = delete;
    TGIFImage& operator=(const TGIFImage&) = delete;

    // Full loads; false (and an empty image) when the data is not a readable GIF.
    bool LoadFromFile(const std::string& fileName);
    bool LoadFromStream(TStream& stream);
    bool LoadFromMemory(const uint8_t* data, size_t size);
    // Structure only: frame count, sizes, bits, delays; no pictures.
    bool LoadHeaderFromFile(const std::string& fileName);
    bool LoadHeaderFromMemory(const uint8_t* data, size_t size);

    // An image for one more use of a cached picture, animation switched off: it shares the
    // decoded frames and has its own composition and frame counters.
    std::unique_ptr<TGIFImage> Copy() const;

    bool Animated() const { return frames_->size() > 1; }
    bool Empty() const { return empty_; }
    bool HeaderOnly() const { return headerOnly_; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    int LoopCount() const { return loopCount_; }
    bool IsTransparent() const { return transparent_; }
    int BitsPerPixel() const { return bitsPerPixel_; }
    int NumFrames() const { return static_cast<int>(frames_->size()); }
    // Frames are counted from 1.
    const TgfFrame& Frame(int n) const { return *(*frames_)[static_cast<size_t>(n - 1)]; }
    // Whether two images show the same decoded frames (one is a copy of the other).
    bool SharesFramesWith(const TGIFImage& other) const { return frames_ == other.frames_; }
    // Bytes of decoded pictures: the frames (shared with copies of the image), and what this
    // image holds alone (its composition).
    int64_t FrameBytes() const;
    int64_t OwnBytes() const;

    int Speed() const { return speed_; }
    void SetSpeed(int percent); // below 1 counts as 1
    bool Visible() const { return visible_; }
    void SetVisible(bool visible) { visible_ = visible; }
    bool OwnPalette() const { return ownPalette_; }
    void SetOwnPalette(bool on) { ownPalette_ = on; }

    bool Animate() const { return animating_; }
    void SetAnimate(bool on);
    int CurrentFrame() const { return currentFrame_; }
    void SetCurrentFrame(int n);
    int CurrentDelay() const { return currentDelay_; }

    // The animation step; `invalidate` receives the rectangle where the image was last drawn.
    void Tick(const std::function<void(const TRect&)>& invalidate);
    // Milliseconds clock of the animation; timeGetTime unless a test sets another.
    std::function<uint32_t()> Clock;

    // Draws the current picture stretched to the rectangle; transparent areas keep what is
    // there, or show `background` where the picture builds up over earlier frames.
    void Draw(TCanvas& canvas, int x, int y, int width, int height,
              const TGifBackground* background = nullptr);
    TRect LastDrawn() const { return drawn_; }

    // The first frame alone, transparent pixels in the transparent colour (shared palette on
    // 8-bit displays). None when empty or header-only.
    std::unique_ptr<TBitmap> StillBitmap() const;
    // The composed picture and its mask (white where transparent; none for opaque images).
    const TBitmap* Composition() const { return composition_.get(); }
    const TBitmap* CompositionMask() const { return compositionMask_.get(); }

    void Reset();

private:
    bool Parse(const uint8_t* data, size_t size, bool headerOnly);
    void ComposeFrame(int n);
    void UndoFrame(int n);
    int DelayOf(int n) const;

    bool empty_ = true;
    bool headerOnly_ = false;
    int width_ = 0, height_ = 0;
    int loopCount_ = 1;
    int speed_ = 100;
    bool transparent_ = false;
    bool visible_ = true;
    int bitsPerPixel_ = 0;
    std::array<uint8_t, 768> globalTable_{};
    using TFrameList = std::vector<std::unique_ptr<TgfFrame>>;
    // Never changed once read, so copies of the image share them.
    std::shared_ptr<TFrameList> frames_ = std::make_shared<TFrameList>();
    std::unique_ptr<TBitmap> saved_, savedMask_; // under the shown frame, when it asks
    std::unique_ptr<TBitmap> composition_;
    std::unique_ptr<TBitmap> compositionMask_;
    std::unique_ptr<TCanvas> backgroundBuffer_;
    bool repaintBackground_ = true;
    bool ownPalette_ = false;
    bool animating_ = false;
    int currentFrame_ = 1;
    uint32_t lastTick_ = 0;
    int currentDelay_ = 1;
    int cycle_ = 1;
    bool firstDraw_ = true;
    TRect drawn_;
};

// Loads a GIF in two passes: the structure first, to learn whether it is animated and how
// many colour bits it has, then fully, with the own-palette flag set for a still image of
// more than 1 bit on an 8-bit display. `nonAnimated` reports a single frame. None on failure.
std::unique_ptr<TGIFImage> CreateAGif(const std::string& fileName, bool& nonAnimated);
std::unique_ptr<TGIFImage> CreateAGifFromMemory(const uint8_t* data, size_t size,
                                                bool& nonAnimated);
