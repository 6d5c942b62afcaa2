#include "transform/toolpath_notices.h"

#include <cmath>

#include "transform/word_characters.h"

namespace kivrel {
namespace {

constexpr const char* kMessages[] = {
    "R words are not scaled: radius arcs and canned-cycle R planes will be wrong",
    "words after a comment are not scaled",
    "block-delete lines are not scaled",
    "arcs are distorted by unequal X and Y scales",
    "arcs run the wrong way round: the settings mirror the part",
    "expressions and parameters are not scaled",
};

void Mark(bool* set, char letter) {
  set[static_cast<unsigned char>(letter)] = true;
  set[static_cast<unsigned char>(letter - 'A' + 'a')] = true;
}

}  // namespace

ToolpathNotices::ToolpathNotices(const Settings& s) {
  const struct {
    char letter;
    bool changed;
  } letters[] = {{'X', s.XScale != 1}, {'I', s.XScale != 1}, {'Y', s.YScale != 1}, {'J', s.YScale != 1},
                 {'Z', s.ZScale != 1}, {'K', s.ZScale != 1}, {'A', s.AScale != 1},
                 {'F', s.FeedScale != 1 || s.FeedAdd != 0}, {'S', s.SpindleRPM != 0}};
  for (const auto& letter : letters) {
    if (letter.changed) Mark(scaled_, letter.letter);
    const bool renamed = s.XYexchange && std::string_view("XIYJ").find(letter.letter) != std::string_view::npos;
    if (letter.changed || renamed) Mark(transformed_, letter.letter);
  }
  radius_ = s.XScale != 1 || s.YScale != 1 || s.ZScale != 1;
  unequal_ = std::fabs(s.XScale) != std::fabs(s.YScale);
  mirrored_ = ((s.XScale < 0) + (s.YScale < 0) + (s.XYexchange ? 1 : 0)) == 1;
}

void ToolpathNotices::Note(Kind kind, std::uint64_t line_number) {
  if (count_[kind]++ == 0) first_[kind] = line_number;
}

bool ToolpathNotices::HasWord(std::string_view text, const bool* letters) {
  for (std::size_t i = 0; i + 1 < text.size(); ++i) {
    if (letters[static_cast<unsigned char>(text[i])] && word_characters::NumberFollows(text, i + 1)) return true;
  }
  return false;
}

void ToolpathNotices::NoteLeaderLine(std::uint64_t line_number, std::string_view line) {
  if (line.empty()) return;
  if (line.front() == '/') {  // passes unchanged: nothing in it is scaled or exchanged
    if (HasWord(line, transformed_)) Note(kBlockDelete, line_number);
  } else if (line.front() == '(') {  // words after its closing parenthesis stay as they are
    const std::size_t close = line.find(')');
    if (close != std::string_view::npos && HasWord(line.substr(close + 1), transformed_)) {
      Note(kAfterComment, line_number);
    }
  }
}

void ToolpathNotices::NoteLine(std::uint64_t line_number, const LineFacts& facts) {
  if (facts.radius && radius_) Note(kRadius, line_number);
  if ((facts.arc || facts.centre) && unequal_) Note(kUnequalArcs, line_number);
  if (facts.arc && mirrored_) Note(kMirroredArcs, line_number);
  if (facts.expression) Note(kExpressions, line_number);
  // After a comment the exchange still renames X and Y; only scales count.
  if (!facts.after_comment.empty() && HasWord(facts.after_comment, scaled_)) Note(kAfterComment, line_number);
}

std::vector<std::string> ToolpathNotices::Notices() const {
  std::vector<std::string> notices;
  for (int kind = 0; kind < kKinds; ++kind) {
    if (count_[kind] == 0) continue;
    std::string notice = "Line " + std::to_string(first_[kind]);
    if (count_[kind] > 1) notice += " (and " + std::to_string(count_[kind] - 1) + " more)";
    notice += ": ";
    notice += kMessages[kind];
    notices.push_back(notice);
  }
  return notices;
}

}  // namespace kivrel
