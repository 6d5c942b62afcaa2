#include "transform/process_line.h"

#include <algorithm>
#include <bit>
#include <cassert>
#include <cmath>
#include <cstring>
#include <iterator>
#include <string_view>
#include <utility>

#include "common/sixteen_bytes.h"
#include "transform/exchange_xy.h"
#include "transform/g_codes.h"
#include "transform/line_tables.h"
#include "transform/protected_text.h"
#include "transform/word_characters.h"
#include "transform/wrap_expression.h"

namespace kivrel {

using namespace line_tables;

namespace {

// The rows of the feed and spindle words, whose signs the notices watch, and
// of the words whose scales follow the motion mode.
constexpr int kFeedRow = kClasses.kind[static_cast<unsigned char>('F')];
constexpr int kSpindleRow = kClasses.kind[static_cast<unsigned char>('S')];
constexpr int kRadiusRow = kClasses.kind[static_cast<unsigned char>('R')];
constexpr int kPeckRow = kClasses.kind[static_cast<unsigned char>('Q')];
constexpr unsigned kModalRows = (1u << kRadiusRow) | (1u << kPeckRow);

// Bytes readable after the scanned line in its copy, and writable after
// the text in the rewritten line: the scan stores whole sixteen-byte blocks,
// the last of which may reach that far past the line.
constexpr std::size_t kCopyPadding = 16;
static_assert(kCopyPadding >= sizeof(sixteen_bytes::Block), "a block stored at the line's last byte stays in the copy");

static_assert(std::size(LineScan{}.words) == kRows && sizeof(LineScan{}.seen) * 8 >= kRows,
              "a line scan has room for every row of the letter table");

// The bytes of a sixteen-byte block the scan must look at, as bits: letters
// (and any byte from ";" up, taking the rare ;<=>?@ together) and the
// comment leaders, with the rare #$%&'( taken together. Digits, points,
// signs and blanks need no look.
unsigned Candidates(sixteen_bytes::Block block) {
  using namespace sixteen_bytes;
  static_assert(CommentLeaders == "(/%#;", "every leader must be a candidate");
  return Bits(Or(Or(AtLeast(block, ';'), Between(block, '#', '(')), Equal(block, '/')));
}

// A line whose first character that is no blank is an O: a subroutine,
// loop, condition, call or return, or a program number. It passes as read.
bool IsOWordLine(std::string_view line) {
  // The line is not empty: mostly its first character decides.
  const char first = line.front();
  if (first != ' ' && first != '\t') return first == 'O' || first == 'o';
  const std::size_t at = line.find_first_not_of(" \t");
  return at != std::string_view::npos && (line[at] == 'O' || line[at] == 'o');
}

// "M20ADDITION" in any letter case.
bool HoldsMarkerInAnyCase(std::string_view line) {
  static constexpr std::string_view kMarker = "M20ADDITION";
  const auto same = [](char a, char b) { return kClasses.upper[static_cast<unsigned char>(a)] == b; };
  return std::search(line.begin(), line.end(), kMarker.begin(), kMarker.end(), same) != line.end();
}

// The word whose letter ends at `from` has no number to rewrite: an
// expression or a parameter stands in its place (after blanks and signs, a
// "[" or "#"), or it has no number at all (nothing, or only signs and
// points, which the controller refuses; a point before an expression makes
// no number either).
enum class Kept { No, Expression, NoNumber, Malformed };
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

// The settings change the value of the row's words.
bool ChangesValue(const RowSetting& row) { return row.active && (row.scale != 1 || row.addend != 0); }
bool ChangesValue(const ScannedWord& word) { return word.scale != 1 || word.addend != 0; }

// The motion mode a motion code's bit sets.
Motion MotionOf(unsigned bit) {
  return bit == g_codes::kArc            ? Motion::Arc
         : bit == g_codes::kDrilling     ? Motion::Drilling
         : bit == g_codes::kPeckDrilling ? Motion::PeckDrilling
                                         : Motion::Other;
}

// Takes the word of `row` out of those to rewrite.
void Drop(LineScan& scan, int row) {
  std::size_t kept = 0;
  for (std::size_t w = 0; w < scan.count; ++w) {
    if (scan.words[w].row != row) scan.words[kept++] = scan.words[w];
  }
  scan.count = kept;
  scan.seen &= ~(1u << row);
}

// Where the comment that opens at `at` with "(" ends, after its ")"; 0 when
// it does not close on the line.
std::size_t ClosedCommentEnd(const unsigned char* text, std::size_t size, std::size_t at) {
  const void* close = std::memchr(text + at + 1, ')', size - at - 1);
  return close == nullptr ? 0 : static_cast<std::size_t>(static_cast<const unsigned char*>(close) - text) + 1;
}

void ScanLine(std::string_view line, const RowSetting* rows, bool exchange, std::string& copy, LineScan& scan) {
  // One pass upper-cases the line into `copy` (exchanging X and Y on the
  // way, where that is done here) and collects, up to the comment start, the
  // first word of each letter, in the order of the line. A letter whose
  // first word lies at or after the comment start is not rewritten at all.
  // Sixteen bytes are read past the line (its caller's padding), and the
  // copy keeps kCopyPadding bytes of room after it, so that short pieces of
  // it can be moved in blocks of that size.
  const std::size_t size = line.size();
  if (copy.size() < size + kCopyPadding) copy.resize(size + kCopyPadding);
  const unsigned char* in = reinterpret_cast<const unsigned char*>(line.data());
  unsigned char* out = reinterpret_cast<unsigned char*>(copy.data());
  // What the scan finds, kept in locals (the stores into the copy could
  // otherwise touch `scan`) and stored into it at the end.
  unsigned seen = 0;
  std::size_t count = 0;
  bool removes = false;
  bool extrusion = false;
  bool uvw = false;
  bool malformed = false;
  unsigned g_codes = 0;
  bool may_hold_marker = false;
  unsigned expression_rows = 0;
  bool polar = false;
  bool has_protected_text = false;

  // A handler per class of candidate byte. Those that may end the words or
  // pass over a stretch tell the block loop where it goes on: kNext for the
  // next candidate, kComment where the comment starts at the candidate, or
  // the end of a stretch that runs past it (a closed comment, protected
  // text).
  constexpr std::size_t kNext = 0;
  constexpr std::size_t kComment = static_cast<std::size_t>(-1);

  // The first word of a letter of the letter table.
  const auto letter = [&](std::size_t at, int kind) {
    const unsigned bit = 1u << kind;
    if ((seen & bit) != 0) return;
    seen |= bit;
    const RowSetting& row = rows[kind];
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
      if (kept != Kept::No && kept != Kept::Expression) {
        malformed = malformed || (kept == Kept::Malformed && ChangesValue(row));
        return;
      }
      if (kept == Kept::Expression && row.active) expression_rows |= bit;
    }
    if (!row.active) return;
    removes = removes || row.removes;
    scan.words[count++] = {at, kind, row.scale, row.addend};
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
  // holds none); a "#" that starts a parameter is protected text; any
  // other leader starts the comment.
  const auto leader = [&](std::size_t at, unsigned char byte) {
    if (byte == '(') {
      const std::size_t stop = ClosedCommentEnd(in, size, at);
      if (stop == 0) return kComment;  // an open comment runs to the end of the line
      const unsigned char* exchanged = exchange ? kExchanged : kClasses.upper;
      for (std::size_t k = at; k < stop; ++k) out[k] = exchanged[kClasses.upper[in[k]]];
      may_hold_marker = true;  // a marker may stand in the comment
      return stop;
    }
    if (byte != '#' || !protected_text::StartsParameter(in, size, at)) return kComment;
    return protected_stretch(at);
  };
  // G, E, U, V and W: codes and words the rules and the notices look at.
  const auto code = [&](std::size_t at, unsigned char byte) {
    switch (kClasses.upper[byte]) {
      case 'G': {
        const unsigned bits = g_codes::Classify(in + at + 1, size - at - 1);
        g_codes |= bits;
        if ((bits & g_codes::kPlanes) != 0) scan.plane = bits & g_codes::kPlanes;
        if ((bits & g_codes::kMotion) != 0) scan.motion = bits & g_codes::kMotion;
        if ((bits & g_codes::kEditable) != 0 && scan.codes < LineScan::kMostCodes) {
          scan.code_at[scan.codes] = at;
          scan.code_bits[scan.codes++] = bits;
        }
        break;
      }
      case 'E': extrusion = extrusion || word_characters::NumberFollows(line, at + 1); break;
      default: uvw = uvw || word_characters::NumberFollows(line, at + 1); break;  // U, V, W
    }
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
        if (kClasses.upper[byte] == 'M') g_codes |= g_codes::ClassifyM(in + at + 1, size - at - 1);
        return kNext;
      case kPolar: polar = true; return kNext;
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
  scan.count = count;
  scan.removes = removes;
  scan.extrusion = extrusion;
  scan.uvw = uvw;
  scan.malformed = malformed;
  scan.g_codes = g_codes;  // (the codes were stored as they came)
  scan.may_hold_marker = may_hold_marker || has_protected_text;
  scan.expression_rows = expression_rows;
  scan.polar = polar;
  scan.has_protected_text = has_protected_text;
  if (comment_start < size) {
    scan.comment = comment_start;
    scan.may_hold_marker = true;  // the comment is not looked through
  }
  // The comment, upper-cased and exchanged as the words are.
  for (; block < size; block += 16) {
    const sixteen_bytes::Block upper = sixteen_bytes::UpperCase(sixteen_bytes::Load(in + block));
    sixteen_bytes::Store(out + block, exchange ? sixteen_bytes::ExchangeXY(upper) : upper);
  }
}

}  // namespace

LineProcessor::LineProcessor(const Settings& settings, NoticeSink* notices)
    : settings_(settings), notices_(notices), rewriter_(settings.FeedScale) {
  bool removal = false;
  for (std::size_t row = 0; row < kRows; ++row) {
    const LetterRow& letter = kLetterTable[row];
    rows_[row].scale = letter.scale != nullptr ? settings.*letter.scale : 1.0f;
    rows_[row].addend = letter.addend != nullptr ? settings.*letter.addend : 0.0f;
    // S words are rewritten only to add a spindle speed; R words where a
    // length changes, Q words in a conversion of units.
    rows_[row].active = letter.letter == 'S'   ? rows_[row].addend != 0
                        : letter.letter == 'R' ? settings.XScale != 1 || settings.YScale != 1 || settings.ZScale != 1
                        : letter.letter == 'Q' ? UnitConversionOf(settings) != UnitConversion::None
                                               : true;
    rows_[row].removes = rows_[row].active && rows_[row].scale == 0;
    removal = removal || rows_[row].removes;
  }
  // Without removals every line with words goes the one-pass way, so the
  // exchange can be done while upper-casing. The marker is then looked for
  // as it reads after the exchange.
  exchange_in_scan_ = settings.XYexchange && !removal;
  units_ = UnitConversionOf(settings);
  // Each plane's two axes; the exchange is a mirror in XY and takes the
  // other planes out of themselves (their arcs are not turned round then).
  const float axes[3][2] = {{settings.XScale, settings.YScale}, {settings.ZScale, settings.XScale},
                            {settings.YScale, settings.ZScale}};
  for (int p = 0; p < 3; ++p) {
    const int mirrors = (p == 0 && settings.XYexchange ? 1 : 0) + (axes[p][0] < 0 ? 1 : 0) + (axes[p][1] < 0 ? 1 : 0);
    turned_over_[p] = mirrors % 2 == 1 && (p == 0 || !settings.XYexchange);
    mirrors_ = mirrors_ || turned_over_[p];
  }
  marker_ = exchange_in_scan_ ? "M20ADDJTJON" : "M20ADDITION";
  if (notices_ != nullptr) watched_rows_ = notices_->watched_rows();
}

RewriteStatus LineProcessor::ConvertLine(std::string_view line, ByteBuffer& out, std::uint64_t line_number) {
  // The caller's padding: the byte after the line ends any number.
  assert(line.data()[line.size()] == '\0' || line.data()[line.size()] == '\n' || line.data()[line.size()] == '\r');
  // A block-delete line runs whenever the operator's switch is off: its
  // words are converted behind the "/", which stays in front. Every "/"
  // that leads it (with the blanks around them) is taken at once, so that
  // a line of a great many of them goes no deeper than one call.
  if (!line.empty() && (line.front() == '/' || line.front() == ' ' || line.front() == '\t')) {
    std::size_t words = 0;  // where the text behind the leading slashes starts
    for (std::size_t next = line.find_first_not_of(" \t"); next != std::string_view::npos && line[next] == '/';
         next = line.find_first_not_of(" \t", words)) {
      words = next + 1;
    }
    if (words > 0) {
      const std::size_t before = out.size();
      out.Append(line.substr(0, words));
      const RewriteStatus status = ConvertLine(line.substr(words), out, line_number);
      if (status != RewriteStatus::Done) out.Shrink(out.size() - before);
      return status;
    }
  }
  if (line.empty() || kClasses.kind[static_cast<unsigned char>(line.front())] == kLeader) {
    if (notices_ != nullptr) notices_->NoteLeaderLine(line_number, line);
    out.Append(line);
    return RewriteStatus::Done;
  }
  if (IsOWordLine(line)) {
    if (notices_ != nullptr) notices_->NoteOWordLine(line_number, line);
    out.Append(line);
    return RewriteStatus::Done;
  }
  LineScan scan;
  ScanLine(line, rows_, exchange_in_scan_, spare_, scan);
  // On a dwell that gives no P (its time is the S word), an offset or a
  // printer's heater or fan the S word is no spindle speed: it stays as read.
  if ((scan.g_codes & g_codes::kNoSpindleSpeed) != 0 ||
      ((scan.g_codes & g_codes::kDwell) != 0 &&
       !g_codes::HasWord(line.substr(0, std::min(scan.comment, line.size())), 'P'))) {
    Drop(scan, kSpindleRow);
  }
  exchange_line_ = settings_.XYexchange;
  if ((scan.g_codes & (g_codes::kMachine | g_codes::kOffsets)) != 0) KeepMachinePositions(line, scan);
  // Most lines set the motion mode at most, and hold no word that follows
  // a mode.
  if (scan.plane != 0 || scan.codes != 0 || (scan.seen & kModalRows) != 0) {
    FollowModes(scan);
  } else if (scan.motion != 0) {
    modal_.motion = MotionOf(scan.motion);
    motion_set_ = true;
  }
  // Most lines hold nothing the notices look at.
  line_number_ = line_number;
  malformed_ = scan.malformed;
  if (notices_ != nullptr && (scan.radius || (scan.g_codes & ~g_codes::kMotionOnly) != 0 ||
                              scan.has_protected_text || scan.polar || scan.extrusion ||
                              scan.uvw || (scan.seen & watched_rows_) != 0)) {
    NoteFacts(line, scan, line_number);
  }
  // A line that sets the machine's configuration (motor currents, steps per
  // unit, axis limits) holds no position: it passes as read.
  if ((scan.g_codes & g_codes::kConfiguration) != 0) {
    out.Append(line);
    return RewriteStatus::Done;
  }
  edit_count_ = 0;
  if (scan.codes != 0 && (mirrors_ || units_ != UnitConversion::None)) {
    PlanCodeEdits(line, scan);
    for (std::size_t e = 0; e < edit_count_; ++e) spare_[edits_[e].at] = edits_[e].digit;
  }
  // Only a line with an M or a T (or protected text) can hold a marker. In
  // protected text the scan did not exchange X and Y.
  const std::string_view upper(spare_.data(), line.size());
  if (scan.may_hold_marker &&
      (scan.has_protected_text ? HoldsMarkerInAnyCase(line) : upper.find(marker_) != std::string::npos)) {
    out.Append(line);
    return RewriteStatus::Done;
  }
  const bool markers = scan.may_hold_marker && settings_.XYexchange && upper.find("TEMP") != std::string::npos;
  // Only the table-order way knows where protected text is after the words.
  const bool exchange_after = settings_.XYexchange && !exchange_in_scan_;
  const RewriteStatus status = scan.removes || scan.expression_rows != 0 || markers ||
                                       (scan.has_protected_text && exchange_after) ||
                                       exchange_line_ != settings_.XYexchange
                                   ? RewriteInTableOrder(line, scan.words, scan.count, scan.expression_rows, out)
                                   : RewriteInLineOrder(line, scan.words, scan.count, out);
  if (malformed_ && status == RewriteStatus::Done && notices_ != nullptr) {
    notices_->NoteWord(line_number, WordNote::kMalformed, {});
  }
  return status;
}

void LineProcessor::KeepMachinePositions(std::string_view line, LineScan& scan) {
  // G53 moves, and G10 L1, L2, L10 and L11 (tool data, work offsets), give
  // positions and sizes on the machine, not on the part: only a conversion
  // of units changes their lengths, and the exchange leaves them.
  if ((scan.g_codes & g_codes::kMachine) == 0) {
    const long l = g_codes::FirstWordWholeNumber(line.substr(0, std::min(scan.comment, line.size())), 'L');
    if (l != 1 && l != 2 && l != 10 && l != 11) return;
  }
  exchange_line_ = false;
  std::size_t kept = 0;
  for (std::size_t w = 0; w < scan.count; ++w) {
    const char letter = kLetterTable[scan.words[w].row].letter;
    const bool length = letter == 'X' || letter == 'Y' || letter == 'Z';
    const bool axis = length || letter == 'I' || letter == 'J' || letter == 'K' || letter == 'A';
    if (!axis || (length && units_ != UnitConversion::None)) scan.words[kept++] = scan.words[w];
  }
  scan.count = kept;
  scan.removes = false;
  for (std::size_t w = 0; w < scan.count; ++w) scan.removes = scan.removes || scan.words[w].scale == 0;
}

void LineProcessor::StartChunk(const Modal& assumed) {
  modal_ = assumed;
  plane_set_ = motion_set_ = consulted_plane_ = consulted_motion_ = false;
}

void LineProcessor::FollowModes(LineScan& scan) {
  if (scan.plane != 0) {
    modal_.plane = scan.plane == g_codes::kPlaneXY ? Plane::XY : scan.plane == g_codes::kPlaneZX ? Plane::ZX : Plane::YZ;
    plane_set_ = true;
  }
  if (scan.motion != 0) {
    modal_.motion = MotionOf(scan.motion);
    motion_set_ = true;
  }
  const unsigned rows = scan.seen & kModalRows;
  // A line that relies on modes set before its chunk.
  if ((rows != 0 || (scan.codes != 0 && mirrors_)) && !plane_set_) consulted_plane_ = true;
  if (rows != 0 && !motion_set_) consulted_motion_ = true;
  if (rows == 0) return;
  const int plane = static_cast<int>(modal_.plane);
  static constexpr float Settings::*kPlaneAxes[3][3] = {
      {&Settings::XScale, &Settings::YScale, &Settings::ZScale},  // the plane's two axes, then its normal
      {&Settings::ZScale, &Settings::XScale, &Settings::YScale},
      {&Settings::YScale, &Settings::ZScale, &Settings::XScale}};
  const float first = settings_.*kPlaneAxes[plane][0];
  const float second = settings_.*kPlaneAxes[plane][1];
  const bool offsets = (scan.g_codes & g_codes::kOffsets) != 0;
  for (std::size_t w = 0; w < scan.count; ++w) {
    ScannedWord& word = scan.words[w];
    if (word.row == kRadiusRow) {
      // An arc's radius takes the plane's scale where both axes have the
      // same; a cycle's retract plane is a position on the plane's normal.
      bool scaled = !offsets;
      if (modal_.motion == Motion::Arc && std::fabs(first) == std::fabs(second)) {
        word.scale = std::fabs(first);
      } else if (modal_.motion == Motion::Drilling || modal_.motion == Motion::PeckDrilling) {
        word.scale = settings_.*kPlaneAxes[plane][2];
      } else {
        scaled = false;
      }
      if (!scaled) word.row = -1;
      scan.radius = scan.radius || !scaled;
      scan.removes = scan.removes || (scaled && word.scale == 0);
    } else if (word.row == kPeckRow) {
      // A peck's depth is a length of the process: only a conversion of
      // units changes it.
      if (modal_.motion == Motion::PeckDrilling) {
        word.scale = settings_.XScale;
      } else {
        word.row = -1;
      }
    }
  }
  // The words that stay as read leave the list.
  std::size_t kept = 0;
  for (std::size_t w = 0; w < scan.count; ++w) {
    if (scan.words[w].row >= 0) scan.words[kept++] = scan.words[w];
  }
  scan.count = kept;
}

void LineProcessor::PlanCodeEdits(std::string_view line, const LineScan& scan) {
  for (std::size_t c = 0; c < scan.codes; ++c) {
    const unsigned bits = scan.code_bits[c];
    const std::size_t at = g_codes::LastWholeDigit(line.data(), scan.code_at[c] + 1);
    const char digit = line[at];
    char edited = digit;
    // A unit conversion names the units it converts to: G20 becomes G21,
    // or G21 G20.
    if ((bits & g_codes::kInches) != 0 && units_ == UnitConversion::ToMillimetres) edited = '1';
    if ((bits & g_codes::kMillimetres) != 0 && units_ == UnitConversion::ToInches) edited = '0';
    // Where the settings turn the plane over, arcs and cutter compensation
    // run the other way: G2 and G3, G41 and G42 trade places.
    if ((bits & (g_codes::kArc | g_codes::kCompensation)) != 0 && turned_over_[static_cast<int>(modal_.plane)]) {
      edited = digit == '2' ? ((bits & g_codes::kArc) != 0 ? '3' : '1') : digit == '3' ? '2' : digit == '1' ? '2' : digit;
    }
    if (edited != digit) edits_[edit_count_++] = {at, edited};
  }
}

RewriteStatus LineProcessor::ProcessLine(std::string& line, std::uint64_t line_number) {
  // A copy with room to read past the line.
  padded_.Clear();
  padded_.Append(line);
  converted_.Clear();
  const RewriteStatus status = ConvertLine(padded_.view(), converted_, line_number);
  if (status == RewriteStatus::Done) line.assign(converted_.data(), converted_.size());
  return status;
}

void LineProcessor::NoteFacts(std::string_view line, const LineScan& scan, std::uint64_t line_number) {
  LineFacts facts;
  facts.radius = scan.radius;
  facts.extrusion = scan.extrusion;
  facts.uvw = scan.uvw;
  facts.g_codes = scan.g_codes;
  facts.rows = scan.seen;
  const bool comment = scan.comment != std::string::npos;
  facts.words = line.substr(0, comment ? scan.comment : line.size());
  facts.has_protected_text = scan.has_protected_text;
  facts.polar = scan.polar;
  notices_->NoteLine(line_number, facts);
  watched_rows_ = notices_->watched_rows();
}

void LineProcessor::NoteSign(const ScannedWord& word, const FixedNumber& number, bool read_zero) {
  if (notices_ == nullptr || (word.row != kFeedRow && word.row != kSpindleRow)) return;
  // A feed of 0 has stopped the conversion; a spindle stopped by the
  // addend is told of, as a turned one is.
  const bool negative = number.negative && !number.IsZero();
  const bool stopped = word.row == kSpindleRow && number.IsZero() && !read_zero;
  if (!negative && !stopped) return;
  std::string text(1, word.row == kFeedRow ? 'F' : 'S');
  AppendFixed(text, number);
  notices_->NoteWord(line_number_, word.row == kFeedRow ? WordNote::kNegativeFeed : WordNote::kSpindleStopped, text);
}

void LineProcessor::SortByRow(ScannedWord* words, std::size_t count) {
  for (std::size_t w = 1; w < count; ++w) {  // a handful of words
    for (std::size_t v = w; v > 0 && words[v - 1].row > words[v].row; --v) std::swap(words[v - 1], words[v]);
  }
}

RewriteStatus LineProcessor::RewriteInTableOrder(std::string_view line, ScannedWord* words, std::size_t count,
                                                unsigned expression_rows,
                                                ByteBuffer& out) {
  // The words one after the other on the plain upper-cased line.
  std::string& work = table_line_;
  if (exchange_in_scan_) {
    work.resize(line.size());
    for (std::size_t i = 0; i < line.size(); ++i) work[i] = static_cast<char>(kClasses.upper[static_cast<unsigned char>(line[i])]);
  } else {
    work.assign(spare_, 0, line.size());
  }
  for (std::size_t e = 0; e < edit_count_; ++e) work[edits_[e].at] = edits_[e].digit;
  SortByRow(words, count);
  for (std::size_t w = 0; w < count; ++w) {
    const std::size_t position = words[w].position;
    WordEdit edit;
    if (((expression_rows >> words[w].row) & 1) != 0) {
      // Where the settings leave its value as it is, so does the rewrite.
      if (!ChangesValue(words[w])) continue;
      WrapExpression(position, words[w].scale, words[w].addend, work, edit);
    } else {
      // A removed word may leave an expression or a parameter right after
      // an earlier letter, whose word then stays as it is.
      const auto* text = reinterpret_cast<const unsigned char*>(work.c_str());
      if (!protected_text::IsDigit(text[position + 1]) && LeftAsItIs(text, work.size(), position + 1) != Kept::No) {
        continue;
      }
      const RewriteStatus status = rewriter_.RewriteNumber(position, words[w].scale, work, words[w].addend, edit);
      if (status != RewriteStatus::Done) {
        failed_word_.assign(rewriter_.failed_word());
        return status;
      }
      if (edit.kept) {
        malformed_ = malformed_ || ChangesValue(words[w]);
      } else if (words[w].scale != 0) {
        NoteSign(words[w], edit.number, edit.read_zero);
      }
    }
    // A rewrite adds or removes no other letter: the words still to come
    // only move.
    for (std::size_t later = w + 1; later < count; ++later) {
      std::size_t& other = words[later].position;
      other = other > position ? static_cast<std::size_t>(static_cast<std::ptrdiff_t>(other) + edit.shift)
                               : other - edit.leading;
    }
  }
  if (exchange_line_) ExchangeXY(work, spare_);
  out.Append(work);
  return RewriteStatus::Done;
}

// When no word is removed, a rewrite changes nothing but its own number
// run: the letters stay, and each run, which alone gives its value, ends
// where it did whatever the neighbouring words have become. The words can then
// be rewritten from left to right into a new line in one pass, exchanging X
// and Y on the way; a failure is reported for the word earliest in the table.
RewriteStatus LineProcessor::RewriteInLineOrder(std::string_view line, ScannedWord* words, std::size_t count,
                                               ByteBuffer& out_buffer) {
  // The words come in the order of the line; their numbers are read from
  // the line as it came (only the letters differ from the upper-cased one).
  const std::string_view upper(spare_.data(), line.size());
  // The buffer keeps padding after the room reserved: short pieces may be
  // moved in blocks that reach past what they write.
  char* const begin = out_buffer.Reserve(upper.size() + count * kMaxFixedText + kCopyPadding);
  char* out = begin;
  // Where the scan did not exchange X and Y, the copy does.
  const unsigned char* exchange = settings_.XYexchange && !exchange_in_scan_ ? kExchanged : nullptr;
  auto copy = [&](std::size_t from, std::size_t to) {
    if (exchange == nullptr) {
      // Mostly a blank and a letter: one block moves them, and what it
      // moves beyond them is written over next or lies past the end.
      if (to - from <= kCopyPadding) {
        std::memcpy(out, upper.data() + from, kCopyPadding);
      } else {
        std::memcpy(out, upper.data() + from, to - from);
      }
      out += to - from;
      return;
    }
    for (std::size_t i = from; i < to; ++i) *out++ = static_cast<char>(exchange[static_cast<unsigned char>(upper[i])]);
  };
  RewriteStatus status = RewriteStatus::Done;
  int failed_row = static_cast<int>(kRows);
  bool fits = true;
  std::size_t copied = 0;
  WordNumber word;
  // The feed and spindle words that came out negative or 0, told to the
  // notices once the line is done.
  std::size_t negative[kRows];
  std::size_t negatives = 0;
  for (std::size_t w = 0; w < count; ++w) {
    // Every word is computed, so that a failure is reported for the
    // earliest in the table; the text stops at the first failure.
    const RewriteStatus word_status =
        rewriter_.ComputeNumber(line.data(), line.size(), words[w].position, words[w].scale, words[w].addend, word);
    if (word_status != RewriteStatus::Done) {
      if (words[w].row < failed_row) {
        failed_row = words[w].row;
        status = word_status;
        failed_word_.assign(rewriter_.failed_word());
      }
      continue;
    }
    if (word.kept) {  // the run stays in the text as read
      malformed_ = malformed_ || ChangesValue(words[w]);
      continue;
    }
    fits = fits && word.number.fits;
    if (status != RewriteStatus::Done || !fits) continue;
    if ((word.number.negative || word.number.IsZero()) && (words[w].row == kFeedRow || words[w].row == kSpindleRow)) {
      negative[negatives++] = w;
    }
    copy(copied, words[w].position + 1);
    out = WriteFixed(out, word.number);
    copied = word.run_end;
  }
  if (status != RewriteStatus::Done) return status;
  // Too long for the fast writer; this way is taken only without expressions.
  if (!fits) return RewriteInTableOrder(line, words, count, 0, out_buffer);
  // Rare, so computed again rather than kept; each was computed above
  // already, and gave its number.
  for (std::size_t n = 0; n < negatives; ++n) {
    const ScannedWord& negative_word = words[negative[n]];
    const RewriteStatus again = rewriter_.ComputeNumber(line.data(), line.size(), negative_word.position,
                                                        negative_word.scale, negative_word.addend, word);
    assert(again == RewriteStatus::Done);
    static_cast<void>(again);
    NoteSign(negative_word, word.number, word.read_zero);
  }
  copy(copied, upper.size());
  const char* start = begin;
  if (count > 0) {  // every rewrite trims the line's blanks at both ends
    while (out > start && out[-1] == ' ') --out;
    while (start < out && *start == ' ') ++start;
  }
  if (start != begin) std::memmove(begin, start, static_cast<std::size_t>(out - start));
  out_buffer.Commit(static_cast<std::size_t>(out - start));
  return RewriteStatus::Done;
}

}  // namespace kivrel
