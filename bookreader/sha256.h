#pragma once
// SHA-256, HMAC-SHA-256 and PBKDF2-HMAC-SHA-256, for remembering a book's password as a salted,
// slow hash instead of the password itself. Small and dependency-free on purpose: the reader
// program carries everything it needs inside.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

using TSha256Digest = std::array<uint8_t, 32>;

class TSha256 {
public:
    TSha256();
    void Update(const void* data, size_t size);
    void Update(std::string_view s) { Update(s.data(), s.size()); }
    TSha256Digest Final(); // the object must not be updated afterwards

private:
    void Block(const uint8_t* p);
    uint32_t h_[8];
    uint8_t buffer_[64];
    size_t used_ = 0;
    uint64_t length_ = 0;
};

TSha256Digest Sha256(std::string_view data);
TSha256Digest HmacSha256(std::string_view key, std::string_view message);
// Derives length bytes (at most 32 * 255 * 32; callers ask for 32) from password and salt.
std::string Pbkdf2Sha256(std::string_view password, std::string_view salt, uint32_t iterations,
                         size_t length);

std::string HexOf(std::string_view bytes);
std::string HexOf(const TSha256Digest& digest);
// False on odd length or non-hex characters.
bool FromHex(std::string_view hex, std::string& bytes);
