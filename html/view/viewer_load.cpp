// Loading documents: from files (HTML, text, a single picture) and from memory, with the
// meta refresh request a document may make.
#include <algorithm>

#include "html/load/html_reader.h"
#include "html/view/html_viewer.h"
#include "html/view/viewer_names.h"
#include "platform/base/files.h"
#include "platform/base/strings.h"
#include "platform/gui/application.h"

namespace {

constexpr size_t kMaxAnchor = 255;

// A file name as the src of the one IMG that shows a picture: entities and the characters
// the name expansion would read as escapes or a fragment are written out.
std::string ImageSource(const std::string& name) {
    std::string out;
    for (char c : name) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '"':
            out += "&quot;";
            break;
        case '%':
            out += "%25";
            break;
        case '#':
            out += "%23";
            break;
        default:
            out += c;
        }
    }
    return out;
}

// Restores the screen cursor and ends processing however the load ends.
class TLoadScope {
public:
    TLoadScope(std::function<void(bool)> processing, bool showHourGlass)
        : processing_(std::move(processing)), cursor_(Application().ScreenCursor()),
          hourGlass_(showHourGlass) {
        if (hourGlass_)
            Application().SetScreenCursor(TCursor::crHourGlass);
        processing_(true);
    }
    ~TLoadScope() {
        if (hourGlass_)
            Application().SetScreenCursor(cursor_);
        processing_(false);
    }
    TLoadScope(const TLoadScope&) = delete;
    TLoadScope& operator=(const TLoadScope&) = delete;

private:
    std::function<void(bool)> processing_;
    TCursor cursor_;
    bool hourGlass_;
};

} // namespace

void THTMLViewer::OpenHtmlFile(const std::string& fileName) {
    OpenFile(fileName, HTMLType);
}

void THTMLViewer::OpenTextFile(const std::string& fileName) {
    OpenFile(fileName, TextType);
}

void THTMLViewer::OpenImageFile(const std::string& fileName) {
    OpenFile(fileName, ImgType);
}

void THTMLViewer::OpenFile(const std::string& fileName, THtmlFileType type) {
    if (processing_ || fileName.empty())
        return;
    const std::string prevFile = currentFile_;
    const std::string prevTitle = title_;
    const int32_t prevPos = ViewPosition();
    const THtmlFileType prevType = fileType_;
    LoadFile(fileName, type);
    if (!SameText(prevFile, currentFile_) || prevType != fileType_)
        AddHistory(prevFile, prevTitle, prevPos, prevType);
}

TReaderHost THTMLViewer::ReaderHost() {
    TReaderHost host;
    host.Viewer = this;
    host.IsDocumentViewer = true;
    host.MarginWidth = MarginWidth;
    host.MarginHeight = MarginHeight;
    host.OnInclude = OnInclude;
    host.OnScript = OnScript;
    host.OnSoundRequest = OnSoundRequest;
    host.OnStreamRequest = OnStreamRequest;
    host.OnMeta = [this](TObject* sender, const std::string& httpEquiv, const std::string& name,
                         const std::string& content) {
        HandleMeta(sender, httpEquiv, name, content);
    };
    return host;
}

// "refresh" content: the delay before the first ";", then optionally "url=" and the address.
void THTMLViewer::HandleMeta(TObject* sender, const std::string& httpEquiv, const std::string& name,
                             const std::string& content) {
    if (OnMeta)
        OnMeta(sender, httpEquiv, name, content);
    if (!OnMetaRefresh || !SameText(httpEquiv, "refresh"))
        return;
    const size_t semi = content.find(';');
    int32_t delay = 0;
    if (!TryStrToInt(Trim(content.substr(0, semi)), delay))
        return;
    refreshDelay_ = delay == 0 ? 1 : delay;
    const std::string lower = LowerCase(content);
    const size_t at = lower.find("url=");
    refreshURL_ = at == std::string::npos ? std::string() : Trim(content.substr(at + 4));
}

void THTMLViewer::ParseDocument(const THtmlSource& source, THtmlFileType type,
                                const std::string& name) {
    switch (type) {
    case HTMLType:
        StopSound();
        ParseHTMLDocument(*doc_, source, ReaderHost());
        break;
    case TextType:
        ParseHTMLText(*doc_, source);
        break;
    case ImgType: {
        const std::string page = "<img src=\"" + ImageSource(name) + "\">";
        ParseHTMLDocument(*doc_, THtmlSource::Text(page), ReaderHost());
        break;
    }
    }
    // The document's form widgets and panels were just added to the border panel after the
    // scroll bars; the bars go back on top, so a widget at the edge of the view is drawn under
    // them and a click where the two meet reaches the bar.
    if (!doc_->Controls.empty() || !doc_->Panels.empty())
        for (TScrollBar* bar : {&vBar_, &hBar_}) {
            bar->SetParent(nullptr);
            bar->SetParent(&borderPanel_);
        }
}

void THTMLViewer::LoadFile(const std::string& fileName, THtmlFileType type) {
    std::string name = fileName, anchor;
    if (const size_t hash = name.find('#'); hash != std::string::npos) {
        anchor = name.substr(hash + 1, kMaxAnchor);
        name.resize(hash);
    }
    refreshDelay_ = 0;
    refreshURL_.clear();
    {
        TLoadScope scope([this](bool on) { SetProcessing(on); }, true);
        const std::string full = ExpandFileName(name);
        if (name.empty() || !FileExists(full))
            throw EInOutError("Can't locate file: " + name);
        PrepareDocument();
        const bool sameFile = SameText(full, currentFile_) && type == fileType_;
        currentFile_ = full;
        fileType_ = type;
        ParseDocument(THtmlSource::File(full), type, full);
        FinishLoad(anchor, sameFile);
    }
    ReportRefresh();
}

void THTMLViewer::LoadFromMemory(const THtmlSource& source, THtmlFileType type,
                                 const std::string& name) {
    if (processing_)
        return;
    std::string file = name, anchor;
    if (const size_t hash = file.find('#'); hash != std::string::npos) {
        anchor = file.substr(hash + 1, kMaxAnchor);
        file.resize(hash);
    }
    refreshDelay_ = 0;
    refreshURL_.clear();
    {
        TLoadScope scope([this](bool on) { SetProcessing(on); }, false);
        PrepareDocument();
        const bool sameFile = !file.empty() && SameText(file, currentFile_) && type == fileType_;
        currentFile_ = file;
        fileType_ = type;
        ParseDocument(source, type, file);
        FinishLoad(anchor, sameFile);
    }
    ReportRefresh();
}

void THTMLViewer::LoadFromSource(const THtmlSource& source, const std::string& name,
                                 THtmlFileType type) {
    LoadFromMemory(source, type, name);
}

void THTMLViewer::FinishLoad(const std::string& anchor, bool sameFile) {
    title_ = doc_->Title;
    baseTarget_ = doc_->BaseTarget;
    DoLayout();
    CheckVisitedLinks();
    if (!anchor.empty() && ScrollToAnchor(anchor)) {
        // positioned at the anchor
    } else if (!sameFile) {
        ScrollToY(0);
        HScrollTo(0);
    }
    Invalidate();
}

void THTMLViewer::ReportRefresh() {
    if (refreshDelay_ > 0 && OnMetaRefresh)
        OnMetaRefresh(this, refreshDelay_, refreshURL_);
}

void THTMLViewer::ShowHtmlString(const std::string& text) {
    LoadFromMemory(THtmlSource::Text(text), HTMLType, {});
}

void THTMLViewer::ShowHtmlBuffer(const char* buffer, size_t length) {
    LoadFromMemory(THtmlSource::Buffer(buffer, buffer ? length : 0), HTMLType, {});
}

void THTMLViewer::ShowHtmlStream(TStream& stream) {
    LoadFromMemory(THtmlSource::Stream(&stream), HTMLType, {});
}

void THTMLViewer::ShowStringList(const TStringList& strings, THtmlFileType type) {
    LoadFromMemory(THtmlSource::Strings(&strings), type == TextType ? TextType : HTMLType, {});
}
