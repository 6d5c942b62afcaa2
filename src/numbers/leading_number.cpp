#include "numbers/leading_number.h"

#include <charconv>
#include <cstdint>
#include <limits>
#include <string>

#include "common/ascii.h"
#include "numbers/plain_number.h"

namespace kivrel {
namespace {

// Blanks a number may follow, a line end among them.
bool IsBlankOrLineEnd(char c) { return ascii::IsBlank(static_cast<unsigned char>(c)) || c == '\n'; }
using ascii::IsDigit;

class Cursor {
 public:
  explicit Cursor(std::string_view text) : text_(text) {}
  // The next character that is not a blank, or '\0' at the end.
  char Peek() {
    while (at_ < text_.size() && IsBlankOrLineEnd(text_[at_])) ++at_;
    return at_ < text_.size() ? text_[at_] : '\0';
  }
  void Skip() { ++at_; }
  std::size_t Mark() const { return at_; }
  void Reset(std::size_t mark) { at_ = mark; }

 private:
  std::string_view text_;
  std::size_t at_ = 0;
};

double WholeNumber(Cursor& in, int base) {
  double value = 0;
  for (;;) {
    char c = in.Peek();
    int digit;
    if (IsDigit(c)) digit = c - '0';
    else if (base == 16 && c >= 'a' && c <= 'f') digit = c - 'a' + 10;
    else if (base == 16 && c >= 'A' && c <= 'F') digit = c - 'A' + 10;
    else break;
    if (digit >= base) break;
    value = value * base + digit;
    in.Skip();
  }
  return value;
}

// Collects the compacted number text; short numbers stay on the stack.
class NumberText {
 public:
  void Push(char c) {
    if (size_ < sizeof(small_)) {
      small_[size_++] = c;
      return;
    }
    if (large_.empty()) large_.assign(small_, size_);
    large_ += c;
    ++size_;
  }
  std::string_view View() const {
    return large_.empty() ? std::string_view(small_, size_) : std::string_view(large_);
  }

 private:
  char small_[96];
  std::size_t size_ = 0;
  std::string large_;
};

// Reads any number text: collects the digits and lets from_chars round.
double ReadGeneral(std::string_view text);

}  // namespace

// The common case, "123.4567" and the like, is read in one pass: a mantissa
// of at most 15 digits and a power of ten up to 22 are both exact doubles,
// so one multiplication or division rounds correctly. Anything else goes
// the general way.
double LeadingNumber(std::string_view text) {
  const char* p = text.data();
  const std::size_t n = text.size();
  std::size_t i = 0;
  while (i < n && p[i] == ' ') ++i;
  const PlainNumber number = ReadPlainNumber(text.substr(i));
  if (number.digits > 15) return ReadGeneral(text);
  i += number.end;
  if (i < n) {
    // An exponent, a number that goes on after blanks, or a hexadecimal or
    // octal number: the general way.
    std::size_t next = i;
    while (next < n && IsBlankOrLineEnd(p[next])) ++next;
    if (next < n) {
      const char c = p[next];
      if (c == 'E' || c == 'e' || c == 'D' || c == 'd' || c == '&' || (c >= '0' && c <= '9') ||
          (c == '.' && !number.point) || (number.digits == 0 && (c == '+' || c == '-'))) {
        return ReadGeneral(text);
      }
    }
  }
  return number.digits == 0 ? 0 : number.value;
}

namespace {

// NOLINTNEXTLINE(readability-function-size): one reading of a general number, step by step
double ReadGeneral(std::string_view text) {
  Cursor in(text);
  if (in.Peek() == '&') {
    in.Skip();
    char kind = in.Peek();
    if (kind == 'H' || kind == 'h') {
      in.Skip();
      return WholeNumber(in, 16);
    }
    if (kind == 'O' || kind == 'o') {
      in.Skip();
      return WholeNumber(in, 8);
    }
    return 0;
  }

  bool negative = false;
  if (in.Peek() == '+' || in.Peek() == '-') {
    negative = in.Peek() == '-';
    in.Skip();
  }
  NumberText number;
  bool point = false;
  int digits = 0;
  long lead = 0;          // decimal magnitude of the first significant digit
  bool significant = false;
  int zeros_after_point = 0;
  for (;;) {
    char c = in.Peek();
    if (IsDigit(c)) {
      ++digits;
      if (!point && (significant || c != '0')) ++lead;
      if (point && !significant && c == '0') ++zeros_after_point;
      if (c != '0') significant = true;
      number.Push(c);
    } else if (c == '.' && !point) {
      point = true;
      number.Push(c);
    } else {
      break;
    }
    in.Skip();
  }
  if (digits == 0) return 0;

  long exponent = 0;
  char e = in.Peek();
  if (e == 'E' || e == 'e' || e == 'D' || e == 'd') {
    std::size_t before = in.Mark();
    in.Skip();
    bool exponent_negative = false;
    char sign = in.Peek();
    if (sign == '+' || sign == '-') {
      exponent_negative = sign == '-';
      in.Skip();
    }
    if (IsDigit(in.Peek())) {
      number.Push('e');
      if (exponent_negative) number.Push('-');
      while (IsDigit(in.Peek())) {
        char c = in.Peek();
        if (exponent < 100000) exponent = exponent * 10 + (c - '0');
        number.Push(c);
        in.Skip();
      }
      if (exponent_negative) exponent = -exponent;
    } else {
      in.Reset(before);
    }
  }

  std::string_view view = number.View();
  double value = 0;
  auto [end, error] = std::from_chars(view.data(), view.data() + view.size(), value);
  (void)end;
  if (error == std::errc::result_out_of_range) {
    long magnitude = (lead > 0 ? lead - 1 : -zeros_after_point - 1) + exponent;
    value = magnitude > 0 ? std::numeric_limits<double>::infinity() : 0.0;
  }
  return negative ? -value : value;
}

}  // namespace
}  // namespace kivrel
