// The frame viewer: construction, getting documents (from the owner or from files), the
// frame-set reader's operations, the inner viewers it makes, and loading at top level.
#include "html/view/frame_viewer.h"

#include <algorithm>

#include "html/view/viewer_names.h"
#include "platform/base/files.h"
#include "platform/base/strings.h"
#include "platform/gui/application.h"

namespace {

constexpr size_t kMaxAnchor = 255;

// Processing on for the length of a scope, however it ends.
class TProcessingScope {
public:
    explicit TProcessingScope(TFrameViewer& viewer) : viewer_(viewer) {
        viewer_.SetProcessing(true);
    }
    ~TProcessingScope() { viewer_.SetProcessing(false); }
    TProcessingScope(const TProcessingScope&) = delete;
    TProcessingScope& operator=(const TProcessingScope&) = delete;

private:
    TFrameViewer& viewer_;
};

} // namespace

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
    std::weak_ptr<bool> alive = alive_;
    Application().QueueCall([this, alive] {
        if (auto a = alive.lock(); !a || !*a)
            return;
        retirePosted_ = false;
        // Released in the order they left; each has already left its top set's names.
        std::vector<std::unique_ptr<TControl>> gone = std::move(retired_);
        retired_.clear();
        gone.clear();
    });
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

// ---- inner viewers ----

std::unique_ptr<THTMLViewer> TFrameViewer::MakeViewer(TfvFrame& frame) {
    auto v = std::make_unique<THTMLViewer>();
    THTMLViewer* p = v.get();
    p->InFrameViewer = true;
    p->SetDefBackground(defBackground_);
    p->SetViewImages(viewImages_);
    p->SetImageCache(cache_.get());
    p->SetImageCacheCount(imageCacheCount_);
    p->NoSelect = noSelect_;
    p->DefFontName = defFontName_;
    p->DefPreFontName = defPreFontName_;
    p->DefFontSize = defFontSize_;
    p->DefFontColor = defFontColor_;
    p->DefHotSpotColor = defHotSpotColor_;
    p->DefVisitedLinkColor = defVisitedLinkColor_;
    p->DefOverLinkColor = defOverLinkColor_;
    p->Cursor = cursor_;
    p->SetHistoryMaxCount(historyMaxCount_);
    p->SetServerRoot(serverRoot_);
    p->PrintMarginLeft = PrintMarginLeft;
    p->PrintMarginRight = PrintMarginRight;
    p->PrintMarginTop = PrintMarginTop;
    p->PrintMarginBottom = PrintMarginBottom;
    p->CharSet = frame.CharSet;
    p->MarginWidth = frame.frMarginWidth;
    p->MarginHeight = frame.frMarginHeight;
    p->SethtOptions(InnerOptions());
    // Links resolve against the nearest base element of the sets around the frame (a
    // document's own base still wins).
    for (TSubFrameSet* s = frame.ParentSet(); s;) {
        if (!s->FBase.empty()) {
            p->SetBase(s->FBase);
            break;
        }
        s = s->ParentSet() ? s->ParentSet()
                           : (s->OwnerFrame ? s->OwnerFrame->ParentSet() : nullptr);
    }
    TFrameSet* top = frame.TopSet();
    if (top && top->BorderSize == 0)
        p->SetBorderStyle(htNone);
    if (frame.NoScroll)
        p->SetScrollBars(ssNone);
    p->TabStop = true;

    // Pictures: a handler that raises leaves the picture's error image, not a broken page.
    if (OnImageRequest)
        p->OnImageRequest = [this](TObject* sender, const std::string& src,
                                   TMemoryStream*& stream) {
            try {
                OnImageRequest(sender, src, stream);
            } catch (const std::exception&) {
                stream = nullptr;
            }
        };
    if (OnBitmapRequest)
        p->OnBitmapRequest = [this](TObject* sender, const std::string& src,
                                    std::unique_ptr<TBitmap>& bitmap, TColor& color) {
            try {
                OnBitmapRequest(sender, src, bitmap, color);
            } catch (const std::exception&) {
                bitmap.reset();
            }
        };
    // Linked style sheets come from the owner as pages do.
    if (Requested())
        p->OnStreamRequest = [this](TObject* sender, const std::string& url,
                                    TMemoryStream*& stream) {
            stream = nullptr;
            std::string text, file;
            try {
                if (!RequestDocument(sender, url, text, file))
                    return;
                styleStream_.Clear();
                if (!file.empty()) {
                    styleStream_.LoadFromFile(ExpandFileName(file));
                } else {
                    styleStream_.Write(text.data(), static_cast<int64_t>(text.size()));
                    styleStream_.Seek(0, soBeginning);
                }
                stream = &styleStream_;
            } catch (const std::exception&) {
                stream = nullptr; // the sheet is left out
            }
        };
    if (OnFormSubmit)
        p->OnFormSubmit = OnFormSubmit;
    p->OnMeta = OnMeta;
    p->OnScript = OnScript;
    p->OnInclude = OnInclude;
    p->OnSoundRequest = OnSoundRequest;
    p->OnRightClick = OnRightClick;
    p->OnImageClick = OnImageClick;
    p->OnImageOver = OnImageOver;
    p->OnObjectClick = OnObjectClick;
    p->OnMouseDouble = OnMouseDouble;
    p->OnPanelCreate = OnPanelCreate;
    p->OnPanelDestroy = OnPanelDestroy;
    p->OnMouseDown = OnMouseDown;
    p->OnMouseUp = OnMouseUp;
    p->OnMouseMove = OnMouseMove;
    p->OnPrintHeader = OnPrintHeader;
    p->OnPrintFooter = OnPrintFooter;
    if (OnViewerKeyDown) {
        auto own = p->PaintPanel().OnKeyDown;
        p->PaintPanel().OnKeyDown = [this, own](TControl& sender, int& key, TShiftState shift) {
            OnViewerKeyDown(sender, key, shift);
            if (key != 0 && own)
                own(sender, key, shift);
        };
    }
    p->OnHotSpotClick = [this, p](TObject*, const std::string& url, bool& handled) {
        LinkClick(p, url, handled);
    };
    p->OnHotSpotCovered = [this, p](TObject*, const std::string& url) { LinkCovered(p, url); };
    p->OnProcessing = [this](TObject*, bool on) { SetProcessing(on); };
    TfvFrame* f = &frame;
    p->OnMetaRefresh = [f](TObject*, int32_t delay, const std::string& url) {
        f->Refresh(delay, url);
    };
    auto enter = p->PaintPanel().OnEnter;
    p->PaintPanel().OnEnter = [this, f, p, enter](TControl& sender) {
        if (enter)
            enter(sender);
        activeViewer_ = p;
        if (f->TopSet())
            f->TopSet()->ActiveFrame = f;
    };
    return v;
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
    return curFrameSet_->FTitle;
}

// ---- loading ----

void TFrameSet::LoadFromFile(const std::string& name, const std::string& dest) {
    Clear();
    const TFetchedDocument doc = viewer_.FetchDocument(&viewer_, name);
    CurrentFile = doc.Name;
    const THtmlSource source = doc.Source();
    if (doc.Type == HTMLType && IsFrameSetDocument(source)) {
        viewer_.ReadFrameSet(*this, source);
        FTitle = viewer_.Title;
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
        FTitle = v->DocumentTitle();
        BaseTarget = v->BaseTarget();
    }
}

void TFrameViewer::OpenDocument(const std::string& name) {
    if (Requested())
        Load(name);
}

void TFrameViewer::Load(const std::string& url) {
    if (url.empty())
        return;
    LoadTop(url);
}

void TFrameViewer::Reload() {
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
    TProcessingScope processing(*this);
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
