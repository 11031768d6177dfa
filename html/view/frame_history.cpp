// The history of whole frame sets: each replaced top set is kept, newest first, with its
// source name, title and position, up to HistoryMaxCount entries.
#include <algorithm>

#include "html/view/frame_viewer.h"

void TFrameViewer::AddHistory(std::unique_ptr<TFrameSet> old, int32_t pos) {
    if (historyMaxCount_ <= 0) {
        Retire(std::move(old)); // no history: the old set goes at once
        return;
    }
    historySets_.resize(static_cast<size_t>(history_.Count()));
    if (history_.Count() > 0) {
        const int i = std::clamp(historyIndex_, 0, history_.Count() - 1);
        history_.SetString(i, old->CurrentFile);
        titleHistory_.SetString(i, old->Title);
        posHistory_[static_cast<size_t>(i)] = pos;
        historySets_[static_cast<size_t>(i)] = std::move(old);
        // What lay ahead of the entry shown is released.
        for (int k = 0; k < i; ++k) {
            history_.Delete(0);
            titleHistory_.Delete(0);
            posHistory_.erase(posHistory_.begin());
            historySets_.erase(historySets_.begin());
        }
    } else if (!old->CurrentFile.empty()) {
        history_.Insert(0, old->CurrentFile);
        titleHistory_.Insert(0, old->Title);
        posHistory_.insert(posHistory_.begin(), pos);
        historySets_.insert(historySets_.begin(), std::move(old));
    }
    historyIndex_ = 0;
    history_.Insert(0, curFrameSet_->CurrentFile);
    titleHistory_.Insert(0, curFrameSet_->Title);
    posHistory_.insert(posHistory_.begin(), 0);
    historySets_.insert(historySets_.begin(), nullptr); // the shown set is curFrameSet_
    while (history_.Count() > historyMaxCount_) {
        history_.Delete(history_.Count() - 1);
        titleHistory_.Delete(titleHistory_.Count() - 1);
        posHistory_.pop_back();
        historySets_.pop_back();
    }
    if (OnHistoryChange)
        OnHistoryChange(this);
}

namespace {

void CollectFrames(const TSubFrameSet& set, std::vector<TfvFrame*>& out) {
    for (const auto& child : set.Children()) {
        if (auto* f = dynamic_cast<TfvFrame*>(child.get())) {
            out.push_back(f);
            if (f->FrameSet())
                CollectFrames(*f->FrameSet(), out);
        } else if (auto* s = dynamic_cast<TSubFrameSet*>(child.get())) {
            CollectFrames(*s, out);
        }
    }
}

std::vector<TfvFrame*> AllFrames(const TFrameSet& set) {
    std::vector<TfvFrame*> out;
    CollectFrames(set, out);
    return out;
}

} // namespace

bool TFrameViewer::BackButtonEnabled() const {
    if (historyIndex_ + 1 < history_.Count())
        return true;
    const auto frames = AllFrames(*curFrameSet_);
    return std::any_of(frames.begin(), frames.end(), [](TfvFrame* f) { return f->BackEnabled(); });
}

bool TFrameViewer::FwdButtonEnabled() const {
    if (historyIndex_ > 0)
        return true;
    const auto frames = AllFrames(*curFrameSet_);
    return std::any_of(frames.begin(), frames.end(), [](TfvFrame* f) { return f->FwdEnabled(); });
}

// Going back: the active frame's own history first, then any frame's, then the sets'.
void TFrameViewer::GoBack() {
    if (processing_ || DeferWhileModal([this] { GoBack(); }))
        return;
    TfvFrame* active = curFrameSet_->ActiveFrame;
    if (active && active->BackEnabled()) {
        active->GoBack();
        return;
    }
    for (TfvFrame* f : AllFrames(*curFrameSet_))
        if (f->BackEnabled()) {
            f->GoBack();
            return;
        }
    if (historyIndex_ + 1 < history_.Count())
        SetHistoryIndex(historyIndex_ + 1);
}

void TFrameViewer::GoFwd() {
    if (processing_ || DeferWhileModal([this] { GoFwd(); }))
        return;
    TfvFrame* active = curFrameSet_->ActiveFrame;
    if (active && active->FwdEnabled()) {
        active->GoFwd();
        return;
    }
    for (TfvFrame* f : AllFrames(*curFrameSet_))
        if (f->FwdEnabled()) {
            f->GoFwd();
            return;
        }
    if (historyIndex_ > 0)
        SetHistoryIndex(historyIndex_ - 1);
}

void TFrameViewer::SetHistoryIndex(int index) {
    if (DeferWhileModal([this, index] { SetHistoryIndex(index); }))
        return;
    if (index == historyIndex_ || index < 0 || index >= history_.Count() ||
        historySets_.size() != static_cast<size_t>(history_.Count()))
        return;
    std::unique_ptr<TFrameSet>& slot = historySets_[static_cast<size_t>(index)];
    if (!slot)
        return;
    SetProcessing(true);
    struct TOff {
        TFrameViewer& v;
        ~TOff() { v.SetProcessing(false); }
    } off{*this};
    // The shown set takes the place it had in the history; the chosen one comes back.
    const size_t here = static_cast<size_t>(historyIndex_);
    posHistory_[here] = curFrameSet_->ViewerPosition();
    curFrameSet_->UnloadFiles();
    curFrameSet_->Hide();
    curFrameSet_->SetParent(nullptr);
    std::unique_ptr<TFrameSet> back = std::move(slot);
    historySets_[here] = std::move(curFrameSet_);
    curFrameSet_ = std::move(back);
    curFrameSet_->SetParent(this);
    PlaceTop(*curFrameSet_);
    curFrameSet_->Show();
    historyIndex_ = index;
    activeViewer_ = nullptr;
    curFrameSet_->ReloadFiles(posHistory_[static_cast<size_t>(index)]);
    CheckVisitedLinks();
    if (OnHistoryChange)
        OnHistoryChange(this);
}
