#include "common/disk_file_system.h"

#include <cerrno>
#include <cstdio>
#include <filesystem>

#include "common/failure.h"

namespace kivrel {
namespace {

namespace fs = std::filesystem;

std::error_code LastError() { return {errno, std::generic_category()}; }

// An open C stream and the path it was opened on; closed quietly when
// dropped without Close.
class OpenStream {
 public:
  OpenStream(std::FILE* file, std::string path) : file_(file), path_(std::move(path)) {}
  ~OpenStream() {
    if (file_ != nullptr) std::fclose(file_);
  }
  OpenStream(const OpenStream&) = delete;
  OpenStream& operator=(const OpenStream&) = delete;

  std::FILE* file() const { return file_; }
  const std::string& path() const { return path_; }

  void Close() {
    std::FILE* file = file_;
    file_ = nullptr;
    if (file != nullptr && std::fclose(file) != 0) throw FileFailure(LastError(), "cannot close", path_);
  }

 private:
  std::FILE* file_;
  std::string path_;
};

class DiskReadableFile : public ReadableFile {
 public:
  DiskReadableFile(std::FILE* file, std::string path) : stream_(file, std::move(path)) {}

  std::size_t Read(char* buffer, std::size_t size) override {
    const std::size_t got = std::fread(buffer, 1, size, stream_.file());
    if (got < size && std::ferror(stream_.file())) throw FileFailure(LastError(), "cannot read", stream_.path());
    return got;
  }
  void Close() override { stream_.Close(); }

 private:
  OpenStream stream_;
};

class DiskWritableFile : public WritableFile {
 public:
  DiskWritableFile(std::FILE* file, std::string path) : stream_(file, std::move(path)) {}

  void Append(std::string_view data) override {
    if (data.empty()) return;
    if (std::fwrite(data.data(), 1, data.size(), stream_.file()) != data.size()) {
      throw FileFailure(LastError(), "cannot write", stream_.path());
    }
  }
  void Close() override { stream_.Close(); }

 private:
  OpenStream stream_;
};

}  // namespace

std::string PathInFolder(const std::string& folder, const std::string& name) {
  return (fs::path(folder) / name).string();
}

std::unique_ptr<ReadableFile> DiskFileSystem::OpenForReading(const std::string& path) {
  std::error_code ec;
  if (fs::is_directory(fs::path(path), ec)) {
    throw FileFailure(std::make_error_code(std::errc::is_a_directory), "cannot open", path);
  }
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) throw FileFailure(LastError(), "cannot open", path);
  std::setvbuf(file, nullptr, _IONBF, 0);
  return std::make_unique<DiskReadableFile>(file, path);
}

std::unique_ptr<WritableFile> DiskFileSystem::CreateTemporaryBeside(const std::string& target,
                                                                    std::string& temporary_path) {
  for (int attempt = 0;; ++attempt) {
    const std::string name = NextTemporaryName(target);
    // "x": fail rather than share a name with another start's file.
    std::FILE* file = std::fopen(name.c_str(), "wbx");
    if (file != nullptr) {
      std::setvbuf(file, nullptr, _IONBF, 0);
      temporary_path = name;
      // The replacement keeps the permissions of the file it replaces.
      std::error_code ec;
      const fs::file_status old = fs::status(fs::path(target), ec);
      if (!ec && fs::is_regular_file(old)) fs::permissions(fs::path(name), old.permissions(), ec);
      return std::make_unique<DiskWritableFile>(file, target);
    }
    if (errno != EEXIST || attempt == 100) throw FileFailure(LastError(), "cannot create", target);
  }
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
}

void DiskFileSystem::Remove(const std::string& path) {
  std::error_code ec;
  fs::file_status status = fs::symlink_status(fs::path(path), ec);
  if (!fs::exists(status)) return;
  if (fs::is_directory(status)) {
    throw FileFailure(std::make_error_code(std::errc::is_a_directory), "cannot remove", path);
  }
  fs::remove(fs::path(path), ec);
  if (ec) throw FileFailure(ec, "cannot remove", path);
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
