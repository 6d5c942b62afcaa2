#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>

// Eight bytes of a text looked at together in one 64-bit word, so that a
// run of bytes of no interest is passed in a few operations.
// In the word, the first byte of the text is the lowest, whatever the
// machine's byte order.
namespace kivrel::byte_blocks {

inline constexpr std::uint64_t Repeat(unsigned char byte) { return 0x0101010101010101ull * byte; }

// The bytes at `text`, of which `available` can be read; missing bytes
// read as 0.
inline std::uint64_t LoadEight(const char* text, std::size_t available) {
  std::uint64_t word = 0;
  if (std::endian::native == std::endian::little && available >= 8) {
    std::memcpy(&word, text, 8);
    return word;
  }
  const std::size_t count = available < 8 ? available : 8;
  for (std::size_t k = count; k > 0; --k) word = (word << 8) | static_cast<unsigned char>(text[k - 1]);
  return word;
}

// The high bit of every byte of `word` that is not 0, exactly.
inline constexpr std::uint64_t NonZeroBytes(std::uint64_t word) {
  return (((word & Repeat(0x7F)) + Repeat(0x7F)) | word) & Repeat(0x80);
}

// The high bit of every byte that is `byte`, exactly.
inline constexpr std::uint64_t BytesEqual(std::uint64_t word, unsigned char byte) {
  return ~NonZeroBytes(word ^ Repeat(byte)) & Repeat(0x80);
}

// The high bit of every byte of at least `low` (at most 0x80).
inline constexpr std::uint64_t BytesAtLeast(std::uint64_t word, unsigned char low) {
  return (((word & Repeat(0x7F)) + Repeat(static_cast<unsigned char>(0x80 - low))) | word) & Repeat(0x80);
}

// The place (0 to 7) of the first byte marked by a high bit; `marks` is not 0.
inline int FirstMarked(std::uint64_t marks) { return std::countr_zero(marks) >> 3; }

}  // namespace kivrel::byte_blocks
