// The body reader, the common-symbol reader and the inline elements.
#include <algorithm>

#include "html/doc/block.h"
#include "html/doc/list_rule.h"
#include "html/doc/section_list.h"
#include "html/doc/text_section.h"
#include "html/load/reader_core.h"
#include "html/style/color_text.h"
#include "platform/base/strings.h"

namespace {

TSymSet MakeInlineSet() {
    return Syms({BSym,         ISym,       BRSym,          EmSym,        StrongSym,    USym,
                 CiteSym,      VarSym,     TTSym,          CodeSym,      KbdSym,       SampSym,
                 ImageSym,     ASym,       InputSym,       TextAreaSym,  SelectSym,    FontSym,
                 BaseFontSym,  SubSym,     SupSym,         BigSym,       SmallSym,     MapSym,
                 PageSym,      ScriptSym,  SSym,           StrikeSym,    PanelSym,     NoBrSym,
                 WbrSym,       SpanSym,    BEndSym,        IEndSym,      EmEndSym,     StrongEndSym,
                 UEndSym,      CiteEndSym, VarEndSym,      TTEndSym,     CodeEndSym,   KbdEndSym,
                 SampEndSym,   AEndSym,    TextAreaEndSym, SelectEndSym, FontEndSym,   SubEndSym,
                 SupEndSym,    BigEndSym,  SmallEndSym,    MapEndSym,    ScriptEndSym, SEndSym,
                 StrikeEndSym, NoBrEndSym, SpanEndSym,     TextSym,      UnknownTagSym});
}

bool IsStyleTag(Symbol sy) {
    switch (sy) {
    case BSym:
    case ISym:
    case EmSym:
    case StrongSym:
    case USym:
    case CiteSym:
    case VarSym:
    case SSym:
    case StrikeSym:
    case TTSym:
    case CodeSym:
    case KbdSym:
    case SampSym:
    case SpanSym:
    case BigSym:
    case SmallSym:
        return true;
    default:
        return false;
    }
}

bool IsStyleEndTag(Symbol sy) {
    switch (sy) {
    case BEndSym:
    case IEndSym:
    case EmEndSym:
    case StrongEndSym:
    case UEndSym:
    case CiteEndSym:
    case VarEndSym:
    case SEndSym:
    case StrikeEndSym:
    case TTEndSym:
    case CodeEndSym:
    case KbdEndSym:
    case SampEndSym:
    case SpanEndSym:
    case BigEndSym:
    case SmallEndSym:
        return true;
    default:
        return false;
    }
}

} // namespace

const TSymSet& InlineSet() {
    static const TSymSet set = MakeInlineSet();
    return set;
}

const TSymSet& CommonSet() {
    static const TSymSet set =
        InlineSet() | Syms({HSym, HRSym, PreSym, XmpSym, ListingSym, TableSym});
    return set;
}

const TSymSet& ListStarts() {
    static const TSymSet set = Syms({OLSym, ULSym, DirSym, MenuSym, DLSym});
    return set;
}

const TSymSet& ListEnds() {
    static const TSymSet set = Syms({OLEndSym, ULEndSym, DirEndSym, MenuEndSym, DLEndSym});
    return set;
}

double FontSizePoints(int size, bool fixedPitch) {
    static const double normal[7] = {8, 10, 12, 14, 18, 24, 36};
    static const double fixed[7] = {7, 8, 10, 12, 15, 20, 30};
    size = std::clamp(size, 1, 7);
    return fixedPitch ? fixed[size - 1] : normal[size - 1];
}

// ---------------------------------------------------------------- the body reader

void THtmlReader::DoBody(const TSymSet& term) {
    while (!term.test(lex_.Sy) && lex_.Sy != EofSym) {
        const uint64_t before = reads_;
        switch (lex_.Sy) {
        case TitleSym:
            // A title's text is never drawn, wherever it stands; one found after the body
            // has begun (stray text before <HTML> begins it) names the page only when no
            // title did.
            DoTitle(BodyEmpty() || doc_.Title.empty());
            break;
        case BodySym:
            if (BodyEmpty())
                DoBodyTag();
            else
                DoLateBodyTag();
            break;
        case PSym:
            DoParagraph(term);
            break;
        case BaseSym:
            if (BodyEmpty())
                DoBase();
            Next();
            break;
        case OLSym:
        case ULSym:
        case DirSym:
        case MenuSym:
        case DLSym:
        case AddressSym:
        case BlockQuoteSym:
            DoLists(lex_.Sy, term);
            break;
        case LISym: {
            int32_t number = 1;
            DoListItem(LISym, LISym, number, false, '1', term);
            break;
        }
        case DDSym:
        case DTSym: {
            int32_t number = 1;
            DoListItem(DLSym, lex_.Sy, number, false, '1', term);
            break;
        }
        case CenterSym:
            DoCenter(term);
            break;
        case DivSym:
            DoDiv(term);
            break;
        case FormSym:
            DoForm(term);
            break;
        case LinkSym:
            // A style sheet linked after the body has begun still styles what follows.
            DoLink();
            Next();
            break;
        case BgSoundSym:
            if (BodyEmpty())
                DoSound();
            Next();
            break;
        case MetaSym:
            if (BodyEmpty())
                DoMeta();
            Next();
            break;
        default:
            if (CommonSet().test(lex_.Sy))
                DoCommon();
            else
                Next();
            break;
        }
        // A routine that took nothing would be handed the same symbol again for ever.
        if (reads_ == before && !term.test(lex_.Sy) && lex_.Sy != EofSym)
            Next();
    }
}

void THtmlReader::DoBodyTag() {
    DropSection(); // the empty section the parse started with
    // A later BODY (still before any content) replaces the level of an earlier one rather
    // than piling levels up.
    PopLevel("body");
    const TElemStyle style = Capture();
    TProperties& top = PushLevel("body", &style);
    int32_t marginWidth = host_.MarginWidth, marginHeight = host_.MarginHeight;
    ReadBodyAttributes(top, marginWidth, marginHeight);
    top.SetIfUnset(TPropValue(marginWidth), piMarginLeft);
    top.SetIfUnset(TPropValue(marginWidth), piMarginRight);
    top.SetIfUnset(TPropValue(marginHeight), piMarginTop);
    top.SetIfUnset(TPropValue(marginHeight), piMarginBottom);

    // The body block is remade with the BODY's properties; the old one is still empty.
    for (int i = 0; i < doc_.Count(); ++i) {
        if (doc_[i] == body_) {
            doc_.Delete(i);
            break;
        }
    }
    auto body = std::make_unique<TBodyBlock>(&doc_, &doc_, top);
    body_ = body.get();
    doc_.Add(std::move(body));
    cell_ = body_->Content.get();
    ApplyPageBackground(top);
    bodyTagSeen_ = true;
    NewSection(nullptr);
    Next();
}

void THtmlReader::ReadBodyAttributes(TProperties& props, int32_t& marginWidth,
                                     int32_t& marginHeight) {
    for (const TAttribute& a : lex_.Attributes) {
        TColor color = 0;
        switch (a.Sym) {
        case TextSym:
            if (ColorFromText(a.Str, false, color))
                props.SetIfUnset(TPropValue(static_cast<int32_t>(color)), piColor);
            break;
        case LinkSym:
            if (ColorFromText(a.Str, false, color))
                props.SetIfUnset(TPropValue(static_cast<int32_t>(color)), piLinkColor);
            break;
        case VLinkSym:
            if (ColorFromText(a.Str, false, color))
                props.SetIfUnset(TPropValue(static_cast<int32_t>(color)), piVisitedColor);
            break;
        case OLinkSym:
            if (ColorFromText(a.Str, false, color)) {
                props.SetIfUnset(TPropValue(static_cast<int32_t>(color)), piHoverColor);
                doc_.HoverEnabled = true;
            }
            break;
        case BGColorSym:
            if (ColorFromText(a.Str, false, color))
                props.SetIfUnset(TPropValue(static_cast<int32_t>(color)), piBackgroundColor);
            break;
        case BackgroundSym:
            props.SetIfUnset(TPropValue("url(" + a.Str + ")"), piBackgroundImage);
            break;
        case MarginWidthSym:
            marginWidth = std::clamp<int32_t>(a.Value, 0, 200);
            break;
        case MarginHeightSym:
            marginHeight = std::clamp<int32_t>(a.Value, 0, 200);
            break;
        default:
            break;
        }
    }
}

void THtmlReader::ApplyPageBackground(const TProperties& body) {
    std::string url;
    if (body.GetBackgroundImage(url) && !url.empty())
        doc_.SetBackImageName(url);
    const TColor background = body.GetBackgroundColor();
    if (background != NoColor)
        doc_.SetBackColor(background);
}

// Text before <HTML> or <HEAD> (a stray word, a script's output) begins the body, as in
// browsers, but the page's own BODY tag still gives it its background and colours: the body
// rules of the style sheet and the tag's attributes go to the root set, which what follows at
// the top level inherits. Text already read keeps its colour; margins stay as they were.
void THtmlReader::DoLateBodyTag() {
    if (bodyTagSeen_) {
        Next();
        return;
    }
    bodyTagSeen_ = true;
    // The set a BODY at the start would have had; what the rules and attributes give it
    // goes to the root set (the viewer's defaults there give way, as they would below a BODY).
    const TElemStyle style = Capture();
    TProperties& root = stack_[0];
    TProperties body;
    body.InheritFrom(root);
    body.ApplyStyles(doc_.StyleSheet, &stack_, "body", style.Class, style.ID, {},
                     style.Style.get());
    int32_t marginWidth = 0, marginHeight = 0;
    ReadBodyAttributes(body, marginWidth, marginHeight);
    ApplyPageBackground(body);
    for (int i = 0; i < PropCount; ++i) {
        if (body.SetByRule[i] && (i < piMarginTop || i > piLeft)) {
            root.Values[i] = body.Values[i];
            root.SetByRule[i] = true;
        }
    }
    // What follows at the top level is read with the new colours.
    if (stack_.Count() == 1)
        FontChanged();
    Next();
}

// ---------------------------------------------------------------- common symbols

void THtmlReader::AddTextToken() {
    // The style in force decides; the lexer read the token in the white space of the level
    // that was on top then, which for the first text of a block can be its parent's.
    const WhiteSpaceKind space = Top().GetWhiteSpace();
    if (space == wsPre) {
        section_->AddPreText(lex_.Token);
    } else if (space == wsNoWrap && !lex_.NoBreaking()) {
        TokenObj kept;
        const std::string& text = lex_.Token.Text();
        const std::vector<int32_t>& at = lex_.Token.Positions();
        for (size_t i = 0; i < text.size(); ++i)
            kept.AddChar(text[i] == ' ' ? NoBreakSpace : text[i], i < at.size() ? at[i] : -1);
        section_->AddText(kept, true);
    } else {
        section_->AddText(lex_.Token, lex_.NoBreaking() || space == wsNoWrap);
    }
}

void THtmlReader::DoCommon() {
    const Symbol sy = lex_.Sy;
    if (IsStyleTag(sy)) {
        OpenStyle(sy);
        Next();
        return;
    }
    if (IsStyleEndTag(sy)) {
        CloseStyle(sy);
        Next();
        return;
    }
    switch (sy) {
    case TextSym:
        EnsureSection();
        AddTextToken();
        Next();
        break;
    case BRSym:
        DoBreak();
        break;
    case HSym:
        DoHeading();
        break;
    case HRSym:
        DoHR();
        break;
    case PreSym:
        DoPre();
        break;
    case XmpSym:
    case ListingSym:
        DoLiteral(lex_.Sy);
        break;
    case ImageSym:
    case PanelSym:
        DoImage();
        Next();
        break;
    case ASym:
        DoAnchor();
        Next();
        break;
    case AEndSym:
        CloseLink();
        Next();
        break;
    case TableSym:
        DoTable();
        break;
    case InputSym:
    case SelectSym:
        DoFormControl();
        Next();
        break;
    case TextAreaSym:
        DoTextArea();
        Next();
        break;
    case FontSym:
    case BaseFontSym:
        DoFontTag(false);
        Next();
        break;
    case FontEndSym:
        PopLevel("font");
        FontChanged();
        Next();
        break;
    case SubSym:
    case SupSym:
        PushInline(StartTagName(sy), Capture());
        scriptKind_ = sy == SubSym ? 1 : 2;
        FontChanged();
        Next();
        break;
    case SubEndSym:
    case SupEndSym:
        PopLevel(EndTagName(sy));
        scriptKind_ = 0;
        FontChanged();
        Next();
        break;
    case MapSym:
        DoMap(true);
        break;
    case PageSym:
        CloseSection();
        if (cell_)
            cell_->Add(std::make_unique<TPage>(&doc_));
        Next();
        break;
    case ScriptSym: // Next reads the script
        Next();
        break;
    case NoBrSym:
        lex_.NoBreak = true;
        Next();
        break;
    case NoBrEndSym:
        lex_.NoBreak = false;
        Next();
        break;
    case WbrSym:
        if (lex_.NoBreaking() && section_)
            section_->AddChar(' ', lex_.TagStartPosition, false);
        Next();
        break;
    default:
        Next();
        break;
    }
}

// IMG and PANEL: an object in the open section. Leaves the tag current.
void THtmlReader::DoImage() {
    EnsureSection();
    const TElemStyle style = Capture();
    const Symbol sy = lex_.Sy;
    PushLevel(StartTagName(sy), &style);
    if (sy == ImageSym)
        section_->AddImage(lex_.Attributes, Top(), lex_.TagStartPosition, lex_.NoBreaking());
    else
        section_->AddPanel(lex_.Attributes, lex_.TagStartPosition, lex_.NoBreaking());
    stack_.Pop();
}

// A: leaves the tag current.
void THtmlReader::DoAnchor() {
    const TAttributeList& attrs = lex_.Attributes;
    // A new link inside an open one ends the open one first, before this anchor's own level
    // is on the stack, so closing it cannot take that level away.
    if (linkOpen_ && attrs.Find(HrefSym))
        CloseLink();
    const TElemStyle anchorStyle = Capture();
    PushInline("a", anchorStyle);
    FontChanged();
    for (const TAttribute& a : attrs) {
        if (a.Sym == HrefSym) {
            const TAttribute* target = attrs.Find(TargetSym);
            link_.Assign(a.Str, target ? target->Str : std::string());
            linkOpen_ = true;
            if (stack_.Count() < kMaxInlineLevels)
                PushLinkLevels(anchorStyle);
            FontChanged();
            if (section_)
                section_->StartLinkRun(true, Top(), link_, scriptKind_);
        } else if (a.Sym == NameSym) {
            EnsureSection();
            std::string name = a.Str;
            if (!name.empty() && name[0] == '#')
                name.erase(0, 1);
            anchors_.push_back({UpperCase(name), lex_.TagStartPosition});
            section_->HasAnchor = true;
        }
    }
}

// FONT and BASEFONT: leaves the tag current.
void THtmlReader::DoFontTag(bool fixedPitch) {
    const bool isFont = lex_.Sy == FontSym;
    int size = 0;
    bool hasSize = false, hasColor = false;
    TColor color = 0;
    std::string face;
    for (const TAttribute& a : lex_.Attributes) {
        if (a.Sym == SizeSym) {
            const bool relative = a.Str.size() > 1 && (a.Str[0] == '+' || a.Str[0] == '-');
            const int64_t v = relative ? int64_t{baseFontSize_} + a.Value : int64_t{a.Value};
            size = static_cast<int>(std::clamp<int64_t>(v, 1, 7));
            hasSize = true;
        } else if (a.Sym == ColorSym) {
            hasColor = ColorFromText(a.Str, false, color);
        } else if (a.Sym == FaceSym && isFont) {
            face = a.Str.substr(0, 50);
        }
    }
    if (!isFont && hasSize)
        baseFontSize_ = size;
    if (!PushInline("font", Capture()))
        return;
    TProperties& top = Top();
    if (hasSize)
        top.SetIfUnset(TPropValue(FontSizePoints(size, fixedPitch)), piFontSize);
    if (hasColor)
        top.SetIfUnset(TPropValue(static_cast<int32_t>(color)), piColor);
    if (!face.empty())
        top.SetIfUnset(TPropValue(face), piFontFamily);
    FontChanged();
}

void THtmlReader::DoCenter(const TSymSet& term) {
    if (SkipTooDeep())
        return;
    TNestGuard guard(*this);
    CloseSection();
    const TElemStyle style = Capture();
    PushLevel("center", &style);
    Next();
    DoBody(term | Syms({CenterEndSym}));
    CloseSection();
    PopLevel("center");
    if (lex_.Sy == CenterEndSym)
        Next();
}

void THtmlReader::DoDiv(const TSymSet& term) {
    if (SkipTooDeep())
        return;
    TNestGuard guard(*this);
    CloseSection();
    const TElemStyle style = Capture();
    PushLevel("div", &style);
    SetAlign(lex_.Attributes);
    TCellBasic* outer = OpenBlock();
    Next();
    DoBody(term | Syms({DivEndSym}));
    CloseSection();
    PopLevel("div");
    LeaveBlock(outer);
    if (lex_.Sy == DivEndSym)
        Next();
}
