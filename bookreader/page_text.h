#pragma once
// The text of a book's page as its reader shows it: the page read with the document reader
// (entities decoded, tags, comments and scripts dropped, white space collapsed as the viewer
// collapses it), then the characters of its text sections in the order the viewer counts them.
// A character's position here is its index in the laid-out document, the unit the viewer
// selects and finds text in, so a word found here can be selected in the window.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "html/load/html_reader.h"

class TSectionList;

// Whether a member is a page: HTML or a text file, by its extension.
bool IsPageName(std::string_view fileName);

struct TPageText {
    std::u32string Text; // one code point per document character index
    // Where each text section's characters start in Text, ascending: a section is a new block,
    // cell or line of the page, and no word goes on over its start although no space stands
    // there in the text.
    std::vector<int32_t> Sections;
    std::string Title; // UTF-8 on one line; empty when the page has none
};

// Reads pages one after the other into one reusable document.
class TPageTextReader {
public:
    TPageTextReader();
    ~TPageTextReader();
    TPageTextReader(const TPageTextReader&) = delete;
    TPageTextReader& operator=(const TPageTextReader&) = delete;

    // Reads a page as the reader's window reads what the book serves: as HTML, a text file too
    // (the frame viewer reads every document its owner hands it as HTML), so that a hit lies
    // where the window shows it. A frame-set document has no text of its own: its frames are
    // pages of their own. Linked style sheets come through sheets (none when unset).
    TPageText Read(std::string_view bytes, const TStreamRequestEvent& sheets = {});

private:
    std::unique_ptr<TSectionList> doc_;
};
