#pragma once
// A site book is the reader template, the archive written from offset T (the template's size),
// and a four-byte trailer holding T as a 32-bit signed little-endian integer. The archive's end
// marker is followed directly by the trailer.
#include <cstdint>
#include <memory>

#include "archive/archive_reader.h"
#include "platform/base/streams.h"

// The trailer does not point at an archive inside the file: the file is shorter than four
// bytes, or T is negative or beyond the last byte before the trailer. A bare reader template
// (run without an archive) gives this.
class ENoBookArchive : public EArchiveError {
    using EArchiveError::EArchiveError;
};

// Reads the trailer at the stream's end and returns T, checked against the stream's size.
// Raises ENoBookArchive.
int64_t ReadBookTrailer(TStream& book);

// Locates and indexes the archive of a site book. Raises ENoBookArchive when there is no
// trailer that fits, EArchiveError when the archive is damaged or does not end right before
// the trailer.
std::unique_ptr<TArchiveReader> OpenBookArchive(TStream& book);

// Writes T as the trailer at the stream's position. Raises EArchiveError when T does not fit
// in 31 bits or is negative, and EStreamError when the write fails.
void WriteBookTrailer(TStream& book, int64_t archiveOffset);
