#include "bookreader/site_book.h"

#include <algorithm>
#include <cstring>
#include <unordered_map>

#include "archive/book_file.h"
#include "archive/little_endian.h"
#include "bookreader/program_image.h"
#include "platform/base/files.h"
#include "platform/base/printable_name.h"
#include "platform/base/strings.h"

namespace {

// The start of a book's archive: the title length 5 and the title "Folio".
constexpr uint8_t kBookHeader[9] = {5, 0, 0, 0, 'F', 'o', 'l', 'i', 'o'};

// Whether the bytes at offset start like a book's archive. At least need bytes must be there;
// an archive cut short inside its header is compared as far as it goes.
bool StartsBookArchive(TStream& file, int64_t offset, int64_t need) {
    const int64_t size = file.Size();
    if (offset < 0 || offset >= size) {
        return false;
    }
    const int64_t n = std::min<int64_t>(sizeof kBookHeader, size - offset);
    uint8_t head[sizeof kBookHeader];
    file.Seek(offset, soBeginning);
    return n >= need && file.Read(head, n) == n && std::memcmp(head, kBookHeader, n) == 0;
}

// The 32-bit little-endian value at offset; -1 when fewer than four bytes are there or it is
// negative (no trailer holds a negative offset).
int64_t Int32At(TStream& file, int64_t offset) {
    uint8_t b[4];
    if (offset < 0 || offset + 4 > file.Size()) {
        return -1;
    }
    file.Seek(offset, soBeginning);
    if (file.Read(b, 4) != 4) {
        return -1;
    }
    return GetInt32LE(b);
}

// Names come from outside and are shown on terminals: never raw.
std::string Quoted(const std::string& name) {
    return "\"" + PrintableName(name) + "\"";
}

} // namespace

TSiteBook::TSiteBook(const std::string& path, TBookOpening opening) : path_(path) {
    file_ = std::make_unique<TFileStream>(path, fmOpenRead | fmShareDenyNone);
    std::string what;
    try {
        archive_ = OpenBookArchive(*file_);
        start_ = archive_->StartOffset();
    } catch (const EArchiveError& e) {
        OpenDamaged(e.Message());
        what = DescribeEnd();
    }

    std::unordered_map<std::string, int> last; // lower-cased served name -> member
    for (int i = 0; i < archive_->Count(); ++i) {
        last[LowerCase(ServedName(archive_->Member(i).Name))] = i;
    }
    for (int i = 0; i < archive_->Count(); ++i) {
        if (last[LowerCase(ServedName(archive_->Member(i).Name))] == i) {
            served_.push_back(i);
        } else {
            shadowed_.push_back(i);
        }
    }

    const std::string configLost = ReadConfig();
    if (!configLost.empty()) {
        what += (what.empty() ? "its" : ". Its") + std::string(" configuration \"") + kConfigName +
                "\" (home page, title and password) is " + configLost;
    }
    if (!what.empty()) {
        ReportDamage(what);
        if (opening == boWhole) {
            throw EDamagedBook(damage_, Readable());
        }
    }
}

// Reads the book's configuration; "missing" or "damaged" when it cannot.
std::string TSiteBook::ReadConfig() {
    const int config = Find(kConfigName);
    if (config < 0) {
        return "missing";
    }
    // Four short lines; anything large is not a configuration the builder wrote.
    const TArchiveMember& m = archive_->Member(config);
    if (!m.Complete || m.SizeBound() > (int64_t(1) << 20)) {
        return "damaged";
    }
    try {
        config_ = ParseBookConfig(archive_->ExtractToString(config));
    } catch (const EArchiveError&) {
        return "damaged";
    }
    return {};
}

int TSiteBook::Readable() const {
    return static_cast<int>(std::count_if(served_.begin(), served_.end(),
                                          [this](int i) { return archive_->Member(i).Complete; }));
}

// The message for a damaged book: what is wrong, then what can still be read and how.
void TSiteBook::ReportDamage(const std::string& what) {
    const int readable = Readable();
    const bool allThere = !archive_->Damage().Found;
    damage_ = PrintableName(ExtractFileName(path_)) + " is damaged: " + what + ". ";
    if (readable == 0) {
        damage_ += "None of its files can be read.";
        return;
    }
    if (!allThere) {
        damage_ += IntToStr(readable) + (readable == 1 ? " file" : " files");
    } else {
        damage_ += readable == 1 ? "Its only file" : "All " + IntToStr(readable) + " of its files";
    }
    // A bare name would be looked up in PATH, not in the current directory.
    const std::string run = path_.find('/') == std::string::npos ? "./" + path_ : path_;
    damage_ += " can still be read: run " + Quoted(run + " --extract DIR") + " to save " +
               (readable == 1 ? "it." : "them.");
}

// Finds the archive of a book whose trailer does not lead to a whole archive, and indexes what
// is left of it. Raises ENotABook when there is none, EDamagedBook when none can be read.
void TSiteBook::OpenDamaged(const std::string& whyNotWhole) {
    const std::string name = PrintableName(ExtractFileName(path_));
    const int64_t size = file_->Size();
    const int64_t programEnd = ProgramImageSize(*file_);
    const int64_t trailer = Int32At(*file_, size - 4);
    // The program's headers are the surer guide: a trailer can be lost or be bytes added later.
    int64_t start = -1;
    if (programEnd >= 0 && programEnd < size && StartsBookArchive(*file_, programEnd, 1)) {
        start = programEnd;
    } else if (trailer >= 0 && trailer < size - 4 &&
               StartsBookArchive(*file_, trailer, sizeof kBookHeader)) {
        start = trailer;
    }
    if (start < 0) {
        if (programEnd > size) {
            throw EDamagedBook(name + " is damaged: it is cut short inside the reader program. "
                                      "None of its files can be read.",
                               0);
        }
        if (programEnd >= 0 && programEnd < size) {
            throw EDamagedBook(name + " is damaged: " + IntToStr(size - programEnd) +
                                   " bytes follow the reader program, but they do not begin a "
                                   "book's archive. None of its files can be read.",
                               0);
        }
        if (programEnd == size) {
            throw ENotABook(name + " carries no site book: it is the reader template of "
                                   "FolioBuilder");
        }
        throw ENotABook(name + " is not a site book (" + whyNotWhole + ")");
    }
    start_ = start;
    // A trailer that points at the archive is the book's own, and the archive ends before it.
    const int64_t limit = trailer == start ? size - 4 : size;
    archive_ = std::make_unique<TArchiveReader>(*file_, start, limit, aiSalvage);
}

// What went wrong at the end of a book opened by OpenDamaged.
std::string TSiteBook::DescribeEnd() const {
    const TArchiveDamage& d = archive_->Damage();
    const int64_t size = file_->Size();
    if (d.Found) {
        std::string what =
            d.Truncated
                ? "it is cut short: its archive breaks off at offset " + IntToStr(d.Offset)
                : "its archive is damaged at offset " + IntToStr(d.Offset) + " (" + d.What + ")";
        if (archive_->Count() > 0 && !archive_->Member(archive_->Count() - 1).Complete) {
            what += ", in " + Quoted(ServedName(archive_->Member(archive_->Count() - 1).Name));
        }
        if (archive_->HeaderFileCount() > archive_->Count()) {
            what += "; it held " + IntToStr(archive_->HeaderFileCount()) + " files";
        }
        return what;
    }
    const int64_t end = archive_->EndOffset();
    if (end + 4 > size) {
        return "it is cut short: " + IntToStr(end + 4 - size) + " bytes of its end are missing";
    }
    if (Int32At(*file_, end) == start_) {
        return IntToStr(size - end - 4) + " bytes were added after its end";
    }
    if (Int32At(*file_, size - 4) == start_) {
        return IntToStr(size - 4 - end) + " stray bytes lie between its archive and its end";
    }
    return "the last four bytes, which say where its archive begins, are damaged";
}

std::string TSiteBook::ServedName(std::string_view memberName) {
    // Books made here store absolute paths, where only "/" separates folders and a backslash
    // is an ordinary character of a file name ("zz\index.html" is not "index.html"). A name
    // without any "/" comes from a builder that wrote paths such as "c:\site\page.htm", where
    // the backslash separates; such books stay readable.
    const bool slashes = memberName.find('/') != std::string_view::npos;
    const size_t slash = memberName.find_last_of(slashes ? '/' : '\\');
    return std::string(slash == std::string_view::npos ? memberName : memberName.substr(slash + 1));
}

int TSiteBook::Find(std::string_view fileName) const {
    int found = -1;
    for (int i : served_) {
        if (SameText(ServedName(archive_->Member(i).Name), fileName)) {
            found = i;
        }
    }
    return found;
}

std::string TSiteBook::HomePageName() const {
    return ServedName(config_.HomePage);
}
