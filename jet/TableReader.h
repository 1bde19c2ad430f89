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

 private:
  // The live rows of the data page in dataPage_; fills `keep` when given.
  void ScanPage(const TableSource::RowVisitor& visit, CachedRows* keep);
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
  std::vector<std::uint32_t> varOffsets_;
  std::vector<std::uint8_t> longValue_;
  Page dataPage_;
  Page overflowPage_;
  Page longValuePage_;
};

}  // namespace jet
