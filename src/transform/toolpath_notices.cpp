#include "transform/toolpath_notices.h"

#include <algorithm>
#include <cmath>
#include <iterator>

#include "settings/unit_factors.h"
#include "transform/g_codes.h"
#include "transform/line_tables.h"
#include "transform/machine_parameters.h"
#include "transform/word_characters.h"

namespace kivrel {
namespace {


// A letter's row of the letter table, as a bit.
constexpr unsigned Row(char letter) {
  return 1u << line_tables::kClasses.kind[static_cast<unsigned char>(letter)];
}

void Mark(bool* set, char letter) {
  set[static_cast<unsigned char>(letter)] = true;
  set[static_cast<unsigned char>(letter - 'A' + 'a')] = true;
}

// The first word (letter and number, as the letter's run reads) in `text`
// whose letter is one of `letters` (upper case), or nothing.
std::string FirstWord(std::string_view text, std::string_view letters) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char letter = static_cast<char>(line_tables::kClasses.upper[static_cast<unsigned char>(text[i])]);
    if (letters.find(letter) == std::string_view::npos || !word_characters::NumberFollows(text, i + 1)) continue;
    std::size_t end = i + 1;
    for (std::size_t k = i + 1; k < text.size() && word_characters::IsRunCharacter(text[k]); ++k) {
      if (!word_characters::IsBlank(text[k])) end = k + 1;
    }
    std::string word(1, letter);
    for (std::size_t k = i + 1; k < end; ++k) {
      if (!word_characters::IsBlank(text[k])) word += text[k];
    }
    return word;
  }
  return {};
}

}  // namespace

ToolpathNotices::ToolpathNotices(const Settings& s) : settings_(s) {
  const struct {
    char letter;
    bool changed;
  } letters[] = {{'X', s.XScale != 1}, {'I', s.XScale != 1}, {'Y', s.YScale != 1}, {'J', s.YScale != 1},
                 {'Z', s.ZScale != 1}, {'K', s.ZScale != 1}, {'A', s.AScale != 1},
                 {'F', s.FeedScale != 1 || s.FeedAdd != 0}, {'S', s.SpindleRPM != 0}};
  for (const auto& letter : letters) {
    if (letter.changed) Mark(scaled_, letter.letter);
    const bool renamed = s.XYexchange && std::string_view("XIYJ").find(letter.letter) != std::string_view::npos;
    if (letter.changed || renamed) Mark(transformed_, letter.letter);
  }
  if (s.XScale != 1 || s.XYexchange) changed_axes_ |= Row('X');
  if (s.YScale != 1 || s.XYexchange) changed_axes_ |= Row('Y');
  if (s.ZScale != 1) changed_axes_ |= Row('Z');
  if (s.AScale != 1) changed_axes_ |= Row('A');
  radius_ = s.XScale != 1 || s.YScale != 1 || s.ZScale != 1;
  plane_moved_ = s.XScale != 1 || s.YScale != 1 || s.XYexchange;
  units_ = UnitConversionOf(s);
  feed_changed_ = s.FeedScale != 1 || s.FeedAdd != 0;
  xyz_lengths_changed_ = std::fabs(s.XScale) != 1 || std::fabs(s.YScale) != 1 || std::fabs(s.ZScale) != 1;
  lengths_changed_ = xyz_lengths_changed_ || std::fabs(s.AScale) != 1;
  any_change_ = changed_axes_ != 0 || feed_changed_ || s.SpindleRPM != 0;
  a_unit_factor_ = s.AScale == kInchesToMillimetres || s.AScale == kMillimetresToInches;
  JudgePlanes();
  Watch();
}

void ToolpathNotices::Note(Kind kind, std::uint64_t line_number) {
  if (count_[kind]++ == 0) first_[kind] = line_number;
}

bool ToolpathNotices::HasWord(std::string_view text, const bool* letters) {
  for (std::size_t i = 0; i + 1 < text.size(); ++i) {
    if (letters[static_cast<unsigned char>(text[i])] && word_characters::NumberFollows(text, i + 1)) return true;
  }
  return false;
}

void ToolpathNotices::NoteLeaderLine(std::uint64_t line_number, std::string_view line) {
  if (line.empty()) return;
  if (line.front() == '(') {  // a comment line passes as read, words after its ")" too
    const std::size_t close = line.find(')');
    if (close != std::string_view::npos && HasWord(line.substr(close + 1), transformed_)) {
      Note(kAfterComment, line_number);
    }
  }
}

// The rows whose words need a look in the current modal state: the arc
// centres of the active plane, A words that take a unit factor, F words in
// inverse time, S words at constant surface speed.
void ToolpathNotices::Watch() {
  static constexpr unsigned kCentres[] = {Row('I') | Row('J'), Row('K') | Row('I'), Row('J') | Row('K')};
  watched_rows_ = kCentres[static_cast<int>(plane_)];
  if (a_unit_factor_) watched_rows_ |= Row('A');
  if (inverse_time_ && (feed_changed_ || lengths_changed_)) watched_rows_ |= Row('F');
  if (per_revolution_ && settings_.FeedAdd != 0) watched_rows_ |= Row('F');
  if (surface_speed_ && settings_.SpindleRPM != 0) watched_rows_ |= Row('S');
}

unsigned ToolpathNotices::watchable_rows() const {
  unsigned rows = Row('I') | Row('J') | Row('K');
  if (a_unit_factor_) rows |= Row('A');
  if (feed_changed_ || lengths_changed_) rows |= Row('F');
  if (settings_.SpindleRPM != 0) rows |= Row('S');
  return rows;
}

void ToolpathNotices::NoteLine(std::uint64_t line_number, const LineFacts& facts) {
  // The line's own G words set the modal states it is judged in.
  if (facts.g_codes != 0) {
    if (facts.g_codes & g_codes::kPlaneXY) plane_ = Plane::XY;
    if (facts.g_codes & g_codes::kPlaneZX) plane_ = Plane::ZX;
    if (facts.g_codes & g_codes::kPlaneYZ) plane_ = Plane::YZ;
    if (facts.g_codes & g_codes::kInverseTime) inverse_time_ = true;
    if (facts.g_codes & (g_codes::kFeedPerMinute | g_codes::kFeedPerRev)) inverse_time_ = false;
    if (facts.g_codes & g_codes::kFeedPerRev) per_revolution_ = true;
    if (facts.g_codes & (g_codes::kFeedPerMinute | g_codes::kInverseTime)) per_revolution_ = false;
    if (facts.g_codes & g_codes::kSurfaceSpeed) surface_speed_ = true;
    if (facts.g_codes & g_codes::kSpindleRpm) surface_speed_ = false;
    Watch();
    // A G20 that the conversion to millimetres makes G21 is right, and so is
    // a G21 made G20; a program already in the units converted to is not.
    if (units_ == UnitConversion::ToInches && (facts.g_codes & g_codes::kInches)) Note(kUnitInches, line_number);
    if (units_ == UnitConversion::ToMillimetres && (facts.g_codes & g_codes::kMillimetres)) {
      Note(kUnitMillimetres, line_number);
    }
  }
  if (facts.radius && radius_) Note(kRadius, line_number);
  NoteArcsAndCompensation(line_number, facts);
  if (a_unit_factor_ && (facts.rows & Row('A'))) Note(kRotaryA, line_number);
  if (inverse_time_ && (facts.rows & Row('F'))) {
    // An inverse-time F gives the move's time, whatever its length.
    if (feed_changed_) Note(kInverseTimeFeed, line_number);
    if (lengths_changed_) Note(kInverseTimeLengths, line_number);
  }
  // A feed per revolution takes the addend, a rate per minute, all the same.
  if (per_revolution_ && settings_.FeedAdd != 0 && (facts.rows & Row('F'))) Note(kFeedPerRevolution, line_number);
  if (surface_speed_ && settings_.SpindleRPM != 0 && (facts.rows & Row('S'))) Note(kSurfaceSpeedWords, line_number);
  // On a threading line an E word is a taper's length, not an extrusion.
  if (facts.extrusion && xyz_lengths_changed_ && !(facts.g_codes & g_codes::kThreading)) Note(kExtrusion, line_number);
  NoteOtherLengths(line_number, facts);
  if (facts.polar && plane_moved_) Note(kPolar, line_number);
  if (facts.has_protected_text && any_change_ && ReadsMachineState(facts.words)) Note(kMachineState, line_number);
}

void ToolpathNotices::JudgePlanes() {
  const Settings& s = settings_;
  // Each plane's two axes. Under G18 or G19 the exchange takes X into Y:
  // the plane itself moves.
  const struct {
    float first;
    float second;
    Kind unequal;
  } planes[] = {{s.XScale, s.YScale, kUnequalXY}, {s.ZScale, s.XScale, kUnequalZX}, {s.YScale, s.ZScale, kUnequalYZ}};
  for (int p = 0; p < 3; ++p) {
    PlaneJudgement& judgement = planes_[p];
    judgement.moved = p != 0 && s.XYexchange;
    judgement.distorted = std::fabs(planes[p].first) != std::fabs(planes[p].second) && !judgement.moved;
    judgement.unequal = planes[p].unequal;
  }
}

void ToolpathNotices::NoteArcsAndCompensation(std::uint64_t line_number, const LineFacts& facts) {
  const PlaneJudgement& plane = planes_[static_cast<int>(plane_)];
  const bool arc = (facts.g_codes & g_codes::kArc) || (facts.rows & watched_rows_ & (Row('I') | Row('J') | Row('K')));
  if (arc) {
    if (plane.moved) Note(kOutOfPlane, line_number);
    if (plane.distorted) Note(plane.unequal, line_number);
  }
  // Arcs and cutter compensation in a plane the settings turn over are
  // turned round by the conversion itself (G2 and G3, G41 and G42 trade).
}

void ToolpathNotices::NoteOtherLengths(std::uint64_t line_number, const LineFacts& facts) {
  if (units_ == UnitConversion::None) {
    if (facts.uvw && xyz_lengths_changed_) Note(kUnscaledUVW, line_number);
    return;
  }
  // Under a unit conversion every length must follow: these are lengths no
  // rule converts.
  constexpr unsigned kCodes = g_codes::kThreading | g_codes::kDiameter | g_codes::kBlending | g_codes::kSpline;
  if (!facts.uvw && (facts.g_codes & kCodes) == 0) return;
  std::string letters = facts.uvw ? "UVW" : "";
  if (facts.g_codes & g_codes::kThreading) letters += "PE";  // the pitch, the taper's length
  if (facts.g_codes & g_codes::kDiameter) letters += 'D';    // the tool's diameter
  if (facts.g_codes & (g_codes::kBlending | g_codes::kSpline)) letters += "PQ";  // tolerances, control points
  if (letters.empty()) return;
  const std::string word = FirstWord(facts.words, letters);
  if (word.empty()) return;
  if (count_[kUnconvertedLengths] == 0) first_word_[kUnconvertedLengths] = word;
  Note(kUnconvertedLengths, line_number);
}

void ToolpathNotices::NoteOWordLine(std::uint64_t line_number, std::string_view line) {
  if (!any_change_) return;
  if (ReadsMachineState(line)) Note(kMachineState, line_number);
  OWord word = ReadOWord(line);
  // "O<name> call [1.5] [2]": the arguments may be lengths the subroutine
  // moves by. A subroutine of this program scales them where its words use
  // them; one from another file takes them as they are.
  const bool arguments = word.keyword == "call" && (plane_moved_ || settings_.ZScale != 1) &&
                         line.find('[', word.end) != std::string_view::npos;
  NoteSubroutine(line_number, word, arguments);
}

void ToolpathNotices::NoteSubroutine(std::uint64_t line_number, OWord& word, bool arguments) {
  // A subroutine this program does not hold comes from a file of its own,
  // which this conversion does not touch.
  if (word.name.size() > kLongestName) word.name.clear();
  if (word.keyword == "sub") {
    if (!word.name.empty() && defined_.size() < kMostNames) defined_.insert(word.name);
    return;
  }
  if (word.keyword != "call" || defined_.contains(word.name)) return;
  if (word.name.empty() || (pending_calls_.size() >= kMostNames && !pending_calls_.contains(word.name))) {
    Note(kOtherFileCalls, line_number);
    if (arguments) Note(kCallArguments, line_number);
    return;
  }
  Calls& calls = pending_calls_[word.name];
  if (calls.count++ == 0) calls.first = line_number;
  if (arguments && calls.with_arguments++ == 0) calls.first_with_arguments = line_number;
}

void ToolpathNotices::NoteWord(std::uint64_t line_number, WordNote note, std::string_view word) {
  const Kind kind = note == WordNote::kNegativeFeed     ? kNegativeFeed
                    : note == WordNote::kSpindleStopped ? kNegativeSpindle
                                                        : kMalformed;
  if (count_[kind] == 0) first_word_[kind] = word;
  Note(kind, line_number);
}

std::string ToolpathNotices::Message(int kind) const {
  switch (kind) {
    case kRadius: return "R words are not scaled: radius arcs and canned-cycle R planes will be wrong";
    case kAfterComment: return "words after a comment are not scaled";
    case kUnequalXY: return "arcs are distorted by unequal X and Y scales";
    case kUnequalZX: return "arcs in the XZ plane (G18) are distorted by unequal Z and X scales";
    case kUnequalYZ: return "arcs in the YZ plane (G19) are distorted by unequal Y and Z scales";
    case kOutOfPlane: return "arcs in the XZ or YZ plane (G18, G19) leave their plane: the exchange moves X into Y";
    case kUnitInches: return "G20: the program is in inches already, yet the settings convert it from millimetres";
    case kUnitMillimetres:
      return "G21: the program is in millimetres already, yet the settings convert it from inches";
    case kRotaryA:
      return "A words take the unit factor: right for a linear A axis, wrong for a rotary one, whose words are "
             "degrees";
    case kInverseTimeFeed:
      return "F words under inverse-time feed (G93) are no rates: the feed settings change how long the moves take";
    case kInverseTimeLengths:
      return "moves under inverse-time feed (G93) keep their times: the scaled lengths change the speed of the tool";
    case kSurfaceSpeedWords:
      return "S words under constant surface speed (G96) are surface speeds, not revolutions: the spindle addend "
             "changes them";
    case kNegativeFeed:
      return "feed words come out negative, first " + first_word_[kind] + ": controllers refuse them";
    case kNegativeSpindle:
      return "spindle words come out as 0 or negative, first " + first_word_[kind] +
             ": the spindle stands still, or controllers refuse them or turn it the wrong way";
    case kFeedPerRevolution:
      return "F words under feed per revolution (G95) get the feed addend, which is a rate per minute";
    case kMalformed:
      return "numbers that are not well-formed are left as they are: the controller reads or refuses them itself";
    case kExtrusion: return "E words (extrusion) are not scaled";
    case kUnconvertedLengths:
      return "these words hold lengths the settings do not convert: first " + first_word_[kind];
    case kUnscaledUVW: return "U, V and W words are not scaled";
    case kPolar: return "polar coordinates (@ and ^) are not scaled";
    case kCallArguments:
      return "subroutine calls pass their arguments as they are: lengths among them are not scaled";
    case kOtherFileCalls:
      return "subroutines called from other files are not converted: their moves, feeds and speeds stay as they are";
    case kMachineState:
      return "parameters that read the machine's state (#5000 and above, #<_\u2026>) are not converted: values taken "
             "from them may be converted twice";
    default: return "";
  }
}

std::vector<std::string> ToolpathNotices::Notices(std::uint64_t lines_before) const {
  std::uint64_t first[kKinds];
  std::uint64_t count[kKinds];
  std::copy(std::begin(first_), std::end(first_), first);
  std::copy(std::begin(count_), std::end(count_), count);
  // Calls to subroutines the program came to hold further down are its own.
  const auto add = [&](int kind, std::uint64_t calls_first, std::uint64_t calls_count) {
    if (calls_count == 0) return;
    if (count[kind] == 0 || calls_first < first[kind]) first[kind] = calls_first;
    count[kind] += calls_count;
  };
  for (const auto& [name, calls] : pending_calls_) {
    if (defined_.contains(name)) continue;
    add(kOtherFileCalls, calls.first, calls.count);
    add(kCallArguments, calls.first_with_arguments, calls.with_arguments);
  }
  // In the order of their first lines, as the operator reads the program.
  int order[kKinds];
  for (int kind = 0; kind < kKinds; ++kind) order[kind] = kind;
  std::stable_sort(std::begin(order), std::end(order), [&](int a, int b) { return first[a] < first[b]; });
  std::vector<std::string> notices;
  for (int kind : order) {
    if (count[kind] == 0) continue;
    std::string notice = "Line " + std::to_string(first[kind] + lines_before);
    if (count[kind] > 1) notice += " (and " + std::to_string(count[kind] - 1) + " more)";
    notice += ": ";
    notice += Message(kind);
    notices.push_back(notice);
  }
  return notices;
}

}  // namespace kivrel
