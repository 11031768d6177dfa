#include "html/doc/letter_obj.h"

#include <algorithm>

#include "html/style/box_convert.h"
#include "html/style/properties.h"
#include "platform/base/case_mapping.h"
#include "platform/base/strings.h"
#include "platform/graphics/canvas.h"
#include "platform/graphics/font.h"

namespace {
// A box length in pixels: nothing given, "auto" and negative lengths count as 0, and a length
// too large to be meant is cut back.
int32_t BoxPx(int32_t v) {
    return v == NullLength || v == AutoLength || v == ParaAutoLength ? 0 : std::clamp(v, 0, 1000);
}
} // namespace

TLetterObj::TLetterObj(int32_t position, std::u32string letter, const TProperties& props)
    : Letter(std::move(letter)) {
    CharPos = position;
    AlignKind side = akNone;
    ObjAlign = props.GetFloat(side) && side == akRight ? oaRight : oaLeft;
    switch (props.GetTextTransform()) {
    case ttUppercase:
        for (char32_t& c : Letter)
            c = UpperChar(c);
        break;
    case ttCapitalize: // the letter starts a word
        if (!Letter.empty())
            Letter.back() = TitleChar(Letter.back());
        break;
    case ttLowercase:
        for (char32_t& c : Letter)
            c = LowerChar(c);
        break;
    default:
        break;
    }
    if (props.IsSmallCaps())
        for (char32_t& c : Letter)
            c = UpperChar(c);

    const std::unique_ptr<TMyFont> font = props.MakeFont();
    Font = *font;
    face_ = Font.Resolve();
    const TTextMetric& m = face_->Metrics();
    ascent_ = m.Ascent;
    int32_t textHeight = m.Ascent + m.Descent;
    if (const int32_t lh = props.GetLineHeight(m.Height); lh > 0) {
        lead_ = (lh - textHeight) / 2;
        textHeight = lh;
    }
    const int32_t textWidth =
        static_cast<int32_t>(std::clamp<int64_t>(face_->TextWidth(Letter), 0, 10000));

    TBoxArray m2{};
    const TBoxValues values = props.GetBoxValues();
    ConvertBox(values, 0, 0, props.EmHeight, props.ExHeight, m2);
    bool topPara = false, bottomPara = false;
    ConvertVerticalMargins(values, 0, props.EmHeight, props.ExHeight, m2, topPara, bottomPara);
    SpaceTop = BoxPx(m2[piMarginTop]);
    SpaceRight = BoxPx(m2[piMarginRight]);
    SpaceBottom = BoxPx(m2[piMarginBottom]);
    SpaceLeft = BoxPx(m2[piMarginLeft]);
    for (int side = 0; side < 4; ++side) {
        padding_[side] = BoxPx(m2[piPaddingTop + side]);
        border_[side] = BoxPx(m2[piBorderTopWidth + side]);
    }
    background_ = props.GetBackgroundColor();
    TColor border = props.Values[piBorderColor].IsInteger()
                        ? static_cast<TColor>(props.Values[piBorderColor].Integer())
                        : NoColor;
    borderColor_ = border != NoColor ? border : Font.Color;
    ImageWidth = textWidth + padding_[1] + padding_[3] + border_[1] + border_[3];
    ImageHeight = std::max(0, textHeight) + padding_[0] + padding_[2] + border_[0] + border_[2];
}

void TLetterObj::Draw(TCanvas& canvas, int32_t x, int32_t y) const {
    const TBrush oldBrush = canvas.Brush;
    const TFont oldFont = canvas.Font;
    const TTextAlign oldAlign = canvas.TextAlign;
    canvas.Brush.Style = bsSolid;
    if (background_ != NoColor) {
        canvas.Brush.Color = ColorToRGB(background_);
        canvas.FillRect(Rect(x, y, x + ImageWidth, y + ImageHeight));
    }
    canvas.Brush.Color = ColorToRGB(borderColor_);
    const int32_t r = x + ImageWidth, b = y + ImageHeight;
    if (border_[0] > 0)
        canvas.FillRect(Rect(x, y, r, y + border_[0]));
    if (border_[2] > 0)
        canvas.FillRect(Rect(x, b - border_[2], r, b));
    if (border_[3] > 0)
        canvas.FillRect(Rect(x, y, x + border_[3], b));
    if (border_[1] > 0)
        canvas.FillRect(Rect(r - border_[1], y, r, b));
    canvas.Brush.Style = bsClear;
    canvas.Font = Font;
    canvas.Font.Color = ColorToRGB(Font.Color);
    canvas.TextAlign = taBaseline;
    canvas.TextOut(x + border_[3] + padding_[3], y + border_[0] + padding_[0] + lead_ + ascent_,
                   Letter);
    canvas.Brush = oldBrush;
    canvas.Font = oldFont;
    canvas.TextAlign = oldAlign;
}
