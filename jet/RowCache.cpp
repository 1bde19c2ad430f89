#include "jet/RowCache.h"

#include <cstring>

namespace jet {

std::shared_ptr<const CachedRows> RowCache::Find(std::uint32_t page, const TableLayout* layout,
                                                 const std::vector<std::size_t>& columns, const std::uint8_t* bytes,
                                                 std::size_t pageSize) const {
  std::shared_ptr<const CachedRows> rows;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    const auto it = pages_.find(page);
    if (it == pages_.end()) return nullptr;
    rows = it->second;
  }
  if (rows->layout.get() != layout || rows->columns != columns || rows->page.size() != pageSize ||
      std::memcmp(rows->page.data(), bytes, pageSize) != 0) {
    return nullptr;
  }
  return rows;
}

void RowCache::Store(std::uint32_t page, std::shared_ptr<const CachedRows> rows) {
  std::lock_guard<std::mutex> lock(mutex_);
  const auto it = pages_.find(page);
  if (it != pages_.end()) {
    used_ -= it->second->Cost();
    pages_.erase(it);
  }
  const std::size_t cost = rows->Cost();
  // When full, the pages already kept stay; the rest is decoded each time.
  if (used_ + cost > budget_) return;
  used_ += cost;
  pages_.emplace(page, std::move(rows));
}

}  // namespace jet
