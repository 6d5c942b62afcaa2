#pragma once

#include <cstddef>
#include <cstring>
#include <memory>
#include <string_view>

namespace kivrel {

// A growing run of bytes written in place: room is reserved, written into
// and then committed, without filling it first. At least kPadding zero
// bytes follow the committed bytes, so that readers may look a little past
// the end (and find a byte that ends any number).
class ByteBuffer {
 public:
  static constexpr std::size_t kPadding = 16;

  // Room for `count` more bytes at the end; valid until the next Reserve.
  char* Reserve(std::size_t count) {
    if (size_ + count + kPadding > capacity_) Grow(size_ + count + kPadding);
    return data_.get() + size_;
  }
  // The first `count` reserved bytes now belong to the buffer.
  void Commit(std::size_t count) {
    size_ += count;
    std::memset(data_.get() + size_, 0, kPadding);
  }
  void Append(std::string_view text) {
    std::memcpy(Reserve(text.size()), text.data(), text.size());
    Commit(text.size());
  }
  // Gives up the last `count` bytes.
  void Shrink(std::size_t count) {
    size_ -= count;
    std::memset(data_.get() + size_, 0, kPadding);
  }
  void Clear() {
    size_ = 0;
    if (data_) std::memset(data_.get(), 0, kPadding);
  }

  const char* data() const { return data_.get(); }
  char* data() { return data_.get(); }
  std::size_t size() const { return size_; }
  bool empty() const { return size_ == 0; }
  std::string_view view() const { return {data_.get(), size_}; }

 private:
  void Grow(std::size_t needed) {
    std::size_t capacity = capacity_ == 0 ? 256 : capacity_;
    while (capacity < needed) capacity *= 2;
    std::unique_ptr<char[]> grown(new char[capacity]);
    if (size_ > 0) std::memcpy(grown.get(), data_.get(), size_);
    data_ = std::move(grown);
    capacity_ = capacity;
  }

  std::unique_ptr<char[]> data_;
  std::size_t size_ = 0;
  std::size_t capacity_ = 0;
};

}  // namespace kivrel
