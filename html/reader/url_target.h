#pragma once
// The link that a piece of text, an image or a control belongs to. Every piece inside one
// anchor carries a copy with the same link number, so a link highlights as a whole.
#include <cstdint>
#include <string>

class TUrlTarget {
public:
    std::string URL;
    std::string Target;     // frame name, may be empty
    int32_t LinkNumber = 0; // unique to one anchor; 0 when no link is open

    // Stores both and takes a new link number.
    void Assign(const std::string& url, const std::string& target);
    void Copy(const TUrlTarget& from);
    void Clear();

    // The number the next Assign takes (10 at program start, never reset).
    static int32_t NextLinkNumber();
};
