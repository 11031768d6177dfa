#include "bookreader/program_image.h"

#include <algorithm>
#include <vector>

namespace {

constexpr uint16_t kMaxEntries = 0xFFFF;
constexpr uint32_t kNoBits = 8; // SHT_NOBITS: a section that takes no room in the file

uint64_t Get(const uint8_t* p, int bytes) {
    uint64_t v = 0;
    for (int i = bytes - 1; i >= 0; --i) {
        v = v << 8 | p[i];
    }
    return v;
}

// Exactly count bytes at offset, or nothing.
bool ReadAt(TStream& file, int64_t offset, uint8_t* buffer, int64_t count) {
    if (offset < 0 || count < 0 || offset > file.Size() || count > file.Size() - offset) {
        return false;
    }
    file.Seek(offset, soBeginning);
    int64_t done = 0;
    while (done < count) {
        const int64_t n = file.Read(buffer + done, count - done);
        if (n <= 0) {
            return false;
        }
        done += n;
    }
    return true;
}

// The field offsets of one ELF class.
struct TLayout {
    int Word; // 4 or 8: size of offsets and sizes
    int PhOff, ShOff, EhSize, PhEntSize, PhNum, ShEntSize, ShNum; // in the file header
    int POffset, PFileSize, PEntry;        // in a program header, and its least size
    int ShType, ShOffset, ShSize, ShEntry; // in a section header, and its least size
};

constexpr TLayout kElf32 = {4,    0x1C, 0x20, 0x28, 0x2A, 0x2C, 0x2E, 0x30,
                            0x04, 0x10, 0x20, 0x04, 0x10, 0x14, 0x28};
constexpr TLayout kElf64 = {8,    0x20, 0x28, 0x34, 0x36, 0x38, 0x3A, 0x3C,
                            0x08, 0x20, 0x38, 0x04, 0x18, 0x20, 0x40};

// Reads a table of count entries and calls each(entry) for every one; false when it is not all
// in the file or its entries are smaller than the class needs.
template <typename F>
bool ForEachEntry(TStream& file, uint64_t offset, uint64_t entrySize, uint64_t count,
                  int leastEntry, F each) {
    if (count == 0) {
        return true;
    }
    const uint64_t bytes = entrySize * count; // below 2^32: both fit in 16 bits
    if (entrySize < static_cast<uint64_t>(leastEntry) ||
        offset + bytes > static_cast<uint64_t>(file.Size())) {
        return false;
    }
    std::vector<uint8_t> table(bytes);
    if (!ReadAt(file, static_cast<int64_t>(offset), table.data(), static_cast<int64_t>(bytes))) {
        return false;
    }
    for (uint64_t i = 0; i < count; ++i) {
        each(table.data() + i * entrySize);
    }
    return true;
}

} // namespace

int64_t ProgramImageSize(TStream& file) {
    uint8_t h[0x40] = {};
    if (!ReadAt(file, 0, h, 0x34) || h[0] != 0x7F || h[1] != 'E' || h[2] != 'L' || h[3] != 'F' ||
        h[5] != 1) {
        return -1;
    }
    const TLayout* l = h[4] == 1 ? &kElf32 : h[4] == 2 ? &kElf64 : nullptr;
    if (!l || (l == &kElf64 && !ReadAt(file, 0, h, 0x40))) {
        return -1;
    }
    const uint64_t phOff = Get(h + l->PhOff, l->Word);
    const uint64_t shOff = Get(h + l->ShOff, l->Word);
    const uint64_t phEntSize = Get(h + l->PhEntSize, 2);
    const uint64_t phNum = Get(h + l->PhNum, 2);
    const uint64_t shEntSize = Get(h + l->ShEntSize, 2);
    const uint64_t shNum = Get(h + l->ShNum, 2);
    // Offsets and sizes come from the file; anything beyond this is no program of ours.
    constexpr uint64_t kFar = uint64_t(1) << 48;
    uint64_t end = std::max<uint64_t>(Get(h + l->EhSize, 2), static_cast<uint64_t>(l->PhOff));
    bool sane = phOff < kFar && shOff < kFar && phNum < kMaxEntries && shNum < kMaxEntries;
    if (!sane) {
        return -1;
    }
    if (phNum > 0) {
        end = std::max(end, phOff + phEntSize * phNum);
    }
    if (shNum > 0) {
        end = std::max(end, shOff + shEntSize * shNum);
    }
    const auto reach = [&](uint64_t offset, uint64_t size) {
        if (offset >= kFar || size >= kFar) {
            sane = false;
        } else {
            end = std::max(end, offset + size);
        }
    };
    // A table that cannot be read lies (partly) past the file's end: the end computed so far
    // already says that the program is cut short.
    ForEachEntry(file, phOff, phEntSize, phNum, l->PEntry, [&](const uint8_t* p) {
        reach(Get(p + l->POffset, l->Word), Get(p + l->PFileSize, l->Word));
    });
    ForEachEntry(file, shOff, shEntSize, shNum, l->ShEntry, [&](const uint8_t* p) {
        if (Get(p + l->ShType, 4) != kNoBits) {
            reach(Get(p + l->ShOffset, l->Word), Get(p + l->ShSize, l->Word));
        }
    });
    return sane ? static_cast<int64_t>(end) : -1;
}
