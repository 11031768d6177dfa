#pragma once
// A scroll bar whose position, page, minimum and maximum are full 32-bit values, set as one
// record, so documents far taller than 32767 pixels scroll correctly, dragging included.
// The position stays within [Min, Max - Page + 1] (at least Min), the range the thumb can
// reach; all arithmetic on the values is done in 64 bits.
#include <cstdint>
#include <functional>

#include "platform/gui/control.h"

enum class TScrollBarKind { sbHorizontal, sbVertical };
enum class TScrollCode {
    scLineUp,
    scLineDown,
    scPageUp,
    scPageDown,
    scPosition, // the thumb was released at a position
    scTrack,    // the thumb is being dragged
    scTop,
    scBottom,
    scEndScroll
};

class TScrollBar : public TControl {
public:
    explicit TScrollBar(TScrollBarKind kind = TScrollBarKind::sbHorizontal);

    TScrollBarKind Kind() const { return kind_; }
    int32_t Position() const { return position_; }
    int32_t Min() const { return min_; }
    int32_t Max() const { return max_; }
    int32_t PageSize() const { return page_; }
    // The largest position the thumb can reach.
    int32_t MaxPosition() const;

    int32_t SmallChange = 1;
    int32_t LargeChange = 1;

    // All four at once: a maximum below the minimum becomes the minimum, a negative page 0,
    // and the position is clamped. Nothing is sent to the peer when nothing changed.
    void SetParams(int32_t position, int32_t min, int32_t max, int32_t page);
    void SetPosition(int32_t position);

    // The user scrolls (the peer, or a test): OnScroll may change the new position, which is
    // then clamped and set; OnChange fires when the position changed.
    std::function<void(TControl& sender, TScrollCode code, int32_t& position)> OnScroll;
    std::function<void(TControl& sender)> OnChange;
    void Scroll(TScrollCode code, int32_t trackPosition = 0);

    std::unique_ptr<TControlPeer> MakePeer(TPeerFactory& factory) override;
    void PaintTo(TCanvas& canvas, int x, int y) const override;

    // Draws a scroll bar of the given values into r (headless pictures of controls that
    // scroll their own content: list boxes and memos).
    static void Draw(TCanvas& canvas, const TRect& r, TScrollBarKind kind, int32_t position,
                     int32_t min, int32_t max, int32_t page);

    // The breadth of the scroll bars controls show inside their frame.
    static constexpr int Breadth = 16;

private:
    int32_t Clamp(int64_t position) const;
    TScrollBarKind kind_;
    int32_t position_ = 0, min_ = 0, max_ = 100, page_ = 0;
};
