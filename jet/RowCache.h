// Decoded rows of data pages, kept per database so that scanning a table again costs little
// more than reading its pages. A page's rows are reused only while the page holds exactly the
// bytes they were decoded from, under the same table definition and for the same columns, so
// a scan still sees the file as it is at that moment. Pages whose rows needed other pages
// (moved rows, long values stored elsewhere) are not kept, since those pages could change alone.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

#include "jet/TableLayout.h"

namespace jet {

struct CachedRows {
  std::vector<std::uint8_t> page;                // the bytes decoded
  std::shared_ptr<const TableLayout> layout;     // held, so its address names it uniquely
  std::vector<std::size_t> columns;
  // Rows exactly as a visitor receives them, so that replaying them copies nothing.
  std::vector<std::vector<Value>> rows;
  std::size_t cost = 0;                          // bytes held, heap blocks included

  // For lookups by the text of the last of `columns` instead: which row slots hold which key
  // (hash of its case-folded text), sorted by hash; the rows themselves are decoded again.
  bool keyed = false;
  struct Key {
    std::uint32_t hash;
    std::uint32_t slot;
    bool operator<(const Key& o) const { return hash < o.hash || (hash == o.hash && slot < o.slot); }
  };
  std::vector<Key> keys;

  void Add(const std::vector<Value>& fields);
  std::size_t Cost() const {
    return cost + page.size() + rows.capacity() * sizeof(std::vector<Value>) + keys.capacity() * sizeof(Key) + 160;
  }
};

// The hash CachedRows::keys holds for a value's text.
std::uint32_t KeyHash(const std::string& text);

class RowCache {
 public:
  explicit RowCache(std::size_t budgetBytes) : budget_(budgetBytes) {}

  std::shared_ptr<const CachedRows> Find(std::uint32_t page, const TableLayout* layout,
                                         const std::vector<std::size_t>& columns, bool keyed,
                                         const std::uint8_t* bytes, std::size_t pageSize) const;
  void Store(std::uint32_t page, std::shared_ptr<const CachedRows> rows);

 private:
  std::size_t budget_;
  mutable std::mutex mutex_;
  std::unordered_map<std::uint32_t, std::shared_ptr<const CachedRows>> pages_;
  std::size_t used_ = 0;
  std::shared_ptr<const CachedRows> full_;  // the kind for which nothing more fits
};

}  // namespace jet
