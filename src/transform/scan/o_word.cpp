#include "transform/scan/o_word.h"

#include "common/ascii.h"
#include "transform/scan/protected_text.h"
#include "transform/scan/word_characters.h"

namespace kivrel {
namespace {

using protected_text::IsDigit;
using word_characters::IsBlank;

using ascii::IsLetter;
using ascii::Lower;

// The place of the first character at or after `at` that is no blank.
std::size_t Next(std::string_view line, std::size_t at) {
  while (at < line.size() && IsBlank(line[at])) ++at;
  return at;
}

}  // namespace

OWord ReadOWord(std::string_view line) {
  OWord word;
  std::size_t at = Next(line, Next(line, 0) + 1);  // past the O
  if (at < line.size() && line[at] == '<') {
    std::size_t close = at + 1;
    while (close < line.size() && line[close] != '>') ++close;
    if (close == line.size()) return word;  // no closing ">": nothing can be told
    for (; at <= close; ++at) {
      if (!IsBlank(line[at])) word.name += Lower(line[at]);
    }
  } else if (at < line.size() && IsDigit(line[at])) {
    for (; at < line.size() && IsDigit(line[at]); at = Next(line, at + 1)) {
      if (line[at] != '0' || !word.name.empty()) word.name += line[at];  // no leading zeros
    }
    if (word.name.empty()) word.name.push_back('0');  // all zeros
  } else if (at < line.size() && line[at] == '[') {
    // A number computed as the program runs: the keyword still tells a call.
    at = protected_text::End(reinterpret_cast<const unsigned char*>(line.data()), line.size(), at);
  } else {
    return word;
  }
  for (at = Next(line, at); at < line.size() && IsLetter(line[at]); at = Next(line, at + 1)) {
    word.keyword += Lower(line[at]);
    word.end = at + 1;
  }
  return word;
}

}  // namespace kivrel
