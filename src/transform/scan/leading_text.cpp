#include "transform/scan/leading_text.h"

#include <string_view>

#include "common/ascii.h"
#include "transform/scan/protected_text.h"

namespace kivrel {
namespace {

using ascii::IsBlank;
using ascii::IsDigit;
using ascii::IsLetter;

// The functions a value may start with (ATAN[a]/[b] takes two).
bool IsFunction(std::string_view name) {
  static constexpr std::string_view kNames[] = {"ABS", "ACOS", "ASIN", "ATAN",  "COS",  "EXISTS", "EXP",
                                                "FIX", "FUP",  "LN",   "ROUND", "SIN",  "SQRT",   "TAN"};
  for (std::string_view known : kNames) {
    if (ascii::EqualIgnoringCase(name, known)) return true;
  }
  return false;
}

std::size_t SkipBlanks(const unsigned char* text, std::size_t size, std::size_t at) {
  while (at < size && IsBlank(text[at])) ++at;
  return at;
}

// Where the value that starts at `at` ends: signs, then a number (blanks
// may stand between its characters), an expression, a parameter, or a
// function of expressions; 0 where there is none.
std::size_t ValueEnd(const unsigned char* text, std::size_t size, std::size_t at) {
  while (at < size && (text[at] == '+' || text[at] == '-' || IsBlank(text[at]))) ++at;
  if (at >= size) return 0;
  const unsigned char c = text[at];
  if (IsDigit(c) || c == '.') {
    bool digit = false;
    std::size_t end = at;
    for (std::size_t i = at; i < size && (IsDigit(text[i]) || text[i] == '.' || IsBlank(text[i])); ++i) {
      if (!IsBlank(text[i])) end = i + 1;
      digit = digit || IsDigit(text[i]);
    }
    return digit ? end : 0;
  }
  if (c == '[' || (c == '#' && protected_text::StartsParameter(text, size, at))) {
    return protected_text::End(text, size, at);
  }
  if (!IsLetter(c)) return 0;
  std::size_t name_end = at;
  while (name_end < size && IsLetter(text[name_end])) ++name_end;
  const std::string_view name(reinterpret_cast<const char*>(text) + at, name_end - at);
  std::size_t i = SkipBlanks(text, size, name_end);
  if (!IsFunction(name) || i >= size || text[i] != '[') return 0;
  i = protected_text::End(text, size, i);
  if (ascii::EqualIgnoringCase(name, "ATAN")) {
    i = SkipBlanks(text, size, i);
    if (i >= size || text[i] != '/') return 0;
    i = SkipBlanks(text, size, i + 1);
    if (i >= size || text[i] != '[') return 0;
    i = protected_text::End(text, size, i);
  }
  return i;
}

// Where the assignment that starts at `at` ("#1 = 5") ends; 0 where it is
// none the controller reads.
std::size_t AssignmentEnd(const unsigned char* text, std::size_t size, std::size_t at) {
  if (!protected_text::StartsParameter(text, size, at)) return 0;
  std::size_t i = SkipBlanks(text, size, protected_text::End(text, size, at));
  if (i >= size || text[i] != '=') return 0;
  return ValueEnd(text, size, i + 1);
}

}  // namespace

std::size_t WordsAfterLeadingText(std::string_view line) {
  const auto* text = reinterpret_cast<const unsigned char*>(line.data());
  const std::size_t size = line.size();
  std::size_t at = 0;
  bool leading = false;
  for (;;) {
    at = SkipBlanks(text, size, at);
    if (at >= size) return 0;
    if (text[at] == '(') {
      const std::size_t close = line.find(')', at);
      if (close == std::string_view::npos) return 0;
      at = close + 1;
    } else if (text[at] == '#') {
      at = AssignmentEnd(text, size, at);
      if (at == 0) return 0;
    } else {
      break;
    }
    leading = true;
  }
  const bool word = IsLetter(text[at]) && text[at] != 'O' && text[at] != 'o';
  return leading && word ? at : 0;
}

}  // namespace kivrel
