#pragma once
// The HTML lexer: turns the bytes of one document into symbols for the document reader. One
// object per parse; each ReadSymbol leaves one symbol in Sy, text in Token (with the source
// position of every character) and the attributes of the last tag in Attributes.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "html/reader/attributes.h"
#include "html/reader/symbols.h"
#include "html/reader/token_obj.h"
#include "platform/base/string_list.h"
#include "platform/base/strings.h"

class TStream;
class TIDNameList;

constexpr char EofChar = 26;     // what the source gives at its end
constexpr char CrChar = 13;      // every line end arrives as one CR
constexpr char NoBreakSpace = 5; // collapsed white space inside NOBR

// A server-side include (<!--#command NAME="value" -->): the handler gets the command, the
// parameters ("NAME=\"value\"", names upper case) and answers the text to read in its place.
using TIncludeEvent = std::function<void(TObject* sender, const std::string& command,
                                         std::unique_ptr<TStringList> params, std::string& text)>;
// The text of a SCRIPT element (lines joined with CR LF), with its NAME and LANGUAGE values.
using TScriptEvent = std::function<void(TObject* sender, const std::string& name,
                                        const std::string& language, std::string text)>;

class THtmlLexer {
public:
    THtmlLexer();
    // The source view may point into the lexer's own buffer: no copies.
    THtmlLexer(const THtmlLexer&) = delete;
    THtmlLexer& operator=(const THtmlLexer&) = delete;

    // Sources: every kind is read from one buffer in memory, as UTF-8. The bytes are decoded
    // from the encoding their byte-order mark, META or XML declaration names, else UTF-8 when
    // they are valid UTF-8 with something beyond ASCII, else DefaultEncoding; bytes that do
    // not decode become U+FFFD.
    void LoadBuffer(const char* data, size_t length);
    void LoadString(std::string text);
    // Reads the text in place when it needs no decoding: the caller keeps it alive for the
    // whole parse.
    void LoadView(std::string_view text);
    void LoadStringList(const TStringList& list); // its whole text
    void LoadStream(TStream& stream);             // from its start
    void LoadFile(const std::string& path);       // raises EFOpenError

    // Reads the first character (call once after loading), then ReadSymbol for each symbol.
    void Start() { Advance(); }
    void ReadSymbol();
    // Content of TEXTAREA: EolSym at line ends, TextAreaEndSym at "</textarea".
    void ReadTextAreaSymbol();
    // Content of SCRIPT, after the SCRIPT tag was read (its NAME and LANGUAGE still in
    // Attributes): gathers the text for the handler, or drops it without one. Ends with
    // ScriptEndSym or EofSym in Sy.
    void ReadScript(const TScriptEvent& onScript);

    // The character layer, also used by the style sheet reader for STYLE elements.
    void ReadFoldedChar();
    // The next raw byte of the UTF-8 source, not consumed (EofChar at the end).
    char PeekRawChar() const;
    void Advance();
    void SkipBlanks();
    // Whether the current character (a blank then) was a tab in the source: preformatted text
    // sets its own tab stops.
    bool CurrentIsTab() const { return !inInclude_ && tabNext_ == next_ && LCh == ' '; }
    // Reads one entity ("&" current) into a token: the character(s) on success, else the
    // raw text consumed.
    void ReadEntity(TokenObj& into);

    // State (read by the document reader; the flags are set by it).
    Symbol Sy = EofSym;
    char LCh = EofChar;           // current byte of the UTF-8 source, case as written
    char LCUpper = EofChar;       // current character, ASCII letters upper-cased
    int32_t Position = -1;        // character index of LCh in the source; -1 before the first read
    int32_t TagStartPosition = 0; // position of the "<" of the last tag
    int HeadingLevel = 0;         // 1..6 for H and end H, else 0
    bool InComment = false;
    bool NoComment = false; // set while script text is read: "<!" is not special
    bool InPre = false;     // white space is kept
    bool NoBreak = false;   // collapsed white space becomes NoBreakSpace
    // Set by the reader from the white-space style in force before each symbol: pre keeps
    // white space (tabs as tabs), nowrap acts as NoBreak.
    bool StylePre = false;
    bool StyleNoBreak = false;
    bool NoBreaking() const { return NoBreak || StyleNoBreak; }
    TokenObj Token;
    TAttributeList Attributes;

    // The encoding of sources that do not name theirs (the viewer's default character set),
    // and the one the last source was read in.
    std::string DefaultEncoding = "windows-1252";
    std::string Encoding;
    TIDNameList* IDNames = nullptr; // ID attributes are entered here when set
    TIncludeEvent OnInclude;
    TObject* Sender = nullptr; // handed to the events

    // The main source and how far it is read (for the style sheet reader's own use).
    std::string_view Source() const { return src_; }

private:
    void UseSource(std::string_view bytes, std::string* owned);
    char ReadRawChar();
    void SkipComment();
    void DoInclude();
    bool ReadTag();
    bool ReadAttribute(TAttribute& attr);
    void ReadText();
    void ReadScriptSymbol();
    void ResetState();

    std::string buf_; // the whole document
    std::string_view src_;
    size_t next_ = 0; // index of the next raw byte of the main source
    std::string include_;
    size_t includeNext_ = 0;
    bool inInclude_ = false;
    bool inIncludeParams_ = false; // include parameters are read inside the comment
    int lineEnd_ = 0;              // 1 after a CR, 2 after an LF
    size_t tabNext_ = 0;           // next_ just after the last tab read from the main source
    std::string name_;             // scratch for tag and attribute names
    TokenObj entity_;              // an entity inside an attribute value
    TokenObj rawEntity_;           // what an entity consumed, kept for a failed one
};
