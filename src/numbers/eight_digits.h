#pragma once

#include <bit>
#include <cstdint>
#include <cstring>

namespace kivrel {

// The digits that open eight bytes of text, read at once: how many lead
// (0 to 8) and the number they make.
struct DigitBlock {
  unsigned count = 0;
  std::uint32_t value = 0;
};

// Reads the digits at the start of the eight bytes at `p`, all of which must
// be readable; what follows the first byte that is no digit is not looked at.
inline DigitBlock EightDigits(const char* p) {
  std::uint64_t bytes = 0;
  if constexpr (std::endian::native == std::endian::little) {
    std::memcpy(&bytes, p, 8);
  } else {
    for (int i = 7; i >= 0; --i) bytes = bytes << 8 | static_cast<unsigned char>(p[i]);
  }
  // The first byte of the text is the lowest. A digit's byte becomes its
  // value (0 to 9); any other byte gets its top bit set in one of the two
  // terms. A borrow or carry from a byte reaches only later ones, which lie
  // past the first non-digit.
  const std::uint64_t values = bytes - 0x3030303030303030u;
  const std::uint64_t non_digits = (values | (values + 0x7676767676767676u)) & 0x8080808080808080u;
  const unsigned count = non_digits == 0 ? 8 : static_cast<unsigned>(std::countr_zero(non_digits)) / 8;
  if (count == 0) return {};
  // The digits moved to the top, the bytes below them zeros that lead;
  // then pairs, fours and the eight put together, each a multiplication.
  std::uint64_t v = values << (64 - 8 * count);
  v = ((v & 0x0F0F0F0F0F0F0F0Fu) * 2561) >> 8;
  v = ((v & 0x00FF00FF00FF00FFu) * 6553601) >> 16;
  v = ((v & 0x0000FFFF0000FFFFu) * 42949672960001u) >> 32;
  return {count, static_cast<std::uint32_t>(v)};
}

}  // namespace kivrel
