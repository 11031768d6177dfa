#pragma once
// Shared helpers of the archive tests: deterministic data, and a plain walk over an archive's
// bytes that does not use the reader under test. Scratch folders and file reading come from
// tests/support.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "archive/backup_file.h"
#include "platform/base/files.h"
#include "platform/base/streams.h"
#include "platform/base/string_list.h"

// Bytes that deflate cannot shrink.
inline std::string RandomBytes(size_t n, uint32_t seed) {
    std::string s(n, '\0');
    uint64_t x = seed * 2654435761u + 1;
    for (size_t i = 0; i < n; ++i) {
        x ^= x << 13;
        x ^= x >> 7;
        x ^= x << 17;
        s[i] = static_cast<char>(x >> 24);
    }
    return s;
}

// Text that compresses well but not to nothing.
inline std::string TextBytes(size_t n, uint32_t seed) {
    static const char* words[] = {
        "<p>",       "the ",   "folio ", "book ", "page ", "</p>\r\n", "<a href=\"x.html\">",
        "link</a> ", "table ", "style "};
    std::string s;
    uint32_t x = seed | 1;
    while (s.size() < n) {
        x = x * 1103515245u + 12345u;
        s += words[(x >> 16) % 10];
    }
    s.resize(n);
    return s;
}

inline int32_t Int32At(const std::string& s, size_t at) {
    return static_cast<int32_t>(uint32_t(uint8_t(s[at])) | uint32_t(uint8_t(s[at + 1])) << 8 |
                                uint32_t(uint8_t(s[at + 2])) << 16 |
                                uint32_t(uint8_t(s[at + 3])) << 24);
}

// The layout of an archive as an independent walk sees it.
struct TWalkedBlock {
    int32_t length; // as stored: negative for raw
};
struct TWalkedMember {
    std::string name;
    int32_t date = 0;
    int sections = 0;
    std::vector<TWalkedBlock> blocks;
};
struct TWalkedArchive {
    std::string title;
    int32_t totalSize = 0;
    int32_t fileCount = 0;
    std::vector<TWalkedMember> members;
    size_t end = 0; // just past the end marker
};

// Walks a well-formed archive; fails the test on anything unexpected.
inline TWalkedArchive WalkArchive(const std::string& a, size_t at = 0) {
    TWalkedArchive w;
    auto need = [&](size_t n) {
        if (at + n > a.size())
            throw std::runtime_error("archive too short at " + std::to_string(at));
    };
    need(4);
    const int32_t tl = Int32At(a, at);
    at += 4;
    need(size_t(tl) + 8);
    w.title = a.substr(at, size_t(tl));
    at += size_t(tl);
    w.totalSize = Int32At(a, at);
    w.fileCount = Int32At(a, at + 4);
    at += 8;
    for (;;) {
        need(4);
        const int32_t nl = Int32At(a, at);
        at += 4;
        if (nl == 0)
            break;
        need(size_t(nl) + 4);
        TWalkedMember m;
        m.name = a.substr(at, size_t(nl));
        at += size_t(nl);
        m.date = Int32At(a, at);
        at += 4;
        while (at + 4 <= a.size() && a.compare(at, 4, std::string("EC2\0", 4)) == 0) {
            at += 4;
            ++m.sections;
            for (;;) {
                need(4);
                const int32_t bl = Int32At(a, at);
                at += 4;
                if (bl == 0)
                    break;
                const size_t n = size_t(bl < 0 ? -int64_t(bl) : bl);
                need(n);
                m.blocks.push_back({bl});
                at += n;
            }
        }
        w.members.push_back(m);
    }
    w.end = at;
    return w;
}

inline TStringList ListOf(const std::vector<std::string>& paths) {
    TStringList l;
    for (const auto& p : paths)
        l.Add(p);
    return l;
}

// Runs a backup into memory and returns the bytes.
inline std::string PackToMemory(TBackupFile& b, const std::vector<std::string>& paths,
                                bool* ok = nullptr) {
    TMemoryStream out;
    const bool r = b.BackupToStream(ListOf(paths), &out);
    if (ok)
        *ok = r;
    return out.DataString();
}

inline std::string LowerAscii(std::string s) {
    for (char& c : s)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return s;
}
