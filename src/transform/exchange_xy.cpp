#include "transform/exchange_xy.h"

#include <string_view>

#include "transform/line_tables.h"

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
  if (line.find("TEMP") == std::string::npos) {
    // Without marker text in the line the eight passes below amount to
    // trading X with Y and I with J.
    for (char& c : line) c = static_cast<char>(kExchanged[static_cast<unsigned char>(c)]);
    return;
  }
  ReplaceAll(line, "X", "--TEMP2--", spare);
  ReplaceAll(line, "Y", "__TEMP1__", spare);
  ReplaceAll(line, "__TEMP1__", "X", spare);
  ReplaceAll(line, "--TEMP2--", "Y", spare);
  ReplaceAll(line, "I", "--TEMP3--", spare);
  ReplaceAll(line, "J", "__TEMP4__", spare);
  ReplaceAll(line, "__TEMP4__", "I", spare);
  ReplaceAll(line, "--TEMP3--", "J", spare);
}

}  // namespace kivrel
