// Links in frames: where a clicked link loads (its target), the pointer over links, name
// expansion and the one visited list the frame viewer keeps for all its frames.
#include <algorithm>

#include "html/doc/font_obj.h"
#include "html/reader/url_subs.h"
#include "html/view/frame_viewer.h"
#include "html/view/viewer_names.h"
#include "platform/base/files.h"
#include "platform/base/strings.h"
#include "platform/gui/application.h"

namespace {

// The set around s: its parent set, or the set of the frame whose document s is.
TSubFrameSet* Enclosing(const TSubFrameSet* s) {
    if (s->ParentSet())
        return s->ParentSet();
    return s->OwnerFrame ? s->OwnerFrame->ParentSet() : nullptr;
}

// The nearest base element along the chain of sets around a frame.
std::string ChainBase(const TfvFrame& frame) {
    for (TSubFrameSet* s = frame.ParentSet(); s; s = Enclosing(s))
        if (!s->Base.empty())
            return s->Base;
    return {};
}

} // namespace

std::string TFrameViewer::ExpandName(const std::string& link) const {
    const std::string trimmed = HtmlTrim(link);
    THTMLViewer* v = ActiveViewer();
    TfvFrame* frame = FrameOf(v);
    const std::string base = frame ? ChainBase(*frame) : curFrameSet_->Base;
    if (!base.empty() && !IsFullUrl(trimmed)) {
        if (SameText(base, "DosPath"))
            return ExpandFileName(trimmed);
        std::string folder = UrlToPath(HtmlTrim(base));
        if (!folder.empty() && folder.back() != '/')
            folder = ExtractFilePath(folder);
        return ExpandFileName(folder + trimmed);
    }
    if (v)
        return v->ExpandName(trimmed);
    if (IsFullUrl(trimmed) || trimmed.empty())
        return trimmed;
    return ExpandFileName(ExtractFilePath(curFrameSet_->CurrentFile) + trimmed);
}

void TFrameViewer::LinkCovered(THTMLViewer* viewer, const std::string& url) {
    if (OnHotSpotTargetCovered)
        OnHotSpotTargetCovered(viewer, url.empty() ? std::string() : viewer->Target(), url);
}

void TFrameViewer::HotSpotClick(THTMLViewer* viewer, const std::string& url,
                                const std::string& target) {
    if (!viewer)
        viewer = ActiveViewer();
    if (!viewer)
        return;
    if (DeferWhileModal([this, url, target] { HotSpotClick(nullptr, url, target); }))
        return;
    viewer->SetURL(url, target);
    bool handled = false;
    LinkClick(viewer, url, handled);
}

void TFrameViewer::LinkClick(THTMLViewer* viewer, const std::string& url, bool& handled) {
    handled = true;
    if (processing_)
        return;
    if (Application().ModalBlocks(this))
        return; // a click that reaches a page below a dialog is not followed
    TfvFrame* frame = FrameOf(viewer);
    std::string target = viewer->Target();
    if (target.empty())
        target = viewer->BaseTarget();
    for (TSubFrameSet* s = frame ? frame->ParentSet() : nullptr; target.empty() && s;
         s = Enclosing(s))
        target = s->BaseTarget;

    bool ownerHandled = false;
    if (OnHotSpotTargetClick)
        OnHotSpotTargetClick(viewer, target, url, ownerHandled);
    if (ownerHandled)
        return;

    std::string name = url, fragment, query;
    if (const size_t hash = name.find('#'); hash != std::string::npos) {
        fragment = name.substr(hash + 1, 255);
        name.resize(hash);
    }
    if (const size_t q = name.find('?'); q != std::string::npos) {
        query = name.substr(q + 1);
        name.resize(q);
    }
    if (!Requested() && !name.empty())
        name = viewer->ExpandName(name);

    // Where it loads: a frame, or the top set (loadTop).
    TfvFrame* into = nullptr;
    bool loadTop = false;
    if (target.empty() || SameText(target, "_self")) {
        into = frame;
    } else if (TfvFrame* named = FrameByName(target)) {
        into = named;
    } else if (SameText(target, "_top")) {
        loadTop = true;
    } else if (SameText(target, "_parent")) {
        for (TSubFrameSet* s = frame ? frame->ParentSet() : nullptr; s && !into; s = Enclosing(s))
            into = s->OwnerFrame;
        loadTop = into == nullptr;
    } else {
        if (OnBlankWindowRequest) {
            AddVisited(url);
            CheckVisitedLinks();
            OnBlankWindowRequest(viewer, target, url);
        }
        handled = OnBlankWindowRequest != nullptr || !target.empty();
        return;
    }
    if (!into)
        loadTop = true;
    // A page shown whole is replaced whole, so that the history records it.
    if (into && curFrameSet_->SingleFrame() && !name.empty() &&
        !SameText(name, curFrameSet_->CurrentFile))
        loadTop = true;

    try {
        TFVProcessingScope processing(*this);
        if (loadTop) {
            if (name.empty()) {
                if (TfvFrame* only = curFrameSet_->SingleFrame())
                    only->frLoadFromFile({}, fragment, true);
            } else {
                LoadTop(fragment.empty() ? name : name + "#" + fragment);
            }
        } else {
            into->frLoadFromFile(name, fragment, true);
        }
    } catch (const std::exception& e) {
        // The shown pages stay; the failure is reported as any failed command is, once the
        // click has been handled: a dialog shown from here would run its loop while this
        // viewer's mouse handler is still on the stack.
        Application().PostException(e);
        return;
    }
    if (!query.empty())
        AddVisited(name + "?" + query + (fragment.empty() ? std::string() : "#" + fragment));
    CheckVisitedLinks();
}

// ---- visited links ----

void TFrameViewer::AddVisited(const std::string& url) {
    if (visitedMaxCount_ <= 0 || url.empty())
        return;
    const int i = visited_.IndexOf(url);
    if (i == 0)
        return;
    if (i > 0)
        visited_.Delete(i);
    visited_.Insert(0, url);
    while (visited_.Count() > visitedMaxCount_)
        visited_.Delete(visited_.Count() - 1);
}

// As a stand-alone viewer does with its own list: 0 forgets every visited link at once (and
// their marks), a smaller count drops the oldest entries.
void TFrameViewer::VisitedMaxCountChanged() {
    if (visitedMaxCount_ == 0) {
        visited_.Clear();
        for (THTMLViewer* v : Viewers()) {
            bool changed = false;
            for (TFontObj* link : v->Document().Links)
                if (link->Visited) {
                    link->SetVisited(false);
                    changed = true;
                }
            if (changed)
                v->PaintPanel().Invalidate();
        }
        return;
    }
    while (visited_.Count() > visitedMaxCount_)
        visited_.Delete(visited_.Count() - 1);
}

std::string TFrameViewer::FormLinkName(const THTMLViewer& viewer, const TfvFrame* frame,
                                       const std::string& link) const {
    const bool hash = !link.empty() && link[0] == '#';
    if (Requested())
        return hash ? (frame ? frame->Source : std::string()) + link : link;
    if (hash)
        return viewer.CurrentFile() + link;
    return viewer.ExpandName(link);
}

void TFrameViewer::CheckVisitedLinks() {
    if (visited_.Count() == 0)
        return;
    for (THTMLViewer* v : Viewers()) {
        const TfvFrame* frame = FrameOf(v);
        bool changed = false;
        for (TFontObj* link : v->Document().Links) {
            if (link->Visited)
                continue;
            if (visited_.IndexOf(FormLinkName(*v, frame, link->Target.URL)) >= 0) {
                link->SetVisited(true);
                changed = true;
            }
        }
        if (changed)
            v->PaintPanel().Invalidate();
    }
}
