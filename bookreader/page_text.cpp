#include "bookreader/page_text.h"

#include "bookreader/search_words.h"

#include "html/doc/block.h"
#include "html/doc/html_table.h"
#include "html/doc/section_list.h"
#include "html/doc/text_section.h"
#include "platform/base/strings.h"

namespace {

// The viewer's page margins and default fonts: the text does not depend on them, but the
// reader makes its sections with them.
constexpr int32_t kMarginWidth = 10;
constexpr int32_t kMarginHeight = 5;

void AddSections(const TCellBasic& cell, TPageText& out);

void AddText(const TSection& section, TPageText& out) {
    const std::u32string& text = section.Text();
    if (text.empty())
        return;
    // Words end where a section does: its text starts a new block, cell or line in the page.
    out.Sections.push_back(static_cast<int32_t>(out.Text.size()));
    out.Text += text;
}

// The order layout hands out character indexes in: a cell's children one after the other,
// a block's content, a table's caption above (or below) its cells taken row by row.
void AddSection(TSectionBase* section, TPageText& out) {
    if (const auto* text = dynamic_cast<const TSection*>(section)) {
        AddText(*text, out);
    } else if (const auto* block = dynamic_cast<const TBlock*>(section)) {
        if (block->Content)
            AddSections(*block->Content, out);
    } else if (const auto* table = dynamic_cast<const ThtmlTable*>(section)) {
        const bool caption = table->Caption && table->Caption->IsCell();
        if (caption && table->CaptionOnTop)
            AddSections(*table->Caption->Cell, out);
        for (const auto& row : table->Rows) {
            if (!row)
                continue;
            for (const auto& cell : row->Cells)
                if (cell && cell->IsCell())
                    AddSections(*cell->Cell, out);
        }
        if (caption && !table->CaptionOnTop)
            AddSections(*table->Caption->Cell, out);
    }
}

void AddSections(const TCellBasic& cell, TPageText& out) {
    for (int i = 0; i < cell.Count(); ++i)
        AddSection(cell.Items(i), out);
}

} // namespace

bool IsPageName(std::string_view fileName) {
    const size_t dot = fileName.rfind('.');
    if (dot == std::string_view::npos)
        return false;
    const std::string_view ext = fileName.substr(dot);
    return SameText(ext, ".htm") || SameText(ext, ".html") || SameText(ext, ".txt");
}

TPageTextReader::TPageTextReader() : doc_(std::make_unique<TSectionList>(nullptr, nullptr)) {}

TPageTextReader::~TPageTextReader() = default;

TPageText TPageTextReader::Read(std::string_view bytes, const TStreamRequestEvent& sheets) {
    TPageText page;
    const THtmlSource source = THtmlSource::Buffer(bytes.data(), bytes.size());
    if (IsFrameSetDocument(source))
        return page;
    TSectionList& doc = *doc_;
    doc.Clear();
    doc.Title.clear();
    doc.Base.clear();
    doc.BaseTarget.clear();
    doc.SetDefaults("Times New Roman", "Courier New", 12, clBlack, clBlue, clPurple, clBlue, false,
                    clBtnFace, true, kMarginWidth, kMarginHeight, 0);
    TReaderHost host;
    host.MarginWidth = kMarginWidth;
    host.MarginHeight = kMarginHeight;
    host.OnStreamRequest = sheets;
    ParseHTMLDocument(doc, source, host);
    AddSections(doc, page);
    // The title is UTF-8, shown on one line: line ends and other control characters become
    // single spaces, and a byte that is no UTF-8 becomes U+FFFD.
    const std::string title = Trim(doc.Title);
    for (size_t i = 0; i < title.size();) {
        const int32_t c = DecodeUtf8(title, i);
        if (c >= 0 && BreaksLine(static_cast<char32_t>(c))) {
            if (!page.Title.empty() && page.Title.back() != ' ')
                page.Title += ' ';
        } else {
            AppendUtf8(page.Title, c < 0 ? U'\uFFFD' : static_cast<char32_t>(c));
        }
    }
    while (!page.Title.empty() && page.Title.back() == ' ')
        page.Title.pop_back();
    doc.Clear();
    return page;
}
