#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace kivrel {

// The program's narrow window onto the files of the machine. Every operation
// either does its work or throws a Failure that names the file; a test wraps
// the real implementation to make any operation fail.

class ReadableFile {
 public:
  virtual ~ReadableFile() = default;
  // Reads up to `size` bytes; returns 0 only at the end of the file.
  virtual std::size_t Read(char* buffer, std::size_t size) = 0;
  virtual void Close() = 0;
};

class WritableFile {
 public:
  // A file that is destroyed without Close is closed quietly: the caller is
  // abandoning it after a failure and removes it.
  virtual ~WritableFile() = default;
  virtual void Append(std::string_view data) = 0;
  // Puts what was appended on the disk itself, so that a power cut keeps
  // it. A stream that is no file on a disk (standard output) has nothing
  // to put there.
  virtual void Sync() {}
  virtual void Close() = 0;
};

class FileSystem {
 public:
  virtual ~FileSystem() = default;

  virtual std::unique_ptr<ReadableFile> OpenForReading(const std::string& path) = 0;

  // Creates a new empty file with a name of its own in the folder of `target`
  // and stores that name in `temporary_path`. Two processes never get the
  // same name. The file is meant to be renamed over `target` once complete:
  // it takes the permissions of an existing `target`, and its failures name
  // `target`, never the temporary file. It stays locked until it is renamed
  // or removed (or the process ends), and the temporary files of `target`
  // that an ended process left behind, locked by nobody, are removed first.
  virtual std::unique_ptr<WritableFile> CreateTemporaryBeside(
      const std::string& target, std::string& temporary_path) = 0;

  // Gives the existing file at `path` a second name of its own beside
  // `target`, named and locked as CreateTemporaryBeside names and locks its
  // files, and stores it in `temporary_path`: renamed over `target`, it
  // keeps the file there while `path` still names it. Throws where the disk
  // gives no file a second name (and for a folder).
  virtual void LinkTemporaryBeside(const std::string& path, const std::string& target,
                                   std::string& temporary_path) = 0;

  // Replaces `to` by `from` in one step.
  virtual void Rename(const std::string& from, const std::string& to) = 0;

  // Puts the changes of names in the folder that holds `path` (files
  // created, renamed and removed there) on the disk itself: a rename
  // survives a power cut only then.
  virtual void SyncFolderOf(const std::string& path) = 0;

  // Removes a file whatever its own read-only mark, as POSIX removes one (on
  // Windows the mark is cleared first); a file that is not there is no
  // failure.
  virtual void Remove(const std::string& path) = 0;

  // Cuts the existing file at `path` to nothing, on the disk itself.
  virtual void Empty(const std::string& path) = 0;

  virtual bool Exists(const std::string& path) = 0;

  // True for an existing file that is neither a folder nor (where the
  // platform has such marks) hidden or a system file.
  virtual bool IsOrdinaryFile(const std::string& path) = 0;

  virtual std::uint64_t FileSize(const std::string& path) = 0;

  // True for an existing file marked read-only (no write permission at all),
  // which the program must not replace.
  virtual bool IsReadOnly(const std::string& path) = 0;

  // `path` as an 8-bit text file written for the host names it (the ANSI
  // code page on Windows). Throws a Failure naming it where it cannot be
  // written so: a mangled name would send the host to another file.
  virtual std::string PathInFileText(const std::string& path) = 0;
};

// `folder` joined with `name` by the platform's separator (defined with
// the platform's DiskFileSystem).
std::string PathInFolder(const std::string& folder, const std::string& name);

}  // namespace kivrel
