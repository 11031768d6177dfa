#pragma once
// The pages the render benchmark reads: generated pages of known shape (long text with links
// and inline images, deep lists, big tables, many form controls) and the HTML help pages of a
// documentation package, all written to a temporary folder so both engines read them from
// disk as a user's page is read.
#include <string>
#include <vector>

namespace render_bench {

// Paragraphs of prose with links and inline images (with their sizes), about `bytes` long.
std::string ParagraphPage(size_t bytes);
// The same prose with accented words of western languages, in UTF-8 without a declaration
// (the benchmark also writes it in Windows-1252, the page's code-page twin).
std::string AccentedParagraphPage(size_t bytes);
// Paragraphs of Chinese and Japanese text (no spaces between words), in UTF-8.
std::string CjkParagraphPage(size_t bytes);
// Lists nested `depth` deep, bulleted and numbered in turn, a few items at each level.
std::string NestedListPage(int depth);
// A table of `rows` rows and six columns; every tenth row holds a small table in one cell.
std::string TablePage(int rows);
// A form of `controls` controls: text fields, check boxes, radio buttons, lists, memos and
// buttons in labelled rows.
std::string FormPage(int controls);

struct TPageSet {
    std::string Name;
    std::vector<std::string> Files;
    long long Bytes = 0;
};

// A temporary folder holding the pages, removed at exit.
class TPageFolder {
public:
    TPageFolder();
    ~TPageFolder();
    TPageFolder(const TPageFolder&) = delete;
    TPageFolder& operator=(const TPageFolder&) = delete;

    // Writes one page and returns its path.
    std::string Write(const std::string& name, const std::string& html);
    // Decompresses every *.html.gz (and copies every *.html) below `dir` into the folder.
    // Empty when the folder is missing.
    std::vector<std::string> CopyHelpPages(const std::string& dir);

private:
    std::string dir_;
};

std::string ReadFile(const std::string& path);

} // namespace render_bench
