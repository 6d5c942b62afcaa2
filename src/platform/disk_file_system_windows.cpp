// The files on Windows, through the wide-character calls, so that every
// path a host passes works, non-ASCII and long ones included. Paths are
// UTF-8 inside the program.
#include "platform/disk_file_system.h"

#include <windows.h>

#include "common/failure.h"
#include "platform/long_path_windows.h"
#include "platform/wide_text_windows.h"

namespace kivrel {
namespace {

Failure WindowsFailure(DWORD error, const std::string& action, const std::string& path) {
  return Failure(static_cast<int>(error), action + " \"" + path + "\": " + DescribeError(error));
}

// An open handle and the path its failures name; closed quietly when
// dropped without Close.
class OpenHandle {
 public:
  OpenHandle(HANDLE handle, std::string path) : handle_(handle), path_(std::move(path)) {}
  ~OpenHandle() {
    if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
  }
  OpenHandle(const OpenHandle&) = delete;
  OpenHandle& operator=(const OpenHandle&) = delete;

  HANDLE handle() const { return handle_; }
  const std::string& path() const { return path_; }

  void Close() {
    HANDLE handle = handle_;
    handle_ = INVALID_HANDLE_VALUE;
    if (handle != INVALID_HANDLE_VALUE && !CloseHandle(handle)) {
      throw WindowsFailure(GetLastError(), "cannot close", path_);
    }
  }

 private:
  HANDLE handle_;
  std::string path_;
};

class WindowsReadableFile : public ReadableFile {
 public:
  WindowsReadableFile(HANDLE handle, std::string path) : file_(handle, std::move(path)) {}
  std::size_t Read(char* buffer, std::size_t size) override {
    DWORD got = 0;
    const DWORD want = size > (1u << 30) ? (1u << 30) : static_cast<DWORD>(size);
    if (!ReadFile(file_.handle(), buffer, want, &got, nullptr)) {
      throw WindowsFailure(GetLastError(), "cannot read", file_.path());
    }
    return got;
  }
  void Close() override { file_.Close(); }

 private:
  OpenHandle file_;
};

class WindowsWritableFile : public WritableFile {
 public:
  WindowsWritableFile(HANDLE handle, std::string path) : file_(handle, std::move(path)) {}
  void Append(std::string_view data) override {
    while (!data.empty()) {
      const DWORD want = data.size() > (1u << 30) ? (1u << 30) : static_cast<DWORD>(data.size());
      DWORD written = 0;
      if (!WriteFile(file_.handle(), data.data(), want, &written, nullptr) || written == 0) {
        throw WindowsFailure(GetLastError(), "cannot write", file_.path());
      }
      data.remove_prefix(written);
    }
  }
  void Sync() override {
    if (!FlushFileBuffers(file_.handle())) throw WindowsFailure(GetLastError(), "cannot sync", file_.path());
  }
  void Close() override { file_.Close(); }

 private:
  OpenHandle file_;
};

DWORD Attributes(const std::string& path) { return GetFileAttributesW(FileCallPath(path).c_str()); }

// Calls `call` (a removal or a rename) again while it fails because another
// process holds the file for a moment: another start renaming its result
// over it or removing it, a virus scanner, an indexer. Gives up after about
// a second; then GetLastError() tells why.
template <typename Call>
bool WhileHeldElsewhere(Call call) {
  for (int attempt = 0;; ++attempt) {
    if (call()) return true;
    const DWORD error = GetLastError();
    const bool held = error == ERROR_ACCESS_DENIED || error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION;
    if (!held || attempt == 50) {
      SetLastError(error);
      return false;
    }
    Sleep(20);
  }
}

// A handle that keeps a temporary file from being taken for a leftover
// until it is renamed: it shares everything, so the rename goes through,
// but it reads, so no one opens the file for himself alone meanwhile.
HANDLE GuardHandle(const std::string& path) {
  return CreateFileW(FileCallPath(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                     nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

// The folder part of `path`, with its separator ("" for a bare name).
std::string FolderPart(const std::string& path) {
  const std::size_t separator = path.find_last_of("\\/");
  return separator == std::string::npos ? std::string() : path.substr(0, separator + 1);
}

}  // namespace

std::string PathInFolder(const std::string& folder, const std::string& name) {
  if (folder.empty()) return name;
  const char last = folder.back();
  return last == '\\' || last == '/' ? folder + name : folder + "\\" + name;
}

std::unique_ptr<ReadableFile> DiskFileSystem::OpenForReading(const std::string& path) {
  const DWORD attributes = Attributes(path);
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    throw WindowsFailure(ERROR_DIRECTORY, "cannot open", path);
  }
  // The host may hold the program open, even for writing, while it is read.
  HANDLE handle = CreateFileW(FileCallPath(path).c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                              FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (handle == INVALID_HANDLE_VALUE) throw WindowsFailure(GetLastError(), "cannot open", path);
  return std::make_unique<WindowsReadableFile>(handle, path);
}

void DiskFileSystem::RemoveLeftovers(const std::string& target) {
  const std::string folder = FolderPart(target);
  const std::string target_name = target.substr(folder.size());
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileExW(FileCallPath(target + ".*").c_str(), FindExInfoBasic, &found,
                                   FindExSearchNameMatch, nullptr, 0);
  if (search == INVALID_HANDLE_VALUE) return;
  do {
    const std::string name = Utf8FromWide(found.cFileName);
    if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 || !IsTemporaryNameOf(target_name, name)) continue;
    // Opened for this process alone, which fails while any process holds
    // it, and removed when closed.
    HANDLE leftover = CreateFileW(FileCallPath(folder + name).c_str(), DELETE, 0, nullptr, OPEN_EXISTING,
                                  FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (leftover != INVALID_HANDLE_VALUE) CloseHandle(leftover);
  } while (FindNextFileW(search, &found));
  FindClose(search);
}

std::unique_ptr<WritableFile> DiskFileSystem::CreateTemporaryBeside(const std::string& target,
                                                                    std::string& temporary_path) {
  RemoveLeftovers(target);
  for (int attempt = 0;; ++attempt) {
    const std::string name = NextTemporaryName(target);
    // CREATE_NEW: fail rather than share a name with another start's file.
    // No one may write or remove it meanwhile.
    HANDLE handle = CreateFileW(FileCallPath(name).c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
      const DWORD error = GetLastError();
      if ((error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) || attempt == 100) {
        throw WindowsFailure(error, "cannot create", target);
      }
      continue;
    }
    held_[name].lock = reinterpret_cast<std::intptr_t>(GuardHandle(name));
    temporary_path = name;
    // The replacement keeps the attributes of the file it replaces.
    const DWORD old = Attributes(target);
    if (old != INVALID_FILE_ATTRIBUTES && (old & FILE_ATTRIBUTE_DIRECTORY) == 0) {
      SetFileAttributesW(FileCallPath(name).c_str(),
                         old & (FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED));
    }
    return std::make_unique<WindowsWritableFile>(handle, target);
  }
}

void DiskFileSystem::LinkTemporaryBeside(const std::string& path, const std::string& target,
                                         std::string& temporary_path) {
  const DWORD attributes = Attributes(path);
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    throw WindowsFailure(ERROR_DIRECTORY, "cannot keep", path);
  }
  RemoveLeftovers(target);
  for (int attempt = 0;; ++attempt) {
    const std::string name = NextTemporaryName(target);
    if (!CreateHardLinkW(FileCallPath(name).c_str(), FileCallPath(path).c_str(), nullptr)) {
      const DWORD error = GetLastError();
      if ((error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) || attempt == 100) {
        throw WindowsFailure(error, "cannot keep", path);
      }
      continue;
    }
    held_[name].lock = reinterpret_cast<std::intptr_t>(GuardHandle(name));
    temporary_path = name;
    return;
  }
}

void DiskFileSystem::Release(const std::string& temporary_path) {
  const auto found = held_.find(temporary_path);
  if (found == held_.end()) return;
  HANDLE guard = reinterpret_cast<HANDLE>(found->second.lock);
  if (guard != INVALID_HANDLE_VALUE && guard != nullptr) CloseHandle(guard);
  held_.erase(found);
}

void DiskFileSystem::Rename(const std::string& from, const std::string& to) {
  const DWORD target = Attributes(to);
  if (target != INVALID_FILE_ATTRIBUTES && (target & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    throw WindowsFailure(ERROR_DIRECTORY, "cannot replace", to);
  }
  const DWORD source = Attributes(from);
  if (source != INVALID_FILE_ATTRIBUTES && (source & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    throw WindowsFailure(ERROR_DIRECTORY, "cannot move", from);
  }
  // One step, written through: the target holds its old or its new content,
  // and the new name is on the disk when this returns.
  const std::wstring wide_from = FileCallPath(from);
  const std::wstring wide_to = FileCallPath(to);
  if (!WhileHeldElsewhere([&] {
        return MoveFileExW(wide_from.c_str(), wide_to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
      })) {
    throw WindowsFailure(GetLastError(), "cannot replace", to);
  }
  Release(from);
}

// The rename was written through: Windows has no folder of its own to sync.
void DiskFileSystem::SyncFolderOf(const std::string&) {}

void DiskFileSystem::Remove(const std::string& path) {
  const DWORD attributes = Attributes(path);
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    Release(path);
    return;
  }
  if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) throw WindowsFailure(ERROR_DIRECTORY, "cannot remove", path);
  const std::wstring wide = FileCallPath(path);
  bool removed = DeleteFileW(wide.c_str());
  if (!removed && (attributes & FILE_ATTRIBUTE_READONLY) != 0 && GetLastError() == ERROR_ACCESS_DENIED) {
    SetFileAttributesW(wide.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
  }
  if (!removed) removed = WhileHeldElsewhere([&] { return DeleteFileW(wide.c_str()) != 0; });
  if (!removed) {
    const DWORD error = GetLastError();
    if (error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND) throw WindowsFailure(error, "cannot remove", path);
  }
  Release(path);
}

void DiskFileSystem::Empty(const std::string& path) {
  HANDLE handle = CreateFileW(FileCallPath(path).c_str(), GENERIC_WRITE,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, TRUNCATE_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) throw WindowsFailure(GetLastError(), "cannot empty", path);
  OpenHandle file(handle, path);
  if (!FlushFileBuffers(handle)) throw WindowsFailure(GetLastError(), "cannot sync", path);
  file.Close();
}

bool DiskFileSystem::Exists(const std::string& path) { return Attributes(path) != INVALID_FILE_ATTRIBUTES; }

bool DiskFileSystem::IsOrdinaryFile(const std::string& path) {
  const DWORD attributes = Attributes(path);
  return attributes != INVALID_FILE_ATTRIBUTES &&
         (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) == 0;
}

std::uint64_t DiskFileSystem::FileSize(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExW(FileCallPath(path).c_str(), GetFileExInfoStandard, &data)) {
    throw WindowsFailure(GetLastError(), "cannot take the size of", path);
  }
  return (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

bool DiskFileSystem::IsReadOnly(const std::string& path) {
  const DWORD attributes = Attributes(path);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0 &&
         (attributes & FILE_ATTRIBUTE_READONLY) != 0;
}

std::string DiskFileSystem::PathInFileText(const std::string& path) {
  std::string ansi;
  if (!AnsiFromUtf8(path, ansi)) {
    throw Failure(ERROR_NO_UNICODE_TRANSLATION,
                  "the name \"" + path + "\" cannot be written in the system's code page, which the host reads");
  }
  return ansi;
}

}  // namespace kivrel
