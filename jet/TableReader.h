// Rows of one table: the data pages its usage map names, each live row decoded for the
// columns asked for, overflow rows followed and long values (memo, OLE) gathered from their
// LVAL pages.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "jet/Database.h"
#include "jet/PageSource.h"
#include "jet/RowCache.h"
#include "jet/TableLayout.h"
#include "jet/UsageMap.h"

namespace jet {

class TableReader {
 public:
  // `wanted` are positions into layout->columns, already checked by the caller; `cache` may
  // be null.
  TableReader(const PageSource& source, std::shared_ptr<const TableLayout> layout,
              const std::vector<std::size_t>& wanted, RowCache* cache);

  void Scan(const TableSource::RowVisitor& visit);

  // Visits the rows whose last wanted column has text equal to `key` without regard to case,
  // giving the visitor the other wanted columns.
  void ScanWhere(const std::string& key, const TableSource::RowVisitor& visit);

 private:
  // The data pages of the table in the file as it is now, read in runs; calls `page` with the
  // number and bytes of each one the table owns.
  template <typename PageFn>
  void ForEachDataPage(PageFn page);
  // Decodes each live row of the data page in dataPage_ and calls onRow with its slot.
  template <typename RowFn>
  void ScanPage(RowFn onRow);
  // The bytes of live row `slot` of dataPage_ (whose row table ends at tableEnd); false for a
  // deleted row.
  bool LiveRow(unsigned slot, std::size_t tableEnd, RowSpan& span, std::uint16_t& raw) const;
  // Decodes row `slot` of dataPage_ (or the row it moved to) into fields_.
  void DecodeSlot(unsigned slot, RowSpan span, std::uint16_t raw);
  void Replay(const CachedRows& rows, const TableSource::RowVisitor& visit);
  void DecodeRow(const Page& page, unsigned row, RowSpan span);
  void DecodeValue(const ColumnLayout& column, const Page& page, unsigned row, const std::uint8_t* data,
                   std::size_t length, Value& out);
  // The whole of a long value whose 12-byte field is at `field`.
  const std::vector<std::uint8_t>& ReadLongValue(const ColumnLayout& column, const Page& page, unsigned row,
                                                 const std::uint8_t* field, std::size_t length);
  [[noreturn]] void RowError(const Page& page, unsigned row, const std::string& what) const;

  const PageSource& source_;
  const FormatDescription& f_;
  std::shared_ptr<const TableLayout> layoutHolder_;
  const TableLayout& layout_;
  RowCache* cache_;
  std::vector<std::size_t> wantedPositions_;
  std::vector<const ColumnLayout*> wanted_;
  bool usedOtherPages_ = false;  // the current page's rows needed bytes from other pages
  std::vector<std::uint8_t> run_;
  std::vector<Value> fields_;
  std::vector<Value> visible_;  // ScanWhere: fields_ without the key
  std::vector<std::uint32_t> varOffsets_;
  std::vector<std::uint8_t> longValue_;
  Page dataPage_;
  Page overflowPage_;
  Page longValuePage_;
};

}  // namespace jet
