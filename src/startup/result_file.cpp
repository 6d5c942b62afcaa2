#include "startup/result_file.h"

#include <cassert>

#include "common/failure.h"
#include "common/version.h"

namespace kivrel {

std::string ResultFileText(const std::optional<std::string>& output_line, ExitStatus status,
                           const std::string& message) {
  assert(status != ExitStatus::Failure);
  std::string text = "kivrel.pre\r\nversion:" + std::to_string(kResultVersion) + "\r\n";
  if (output_line) text += *output_line + "\r\n";
  text += std::to_string(static_cast<int>(status)) + "\r\n";
  text += message + "\r\n";
  return text;
}

void RemoveEarlierResult(FileSystem& files, const std::string& path) {
  try {
    files.Remove(path);
  } catch (...) {
    try {
      files.Empty(path);
    } catch (...) {
    }
    throw;
  }
}

PendingResult::PendingResult(FileSystem& files, std::string path)
    : files_(files), path_(std::move(path)), replacement_(files_, path_) {}

void PendingResult::Commit(const std::optional<std::string>& output_line, ExitStatus status,
                           const std::string& message) {
  replacement_.writer().Write(ResultFileText(output_line, status, message));
  replacement_.Finish();
  try {
    replacement_.Install();
  } catch (...) {
    if (replacement_.renamed()) DiscardTemporary(files_, path_);
    throw;
  }
}

void WriteResultFile(FileSystem& files, const std::string& path, const std::optional<std::string>& output_line,
                     ExitStatus status, const std::string& message) {
  PendingResult(files, path).Commit(output_line, status, message);
}

}  // namespace kivrel
