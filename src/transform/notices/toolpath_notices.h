#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "settings/settings.h"
#include "settings/unit_factors.h"
#include "transform/notices/notice_sink.h"
#include "transform/notices/notice_watch.h"
#include "transform/roles/conversion_plan.h"
#include "transform/scan/o_word.h"

namespace kivrel {

// Collects, while a conversion runs, the places where the program will not
// move as the settings say although the rules convert it faithfully: words
// the rules do not scale, arcs the settings distort or turn round in the
// active plane, units the program names against the settings or does not
// name, words that are measured on the machine or are no lengths, cycles
// the settings turn round, and feed and spindle words that come out
// negative. Only what the current settings make wrong is noted: one notice
// per kind, with its first line and the number of lines. The modal states
// the notices depend on (the plane, the feed mode, the spindle mode, the
// units) run from line to line, so every line is noted in order.
class ToolpathNotices : public NoticeSink {
 public:
  // Judges by `plan`, which the conversion converts by.
  explicit ToolpathNotices(const ConversionPlan& plan);
  explicit ToolpathNotices(const Settings& settings) : ToolpathNotices(ConversionPlan(settings)) {}
  const ConversionPlan& plan() const { return plan_; }

  void NoteLeaderLine(std::uint64_t line_number, std::string_view line) override;
  void NoteLine(std::uint64_t line_number, const LineFacts& facts) override;
  void NoteOWordLine(std::uint64_t line_number, std::string_view line) override;
  void NoteWord(std::uint64_t line_number, WordNote note, std::string_view word) override;
  // In the current modal state.
  unsigned watched_rows() const override { return watch_.rows(); }
  // The modal states that decide them, as the lines heard so far left them.
  const NoticeWatch& watch() const { return watch_; }

  // "Line N: ..." or "Line N (and M more): ...", one for each kind found,
  // in the order of their first lines. The lines are those of the converted
  // program, in which `lines_before` lines (the settings comment block) come
  // before the program's own.
  std::vector<std::string> Notices(std::uint64_t lines_before = 0) const;

 private:
  enum Kind {
    kRadius,
    kUnequalXY,
    kUnequalZX,
    kUnequalYZ,
    kUnknownStartXY,
    kUnknownStartZX,
    kUnknownStartYZ,
    kRadiusCentres,
    kUnitInches,
    kUnitMillimetres,
    kRotaryA,
    kInverseTimeFeed,
    kInverseTimeLengths,
    kFeedPerRevolution,
    kSurfaceSpeedWords,
    kNegativeFeed,
    kNegativeSpindle,
    kMalformed,
    kExtrusion,
    kUnconvertedLengths,
    kUnscaledUVW,
    kPolar,
    kCallArguments,
    kOtherFileCalls,
    kMachineState,
    kThreads,
    kTappingPitch,
    kTurnedCycles,
    kOtherCodes,
    kNoUnits,
    kExchangedLathe,
    kKinds
  };
  void Note(Kind kind, std::uint64_t line_number);
  // What each plane's arcs suffer under these settings.
  struct PlaneJudgement {
    bool distorted = false;    // unequal scales of the plane's axes
    Kind unequal = kUnequalXY;
    Kind unknown_start = kUnknownStartXY;
  };
  void JudgePlanes();
  void NoteArcsAndCompensation(std::uint64_t line_number, const LineFacts& facts);
  void NoteOtherLengths(std::uint64_t line_number, const LineFacts& facts);
  void NoteSubroutine(std::uint64_t line_number, OWord& word, bool arguments);
  std::string Message(int kind) const;
  // The text of a notice that names nothing of the program; "" for the others.
  static const char* FixedMessage(int kind);

  ConversionPlan plan_;
  unsigned changed_axes_ = 0;   // rows of X, Y, Z, A that the settings change (or exchange)
  bool radius_ = false;         // X, Y or Z is scaled
  bool plane_moved_ = false;    // the XY plane is scaled or exchanged
  UnitConversion units_ = UnitConversion::None;
  bool feed_changed_ = false;   // F words are scaled or offset
  bool lengths_changed_ = false;  // an axis scale changes how far the moves go
  bool xyz_lengths_changed_ = false;  // ... an X, Y or Z scale
  bool a_unit_factor_ = false;  // A words take a unit-conversion factor
  bool any_change_ = false;     // the settings change some word

  // Modal states, as the program has set them so far.
  PlaneJudgement planes_[3];  // in the order of Plane (transform/roles/modes.h)
  NoticeWatch watch_;         // the plane, the feed mode, the spindle mode
  bool units_named_ = false;   // a G20 or G21 has come
  bool moved_ = false;         // a line has moved

  std::uint64_t first_[kKinds] = {};
  std::uint64_t count_[kKinds] = {};
  std::string first_word_[kKinds];  // the word a notice names

  // Subroutines the program holds, and calls to ones it has not held so
  // far: LinuxCNC finds a subroutine further down the file too, so those
  // are judged at the end. Both are bounded, in names and in name length
  // (LinuxCNC reads no line of more than 255 characters); a call past the
  // bounds counts as one to another file.
  struct Calls {
    std::uint64_t first = 0;
    std::uint64_t count = 0;
    std::uint64_t first_with_arguments = 0;
    std::uint64_t with_arguments = 0;
  };
  static constexpr std::size_t kMostNames = 4096;
  static constexpr std::size_t kLongestName = 255;
  std::unordered_set<std::string> defined_;
  std::unordered_map<std::string, Calls> pending_calls_;
};

}  // namespace kivrel
