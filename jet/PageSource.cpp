#include "jet/PageSource.h"

#include <cstring>

#include "jet/Rc4.h"

namespace jet {

namespace {
// Bounds the decoded-page cache (1 MB of Jet 4 pages, twice: raw and decoded).
constexpr std::size_t kMaxCachedPages = 256;
}  // namespace

PageSource::PageSource(std::unique_ptr<RandomAccessFile> file, std::string name)
    : file_(std::move(file)), name_(std::move(name)) {
  header_ = ReadHeader(*file_, name_);
}

std::uint32_t PageSource::PageCount() const {
  const std::uint64_t pages = file_->Size() / format().pageSize;
  return pages > 0xFFFFFFFFu ? 0xFFFFFFFFu : static_cast<std::uint32_t>(pages);
}

void PageSource::Decode(std::uint32_t number, std::uint8_t* data) const {
  std::uint8_t key[4];
  for (int i = 0; i < 4; ++i) {
    key[i] = static_cast<std::uint8_t>((header_.databaseKey >> (8 * i)) ^ (number >> (8 * i)));
  }
  Rc4Apply(key, sizeof key, data, format().pageSize);
}

void PageSource::BeyondEnd(std::uint32_t number) const {
  throw Error(name_ + ": page " + std::to_string(number) + " lies beyond the end of the file (" +
              std::to_string(file_->Size()) + " bytes)");
}

void PageSource::Adopt(std::uint32_t number, const std::uint8_t* bytes, Page& page) const {
  if (page.number_ != number || page.where_.empty()) {
    page.where_ = name_ + ": page " + std::to_string(number);
    page.number_ = number;
  }
  std::memcpy(page.bytes_.data(), bytes, format().pageSize);
}

void PageSource::Read(std::uint32_t number, Page& page) const {
  const std::uint32_t size = format().pageSize;
  if (page.number_ != number || page.where_.empty()) {
    page.where_ = name_ + ": page " + std::to_string(number);
  }
  page.number_ = number;
  std::uint8_t* out = page.bytes_.data();
  const std::uint64_t offset = static_cast<std::uint64_t>(number) * size;
  if (file_->ReadAt(offset, out, size) != size) {
    page.number_ = 0xFFFFFFFFu;
    BeyondEnd(number);
  }
  DecodeCached(number, out);
}

void PageSource::ReadRun(std::uint32_t first, std::uint32_t count, std::uint8_t* out) const {
  const std::uint32_t size = format().pageSize;
  const std::uint64_t offset = static_cast<std::uint64_t>(first) * size;
  const std::size_t want = static_cast<std::size_t>(count) * size;
  const std::size_t got = file_->ReadAt(offset, out, want);
  if (got != want) BeyondEnd(static_cast<std::uint32_t>(first + got / size));
  for (std::uint32_t i = 0; i < count; ++i) DecodeCached(first + i, out + static_cast<std::size_t>(i) * size);
}

void PageSource::DecodeCached(std::uint32_t number, std::uint8_t* out) const {
  // Page 0 is the header, scrambled differently; nothing reads it as a page.
  if (header_.databaseKey == 0 || number == 0) return;
  const std::uint32_t size = format().pageSize;
  std::lock_guard<std::mutex> lock(cacheMutex_);
  auto it = cache_.find(number);
  if (it != cache_.end() && std::memcmp(it->second.raw.data(), out, size) == 0) {
    std::memcpy(out, it->second.decoded.data(), size);
    return;
  }
  if (it == cache_.end()) {
    if (cache_.size() >= kMaxCachedPages) cache_.clear();
    it = cache_.emplace(number, Cached{}).first;
  }
  it->second.raw.assign(out, out + size);
  Decode(number, out);
  it->second.decoded.assign(out, out + size);
}

}  // namespace jet
