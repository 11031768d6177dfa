#include "app/render_command.h"

#include <cerrno>
#include <cstring>
#include <optional>

#include "app/option_reader.h"
#include "app/render_frame_set.h"
#include "html/load/headless_page.h"

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

std::optional<std::string> ParseRender(const std::vector<std::string>& args, TRenderOptions& o) {
    TOptionReader r(args);
    while (r.Next()) {
        const std::string& a = r.Name();
        if (a == "-o" || a == "--output") {
            if (!r.Value(o.Output))
                return "-o needs a file name";
        } else if (a == "--width") {
            std::string w;
            if (!r.Value(w))
                return "--width needs a number";
            const auto width = ParseWidth(w);
            if (!width)
                return "--width must be a whole number from 1 to " + std::to_string(kMaxWidth) +
                       ", not " + w;
            o.Width = *width;
        } else if (a == "--height") {
            std::string h;
            if (!r.Value(h))
                return "--height needs a number";
            const auto height = ParseWidth(h, kMaxHeight);
            if (!height)
                return "--height must be a whole number from 1 to " + std::to_string(kMaxHeight) +
                       ", not " + h;
            o.Height = *height;
        } else if (a == "--dump" && !r.HasInlineValue()) {
            o.Dump = true;
        } else if (!a.empty() && a[0] == '-') {
            return "unknown option " + r.Raw();
        } else if (o.Page.empty()) {
            o.Page = a;
        } else {
            return "more than one page: " + a;
        }
    }
    if (o.Page.empty())
        return "render needs a page";
    if (o.Output.empty() && !o.Dump)
        return "render needs -o OUT.png (or --dump)";
    return std::nullopt;
}

} // namespace

int RunRenderCommand(const std::vector<std::string>& args, const TCommandLineEnvironment& env) {
    TRenderOptions o;
    if (const auto problem = ParseRender(args, o)) {
        std::fprintf(env.Err, "foliobuilder: %s\n", problem->c_str());
        PrintFolioBuilderUsage(env.Err);
        return kExitUsage;
    }
    std::string error;
    if (IsFrameSetFile(o.Page)) {
        if (o.Dump) {
            std::fprintf(env.Err, "foliobuilder: %s is a frame set; --dump shows pages only\n",
                         o.Page.c_str());
            return kExitFailed;
        }
        const int height = o.Height > 0 ? o.Height : kDefaultFrameSetHeight;
        if (!RenderFrameSet(o.Page, o.Width, height, o.Output, error)) {
            std::fprintf(env.Err, "foliobuilder: %s\n", error.c_str());
            return kExitFailed;
        }
        return kExitOk;
    }
    THeadlessPage page;
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
