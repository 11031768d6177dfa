#pragma once
// Unicode's simple upper-case and title-case mappings of one character (utf8proc). One
// character always maps to one, so positions in a text stay where they were. The lower-case
// mapping, used for finding text, is LowerChar in strings.h.
char32_t UpperChar(char32_t c);
char32_t TitleChar(char32_t c);
