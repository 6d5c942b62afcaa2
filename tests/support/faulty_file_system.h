#pragma once

#include <map>
#include <string>
#include <vector>

#include "common/file_system.h"

namespace kivrel::testing {

enum class FileOp { OpenForReading, Read, CreateTemporary, Write, CloseWritten, Rename, Remove };

// Wraps a file system and makes chosen operations fail, as a full disk, a
// lost network share or a read-only folder would.
class FaultyFileSystem : public FileSystem {
 public:
  explicit FaultyFileSystem(FileSystem& base) : base_(base) {}

  // The `occurrence`-th operation `op` (counting from 1) on a path that
  // contains `path_part` fails. For Rename the path is the target.
  void FailOn(FileOp op, const std::string& path_part, int occurrence = 1);
  // How many operations `op` on paths containing `path_part` were attempted.
  int Count(FileOp op, const std::string& path_part) const;

  std::unique_ptr<ReadableFile> OpenForReading(const std::string& path) override;
  std::unique_ptr<WritableFile> CreateTemporaryBeside(const std::string& target,
                                                      std::string& temporary_path) override;
  void Rename(const std::string& from, const std::string& to) override;
  void Remove(const std::string& path) override;
  bool Exists(const std::string& path) override { return base_.Exists(path); }
  bool IsOrdinaryFile(const std::string& path) override { return base_.IsOrdinaryFile(path); }
  std::uint64_t FileSize(const std::string& path) override { return base_.FileSize(path); }
  bool IsReadOnly(const std::string& path) override { return base_.IsReadOnly(path); }
  std::string PathInFileText(const std::string& path) override { return base_.PathInFileText(path); }

  // Throws when a fault is due; used by the wrapped files too.
  void Check(FileOp op, const std::string& path);

  // Every operation attempted so far, in order, with its path.
  const std::vector<std::pair<FileOp, std::string>>& log() const { return log_; }

 private:
  struct Fault {
    FileOp op;
    std::string path_part;
    int occurrence;
  };
  FileSystem& base_;
  std::vector<Fault> faults_;
  std::vector<std::pair<FileOp, std::string>> log_;
};

}  // namespace kivrel::testing
