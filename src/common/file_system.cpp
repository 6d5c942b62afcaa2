#include "common/file_system.h"

#include <filesystem>

namespace kivrel {

std::string PathInFolder(const std::string& folder, const std::string& name) {
  return (std::filesystem::path(folder) / name).string();
}

}  // namespace kivrel
