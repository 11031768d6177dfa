// Archive writing speed over a mixed corpus (HTML-like text, JPEG pictures, random bytes), made
// deterministically at start-up in a temporary folder. Peers measured in the same run:
//  - zlib alone: the same files read in 16384-byte blocks, each compressed by one compressor
//    that is reset between blocks (the least any block-wise writer must do);
//  - `zip -r` at the matching level, run as a child process over the same folder.
// The "vs_zlib" counter is our throughput over the zlib reference of the same level, and
// "vs_1thread" that of all cores over one thread. Goals: vs_zlib >= 0.95 on one thread, and
// vs_1thread >= 1.7 on a machine with two cores.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <jpeglib.h>
#include <map>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>
#include <zlib.h>

#include "archive/backup_file.h"

namespace {

// Discards what it is given; the benchmarks measure packing, not a disk.
class TNullStream : public TStream {
public:
    int64_t Read(void*, int64_t) override { return 0; }
    int64_t Write(const void*, int64_t count) override {
        pos_ += count;
        return count;
    }
    int64_t Seek(int64_t offset, TSeekOrigin origin) override {
        pos_ = origin == soBeginning ? offset : pos_ + offset;
        return pos_;
    }
    void SetSize(int64_t) override {}

private:
    int64_t pos_ = 0;
};

uint64_t g_seed = 0x9E3779B97F4A7C15ull;
uint32_t Next() {
    g_seed ^= g_seed << 13;
    g_seed ^= g_seed >> 7;
    g_seed ^= g_seed << 17;
    return static_cast<uint32_t>(g_seed >> 16);
}

std::string HtmlPage(size_t size) {
    static const char* words[] = {"folio",  "book",    "page",  "the",    "and",   "of",     "site",
                                  "reader", "chapter", "image", "window", "frame", "button", "link",
                                  "table",  "cell",    "style", "home",   "index", "title",  "with",
                                  "which",  "is",      "a",     "to",     "in",    "for"};
    std::string s = "<html><head><title>Page</title><link rel=stylesheet href=\"s.css\">"
                    "</head>\r\n<body bgcolor=\"#FFFFFF\">\r\n";
    while (s.size() < size) {
        switch (Next() % 6) {
        case 0:
            s += "<h2>" + std::string(words[Next() % 27]) + "</h2>\r\n";
            break;
        case 1:
            s += "<a href=\"" + std::string(words[Next() % 27]) + std::to_string(Next() % 100) +
                 ".html\">" + words[Next() % 27] + "</a>\r\n";
            break;
        case 2:
            s += "<table border=1><tr><td>" + std::to_string(Next() % 10000) + "</td><td>" +
                 words[Next() % 27] + "</td></tr></table>\r\n";
            break;
        default: {
            s += "<p>";
            const int n = 8 + int(Next() % 40);
            for (int i = 0; i < n; ++i) {
                s += words[Next() % 27];
                s += ' ';
            }
            s += "</p>\r\n";
        }
        }
    }
    s.resize(size);
    return s;
}

std::string Jpeg(int w, int h) {
    std::vector<uint8_t> rgb(size_t(w) * size_t(h) * 3);
    const int cx = int(Next() % unsigned(w)), cy = int(Next() % unsigned(h));
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            uint8_t* p = &rgb[(size_t(y) * size_t(w) + size_t(x)) * 3];
            const int d = ((x - cx) * (x - cx) + (y - cy) * (y - cy)) / 64;
            p[0] = uint8_t((x * 255 / w + (Next() & 15)) & 255);
            p[1] = uint8_t((y * 255 / h + d) & 255);
            p[2] = uint8_t(((x ^ y) & 64 ? 200 : 40) + (Next() & 7));
        }
    jpeg_compress_struct c;
    jpeg_error_mgr err;
    c.err = jpeg_std_error(&err);
    jpeg_create_compress(&c);
    unsigned char* out = nullptr;
    unsigned long outSize = 0;
    jpeg_mem_dest(&c, &out, &outSize);
    c.image_width = JDIMENSION(w);
    c.image_height = JDIMENSION(h);
    c.input_components = 3;
    c.in_color_space = JCS_RGB;
    jpeg_set_defaults(&c);
    jpeg_set_quality(&c, 85, TRUE);
    jpeg_start_compress(&c, TRUE);
    while (c.next_scanline < c.image_height) {
        JSAMPROW row = &rgb[size_t(c.next_scanline) * size_t(w) * 3];
        jpeg_write_scanlines(&c, &row, 1);
    }
    jpeg_finish_compress(&c);
    jpeg_destroy_compress(&c);
    std::string s(reinterpret_cast<char*>(out), outSize);
    free(out);
    return s;
}

struct TCorpus {
    std::string dir;
    std::vector<std::string> files;
    int64_t bytes = 0;

    TCorpus() {
        char tmpl[] = "/tmp/archive-bench-XXXXXX";
        dir = mkdtemp(tmpl);
        auto add = [&](const std::string& name, const std::string& data) {
            const std::string path = dir + "/" + name;
            FILE* f = std::fopen(path.c_str(), "wb");
            std::fwrite(data.data(), 1, data.size(), f);
            std::fclose(f);
            files.push_back(path);
            bytes += int64_t(data.size());
        };
        for (int i = 0; i < 60; ++i)
            add("page" + std::to_string(i) + ".html", HtmlPage(4000 + Next() % 60000));
        for (int i = 0; i < 8; ++i)
            add("photo" + std::to_string(i) + ".jpg", Jpeg(480 + 32 * i, 360 + 16 * i));
        for (int i = 0; i < 2; ++i) {
            std::string r(600000, '\0');
            for (char& c : r)
                c = char(Next());
            add("noise" + std::to_string(i) + ".bin", r);
        }
    }
    ~TCorpus() { std::system(("rm -rf '" + dir + "'").c_str()); }
};

TCorpus& Corpus() {
    static TCorpus corpus;
    return corpus;
}

// Throughput of the references, by zlib level, for the ratio counters.
std::map<int, double> g_zlibRate;
std::map<int, double> g_oneThreadRate;

void BM_ZlibReference(benchmark::State& state) {
    const int level = int(state.range(0));
    TCorpus& c = Corpus();
    z_stream z{};
    deflateInit2(&z, level, Z_DEFLATED, 15, 8, Z_DEFAULT_STRATEGY);
    std::vector<uint8_t> in(BackupBlockSize), out(BackupBlockSize);
    int64_t packed = 0;
    const auto start = std::chrono::steady_clock::now();
    for (auto _ : state) {
        packed = 0;
        for (const auto& path : c.files) {
            const int fd = ::open(path.c_str(), O_RDONLY);
            for (;;) {
                const ssize_t n = ::read(fd, in.data(), in.size());
                if (n <= 0)
                    break;
                z.next_in = in.data();
                z.avail_in = uInt(n);
                z.next_out = out.data();
                z.avail_out = uInt(out.size());
                const int rc = deflate(&z, Z_FINISH);
                packed += 4 + (rc == Z_STREAM_END ? int64_t(z.total_out) : int64_t(n));
                deflateReset(&z);
            }
            ::close(fd);
        }
        benchmark::DoNotOptimize(packed);
    }
    const double secs =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    deflateEnd(&z);
    g_zlibRate[level] = double(c.bytes) * double(state.iterations()) / secs;
    state.SetBytesProcessed(c.bytes * state.iterations());
    state.counters["ratio"] = double(packed) / double(c.bytes);
}

void BM_ZipReference(benchmark::State& state) {
    const int level = int(state.range(0));
    TCorpus& c = Corpus();
    const std::string zip = c.dir + ".zip";
    const std::string cmd = "cd '" + c.dir + "' && zip -q -r -" + std::to_string(level) + " '" +
                            zip + "' . >/dev/null 2>&1";
    for (auto _ : state) {
        std::remove(zip.c_str());
        if (std::system(cmd.c_str()) != 0) {
            state.SkipWithError("zip failed or is missing");
            return;
        }
    }
    FILE* f = std::fopen(zip.c_str(), "rb");
    if (f) {
        std::fseek(f, 0, SEEK_END);
        state.counters["ratio"] = double(std::ftell(f)) / double(c.bytes);
        std::fclose(f);
    }
    std::remove(zip.c_str());
    state.SetBytesProcessed(c.bytes * state.iterations());
}

void BM_Backup(benchmark::State& state) {
    const auto level = TCompressionLevel(state.range(0));
    const int threads = int(state.range(1));
    TCorpus& c = Corpus();
    TStringList list;
    for (const auto& f : c.files)
        list.Add(f);
    TBackupFile b;
    b.BackupTitle = "Folio";
    b.CompressionLevel = level;
    b.MaxThreads = threads;
    const auto start = std::chrono::steady_clock::now();
    for (auto _ : state) {
        TNullStream out;
        if (!b.BackupToStream(list, &out)) {
            state.SkipWithError("backup failed");
            return;
        }
    }
    const double secs =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const double rate = double(c.bytes) * double(state.iterations()) / secs;
    const int zl = BackupZlibLevel(level);
    if (threads == 1)
        g_oneThreadRate[zl] = rate;
    if (g_zlibRate.count(zl))
        state.counters["vs_zlib"] = rate / g_zlibRate[zl];
    if (threads != 1 && g_oneThreadRate.count(zl))
        state.counters["vs_1thread"] = rate / g_oneThreadRate[zl];
    state.counters["ratio"] = double(b.CompressedSize()) / double(c.bytes);
    state.counters["threads"] =
        threads ? threads : double(std::max(1u, std::thread::hardware_concurrency()));
    state.SetBytesProcessed(c.bytes * state.iterations());
}

} // namespace

// Registration order is run order: the references first, so the ratios can use them.
BENCHMARK(BM_ZlibReference)->Arg(9)->Arg(1)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ZipReference)->Arg(9)->Arg(1)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Backup)
    ->Args({clMax, 1})
    ->Args({clMax, 0})
    ->Args({clFastest, 1})
    ->Args({clFastest, 0})
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
