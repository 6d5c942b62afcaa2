#include "support/faulty_file_system.h"

#include <system_error>

#include "common/failure.h"

namespace kivrel::testing {
namespace {

class FaultyReadable : public ReadableFile {
 public:
  FaultyReadable(std::unique_ptr<ReadableFile> base, FaultyFileSystem& owner, std::string path)
      : base_(std::move(base)), owner_(owner), path_(std::move(path)) {}
  std::size_t Read(char* buffer, std::size_t size) override {
    owner_.Check(FileOp::Read, path_);
    return base_->Read(buffer, size);
  }
  void Close() override { base_->Close(); }

 private:
  std::unique_ptr<ReadableFile> base_;
  FaultyFileSystem& owner_;
  std::string path_;
};

class FaultyWritable : public WritableFile {
 public:
  FaultyWritable(std::unique_ptr<WritableFile> base, FaultyFileSystem& owner, std::string path)
      : base_(std::move(base)), owner_(owner), path_(std::move(path)) {}
  void Append(std::string_view data) override {
    owner_.Check(FileOp::Write, path_);
    base_->Append(data);
  }
  void Sync() override {
    owner_.Check(FileOp::Sync, path_);
    base_->Sync();
  }
  void Close() override {
    owner_.Check(FileOp::CloseWritten, path_);
    base_->Close();
  }

 private:
  std::unique_ptr<WritableFile> base_;
  FaultyFileSystem& owner_;
  std::string path_;
};

}  // namespace

void FaultyFileSystem::FailOn(FileOp op, const std::string& path_part, int occurrence) {
  faults_.push_back({op, path_part, occurrence});
}

int FaultyFileSystem::Count(FileOp op, const std::string& path_part) const {
  int count = 0;
  for (const auto& [logged_op, path] : log_) {
    if (logged_op == op && path.find(path_part) != std::string::npos) ++count;
  }
  return count;
}

void FaultyFileSystem::Check(FileOp op, const std::string& path) {
  log_.emplace_back(op, path);
  for (const Fault& fault : faults_) {
    if (fault.op == op && path.find(fault.path_part) != std::string::npos &&
        Count(op, fault.path_part) == fault.occurrence) {
      if (library_errors_) throw std::system_error(std::make_error_code(std::errc::io_error), "injected fault on " + path);
      throw FileFailure(std::make_error_code(std::errc::io_error), "injected fault on", path);
    }
  }
}

std::unique_ptr<ReadableFile> FaultyFileSystem::OpenForReading(const std::string& path) {
  Check(FileOp::OpenForReading, path);
  return std::make_unique<FaultyReadable>(base().OpenForReading(path), *this, path);
}

std::unique_ptr<WritableFile> FaultyFileSystem::CreateTemporaryBeside(const std::string& target,
                                                                      std::string& temporary_path) {
  Check(FileOp::CreateTemporary, target);
  auto file = base().CreateTemporaryBeside(target, temporary_path);
  // As on disk, the file's failures name the file it is to replace.
  return std::make_unique<FaultyWritable>(std::move(file), *this, target);
}

void FaultyFileSystem::LinkTemporaryBeside(const std::string& path, const std::string& target,
                                           std::string& temporary_path) {
  Check(FileOp::LinkTemporary, path);
  base().LinkTemporaryBeside(path, target, temporary_path);
}

void FaultyFileSystem::Rename(const std::string& from, const std::string& to) {
  Check(FileOp::Rename, to);
  base().Rename(from, to);
}

void FaultyFileSystem::SyncFolderOf(const std::string& path) {
  Check(FileOp::SyncFolder, path);
  base().SyncFolderOf(path);
}

void FaultyFileSystem::Remove(const std::string& path) {
  Check(FileOp::Remove, path);
  base().Remove(path);
}

void FaultyFileSystem::Empty(const std::string& path) {
  Check(FileOp::Empty, path);
  base().Empty(path);
}

}  // namespace kivrel::testing
