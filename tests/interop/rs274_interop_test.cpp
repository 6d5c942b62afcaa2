// kivrel-filter's output through LinuxCNC's own interpreter (rs274): the
// converted programs are accepted, and every straight and arc move ends
// where the input's does, scaled (or exchanged) as the settings say.
#include <gtest/gtest.h>

#include <cmath>
#include <algorithm>
#include <filesystem>
#include <iostream>
#include <sstream>

#include "e2e/program_folder.h"

namespace kivrel::testing {
namespace {

constexpr const char* kInterpreter = "/usr/bin/rs274";

struct Move {
  std::string kind;            // STRAIGHT_TRAVERSE, STRAIGHT_FEED or ARC_FEED
  std::vector<double> values;  // as the interpreter prints them
};

// The canonical moves of a program, after checking that the interpreter
// took every line.
std::vector<Move> Interpret(const std::string& file) {
  const ProgramRun run = RunProgramAt(kInterpreter, {"-g", file}, std::filesystem::path(file).parent_path().string());
  EXPECT_EQ(run.status, 0) << run.output << run.errors;
  std::vector<Move> moves;
  std::istringstream lines(run.output);
  std::string line;
  while (std::getline(lines, line)) {
    if (line == "executing") continue;
    // Every other line is a canonical command: "   12 N..... NAME(arguments)".
    const std::size_t marker = line.find(" N..... ");
    const std::size_t open = line.find('(');
    if (marker == std::string::npos || open == std::string::npos || line.back() != ')') {
      ADD_FAILURE() << file << ": the interpreter reported «" << line << "»";
      continue;
    }
    const std::string kind = line.substr(marker + 8, open - marker - 8);
    if (kind != "STRAIGHT_TRAVERSE" && kind != "STRAIGHT_FEED" && kind != "ARC_FEED") continue;
    Move move{kind, {}};
    std::stringstream arguments(line.substr(open + 1, line.size() - open - 2));
    std::string value;
    while (std::getline(arguments, value, ',')) move.values.push_back(std::stod(value));
    moves.push_back(move);
  }
  return moves;
}

// Where a move of the input must end up after scaling X and Y by 2 (Z by 1),
// and exchanging X and Y on request.
Move Expected(const Move& input, bool exchange) {
  Move out = input;
  auto swap_scaled = [&](std::size_t x, std::size_t y) {
    out.values[x] = 2 * input.values[exchange ? y : x];
    out.values[y] = 2 * input.values[exchange ? x : y];
  };
  swap_scaled(0, 1);                                   // end point X, Y
  if (input.kind == "ARC_FEED") swap_scaled(2, 3);     // centre X, Y
  return out;
}

class Rs274Interop : public ::testing::TestWithParam<std::string> {};

TEST_P(Rs274Interop, ConvertedProgramMovesAsTheSettingsSay) {
  ASSERT_TRUE(std::filesystem::exists(kInterpreter)) << "rs274 missing: scripts/install-deps.sh installs linuxcnc-uspace";
  ProgramFolder program;
  const std::string name = GetParam();
  std::filesystem::copy_file(std::string(KIVREL_INTEROP_PROGRAMS) + "/" + name, program.Job(name));
  const std::vector<Move> original = Interpret(program.Job(name));
  ASSERT_GE(original.size(), 4u);

  for (bool exchange : {false, true}) {
    SCOPED_TRACE(exchange ? "exchange on" : "exchange off");
    program.Settings({"2", "2", "1", "1", "1", exchange ? "True" : "False", "0", "0.", "EOF"});
    const ProgramRun filtered = program.Filter({program.Job(name)});
    ASSERT_EQ(filtered.status, 0) << filtered.errors;
    const std::string converted = program.Job("converted.ngc");
    WriteFile(converted, filtered.output);
    const std::vector<Move> moves = Interpret(converted);
    ASSERT_EQ(moves.size(), original.size());
    for (std::size_t i = 0; i < moves.size(); ++i) {
      const Move expected = Expected(original[i], exchange);
      EXPECT_EQ(moves[i].kind, expected.kind) << "move " << i;
      ASSERT_EQ(moves[i].values.size(), expected.values.size());
      for (std::size_t v = 0; v < expected.values.size(); ++v) {
        EXPECT_NEAR(moves[i].values[v], expected.values[v], 0.00005) << "move " << i << " value " << v;
      }
    }
  }
}

// Where a move of a sample must end up with X, Y and Z scaled by 2: every
// length the interpreter reports doubled (end points, arc centres, the
// helix's axis end), rotations and the A, B, C angles as they were.
Move Doubled(const Move& input) {
  Move out = input;
  if (input.kind != "STRAIGHT_TRAVERSE" && input.kind != "STRAIGHT_FEED" && input.kind != "ARC_FEED") return out;
  const std::size_t lengths = input.kind == "ARC_FEED" ? 4 : 3;
  for (std::size_t v = 0; v < lengths && v < out.values.size(); ++v) out.values[v] *= 2;
  if (input.kind == "ARC_FEED" && out.values.size() > 5) out.values[5] *= 2;  // the axis end point
  return out;
}

// Feeds doubled and raised by 5, spindle speeds raised by 100. The feed of
// 0 that the interpreter sets itself when a program ends is no word.
Move FasterFeedsAndSpindle(const Move& input) {
  Move out = input;
  if (input.kind == "SET_FEED_RATE" && out.values[0] != 0) out.values[0] = out.values[0] * 2 + 5;
  if (input.kind == "SET_SPINDLE_SPEED") out.values.back() += 100;
  return out;
}

bool SameMoves(const std::vector<Move>& a, const std::vector<Move>& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (a[i].kind != b[i].kind || a[i].values.size() != b[i].values.size()) return false;
    for (std::size_t v = 0; v < a[i].values.size(); ++v) {
      if (std::fabs(a[i].values[v] - b[i].values[v]) > 2e-4 + 1e-6 * std::fabs(b[i].values[v])) return false;
    }
  }
  return true;
}

// What the interpreter made of a program: its moves, a refusal, or no
// answer in time. A loaded machine may slow it down, but must not make a
// refusal of it.
struct Interpretation {
  enum Outcome { kRead, kRefused, kTimedOut } outcome = kRefused;
  std::vector<Move> moves;
};

Interpretation TryInterpret(const std::string& file, const std::string& tool_table) {
  Interpretation result;
  ProgramRun run;
  // timeout(1) exits 124 when the limit ran out; then once more with a
  // longer one.
  for (const char* seconds : {"20", "180"}) {
    run = RunProgramAt("/usr/bin/timeout", {seconds, kInterpreter, "-t", tool_table, "-g", file},
                       std::filesystem::path(file).parent_path().string());
    if (run.status != 124) break;
  }
  if (run.status == 124) result.outcome = Interpretation::kTimedOut;
  if (run.status != 0) return result;
  result.outcome = Interpretation::kRead;
  std::vector<Move>& moves = result.moves;
  std::istringstream lines(run.output);
  std::string line;
  while (std::getline(lines, line)) {
    const std::size_t marker = line.find(" N..... ");
    const std::size_t open = line.find('(');
    if (marker == std::string::npos || open == std::string::npos) continue;
    const std::string kind = line.substr(marker + 8, open - marker - 8);
    if (kind != "STRAIGHT_TRAVERSE" && kind != "STRAIGHT_FEED" && kind != "ARC_FEED" && kind != "SET_FEED_RATE" &&
        kind != "SET_SPINDLE_SPEED") {
      continue;
    }
    Move move{kind, {}};
    std::stringstream arguments(line.substr(open + 1, line.rfind(')') - open - 1));
    std::string value;
    while (std::getline(arguments, value, ',')) move.values.push_back(std::stod(value));
    moves.push_back(move);
  }
  return result;
}

// Settings to convert every sample with, and where they must take its moves,
// feeds and spindle speeds.
struct SampleSettings {
  const char* name;
  std::vector<std::string> settings;
  Move (*expected)(const Move&);
  bool rates_only;  // compare the feed rates and spindle speeds alone
};

// The feed rates and spindle speeds among `moves`.
std::vector<Move> Rates(const std::vector<Move>& moves) {
  std::vector<Move> rates;
  for (const Move& move : moves) {
    if (move.kind == "SET_FEED_RATE" || move.kind == "SET_SPINDLE_SPEED") rates.push_back(move);
  }
  return rates;
}

class Rs274Samples : public ::testing::TestWithParam<SampleSettings> {};

// Every .ngc sample that LinuxCNC ships and its interpreter reads, converted
// under each of the settings: the interpreter moves the converted program
// exactly as the settings say, or kivrel-filter said why it could not.
TEST_P(Rs274Samples, EverySampleConvertsExactlyOrWithANotice) {
  std::vector<std::filesystem::path> samples;
  for (const char* root : {"/usr/share/linuxcnc", "/usr/share/doc/linuxcnc", "/usr/share/axis"}) {
    std::error_code ec;
    for (std::filesystem::recursive_directory_iterator entry(root, ec), end; !ec && entry != end; entry.increment(ec)) {
      if (entry->path().extension() == ".ngc") samples.push_back(entry->path());
    }
  }
  std::sort(samples.begin(), samples.end());
  ASSERT_GT(samples.size(), 100u) << "LinuxCNC's samples are missing: scripts/install-deps.sh installs linuxcnc-uspace";
  ProgramFolder program;
  program.Settings(GetParam().settings);
  // Tools of no size: cutter compensation and length offsets, which follow
  // the real tool and rightly do not scale, then add nothing to the moves.
  const std::string tools = program.Path("zero.tbl");
  std::string table;
  for (int tool = 0; tool < 100; ++tool) table += "T" + std::to_string(tool) + " P" + std::to_string(tool) + " D0 Z0\n";
  WriteFile(tools, table);
  int read = 0;
  int exact = 0;
  int noticed = 0;
  int other = 0;
  int timed_out = 0;
  for (const std::filesystem::path& sample : samples) {
    // A copy of its own, so that the original and the converted program
    // find the same files around them.
    const std::string original = program.Job(sample.filename().string());
    std::filesystem::copy_file(sample, original, std::filesystem::copy_options::overwrite_existing);
    const Interpretation before = TryInterpret(original, tools);
    if (before.outcome == Interpretation::kTimedOut) {
      ++timed_out;
      std::cout << "[ timed out] " << sample.filename().string() << ": the interpreter gave no answer in time\n";
    }
    if (before.outcome != Interpretation::kRead) continue;
    ++read;
    const ProgramRun filtered = program.Filter({original});
    const bool notice = filtered.errors.find("Kivrel: warning: ") != std::string::npos;
    if (filtered.status != 0) {
      ADD_FAILURE() << sample << ": the filter ended with status " << filtered.status << ": " << filtered.errors;
      ++other;
      continue;
    }
    const std::string converted = program.Job("converted-" + sample.filename().string());
    WriteFile(converted, filtered.output);
    const Interpretation after = TryInterpret(converted, tools);
    std::vector<Move> expected;
    for (const Move& move : before.moves) expected.push_back(GetParam().expected(move));
    const bool rates_only = GetParam().rates_only;
    const bool read_after = after.outcome == Interpretation::kRead;
    if (after.outcome == Interpretation::kTimedOut) {
      ++timed_out;
      std::cout << "[ timed out] converted " << sample.filename().string() << ": not judged\n";
    } else if (read_after && SameMoves(rates_only ? Rates(after.moves) : after.moves,
                                       rates_only ? Rates(expected) : expected)) {
      ++exact;
    } else if (notice) {
      ++noticed;
      const std::size_t at = filtered.errors.find("Kivrel: warning: ");
      std::cout << "[ noticed  ] " << sample.filename().string() << ": "
                << filtered.errors.substr(at + 17, filtered.errors.find('\n', at) - at - 17) << "\n";
    } else {
      ADD_FAILURE() << sample << (read_after ? ": moves differently" : ": the interpreter rejects the converted program")
                    << ", and no notice said why";
      ++other;
    }
  }
  std::cout << "[ samples  ] " << read << " read by rs274: " << exact << " exact, " << noticed << " noticed, "
            << other << " other, " << timed_out << " timed out\n";
  EXPECT_GT(read, 100);
  EXPECT_EQ(other, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Settings, Rs274Samples,
    // With scales of 1 the moves stay; only their rates are judged, since a
    // number of more than four decimals is written rounded to four whatever
    // the settings (arcspiral.ngc's radius arcs then find their centres a
    // few ten-thousandths away).
    ::testing::Values(SampleSettings{"scales", {"2", "2", "2", "1", "1", "False", "0", "0.", "EOF"}, Doubled, false},
                      SampleSettings{"feeds", {"1", "1", "1", "1", "2", "False", "5", "100.", "EOF"},
                                     FasterFeedsAndSpindle, true}),
    [](const auto& test) { return std::string(test.param.name); });

INSTANTIATE_TEST_SUITE_P(Programs, Rs274Interop,
                         ::testing::Values("moves.ngc", "arcs.ngc", "comments.ngc", "percent.ngc", "blanks.ngc"),
                         [](const auto& test) { return test.param.substr(0, test.param.find('.')); });

}  // namespace
}  // namespace kivrel::testing
