#include "transform/notices/notice_recorder.h"

namespace kivrel {

void NoticeRecorder::NoteLeaderLine(std::uint64_t line_number, std::string_view line) {
  if (line.empty()) return;
  LineFacts facts;
  facts.words = line;
  events_.push_back({Event::kLeader, {}, 0, line_number, facts});
}

void NoticeRecorder::NoteLine(std::uint64_t line_number, const LineFacts& facts) {
  watch_.Hear(facts.g_codes);
  events_.push_back({Event::kLine, {}, 0, line_number, facts});
}

void NoticeRecorder::NoteOWordLine(std::uint64_t line_number, std::string_view line) {
  LineFacts facts;
  facts.words = line;
  events_.push_back({Event::kOWord, {}, 0, line_number, facts});
}

void NoticeRecorder::NoteWord(std::uint64_t line_number, WordNote note, std::string_view word) {
  events_.push_back({Event::kWord, note, static_cast<std::uint32_t>(words_.size()), line_number, {}});
  words_.emplace_back(word);
}

void NoticeRecorder::AppendFrom(const NoticeRecorder& other, std::size_t first, std::int64_t shift) {
  for (std::size_t e = first; e < other.events_.size(); ++e) {
    Event event = other.events_[e];
    event.line = static_cast<std::uint64_t>(static_cast<std::int64_t>(event.line) + shift);
    if (event.kind == Event::kWord) {
      event.word = static_cast<std::uint32_t>(words_.size());
      words_.push_back(other.words_[other.events_[e].word]);
    }
    events_.push_back(event);
  }
}

void NoticeRecorder::Replay(NoticeSink& notices, std::uint64_t base) const {
  for (const Event& event : events_) {
    switch (event.kind) {
      case Event::kLeader: notices.NoteLeaderLine(base + event.line, event.facts.words); break;
      case Event::kLine: notices.NoteLine(base + event.line, event.facts); break;
      case Event::kOWord: notices.NoteOWordLine(base + event.line, event.facts.words); break;
      case Event::kWord: notices.NoteWord(base + event.line, event.note, words_[event.word]); break;
    }
  }
}

}  // namespace kivrel
