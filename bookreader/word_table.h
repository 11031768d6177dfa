#pragma once
// The search index's vocabulary: every distinct folded word gets a number, in the order the
// words are first seen. An open-addressing table of (hash, number) pairs over one buffer of
// the words' characters: a look-up touches one slot and one word, and a word costs a dozen
// bytes beyond its characters, where a node-based map costs several allocations.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class TWordTable {
public:
    static constexpr uint32_t kNone = UINT32_MAX;

    // The word's number, made when the word is new (added then says so).
    uint32_t Insert(std::string_view word, bool& added) {
        return Insert(word, HashOf(word), added);
    }
    // The same with the word's hash already made (HashOf), as threads that gather words do.
    uint32_t Insert(std::string_view word, uint32_t hash, bool& added);
    // The word's number, or kNone.
    uint32_t Find(std::string_view word) const;
    uint32_t Count() const { return static_cast<uint32_t>(starts_.size()); }
    std::string_view Word(uint32_t number) const;
    static uint32_t HashOf(std::string_view word);
    size_t MemoryUsed() const;
    // Gives back the spare room of the buffers once no more words come.
    void Shrink();

private:
    struct TSlot {
        uint32_t Hash = 0;
        uint32_t Number = kNone; // kNone: empty
    };
    // The slot holding word, or the empty slot where it would go.
    size_t SlotOf(std::string_view word, uint32_t hash) const;
    void Grow();

    std::vector<TSlot> slots_; // a power of two, never more than half full
    std::string chars_;        // every word's characters, one after the other
    std::vector<uint32_t> starts_;
};
