#pragma once

#include <filesystem>
#include <string>

namespace kivrel::testing {

// A fresh folder under the system's temporary folder, removed with its
// contents when the object goes.
class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::filesystem::path& path() const { return path_; }
  // The path of `name` in the folder, in UTF-8 (the program's own text).
  std::string operator/(const std::string& name) const;

 private:
  std::filesystem::path path_;
};

// Paths as the program takes them: UTF-8 text, whatever the platform's own
// narrow encoding.
std::string Utf8(const std::filesystem::path& path);
std::filesystem::path PathOf(const std::string& utf8);

std::string ReadFile(const std::string& path);
void WriteFile(const std::string& path, const std::string& content);
// The names of the files in `folder`, sorted.
std::string ListFolder(const std::filesystem::path& folder);

}  // namespace kivrel::testing
