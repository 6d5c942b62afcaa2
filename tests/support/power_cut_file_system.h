#pragma once

#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "support/file_system_wrapper.h"

namespace kivrel::testing {

// Wraps a file system and keeps beside it what a power cut would leave on
// the disk at every moment. What was written to a file but not synced is
// lost; of the changes of names in a folder (files created, renamed,
// removed) made since the folder was last synced, any first part may have
// reached the disk, in order, as a journal keeps them.
class PowerCutFileSystem : public FileSystemWrapper {
 public:
  // A state the disk may be found in: each file there, with its content.
  using DiskState = std::map<std::string, std::string>;
  struct Cut {
    std::string after;  // the operation the power was cut after
    std::vector<DiskState> states;
  };

  // `on_disk`: the files there before, written and synced long ago.
  PowerCutFileSystem(FileSystem& base, const DiskState& on_disk);

  // For each operation that wrote, synced, named or removed a file, the
  // states a power cut right after it may leave.
  const std::vector<Cut>& cuts() const { return cuts_; }

  std::unique_ptr<WritableFile> CreateTemporaryBeside(const std::string& target,
                                                      std::string& temporary_path) override;
  void LinkTemporaryBeside(const std::string& path, const std::string& target,
                           std::string& temporary_path) override;
  void Rename(const std::string& from, const std::string& to) override;
  void SyncFolderOf(const std::string& path) override;
  void Remove(const std::string& path) override;
  void Empty(const std::string& path) override;

  // Used by the wrapped files.
  void Appended(int file, std::string_view data, const std::string& path);
  void Synced(int file, const std::string& path);

 private:
  // A change of names: `removed` loses its name, `added` names file `file`
  // (either may be empty).
  struct Change {
    std::string removed;
    std::string added;
    int file = -1;
  };
  int NewFile(const std::string& content);
  void ChangeNames(const std::string& operation, const Change& change);
  void Record(const std::string& operation);

  std::vector<std::string> written_;       // each file's content as the program sees it
  std::vector<std::string> synced_;        // and as the disk holds it
  std::map<std::string, int> names_;       // the names as the program sees them
  std::map<std::string, int> disk_names_;  // the names the disk holds for sure
  std::vector<Change> pending_;     // changes of names not yet synced, in order
  std::vector<Cut> cuts_;
};

}  // namespace kivrel::testing
