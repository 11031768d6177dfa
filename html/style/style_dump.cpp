#include "html/style/style_dump.h"

#include <cstdio>

namespace {
bool IsColorSlot(int i) {
    switch (i) {
    case piColor:
    case piBackgroundColor:
    case piBorderColor:
    case piLinkColor:
    case piLinkBackgroundColor:
    case piHoverColor:
    case piHoverBackgroundColor:
    case piVisitedColor:
    case piVisitedBackgroundColor:
    case piBorderTopColor:
    case piBorderRightColor:
    case piBorderBottomColor:
    case piBorderLeftColor:
        return true;
    default:
        return false;
    }
}

std::string FormatValue(int slot, const TPropValue& v) {
    char buf[64];
    switch (v.Kind()) {
    case vkText:
        return "\"" + v.Text() + "\"";
    case vkReal:
        std::snprintf(buf, sizeof buf, "%g pt", v.Real());
        return buf;
    case vkInteger:
        if (IsColorSlot(slot)) {
            std::snprintf(buf, sizeof buf, "0x%08X", static_cast<uint32_t>(v.Integer()));
            return buf;
        }
        if (v.Integer() == NullLength)
            return "NullLength";
        if (v.Integer() == AutoLength)
            return "AutoLength";
        if (v.Integer() == ParaAutoLength)
            return "ParaAutoLength";
        return std::to_string(v.Integer());
    default:
        return v.ToString();
    }
}

// One line per slot whose value differs from a new set's.
template <class Values> std::string DumpValues(const Values& values, const std::string& indent) {
    std::string out;
    for (int i = 0; i < PropCount; ++i) {
        const TPropValue& v = values[i];
        if (v == InitialPropValue(i))
            continue;
        const std::string_view name = PropName(i);
        out += indent;
        out += name.empty() ? std::to_string(i) : std::string(name);
        out += " = ";
        out += FormatValue(i, v);
        out += '\n';
    }
    return out;
}
} // namespace

std::string DumpProperties(const TProperties& props, const std::string& indent) {
    return DumpValues(props.Values, indent);
}

std::string DumpProperties(const TStyleRule& rule, const std::string& indent) {
    return DumpValues(rule.Values, indent);
}

std::string DumpStyleList(const TStyleList& list) {
    std::string out;
    for (int i = 0; i < list.Count(); ++i) {
        out += "[" + list.Key(i) + "]\n";
        out += DumpProperties(list.Props(i));
    }
    return out;
}

void LoadDumpDefaults(TStyleList& list) {
    list.LoadDefaults("Times New Roman", "Courier New", 10, 8, 0, true, RGB(255, 0, 0),
                      RGB(128, 0, 128), RGB(0, 0, 255), clBlack, 12.0);
}
