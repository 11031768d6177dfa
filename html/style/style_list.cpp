#include "html/style/style_list.h"

#include <algorithm>
#include <stdexcept>
#include <string>

#include "html/style/color_text.h"
#include "platform/base/strings.h"

namespace {
int Rank(char c) {
    switch (c) {
    case ' ':
        return 1;
    case '#':
        return 2;
    case '.':
        return 3;
    case ':':
        return 4;
    default:
        return 16 + static_cast<uint8_t>(AsciiLower(c));
    }
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

size_t DigitRun(std::string_view s, size_t from) {
    size_t e = from;
    while (e < s.size() && IsDigit(s[e]))
        ++e;
    return e - from;
}

// The ordering number of a contextual key: one digit of ancestor count, then the sequence.
int CompareContextNumbers(std::string_view a, std::string_view b) {
    if (a[0] != b[0])
        return a[0] < b[0] ? -1 : 1;
    std::string_view sa = a.substr(1), sb = b.substr(1);
    auto stripZeros = [](std::string_view s) {
        while (s.size() > 1 && s[0] == '0')
            s.remove_prefix(1);
        return s;
    };
    const std::string_view va = stripZeros(sa), vb = stripZeros(sb);
    if (va.size() != vb.size())
        return va.size() < vb.size() ? -1 : 1;
    if (const int c = va.compare(vb); c != 0)
        return c < 0 ? -1 : 1;
    if (sa.size() != sb.size())
        return sa.size() < sb.size() ? -1 : 1;
    return 0;
}
} // namespace

int CompareStyleKeys(std::string_view a, std::string_view b) {
    // Both keys are equal up to i, so one index serves both, and so does the first blank.
    const size_t numberAt = a.find(' ') + 1; // 0 when there is no blank
    size_t i = 0;
    while (i < a.size() && i < b.size()) {
        if (i == numberAt && i > 0 && IsDigit(a[i]) && IsDigit(b[i])) {
            const size_t na = DigitRun(a, i), nb = DigitRun(b, i);
            if (const int c = CompareContextNumbers(a.substr(i, na), b.substr(i, nb)); c != 0)
                return c;
            i += na; // equal numbers of equal length
            continue;
        }
        const int ra = Rank(a[i]), rb = Rank(b[i]);
        if (ra != rb)
            return ra < rb ? -1 : 1;
        ++i;
    }
    if (a.size() == b.size())
        return 0;
    return a.size() < b.size() ? -1 : 1;
}

TStyleList::TStyleList() = default;
TStyleList::~TStyleList() {
    Clear();
}

const TStyleList::Entry& TStyleList::At(int index) const {
    if (index < 0 || index >= Count())
        throw std::out_of_range("style sheet index " + std::to_string(index));
    return *entries_.At(index);
}

bool TStyleList::Find(std::string_view key, int& index) const {
    index = LowerBound(key);
    return index < Count() && CompareStyleKeys(entries_.At(index)->Key, key) == 0;
}

int TStyleList::IndexOf(std::string_view key) const {
    int index = 0;
    return Find(key, index) ? index : -1;
}

int TStyleList::LowerBound(std::string_view key) const {
    return entries_.PartitionPoint(
        [key](const std::unique_ptr<Entry>& e) { return CompareStyleKeys(e->Key, key) < 0; });
}

void TStyleList::Clear() {
    entries_.Clear();
    contextGroups_.clear();
    contextStale_ = true;
    DefaultProps = nullptr;
    defaultSet_.reset();
    ContextCounter = 10;
    LinkColorSet = false;
    VisitedColorSet = false;
    HoverColorSet = false;
    HasPseudoElements = false;
}

TStyleRule& TStyleList::AddEntry(std::string_view key, TStyleRule rule) {
    // After any equal keys, so rules of one selector merge in the order they were read.
    const int at = entries_.PartitionPoint(
        [key](const std::unique_ptr<Entry>& e) { return CompareStyleKeys(key, e->Key) >= 0; });
    auto e =
        std::make_unique<Entry>(Entry{std::string(key), std::move(rule), SplitSelectorParts(key)});
    TStyleRule& added = e->Rule;
    entries_.InsertAt(at, std::move(e));
    contextStale_ = true;
    return added;
}

TStyleRule& TStyleList::AddCopy(std::string_view key, const TStyleRule& rule) {
    TStyleRule copy;
    copy.Values = rule.Values;
    return AddEntry(key, std::move(copy));
}

TStyleRule& TStyleList::AddCopy(std::string_view key, const TProperties& props) {
    TStyleRule copy;
    for (int i = 0; i < PropCount; ++i)
        if (!(props.Values[i] == InitialPropValue(i)))
            copy.Values.Set(i, props.Values[i]);
    return AddEntry(key, std::move(copy));
}

namespace {
std::string GroupName(std::string_view tag, std::string_view cls, std::string_view id) {
    std::string name(tag);
    name += '\0';
    name += cls;
    name += '\0';
    name += id;
    return name;
}
} // namespace

void TStyleList::IndexContextRules() const {
    contextGroups_.clear();
    int order = 0;
    for (int k = 0; k < Count(); ++k) {
        const Entry& e = *entries_.At(k);
        if (e.Parts.size() < 2 || e.Parts[0].Tag.empty())
            continue;
        const TSelectorPart& subject = e.Parts[0];
        contextGroups_[GroupName(subject.Tag, subject.Class, subject.ID)].push_back(
            ContextRule{order++, &e.Parts, &e.Rule});
    }
    contextStale_ = false;
}

const std::vector<TStyleList::ContextRule>&
TStyleList::ContextRulesFor(std::string_view tag, std::string_view cls, std::string_view id) const {
    if (contextStale_)
        IndexContextRules();
    met_.clear();
    if (tag.empty() || contextGroups_.empty())
        return met_;
    // The groups a subject with no class or id, this class, this id, or both falls into.
    const std::vector<ContextRule>* groups[4] = {};
    int n = 0;
    auto look = [&](std::string_view c, std::string_view i) {
        const auto it = contextGroups_.find(GroupName(tag, c, i));
        if (it != contextGroups_.end())
            groups[n++] = &it->second;
    };
    look({}, {});
    if (!cls.empty())
        look(cls, {});
    if (!id.empty())
        look({}, id);
    if (!cls.empty() && !id.empty())
        look(cls, id);
    if (n == 1)
        return *groups[0];
    // Merged back into sheet order.
    size_t at[4] = {};
    for (;;) {
        int best = -1;
        for (int g = 0; g < n; ++g)
            if (at[g] < groups[g]->size() &&
                (best < 0 || (*groups[g])[at[g]].Order < (*groups[best])[at[best]].Order))
                best = g;
        if (best < 0)
            break;
        met_.push_back((*groups[best])[at[best]++]);
    }
    return met_;
}

std::string TStyleList::NextContextNumber() {
    return std::to_string(ContextCounter++);
}

void TStyleList::SetRule(std::string_view key, std::string_view propertyName,
                         std::string_view value) {
    const auto index = FindPropIndex(propertyName);
    if (!index)
        return;
    if (key.find(":first-l") != std::string_view::npos)
        HasPseudoElements = true;
    int at = 0;
    TStyleRule fresh;
    TStyleRule* rule = &fresh;
    // Author rules never write into a built-in set: they are kept apart so that the cascade
    // can let them win over the built-in rules whatever their specificity.
    bool found = Find(key, at);
    while (found && entries_.At(at)->Rule.BuiltIn) {
        ++at;
        found = at < Count() && entries_.At(at)->Key == key;
    }
    if (found)
        rule = &entries_.At(at)->Rule;
    TColor c = 0;
    switch (*index) {
    case piColor:
        if (ColorFromText(value, false, c)) {
            rule->Values.Set(piColor, static_cast<int32_t>(c));
            if (key.find(":link") != std::string_view::npos) {
                LinkColorSet = true;
            } else if (key.find(":visited") != std::string_view::npos) {
                VisitedColorSet = true;
            } else if (key.find(":hover") != std::string_view::npos) {
                HoverColorSet = true;
                if (OnHoverRule)
                    OnHoverRule();
            }
        }
        break;
    default:
        // Other colours, border styles and visibility are stored as a style attribute stores
        // them (an unreadable colour there is no colour; an unreadable `color` above is no
        // declaration at all).
        rule->AddPropertyByIndex(*index, value);
    }
    if (!found)
        AddEntry(key, std::move(fresh));
}
