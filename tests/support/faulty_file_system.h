#pragma once

#include <string>
#include <vector>

#include "support/file_system_wrapper.h"

namespace kivrel::testing {

enum class FileOp {
  OpenForReading, Read, CreateTemporary, Write, Sync, CloseWritten, LinkTemporary, Rename, SyncFolder, Remove, Empty
};

// Wraps a file system and makes chosen operations fail, as a full disk, a
// lost network share or a read-only folder would.
class FaultyFileSystem : public FileSystemWrapper {
 public:
  explicit FaultyFileSystem(FileSystem& base) : FileSystemWrapper(base) {}

  // The `occurrence`-th operation `op` (counting from 1) on a path that
  // contains `path_part` fails. For Rename the path is the target, for
  // LinkTemporary the file linked.
  void FailOn(FileOp op, const std::string& path_part, int occurrence = 1);
  // How many operations `op` on paths containing `path_part` were attempted.
  int Count(FileOp op, const std::string& path_part) const;
  // The faults throw std::system_error, as the C++ library does, instead of
  // the program's own Failure.
  void FailAsTheLibraryDoes() { library_errors_ = true; }

  std::unique_ptr<ReadableFile> OpenForReading(const std::string& path) override;
  std::unique_ptr<WritableFile> CreateTemporaryBeside(const std::string& target,
                                                      std::string& temporary_path) override;
  void LinkTemporaryBeside(const std::string& path, const std::string& target,
                           std::string& temporary_path) override;
  void Rename(const std::string& from, const std::string& to) override;
  void SyncFolderOf(const std::string& path) override;
  void Remove(const std::string& path) override;
  void Empty(const std::string& path) override;

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
  std::vector<Fault> faults_;
  std::vector<std::pair<FileOp, std::string>> log_;
  bool library_errors_ = false;
};

}  // namespace kivrel::testing
