#pragma once

#include <memory>
#include <string>
#include <vector>

#include "common/byte_buffer.h"
#include "platform/file_system.h"

namespace kivrel {

// An 8-bit text stream read line by line. A line ends at CR LF, at a lone LF
// or at a lone CR; its bytes come back exactly as stored, NUL bytes included.
class TextReader {
 public:
  explicit TextReader(std::unique_ptr<ReadableFile> file);

  bool AtEndOfStream();

  // Replaces `line` by the next line, without its terminator. Reusing the
  // same string keeps its capacity, so steady reading does not allocate.
  void ReadLine(std::string& line);

  // The next byte without taking it, or -1 at the end.
  int PeekByte();

  // At the start of the text: takes a UTF-8 byte-order mark, if one is
  // there, and says so.
  bool TakeByteOrderMark();

  // Appends to `chunk` the next whole lines, with their terminators, as read:
  // at least `target` bytes unless the text ends first, and never a CR
  // without the LF that follows it. False at the end of the text. The file
  // is read straight into `chunk`; only the start of a line that the chunk
  // cannot end with is kept back for the next.
  bool ReadChunk(ByteBuffer& chunk, std::size_t target);

  void Close();

 private:
  bool Fill();
  // Cuts `chunk` after its last line end at or after `from`, keeping the
  // rest back in the buffer; false if there is none.
  bool KeepBackAfterLastLineEnd(ByteBuffer& chunk, std::size_t from);

  std::unique_ptr<ReadableFile> file_;
  std::vector<char> buffer_;
  std::size_t position_ = 0;
  std::size_t end_ = 0;
  bool exhausted_ = false;
};

}  // namespace kivrel
