#pragma once
// A text section's characters as UTF-8, for comparing with string literals: the buffer codes
// (objects, breaks, the no-break mark), all below 32, stay single bytes.
#include <string>

#include "html/doc/text_section.h"
#include "platform/base/strings.h"

inline std::string TextOf(const TSection& s) {
    return U32ToUtf8(s.Text());
}
