// The book configuration a reader takes from its archive: any bytes must parse without harm,
// and every value must come from one line of the input (no line feed survives into a value).
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "bookreader/book_config.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const TBookConfig c = ParseBookConfig(text);
    for (const std::string* v : {&c.HomePage, &c.Caption, &c.Password, &c.IconFile}) {
        if (v->size() > size || v->find('\n') != std::string::npos)
            __builtin_trap();
    }
    return 0;
}
