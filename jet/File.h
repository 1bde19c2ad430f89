// Positioned reads from a database file, or from bytes held in memory (tests, fuzzing). The only
// place that knows about the operating system's file calls.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace jet {

class RandomAccessFile {
 public:
  virtual ~RandomAccessFile() = default;
  // Current size; asked again whenever a page is read, since the file may grow or shrink while
  // it is open.
  virtual std::uint64_t Size() const = 0;
  // Reads up to `length` bytes at `offset`; returns how many were read (fewer only at the end).
  virtual std::size_t ReadAt(std::uint64_t offset, void* buffer, std::size_t length) const = 0;
};

// Opens for reading. On Windows the file is shared for read, write and delete, so that the
// desktop suite can keep working on it (and even replace it) while we read.
std::unique_ptr<RandomAccessFile> OpenFile(const std::string& path);

std::unique_ptr<RandomAccessFile> MemoryFile(std::vector<std::uint8_t> bytes);

}  // namespace jet
