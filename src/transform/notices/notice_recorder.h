#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "transform/notices/notice_sink.h"
#include "transform/notices/notice_watch.h"

namespace kivrel {

// The facts one thread of a conversion hears, kept in the order of the lines
// so that the notices, whose modal states run from line to line, can hear
// them later on the thread that writes. It watches the rows the notices
// would, following their modal states from those it is started on; what it
// heard is what the notices would hear where they were in those states.
// The texts heard stay where they are (in the chunk being converted) until
// the replay; a word that is named in a notice is copied.
class NoticeRecorder : public NoticeSink {
 public:
  NoticeRecorder() = default;
  explicit NoticeRecorder(const NoticeWatch& watch) : watch_(watch) {}

  void NoteLeaderLine(std::uint64_t line_number, std::string_view line) override;
  void NoteLine(std::uint64_t line_number, const LineFacts& facts) override;
  void NoteOWordLine(std::uint64_t line_number, std::string_view line) override;
  void NoteWord(std::uint64_t line_number, WordNote note, std::string_view word) override;
  unsigned watched_rows() const override { return watch_.rows(); }
  // The modal states as the lines heard so far left them.
  const NoticeWatch& watch() const { return watch_; }

  // Tells `notices` all it heard, in order, each line number moved on by
  // `base`.
  void Replay(NoticeSink& notices, std::uint64_t base) const;
  void Clear() {
    events_.clear();
    words_.clear();
  }
  // Cleared, and watching from the modal states of `watch`.
  void Restart(const NoticeWatch& watch) {
    Clear();
    watch_ = watch;
  }
  // How many facts it has heard.
  std::size_t size() const { return events_.size(); }
  // Hears again what `other` heard from its `first` fact on, each line
  // number moved on by `shift` (its watch goes on as it was).
  void AppendFrom(const NoticeRecorder& other, std::size_t first, std::int64_t shift);
  // Trades what the two heard; each keeps its watch.
  void Swap(NoticeRecorder& other) {
    events_.swap(other.events_);
    words_.swap(other.words_);
  }

 private:
  // Plain data, copied as bytes.
  struct Event {
    enum Kind : unsigned char { kLeader, kLine, kOWord, kWord } kind;
    WordNote note;          // kWord
    std::uint32_t word;     // kWord: its place in words_
    std::uint64_t line;
    LineFacts facts;        // kLine; for kLeader and kOWord the line is in facts.words
  };

  NoticeWatch watch_;
  std::vector<Event> events_;
  std::vector<std::string> words_;
};

}  // namespace kivrel
