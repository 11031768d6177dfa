#include "archive/book_file.h"

#include <climits>

#include "archive/little_endian.h"
#include "platform/base/strings.h"

int64_t ReadBookTrailer(TStream& book) {
    const int64_t size = book.Size();
    if (size < 4)
        throw ENoBookArchive("No archive: the file is shorter than its trailer");
    book.Seek(size - 4, soBeginning);
    uint8_t b[4];
    if (book.Read(b, 4) != 4)
        throw ENoBookArchive("No archive: the trailer cannot be read");
    const int32_t t = GetInt32LE(b);
    // The archive holds at least its header (4 + 4 + 4 bytes) and its end marker.
    if (t < 0 || int64_t(t) + 16 > size - 4)
        throw ENoBookArchive("No archive: the trailer points to offset " + IntToStr(t) +
                             ", outside the file of " + IntToStr(size) + " bytes");
    return t;
}

std::unique_ptr<TArchiveReader> OpenBookArchive(TStream& book) {
    const int64_t start = ReadBookTrailer(book);
    const int64_t end = book.Size() - 4;
    auto reader = std::make_unique<TArchiveReader>(book, start, end);
    if (reader->EndOffset() != end)
        throw EArchiveError("Damaged archive: " + IntToStr(end - reader->EndOffset()) +
                            " stray bytes between the end marker and the trailer");
    return reader;
}

void WriteBookTrailer(TStream& book, int64_t archiveOffset) {
    if (archiveOffset < 0 || archiveOffset > INT32_MAX)
        throw EArchiveError("The archive offset " + IntToStr(archiveOffset) +
                            " does not fit in the trailer");
    uint8_t b[4];
    PutInt32LE(b, static_cast<int32_t>(archiveOffset));
    book.WriteBuffer(b, 4);
}
