#include "startup/notice_text.h"

#include <algorithm>

#include "startup/comment_block.h"

namespace kivrel {

std::vector<std::string> ConvertedProgramNotices(const ToolpathNotices& notices, const Settings& settings) {
  const std::string block = SettingsCommentBlock(settings);
  return notices.Notices(static_cast<std::uint64_t>(std::count(block.begin(), block.end(), '\n')));
}

std::string NoticeBoxText(const std::string& program_path, const std::vector<std::string>& notices) {
  const std::size_t folder = program_path.find_last_of("/\\");
  std::string text = program_path.substr(folder == std::string::npos ? 0 : folder + 1) + ":";
  for (const std::string& notice : notices) text += "\n" + notice;
  return text;
}

}  // namespace kivrel
