#pragma once
// Where the reader program ends inside a book. A book is the program's file with an archive and
// a trailer appended; when the trailer is lost (a cut download, bytes added at the end) the
// program's own headers still tell where the archive must begin, which tells a damaged book from
// the bare template.
#include <cstdint>

#include "platform/base/streams.h"

// The size of the ELF program at the start of file, from its headers: the end of its furthest
// segment, section or header table. It may exceed the file's size when the program itself is cut
// short. -1 when the file does not start with a little-endian ELF header whose tables can be
// read.
int64_t ProgramImageSize(TStream& file);
