// The frame viewer: construction, processing, releasing replaced panels, the frame-set
// reader's operations and finding frames and viewers.
#include "html/view/frame_viewer.h"

#include <algorithm>

#include "html/view/viewer_names.h"
#include "platform/base/files.h"
#include "platform/base/strings.h"
#include "platform/gui/application.h"

TFrameViewer::TFrameViewer() : cache_(std::make_unique<TStringBitmapList>()) {
    SetBevels(TBevelCut::bvNone, TBevelCut::bvNone, 0);
    TabStop = false;
    cache_->SetCacheCount(imageCacheCount_);
    visited_.CaseSensitive = false;
    curFrameSet_ = std::make_unique<TFrameSet>(*this);
    curFrameSet_->SetParent(this);
    SetBounds(Left(), Top(), 150, 150);
    PlaceTop(*curFrameSet_);
}

TFrameViewer::~TFrameViewer() {
    *alive_ = false;
    // The sets (and their viewers) go before the image cache they share.
    retired_.clear();
    historySets_.clear();
    curFrameSet_.reset();
}

void TFrameViewer::BoundsChanged() {
    TFVBase::BoundsChanged();
    if (curFrameSet_)
        PlaceTop(*curFrameSet_);
}

void TFrameViewer::Retire(std::unique_ptr<TControl> control) {
    if (!control)
        return;
    if (auto* panel = dynamic_cast<TFrameBase*>(control.get()))
        panel->Detach();
    control->Hide();
    control->SetParent(nullptr);
    retired_.push_back(std::move(control));
    if (retirePosted_)
        return;
    retirePosted_ = true;
    PostRelease();
}

// Retired panels are released from the loop, and never inside a modal loop: a dialog opened by
// an event of the retired viewer keeps that event's frames on the stack until it closes.
void TFrameViewer::PostRelease() {
    std::weak_ptr<bool> alive = alive_;
    Application().AfterModal([this, alive] {
        if (auto a = alive.lock(); !a || !*a)
            return;
        if (Application().ModalLevel() > 0) {
            PostRelease(); // a dialog opened meanwhile: wait for it as well
            return;
        }
        retirePosted_ = false;
        // Released in the order they left; each has already left its top set's names.
        std::vector<std::unique_ptr<TControl>> gone = std::move(retired_);
        retired_.clear();
        gone.clear();
    });
}

bool TFrameViewer::DeferWhileModal(std::function<void()> call) {
    if (!Application().ModalBlocks(this))
        return false;
    std::weak_ptr<bool> alive = alive_;
    Application().AfterModal([alive, call = std::move(call)] {
        if (auto a = alive.lock(); a && *a)
            call();
    });
    return true;
}

void TFrameViewer::PlaceTop(TFrameSet& set) {
    const TRect r = ClientRect();
    set.InitializeDimensions(r.Left, r.Top, r.Width(), r.Height());
}

void TFrameViewer::OptionsChanged() {
    if (!curFrameSet_)
        return;
    if (options_.Contains(fvNoBorder))
        curFrameSet_->SetBevels(TBevelCut::bvNone, TBevelCut::bvNone, 0);
    else if (curFrameSet_->BevelOuter() == TBevelCut::bvNone && curFrameSet_->BorderSize != 0)
        curFrameSet_->SetBevels(TBevelCut::bvNone, TBevelCut::bvLowered, 0, 2);
    PlaceTop(*curFrameSet_);
}

void TFrameViewer::SetProcessing(bool value) {
    const bool was = processingDepth_ > 0;
    processingDepth_ = std::max(0, processingDepth_ + (value ? 1 : -1));
    processing_ = processingDepth_ > 0;
    if (was != processing_ && OnProcessing)
        OnProcessing(this, processing_);
}

// ---- the frame-set reader's operations ----

TSubFrameSet* TFrameViewer::SetOf(TObject* owner) const {
    return dynamic_cast<TSubFrameSet*>(owner);
}

void TFrameViewer::AddFrame(TObject* owner, TAttributeList& attrs, const std::string& fileName) {
    TSubFrameSet* set = SetOf(owner);
    if (!set || readFrames_ >= kMaxFrames)
        return;
    // Frame-set documents inside frames multiply: the whole tree of one top set is bounded.
    if (set->TopSet() && set->TopSet()->FrameCount() >= kMaxFrames)
        return;
    if (set->AddFrame(attrs, fileName))
        ++readFrames_;
}

TObject* TFrameViewer::AddFrameSet(TObject* owner) {
    TSubFrameSet* set = SetOf(owner);
    if (!set || readFrames_ >= kMaxFrames)
        return nullptr;
    return set->AddFrameSet();
}

void TFrameViewer::SetFrameSetAttributes(TObject* owner, TAttributeList& attrs) {
    if (TSubFrameSet* set = SetOf(owner))
        set->SetAttributes(attrs);
}

void TFrameViewer::EndFrameSet(TObject* owner) {
    if (TSubFrameSet* set = SetOf(owner))
        set->EndFrameSet();
}

std::vector<THTMLViewer*> TFrameViewer::Viewers() const {
    std::vector<THTMLViewer*> out;
    if (curFrameSet_)
        curFrameSet_->CollectViewers(out);
    return out;
}

THTMLViewer* TFrameViewer::ActiveViewer() const {
    const std::vector<THTMLViewer*> all = Viewers();
    if (std::find(all.begin(), all.end(), activeViewer_) != all.end())
        return activeViewer_;
    return all.empty() ? nullptr : all.front();
}

TfvFrame* TFrameViewer::FrameByName(const std::string& name) const {
    if (!curFrameSet_ || name.empty())
        return nullptr;
    int i = -1;
    if (!curFrameSet_->FrameNames.Find(UpperCase(name), i))
        return nullptr;
    return static_cast<TfvFrame*>(curFrameSet_->FrameNames.Objects(i));
}

TfvFrame* TFrameViewer::FrameOf(const THTMLViewer* viewer) const {
    if (!viewer)
        return nullptr;
    return dynamic_cast<TfvFrame*>(viewer->Parent());
}

const std::string& TFrameViewer::CurrentFile() const {
    return curFrameSet_->CurrentFile;
}

const std::string& TFrameViewer::DocumentTitle() const {
    return curFrameSet_->Title;
}
