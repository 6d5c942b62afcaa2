#include "startup/comment_block.h"

#include "common/version.h"
#include "numbers/fixed_text.h"

namespace kivrel {
namespace {

void AppendSetting(std::string& text, const char* label, float value, Pattern pattern) {
  text += label;
  AppendSingle(text, value, pattern);
  text += " )\r\n";
}

}  // namespace

std::string SettingsCommentBlock(const Settings& settings) {
  std::string text = "(Kivrel Version " + VersionText() + ")\r\n";
  AppendSetting(text, "(YScale:", settings.YScale, Pattern::SevenDecimals);
  AppendSetting(text, "(XScale:", settings.XScale, Pattern::SevenDecimals);
  AppendSetting(text, "(ZScale:", settings.ZScale, Pattern::SevenDecimals);
  AppendSetting(text, "(AScale:", settings.AScale, Pattern::SevenDecimals);
  AppendSetting(text, "(FeedScale:", settings.FeedScale, Pattern::SevenDecimals);
  text += settings.XYexchange ? "(XYexchange:ON )\r\n" : "(XYexchange:OFF )\r\n";
  AppendSetting(text, "(FeedAdd:", settings.FeedAdd, Pattern::SevenDecimals);
  AppendSetting(text, "(SpindleRPM:", settings.SpindleRPM, Pattern::Whole);
  return text;
}

}  // namespace kivrel
