#pragma once
// A site book opened for reading: the file, its archive (found through the trailer) and the
// book configuration. Members are served by file name alone, ignoring case, as if they all lay
// in one directory; when two members share a name the later one is served (the builder packs
// its configuration after the pages, so a page that happens to be called "folioauthor.html"
// cannot stand in for it).
//
// A book that lost its trailer (cut short, or with bytes added at its end) is still found: the
// reader program's own headers say where its archive begins. Such a book, or one whose archive
// or configuration is damaged, is told apart from the bare template, and what can still be read
// of it is said in one message that the terminal and the reader's window both show.
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

// The file is a book, but damaged: the message says how, how many of its files can still be
// read, and how to save them ("BOOK --extract DIR"). Opening it with boSalvage reads what is left.
class EDamagedBook : public EArchiveError {
public:
    EDamagedBook(const std::string& message, int readableFiles)
        : EArchiveError(message), readableFiles_(readableFiles) {}
    int ReadableFiles() const { return readableFiles_; }

private:
    int readableFiles_;
};

// How a damaged book is opened: boWhole refuses it (EDamagedBook), boSalvage keeps what can be
// read and describes the damage in DamageReport().
enum TBookOpening { boWhole, boSalvage };

class TSiteBook {
public:
    static constexpr const char* kConfigName = "folioauthor.html";

    // Raises EFOpenError when the file cannot be opened, ENotABook when it carries no archive,
    // EDamagedBook when it is damaged (with boSalvage only when nothing at all can be read).
    explicit TSiteBook(const std::string& path, TBookOpening opening = boWhole);

    const std::string& Path() const { return path_; }
    const TBookConfig& Config() const { return config_; }
    const TArchiveReader& Archive() const { return *archive_; }

    // Empty for a whole book; else the text EDamagedBook carries. A salvaged book whose
    // configuration is lost has an empty Config(): no home page, caption or password.
    const std::string& DamageReport() const { return damage_; }
    bool Damaged() const { return !damage_.empty(); }

    // The name a member is served under: its stored name after the last "/" (after the last
    // "\" for a name without any "/", as older books stored them).
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
    void OpenDamaged(const std::string& whyNotWhole);
    std::string DescribeEnd() const;
    std::string ReadConfig();
    int Readable() const;
    void ReportDamage(const std::string& what);

    std::string path_;
    std::unique_ptr<TFileStream> file_;
    std::unique_ptr<TArchiveReader> archive_;
    TBookConfig config_;
    std::vector<int> served_;
    std::vector<int> shadowed_;
    std::string damage_;
    int64_t start_ = 0; // of the archive
};
