#pragma once
// The text of a page straight from the lexer, for the search index: what the document reader
// would put in the page's text sections, without laying anything out. Tags are dropped, the
// entities and the page's character set decoded by the lexer, SCRIPT, STYLE, TEXTAREA and
// SELECT content and the title left out of the text (the title is kept on its own), white
// space collapsed outside preformatted text, and a new section started where the document
// reader starts a new block, cell or line. A table caption set below its table follows the
// table's cells, as in the laid-out page.
//
// The character positions are close to the laid-out page's but not promised to be equal: a hit
// is placed exactly by reading its page with the document reader when it is opened.
#include <string_view>

#include "bookreader/page_text.h"

// The text of one HTML page (a text file is read as HTML too, as the window reads it). A frame
// set has no text of its own. Safe to call from several threads at once.
TPageText LexPageText(std::string_view bytes);
