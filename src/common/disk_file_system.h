#pragma once

#include <random>

#include "common/file_system.h"

namespace kivrel {

// The real files, through the C library's unbuffered streams and
// <filesystem>. The text streams do their own buffering in large blocks.
class DiskFileSystem : public FileSystem {
 public:
  DiskFileSystem();

  std::unique_ptr<ReadableFile> OpenForReading(const std::string& path) override;
  std::unique_ptr<WritableFile> CreateTemporaryBeside(const std::string& target,
                                                      std::string& temporary_path) override;
  void Rename(const std::string& from, const std::string& to) override;
  void Remove(const std::string& path) override;
  bool Exists(const std::string& path) override;
  bool IsOrdinaryFile(const std::string& path) override;
  std::uint64_t FileSize(const std::string& path) override;
  bool IsReadOnly(const std::string& path) override;
  std::string PathInFileText(const std::string& path) override;

 private:
  // `target`, a dot, 12 random hexadecimal digits and ".tmp".
  std::string NextTemporaryName(const std::string& target);

  std::mt19937_64 names_;
};

}  // namespace kivrel
