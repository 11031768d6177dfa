#include "html/style/box_convert.h"

#include "html/style/prop_index.h"
#include "html/style/value_convert.h"
#include "platform/graphics/color.h"

namespace {
bool IsNoValue(const TPropValue& v) {
    return v.IsEmpty() || v.IsInteger(NullLength);
}
} // namespace

int ConvertBox(const TBoxValues& values, int32_t baseWidth, int32_t baseHeight, int32_t emSize,
               int32_t exSize, TBoxArray& m) {
    int autoCount = 0;
    auto length = [&](const TPropValue& v, int32_t base, int32_t def) {
        return LengthToPixels(v.Text(), false, base, emSize, exSize, def);
    };
    // Text converts against the width, a set integer stands as it is, anything else is 0.
    auto plainLength = [&](const TPropValue& v) -> int32_t {
        if (v.IsText())
            return length(v, baseWidth, 0);
        return v.IsInteger() && !IsNoValue(v) ? v.Integer() : 0;
    };

    for (int i : {piBackgroundColor, piBorderColor}) {
        const TPropValue& v = values[i];
        m[i] = v.IsInteger() ? v.Integer() : static_cast<int32_t>(NoColor);
    }

    for (int i : {piMarginRight, piMarginLeft}) {
        const TPropValue& v = values[i];
        if (v.IsText() && v.Text() == "auto") {
            m[i] = AutoLength;
            ++autoCount;
        } else {
            m[i] = plainLength(v);
        }
    }

    for (int i = piPaddingTop; i <= piPaddingLeft; ++i)
        m[i] = plainLength(values[i]);

    // Border styles come first: a side without a style has no width, however it was given.
    for (int i = piBorderTopStyle; i <= piBorderLeftStyle; ++i)
        m[i] = plainLength(values[i]);
    for (int i = piBorderTopWidth; i <= piBorderLeftWidth; ++i) {
        const TPropValue& v = values[i];
        const int style = i - piBorderTopWidth + piBorderTopStyle;
        if (m[style] == 0) {
            m[i] = 0;
        } else if (v.IsText()) {
            const std::string& t = v.Text();
            if (t == "thin")
                m[i] = 2;
            else if (t == "medium")
                m[i] = 4;
            else if (t == "thick")
                m[i] = 6;
            else
                m[i] = length(v, baseWidth, 4);
        } else if (v.IsInteger()) {
            m[i] = v.Integer() == NullLength ? 4 : v.Integer();
        }
    }

    {
        const TPropValue& v = values[piWidth];
        if (v.IsText())
            m[piWidth] = length(v, baseWidth, AutoLength);
        else if (v.IsInteger() && !IsNoValue(v))
            m[piWidth] = v.Integer();
        else
            m[piWidth] = AutoLength;
        if (m[piWidth] == AutoLength)
            ++autoCount;
    }
    {
        const TPropValue& v = values[piHeight];
        if (v.IsText())
            m[piHeight] = length(v, baseHeight, 0);
        else if (v.IsInteger() && !IsNoValue(v))
            m[piHeight] = v.Integer();
        else
            m[piHeight] = 0;
    }
    for (int i : {piTop, piLeft}) {
        const TPropValue& v = values[i];
        if (v.IsText())
            m[i] = length(v, baseWidth, AutoLength);
        else if (v.IsInteger() && !IsNoValue(v))
            m[i] = v.Integer();
        else
            m[i] = AutoLength;
    }
    return autoCount;
}

void ConvertVerticalMargins(const TBoxValues& values, int32_t base, int32_t emSize, int32_t exSize,
                            TBoxArray& m, bool& topIsParaMargin, bool& bottomIsParaMargin) {
    auto convert = [&](int i, bool& flag) {
        flag = false;
        const TPropValue& v = values[i];
        if (v.IsText()) {
            m[i] = LengthToPixels(v.Text(), false, base, emSize, exSize, 0);
        } else if (v.IsInteger()) {
            if (v.Integer() == NullLength) {
                m[i] = 0;
            } else if (v.Integer() == ParaAutoLength) {
                m[i] = 14;
                flag = true;
            } else {
                m[i] = v.Integer();
            }
        } else {
            m[i] = 0;
        }
    };
    convert(piMarginTop, topIsParaMargin);
    convert(piMarginBottom, bottomIsParaMargin);
}

void ConvertCellPadding(const TBoxValues& values, int32_t emSize, int32_t exSize, TBoxArray& m) {
    for (int i = piPaddingTop; i <= piPaddingLeft; ++i) {
        const TPropValue& v = values[i];
        if (v.IsText())
            m[i] = LengthToPixels(v.Text(), false, -100, emSize, exSize, 0);
        else if (v.IsInteger())
            m[i] = v.Integer() == NullLength ? -1 : v.Integer();
        else
            m[i] = -1;
    }
}

void ConvertInlineBox(const TBoxValues& values, int32_t baseWidth, int32_t emSize, int32_t exSize,
                      TBoxArray& m) {
    auto convert = [&](int i, int32_t def) {
        const TPropValue& v = values[i];
        if (v.IsText())
            m[i] = LengthToPixels(v.Text(), false, baseWidth, emSize, exSize, def);
        else if (v.IsInteger())
            m[i] = v.Integer();
        else
            m[i] = NullLength;
    };
    for (int i = piMarginTop; i <= piMarginLeft; ++i)
        convert(i, 0);
    convert(piWidth, AutoLength);
    convert(piHeight, AutoLength);
}
