// A frame: the panel that shows one document of a frame set in its own viewer, or a nested
// frame set when its document is a frame-set document. It keeps its own history.
#include <algorithm>

#include "html/reader/url_subs.h"
#include "html/view/frame_set.h"
#include "html/view/frame_viewer.h"
#include "html/view/viewer_names.h"
#include "platform/base/files.h"
#include "platform/base/strings.h"
#include "platform/gui/application.h"

namespace {

constexpr int32_t kMaxMargin = 1000;

std::string WithAnchor(const std::string& name, const std::string& dest) {
    return dest.empty() ? name : name + "#" + dest;
}

std::string EscapeHtml(const std::string& s) {
    std::string out;
    for (char c : s) {
        switch (c) {
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '&':
            out += "&amp;";
            break;
        default:
            out += c;
        }
    }
    return out;
}

} // namespace

bool ParseRefreshContent(const std::string& content, int32_t& delay, std::string& url) {
    const std::string head = Trim(content.substr(0, content.find(';')));
    int32_t n = 0;
    if (!TryStrToInt(head, n) || n < 0)
        return false;
    delay = n == 0 ? 1 : n;
    const size_t at = LowerCase(content).find("url=");
    url = at == std::string::npos ? std::string() : Trim(content.substr(at + 4));
    return true;
}

std::string TFrameViewer::ErrorPage(const std::string& title, const std::string& message) {
    return "<html><head><title>" + EscapeHtml(title) + "</title></head><body><h3>" +
           EscapeHtml(title) + "</h3><p>" + EscapeHtml(message) + "</p></body></html>";
}

TfvFrame::TfvFrame(TFrameViewer& viewer, TFrameSet* top, TSubFrameSet* parentSet)
    : TFrameBase(viewer, top, parentSet) {
    frMarginWidth = viewer.MarginWidth();
    frMarginHeight = viewer.MarginHeight();
    CharSet = viewer.CharSet();
    if (parentSet)
        Depth = parentSet->DocDepth;
    refreshTimer_.SetEnabled(false);
    refreshTimer_.OnTimer = [this](TTimer& t) {
        // Not inside a dialog's loop: the timer tries again after its delay.
        if (Application().ModalBlocks(&viewer_))
            return;
        t.SetEnabled(false);
        try {
            // A page shown whole is replaced whole.
            if (top_ && top_->SingleFrame() == this)
                viewer_.Load(refreshURL_);
            else
                frLoadFromFile(refreshURL_, {}, false);
        } catch (const std::exception& e) {
            // Shown from the loop: this frame may be gone by the time the dialog closes.
            Application().PostException(e);
        }
    };
}

TfvFrame::~TfvFrame() {
    refreshTimer_.SetEnabled(false);
    if (top_) {
        const int i = top_->FrameNames.IndexOfObject(this);
        if (i >= 0)
            top_->FrameNames.Delete(i);
        if (top_->ActiveFrame == this)
            top_->ActiveFrame = nullptr;
    }
    frameSet_.reset();
    viewer2_.reset();
}

void TfvFrame::ReadAttributes(TAttributeList& attrs, const std::string& fileName) {
    OrigDir = ExtractFilePath(fileName);
    if (const TAttribute* a = attrs.Find(MarginWidthSym))
        frMarginWidth = std::clamp<int32_t>(a->Value, 0, kMaxMargin);
    if (const TAttribute* a = attrs.Find(MarginHeightSym))
        frMarginHeight = std::clamp<int32_t>(a->Value, 0, kMaxMargin);
    if (parentSet_ && parentSet_->BorderSize != 0)
        SetBevels(TBevelCut::bvNone, TBevelCut::bvLowered, 0, parentSet_->BorderSize);
    if (const TAttribute* a = attrs.Find(NameSym); a && !HtmlTrim(a->Str).empty()) {
        WinName = HtmlTrim(a->Str);
        if (top_)
            top_->FrameNames.AddObject(UpperCase(WinName), this);
    }
    if (const TAttribute* a = attrs.Find(SrcSym)) {
        std::string src = UrlToPath(HtmlTrim(a->Str));
        if (const size_t hash = src.find('#'); hash != std::string::npos) {
            Destination = src.substr(hash + 1, 255);
            src.resize(hash);
        }
        if (!viewer_.Requested() && !src.empty()) {
            src = ExpandPath(src, viewer_.ServerRoot());
            if (!src.empty() && src[0] == '/') {
                src = ExpandFileName(src);
            } else if (src.find(':') == std::string::npos) {
                const std::string& base = viewer_.Base;
                if (SameText(base, "DosPath")) {
                    src = ExpandFileName(src);
                } else if (!base.empty()) {
                    std::string folder = UrlToPath(HtmlTrim(base));
                    if (!folder.empty() && folder.back() != '/')
                        folder = ExtractFilePath(folder);
                    src = ExpandFileName(folder + src);
                } else {
                    src = ExpandFileName(OrigDir + src);
                }
            }
        }
        Source = src;
    }
    NoReSize = attrs.Find(NoResizeSym) != nullptr;
    if (const TAttribute* a = attrs.Find(ScrollingSym))
        NoScroll = SameText(HtmlTrim(a->Str), "NO");
}

void TfvFrame::EnsureViewer() {
    viewer_.Retire(std::move(frameSet_));
    if (viewer2_)
        return;
    viewer2_ = viewer_.MakeViewer(*this);
    viewer2_->SetParent(this);
    viewer2_->SetAlign(TAlign::alClient);
}

void TfvFrame::LoadDocument(const std::string& name, const std::string& dest) {
    if (Depth >= kMaxDocumentDepth)
        throw EfvLoadError("Can't load: " + name);
    const TFetchedDocument doc =
        viewer_.FetchDocument(viewer2_ ? static_cast<TObject*>(viewer2_.get()) : &viewer_, name);
    ShowDocument(doc, dest);
}

void TfvFrame::ShowDocument(const TFetchedDocument& doc, const std::string& dest) {
    refreshTimer_.SetEnabled(false);
    LoadError.clear();
    Source = doc.Name;
    Destination = dest;
    const THtmlSource source = doc.Source();
    if (doc.Type == HTMLType && IsFrameSetDocument(source)) {
        if (Depth + 1 >= kMaxDocumentDepth) {
            // A frame-set document that holds itself would nest without end.
            ShowError(doc.Name, "Frame sets nested too deeply");
            return;
        }
        viewer_.Retire(std::move(viewer2_));
        viewer_.Retire(std::move(frameSet_));
        frameSet_ = std::make_unique<TSubFrameSet>(viewer_, top_, nullptr);
        frameSet_->OwnerFrame = this;
        frameSet_->DocDepth = Depth + 1;
        frameSet_->BorderSize = parentSet_ ? parentSet_->BorderSize : 2;
        frameSet_->SetParent(this);
        viewer_.ReadFrameSet(*frameSet_, source);
        const TRect r = ClientRect();
        frameSet_->InitializeDimensions(r.Left, r.Top, r.Width(), r.Height());
        frameSet_->LoadFiles();
        frameSet_->StartRefresh();
        return;
    }
    EnsureViewer();
    if (doc.File.empty()) {
        // Served by the owner: a picture is asked for again by its name, through the image
        // request, as the one picture of its page.
        viewer2_->LoadFromSource(source, WithAnchor(doc.Name, dest), doc.Type);
        return;
    }
    switch (doc.Type) {
    case ImgType:
        viewer2_->OpenImageFile(doc.File);
        break;
    case TextType:
        viewer2_->OpenTextFile(doc.File);
        break;
    case HTMLType:
        viewer2_->LoadFromSource(source, WithAnchor(doc.Name, dest));
        break;
    }
}

void TfvFrame::ShowError(const std::string& name, const std::string& message) {
    LoadError = message;
    EnsureViewer();
    const std::string page = TFrameViewer::ErrorPage("Can't load: " + name, message);
    viewer2_->LoadFromSource(THtmlSource::Text(page), {});
}

void TfvFrame::LoadFiles() {
    if (Source.empty())
        return; // an empty frame: only its panel shows
    try {
        LoadDocument(Source, Destination);
    } catch (const std::exception& e) {
        // One frame that fails leaves the others standing; it says what went wrong.
        ShowError(Source, e.what());
    }
}

void TfvFrame::UnloadFiles() {
    refreshTimer_.SetEnabled(false);
    if (viewer2_)
        viewer2_->ClearDocument();
    if (frameSet_)
        frameSet_->UnloadFiles();
}

void TfvFrame::ReloadFiles(int32_t pos) {
    if (Source.empty())
        return;
    LoadFiles();
    if (viewer2_ && pos > 0 && LoadError.empty())
        viewer2_->SetViewPosition(pos);
}

void TfvFrame::Detach() {
    if (top_) {
        const int i = top_->FrameNames.IndexOfObject(this);
        if (i >= 0)
            top_->FrameNames.Delete(i);
        if (top_->ActiveFrame == this)
            top_->ActiveFrame = nullptr;
    }
    top_ = nullptr;
    if (frameSet_)
        frameSet_->Detach();
}

void TfvFrame::InitializeDimensions(int32_t x, int32_t y, int32_t w, int32_t h) {
    SetBounds(x, y, std::max(w, 0), std::max(h, 0));
    if (frameSet_) {
        const TRect r = ClientRect();
        frameSet_->SetBounds(r.Left, r.Top, r.Width(), r.Height());
    }
}

void TfvFrame::CollectViewers(std::vector<THTMLViewer*>& out) const {
    if (viewer2_)
        out.push_back(viewer2_.get());
    if (frameSet_)
        frameSet_->CollectViewers(out);
}

void TfvFrame::frLoadFromFile(const std::string& name, const std::string& dest, bool history) {
    const std::string oldSource = WithAnchor(Source, Destination);
    const int32_t oldPos = viewer2_ ? viewer2_->ViewPosition() : 0;
    if (name.empty()) {
        // Only the anchor moves: the document stays.
        if (dest.empty() || !viewer2_)
            return;
        viewer2_->ScrollToAnchor(dest);
        Destination = dest;
    } else {
        try {
            LoadDocument(name, dest);
        } catch (const std::exception&) {
            throw EfvLoadError("Can't load: " + name);
        }
    }
    if (history)
        AddFrameHistory(oldSource, oldPos);
    viewer_.AddVisited(WithAnchor(Source, Destination));
    viewer_.CheckVisitedLinks();
}

void TfvFrame::Refresh(int32_t delay, const std::string& url) {
    refreshTimer_.SetEnabled(false);
    if (!viewer_.fvOptions().Contains(fvMetaRefresh) || delay <= 0)
        return;
    const std::string target = url.empty() ? Source : url;
    if (target.empty())
        return;
    // Only a document that is there is worth coming back for.
    if (!viewer_.Requested() && !FileExists(viewer2_ ? viewer2_->ExpandName(target) : target))
        return;
    refreshURL_ = viewer_.Requested() || !viewer2_ ? target : viewer2_->ExpandName(target);
    refreshTimer_.SetInterval(static_cast<uint32_t>(std::min(delay, 86400)) * 1000u);
    refreshTimer_.SetEnabled(true);
}

// ---- the frame's own history ----

void TfvFrame::AddFrameHistory(const std::string& oldSource, int32_t oldPos) {
    const int32_t maxCount = viewer_.HistoryMaxCount();
    if (maxCount <= 0)
        return;
    const std::string current = WithAnchor(Source, Destination);
    const int32_t pos = viewer2_ ? viewer2_->ViewPosition() : 0;
    if (SameText(oldSource, current) && oldPos == pos)
        return;
    if (frHistory_.empty()) {
        if (!oldSource.empty())
            frHistory_.push_back({oldSource, oldPos});
    } else {
        const size_t i = static_cast<size_t>(
            std::clamp(frHistoryIndex_, 0, static_cast<int>(frHistory_.size()) - 1));
        frHistory_[i] = {oldSource, oldPos};
        frHistory_.erase(frHistory_.begin(), frHistory_.begin() + static_cast<long>(i));
    }
    frHistory_.insert(frHistory_.begin(), {current, pos});
    frHistoryIndex_ = 0;
    while (static_cast<int32_t>(frHistory_.size()) > maxCount)
        frHistory_.pop_back();
    if (viewer_.OnHistoryChange)
        viewer_.OnHistoryChange(&viewer_);
}

bool TfvFrame::BackEnabled() const {
    return frHistoryIndex_ + 1 < static_cast<int>(frHistory_.size());
}

bool TfvFrame::FwdEnabled() const {
    return frHistoryIndex_ > 0 && !frHistory_.empty();
}

namespace {

void SplitAnchor(const std::string& s, std::string& name, std::string& dest) {
    const size_t hash = s.find('#');
    name = s.substr(0, hash);
    dest = hash == std::string::npos ? std::string() : s.substr(hash + 1);
}

} // namespace

void TfvFrame::GoBack() {
    if (!BackEnabled())
        return;
    const size_t now = static_cast<size_t>(frHistoryIndex_);
    frHistory_[now].Pos = viewer2_ ? viewer2_->ViewPosition() : 0;
    const TfvHistoryEntry entry = frHistory_[now + 1];
    std::string name, dest;
    SplitAnchor(entry.Source, name, dest);
    LoadDocument(name, dest);
    frHistoryIndex_ = static_cast<int>(now + 1);
    if (viewer2_)
        viewer2_->SetViewPosition(entry.Pos);
    if (viewer_.OnHistoryChange)
        viewer_.OnHistoryChange(&viewer_);
}

void TfvFrame::GoFwd() {
    if (!FwdEnabled())
        return;
    const size_t now = static_cast<size_t>(frHistoryIndex_);
    frHistory_[now].Pos = viewer2_ ? viewer2_->ViewPosition() : 0;
    const TfvHistoryEntry entry = frHistory_[now - 1];
    std::string name, dest;
    SplitAnchor(entry.Source, name, dest);
    LoadDocument(name, dest);
    frHistoryIndex_ = static_cast<int>(now - 1);
    if (viewer2_)
        viewer2_->SetViewPosition(entry.Pos);
    if (viewer_.OnHistoryChange)
        viewer_.OnHistoryChange(&viewer_);
}
