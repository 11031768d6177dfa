#pragma once
// Serves a book's pages, style sheets and pictures to the frame viewer straight from the
// archive. Every member is served as if all lay in one directory, so whatever path the viewer
// built for a link ("../pics/Logo.GIF", "/home/me/sub/page.html#top", "file:///x/a.htm?q=1")
// comes down to the file name after its last "/" or "\", matched ignoring ASCII case. Members
// are decompressed into memory on request and kept in a cache bounded by total bytes (least
// recently used first out); nothing is ever written to disk.
//
// Web and mail links (http:, https:, ftp:, mailto:, news:) are not the book's: the window
// hands them to the desktop (ShellOpen) instead of to the viewer.
#include <cstddef>
#include <cstdint>
#include <list>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>

#include "bookreader/site_book.h"
#include "html/view/html_viewer.h"
#include "platform/base/streams.h"

class TObject;
class TFrameViewer;

// True for a link that leaves the book: it starts (after blanks) with http:, https:, ftp:,
// mailto: or news:, in any capitals.
bool IsOutsideLink(std::string_view url);

// The served name a viewer's request asks for: the fragment ("#...") and query ("?...") cut
// off, a "file:" scheme dropped, %XX escapes decoded, then the part after the last "/" or "\"
// (pages written on other systems separate folders with "\"); with backslashAsName, after the
// last "/" only, for a file whose name holds a backslash. Empty when nothing names a file (an
// empty link, a bare "#anchor", a directory).
std::string RequestedMemberName(std::string_view url, bool backslashAsName = false);

class TBookPageSource {
public:
    static constexpr size_t kDefaultCacheBytes = size_t(16) << 20;
    // A member that claims to be larger than this is refused rather than decompressed.
    static constexpr int64_t kMaxMemberBytes = int64_t(256) << 20;

    // The book must outlive the source. cacheBytes bounds the decompressed bytes kept.
    explicit TBookPageSource(const TSiteBook& book, size_t cacheBytes = kDefaultCacheBytes);

    // Archive index of the member a request names, or -1 when the book has none (the book's
    // configuration, which holds the password, is never served).
    int Find(std::string_view url) const;
    // The bytes of the member a request names, from the cache or decompressed now; null when
    // the book has no such member. Raises EArchiveError when the member is damaged or larger
    // than kMaxMemberBytes.
    std::shared_ptr<const std::string> Fetch(std::string_view url);

    // The frame viewer's OnStreamRequest (pages and linked style sheets): fills a stream of
    // its own and hands it back. A name the book lacks raises EInOutError "Can't locate file: "
    // with the name, the viewer's own message, so it never goes looking on disk.
    void StreamRequest(TObject* sender, const std::string& src, TMemoryStream*& stream);
    // The frame viewer's OnImageRequest: a picture's bytes, or null (the viewer then draws its
    // broken-picture sign) when the book lacks it or it is damaged.
    void ImageRequest(TObject* sender, const std::string& src, TMemoryStream*& stream);
    // The frame viewer's OnDocumentKind: a member named .txt is plain text, one named .bmp,
    // .gif, .jpg, .jpeg or .png a picture shown alone; everything else is a page.
    void DocumentKind(TObject* sender, const std::string& src, THtmlFileType& kind) const;
    // Assigns StreamRequest, DocumentKind and ImageRequest to the viewer's events. The source must
    // outlive the viewer's use of them.
    void Attach(TFrameViewer& viewer);

    size_t CachedBytes() const { return cachedBytes_; }
    size_t CacheLimit() const { return cacheLimit_; }
    // Requests answered from the cache and by decompressing, for tests and the benchmark.
    int64_t Hits() const { return hits_; }
    int64_t Misses() const { return misses_; }

private:
    struct TCached {
        int Member;
        std::shared_ptr<const std::string> Bytes;
    };
    void Remember(int member, std::shared_ptr<const std::string> bytes);

    const TSiteBook& book_;
    size_t cacheLimit_;
    size_t cachedBytes_ = 0;
    int64_t hits_ = 0, misses_ = 0;
    int configMember_ = -1;
    std::unordered_map<std::string, int> byName_; // lower-cased served name -> member
    std::list<TCached> lru_;                      // most recently used first
    std::unordered_map<int, std::list<TCached>::iterator> cached_;
    TMemoryStream pageStream_, imageStream_;
};
