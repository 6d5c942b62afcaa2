#include "transform/chunk_pipeline.h"

#include <string_view>
#include <system_error>

#include "transform/convert_lines.h"
#include "transform/process_line.h"

namespace kivrel {

ChunkPipeline::ChunkPipeline(const ConversionPlan& plan, bool record, unsigned workers, std::size_t chunk_bytes,
                             const std::function<std::thread(std::function<void()>)>& start_thread) {
  // Each worker busy with one chunk and one waiting, and two more: one being
  // written, one being read.
  slots_.resize(2 * static_cast<std::size_t>(workers) + 2);
  for (auto& slot : slots_) {
    slot = std::make_unique<Chunk>();
    // A read may run a block past the target; a line grows by a third or
    // so with four decimals on each number.
    slot->input.Reserve(chunk_bytes + 64 * 1024);
    slot->output.Reserve(2 * chunk_bytes);
  }
  threads_.reserve(workers);
  for (unsigned i = 0; i < workers; ++i) {
    std::function<void()> work = [this, &plan, record] { Work(plan, record); };
    try {
      threads_.push_back(start_thread ? start_thread(std::move(work)) : std::thread(std::move(work)));
    } catch (const std::system_error&) {
      break;  // the system has no more threads to give: the ones started do the work
    }
  }
}

ChunkPipeline::~ChunkPipeline() {
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    stop_ = true;
  }
  work_.notify_all();
  for (std::thread& thread : threads_) thread.join();
}

Chunk& ChunkPipeline::Next() {
  Chunk& chunk = *slots_[submitted_ % slots_.size()];
  // What its conversion finds is set by ConvertChunk.
  chunk.input.Clear();
  chunk.heard.Clear();
  chunk.done = false;
  return chunk;
}

void ChunkPipeline::Submit(Chunk& chunk, const Modal& assumed, const NoticeWatch& watch) {
  chunk.assumed = assumed;
  chunk.watch = watch;
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    queue_.push_back(&chunk);
    ++submitted_;
  }
  work_.notify_one();
}

Chunk* ChunkPipeline::TakeOldest() {
  if (taken_ == submitted_) return nullptr;
  Chunk* chunk = slots_[taken_ % slots_.size()].get();
  std::unique_lock<std::mutex> lock(mutex_);
  done_.wait(lock, [chunk] { return chunk->done; });
  ++taken_;
  return chunk;
}

void ConvertChunk(LineProcessor& processor, const Modal& assumed, const CurrentPoint* point, Chunk& chunk,
                  const NoticeRecorder* heard) {
  chunk.output.Clear();
  chunk.lines = 0;
  chunk.characters = 0;
  chunk.status = RewriteStatus::Done;
  chunk.failed_word.clear();
  chunk.zero_feed_in_program = false;
  chunk.point_relied = {};
  processor.StartChunk(assumed, point);
  const std::string_view input = chunk.input.view();
  std::uint64_t reliances = processor.point_reliances();
  // The lines up to the first that fails, numbered from 1 in the chunk.
  const LinesConverted done = ConvertLines(
      processor, input, chunk.output, 1, [](std::size_t) {},
      [&](std::string_view line, const LinesConverted& so_far) {
        if (point != nullptr || processor.point_reliances() == reliances) return;
        reliances = processor.point_reliances();
        chunk.point_relied = {true,
                              static_cast<std::size_t>(line.data() + line.size() - input.data()),
                              so_far.lines,
                              so_far.output_lines,
                              chunk.output.size(),
                              heard != nullptr ? heard->size() : 0};
      });
  chunk.lines = done.lines;
  chunk.output_lines = done.output_lines;
  chunk.characters = done.characters;
  if (done.status != RewriteStatus::Done && point == nullptr && processor.point_reliances() != reliances) {
    // The line that failed relied on the start too: what its notices heard
    // is not kept, so the chunk is converted again whole.
    chunk.point_relied.any = true;
    chunk.point_relied.lines = done.lines;
  }
  if (done.status != RewriteStatus::Done) {
    chunk.status = done.status;
    chunk.failed_word = processor.failed_word();
    chunk.zero_feed_in_program = processor.zero_feed_in_program();
  }
  chunk.assumed = assumed;
  chunk.modal = processor.modal();
  chunk.set_fields = processor.set_fields();
  chunk.relied = processor.relied();
  chunk.point = processor.point();
}

void ConvertChunkAgain(LineProcessor& processor, NoticeRecorder* processor_heard, const Modal& modes,
                       const CurrentPoint& point, Chunk& chunk, ByteBuffer& scratch) {
  const Chunk::PointRelied mark = chunk.point_relied;
  const NoticeWatch watch = processor_heard != nullptr ? processor_heard->watch() : NoticeWatch();
  const bool watched_otherwise = processor_heard != nullptr && watch.rows() != chunk.watch.rows();
  if (processor_heard != nullptr) processor_heard->Clear();
  if (chunk.relied.Differ(chunk.assumed, modes) || watched_otherwise || !mark.any || mark.lines == chunk.lines) {
    ConvertChunk(processor, modes, &point, chunk);
  } else {
    // The lines up to the mark, on the true start; the rest as the worker
    // made them, their line numbers moved by the pieces that came out
    // otherwise.
    processor.StartChunk(modes, &point);
    scratch.Clear();
    const LinesConverted again = ConvertLines(
        processor, chunk.input.view().substr(0, mark.input_end), scratch, 1, [](std::size_t) {},
        [](std::string_view, const LinesConverted&) {});
    if (again.status != RewriteStatus::Done || again.lines != mark.lines) {
      // It stops earlier: as the whole chunk would.
      if (processor_heard != nullptr) processor_heard->Restart(watch);
      ConvertChunk(processor, modes, &point, chunk);
    } else {
      scratch.Append(chunk.output.view().substr(mark.output_bytes));
      std::swap(scratch, chunk.output);
      const auto shift = static_cast<std::int64_t>(again.output_lines) - static_cast<std::int64_t>(mark.output_lines);
      chunk.output_lines = static_cast<std::uint64_t>(static_cast<std::int64_t>(chunk.output_lines) + shift);
      if (processor_heard != nullptr) processor_heard->AppendFrom(chunk.heard, mark.heard, shift);
      // The modes and the point at the end are the worker's: after the
      // mark no line depended on where the chunk started.
    }
  }
  if (processor_heard != nullptr) chunk.heard.Swap(*processor_heard);
}

void ChunkPipeline::Work(const ConversionPlan& plan, bool record) {
  NoticeRecorder heard;
  LineProcessor processor(plan, record ? &heard : nullptr);
  for (;;) {
    Chunk* chunk = nullptr;
    {
      std::unique_lock<std::mutex> lock(mutex_);
      work_.wait(lock, [this] { return stop_ || !queue_.empty(); });
      if (stop_) return;
      chunk = queue_.front();
      queue_.pop_front();
    }
    // On the modes the writer guessed: it converts the chunk again where
    // its lines relied on others.
    const Modal assumed = chunk->assumed;
    heard.Restart(chunk->watch);
    ConvertChunk(processor, assumed, nullptr, *chunk, record ? &heard : nullptr);
    heard.Swap(chunk->heard);
    heard.Clear();
    {
      const std::lock_guard<std::mutex> lock(mutex_);
      chunk->done = true;
    }
    done_.notify_all();
  }
}

}  // namespace kivrel
