// Building a text section: appending text with its white-space rules, font and link runs,
// inline objects, and the source-position index made when the section is complete.
#include <algorithm>
#include <cstdlib>

#include "html/doc/form_kinds.h"
#include "html/doc/letter_obj.h"
#include "html/doc/section_list.h"
#include "html/doc/text_section.h"
#include "html/style/properties.h"
#include "platform/base/case_mapping.h"
#include "platform/base/strings.h"

TSection::TSection(TSectionList* document, const TUrlTarget& link, const TProperties& props,
                   TAttributeList* attrs)
    : TSectionBase(document) {
    const bool isLink = !link.URL.empty();
    std::unique_ptr<TMyFont> font = isLink ? props.MakeLinkFont() : props.MakeFont();
    BaseFont = *font;
    TFontObj* run = FontRuns.Add(std::make_unique<TFontObj>(this, 0, std::move(font)));
    ApplyTextStyle(*run, props);
    if (isLink) {
        run->OverFont = props.MakeHoverFont(*run->PlainFont);
        run->SeenFont = props.MakeVisitedFont(*run->PlainFont);
        run->Target.Copy(link);
        if (Document != nullptr) {
            Document->Links.push_back(run);
            run->InLinks = true;
        }
    }
    LineHeightPx = props.GetLineHeight(std::abs(BaseFont.Height()));
    TextIndent = props.GetTextIndent(100, std::abs(BaseFont.Height()), IndentPercent);

    if (attrs != nullptr) {
        if (const TAttribute* clear = attrs->Find(ClearSym)) {
            const std::string v = LowerCase(Trim(clear->Str));
            ClearMode = v == "left" ? ckLeft : v == "right" ? ckRight : ckBoth;
        }
        if (const TAttribute* id = attrs->Find(IdSym); id != nullptr && !id->Str.empty())
            pendingID_ = id->Str;
    }
    ClearKind clear = ckNone;
    if (props.GetClear(clear))
        ClearMode = clear;

    const TPropValue& align = props.Values[piTextAlign];
    if (align.Equals("right"))
        TextAlign = LineAlign::Right;
    else if (align.Equals("justify"))
        TextAlign = LineAlign::Justify;
    else if (align.Equals("center"))
        TextAlign = LineAlign::Center;
    else
        TextAlign = LineAlign::Left;
}

TSection::~TSection() {
    if (Document == nullptr)
        return;
    // The document's link list and hover state only refer to runs; none may outlive us.
    // Only runs marked as entered are looked for, newest first and from the list's end: a
    // section is usually freed soon after it was filled (an empty one the reader drops) or
    // after the list was emptied (the whole document freed), so freeing a page stays linear
    // in its sections rather than sections times links.
    auto& links = Document->Links;
    for (int i = FontRuns.Count() - 1; i >= 0; --i) {
        TFontObj* run = FontRuns[i];
        if (!run->InLinks)
            continue;
        run->InLinks = false;
        const auto it = std::find(links.rbegin(), links.rend(), run);
        if (it != links.rend())
            links.erase(std::next(it).base());
    }
    if (Document->HoverLink != nullptr && Document->HoverLink->Section == this)
        Document->HoverLink = nullptr;
}

// ------------------------------------------------------------------ text

void TSection::Append(const std::u32string& text, const std::vector<int32_t>& positions) {
    if (SourcePos.capacity() < SourcePos.size() + text.size()) // geometric: long paragraphs
        SourcePos.reserve(std::max(SourcePos.size() + text.size(), 2 * SourcePos.capacity()));
    TextBuf.append(text);
    const size_t known = std::min(text.size(), positions.size());
    SourcePos.insert(SourcePos.end(), positions.begin(),
                     positions.begin() + static_cast<std::ptrdiff_t>(known));
    SourcePos.resize(SourcePos.size() + (text.size() - known),
                     positions.empty() ? -1 : positions.back());
    if (onlyFloats_)
        onlyFloats_ = std::all_of(text.begin(), text.end(), [](char32_t c) {
            return c == ImageCode || c == NoBreakImageCode;
        });
}

void TSection::AppendCode(char32_t code, int32_t sourcePos) {
    Append(std::u32string(1, code), std::vector<int32_t>{sourcePos});
}

bool TSection::AllFloatingImages() const {
    return !TextBuf.empty() && onlyFloats_;
}

namespace {

// A token's UTF-8 text as characters, each with the source position of its first byte.
void DecodeToken(const TokenObj& token, std::u32string& chars, std::vector<int32_t>& positions) {
    const std::string& text = token.Text();
    const std::vector<int32_t>& bytePos = token.Positions();
    const int32_t lastPos = bytePos.empty() ? -1 : bytePos.back();
    chars.clear();
    positions.clear();
    chars.reserve(text.size());
    positions.reserve(text.size());
    size_t i = 0;
    while (i < text.size()) {
        const int32_t pos = i < bytePos.size() ? bytePos[i] : lastPos;
        const int32_t c = DecodeUtf8(text, i);
        chars.push_back(c < 0 ? U'\uFFFD' : static_cast<char32_t>(c));
        positions.push_back(pos);
    }
}

} // namespace

void TSection::AddText(const TokenObj& token, bool noBreak) {
    if (token.Empty())
        return;
    std::u32string s;
    std::vector<int32_t> p;
    DecodeToken(token, s, p);
    auto dropFirst = [&] {
        s.erase(0, 1);
        p.erase(p.begin());
    };

    // A BR after a space takes the space's place.
    if (s[0] == BreakCode && !TextBuf.empty() &&
        (TextBuf.back() == ' ' || TextBuf.back() == NbspCode)) {
        TextBuf.back() = BreakCode;
        dropFirst();
        if (s.empty())
            return;
    }

    const char32_t last = TextBuf.empty() ? U'\0' : TextBuf.back();
    if (noBreak) {
        if ((TextBuf.empty() || last == NoBreakMark || last == BreakCode || last == ' ' ||
             last == NbspCode) &&
            s[0] == NoBreakMark) {
            dropFirst();
            if (s.empty())
                return;
        }
        // Collapsed white space: one mark per gap, none beside a real space; what is left is
        // a non-breaking space.
        std::u32string t;
        std::vector<int32_t> q;
        for (size_t i = 0; i < s.size(); ++i) {
            if (s[i] == NoBreakMark) {
                const char32_t next = i + 1 < s.size() ? s[i + 1] : U'\0';
                const char32_t prev = t.empty() ? U'\0' : t.back();
                if (next == ' ' || next == NoBreakMark || prev == ' ')
                    continue;
                t.push_back(NbspCode);
            } else {
                t.push_back(s[i]);
            }
            q.push_back(p[i]);
        }
        s.swap(t);
        p.swap(q);
        if (s.empty())
            return;
    } else {
        // The mark belongs to no-break runs; anywhere else it is ordinary white space.
        std::replace(s.begin(), s.end(), NoBreakMark, U' ');
        if ((TextBuf.empty() || last == BreakCode || last == ' ') && s[0] == ' ') {
            dropFirst();
            if (s.empty())
                return;
        }
    }

    // After floating images only, the text starts a line of its own: no leading space.
    if ((s[0] == ' ' || s[0] == NbspCode) && AllFloatingImages()) {
        dropFirst();
        if (s.empty())
            return;
    }
    AppendStyled(s, p);
}

void TSection::AddPreText(const TokenObj& token) {
    if (token.Empty())
        return;
    std::u32string s;
    std::vector<int32_t> p;
    DecodeToken(token, s, p);
    // Columns count from the last line break in the section.
    const size_t lineStart = TextBuf.find_last_of(BreakCode);
    size_t column =
        lineStart == std::u32string::npos ? TextBuf.size() : TextBuf.size() - lineStart - 1;
    std::u32string t;
    std::vector<int32_t> q;
    for (size_t i = 0; i < s.size(); ++i) {
        char32_t c = s[i];
        size_t n = 1;
        if (c == U'\t') {
            n = TPreFormated::kTabWidth - column % TPreFormated::kTabWidth;
            c = NbspCode;
        } else if (c == U' ' || c == NoBreakMark) {
            c = NbspCode;
        } else if (c == U'\r' || c == U'\n') {
            c = BreakCode;
        }
        t.append(n, c);
        q.insert(q.end(), n, p[i]);
        column = c == BreakCode ? 0 : column + n;
    }
    AppendStyled(t, q);
}

void TSection::ApplyTextStyle(TFontObj& run, const TProperties& props) {
    const int32_t em = run.PlainFont->PixelSize();
    run.Transform = props.GetTextTransform();
    run.SmallCaps = props.IsSmallCaps();
    run.SmallPart = false;
    run.FullSize = run.PlainFont->Size;
    run.LetterSpacing = props.GetLetterSpacing(em);
    run.WordSpacing = props.GetWordSpacing(em);
}

namespace {

// Where capitalize starts a word: after anything that is not part of one.
bool StartsWord(char32_t before) {
    return !IsUnicodeAlnum(before) && before != U'\'' && before != U'\u2019' && before != U'-';
}

// Small capitals are drawn at this share of the font's size.
constexpr double kSmallCapsScale = 0.7;

} // namespace

void TSection::AppendStyled(std::u32string& s, std::vector<int32_t>& p) {
    if (pseudo_ != nullptr && !letterDone_)
        TakeFirstLetter(s, p);
    TFontObj* run = FontRuns.Last();
    if (run == nullptr || (run->Transform == ttNone && !run->SmallCaps)) {
        Append(s, p);
        return;
    }
    // Only what is measured and drawn changes: every character keeps its source position.
    switch (run->Transform) {
    case ttUppercase:
        for (char32_t& c : s)
            c = UpperChar(c);
        break;
    case ttLowercase:
        for (char32_t& c : s)
            c = LowerChar(c);
        break;
    case ttCapitalize: {
        char32_t before = TextBuf.empty() ? U' ' : TextBuf.back();
        for (char32_t& c : s) {
            const char32_t original = c;
            if (StartsWord(before))
                c = TitleChar(c);
            before = original;
        }
        break;
    }
    default:
        break;
    }
    if (!run->SmallCaps) {
        Append(s, p);
        return;
    }
    size_t i = 0;
    while (i < s.size()) {
        const bool small = UpperChar(s[i]) != s[i];
        size_t j = i + 1;
        while (j < s.size() && (UpperChar(s[j]) != s[j]) == small)
            ++j;
        std::u32string piece = s.substr(i, j - i);
        if (small)
            for (char32_t& c : piece)
                c = UpperChar(c);
        UseCapsPart(small);
        Append(piece, std::vector<int32_t>(p.begin() + static_cast<std::ptrdiff_t>(i),
                                           p.begin() + static_cast<std::ptrdiff_t>(j)));
        i = j;
    }
}

void TSection::UseCapsPart(bool small) {
    TFontObj* last = FontRuns.Last();
    if (last == nullptr || last->SmallPart == small)
        return;
    TFontObj* run = last;
    if (last->RunStart != TextLen()) {
        auto copy = std::make_unique<TFontObj>(this, *last);
        copy->RunStart = TextLen();
        if (last->OverFont)
            copy->OverFont = std::make_unique<TMyFont>(*last->OverFont);
        if (last->SeenFont)
            copy->SeenFont = std::make_unique<TMyFont>(*last->SeenFont);
        run = FontRuns.Add(std::move(copy));
        if (run->IsLink() && Document != nullptr) {
            Document->Links.push_back(run);
            run->InLinks = true;
        }
    }
    run->SmallPart = small;
    const int full = run->FullSize > 0 ? run->FullSize : 12; // 0 or less: the default size
    run->Resize(small ? std::max(1, static_cast<int>(full * kSmallCapsScale + 0.5)) : full);
}

// ------------------------------------------------------------------ first letter

void TSection::SetPseudoElements(std::shared_ptr<const TPseudoElements> pseudo,
                                 const TProperties& props) {
    pseudo_ = std::move(pseudo);
    if (pseudo_ == nullptr)
        return;
    for (const auto& run : FontRuns)
        if (!run->Style)
            run->Style = std::make_shared<const TProperties>(props);
}

namespace {
// Punctuation that opens a text ("'(¿«...) and belongs to its first letter.
bool IsLeadingPunctuation(char32_t c) {
    return c > U' ' && c != 0x7F && c != NbspCode && !(c >= 0x2000 && c <= 0x200B) && c != 0x3000 &&
           !IsUnicodeAlnum(c);
}
} // namespace

bool TSection::TakeFirstLetter(std::u32string& s, std::vector<int32_t>& p) {
    // Only the section's first text can hold it, and only when nothing stands before it.
    letterDone_ = true;
    if (pseudo_->FirstLetter == nullptr || !TextBuf.empty() || s.empty() || p.size() != s.size())
        return false;
    size_t k = 0;
    while (k < s.size() && IsLeadingPunctuation(s[k]))
        ++k;
    if (k >= s.size() || !IsUnicodeAlnum(s[k]))
        return false;
    ++k;
    TFontObj* base = FontRuns.Last();
    if (base == nullptr)
        return false;
    const std::shared_ptr<const TProperties> baseProps = base->Style ? base->Style : pseudo_->Block;
    const std::unique_ptr<TProperties> letter =
        PseudoVariant(*baseProps, *pseudo_->Block, *pseudo_->FirstLetter, true,
                      Document != nullptr ? Document->StyleSheet.DefaultPointSize : 0);
    std::u32string head = s.substr(0, k);
    std::vector<int32_t> headPos(p.begin(), p.begin() + static_cast<std::ptrdiff_t>(k));
    s.erase(0, k);
    p.erase(p.begin(), p.begin() + static_cast<std::ptrdiff_t>(k));

    AlignKind side = akNone;
    if (letter->GetFloat(side) && (side == akLeft || side == akRight)) {
        // A drop capital: a floating box the first lines flow beside.
        InlineObjects.Add(std::make_unique<TLetterObj>(TextLen(), std::move(head), *letter));
        AppendCode(ImageCode, headPos.front());
        return true;
    }
    const bool link = base->IsLink();
    const int script = base->ScriptKind;
    int letterScript = script;
    if (letter->Values[piVerticalAlign].Equals("super"))
        letterScript = 2;
    else if (letter->Values[piVerticalAlign].Equals("sub"))
        letterScript = 1;
    StartRun(link ? letter->MakeLinkFont() : letter->MakeFont(), *letter, nullptr, letterScript);
    AppendStyled(head, headPos);
    StartRun(link ? baseProps->MakeLinkFont() : baseProps->MakeFont(), *baseProps, nullptr, script);
    return true;
}

void TSection::AddChar(char32_t code, int32_t sourcePos, bool noBreak) {
    TokenObj t;
    std::string utf8;
    AppendUtf8(utf8, code);
    for (char b : utf8)
        t.AddChar(b, sourcePos);
    AddText(t, noBreak);
}

void TSection::EnsureNotEmpty() {
    if (TextBuf.empty())
        AppendCode(' ', SourcePos.empty() ? -1 : SourcePos.back());
}

// ------------------------------------------------------------------ runs

TFontObj* TSection::StartRun(std::unique_ptr<TMyFont> font, const TProperties& props,
                             const TUrlTarget* link, int scriptKind) {
    TFontObj* last = FontRuns.Last();
    TFontObj* run = nullptr;
    if (last != nullptr && last->RunStart == TextLen()) {
        last->ReplaceFont(std::move(font));
        run = last;
    } else {
        run = FontRuns.Add(std::make_unique<TFontObj>(this, TextLen(), std::move(font)));
        if (last != nullptr)
            run->Target.Copy(last->Target);
    }
    if (link != nullptr)
        run->Target.Copy(*link);
    run->ScriptKind = scriptKind;
    ApplyTextStyle(*run, props);
    TVerticalAlign va;
    if (props.GetVerticalAlign(va)) {
        run->VAlign = RunVAlignOf(va.Kind);
        run->VRaise = va.Raise;
    } else {
        run->VAlign = RunVAlign::None;
        run->VRaise = 0;
    }
    if (pseudo_ != nullptr)
        run->Style = std::make_shared<const TProperties>(props);
    if (Document != nullptr) {
        auto& links = Document->Links;
        if (run->IsLink()) {
            run->OverFont = props.MakeHoverFont(*run->PlainFont);
            run->SeenFont = props.MakeVisitedFont(*run->PlainFont);
            if (!run->InLinks) {
                links.push_back(run);
                run->InLinks = true;
            }
        } else if (run->InLinks) {
            // A run that stopped being a link leaves the list.
            links.erase(std::remove(links.begin(), links.end(), run), links.end());
            run->InLinks = false;
        }
    }
    return run;
}

void TSection::ChangeFont(const TProperties& props, int scriptKind) {
    TFontObj* last = FontRuns.Last();
    const bool link = last != nullptr && last->IsLink();
    StartRun(link ? props.MakeLinkFont() : props.MakeFont(), props, nullptr, scriptKind);
}

void TSection::StartLinkRun(bool anchorStart, const TProperties& props, const TUrlTarget& link,
                            int scriptKind) {
    TUrlTarget target;
    if (anchorStart)
        target.Copy(link);
    StartRun(anchorStart ? props.MakeLinkFont() : props.MakeFont(), props, &target, scriptKind);
}

// ------------------------------------------------------------------ objects

TImageObj* TSection::AddImage(TAttributeList& attrs, const TProperties& props, int32_t sourcePos,
                              bool noBreak) {
    auto image = std::make_unique<TImageObj>(Document, attrs, TextLen());
    image->ApplyStyle(props);
    TImageObj* result = image.get();
    InlineObjects.Add(std::move(image));
    const bool floats = result->Floats();
    const bool wasOnlyFloats = onlyFloats_;
    AppendCode(noBreak ? NoBreakImageCode : ImageCode, sourcePos);
    onlyFloats_ = wasOnlyFloats && floats;
    return result;
}

TPanelObj* TSection::AddPanel(TAttributeList& attrs, int32_t sourcePos, bool noBreak) {
    auto panel = std::make_unique<TPanelObj>(Document, attrs, TextLen());
    TPanelObj* result = panel.get();
    InlineObjects.Add(std::move(panel));
    const bool wasOnlyFloats = onlyFloats_;
    AppendCode(noBreak ? NoBreakImageCode : ImageCode, sourcePos);
    onlyFloats_ = wasOnlyFloats && result->Floats();
    return result;
}

TFormControlObj* TSection::AddFormControl(Symbol which, ThtmlForm*& currentForm,
                                          TAttributeList& attrs, const TProperties& props,
                                          int32_t sourcePos, bool noBreak) {
    TFormControlObj* control = MakeFormControl(Document, currentForm, which, attrs, TextLen());
    if (control == nullptr)
        return nullptr;
    if (control->IsHidden()) {
        control->ApplyStyle(props);
        return control; // takes no place in the text
    }
    if (auto* button = dynamic_cast<TImageFormControlObj*>(control)) {
        // An image button stands in the text as its picture.
        auto image = std::make_unique<TImageObj>(Document, attrs, TextLen());
        image->ApplyStyle(props);
        image->FormControl = button;
        button->Picture = image.get();
        button->ApplyStyle(props);
        const bool floats = image->Floats();
        InlineObjects.Add(std::move(image));
        const bool wasOnlyFloats = onlyFloats_;
        AppendCode(noBreak ? NoBreakImageCode : ImageCode, sourcePos);
        onlyFloats_ = wasOnlyFloats && floats;
        return control;
    }
    control->ApplyStyle(props);
    Controls.push_back(control);
    AppendCode(noBreak ? NoBreakControlCode : ControlCode, sourcePos);
    return control;
}

TFormControlObj* TSection::ControlAtPos(int32_t pos) const {
    return Controls.ControlAt(pos);
}

// ------------------------------------------------------------------ finishing

void TSection::FinishSection() {
    if (!SourcePos.empty()) {
        IndexRuns.clear();
        for (size_t i = 0; i < SourcePos.size(); ++i)
            if (i == 0 || SourcePos[i] != SourcePos[i - 1] + 1)
                IndexRuns.push_back(IndexObj{static_cast<int32_t>(i), SourcePos[i]});
        std::vector<int32_t>().swap(SourcePos);
    }
}

bool TSection::FinishForAdd() {
    FinishSection();
    const bool keep = !TextBuf.empty();
    RegisterID(keep);
    return keep;
}

void TSection::RegisterID(bool keep) {
    // Entered only for a section that stays, so the name list never points at a freed one.
    if (keep && !pendingID_.empty() && Document != nullptr)
        Document->NamedPositions.AddObject(pendingID_, this);
    pendingID_.clear();
}

// ------------------------------------------------------------------ preformatted

void TPreFormated::AddText(const TokenObj& token, bool /*noBreak*/) {
    if (token.Empty() || TextLen() > MaxLength)
        return;
    std::u32string s;
    std::vector<int32_t> p;
    DecodeToken(token, s, p);
    if (s.find(U'\t') != std::u32string::npos) {
        // A tab moves to the next multiple of 8 columns counted from the start of the line (a
        // preformatted section holds one line); every blank it becomes keeps its position.
        std::u32string t;
        std::vector<int32_t> q;
        size_t column = TextBuf.size();
        for (size_t i = 0; i < s.size(); ++i) {
            const size_t n = s[i] == U'\t' ? kTabWidth - column % kTabWidth : 1;
            t.append(n, s[i] == U'\t' ? U' ' : s[i]);
            q.insert(q.end(), n, p[i]);
            column += n;
        }
        s.swap(t);
        p.swap(q);
    }
    AppendStyled(s, p);
}

bool TPreFormated::FinishForAdd() {
    FinishSection();
    RegisterID(true);
    return true; // an empty PRE keeps its line
}
