#include "bookreader/word_table.h"

#include <cstring>
#include <stdexcept>

uint32_t TWordTable::HashOf(std::string_view word) {
    // Eight bytes at a time, each step multiplied through, then the whole mixed so that the low
    // bits the table uses depend on every byte: every word of every page is hashed once.
    constexpr uint64_t kMul = 0xFF51AFD7ED558CCDull;
    uint64_t h = 0x9E3779B97F4A7C15ull ^ word.size();
    const char* p = word.data();
    size_t n = word.size();
    for (; n >= 8; p += 8, n -= 8) {
        uint64_t v;
        std::memcpy(&v, p, 8);
        h = (h ^ v) * kMul;
        h ^= h >> 32;
    }
    // The last bytes in at most two loads that may overlap (the length is in h already).
    if (n >= 4) {
        uint32_t first, last;
        std::memcpy(&first, p, 4);
        std::memcpy(&last, p + n - 4, 4);
        h = (h ^ (uint64_t{first} | uint64_t{last} << 32)) * kMul;
    } else if (n > 0) {
        const auto byte = [p](size_t i) { return uint64_t{static_cast<uint8_t>(p[i])}; };
        h = (h ^ (byte(0) | byte(n / 2) << 8 | byte(n - 1) << 16)) * kMul;
    }
    h ^= h >> 33;
    h *= 0xC4CEB9FE1A85EC53ull;
    h ^= h >> 33;
    return static_cast<uint32_t>(h);
}

std::string_view TWordTable::Word(uint32_t number) const {
    const size_t start = starts_[number];
    const size_t end = number + 1 < starts_.size() ? starts_[number + 1] : chars_.size();
    return std::string_view(chars_).substr(start, end - start);
}

size_t TWordTable::SlotOf(std::string_view word, uint32_t hash) const {
    const size_t mask = slots_.size() - 1;
    for (size_t i = hash & mask;; i = (i + 1) & mask) {
        const TSlot& s = slots_[i];
        if (s.Number == kNone || (s.Hash == hash && Word(s.Number) == word))
            return i;
    }
}

void TWordTable::Grow() {
    std::vector<TSlot> old = std::move(slots_);
    slots_.assign(old.empty() ? 1024 : old.size() * 2, TSlot{});
    const size_t mask = slots_.size() - 1;
    for (const TSlot& s : old) {
        if (s.Number == kNone)
            continue;
        size_t i = s.Hash & mask;
        while (slots_[i].Number != kNone)
            i = (i + 1) & mask;
        slots_[i] = s;
    }
}

uint32_t TWordTable::Insert(std::string_view word, uint32_t hash, bool& added) {
    if ((starts_.size() + 1) * 2 > slots_.size())
        Grow();
    TSlot& slot = slots_[SlotOf(word, hash)];
    added = slot.Number == kNone;
    if (added) {
        // The buffer is indexed by 32-bit offsets; a book whose distinct words outgrow 4 GB
        // of characters cannot be held in memory anyway.
        if (chars_.size() + word.size() > UINT32_MAX)
            throw std::length_error("too many distinct words");
        slot = {hash, static_cast<uint32_t>(starts_.size())};
        starts_.push_back(static_cast<uint32_t>(chars_.size()));
        chars_.append(word);
    }
    return slot.Number;
}

uint32_t TWordTable::Find(std::string_view word) const {
    if (slots_.empty())
        return kNone;
    return slots_[SlotOf(word, HashOf(word))].Number;
}

size_t TWordTable::MemoryUsed() const {
    return slots_.capacity() * sizeof(TSlot) + chars_.capacity() +
           starts_.capacity() * sizeof(uint32_t);
}

void TWordTable::Shrink() {
    chars_.shrink_to_fit();
    starts_.shrink_to_fit();
}
