// A whole site book: the trailer, then the archive it points at, then every member.
#include <cstddef>
#include <cstdint>

#include "archive/book_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    TMemoryStream s;
    s.WriteBuffer(data, static_cast<int64_t>(size));
    try {
        auto r = OpenBookArchive(s);
        if (r->EndOffset() != s.Size() - 4)
            __builtin_trap();
        for (int i = 0; i < r->Count(); ++i)
            r->ExtractToString(i);
    } catch (const EArchiveError&) {
    }
    return 0;
}
