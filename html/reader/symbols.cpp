#include "html/reader/symbols.h"

#include <array>
#include <cstring>

#include "html/reader/name_table.h"

namespace {

struct TagRow {
    const char* name;
    Symbol start;
    Symbol end; // UnknownTagSym for the rows without an end symbol
};

// Searched in this order; the first 53 rows have end symbols.
constexpr TagRow kTags[] = {
    {"HTML", HtmlSym, HtmlEndSym},
    {"TITLE", TitleSym, TitleEndSym},
    {"BODY", BodySym, BodyEndSym},
    {"HEAD", HeadSym, HeadEndSym},
    {"B", BSym, BEndSym},
    {"I", ISym, IEndSym},
    {"H", HSym, HEndSym},
    {"EM", EmSym, EmEndSym},
    {"STRONG", StrongSym, StrongEndSym},
    {"U", USym, UEndSym},
    {"CITE", CiteSym, CiteEndSym},
    {"VAR", VarSym, VarEndSym},
    {"TT", TTSym, TTEndSym},
    {"CODE", CodeSym, CodeEndSym},
    {"KBD", KbdSym, KbdEndSym},
    {"SAMP", SampSym, SampEndSym},
    {"OL", OLSym, OLEndSym},
    {"UL", ULSym, ULEndSym},
    {"DIR", DirSym, DirEndSym},
    {"MENU", MenuSym, MenuEndSym},
    {"DL", DLSym, DLEndSym},
    {"A", ASym, AEndSym},
    {"ADDRESS", AddressSym, AddressEndSym},
    {"BLOCKQUOTE", BlockQuoteSym, BlockQuoteEndSym},
    {"PRE", PreSym, PreEndSym},
    {"XMP", XmpSym, XmpEndSym},
    {"LISTING", ListingSym, ListingEndSym},
    {"CENTER", CenterSym, CenterEndSym},
    {"TABLE", TableSym, TableEndSym},
    {"TD", TDSym, TDEndSym},
    {"TH", THSym, THEndSym},
    {"CAPTION", CaptionSym, CaptionEndSym},
    {"FORM", FormSym, FormEndSym},
    {"TEXTAREA", TextAreaSym, TextAreaEndSym},
    {"SELECT", SelectSym, SelectEndSym},
    {"OPTION", OptionSym, OptionEndSym},
    {"FONT", FontSym, FontEndSym},
    {"SUB", SubSym, SubEndSym},
    {"SUP", SupSym, SupEndSym},
    {"BIG", BigSym, BigEndSym},
    {"SMALL", SmallSym, SmallEndSym},
    {"P", PSym, PEndSym},
    {"MAP", MapSym, MapEndSym},
    {"FRAMESET", FrameSetSym, FrameSetEndSym},
    {"NOFRAMES", NoFramesSym, NoFramesEndSym},
    {"SCRIPT", ScriptSym, ScriptEndSym},
    {"DIV", DivSym, DivEndSym},
    {"S", SSym, SEndSym},
    {"STRIKE", StrikeSym, StrikeEndSym},
    {"TR", TRSym, TREndSym},
    {"NOBR", NoBrSym, NoBrEndSym},
    {"STYLE", StyleSym, StyleEndSym},
    {"SPAN", SpanSym, SpanEndSym},
    {"LI", LISym, UnknownTagSym},
    {"BR", BRSym, UnknownTagSym},
    {"HR", HRSym, UnknownTagSym},
    {"DD", DDSym, UnknownTagSym},
    {"DT", DTSym, UnknownTagSym},
    {"IMG", ImageSym, UnknownTagSym},
    {"BASE", BaseSym, UnknownTagSym},
    {"BUTTON", ButtonSym, UnknownTagSym},
    {"INPUT", InputSym, UnknownTagSym},
    {"SELECTED", SelectedSym, UnknownTagSym},
    {"BASEFONT", BaseFontSym, UnknownTagSym},
    {"AREA", AreaSym, UnknownTagSym},
    {"FRAME", FrameSym, UnknownTagSym},
    {"PAGE", PageSym, UnknownTagSym},
    {"BGSOUND", BgSoundSym, UnknownTagSym},
    {"WRAP", WrapSym, UnknownTagSym},
    {"META", MetaSym, UnknownTagSym},
    {"PANEL", PanelSym, UnknownTagSym},
    {"WBR", WbrSym, UnknownTagSym},
    {"LINK", LinkSym, UnknownTagSym},
};
static_assert(std::size(kTags) == 73);

struct AttrRow {
    const char* name;
    Symbol sym;
};

// VALUE stands twice; the first match wins and both give the same symbol.
constexpr AttrRow kAttributes[] = {
    {"HREF", HrefSym},
    {"NAME", NameSym},
    {"SRC", SrcSym},
    {"ALT", AltSym},
    {"ALIGN", AlignSym},
    {"TEXT", TextSym},
    {"BGCOLOR", BGColorSym},
    {"LINK", LinkSym},
    {"BACKGROUND", BackgroundSym},
    {"COLSPAN", ColSpanSym},
    {"ROWSPAN", RowSpanSym},
    {"BORDER", BorderSym},
    {"CELLPADDING", CellPaddingSym},
    {"CELLSPACING", CellSpacingSym},
    {"VALIGN", VAlignSym},
    {"WIDTH", WidthSym},
    {"START", StartSym},
    {"VALUE", ValueSym},
    {"TYPE", TypeSym},
    {"CHECKBOX", CheckBoxSym},
    {"RADIO", RadioSym},
    {"METHOD", MethodSym},
    {"ACTION", ActionSym},
    {"CHECKED", CheckedSym},
    {"SIZE", SizeSym},
    {"MAXLENGTH", MaxLengthSym},
    {"COLS", ColsSym},
    {"ROWS", RowsSym},
    {"MULTIPLE", MultipleSym},
    {"VALUE", ValueSym},
    {"SELECTED", SelectedSym},
    {"FACE", FaceSym},
    {"COLOR", ColorSym},
    {"TRANSP", TranspSym},
    {"CLEAR", ClearSym},
    {"ISMAP", IsMapSym},
    {"BORDERCOLOR", BorderColorSym},
    {"USEMAP", UseMapSym},
    {"SHAPE", ShapeSym},
    {"COORDS", CoordsSym},
    {"NOHREF", NoHrefSym},
    {"HEIGHT", HeightSym},
    {"PLAIN", PlainSym},
    {"TARGET", TargetSym},
    {"NORESIZE", NoResizeSym},
    {"SCROLLING", ScrollingSym},
    {"HSPACE", HSpaceSym},
    {"LANGUAGE", LanguageSym},
    {"FRAMEBORDER", FrameBorderSym},
    {"MARGINWIDTH", MarginWidthSym},
    {"MARGINHEIGHT", MarginHeightSym},
    {"LOOP", LoopSym},
    {"ONCLICK", OnClickSym},
    {"WRAP", WrapSym},
    {"NOSHADE", NoShadeSym},
    {"HTTP-EQUIV", HttpEqSym},
    {"CONTENT", ContentSym},
    {"ENCTYPE", EncTypeSym},
    {"VLINK", VLinkSym},
    {"OLINK", OLinkSym},
    {"ACTIVE", ActiveSym},
    {"VSPACE", VSpaceSym},
    {"CLASS", ClassSym},
    {"ID", IdSym},
    {"STYLE", StyleSym},
    {"REL", RelSym},
    {"REV", RevSym},
    {"NOWRAP", NoWrapSym},
    {"COMPACT", CompactSym},
};
static_assert(std::size(kAttributes) == 69);

// Index of the tag row by name, built once.
const TNameTable& TagTable() {
    static const TNameTable table = [] {
        TNameTable t;
        for (size_t i = 0; i < std::size(kTags); ++i)
            t.Insert(kTags[i].name, static_cast<int>(i));
        return t;
    }();
    return table;
}

const TNameTable& AttributeTable() {
    static const TNameTable table = [] {
        TNameTable t;
        for (size_t i = 0; i < std::size(kAttributes); ++i)
            t.Insert(kAttributes[i].name, static_cast<int>(i)); // keeps the first of duplicates
        return t;
    }();
    return table;
}

std::string Lower(const char* s) {
    std::string r(s);
    for (char& c : r)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c + 32);
    return r;
}

struct NameEntry {
    Symbol sy;
    const char* name;
};

// Names as written in the code, for dumps and messages.
constexpr NameEntry kSymbolNames[] = {
    {HtmlSym, "HtmlSym"},
    {TitleSym, "TitleSym"},
    {BodySym, "BodySym"},
    {HeadSym, "HeadSym"},
    {PSym, "PSym"},
    {PEndSym, "PEndSym"},
    {BSym, "BSym"},
    {BEndSym, "BEndSym"},
    {ISym, "ISym"},
    {IEndSym, "IEndSym"},
    {HtmlEndSym, "HtmlEndSym"},
    {TitleEndSym, "TitleEndSym"},
    {BodyEndSym, "BodyEndSym"},
    {HeadEndSym, "HeadEndSym"},
    {BRSym, "BRSym"},
    {HSym, "HSym"},
    {HEndSym, "HEndSym"},
    {EmSym, "EmSym"},
    {EmEndSym, "EmEndSym"},
    {StrongSym, "StrongSym"},
    {StrongEndSym, "StrongEndSym"},
    {USym, "USym"},
    {UEndSym, "UEndSym"},
    {HRSym, "HRSym"},
    {CiteSym, "CiteSym"},
    {VarSym, "VarSym"},
    {CiteEndSym, "CiteEndSym"},
    {VarEndSym, "VarEndSym"},
    {BaseSym, "BaseSym"},
    {TTSym, "TTSym"},
    {CodeSym, "CodeSym"},
    {KbdSym, "KbdSym"},
    {SampSym, "SampSym"},
    {TTEndSym, "TTEndSym"},
    {CodeEndSym, "CodeEndSym"},
    {KbdEndSym, "KbdEndSym"},
    {SampEndSym, "SampEndSym"},
    {OLSym, "OLSym"},
    {OLEndSym, "OLEndSym"},
    {LISym, "LISym"},
    {ULSym, "ULSym"},
    {ULEndSym, "ULEndSym"},
    {DirSym, "DirSym"},
    {DirEndSym, "DirEndSym"},
    {MenuSym, "MenuSym"},
    {MenuEndSym, "MenuEndSym"},
    {DLSym, "DLSym"},
    {DLEndSym, "DLEndSym"},
    {DDSym, "DDSym"},
    {DTSym, "DTSym"},
    {AddressSym, "AddressSym"},
    {AddressEndSym, "AddressEndSym"},
    {BlockQuoteSym, "BlockQuoteSym"},
    {BlockQuoteEndSym, "BlockQuoteEndSym"},
    {PreSym, "PreSym"},
    {PreEndSym, "PreEndSym"},
    {ImageSym, "ImageSym"},
    {CenterSym, "CenterSym"},
    {CenterEndSym, "CenterEndSym"},
    {OtherAttrSym, "OtherAttrSym"},
    {ASym, "ASym"},
    {AEndSym, "AEndSym"},
    {HrefSym, "HrefSym"},
    {NameSym, "NameSym"},
    {SrcSym, "SrcSym"},
    {AltSym, "AltSym"},
    {AlignSym, "AlignSym"},
    {OtherCharSym, "OtherCharSym"},
    {UnknownTagSym, "UnknownTagSym"},
    {TextSym, "TextSym"},
    {EofSym, "EofSym"},
    {LinkSym, "LinkSym"},
    {BGColorSym, "BGColorSym"},
    {BackgroundSym, "BackgroundSym"},
    {TableSym, "TableSym"},
    {TableEndSym, "TableEndSym"},
    {TDSym, "TDSym"},
    {TDEndSym, "TDEndSym"},
    {TRSym, "TRSym"},
    {TREndSym, "TREndSym"},
    {THSym, "THSym"},
    {THEndSym, "THEndSym"},
    {ColSpanSym, "ColSpanSym"},
    {RowSpanSym, "RowSpanSym"},
    {BorderSym, "BorderSym"},
    {CellPaddingSym, "CellPaddingSym"},
    {CellSpacingSym, "CellSpacingSym"},
    {VAlignSym, "VAlignSym"},
    {WidthSym, "WidthSym"},
    {CaptionSym, "CaptionSym"},
    {CaptionEndSym, "CaptionEndSym"},
    {StartSym, "StartSym"},
    {ButtonSym, "ButtonSym"},
    {InputSym, "InputSym"},
    {ValueSym, "ValueSym"},
    {TypeSym, "TypeSym"},
    {CheckBoxSym, "CheckBoxSym"},
    {RadioSym, "RadioSym"},
    {FormSym, "FormSym"},
    {FormEndSym, "FormEndSym"},
    {MethodSym, "MethodSym"},
    {ActionSym, "ActionSym"},
    {CheckedSym, "CheckedSym"},
    {SizeSym, "SizeSym"},
    {MaxLengthSym, "MaxLengthSym"},
    {TextAreaSym, "TextAreaSym"},
    {TextAreaEndSym, "TextAreaEndSym"},
    {ColsSym, "ColsSym"},
    {RowsSym, "RowsSym"},
    {SelectSym, "SelectSym"},
    {SelectEndSym, "SelectEndSym"},
    {OptionSym, "OptionSym"},
    {OptionEndSym, "OptionEndSym"},
    {SelectedSym, "SelectedSym"},
    {MultipleSym, "MultipleSym"},
    {FontSym, "FontSym"},
    {FontEndSym, "FontEndSym"},
    {ColorSym, "ColorSym"},
    {FaceSym, "FaceSym"},
    {BaseFontSym, "BaseFontSym"},
    {TranspSym, "TranspSym"},
    {SubSym, "SubSym"},
    {SubEndSym, "SubEndSym"},
    {SupSym, "SupSym"},
    {SupEndSym, "SupEndSym"},
    {ClearSym, "ClearSym"},
    {IsMapSym, "IsMapSym"},
    {BigSym, "BigSym"},
    {BigEndSym, "BigEndSym"},
    {SmallSym, "SmallSym"},
    {SmallEndSym, "SmallEndSym"},
    {BorderColorSym, "BorderColorSym"},
    {MapSym, "MapSym"},
    {MapEndSym, "MapEndSym"},
    {AreaSym, "AreaSym"},
    {ShapeSym, "ShapeSym"},
    {CoordsSym, "CoordsSym"},
    {NoHrefSym, "NoHrefSym"},
    {UseMapSym, "UseMapSym"},
    {HeightSym, "HeightSym"},
    {PlainSym, "PlainSym"},
    {FrameSetSym, "FrameSetSym"},
    {FrameSetEndSym, "FrameSetEndSym"},
    {FrameSym, "FrameSym"},
    {TargetSym, "TargetSym"},
    {NoFramesSym, "NoFramesSym"},
    {NoFramesEndSym, "NoFramesEndSym"},
    {NoResizeSym, "NoResizeSym"},
    {ScrollingSym, "ScrollingSym"},
    {PageSym, "PageSym"},
    {HSpaceSym, "HSpaceSym"},
    {VSpaceSym, "VSpaceSym"},
    {ScriptSym, "ScriptSym"},
    {ScriptEndSym, "ScriptEndSym"},
    {LanguageSym, "LanguageSym"},
    {DivSym, "DivSym"},
    {DivEndSym, "DivEndSym"},
    {SSym, "SSym"},
    {SEndSym, "SEndSym"},
    {StrikeSym, "StrikeSym"},
    {StrikeEndSym, "StrikeEndSym"},
    {FrameBorderSym, "FrameBorderSym"},
    {MarginWidthSym, "MarginWidthSym"},
    {MarginHeightSym, "MarginHeightSym"},
    {BgSoundSym, "BgSoundSym"},
    {LoopSym, "LoopSym"},
    {OnClickSym, "OnClickSym"},
    {WrapSym, "WrapSym"},
    {NoShadeSym, "NoShadeSym"},
    {MetaSym, "MetaSym"},
    {HttpEqSym, "HttpEqSym"},
    {ContentSym, "ContentSym"},
    {EncTypeSym, "EncTypeSym"},
    {VLinkSym, "VLinkSym"},
    {OLinkSym, "OLinkSym"},
    {ActiveSym, "ActiveSym"},
    {PanelSym, "PanelSym"},
    {NoBrSym, "NoBrSym"},
    {NoBrEndSym, "NoBrEndSym"},
    {WbrSym, "WbrSym"},
    {ClassSym, "ClassSym"},
    {IdSym, "IdSym"},
    {StyleSym, "StyleSym"},
    {StyleEndSym, "StyleEndSym"},
    {SpanSym, "SpanSym"},
    {SpanEndSym, "SpanEndSym"},
    {RelSym, "RelSym"},
    {RevSym, "RevSym"},
    {NoWrapSym, "NoWrapSym"},
    {EolSym, "EolSym"},
    {XmpSym, "XmpSym"},
    {XmpEndSym, "XmpEndSym"},
    {ListingSym, "ListingSym"},
    {ListingEndSym, "ListingEndSym"},
    {CompactSym, "CompactSym"},
};

} // namespace

const char* SymbolName(Symbol sy) {
    static const std::array<const char*, 256> names = [] {
        std::array<const char*, 256> a{};
        a.fill("");
        for (const NameEntry& e : kSymbolNames)
            a[e.sy] = e.name;
        return a;
    }();
    return names[sy];
}

Symbol LookupTag(std::string_view upperName, bool endTag) {
    const int row = TagTable().Find(upperName);
    if (row < 0)
        return UnknownTagSym;
    return endTag ? kTags[row].end : kTags[row].start;
}

Symbol LookupAttribute(std::string_view upperName) {
    const int row = AttributeTable().Find(upperName);
    return row < 0 ? OtherAttrSym : kAttributes[row].sym;
}

const char* AttributeName(Symbol sy) {
    for (const AttrRow& r : kAttributes)
        if (r.sym == sy)
            return r.name;
    return "";
}

std::string StartTagName(Symbol start) {
    for (const TagRow& r : kTags)
        if (r.start == start)
            return Lower(r.name);
    return {};
}

std::string EndTagName(Symbol end) {
    if (end == UnknownTagSym)
        return {};
    for (const TagRow& r : kTags)
        if (r.end == end)
            return Lower(r.name);
    return {};
}

Symbol EndSymbolOf(Symbol start) {
    for (const TagRow& r : kTags)
        if (r.start == start)
            return r.end;
    return UnknownTagSym;
}
