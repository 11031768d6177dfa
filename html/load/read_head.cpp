// Head elements (TITLE, BASE, META, LINK, STYLE, BGSOUND) and client-side image maps.
#include "html/doc/section_list.h"
#include "html/doc/text_section.h"
#include "html/load/reader_core.h"
#include "html/reader/url_subs.h"
#include "html/style/style_parser.h"
#include "platform/base/exceptions.h"
#include "platform/base/files.h"
#include "platform/base/strings.h"
#include "platform/base/text_encoding.h"

namespace {

// Text of nothing but white space (as the lexer gives it between tags).
bool IsBlankText(const std::string& text) {
    for (const char c : text)
        if (c != ' ' && c != '\t' && c != '\r' && c != '\n')
            return false;
    return true;
}

constexpr size_t kMaxTitle = 4096;
// A linked style sheet larger than this is read up to this size.
constexpr size_t kMaxStyleSheet = 16 * 1024 * 1024;

std::string AttrText(const TAttributeList& attrs, Symbol sy) {
    const TAttribute* a = attrs.Find(sy);
    return a ? a->Str : std::string();
}

// Every line end becomes one CR, which the style sheet parser takes as white space.
std::string NormaliseLineEnds(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\r') {
            out += '\r';
            if (i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
        } else if (c == '\n') {
            out += '\r';
        } else {
            out += c;
        }
    }
    return out;
}

} // namespace

int CharsetFromContent(const std::string& content) {
    const std::string encoding = EncodingOfContentType(content);
    return encoding.empty() ? -1 : CharsetCodeOfEncoding(encoding);
}

void THtmlReader::DoTitle(bool keep) {
    std::string title;
    Next();
    while (lex_.Sy == TextSym) {
        if (title.size() < kMaxTitle)
            title += lex_.Token.Text();
        Next();
    }
    if (!keep)
        return;
    TruncateUtf8(title, kMaxTitle);
    doc_.Title = std::move(title);
}

void THtmlReader::DoBase() {
    if (const TAttribute* a = lex_.Attributes.Find(HrefSym))
        doc_.Base = a->Str;
    if (const TAttribute* a = lex_.Attributes.Find(TargetSym))
        doc_.BaseTarget = a->Str;
}

void THtmlReader::DoMeta() {
    const std::string httpEquiv = AttrText(lex_.Attributes, HttpEqSym);
    const std::string name = AttrText(lex_.Attributes, NameSym);
    const std::string content = AttrText(lex_.Attributes, ContentSym);
    if (host_.IsDocumentViewer && SameText(httpEquiv, "content-type")) {
        const int charset = CharsetFromContent(content);
        if (charset >= 0) {
            // The text itself was decoded before reading began; the set stays in the fonts.
            Top().Charset = static_cast<uint8_t>(charset);
            // The empty section waiting for the first text was made with the old set.
            if (section_ && section_->TextLen() == 0 && !section_->HasAnchor) {
                DropSection();
                NewSection(nullptr);
            }
        }
    }
    if (host_.OnMeta)
        host_.OnMeta(host_.Viewer, httpEquiv, name, content);
}

void THtmlReader::DoLink() {
    const std::string rel = AttrText(lex_.Attributes, RelSym);
    const std::string rev = AttrText(lex_.Attributes, RevSym);
    const TAttribute* href = lex_.Attributes.Find(HrefSym);
    if (href && (SameText(rel, "stylesheet") || SameText(rev, "stylesheet")))
        LoadStyleSheet(href->Str);
}

void THtmlReader::LoadStyleSheet(const std::string& href) {
    std::string text, base;
    try {
        if (host_.OnStreamRequest) {
            std::string url = href;
            if (doc_.OnExpandName)
                doc_.OnExpandName(host_.Viewer, href, url);
            base = UrlBase(url);
            TMemoryStream* stream = nullptr;
            host_.OnStreamRequest(host_.Viewer, url, stream);
            if (!stream)
                return;
            text = stream->DataString();
        } else {
            if (!doc_.HtmlExpandFilename)
                return;
            const std::string file = doc_.HtmlExpandFilename(href);
            if (file.empty() || !FileExists(file))
                return;
            base = ExtractFilePath(file);
            TMemoryStream stream;
            stream.LoadFromFile(file);
            text = stream.DataString();
        }
    } catch (const Exception&) {
        return; // a sheet that cannot be read is left out
    }
    if (text.size() > kMaxStyleSheet)
        text.resize(kMaxStyleSheet);
    // A sheet's own byte-order mark or @charset names its encoding; else it is UTF-8 when it
    // reads as such, else in the page's encoding.
    const TEncodingGuess guess = SniffCssEncoding(text, lex_.Encoding);
    ParseStyleText(doc_.StyleSheet, NormaliseLineEnds(DecodeToUtf8(text, guess.Encoding)), base);
}

void THtmlReader::ReadStyleElement() {
    // The style sheet parser reads the element's text straight from the character layer,
    // starting at the ">" of the STYLE tag, and stops at the "<" of what follows.
    char ch = lex_.LCh;
    ParseStyleSheet(doc_.StyleSheet, ch,
                    [this] {
                        lex_.ReadFoldedChar();
                        return lex_.LCh;
                    },
                    {});
}

void THtmlReader::DoSound() {
    const TAttribute* src = lex_.Attributes.Find(SrcSym);
    if (!host_.OnSoundRequest || !src)
        return;
    const TAttribute* loop = lex_.Attributes.Find(LoopSym);
    host_.OnSoundRequest(host_.Viewer, src->Str, loop ? loop->Value : 1, false);
}

// MAP: its areas up to the MAP end tag. A map whose end tag does not come before three
// other tags is dropped, and the tag that gave it up is left for the caller.
void THtmlReader::DoMap(bool readNext) {
    auto map = std::make_unique<TMapItem>();
    map->MapName = UpperCase(AttrText(lex_.Attributes, NameSym));
    Next();
    // Areas and the white space between them belong to the map. Anything else ends it, also
    // when the end tag is missing (pages often leave it out): the map keeps its areas and the
    // symbol is left for the caller, so the content after the map is shown.
    while (lex_.Sy != EofSym && lex_.Sy != MapEndSym) {
        if (lex_.Sy == AreaSym)
            map->AddArea(lex_.Attributes);
        else if (!(lex_.Sy == TextSym && IsBlankText(lex_.Token.Text())))
            break;
        Next();
    }
    const bool ended = lex_.Sy == MapEndSym;
    doc_.MapList.Add(std::move(map));
    if (ended && readNext)
        Next();
}
