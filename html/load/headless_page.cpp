#include "html/load/headless_page.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <sys/stat.h>

#include "html/doc/dump.h"
#include "html/image/bitmap_cache.h"
#include "html/load/html_reader.h"
#include "html/load/page_background.h"
#include "html/load/png_band_writer.h"
#include "html/reader/url_subs.h"
#include "platform/base/files.h"
#include "platform/base/strings.h"
#include "platform/graphics/canvas.h"

namespace {

// The viewer's defaults.
constexpr int32_t kMarginWidth = 10;
constexpr int32_t kMarginHeight = 5;
// Bands are at most this tall and hold at most this many pixels.
constexpr int32_t kBandRows = 4096;
constexpr int64_t kBandPixels = 256LL * 1024;

enum class TFileKind { fkHtml, fkText, fkImage };

TFileKind KindOf(const std::string& path) {
    const std::string name = LowerCase(path);
    const size_t dot = name.rfind('.');
    const size_t slash = name.rfind('/');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return TFileKind::fkHtml;
    const std::string ext = name.substr(dot);
    if (ext == ".txt")
        return TFileKind::fkText;
    if (ext == ".bmp" || ext == ".gif" || ext == ".jpg" || ext == ".jpeg" || ext == ".png")
        return TFileKind::fkImage;
    return TFileKind::fkHtml;
}

// A quoted attribute value: the lexer decodes entities in it.
std::string AttributeText(const std::string& s) {
    std::string out;
    for (char c : s) {
        if (c == '&')
            out += "&amp;";
        else if (c == '"')
            out += "&quot;";
        else
            out += c;
    }
    return out;
}

} // namespace

THeadlessPage::THeadlessPage()
    : cache_(std::make_unique<TStringBitmapList>()),
      doc_(std::make_unique<TSectionList>(nullptr, nullptr)) {
    Prepare({});
}

THeadlessPage::~THeadlessPage() {
    doc_.reset(); // releases its cache entries before the cache goes
}

void THeadlessPage::Prepare(const std::string& baseDir) {
    doc_->Clear();
    doc_->Title.clear();
    doc_->Base.clear();
    doc_->BaseTarget.clear();
    doc_->BitmapList = cache_.get();
    cache_->PurgeCache();
    doc_->Zoom = std::clamp(zoom_, 0.25, 8.0);
    doc_->SetDefaults("Times New Roman", "Courier New", 12, clBlack, clBlue, clPurple, clBlue,
                      false, defaultBackground_, true, kMarginWidth, kMarginHeight, 0);
    baseDir_ = baseDir;
    if (!baseDir_.empty() && baseDir_.back() != '/')
        baseDir_ += '/';
    siteFiles_.reset();
    doc_->HtmlExpandFilename = [this](const std::string& name) { return ExpandName(name); };
    width_ = height_ = neededWidth_ = 0;
}

// Names are files: relative ones below the page's folder (as far as their own ".." pieces
// take them), absolute ones as written. Web addresses are not fetched.
std::string THeadlessPage::ExpandName(const std::string& name) const {
    if (baseDir_.empty())
        return {};
    std::string n = HtmlTrim(name);
    if (n.empty())
        return {};
    const bool fileUrl = n.size() >= 5 && SameText(n.substr(0, 5), "file:");
    if (!fileUrl && (IsFullUrl(n) || n.find(':') != std::string::npos))
        return {};
    std::string path = UrlToPath(n);
    const size_t cut = path.find_first_of("?#");
    if (cut != std::string::npos)
        path.resize(cut);
    std::replace(path.begin(), path.end(), '\\', '/');
    if (path.empty())
        return {};
    if (path[0] != '/') {
        const std::string beside = baseDir_ + path;
        // A site book serves every member by its file name alone, as if all lay in one
        // folder, so a site may name a picture kept in a sub-folder without its folder. The
        // page is drawn as its book would show it.
        if (path.find('/') == std::string::npos && !FileExists(beside)) {
            std::string found = FindInSite(path);
            if (!found.empty())
                return found;
        }
        path = beside;
    }
    return path;
}

std::string THeadlessPage::FindInSite(const std::string& fileName) const {
    if (!siteFiles_) {
        siteFiles_ = std::make_unique<std::unordered_map<std::string, std::string>>();
        // Breadth first from the page's folder, hidden entries and linked folders left out
        // (FindFiles never reports a link as a directory), bounded so that a page lying in a
        // large folder such as a home directory costs little.
        constexpr size_t kMaxFolders = 500, kMaxFiles = 20000;
        std::vector<std::string> folders{baseDir_};
        for (size_t i = 0; i < folders.size() && i < kMaxFolders; ++i) {
            for (const TSearchRec& e : FindFiles(folders[i], faAnyFile & ~(faHidden | faSysFile))) {
                if (e.Name == "." || e.Name == ".." || e.Name.empty() || e.Name[0] == '.')
                    continue;
                if (e.Attr & faDirectory) {
                    folders.push_back(folders[i] + e.Name + "/");
                } else if (siteFiles_->size() < kMaxFiles) {
                    siteFiles_->emplace(LowerCase(e.Name), folders[i] + e.Name);
                }
            }
        }
    }
    auto it = siteFiles_->find(LowerCase(fileName));
    return it == siteFiles_->end() ? std::string() : it->second;
}

bool THeadlessPage::LoadFile(const std::string& path, std::string& error) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        error = "cannot read " + path + ": " + std::strerror(errno);
        return false;
    }
    if (S_ISDIR(st.st_mode)) {
        error = "cannot read " + path + ": it is a directory";
        return false;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = "cannot read " + path + ": " + std::strerror(errno);
        return false;
    }
    std::string content((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) {
        error = "cannot read " + path + ": " + std::strerror(errno);
        return false;
    }
    const std::string dir = ExtractFilePath(path).empty() ? "./" : ExtractFilePath(path);
    switch (KindOf(path)) {
    case TFileKind::fkText:
        Prepare(dir);
        ParseHTMLText(*doc_, THtmlSource::Text(content));
        break;
    case TFileKind::fkImage: {
        // As the viewer shows a picture: a page holding one IMG of it.
        const std::string name = path.substr(ExtractFilePath(path).size());
        LoadHtml("<img src=\"" + AttributeText(name) + "\">", dir);
        break;
    }
    case TFileKind::fkHtml:
        LoadHtml(std::move(content), dir);
        break;
    }
    return true;
}

void THeadlessPage::LoadHtml(std::string html, const std::string& baseDir) {
    Prepare(baseDir);
    TReaderHost host;
    host.MarginWidth = kMarginWidth;
    host.MarginHeight = kMarginHeight;
    ParseHTMLDocument(*doc_, THtmlSource::Text(html), host);
}

void THeadlessPage::LoadText(std::string text) {
    Prepare({});
    ParseHTMLText(*doc_, THtmlSource::Text(text));
}

int32_t THeadlessPage::LayOut(int32_t width) {
    width_ = std::clamp<int32_t>(width, 1, kMaxWidth);
    TCanvas canvas(1, 1);
    int32_t needed = 0, charIndex = 0;
    height_ =
        std::max<int32_t>(0, doc_->LayOut(canvas, 0, width_, kViewportHeight, needed, charIndex));
    neededWidth_ = needed;
    return height_;
}

std::string THeadlessPage::Dump() const {
    TDumpWriter out;
    doc_->Dump(out, 0);
    return out.Text();
}

void THeadlessPage::Paint(TCanvas& canvas, int32_t top) {
    // The viewer's own background painting: colour, or the picture tiled from the document's
    // origin.
    PaintPageBackground(canvas, TRect{0, 0, canvas.Width(), canvas.Height()}, *doc_, 0, top);
    doc_->ScrollTo(top);
    const TRect clip{0, 0, canvas.Width(), canvas.Height()};
    doc_->DrawCell(canvas, clip, canvas.Width(), 0, top, 0, 0);
}

int32_t THeadlessPage::PictureHeight() const {
    return std::clamp<int32_t>(height_, 1, kMaxPictureHeight);
}

bool THeadlessPage::SavePNG(const std::string& fileName, std::string& error) {
    if (width_ < 1)
        LayOut(800);
    const int32_t width = width_;
    const int32_t height = PictureHeight();
    const int32_t bandRows =
        static_cast<int32_t>(std::clamp<int64_t>(kBandPixels / width, 1, kBandRows));
    TPngBandWriter png;
    if (!png.Open(fileName, width, height, error))
        return false;
    // One band canvas serves every full band (each paint covers it with the background
    // first); only a shorter last band gets a canvas of its own.
    std::unique_ptr<TCanvas> band;
    for (int32_t top = 0; top < height; top += bandRows) {
        const int32_t rows = std::min(bandRows, height - top);
        if (!band || band->Height() != rows)
            band = std::make_unique<TCanvas>(width, rows);
        band->ClearClipRect();
        Paint(*band, top);
        if (!png.AddRows(*band, rows, error))
            return false;
    }
    return png.Close(error);
}
