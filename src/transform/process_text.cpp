#include "transform/process_text.h"

#include <memory>
#include <string>
#include <system_error>

#include "common/byte_buffer.h"
#include "common/failure.h"
#include "transform/chunk_pipeline.h"
#include "transform/convert_lines.h"
#include "transform/process_line.h"

namespace kivrel {
namespace {

// On the calling thread alone, line by line as the bar moves.
TextEnd ConvertHere(TextReader& input, TextWriter& output, const ConversionPlan& plan, ProgressTracker& progress,
                    ToolpathNotices* notices, std::uint64_t lines_before, const EngineOptions& options) {
  LineProcessor processor(plan, notices);
  ByteBuffer chunk;
  ByteBuffer converted;
  std::uint64_t line_number = lines_before;    // of the input
  std::uint64_t output_number = lines_before;  // of the output, which the notices name
  while (input.ReadChunk(chunk, options.chunk_bytes)) {
    const LinesConverted done = ConvertLines(
        processor, chunk.view(), converted, output_number + 1, [&](std::size_t length) { progress.LineRead(length); },
        [&](std::string_view, const LinesConverted&) { progress.LineWritten(); });
    line_number += done.lines;
    output_number += done.output_lines;
    // The lines before a failure go out: a filter's output stops right there.
    output.Write(converted.view());
    if (done.status == RewriteStatus::ZeroFeed) {
      return {TextOutcome::ZeroFeed, line_number + 1, processor.zero_feed_in_program()};
    }
    if (done.status != RewriteStatus::Done) throw OutOfRange(line_number + 1, processor.failed_word());
    converted.Clear();
    chunk.Clear();
  }
  return {};
}

// Chunks converted on worker threads, written in order from this one, the
// notices told of each chunk's lines in order.
TextEnd ConvertInParallel(TextReader& input, TextWriter& output, const ConversionPlan& plan, ProgressTracker& progress,
                          ToolpathNotices* notices, std::uint64_t lines_before, const EngineOptions& options) {
  ChunkPipeline pipeline(plan, notices != nullptr, options.workers, options.chunk_bytes, options.start_thread);
  if (!pipeline.HasWorkers()) {  // not one thread could be started
    return ConvertHere(input, output, plan, progress, notices, lines_before, options);
  }
  std::uint64_t line_base = lines_before;
  std::uint64_t output_base = lines_before;
  bool more = true;
  // The modes and where the tool stands as the lines written so far left
  // them; a chunk whose lines relied on others is converted again here.
  Modal modes;
  CurrentPoint point;
  NoticeRecorder redo_heard;
  std::unique_ptr<LineProcessor> redo;
  ByteBuffer redo_output;
  // The first chunk goes alone: most programs set their units, plane and
  // modes at the start, and the chunks after it are converted on the modes
  // it leaves rather than on none (which every chunk that read them would
  // take converted again here).
  bool first_taken = false;
  for (;;) {
    while (more && pipeline.HasRoom() && (first_taken || pipeline.Empty())) {
      Chunk& chunk = pipeline.Next();
      if (!input.ReadChunk(chunk.input, options.chunk_bytes)) {
        more = false;
        break;
      }
      // The modes rarely change from chunk to chunk: those the chunks
      // written so far left are the best guess (a program's units, for one,
      // which every arc cut into pieces reads).
      pipeline.Submit(chunk, modes, notices != nullptr ? notices->watch() : NoticeWatch());
    }
    Chunk* done = pipeline.TakeOldest();
    if (done == nullptr) return {};
    first_taken = true;
    // The notices follow their modal states as the writer replays: a chunk
    // watched on others than they are in is heard again.
    const bool watched_otherwise = notices != nullptr && done->watch.rows() != notices->watched_rows();
    if (done->Relied(modes, point) || watched_otherwise) {
      if (!redo) redo = std::make_unique<LineProcessor>(plan, notices != nullptr ? &redo_heard : nullptr);
      if (notices != nullptr) redo_heard.Restart(notices->watch());
      ConvertChunkAgain(*redo, notices != nullptr ? &redo_heard : nullptr, modes, point, *done, redo_output);
    }
    modes.Take(done->modal, done->set_fields);
    point = done->point.After(point);
    // The lines before a failure go out, and are heard and counted, as on
    // one thread.
    output.Write(done->output.view());
    if (notices != nullptr) done->heard.Replay(*notices, output_base);
    progress.LinesDone(done->lines, done->characters);
    line_base += done->lines;
    output_base += done->output_lines;
    if (done->status != RewriteStatus::Done) {
      if (done->status == RewriteStatus::ZeroFeed) {
        return {TextOutcome::ZeroFeed, line_base + 1, done->zero_feed_in_program};
      }
      throw OutOfRange(line_base + 1, done->failed_word);
    }
  }
}

}  // namespace

Failure OutOfRange(std::uint64_t line_number, const std::string& word) {
  return Failure(std::errc::result_out_of_range,
                 "number out of range in line " + std::to_string(line_number) + ", word " + word);
}

TextEnd ProcessText(TextReader& input, std::uint64_t input_size, TextWriter& output, const ConversionPlan& plan,
                    ProgressTracker& progress, ToolpathNotices* notices, std::uint64_t lines_before,
                    const EngineOptions& options) {
  if (options.workers == 0 || input_size < options.parallel_from) {
    return ConvertHere(input, output, plan, progress, notices, lines_before, options);
  }
  return ConvertInParallel(input, output, plan, progress, notices, lines_before, options);
}

}  // namespace kivrel
