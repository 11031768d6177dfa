#pragma once
// One value slot of a property set: unassigned, null, a 32-bit integer, a real or 8-bit text.
// Values stay in their text form until a query needs a number, so the cascade only copies
// slots; comparisons look at kind and value together.
#include <cstdint>
#include <string>
#include <string_view>

// Marker integers kept in length slots and in converted box arrays.
constexpr int32_t NullLength = -12345678; // no value was given
constexpr int32_t AutoLength = -12348765; // "auto", or an unknown unit where auto is the fallback
constexpr int32_t ParaAutoLength = -12348766; // the paragraph's default vertical margin

enum TValueKind : uint8_t { vkUnassigned, vkNull, vkInteger, vkReal, vkText };

class TPropValue {
public:
    TPropValue() = default;
    static TPropValue Null() {
        TPropValue v;
        v.kind_ = vkNull;
        return v;
    }
    TPropValue(int32_t i) : kind_(vkInteger), int_(i) {}
    TPropValue(double r) : kind_(vkReal), real_(r) {}
    TPropValue(std::string s) : kind_(vkText), text_(std::move(s)) {}
    TPropValue(std::string_view s) : kind_(vkText), text_(s) {}
    TPropValue(const char* s) : kind_(vkText), text_(s) {}

    TValueKind Kind() const { return kind_; }
    bool IsAssigned() const { return kind_ != vkUnassigned; }
    // Unassigned and null both mean "nothing here" to the cascade and the conversions.
    bool IsEmpty() const { return kind_ == vkUnassigned || kind_ == vkNull; }
    bool IsInteger() const { return kind_ == vkInteger; }
    bool IsReal() const { return kind_ == vkReal; }
    bool IsText() const { return kind_ == vkText; }

    int32_t Integer() const { return int_; }
    double Real() const { return real_; }
    const std::string& Text() const { return text_; }

    bool IsInteger(int32_t v) const { return kind_ == vkInteger && int_ == v; }
    // True only for a text slot holding exactly this text (case-sensitive).
    bool Equals(std::string_view s) const { return kind_ == vkText && text_ == s; }

    void Clear() { *this = TPropValue(); }

    bool operator==(const TPropValue& o) const {
        if (kind_ != o.kind_)
            return false;
        switch (kind_) {
        case vkInteger:
            return int_ == o.int_;
        case vkReal:
            return real_ == o.real_;
        case vkText:
            return text_ == o.text_;
        default:
            return true;
        }
    }

    // A readable form for dumps and test messages: text as is, integers and reals in decimal,
    // "(null)" and "(unassigned)" for the two empty kinds.
    std::string ToString() const;

private:
    TValueKind kind_ = vkUnassigned;
    int32_t int_ = 0;
    double real_ = 0;
    std::string text_;
};
