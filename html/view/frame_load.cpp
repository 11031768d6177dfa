// Getting documents (from the owner's request events or from files), reading frame-set
// documents, and loading at top level.
#include "html/view/frame_viewer.h"

#include <algorithm>

#include "html/view/viewer_names.h"
#include "platform/base/files.h"
#include "platform/base/strings.h"
#include "platform/gui/application.h"

namespace {

constexpr size_t kMaxAnchor = 255;

} // namespace

// ---- documents ----

bool TFrameViewer::RequestDocument(TObject* sender, const std::string& name, std::string& text,
                                   std::string& fileName) {
    if (OnStringsRequest) {
        TStringList* strings = nullptr;
        OnStringsRequest(sender, name, strings);
        if (strings) {
            text = strings->Text();
            return true;
        }
    }
    if (OnStreamRequest) {
        TMemoryStream* stream = nullptr;
        OnStreamRequest(sender, name, stream);
        if (stream) {
            // Copied at once: the owner may hand the same stream to the next request.
            text = stream->DataString();
            return true;
        }
    }
    if (OnBufferRequest) {
        const char* buffer = nullptr;
        int32_t size = 0;
        OnBufferRequest(sender, name, buffer, size);
        if (size > 0 && buffer) {
            text.assign(buffer, static_cast<size_t>(size));
            return true;
        }
    }
    if (OnFileRequest) {
        std::string newName;
        OnFileRequest(sender, name, newName);
        if (!newName.empty()) {
            fileName = newName;
            return true;
        }
    }
    return false;
}

TFetchedDocument TFrameViewer::FetchDocument(TObject* sender, const std::string& name) {
    TFetchedDocument doc;
    std::string text, file;
    if (Requested() && RequestDocument(sender, name, text, file)) {
        doc.Name = name;
        if (file.empty()) {
            doc.Text = std::move(text);
            if (OnDocumentKind)
                OnDocumentKind(sender, name, doc.Type);
            return doc;
        }
        doc.File = ExpandFileName(file);
        if (!FileExists(doc.File))
            throw EInOutError("Can't locate file: " + file);
        return doc;
    }
    if (!Requested()) {
        const std::string ext = LowerCase(ExtractFileExt(name)).substr(0, 5);
        if (ext == ".gif" || ext == ".jpg" || ext == ".jpeg" || ext == ".bmp" || ext == ".png")
            doc.Type = ImgType;
        else if (ext == ".txt")
            doc.Type = TextType;
    }
    doc.File = ExpandFileName(name);
    if (name.empty() || !FileExists(doc.File))
        throw EInOutError("Can't locate file: " + name);
    doc.Name = doc.File;
    return doc;
}

void TFrameViewer::ReadFrameSet(TSubFrameSet& set, const THtmlSource& source) {
    // The head of a nested frame-set document must not change what the outer one said.
    struct TSaved {
        TFrameViewer& v;
        std::string title, base, baseTarget;
        TMetaEvent meta;
        int frames;
        ~TSaved() {
            v.OnMeta = meta;
            v.readFrames_ = frames;
        }
    } saved{*this, Title, Base, BaseTarget, OnMeta, readFrames_};
    Title.clear();
    Base.clear();
    BaseTarget.clear();
    readFrames_ = 0;
    OnMeta = [this, &set, owner = saved.meta](TObject* sender, const std::string& httpEquiv,
                                              const std::string& name, const std::string& content) {
        if (owner)
            owner(sender, httpEquiv, name, content);
        if (options_.Contains(fvMetaRefresh) && SameText(httpEquiv, "refresh")) {
            int32_t delay = 0;
            std::string url;
            if (ParseRefreshContent(content, delay, url)) {
                set.RefreshDelay = delay;
                set.RefreshURL = url;
            }
        }
    };
    ParseFrameDocument(*this, &set, source);
    if (set.OwnerFrame) {
        Title = saved.title;
        Base = saved.base;
        BaseTarget = saved.baseTarget;
    }
    if (set.RefreshDelay > 0) {
        // The set's own document: the default address, and the folder of a relative one.
        std::string own;
        if (set.OwnerFrame)
            own = set.OwnerFrame->Source;
        else if (auto* top = dynamic_cast<TFrameSet*>(&set))
            own = top->CurrentFile;
        if (set.RefreshURL.empty())
            set.RefreshURL = own;
        if (!Requested() && !set.RefreshURL.empty()) {
            // Only a file that is there is worth coming back for.
            const std::string& url = set.RefreshURL;
            set.RefreshURL = ExpandFileName(url[0] == '/' ? url : ExtractFilePath(own) + url);
            if (!FileExists(set.RefreshURL))
                set.RefreshDelay = 0;
        }
    }
}

// ---- loading ----

void TFrameSet::LoadFromFile(const std::string& name, const std::string& dest) {
    Clear();
    const TFetchedDocument doc = viewer_.FetchDocument(&viewer_, name);
    CurrentFile = doc.Name;
    const THtmlSource source = doc.Source();
    if (doc.Type == HTMLType && IsFrameSetDocument(source)) {
        viewer_.ReadFrameSet(*this, source);
        Title = viewer_.Title;
        LayOut();
        LoadFiles();
        StartRefresh();
        return;
    }
    // A page: one frame that fills the set.
    auto frame = std::make_unique<TfvFrame>(viewer_, this, this);
    TfvFrame* f = frame.get();
    f->SetParent(this);
    list_.push_back(std::move(frame));
    dims_.assign(1, -1);
    fixed_.assign(2, false);
    LayOut();
    f->ShowDocument(doc, dest);
    if (THTMLViewer* v = f->HtmlViewer()) {
        Title = v->DocumentTitle();
        BaseTarget = v->BaseTarget();
    }
}

void TFrameViewer::OpenDocument(const std::string& name) {
    if (Requested())
        Load(name);
}

void TFrameViewer::Load(const std::string& url) {
    if (url.empty() || DeferWhileModal([this, url] { Load(url); }))
        return;
    LoadTop(url);
}

void TFrameViewer::Reload() {
    if (DeferWhileModal([this] { Reload(); }))
        return;
    if (curFrameSet_ && !curFrameSet_->CurrentFile.empty())
        LoadTop(curFrameSet_->CurrentFile);
}

void TFrameViewer::Clear() {
    auto fresh = std::make_unique<TFrameSet>(*this);
    fresh->SetParent(this);
    PlaceTop(*fresh);
    Retire(std::move(curFrameSet_));
    curFrameSet_ = std::move(fresh);
    historySets_.clear();
    history_.Clear();
    titleHistory_.Clear();
    posHistory_.clear();
    historyIndex_ = 0;
    activeViewer_ = nullptr;
}

void TFrameViewer::LoadTop(const std::string& url) {
    TFVProcessingScope processing(*this);
    std::string name = url, anchor;
    if (const size_t hash = name.find('#'); hash != std::string::npos) {
        anchor = name.substr(hash + 1, kMaxAnchor);
        name.resize(hash);
    }
    if (OnSoundRequest)
        OnSoundRequest(this, {}, 0, true);
    const std::string& current = curFrameSet_->CurrentFile;
    const bool same =
        !current.empty() &&
        (SameText(name, current) || (!Requested() && SameText(ExpandFileName(name), current)));
    if (!same) {
        auto fresh = std::make_unique<TFrameSet>(*this);
        fresh->Hide();
        fresh->SetParent(this);
        PlaceTop(*fresh);
        fresh->LoadFromFile(name, anchor); // an error discards the new set: the old one stays
        const int32_t pos = curFrameSet_->ViewerPosition();
        curFrameSet_->UnloadFiles();
        std::unique_ptr<TFrameSet> old = std::move(curFrameSet_);
        old->Hide();
        old->SetParent(nullptr);
        curFrameSet_ = std::move(fresh);
        curFrameSet_->Show();
        activeViewer_ = nullptr;
        AddHistory(std::move(old), pos);
    } else {
        const int32_t pos = curFrameSet_->ViewerPosition();
        curFrameSet_->LoadFromFile(name, anchor);
        PlaceTop(*curFrameSet_);
        activeViewer_ = nullptr;
        if (historyIndex_ >= 0 && historyIndex_ < static_cast<int>(posHistory_.size()))
            posHistory_[static_cast<size_t>(historyIndex_)] = pos;
    }
    AddVisited(anchor.empty() ? curFrameSet_->CurrentFile
                              : curFrameSet_->CurrentFile + "#" + anchor);
    CheckVisitedLinks();
}
