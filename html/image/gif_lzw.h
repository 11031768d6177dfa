#pragma once
// The GIF flavour of LZW: variable code width from the minimum code size + 1 up to 12 bits,
// codes packed least significant bit first, clear and end codes, deferred clear.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace folio_image {

// Joins the data sub-blocks that start at `pos` (each a length byte and that many bytes, ended
// by a zero length) into `out` (when given), leaving `pos` after the terminator. Data cut short
// by the end of the buffer ends the blocks quietly. Returns false when nothing could be read.
bool ReadSubBlocks(const uint8_t* data, size_t size, size_t& pos, std::vector<uint8_t>* out);

// Decodes codes from `codes` into at most `count` palette indices at `out`. Returns how many
// were written: fewer than `count` when the data ends early or is damaged. Raises
// Exception("Corrupt GIF Image") for a string longer than the decoder's stack.
size_t DecodeLzw(int minCodeSize, const uint8_t* codes, size_t size, uint8_t* out, size_t count);

} // namespace folio_image
