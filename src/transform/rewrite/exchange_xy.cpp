#include "transform/rewrite/exchange_xy.h"

#include <string_view>

#include "transform/scan/kept_text.h"
#include "transform/scan/line_tables.h"

namespace kivrel {
namespace {

using line_tables::kExchanged;

void ReplaceAll(std::string& text, std::string_view from, std::string_view to, std::string& spare) {
  std::size_t found = text.find(from);
  if (found == std::string::npos) return;
  spare.clear();
  std::size_t done = 0;
  for (; found != std::string::npos; found = text.find(from, done)) {
    spare.append(text, done, found - done);
    spare.append(to);
    done = found + from.size();
  }
  spare.append(text, done, std::string::npos);
  text.swap(spare);
}

}  // namespace

void ExchangeXY(std::string& line, std::string& spare) {
  const bool placeholders = line.find("TEMP") != std::string::npos;
  std::string segment;
  std::string segment_spare;
  spare.clear();
  // The stretches outside protected text, exchanged.
  auto exchange = [&](std::size_t from, std::size_t to) {
    if (!placeholders) {
      // Without marker text the eight passes below amount to trading X
      // with Y and I with J.
      for (std::size_t i = from; i < to; ++i)
        spare += static_cast<char>(kExchanged[static_cast<unsigned char>(line[i])]);
      return;
    }
    segment.assign(line, from, to - from);
    ReplaceAll(segment, "X", "--TEMP2--", segment_spare);
    ReplaceAll(segment, "Y", "__TEMP1__", segment_spare);
    ReplaceAll(segment, "__TEMP1__", "X", segment_spare);
    ReplaceAll(segment, "--TEMP2--", "Y", segment_spare);
    ReplaceAll(segment, "I", "--TEMP3--", segment_spare);
    ReplaceAll(segment, "J", "__TEMP4__", segment_spare);
    ReplaceAll(segment, "__TEMP4__", "I", segment_spare);
    ReplaceAll(segment, "--TEMP3--", "J", segment_spare);
    spare += segment;
  };
  std::size_t done = 0;
  kept_text::FindUnexchanged(line, [&](std::size_t start, std::size_t end) {
    exchange(done, start);
    spare.append(line, start, end - start);
    done = end;
  });
  exchange(done, line.size());
  line.swap(spare);
}

}  // namespace kivrel
