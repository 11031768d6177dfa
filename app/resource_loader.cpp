#include "app/resource_loader.h"

#include "platform/base/strings.h"

TResourceRequest ResourceRequestFor(const std::string& fileName) {
    // The extension belongs to the last path segment only: a dot in a directory name is
    // not one.
    const size_t slash = fileName.find_last_of('/');
    const size_t dot = fileName.rfind('.');
    TResourceRequest r;
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) {
        r.Name = fileName;
        return r;
    }
    r.Name = fileName.substr(0, dot);
    r.Type = UpperCase(std::string_view(fileName).substr(dot + 1));
    if (r.Type == "HTM" || r.Type == "CSS")
        r.Type = "HTML";
    return r;
}

void LoadResourcePage(const std::string& fileName, TMemoryStream& stream) {
    const TResourceRequest r = ResourceRequestFor(fileName);
    const TResourceEntry* res = FindResource(r.Name, r.Type);
    if (!res)
        throw EResNotFound("Can't load resource: " + r.Name);
    stream.Clear();
    stream.WriteBuffer(res->Data, static_cast<int64_t>(res->Size));
    stream.SetPosition(0);
}

void TBuiltinPages::viewerStreamRequest(TObject*, const std::string& SRC, TMemoryStream*& Stream) {
    LoadResourcePage(SRC, PageStream);
    Stream = &PageStream;
}

void TBuiltinPages::viewerImageRequest(TObject*, const std::string& SRC, TMemoryStream*& Stream) {
    LoadResourcePage(SRC, ImageStream);
    Stream = &ImageStream;
}
