#pragma once
// Files compiled into the program (pages, style sheets, pictures), found by name and type as a
// program finds the resources of its own module. Tables are added once, at start-up, by code
// that the build generates from a folder (folio_embed_resources in embed_resources.cmake); the
// registry only refers to them, so they must live as long as the program.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "platform/base/exceptions.h"

struct TResourceEntry {
    const char* Name; // upper case, e.g. "HELP"
    const char* Type; // upper case, e.g. "HTML"
    const uint8_t* Data;
    size_t Size;

    std::span<const uint8_t> Bytes() const { return {Data, Size}; }
};

// Adds a table of count entries. Safe to call from static initialisers.
void RegisterResources(const TResourceEntry* entries, size_t count);

// The entry with this name and type, both compared ignoring ASCII case; nullptr when there is
// none. An empty name or type finds nothing.
const TResourceEntry* FindResource(std::string_view name, std::string_view type);

// Every registered entry, in the order registered.
std::vector<const TResourceEntry*> AllResources();

// A named resource that is not in the program.
class EResNotFound : public Exception {
    using Exception::Exception;
};
