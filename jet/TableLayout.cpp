#include "jet/TableLayout.h"

#include <unordered_set>

#include "jet/Text.h"

namespace jet {

namespace {
constexpr std::size_t kDefinitionNextPage = 4;
constexpr std::size_t kPageHeader = 8;
constexpr std::uint8_t kColumnFixed = 0x01;
}  // namespace

std::size_t FixedSizeOf(ColumnType type) {
  switch (type) {
    case ColumnType::Boolean: return 0;
    case ColumnType::Byte: return 1;
    case ColumnType::Integer: return 2;
    case ColumnType::Long: return 4;
    case ColumnType::Currency: return 8;
    case ColumnType::Single: return 4;
    case ColumnType::Double: return 8;
    case ColumnType::DateTime: return 8;
    case ColumnType::GUID: return 16;
    case ColumnType::Numeric: return 17;
    default: return 0;
  }
}

std::vector<std::uint8_t> ReadDefinitionBytes(const PageSource& source, std::uint32_t first) {
  const std::size_t pageSize = source.format().pageSize;
  Page page = source.NewPage();
  std::vector<std::uint8_t> bytes;
  std::unordered_set<std::uint32_t> seen;
  std::uint32_t number = first;
  const std::uint32_t pageCount = source.PageCount();
  while (number != 0) {
    if (!seen.insert(number).second) {
      throw Error(source.name() + ": table definition at page " + std::to_string(first) +
                  ": its page chain comes back to page " + std::to_string(number));
    }
    if (number >= pageCount) {
      throw Error(source.name() + ": table definition at page " + std::to_string(first) + " continues on page " +
                  std::to_string(number) + ", beyond the end of the file");
    }
    source.Read(number, page);
    const Bytes v = page.view();
    if (v.U8(0) != kPageTableDefinition) {
      throw Error(page.where() + ": expected a table definition page (type 0x02), found type " + Hex(v.U8(0), 2));
    }
    const std::size_t skip = bytes.empty() ? 0 : kPageHeader;
    bytes.insert(bytes.end(), v.data() + skip, v.data() + pageSize);
    number = v.U32(kDefinitionNextPage);
  }
  return bytes;
}

TableLayout ParseTableLayout(const PageSource& source, std::uint32_t page, const std::vector<std::uint8_t>& bytes) {
  const FormatDescription& f = source.format();
  const std::string where = source.name() + ": table definition at page " + std::to_string(page);
  const Bytes d(bytes.data(), bytes.size(), &where);

  TableLayout layout;
  layout.definitionPage = page;
  layout.maxColumns = d.U16(f.tdefMaxColumns);
  layout.varColumns = d.U16(f.tdefVarColumns);
  const std::size_t columnCount = d.U16(f.tdefColumnCount);
  const std::uint64_t realIndexCount = d.U32(f.tdefRealIndexCount);
  layout.usedPages = d.U32(f.tdefUsedPages);

  // Counts are checked against the bytes there are before anything is sized by them.
  const std::uint64_t columnsAt = f.tdefHeaderEnd + realIndexCount * f.realIndexEntrySize;
  if (columnsAt + static_cast<std::uint64_t>(columnCount) * f.columnEntrySize > bytes.size()) {
    throw Error(where + ": " + std::to_string(columnCount) + " columns after " + std::to_string(realIndexCount) +
                " indexes do not fit in its " + std::to_string(bytes.size()) + " bytes");
  }
  if (columnCount > layout.maxColumns && layout.maxColumns != 0) {
    throw Error(where + ": " + std::to_string(columnCount) + " columns, more than its maximum of " +
                std::to_string(layout.maxColumns));
  }
  layout.columns.resize(columnCount);
  std::size_t at = static_cast<std::size_t>(columnsAt);
  for (ColumnLayout& c : layout.columns) {
    const Bytes e = d.Sub(at, f.columnEntrySize);
    c.definition.type = static_cast<ColumnType>(e.U8(f.colType));
    c.number = e.U16(f.colNumber);
    c.varIndex = e.U16(f.colVarIndex);
    c.precision = e.U8(f.colPrecision);
    c.scale = e.U8(f.colPrecision + 1);
    c.flags = e.U8(f.colFlags);
    c.fixed = (c.flags & kColumnFixed) != 0;
    c.fixedOffset = e.U16(f.colFixedOffset);
    c.length = e.U16(f.colLength);
    c.definition.length = c.length;
    at += f.columnEntrySize;
  }
  for (std::size_t i = 0; i < columnCount; ++i) {
    ColumnLayout& c = layout.columns[i];
    const std::size_t nameLength = f.nameLengthSize == 1 ? d.U8(at) : d.U16(at);
    at += f.nameLengthSize;
    const Bytes name = d.Sub(at, nameLength);
    at += nameLength;
    c.definition.name = f.textIsUtf16 ? Jet4TextToCp1252(name.data(), name.size())
                                      : std::string(reinterpret_cast<const char*>(name.data()), name.size());
    if (c.fixed && c.definition.type != ColumnType::Boolean) {
      const std::size_t need = FixedSizeOf(c.definition.type);
      if (need > 0) {
        // Only the size its type needs is read, whatever length the entry claims.
        c.length = static_cast<std::uint16_t>(need);
      } else if (c.length == 0) {
        throw Error(where + ": fixed column " + c.definition.name + " has no length");
      }
    }
  }
  return layout;
}

}  // namespace jet
