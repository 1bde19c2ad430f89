// Which pages a table owns, from its usage map: a bitmap kept inside a row ("inline", type 0)
// or a list of whole bitmap pages ("reference", type 1).
#pragma once

#include <cstdint>
#include <vector>

#include "jet/PageSource.h"

namespace jet {

struct RowSpan {
  std::uint32_t start = 0;  // offsets within the page
  std::uint32_t end = 0;    // one past the last byte
};

// The bytes of row `row` on the data page in `page` (its offset flags ignored), checked
// against the page and its row table. `what` names the row's purpose in messages.
RowSpan LocateRow(const FormatDescription& f, const Page& page, unsigned row, const char* what);

// Page numbers marked in the map that row pointer `pointer` (page << 8 | row) refers to, in
// ascending order, limited to pages the file has.
std::vector<std::uint32_t> ReadUsageMap(const PageSource& source, std::uint32_t pointer);

}  // namespace jet
