#include "platform/process_info.h"

#include <filesystem>
#include <system_error>

namespace kivrel {

std::string ExecutableFolder(const char* argv0) {
  namespace fs = std::filesystem;
  std::error_code ec;
  fs::path self = fs::read_symlink("/proc/self/exe", ec);
  if (!ec) return self.parent_path().string();
  fs::path fallback = fs::canonical(fs::path(argv0 != nullptr ? argv0 : "."), ec);
  if (ec) fallback = fs::absolute(fs::path(argv0 != nullptr ? argv0 : "."), ec);
  return fallback.parent_path().string();
}

std::string CommandTail(int argc, const char* const* argv) {
  std::string tail;
  for (int i = 1; i < argc; ++i) {
    if (i > 1) tail += ' ';
    tail += argv[i];
  }
  return tail;
}

void UseBinaryStandardStreams() {}

}  // namespace kivrel
