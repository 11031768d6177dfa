#include "html/reader/url_target.h"

#include <limits>

namespace {
constexpr int32_t kFirstLinkNumber = 10;
int32_t linkCounter = kFirstLinkNumber;
} // namespace

int32_t TUrlTarget::NextLinkNumber() {
    return linkCounter;
}

void TUrlTarget::Assign(const std::string& url, const std::string& target) {
    URL = url;
    Target = target;
    LinkNumber = linkCounter;
    // Wrap instead of overflowing: numbers only need to differ between anchors shown together.
    linkCounter =
        linkCounter == std::numeric_limits<int32_t>::max() ? kFirstLinkNumber : linkCounter + 1;
}

void TUrlTarget::Copy(const TUrlTarget& from) {
    URL = from.URL;
    Target = from.Target;
    LinkNumber = from.LinkNumber;
}

void TUrlTarget::Clear() {
    URL.clear();
    Target.clear();
    LinkNumber = 0;
}
