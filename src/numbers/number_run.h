#pragma once

#include <cstddef>

#include "common/ascii.h"
#include "numbers/decimal_product.h"

namespace kivrel {

// A word's number run read as the controller reads it.
struct RunNumber {
  // One number: at most one sign, at its start, at most one point and at
  // least one digit, with blanks anywhere between. Any other run ("--1",
  // "1.5.5", "1 - 2", "-") is left as it is.
  bool well_formed = false;
  // `written` holds the number: at most 19 digits from the first that is
  // not 0 on.
  bool fits = true;
  WrittenNumber written;
};

// The run from `from` to `to` in `text`.
inline RunNumber ReadRun(const char* text, std::size_t from, std::size_t to) {
  RunNumber run;
  bool sign = false;
  bool point = false;
  bool digit = false;
  int significant = 0;
  for (std::size_t i = from; i < to; ++i) {
    const char c = text[i];
    if (ascii::IsBlank(static_cast<unsigned char>(c))) continue;
    if (c == '+' || c == '-') {
      if (sign || point || digit) return run;
      sign = true;
      run.written.negative = c == '-';
    } else if (c == '.') {
      if (point) return run;
      point = true;
    } else {  // a digit: the run holds nothing else
      digit = true;
      if (point) ++run.written.decimals;
      if (significant == 0 && c == '0') continue;
      if (++significant > 19) run.fits = false;
      if (run.fits) run.written.digits = run.written.digits * 10 + static_cast<unsigned>(c - '0');
    }
  }
  run.well_formed = digit;
  return run;
}

}  // namespace kivrel
