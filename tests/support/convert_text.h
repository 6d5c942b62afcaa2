#pragma once

#include <string>

#include "settings/settings.h"
#include "transform/process_text.h"

namespace kivrel::testing {

struct ConvertedText {
  TextEnd end;
  std::string output;  // the lines written
};

// Runs `input` through ProcessText from one temporary file into another,
// with `view` as the conversion's progress window, under the default
// settings or `settings`.
ConvertedText ConvertText(const std::string& input, ProgressView& view, const Settings* settings = nullptr);

}  // namespace kivrel::testing
