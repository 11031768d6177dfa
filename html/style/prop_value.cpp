#include "html/style/prop_value.h"

#include <cstdio>

std::string TPropValue::ToString() const {
    switch (kind_) {
    case vkUnassigned:
        return "(unassigned)";
    case vkNull:
        return "(null)";
    case vkInteger:
        return std::to_string(int_);
    case vkReal: {
        char buf[64];
        std::snprintf(buf, sizeof buf, "%g", real_);
        return buf;
    }
    case vkText:
        return text_;
    }
    return {};
}
