// The fast line transform against the plain reference, over a million
// generated lines with random settings; and the chunked, threaded
// conversion of whole programs against one line at a time.
#include <gtest/gtest.h>

#include <algorithm>
#include <iomanip>
#include <limits>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

#include "common/failure.h"
#include "platform/text_reader.h"
#include "platform/text_writer.h"
#include "support/fake_platform.h"
#include "support/reference_transform.h"
#include "transform/process_line.h"
#include "transform/process_text.h"
#include "transform/notices/toolpath_notices.h"

namespace kivrel {
namespace {

class LineGenerator {
 public:
  explicit LineGenerator(std::uint64_t seed) : random_(seed) {}

  std::string Line() {
    std::string line;
    const int shape = Pick(20);
    if (shape == 0) return "";
    if (shape == 1) line += Choose({"(", "/", "%", "#", " ", "  ", "o", " O", ";"});
    // Comments and parameter assignments that open a line, with words after
    // them or not.
    if (shape == 2) {
      line += Choose({"(a) ", "(MSG, x) ", "#1=5 ", "#<d>=[#1/2] ", "#1 = -#2 ", "(a)(b)", "#1=sin[30] ",
                      "#1=atan[1]/[2] ", "#1=5 (c) ", "#1=", "#1=x ", "(a", "#1=5 #2=6 ", "#<_x>=#5221 ",
                      "#1=1 2 ", "#1=.", "#1=abs [2]", "(m20addition) ", "#1=atan[1] ", "(x1) #3=[1] "});
    }
    const int words = 1 + Pick(7);
    for (int w = 0; w < words; ++w) {
      if (Pick(3) != 0 || w > 0) line += Choose({" ", " ", " ", "", "  ", "\t"});
      const int kind = Pick(16);
      if (kind == 0) {
        line += Choose({"(CUT X)", "(a", "%", "/", "#1", ";FAST", "M20ADDITION", "m20addition", "TEMP",
                        "__TEMP1__", "--TEMP2--", "__temp4__", "--TEMP3--", "te", "mp", "\xc3\xa4",
                        "[#1+x2/3]", "[FIX[#2]]", "#<xpos>", "##3", "#[1+y]", "@5", "^30", "[open x", "# note",
                        "#<m20addition>", "#<__temp1__>", "#", "]", "G4", "g04", "G10", "G130", "G40", "M104",
                        "m106", "M140", "M190", "M92", "M203", "M906", "M1040", "M2", "G 4.0", "M104.1",
                        "X1.5.5", "Y1 - 2", "Z.", "S-", "F+-1", "X12178.6843", "Y-99999.99995", "G20", "g21",
                        "G 020.0", "G20.1", "G2", "g03", "G41", "G42.1", "(a)", "(x1) y", "/", "G17", "G18",
                        "g19", "G81", "G83", "G73", "G80", "G0", "G10", "G5.1", "R5", "r-2.5", "Q1", "q0.5",
                        "G53", "G10 L2", "g10 l1", "L11", "L10", "L20",
                        // Words whose meaning the codes and the modes give them.
                        "G43.1", "g43.2", "G33.1", "G33", "G76", "G84", "g74", "G5", "G5.1", "G5.2", "G64",
                        "G41.1", "G90", "G91", "G 9 1", "G2 0", "G0 2", "G 1 7", "G4 3.1", "L 1 0", "B1", "c2",
                        "U1", "M19", "M66", "M67", "M68", "M109", "M117 move x", "m118 y", "M220", "M100",
                        "M30", "M3", "M 1 04", "M[#1]", "M6", "M62", "M51", "M104.5", "(PRINT, done X)",
                        "(msg,x)", "( DEBUG, y)", "(LOGOPEN,x)", "(probeclose)", "; fixture x", ";X",
                        "(print, x", "#<_x>", "#<p1>", "@-5", "^30", "^ -45", "S0", "s 0.0", "P0", "q-5",
                        "E1.5", "D5", "K1.5", "I2", "j1", "G71", "G72.2", "G70"});
        continue;
      }
      line += Choose({"X", "Y", "Z", "I", "J", "K", "A", "F", "S", "x", "y", "f", "s", "G", "M", "N",
                      "R", "E", "D", "P", "T", "H", "Q", "p", "@", "^", "L", "B", "U"});
      line += Number();
    }
    if (Pick(8) == 0) line += std::string(static_cast<std::size_t>(1 + Pick(4)), ' ');
    return line;
  }

  Settings RandomSettings() {
    static const float kScales[] = {1, 2, 25.4f, 1 / 25.4f, -1, 0, 0.5f, -2.5f, 1e-3f, 3e5f, 0.1f, 1e30f};
    static const float kAddends[] = {0, 0, 10, -5, 0.00004f, 1000, -100, 0.5f, 1e-7f};
    Settings s;
    s.XScale = kScales[Pick(std::size(kScales))];
    s.YScale = kScales[Pick(std::size(kScales))];
    s.ZScale = kScales[Pick(std::size(kScales))];
    s.AScale = kScales[Pick(std::size(kScales))];
    s.FeedScale = Pick(4) == 0 ? 0.0f : kScales[Pick(std::size(kScales))];
    s.FeedAdd = kAddends[Pick(std::size(kAddends))];
    s.SpindleRPM = kAddends[Pick(std::size(kAddends))];
    s.XYexchange = Pick(2) == 0;
    // Now and then a conversion of units, as the dialog's buttons set it.
    if (Pick(8) == 0) s.XScale = s.YScale = s.ZScale = Pick(2) == 0 ? 25.4f : static_cast<float>(0.039370078740);
    return s;
  }

 private:
  int Pick(std::size_t n) { return static_cast<int>(random_() % n); }
  std::string Choose(std::initializer_list<const char*> options) {
    return *(options.begin() + Pick(options.size()));
  }
  std::string Digits(int count) {
    std::string digits;
    for (int i = 0; i < count; ++i) digits += static_cast<char>('0' + Pick(10));
    return digits;
  }
  std::string Number() {
    switch (Pick(12)) {
      case 0: return "";
      case 1: return Choose({"-", "+", ".", "--1", "+.", "1.2.3", "-.5", "1-2", "[#1]", "#2", " #<a>", "-[#1*2]"});
      case 2: return Digits(1 + Pick(3)) + Choose({"E", "e", "D", "E-", "E+"}) + Digits(Pick(3));
      case 3: return Digits(1 + Pick(20));
      case 4: return Digits(1 + Pick(3)) + Choose({" ", "\t", " ."}) + Digits(1 + Pick(2));
      case 7: return Choose({" ", "\t", "  ", " -", " +", "- ", " ."}) + Digits(1 + Pick(3)) + Choose({"", " ", "\t"});
      case 5: return "0.0000" + Digits(1 + Pick(3));
      case 6: return Digits(35 + Pick(6));
      // Parts of five to nine digits, about the eight read at once.
      case 8: return (Pick(2) == 0 ? "-" : "") + Digits(Pick(10)) + "." + Digits(5 + Pick(5));
      case 9: return Digits(5 + Pick(5)) + (Pick(2) == 0 ? "." + Digits(Pick(10)) : "");
      default: {
        std::string n = Pick(3) == 0 ? "-" : "";
        n += Digits(Pick(5));
        if (Pick(4) != 0) n += "." + Digits(Pick(6));
        return n;
      }
    }
  }

  std::mt19937_64 random_;
};

// A program in memory, handed out in reads of random short lengths, so that
// the reader's own buffer ends fall anywhere too.
class ProgramFile : public ReadableFile {
 public:
  ProgramFile(const std::string& text, std::uint64_t seed) : text_(text), random_(seed) {}
  std::size_t Read(char* buffer, std::size_t size) override {
    const std::size_t count = std::min({size, text_.size() - position_, 1 + random_() % 97});
    std::copy_n(text_.data() + position_, count, buffer);
    position_ += count;
    return count;
  }
  void Close() override {}

 private:
  const std::string& text_;
  std::size_t position_ = 0;
  std::mt19937_64 random_;
};

class CapturedFile : public WritableFile {
 public:
  explicit CapturedFile(std::string& text) : text_(text) {}
  void Append(std::string_view data) override { text_.append(data); }
  void Close() override {}

 private:
  std::string& text_;
};

// All a conversion shows of itself.
struct ProgramRun {
  TextEnd end;
  std::string output;
  std::string failure;
  std::vector<std::string> notices;
  double fill = 0;
  int repaints = 0;
  std::uint64_t pieces = 0;  // lines that arcs cut into pieces came out as
};

// Lines that set or use the modal states the notices follow from line to
// line, and lines that end a conversion.
const char* const kModalLines[] = {
    "G18", "G19", "g17", "G20", "G21", "G18 G2 X1 Z2 I1 K0", "G3 X1 Y1 I1 J0", "G19 G3 Y1 Z1 J1 K1",
    "G93 G1 X1 F2", "G94", "G96 S200", "G97 S-3", "G53 G0 X0", "G10 L2 P1 X1", "G41 D1 G1 X2", "G1 X1 F-2",
    "G16 X1 Y2", "O100 CALL [1] [2]", "/G2 X1 I1", "(A) G2 X3 I1", "G20 G18 G2 X1 I1",
    // The motions and distance modes that give words their meaning.
    "G84 X1 Y1 Z-2 R1 F100", "G74 Z-1 R2", "G33.1 Z-5 K1.5", "G76 P1.5 Z-10 I-0.5 J0.2 K1", "G5 X1 Y1 I1 J0 P0 Q-1",
    "G5.1 X1 I1 J1", "G91", "G90", "G1 @5 ^30", "X1 Y1 R1 F100", "(A) G18", "#1=5 G19", "G83 Z-1 R1 Q0.5",
    "G81 Z-1 R1", "G2 X1 Y1 R1", "M3 S0", "G0 X1 Y1", "X2 Y2 Q1 P2 K3 F50",
    // Where the tool stands, and arcs whose image is cut into pieces from it.
    "G0 X0 Y0 Z0", "G1 X3 Y-2", "G91 G1 X1", "G2 X3 Y1 I1 J0.5", "G3 X-2 Y0 R1.5", "G91 G3 X2 Y2 I1 J1",
    "G90.1", "G91.1", "G93 G2 X1 Y1 I0.5 J0.5 F3", "G2 X2 Y2 Z-1 I1 J0 P2", "G18 G2 X1 Z1 I0.5 K0.5", "G92 X0",
    "G28", "G54", "O100 IF [1]", "X2 Y-1 I-1 J0", "/G2 X4 Y4 I1 J1", "G7", "G8"};
const char* const kEndingLines[] = {"G1 X1 F0", "f0.0 X2", "X1 F0 (STOP)", "Y1234567890123456789012345678901234567890"};

std::string ProgramText(LineGenerator& generator, std::mt19937_64& random, const Settings& settings) {
  static const char* const kEnds[] = {"\r\n", "\r\n", "\n", "\r", "\r\r\n"};
  std::string text;
  const int lines = 1 + static_cast<int>(random() % 300);
  for (int i = 0; i < lines; ++i) {
    std::string line;
    if (random() % 8 == 0) {
      line = kModalLines[random() % std::size(kModalLines)];
    } else {
      // Mostly lines that convert, so that the conversion goes on.
      do line = generator.Line();
      while (random() % 16 != 0 && testing::ReferenceProcessLine(line, settings).status != RewriteStatus::Done);
    }
    if (random() % 400 == 0) line = kEndingLines[random() % std::size(kEndingLines)];
    text += line;
    if (i + 1 < lines || random() % 4 != 0) text += kEnds[random() % std::size(kEnds)];
  }
  return text;
}

ProgramRun OneLineAtATime(const std::string& program, const Settings& settings, std::uint64_t lines_before) {
  ProgramRun run;
  TextReader reader(std::make_unique<ProgramFile>(program, lines_before));
  ToolpathNotices notices(settings);
  LineProcessor processor(settings, &notices);
  testing::RecordingProgressView view;
  ProgressTracker progress(program.size(), view);
  std::string line;
  // The notices name lines of the output, where an arc cut into pieces
  // takes more than one; an ending names the input's line.
  std::uint64_t output_number = lines_before + 1;
  for (std::uint64_t number = lines_before + 1; !reader.AtEndOfStream(); ++number) {
    reader.ReadLine(line);
    progress.LineRead(line.size());
    const RewriteStatus status = processor.ProcessLine(line, output_number);
    if (status == RewriteStatus::ZeroFeed) {
      run.end = {TextOutcome::ZeroFeed, number, processor.zero_feed_in_program()};
      break;
    }
    if (status != RewriteStatus::Done) {
      run.failure = OutOfRange(number, processor.failed_word()).what();
      break;
    }
    output_number += 1 + processor.extra_lines();
    if (processor.arc_cut()) run.pieces += 1 + processor.extra_lines();
    run.output += line + "\r\n";
    progress.LineWritten();
  }
  run.notices = notices.Notices();
  run.fill = view.fill;
  run.repaints = view.repaints;
  return run;
}

ProgramRun Engine(const std::string& program, const Settings& settings, std::uint64_t lines_before,
                  const EngineOptions& options) {
  ProgramRun run;
  TextReader reader(std::make_unique<ProgramFile>(program, lines_before + 1));
  TextWriter writer(std::make_unique<CapturedFile>(run.output));
  ToolpathNotices notices(settings);
  testing::RecordingProgressView view;
  ProgressTracker progress(program.size(), view);
  try {
    run.end = ProcessText(reader, program.size(), writer, ConversionPlan(settings), progress, &notices, lines_before, options);
  } catch (const Failure& failure) {
    run.failure = failure.what();
  }
  writer.Close();
  run.notices = notices.Notices();
  run.fill = view.fill;
  run.repaints = view.repaints;
  return run;
}

// The first of two texts' lines (ended by LF) that differs, both sides
// shown; nothing where they agree.
// NOLINTNEXTLINE(bugprone-easily-swappable-parameters): a label, then the two texts as compared
std::string FirstLineApart(const std::string& what, const std::string& text, const std::string& expected) {
  std::istringstream a(text);
  std::istringstream b(expected);
  std::string x;
  std::string y;
  for (int line = 1;; ++line) {
    const bool more = static_cast<bool>(std::getline(a, x));
    const bool more_expected = static_cast<bool>(std::getline(b, y));
    if (!more && !more_expected) return "";
    if (x != y || more != more_expected) {
      return what + " line " + std::to_string(line) + ": «" + (more ? x : "(none)") + "», expected «" +
             (more_expected ? y : "(none)") + "»";
    }
  }
}

// Where a run parts from the one expected, or nothing: the first line of
// the output or the notices that differs, or the ending, the failure or the
// bar.
std::string Difference(const ProgramRun& run, const ProgramRun& expected) {
  auto joined = [](const std::vector<std::string>& notices) {
    std::string text;
    for (const std::string& notice : notices) text += notice + "\n";
    return text;
  };
  std::string apart = FirstLineApart("output", run.output, expected.output);
  if (apart.empty()) apart = FirstLineApart("notice", joined(run.notices), joined(expected.notices));
  if (!apart.empty()) return apart;
  auto ending = [](const ProgramRun& r) {
    return "outcome " + std::to_string(static_cast<int>(r.end.outcome)) + " at line " + std::to_string(r.end.line) +
           (r.end.zero_in_program ? " (zero in the program)" : "") + ", failure «" + r.failure + "»";
  };
  if (ending(run) != ending(expected)) return ending(run) + ", expected " + ending(expected);
  if (run.fill != expected.fill) {
    std::ostringstream out;
    out << std::setprecision(17) << "fill " << run.fill << ", expected " << expected.fill;
    return out.str();
  }
  const bool finished = run.failure.empty() && run.end.outcome == TextOutcome::Finished;
  if (finished && run.repaints != expected.repaints) {
    return std::to_string(run.repaints) + " repaints, expected " + std::to_string(expected.repaints);
  }
  return "";
}

TEST(LineTransform, AgreesWithThePlainRulesOnAMillionLines) {
  LineGenerator generator(20261207);
  constexpr int kSettings = 1000;
  constexpr int kLinesEach = 1000;
  long compared = 0;
  long cut = 0;
  for (int s = 0; s < kSettings; ++s) {
    const Settings settings = generator.RandomSettings();
    LineProcessor processor(settings);
    testing::ReferenceModes modes;  // the plane and motion mode run from line to line
    for (int i = 0; i < kLinesEach; ++i) {
      const std::string input = generator.Line();
      const testing::ReferenceLine expected = testing::ReferenceProcessLine(input, settings, modes);
      std::string line = input;
      const RewriteStatus status = processor.ProcessLine(line);
      ASSERT_EQ(status, expected.status) << "line «" << input << "» settings #" << s;
      // An arc cut into pieces is held to its image elsewhere.
      if (processor.arc_cut()) {
        ++cut;
        continue;
      }
      ++compared;
      if (status == RewriteStatus::Done) {
        ASSERT_EQ(line, expected.line) << "line «" << input << "» settings #" << s << " X" << settings.XScale
                                       << " Y" << settings.YScale << " Z" << settings.ZScale << " A"
                                       << settings.AScale << " F" << settings.FeedScale << "+"
                                       << settings.FeedAdd << " S+" << settings.SpindleRPM << " exchange "
                                       << settings.XYexchange;
      }
    }
  }
  EXPECT_EQ(compared + cut, 1000000);
  EXPECT_GT(compared, 990000) << cut << " arcs cut";
}

// Chunks of a line or a few bytes put boundaries everywhere: inside CR LF,
// right before a zero feed or a number out of range, between a plane change
// and the arcs that follow it. Whatever the chunking and the threads, the
// bytes, the outcome, the notices and the bar come out as line by line.
TEST(ChunkedConversion, AgreesWithOneLineAtATime) {
  LineGenerator generator(7122026);
  std::mt19937_64 random(2026);
  static const std::size_t kChunkBytes[] = {1, 2, 3, 7, 16, 40, 100, 1000, 256 * 1024};
  int ended_early = 0;
  std::uint64_t pieces = 0;  // lines the arcs cut into pieces took
  for (int program = 0; program < 400; ++program) {
    Settings settings = generator.RandomSettings();
    if (random() % 3 == 0) {
      // A calibration or a stretch: arcs come out as pieces.
      settings.XScale = random() % 2 == 0 ? 1.002f : 2;
      settings.YScale = random() % 2 == 0 ? 0.998f : 3;
    }
    const std::string text = ProgramText(generator, random, settings);
    const std::uint64_t lines_before = random() % 3;
    const ProgramRun expected = OneLineAtATime(text, settings, lines_before);
    pieces += expected.pieces;
    if (expected.end.outcome != TextOutcome::Finished || !expected.failure.empty()) ++ended_early;
    EngineOptions options;
    options.chunk_bytes = kChunkBytes[random() % std::size(kChunkBytes)];
    options.workers = 1 + static_cast<unsigned>(random() % 3);
    // Threads start for an input of `parallel_from` bytes or more; now and
    // then the calling thread converts alone, chunk by chunk.
    const std::uint64_t kFrom[] = {0, text.size(), text.size() + 1, std::numeric_limits<std::uint64_t>::max()};
    options.parallel_from = kFrom[random() % std::size(kFrom)];
    // Now and then the system gives fewer threads than asked for, or none.
    const unsigned granted =
        random() % 4 == 0 ? static_cast<unsigned>(random() % (options.workers + 1)) : options.workers;
    auto asked = std::make_shared<unsigned>(0);
    options.start_thread = [granted, asked](std::function<void()> work) {
      if ((*asked)++ >= granted) {
        throw std::system_error(std::make_error_code(std::errc::resource_unavailable_try_again));
      }
      return std::thread(std::move(work));
    };
    const ProgramRun run = Engine(text, settings, lines_before, options);
    SCOPED_TRACE("program #" + std::to_string(program) + ", chunks of " + std::to_string(options.chunk_bytes) +
                 " bytes, " + std::to_string(options.workers) + " workers");
    ASSERT_EQ(*asked > 0, text.size() >= options.parallel_from);
    ASSERT_EQ(Difference(run, expected), "");
  }
  EXPECT_GT(pieces, 1000u);
  // Both endings were met often enough to count.
  EXPECT_GT(ended_early, 20);
  EXPECT_LT(ended_early, 300);
}

// A chunk whose first line is an arc from where the chunk before left the
// tool: the writer converts again only the lines up to that arc, which come
// out as more pieces than the worker made, and the lines after it, in this
// chunk (a word with no number) and the next (a negative feed), are told
// of by their numbers in the output. The files give at most 97 bytes a
// read, so lines longer than that end the chunks where they are wanted.
TEST(ChunkedConversion, ArcFromTheChunkBeforeMovesTheLinesAfterIt) {
  Settings settings;
  AssignDefaults(settings);
  settings.XScale = 1.002f;
  settings.YScale = 0.998f;
  settings.SpindleRPM = 100;
  const auto comment = [](std::size_t length) { return " (" + std::string(length, '.') + ")"; };
  const std::string first = "G21 G90 G17 G0 X10 Y0 Z0" + comment(150) + "\r\n";
  const std::string arc = "G3 X0 Y10 I-10 J0" + comment(100) + "\r\n";
  const struct {
    std::string text;
    std::size_t notices;
  } kPrograms[] = {
      {first + arc + "G1 X- Y1 F100\r\nG1 X5 Y2\r\n" + comment(160) + "\r\n" +  // the second chunk
           "G1 X6 Y3 F-5" + comment(100) + "\r\nG1 X7 Y4\r\n",                  // the third
       2},
      // The second chunk turns constant surface speed on, which the third
      // was watched without: its S word after the arc is heard all the same.
      {first + "G96 S100" + comment(150) + "\r\n" + arc + "G1 X5 Y2 S200\r\n", 1},
  };
  for (const auto& program : kPrograms) {
    SCOPED_TRACE(program.text);
    const ProgramRun expected = OneLineAtATime(program.text, settings, 0);
    ASSERT_GT(expected.pieces, 1u);
    ASSERT_EQ(expected.notices.size(), program.notices);
    EngineOptions options;
    options.chunk_bytes = 150;
    options.workers = 2;
    options.parallel_from = 0;
    EXPECT_EQ(Difference(Engine(program.text, settings, 0, options), expected), "");
  }
}

}  // namespace
}  // namespace kivrel
