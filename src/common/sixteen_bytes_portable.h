#pragma once

// The sixteen-byte helpers of common/sixteen_bytes.h in plain C++, for
// processors without SSE2: the block is two 64-bit words, and each test is a
// handful of integer operations that work on the eight bytes of a word at
// once. No operation lets a carry or a borrow pass from one byte into the
// next, so every byte is judged on its own value alone. A mark is the high
// bit of a byte; the other bits of a word of marks are what the operations
// left there, for only Bits and Or take marks, and Bits looks at the high
// bits alone.

#include <bit>
#include <cstdint>
#include <cstring>

namespace kivrel::sixteen_bytes {

static_assert(std::endian::native == std::endian::little,
              "the first byte of a block is taken as the lowest byte of its first word");

struct Block {
  std::uint64_t low;   // bytes 0 to 7
  std::uint64_t high;  // bytes 8 to 15
};

namespace words {

constexpr std::uint64_t kOnes = 0x0101010101010101;
constexpr std::uint64_t kHighBits = 0x8080808080808080;
constexpr std::uint64_t kLowBits = 0x7F7F7F7F7F7F7F7F;

// `byte` in each of the eight bytes.
constexpr std::uint64_t Each(unsigned byte) { return kOnes * byte; }

// Marks the bytes that are 0. A byte's low seven bits plus 0x7F reach its
// high bit unless they are all clear, and stay inside the byte.
constexpr std::uint64_t Zero(std::uint64_t word) { return ~(((word & kLowBits) + kLowBits) | word); }

constexpr std::uint64_t Equal(std::uint64_t word, unsigned char byte) { return Zero(word ^ Each(byte)); }

// Marks the bytes from `low` up, as unsigned values: the low seven bits plus
// what they lack to 0x80 reach the high bit exactly when they are large
// enough, and stay inside the byte.
constexpr std::uint64_t AtLeast(std::uint64_t word, unsigned char low) {
  // Bytes with the high bit set are all large enough...
  if (low <= 0x80) return ((word & kLowBits) + Each(0x80u - low)) | word;
  // ... or, above 0x80, only they can be.
  return ((word & kLowBits) + Each(0x100u - low)) & word;
}

constexpr std::uint64_t Between(std::uint64_t word, unsigned char low, unsigned char high) {
  if (high == 0xFF) return AtLeast(word, low);
  return AtLeast(word, low) & ~AtLeast(word, static_cast<unsigned char>(high + 1));
}

// One bit for each byte whose high bit is set, the first byte's lowest: the
// product moves the high bit of byte i to bit 56 + i, and no two of its
// terms meet, so nothing carries.
constexpr unsigned Bits(std::uint64_t marks) {
  return static_cast<unsigned>((((marks & kHighBits) >> 7) * 0x0102040810204080) >> 56);
}

constexpr std::uint64_t UpperCase(std::uint64_t word) {
  return word ^ ((Between(word, 'a', 'z') & kHighBits) >> 2);  // 0x80 >> 2 is the case bit 0x20
}

constexpr std::uint64_t ExchangeXY(std::uint64_t upper) {
  const std::uint64_t xy = Equal(upper | kOnes, 'Y') & kHighBits;  // 'X' is 'Y' less its low bit
  const std::uint64_t ij = Between(upper, 'I', 'J') & kHighBits;
  return upper ^ (xy >> 7) ^ ((ij >> 7) * 3);  // "X" ^ "Y" is 1, "I" ^ "J" is 3
}

// Every byte value in every place of a word, beside other values, against
// the rule for one byte, checked as the program is compiled. The word at
// `index` holds index, index + 1, index + 0x82, ... in its bytes, which
// differ modulo 8: every eighth index gives each value once.
constexpr std::uint64_t Sample(unsigned index) {
  constexpr unsigned kSteps[8] = {0, 1, 0x82, 0x7B, 0x44, 0xC5, 0x3E, 0xFF};
  std::uint64_t word = 0;
  for (unsigned place = 0; place < 8; ++place) {
    word |= static_cast<std::uint64_t>((index + kSteps[place]) & 0xFF) << (8 * place);
  }
  return word;
}
constexpr unsigned ByteAt(std::uint64_t word, unsigned place) { return (word >> (8 * place)) & 0xFF; }
constexpr bool Says(std::uint64_t marks, unsigned place, bool yes) { return ((ByteAt(marks, place) & 0x80) != 0) == yes; }

constexpr bool AgreesWithEachByte() {
  for (unsigned index = 0; index < 256; ++index) {
    const std::uint64_t word = Sample(index);
    unsigned bits = 0;
    for (unsigned place = 0; place < 8; ++place) {
      const unsigned byte = ByteAt(word, place);
      if (byte & 0x80) bits |= 1u << place;
      const unsigned upper = byte >= 'a' && byte <= 'z' ? byte - 0x20 : byte;
      const unsigned exchanged = byte == 'X' || byte == 'Y' ? byte ^ 1 : byte == 'I' || byte == 'J' ? byte ^ 3 : byte;
      if (ByteAt(UpperCase(word), place) != upper || ByteAt(ExchangeXY(word), place) != exchanged ||
          !Says(Zero(word), place, byte == 0)) {
        return false;
      }
    }
    if (Bits(word) != bits) return false;
  }
  return true;
}

// Each value against each bound from `first` to `last`, once.
constexpr bool AgreesWithEachBound(unsigned first, unsigned last) {
  for (unsigned index = 0; index < 256; index += 8) {
    const std::uint64_t word = Sample(index);
    for (unsigned bound = first; bound <= last; ++bound) {
      const auto b = static_cast<unsigned char>(bound);
      const std::uint64_t equal = Equal(word, b), at_least = AtLeast(word, b);
      const std::uint64_t up_to_0x80 = Between(word, b, 0x80), from_0x3b = Between(word, 0x3B, b);
      for (unsigned place = 0; place < 8; ++place) {
        const unsigned byte = ByteAt(word, place);
        if (!Says(equal, place, byte == bound) || !Says(at_least, place, byte >= bound) ||
            !Says(up_to_0x80, place, byte >= bound && byte <= 0x80) ||
            !Says(from_0x3b, place, byte >= 0x3B && byte <= bound)) {
          return false;
        }
      }
    }
  }
  return true;
}

// In parts, each within what a compiler evaluates for one constant.
static_assert(AgreesWithEachByte(), "a word operation judges some byte otherwise than the rule for one byte");
static_assert(AgreesWithEachBound(0x00, 0x3F), "a comparison judges some byte otherwise than the rule for one byte");
static_assert(AgreesWithEachBound(0x40, 0x7F), "a comparison judges some byte otherwise than the rule for one byte");
static_assert(AgreesWithEachBound(0x80, 0xBF), "a comparison judges some byte otherwise than the rule for one byte");
static_assert(AgreesWithEachBound(0xC0, 0xFF), "a comparison judges some byte otherwise than the rule for one byte");

}  // namespace words

inline Block Load(const void* text) {
  Block block;
  std::memcpy(&block.low, text, 8);
  std::memcpy(&block.high, static_cast<const unsigned char*>(text) + 8, 8);
  return block;
}
inline void Store(void* out, Block block) {
  std::memcpy(out, &block.low, 8);
  std::memcpy(static_cast<unsigned char*>(out) + 8, &block.high, 8);
}

inline unsigned Bits(Block marks) { return words::Bits(marks.low) | words::Bits(marks.high) << 8; }
inline Block Or(Block a, Block b) { return {a.low | b.low, a.high | b.high}; }

inline Block Equal(Block block, char byte) {
  const auto value = static_cast<unsigned char>(byte);
  return {words::Equal(block.low, value), words::Equal(block.high, value)};
}
inline Block AtLeast(Block block, unsigned char low) {
  return {words::AtLeast(block.low, low), words::AtLeast(block.high, low)};
}
inline Block Between(Block block, unsigned char low, unsigned char high) {
  return {words::Between(block.low, low, high), words::Between(block.high, low, high)};
}
inline Block UpperCase(Block block) { return {words::UpperCase(block.low), words::UpperCase(block.high)}; }
inline Block ExchangeXY(Block upper) { return {words::ExchangeXY(upper.low), words::ExchangeXY(upper.high)}; }

}  // namespace kivrel::sixteen_bytes
