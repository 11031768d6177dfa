#pragma once
// TProperties: the style property set of one element. The document reader makes one for
// every element it opens: Create, InheritFrom the set below it on the property stack, then
// ApplyStyles. Layout code never reads style text itself; it asks the set for fonts, colours,
// alignment kinds and box values.
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "html/style/background.h"
#include "html/style/box_convert.h"
#include "html/style/my_font.h"
#include "html/style/prop_index.h"
#include "html/style/prop_value.h"
#include "html/style/selector_parts.h"
#include "html/style/style_rule.h"
#include "platform/graphics/color.h"

class TStyleList;
class TPropStack;
class TProperties;

// What a block element's rules give its first formatted line and the first letter of it: the
// element's own set and, for each pseudo-element with rules, a set with the element's values
// and those rules merged (null when no rule names it).
struct TPseudoElements {
    std::shared_ptr<const TProperties> Block;
    std::shared_ptr<const TProperties> FirstLine;
    std::shared_ptr<const TProperties> FirstLetter; // the rules alone, sizes as text
};

enum AlignKind : uint8_t { akNone, akTop, akMiddle, akBaseline, akBottom, akLeft, akRight };
// vertical-align of an inline image or a text run. vaRaise carries pixels (positive raises).
enum VerticalAlignKind : uint8_t {
    vaBaseline,
    vaSub,
    vaSuper,
    vaTop,
    vaTextTop,
    vaMiddle,
    vaBottom,
    vaTextBottom,
    vaRaise,
};
struct TVerticalAlign {
    VerticalAlignKind Kind = vaBaseline;
    int32_t Raise = 0;
};

// Border styles as the box values carry them (0 means no border).
enum BorderStyleKind : uint8_t {
    bdNone,
    bdSolid,
    bdDashed,
    bdDotted,
    bdDouble,
    bdGroove,
    bdRidge,
    bdInset,
    bdOutset,
};

enum ClearKind : uint8_t { ckNone, ckLeft, ckRight, ckBoth };
enum PositionKind : uint8_t { posStatic, posRelative, posAbsolute };
enum TextTransformKind : uint8_t { ttNone, ttCapitalize, ttUppercase, ttLowercase };
enum WhiteSpaceKind : uint8_t { wsNormal, wsPre, wsNoWrap };

// The list-style-type names; a query result is the index into this table.
enum ListStyleKind : uint8_t {
    lsBlank,
    lsCircle,
    lsDecimal,
    lsDisc,
    lsLowerAlpha,
    lsLowerRoman,
    lsNone,
    lsSquare,
    lsUpperAlpha,
    lsUpperRoman,
};

class TProperties {
public:
    std::string ElemTag;    // tag the set was computed for; "default" for CopyAsDefault
    std::string ElemClass;  // class attribute value
    std::string ElemID;     // id attribute value
    std::string ElemPseudo; // "link", "hover", "visited" or empty
    TColor TextBackground = NoColor;
    uint8_t Charset = 0;
    int32_t EmHeight = 0; // em of the set's font, in pixels
    int32_t ExHeight = 0; // EmHeight / 2
    // Device pixels per CSS pixel (the viewer's zoom): absolute lengths and sizes are scaled
    // by it when they become numbers. Taken from the sheet by the cascade and inherited.
    double Zoom = 1;
    std::array<TPropValue, PropCount> Values;
    std::array<bool, PropCount> SetByRule{};
    // Slots written by the document's own rules, its style attributes or an HTML attribute:
    // the built-in rules never overwrite them, and HTML attributes yield only to them.
    std::array<bool, PropCount> SetByAuthor{};
    // A rule set of the built-in sheet (LoadDefaults) rather than of the document.
    bool BuiltIn = false;
    // The element's text alignment came from its ALIGN attribute (or it is CENTER): such an
    // alignment places the tables inside it as well, as browsers have always done.
    bool AlignsTables = false;
    // An element inside a link gave the text its own colour (FONT COLOR, a style rule or a
    // style attribute): the link colours then leave the colour alone. Inherited; the link's
    // own state levels clear it.
    bool ColorOverLink = false;
    // The first-line and first-letter styles of a block element whose first line has not
    // been laid down yet; the reader sets and clears it, nothing inherits it.
    std::shared_ptr<const TPseudoElements> Pseudo;

    // Lengths 10..29 start as NullLength, z-index as 0, every other slot unassigned.
    TProperties();

    void CopyValues(const TProperties& source);    // the 51 slots only
    void CopyAsDefault(const TProperties& source); // slots and Charset; ElemTag "default"

    // Takes the inheritable slots of the parent (lengths reset to NullLength; the
    // non-inherited slots are left as they are), its TextBackground and Charset, and measures
    // the set's font for EmHeight and ExHeight.
    void InheritFrom(const TProperties& parent);
    // Cascades the sheet's rules and the style-attribute set into this set. stack is the
    // reader's property stack, normally with this set already on top (its ancestors are the
    // levels below; nullptr: contextual rules never match). Afterwards a font-size given as
    // text has become a real number of points.
    void ApplyStyles(const TStyleList& sheet, const TPropStack* stack, std::string_view tag,
                     std::string_view cls, std::string_view id, std::string_view pseudo,
                     const TProperties* styleAttr);
    // Cascades only the rules written for a pseudo-element ("first-line", "first-letter") of
    // the element: every key whose pseudo part names it, contextual ones included. With
    // convertSize a font size given as text becomes points of this set's size before (call it
    // on a set that inherited from the element's own); without, the text stays for the caller
    // to resolve. Returns whether any rule applied.
    bool ApplyPseudoElement(const TStyleList& sheet, const TPropStack* stack, std::string_view tag,
                            std::string_view cls, std::string_view id, std::string_view pseudo,
                            bool convertSize);
    // Writes the assigned slots of a rule into this set, routed to the link-state slots when
    // ElemPseudo is "link", "hover" or "visited"; written slots are marked SetByRule (and
    // SetByAuthor unless the rule is built in). A built-in rule skips SetByAuthor slots.
    void MergeRule(const TStyleRule& rule);
    // The same for a set of declarations held whole (an element's style attribute).
    void MergeRule(const TProperties& rule);
    // Whether a contextual key's ancestor parts match the stack below this set.
    bool MatchContext(const std::vector<TSelectorPart>& parts, const TPropStack& stack,
                      std::string_view cls, std::string_view id, std::string_view pseudo) const;

    // For every slot no rule wrote, takes the source's value.
    void RefreshUnset(const TProperties& source);
    // Stores an HTML attribute's value unless an author's style rule already gave the slot
    // one; the attribute replaces what a built-in rule gave.
    void SetIfUnset(const TPropValue& value, int index);
    // Declarations of a style attribute: unknown names are ignored.
    void AddPropertyByName(std::string_view name, std::string_view text);
    void AddPropertyByIndex(int index, std::string_view text);

    // Fonts belong to the caller.
    std::unique_ptr<TMyFont> MakeFont() const;
    std::unique_ptr<TMyFont> MakeLinkFont() const;
    std::unique_ptr<TMyFont> MakeHoverFont(const TMyFont& base) const;
    std::unique_ptr<TMyFont> MakeVisitedFont(const TMyFont& base) const;

    // Queries. Each reads its own slot and gives a default when the slot holds something
    // else than expected.
    // "none" is found with an empty address; a url() is found when its address is not empty.
    bool GetBackgroundImage(std::string& url) const;
    TBgPosition GetBackgroundPos(int32_t emSize, int32_t exSize) const;
    bool GetVertAlign(AlignKind& align) const;
    // Every vertical-align value: keywords, a percentage of the line height, a length.
    bool GetVerticalAlign(TVerticalAlign& align) const;
    // Top, right, bottom, left: a side's own colour, else border-color, else NoColor (the
    // caller's text colour then stands in).
    void GetBorderColors(std::array<TColor, 4>& sides) const;
    bool GetFloat(AlignKind& align) const;
    bool GetClear(ClearKind& clear) const;
    ListStyleKind GetListStyleType() const;
    std::string GetListStyleImage() const;
    PositionKind GetPosition() const;
    bool IsHidden() const;
    int32_t GetZIndex() const;
    // Pixels; 0 means "normal". naturalHeight is the height of the font in use.
    int32_t GetLineHeight(int32_t naturalHeight) const;
    // text-transform, white-space and font-variant; anything unknown is the normal value.
    TextTransformKind GetTextTransform() const;
    WhiteSpaceKind GetWhiteSpace() const;
    bool IsSmallCaps() const;
    // letter-spacing and word-spacing in pixels for a font whose em is emPixels; "normal" and
    // anything unreadable give 0.
    int32_t GetLetterSpacing(int32_t emPixels) const;
    int32_t GetWordSpacing(int32_t emPixels) const;
    // text-indent in pixels; a percentage is of baseWidth. percent tells whether it was one,
    // so a caller that learns the width later can ask again.
    int32_t GetTextIndent(int32_t baseWidth, int32_t emPixels, bool& percent) const;
    TColor GetBackgroundColor() const; // NoColor unless a rule gave one
    TColor GetFontColor() const;       // NoColor unless a rule gave one
    // Puts a rule's background colour behind inline text (called for inline elements).
    void SetFontBG();
    bool HasBorderStyle() const;
    TBoxValues GetBoxValues() const;

private:
    // Names the element the rules are cascaded for; returns the point size relative sizes
    // take (the inherited one, or the default).
    double NameElement(std::string_view tag, std::string_view cls, std::string_view id,
                       std::string_view pseudo, double defaultPoints);
    void ApplyLinkState(TMyFont& font, int first) const;
    // One slot of a merged rule (author: not a built-in rule).
    void MergeSlot(int slot, const TPropValue& v, bool author);
    // A rule merged into a link-state set: its colour, background and decoration go to the
    // state's slots.
    void MergeLinkState(const TPropValue& color, const TPropValue& background,
                        const TPropValue& decoration, bool author);
};

// The kind of a border style text; an unknown word draws solid, no text is no border.
BorderStyleKind BorderStyleOf(const TPropValue& v);
// The set for text inside a pseudo-element, made from the set of the text's own element (run).
// A first line stands between the block and the text's element: its rules (pseudo, made by
// ApplyPseudoElement with sizes converted on a set inherited from block, the block element's
// set) apply wherever the text took the block's value unchanged, and a font size is scaled by
// the line's factor. A first letter stands inside the text's element: its rules (pseudo, the
// rules alone, sizes still text) win, and its box (margins, padding, borders, background,
// float, vertical-align) is its own. defaultPoints is the sheet's default size.
std::unique_ptr<TProperties> PseudoVariant(const TProperties& run, const TProperties& block,
                                           const TProperties& pseudo, bool firstLetter,
                                           double defaultPoints);

// The generic families and the fonts they stand for; unknown names come back unchanged.
std::string GenericFontFamily(std::string_view name);
// The list-style-type table: names by index.
std::string_view ListStyleName(int index);
