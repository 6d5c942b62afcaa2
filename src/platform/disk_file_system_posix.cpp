#include "platform/disk_file_system.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>

#include "common/failure.h"
#include "platform/interrupt_cleanup.h"

namespace kivrel {
namespace {

namespace fs = std::filesystem;

std::error_code LastError() { return {errno, std::generic_category()}; }

// An open descriptor and the path its failures name; closed quietly when
// dropped without Close.
class OpenDescriptor {
 public:
  OpenDescriptor(int descriptor, std::string path) : descriptor_(descriptor), path_(std::move(path)) {}
  ~OpenDescriptor() {
    if (descriptor_ >= 0) close(descriptor_);
  }
  OpenDescriptor(const OpenDescriptor&) = delete;
  OpenDescriptor& operator=(const OpenDescriptor&) = delete;

  int descriptor() const { return descriptor_; }
  const std::string& path() const { return path_; }

  void Close() {
    const int descriptor = descriptor_;
    descriptor_ = -1;
    // After EINTR the descriptor is closed all the same.
    if (descriptor >= 0 && close(descriptor) != 0 && errno != EINTR) throw FileFailure(LastError(), "cannot close", path_);
  }

 private:
  int descriptor_;
  std::string path_;
};

// Puts a file's data on the disk; a descriptor that takes no sync (a
// device, a pipe) has nothing to put there.
void SyncData(int descriptor, const std::string& path) {
  while (fdatasync(descriptor) != 0) {
    if (errno == EINVAL) return;
    if (errno != EINTR) throw FileFailure(LastError(), "cannot sync", path);
  }
}

class DiskReadableFile : public ReadableFile {
 public:
  DiskReadableFile(int descriptor, std::string path) : file_(descriptor, std::move(path)) {}

  // Fills the buffer unless the file ends first.
  std::size_t Read(char* buffer, std::size_t size) override {
    std::size_t got = 0;
    while (got < size) {
      const ssize_t count = read(file_.descriptor(), buffer + got, size - got);
      if (count == 0) break;
      if (count < 0) {
        if (errno == EINTR) continue;
        throw FileFailure(LastError(), "cannot read", file_.path());
      }
      got += static_cast<std::size_t>(count);
    }
    return got;
  }
  void Close() override { file_.Close(); }

 private:
  OpenDescriptor file_;
};

class DiskWritableFile : public WritableFile {
 public:
  DiskWritableFile(int descriptor, std::string path) : file_(descriptor, std::move(path)) {}

  void Append(std::string_view data) override {
    while (!data.empty()) {
      const ssize_t count = write(file_.descriptor(), data.data(), data.size());
      if (count < 0) {
        if (errno == EINTR) continue;
        throw FileFailure(LastError(), "cannot write", file_.path());
      }
      data.remove_prefix(static_cast<std::size_t>(count));
    }
  }
  void Sync() override { SyncData(file_.descriptor(), file_.path()); }
  void Close() override { file_.Close(); }

 private:
  OpenDescriptor file_;
};

// The folder of `path` as a path to open: "." for a bare name.
fs::path FolderOf(const std::string& path) {
  const fs::path folder = fs::path(path).parent_path();
  return folder.empty() ? fs::path(".") : folder;
}

bool SameFile(const struct stat& a, const struct stat& b) { return a.st_dev == b.st_dev && a.st_ino == b.st_ino; }

// Locks the new temporary file open at `descriptor` and checks that `name`
// still names it: a run removing leftovers may have taken it in between.
// Where the disk takes no locks the file goes unlocked, and no run removes
// it either.
bool LockedAndStillNamed(int descriptor, const std::string& name) {
  if (flock(descriptor, LOCK_EX | LOCK_NB) != 0 && (errno == EWOULDBLOCK || errno == EINTR)) return false;
  struct stat open_file {};
  struct stat named {};
  return fstat(descriptor, &open_file) == 0 && stat(name.c_str(), &named) == 0 && SameFile(open_file, named);
}

// Removes the temporary file at `path` if no process holds its lock.
void RemoveIfLeftOver(const std::string& path) {
  const int descriptor = open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  if (descriptor < 0) return;
  struct stat open_file {};
  struct stat named {};
  if (flock(descriptor, LOCK_EX | LOCK_NB) == 0 && fstat(descriptor, &open_file) == 0 &&
      S_ISREG(open_file.st_mode) && lstat(path.c_str(), &named) == 0 && SameFile(open_file, named)) {
    unlink(path.c_str());
  }
  close(descriptor);
}

}  // namespace

std::string PathInFolder(const std::string& folder, const std::string& name) {
  return (fs::path(folder) / name).string();
}

std::unique_ptr<ReadableFile> DiskFileSystem::OpenForReading(const std::string& path) {
  std::error_code ec;
  if (fs::is_directory(fs::path(path), ec)) {
    throw FileFailure(std::make_error_code(std::errc::is_a_directory), "cannot open", path);
  }
  const int descriptor = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (descriptor < 0) throw FileFailure(LastError(), "cannot open", path);
  return std::make_unique<DiskReadableFile>(descriptor, path);
}

void DiskFileSystem::RemoveLeftovers(const std::string& target) {
  const fs::path folder = FolderOf(target);
  const std::string target_name = fs::path(target).filename().string();
  DIR* listing = opendir(folder.c_str());
  if (listing == nullptr) return;
  while (const dirent* entry = readdir(listing)) {
    if (IsTemporaryNameOf(target_name, entry->d_name)) RemoveIfLeftOver((folder / entry->d_name).string());
  }
  closedir(listing);
}

std::unique_ptr<WritableFile> DiskFileSystem::CreateTemporaryBeside(const std::string& target,
                                                                    std::string& temporary_path) {
  RemoveLeftovers(target);
  for (int attempt = 0;; ++attempt) {
    const std::string name = NextTemporaryName(target);
    Held held;
    {
      SignalsHeldBack quiet;
      // O_EXCL: fail rather than share a name with another start's file.
      const int descriptor = open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
      if (descriptor < 0) {
        if (errno == EEXIST && attempt < 100) continue;
        throw FileFailure(LastError(), "cannot create", target);
      }
      held.lock = descriptor;
      if (!LockedAndStillNamed(descriptor, name)) {
        close(descriptor);
        if (attempt == 100) throw FileFailure(std::make_error_code(std::errc::device_or_resource_busy), "cannot create", target);
        continue;
      }
      held.signal_entry = EnterTemporaryForSignals(name);
    }
    held_[name] = held;
    temporary_path = name;
    // The file is written through a descriptor of its own, so that closing
    // it keeps the lock until the file is renamed.
    const int writer = fcntl(static_cast<int>(held.lock), F_DUPFD_CLOEXEC, 0);
    if (writer < 0) {
      const std::error_code error = LastError();
      Remove(name);
      throw FileFailure(error, "cannot create", target);
    }
    // The replacement keeps the permissions of the file it replaces.
    struct stat old {};
    if (stat(target.c_str(), &old) == 0 && S_ISREG(old.st_mode)) fchmod(writer, old.st_mode & 07777);
    return std::make_unique<DiskWritableFile>(writer, target);
  }
}

void DiskFileSystem::LinkTemporaryBeside(const std::string& path, const std::string& target,
                                         std::string& temporary_path) {
  std::error_code ec;
  if (fs::is_directory(fs::path(path), ec)) {
    throw FileFailure(std::make_error_code(std::errc::is_a_directory), "cannot keep", path);
  }
  RemoveLeftovers(target);
  for (int attempt = 0;; ++attempt) {
    const std::string name = NextTemporaryName(target);
    Held held;
    {
      SignalsHeldBack quiet;
      if (link(path.c_str(), name.c_str()) != 0) {
        if (errno == EEXIST && attempt < 100) continue;
        throw FileFailure(LastError(), "cannot keep", path);
      }
      // A file this user may not read goes unlocked.
      const int descriptor = open(name.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
      if (descriptor >= 0 && !LockedAndStillNamed(descriptor, name)) {
        close(descriptor);
        if (attempt == 100) throw FileFailure(std::make_error_code(std::errc::device_or_resource_busy), "cannot keep", path);
        continue;
      }
      held.lock = descriptor;
      held.signal_entry = EnterTemporaryForSignals(name);
    }
    held_[name] = held;
    temporary_path = name;
    return;
  }
}

void DiskFileSystem::Release(const std::string& temporary_path) {
  const auto found = held_.find(temporary_path);
  if (found == held_.end()) return;
  if (found->second.lock >= 0) close(static_cast<int>(found->second.lock));
  LeaveTemporaryForSignals(found->second.signal_entry);
  held_.erase(found);
}

void DiskFileSystem::Rename(const std::string& from, const std::string& to) {
  std::error_code ec;
  if (fs::is_directory(fs::path(to), ec)) {
    throw FileFailure(std::make_error_code(std::errc::is_a_directory), "cannot replace", to);
  }
  if (fs::is_directory(fs::path(from), ec)) {
    throw FileFailure(std::make_error_code(std::errc::is_a_directory), "cannot move", from);
  }
  fs::rename(fs::path(from), fs::path(to), ec);
  if (ec) throw FileFailure(ec, "cannot replace", to);
  Release(from);
}

void DiskFileSystem::SyncFolderOf(const std::string& path) {
  // A folder this user may not read cannot be synced: its changes reach the
  // disk when the system writes them out, within seconds.
  const int folder = open(FolderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (folder < 0) return;
  while (fsync(folder) != 0) {
    if (errno == EINVAL) break;
    if (errno != EINTR) {
      const std::error_code error = LastError();
      close(folder);
      throw FileFailure(error, "cannot sync the folder of", path);
    }
  }
  close(folder);
}

void DiskFileSystem::Remove(const std::string& path) {
  std::error_code ec;
  fs::file_status status = fs::symlink_status(fs::path(path), ec);
  if (!fs::exists(status)) {
    Release(path);
    return;
  }
  if (fs::is_directory(status)) {
    throw FileFailure(std::make_error_code(std::errc::is_a_directory), "cannot remove", path);
  }
  fs::remove(fs::path(path), ec);
  if (ec) throw FileFailure(ec, "cannot remove", path);
  Release(path);
}

void DiskFileSystem::Empty(const std::string& path) {
  const int descriptor = open(path.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
  if (descriptor < 0) throw FileFailure(LastError(), "cannot empty", path);
  OpenDescriptor file(descriptor, path);
  SyncData(descriptor, path);
  file.Close();
}

bool DiskFileSystem::Exists(const std::string& path) {
  std::error_code ec;
  return fs::exists(fs::path(path), ec);
}

bool DiskFileSystem::IsOrdinaryFile(const std::string& path) {
  std::error_code ec;
  return fs::is_regular_file(fs::path(path), ec);
}

bool DiskFileSystem::IsReadOnly(const std::string& path) {
  std::error_code ec;
  const fs::file_status status = fs::status(fs::path(path), ec);
  if (ec || !fs::is_regular_file(status)) return false;
  constexpr fs::perms kWrite = fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
  return (status.permissions() & kWrite) == fs::perms::none;
}

// File names are bytes here, and written as they are.
std::string DiskFileSystem::PathInFileText(const std::string& path) { return path; }

std::uint64_t DiskFileSystem::FileSize(const std::string& path) {
  std::error_code ec;
  std::uintmax_t size = fs::file_size(fs::path(path), ec);
  if (ec) throw FileFailure(ec, "cannot take the size of", path);
  return size;
}

}  // namespace kivrel
