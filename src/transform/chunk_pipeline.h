#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "common/byte_buffer.h"
#include "transform/notices/notice_recorder.h"
#include "transform/process_line.h"
#include "transform/rewrite/rewrite_number.h"
#include "transform/roles/conversion_plan.h"

namespace kivrel {

// A chunk of whole lines and what became of it: the converted lines, each
// with CR LF, up to the first that failed.
struct Chunk {
  ByteBuffer input;
  ByteBuffer output;
  std::uint64_t lines = 0;       // converted
  std::uint64_t characters = 0;  // their lengths, without line ends
  RewriteStatus status = RewriteStatus::Done;  // of the line after them, when not Done
  std::string failed_word;
  bool zero_feed_in_program = false;  // after ZeroFeed: the word itself is 0
  NoticeRecorder heard;               // line numbers from 1 in the chunk
  NoticeWatch watch;                  // the notices' modal states it was converted on
  bool done = false;
  // The modes it was converted on, and what its lines did with them: the
  // modes at its end, which of them its lines set, and which of the assumed
  // ones a line relied on before they were set.
  // Likewise where the tool stood: not known to it, each axis where it
  // was (unless converted again on where it stood), and where it stands at
  // the end.
  Modal assumed;
  Modal modal;
  unsigned set_fields = 0;
  ModesRelied relied;
  CurrentPoint point;
  std::uint64_t output_lines = 0;  // the lines written: more than `lines` where arcs were cut
  // Where the last line that relied on where the tool stood before the
  // chunk ended, on the input and in what the conversion made of it; the
  // lines after it came out as they do wherever the tool stood.
  struct PointRelied {
    bool any = false;
    std::size_t input_end = 0;  // after the line, before its line end
    std::uint64_t lines = 0;    // up to and with it
    std::uint64_t output_lines = 0;
    std::size_t output_bytes = 0;
    std::size_t heard = 0;  // the facts its notices heard
  } point_relied;
  // Its lines come out otherwise after the modes `before` with the tool at
  // `at`.
  bool Relied(const Modal& before, const CurrentPoint& at) const {
    return relied.Differ(assumed, before) || (relied.point_axes & at.KnownAxes()) != 0;
  }
};

// Converts the chunk's input with `processor` on the `assumed` modes, the
// tool at `point` (null: where it stood, not known, and the last line that
// relied on it is marked; `heard`, what the processor's notices heard).
void ConvertChunk(LineProcessor& processor, const Modal& assumed, const CurrentPoint* point, Chunk& chunk,
                  const NoticeRecorder* heard = nullptr);

// Converts the chunk again on the true `modes` with the tool at `point`,
// after its lines relied on others: where they relied on the modes, or its
// notices were watched on other modal states than `processor_heard` is
// started on, the whole chunk; where on the point alone, only the lines up
// to the last that relied on it (the others came out as they do wherever the
// tool stood). `processor`'s notices are `processor_heard`; `scratch` is
// room for the output.
void ConvertChunkAgain(LineProcessor& processor, NoticeRecorder* processor_heard, const Modal& modes,
                       const CurrentPoint& point, Chunk& chunk, ByteBuffer& scratch);

// Worker threads that convert chunks while the thread that owns the
// pipeline reads and writes them. Chunks are taken back in the order they
// were submitted, a few at a time in flight, so memory stays bounded.
class ChunkPipeline {
 public:
  // `record`: whether the workers keep the facts the notices hear. Each
  // chunk's buffers are made ready for
  // `chunk_bytes` of input at the start, so that they need not grow.
  // `start_thread` starts each worker (unset: std::thread); where it fails,
  // the pipeline goes on with the workers it has, which may be none.
  ChunkPipeline(const ConversionPlan& plan, bool record, unsigned workers, std::size_t chunk_bytes,
                const std::function<std::thread(std::function<void()>)>& start_thread = {});
  // Stops the workers (a chunk being converted is finished first).
  ~ChunkPipeline();
  ChunkPipeline(const ChunkPipeline&) = delete;
  ChunkPipeline& operator=(const ChunkPipeline&) = delete;

  // Workers were started: chunks submitted will be converted.
  bool HasWorkers() const { return !threads_.empty(); }
  // A free chunk can be read now.
  bool HasRoom() const { return submitted_ - taken_ < slots_.size(); }
  // No chunk has been submitted yet, or every one has been taken back.
  bool Empty() const { return submitted_ == taken_; }
  // The next free chunk, cleared, to read into.
  Chunk& Next();
  // Hands the chunk Next gave to the workers.
  // `assumed` and `watch`: the modes it is converted on and the notices'
  // modal states it is watched on, as the chunks before it are likely to
  // leave them.
  void Submit(Chunk& chunk, const Modal& assumed, const NoticeWatch& watch);
  // Waits for the oldest chunk submitted and not yet taken; null when none
  // is left. It stays as it is until Next hands out its place again.
  Chunk* TakeOldest();

 private:
  void Work(const ConversionPlan& plan, bool record);

  std::vector<std::unique_ptr<Chunk>> slots_;
  std::uint64_t submitted_ = 0;
  std::uint64_t taken_ = 0;
  std::mutex mutex_;
  std::condition_variable work_;
  std::condition_variable done_;
  std::deque<Chunk*> queue_;
  bool stop_ = false;
  std::vector<std::thread> threads_;
};

}  // namespace kivrel
