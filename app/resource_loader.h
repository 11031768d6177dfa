#pragma once
// The builder's pages, style sheet and pictures come from the program itself: a file name
// such as "help.html" is served by the resource HELP of type HTML. The viewer never reads
// files on its own; it asks through its request events, which TBuiltinPages answers.
#include <string>

#include "platform/base/resources.h"
#include "platform/base/streams.h"

class TObject;

// The resource name and type a file name asks for: the type is the extension upper-cased
// without its dot ("HTM" and "CSS" read as "HTML"); the name is the file name without the
// extension, directory part included (so "images/logo.jpg" asks for "images/logo", which no
// resource is called).
struct TResourceRequest {
    std::string Name;
    std::string Type;
};
TResourceRequest ResourceRequestFor(const std::string& fileName);

// Replaces the stream's content with the bytes of the resource that fileName asks for and
// moves it to position 0. Raises EResNotFound "Can't load resource: " + name when the
// program has no such resource; the stream is left as it was then.
void LoadResourcePage(const std::string& fileName, TMemoryStream& stream);

// The main window's answers to its viewer's page and image requests. Each kind has one
// stream that every request of that kind reuses, so the viewer must be done with a page or
// picture before it asks for the next of its kind (it is: it reads each at once).
class TBuiltinPages {
public:
    // The streams belong to the caller (the builder state keeps them).
    TBuiltinPages(TMemoryStream& pageStream, TMemoryStream& imageStream)
        : PageStream(pageStream), ImageStream(imageStream) {}

    // Pages and linked style sheets: fills PageStream and hands it back.
    void viewerStreamRequest(TObject* Sender, const std::string& SRC, TMemoryStream*& Stream);
    // Pictures: fills ImageStream and hands it back.
    void viewerImageRequest(TObject* Sender, const std::string& SRC, TMemoryStream*& Stream);

    TMemoryStream& PageStream;
    TMemoryStream& ImageStream;
};
