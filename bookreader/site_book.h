#pragma once
// A site book opened for reading: the file, its archive (found through the trailer) and the
// book configuration. Members are served by file name alone, ignoring case, as if they all lay
// in one directory; when two members share a name the later one is served (the builder packs
// its configuration after the pages, so a page that happens to be called "folioauthor.html"
// cannot stand in for it).
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "archive/archive_reader.h"
#include "bookreader/book_config.h"
#include "platform/base/streams.h"

// The file holds no archive: a bare reader template, or a file that is no book at all.
class ENotABook : public Exception {
    using Exception::Exception;
};

class TSiteBook {
public:
    static constexpr const char* kConfigName = "folioauthor.html";

    // Raises EFOpenError when the file cannot be opened, ENotABook when it carries no archive,
    // EArchiveError when the archive or its configuration is damaged.
    explicit TSiteBook(const std::string& path);

    const std::string& Path() const { return path_; }
    const TBookConfig& Config() const { return config_; }
    const TArchiveReader& Archive() const { return *archive_; }

    // The name a member is served under: its stored name after the last "/" or "\".
    static std::string ServedName(std::string_view memberName);
    // Index of the member served under fileName (ignoring case); -1 when there is none.
    int Find(std::string_view fileName) const;
    // The members that are served, in archive order (a member shadowed by a later one of the
    // same name is left out).
    const std::vector<int>& Served() const { return served_; }
    // Members shadowed by a later one of the same name.
    const std::vector<int>& Shadowed() const { return shadowed_; }
    // The home page's served name (from the configuration's full path).
    std::string HomePageName() const;
    bool HasPassword() const { return !config_.Password.empty(); }

private:
    std::string path_;
    std::unique_ptr<TFileStream> file_;
    std::unique_ptr<TArchiveReader> archive_;
    TBookConfig config_;
    std::vector<int> served_;
    std::vector<int> shadowed_;
};
