#pragma once

// The texts the program writes, as the tests expect them: the parameter file
// of the default settings, the comment block that opens an output, the
// result file; and the default settings as a parameter file's lines.
#include <string>
#include <vector>

namespace kivrel::testing {

// The parameter file the default settings are saved as.
inline constexpr const char* kDefaultPrm =
    "1.0000000000\r\n1.0000000000\r\n1.0000000000\r\n1.0000000000\r\n1.0000000000\r\n"
    "False\r\n0.0000000000\r\n0.\r\nFalse\r\nEOF\r\n";

// The default settings as the lines of a parameter file, as they are written
// by hand (ProgramFolder::Settings).
inline const std::vector<std::string> kDefaultSettings = {"1", "1", "1", "1", "1", "False", "0", "0.", "EOF"};

// A parameter file of these lines, each ended by CR LF.
inline std::string PrmText(const std::vector<std::string>& lines) {
  std::string text;
  for (const auto& line : lines) text += line + "\r\n";
  return text;
}

// The values of a comment block, as written there; each left out is the
// default's.
struct Block {
  const char* y = "1.0000000";
  const char* x = "1.0000000";
  const char* z = "1.0000000";
  const char* a = "1.0000000";
  const char* feed = "1.0000000";
  bool exchange = false;
  const char* feed_add = "0.0000000";
  const char* rpm = "0.";
  const char* end = "\r\n";  // the line end: setup mode prints the block with "\n"
};

// The comment block that opens an output.
inline std::string CommentBlock(const Block& b = {}) {
  const std::string end = b.end;
  return "(Kivrel Version 4.0.1)" + end + "(YScale:" + b.y + " )" + end + "(XScale:" + b.x + " )" + end +
         "(ZScale:" + b.z + " )" + end + "(AScale:" + b.a + " )" + end + "(FeedScale:" + b.feed + " )" + end +
         "(XYexchange:" + (b.exchange ? "ON" : "OFF") + " )" + end + "(FeedAdd:" + b.feed_add + " )" + end +
         "(SpindleRPM:" + b.rpm + " )" + end;
}

inline constexpr const char* kFinished = "(Finished Kivrel)";

// A whole output: the block, the converted `lines`, the closing comment.
inline std::string Output(const std::string& lines, const Block& block = {}) {
  return CommentBlock(block) + lines + kFinished;
}

// The result file of a start that ended with `status`, naming `output`.
inline std::string ResultText(const std::string& output, int status = 0) {
  return "kivrel.pre\r\nversion:4\r\n" + output + "\r\n" + std::to_string(status) + "\r\n\r\n";
}
// The result file of a setup start, and of a start a zero feed stopped.
inline constexpr const char* kSetupResult = "kivrel.pre\r\nversion:4\r\n0\r\n\r\n";
inline constexpr const char* kZeroFeedResult = "kivrel.pre\r\nversion:4\r\n\r\n2\r\nFAILED DUE TO ZERO FEEDRATE\r\n";

}  // namespace kivrel::testing
