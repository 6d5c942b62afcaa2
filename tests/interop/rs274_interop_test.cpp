// kivrel-filter's output through LinuxCNC's own interpreter (rs274): the
// converted programs are accepted, and every straight and arc move ends
// where the input's does, scaled (or exchanged) as the settings say.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
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

INSTANTIATE_TEST_SUITE_P(Programs, Rs274Interop,
                         ::testing::Values("moves.ngc", "arcs.ngc", "comments.ngc", "percent.ngc", "blanks.ngc"),
                         [](const auto& test) { return test.param.substr(0, test.param.find('.')); });

}  // namespace
}  // namespace kivrel::testing
