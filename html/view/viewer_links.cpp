// Links: expanding a link into a file name, following a clicked link, anchors, the visited
// list and the history.
#include <algorithm>

#include "html/doc/font_obj.h"
#include "html/reader/url_subs.h"
#include "html/view/html_viewer.h"
#include "html/view/viewer_names.h"
#include "platform/base/files.h"
#include "platform/base/strings.h"

namespace {

bool StartsWithHash(const std::string& s) {
    return !s.empty() && s[0] == '#';
}

// A web or mail address that is not a local file.
bool IsRemote(const std::string& link) {
    return IsFullUrl(link) && !ContainsText(link, "file:");
}

// The folder a base address stands for: its directory part, as relative URLs resolve.
std::string BaseFolder(const std::string& base) {
    std::string path = UrlToPath(HtmlTrim(base));
    std::replace(path.begin(), path.end(), '\\', '/');
    if (!path.empty() && path.back() != '/')
        path = ExtractFilePath(path);
    return path;
}

} // namespace

void THTMLViewer::SetURL(const std::string& url, const std::string& target) {
    url_ = url;
    target_ = target;
}

std::string THTMLViewer::ExpandName(const std::string& link) const {
    const std::string trimmed = HtmlTrim(link);
    if (trimmed.empty() || IsRemote(trimmed))
        return trimmed;
    std::string s = ExpandPath(trimmed, serverRoot_);
    std::replace(s.begin(), s.end(), '\\', '/');
    if (s.empty())
        return s;
    if (s[0] == '/')
        return ExpandFileName(s);
    const std::string& base = Base();
    // Under a web base a relative link is a web address too; there is no file for it.
    if (IsRemote(base))
        return CombineUrl(UrlBase(base), trimmed);
    if (SameText(base, "DosPath"))
        return ExpandFileName(s);
    if (!base.empty()) {
        const std::string folder = BaseFolder(base);
        if (!folder.empty())
            return ExpandFileName(folder + s);
        return ExpandFileName(s);
    }
    if (!currentFile_.empty())
        return ExpandFileName(ExtractFilePath(currentFile_) + s);
    return ExpandFileName(s);
}

std::string THTMLViewer::LinkFullName(const std::string& link) const {
    if (StartsWithHash(link))
        return currentFile_ + link;
    const size_t hash = link.find('#');
    const std::string name = link.substr(0, hash);
    const std::string anchor = hash == std::string::npos ? std::string() : link.substr(hash);
    if (name.empty())
        return currentFile_ + anchor;
    return ExpandName(name) + anchor;
}

bool THTMLViewer::ScrollToAnchor(const std::string& name) {
    const std::string n = StartsWithHash(name) ? name.substr(1) : name;
    if (n.empty())
        return false;
    TIDObject* obj = doc_->NamedPositions.Find(n);
    if (!obj)
        return false;
    ScrollToY(obj->YPosition());
    HScrollTo(0);
    AddVisited(currentFile_ + "#" + n);
    return true;
}

void THTMLViewer::FollowLink() {
    bool handled = false;
    if (OnHotSpotClick)
        OnHotSpotClick(this, url_, handled);
    if (handled)
        return;
    const std::string prevFile = currentFile_;
    const std::string prevTitle = title_;
    const int32_t prevPos = ViewPosition();
    const THtmlFileType prevType = fileType_;
    if (StartsWithHash(url_)) {
        if (ScrollToAnchor(url_)) {
            AddHistory(prevFile, prevTitle, prevPos, prevType);
            AddVisited(currentFile_ + url_);
        }
        return;
    }
    // Web and mail addresses are the owner's business (OnHotSpotClick); there is no file to
    // open for them here.
    if (IsRemote(url_))
        return;
    const size_t hash = url_.find('#');
    const std::string name = url_.substr(0, hash);
    const std::string anchor = hash == std::string::npos ? std::string() : url_.substr(hash + 1);
    const std::string full = ExpandName(name);
    if (IsRemote(full))
        return;
    const std::string ext = UpperCase(ExtractFileExt(full)).substr(0, 5);
    if (ext == ".HTM" || ext == ".HTML") {
        const std::string withAnchor = anchor.empty() ? full : full + "#" + anchor;
        if (!SameText(full, currentFile_)) {
            OpenHtmlFile(withAnchor);
            AddVisited(withAnchor);
        } else if (!anchor.empty() && ScrollToAnchor(anchor)) {
            AddHistory(prevFile, prevTitle, prevPos, prevType);
            AddVisited(withAnchor);
        }
    } else if (ext == ".BMP" || ext == ".GIF" || ext == ".JPG" || ext == ".JPEG" || ext == ".PNG") {
        OpenImageFile(full);
    }
}

// ---- visited links ----

void THTMLViewer::AddVisited(const std::string& url) {
    if (InFrameViewer || visitedMaxCount_ <= 0 || url.empty())
        return;
    const int i = visited_.IndexOf(url);
    if (i == 0)
        return;
    if (i > 0) {
        visited_.Delete(i);
    } else {
        MarkLinks(url);
    }
    visited_.Insert(0, url);
    while (visited_.Count() > visitedMaxCount_)
        visited_.Delete(visited_.Count() - 1);
}

void THTMLViewer::MarkLinks(const std::string& url) {
    bool changed = false;
    for (TFontObj* link : doc_->Links)
        if (!link->Visited && SameText(LinkFullName(link->Target.URL), url)) {
            link->SetVisited(true);
            changed = true;
        }
    if (changed)
        Invalidate();
}

void THTMLViewer::CheckVisitedLinks() {
    if (InFrameViewer || visited_.Count() == 0)
        return;
    bool changed = false;
    for (TFontObj* link : doc_->Links)
        if (!link->Visited && visited_.IndexOf(LinkFullName(link->Target.URL)) >= 0) {
            link->SetVisited(true);
            changed = true;
        }
    if (changed)
        Invalidate();
}

// ---- history ----

void THTMLViewer::AddHistory(const std::string& prevFile, const std::string& prevTitle,
                             int32_t prevPos, THtmlFileType prevType) {
    if (historyMaxCount_ < 1 || currentFile_.empty())
        return;
    const int32_t pos = ViewPosition();
    if (SameText(prevFile, currentFile_) && prevType == fileType_ && prevPos == pos)
        return;
    if (history_.Count() > 0) {
        const int i = std::clamp(historyIndex_, 0, history_.Count() - 1);
        history_.SetString(i, prevFile);
        titleHistory_.SetString(i, prevTitle);
        posHistory_[static_cast<size_t>(i)] = TPositionObj{prevPos, prevType};
        // What lay ahead of the entry shown is dropped.
        for (int k = 0; k < i; ++k) {
            history_.Delete(0);
            titleHistory_.Delete(0);
            posHistory_.erase(posHistory_.begin());
        }
    }
    historyIndex_ = 0;
    history_.Insert(0, currentFile_);
    titleHistory_.Insert(0, title_);
    posHistory_.insert(posHistory_.begin(), TPositionObj{pos, fileType_});
    while (history_.Count() > historyMaxCount_) {
        history_.Delete(history_.Count() - 1);
        titleHistory_.Delete(titleHistory_.Count() - 1);
        posHistory_.pop_back();
    }
    if (OnHistoryChange)
        OnHistoryChange(this);
}
