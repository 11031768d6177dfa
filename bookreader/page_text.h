#pragma once
// The text of a book's page as its reader shows it: the page read with the document reader
// (entities decoded, tags, comments and scripts dropped, white space collapsed as the viewer
// collapses it), then the characters of its text sections in the order the viewer counts them.
// A character's position here is its index in the laid-out document, the unit the viewer
// selects and finds text in, so a word found here can be selected in the window.
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "bookreader/search_words.h"
#include "html/load/html_reader.h"

class TSectionList;

// Which members are pages: HTML by its extension, text files shown preformatted.
enum class TPageKind { pkNone, pkHtml, pkText };
TPageKind PageKindOf(std::string_view fileName);

struct TPageText {
    std::string Text;           // 8-bit characters, one per document character index
    std::vector<TCodeRun> Runs; // one for each text section, with its code page
    std::string Title;          // UTF-8; empty when the page has none
};

// Reads pages one after the other into one reusable document.
class TPageTextReader {
public:
    TPageTextReader();
    ~TPageTextReader();
    TPageTextReader(const TPageTextReader&) = delete;
    TPageTextReader& operator=(const TPageTextReader&) = delete;

    // A frame-set document has no text of its own: its frames are pages of their own. Linked
    // style sheets come through sheets, as the window's viewer gets them (none when unset).
    TPageText Read(std::string_view bytes, TPageKind kind, const TStreamRequestEvent& sheets = {});

private:
    std::unique_ptr<TSectionList> doc_;
};
