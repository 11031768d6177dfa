#include "html/style/selector_parts.h"

TSelectorPart SplitSimpleSelector(std::string_view text) {
    TSelectorPart p;
    std::string_view rest = text;
    if (const size_t colon = rest.find(':'); colon != std::string_view::npos) {
        p.Pseudo = rest.substr(colon + 1);
        rest = rest.substr(0, colon);
    }
    if (const size_t hash = rest.find('#'); hash != std::string_view::npos) {
        p.ID = rest.substr(hash + 1);
        rest = rest.substr(0, hash);
    }
    if (const size_t dot = rest.find('.'); dot != std::string_view::npos) {
        p.Class = rest.substr(dot + 1);
        rest = rest.substr(0, dot);
    }
    p.Tag = rest;
    return p;
}

std::vector<TSelectorPart> SplitSelectorParts(std::string_view key) {
    std::vector<TSelectorPart> parts;
    std::string_view rest = key;
    auto skipBlanks = [&rest] {
        while (!rest.empty() && rest.front() == ' ')
            rest.remove_prefix(1);
    };
    skipBlanks();
    while (!rest.empty()) {
        std::string_view piece;
        if (static_cast<int>(parts.size()) == MaxSelectorParts - 1) {
            piece = rest;
            while (!piece.empty() && piece.back() == ' ')
                piece.remove_suffix(1);
            rest = {};
        } else {
            const size_t blank = rest.find(' ');
            piece = rest.substr(0, blank);
            rest = blank == std::string_view::npos ? std::string_view{} : rest.substr(blank);
            skipBlanks();
        }
        if (parts.size() == 1) {
            while (!piece.empty() && piece.front() >= '0' && piece.front() <= '9')
                piece.remove_prefix(1);
        }
        parts.push_back(SplitSimpleSelector(piece));
    }
    return parts;
}
