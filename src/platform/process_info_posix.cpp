#include "platform/process_info.h"

#include <sched.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <system_error>
#include <thread>

#include "platform/processor_count.h"

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

namespace {

std::string FileText(const std::filesystem::path& path) {
  std::ifstream file(path);
  return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

// The CPU limit that the cgroup folder `path` sets, version 2 or version 1.
std::optional<unsigned> FolderLimit(const std::filesystem::path& path, bool version_2) {
  if (version_2) return ProcessorsOfQuota(FileText("/sys/fs/cgroup" / path / "cpu.max"));
  std::optional<unsigned> limit;
  for (const char* mount : {"/sys/fs/cgroup/cpu", "/sys/fs/cgroup/cpu,cpuacct"}) {
    const std::filesystem::path folder = mount / path;
    std::string quota = FileText(folder / "cpu.cfs_quota_us");
    while (!quota.empty() && quota.back() == '\n') quota.pop_back();
    const std::optional<unsigned> found = ProcessorsOfQuota(quota + " " + FileText(folder / "cpu.cfs_period_us"));
    if (found && (!limit || *found < *limit)) limit = found;
  }
  return limit;
}

// The CPU limit of the cgroup this process is in: the tightest of its own
// and its parents' (version 2), or of the cpu controller's (version 1).
std::optional<unsigned> CgroupProcessors() {
  namespace fs = std::filesystem;
  std::optional<unsigned> tightest;
  const auto take = [&tightest](std::optional<unsigned> limit) {
    if (limit && (!tightest || *limit < *tightest)) tightest = limit;
  };
  std::istringstream lines(FileText("/proc/self/cgroup"));
  for (std::string line; std::getline(lines, line);) {
    // "ID:CONTROLLERS:PATH"
    const std::size_t first = line.find(':');
    const std::size_t second = first == std::string::npos ? first : line.find(':', first + 1);
    if (second == std::string::npos) continue;
    const std::string controllers = line.substr(first + 1, second - first - 1);
    fs::path path = fs::path(line.substr(second + 1)).relative_path();
    const bool version_2 = controllers.empty();
    if (!version_2 && ("," + controllers + ",").find(",cpu,") == std::string::npos) continue;
    // A parent's limit binds too; and a container without a cgroup
    // namespace of its own sees its cgroup mounted at the top, under the
    // host's path.
    for (;; path = path.parent_path()) {
      take(FolderLimit(path, version_2));
      if (path.empty()) break;
    }
  }
  return tightest;
}

}  // namespace

unsigned UsableProcessors() {
  unsigned usable = 1;
  cpu_set_t mask;
  CPU_ZERO(&mask);
  if (sched_getaffinity(0, sizeof(mask), &mask) == 0) {
    usable = static_cast<unsigned>(std::max(1, CPU_COUNT(&mask)));
  } else {
    // A machine of more processors than the mask holds.
    usable = std::max(1U, std::thread::hardware_concurrency());
  }
  const std::optional<unsigned> limit = CgroupProcessors();
  if (limit) usable = std::min(usable, std::max(1U, *limit));
  return usable;
}

}  // namespace kivrel
