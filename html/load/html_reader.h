#pragma once
// The document reader: reads one HTML document through the lexer and builds the section tree
// of a TSectionList (blocks, text sections, tables, forms, images), with a property set for
// every element from the document's style sheet. It also tells frame-set documents from pages
// and reads frame sets for a frame viewer.
//
// Errors of the exception family (an unterminated comment, a file that cannot be opened) end
// a parse quietly: what was built so far stays.
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "html/load/frame_viewer_base.h"
#include "html/reader/html_lexer.h"
#include "platform/base/streams.h"
#include "platform/base/string_list.h"

class TSectionList;

// Where a document comes from: a file, bytes in memory, the text of a string list or a
// stream. Nothing is copied until the parse loads it; the caller keeps the source alive
// during the parse.
class THtmlSource {
public:
    static THtmlSource File(std::string path);
    static THtmlSource Buffer(const char* data, size_t length);
    static THtmlSource Text(std::string_view text);
    static THtmlSource Strings(const TStringList* list);
    static THtmlSource Stream(TStream* stream);

    // A kind was given but nothing to read (no buffer, list or stream).
    bool Missing() const;
    // The file name for a file source, else "".
    const std::string& FileName() const { return path_; }
    void LoadInto(THtmlLexer& lexer) const;

private:
    enum Kind { skFile, skBuffer, skStrings, skStream };
    Kind kind_ = skBuffer;
    std::string path_;
    const char* data_ = nullptr;
    size_t length_ = 0;
    const TStringList* list_ = nullptr;
    TStream* stream_ = nullptr;
};

// The host of the text in a stream: the stream belongs to the host.
using TStreamRequestEvent =
    std::function<void(TObject* sender, const std::string& url, TMemoryStream*& stream)>;

// What the control that asked for a parse offers the reader.
struct TReaderHost {
    TObject* Viewer = nullptr; // the sender of every event
    // META content-type selects a character set only for a document viewer (not a frame set).
    bool IsDocumentViewer = true;
    int32_t MarginWidth = 10; // the page margins a BODY starts from
    int32_t MarginHeight = 5;
    TIncludeEvent OnInclude;
    TScriptEvent OnScript;
    TSoundRequestEvent OnSoundRequest;
    TMetaEvent OnMeta;
    // Linked style sheets come through this when set (names expanded by the document's
    // OnExpandName); otherwise they are read as files named by the document's
    // HtmlExpandFilename.
    TStreamRequestEvent OnStreamRequest;
};

// Reads an HTML document into doc (already cleared and given its defaults).
void ParseHTMLDocument(TSectionList& doc, const THtmlSource& source, const TReaderHost& host);
// Reads a text file into doc: every line preformatted, no tags or entities.
void ParseHTMLText(TSectionList& doc, const THtmlSource& source);
// True when the document is a frame set: a FRAMESET comes before anything of a page body.
bool IsFrameSetDocument(const THtmlSource& source);
// Reads the head and the frame sets of a frame-set document, calling the frame operations of
// viewer; owner is the outermost frame set's owner.
void ParseFrameDocument(TFrameViewerBase& viewer, TObject* owner, const THtmlSource& source);
