// Frame sets: the sizes a FRAMESET gives its rows or columns, their layout at a size, the
// frames and nested sets they hold, and loading a whole set at top level.
#include "html/view/frame_set.h"

#include <algorithm>
#include <cmath>

#include "html/view/frame_viewer.h"
#include "platform/base/strings.h"
#include "platform/gui/application.h"

namespace {

constexpr int32_t kMaxPixels = 5000;
constexpr int32_t kMaxLength = 32767; // lengths are 16-bit
constexpr int64_t kMaxNumber = 1000000;

int32_t RoundDiv(int64_t num, int64_t den) {
    if (den == 0)
        return 0;
    return static_cast<int32_t>(std::llround(static_cast<double>(num) / static_cast<double>(den)));
}

int32_t Clamp16(int64_t v) {
    return static_cast<int32_t>(std::clamp<int64_t>(v, 0, kMaxLength));
}

} // namespace

// ---- TFrameBase ----

TFrameBase::TFrameBase(TFrameViewer& viewer, TFrameSet* top, TSubFrameSet* parentSet)
    : viewer_(viewer), top_(top), parentSet_(parentSet) {
    SetBevels(TBevelCut::bvNone, TBevelCut::bvNone, 0);
    TabStop = false;
}

TFrameBase::~TFrameBase() = default;

// ---- sizes ----

std::vector<int16_t> TSubFrameSet::ParseDims(const std::string& value) {
    std::vector<int16_t> dims;
    size_t i = 0;
    while (i <= value.size() && static_cast<int>(dims.size()) < kMaxDims) {
        int64_t n = 0;
        bool digits = false, percent = false, star = false;
        for (; i < value.size() && value[i] != ','; ++i) {
            const char c = value[i];
            if (c >= '0' && c <= '9') {
                digits = true;
                n = std::min(n * 10 + (c - '0'), kMaxNumber);
            } else if (c == '%') {
                percent = true;
            } else if (c == '*') {
                star = true;
            }
        }
        int64_t stored = -1;
        if (digits) {
            if (percent)
                stored = -std::min<int64_t>(1000, n + 100);
            else if (star)
                stored = -std::min<int64_t>(99, n);
            else
                stored = std::clamp<int64_t>(n, 1, kMaxPixels);
        }
        dims.push_back(static_cast<int16_t>(stored));
        if (i >= value.size())
            break;
        ++i; // the comma
    }
    return dims;
}

// Pixels first; percentages share what the pixels leave; relative weights share the rest.
std::vector<int32_t> TSubFrameSet::ComputeLengths(const std::vector<int16_t>& dims,
                                                  int32_t length) {
    length = std::clamp(length, 0, kMaxLength);
    int64_t p = 0, q = 0, r = 0;
    for (int16_t d : dims) {
        if (d > 0)
            p += d;
        else if (d <= -100)
            q += -d - 100;
        else
            r += -d;
    }
    std::vector<int32_t> out(dims.size(), 0);
    const int64_t free = length - p;
    if (free > 0) {
        const int64_t s = std::min<int64_t>(RoundDiv(length * q, 100), free);
        const int64_t unit = r > 0 ? (free - s) / r : 0;
        for (size_t i = 0; i < dims.size(); ++i) {
            const int16_t d = dims[i];
            if (d > 0)
                out[i] = d;
            else if (d <= -100)
                out[i] = Clamp16(RoundDiv((-d - 100) * s, q));
            else
                out[i] = Clamp16(-d * unit);
        }
    } else {
        for (size_t i = 0; i < dims.size(); ++i)
            if (dims[i] > 0)
                out[i] = Clamp16(RoundDiv(static_cast<int64_t>(dims[i]) * length, p));
    }
    return out;
}

// ---- TSubFrameSet ----

TSubFrameSet::TSubFrameSet(TFrameViewer& viewer, TFrameSet* top, TSubFrameSet* parentSet)
    : TFrameBase(viewer, top, parentSet) {
    if (parentSet)
        BorderSize = parentSet->BorderSize;
    refreshTimer_.SetEnabled(false);
    refreshTimer_.OnTimer = [this](TTimer& t) {
        // Not inside a dialog's loop: the timer tries again after its delay.
        if (Application().ModalBlocks(&viewer_))
            return;
        t.SetEnabled(false);
        const std::string url = RefreshURL;
        if (url.empty())
            return;
        try {
            if (OwnerFrame)
                OwnerFrame->frLoadFromFile(url, {}, false);
            else if (this == &viewer_.CurFrameSet())
                viewer_.Load(url);
        } catch (const std::exception& e) {
            // Shown from the loop: this set may be gone by the time the dialog closes.
            Application().PostException(e);
        }
    };
}

TSubFrameSet::~TSubFrameSet() {
    refreshTimer_.SetEnabled(false);
    dragLine_.reset(); // a child panel: it leaves this panel while the panel is whole
    // Children go before the names that point at them.
    list_.clear();
}

int TSubFrameSet::FrameCount() const {
    int n = 0;
    for (const auto& child : list_) {
        if (const auto* set = dynamic_cast<const TSubFrameSet*>(child.get())) {
            n += set->FrameCount();
        } else {
            ++n;
            if (const auto* f = dynamic_cast<const TfvFrame*>(child.get()); f && f->FrameSet())
                n += f->FrameSet()->FrameCount();
        }
    }
    return n;
}

void TSubFrameSet::Detach() {
    refreshTimer_.SetEnabled(false);
    EndDrag();
    for (auto& child : list_)
        child->Detach();
    if (top_ != this)
        top_ = nullptr;
}

void TSubFrameSet::Clear() {
    refreshTimer_.SetEnabled(false);
    RefreshDelay = 0;
    RefreshURL.clear();
    for (auto& child : list_)
        viewer_.Retire(std::move(child));
    list_.clear();
    dims_.clear();
    lines_.clear();
    positions_.clear();
    fixed_.clear();
    layoutTotal_ = 0;
    EndDrag();
}

void TSubFrameSet::SetAttributes(TAttributeList& attrs) {
    if (const TAttribute* a = attrs.Find(RowsSym)) {
        dims_ = ParseDims(a->Str);
        rows_ = true;
    }
    if (dims_.size() <= 1) {
        if (const TAttribute* a = attrs.Find(ColsSym)) {
            dims_ = ParseDims(a->Str);
            rows_ = false;
        }
    }
    // The master set decides the border of all frames.
    if (parentSet_ == nullptr && OwnerFrame == nullptr) {
        const bool noBorder = viewer_.fvOptions().Contains(fvNoBorder);
        const TAttribute* border = attrs.Find(BorderSym);
        if (!border)
            border = attrs.Find(FrameBorderSym);
        if (noBorder) {
            BorderSize = 0;
        } else if (border) {
            // Kept small: a wide bevel would leave the frames no room.
            BorderSize = std::clamp<int32_t>(border->Value, 0, 10);
            const int bevel = std::max(2 - BorderSize, 0);
            if (bevel > 0)
                SetBevels(TBevelCut::bvNone, TBevelCut::bvLowered, 0, bevel);
            else
                SetBevels(TBevelCut::bvNone, TBevelCut::bvNone, 0);
        }
    }
}

TfvFrame* TSubFrameSet::AddFrame(TAttributeList& attrs, const std::string& fileName) {
    if (static_cast<int>(list_.size()) >= kMaxChildren)
        return nullptr;
    auto frame = std::make_unique<TfvFrame>(viewer_, top_, this);
    TfvFrame* f = frame.get();
    f->SetParent(this);
    list_.push_back(std::move(frame));
    f->ReadAttributes(attrs, fileName);
    return f;
}

TSubFrameSet* TSubFrameSet::AddFrameSet() {
    if (static_cast<int>(list_.size()) >= kMaxChildren)
        return nullptr;
    auto set = std::make_unique<TSubFrameSet>(viewer_, top_, this);
    TSubFrameSet* s = set.get();
    s->SetParent(this);
    list_.push_back(std::move(set));
    return s;
}

void TSubFrameSet::EndFrameSet() {
    // Extra frames share what is left; missing frames are empty ones.
    while (dims_.size() < list_.size())
        dims_.push_back(-1);
    while (list_.size() < dims_.size() &&
           (!top_ || top_->FrameCount() < TFrameViewer::kMaxFrames)) {
        auto frame = std::make_unique<TfvFrame>(viewer_, top_, this);
        frame->SetParent(this);
        list_.push_back(std::move(frame));
    }
    dims_.resize(list_.size()); // what the bound on frames left out takes no room
    Base = viewer_.Base;
    BaseTarget = viewer_.BaseTarget;
    fixed_.assign(list_.size() + 1, false);
    for (size_t i = 0; i < list_.size(); ++i)
        if (const auto* f = dynamic_cast<const TfvFrame*>(list_[i].get()); f && f->NoReSize)
            fixed_[i] = fixed_[i + 1] = true;
}

void TSubFrameSet::LoadFiles() {
    for (auto& child : list_)
        child->LoadFiles();
}

void TSubFrameSet::UnloadFiles() {
    refreshTimer_.SetEnabled(false);
    for (auto& child : list_)
        child->UnloadFiles();
}

void TSubFrameSet::ReloadFiles(int32_t pos) {
    for (auto& child : list_)
        child->ReloadFiles(list_.size() == 1 ? pos : 0);
}

void TSubFrameSet::CollectViewers(std::vector<THTMLViewer*>& out) const {
    for (const auto& child : list_)
        child->CollectViewers(out);
}

void TSubFrameSet::InitializeDimensions(int32_t x, int32_t y, int32_t w, int32_t h) {
    placing_ = true;
    SetBounds(x, y, std::max(w, 0), std::max(h, 0));
    placing_ = false;
    LayOut();
}

void TSubFrameSet::LayOut() {
    const TRect client = ClientRect();
    std::vector<int16_t> dims = dims_;
    dims.resize(list_.size(), -1);
    lines_ = ComputeLengths(dims, rows_ ? client.Height() : client.Width());
    layoutTotal_ = 0;
    for (int32_t l : lines_)
        layoutTotal_ += l;
    PlaceChildren();
}

void TSubFrameSet::PlaceChildren() {
    const TRect client = ClientRect();
    const int32_t start = rows_ ? client.Top : client.Left;
    positions_.assign(list_.size() + 1, start);
    int32_t pos = start;
    for (size_t i = 0; i < list_.size(); ++i) {
        const int32_t len = i < lines_.size() ? lines_[i] : 0;
        positions_[i] = pos;
        if (rows_)
            list_[i]->InitializeDimensions(client.Left, pos, client.Width(), len);
        else
            list_[i]->InitializeDimensions(pos, client.Top, len, client.Height());
        pos += len;
    }
    positions_[list_.size()] = pos;
    if (fixed_.size() < list_.size() + 1)
        fixed_.resize(list_.size() + 1, false);
}

void TSubFrameSet::PlaceInProportion() {
    if (layoutTotal_ <= 0 || lines_.size() != list_.size()) {
        LayOut();
        return;
    }
    const TRect client = ClientRect();
    const int64_t avail = rows_ ? client.Height() : client.Width();
    std::vector<int32_t> placed(lines_.size());
    for (size_t i = 0; i < lines_.size(); ++i)
        placed[i] = Clamp16(RoundDiv(lines_[i] * avail, layoutTotal_));
    const std::vector<int32_t> keep = lines_;
    lines_ = placed;
    PlaceChildren();
    // The computed lengths stay the proportions; only the placement follows the size.
    lines_ = keep;
}

void TSubFrameSet::BoundsChanged() {
    TFrameBase::BoundsChanged();
    if (placing_)
        return;
    if (parentSet_ == nullptr && OwnerFrame == nullptr)
        LayOut();
    else
        PlaceInProportion();
}

void TSubFrameSet::StartRefresh() {
    refreshTimer_.SetEnabled(false);
    if (!viewer_.fvOptions().Contains(fvMetaRefresh) || RefreshDelay <= 0 || RefreshURL.empty())
        return;
    refreshTimer_.SetInterval(static_cast<uint32_t>(std::min(RefreshDelay, 86400)) * 1000u);
    refreshTimer_.SetEnabled(true);
}

// ---- TFrameSet ----

TFrameSet::TFrameSet(TFrameViewer& viewer) : TSubFrameSet(viewer, this, nullptr) {
    FrameNames.SetSorted(true);
    FrameNames.Duplicates = dupIgnore;
    if (!viewer.fvOptions().Contains(fvNoBorder))
        SetBevels(TBevelCut::bvNone, TBevelCut::bvLowered, 0, 2);
    else
        BorderSize = 0;
}

TFrameSet::~TFrameSet() {
    // The frames take their names out of FrameNames as they go, so they go first.
    list_.clear();
    FrameNames.Clear();
    ActiveFrame = nullptr;
}

void TFrameSet::Clear() {
    FrameNames.Clear();
    ActiveFrame = nullptr;
    DraggingSet = nullptr;
    TSubFrameSet::Clear();
    Title.clear();
    BaseTarget.clear();
    Base.clear();
    if (!viewer_.fvOptions().Contains(fvNoBorder)) {
        BorderSize = 2;
        SetBevels(TBevelCut::bvNone, TBevelCut::bvLowered, 0, 2);
    } else {
        BorderSize = 0;
        SetBevels(TBevelCut::bvNone, TBevelCut::bvNone, 0);
    }
}

TfvFrame* TFrameSet::SingleFrame() const {
    if (list_.size() != 1)
        return nullptr;
    return dynamic_cast<TfvFrame*>(list_[0].get());
}

int32_t TFrameSet::ViewerPosition() const {
    TfvFrame* f = SingleFrame();
    if (f && f->HtmlViewer())
        return f->HtmlViewer()->ViewPosition();
    return 0;
}
