// Writes a deterministic milling program of about the given size:
//   kivrel_generate SIZE_BYTES OUTPUT [SEED [plain|arcs]]
// Rapid moves and cuts with X, Y, Z and F words, arcs with I and J, spindle
// words, comment lines and trailing comments, block-delete lines and a few
// lower-case lines, CR LF ended, like the surfacing programs CAM systems emit.
// "plain" leaves out the block-delete lines, and names inches (G20) where
// the other names millimetres (G21), so that a conversion with scales of
// 25.4 raises no toolpath notice: it turns G20 into G21. "arcs" leaves out
// the block-delete lines too, and starts each arc where the tool stands and
// ends it on its circle, as an interpreter accepts it: the program a
// calibration's unequal scales cut into pieces.
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

class Random {
 public:
  explicit Random(std::uint64_t seed) : state_(seed * 0x9E3779B97F4A7C15ull + 1) {}
  std::uint64_t Next() {  // xorshift64*
    state_ ^= state_ >> 12;
    state_ ^= state_ << 25;
    state_ ^= state_ >> 27;
    return state_ * 0x2545F4914F6CDD1Dull;
  }
  int Below(int n) { return static_cast<int>(Next() % static_cast<std::uint64_t>(n)); }
  // A value in [low, high] with the given number of decimals.
  double Value(double low, double high, int decimals) {
    int scale = 1;
    for (int i = 0; i < decimals; ++i) scale *= 10;
    const long steps = static_cast<long>((high - low) * scale);
    return low + static_cast<double>(static_cast<long>(Next() % static_cast<std::uint64_t>(steps + 1))) / scale;
  }

 private:
  std::uint64_t state_;
};

void Word(std::string& line, char letter, double value, int decimals) {
  char text[48];
  auto end = std::to_chars(text, text + sizeof(text), value, std::chars_format::fixed, decimals).ptr;
  line += ' ';
  line += letter;
  line.append(text, end);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: %s SIZE_BYTES OUTPUT [SEED]\n", argv[0]);
    return 2;
  }
  const std::uint64_t size = std::strtoull(argv[1], nullptr, 10);
  std::FILE* out = std::fopen(argv[2], "wb");
  if (out == nullptr) {
    std::perror(argv[2]);
    return 1;
  }
  Random random(argc > 3 ? std::strtoull(argv[3], nullptr, 10) : 1);
  const std::string mode = argc > 4 ? argv[4] : "";
  const bool plain = mode == "plain";
  const bool arcs = mode == "arcs";
  double x = 0;  // where the tool stands, in the arcs' program
  double y = 0;
  std::string line;
  std::uint64_t written = 0;
  long number = 0;
  double z = 0;
  for (const char* head : {"%", "(SURFACING, GENERATED)", plain ? "G20 G90 G17" : "G21 G90 G17", "T1 M06", "M03 S12000"}) {
    written += std::fprintf(out, "%s\r\n", head);
  }
  while (written < size) {
    line.clear();
    const int kind = random.Below(100);
    number += 10;
    if (kind < 4) {
      line = "(PASS " + std::to_string(number) + " DEPTH CHANGE)";
    } else if (kind < 6 && !plain && !arcs) {
      line = "/M00";
      Word(line, 'X', random.Value(-200, 200, 3), 3);
    } else if (kind < 8) {
      line = "M03";
      Word(line, 'S', random.Value(8000, 24000, 0), 0);
    } else if (kind < 14) {
      line = "G00";
      x = random.Value(-200, 200, 3);
      y = random.Value(-200, 200, 3);
      Word(line, 'X', x, 3);
      Word(line, 'Y', y, 3);
      z = random.Value(-20, 5, 3);
      Word(line, 'Z', z, 3);
    } else if (kind < 30) {
      const bool clockwise = random.Below(2) == 0;
      line = clockwise ? "G02" : "G03";
      if (arcs) {
        // Up to half a turn around the centre, from where the tool stands.
        const double i = random.Value(-10, 10, 4);
        const double j = random.Value(-10, 10, 4);
        const double turn = random.Value(0.05, 3.14, 2) * (clockwise ? -1 : 1);
        const double from = std::atan2(-j, -i);
        const double radius = std::hypot(i, j);
        x = std::round((x + i + radius * std::cos(from + turn)) * 1e4) / 1e4;
        y = std::round((y + j + radius * std::sin(from + turn)) * 1e4) / 1e4;
        Word(line, 'X', x, 4);
        Word(line, 'Y', y, 4);
        Word(line, 'I', i, 4);
        Word(line, 'J', j, 4);
      } else {
        Word(line, 'X', random.Value(-200, 200, 4), 4);
        Word(line, 'Y', random.Value(-200, 200, 4), 4);
        Word(line, 'I', random.Value(-10, 10, 4), 4);
        Word(line, 'J', random.Value(-10, 10, 4), 4);
      }
      if (random.Below(3) == 0) Word(line, 'F', random.Value(100, 2000, 0), 0);
    } else {
      line = "G01";
      x = random.Value(-200, 200, 4);
      y = random.Value(-200, 200, 4);
      Word(line, 'X', x, 4);
      Word(line, 'Y', y, 4);
      if (random.Below(4) == 0) Word(line, 'Z', random.Value(-20, 5, 4), 4);
      if (random.Below(2) == 0) Word(line, 'F', random.Value(100, 2000, 1), 1);
      if (random.Below(10) == 0) line += " (FINISH)";
    }
    if (random.Below(50) == 0) {
      for (char& c : line) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
      }
    }
    line += "\r\n";
    std::fwrite(line.data(), 1, line.size(), out);
    written += line.size();
  }
  std::fputs("M05\r\nM30\r\n%\r\n", out);
  return std::fclose(out) == 0 ? 0 : 1;
}
