#include "bookreader/page_text.h"

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
    if (section.TextBuf.empty())
        return;
    // Every section starts a run: words end where a section does, as its text starts a new
    // block, cell or line in the page.
    out.Runs.push_back(
        {static_cast<int32_t>(out.Text.size()), CodePageOfCharset(section.BaseFont.Charset)});
    out.Text += section.TextBuf;
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
    // The title's bytes are in the code page the page declared, which its text took too. It is
    // shown on one line: line ends and other control characters become single spaces.
    const TCodePage cp = page.Runs.empty() ? TCodePage::cp1252 : page.Runs.front().CodePage;
    std::string title;
    for (const char c : Trim(doc.Title)) {
        const bool control = static_cast<uint8_t>(c) < 0x20 || c == 0x7F;
        if (!control)
            title += c;
        else if (!title.empty() && title.back() != ' ')
            title += ' ';
    }
    page.Title = ToUtf8(title, cp);
    doc.Clear();
    return page;
}
