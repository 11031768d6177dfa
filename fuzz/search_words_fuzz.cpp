// The words of the book search: any bytes, as a UTF-8 query or as a page's text (code points
// of any value, section starts among them), must make words without harm, each one non-empty
// valid UTF-8 lying inside the text and inside one section, in the text's order.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "bookreader/search_words.h"
#include "platform/base/strings.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    for (const std::string& w :
         QueryWords(std::string_view(reinterpret_cast<const char*>(data), size)))
        if (w.empty() || !IsValidUtf8(w))
            __builtin_trap();

    // Four bytes a character: three of its value (up to U+FFFFFF, beyond Unicode's end), the
    // fourth's low bit starts a section there.
    std::u32string text;
    std::vector<int32_t> sections;
    for (size_t i = 0; i + 4 <= size; i += 4) {
        if ((data[i + 3] & 1) != 0)
            sections.push_back(static_cast<int32_t>(text.size()));
        text += static_cast<char32_t>(data[i] | (data[i + 1] << 8) | (data[i + 2] << 16));
    }
    TWordReader reader(text, sections);
    int32_t lastStart = 0;
    for (TTextWord w; reader.Next(w);) {
        if (w.Start < lastStart || w.Start >= w.End || static_cast<size_t>(w.End) > text.size() ||
            w.Folded.empty() || !IsValidUtf8(w.Folded))
            __builtin_trap();
        for (const int32_t s : sections)
            if (s > w.Start && s < w.End)
                __builtin_trap();
        lastStart = w.Start;
    }
    for (int32_t i = -1; i <= static_cast<int32_t>(text.size()); ++i)
        (void)(reader.CharAt(i) + reader.Joins(i) + reader.StartsSection(i));
    return 0;
}
