#include "render_pages.h"

#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <utility>

namespace fs = std::filesystem;

namespace render_bench {
namespace {

// Deterministic pages: the same bytes on every run and machine.
struct TRandom {
    uint64_t s = 0x9E3779B97F4A7C15ull;
    uint32_t operator()(uint32_t n) {
        s ^= s << 13;
        s ^= s >> 7;
        s ^= s << 17;
        return static_cast<uint32_t>((s >> 16) % n);
    }
};

const char* const kWords[] = {
    "folio",   "book",    "page",    "the",      "and",       "of",         "site",     "reader",
    "chapter", "image",   "window",  "frame",    "button",    "link",       "table",    "cell",
    "style",   "home",    "index",   "title",    "with",      "which",      "is",       "a",
    "to",      "in",      "for",     "document", "paragraph", "garden",     "summer",   "letters",
    "library", "morning", "through", "between",  "written",   "collection", "pictures", "travel"};
constexpr uint32_t kWordCount = sizeof kWords / sizeof kWords[0];

const char kHead[] = "<html><head><title>Benchmark page</title></head>\n<body>\n";
const char kTail[] = "</body></html>\n";

void Words(std::string& out, TRandom& rnd, int n) {
    for (int i = 0; i < n; ++i) {
        if (i > 0)
            out += ' ';
        out += kWords[rnd(kWordCount)];
    }
}

} // namespace

std::string ParagraphPage(size_t bytes) {
    TRandom rnd;
    std::string s = kHead;
    s.reserve(bytes + 4096);
    int para = 0;
    while (s.size() < bytes) {
        if (para % 12 == 0)
            s += "<h2>" + std::string(kWords[rnd(kWordCount)]) + " " + std::to_string(para) +
                 "</h2>\n";
        s += "<p>";
        const int sentences = 3 + int(rnd(6));
        for (int k = 0; k < sentences; ++k) {
            Words(s, rnd, 4 + int(rnd(10)));
            switch (rnd(6)) {
            case 0:
                s += " <a href=\"page" + std::to_string(rnd(500)) + ".html\">";
                Words(s, rnd, 1 + int(rnd(3)));
                s += "</a>";
                break;
            case 1: {
                const int w = 16 + int(rnd(48)), h = 12 + int(rnd(24));
                s += " <img src=\"pics/p" + std::to_string(rnd(40)) +
                     ".gif\" width=" + std::to_string(w) + " height=" + std::to_string(h) +
                     " alt=\"picture\">";
                break;
            }
            case 2:
                s += " <b>";
                Words(s, rnd, 1 + int(rnd(3)));
                s += "</b>";
                break;
            case 3:
                s += " <i>";
                Words(s, rnd, 1 + int(rnd(3)));
                s += "</i>";
                break;
            default:
                break;
            }
            s += ". ";
        }
        s += "</p>\n";
        ++para;
    }
    return s + kTail;
}

std::string AccentedParagraphPage(size_t bytes) {
    static const std::pair<std::string, std::string> kAccented[] = {
        {" garden ", " jardín "},   {" summer ", " été "},    {" morning ", " matinée "},
        {" travel ", " voyagé "},   {" letters ", " Größe "}, {" library ", " bibliothèque "},
        {" pictures ", " œuvres "}, {" between ", " señor "}, {" written ", " écrit "},
        {" through ", " über "},    {" the ", " thé "},       {" collection ", " façade "}};
    std::string page = ParagraphPage(bytes);
    for (const auto& [plain, accented] : kAccented) {
        std::string out;
        out.reserve(page.size() + page.size() / 16);
        size_t at = 0;
        for (size_t hit; (hit = page.find(plain, at)) != std::string::npos; at = hit + plain.size())
            out.append(page, at, hit - at).append(accented);
        out.append(page, at, std::string::npos);
        page.swap(out);
    }
    return page;
}

std::string CjkParagraphPage(size_t bytes) {
    // Common ideographs and kana, three UTF-8 bytes each, and the full stop and comma.
    static const char* const kChars[] = {"中", "文", "字", "体", "日", "本", "語", "の", "テ",
                                         "キ", "ス", "ト", "書", "館", "頁", "図", "庭", "夏",
                                         "朝", "旅", "手", "紙", "東", "京", "は", "を", "に"};
    TRandom rnd;
    std::string s = "<html><head><meta charset=\"utf-8\"><title>頁</title></head>\n<body>\n";
    s.reserve(bytes + 4096);
    while (s.size() < bytes) {
        s += "<p>";
        const int sentences = 3 + int(rnd(6));
        for (int k = 0; k < sentences; ++k) {
            const int n = 8 + int(rnd(30));
            for (int i = 0; i < n; ++i)
                s += kChars[rnd(sizeof kChars / sizeof kChars[0])];
            s += rnd(3) == 0 ? "、" : "。";
        }
        s += "</p>\n";
    }
    return s + kTail;
}

std::string NestedListPage(int depth) {
    TRandom rnd;
    std::string s = kHead;
    for (int d = 0; d < depth; ++d) {
        s += d % 2 == 0 ? "<ul>\n" : "<ol>\n";
        for (int k = 0; k < 2; ++k) {
            s += "<li>Level " + std::to_string(d) + ": ";
            Words(s, rnd, 5 + int(rnd(8)));
            s += " <a href=\"l" + std::to_string(d) + ".html\">more</a></li>\n";
        }
        s += "<li>";
        Words(s, rnd, 3);
        s += "\n";
    }
    for (int d = depth - 1; d >= 0; --d)
        s += d % 2 == 0 ? "</li></ul>\n" : "</li></ol>\n";
    return s + kTail;
}

std::string TablePage(int rows) {
    TRandom rnd;
    std::string s = kHead;
    s += "<h1>Inventory</h1>\n<table border=1 cellpadding=2 cellspacing=0>\n<tr>";
    for (const char* h : {"Code", "Name", "Shelf", "Count", "Price", "Notes"})
        s += std::string("<th>") + h + "</th>";
    s += "</tr>\n";
    for (int r = 0; r < rows; ++r) {
        s += "<tr><td>" + std::to_string(10000 + r) + "</td><td>";
        Words(s, rnd, 2 + int(rnd(3)));
        s += "</td><td align=center>" + std::string(1, char('A' + rnd(26))) +
             std::to_string(rnd(100)) + "</td><td align=right>" + std::to_string(rnd(1000)) +
             "</td><td align=right>" + std::to_string(rnd(100)) + "." +
             std::to_string(10 + rnd(90)) + "</td><td>";
        if (r % 10 == 9) {
            s += "<table border=1 cellspacing=0><tr><td>in</td><td>" + std::to_string(rnd(50)) +
                 "</td></tr><tr><td>out</td><td>" + std::to_string(rnd(50)) + "</td></tr></table>";
        } else {
            Words(s, rnd, int(rnd(8)));
        }
        s += "</td></tr>\n";
    }
    s += "</table>\n";
    return s + kTail;
}

std::string FormPage(int controls) {
    TRandom rnd;
    std::string s = kHead;
    s += "<h1>Order form</h1>\n<form action=\"order.cgi\" method=post>\n";
    int made = 0;
    for (int row = 0; made < controls; ++row) {
        const std::string n = std::to_string(row);
        s += "<p>";
        Words(s, rnd, 2 + int(rnd(3)));
        s += ": ";
        switch (row % 6) {
        case 0:
            s += "<input type=text name=t" + n + " size=" + std::to_string(10 + rnd(30)) +
                 " value=\"" + kWords[rnd(kWordCount)] + "\">";
            ++made;
            break;
        case 1:
            s += "<input type=checkbox name=c" + n + " checked> yes <input type=checkbox name=d" +
                 n + "> no";
            made += 2;
            break;
        case 2:
            for (int k = 0; k < 3; ++k)
                s += "<input type=radio name=r" + n + " value=" + std::to_string(k) + "> " +
                     kWords[rnd(kWordCount)] + " ";
            made += 3;
            break;
        case 3:
            s += "<select name=s" + n + ">";
            for (int k = 0; k < 6; ++k)
                s += std::string("<option>") + kWords[rnd(kWordCount)] + " " + std::to_string(k);
            s += "</select>";
            ++made;
            break;
        case 4:
            s += "<textarea name=m" + n + " rows=3 cols=40>";
            Words(s, rnd, 10);
            s += "</textarea>";
            ++made;
            break;
        default:
            s += "<input type=submit value=\"Send " + n + "\"> <input type=reset>";
            made += 2;
            break;
        }
        s += "</p>\n";
    }
    s += "</form>\n";
    return s + kTail;
}

TPageFolder::TPageFolder() {
    char tmpl[] = "/tmp/render-bench-XXXXXX";
    if (mkdtemp(tmpl) == nullptr)
        throw std::runtime_error("cannot make a temporary folder");
    dir_ = tmpl;
}

TPageFolder::~TPageFolder() {
    std::error_code ec;
    fs::remove_all(dir_, ec);
}

std::string TPageFolder::Write(const std::string& name, const std::string& html) {
    const std::string path = dir_ + "/" + name;
    std::ofstream out(path, std::ios::binary);
    out << html;
    if (!out)
        throw std::runtime_error("cannot write " + path);
    return path;
}

std::vector<std::string> TPageFolder::CopyHelpPages(const std::string& dir) {
    std::vector<std::string> out;
    std::error_code ec;
    if (!fs::is_directory(dir, ec))
        return out;
    std::vector<fs::path> sources;
    for (const auto& e : fs::recursive_directory_iterator(dir, ec))
        if (e.is_regular_file())
            sources.push_back(e.path());
    std::sort(sources.begin(), sources.end());
    for (const auto& p : sources) {
        std::string name = p.filename().string();
        std::string html;
        if (name.size() > 8 && name.compare(name.size() - 8, 8, ".html.gz") == 0) {
            gzFile gz = gzopen(p.c_str(), "rb");
            if (gz == nullptr)
                continue;
            char buf[65536];
            int n;
            while ((n = gzread(gz, buf, sizeof buf)) > 0)
                html.append(buf, size_t(n));
            gzclose(gz);
            name.resize(name.size() - 3);
        } else if (p.extension() == ".html") {
            html = ReadFile(p.string());
        } else {
            continue;
        }
        // Numbered: two folders of the package may hold pages of the same name.
        out.push_back(Write("doc" + std::to_string(out.size()) + "-" + name, html));
    }
    return out;
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

} // namespace render_bench
