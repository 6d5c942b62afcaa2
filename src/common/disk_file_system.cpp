// What the platforms' DiskFileSystem share.
#include "common/disk_file_system.h"

namespace kivrel {

DiskFileSystem::DiskFileSystem() : names_(std::random_device{}()) {}

std::string DiskFileSystem::NextTemporaryName(const std::string& target) {
  static constexpr char kHex[] = "0123456789abcdef";
  std::uint64_t tag = names_();
  std::string name = target + ".";
  for (int i = 0; i < 12; ++i, tag >>= 4) name += kHex[tag & 15];
  return name + ".tmp";
}

}  // namespace kivrel
