#include "jet/RowCache.h"

#include <cstring>

#include "jet/Text.h"

namespace jet {

namespace {
// What the allocator adds to each block, roughly.
constexpr std::size_t kBlockOverhead = 16;
// Text up to this length lives inside the string itself.
constexpr std::size_t kInlineText = 15;
}  // namespace

std::uint32_t KeyHash(const std::string& text) {
  // FNV-1a over the case-folded bytes, so that keys equal without regard to case collide.
  const std::string folded = FoldCase(text);
  std::uint32_t h = 2166136261u;
  for (unsigned char c : folded) h = (h ^ c) * 16777619u;
  return h;
}

void CachedRows::Add(const std::vector<Value>& fields) {
  rows.push_back(fields);
  cost += fields.size() * sizeof(Value) + kBlockOverhead;
  for (const Value& v : fields) {
    if (v.text.size() > kInlineText) cost += v.text.capacity() + 1 + kBlockOverhead;
  }
}

std::shared_ptr<const CachedRows> RowCache::Find(std::uint32_t page, const TableLayout* layout,
                                                 const std::vector<std::size_t>& columns, bool keyed,
                                                 const std::uint8_t* bytes, std::size_t pageSize) const {
  std::shared_ptr<const CachedRows> rows;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    const auto it = pages_.find(page);
    if (it == pages_.end()) return nullptr;
    rows = it->second;
  }
  if (rows->layout.get() != layout || rows->keyed != keyed || rows->columns != columns || rows->page.size() != pageSize ||
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
  if (used_ + cost > budget_) {
    if (full_ && full_->layout == rows->layout && full_->keyed == rows->keyed && full_->columns == rows->columns) return;
    // Room is made by dropping pages kept for other kinds of reading (another table, other
    // columns, scans rather than lookups). Pages kept for this same kind stay: dropping them
    // to keep this one would only trade one for another on every pass over a big table.
    for (auto it = pages_.begin(); it != pages_.end() && used_ + cost > budget_;) {
      const CachedRows& other = *it->second;
      if (other.layout != rows->layout || other.keyed != rows->keyed || other.columns != rows->columns) {
        used_ -= other.Cost();
        it = pages_.erase(it);
      } else {
        ++it;
      }
    }
    if (used_ + cost > budget_) {
      // Nothing else left to drop for this kind until something else is kept.
      full_ = rows;
      return;
    }
  }
  full_.reset();
  used_ += cost;
  pages_.emplace(page, std::move(rows));
}

}  // namespace jet
