// Pages of an open database, read on demand with positioned reads and decoded when the file's
// pages are RC4-encoded.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

#include "jet/Bytes.h"
#include "jet/File.h"
#include "jet/Header.h"

namespace jet {

// One page read into memory, with the name its messages use ("file.mdb: page 17").
class Page {
 public:
  explicit Page(std::size_t size) : bytes_(size) {}
  std::uint32_t number() const { return number_; }
  Bytes view() const { return Bytes(bytes_.data(), bytes_.size(), &where_); }
  const std::string& where() const { return where_; }

 private:
  friend class PageSource;
  std::vector<std::uint8_t> bytes_;
  std::uint32_t number_ = 0xFFFFFFFFu;
  std::string where_;
};

class PageSource {
 public:
  PageSource(std::unique_ptr<RandomAccessFile> file, std::string name);

  const FormatDescription& format() const { return *header_.format; }
  const std::string& name() const { return name_; }
  // Whole pages in the file as it is now.
  std::uint32_t PageCount() const;

  // Reads page `number` into `page` (which must be a page of this source's size). Throws when
  // the page lies beyond the end of the file.
  void Read(std::uint32_t number, Page& page) const;
  Page NewPage() const { return Page(format().pageSize); }

  // Reads `count` consecutive pages from `first` into `out` (count * page size bytes) with
  // one positioned read where the file allows.
  void ReadRun(std::uint32_t first, std::uint32_t count, std::uint8_t* out) const;
  // Makes `page` hold page `number` with the given (already read and decoded) bytes.
  void Adopt(std::uint32_t number, const std::uint8_t* bytes, Page& page) const;

 private:
  void Decode(std::uint32_t number, std::uint8_t* data) const;
  // Replaces the raw bytes of page `number` in `data` by their decoded form.
  void DecodeCached(std::uint32_t number, std::uint8_t* data) const;
  [[noreturn]] void BeyondEnd(std::uint32_t number) const;

  std::unique_ptr<RandomAccessFile> file_;
  std::string name_;
  Header header_;

  // Encoded files only: decoded pages, each reused while the raw bytes on disk are unchanged.
  struct Cached {
    std::vector<std::uint8_t> raw;
    std::vector<std::uint8_t> decoded;
  };
  mutable std::mutex cacheMutex_;
  mutable std::unordered_map<std::uint32_t, Cached> cache_;
};

}  // namespace jet
