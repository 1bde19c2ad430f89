#include "jet/UsageMap.h"

namespace jet {

namespace {
constexpr std::uint8_t kMapInline = 0x00;
constexpr std::uint8_t kMapReference = 0x01;
constexpr std::size_t kMapPageHeader = 4;

void AddBits(const Bytes& v, std::size_t from, std::size_t to, std::uint64_t firstPage, std::uint32_t pageCount,
             std::vector<std::uint32_t>& pages) {
  for (std::size_t i = from; i < to; ++i) {
    const std::uint8_t bits = v.U8(i);
    if (bits == 0) continue;
    for (int b = 0; b < 8; ++b) {
      if ((bits >> b) & 1) {
        const std::uint64_t p = firstPage + (i - from) * 8 + static_cast<unsigned>(b);
        if (p < pageCount) pages.push_back(static_cast<std::uint32_t>(p));
      }
    }
  }
}
}  // namespace

RowSpan LocateRow(const FormatDescription& f, const Page& page, unsigned row, const char* what) {
  const Bytes v = page.view();
  const unsigned rowCount = v.U16(f.dataRowCount);
  const std::size_t tableEnd = f.dataRowTable + 2 * static_cast<std::size_t>(rowCount);
  if (tableEnd > f.pageSize) {
    throw Error(page.where() + ": " + std::to_string(rowCount) + " row slots cannot fit in a page");
  }
  if (row >= rowCount) {
    throw Error(page.where() + ": " + what + " is row " + std::to_string(row) + " but the page has " +
                std::to_string(rowCount) + " rows");
  }
  RowSpan span;
  span.start = v.U16(f.dataRowTable + 2 * row) & kRowOffsetMask;
  span.end = row == 0 ? f.pageSize : (v.U16(f.dataRowTable + 2 * (row - 1)) & kRowOffsetMask);
  if (span.start < tableEnd || span.start > span.end || span.end > f.pageSize) {
    throw Error(page.where() + ": " + what + " (row " + std::to_string(row) + ") at offset " + Hex(span.start) +
                ".." + Hex(span.end) + " lies outside the page's row area");
  }
  return span;
}

std::vector<std::uint32_t> ReadUsageMap(const PageSource& source, std::uint32_t pointer) {
  const FormatDescription& f = source.format();
  const std::uint32_t pageCount = source.PageCount();
  const std::uint32_t mapPage = pointer >> 8;
  if (mapPage == 0 || mapPage >= pageCount) {
    throw Error(source.name() + ": usage map on page " + std::to_string(mapPage) + ", which the file does not have");
  }
  Page page = source.NewPage();
  source.Read(mapPage, page);
  const RowSpan span = LocateRow(f, page, pointer & 0xFF, "usage map");
  const Bytes v = page.view();
  std::vector<std::uint32_t> pages;
  if (span.end - span.start < 1) throw Error(page.where() + ": empty usage map");
  const std::uint8_t type = v.U8(span.start);
  if (type == kMapInline) {
    if (span.end - span.start < 5) throw Error(page.where() + ": usage map too short for its start page");
    const std::uint32_t first = v.U32(span.start + 1);
    AddBits(v, span.start + 5, span.end, first, pageCount, pages);
  } else if (type == kMapReference) {
    // Each referenced page maps the next run of pages; a zero entry maps none of its run.
    const std::uint64_t perPage = static_cast<std::uint64_t>(f.pageSize - kMapPageHeader) * 8;
    Page bitmap = source.NewPage();
    std::uint64_t index = 0;
    for (std::size_t at = span.start + 1; at + 4 <= span.end; at += 4, ++index) {
      const std::uint32_t number = v.U32(at);
      if (number == 0) continue;
      if (index * perPage >= pageCount) break;
      if (number >= pageCount) {
        throw Error(page.where() + ": usage map refers to page " + std::to_string(number) + " beyond the end of the file");
      }
      source.Read(number, bitmap);
      const Bytes b = bitmap.view();
      if (b.U8(0) != kPageUsageMap) {
        throw Error(bitmap.where() + ": expected a usage map page (type 0x05), found type " + Hex(b.U8(0), 2));
      }
      AddBits(b, kMapPageHeader, f.pageSize, index * perPage, pageCount, pages);
    }
  } else {
    throw Error(page.where() + ": usage map of unknown type " + Hex(type, 2));
  }
  return pages;
}

}  // namespace jet
