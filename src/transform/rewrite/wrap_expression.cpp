#include "transform/rewrite/wrap_expression.h"

#include "common/ascii.h"
#include "numbers/fixed_text.h"
#include "transform/scan/protected_text.h"

namespace kivrel {

void WrapExpression(std::size_t position, float scale, float addend, std::string& line, WordEdit& edit) {
  const auto* text = reinterpret_cast<const unsigned char*>(line.data());
  const std::size_t size = line.size();
  std::size_t value = position + 1;
  while (value < size && ascii::IsBlank(static_cast<unsigned char>(text[value]))) ++value;
  std::size_t start = value;
  while (start < size && text[start] != '[' && text[start] != '#') ++start;
  const std::size_t end = start < size ? protected_text::End(text, size, start) : size;
  const std::size_t old_length = end - position;
  std::size_t new_length = 0;
  if (scale == 0) {
    line.erase(position, old_length);
  } else {
    std::string wrapped = "[";
    wrapped.append(line, value, end - value);
    if (scale != 1) {
      wrapped += '*';
      AppendSingle(wrapped, scale, Pattern::SevenDecimals);
    }
    if (addend != 0) {
      if (addend > 0) wrapped += '+';
      // A spindle speed is written whole, as the settings comment writes it.
      AppendSingle(wrapped, addend, line[position] == 'S' ? Pattern::Whole : Pattern::SevenDecimals);
    }
    wrapped += ']';
    line.replace(position + 1, end - position - 1, wrapped);
    new_length = 1 + wrapped.size();
  }
  const std::size_t leading = TrimBlankEnds(line);
  edit.leading = leading;
  edit.shift = static_cast<std::ptrdiff_t>(new_length) - static_cast<std::ptrdiff_t>(old_length) -
               static_cast<std::ptrdiff_t>(leading);
}

}  // namespace kivrel
