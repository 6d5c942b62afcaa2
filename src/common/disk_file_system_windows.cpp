// The files on Windows, through the wide-character calls, so that every
// path a host passes works, non-ASCII ones included. Paths are UTF-8 inside
// the program.
#include <windows.h>

#include "common/disk_file_system.h"
#include "common/failure.h"
#include "common/wide_text_windows.h"

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
  void Close() override { file_.Close(); }

 private:
  OpenHandle file_;
};

DWORD Attributes(const std::string& path) { return GetFileAttributesW(WideFromUtf8(path).c_str()); }

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
  // Others may read the file meanwhile, but not write it.
  HANDLE handle = CreateFileW(WideFromUtf8(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (handle == INVALID_HANDLE_VALUE) throw WindowsFailure(GetLastError(), "cannot open", path);
  return std::make_unique<WindowsReadableFile>(handle, path);
}

std::unique_ptr<WritableFile> DiskFileSystem::CreateTemporaryBeside(const std::string& target,
                                                                    std::string& temporary_path) {
  for (int attempt = 0;; ++attempt) {
    const std::string name = NextTemporaryName(target);
    // CREATE_NEW: fail rather than share a name with another start's file.
    HANDLE handle = CreateFileW(WideFromUtf8(name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle != INVALID_HANDLE_VALUE) {
      temporary_path = name;
      // The replacement keeps the attributes of the file it replaces.
      const DWORD old = Attributes(target);
      if (old != INVALID_FILE_ATTRIBUTES && (old & FILE_ATTRIBUTE_DIRECTORY) == 0) {
        SetFileAttributesW(WideFromUtf8(name).c_str(),
                           old & (FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED));
      }
      return std::make_unique<WindowsWritableFile>(handle, target);
    }
    const DWORD error = GetLastError();
    if ((error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) || attempt == 100) {
      throw WindowsFailure(error, "cannot create", target);
    }
  }
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
  // One step, written through: the target holds its old or its new content.
  if (!MoveFileExW(WideFromUtf8(from).c_str(), WideFromUtf8(to).c_str(),
                   MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    throw WindowsFailure(GetLastError(), "cannot replace", to);
  }
}

void DiskFileSystem::Remove(const std::string& path) {
  const DWORD attributes = Attributes(path);
  if (attributes == INVALID_FILE_ATTRIBUTES) return;
  if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) throw WindowsFailure(ERROR_DIRECTORY, "cannot remove", path);
  if (!DeleteFileW(WideFromUtf8(path).c_str())) {
    const DWORD error = GetLastError();
    if (error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND) throw WindowsFailure(error, "cannot remove", path);
  }
}

bool DiskFileSystem::Exists(const std::string& path) { return Attributes(path) != INVALID_FILE_ATTRIBUTES; }

bool DiskFileSystem::IsOrdinaryFile(const std::string& path) {
  const DWORD attributes = Attributes(path);
  return attributes != INVALID_FILE_ATTRIBUTES &&
         (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) == 0;
}

std::uint64_t DiskFileSystem::FileSize(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExW(WideFromUtf8(path).c_str(), GetFileExInfoStandard, &data)) {
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
