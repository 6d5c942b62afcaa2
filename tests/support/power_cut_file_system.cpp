#include "support/power_cut_file_system.h"

#include <filesystem>

namespace kivrel::testing {
namespace {

// A file whose writes and syncs the power-cut model follows.
class WatchedWritable : public WritableFile {
 public:
  WatchedWritable(std::unique_ptr<WritableFile> base, PowerCutFileSystem& owner, int file, std::string path)
      : base_(std::move(base)), owner_(owner), file_(file), path_(std::move(path)) {}
  void Append(std::string_view data) override {
    base_->Append(data);
    owner_.Appended(file_, data, path_);
  }
  void Sync() override {
    base_->Sync();
    owner_.Synced(file_, path_);
  }
  void Close() override { base_->Close(); }

 private:
  std::unique_ptr<WritableFile> base_;
  PowerCutFileSystem& owner_;
  int file_;
  std::string path_;
};

std::string FolderOf(const std::string& path) { return std::filesystem::path(path).parent_path().string(); }

}  // namespace

PowerCutFileSystem::PowerCutFileSystem(FileSystem& base, const DiskState& on_disk) : FileSystemWrapper(base) {
  for (const auto& [path, content] : on_disk) {
    const int file = NewFile(content);
    synced_[file] = content;
    names_[path] = disk_names_[path] = file;
  }
}

int PowerCutFileSystem::NewFile(const std::string& content) {
  written_.push_back(content);
  synced_.emplace_back();
  return static_cast<int>(written_.size()) - 1;
}

void PowerCutFileSystem::Record(const std::string& operation) {
  Cut cut{operation, {}};
  std::map<std::string, int> names = disk_names_;
  for (std::size_t applied = 0;; ++applied) {
    DiskState state;
    for (const auto& [path, file] : names) state[path] = synced_[file];
    cut.states.push_back(std::move(state));
    if (applied == pending_.size()) break;
    const Change& change = pending_[applied];
    if (!change.removed.empty()) names.erase(change.removed);
    if (!change.added.empty()) names[change.added] = change.file;
  }
  cuts_.push_back(std::move(cut));
}

void PowerCutFileSystem::ChangeNames(const std::string& operation, const Change& change) {
  if (!change.removed.empty()) names_.erase(change.removed);
  if (!change.added.empty()) names_[change.added] = change.file;
  pending_.push_back(change);
  Record(operation);
}

std::unique_ptr<WritableFile> PowerCutFileSystem::CreateTemporaryBeside(const std::string& target,
                                                                        std::string& temporary_path) {
  auto file = base().CreateTemporaryBeside(target, temporary_path);
  const int created = NewFile("");
  ChangeNames("create a temporary file of " + target, {"", temporary_path, created});
  return std::make_unique<WatchedWritable>(std::move(file), *this, created, target);
}

void PowerCutFileSystem::LinkTemporaryBeside(const std::string& path, const std::string& target,
                                             std::string& temporary_path) {
  base().LinkTemporaryBeside(path, target, temporary_path);
  ChangeNames("link " + path + " beside " + target, {"", temporary_path, names_.at(path)});
}

void PowerCutFileSystem::Rename(const std::string& from, const std::string& to) {
  base().Rename(from, to);
  ChangeNames("rename to " + to, {from, to, names_.at(from)});
}

void PowerCutFileSystem::SyncFolderOf(const std::string& path) {
  base().SyncFolderOf(path);
  const std::string folder = FolderOf(path);
  std::vector<Change> other_folders;
  for (const Change& change : pending_) {
    const std::string& name = change.added.empty() ? change.removed : change.added;
    if (FolderOf(name) != folder) {
      other_folders.push_back(change);
      continue;
    }
    if (!change.removed.empty()) disk_names_.erase(change.removed);
    if (!change.added.empty()) disk_names_[change.added] = change.file;
  }
  pending_ = std::move(other_folders);
  Record("sync the folder of " + path);
}

void PowerCutFileSystem::Remove(const std::string& path) {
  base().Remove(path);
  if (names_.count(path) != 0) ChangeNames("remove " + path, {path, "", -1});
}

void PowerCutFileSystem::Empty(const std::string& path) {
  base().Empty(path);
  const int file = names_.at(path);
  written_[file].clear();
  synced_[file].clear();
  Record("empty " + path);
}

void PowerCutFileSystem::Appended(int file, std::string_view data, const std::string& path) {
  written_[file].append(data);
  Record("write to " + path);
}

void PowerCutFileSystem::Synced(int file, const std::string& path) {
  synced_[file] = written_[file];
  Record("sync " + path);
}

}  // namespace kivrel::testing
