#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "common/byte_buffer.h"
#include "settings/settings.h"
#include "transform/current_point.h"
#include "transform/notices/notice_sink.h"
#include "transform/rewrite/arc_line.h"
#include "transform/rewrite/rewrite_number.h"
#include "transform/roles/conversion_plan.h"
#include "transform/roles/modes.h"
#include "transform/roles/word_roles.h"
#include "transform/scan/line_scan.h"

namespace kivrel {

// Transforms program lines one at a time. Holds the buffers a line needs, so
// a conversion allocates nothing per line once they have grown.
class LineProcessor {
 public:
  // Converts as `plan` says (worked out once for a run and shared with the
  // notices); a processor serves one run. `notices`, when given, hears
  // what each line's scan finds.
  explicit LineProcessor(const ConversionPlan& plan, NoticeSink* notices = nullptr);
  explicit LineProcessor(const Settings& settings, NoticeSink* notices = nullptr)
      : LineProcessor(ConversionPlan(settings), notices) {}

  // Converts `line` (without its terminator) and appends the result to
  // `out`. Lines that start with a comment leader, empty lines, O-word lines
  // and lines marked M20ADDITION stay as read, but for the words after
  // comments and parameter assignments that open a line; every other line
  // is upper-cased, its words before the comment rewritten as their meaning
  // on the line asks and, on request, X and Y (and I and J) exchanged. The
  // sixteen bytes after `line` must be readable, the first of them ending
  // any number (its line end, or a NUL), as in a ByteBuffer. `line_number`
  // is for the notices. After a failure `out` holds nothing of the line.
  [[nodiscard]] RewriteStatus ConvertLine(std::string_view line, ByteBuffer& out, std::uint64_t line_number = 0);

  // The same, in place.
  [[nodiscard]] RewriteStatus ProcessLine(std::string& line, std::uint64_t line_number = 0);

  // After OutOfRange: the word that could not be scaled.
  const std::string& failed_word() const { return failed_word_; }
  // Converts the lines that follow as if `assumed` were the modes before
  // them and `point` where the tool stood (null: where it stood, not yet
  // known), and tells which of them the lines relied on before they set
  // them themselves. A chunk of a program converted apart from the lines
  // before it starts so.
  void StartChunk(const Modal& assumed, const CurrentPoint* point = nullptr);
  const Modal& modal() const { return modal_; }
  // The modes the lines since the chunk began have set (ModeField bits).
  unsigned set_fields() const { return set_fields_; }
  // Where the tool stands after them, as far as it is followed (the words
  // that set it are read now).
  const CurrentPoint& point() {
    ResolvePoint();
    return point_;
  }
  const ModesRelied& relied() const { return relied_; }
  // How many lines so far relied on where the tool stood before the chunk
  // (an arc that needed an axis its lines had not set).
  std::uint64_t point_reliances() const { return point_reliances_; }
  // The lines the last line converted came out as beyond the one: the
  // pieces an arc was cut into after the first.
  std::uint64_t extra_lines() const { return extra_lines_; }
  // The last line's arc came out as pieces that follow its image.
  bool arc_cut() const { return arc_cut_; }

  // After ZeroFeed: the feed word is 0 in the program itself.
  bool zero_feed_in_program() const { return rewriter_.zero_feed_in_program(); }

 private:
  // A line whose words are converted (it opens with none of the texts that
  // keep a line as read).
  [[nodiscard]] RewriteStatus ConvertWords(std::string_view line, ByteBuffer& out, std::uint64_t line_number);
  // The line carries the mark of a line an earlier run added (the scan's
  // copy of it is in upper_line_).
  bool MarkedByEarlierRun(std::string_view line, const LineScan& scan) const;
  // Rewrites the scanned line's words into `out`, one of the two ways below.
  [[nodiscard]] RewriteStatus RewriteWords(std::string_view line, LineScan& scan, ByteBuffer& out);
  // Puts an arc's pieces in place of its words, which the line just wrote
  // from `line_start` of `out`. Rare: kept out of the line's own code, which
  // inlining it would make larger for every line.
  [[gnu::noinline]] void SpliceArcPieces(ByteBuffer& out, std::size_t line_start);
  // The modes the line runs in: those before it with its own codes, whose
  // fields go into `own`.
  Modal ModesOfLine(std::string_view line, const LineScan& scan, unsigned& own) const;
  // Takes the line's modes on, noting what of those before the chunk the
  // line relied on.
  void FollowModes(const Modal& line_modes, unsigned own, LineModes& modes);
  // A mode of `field` is read for the line: relied on where neither the
  // line (`own`) nor the chunk before it has set it.
  void ReadMode(unsigned field, unsigned own);
  // Where an arc's image needs more than its words as the rules write them:
  // whether it can be cut into pieces (into arc_text_).
  ArcOutcome DecideArc(std::string_view line, const LineScan& scan, const WordRoles& roles, LineModes& modes,
                       const Modal& line_modes, unsigned own);
  // The arc's words as read (and as written, where the rules rewrite them);
  // false where one cannot be followed.
  bool ReadArcWords(std::string_view line, const LineScan& scan, bool radius, ArcWords& words);
  // Where the tool stands after the line (under settings that follow it).
  void FollowPoint(std::string_view line, const LineScan& scan, const WordRoles& roles, LineModes& modes,
                   const Modal& line_modes, unsigned own);
  // Follows axis `a` (X 0, Y 1, Z 2) that the line's word of `role` moves.
  void FollowAxis(std::string_view line, const LineScan& scan, Role role, const Modal& line_modes, unsigned own,
                  bool incremental, int a);
  // The number of the word of `row` as read, and as the line writes it
  // (where `out` is given); false where either is not known.
  bool ReadWord(std::string_view line, const LineScan& scan, int row, Written& in, Written* out);
  // The same for the word whose letter stands at `at` in `text`, its number
  // run ending at `run_end`, rewritten as `word` says (null: as read).
  bool ReadNumber(const char* text, std::size_t size, std::size_t at, std::size_t run_end, const ScannedWord* word,
                  Written& in, Written* out);
  // The largest distance of an arc's pieces from its image: the output's
  // last place.
  double Tolerance(const Modal& line_modes, unsigned own);
  // Gives each collected word the scale and addend of its meaning; the
  // words that stay as read leave the list.
  void ApplyRoles(LineScan& scan, const WordRoles& roles, LineModes& modes);
  // Tells the notices what they look at in the line.
  void NoteFacts(std::string_view line, const LineScan& scan, const WordRoles& roles, LineModes& modes,
                 std::uint64_t line_number, ArcOutcome arc);
  // Tells the notices of a line whose words stay as read for its M code,
  // where the settings would have changed one of its words.
  void NoteWordsAsRead(std::string_view line, const LineScan& scan, std::uint64_t line_number);
  // Tells the notices of a feed or spindle word that came out negative, or
  // of a spindle word made 0 from a speed that was not.
  void NoteSign(const ScannedWord& word, const FixedNumber& number, bool read_zero);
  // NoteSign for the words `which` of `words`, computed again.
  void NoteSigns(std::string_view line, const ScannedWord* words, const std::size_t* which, std::size_t count);
  static void SortByRow(ScannedWord* words, std::size_t count);
  // The digits of G codes the rules change on this line (into edits_).
  void PlanCodeEdits(std::string_view line, const LineScan& scan, LineModes& modes);
  // Both start from the scanned line at the start of upper_line_ (which has
  // some bytes of room after it); `words` come in the order of the line. The
  // first rewrites them one after the other in the order of the letter table
  // (any words); the second in one pass along the line, straight into `out`
  // (when no word is removed).
  // `expression_rows`: the rows whose word is an expression or a parameter
  // (LineScan::expression_rows), which the first way wraps.
  [[nodiscard]] RewriteStatus RewriteInTableOrder(std::string_view line, ScannedWord* words, std::size_t count,
                                                  unsigned expression_rows, ByteBuffer& out);
  [[nodiscard]] RewriteStatus RewriteInLineOrder(std::string_view line, ScannedWord* words, std::size_t count, ByteBuffer& out);

  ConversionPlan plan_;
  NoticeSink* notices_;
  NumberRewriter rewriter_;
  bool exchange_in_scan_ = false;        // X and Y are exchanged while upper-casing
  const char* marker_ = "M20ADDITION";    // as it reads in the scanned line
  unsigned watched_rows_ = 0;             // the notices' watched rows, as they last said
  std::uint64_t line_number_ = 0;
  bool malformed_ = false;                // the line keeps a number that is not well-formed
  bool preserved_ = false;                // the line holds text kept as read (an active comment, a remark)
  bool exchange_line_ = false;            // X and Y trade places on this line
  Modal modal_;
  unsigned set_fields_ = 0;
  ModesRelied relied_;
  std::uint64_t point_reliances_ = 0;
  // Following where the tool stands, so that arcs can be cut.
  bool tracking_ = false;
  CurrentPoint point_;
  // The word that set a known axis of point_, kept as what the quick way
  // read and wrote of it or as text, and worked out only where an arc needs
  // it: most lines are no arcs.
  struct PendingAxis {
    bool pending = false;
    bool quick = false;  // the quick way read and wrote it: `read`
    QuickWord read{};
    bool rewritten = false;  // the line rewrote it as `word` says (else it stays as read)
    ScannedWord word{};
    // The letter and its number run, and on a short line what follows it,
    // then a 0: the run's end is found when the point is needed. A run of
    // kLongestRun bytes or more is not followed.
    static constexpr std::size_t kLongestRun = 40;
    char text[kLongestRun + 1];
  };
  PendingAxis pending_[3];
  // The rows of the line's axis words that set the point where the rewrite
  // of the line writes them: most take the quick way, which reads and
  // writes their number anyway (TakeAxisValue); the others are kept as text
  // once the line is written (KeepAwaitedAxes).
  unsigned awaited_rows_ = 0;
  // Notes where the scan found the line's words (row_at_ and the rest).
  void PlaceWords(const LineScan& scan);
  // The axis word of `row` is one the point can follow: a number.
  bool Followable(int row) const;
  // Keeps the axis word of `row` as the pending value of `axis`; false
  // where it cannot be followed.
  bool KeepAxisWord(std::string_view line, const LineScan& scan, int row, int axis);
  // The awaited axis word of `row`, as the quick way read and wrote it.
  void TakeAxisValue(int row, const QuickWord& quick) {
    awaited_rows_ &= ~(1u << row);
    PendingAxis& pending = pending_[row == line_tables::kRowX ? 0 : row == line_tables::kRowY ? 1 : 2];
    pending.read = quick;
    pending.quick = true;
    pending.pending = true;
  }
  void KeepAwaitedAxes(std::string_view line, const LineScan& scan);
  void ResolvePoint();
  bool block_delete_ = false;             // the line behind a "/"
  std::size_t row_at_[line_tables::kRows];  // where the scan found each row's word (before the roles)
  unsigned expression_rows_ = 0;          // the rows the scan found an expression in (before the roles)
  unsigned malformed_rows_ = 0;
  ArcText arc_text_;
  std::uint64_t extra_lines_ = 0;
  bool arc_cut_ = false;
  bool moved_ = false;                    // a line of this chunk has moved
  struct CodeEdit {
    std::size_t at;  // a digit of a G code in the line
    char digit;      // what it becomes
  };
  CodeEdit edits_[LineScan::kMostCodes];
  std::size_t edit_count_ = 0;
  std::string upper_line_;        // the scan's upper-cased copy of the line
  std::string exchange_scratch_;  // ExchangeXY's buffer
  std::string table_line_;
  ByteBuffer padded_;                     // ProcessLine's line
  ByteBuffer converted_;                  // ProcessLine's result
  std::string failed_word_;
};

}  // namespace kivrel
