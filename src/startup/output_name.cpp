#include "startup/output_name.h"

namespace kivrel {

std::string DeriveOutputName(const std::string& command_text) {
  const char last = command_text.empty() ? '\0' : command_text.back();
  const int sequence = (last >= '0' && last <= '9') ? last - '0' + 1 : 1;
  const std::size_t dot = command_text.rfind('.');
  std::string name = dot == std::string::npos ? std::string() : command_text.substr(0, dot + 1);
  name += "pr";
  name += std::to_string(sequence);
  return name;
}

}  // namespace kivrel
