#include "html/style/background.h"

#include <string>

#include "html/style/value_convert.h"
#include "platform/base/strings.h"

TBgPosition ReadBackgroundPosition(const TPropValue& position, const TPropValue& repeat,
                                   int32_t emSize, int32_t exSize) {
    TBgPosition r;
    if (position.IsText()) {
        const std::string text = Trim(position.Text());
        std::string tokens[2];
        int count = 0;
        const size_t blank = text.find(' ');
        if (blank == std::string::npos) {
            tokens[0] = text;
            count = text.empty() ? 0 : 1;
        } else {
            tokens[0] = text.substr(0, blank);
            tokens[1] = Trim(text.substr(blank + 1));
            count = 2;
        }
        TBgAxis* axes[2] = {&r.Horizontal, &r.Vertical};
        // The axis the next token describes; "top" or "bottom" first steps it back so the
        // following token again goes to the horizontal axis.
        int axis = 0;
        for (int t = 0; t < count; ++t) {
            const std::string& tok = tokens[t];
            const int a = axis < 0 ? 0 : (axis > 1 ? 1 : axis);
            TBgAxis& cur = *axes[a];
            cur.Kind = bpLength;
            if (tok == "center") {
                cur.Kind = bpCenter;
            } else if (tok.find('%') != std::string::npos) {
                cur.Kind = bpPercent;
                cur.Value = LengthToPixels(tok, false, 100, emSize, exSize, 0);
            } else if (tok == "left" || tok == "right") {
                if (a == 1)
                    r.Vertical = r.Horizontal;
                r.Horizontal.Kind = tok == "left" ? bpLeft : bpRight;
            } else if (tok == "top" || tok == "bottom") {
                r.Vertical.Kind = tok == "top" ? bpTop : bpBottom;
                if (a == 0)
                    axis = -1;
            } else {
                cur.Value = LengthToPixels(tok, false, 100, emSize, exSize, 0);
            }
            ++axis;
        }
        if (count == 1) {
            // A single keyword places one axis; the other is centred.
            if (axis == 0)
                r.Horizontal.Kind = bpCenter;
            else
                r.Vertical.Kind = bpCenter;
        }
    }
    r.Horizontal.Repeat = true;
    r.Vertical.Repeat = true;
    if (repeat.Equals("no-repeat")) {
        r.Horizontal.Repeat = false;
        r.Vertical.Repeat = false;
    } else if (repeat.Equals("repeat-x")) {
        r.Vertical.Repeat = false;
    } else if (repeat.Equals("repeat-y")) {
        r.Horizontal.Repeat = false;
    }
    return r;
}
