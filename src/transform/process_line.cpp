#include "transform/process_line.h"

#include <string_view>
#include <utility>

#include "transform/comment_leaders.h"

namespace kivrel {
namespace {

struct LetterRow {
  char letter;
  float Settings::*scale;  // nullptr: the scale is 1
  float Settings::*addend;  // nullptr: nothing is added
};

// The words rewritten, in the order they are taken.
constexpr LetterRow kLetterTable[] = {
    {'X', &Settings::XScale, nullptr},    {'I', &Settings::XScale, nullptr},
    {'Y', &Settings::YScale, nullptr},    {'J', &Settings::YScale, nullptr},
    {'Z', &Settings::ZScale, nullptr},    {'K', &Settings::ZScale, nullptr},
    {'A', &Settings::AScale, nullptr},    {'F', &Settings::FeedScale, &Settings::FeedAdd},
    {'S', nullptr, &Settings::SpindleRPM},
};

void UpperCaseAscii(std::string& text) {
  for (char& c : text) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
}

void ReplaceAll(std::string& text, std::string_view from, std::string_view to, std::string& spare) {
  std::size_t found = text.find(from);
  if (found == std::string::npos) return;
  spare.clear();
  std::size_t done = 0;
  for (; found != std::string::npos; found = text.find(from, done)) {
    spare.append(text, done, found - done);
    spare.append(to);
    done = found + from.size();
  }
  spare.append(text, done, std::string::npos);
  text.swap(spare);
}

}  // namespace

RewriteStatus LineProcessor::ProcessLine(std::string& line) {
  if (line.empty() || CommentLeaders.find(line.front()) != std::string_view::npos) {
    return RewriteStatus::Done;
  }
  spare_.assign(line);
  UpperCaseAscii(spare_);
  if (spare_.find("M20ADDITION") != std::string::npos) return RewriteStatus::Done;
  line.swap(spare_);

  std::size_t comment = line.find_first_of(CommentLeaders);  // npos: no comment
  for (const LetterRow& row : kLetterTable) {
    const float addend = row.addend != nullptr ? settings_.*row.addend : 0.0f;
    if (row.letter == 'S' && addend == 0) continue;
    const std::size_t position = line.find(row.letter);
    if (position == std::string::npos || position >= comment) continue;
    const float scale = row.scale != nullptr ? settings_.*row.scale : 1.0f;
    std::ptrdiff_t shift = 0;
    const RewriteStatus status = rewriter_.RewriteNumber(position, scale, line, addend, shift);
    if (status != RewriteStatus::Done) return status;
    // The comment leader keeps its place relative to the text before it.
    if (comment != std::string::npos) comment = static_cast<std::size_t>(static_cast<std::ptrdiff_t>(comment) + shift);
  }
  if (settings_.XYexchange) ExchangeXY(line);
  return RewriteStatus::Done;
}

void LineProcessor::ExchangeXY(std::string& line) {
  if (line.find("TEMP") == std::string::npos) {
    // Without marker text in the line the eight passes below amount to
    // trading X with Y and I with J.
    for (char& c : line) {
      switch (c) {
        case 'X': c = 'Y'; break;
        case 'Y': c = 'X'; break;
        case 'I': c = 'J'; break;
        case 'J': c = 'I'; break;
        default: break;
      }
    }
    return;
  }
  ReplaceAll(line, "X", "--TEMP2--", spare_);
  ReplaceAll(line, "Y", "__TEMP1__", spare_);
  ReplaceAll(line, "__TEMP1__", "X", spare_);
  ReplaceAll(line, "--TEMP2--", "Y", spare_);
  ReplaceAll(line, "I", "--TEMP3--", spare_);
  ReplaceAll(line, "J", "__TEMP4__", spare_);
  ReplaceAll(line, "__TEMP4__", "I", spare_);
  ReplaceAll(line, "--TEMP3--", "J", spare_);
}

}  // namespace kivrel
