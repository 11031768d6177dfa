#include "bookreader/site_book.h"

#include <unordered_map>

#include "archive/book_file.h"
#include "platform/base/strings.h"

namespace {

// Whether the bytes at offset start like the header of a book's archive (the title "Folio").
// Tells a damaged book from a file whose last four bytes merely happen to point inside it.
bool LooksLikeBookArchive(TStream& file, int64_t offset) {
    uint8_t head[9] = {};
    file.Seek(offset, soBeginning);
    if (file.Read(head, sizeof head) != static_cast<int64_t>(sizeof head)) {
        return false;
    }
    return head[0] == 5 && head[1] == 0 && head[2] == 0 && head[3] == 0 &&
           std::string_view(reinterpret_cast<const char*>(head + 4), 5) == "Folio";
}

} // namespace

TSiteBook::TSiteBook(const std::string& path) : path_(path) {
    file_ = std::make_unique<TFileStream>(path, fmOpenRead | fmShareDenyNone);
    try {
        archive_ = OpenBookArchive(*file_);
    } catch (const ENoBookArchive& e) {
        throw ENotABook(e.Message());
    } catch (const EArchiveError& e) {
        int64_t offset = -1;
        try {
            offset = ReadBookTrailer(*file_);
        } catch (const Exception&) {
        }
        if (offset < 0 || !LooksLikeBookArchive(*file_, offset)) {
            throw ENotABook(e.Message());
        }
        throw;
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

    const int config = Find(kConfigName);
    if (config < 0) {
        throw EArchiveError("The book has no configuration \"folioauthor.html\"");
    }
    // Four short lines; anything large is not a configuration the builder wrote.
    if (archive_->Member(config).SizeBound() > (int64_t(1) << 20)) {
        throw EArchiveError("The book's configuration \"folioauthor.html\" is damaged");
    }
    config_ = ParseBookConfig(archive_->ExtractToString(config));
}

std::string TSiteBook::ServedName(std::string_view memberName) {
    const size_t slash = memberName.find_last_of("/\\");
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
