#include "html/reader/url_target.h"

#include <atomic>
#include <limits>

namespace {
constexpr int32_t kFirstLinkNumber = 10;
// Shared by every document on every thread and never reset, so two anchors read at the same
// time, even on different threads, never get the same number.
std::atomic<int32_t> linkCounter{kFirstLinkNumber};
} // namespace

int32_t TUrlTarget::NextLinkNumber() {
    return linkCounter.load(std::memory_order_relaxed);
}

void TUrlTarget::Assign(const std::string& url, const std::string& target) {
    URL = url;
    Target = target;
    // Wrap instead of overflowing: numbers only need to differ between anchors shown together.
    int32_t n = linkCounter.load(std::memory_order_relaxed);
    while (!linkCounter.compare_exchange_weak(
        n, n == std::numeric_limits<int32_t>::max() ? kFirstLinkNumber : n + 1,
        std::memory_order_relaxed)) {
    }
    LinkNumber = n;
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
