#pragma once

// Sixteen bytes of a text looked at together: upper-casing, exchanging
// letters and picking out the bytes of interest in a few operations for the
// whole block. The build chooses how: SSE2 where the target has it (every
// x86-64), NEON on 64-bit ARM, otherwise plain C++ over two 64-bit words,
// which the option KIVREL_PORTABLE_SCAN also chooses on x86 and ARM so that
// every way is tested. Every processor-specific instruction of the program
// lives in this file.
//
// A block of marks (from Equal, AtLeast, Between and Or) is for Bits and Or
// alone: its bytes say yes in their high bits, and what the other bits hold
// differs between the two ways.

#include <cstdint>

#if defined(__SSE2__) && !defined(KIVREL_PORTABLE_SCAN)
#include <emmintrin.h>

namespace kivrel::sixteen_bytes {

using Block = __m128i;

// The sixteen bytes at `text`, all of which must be readable.
inline Block Load(const void* text) { return _mm_loadu_si128(static_cast<const Block*>(text)); }
inline void Store(void* out, Block block) { _mm_storeu_si128(static_cast<Block*>(out), block); }

// One bit for each byte whose high bit is set in `marks` (0xFF or 0x00 bytes).
inline unsigned Bits(Block marks) { return static_cast<unsigned>(_mm_movemask_epi8(marks)); }

// The marks of either block.
inline Block Or(Block a, Block b) { return _mm_or_si128(a, b); }

inline Block Equal(Block block, char byte) { return _mm_cmpeq_epi8(block, _mm_set1_epi8(byte)); }

// Bytes from `low` up, as unsigned values.
inline Block AtLeast(Block block, unsigned char low) {
  return _mm_cmpeq_epi8(_mm_max_epu8(block, _mm_set1_epi8(static_cast<char>(low))), block);
}

// Bytes from `low` to `high` (not below `low`), as unsigned values.
inline Block Between(Block block, unsigned char low, unsigned char high) {
  const Block clamped = _mm_min_epu8(_mm_max_epu8(block, _mm_set1_epi8(static_cast<char>(low))),
                                     _mm_set1_epi8(static_cast<char>(high)));
  return _mm_cmpeq_epi8(clamped, block);
}

// ASCII letters a to z as A to Z; every other byte as it is.
inline Block UpperCase(Block block) {
  // a..z moved to the bottom of the signed range, so one comparison finds them.
  const Block shifted = _mm_sub_epi8(block, _mm_set1_epi8(static_cast<char>('a' + 128)));
  const Block lower = _mm_cmplt_epi8(shifted, _mm_set1_epi8(static_cast<char>(-128 + 26)));
  return _mm_sub_epi8(block, _mm_and_si128(lower, _mm_set1_epi8(0x20)));
}

// X with Y and I with J traded, in upper-cased text ("X" ^ "Y" is 1, "I" ^
// "J" is 3).
inline Block ExchangeXY(Block upper) {
  const Block xy = _mm_or_si128(Equal(upper, 'X'), Equal(upper, 'Y'));
  const Block ij = _mm_or_si128(Equal(upper, 'I'), Equal(upper, 'J'));
  const Block flips = _mm_or_si128(_mm_and_si128(xy, _mm_set1_epi8(1)), _mm_and_si128(ij, _mm_set1_epi8(3)));
  return _mm_xor_si128(upper, flips);
}

}  // namespace kivrel::sixteen_bytes

#elif defined(__aarch64__) && defined(__ARM_NEON) && !defined(KIVREL_PORTABLE_SCAN)
#include <arm_neon.h>

namespace kivrel::sixteen_bytes {

using Block = uint8x16_t;

inline Block Load(const void* text) { return vld1q_u8(static_cast<const std::uint8_t*>(text)); }
inline void Store(void* out, Block block) { vst1q_u8(static_cast<std::uint8_t*>(out), block); }

// NEON has no movemask: each byte's high bit, spread to the whole byte,
// keeps its place's weight, and each half adds its eight weights.
inline unsigned Bits(Block marks) {
  static constexpr std::uint8_t kWeights[16] = {1, 2, 4, 8, 16, 32, 64, 128, 1, 2, 4, 8, 16, 32, 64, 128};
  const Block spread = vreinterpretq_u8_s8(vshrq_n_s8(vreinterpretq_s8_u8(marks), 7));
  const Block weighed = vandq_u8(spread, vld1q_u8(kWeights));
  const unsigned low = vaddv_u8(vget_low_u8(weighed));
  const unsigned high = vaddv_u8(vget_high_u8(weighed));
  return low | high << 8;
}

inline Block Or(Block a, Block b) { return vorrq_u8(a, b); }

inline Block Equal(Block block, char byte) { return vceqq_u8(block, vdupq_n_u8(static_cast<std::uint8_t>(byte))); }

inline Block AtLeast(Block block, unsigned char low) { return vcgeq_u8(block, vdupq_n_u8(low)); }

inline Block Between(Block block, unsigned char low, unsigned char high) {
  return vandq_u8(vcgeq_u8(block, vdupq_n_u8(low)), vcleq_u8(block, vdupq_n_u8(high)));
}

inline Block UpperCase(Block block) { return vsubq_u8(block, vandq_u8(Between(block, 'a', 'z'), vdupq_n_u8(0x20))); }

inline Block ExchangeXY(Block upper) {
  const Block xy = vorrq_u8(Equal(upper, 'X'), Equal(upper, 'Y'));
  const Block ij = vorrq_u8(Equal(upper, 'I'), Equal(upper, 'J'));
  const Block flips = vorrq_u8(vandq_u8(xy, vdupq_n_u8(1)), vandq_u8(ij, vdupq_n_u8(3)));
  return veorq_u8(upper, flips);
}

}  // namespace kivrel::sixteen_bytes

#else
#include "common/sixteen_bytes_portable.h"
#endif
