#include "app/render_command.h"

#include <cerrno>
#include <cstring>
#include <optional>

#include "app/render_frame_set.h"
#include "html/load/headless_page.h"
#include "html/style/color_text.h"
#include "platform/base/option_parser.h"

namespace {

constexpr int kDefaultWidth = 800;
constexpr int kMaxWidth = 10000;
// A frame set is drawn as a window of this height (the frames fill it; nothing scrolls).
constexpr int kDefaultFrameSetHeight = 600;
constexpr int kMaxHeight = 4000;

struct TRenderOptions {
    std::string Page, Output;
    int Width = kDefaultWidth;
    int Height = 0; // 0: the page's height, or kDefaultFrameSetHeight for a frame set
    bool Dump = false;
    // What the windows paint where a page sets no background.
    TColor Background = clWhite;
};

// A whole decimal number from 1 to max.
std::optional<int> ParseWidth(const std::string& text, int max = kMaxWidth) {
    if (text.empty() || text.size() > 6)
        return std::nullopt;
    int v = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
        v = v * 10 + (c - '0');
    }
    if (v < 1 || v > max)
        return std::nullopt;
    return v;
}

// The handler of an option that takes a whole number from 1 to max.
TOptionParser::TValueHandler NumberInto(int& into, int max) {
    return [&into, max](const std::string& text) -> TOptionParser::TRefusal {
        const auto value = ParseWidth(text, max);
        if (!value)
            return "must be a whole number from 1 to " + std::to_string(max) + ", not " + text;
        into = *value;
        return std::nullopt;
    };
}

void DeclareRenderOptions(TOptionParser& p, TRenderOptions& o) {
    p.Value("-o, --output", "OUT", "the PNG file (or, with --dump, the text file) to write",
            o.Output);
    p.Value("--width", "N", "the width to lay the page out at (default 800)",
            NumberInto(o.Width, kMaxWidth));
    p.Value("--height", "N", "the window height a frame set fills (default 600)",
            NumberInto(o.Height, kMaxHeight));
    p.Value("--background", "COLOUR",
            "the colour where the page sets none: a name or #RRGGBB (default white)",
            [&o](const std::string& text) -> TOptionParser::TRefusal {
                TColor c = 0;
                if (!ColorFromText(text, false, c))
                    return "must be a colour name or #RRGGBB, not " + text;
                o.Background = c;
                return std::nullopt;
            });
    p.Flag("--dump", "write the laid-out tree as text instead", [&o] { o.Dump = true; });
}

const char* const kRenderUsage =
    "Usage: foliobuilder render PAGE -o OUT.png [--width N] [--height N]\n"
    "                           [--background COLOUR] [--dump]\n"
    "Lays PAGE (HTML, text or a picture) out with the real engine and writes the whole\n"
    "page as one PNG picture, or with --dump its layout as text (to OUT or standard\n"
    "output). A frame-set PAGE is drawn whole in a window N pixels high.\n";

// A usage problem, or nothing.
std::optional<std::string> CheckRender(const TOptionParser& p, TRenderOptions& o) {
    if (p.Operands().size() > 1)
        return "more than one page: " + p.Operands()[1];
    if (p.Operands().empty())
        return "render needs a page";
    o.Page = p.Operands()[0];
    if (o.Output.empty() && !o.Dump)
        return "render needs -o OUT.png (or --dump)";
    return std::nullopt;
}

} // namespace

int RunRenderCommand(const std::vector<std::string>& args, const TCommandLineEnvironment& env) {
    TRenderOptions o;
    TOptionParser parser;
    DeclareRenderOptions(parser, o);
    if (const auto status = ParseSubcommand(parser, args, "render", kRenderUsage, env))
        return *status;
    if (const auto problem = CheckRender(parser, o))
        return CommandLineProblem(env, "render", *problem);
    std::string error;
    if (IsFrameSetFile(o.Page)) {
        if (o.Dump) {
            std::fprintf(env.Err, "foliobuilder: %s is a frame set; --dump shows pages only\n",
                         o.Page.c_str());
            return kExitFailed;
        }
        const int height = o.Height > 0 ? o.Height : kDefaultFrameSetHeight;
        if (!RenderFrameSet(o.Page, o.Width, height, o.Background, o.Output, error)) {
            std::fprintf(env.Err, "foliobuilder: %s\n", error.c_str());
            return kExitFailed;
        }
        return kExitOk;
    }
    THeadlessPage page;
    page.SetDefaultBackground(o.Background);
    if (!page.LoadFile(o.Page, error)) {
        std::fprintf(env.Err, "foliobuilder: %s\n", error.c_str());
        return kExitFailed;
    }
    page.LayOut(o.Width);
    if (o.Dump) {
        const std::string dump = page.Dump();
        if (o.Output.empty()) {
            std::fwrite(dump.data(), 1, dump.size(), env.Out);
            return kExitOk;
        }
        std::FILE* f = std::fopen(o.Output.c_str(), "wb");
        if (!f) {
            std::fprintf(env.Err, "foliobuilder: cannot create %s: %s\n", o.Output.c_str(),
                         std::strerror(errno));
            return kExitFailed;
        }
        const bool written = std::fwrite(dump.data(), 1, dump.size(), f) == dump.size();
        if (std::fclose(f) != 0 || !written) {
            std::fprintf(env.Err, "foliobuilder: cannot write %s\n", o.Output.c_str());
            return kExitFailed;
        }
        return kExitOk;
    }
    if (page.DocHeight() > page.PictureHeight()) {
        std::fprintf(env.Err,
                     "foliobuilder: the page is %d pixels tall; the picture shows its first %d "
                     "rows\n",
                     page.DocHeight(), page.PictureHeight());
    }
    if (!page.SavePNG(o.Output, error)) {
        std::fprintf(env.Err, "foliobuilder: %s\n", error.c_str());
        return kExitFailed;
    }
    return kExitOk;
}
