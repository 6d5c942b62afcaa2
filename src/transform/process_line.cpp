#include "transform/process_line.h"

#include <iterator>
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

// For each byte: itself upper-cased, and its class: the row of the letter
// table, kLeader for a comment leader, kPlain for anything else.
constexpr signed char kPlain = -1;
constexpr signed char kLeader = -2;
struct ByteClasses {
  unsigned char upper[256];
  signed char kind[256];
  constexpr ByteClasses() : upper(), kind() {
    for (int i = 0; i < 256; ++i) {
      upper[i] = static_cast<unsigned char>(i >= 'a' && i <= 'z' ? i - 'a' + 'A' : i);
      kind[i] = kPlain;
    }
    for (int r = 0; r < static_cast<int>(std::size(kLetterTable)); ++r) {
      kind[static_cast<unsigned char>(kLetterTable[r].letter)] = static_cast<signed char>(r);
    }
    for (char c : CommentLeaders) kind[static_cast<unsigned char>(c)] = kLeader;
  }
};
constexpr ByteClasses kClasses;
constexpr std::size_t kRows = std::size(kLetterTable);

// Each byte with X and Y, and I and J, traded.
struct ExchangeTable {
  unsigned char byte[256];
  constexpr ExchangeTable() : byte() {
    for (int i = 0; i < 256; ++i) byte[i] = static_cast<unsigned char>(i);
    byte['X'] = 'Y';
    byte['Y'] = 'X';
    byte['I'] = 'J';
    byte['J'] = 'I';
  }
};
constexpr ExchangeTable kExchangeTable;
constexpr const unsigned char* kExchanged = kExchangeTable.byte;

}  // namespace

RewriteStatus LineProcessor::ProcessLine(std::string& line) {
  if (line.empty() || kClasses.kind[static_cast<unsigned char>(line.front())] == kLeader) {
    return RewriteStatus::Done;
  }
  // One pass upper-cases the line and finds, up to the comment start, the
  // first word of each letter. A letter whose first word lies at or after
  // the comment start is not rewritten at all.
  const std::size_t size = line.size();
  spare_.resize(size);
  std::size_t first[kRows];
  for (std::size_t& position : first) position = std::string::npos;
  const unsigned char* in = reinterpret_cast<const unsigned char*>(line.data());
  unsigned char* out = reinterpret_cast<unsigned char*>(spare_.data());
  std::size_t i = 0;
  for (; i < size; ++i) {
    const unsigned char byte = kClasses.upper[in[i]];
    out[i] = byte;
    const signed char kind = kClasses.kind[byte];
    if (kind == kPlain) continue;
    if (kind == kLeader) break;
    if (first[kind] == std::string::npos) first[kind] = i;
  }
  for (; i < size; ++i) out[i] = kClasses.upper[in[i]];
  if (spare_.find("M20ADDITION") != std::string::npos) return RewriteStatus::Done;
  line.swap(spare_);

  for (std::size_t row = 0; row < kRows; ++row) {
    const std::size_t position = first[row];
    if (position == std::string::npos) continue;
    const LetterRow& letter = kLetterTable[row];
    const float addend = letter.addend != nullptr ? settings_.*letter.addend : 0.0f;
    if (letter.letter == 'S' && addend == 0) continue;
    const float scale = letter.scale != nullptr ? settings_.*letter.scale : 1.0f;
    WordEdit edit;
    const RewriteStatus status = rewriter_.RewriteNumber(position, scale, line, addend, edit);
    if (status != RewriteStatus::Done) return status;
    // A rewrite adds or removes no other letter: the words still to come
    // and the comment leader only move.
    for (std::size_t later = row + 1; later < kRows; ++later) {
      std::size_t& other = first[later];
      if (other == std::string::npos) continue;
      other = other > position ? static_cast<std::size_t>(static_cast<std::ptrdiff_t>(other) + edit.shift)
                               : other - edit.leading;
    }
  }
  if (settings_.XYexchange) ExchangeXY(line);
  return RewriteStatus::Done;
}

void LineProcessor::ExchangeXY(std::string& line) {
  if (line.find("TEMP") == std::string::npos) {
    // Without marker text in the line the eight passes below amount to
    // trading X with Y and I with J.
    for (char& c : line) c = static_cast<char>(kExchanged[static_cast<unsigned char>(c)]);
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
