#include "common/replace_file.h"

#include <memory>

#include "common/failure.h"
#include "common/text_writer.h"

namespace kivrel {

void ReplaceFile(FileSystem& files, const std::string& path, std::string_view content,
                 bool* created) {
  if (created != nullptr) *created = false;
  std::string temporary;
  std::unique_ptr<WritableFile> file = files.CreateTemporaryBeside(path, temporary);
  if (created != nullptr) *created = true;
  try {
    {
      TextWriter writer(std::move(file));
      writer.Write(content);
      writer.Close();
    }
    files.Rename(temporary, path);
  } catch (const Failure&) {
    DiscardTemporary(files, temporary);
    throw;
  }
}

void DiscardTemporary(FileSystem& files, const std::string& temporary_path) {
  try {
    files.Remove(temporary_path);
  } catch (const Failure&) {
  }
}

}  // namespace kivrel
