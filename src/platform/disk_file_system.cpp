// What the platforms' DiskFileSystem share.
#include "platform/disk_file_system.h"

namespace kivrel {
namespace {
constexpr std::size_t kTagDigits = 12;
constexpr std::string_view kTemporaryEnd = ".tmp";
}  // namespace

DiskFileSystem::DiskFileSystem() : names_(std::random_device{}()) {}

DiskFileSystem::~DiskFileSystem() {
  while (!held_.empty()) Release(held_.begin()->first);
}

std::string DiskFileSystem::NextTemporaryName(const std::string& target) {
  static constexpr char kHex[] = "0123456789abcdef";
  std::uint64_t tag = names_();
  std::string name = target + ".";
  for (std::size_t i = 0; i < kTagDigits; ++i, tag >>= 4) name += kHex[tag & 15];
  return name.append(kTemporaryEnd);
}

bool DiskFileSystem::IsTemporaryNameOf(std::string_view target_name, std::string_view name) {
  if (name.size() != target_name.size() + 1 + kTagDigits + kTemporaryEnd.size()) return false;
  if (name.substr(0, target_name.size()) != target_name || name[target_name.size()] != '.') return false;
  for (char c : name.substr(target_name.size() + 1, kTagDigits)) {
    if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return false;
  }
  return name.substr(name.size() - kTemporaryEnd.size()) == kTemporaryEnd;
}

}  // namespace kivrel
