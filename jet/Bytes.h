// Bounds-checked reads from a block of bytes taken from the file. Everything the reader decodes
// goes through here, so a damaged offset becomes an Error naming the place instead of a read
// outside the buffer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "jet/Error.h"

namespace jet {

std::string Hex(std::size_t value, int digits = 4);

class Bytes {
 public:
  Bytes() = default;
  // `where` names the block in messages ("page 17", "table definition of T"); it must outlive
  // the view (callers pass literals or strings they own).
  Bytes(const std::uint8_t* data, std::size_t size, const std::string* where)
      : data_(data), size_(size), where_(where) {}

  std::size_t size() const { return size_; }
  const std::uint8_t* data() const { return data_; }

  std::uint8_t U8(std::size_t offset) const {
    Check(offset, 1);
    return data_[offset];
  }
  std::uint16_t U16(std::size_t offset) const {
    Check(offset, 2);
    return static_cast<std::uint16_t>(data_[offset] | (data_[offset + 1] << 8));
  }
  std::uint32_t U24(std::size_t offset) const {
    Check(offset, 3);
    return static_cast<std::uint32_t>(data_[offset]) | (static_cast<std::uint32_t>(data_[offset + 1]) << 8) |
           (static_cast<std::uint32_t>(data_[offset + 2]) << 16);
  }
  std::uint32_t U32(std::size_t offset) const {
    Check(offset, 4);
    return static_cast<std::uint32_t>(data_[offset]) | (static_cast<std::uint32_t>(data_[offset + 1]) << 8) |
           (static_cast<std::uint32_t>(data_[offset + 2]) << 16) |
           (static_cast<std::uint32_t>(data_[offset + 3]) << 24);
  }
  std::uint64_t U64(std::size_t offset) const {
    Check(offset, 8);
    std::uint64_t v = 0;
    for (int i = 7; i >= 0; --i) v = (v << 8) | data_[offset + static_cast<std::size_t>(i)];
    return v;
  }
  // A narrower view; its offsets count from `offset`.
  Bytes Sub(std::size_t offset, std::size_t length) const {
    Check(offset, length);
    return Bytes(data_ + offset, length, where_);
  }
  void Check(std::size_t offset, std::size_t length) const {
    if (offset > size_ || length > size_ - offset) Fail(offset, length);
  }
  [[noreturn]] void Fail(std::size_t offset, std::size_t length) const;

  const std::string& where() const;

 private:
  const std::uint8_t* data_ = nullptr;
  std::size_t size_ = 0;
  const std::string* where_ = nullptr;
};

}  // namespace jet
