#include "support/reference_transform.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstring>
#include <map>
#include <optional>
#include <string_view>
#include <vector>

#include "settings/unit_factors.h"
#include "support/reference_numbers.h"

namespace kivrel::testing {
namespace {

std::string ReplaceAll(std::string text, const std::string& from, const std::string& to) {
  std::string result;
  std::size_t done = 0;
  for (std::size_t found = text.find(from); found != std::string::npos; found = text.find(from, done)) {
    result += text.substr(done, found - done) + to;
    done = found + from.size();
  }
  return result + text.substr(done);
}

std::string Trim(const std::string& text) {
  const std::size_t first = text.find_first_not_of(' ');
  if (first == std::string::npos) return "";
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

bool IsBlankChar(char c) { return c == ' ' || c == '\t'; }
bool IsLetterChar(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

std::string UpperCase(std::string text) {
  for (char& c : text) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return text;
}

std::size_t BracketEnd(const std::string& line, std::size_t at) {
  int depth = 0;
  for (std::size_t i = at; i < line.size(); ++i) {
    if (line[i] == '[') ++depth;
    if (line[i] == ']' && --depth == 0) return i + 1;
  }
  return line.size();
}

bool StartsParameter(const std::string& line, std::size_t at) {
  return line[at] == '#' && at + 1 < line.size() &&
         (IsDigitChar(line[at + 1]) || line[at + 1] == '<' || line[at + 1] == '[' || line[at + 1] == '#');
}

// "#" and what names the parameter: digits, "<name>", or a reference or an
// expression.
std::size_t ParameterEnd(const std::string& line, std::size_t at) {
  const std::size_t next = at + 1;
  if (next >= line.size()) return line.size();
  if (line[next] == '#') return ParameterEnd(line, next);
  if (line[next] == '[') return BracketEnd(line, next);
  if (line[next] == '<') {
    const std::size_t close = line.find('>', next);
    return close == std::string::npos ? line.size() : close + 1;
  }
  std::size_t end = next;
  while (end < line.size() && IsDigitChar(line[end])) ++end;
  return end;
}

// "(" at `at` opens a comment the controller acts on: MSG, PRINT or DEBUG
// with a comma, or LOG or PROBE, in any case, after blanks.
bool IsActiveComment(const std::string& line, std::size_t at) {
  std::size_t i = at + 1;
  while (i < line.size() && IsBlankChar(line[i])) ++i;
  const std::string rest = UpperCase(line.substr(i, 6));
  for (const char* key : {"MSG,", "PRINT,", "DEBUG,", "LOG", "PROBE"}) {
    if (rest.compare(0, std::strlen(key), key) == 0) return true;
  }
  return false;
}

// Which characters before the comment are protected (expressions and
// parameters), which belong to closed comments, which keep their bytes
// (active comments and a remark), and where the comment starts (the size
// without one).
struct Protection {
  std::vector<bool> inside;
  std::size_t comment;
  std::vector<bool> in_comment;  // the text of a closed "(...)" comment before the comment start
  std::vector<bool> kept;        // active comments, and a remark or active comment to the end
  bool Word(std::size_t at) const { return at < comment && !inside[at] && !in_comment[at]; }
};

Protection Protect(const std::string& line) {
  const std::size_t n = line.size();
  Protection protection{std::vector<bool>(n, false), n, std::vector<bool>(n, false), std::vector<bool>(n, false)};
  for (std::size_t at = 0; at < n;) {
    const char c = line[at];
    if (c == '[' || StartsParameter(line, at)) {
      const std::size_t end = c == '[' ? BracketEnd(line, at) : ParameterEnd(line, at);
      for (std::size_t k = at; k < end; ++k) protection.inside[k] = true;
      at = end;
    } else if (c == '(' && line.find(')', at) != std::string::npos) {
      const std::size_t close = line.find(')', at);
      for (std::size_t k = at; k <= close; ++k) {
        protection.in_comment[k] = true;
        protection.kept[k] = IsActiveComment(line, at);
      }
      at = close + 1;
    } else if (c == '(' || c == '/' || c == '%' || c == '#' || c == ';') {
      protection.comment = at;
      if (c == ';' || (c == '(' && IsActiveComment(line, at))) {
        for (std::size_t k = at; k < n; ++k) protection.kept[k] = true;
      }
      break;
    } else {
      ++at;
    }
  }
  return protection;
}

std::string Exchange(const std::string& text) {
  std::string work = text;
  work = ReplaceAll(work, "X", "--TEMP2--");
  work = ReplaceAll(work, "Y", "__TEMP1__");
  work = ReplaceAll(work, "__TEMP1__", "X");
  work = ReplaceAll(work, "--TEMP2--", "Y");
  work = ReplaceAll(work, "I", "--TEMP3--");
  work = ReplaceAll(work, "J", "__TEMP4__");
  work = ReplaceAll(work, "__TEMP4__", "I");
  work = ReplaceAll(work, "--TEMP3--", "J");
  return work;
}

// The number after a code's letter at `at`, read as the interpreter reads
// it: blanks anywhere count for nothing, a plus sign may lead.
struct Code {
  std::string whole;     // without leading zeros
  std::string decimals;  // as written, blanks left out
  bool found = false;
  std::size_t last = 0;  // the whole number's last digit
};
Code ReadCode(const std::string& text, std::size_t at) {
  Code code;
  std::size_t i = at;
  auto skip = [&] {
    while (i < text.size() && IsBlankChar(text[i])) ++i;
  };
  skip();
  if (i < text.size() && text[i] == '+') ++i;
  std::string digits;
  for (skip(); i < text.size() && IsDigitChar(text[i]); skip()) {
    code.last = i;
    digits += text[i++];
  }
  if (digits.empty()) return code;
  code.found = true;
  code.whole = WithoutLeadingZeros(digits);
  if (i < text.size() && text[i] == '.') {
    ++i;
    for (skip(); i < text.size() && IsDigitChar(text[i]); skip()) code.decimals += text[i++];
  }
  return code;
}

bool AllZeros(const std::string& digits) { return digits.find_first_not_of('0') == std::string::npos; }

// A code read: its whole number and its tenth ("41" and 1 for G41.1), or
// none where more decimals than a tenth are not 0.
bool Is(const Code& code, const char* whole, int tenth = 0) {
  if (!code.found || code.whole != whole) return false;
  const int first = code.decimals.empty() ? 0 : code.decimals[0] - '0';
  return first == tenth && (code.decimals.size() <= 1 || AllZeros(code.decimals.substr(1)));
}

// The motion modes, as the reference names them.
using Motion = ReferenceModes::Motion;

// What the codes of a line say.
struct LineCodes {
  std::vector<Code> g;
  std::vector<std::string> m;  // whole numbers of M codes that are whole
  bool other_m = false;        // an M code outside the machining ones
  bool message = false;        // M117, M118
  int plane = 0;
  std::optional<Motion> motion;
  int distance = 0;
  int l = -1;
  bool HasG(const char* whole, int tenth = 0) const {
    return std::any_of(g.begin(), g.end(), [&](const Code& code) { return Is(code, whole, tenth); });
  }
  bool HasM(const char* whole) const { return std::find(m.begin(), m.end(), whole) != m.end(); }
};

std::optional<Motion> MotionOfCode(const Code& code) {
  for (const char* straight : {"0", "1", "80"}) {
    if (Is(code, straight)) return ReferenceModes::kOther;
  }
  for (int tenth : {2, 3, 4, 5}) {
    if (Is(code, "38", tenth)) return ReferenceModes::kOther;
  }
  if (Is(code, "5", 2) || Is(code, "5", 3)) return ReferenceModes::kOther;
  // The lathe cycles leave straight feed moves after them.
  for (const char* lathe : {"70", "71", "72"}) {
    if (Is(code, lathe)) return ReferenceModes::kOther;
  }
  for (int tenth : {1, 2}) {
    if (Is(code, "71", tenth) || Is(code, "72", tenth)) return ReferenceModes::kOther;
  }
  if (Is(code, "2") || Is(code, "3")) return ReferenceModes::kArc;
  for (const char* drill : {"81", "82", "85", "86", "87", "88", "89"}) {
    if (Is(code, drill)) return ReferenceModes::kDrilling;
  }
  if (Is(code, "74") || Is(code, "84")) return ReferenceModes::kTapping;
  if (Is(code, "73") || Is(code, "83")) return ReferenceModes::kPeck;
  if (Is(code, "33") || Is(code, "33", 1)) return ReferenceModes::kPitch;
  if (Is(code, "76")) return ReferenceModes::kThreading;
  if (Is(code, "5")) return ReferenceModes::kSpline;
  if (Is(code, "5", 1)) return ReferenceModes::kQuadSpline;
  return std::nullopt;
}

bool IsMachiningM(const std::string& m) {
  const long code = m.size() > 6 ? 1000000 : std::stol(m);
  return code <= 9 || code == 19 || code == 30 || (code >= 48 && code <= 53) || (code >= 60 && code <= 68) ||
         (code >= 70 && code <= 73) || code == 98 || code == 99;
}

LineCodes ReadCodes(const std::string& work, const Protection& protection) {
  LineCodes codes;
  for (std::size_t at = 0; at < protection.comment; ++at) {
    if (!protection.Word(at)) continue;
    if (work[at] == 'G') {
      const Code code = ReadCode(work, at + 1);
      if (!code.found) continue;
      codes.g.push_back(code);
      for (const char* plane : {"17", "18", "19"}) {
        if (Is(code, plane)) codes.plane = std::stoi(plane);
      }
      if (Is(code, "90")) codes.distance = 90;
      if (Is(code, "91")) codes.distance = 91;
      if (const auto motion = MotionOfCode(code)) codes.motion = motion;
    } else if (work[at] == 'M') {
      const Code code = ReadCode(work, at + 1);
      if (!code.found) {
        // An expression for a number makes a code no list holds.
        std::size_t i = at + 1;
        while (i < work.size() && (IsBlankChar(work[i]) || work[i] == '+' || work[i] == '-')) ++i;
        codes.other_m = codes.other_m || (i < work.size() && (work[i] == '[' || work[i] == '#'));
        continue;
      }
      if (!AllZeros(code.decimals)) {
        codes.other_m = true;
        continue;
      }
      codes.m.push_back(code.whole);
      codes.other_m = codes.other_m || !IsMachiningM(code.whole);
      codes.message = codes.message || code.whole == "117" || code.whole == "118";
    } else if (work[at] == 'L' && codes.l == -1) {
      const Code code = ReadCode(work, at + 1);
      codes.l = code.found ? (code.whole.size() > 6 ? 1000000 : std::stoi(code.whole)) : -2;
    }
  }
  return codes;
}

// Where the first word of `letter` stands (outside protected text and
// closed comments, before the comment), or npos.
std::size_t FirstWord(const std::string& work, const Protection& protection, char letter) {
  for (std::size_t at = 0; at < protection.comment; ++at) {
    if (work[at] == letter && protection.Word(at)) return at;
  }
  return std::string::npos;
}

// A letter of `letters` with a number after blanks, anywhere in the words.
bool NumberedWord(const std::string& work, const Protection& protection, std::string_view letters) {
  for (std::size_t at = 0; at < protection.comment; ++at) {
    if (!protection.Word(at) || letters.find(work[at]) == std::string_view::npos) continue;
    std::size_t next = at + 1;
    while (next < work.size() && IsBlankChar(work[next])) ++next;
    if (next < work.size() && std::string_view("0123456789.+-").find(work[next]) != std::string_view::npos) {
      return true;
    }
  }
  return false;
}

// Each plane's first and second axis and its normal.
float PlaneScale(const Settings& s, int plane, int which) {
  const float axes[3][3] = {{s.XScale, s.YScale, s.ZScale}, {s.ZScale, s.XScale, s.YScale},
                            {s.YScale, s.ZScale, s.XScale}};
  return axes[plane - 17][which];
}

// An odd number of mirrors in the plane, the exchange counting as one: in
// XY it trades the axes; it carries XZ onto YZ and back, trading their order.
bool TurnedOver(const Settings& s, int plane) {
  const int mirrors = (s.XYexchange ? 1 : 0) + (PlaneScale(s, plane, 0) < 0 ? 1 : 0) +
                      (PlaneScale(s, plane, 1) < 0 ? 1 : 0);
  return mirrors % 2 == 1;
}

// The G words whose code a rule changes by a digit, at most the first
// eight of G2, G3, G18, G19, G20, G21, G41, G42, G41.1 and G42.1.
void EditCodes(std::string& work, const Settings& settings, int plane) {
  const bool turned_over = TurnedOver(settings, plane);
  const Protection protection = Protect(work);
  const UnitConversion units = UnitConversionOf(settings);
  int editable = 0;
  for (std::size_t at = 0; at < protection.comment && editable < 8; ++at) {
    if (!protection.Word(at) || work[at] != 'G') continue;
    const Code code = ReadCode(work, at + 1);
    const bool arc = Is(code, "2") || Is(code, "3");
    const bool compensation = Is(code, "41") || Is(code, "42") || Is(code, "41", 1) || Is(code, "42", 1);
    const bool units_code = Is(code, "20") || Is(code, "21");
    const bool plane_code = Is(code, "18") || Is(code, "19");
    if (!arc && !compensation && !units_code && !plane_code) continue;
    ++editable;
    char& digit = work[code.last];
    if (Is(code, "20") && units == UnitConversion::ToMillimetres) digit = '1';
    if (Is(code, "21") && units == UnitConversion::ToInches) digit = '0';
    if (plane_code && settings.XYexchange) digit = digit == '8' ? '9' : '8';
    if (turned_over && arc) digit = digit == '2' ? '3' : '2';
    if (turned_over && compensation) digit = digit == '1' ? '2' : '1';
  }
}

// The line's own plane, motion and distance codes set the modes.
void FollowModes(const LineCodes& codes, ReferenceModes& modes) {
  if (codes.plane != 0) modes.plane = codes.plane;
  if (codes.motion) modes.motion = *codes.motion;
  if (codes.distance != 0) modes.distance = codes.distance;
}

// What a word means on its line, written out plainly.
enum class Meaning {
  AsRead, Axis, Increment, Radius, Retract, Unit, Feed, Speed, SplineX, SplineY, PolarRadius, PolarAngle, PolarTurn
};

struct Meanings {
  std::map<char, Meaning> of;
  bool exchange = true;
};

Meanings MeaningsOf(const std::string& work, const Protection& protection, const LineCodes& codes,
                    const ReferenceModes& before) {
  Meanings meanings;
  auto& of = meanings.of;
  for (char letter : std::string("XIYJZKA")) of[letter] = Meaning::Axis;
  of['F'] = Meaning::Feed;
  of['S'] = Meaning::Speed;
  for (char letter : std::string("RQPED")) of[letter] = Meaning::AsRead;
  of['@'] = Meaning::PolarRadius;
  of['^'] = Meaning::PolarAngle;
  const auto has = [&](char letter) { return FirstWord(work, protection, letter) != std::string::npos; };
  if (codes.other_m) {
    for (auto& [letter, meaning] : of) meaning = Meaning::AsRead;
    meanings.exchange = false;
    return meanings;
  }
  const bool offsets = codes.HasG("10");
  const bool work_offsets = offsets && codes.l == 2;
  const bool tool = (offsets && (codes.l == 1 || codes.l == 10 || codes.l == 11)) || codes.HasG("43", 1) ||
                    codes.HasG("43", 2);
  if (codes.HasG("53") || work_offsets || tool) {
    for (char letter : std::string("XYZ")) of[letter] = Meaning::Unit;
    for (char letter : std::string("IJKA")) of[letter] = Meaning::AsRead;
    meanings.exchange = false;
  }
  bool lathe_cycle = codes.HasG("70");
  for (const char* cycle : {"71", "72"}) {
    for (int tenth : {0, 1, 2}) lathe_cycle = lathe_cycle || codes.HasG(cycle, tenth);
  }
  const bool r_taken = offsets || lathe_cycle || codes.HasM("19");
  const bool q_taken = offsets || lathe_cycle || codes.HasG("64") || codes.HasM("19") || codes.HasM("66") ||
                       codes.HasM("67") || codes.HasM("68");
  const bool p_taken = offsets || codes.HasG("64") || codes.HasG("4") || codes.HasM("66");
  const bool moves = codes.motion.has_value() || has('X') || has('Y') || has('Z') || has('A') || has('@') ||
                     has('^') || NumberedWord(work, protection, "BCUVW");
  const Motion motion = codes.motion.value_or(before.motion);
  if (moves) {
    if (has('F') && motion == ReferenceModes::kTapping) of['F'] = Meaning::Unit;
    if (has('R') && !r_taken) {
      if (motion == ReferenceModes::kArc) of['R'] = Meaning::Radius;
      if (motion == ReferenceModes::kDrilling || motion == ReferenceModes::kTapping ||
          motion == ReferenceModes::kPeck) {
        of['R'] = Meaning::Retract;
      }
    }
    if (has('Q') && !q_taken && motion == ReferenceModes::kPeck) of['Q'] = Meaning::Unit;
    if (has('Q') && !q_taken && motion == ReferenceModes::kSpline) of['Q'] = Meaning::SplineY;
    if (has('P') && !p_taken && motion == ReferenceModes::kSpline) of['P'] = Meaning::SplineX;
    if ((has('I') || has('J') || has('K') || has('E') || has('P')) && motion == ReferenceModes::kThreading) {
      for (char letter : std::string("IJKE")) of[letter] = Meaning::Unit;
      if (!p_taken) of['P'] = Meaning::Unit;
    } else if ((has('K') || has('I')) && motion == ReferenceModes::kPitch) {
      of['K'] = Meaning::Unit;
      of['I'] = Meaning::AsRead;
    }
  }
  if (offsets || (codes.HasG("4") && !has('P'))) of['S'] = Meaning::AsRead;
  if (codes.HasG("41", 1) || codes.HasG("42", 1)) of['D'] = Meaning::Unit;
  if (codes.HasG("64")) of['P'] = of['Q'] = Meaning::Unit;
  const int distance = codes.distance != 0 ? codes.distance : before.distance;
  if (distance == 91) {
    if (of['^'] == Meaning::PolarAngle) of['^'] = Meaning::PolarTurn;
    for (char letter : std::string("XYZA@")) {
      if (of[letter] == Meaning::Axis || of[letter] == Meaning::PolarRadius) of[letter] = Meaning::Increment;
    }
  }
  return meanings;
}

// The scale and addend of a meaning under the settings, or none where the
// word stays as read.
struct Change {
  float scale;
  float addend;
  bool increment = false;  // written with the decimals it needs, from four to ten
};
std::optional<Change> ChangeOf(Meaning meaning, char letter, const Settings& s, int plane) {
  const UnitConversion units = UnitConversionOf(s);
  const bool lengths = s.XScale != 1 || s.YScale != 1 || s.ZScale != 1;
  const bool polar = std::fabs(s.XScale) == std::fabs(s.YScale) && s.XScale != 0;
  // Where the map takes the direction of +X, and whether it turns the plane
  // over.
  const double to_x = s.XYexchange ? 0.0 : s.XScale;
  const double to_y = s.XYexchange ? s.XScale : 0.0;
  const float offset = static_cast<float>(std::round(std::atan2(to_y, to_x) * 180 / std::acos(-1.0)));
  const bool flipped = (s.XScale * s.YScale < 0) != s.XYexchange;
  switch (meaning) {
    case Meaning::AsRead: return std::nullopt;
    case Meaning::Increment: {
      std::optional<Change> change = ChangeOf(letter == '@' ? Meaning::PolarRadius : Meaning::Axis, letter, s, plane);
      if (change) change->increment = true;
      return change;
    }
    case Meaning::Axis: {
      const float scale = std::string_view("XI").find(letter) != std::string_view::npos   ? s.XScale
                          : std::string_view("YJ").find(letter) != std::string_view::npos ? s.YScale
                          : std::string_view("ZK").find(letter) != std::string_view::npos ? s.ZScale
                                                                                           : s.AScale;
      return Change{scale, 0};
    }
    case Meaning::Radius:
      if (!lengths || std::fabs(PlaneScale(s, plane, 0)) != std::fabs(PlaneScale(s, plane, 1))) return std::nullopt;
      return Change{std::fabs(PlaneScale(s, plane, 0)), 0};
    case Meaning::Retract:
      if (!lengths) return std::nullopt;
      return Change{PlaneScale(s, plane, 2), 0};
    case Meaning::Unit:
      if (units == UnitConversion::None) return std::nullopt;
      return Change{units == UnitConversion::ToMillimetres ? kInchesToMillimetres : kMillimetresToInches, 0};
    case Meaning::Feed: return Change{s.FeedScale, s.FeedAdd};
    case Meaning::Speed:
      if (s.SpindleRPM == 0) return std::nullopt;
      return Change{1, s.SpindleRPM};
    case Meaning::SplineX:
    case Meaning::SplineY:
      if (s.XScale == 1 && s.YScale == 1 && !s.XYexchange) return std::nullopt;
      return Change{meaning == Meaning::SplineX ? s.XScale : s.YScale, 0};
    case Meaning::PolarRadius:
      if (!polar || std::fabs(s.XScale) == 1) return std::nullopt;
      return Change{std::fabs(s.XScale), 0};
    case Meaning::PolarAngle:
      if (!polar || (!flipped && offset == 0)) return std::nullopt;
      return Change{flipped ? -1.0f : 1.0f, offset};
    case Meaning::PolarTurn:
      if (!polar || !flipped) return std::nullopt;
      return Change{-1, 0};
  }
  return std::nullopt;
}

// A line that opens with comments and parameter assignments: where its
// words start, or npos where none follows.
std::size_t WordsAfterLeadingText(const std::string& line) {
  static const std::vector<std::string> kFunctions = {"ABS", "ACOS", "ASIN", "ATAN",  "COS", "EXISTS", "EXP",
                                                      "FIX", "FUP",  "LN",   "ROUND", "SIN", "SQRT",   "TAN"};
  std::size_t i = 0;
  bool leading = false;
  auto skip = [&] {
    while (i < line.size() && IsBlankChar(line[i])) ++i;
  };
  for (skip(); i < line.size(); skip()) {
    if (line[i] == '(') {
      const std::size_t close = line.find(')', i);
      if (close == std::string::npos) return std::string::npos;
      i = close + 1;
    } else if (line[i] == '#') {
      if (!StartsParameter(line, i)) return std::string::npos;
      i = ParameterEnd(line, i);
      skip();
      if (i >= line.size() || line[i] != '=') return std::string::npos;
      ++i;
      while (i < line.size() && (IsBlankChar(line[i]) || line[i] == '+' || line[i] == '-')) ++i;
      if (i >= line.size()) return std::string::npos;
      if (IsDigitChar(line[i]) || line[i] == '.') {
        std::size_t end = i;
        bool digit = false;
        for (; i < line.size() && (IsDigitChar(line[i]) || line[i] == '.' || IsBlankChar(line[i])); ++i) {
          if (!IsBlankChar(line[i])) end = i + 1;
          digit = digit || IsDigitChar(line[i]);
        }
        if (!digit) return std::string::npos;
        i = end;
      } else if (line[i] == '[') {
        i = BracketEnd(line, i);
      } else if (StartsParameter(line, i)) {
        i = ParameterEnd(line, i);
      } else {
        std::size_t end = i;
        while (end < line.size() && IsLetterChar(line[end])) ++end;
        const std::string name = UpperCase(line.substr(i, end - i));
        if (std::find(kFunctions.begin(), kFunctions.end(), name) == kFunctions.end()) return std::string::npos;
        i = end;
        skip();
        if (i >= line.size() || line[i] != '[') return std::string::npos;
        i = BracketEnd(line, i);
        if (name == "ATAN") {
          skip();
          if (i >= line.size() || line[i] != '/') return std::string::npos;
          ++i;
          skip();
          if (i >= line.size() || line[i] != '[') return std::string::npos;
          i = BracketEnd(line, i);
        }
      }
    } else {
      break;
    }
    leading = true;
  }
  if (!leading || i >= line.size() || !IsLetterChar(line[i]) || line[i] == 'O' || line[i] == 'o') {
    return std::string::npos;
  }
  return i;
}

// A line whose words are converted.
ReferenceLine ReferenceWords(const std::string& line, const Settings& settings, ReferenceModes& modes) {
  ReferenceLine result{RewriteStatus::Done, line};
  std::string work = UpperCase(line);
  const Protection read = Protect(work);
  const LineCodes codes = ReadCodes(work, read);
  if (codes.message) return result;
  const Meanings meanings = MeaningsOf(work, read, codes, modes);
  const int plane = codes.plane != 0 ? codes.plane : modes.plane;
  FollowModes(codes, modes);
  if (work.find("M20ADDITION") != std::string::npos) return result;
  if (codes.HasG("130")) return result;
  EditCodes(work, settings, plane);

  const char kRows[] = {'X', 'I', 'Y', 'J', 'Z', 'K', 'A', 'F', 'S', 'R', 'Q', 'P', 'E', 'D', '@', '^'};
  const bool exchange = settings.XYexchange && meanings.exchange;
  // What each letter's first word holds as read: a number (a digit in the
  // run after the letter), an expression or a parameter, or neither. A
  // removed word may bring either next to a letter that had neither; such a
  // word stays as it is.
  enum class Value { None, Number, Expression };
  std::map<char, Value> as_read;
  for (char letter : kRows) {
    const std::size_t at = FirstWord(work, read, letter);
    as_read[letter] = Value::None;
    if (at == std::string::npos) continue;
    std::size_t end = at + 1;
    while (end < work.size() && std::string_view("1234567890.+- \t").find(work[end]) != std::string_view::npos) ++end;
    const std::string run = work.substr(at + 1, end - at - 1);
    if (std::any_of(run.begin(), run.end(), IsDigitChar)) {
      as_read[letter] = Value::Number;
    } else if (run.find('.') == std::string::npos && end < read.comment && read.inside[end]) {
      // Brackets that do not close in order make no value.
      const std::size_t value_end = work[end] == '[' ? BracketEnd(work, end) : ParameterEnd(work, end);
      int depth = 0;
      bool balanced = true;
      for (std::size_t k = end; k < value_end && balanced; ++k) {
        if (work[k] == '[') ++depth;
        if (work[k] == ']') balanced = --depth >= 0;
      }
      if (balanced && depth == 0) as_read[letter] = Value::Expression;
    }
  }
  std::map<char, bool> rewritten;  // the words whose letter a spline's exchange trades
  for (char letter : kRows) {
    const std::optional<Change> change = ChangeOf(meanings.of.at(letter), letter, settings, plane);
    if (!change) continue;
    const Protection protection = Protect(work);
    const std::size_t position = FirstWord(work, protection, letter);
    if (position == std::string::npos) continue;
    if (as_read[letter] != Value::None) rewritten[letter] = true;

    std::size_t run_end = position + 1;
    while (run_end < work.size() &&
           std::string_view("1234567890.+- \t").find(work[run_end]) != std::string_view::npos) {
      ++run_end;
    }
    const std::string run = work.substr(position + 1, run_end - position - 1);
    // An expression or a parameter after blanks and signs (no point): one
    // bracket expression scales it, where the meaning changes the value.
    if (std::none_of(run.begin(), run.end(), IsDigitChar) && run.find('.') == std::string::npos &&
        run_end < protection.comment && protection.inside[run_end]) {
      if ((change->scale == 1 && change->addend == 0) || as_read[letter] != Value::Expression) continue;
      const std::size_t end = work[run_end] == '[' ? BracketEnd(work, run_end) : ParameterEnd(work, run_end);
      const std::size_t value = work.find_first_not_of(" \t", position + 1);
      std::string wrapped = "[" + work.substr(value, end - value);
      if (change->scale != 1) wrapped += "*" + WriteFixed(RoundExactly(change->scale, 7), 7);
      if (change->addend != 0) {
        wrapped += (change->addend > 0 ? "+" : "") + WriteFixed(RoundExactly(change->addend, 7), letter == 'S' ? 0 : 7);
      }
      wrapped += "]";
      work = Trim(change->scale != 0 ? work.substr(0, position + 1) + wrapped + work.substr(end)
                                     : work.substr(0, position) + work.substr(end));
      if (change->scale == 0) rewritten[letter] = false;
      continue;
    }
    // No number, or none as read: left as it is.
    if (std::none_of(run.begin(), run.end(), IsDigitChar) || as_read[letter] != Value::Number) continue;
    while (run_end > position + 1 && (work[run_end - 1] == ' ' || work[run_end - 1] == '\t')) --run_end;
    const std::string number = work.substr(position + 1, run_end - (position + 1));
    // A run that is not one number stays as read, and so does a spindle
    // speed of 0.
    if (!WellFormed(number) || (letter == 'S' && ReferenceLeadingNumber(number) == 0)) {
      work = Trim(work);
      continue;
    }
    const double value = ReferenceLeadingNumber(number);
    if (!(std::fabs(value) <= FLT_MAX) || std::isinf(static_cast<float>(value) * change->scale)) {
      result.status = RewriteStatus::OutOfRange;
      return result;
    }
    const float product = static_cast<float>(value) * change->scale;
    std::string text = WriteFixed(RoundExactly(product, 7), 4);
    if (change->increment) {
      // As many decimals as the 7 digits need: no rounding adds up.
      const Digits digits = RoundExactly(product, 7);
      const std::size_t significant = digits.digits.find_last_not_of('0') + 1;
      const int needed = static_cast<int>(significant) - 1 - digits.exponent;
      text = WriteFixed(digits, std::clamp(needed, 4, 10));
    }
    // From 1000 up the 7 digits would drop decimals that are written.
    if (std::fabs(product) >= 1000.0f) {
      const std::string exact = ExactProduct(number, change->scale);
      if (!exact.empty()) text = exact;
    }
    if (change->addend != 0) text = WriteFixed(RoundExactly(ReadBack(text) + static_cast<double>(change->addend), 15), 4);
    if (letter == 'S') text = WriteFixed(RoundExactly(ReadBack(text), 15), 0);
    if (ReadBack(text) == 0 && letter == 'F' && settings.FeedScale != 0) {
      result.status = RewriteStatus::ZeroFeed;
      return result;
    }
    const std::string prefix = work.substr(0, position + 1);
    const std::string tail = work.substr(run_end);
    work = Trim(change->scale != 0 ? prefix + text + tail : prefix.substr(0, position) + tail);
    if (change->scale == 0) rewritten[letter] = false;
  }
  // Under the exchange a spline's control point trades its P and Q.
  if (exchange) {
    const Protection protection = Protect(work);
    std::vector<std::size_t> traded;
    for (char letter : {'P', 'Q'}) {
      const Meaning meaning = meanings.of.at(letter);
      if ((meaning != Meaning::SplineX && meaning != Meaning::SplineY) || !rewritten[letter]) continue;
      traded.push_back(FirstWord(work, protection, letter));
    }
    for (std::size_t at : traded) work[at] = work[at] == 'P' ? 'Q' : 'P';
  }
  // Active comments and a remark keep their bytes, and the exchange passes
  // them by, as it passes protected text by.
  {
    const Protection now = Protect(work);
    std::vector<std::pair<std::size_t, std::size_t>> from;
    std::vector<std::pair<std::size_t, std::size_t>> to;
    const auto stretches = [](const std::vector<bool>& kept) {
      std::vector<std::pair<std::size_t, std::size_t>> found;
      for (std::size_t k = 0; k < kept.size(); ++k) {
        if (!kept[k]) continue;
        std::size_t end = k;
        while (end < kept.size() && kept[end]) ++end;
        found.emplace_back(k, end);
        k = end;
      }
      return found;
    };
    from = stretches(read.kept);
    to = stretches(now.kept);
    for (std::size_t s = 0; s < to.size() && s < from.size(); ++s) {
      work.replace(to[s].first, to[s].second - to[s].first, line.substr(from[s].first, to[s].second - to[s].first));
    }
  }
  if (exchange) {
    const Protection protection = Protect(work);
    std::string exchanged;
    std::size_t start = 0;
    const auto passed = [&](std::size_t at) { return protection.inside[at] || protection.kept[at]; };
    for (std::size_t at = 0; at <= work.size(); ++at) {
      const bool boundary = at == work.size() || (at > 0 && passed(at) != passed(at - 1));
      if (!boundary) continue;
      const std::string stretch = work.substr(start, at - start);
      exchanged += start < work.size() && passed(start) ? stretch : Exchange(stretch);
      start = at;
    }
    work = exchanged;
  }
  result.line = work;
  return result;
}

}  // namespace

bool ReferenceKeepsWholeLine(const std::string& line) {
  const std::string work = UpperCase(line);
  const LineCodes codes = ReadCodes(work, Protect(work));
  return codes.HasG("130") || codes.message;
}

ReferenceLine ReferenceProcessLine(const std::string& line, const Settings& settings) {
  ReferenceModes modes;
  return ReferenceProcessLine(line, settings, modes);
}

ReferenceLine ReferenceProcessLine(const std::string& line, const Settings& settings, ReferenceModes& modes) {
  // A block-delete line: its words are converted behind the "/" (or the
  // several that lead it).
  std::size_t behind = 0;
  for (std::size_t slash = line.find_first_not_of(" \t"); slash != std::string::npos && line[slash] == '/';
       slash = line.find_first_not_of(" \t", behind)) {
    behind = slash + 1;
  }
  if (behind > 0) {
    ReferenceLine rest = ReferenceProcessLine(line.substr(behind), settings, modes);
    if (rest.status == RewriteStatus::Done) rest.line = line.substr(0, behind) + rest.line;
    return rest;
  }
  ReferenceLine result{RewriteStatus::Done, line};
  // Comments and assignments that open the line stay as read, the words
  // after them are converted.
  if (!line.empty() && (line[0] == '(' || line[0] == '#')) {
    const std::size_t words = WordsAfterLeadingText(line);
    if (words != std::string::npos && UpperCase(line.substr(0, words)).find("M20ADDITION") == std::string::npos) {
      ReferenceLine rest = ReferenceWords(line.substr(words), settings, modes);
      if (rest.status == RewriteStatus::Done) rest.line = line.substr(0, words) + rest.line;
      return rest;
    }
  }
  if (line.empty() || std::string_view("(/%#;").find(line[0]) != std::string_view::npos) return result;
  const std::size_t first = line.find_first_not_of(" \t");
  if (first != std::string::npos && (line[first] == 'O' || line[first] == 'o')) return result;  // an O word
  return ReferenceWords(line, settings, modes);
}

}  // namespace kivrel::testing
