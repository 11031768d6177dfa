#pragma once
// A style-list key taken apart: its simple selectors, subject first, each split into tag,
// class, id and pseudo-class.
#include <string>
#include <string_view>
#include <vector>

struct TSelectorPart {
    std::string Tag;
    std::string Class;
    std::string ID;
    std::string Pseudo;
    bool operator==(const TSelectorPart&) const = default;
};

constexpr int MaxSelectorParts = 10;

// Cuts a key at blanks into at most 10 parts (the tenth keeps the rest), removes the ordering
// digits in front of the second part, and splits each part at ":", "#" and ".".
std::vector<TSelectorPart> SplitSelectorParts(std::string_view key);
// One simple selector: tag.class#id:pseudo, each piece optional.
TSelectorPart SplitSimpleSelector(std::string_view text);
