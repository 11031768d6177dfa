#include "bookreader/search_pane.h"

#include "platform/base/strings.h"

namespace {

constexpr int kPaneHeight = 150;
constexpr int kSideWidth = 76;
constexpr int kCloseHeight = 26;

std::string Count(size_t n, const char* one, const char* many) {
    return IntToStr(static_cast<int64_t>(n)) + " " + (n == 1 ? one : many);
}

} // namespace

TSearchPane::TSearchPane() {
    SetAlign(TAlign::alBottom);
    SetHeight(kPaneHeight);
    SetBevels(TBevelCut::bvNone, TBevelCut::bvNone, 0);
    SetVisible(false);

    Side.SetParent(this);
    Side.SetAlign(TAlign::alRight);
    Side.SetWidth(kSideWidth);
    Side.SetBevels(TBevelCut::bvNone, TBevelCut::bvNone, 2);
    CloseButton.SetParent(&Side);
    CloseButton.SetAlign(TAlign::alTop);
    CloseButton.SetHeight(kCloseHeight);
    CloseButton.SetCaption("Close");
    CloseButton.OnClick = [this](TControl&) { Close(); };

    List.SetParent(this);
    List.SetAlign(TAlign::alClient);
    List.SetExtendedSelect(false);
    List.OnClick = [this](TControl&) { Choose(List.ItemIndex()); };
    const auto escape = [this](TControl&, int& key, TShiftState) {
        if (key == VK_ESCAPE) {
            key = 0;
            Close();
        } else if (key == VK_RETURN) {
            key = 0;
            Choose(List.ItemIndex());
        }
    };
    List.OnKeyDown = escape;
    CloseButton.OnKeyDown = [this](TControl&, int& key, TShiftState) {
        if (key == VK_ESCAPE) {
            key = 0;
            Close();
        }
    };
}

void TSearchPane::ShowMessage(const std::string& text) {
    pages_.clear();
    List.SetItems({text});
    SetVisible(true);
}

std::vector<std::string> TSearchPane::Lines(const TBookSearchResult& result,
                                            const std::string& query) {
    std::vector<std::string> lines;
    const std::string quoted = "\"" + query + "\"";
    if (result.Total == 0) {
        lines.push_back("No page holds " + quoted + ".");
        return lines;
    }
    std::string summary = (result.Stopped ? "At least " : "") +
                          Count(result.Pages.size(), "page holds ", "pages hold ") + quoted + " (" +
                          Count(result.Total, "hit", "hits") + ")";
    size_t listed = 0;
    for (const TBookSearchPage& p : result.Pages)
        listed += p.FirstHit >= 0;
    if (listed < result.Pages.size())
        summary += "; the first " + IntToStr(static_cast<int64_t>(listed)) + " are listed";
    lines.push_back(summary + ":");
    for (const TBookSearchPage& p : result.Pages) {
        if (p.FirstHit < 0)
            break;
        std::string line = p.Title + "  (" + Count(p.Count, "hit", "hits") + ")";
        const int best = p.BestHit >= 0 ? p.BestHit : p.FirstHit;
        if (best >= 0 && static_cast<size_t>(best) < result.Hits.size())
            line += "  -  " + result.Hits[static_cast<size_t>(best)].Context;
        lines.push_back(std::move(line));
    }
    return lines;
}

void TSearchPane::ShowResult(const TBookSearchResult& result, const std::string& query) {
    pages_.clear();
    for (const TBookSearchPage& p : result.Pages) {
        if (p.FirstHit < 0)
            break;
        pages_.push_back(p);
    }
    List.SetItems(Lines(result, query));
    SetVisible(true);
}

void TSearchPane::Close() {
    if (!Visible())
        return;
    SetVisible(false);
    if (OnClosed)
        OnClosed();
}

void TSearchPane::Choose(int line) {
    if (line < 1 || static_cast<size_t>(line) > pages_.size() || !OnChoose)
        return;
    const TBookSearchPage& p = pages_[static_cast<size_t>(line - 1)];
    OnChoose(p.BestHit >= 0 ? p.BestHit : p.FirstHit, p.Page);
}
