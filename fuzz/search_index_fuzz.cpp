// The search index read back from the cache folder: any bytes after the file's header and the
// book's key (the target adds those and the head's checksum, so the fuzzer reaches what lies
// behind them; the input's first byte tells how many of its last bytes stand for the page
// texts after the head) must be refused or give an index whose searches and page texts stay
// within bounds.
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>

#include <zlib.h>

#include "bookreader/book_index.h"
#include "bookreader/site_book.h"
#include "platform/base/streams.h"
#include "tests/bookreader/archive_builder.h"

namespace {

// A small book written once into a temporary file: the index must belong to it.
const TSiteBook& Book() {
    static std::unique_ptr<TSiteBook> book = [] {
        char path[] = "/tmp/search_index_fuzz_XXXXXX";
        const int fd = mkstemp(path);
        if (fd < 0)
            std::abort();
        TArchiveBytes a;
        a.Member("/s/index.html", "<title>Home</title><p>The rose garden.</p>")
            .Member("/s/two.html", "<p>A second rose, a second garden.</p>")
            .Member("/b/folioauthor.html", ConfigText("/s/index.html"))
            .End();
        const std::string bytes = a.Book("TEMPLATE");
        if (write(fd, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size()))
            std::abort();
        close(fd);
        auto b = std::make_unique<TSiteBook>(path);
        unlink(path);
        return b;
    }();
    return *book;
}

void PutVarint(std::string& out, uint64_t v) {
    for (; v >= 0x80; v >>= 7)
        out.push_back(static_cast<char>(v | 0x80));
    out.push_back(static_cast<char>(v));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    TBookIndex index(Book());
    // The first byte tells how many of the last bytes are the page texts after the head.
    const size_t texts = size > 0 ? std::min<size_t>(data[0], size - 1) : 0;
    const size_t body = size > 0 ? size - 1 - texts : 0;
    std::string file = "FOLIOIDX";
    file.append(8, '\0'); // the head's size, once known
    PutVarint(file, 2);
    PutVarint(file, index.BookKey().size());
    file += index.BookKey();
    if (size > 0)
        file.append(reinterpret_cast<const char*>(data + 1), body);
    const uint64_t headSize = file.size() + 4 - 16;
    for (int i = 0; i < 8; ++i)
        file[8 + static_cast<size_t>(i)] = static_cast<char>((headSize >> (8 * i)) & 0xFF);
    const uLong crc =
        crc32(crc32(0, nullptr, 0), reinterpret_cast<const Bytef*>(file.data()), file.size());
    for (int i = 0; i < 4; ++i)
        file.push_back(static_cast<char>((crc >> (8 * i)) & 0xFF));
    file.append(reinterpret_cast<const char*>(data + 1 + body), texts);
    if (!index.Deserialize(std::move(file)))
        return 0;
    for (const char* word : {"rose", "garden", "second", "the"}) {
        index.FindPhrase({word}, [&](const TWordMatch& m) {
            if (m.Page >= index.PageCount())
                __builtin_trap();
            return true;
        });
    }
    index.FindPhrase({"rose", "garden"}, [](const TWordMatch&) { return true; });
    for (uint32_t p = 0; p < index.PageCount(); ++p) {
        try {
            const TPageText text = index.Text(p);
            for (const int32_t s : text.Sections)
                if (s < 0 || static_cast<size_t>(s) > text.Text.size())
                    __builtin_trap();
        } catch (const EArchiveError&) {
        }
        if (index.Page(p).Member < 0 || index.Page(p).Member >= Book().Archive().Count())
            __builtin_trap();
    }
    return 0;
}
