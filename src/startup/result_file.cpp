#include "startup/result_file.h"

#include "common/replace_file.h"
#include "common/version.h"

namespace kivrel {
std::string ResultFileText(const std::optional<std::string>& output_line, ResultStatus status,
                           const std::string& message) {
  std::string text = "kivrel.pre\r\nversion:" + std::to_string(kResultVersion) + "\r\n";
  if (output_line) text += *output_line + "\r\n";
  text += std::to_string(static_cast<int>(status)) + "\r\n";
  text += message + "\r\n";
  return text;
}

void WriteResultFile(FileSystem& files, const std::string& path,
                     const std::optional<std::string>& output_line, ResultStatus status,
                     const std::string& message) {
  ReplaceFile(files, path, ResultFileText(output_line, status, message));
}

}  // namespace kivrel
