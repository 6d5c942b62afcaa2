#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/file_system.h"

namespace kivrel::testing {

// A file system that hands every call to another one. Test wrappers derive
// from it and override only the calls they watch or make fail.
class FileSystemWrapper : public FileSystem {
 public:
  explicit FileSystemWrapper(FileSystem& base) : base_(base) {}

  std::unique_ptr<ReadableFile> OpenForReading(const std::string& path) override {
    return base_.OpenForReading(path);
  }
  std::unique_ptr<WritableFile> CreateTemporaryBeside(const std::string& target,
                                                      std::string& temporary_path) override {
    return base_.CreateTemporaryBeside(target, temporary_path);
  }
  void LinkTemporaryBeside(const std::string& path, const std::string& target,
                           std::string& temporary_path) override {
    base_.LinkTemporaryBeside(path, target, temporary_path);
  }
  void Rename(const std::string& from, const std::string& to) override { base_.Rename(from, to); }
  void SyncFolderOf(const std::string& path) override { base_.SyncFolderOf(path); }
  void Remove(const std::string& path) override { base_.Remove(path); }
  void Empty(const std::string& path) override { base_.Empty(path); }
  bool Exists(const std::string& path) override { return base_.Exists(path); }
  bool IsOrdinaryFile(const std::string& path) override { return base_.IsOrdinaryFile(path); }
  std::uint64_t FileSize(const std::string& path) override { return base_.FileSize(path); }
  bool IsReadOnly(const std::string& path) override { return base_.IsReadOnly(path); }
  std::string PathInFileText(const std::string& path) override { return base_.PathInFileText(path); }

 protected:
  FileSystem& base() { return base_; }

 private:
  FileSystem& base_;
};

}  // namespace kivrel::testing
