#pragma once
// The same one-way table as the includes, read from the other side: what each folder's
// CMakeLists.txt links. A library that links a library it may not use would let its sources
// call it through a declaration of their own, and the program would still build; only the link
// lines show it. Paths are relative to the repository root ("html/doc/CMakeLists.txt").
#include <string>
#include <vector>

namespace folio_layering {

// One target and what it links, as written in a CMakeLists.txt.
struct TLinkLine {
    std::string File; // the CMakeLists.txt
    int Line = 0;     // 1-based, of the call
    std::string Target;
    bool Program = false;           // add_executable rather than folio_library
    std::vector<std::string> Links; // the libraries named, keywords left out
};

// The targets folio_library() declares and the links of folio_library() and
// target_link_libraries() in one CMakeLists.txt's text (comments skipped, calls may span
// lines).
std::vector<TLinkLine> ReadLinkLines(const std::string& file, const std::string& text);

struct TLinkViolation {
    std::string File;
    int Line = 0;
    std::string Target;
    std::string Link;
    std::string Rule;
};

// Checks the link lines of the whole tree at once: a folio_* library is known by the folder
// whose CMakeLists.txt declares it. Libraries link only the libraries of the table their
// folder may use and the outside libraries allowed for them; no library but the programs'
// own links the toolkit.
std::vector<TLinkViolation> CheckLinks(const std::vector<TLinkLine>& lines);

// "file:line: target links X: rule" for a failure message.
std::string Describe(const TLinkViolation& v);

} // namespace folio_layering
