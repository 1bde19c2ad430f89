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
  static constexpr std::uint32_t kNull = 0xFFFFFFFFu;
  struct Field {
    std::uint32_t offset;
    std::uint32_t length;  // kNull for a null value
  };
  std::vector<std::uint8_t> page;                // the bytes decoded
  std::shared_ptr<const TableLayout> layout;     // held, so its address names it uniquely
  std::vector<std::size_t> columns;
  std::string text;                              // all values' text, one after another
  std::vector<Field> fields;                     // columns.size() per row

  std::size_t Cost() const { return page.size() + text.size() + fields.size() * sizeof(Field) + 128; }
};

class RowCache {
 public:
  explicit RowCache(std::size_t budgetBytes) : budget_(budgetBytes) {}

  std::shared_ptr<const CachedRows> Find(std::uint32_t page, const TableLayout* layout,
                                         const std::vector<std::size_t>& columns, const std::uint8_t* bytes,
                                         std::size_t pageSize) const;
  void Store(std::uint32_t page, std::shared_ptr<const CachedRows> rows);

 private:
  std::size_t budget_;
  mutable std::mutex mutex_;
  std::unordered_map<std::uint32_t, std::shared_ptr<const CachedRows>> pages_;
  std::size_t used_ = 0;
};

}  // namespace jet
