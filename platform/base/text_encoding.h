#pragma once
// Character encodings of pages and style sheets: naming them, finding a document's, and turning
// its bytes into UTF-8, the engine's text from the lexer on.
#include <cstddef>
#include <string>
#include <string_view>

// The canonical, lower-case name of an encoding label, or an empty string for a label we do not
// know. Labels compare ignoring ASCII case and surrounding blanks and include the common aliases.
// As browsers do, "us-ascii" and "iso-8859-1" (and their aliases) name windows-1252,
// "iso-8859-9" windows-1254 and "iso-8859-11" windows-874: each is a subset of the Windows page,
// and pages so labelled are written in the Windows page far more often than not. Canonical names:
//   utf-8 utf-16le utf-16be windows-874 windows-1250 .. windows-1258
//   iso-8859-2 .. iso-8859-8 iso-8859-10 iso-8859-13 .. iso-8859-16 koi8-r koi8-u ibm866
//   macintosh x-mac-cyrillic shift_jis euc-jp iso-2022-jp gb2312 gbk gb18030 big5 euc-kr
std::string NormalizeEncodingName(std::string_view label);

// The encoding a Content-Type value names ("text/html; charset=koi8-r"), canonical; empty when
// it names none we know. Values without a usable charset parameter are searched, lower-cased,
// for the names older pages were recognised by ("1251", "8859-5", "koi8-r", ...), each taken as
// the encoding it really names.
std::string EncodingOfContentType(std::string_view content);

// The Windows character-set code the engine's font properties keep for an encoding: 0 for the
// western pages, 238, 204, 161, 162, 186 for central European, Cyrillic, Greek, Turkish and
// Baltic ones, 1 (the default set) for everything else. An unknown name counts as windows-1252,
// the encoding its text is decoded in.
int CharsetCodeOfEncoding(std::string_view encoding);
// The encoding a Windows character-set code selects (the viewer's default character set):
// windows-1252 unless the code is one of 238, 204, 161, 162, 186.
std::string EncodingOfCharsetCode(int code);

// Where a document's encoding was found.
enum class TEncodingSource { Bom, Meta, XmlDeclaration, CssCharset, Utf8Content, Fallback };
struct TEncodingGuess {
    std::string Encoding;   // canonical name, never empty
    TEncodingSource Source; // what decided it
    size_t BomLength = 0;   // bytes of the byte-order mark (Source Bom), else 0
};

// A page's encoding, by the first rule that gives one: a byte-order mark (UTF-8, UTF-16LE,
// UTF-16BE); a META charset (<meta charset=X>, or http-equiv Content-Type with a content naming
// one) found by a prescan of the first 64 KB that skips comments and stops at <body; an XML
// declaration's encoding at the very start; "utf-8" when the bytes are valid UTF-8 with at least
// one non-ASCII byte; otherwise the fallback (windows-1252 when the fallback is not a known name).
// Declarations naming an unknown encoding are passed over; one naming UTF-16 means UTF-8, since
// a text that the prescan could read is not UTF-16.
TEncodingGuess SniffHtmlEncoding(std::string_view bytes, std::string_view fallback);
// A style sheet's: a byte-order mark; `@charset "X";` at the very start; valid UTF-8 with
// non-ASCII bytes; the fallback (the referring page's encoding).
TEncodingGuess SniffCssEncoding(std::string_view bytes, std::string_view fallback);

// The bytes, in the given encoding, as valid UTF-8. A leading byte-order mark of that encoding is
// dropped. Whatever does not decode becomes U+FFFD and decoding goes on with the next byte (with
// the next 16-bit unit in UTF-16); an odd last byte of UTF-16 and unpaired surrogates become
// U+FFFD too. NUL bytes decode to U+0000. An unknown encoding name decodes as windows-1252.
// In windows-1252 the five bytes the page leaves undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) give
// the C1 control of the same value, as browsers do; in the other Windows pages undefined bytes
// give U+FFFD.
std::string DecodeToUtf8(std::string_view bytes, std::string_view encoding);
