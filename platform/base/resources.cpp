#include "platform/base/resources.h"

#include <mutex>

#include "platform/base/strings.h"

namespace {

struct TTable {
    const TResourceEntry* Entries;
    size_t Count;
};

// Built on first use, so tables registered by static initialisers of other objects find it
// ready whatever the order of initialisation.
struct TRegistry {
    std::mutex Lock;
    std::vector<TTable> Tables;
};

TRegistry& Registry() {
    static TRegistry registry;
    return registry;
}

} // namespace

void RegisterResources(const TResourceEntry* entries, size_t count) {
    if (!entries || count == 0)
        return;
    TRegistry& r = Registry();
    std::lock_guard<std::mutex> lock(r.Lock);
    r.Tables.push_back({entries, count});
}

const TResourceEntry* FindResource(std::string_view name, std::string_view type) {
    if (name.empty() || type.empty())
        return nullptr;
    TRegistry& r = Registry();
    std::lock_guard<std::mutex> lock(r.Lock);
    for (const TTable& t : r.Tables)
        for (size_t i = 0; i < t.Count; ++i) {
            const TResourceEntry& e = t.Entries[i];
            if (SameText(e.Name, name) && SameText(e.Type, type))
                return &e;
        }
    return nullptr;
}

std::vector<const TResourceEntry*> AllResources() {
    TRegistry& r = Registry();
    std::lock_guard<std::mutex> lock(r.Lock);
    std::vector<const TResourceEntry*> all;
    for (const TTable& t : r.Tables)
        for (size_t i = 0; i < t.Count; ++i)
            all.push_back(&t.Entries[i]);
    return all;
}
