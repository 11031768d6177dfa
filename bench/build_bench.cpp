// The whole build, end to end: `foliobuilder build` run as a program over two generated sites,
// beside `zip -r` and `tar | pigz -p2` of the same files at the matching level, in the same run.
//
// Sites (written once at start-up into a temporary folder, removed at exit):
//  - many_small: a manual of 278 pages in nine copies, 2,503 files of about 18 MB, as a real
//    documentation tree has them (pages of 1 to 40 KB with a shared header and footer);
//  - few_big: six files of about 34 MB: two long pages, a log-like text, a picture, and sound
//    and photo bytes that do not compress.
// The generated text is tuned to compress like real manual pages (about 3.5:1 at level 9, as
// the HTML help of lynx-common does).
//
// One benchmark per site and level. Each iteration is one round that runs the three programs
// one after the other, in a turning order, so a change in the machine's load meets all three
// alike. Figures: the best time of each program over the rounds and our speed-up over zip and
// pigz from those times (goal: at least 1.5x zip at the same level), our CPU use (user + system
// over wall time: above 100% means both cores work), and the sizes. FOLIO_BUILD_BENCH_ROUNDS
// sets the rounds (default 5); FOLIO_BUILD_BENCH_KEEP=1 keeps the sites for runs by hand.
//
// The kernel shares the processors between sessions before threads, so while other sessions
// keep the machine busy a program on two threads gets no more than one on one thread, and the
// figures show that rather than the programs. On a shared machine, give the bench's session
// the larger share for the run (as root: echo -15 > /proc/self/autogroup in the shell that
// starts it); all three programs run in that session alike.
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#ifndef FOLIO_BUILDER_PROGRAM
#error "FOLIO_BUILDER_PROGRAM names the foliobuilder program to measure"
#endif

namespace fs = std::filesystem;

namespace {

// Deterministic: the same sites on every run and machine.
struct TRandom {
    uint64_t s = 0x2545F4914F6CDD1Dull;
    uint32_t Next() {
        s ^= s << 13;
        s ^= s >> 7;
        s ^= s << 17;
        return static_cast<uint32_t>(s >> 16);
    }
    uint32_t operator()(uint32_t n) { return Next() % n; }
    double Unit() { return (Next() & 0xFFFFFF) / double(0x1000000); }
};

// Words of a made-up language with a Zipf-like frequency: few words are common, most are rare,
// which gives text the redundancy of real prose.
class TVocabulary {
public:
    explicit TVocabulary(TRandom& rnd) {
        static const char* const kOnsets[] = {"b", "c",  "d",  "f",  "g",  "h",  "l",
                                              "m", "n",  "p",  "r",  "s",  "t",  "v",
                                              "w", "st", "tr", "pl", "ch", "sh", "gr"};
        static const char* const kVowels[] = {"a", "e", "i", "o", "u", "ea", "ou", "io"};
        static const char* const kCodas[] = {"", "", "n", "r", "s", "t", "l", "nd", "ng", "ck"};
        for (int i = 0; i < 2000; ++i) {
            std::string w;
            const int syllables = 1 + int(rnd(3)) + (i > 1000 ? 1 : 0);
            for (int k = 0; k < syllables; ++k) {
                w += kOnsets[rnd(21)];
                w += kVowels[rnd(8)];
                w += kCodas[rnd(10)];
            }
            words_.push_back(w);
        }
        double sum = 0;
        for (size_t i = 0; i < words_.size(); ++i) {
            sum += 1.0 / std::pow(double(i + 1), 1.3);
            cumulative_.push_back(sum);
        }
        for (double& c : cumulative_)
            c /= sum;
    }
    const std::string& Pick(TRandom& rnd) const {
        const double u = rnd.Unit();
        const auto it = std::lower_bound(cumulative_.begin(), cumulative_.end(), u);
        return words_[std::min<size_t>(size_t(it - cumulative_.begin()), words_.size() - 1)];
    }

private:
    std::vector<std::string> words_;
    std::vector<double> cumulative_;
};

class TManualWriter {
public:
    TManualWriter() : vocabulary_(rnd_) {}

    void Sentence(std::string& s) {
        const int n = 6 + int(rnd_(18));
        for (int i = 0; i < n; ++i) {
            std::string w = vocabulary_.Pick(rnd_);
            if (i == 0)
                w[0] = char(w[0] - 'a' + 'A');
            if (rnd_(14) == 0) {
                s += "<code>" + w + "_" + std::to_string(rnd_(100)) + "</code>";
            } else if (rnd_(7) == 0) {
                s += "<a class=\"xref\" href=\"../chapter" + std::to_string(rnd_(5)) + "/page" +
                     std::to_string(rnd_(278)) + ".html#section-" + std::to_string(rnd_(9)) +
                     "\">" + w + "</a>";
            } else {
                s += w;
            }
            s += i + 1 == n ? ". " : rnd_(9) == 0 ? ", " : " ";
        }
    }
    void Block(std::string& s, int& section) {
        switch (rnd_(10)) {
        case 0:
            s += "<h2><a name=\"s" + std::to_string(section) + "\">" + std::to_string(section + 1) +
                 ". ";
            Sentence(s);
            s += "</a></h2>\n";
            ++section;
            break;
        case 1: {
            s += "<pre>\n";
            const int lines = 3 + int(rnd_(10));
            for (int i = 0; i < lines; ++i)
                s += std::string(2 * rnd_(4), ' ') + vocabulary_.Pick(rnd_) + " --" +
                     vocabulary_.Pick(rnd_) + "=" + std::to_string(rnd_(4096)) + "\n";
            s += "</pre>\n";
            break;
        }
        case 2: {
            s += "<ul>\n";
            const int items = 2 + int(rnd_(6));
            for (int i = 0; i < items; ++i) {
                s += "<li>";
                Sentence(s);
                s += "</li>\n";
            }
            s += "</ul>\n";
            break;
        }
        case 3: {
            s += "<table border=\"1\" cellpadding=\"3\">\n";
            const int rows = 2 + int(rnd_(6));
            for (int r = 0; r < rows; ++r)
                s += "<tr><td><code>" + vocabulary_.Pick(rnd_) + "</code></td><td>" +
                     std::to_string(rnd_(65536)) + "</td><td>" + vocabulary_.Pick(rnd_) + " " +
                     vocabulary_.Pick(rnd_) + "</td></tr>\n";
            s += "</table>\n";
            break;
        }
        default: {
            s += "<p class=\"body\">";
            const int sentences = 2 + int(rnd_(5));
            for (int i = 0; i < sentences; ++i)
                Sentence(s);
            s += "</p>\n";
        }
        }
    }
    std::string Page(int number, size_t bytes) {
        const std::string n = std::to_string(number);
        std::string s = "<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 3.2 Final//EN\">\n<html><head>"
                        "<title>Manual, page " +
                        n +
                        "</title>\n<link rel=\"stylesheet\" href=\"manual.css\">\n</head>\n"
                        "<body bgcolor=\"#FFFFFF\">\n<div class=\"nav\"><a href=\"index.html\">"
                        "Contents</a> | <a href=\"page" +
                        std::to_string(std::max(0, number - 1)) +
                        ".html\">Previous</a> | <a href=\"page" + std::to_string(number + 1) +
                        ".html\">Next</a> | <a href=\"alphatoc.html\">Index</a></div>\n<hr>\n";
        int section = 0;
        while (s.size() < bytes)
            Block(s, section);
        s += "<hr>\n<div class=\"nav\"><a href=\"index.html\">Contents</a></div>\n"
             "<address>The manual, generated for the build benchmark.</address>\n"
             "</body></html>\n";
        return s;
    }
    std::string LogText(size_t bytes) {
        std::string s;
        while (s.size() < bytes) {
            s += "2026-03-" + std::to_string(10 + rnd_(18)) + " " + std::to_string(rnd_(24)) + ":" +
                 std::to_string(10 + rnd_(50)) + " [" + vocabulary_.Pick(rnd_) + "] ";
            Sentence(s);
            s += "\n";
        }
        return s;
    }
    TRandom& Random() { return rnd_; }

private:
    TRandom rnd_;
    TVocabulary vocabulary_;
};

// A 24-bit BMP of a smooth picture with a little noise, as a scan would be.
std::string Picture(TRandom& rnd, int w, int h) {
    const uint32_t row = (uint32_t(w) * 3 + 3) & ~3u;
    const uint32_t size = 54 + row * uint32_t(h);
    std::string s(size, '\0');
    auto put32 = [&](size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i)
            s[at + size_t(i)] = char(v >> (8 * i));
    };
    s[0] = 'B';
    s[1] = 'M';
    put32(2, size);
    put32(10, 54);
    put32(14, 40);
    put32(18, uint32_t(w));
    put32(22, uint32_t(h));
    s[26] = 1;
    s[28] = 24;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            char* p = &s[54 + size_t(y) * row + size_t(x) * 3];
            p[0] = char((x * 255 / w + rnd(6)) & 255);
            p[1] = char((y * 255 / h + rnd(6)) & 255);
            p[2] = char(((x / 64 + y / 64) % 2 ? 180 : 60) + rnd(4));
        }
    return s;
}

std::string Noise(TRandom& rnd, size_t n) {
    std::string s(n, '\0');
    for (char& c : s)
        c = char(rnd.Next());
    return s;
}

void WriteFile(const fs::path& path, const std::string& data) {
    fs::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary);
    out.write(data.data(), std::streamsize(data.size()));
    if (!out)
        throw std::runtime_error("cannot write " + path.string());
}

struct TSite {
    std::string name;
    fs::path dir;
    int files = 0;
    long long bytes = 0;
};

class TSites {
public:
    TSites() {
        const char* tmp = std::getenv("TMPDIR");
        std::string tmpl = std::string(tmp && *tmp ? tmp : "/tmp") + "/build-bench-XXXXXX";
        if (!mkdtemp(tmpl.data()))
            throw std::runtime_error("cannot create a folder from " + tmpl);
        root_ = tmpl;
        TManualWriter w;
        ManySmall(w);
        FewBig(w);
    }
    ~TSites() {
        if (const char* keep = std::getenv("FOLIO_BUILD_BENCH_KEEP"); keep && *keep == '1') {
            std::printf("the sites are kept in %s\n", root_.c_str());
            return;
        }
        std::error_code ec;
        fs::remove_all(root_, ec);
    }
    const fs::path& Root() const { return root_; }
    const TSite& Site(const std::string& name) const {
        for (const TSite& s : sites_)
            if (s.name == name)
                return s;
        throw std::runtime_error("no site " + name);
    }

private:
    void Add(TSite& site, const fs::path& relative, const std::string& data) {
        WriteFile(site.dir / relative, data);
        ++site.files;
        site.bytes += (long long)data.size();
    }
    void ManySmall(TManualWriter& w) {
        TSite site{"many_small", root_ / "many_small"};
        std::vector<std::string> pages;
        for (int i = 0; i < 278; ++i) {
            // Mostly short pages, a few long ones: 1 KB to about 36 KB, 7.4 KB on average.
            const double u = w.Random().Unit();
            pages.push_back(w.Page(i, size_t(800 + 34000 * u * u * u * u)));
        }
        const std::string css = "body { font-family: serif; margin: 2em }\n"
                                ".nav { font-size: small; background: #EEEEEE }\n"
                                "pre, code { font-family: monospace; color: #333366 }\n";
        Add(site, "index.html", w.Page(-1, 4000));
        for (int copy = 1; copy <= 9; ++copy) {
            const fs::path volume = "volume" + std::to_string(copy);
            Add(site, volume / "manual.css", css);
            for (size_t i = 0; i < pages.size(); ++i)
                Add(site,
                    volume / (i % 5 == 0 ? "" : "chapter" + std::to_string(i % 5)) /
                        ("page" + std::to_string(i) + ".html"),
                    pages[i]);
        }
        sites_.push_back(site);
    }
    void FewBig(TManualWriter& w) {
        TSite site{"few_big", root_ / "few_big"};
        Add(site, "index.html", w.Page(0, 3000));
        Add(site, "reference.html", w.Page(1, 9 << 20));
        Add(site, "appendix.html", w.Page(2, 5 << 20));
        Add(site, "changes.txt", w.LogText(8 << 20));
        Add(site, "scan.bmp", Picture(w.Random(), 1600, 1200));
        Add(site, "theme.mp3", Noise(w.Random(), 3 << 20));
        sites_.push_back(site);
    }

    fs::path root_;
    std::vector<TSite> sites_;
};

TSites& Sites() {
    static TSites sites;
    return sites;
}

struct TChildRun {
    bool ok = false;
    double seconds = 0;
    double cpuSeconds = 0; // user + system of the program and the children it waited for
    std::string errors;
};

// Runs argv in dir with standard output discarded and standard error kept.
TChildRun RunProgram(const std::vector<std::string>& argv, const fs::path& dir) {
    TChildRun r;
    const fs::path errPath = Sites().Root() / "stderr.txt";
    const auto start = std::chrono::steady_clock::now();
    const pid_t pid = fork();
    if (pid == 0) {
        if (chdir(dir.c_str()) != 0)
            _exit(126);
        const int null = open("/dev/null", O_WRONLY);
        const int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (null < 0 || err < 0 || dup2(null, 1) < 0 || dup2(err, 2) < 0)
            _exit(126);
        std::vector<char*> args;
        for (const auto& a : argv)
            args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        execvp(args[0], args.data());
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    if (pid < 0 || wait4(pid, &status, 0, &usage) != pid) {
        r.errors = "cannot run " + argv[0];
        return r;
    }
    r.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    r.cpuSeconds = double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                   double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    r.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    if (!r.ok) {
        std::ifstream in(errPath);
        std::getline(in, r.errors);
        r.errors =
            argv[0] + " failed (status " + std::to_string(WEXITSTATUS(status)) + "): " + r.errors;
    }
    return r;
}

long long SizeOf(const fs::path& p) {
    std::error_code ec;
    const auto n = fs::file_size(p, ec);
    return ec ? -1 : (long long)n;
}

enum TTool { tlOurs, tlZip, tlPigz, tlCount };
const char* const kToolNames[tlCount] = {"ours", "zip", "pigz"};

// One run of a tool over site at zlib level (1 or 9); the output goes beside the site.
TChildRun RunTool(TTool tool, const TSite& site, int level, long long& outSize) {
    const fs::path out = Sites().Root() / (site.name + "." + kToolNames[tool]);
    std::error_code ec;
    fs::remove(out, ec);
    TChildRun r;
    const std::string lv = "-" + std::to_string(level);
    switch (tool) {
    case tlOurs:
        r = RunProgram({FOLIO_BUILDER_PROGRAM, "build", site.dir.string(), "--home", "index.html",
                        "--level", level == 1 ? "fastest" : "max", "-o", out.string(), "--force"},
                       site.dir);
        break;
    case tlZip:
        r = RunProgram({"zip", "-q", "-r", lv, out.string(), "."}, site.dir);
        break;
    case tlPigz:
        r = RunProgram(
            {"bash", "-c",
             "set -o pipefail; tar -cf - . | pigz -p2 " + lv + " > '" + out.string() + "'"},
            site.dir);
        break;
    default:
        break;
    }
    outSize = SizeOf(out);
    fs::remove(out, ec);
    return r;
}

int Rounds() {
    const char* env = std::getenv("FOLIO_BUILD_BENCH_ROUNDS");
    const int n = env ? std::atoi(env) : 0;
    return n > 0 ? n : 5;
}

struct TFigures {
    double best[tlCount] = {0, 0, 0};
    double cpuSeconds[tlCount] = {0, 0, 0}; // in each program's best round
    double cpu = 0;                         // our CPU over wall time, in the best round
    long long size[tlCount] = {0, 0, 0};
    long long input = 0;
    bool failed = false;
};
std::map<std::string, TFigures> g_figures;

void BM_Build(benchmark::State& state, const std::string& siteName, int level) {
    const TSite& site = Sites().Site(siteName);
    const std::string key = siteName + "/" + std::to_string(level);
    TFigures f;
    f.input = site.bytes;
    int round = 0;
    for (auto _ : state) {
        for (int k = 0; k < tlCount; ++k) {
            const auto tool = TTool((k + round) % tlCount);
            long long size = 0;
            const TChildRun r = RunTool(tool, site, level, size);
            if (!r.ok) {
                f.failed = true;
                state.SkipWithError(r.errors.c_str());
                g_figures[key] = f;
                return;
            }
            if (f.best[tool] == 0 || r.seconds < f.best[tool]) {
                f.best[tool] = r.seconds;
                f.cpuSeconds[tool] = r.cpuSeconds;
                if (tool == tlOurs)
                    f.cpu = r.cpuSeconds / r.seconds;
            }
            f.size[tool] = size;
        }
        ++round;
    }
    for (int t = 0; t < tlCount; ++t)
        state.counters[std::string(kToolNames[t]) + "_s"] = f.best[t];
    state.counters["vs_zip"] = f.best[tlZip] / f.best[tlOurs];
    state.counters["vs_pigz"] = f.best[tlPigz] / f.best[tlOurs];
    state.counters["ours_cpu%"] = 100 * f.cpu;
    state.counters["MB"] = double(site.bytes) / 1e6;
    state.counters["files"] = site.files;
    g_figures[key] = f;
}

// The load average over the last minute: the figures mean most on a machine at rest.
std::string LoadAverage() {
    std::ifstream in("/proc/loadavg");
    std::string first;
    in >> first;
    return first.empty() ? "unknown" : first;
}

void PrintSummary(const std::string& loadBefore) {
    std::printf("\nWhole build, best of %d rounds (seconds; speed-up = their time / ours); load "
                "average %s before, %s after:\n",
                Rounds(), loadBefore.c_str(), LoadAverage().c_str());
    std::printf("%-11s %5s %6s %8s %8s %8s %8s %8s %7s %9s %9s %9s\n", "site", "level", "in MB",
                "ours", "zip", "pigz-p2", "vs zip", "vs pigz", "cpu%", "ours MB", "zip MB",
                "pigz MB");
    for (const auto& [name, f] : g_figures) {
        if (f.failed) {
            std::printf("%-30s failed\n", name.c_str());
            continue;
        }
        const size_t slash = name.find('/');
        std::printf("%-11s %5s %6.2f %8.3f %8.3f %8.3f %7.2fx %7.2fx %7.0f %9.2f %9.2f %9.2f\n",
                    name.substr(0, slash).c_str(), name.substr(slash + 1).c_str(),
                    double(f.input) / 1e6, f.best[tlOurs], f.best[tlZip], f.best[tlPigz],
                    f.best[tlZip] / f.best[tlOurs], f.best[tlPigz] / f.best[tlOurs], 100 * f.cpu,
                    double(f.size[tlOurs]) / 1e6, double(f.size[tlZip]) / 1e6,
                    double(f.size[tlPigz]) / 1e6);
    }
    std::printf("goal: vs zip >= 1.50x on both sites at both levels, on 2 cores "
                "(this machine: %u)\n",
                std::max(1u, unsigned(sysconf(_SC_NPROCESSORS_ONLN))));
    std::printf("\nCPU seconds (user + system) in those rounds, which a busy machine does not "
                "inflate as much as wall time:\n%-11s %5s %8s %8s %8s %13s\n",
                "site", "level", "ours", "zip", "pigz-p2", "zip / ours");
    for (const auto& [name, f] : g_figures) {
        if (f.failed)
            continue;
        const size_t slash = name.find('/');
        std::printf("%-11s %5s %8.3f %8.3f %8.3f %12.2fx\n", name.substr(0, slash).c_str(),
                    name.substr(slash + 1).c_str(), f.cpuSeconds[tlOurs], f.cpuSeconds[tlZip],
                    f.cpuSeconds[tlPigz], f.cpuSeconds[tlZip] / f.cpuSeconds[tlOurs]);
    }
}

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    const std::string loadBefore = LoadAverage();
    try {
        Sites();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "build_bench: %s\n", e.what());
        return 1;
    }
    for (const char* site : {"many_small", "few_big"})
        for (int level : {1, 9})
            benchmark::RegisterBenchmark(
                ("build/" + std::string(site) + "/" + std::to_string(level)).c_str(),
                [site, level](benchmark::State& s) { BM_Build(s, site, level); })
                ->Iterations(Rounds())
                ->UseRealTime()
                ->Unit(benchmark::kMillisecond);
    benchmark::RunSpecifiedBenchmarks();
    PrintSummary(loadBefore);
    benchmark::Shutdown();
    return 0;
}
