// The fast line transform against the plain reference, over a million
// generated lines with random settings.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "support/reference_transform.h"
#include "transform/process_line.h"

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
    const int words = 1 + Pick(7);
    for (int w = 0; w < words; ++w) {
      if (Pick(3) != 0 || w > 0) line += Choose({" ", " ", " ", "", "  ", "\t"});
      const int kind = Pick(40);
      if (kind == 0) {
        line += Choose({"(CUT X)", "(a", "%", "/", "#1", ";FAST", "M20ADDITION", "m20addition", "TEMP",
                        "__TEMP1__", "--TEMP2--", "__temp4__", "--TEMP3--", "te", "mp", "\xc3\xa4",
                        "[#1+x2/3]", "[FIX[#2]]", "#<xpos>", "##3", "#[1+y]", "@5", "^30", "[open x", "# note",
                        "#<m20addition>", "#<__temp1__>", "#", "]"});
        continue;
      }
      line += Choose({"X", "Y", "Z", "I", "J", "K", "A", "F", "S", "x", "y", "f", "s", "G", "M", "N",
                      "R", "E", "D", "P", "T", "H"});
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

TEST(LineTransform, AgreesWithThePlainRulesOnAMillionLines) {
  LineGenerator generator(20261207);
  constexpr int kSettings = 1000;
  constexpr int kLinesEach = 1000;
  long compared = 0;
  for (int s = 0; s < kSettings; ++s) {
    const Settings settings = generator.RandomSettings();
    LineProcessor processor(settings);
    for (int i = 0; i < kLinesEach; ++i) {
      const std::string input = generator.Line();
      const testing::ReferenceLine expected = testing::ReferenceProcessLine(input, settings);
      std::string line = input;
      const RewriteStatus status = processor.ProcessLine(line);
      ++compared;
      ASSERT_EQ(status, expected.status) << "line «" << input << "» settings #" << s;
      if (status == RewriteStatus::Done) {
        ASSERT_EQ(line, expected.line) << "line «" << input << "» settings #" << s << " X" << settings.XScale
                                       << " Y" << settings.YScale << " Z" << settings.ZScale << " A"
                                       << settings.AScale << " F" << settings.FeedScale << "+"
                                       << settings.FeedAdd << " S+" << settings.SpindleRPM << " exchange "
                                       << settings.XYexchange;
      }
    }
  }
  EXPECT_EQ(compared, 1000000);
}

}  // namespace
}  // namespace kivrel
