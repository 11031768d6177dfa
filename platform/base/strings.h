#pragma once
// 8-bit text. The engine's strings are std::string holding bytes in a Windows code page
// (Windows-1252 unless a page selects another character set); UTF-8 appears only at the edges:
// drawing, window and widget text, file names shown to the user.
#include <cstdint>
#include <string>
#include <string_view>

// Code pages the engine can hold text in.
enum class TCodePage : uint16_t {
    cp1250 = 1250, // central European (character set 238)
    cp1251 = 1251, // Cyrillic (204)
    cp1252 = 1252, // western, the default
    cp1253 = 1253, // Greek (161)
    cp1254 = 1254, // Turkish (162)
    cp1257 = 1257, // Baltic (186)
};

// The code page of a Windows character-set code; every unknown code maps to Windows-1252.
TCodePage CodePageOfCharset(int charset);

// Unicode code point of one byte in a code page (undefined bytes give U+FFFD).
char32_t CodePageToUnicode(uint8_t byte, TCodePage cp = TCodePage::cp1252);
// The byte for a code point, or '?' when the code page has none (as Windows' best-fit does
// for unmappable characters). Used for numeric entities above 255.
uint8_t UnicodeToCodePage(char32_t ch, TCodePage cp = TCodePage::cp1252);

std::string ToUtf8(std::string_view ansi, TCodePage cp = TCodePage::cp1252);
// Invalid UTF-8 sequences and unmappable characters become '?'.
std::string FromUtf8(std::string_view utf8, TCodePage cp = TCodePage::cp1252);
// One code point as UTF-8; a surrogate or a value beyond U+10FFFF is written as U+FFFD.
void AppendUtf8(std::string& out, char32_t c);
// UTF-8 to code points and back; each ill-formed sequence becomes one U+FFFD.
std::u32string Utf8ToU32(std::string_view utf8);
std::string U32ToUtf8(std::u32string_view text);
// Makes any bytes valid UTF-8: each ill-formed sequence becomes one U+FFFD.
std::string ValidUtf8(std::string_view bytes);
// Bytes 0x80..0xBF continue the UTF-8 character their lead byte began.
inline bool IsUtf8Continuation(char c) {
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}
// The number of characters of UTF-8 text (bytes that are not continuation bytes).
size_t Utf8Length(std::string_view utf8);
// Cuts UTF-8 text to at most maxBytes without splitting a character.
void TruncateUtf8(std::string& utf8, size_t maxBytes);
// Whether every byte is below 0x80.
bool IsAscii(std::string_view bytes);
// Whether the bytes are well-formed UTF-8 (no overlong forms, surrogates or cut sequences).
bool IsValidUtf8(std::string_view bytes);
// Decodes the UTF-8 sequence at s[i] and advances i past it; an ill-formed sequence gives -1
// and skips what belongs to it, so one fault counts once.
int32_t DecodeUtf8(std::string_view s, size_t& i);

// Unicode's simple lower-case mapping of one character (finding text ignoring case).
char32_t LowerChar(char32_t c);
// Whether Unicode counts a character as a letter, a digit or a combining mark.
bool IsUnicodeAlnum(char32_t c);

// ASCII-only case mapping: bytes above 127 are left alone so UTF-8 names stay intact.
char AsciiUpper(char c);
char AsciiLower(char c);
std::string UpperCase(std::string_view s);
std::string LowerCase(std::string_view s);
bool SameText(std::string_view a, std::string_view b); // equal ignoring ASCII case
// <0, 0, >0 like strcmp, ignoring ASCII case.
int CompareText(std::string_view a, std::string_view b);
bool ContainsText(std::string_view haystack, std::string_view needle); // ignoring ASCII case

// Trim removes control characters and blanks (every byte <= ' ') from both ends, as the
// toolkit's Trim does.
std::string Trim(std::string_view s);
std::string TrimLeft(std::string_view s);
std::string TrimRight(std::string_view s);

// Integer parsing as the toolkit's StrToInt: optional sign, decimal digits, or "$"/"0x" hex;
// no blanks. Returns false (and leaves value untouched) on anything else or on overflow.
// Hexadecimal text names the 32 bits themselves, so "$FFFFFFFF" is -1; a sign may precede it.
bool TryStrToInt(std::string_view s, int32_t& value);
int32_t StrToIntDef(std::string_view s, int32_t def);
std::string IntToStr(int64_t v);
// Value of a hexadecimal digit of either case, -1 for any other byte.
int HexDigitValue(char c);
