// The cascade measured in property sets per second. Our side runs what the document reader
// runs for every element (Create, InheritFrom with its font metrics, ApplyStyles over the
// sheet and the stack). The peer is the honest naive way: rules in a std::map keyed by
// selector text, the same fifteen simple keys looked up for each element, and every
// contextual rule re-split and tested against the stack each time, values copied as text.
#include <benchmark/benchmark.h>

#include <array>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "html/style/prop_stack.h"
#include "html/style/style_dump.h"
#include "html/style/style_parser.h"

namespace {

// A sheet of a few hundred rules in the style of a late-1990s site with a CSS1 sheet.
std::string MakeSheet() {
    std::ostringstream s;
    s << "<!--\nbody { font-family: verdana, arial, sans-serif; font-size: 10pt; "
         "color: #333; background: #fff url(img/bg.gif) repeat-x }\n"
         "a { color: #036; text-decoration: none } a:hover { color: #c00; "
         "background-color: #ffc } a:visited { color: #639 }\n"
         "h1, h2, h3 { font-family: georgia, serif; color: #036 }\n"
         "h1 { font-size: 18pt; margin: 0 0 10px 0 } h2 { font-size: 14pt } "
         "h3 { font-size: 12pt; border-bottom: 1px solid #ccc }\n"
         "p { margin: 0 0 1em 0; line-height: 1.4 } ul, ol { margin-left: 2em }\n"
         "table { border: 1px solid #999 } td, th { padding: 2px 4px; vertical-align: top }\n"
         "th { background-color: #eee; text-align: left }\n"
         "#header { background: #036; color: white; padding: 8px } #footer { font-size: 8pt; "
         "color: #999; border-top: 1px dotted #999 }\n"
         "#nav { float: left; width: 150px } #main { margin-left: 160px }\n"
         "#nav ul { list-style: none; margin: 0; padding: 0 } #nav li { margin: 0 } "
         "#nav a { display: block; font-weight: bold }\n"
         "div.box { border: 1px solid #ccc; padding: 6px; margin-bottom: 8px }\n"
         "div.box h3 { margin-top: 0 } .note { font-style: italic; color: #666 }\n"
         "ul.nav li a { color: white } ul.nav li a:hover { color: yellow }\n"
         "div.content p { text-align: justify } div.content p span.hl { background-color: "
         "yellow }\n"
         "pre, code { font-family: 'courier new', monospace; font-size: 9pt }\n";
    for (int i = 0; i < 60; ++i) {
        s << ".c" << i << " { color: rgb(" << i * 4 << ", 100, 200); margin-top: " << i << "px }\n";
        s << "p.c" << i << " { font-size: " << 8 + i % 6 << "pt }\n";
        s << "#id" << i << " { background-color: #" << std::hex << (0x100000 + i * 4099) << std::dec
          << "; padding: " << i % 5 << "px }\n";
        s << "div.c" << i << " p { line-height: " << 12 + i % 4 << "pt }\n";
        if (i % 2 == 0)
            s << "td.c" << i << " a:hover { text-decoration: underline }\n";
        if (i % 3 == 0)
            s << "ul.c" << i << " li, ol.c" << i << " li { list-style-type: square }\n";
    }
    s << "-->\n";
    return s.str();
}

struct TElem {
    std::string Tag, Class, ID;
    bool Link = false;
};

// One visit of a page's elements: each entry is a path from the body down, opened level by
// level and closed again, as the reader opens and closes elements.
std::vector<std::vector<TElem>> MakeDocument() {
    std::vector<std::vector<TElem>> paths;
    const TElem body{"body", "", ""};
    const TElem main{"div", "", "main"};
    const TElem content{"div", "content", ""};
    paths.push_back({body, {"div", "", "header"}, {"h1", "", ""}});
    paths.push_back(
        {body, {"div", "", "nav"}, {"ul", "nav", ""}, {"li", "", ""}, {"a", "", "", true}});
    for (int i = 0; i < 12; ++i) {
        const std::string c = "c" + std::to_string(i * 5);
        paths.push_back({body, main, content, {"p", i % 2 ? c : "", ""}});
        paths.push_back({body, main, content, {"p", "", ""}, {"span", "hl", ""}});
        paths.push_back({body, main, content, {"p", "", ""}, {"a", "", "", true}});
        paths.push_back({body, main, {"div", "box", "id" + std::to_string(i)}, {"h3", "", ""}});
        paths.push_back(
            {body, main, {"table", "", ""}, {"tr", "", ""}, {"td", c, ""}, {"a", "", "", true}});
        paths.push_back({body, main, {"ul", c, ""}, {"li", "", ""}, {"em", "", ""}});
    }
    paths.push_back({body, {"div", "", "footer"}, {"p", "note", ""}});
    return paths;
}

// --- ours -------------------------------------------------------------------------------

class TOurCascade {
public:
    TOurCascade() {
        LoadDumpDefaults(sheet_);
        ParseStyleText(sheet_, MakeSheet());
    }
    int Count() const { return sheet_.Count(); }
    // Opens every path element by element; returns the property sets made.
    int64_t Run(const std::vector<std::vector<TElem>>& doc) {
        int64_t made = 0;
        for (const auto& path : doc) {
            stack_.Clear();
            stack_.PushNew().CopyAsDefault(*sheet_.DefaultProps);
            for (const TElem& e : path) {
                made += Open(e.Tag, e.Class, e.ID, "");
                if (e.Link) {
                    for (const char* state : {"link", "hover", "visited"})
                        made += Open(e.Tag, e.Class, e.ID, state);
                }
            }
            benchmark::DoNotOptimize(stack_.Last().Values[piColor]);
        }
        return made;
    }

private:
    int Open(const std::string& tag, const std::string& cls, const std::string& id,
             const char* pseudo) {
        TProperties& p = stack_.PushNew();
        p.InheritFrom(stack_[stack_.Count() - 2]);
        p.ApplyStyles(sheet_, &stack_, tag, cls, id, pseudo, nullptr);
        return 1;
    }
    TStyleList sheet_;
    TPropStack stack_;
};

// --- the naive peer ----------------------------------------------------------------------

struct TNaiveSet {
    std::array<std::string, PropCount> Values;
    std::string Tag, Class, ID, Pseudo;
};

class TNaiveCascade {
public:
    // Takes the rules from a parsed list, keeping them as text in std::map.
    explicit TNaiveCascade(const TStyleList& sheet) {
        for (int i = 0; i < sheet.Count(); ++i) {
            std::vector<std::pair<int, std::string>> decls;
            for (int s = 0; s < PropCount; ++s) {
                const TPropValue& v = sheet.Props(i).Values[s];
                if (!v.IsEmpty() && !v.IsInteger(NullLength))
                    decls.emplace_back(s, v.ToString());
            }
            const std::string& key = sheet.Key(i);
            if (key.find(' ') == std::string::npos)
                simple_[key] = decls;
            else
                contextual_.push_back({key, decls});
        }
    }
    int64_t Run(const std::vector<std::vector<TElem>>& doc) {
        int64_t made = 0;
        for (const auto& path : doc) {
            stack_.clear();
            stack_.emplace_back();
            for (const TElem& e : path) {
                made += Open(e, "");
                if (e.Link) {
                    for (const char* state : {"link", "hover", "visited"})
                        made += Open(e, state);
                }
            }
            benchmark::DoNotOptimize(stack_.back().Values[piColor]);
        }
        return made;
    }

private:
    using TDecls = std::vector<std::pair<int, std::string>>;
    void Merge(TNaiveSet& set, const TDecls& decls) {
        for (const auto& [slot, value] : decls)
            set.Values[static_cast<size_t>(slot)] = value;
    }
    static std::vector<std::string> Split(const std::string& key) {
        std::vector<std::string> parts;
        std::istringstream in(key);
        std::string w;
        while (in >> w)
            parts.push_back(w);
        if (parts.size() > 1) {
            size_t d = 0;
            while (d < parts[1].size() && isdigit(static_cast<unsigned char>(parts[1][d])))
                ++d;
            parts[1].erase(0, d);
        }
        return parts;
    }
    static void Pieces(const std::string& s, std::string& tag, std::string& cls, std::string& id,
                       std::string& pseudo) {
        std::string rest = s;
        auto cut = [&rest](char c, std::string& out) {
            const size_t p = rest.find(c);
            out = p == std::string::npos ? "" : rest.substr(p + 1);
            if (p != std::string::npos)
                rest.erase(p);
        };
        cut(':', pseudo);
        cut('#', id);
        cut('.', cls);
        tag = rest;
    }
    bool Matches(const std::vector<std::string>& parts, const TNaiveSet& self) {
        std::string tag, cls, id, pseudo;
        Pieces(parts[0], tag, cls, id, pseudo);
        if (tag != self.Tag || (!cls.empty() && cls != self.Class) ||
            (!id.empty() && id != self.ID) || (!pseudo.empty() && pseudo != self.Pseudo))
            return false;
        size_t part = 1;
        for (size_t level = stack_.size() - 1; level-- > 1;) {
            Pieces(parts[part], tag, cls, id, pseudo);
            const TNaiveSet& e = stack_[level];
            if (tag.empty() || tag != e.Tag || (!cls.empty() && cls != e.Class) ||
                (!id.empty() && id != e.ID) || (!pseudo.empty() && pseudo != e.Pseudo))
                continue;
            if (++part == parts.size())
                return true;
        }
        return false;
    }
    int Open(const TElem& e, const std::string& pseudo) {
        TNaiveSet set = stack_.back(); // inherit by copying everything
        set.Tag = e.Tag;
        set.Class = e.Class;
        set.ID = e.ID;
        set.Pseudo = pseudo;
        stack_.push_back(set);
        TNaiveSet& top = stack_.back();
        const std::string& t = e.Tag;
        const std::string c = e.Class, i = e.ID, p = pseudo;
        const std::string keys[] = {t,
                                    "." + c,
                                    ":" + p,
                                    t + "." + c,
                                    t + ":" + p,
                                    "." + c + ":" + p,
                                    t + "." + c + ":" + p,
                                    "#" + i,
                                    t + "#" + i,
                                    "." + c + "#" + i,
                                    "#" + i + ":" + p,
                                    t + "#" + i + ":" + p,
                                    t + "." + c + "#" + i,
                                    "." + c + "#" + i + ":" + p,
                                    t + "." + c + "#" + i + ":" + p};
        for (const std::string& k : keys) {
            const auto it = simple_.find(k);
            if (it != simple_.end())
                Merge(top, it->second);
        }
        for (const auto& [key, decls] : contextual_) {
            if (Matches(Split(key), top))
                Merge(top, decls);
        }
        return 1;
    }

    std::map<std::string, TDecls> simple_;
    std::vector<std::pair<std::string, TDecls>> contextual_;
    std::vector<TNaiveSet> stack_;
};

void BM_Cascade_Ours(benchmark::State& state) {
    TOurCascade ours;
    const auto doc = MakeDocument();
    int64_t sets = 0;
    for (auto _ : state)
        sets += ours.Run(doc);
    state.counters["sets/s"] =
        benchmark::Counter(static_cast<double>(sets), benchmark::Counter::kIsRate);
    state.counters["rules"] = ours.Count();
}
BENCHMARK(BM_Cascade_Ours)->Unit(benchmark::kMicrosecond);

void BM_Cascade_NaiveMapPeer(benchmark::State& state) {
    TStyleList sheet;
    LoadDumpDefaults(sheet);
    ParseStyleText(sheet, MakeSheet());
    TNaiveCascade naive(sheet);
    const auto doc = MakeDocument();
    int64_t sets = 0;
    for (auto _ : state)
        sets += naive.Run(doc);
    state.counters["sets/s"] =
        benchmark::Counter(static_cast<double>(sets), benchmark::Counter::kIsRate);
    state.counters["rules"] = sheet.Count();
}
BENCHMARK(BM_Cascade_NaiveMapPeer)->Unit(benchmark::kMicrosecond);

void BM_ParseSheet(benchmark::State& state) {
    const std::string css = MakeSheet();
    for (auto _ : state) {
        TStyleList sheet;
        ParseStyleText(sheet, css);
        benchmark::DoNotOptimize(sheet.Count());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                            static_cast<int64_t>(css.size()));
}
BENCHMARK(BM_ParseSheet)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
