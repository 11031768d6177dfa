#pragma once
// TStyleList: a document's style sheet. Every rule is stored under a key made from its
// selector (lower case), kept sorted so that all keys for one tag, contextual ones included,
// follow the bare tag key directly; each entry holds its rule's declarations.
//
// Key format: a simple selector is tag.class#id:pseudo (each piece optional). A contextual
// selector is stored subject first, then a blank, then the count of ancestor parts and a
// sequence number from NextContextNumber written in front of the nearest ancestor, then the
// further ancestors, nearest first, each followed by a blank: "li 212ul div ".
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "html/style/properties.h"
#include "html/style/selector_parts.h"
#include "html/style/style_rule.h"
#include "platform/base/order_stat_tree.h"
#include "platform/graphics/color.h"

// The order of the sheet. ASCII case is ignored; the selector separators blank, "#", "." and
// ":" sort before every other character, so "li 1..", "li#x", "li.c" and "li:hover" come right
// after "li" and before "li-x", "li1" or "lia"; and the ordering digits of contextual keys
// compare as numbers (ancestor count first, then sequence), so rules keep the order they were
// read in however many a sheet has.
int CompareStyleKeys(std::string_view a, std::string_view b);

class TStyleList {
public:
    struct Entry {
        std::string Key;
        TStyleRule Rule;
        std::vector<TSelectorPart> Parts; // SplitSelectorParts(Key), made once
    };

    TStyleList();
    ~TStyleList();
    TStyleList(const TStyleList&) = delete;
    TStyleList& operator=(const TStyleList&) = delete;

    // The set every document's root starts from, made by LoadDefaults (null before); the
    // "default" entry holds the same values as a rule.
    TProperties* DefaultProps = nullptr;
    int32_t ContextCounter = 10;
    // The size, in points, that font-size keywords and unknown units fall back to. Set by
    // LoadDefaults; kept by Clear, so it outlives the rules it came with.
    double DefaultPointSize = 0;
    // Device pixels per CSS pixel: the document's zoom, handed to every set the cascade makes.
    double Zoom = 1;
    bool LinkColorSet = false;
    bool VisitedColorSet = false;
    bool HoverColorSet = false;
    // A rule names :first-line or :first-letter; without one the reader does no work for them.
    bool HasPseudoElements = false;
    // Called when a rule gives a :hover colour: the owning document switches hover
    // highlighting on.
    std::function<void()> OnHoverRule;

    int Count() const { return entries_.Count(); }
    // Bounds-checked: an index outside 0..Count()-1 throws std::out_of_range.
    const std::string& Key(int index) const { return At(index).Key; }
    TStyleRule& Props(int index) { return const_cast<Entry&>(At(index)).Rule; }
    const TStyleRule& Props(int index) const { return At(index).Rule; }
    const std::vector<TSelectorPart>& Parts(int index) const { return At(index).Parts; }

    // First entry with exactly this key (in the sheet's order): true with its index, else
    // false with the index where the key would go.
    bool Find(std::string_view key, int& index) const;
    int IndexOf(std::string_view key) const; // -1 when absent
    // First index whose key is not less than the text.
    int LowerBound(std::string_view key) const;

    // Frees every rule and the default set, resets ContextCounter to 10 and the three
    // colour flags.
    void Clear();
    // Adds the rule under the key, after any equal keys.
    TStyleRule& AddEntry(std::string_view key, TStyleRule rule = {});
    // Adds a new rule with the slots of the given rule or set (not its built-in mark).
    TStyleRule& AddCopy(std::string_view key, const TStyleRule& rule);
    TStyleRule& AddCopy(std::string_view key, const TProperties& props);
    // A declaration of a style-sheet rule. Unknown property names are ignored.
    void SetRule(std::string_view key, std::string_view propertyName, std::string_view value);
    // ContextCounter as decimal text, then ContextCounter + 1.
    std::string NextContextNumber();

    // One contextual rule (a subject with a tag, and ancestors) as the cascade meets it.
    struct ContextRule {
        int Order; // place in the sheet among the contextual rules
        const std::vector<TSelectorPart>* Parts;
        const TStyleRule* Props;
    };
    // The contextual rules whose subject names this tag and no class or id other than these,
    // in the sheet's order: the only ones that can match such an element. The list is valid
    // until the sheet changes.
    const std::vector<ContextRule>& ContextRulesFor(std::string_view tag, std::string_view cls,
                                                    std::string_view id) const;

    // Clears the sheet, sets DefaultPointSize and adds the built-in rules.
    void LoadDefaults(std::string_view defaultFontName, std::string_view preFontName,
                      int32_t marginWidth, int32_t marginHeight, uint8_t charset,
                      bool underlineLinks, TColor hoverColor, TColor visitedColor, TColor linkColor,
                      TColor textColor, double pointSize);

private:
    const Entry& At(int index) const;
    // In sheet order, in a tree by position: a sheet of a hundred thousand rules loads in
    // O(n log n), where inserting into a vector moved half the sheet for every rule.
    TOrderStatTree<std::unique_ptr<Entry>> entries_;

    // Contextual rules grouped by their subject's tag, class and id, each group in sheet
    // order; made on the first look-up after the sheet changed. An element meets at most
    // four groups instead of every rule of its tag.
    void IndexContextRules() const;
    mutable std::unordered_map<std::string, std::vector<ContextRule>> contextGroups_;
    mutable bool contextStale_ = true;
    mutable std::vector<ContextRule> met_;    // the answer of ContextRulesFor
    std::unique_ptr<TProperties> defaultSet_; // DefaultProps
};
