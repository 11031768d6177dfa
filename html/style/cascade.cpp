// The cascade: inheriting from the parent's set, then merging the sheet's rules in order of
// specificity, the contextual rules and finally the element's style attribute.
#include <algorithm>
#include <cmath>
#include <string>

#include "html/style/prop_stack.h"
#include "html/style/properties.h"
#include "html/style/style_list.h"
#include "html/style/value_convert.h"

namespace {
bool Inherited(int i) {
    switch (i) {
    case piBorderStyle:
    case piBackgroundColor:
    case piBorderColor:
    case piBackgroundImage:
    case piBackgroundPosition:
    case piBackgroundRepeat:
    case piVerticalAlign:
    case piPosition:
    case piFloat:
    case piClear:
    case piBorderTopColor:
    case piBorderRightColor:
    case piBorderBottomColor:
    case piBorderLeftColor:
        return false;
    default:
        return true;
    }
}

bool FitsOrEmpty(const std::string& part, std::string_view value) {
    return part.empty() || part == value;
}

// Merges every rule of a key; whether there was one.
bool MergeKey(TProperties& target, const TStyleList& sheet, const std::string& key) {
    int i = 0;
    if (!sheet.Find(key, i))
        return false;
    for (; i < sheet.Count() && sheet.Key(i) == key; ++i)
        target.MergeRule(sheet.Props(i));
    return true;
}
} // namespace

void TProperties::InheritFrom(const TProperties& parent) {
    for (int i = 0; i < PropCount; ++i) {
        if (i >= piMarginTop && i <= piLeft)
            Values[i] = NullLength;
        else if (Inherited(i))
            Values[i] = parent.Values[i];
    }
    TextBackground = parent.TextBackground;
    Charset = parent.Charset;
    Zoom = parent.Zoom;
    ColorOverLink = parent.ColorOverLink;
    const std::unique_ptr<TMyFont> font = MakeFont();
    const TTextMetric tm = GetTextMetrics(*font);
    EmHeight = tm.Height - tm.InternalLeading;
    ExHeight = EmHeight / 2;
}

namespace {

// Slots whose values are lengths (or a font size): the zoom scales them as they are merged.
bool IsLengthSlot(int slot) {
    switch (slot) {
    case piFontSize:
    case piMarginTop:
    case piMarginRight:
    case piMarginBottom:
    case piMarginLeft:
    case piPaddingTop:
    case piPaddingRight:
    case piPaddingBottom:
    case piPaddingLeft:
    case piBorderTopWidth:
    case piBorderRightWidth:
    case piBorderBottomWidth:
    case piBorderLeftWidth:
    case piWidth:
    case piHeight:
    case piTop:
    case piLeft:
    case piLineHeight:
    case piBackgroundPosition:
    case piVerticalAlign:
    case piTextIndent:
    case piLetterSpacing:
    case piWordSpacing:
        return true;
    default:
        return false;
    }
}

// A rule's value as this document shows it: absolute lengths times the zoom. The built-in
// rules give some pixel lengths as numbers (margins, list indents); those are CSS pixels too.
TPropValue Zoomed(int slot, const TPropValue& v, double zoom, bool builtIn) {
    if (zoom == 1 || !IsLengthSlot(slot))
        return v;
    if (v.IsText())
        return TPropValue(ZoomLengthText(v.Text(), zoom, slot == piLineHeight));
    if (builtIn && v.IsInteger() && slot != piFontSize) {
        const int32_t i = v.Integer();
        if (i == NullLength || i == AutoLength || i == ParaAutoLength)
            return v;
        return TPropValue(static_cast<int32_t>(std::lround(std::clamp(i * zoom, -1e9, 1e9))));
    }
    return v;
}

} // namespace

void TProperties::MergeSlot(int slot, const TPropValue& v, bool author) {
    // The document's rules win over the built-in ones, however specific those are.
    if (!author && SetByAuthor[slot])
        return;
    Values[slot] = Zoomed(slot, v, Zoom, !author);
    SetByRule[slot] = true;
    if (author)
        SetByAuthor[slot] = true;
}

void TProperties::MergeLinkState(const TPropValue& color, const TPropValue& background,
                                 const TPropValue& decoration, bool author) {
    const bool link = ElemPseudo == "link";
    const bool hover = ElemPseudo == "hover";
    if (!color.IsEmpty())
        MergeSlot(link ? piLinkColor : hover ? piHoverColor : piVisitedColor, color, author);
    // A state's background and decoration carry on into the later states, so a hovered or
    // visited link starts from the link's.
    if (!background.IsEmpty()) {
        if (link)
            MergeSlot(piLinkBackgroundColor, background, author);
        if (link || hover)
            MergeSlot(piHoverBackgroundColor, background, author);
        MergeSlot(piVisitedBackgroundColor, background, author);
    }
    if (!decoration.IsEmpty()) {
        if (link)
            MergeSlot(piLinkDecoration, decoration, author);
        if (link || hover)
            MergeSlot(piHoverDecoration, decoration, author);
        MergeSlot(piVisitedDecoration, decoration, author);
    }
}

namespace {
bool IsLinkState(std::string_view pseudo) {
    return pseudo == "link" || pseudo == "hover" || pseudo == "visited";
}

// Whether a rule's value of a named slot is merged: empty values are not, nor the
// "no length given" marker of the length slots.
bool Merged(int slot, const TPropValue& v) {
    if (v.IsEmpty())
        return false;
    return !(slot >= piMarginTop && slot <= piLeft && v.IsInteger(NullLength));
}
} // namespace

void TProperties::MergeRule(const TStyleRule& rule) {
    const bool author = !rule.BuiltIn;
    const TRuleValues& values = rule.Values;
    if (IsLinkState(ElemPseudo)) {
        MergeLinkState(values[piColor], values[piBackgroundColor], values[piTextDecoration],
                       author);
        return;
    }
    // Only the written slots and those whose initial value is merged (z-index starts as 0
    // in every set, so every rule gives it) can change this set.
    bool zIndex = false;
    for (const auto& [slot, v] : values.Written()) {
        zIndex = zIndex || slot == piZIndex;
        if (IsNamedProp(slot) && Merged(slot, v))
            MergeSlot(slot, v, author);
    }
    if (!zIndex)
        MergeSlot(piZIndex, InitialPropValue(piZIndex), author);
}

void TProperties::MergeRule(const TProperties& rule) {
    const bool author = !rule.BuiltIn;
    if (IsLinkState(ElemPseudo)) {
        MergeLinkState(rule.Values[piColor], rule.Values[piBackgroundColor],
                       rule.Values[piTextDecoration], author);
        return;
    }
    for (int i = 0; i < PropCount; ++i)
        if (IsNamedProp(i) && Merged(i, rule.Values[i]))
            MergeSlot(i, rule.Values[i], author);
}

bool TProperties::MatchContext(const std::vector<TSelectorPart>& parts, const TPropStack& stack,
                               std::string_view cls, std::string_view id,
                               std::string_view pseudo) const {
    if (parts.size() < 2)
        return false;
    const TSelectorPart& subject = parts[0];
    if (!FitsOrEmpty(subject.Class, cls) || !FitsOrEmpty(subject.ID, id) ||
        !FitsOrEmpty(subject.Pseudo, pseudo))
        return false;
    size_t part = 1;
    // Ancestors nearest first, from the level below this set (the top level when this set
    // was not pushed yet); level 0, the document's root set, is never an ancestor element.
    const int top = stack.Count() - 1;
    const int parent = top >= 0 && &stack[top] == this ? top - 1 : top;
    for (int level = parent; level >= 1; --level) {
        const TProperties& e = stack[level];
        const TSelectorPart& p = parts[part];
        if (p.Tag.empty() || p.Tag != e.ElemTag || !FitsOrEmpty(p.Class, e.ElemClass))
            continue;
        if (FitsOrEmpty(p.ID, e.ElemID) && FitsOrEmpty(p.Pseudo, e.ElemPseudo)) {
            if (part + 1 == parts.size())
                return true;
            ++part;
        }
    }
    return false;
}

double TProperties::NameElement(std::string_view tag, std::string_view cls, std::string_view id,
                                std::string_view pseudo, double defaultPoints) {
    ElemTag = tag;
    ElemClass = cls;
    ElemID = id;
    ElemPseudo = pseudo;
    const TPropValue& size = Values[piFontSize];
    return size.IsReal() && size.Real() != 0 ? size.Real() : defaultPoints;
}

void TProperties::ApplyStyles(const TStyleList& sheet, const TPropStack* stack,
                              std::string_view tag, std::string_view cls, std::string_view id,
                              std::string_view pseudo, const TProperties* styleAttr) {
    // The pseudo-class decides how rules merge (link states are routed), so it is known
    // before the first merge.
    Zoom = sheet.Zoom;
    const double parentSize = NameElement(tag, cls, id, pseudo, sheet.DefaultPointSize);

    const std::string t(tag), c(cls), i(id), p(pseudo);
    const bool hasC = !c.empty(), hasI = !i.empty(), hasP = !p.empty();
    auto merge = [&](bool wanted, const std::string& key) {
        if (wanted)
            MergeKey(*this, sheet, key);
    };
    // Least specific first: later merges overwrite earlier ones.
    merge(!t.empty(), t);
    merge(hasC, "." + c);
    merge(hasP, ":" + p);
    merge(hasC, t + "." + c);
    merge(hasP, t + ":" + p);
    merge(hasC && hasP, "." + c + ":" + p);
    merge(hasC && hasP, t + "." + c + ":" + p);
    if (hasI) {
        merge(true, "#" + i);
        merge(true, t + "#" + i);
        merge(hasC, "." + c + "#" + i);
        merge(hasP, "#" + i + ":" + p);
        merge(hasP, t + "#" + i + ":" + p);
        merge(hasC, t + "." + c + "#" + i);
        merge(hasC && hasP, "." + c + "#" + i + ":" + p);
        merge(hasC && hasP, t + "." + c + "#" + i + ":" + p);
    }

    // Contextual rules whose subject can fit this element, in sheet order (fewer ancestors
    // first).
    if (!t.empty() && stack) {
        for (const TStyleList::ContextRule& rule : sheet.ContextRulesFor(t, c, i))
            if (MatchContext(*rule.Parts, *stack, c, i, p))
                MergeRule(*rule.Props);
    }

    if (styleAttr)
        MergeRule(*styleAttr);

    if (Values[piFontSize].IsText())
        Values[piFontSize] =
            PointSizeOf(Values[piFontSize].Text(), parentSize, sheet.DefaultPointSize);

    if (!p.empty())
        ColorOverLink = false; // a link state starts from the link colours
    else if (SetByAuthor[piColor])
        ColorOverLink = true;
}

bool TProperties::ApplyPseudoElement(const TStyleList& sheet, const TPropStack* stack,
                                     std::string_view tag, std::string_view cls,
                                     std::string_view id, std::string_view pseudo,
                                     bool convertSize) {
    Zoom = sheet.Zoom;
    const double parentSize = NameElement(tag, cls, id, pseudo, sheet.DefaultPointSize);

    const std::string t(tag), c(cls), i(id), p(pseudo);
    const bool hasC = !c.empty(), hasI = !i.empty();
    bool any = false;
    auto merge = [&](bool wanted, const std::string& key) {
        if (wanted && MergeKey(*this, sheet, key))
            any = true;
    };
    // The same order of specificity as an element's own keys, with the pseudo part always.
    merge(true, ":" + p);
    merge(!t.empty(), t + ":" + p);
    merge(hasC, "." + c + ":" + p);
    merge(hasC && !t.empty(), t + "." + c + ":" + p);
    if (hasI) {
        merge(true, "#" + i + ":" + p);
        merge(!t.empty(), t + "#" + i + ":" + p);
        merge(hasC, "." + c + "#" + i + ":" + p);
        merge(hasC && !t.empty(), t + "." + c + "#" + i + ":" + p);
    }
    if (!t.empty() && stack && !stack->Empty()) {
        for (const TStyleList::ContextRule& rule : sheet.ContextRulesFor(t, c, i)) {
            // Only rules whose subject names this pseudo-element; the element's own
            // contextual rules are already in the set it inherited from.
            // The element is the stack's top: its ancestors are the levels below it.
            if ((*rule.Parts)[0].Pseudo == p &&
                stack->Last().MatchContext(*rule.Parts, *stack, c, i, p)) {
                MergeRule(*rule.Props);
                any = true;
            }
        }
    }
    if (convertSize && Values[piFontSize].IsText())
        Values[piFontSize] =
            PointSizeOf(Values[piFontSize].Text(), parentSize, sheet.DefaultPointSize);
    return any;
}

namespace {
// What a first line takes from its rules; a first letter takes these and its box.
constexpr int kLineSlots[] = {
    piFontFamily,     piFontSize,      piFontStyle,     piFontWeight,  piFontVariant, piColor,
    piTextDecoration, piTextTransform, piLetterSpacing, piWordSpacing, piLineHeight,
};
constexpr int kLetterBoxSlots[] = {
    piBorderStyle,    piBackgroundColor,  piBorderColor,       piVerticalAlign,   piFloat,
    piBorderTopColor, piBorderRightColor, piBorderBottomColor, piBorderLeftColor,
};
} // namespace

std::unique_ptr<TProperties> PseudoVariant(const TProperties& run, const TProperties& block,
                                           const TProperties& pseudo, bool firstLetter,
                                           double defaultPoints) {
    auto v = std::make_unique<TProperties>(run);
    v->Pseudo.reset();
    for (int i : kLineSlots) {
        if (!pseudo.SetByRule[i])
            continue;
        const TPropValue& r = run.Values[i];
        const TPropValue& p = pseudo.Values[i];
        if (firstLetter) {
            // The letter stands inside the text's element: its rules win, and a relative
            // size is of the text's size.
            if (i == piFontSize && p.IsText()) {
                const double parent = r.IsReal() && r.Real() != 0 ? r.Real() : defaultPoints;
                v->Values[i] = PointSizeOf(p.Text(), parent, defaultPoints);
            } else {
                v->Values[i] = p;
            }
        } else if (i == piFontSize) {
            // The line stands between the block and the text's element: text in a smaller
            // or larger element keeps its share of the line's size.
            const TPropValue& b = block.Values[i];
            if (!p.IsReal())
                continue;
            if (r.IsReal() && b.IsReal() && b.Real() > 0 && r.Real() != b.Real())
                v->Values[i] = std::clamp(r.Real() * p.Real() / b.Real(), 1.0, 2000.0);
            else
                v->Values[i] = p;
        } else if (r == block.Values[i]) {
            v->Values[i] = p;
        }
        v->SetByRule[i] = true;
    }
    const TColor back = pseudo.GetBackgroundColor();
    if (back != NoColor && run.TextBackground == block.TextBackground)
        v->TextBackground = back;
    if (firstLetter) {
        // The letter's box is its own: nothing of the text's element or the block.
        for (int i = piMarginTop; i <= piLeft; ++i) {
            const bool box = i <= piBorderLeftStyle; // margins, paddings, border widths, styles
            v->Values[i] = box && pseudo.SetByRule[i] ? pseudo.Values[i] : TPropValue(NullLength);
            v->SetByRule[i] = box && pseudo.SetByRule[i];
        }
        for (int i : kLetterBoxSlots) {
            v->Values[i] = pseudo.SetByRule[i] ? pseudo.Values[i] : TPropValue();
            v->SetByRule[i] = pseudo.SetByRule[i];
        }
        // A letter's background is drawn as its box; the text's own stays behind the rest.
        if (back != NoColor)
            v->TextBackground = back;
    }
    const std::unique_ptr<TMyFont> font = v->MakeFont();
    const TTextMetric tm = GetTextMetrics(*font);
    v->EmHeight = tm.Height - tm.InternalLeading;
    v->ExHeight = v->EmHeight / 2;
    return v;
}
