#include "html/load/html_reader.h"

#include <algorithm>

#include "html/doc/block.h"
#include "html/doc/section_list.h"
#include "html/doc/text_section.h"
#include "html/load/reader_core.h"
#include "html/style/style_parser.h"
#include "platform/base/exceptions.h"
#include "platform/base/strings.h"
#include "platform/base/text_encoding.h"

// ---------------------------------------------------------------- sources

THtmlSource THtmlSource::File(std::string path) {
    THtmlSource s;
    s.kind_ = skFile;
    s.path_ = std::move(path);
    return s;
}

THtmlSource THtmlSource::Buffer(const char* data, size_t length) {
    THtmlSource s;
    s.kind_ = skBuffer;
    s.data_ = data;
    s.length_ = data ? length : 0;
    return s;
}

THtmlSource THtmlSource::Text(std::string_view text) {
    // An empty text is an empty document, not a missing one.
    static const char empty = 0;
    return Buffer(text.empty() ? &empty : text.data(), text.size());
}

THtmlSource THtmlSource::Strings(const TStringList* list) {
    THtmlSource s;
    s.kind_ = skStrings;
    s.list_ = list;
    return s;
}

THtmlSource THtmlSource::Stream(TStream* stream) {
    THtmlSource s;
    s.kind_ = skStream;
    s.stream_ = stream;
    return s;
}

bool THtmlSource::Missing() const {
    switch (kind_) {
    case skFile:
        return path_.empty();
    case skBuffer:
        return data_ == nullptr;
    case skStrings:
        return list_ == nullptr;
    case skStream:
        return stream_ == nullptr;
    }
    return true;
}

void THtmlSource::LoadInto(THtmlLexer& lexer) const {
    switch (kind_) {
    case skFile:
        lexer.LoadFile(path_);
        break;
    case skBuffer:
        lexer.LoadView(std::string_view(data_ ? data_ : "", data_ ? length_ : 0));
        break;
    case skStrings:
        if (list_)
            lexer.LoadStringList(*list_);
        else
            lexer.LoadString({});
        break;
    case skStream:
        if (stream_)
            lexer.LoadStream(*stream_);
        else
            lexer.LoadString({});
        break;
    }
}

// ---------------------------------------------------------------- the reader's state

THtmlReader::THtmlReader(TSectionList& doc, const TReaderHost& host) : doc_(doc), host_(host) {
    lex_.Sender = host.Viewer;
    lex_.OnInclude = host.OnInclude;
    lex_.IDNames = &doc.NamedPositions;
}

THtmlReader::~THtmlReader() = default;

void THtmlReader::Begin() {
    stack_.Clear();
    auto root = std::make_unique<TProperties>();
    if (doc_.StyleSheet.DefaultProps)
        root->CopyAsDefault(*doc_.StyleSheet.DefaultProps);
    root->Zoom = doc_.StyleSheet.Zoom;
    // Pages that do not say how they are written are read in the viewer's character set.
    lex_.DefaultEncoding = EncodingOfCharsetCode(root->Charset);
    stack_.Push(std::move(root));
    auto body = std::make_unique<TBodyBlock>(&doc_, &doc_, stack_[0]);
    body_ = body.get();
    doc_.Add(std::move(body));
    cell_ = body_->Content.get();
    link_.Clear();
    linkOpen_ = false;
    baseFontSize_ = 3;
    scriptKind_ = 0;
    form_ = nullptr;
    nesting_ = 0;
    floor_ = 1;
    tableDepth_ = 0;
    bodyTagSeen_ = false;
    NewSection(nullptr);
}

void THtmlReader::Finish() {
    // After an error the routines did not unwind their blocks: what is open stays where it
    // was made. The open section joins the cell it was being built for.
    CloseSection();
    DropSection();
    lex_.InPre = lex_.NoBreak = false;
    stack_.Clear();
}

void THtmlReader::ParseDocument(const THtmlSource& source) {
    Begin();
    try {
        source.LoadInto(lex_);
        lex_.Start();
        Next();
        DoBody(TSymSet());
    } catch (const Exception&) {
        // A parse error keeps the partial document.
    }
    Finish();
}

void THtmlReader::ParseText(const THtmlSource& source) {
    Begin();
    try {
        source.LoadInto(lex_);
        ReadPlainText();
    } catch (const Exception&) {
    }
    Finish();
}

bool THtmlReader::BodyEmpty() const {
    return body_->Content->Empty() && (!section_ || section_->TextLen() == 0) &&
           cell_ == body_->Content.get() && tableDepth_ == 0;
}

void THtmlReader::ZoomAttributes() {
    if (doc_.Zoom != 1)
        lex_.Attributes.ZoomLengths(lex_.Sy, doc_.Zoom);
}

TElemStyle THtmlReader::Capture() {
    TElemStyle s;
    s.Class = lex_.Attributes.TheClass();
    s.ID = lex_.Attributes.TheID();
    if (const TAttribute* a = lex_.Attributes.Find(StyleSym)) {
        s.Style = std::make_shared<TProperties>();
        ParseStyleAttribute(a->Str, *s.Style);
    }
    return s;
}

TProperties& THtmlReader::PushLevel(const std::string& tag, const TElemStyle* style,
                                    const std::string& pseudo) {
    auto props = std::make_unique<TProperties>();
    props->InheritFrom(stack_.Last());
    TProperties& top = stack_.Push(std::move(props));
    peakLevels_ = std::max(peakLevels_, stack_.Count());
    static const TElemStyle none;
    const TElemStyle& s = style ? *style : none;
    top.ApplyStyles(doc_.StyleSheet, &stack_, tag, s.Class, s.ID, pseudo, s.Style.get());
    if (doc_.StyleSheet.HasPseudoElements && pseudo.empty())
        TakePseudoElements(top, s);
    return top;
}

namespace {
// Elements whose text starts on a line of its own, so that they have a first line.
bool HasFirstLine(const std::string& tag) {
    static constexpr std::string_view kBlocks[] = {
        "address", "blockquote", "body", "caption", "center", "dd", "dir", "div", "dl",
        "dt",      "form",       "h1",   "h2",      "h3",     "h4", "h5",  "h6",  "li",
        "menu",    "ol",         "p",    "pre",     "td",     "th", "ul",
    };
    return std::find(std::begin(kBlocks), std::end(kBlocks), tag) != std::end(kBlocks);
}
} // namespace

void THtmlReader::TakePseudoElements(TProperties& top, const TElemStyle& style) {
    if (!HasFirstLine(top.ElemTag))
        return;
    auto line = std::make_shared<TProperties>();
    line->InheritFrom(top);
    const bool hasLine = line->ApplyPseudoElement(doc_.StyleSheet, &stack_, top.ElemTag,
                                                  style.Class, style.ID, "first-line", true);
    auto letter = std::make_shared<TProperties>();
    const bool hasLetter = letter->ApplyPseudoElement(doc_.StyleSheet, &stack_, top.ElemTag,
                                                      style.Class, style.ID, "first-letter", false);
    if (!hasLine && !hasLetter)
        return;
    auto pseudo = std::make_shared<TPseudoElements>();
    pseudo->Block = std::make_shared<TProperties>(top);
    if (hasLine)
        pseudo->FirstLine = std::move(line);
    if (hasLetter)
        pseudo->FirstLetter = std::move(letter);
    top.Pseudo = std::move(pseudo);
}

void THtmlReader::AttachPseudo() {
    if (!doc_.StyleSheet.HasPseudoElements || !section_)
        return;
    // The nearest open block whose first line is still to come: this section's first line is
    // that block's first line.
    for (int i = stack_.Count() - 1; i >= 0; --i) {
        if (stack_[i].Pseudo) {
            section_->SetPseudoElements(stack_[i].Pseudo, Top());
            return;
        }
    }
}

bool THtmlReader::PushInline(const std::string& tag, const TElemStyle& style) {
    if (stack_.Count() >= kMaxInlineLevels)
        return false;
    PushLevel(tag, &style).SetFontBG();
    return true;
}

void THtmlReader::PushLinkLevels(const TElemStyle& anchor) {
    // With the anchor's class, id and style attribute, so that rules such as a.nav or
    // .nav:hover, and a colour in the style attribute, give the link its colours.
    for (const char* pseudo : {"link", "hover", "visited"})
        PushLevel("a", &anchor, pseudo);
}

bool THtmlReader::PopLevel(const std::string& tag) {
    int found = -1;
    for (int i = stack_.Count() - 1; i >= std::max(floor_, 1); --i) {
        if (stack_[i].ElemTag == tag) {
            found = i;
            break;
        }
    }
    if (found < 0)
        return false;
    if (found == stack_.Count() - 1) {
        stack_.Pop();
        return true;
    }
    // A misnested end tag: the element it names goes, the elements opened after it stay and
    // take what no rule set from their new parent.
    std::vector<std::unique_ptr<TProperties>> above;
    for (int i = found + 1; i < stack_.Count(); ++i)
        above.push_back(std::make_unique<TProperties>(stack_[i]));
    stack_.PopTo(found);
    for (auto& level : above) {
        level->RefreshUnset(stack_.Last());
        stack_.Push(std::move(level));
    }
    return true;
}

void THtmlReader::SetAlign(const TAttributeList& attrs) {
    if (const TAttribute* a = attrs.Find(AlignSym)) {
        const std::string v = LowerCase(a->Str);
        if (v == "left" || v == "center" || v == "right")
            SetAlignValue(v);
    }
}

void THtmlReader::SetAlignValue(const std::string& align) {
    TProperties& top = Top();
    if (top.SetByAuthor[piTextAlign])
        return; // a style rule of the document decides
    top.SetIfUnset(TPropValue(align), piTextAlign);
    top.AlignsTables = true;
}

void THtmlReader::FontChanged() {
    if (section_)
        section_->ChangeFont(Top(), scriptKind_);
}

void THtmlReader::OpenStyle(Symbol start) {
    PushInline(StartTagName(start), Capture());
    FontChanged();
}

void THtmlReader::CloseStyle(Symbol end) {
    PopLevel(EndTagName(end));
    FontChanged();
}

void THtmlReader::NewSection(TAttributeList* attrs) {
    CloseSection();
    DropSection();
    section_ = std::make_unique<TSection>(&doc_, link_, Top(), attrs);
    AttachPseudo();
}

void THtmlReader::EnsureSection() {
    if (!section_)
        NewSection(nullptr);
}

void THtmlReader::CloseSection() {
    if (!section_ || !cell_)
        return;
    // What the cell keeps: every preformatted section, other sections with text.
    const bool keep =
        dynamic_cast<TPreFormated*>(section_.get()) != nullptr || section_->TextLen() > 0;
    TSection* s = section_.get();
    if (keep && doc_.StyleSheet.HasPseudoElements) {
        // The first line of every open block has been laid down now.
        for (int i = 0; i < stack_.Count(); ++i)
            stack_[i].Pseudo.reset();
    }
    cell_->Add(std::move(section_));
    RegisterAnchors(keep ? s : nullptr);
}

void THtmlReader::DropSection() {
    section_.reset();
    RegisterAnchors(nullptr);
}

void THtmlReader::RegisterAnchors(TSection* kept) {
    for (const TPendingAnchor& a : anchors_) {
        if (kept)
            doc_.NamedPositions.AddObject(a.Name, kept);
        else
            doc_.NamedPositions.AddChPosObject(a.Name, a.Position);
    }
    anchors_.clear();
}

TCellBasic* THtmlReader::EnterBlock(std::unique_ptr<TBlock> block) {
    TCellBasic* outer = cell_;
    TBlock* b = block.get();
    cell_->Add(std::move(block));
    cell_ = b->Content.get();
    return outer;
}

TCellBasic* THtmlReader::OpenBlock() {
    return EnterBlock(std::make_unique<TBlock>(&doc_, cell_, Top()));
}

void THtmlReader::LeaveBlock(TCellBasic* outer) {
    CloseSection();
    DropTrailingDefaultMargins(*cell_);
    cell_ = outer;
}

void THtmlReader::CloseLink() {
    if (linkOpen_) {
        link_.Clear();
        linkOpen_ = false;
        for (int i = 0; i < 3; ++i)
            PopLevel("a");
    }
    PopLevel("a");
    if (section_)
        section_->StartLinkRun(false, Top(), link_, scriptKind_);
}

// ---------------------------------------------------------------- entry points

void ParseHTMLDocument(TSectionList& doc, const THtmlSource& source, const TReaderHost& host) {
    THtmlReader reader(doc, host);
    reader.ParseDocument(source);
}

void ParseHTMLText(TSectionList& doc, const THtmlSource& source) {
    TReaderHost host;
    THtmlReader reader(doc, host);
    reader.ParseText(source);
}
