#include <cassert>
#include <cstddef>
#include <cstring>
#include <string>
#include <string_view>
#include <utility>

#include "transform/process_line.h"
#include "transform/rewrite/exchange_xy.h"
#include "transform/rewrite/quick_number.h"
#include "transform/rewrite/wrap_expression.h"
#include "transform/scan/kept_text.h"
#include "transform/scan/protected_text.h"

// The rewrite of a scanned line's words into the output.

namespace kivrel {

using namespace line_tables;

void LineProcessor::SortByRow(ScannedWord* words, std::size_t count) {
  for (std::size_t w = 1; w < count; ++w) {  // a handful of words
    for (std::size_t v = w; v > 0 && words[v - 1].row > words[v].row; --v) std::swap(words[v - 1], words[v]);
  }
}

RewriteStatus LineProcessor::RewriteInTableOrder(std::string_view line, ScannedWord* words, std::size_t count,
                                                 unsigned expression_rows, ByteBuffer& out) {
  // The words one after the other on the plain upper-cased line.
  std::string& work = table_line_;
  if (exchange_in_scan_) {
    work.resize(line.size());
    for (std::size_t i = 0; i < line.size(); ++i)
      work[i] = static_cast<char>(kClasses.upper[static_cast<unsigned char>(line[i])]);
    // Active comments and remarks keep their bytes.
    if (preserved_) {
      kept_text::FindUnexchanged(line, [&](std::size_t start, std::size_t end) {
        const auto* text = reinterpret_cast<const unsigned char*>(line.data());
        if (text[start] == '(' || text[start] == ';') work.replace(start, end - start, line.substr(start, end - start));
      });
    }
  } else {
    work.assign(upper_line_, 0, line.size());
  }
  for (std::size_t e = 0; e < edit_count_; ++e) work[edits_[e].at] = edits_[e].digit;
  SortByRow(words, count);
  for (std::size_t w = 0; w < count; ++w) {
    const std::size_t position = words[w].position;
    if (words[w].letter != 0) work[position] = words[w].letter;
    WordEdit edit;
    if (((expression_rows >> words[w].row) & 1) != 0) {
      // Where the settings leave its value as it is, so does the rewrite.
      if (!ChangesValue(words[w])) continue;
      WrapExpression(position, words[w].scale, words[w].addend, work, edit);
    } else {
      // A removed word may leave an expression or a parameter right after
      // an earlier letter, whose word then stays as it is.
      const auto* text = reinterpret_cast<const unsigned char*>(work.c_str());
      if (!protected_text::IsDigit(text[position + 1]) && LeftAsItIs(text, work.size(), position + 1) != Kept::No) {
        continue;
      }
      const RewriteStatus status =
          rewriter_.RewriteNumber(position, words[w].scale, work, words[w].addend, words[w].decimals, edit);
      if (status != RewriteStatus::Done) {
        failed_word_.assign(rewriter_.failed_word());
        return status;
      }
      if (edit.kept) {
        malformed_ = malformed_ || (!edit.read_zero && ChangesValue(words[w]));
      } else if (words[w].scale != 0) {
        NoteSign(words[w], edit.number, edit.read_zero);
      }
    }
    // A rewrite adds or removes no other letter: the words still to come
    // only move.
    for (std::size_t later = w + 1; later < count; ++later) {
      std::size_t& other = words[later].position;
      other = other > position ? static_cast<std::size_t>(static_cast<std::ptrdiff_t>(other) + edit.shift)
                               : other - edit.leading;
    }
  }
  if (exchange_line_) ExchangeXY(work, exchange_scratch_);
  out.Append(work);
  return RewriteStatus::Done;
}

namespace {

// Copies runs of the upper-cased line into the output, exchanging X and Y
// where asked.
struct LineCopier {
  std::string_view upper;
  const unsigned char* exchange;  // null: copied as it is
  char* out;

  void Copy(std::size_t from, std::size_t to) {
    if (exchange == nullptr) {
      // Mostly a blank and a letter: one block of a size known here moves
      // them, and what it moves beyond them is written over next or lies
      // past the end.
      if (to - from <= kCopyPadding) {
        std::memcpy(out, upper.data() + from, kCopyPadding);
      } else {
        std::memcpy(out, upper.data() + from, to - from);
      }
      out += to - from;
      return;
    }
    for (std::size_t i = from; i < to; ++i) *out++ = static_cast<char>(exchange[static_cast<unsigned char>(upper[i])]);
  }
  // Copies up to and with the word's letter, traded where the word asks.
  void CopyThroughLetter(std::size_t from, const ScannedWord& word) {
    Copy(from, word.position + 1);
    if (word.letter != 0) out[-1] = word.letter;
  }
};

// The word's number the quick way (quick_number.h), written after the text
// before it; false, with nothing written that counts, where the general way
// must take the word.
bool WriteQuickly(NumberRewriter& rewriter, std::string_view line, const ScannedWord& word, LineCopier& copier,
                  std::size_t& copied, QuickWord& quick) {
  char* const word_start = copier.out;
  copier.CopyThroughLetter(copied, word);
  char* const end = rewriter.WriteQuick(line.data(), word.position, word.scale, word.addend, copier.out, quick);
  if (end == nullptr) {
    copier.out = word_start;
    return false;
  }
  copier.out = end;
  copied = quick.run_end;
  return true;
}

// Commits what was written from `begin` to `end` to `buffer`, without the
// line's blanks at both ends where `trim` (every rewrite trims them).
void CommitTrimmed(char* begin, char* end, bool trim, ByteBuffer& buffer) {
  const char* start = begin;
  if (trim) {
    while (end > start && end[-1] == ' ') --end;
    while (start < end && *start == ' ') ++start;
  }
  if (start != begin) std::memmove(begin, start, static_cast<std::size_t>(end - start));
  buffer.Commit(static_cast<std::size_t>(end - start));
}

}  // namespace

void LineProcessor::NoteSigns(std::string_view line, const ScannedWord* words, const std::size_t* which,
                              std::size_t count) {
  // Rare, so computed again rather than kept; each was computed before
  // already, and gave its number.
  WordNumber word;
  for (std::size_t n = 0; n < count; ++n) {
    const ScannedWord& signed_word = words[which[n]];
    const RewriteStatus again = rewriter_.ComputeNumber(line.data(), line.size(), signed_word.position,
                                                        signed_word.scale, signed_word.addend, signed_word.decimals,
                                                        word);
    assert(again == RewriteStatus::Done);
    static_cast<void>(again);
    NoteSign(signed_word, word.number, word.read_zero);
  }
}

// When no word is removed, a rewrite changes nothing but its own number
// run: the letters stay, and each run, which alone gives its value, ends
// where it did whatever the neighbouring words have become. The words can then
// be rewritten from left to right into a new line in one pass, exchanging X
// and Y on the way; a failure is reported for the word earliest in the table.
RewriteStatus LineProcessor::RewriteInLineOrder(std::string_view line, ScannedWord* words, std::size_t count,
                                                ByteBuffer& out_buffer) {
  // The words come in the order of the line; their numbers are read from
  // the line as it came (only the letters differ from the upper-cased one).
  const std::string_view upper(upper_line_.data(), line.size());
  // Room for the line and padding after it: short pieces move in whole blocks.
  char* const begin = out_buffer.Reserve(upper.size() + count * kMaxFixedText + kCopyPadding);
  // Where the scan did not exchange X and Y, the copy does.
  LineCopier copier{upper, plan_.exchange() && !exchange_in_scan_ ? kExchanged : nullptr, begin};
  RewriteStatus status = RewriteStatus::Done;
  int failed_row = kRows;
  bool fits = true;
  std::size_t copied = 0;
  WordNumber word;
  // Feed and spindle words that came out negative or 0, told once the line is done.
  std::size_t negative_or_zero[kRows];
  std::size_t signs = 0;
  for (std::size_t w = 0; w < count; ++w) {
    // Most words: a plain number, written straight after the text before it.
    if (QuickWord quick; status == RewriteStatus::Done && fits && words[w].decimals == Decimals::Four &&
                         WriteQuickly(rewriter_, line, words[w], copier, copied, quick)) {
      if (words[w].row == kRowF && (quick.negative_result || quick.scaled == 0)) negative_or_zero[signs++] = w;
      if (((awaited_rows_ >> words[w].row) & 1) != 0) TakeAxisValue(words[w].row, quick);
      continue;
    }
    // Every word is computed, so that a failure is reported for the
    // earliest in the table; the text stops at the first failure.
    const RewriteStatus word_status = rewriter_.ComputeNumber(line.data(), line.size(), words[w].position,
                                                              words[w].scale, words[w].addend, words[w].decimals, word);
    if (word_status != RewriteStatus::Done) {
      if (words[w].row < failed_row) {
        failed_row = words[w].row;
        status = word_status;
        failed_word_.assign(rewriter_.failed_word());
      }
      continue;
    }
    if (word.kept) {  // the run stays in the text as read, its letter traded where that is asked
      malformed_ = malformed_ || (!word.read_zero && ChangesValue(words[w]));
      if (words[w].letter != 0 && status == RewriteStatus::Done && fits) {
        copier.CopyThroughLetter(copied, words[w]);
        copied = words[w].position + 1;
      }
      continue;
    }
    fits = fits && word.number.fits;
    if (status != RewriteStatus::Done || !fits) continue;
    if ((word.number.negative || word.number.IsZero()) && (words[w].row == kRowF || words[w].row == kRowS)) {
      negative_or_zero[signs++] = w;
    }
    copier.CopyThroughLetter(copied, words[w]);
    copier.out = WriteFixed(copier.out, word.number);
    copied = word.run_end;
  }
  if (status != RewriteStatus::Done) return status;
  // Too long for the fast writer; this way is taken only without expressions.
  if (!fits) return RewriteInTableOrder(line, words, count, 0, out_buffer);
  if (signs != 0) NoteSigns(line, words, negative_or_zero, signs);
  copier.Copy(copied, upper.size());
  CommitTrimmed(begin, copier.out, count > 0, out_buffer);
  return RewriteStatus::Done;
}

}  // namespace kivrel
