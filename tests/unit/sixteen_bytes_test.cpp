// The sixteen-byte helpers of the line scan, whichever way the build chose
// (SSE2, NEON or plain C++), against the rule for one byte: every value in
// every place of a block, beside other values.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>

#include "common/sixteen_bytes.h"

namespace kivrel {
namespace {

using Bytes = std::array<unsigned char, 16>;

// Block `start`: place i holds start + 17 i; over the 256 starts each place
// takes every value once.
Bytes Sample(unsigned start) {
  Bytes bytes{};
  for (unsigned i = 0; i < 16; ++i) bytes[i] = static_cast<unsigned char>(start + 17 * i);
  return bytes;
}

template <typename Rule>
unsigned Expected(const Bytes& bytes, Rule rule) {
  unsigned bits = 0;
  for (unsigned i = 0; i < 16; ++i) bits |= (rule(bytes[i]) ? 1U : 0U) << i;
  return bits;
}

Bytes Stored(sixteen_bytes::Block block) {
  Bytes bytes{};
  sixteen_bytes::Store(bytes.data(), block);
  return bytes;
}

TEST(SixteenBytes, EveryByteAsTheRuleForOneByteSays) {
  namespace sb = sixteen_bytes;
  for (unsigned start = 0; start < 256; ++start) {
    const Bytes bytes = Sample(start);
    const sb::Block block = sb::Load(bytes.data());
    for (unsigned bound = 0; bound < 256; ++bound) {
      const auto b = static_cast<unsigned char>(bound);
      ASSERT_EQ(sb::Bits(sb::Equal(block, static_cast<char>(b))), Expected(bytes, [b](unsigned c) { return c == b; }))
          << start << " " << bound;
      ASSERT_EQ(sb::Bits(sb::AtLeast(block, b)), Expected(bytes, [b](unsigned c) { return c >= b; }))
          << start << " " << bound;
      const auto high = static_cast<unsigned char>(bound + (255 - bound) / 2);  // from `bound` up
      ASSERT_EQ(sb::Bits(sb::Between(block, b, high)),
                Expected(bytes, [b, high](unsigned c) { return c >= b && c <= high; }))
          << start << " " << bound;
      ASSERT_EQ(sb::Bits(sb::Or(sb::Equal(block, static_cast<char>(b)), sb::Between(block, 'a', 'z'))),
                Expected(bytes, [b](unsigned c) { return c == b || (c >= 'a' && c <= 'z'); }))
          << start << " " << bound;
    }
    const Bytes upper = Stored(sb::UpperCase(block));
    const Bytes exchanged = Stored(sb::ExchangeXY(block));
    for (unsigned i = 0; i < 16; ++i) {
      const unsigned c = bytes[i];
      ASSERT_EQ(upper[i], c >= 'a' && c <= 'z' ? c - 0x20 : c) << start << " " << i;
      const unsigned traded = c == 'X' || c == 'Y' ? c ^ 1 : c == 'I' || c == 'J' ? c ^ 3 : c;
      ASSERT_EQ(exchanged[i], traded) << start << " " << i;
    }
  }
}

}  // namespace
}  // namespace kivrel
