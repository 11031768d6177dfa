// The archive reader over arbitrary bytes: index, then decompress every member. Damage must
// come out as EArchiveError, never as a crash, a hang or an out-of-bounds read.
#include <cstddef>
#include <cstdint>

#include "archive/archive_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    TMemoryStream s;
    s.WriteBuffer(data, static_cast<int64_t>(size));
    try {
        TArchiveReader r(s);
        for (int i = 0; i < r.Count(); ++i) {
            r.IndexOfFileName(r.Member(i).Name);
            int64_t total = 0;
            r.ExtractTo(i, [&total](const uint8_t*, size_t n) { total += int64_t(n); });
            if (total > r.Member(i).SizeBound())
                __builtin_trap(); // a member can never hold more than its blocks allow
        }
    } catch (const EArchiveError&) {
    }
    return 0;
}
