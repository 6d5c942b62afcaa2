#include "support/reference_transform.h"

#include "settings/unit_factors.h"

#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <algorithm>
#include <cstring>
#include <vector>
#include <limits>
#include <optional>
#include <string_view>

namespace kivrel::testing {
double ReferenceLeadingNumber(const std::string& raw) {
  std::string text;
  for (char c : raw) {
    if (c != ' ' && c != '\t' && c != '\n') text += c;
  }
  if (text.size() >= 2 && text[0] == '&' && (text[1] == 'H' || text[1] == 'h' || text[1] == 'O' || text[1] == 'o')) {
    const int base = (text[1] == 'H' || text[1] == 'h') ? 16 : 8;
    double value = 0;
    for (std::size_t i = 2; i < text.size(); ++i) {
      const char c = text[i];
      int digit = std::isdigit(static_cast<unsigned char>(c)) ? c - '0'
                  : (base == 16 && std::isxdigit(static_cast<unsigned char>(c))) ? std::toupper(c) - 'A' + 10
                                                                                  : 99;
      if (digit >= base) break;
      value = value * base + digit;
    }
    return value;
  }
  std::size_t i = 0;
  std::string number;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    if (text[i] == '-') number += '-';
    ++i;
  }
  bool point = false;
  int digits = 0;
  for (; i < text.size(); ++i) {
    if (std::isdigit(static_cast<unsigned char>(text[i]))) {
      number += text[i];
      ++digits;
    } else if (text[i] == '.' && !point) {
      number += '.';
      point = true;
    } else {
      break;
    }
  }
  if (digits == 0) return 0;
  if (i < text.size() && std::string_view("EeDd").find(text[i]) != std::string_view::npos) {
    std::size_t j = i + 1;
    std::string exponent = "e";
    if (j < text.size() && (text[j] == '+' || text[j] == '-')) exponent += text[j++];
    if (j < text.size() && std::isdigit(static_cast<unsigned char>(text[j]))) {
      while (j < text.size() && std::isdigit(static_cast<unsigned char>(text[j]))) exponent += text[j++];
      number += exponent;
    }
  }
  double value = 0;
  const char* begin = number.data() + (number[0] == '-' ? 1 : 0);
  auto result = std::from_chars(begin, number.data() + number.size(), value);
  if (result.ec == std::errc::result_out_of_range) {
    // Decide by the size of the number: huge or tiny.
    const double rough = std::strtod(begin, nullptr);
    value = rough > 1 ? std::numeric_limits<double>::infinity() : 0.0;
  }
  return number[0] == '-' ? -value : value;
}

namespace {

// A decimal: value = d1.d2d3... x 10^exponent, with its sign apart.
struct Digits {
  bool negative = false;
  std::string digits;  // the first is not 0, unless the number is 0
  int exponent = 0;
};

// The exact value rounded to `significant` digits, half away from zero.
Digits RoundExactly(double value, int significant) {
  Digits result;
  result.negative = value < 0;
  if (value == 0) {
    result.digits = "0";
    return result;
  }
  char text[1100];
  auto end = std::to_chars(text, text + sizeof(text), std::fabs(value), std::chars_format::scientific, 1000).ptr;
  *end = '\0';
  std::string all(1, text[0]);
  all.append(text + 2, text + 1002);
  int exponent = std::atoi(std::strchr(text, 'e') + 1);
  std::string kept = all.substr(0, static_cast<std::size_t>(significant));
  if (all[static_cast<std::size_t>(significant)] >= '5') {
    int k = significant - 1;
    while (k >= 0 && kept[static_cast<std::size_t>(k)] == '9') kept[static_cast<std::size_t>(k--)] = '0';
    if (k < 0) {
      kept.insert(kept.begin(), '1');
      kept.pop_back();
      ++exponent;
    } else {
      ++kept[static_cast<std::size_t>(k)];
    }
  }
  result.digits = kept;
  result.exponent = exponent;
  return result;
}

// Adds one to the whole number in `digits`, carrying (a rounding up).
void AddOneToLastDigit(std::string& digits) {
  int k = static_cast<int>(digits.size()) - 1;
  while (k >= 0 && digits[static_cast<std::size_t>(k)] == '9') digits[static_cast<std::size_t>(k--)] = '0';
  if (k < 0) {
    digits.insert(digits.begin(), '1');
  } else {
    ++digits[static_cast<std::size_t>(k)];
  }
}

// The decimal written with `decimals` decimals, rounded half away from zero.
std::string WriteFixed(const Digits& number, int decimals) {
  // Spell the number out in plain notation with plenty of decimals.
  std::string whole;
  std::string fraction;
  if (number.digits == "0") {
    whole = "0";
  } else if (number.exponent >= 0) {
    std::string d = number.digits;
    while (static_cast<int>(d.size()) < number.exponent + 1) d += '0';
    whole = d.substr(0, static_cast<std::size_t>(number.exponent + 1));
    fraction = d.substr(static_cast<std::size_t>(number.exponent + 1));
  } else {
    whole = "0";
    fraction = std::string(static_cast<std::size_t>(-number.exponent - 1), '0') + number.digits;
  }
  fraction += std::string(static_cast<std::size_t>(decimals + 1), '0');
  std::string kept = whole + fraction.substr(0, static_cast<std::size_t>(decimals));
  if (fraction[static_cast<std::size_t>(decimals)] >= '5') AddOneToLastDigit(kept);
  std::string integer = kept.substr(0, kept.size() - static_cast<std::size_t>(decimals));
  while (integer.size() > 1 && integer[0] == '0') integer.erase(0, 1);
  const bool zero = kept.find_first_not_of('0') == std::string::npos;
  return (number.negative && !zero ? "-" : "") + integer + "." +
         kept.substr(kept.size() - static_cast<std::size_t>(decimals));
}

double ReadBack(const std::string& text) {
  double value = 0;
  const bool negative = text[0] == '-';
  std::from_chars(text.data() + (negative ? 1 : 0), text.data() + text.size(), value);
  return negative ? -value : value;
}

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

bool IsDigitChar(char c) { return c >= '0' && c <= '9'; }

std::size_t BracketEnd(const std::string& line, std::size_t at) {
  int depth = 0;
  for (std::size_t i = at; i < line.size(); ++i) {
    if (line[i] == '[') ++depth;
    if (line[i] == ']' && --depth == 0) return i + 1;
  }
  return line.size();
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

// Which characters before the comment are protected (expressions and
// parameters), and where the comment starts (the size without one).
struct Protection {
  std::vector<bool> inside;
  std::size_t comment;
  std::vector<bool> in_comment;  // the text of a closed "(...)" comment before the comment start
  bool Word(std::size_t at) const { return at < comment && !inside[at] && !in_comment[at]; }
};

Protection Protect(const std::string& line) {
  Protection protection{std::vector<bool>(line.size(), false), line.size(), std::vector<bool>(line.size(), false)};
  for (std::size_t at = 0; at < line.size();) {
    const char c = line[at];
    const bool parameter = c == '#' && at + 1 < line.size() &&
                           (IsDigitChar(line[at + 1]) || line[at + 1] == '<' || line[at + 1] == '[' ||
                            line[at + 1] == '#');
    if (c == '[' || parameter) {
      const std::size_t end = c == '[' ? BracketEnd(line, at) : ParameterEnd(line, at);
      for (std::size_t k = at; k < end; ++k) protection.inside[k] = true;
      at = end;
    } else if (c == '(' && line.find(')', at) != std::string::npos) {
      const std::size_t close = line.find(')', at);
      for (std::size_t k = at; k <= close; ++k) protection.in_comment[k] = true;
      at = close + 1;
    } else if (c == '(' || c == '/' || c == '%' || c == '#' || c == ';') {
      protection.comment = at;
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

// The digits of a whole number in text, without leading zeros ("0" for 0).
std::string WithoutLeadingZeros(const std::string& digits) {
  const std::size_t first = digits.find_first_not_of('0');
  return first == std::string::npos ? "0" : digits.substr(first);
}

// The whole number in `digits` fits 64 bits.
bool Fits64(const std::string& digits) {
  const std::string number = WithoutLeadingZeros(digits);
  static const std::string kLargest = std::to_string(std::numeric_limits<std::uint64_t>::max());
  return number.size() < kLargest.size() || (number.size() == kLargest.size() && number <= kLargest);
}

// Schoolbook product of two whole numbers in text.
std::string MultiplyDigits(const std::string& a, const std::string& b) {
  std::vector<int> sum(a.size() + b.size(), 0);
  for (std::size_t i = 0; i < a.size(); ++i) {
    for (std::size_t j = 0; j < b.size(); ++j) sum[i + j + 1] += (a[i] - '0') * (b[j] - '0');
  }
  for (std::size_t k = sum.size() - 1; k > 0; --k) {
    sum[k - 1] += sum[k] / 10;
    sum[k] %= 10;
  }
  std::string text;
  for (int d : sum) text += static_cast<char>('0' + d);
  return WithoutLeadingZeros(text);
}

// A run read as one number: at most one sign, at its start, at most one
// point, at least one digit, blanks anywhere.
bool WellFormed(const std::string& run) {
  std::string text;
  for (char c : run) {
    if (c != ' ' && c != '\t') text += c;
  }
  std::size_t i = text.empty() || (text[0] != '+' && text[0] != '-') ? 0 : 1;
  const std::string rest = text.substr(i);
  return std::count(rest.begin(), rest.end(), '.') <= 1 && std::any_of(rest.begin(), rest.end(), IsDigitChar) &&
         std::all_of(rest.begin(), rest.end(), [](char c) { return IsDigitChar(c) || c == '.'; });
}

// The run's number times the scale as the parameter file stores it (7
// significant digits, ten decimals), rounded once to four decimals; empty
// where the word has more than 19 digits from its first that is not 0, or
// the stored scale or the result would not fit 64 bits as a whole number of
// their last places.
std::string ExactProduct(const std::string& run, float scale) {
  bool negative = false;
  std::string whole;
  std::string fraction;
  bool point = false;
  for (char c : run) {
    if (c == '-') negative = true;
    if (c == '.') point = true;
    if (IsDigitChar(c)) (point ? fraction : whole) += c;
  }
  const std::string digits = WithoutLeadingZeros(whole + fraction);
  if (digits != "0" && digits.size() > 19) return "";
  if (fraction.size() + 6 > 38) return "";
  const std::string stored = WriteFixed(RoundExactly(scale, 7), 10);
  std::string stored_digits;
  for (char c : stored) {
    if (IsDigitChar(c)) stored_digits += c;
  }
  if (!Fits64(stored_digits)) return "";
  if (stored[0] == '-') negative = !negative;
  // The product has fraction.size() + 10 decimals; four stay.
  std::string product = MultiplyDigits(digits, stored_digits);
  const std::size_t dropped = fraction.size() + 6;
  if (product.size() <= dropped) product.insert(0, dropped - product.size() + 1, '0');
  std::string kept = product.substr(0, product.size() - dropped);
  if (product[product.size() - dropped] >= '5') AddOneToLastDigit(kept);  // half away from zero
  if (!Fits64(kept)) return "";
  kept = WithoutLeadingZeros(kept);
  if (kept.size() < 5) kept.insert(0, 5 - kept.size(), '0');
  const bool zero = kept.find_first_not_of('0') == std::string::npos;
  return (negative && !zero ? "-" : "") + kept.substr(0, kept.size() - 4) + "." + kept.substr(kept.size() - 4);
}

// The number after `letter` at `at` read as a code: blanks, a plus sign,
// the digits of the whole code, and a decimal part; "" where none follows.
struct Code {
  std::string whole;     // without leading zeros
  std::string decimals;  // as written
  bool found = false;
};
Code ReadCode(const std::string& text, std::size_t at) {
  Code code;
  std::size_t i = at;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
  if (i < text.size() && text[i] == '+') ++i;
  std::string digits;
  while (i < text.size() && IsDigitChar(text[i])) digits += text[i++];
  if (digits.empty()) return code;
  code.found = true;
  code.whole = WithoutLeadingZeros(digits);
  if (i < text.size() && text[i] == '.') {
    ++i;
    while (i < text.size() && IsDigitChar(text[i])) code.decimals += text[i++];
  }
  return code;
}

bool AllZeros(const std::string& digits) { return digits.find_first_not_of('0') == std::string::npos; }

// What the G and M words before the comment say of the line's S and axis
// words: an S that is no spindle speed, axis words that are no positions.
struct CodeMeaning {
  bool no_spindle_speed = false;
  bool configuration = false;
  bool dwell = false;
};
CodeMeaning ReadCodes(const std::string& work, const Protection& protection) {
  static const std::vector<std::string> kNoSpeedG = {"10"};
  static const std::vector<std::string> kNoSpeedM = {"104", "106", "107", "108", "109", "140", "141", "190", "191"};
  static const std::vector<std::string> kConfigurationM = {"92",  "201", "202", "203", "204", "205", "206",
                                                           "207", "208", "350", "906", "907"};
  auto among = [](const std::vector<std::string>& codes, const std::string& code) {
    return std::find(codes.begin(), codes.end(), code) != codes.end();
  };
  CodeMeaning meaning;
  for (std::size_t at = 0; at < protection.comment; ++at) {
    if (!protection.Word(at) || (work[at] != 'G' && work[at] != 'M')) continue;
    const Code code = ReadCode(work, at + 1);
    if (!code.found || !AllZeros(code.decimals)) continue;
    if (work[at] == 'G') {
      meaning.no_spindle_speed = meaning.no_spindle_speed || among(kNoSpeedG, code.whole);
      meaning.dwell = meaning.dwell || code.whole == "4";
      meaning.configuration = meaning.configuration || code.whole == "130";
    } else {
      meaning.no_spindle_speed = meaning.no_spindle_speed || among(kNoSpeedM, code.whole);
      meaning.configuration = meaning.configuration || among(kConfigurationM, code.whole);
    }
  }
  return meaning;
}

std::string UpperCase(std::string text) {
  for (char& c : text) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return text;
}

// The G words of the line whose code a rule changes by a digit, at most the
// first eight of G2, G3, G20, G21, G41, G42, G41.1 and G42.1 (with blanks,
// a plus sign, leading zeros and zeros after a point allowed).
bool TurnedOver(const Settings& s, int plane);

void EditCodes(std::string& work, const Settings& settings, int plane) {
  const bool turned_over = TurnedOver(settings, plane);
  const Protection protection = Protect(work);
  const UnitConversion units = UnitConversionOf(settings);
  int editable = 0;
  for (std::size_t at = 0; at < protection.comment && editable < 8; ++at) {
    if (!protection.Word(at) || work[at] != 'G') continue;
    const Code code = ReadCode(work, at + 1);
    if (!code.found) continue;
    const bool whole = AllZeros(code.decimals);
    const bool tenth = !code.decimals.empty() && code.decimals[0] == '1' && AllZeros(code.decimals.substr(1));
    const std::string& c = code.whole;
    const bool counted = (whole && (c == "2" || c == "3" || c == "20" || c == "21" || c == "41" || c == "42")) ||
                         (tenth && (c == "41" || c == "42"));
    if (!counted) continue;
    ++editable;
    // The last digit of the whole number.
    std::size_t last = at + 1;
    while (!IsDigitChar(work[last])) ++last;
    while (last + 1 < work.size() && IsDigitChar(work[last + 1])) ++last;
    if (whole && c == "20" && units == UnitConversion::ToMillimetres) work[last] = '1';
    if (whole && c == "21" && units == UnitConversion::ToInches) work[last] = '0';
    // In a plane the settings turn over (an odd number of mirrors; the
    // exchange is one in XY and moves the other planes out of themselves).
    if (turned_over && (c == "2" || c == "3") && whole) work[last] = c == "2" ? '3' : '2';
    if (turned_over && (c == "41" || c == "42")) work[last] = c == "41" ? '2' : '1';
  }
}

bool TurnedOver(const Settings& s, int plane) {
  const float first = plane == 17 ? s.XScale : plane == 18 ? s.ZScale : s.YScale;
  const float second = plane == 17 ? s.YScale : plane == 18 ? s.XScale : s.ZScale;
  if (plane != 17 && s.XYexchange) return false;
  const int mirrors = (plane == 17 && s.XYexchange ? 1 : 0) + (first < 0 ? 1 : 0) + (second < 0 ? 1 : 0);
  return mirrors % 2 == 1;
}

// The plane and motion codes of the line, in order, the last of each
// counting.
void FollowModes(const std::string& work, ReferenceModes& modes) {
  const Protection protection = Protect(work);
  for (std::size_t at = 0; at < protection.comment; ++at) {
    if (!protection.Word(at) || work[at] != 'G') continue;
    const Code code = ReadCode(work, at + 1);
    if (!code.found) continue;
    const std::string& c = code.whole;
    const std::string& d = code.decimals;
    const bool whole = AllZeros(d);
    const int tenth = d.empty() ? 0 : d[0] - '0';
    const bool one_decimal = d.empty() || AllZeros(d.substr(1));
    if (whole && (c == "17" || c == "18" || c == "19")) modes.plane = std::stoi(c);
    if (whole && (c == "2" || c == "3")) modes.motion = ReferenceModes::kArc;
    if (whole && (c == "73" || c == "83")) modes.motion = ReferenceModes::kPeck;
    if (whole && c.size() == 2 && c[0] == '8' && c != "80" && c != "83") modes.motion = ReferenceModes::kDrilling;
    const bool straight = (whole && (c == "0" || c == "1" || c == "33" || c == "76" || c == "80" || c == "5")) ||
                          (one_decimal && c == "38" && tenth >= 2 && tenth <= 5) ||
                          (one_decimal && c == "5" && tenth >= 1 && tenth <= 3) ||
                          (one_decimal && c == "33" && tenth == 1);
    if (straight) modes.motion = ReferenceModes::kOther;
  }
}

}  // namespace

bool ReferenceSetsConfiguration(const std::string& line) {
  const std::string work = UpperCase(line);
  return ReadCodes(work, Protect(work)).configuration;
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
  if (line.empty() || std::string_view("(/%#;").find(line[0]) != std::string_view::npos) return result;
  std::string work = UpperCase(line);
  const std::size_t first = line.find_first_not_of(" \t");
  if (first != std::string::npos && (line[first] == 'O' || line[first] == 'o')) return result;  // an O word
  FollowModes(work, modes);
  if (work.find("M20ADDITION") != std::string::npos) return result;

  // A line that sets the machine's configuration passes as read.
  CodeMeaning meaning = ReadCodes(work, Protect(work));
  // A dwell's S is its time where the line gives no P (any P word, before
  // the comment, read as written).
  if (meaning.dwell) {
    const std::string words = work.substr(0, Protect(work).comment);
    bool p = false;
    for (std::size_t at = words.find('P'); at != std::string::npos && !p; at = words.find('P', at + 1)) {
      const std::size_t next = words.find_first_not_of(" \t", at + 1);
      p = next != std::string::npos && std::string_view("0123456789.+-").find(words[next]) != std::string_view::npos;
    }
    meaning.no_spindle_speed = meaning.no_spindle_speed || !p;
  }
  if (meaning.configuration) return result;
  EditCodes(work, settings, modes.plane);
  auto has_code = [&](const char* wanted) {
    const Protection protection = Protect(work);
    for (std::size_t at = 0; at < protection.comment; ++at) {
      if (!protection.Word(at) || work[at] != 'G') continue;
      const Code code = ReadCode(work, at + 1);
      if (code.found && code.whole == wanted && AllZeros(code.decimals)) return true;
    }
    return false;
  };
  const bool offsets = has_code("10");
  // G53, and G10 with L1, L2, L10 or L11 (the first L before the comment,
  // its whole digits): positions on the machine.
  const bool machine = has_code("53") || (offsets && [&] {
                         const std::size_t comment = Protect(work).comment;
                         const std::size_t l = work.substr(0, comment).find('L');
                         if (l == std::string::npos) return false;
                         std::size_t at = l + 1;
                         while (at < comment && (work[at] == ' ' || work[at] == '\t')) ++at;
                         long value = -1;  // whole digits, read until the number reaches 1000
                         for (; at < comment && IsDigitChar(work[at]) && value < 1000; ++at) {
                           value = (value < 0 ? 0 : value * 10) + (work[at] - '0');
                         }
                         return value == 1 || value == 2 || value == 10 || value == 11;
                       }());
  // R: an arc's radius where the plane's axes have scales of one size, a
  // cycle's retract plane on the plane's normal; Q: a peck's depth in a
  // conversion of units. Elsewhere they stay (nullopt).
  const float plane_first = modes.plane == 17 ? settings.XScale : modes.plane == 18 ? settings.ZScale : settings.YScale;
  const float plane_second = modes.plane == 17 ? settings.YScale : modes.plane == 18 ? settings.XScale : settings.ZScale;
  const float normal = modes.plane == 17 ? settings.ZScale : modes.plane == 18 ? settings.YScale : settings.XScale;
  std::optional<float> radius;
  if (settings.XScale != 1 || settings.YScale != 1 || settings.ZScale != 1) {
    if (modes.motion == ReferenceModes::kArc && std::fabs(plane_first) == std::fabs(plane_second)) {
      radius = std::fabs(plane_first);
    }
    if (modes.motion == ReferenceModes::kDrilling || modes.motion == ReferenceModes::kPeck) radius = normal;
    if (offsets) radius.reset();
  }
  std::optional<float> peck;
  if (UnitConversionOf(settings) != UnitConversion::None && modes.motion == ReferenceModes::kPeck) {
    peck = settings.XScale;
  }

  struct Row {
    char letter;
    float scale;
    float addend;
  };
  const Row rows[] = {{'X', settings.XScale, 0},        {'I', settings.XScale, 0},
                      {'Y', settings.YScale, 0},        {'J', settings.YScale, 0},
                      {'Z', settings.ZScale, 0},        {'K', settings.ZScale, 0},
                      {'A', settings.AScale, 0},        {'F', settings.FeedScale, settings.FeedAdd},
                      {'S', 1, settings.SpindleRPM},
                      {'R', radius.value_or(0), 0},
                      {'Q', peck.value_or(0), 0}};
  const bool units = UnitConversionOf(settings) != UnitConversion::None;
  // What each letter's first word holds as read: a number (a digit in the
  // run after the letter), an expression or a parameter, or neither. A
  // removed word may bring either next to a letter that had neither; such a
  // word stays as it is.
  enum class Value { None, Number, Expression };
  Value as_read[std::size(rows)] = {};
  {
    const Protection protection = Protect(work);
    for (std::size_t r = 0; r < std::size(rows); ++r) {
      std::size_t at = 0;
      while (at < protection.comment && (work[at] != rows[r].letter || !protection.Word(at))) ++at;
      if (at >= protection.comment) continue;
      std::size_t end = at + 1;
      while (end < work.size() && std::string_view("1234567890.+- \t").find(work[end]) != std::string_view::npos) ++end;
      const std::string run = work.substr(at + 1, end - at - 1);
      if (std::any_of(run.begin(), run.end(), IsDigitChar)) {
        as_read[r] = Value::Number;
      } else if (run.find('.') == std::string::npos && end < protection.comment && protection.inside[end]) {
        as_read[r] = Value::Expression;
      }
    }
  }
  for (const Row& row : rows) {
    if ((row.letter == 'R' && !radius) || (row.letter == 'Q' && !peck)) continue;
    if (machine && std::string_view("IJKA").find(row.letter) != std::string_view::npos) continue;
    if (machine && !units && std::string_view("XYZ").find(row.letter) != std::string_view::npos) continue;
    const Protection protection = Protect(work);
    std::size_t position = work.find(row.letter);
    while (position != std::string::npos && position < protection.comment && !protection.Word(position)) {
      position = work.find(row.letter, position + 1);
    }
    if (position == std::string::npos || position >= protection.comment) continue;
    if (row.letter == 'S' && (settings.SpindleRPM == 0 || meaning.no_spindle_speed)) continue;

    // The run: number characters and blanks, without the blanks at its end;
    // its value, read with the blanks ignored, has no exponent.
    std::size_t run_end = position + 1;
    while (run_end < work.size() &&
           std::string_view("1234567890.+- \t").find(work[run_end]) != std::string_view::npos) {
      ++run_end;
    }
    const std::string run = work.substr(position + 1, run_end - position - 1);
    // An expression or a parameter after blanks and signs (no point): one
    // bracket expression scales it, where the row changes the value.
    if (std::none_of(run.begin(), run.end(), IsDigitChar) && run.find('.') == std::string::npos &&
        run_end < protection.comment && protection.inside[run_end]) {
      if ((row.scale == 1 && row.addend == 0) || as_read[&row - rows] != Value::Expression) continue;
      const std::size_t end = work[run_end] == '[' ? BracketEnd(work, run_end) : ParameterEnd(work, run_end);
      // Brackets that do not close in order: left as read.
      int depth = 0;
      bool balanced = true;
      for (std::size_t k = run_end; k < end && balanced; ++k) {
        if (work[k] == '[') ++depth;
        if (work[k] == ']') balanced = --depth >= 0;
      }
      if (!balanced || depth != 0) continue;
      const std::size_t value = work.find_first_not_of(" \t", position + 1);
      std::string wrapped = "[" + work.substr(value, end - value);
      if (row.scale != 1) wrapped += "*" + WriteFixed(RoundExactly(row.scale, 7), 7);
      if (row.addend != 0) {
        wrapped += (row.addend > 0 ? "+" : "") + WriteFixed(RoundExactly(row.addend, 7), row.letter == 'S' ? 0 : 7);
      }
      wrapped += "]";
      work = Trim(row.scale != 0 ? work.substr(0, position + 1) + wrapped + work.substr(end)
                                 : work.substr(0, position) + work.substr(end));
      continue;
    }
    // No number, or none as read: left as it is.
    if (std::none_of(run.begin(), run.end(), IsDigitChar) || as_read[&row - rows] != Value::Number) continue;
    while (run_end > position + 1 && (work[run_end - 1] == ' ' || work[run_end - 1] == '\t')) --run_end;
    // A run that is not one number stays as read.
    if (!WellFormed(work.substr(position + 1, run_end - (position + 1)))) {
      work = Trim(work);
      continue;
    }
    const double read = ReferenceLeadingNumber(work.substr(position + 1, run_end - (position + 1)));
    if (!(std::fabs(read) <= FLT_MAX) || std::isinf(static_cast<float>(read) * row.scale)) {
      result.status = RewriteStatus::OutOfRange;
      return result;
    }
    const float product = static_cast<float>(read) * row.scale;
    std::string text = WriteFixed(RoundExactly(product, 7), 4);
    // From 1000 up the 7 digits would drop decimals that are written.
    if (std::fabs(product) >= 1000.0f) {
      const std::string exact = ExactProduct(work.substr(position + 1, run_end - (position + 1)), row.scale);
      if (!exact.empty()) text = exact;
    }
    if (row.addend != 0) text = WriteFixed(RoundExactly(ReadBack(text) + static_cast<double>(row.addend), 15), 4);
    if (row.letter == 'S') text = WriteFixed(RoundExactly(ReadBack(text), 15), 0);
    if (ReadBack(text) == 0 && row.letter == 'F' && settings.FeedScale != 0) {
      result.status = RewriteStatus::ZeroFeed;
      return result;
    }
    const std::string prefix = work.substr(0, position + 1);
    const std::string tail = work.substr(run_end);
    work = Trim(row.scale != 0 ? prefix + text + tail : prefix.substr(0, position) + tail);
  }
  if (settings.XYexchange && !machine) {
    // Each stretch outside protected text on its own.
    const Protection protection = Protect(work);
    std::string exchanged;
    std::size_t start = 0;
    for (std::size_t at = 0; at <= work.size(); ++at) {
      const bool boundary = at == work.size() || (at > 0 && protection.inside[at] != protection.inside[at - 1]);
      if (!boundary) continue;
      const std::string stretch = work.substr(start, at - start);
      exchanged += start < work.size() && protection.inside[start] ? stretch : Exchange(stretch);
      start = at;
    }
    work = exchanged;
  }
  result.line = work;
  return result;
}

}  // namespace kivrel::testing
