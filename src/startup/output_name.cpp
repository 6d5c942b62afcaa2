#include "startup/output_name.h"

#include <string_view>

#include "common/ascii.h"

namespace kivrel {
namespace {

using ascii::IsDigit;

// "pr" in any letter case followed by one or more digits.
bool IsChainExtension(std::string_view extension) {
  if (extension.size() < 3 || (extension[0] != 'p' && extension[0] != 'P') ||
      (extension[1] != 'r' && extension[1] != 'R')) {
    return false;
  }
  for (char c : extension.substr(2)) {
    if (!IsDigit(c)) return false;
  }
  return true;
}

// The decimal `digits` plus one, without leading zeros; any length.
std::string PlusOne(std::string_view digits) {
  while (digits.size() > 1 && digits.front() == '0') digits.remove_prefix(1);
  std::string sum(digits);
  for (std::size_t i = sum.size(); i-- > 0;) {
    if (sum[i] != '9') {
      ++sum[i];
      return sum;
    }
    sum[i] = '0';
  }
  return "1" + sum;
}

}  // namespace

std::string DeriveOutputName(const std::string& command_text) {
  const std::size_t folder_end = command_text.find_last_of("\\/");
  const std::size_t name_start = folder_end == std::string::npos ? 0 : folder_end + 1;
  const std::size_t dot = command_text.rfind('.');
  const bool has_dot = dot != std::string::npos && dot >= name_start;

  std::string sequence = "1";
  const std::string_view extension =
      has_dot ? std::string_view(command_text).substr(dot + 1) : std::string_view();
  if (IsChainExtension(extension)) {
    sequence = PlusOne(extension.substr(2));
  } else if (!command_text.empty() && IsDigit(command_text.back())) {
    sequence = std::to_string(command_text.back() - '0' + 1);
  }
  std::string name = has_dot ? command_text.substr(0, dot + 1) : command_text + ".";
  name += "pr";
  name += sequence;
  return name;
}

}  // namespace kivrel
