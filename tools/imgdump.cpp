// imgdump FILE OUTDIR [--colors 8]
//
// Loads a BMP, GIF or JPEG through the viewer's own decoders and writes:
//   frame-N.png  the picture as it is on screen after composing animation step N (from 1),
//                transparent where nothing is drawn;
//   still.png    the still bitmap the image loader hands out;
//   info.txt     the kind, the logical size, the loop count and one line per frame.
// --colors 8 prepares the pictures as for an 8-bit display (the shared palette path).
#include <cairo.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <sstream>
#include <string>

#include "html/image/display.h"
#include "html/image/gif_image.h"
#include "html/image/image_kind.h"
#include "html/image/image_loader.h"

namespace {

// Writes a picture as ARGB32 PNG; pixels where `mask` is set are fully transparent. On failure
// `why` says what went wrong.
bool WritePng(const std::string& path, const TBitmap& bitmap, const TBitmap* mask,
              std::string& why) {
    const int w = bitmap.Width(), h = bitmap.Height();
    if (w <= 0 || h <= 0) {
        why = "the picture is empty";
        return false;
    }
    cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h);
    if (const cairo_status_t st = cairo_surface_status(s); st != CAIRO_STATUS_SUCCESS) {
        why = std::to_string(w) + "x" + std::to_string(h) + " is more than a PNG canvas holds (" +
              cairo_status_to_string(st) + ")";
        cairo_surface_destroy(s);
        return false;
    }
    cairo_surface_flush(s);
    unsigned char* data = cairo_image_surface_get_data(s);
    const int stride = cairo_image_surface_get_stride(s);
    for (int y = 0; y < h; ++y) {
        auto* row = reinterpret_cast<uint32_t*>(data + static_cast<size_t>(y) * stride);
        for (int x = 0; x < w; ++x) {
            if (mask && mask->GetIndex(x, y)) {
                row[x] = 0; // premultiplied: transparent is all zero
                continue;
            }
            TColor c = bitmap.GetPixel(x, y);
            row[x] = 0xFF000000u | static_cast<uint32_t>(GetRValue(c)) << 16 |
                     static_cast<uint32_t>(GetGValue(c)) << 8 | GetBValue(c);
        }
    }
    cairo_surface_mark_dirty(s);
    const cairo_status_t st = cairo_surface_write_to_png(s, path.c_str());
    cairo_surface_destroy(s);
    if (st != CAIRO_STATUS_SUCCESS) {
        why = cairo_status_to_string(st);
        return false;
    }
    return true;
}

// Every output file goes through here: the first that cannot be written ends the run.
class TOutput {
public:
    explicit TOutput(std::string dir) : dir_(std::move(dir)) {}

    bool Png(const std::string& name, const TBitmap& bitmap, const TBitmap* mask) {
        std::string why;
        if (WritePng(dir_ + name, bitmap, mask, why))
            return true;
        std::fprintf(stderr, "imgdump: cannot write %s%s: %s\n", dir_.c_str(), name.c_str(),
                     why.c_str());
        return false;
    }

    bool Text(const std::string& name, const std::string& text) {
        const std::string path = dir_ + name;
        std::FILE* f = std::fopen(path.c_str(), "wb");
        bool ok = f && std::fwrite(text.data(), 1, text.size(), f) == text.size();
        int err = ok ? 0 : errno;
        if (f && std::fclose(f) != 0 && ok) {
            ok = false;
            err = errno;
        }
        if (!ok)
            std::fprintf(stderr, "imgdump: cannot write %s: %s\n", path.c_str(),
                         std::strerror(err));
        return ok;
    }

private:
    std::string dir_;
};

const char* KindName(TImageKind k) {
    switch (k) {
    case ikBMP:
        return "BMP";
    case ikGIF87:
        return "GIF87";
    case ikGIF89:
        return "GIF89";
    case ikPNG:
        return "PNG";
    case ikJPEG:
        return "JPEG";
    default:
        return "unknown";
    }
}

int Usage() {
    std::fprintf(stderr, "usage: imgdump FILE OUTDIR [--colors 8]\n");
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    std::string file, out;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        if (a == "--help") {
            std::printf("usage: imgdump FILE OUTDIR [--colors 8]\n");
            return 0;
        }
        if (a == "--colors" && i + 1 < argc) {
            SetColorBits(std::atoi(argv[++i]));
        } else if (file.empty()) {
            file = a;
        } else if (out.empty()) {
            out = a;
        } else {
            return Usage();
        }
    }
    if (file.empty() || out.empty())
        return Usage();
    std::error_code ec;
    std::filesystem::create_directories(out, ec);
    if (!std::filesystem::is_directory(out)) {
        std::fprintf(stderr, "imgdump: cannot create %s\n", out.c_str());
        return 1;
    }
    out += "/";

    TOutput output(out);
    const TImageKind kind = KindOfImageFile(file);
    std::ostringstream info;
    info << "kind " << KindName(kind) << "\n";

    if (kind == ikGIF87 || kind == ikGIF89) {
        bool nonAnimated = true;
        auto gif = CreateAGif(file, nonAnimated);
        if (!gif) {
            std::fprintf(stderr, "imgdump: %s: not a readable GIF\n", file.c_str());
            return 1;
        }
        info << "size " << gif->Width() << "x" << gif->Height() << "\n";
        info << "loop " << gif->LoopCount() << "\n";
        for (int n = 1; n <= gif->NumFrames(); ++n) {
            const TgfFrame& f = gif->Frame(n);
            info << "frame " << n << " pos " << f.Left << "," << f.Top << " size " << f.Width << "x"
                 << f.Height << " delay " << f.Delay << " disposal " << f.Disposal
                 << (f.Transparent ? " transparent" : "") << (f.Interlaced ? " interlaced" : "")
                 << "\n";
        }
        if (!output.Text("info.txt", info.str()))
            return 1;
        for (int n = 1; n <= gif->NumFrames(); ++n) {
            if (n > 1)
                gif->SetCurrentFrame(n);
            if (!output.Png("frame-" + std::to_string(n) + ".png", *gif->Composition(),
                            gif->CompositionMask()))
                return 1;
        }
        auto still = gif->StillBitmap();
        if (still && !output.Png("still.png", *still, nullptr))
            return 1;
        return 0;
    }

    auto bitmap = GetImageFromFile(file, true);
    if (!bitmap) {
        std::fprintf(stderr, "imgdump: %s: no image\n", file.c_str());
        return 1;
    }
    info << "size " << bitmap->Width() << "x" << bitmap->Height() << "\n";
    info << "loop 1\n";
    info << "frame 1 pos 0,0 size " << bitmap->Width() << "x" << bitmap->Height()
         << " delay 0 disposal 0\n";
    const bool ok = output.Text("info.txt", info.str()) &&
                    output.Png("frame-1.png", *bitmap, nullptr) &&
                    output.Png("still.png", *bitmap, nullptr);
    return ok ? 0 : 1;
}
