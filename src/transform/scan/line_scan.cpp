#include "transform/scan/line_scan.h"

#include <bit>
#include <cstring>

#include "common/sixteen_bytes.h"
#include "transform/roles/g_codes.h"
#include "transform/scan/kept_text.h"
#include "transform/scan/protected_text.h"
#include "transform/scan/word_characters.h"

namespace kivrel {
namespace {

using namespace line_tables;

static_assert(kCopyPadding >= sizeof(sixteen_bytes::Block), "a block stored at the line's last byte stays in the copy");
static_assert(sizeof(LineScan{}.seen) * 8 >= kRows, "a line scan has room for every row of the letter table");

// The bytes of a sixteen-byte block the scan must look at, as bits: letters
// (and any byte from ";" up, taking the rare ;<=>?@[\]^_` together) and the
// comment leaders, with the rare #$%&'( taken together. Digits, points,
// signs and blanks need no look.
unsigned Candidates(sixteen_bytes::Block block) {
  using namespace sixteen_bytes;
  static_assert(CommentLeaders == "(/%#;", "every leader must be a candidate");
  return Bits(Or(Or(AtLeast(block, ';'), Between(block, '#', '(')), Equal(block, '/')));
}

// The brackets of text[from, to) close in order, each "[" by a "]": an
// expression that a bracket wraps whole. A named parameter may hold a "["
// of its own, and an unmatched "[" runs to the end of the line.
bool BracketsBalance(const unsigned char* text, std::size_t from, std::size_t to) {
  int depth = 0;
  for (std::size_t i = from; i < to; ++i) {
    if (text[i] == '[') ++depth;
    if (text[i] == ']' && --depth < 0) return false;
  }
  return depth == 0;
}

// Where the comment that opens at `at` with "(" ends, after its ")"; 0 when
// it does not close on the line.
std::size_t ClosedCommentEnd(const unsigned char* text, std::size_t size, std::size_t at) {
  const void* close = std::memchr(text + at + 1, ')', size - at - 1);
  return close == nullptr ? 0 : static_cast<std::size_t>(static_cast<const unsigned char*>(close) - text) + 1;
}

}  // namespace

Kept LeftAsItIs(const unsigned char* text, std::size_t size, std::size_t from) {
  bool marks = false;
  bool point = false;
  for (; from < size; ++from) {
    const unsigned char c = text[from];
    // A "#" that starts no parameter starts the comment.
    if (c == '[' || (c == '#' && protected_text::StartsParameter(text, size, from))) {
      return point ? Kept::Malformed : Kept::Expression;
    }
    if (protected_text::IsDigit(c)) return Kept::No;
    if (c == '+' || c == '-' || c == '.') {
      marks = true;
      point = point || c == '.';
    } else if (c != ' ' && c != '\t') {
      break;
    }
  }
  return marks ? Kept::Malformed : Kept::NoNumber;
}

// The one pass every line with words takes. Its handlers stay in one body,
// sharing what the scan finds as locals rather than through `scan` (which
// the stores into the copy could otherwise touch).
// NOLINTNEXTLINE(readability-function-size)
void ScanLine(std::string_view line, const ConversionPlan& plan, bool exchange, std::string& copy, LineScan& scan) {
  // A letter whose first word lies at or after the comment start is not
  // rewritten at all. The copy is written block by block, short pieces of
  // it later moved in blocks of sixteen bytes.
  const std::size_t size = line.size();
  if (copy.size() < size + kCopyPadding) copy.resize(size + kCopyPadding);
  const unsigned char* in = reinterpret_cast<const unsigned char*>(line.data());
  unsigned char* out = reinterpret_cast<unsigned char*>(copy.data());
  // What the scan finds, kept in locals (the stores into the copy could
  // otherwise touch `scan`) and stored into it at the end.
  unsigned seen = 0;
  unsigned numbered = 0;
  unsigned malformed_rows = 0;
  std::size_t count = 0;
  bool removes = false;
  bool uvw = false;
  bool other_axes = false;
  g_codes::Bits g_codes = 0;
  unsigned m_codes = 0;
  bool may_hold_marker = false;
  unsigned expression_rows = 0;
  bool has_protected_text = false;
  bool has_preserved_text = false;

  // A handler per class of candidate byte. Those that may end the words or
  // pass over a stretch tell the block loop where it goes on: kNext for the
  // next candidate, kComment where the comment starts at the candidate, or
  // the end of a stretch that runs past it (a closed comment, protected
  // text).
  constexpr std::size_t kNext = 0;
  constexpr std::size_t kComment = static_cast<std::size_t>(-1);

  // The first word of a row.
  const auto letter = [&](std::size_t at, int kind) {
    const unsigned bit = 1u << kind;
    if ((seen & bit) != 0) return;
    seen |= bit;
    const RowSetting& row = plan.Collected(kind);
    // Mostly a digit follows, or a sign or a point and a digit (the
    // string's terminating NUL ends the look).
    const unsigned char next = in[at + 1];
    const bool number = protected_text::IsDigit(next) ||
                        ((next == '-' || next == '.' || next == '+') && protected_text::IsDigit(in[at + 2]));
    if (!number) {
      // An expression or a parameter in place of the number is wrapped
      // into one that scales it; a word without a number stays, and so does
      // one whose brackets do not close in order (the controller refuses
      // it, and a bracket around it would change what else is protected).
      Kept kept = LeftAsItIs(in, size, at + 1);
      if (kept == Kept::Expression) {
        std::size_t start = at + 1;
        while (in[start] != '[' && in[start] != '#') ++start;
        if (!BracketsBalance(in, start, protected_text::End(in, size, start))) kept = Kept::Malformed;
      }
      if (kept == Kept::Malformed) malformed_rows |= bit;
      if (kept != Kept::No && kept != Kept::Expression) return;
      if (kept == Kept::Expression && row.active) expression_rows |= bit;
    }
    numbered |= bit;
    if (!row.active) return;
    removes = removes || row.removes;
    scan.words[count++] = {at, kind, row.scale, row.addend, 0, row.decimals};
  };
  // Protected text: upper-cased, never exchanged, no word in it.
  const auto protected_stretch = [&](std::size_t at) {
    const std::size_t stop = protected_text::End(in, size, at);
    for (std::size_t k = at; k < stop; ++k) out[k] = kClasses.upper[in[k]];
    has_protected_text = true;
    return stop;
  };
  // A comment leader: a comment in parentheses ends at its ")", and the
  // words after it are words (its text is upper-cased and exchanged, and
  // holds none, unless it is an active comment, whose text stays as read);
  // a "#" that starts a parameter is protected text; any other leader
  // starts the comment.
  const auto leader = [&](std::size_t at, unsigned char byte) {
    if (byte == '(') {
      const std::size_t stop = ClosedCommentEnd(in, size, at);
      if (stop == 0) return kComment;  // an open comment runs to the end of the line
      if (kept_text::IsActiveComment(in, size, at)) {
        std::memcpy(out + at, in + at, stop - at);
        has_preserved_text = true;
      } else {
        const unsigned char* exchanged = exchange ? kExchanged : kClasses.upper;
        for (std::size_t k = at; k < stop; ++k) out[k] = exchanged[kClasses.upper[in[k]]];
      }
      may_hold_marker = true;  // a marker may stand in the comment
      return stop;
    }
    if (byte != '#' || !protected_text::StartsParameter(in, size, at)) return kComment;
    return protected_stretch(at);
  };
  // G, U, V, W, B, C and L: codes and words the rules and the notices look
  // at.
  const auto code = [&](std::size_t at, unsigned char byte) {
    switch (kClasses.upper[byte]) {
      case 'G': {
        const g_codes::Bits bits = g_codes::Classify(in + at + 1, size - at - 1);
        g_codes |= bits;
        if ((bits & g_codes::kPlanes) != 0) scan.plane = bits & g_codes::kPlanes;
        if ((bits & g_codes::kMotion) != 0) scan.motion = bits & g_codes::kMotion;
        if ((bits & (g_codes::kAbsolute | g_codes::kIncremental)) != 0) scan.distance = bits;
        if ((bits & g_codes::kEditable) != 0 && scan.codes < LineScan::kMostCodes) {
          scan.code_digit_at[scan.codes] = at + 1 + g_codes::LastWholeDigit(in + at + 1, size - at - 1);
          scan.code_bits[scan.codes++] = bits;
        }
        break;
      }
      case 'L':
        if (scan.l_at == std::string::npos) scan.l_at = at;
        break;
      case 'U': case 'V': case 'W': {
        const bool axis = word_characters::NumberFollows(line, at + 1);
        uvw = uvw || axis;
        other_axes = other_axes || axis;
        break;
      }
      default:  // B, C
        other_axes = other_axes || word_characters::NumberFollows(line, at + 1);
        break;
    }
  };
  // An M word: its code, and where the first one outside the machining
  // codes stands.
  const auto m_code = [&](std::size_t at) {
    const unsigned bits = m_codes::Classify(in + at + 1, size - at - 1);
    if ((bits & m_codes::kOther) != 0 && scan.other_m_at == std::string::npos) scan.other_m_at = at;
    m_codes |= bits;
  };
  // Any candidate, by its class.
  const auto visit = [&](std::size_t at) {
    const unsigned char byte = in[at];
    const signed char kind = kClasses.kind[byte];  // lower-case letters have their row too
    if (kind >= 0) {
      letter(at, kind);
      return kNext;
    }
    switch (kind) {
      case kLeader: return leader(at, byte);
      case kBracket: return protected_stretch(at);
      case kMarkerStart:
        may_hold_marker = true;
        if (kClasses.upper[byte] == 'M') m_code(at);
        return kNext;
      case kNoticed: code(at, byte); return kNext;
      default: return kNext;
    }
  };

  // The block loop: block by block the copy is written upper-cased, and in
  // a block the scan goes from candidate to candidate, until the comment
  // starts. A stretch that runs past its candidate moves the scan to where
  // it ends: `block = stop - 16` makes the block loop's `+= 16` land on
  // `stop` (as unsigned numbers, wrapping around below 0 and back where
  // `stop` lies in the first block), and `marks = 1` leaves this block's
  // other candidates behind.
  std::size_t comment_start = size;  // the line's size while no comment has started
  std::size_t block = 0;
  for (; block < size && comment_start == size; block += 16) {
    const sixteen_bytes::Block bytes = sixteen_bytes::Load(in + block);
    const sixteen_bytes::Block upper = sixteen_bytes::UpperCase(bytes);
    sixteen_bytes::Store(out + block, exchange ? sixteen_bytes::ExchangeXY(upper) : upper);
    unsigned marks = Candidates(bytes);
    if (size - block < 16) marks &= (1u << (size - block)) - 1;
    for (; marks != 0; marks &= marks - 1) {
      const std::size_t at = block + static_cast<std::size_t>(std::countr_zero(marks));
      const std::size_t next = visit(at);
      if (next == kNext) continue;
      if (next == kComment) {
        comment_start = at;
        break;
      }
      block = next - 16;
      marks = 1;
    }
  }
  scan.seen = seen;
  scan.numbered = numbered;
  scan.malformed_rows = malformed_rows;
  scan.count = count;
  scan.removes = removes;
  scan.uvw = uvw;
  scan.other_axes = other_axes;
  scan.g_codes = g_codes;  // (the codes were stored as they came)
  scan.m_codes = m_codes;
  scan.may_hold_marker = may_hold_marker || has_protected_text;
  scan.expression_rows = expression_rows;
  scan.has_protected_text = has_protected_text;
  scan.has_preserved_text = has_preserved_text;
  if (comment_start < size) {
    scan.comment = comment_start;
    scan.may_hold_marker = true;  // the comment is not looked through
  }
  // The comment, upper-cased and exchanged as the words are, or kept as
  // read.
  for (; block < size; block += 16) {
    const sixteen_bytes::Block upper = sixteen_bytes::UpperCase(sixteen_bytes::Load(in + block));
    sixteen_bytes::Store(out + block, exchange ? sixteen_bytes::ExchangeXY(upper) : upper);
  }
  if (comment_start < size && kept_text::KeepsComment(in, size, comment_start)) {
    std::memcpy(out + comment_start, in + comment_start, size - comment_start);
    scan.has_preserved_text = true;
  }
}

}  // namespace kivrel
