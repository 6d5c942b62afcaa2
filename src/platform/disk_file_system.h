#pragma once

#include <cstdint>
#include <map>
#include <random>
#include <string_view>

#include "platform/file_system.h"

namespace kivrel {

// The real files, through the platform's own calls, unbuffered. The text
// streams do their own buffering in large blocks.
class DiskFileSystem : public FileSystem {
 public:
  DiskFileSystem();
  ~DiskFileSystem() override;
  DiskFileSystem(const DiskFileSystem&) = delete;
  DiskFileSystem& operator=(const DiskFileSystem&) = delete;

  std::unique_ptr<ReadableFile> OpenForReading(const std::string& path) override;
  std::unique_ptr<WritableFile> CreateTemporaryBeside(const std::string& target,
                                                      std::string& temporary_path) override;
  void LinkTemporaryBeside(const std::string& path, const std::string& target,
                           std::string& temporary_path) override;
  void Rename(const std::string& from, const std::string& to) override;
  void SyncFolderOf(const std::string& path) override;
  void Remove(const std::string& path) override;
  void Empty(const std::string& path) override;
  bool Exists(const std::string& path) override;
  bool IsOrdinaryFile(const std::string& path) override;
  std::uint64_t FileSize(const std::string& path) override;
  bool IsReadOnly(const std::string& path) override;
  std::string PathInFileText(const std::string& path) override;

  // True for `name`, a file name without its folder, that the temporary
  // files of a target named `target_name` are given.
  static bool IsTemporaryNameOf(std::string_view target_name, std::string_view name);

 private:
  // A temporary file of this process, locked while it lives: the lock (a
  // descriptor, or a handle on Windows) and, where signals remove
  // temporaries, its entry among them.
  struct Held {
    std::intptr_t lock = -1;
    int signal_entry = -1;
  };

  // `target`, a dot, 12 random hexadecimal digits and ".tmp".
  std::string NextTemporaryName(const std::string& target);
  // Removes the temporary files of `target` that no process holds.
  void RemoveLeftovers(const std::string& target);
  // Lets go of a temporary file once it is renamed or removed.
  void Release(const std::string& temporary_path);

  std::mt19937_64 names_;
  std::map<std::string, Held> held_;
};

}  // namespace kivrel
