#include "transform/notices/toolpath_notices.h"

#include <algorithm>
#include <cmath>
#include <iterator>

#include "settings/unit_factors.h"
#include "transform/roles/g_codes.h"
#include "transform/roles/machine_parameters.h"
#include "transform/scan/line_tables.h"
#include "transform/scan/word_characters.h"

namespace kivrel {
namespace {


// A letter's row of the letter table, as a bit.
constexpr unsigned Row(char letter) { return line_tables::RowBit(letter); }

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

ToolpathNotices::ToolpathNotices(const ConversionPlan& plan) : plan_(plan) {
  const Settings& s = plan_.settings();
  if (s.XScale != 1 || s.XYexchange) changed_axes_ |= Row('X');
  if (s.YScale != 1 || s.XYexchange) changed_axes_ |= Row('Y');
  if (s.ZScale != 1) changed_axes_ |= Row('Z');
  if (s.AScale != 1) changed_axes_ |= Row('A');
  radius_ = s.XScale != 1 || s.YScale != 1 || s.ZScale != 1;
  plane_moved_ = s.XScale != 1 || s.YScale != 1 || s.XYexchange;
  units_ = plan_.units();
  feed_changed_ = s.FeedScale != 1 || s.FeedAdd != 0;
  xyz_lengths_changed_ = std::fabs(s.XScale) != 1 || std::fabs(s.YScale) != 1 || std::fabs(s.ZScale) != 1;
  lengths_changed_ = xyz_lengths_changed_ || std::fabs(s.AScale) != 1;
  any_change_ = changed_axes_ != 0 || feed_changed_ || s.SpindleRPM != 0;
  a_unit_factor_ = s.AScale == kInchesToMillimetres || s.AScale == kMillimetresToInches;
  JudgePlanes();
  watch_ = NoticeWatch(a_unit_factor_, feed_changed_ || lengths_changed_, s.FeedAdd != 0, s.SpindleRPM != 0);
}

void ToolpathNotices::Note(Kind kind, std::uint64_t line_number) {
  if (count_[kind]++ == 0) first_[kind] = line_number;
}

void ToolpathNotices::NoteLeaderLine(std::uint64_t line_number, std::string_view line) {
  // A parameter assignment that opens a line may read the machine's state.
  if (changed_axes_ != 0 && line.find('#') != std::string_view::npos && ReadsMachineState(line)) {
    Note(kMachineState, line_number);
  }
}

void ToolpathNotices::NoteLine(std::uint64_t line_number, const LineFacts& facts) {
  // The line's own G words set the modal states it is judged in.
  if (facts.g_codes != 0) {
    watch_.Hear(facts.g_codes);
    if (facts.g_codes & (g_codes::kInches | g_codes::kMillimetres)) units_named_ = true;
    // A G20 that the conversion to millimetres makes G21 is right, and so is
    // a G21 made G20; a program already in the units converted to is not.
    if (units_ == UnitConversion::ToInches && (facts.g_codes & g_codes::kInches)) Note(kUnitInches, line_number);
    if (units_ == UnitConversion::ToMillimetres && (facts.g_codes & g_codes::kMillimetres)) {
      Note(kUnitMillimetres, line_number);
    }
  }
  // A program that names no units before it moves runs in the units the
  // controller happens to be in.
  if (facts.first_move && !moved_) {
    moved_ = true;
    if (!units_named_ && units_ != UnitConversion::None) Note(kNoUnits, line_number);
  }
  // The words of a line kept as read for its M code are told of apart.
  if (facts.words_as_read) return;
  if (facts.radius && radius_) Note(kRadius, line_number);
  NoteArcsAndCompensation(line_number, facts);
  if (a_unit_factor_ && (facts.rows & Row('A'))) Note(kRotaryA, line_number);
  if (watch_.inverse_time() && (facts.rows & Row('F'))) {
    // An inverse-time F gives the move's time, whatever its length.
    if (feed_changed_) Note(kInverseTimeFeed, line_number);
    if (lengths_changed_) Note(kInverseTimeLengths, line_number);
  }
  // A feed per revolution takes the addend, a rate per minute, all the same.
  if (watch_.per_revolution() && plan_.settings().FeedAdd != 0 && (facts.rows & Row('F')))
    Note(kFeedPerRevolution, line_number);
  if (watch_.surface_speed() && plan_.settings().SpindleRPM != 0 && (facts.rows & Row('S')))
    Note(kSurfaceSpeedWords, line_number);
  if (facts.extrusion && xyz_lengths_changed_) Note(kExtrusion, line_number);
  NoteOtherLengths(line_number, facts);
  if (facts.polar && plane_moved_) Note(kPolar, line_number);
  if (facts.has_protected_text && changed_axes_ != 0 && ReadsMachineState(facts.words)) Note(kMachineState, line_number);
  if (facts.threading && plan_.ScalesThreads()) Note(kThreads, line_number);
  // A tapping feed per minute is the pitch times the speed: a faster spindle
  // pulls a tap of the same feed at a shorter pitch.
  if (facts.tapping && plan_.settings().SpindleRPM != 0 && !watch_.per_revolution()) Note(kTappingPitch, line_number);
  if (facts.turned_cycle) Note(kTurnedCycles, line_number);
  // Cutter compensation and the lathe cycles work in the XY and XZ planes
  // only, and the exchange takes the XZ plane to YZ.
  if (plan_.settings().XYexchange && watch_.plane() == Plane::ZX &&
      (facts.g_codes & (g_codes::kCompensation | g_codes::kLatheCycle)) != 0) {
    Note(kExchangedLathe, line_number);
  }
}

void ToolpathNotices::JudgePlanes() {
  // Each plane's two axes, as the program gives them: the exchange carries
  // a plane and its arcs whole onto another (G18 onto G19).
  static constexpr Kind kUnequal[] = {kUnequalXY, kUnequalZX, kUnequalYZ};
  static constexpr Kind kUnknownStart[] = {kUnknownStartXY, kUnknownStartZX, kUnknownStartYZ};
  for (int p = 0; p < 3; ++p) {
    const auto plane = static_cast<Plane>(p);
    PlaneJudgement& judgement = planes_[p];
    judgement.distorted = std::fabs(plan_.ScaleOf(ConversionPlan::PlaneAxis(plane, 0))) !=
                          std::fabs(plan_.ScaleOf(ConversionPlan::PlaneAxis(plane, 1)));
    judgement.unequal = kUnequal[p];
    judgement.unknown_start = kUnknownStart[p];
  }
}

void ToolpathNotices::NoteArcsAndCompensation(std::uint64_t line_number, const LineFacts& facts) {
  // A spline's control points are scaled with it, under any scales; a
  // thread's sizes are no centres either.
  const PlaneJudgement& plane = planes_[static_cast<int>(watch_.plane())];
  const bool centres = !facts.no_centres && (facts.rows & watch_.rows() & (Row('I') | Row('J') | Row('K'))) != 0;
  const bool arc = (facts.g_codes & g_codes::kArc) || centres;
  // Such an arc is written as pieces that follow its image, where the
  // conversion knows where it starts.
  if (arc && plane.distorted && !facts.arc_cut) {
    Note(facts.arc_start_unknown ? plane.unknown_start : plane.unequal, line_number);
  }
  // A radius arc whose written words would move its centre is written as
  // pieces too; not knowing its start, the conversion cannot tell.
  if (facts.arc_start_unknown && !plane.distorted) Note(kRadiusCentres, line_number);
  // Arcs and cutter compensation in a plane the settings turn over are
  // turned round by the conversion itself (G2 and G3, G41 and G42 trade).
}

void ToolpathNotices::NoteOtherLengths(std::uint64_t line_number, const LineFacts& facts) {
  if (!facts.uvw) return;
  if (units_ == UnitConversion::None) {
    if (xyz_lengths_changed_) Note(kUnscaledUVW, line_number);
    return;
  }
  // Under a unit conversion every length must follow: U, V and W words are
  // lengths no rule converts.
  const std::string word = FirstWord(facts.words, "UVW");
  if (word.empty()) return;
  if (count_[kUnconvertedLengths] == 0) first_word_[kUnconvertedLengths] = word;
  Note(kUnconvertedLengths, line_number);
}

void ToolpathNotices::NoteOWordLine(std::uint64_t line_number, std::string_view line) {
  if (!any_change_) return;
  if (changed_axes_ != 0 && ReadsMachineState(line)) Note(kMachineState, line_number);
  OWord word = ReadOWord(line);
  // "O<name> call [1.5] [2]": the arguments may be lengths the subroutine
  // moves by. A subroutine of this program scales them where its words use
  // them; one from another file takes them as they are.
  const bool arguments = word.keyword == "call" && (plane_moved_ || plan_.settings().ZScale != 1) &&
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
                    : note == WordNote::kOtherCode      ? kOtherCodes
                                                        : kMalformed;
  if (count_[kind] == 0) first_word_[kind] = word;
  Note(kind, line_number);
}

// The notices whose text names nothing of the program.
const char* ToolpathNotices::FixedMessage(int kind) {
  switch (kind) {
    case kRadius: return "R words are not scaled: radius arcs and canned-cycle R planes will be wrong";
    case kUnequalXY: return "arcs are distorted by unequal X and Y scales";
    case kUnequalZX: return "arcs in the XZ plane (G18) are distorted by unequal Z and X scales";
    case kUnequalYZ: return "arcs in the YZ plane (G19) are distorted by unequal Y and Z scales";
    case kRadiusCentres:
      return "radius arcs (R) may have their centres moved by the rounding of their words: their start point is "
             "not known";
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
    case kFeedPerRevolution:
      return "F words under feed per revolution (G95) get the feed addend, which is a rate per minute";
    case kMalformed:
      return "numbers that are not well-formed are left as they are: the controller reads or refuses them itself";
    case kExtrusion: return "E words (extrusion) are not scaled";
    case kUnscaledUVW: return "U, V and W words are not scaled";
    case kPolar: return "polar coordinates (@ and ^) are not scaled";
    case kCallArguments:
      return "subroutine calls pass their arguments as they are: lengths among them are not scaled";
    case kOtherFileCalls:
      return "subroutines called from other files are not converted: their moves, feeds and speeds stay as they are";
    case kMachineState:
      return "parameters that read the machine's state (#5000 and above, #<_\u2026>) are not converted: values taken "
             "from them may be converted twice";
    case kThreads: return "threads keep their pitch and depths: G76 sizes are not scaled";
    case kTappingPitch: return "the spindle addend changes the pitch of tapping and threading moves";
    case kTurnedCycles:
      return "canned cycles along a mirrored axis: the controller refuses them or drills the wrong way";
    case kExchangedLathe:
      return "cutter compensation and lathe cycles work only in the XY and XZ planes: the exchange takes the XZ "
             "plane (G18) to YZ (G19)";
    default: return "";
  }
}

std::string ToolpathNotices::Message(int kind) const {
  static constexpr const char* kStartUnknown = ": their start point is not known";
  switch (kind) {
    case kUnknownStartXY: return Message(kUnequalXY) + kStartUnknown;
    case kUnknownStartZX: return Message(kUnequalZX) + kStartUnknown;
    case kUnknownStartYZ: return Message(kUnequalYZ) + kStartUnknown;
    case kNegativeFeed: return "feed words come out negative, first " + first_word_[kind] + ": controllers refuse them";
    case kNegativeSpindle:
      return "spindle words come out as 0 or negative, first " + first_word_[kind] +
             ": the spindle stands still, or controllers refuse them or turn it the wrong way";
    case kUnconvertedLengths: return "these words hold lengths the settings do not convert: first " + first_word_[kind];
    case kOtherCodes: return "words on lines with other M codes are left as they are: first " + first_word_[kind];
    case kNoUnits:
      return units_ == UnitConversion::ToMillimetres
                 ? "the program does not set its units: the converted program is in millimetres: run it under G21"
                 : "the program does not set its units: the converted program is in inches: run it under G20";
    default: return FixedMessage(kind);
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
