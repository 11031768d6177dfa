#include "bookreader/book_page_source.h"

#include "html/reader/url_subs.h"
#include "html/view/frame_viewer.h"
#include "platform/base/strings.h"

bool IsOutsideLink(std::string_view url) {
    const std::string link = HtmlTrim(url);
    for (std::string_view scheme : {"http:", "https:", "ftp:", "mailto:", "news:"}) {
        if (link.size() >= scheme.size() && SameText(link.substr(0, scheme.size()), scheme)) {
            return true;
        }
    }
    return false;
}

std::string RequestedMemberName(std::string_view url, bool backslashAsName) {
    std::string name = HtmlTrim(url);
    name = name.substr(0, name.find_first_of("#?"));
    name = UrlToPath(name);
    // "file:page.htm" (no slashes) is left alone by UrlToPath.
    if (name.size() >= 5 && SameText(std::string_view(name).substr(0, 5), "file:")) {
        name.erase(0, 5);
    }
    const size_t slash = name.find_last_of(backslashAsName ? "/" : "/\\");
    if (slash != std::string::npos) {
        name.erase(0, slash + 1);
    }
    if (name == "." || name == "..") {
        return {};
    }
    return name;
}

TBookPageSource::TBookPageSource(const TSiteBook& book, size_t cacheBytes)
    : book_(book), cacheLimit_(cacheBytes) {
    for (int i : book.Served()) {
        byName_[LowerCase(TSiteBook::ServedName(book.Archive().Member(i).Name))] = i;
    }
    configMember_ = book.Find(TSiteBook::kConfigName);
}

int TBookPageSource::Find(std::string_view url) const {
    // A file whose name holds a backslash is found by its whole name; otherwise a backslash
    // separates folders, as in links written on other systems.
    auto it = byName_.end();
    for (bool whole : {true, false}) {
        const std::string name = RequestedMemberName(url, whole);
        if (!name.empty() && it == byName_.end()) {
            it = byName_.find(LowerCase(name));
        }
    }
    // The configuration carries the password in clear: a page that links to it must not be
    // able to show it.
    if (it == byName_.end() || it->second == configMember_) {
        return -1;
    }
    return it->second;
}

std::shared_ptr<const std::string> TBookPageSource::Fetch(std::string_view url) {
    const int member = Find(url);
    if (member < 0) {
        return nullptr;
    }
    if (const auto it = cached_.find(member); it != cached_.end()) {
        ++hits_;
        lru_.splice(lru_.begin(), lru_, it->second);
        return it->second->Bytes;
    }
    ++misses_;
    const TArchiveMember& m = book_.Archive().Member(member);
    if (m.SizeBound() > kMaxMemberBytes) {
        throw EArchiveError("The book's file \"" + TSiteBook::ServedName(m.Name) +
                            "\" is too large to show");
    }
    auto bytes = std::make_shared<const std::string>(book_.Archive().ExtractToString(member));
    Remember(member, bytes);
    return bytes;
}

void TBookPageSource::Remember(int member, std::shared_ptr<const std::string> bytes) {
    // A member larger than the whole cache is served but not kept: it would push out
    // everything else and then itself.
    if (bytes->size() > cacheLimit_) {
        return;
    }
    cachedBytes_ += bytes->size();
    lru_.push_front({member, std::move(bytes)});
    cached_[member] = lru_.begin();
    while (cachedBytes_ > cacheLimit_ && !lru_.empty()) {
        cachedBytes_ -= lru_.back().Bytes->size();
        cached_.erase(lru_.back().Member);
        lru_.pop_back();
    }
}

namespace {

void Fill(TMemoryStream& stream, const std::string& bytes) {
    stream.Clear();
    stream.WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
    stream.SetPosition(0);
}

} // namespace

void TBookPageSource::StreamRequest(TObject*, const std::string& src, TMemoryStream*& stream) {
    const std::shared_ptr<const std::string> bytes = Fetch(src);
    if (!bytes) {
        throw EInOutError("Can't locate file: " + src);
    }
    Fill(pageStream_, *bytes);
    stream = &pageStream_;
}

void TBookPageSource::ImageRequest(TObject*, const std::string& src, TMemoryStream*& stream) {
    stream = nullptr;
    std::shared_ptr<const std::string> bytes;
    try {
        bytes = Fetch(src);
    } catch (const Exception&) {
        return; // a damaged picture is drawn as a broken one, the page still shows
    }
    if (bytes) {
        Fill(imageStream_, *bytes);
        stream = &imageStream_;
    }
}

void TBookPageSource::DocumentKind(TObject*, const std::string& src, THtmlFileType& kind) const {
    const std::string name = LowerCase(RequestedMemberName(src));
    const size_t dot = name.rfind('.');
    const std::string ext = dot == std::string::npos ? std::string() : name.substr(dot);
    if (ext == ".txt")
        kind = TextType;
    else if (ext == ".bmp" || ext == ".gif" || ext == ".jpg" || ext == ".jpeg" || ext == ".png")
        kind = ImgType;
    else
        kind = HTMLType;
}

void TBookPageSource::Attach(TFrameViewer& viewer) {
    viewer.OnDocumentKind = [this](TObject* sender, const std::string& src, THtmlFileType& kind) {
        DocumentKind(sender, src, kind);
    };
    viewer.OnStreamRequest = [this](TObject* sender, const std::string& src,
                                    TMemoryStream*& stream) { StreamRequest(sender, src, stream); };
    viewer.OnImageRequest = [this](TObject* sender, const std::string& src,
                                   TMemoryStream*& stream) { ImageRequest(sender, src, stream); };
}
