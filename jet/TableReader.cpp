#include "jet/TableReader.h"

#include <algorithm>
#include <cstring>
#include <unordered_set>

#include "jet/Text.h"
#include "jet/Values.h"

namespace jet {

namespace {
constexpr std::uint32_t kLongValueInline = 0x80000000u;
constexpr std::uint32_t kLongValueOnePage = 0x40000000u;
constexpr std::uint32_t kLongValueLengthMask = 0x3FFFFFFFu;
constexpr std::size_t kLongValueField = 12;
// Overflow pointers lead to the row's new place; a chain longer than this is damage, not data.
constexpr int kMaxOverflowHops = 8;
constexpr std::size_t kJumpSegment = 256;

std::uint32_t Le32(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
         (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}
std::uint64_t Le64(const std::uint8_t* p) {
  return static_cast<std::uint64_t>(Le32(p)) | (static_cast<std::uint64_t>(Le32(p + 4)) << 32);
}

const char* TypeName(ColumnType t) {
  switch (t) {
    case ColumnType::Byte: return "byte";
    case ColumnType::Integer: return "integer";
    case ColumnType::Long: return "long";
    case ColumnType::Currency: return "currency";
    case ColumnType::Single: return "single";
    case ColumnType::Double: return "double";
    case ColumnType::DateTime: return "date/time";
    case ColumnType::GUID: return "GUID";
    case ColumnType::Numeric: return "numeric";
    default: return "value";
  }
}
}  // namespace

TableReader::TableReader(const PageSource& source, std::shared_ptr<const TableLayout> layout,
                         const std::vector<std::size_t>& wanted, RowCache* cache)
    : source_(source),
      f_(source.format()),
      layoutHolder_(std::move(layout)),
      layout_(*layoutHolder_),
      cache_(cache),
      wantedPositions_(wanted),
      fields_(wanted.size()),
      dataPage_(source.NewPage()),
      overflowPage_(source.NewPage()),
      longValuePage_(source.NewPage()) {
  wanted_.reserve(wanted.size());
  for (std::size_t i = 0; i < wanted.size(); ++i) {
    wanted_.push_back(&layout_.columns[wanted[i]]);
    fields_[i].type = layout_.columns[wanted[i]].definition.type;
  }
}

void TableReader::RowError(const Page& page, unsigned row, const std::string& what) const {
  throw Error(page.where() + ": row " + std::to_string(row) + ": " + what);
}

namespace {
// Pages read with one call when the table's pages follow each other in the file.
constexpr std::uint32_t kPagesPerRead = 32;
}  // namespace

template <typename PageFn>
void TableReader::ForEachDataPage(PageFn page) {
  const std::vector<std::uint32_t> pages = ReadUsageMap(source_, layout_.usedPages);
  const std::size_t pageSize = f_.pageSize;
  std::size_t i = 0;
  while (i < pages.size()) {
    std::size_t j = i + 1;
    while (j < pages.size() && pages[j] == pages[j - 1] + 1 && j - i < kPagesPerRead) ++j;
    run_.resize((j - i) * pageSize);
    source_.ReadRun(pages[i], static_cast<std::uint32_t>(j - i), run_.data());
    for (std::size_t k = i; k < j; ++k) {
      const std::uint8_t* bytes = run_.data() + (k - i) * pageSize;
      // Usage maps can still mark pages the table has given up; only its own data pages count.
      if (bytes[0] != kPageData || Le32(bytes + 4) != layout_.definitionPage) continue;
      page(pages[k], bytes);
    }
    i = j;
  }
}

void TableReader::Scan(const TableSource::RowVisitor& visit) {
  const std::size_t pageSize = f_.pageSize;
  ForEachDataPage([&](std::uint32_t number, const std::uint8_t* bytes) {
    if (cache_ != nullptr) {
      const std::shared_ptr<const CachedRows> hit = cache_->Find(number, &layout_, wantedPositions_, false, bytes, pageSize);
      if (hit) {
        Replay(*hit, visit);
        return;
      }
    }
    source_.Adopt(number, bytes, dataPage_);
    if (cache_ == nullptr) {
      ScanPage([&](unsigned) { visit(fields_); });
      return;
    }
    auto keep = std::make_shared<CachedRows>();
    keep->layout = layoutHolder_;
    keep->columns = wantedPositions_;
    usedOtherPages_ = false;
    ScanPage([&](unsigned) {
      keep->Add(fields_);
      visit(fields_);
    });
    if (!usedOtherPages_) {
      keep->page.assign(bytes, bytes + pageSize);
      cache_->Store(number, std::move(keep));
    }
  });
}

void TableReader::ScanWhere(const std::string& key, const TableSource::RowVisitor& visit) {
  const std::size_t keyField = fields_.size() - 1;
  const std::size_t pageSize = f_.pageSize;
  const std::uint32_t hash = KeyHash(key);
  visible_.resize(keyField);
  for (std::size_t k = 0; k < keyField; ++k) visible_[k].type = fields_[k].type;
  const auto emitIfEqual = [&]() {
    const Value& v = fields_[keyField];
    if (v.null || !EqualsIgnoreCase(v.text, key)) return;
    for (std::size_t k = 0; k < keyField; ++k) {
      visible_[k].null = fields_[k].null;
      visible_[k].text = fields_[k].text;
    }
    visit(visible_);
  };
  ForEachDataPage([&](std::uint32_t number, const std::uint8_t* bytes) {
    if (cache_ != nullptr) {
      const std::shared_ptr<const CachedRows> hit = cache_->Find(number, &layout_, wantedPositions_, true, bytes, pageSize);
      if (hit) {
        auto it = std::lower_bound(hit->keys.begin(), hit->keys.end(), CachedRows::Key{hash, 0});
        if (it == hit->keys.end() || it->hash != hash) return;
        source_.Adopt(number, bytes, dataPage_);
        const std::size_t tableEnd = f_.dataRowTable + 2 * static_cast<std::size_t>(dataPage_.view().U16(f_.dataRowCount));
        for (; it != hit->keys.end() && it->hash == hash; ++it) {
          RowSpan span;
          std::uint16_t raw;
          if (!LiveRow(it->slot, tableEnd, span, raw)) continue;
          DecodeSlot(it->slot, span, raw);
          emitIfEqual();
        }
        return;
      }
    }
    source_.Adopt(number, bytes, dataPage_);
    if (cache_ == nullptr) {
      ScanPage([&](unsigned) { emitIfEqual(); });
      return;
    }
    auto keep = std::make_shared<CachedRows>();
    keep->layout = layoutHolder_;
    keep->columns = wantedPositions_;
    keep->keyed = true;
    usedOtherPages_ = false;
    ScanPage([&](unsigned slot) {
      const Value& v = fields_[keyField];
      if (!v.null) keep->keys.push_back({KeyHash(v.text), slot});
      emitIfEqual();
    });
    if (!usedOtherPages_) {
      std::sort(keep->keys.begin(), keep->keys.end());
      keep->keys.shrink_to_fit();
      keep->page.assign(bytes, bytes + pageSize);
      cache_->Store(number, std::move(keep));
    }
  });
}

void TableReader::Replay(const CachedRows& rows, const TableSource::RowVisitor& visit) {
  for (const std::vector<Value>& row : rows.rows) visit(row);
}

bool TableReader::LiveRow(unsigned slot, std::size_t tableEnd, RowSpan& span, std::uint16_t& raw) const {
  const Bytes v = dataPage_.view();
  raw = v.U16(f_.dataRowTable + 2 * slot);
  if (raw & kRowDeleted) return false;
  span.start = raw & kRowOffsetMask;
  span.end = slot == 0 ? f_.pageSize : (v.U16(f_.dataRowTable + 2 * (slot - 1)) & kRowOffsetMask);
  if (span.start < tableEnd || span.start >= span.end) {
    RowError(dataPage_, slot,
             "offset " + Hex(span.start) + (span.start < tableEnd ? " inside the row table" : " beyond the row's end ") +
                 (span.start < tableEnd ? "" : Hex(span.end)));
  }
  return true;
}

template <typename RowFn>
void TableReader::ScanPage(RowFn onRow) {
  const unsigned rowCount = dataPage_.view().U16(f_.dataRowCount);
  const std::size_t tableEnd = f_.dataRowTable + 2 * static_cast<std::size_t>(rowCount);
  if (tableEnd > f_.pageSize) {
    throw Error(dataPage_.where() + ": " + std::to_string(rowCount) + " row slots cannot fit in a page");
  }
  for (unsigned r = 0; r < rowCount; ++r) {
    RowSpan span;
    std::uint16_t raw;
    if (!LiveRow(r, tableEnd, span, raw)) continue;
    DecodeSlot(r, span, raw);
    onRow(r);
  }
}

void TableReader::DecodeSlot(unsigned r, RowSpan span, std::uint16_t raw) {
  if ((raw & kRowOverflow) == 0) {
    DecodeRow(dataPage_, r, span);
    return;
  }
  // The row moved to another page; its old place keeps a pointer to the new one. The new
  // place is marked deleted on its page (so that a scan meets the row only once), which is
  // why the flag is not looked at there.
  usedOtherPages_ = true;
  const Page* at = &dataPage_;
  unsigned atRow = r;
  RowSpan atSpan = span;
  std::uint16_t atRaw = raw;
  for (int hop = 0; (atRaw & kRowOverflow) != 0; ++hop) {
    if (hop == kMaxOverflowHops) RowError(dataPage_, r, "overflow pointers go round in a loop");
    if (atSpan.end - atSpan.start < 4) RowError(*at, atRow, "overflow pointer shorter than 4 bytes");
    const std::uint32_t pointer = at->view().U32(atSpan.start);
    const std::uint32_t target = pointer >> 8;
    if (target == 0 || target >= source_.PageCount()) {
      RowError(*at, atRow, "overflow pointer to page " + std::to_string(target) + ", which the file does not have");
    }
    source_.Read(target, overflowPage_);
    if (overflowPage_.view().U8(0) != kPageData) {
      RowError(*at, atRow, "overflow pointer to page " + std::to_string(target) + ", which is not a data page");
    }
    atRow = pointer & 0xFF;
    atSpan = LocateRow(f_, overflowPage_, atRow, "overflow row");
    atRaw = overflowPage_.view().U16(f_.dataRowTable + 2 * atRow);
    at = &overflowPage_;
    if (atSpan.start >= atSpan.end) RowError(*at, atRow, "empty overflow row");
  }
  DecodeRow(*at, atRow, atSpan);
}

void TableReader::DecodeRow(const Page& page, unsigned row, RowSpan span) {
  const Bytes v = page.view();
  const std::size_t start = span.start;
  const std::size_t end = span.end;
  const std::size_t length = end - start;
  const std::size_t countSize = f_.rowCountSize;
  if (length < countSize) RowError(page, row, "shorter than its column count");
  const std::size_t columnCount = countSize == 1 ? v.U8(start) : v.U16(start);
  const std::size_t maskSize = (columnCount + 7) / 8;
  if (countSize + maskSize > length) {
    RowError(page, row, "null mask of " + std::to_string(columnCount) + " columns does not fit in its " +
                            std::to_string(length) + " bytes");
  }
  const std::size_t maskStart = end - maskSize;
  const std::size_t fixedStart = start + countSize;
  std::size_t fixedLimit = maskStart;  // fixed data lies before the offset tables
  std::size_t varCount = 0;

  if (layout_.varColumns > 0) {
    if (!f_.rowJumpTable) {
      if (maskStart < fixedStart + 2) RowError(page, row, "no room for the variable column count");
      varCount = v.U16(maskStart - 2);
      const std::size_t tableBytes = 2 * (varCount + 1);
      if (maskStart - 2 - fixedStart < tableBytes) {
        RowError(page, row, std::to_string(varCount) + " variable columns: offset table does not fit in the row");
      }
      fixedLimit = maskStart - 2 - tableBytes;
      varOffsets_.resize(varCount + 1);
      for (std::size_t i = 0; i <= varCount; ++i) varOffsets_[i] = v.U16(maskStart - 2 - 2 * (i + 1));
    } else {
      // One-byte offsets: the jump table says from which entry on each further 256 is added.
      // It is sized from the row length, so its last entry may be a dummy.
      if (maskStart < fixedStart + 1) RowError(page, row, "no room for the variable column count");
      const std::size_t countAt = maskStart - 1;
      varCount = v.U8(countAt);
      const std::size_t jumps = (length - 1) / kJumpSegment;
      if (countAt - fixedStart < jumps + varCount + 1) {
        RowError(page, row, std::to_string(varCount) + " variable columns: offset table does not fit in the row");
      }
      const std::size_t firstEntry = countAt - jumps - 1;  // entry 0; the end entry is lowest
      fixedLimit = firstEntry - varCount;
      std::size_t usable = jumps;
      const std::size_t reachable = (fixedLimit - start) / kJumpSegment;
      if (usable > reachable) usable = reachable;
      varOffsets_.resize(varCount + 1);
      std::size_t used = 0;
      for (std::size_t i = 0; i <= varCount; ++i) {
        while (used < usable && i >= v.U8(countAt - 1 - used)) ++used;
        varOffsets_[i] = static_cast<std::uint32_t>(v.U8(firstEntry - i) + kJumpSegment * used);
      }
    }
  }
  const std::size_t varLimit = fixedLimit - start;  // variable data ends where the tables begin

  for (std::size_t k = 0; k < wanted_.size(); ++k) {
    const ColumnLayout& c = *wanted_[k];
    Value& out = fields_[k];
    if (c.number >= columnCount) {
      // Added after this row was written: the row has nothing for it.
      out.null = c.definition.type != ColumnType::Boolean;
      if (out.null) {
        out.text.clear();
      } else {
        FormatBoolean(false, out.text);
      }
      continue;
    }
    const bool present = (v.U8(maskStart + c.number / 8) >> (c.number % 8)) & 1;
    if (c.definition.type == ColumnType::Boolean) {
      out.null = false;
      FormatBoolean(present, out.text);
      continue;
    }
    if (!present) {
      out.null = true;
      out.text.clear();
      continue;
    }
    if (c.fixed) {
      const std::size_t at = fixedStart + c.fixedOffset;
      if (at + c.length > fixedLimit) {
        RowError(page, row, "column " + c.definition.name + ": fixed data at row offset " + Hex(at - start) +
                                " runs past the fixed area (" + Hex(fixedLimit - start) + ")");
      }
      DecodeValue(c, page, row, v.data() + at, c.length, out);
    } else {
      if (c.varIndex >= varCount) {
        out.null = true;
        out.text.clear();
        continue;
      }
      const std::size_t from = varOffsets_[c.varIndex];
      const std::size_t to = varOffsets_[c.varIndex + 1u];
      if (from > to || to > varLimit || from < countSize) {
        RowError(page, row, "column " + c.definition.name + ": variable data " + Hex(from) + ".." + Hex(to) +
                                " outside the row's data area (" + Hex(countSize) + ".." + Hex(varLimit) + ")");
      }
      DecodeValue(c, page, row, v.data() + start + from, to - from, out);
    }
  }
}

void TableReader::DecodeValue(const ColumnLayout& c, const Page& page, unsigned row, const std::uint8_t* data,
                              std::size_t length, Value& out) {
  const ColumnType type = c.definition.type;
  const std::size_t need = FixedSizeOf(type);
  if (length < need) {
    RowError(page, row, "column " + c.definition.name + ": " + std::to_string(length) + " bytes, a " + TypeName(type) +
                            " needs " + std::to_string(need));
  }
  out.null = false;
  switch (type) {
    case ColumnType::Byte:
      FormatUnsigned(data[0], out.text);
      break;
    case ColumnType::Integer:
      FormatSigned(static_cast<std::int16_t>(data[0] | (data[1] << 8)), out.text);
      break;
    case ColumnType::Long:
      FormatSigned(static_cast<std::int32_t>(Le32(data)), out.text);
      break;
    case ColumnType::Currency:
      FormatCurrency(static_cast<std::int64_t>(Le64(data)), out.text);
      break;
    case ColumnType::Single: {
      const std::uint32_t bits = Le32(data);
      float value;
      std::memcpy(&value, &bits, sizeof value);
      FormatSingle(value, out.text);
      break;
    }
    case ColumnType::Double:
    case ColumnType::DateTime: {
      const std::uint64_t bits = Le64(data);
      double value;
      std::memcpy(&value, &bits, sizeof value);
      if (type == ColumnType::Double) {
        FormatDouble(value, out.text);
      } else {
        FormatDateTime(value, out.text);
      }
      break;
    }
    case ColumnType::GUID:
      FormatGuid(data, out.text);
      break;
    case ColumnType::Numeric:
      FormatNumeric(data, c.scale, out.text);
      break;
    case ColumnType::Text:
      if (f_.textIsUtf16) {
        out.text = Jet4TextToCp1252(data, length);
      } else {
        out.text.assign(reinterpret_cast<const char*>(data), length);
      }
      break;
    case ColumnType::Memo: {
      const std::vector<std::uint8_t>& bytes = ReadLongValue(c, page, row, data, length);
      if (f_.textIsUtf16) {
        out.text = Jet4TextToCp1252(bytes.data(), bytes.size());
      } else {
        out.text.assign(bytes.begin(), bytes.end());
      }
      break;
    }
    case ColumnType::OLE: {
      const std::vector<std::uint8_t>& bytes = ReadLongValue(c, page, row, data, length);
      FormatHex(bytes.data(), bytes.size(), out.text);
      break;
    }
    default:  // Binary, and types this reader does not know: their bytes
      FormatHex(data, length, out.text);
      break;
  }
}

const std::vector<std::uint8_t>& TableReader::ReadLongValue(const ColumnLayout& c, const Page& page, unsigned row,
                                                            const std::uint8_t* field, std::size_t length) {
  const std::string what = "column " + c.definition.name + ": ";
  if (length < kLongValueField) {
    RowError(page, row, what + "long value field of " + std::to_string(length) + " bytes, shorter than 12");
  }
  const std::uint32_t word = Le32(field);
  const std::uint64_t total = word & kLongValueLengthMask;
  const std::uint32_t kind = word & ~kLongValueLengthMask;
  longValue_.clear();
  if (total == 0) return longValue_;
  const std::uint64_t fileBytes = static_cast<std::uint64_t>(source_.PageCount()) * f_.pageSize;
  if (total > fileBytes) {
    RowError(page, row, what + "long value of " + std::to_string(total) + " bytes, more than the whole file");
  }
  if (kind == kLongValueInline) {
    if (kLongValueField + total > length) {
      RowError(page, row, what + "inline long value of " + std::to_string(total) + " bytes in a field of " +
                              std::to_string(length));
    }
    longValue_.assign(field + kLongValueField, field + kLongValueField + total);
    return longValue_;
  }
  if (kind != kLongValueOnePage && kind != 0) {
    RowError(page, row, what + "long value of unknown kind " + Hex(kind, 8));
  }
  usedOtherPages_ = true;
  std::uint32_t pointer = Le32(field + 4);
  std::unordered_set<std::uint32_t> seen;
  const std::uint32_t pageCount = source_.PageCount();
  while (longValue_.size() < total) {
    if (pointer == 0) {
      RowError(page, row, what + "long value chain ends after " + std::to_string(longValue_.size()) + " of " +
                              std::to_string(total) + " bytes");
    }
    if (!seen.insert(pointer).second) {
      RowError(page, row, what + "long value chain comes back to page " + std::to_string(pointer >> 8) + " row " +
                              std::to_string(pointer & 0xFF));
    }
    const std::uint32_t number = pointer >> 8;
    if (number == 0 || number >= pageCount) {
      RowError(page, row, what + "long value on page " + std::to_string(number) + ", which the file does not have");
    }
    source_.Read(number, longValuePage_);
    const Bytes v = longValuePage_.view();
    if (v.U8(0) != kPageData || std::memcmp(v.data() + f_.lvalSignature, "LVAL", 4) != 0) {
      RowError(page, row, what + "long value on page " + std::to_string(number) + ", which is not an LVAL page");
    }
    const RowSpan span = LocateRow(f_, longValuePage_, pointer & 0xFF, "long value");
    std::size_t from = span.start;
    if (kind == kLongValueOnePage) {
      pointer = 0;
    } else {
      if (span.end - span.start < 4) {
        throw Error(longValuePage_.where() + ": long value part shorter than its 4-byte link");
      }
      pointer = v.U32(span.start);
      from += 4;
    }
    const std::size_t take = std::min<std::uint64_t>(span.end - from, total - longValue_.size());
    longValue_.insert(longValue_.end(), v.data() + from, v.data() + from + take);
    if (kind == kLongValueOnePage && longValue_.size() < total) {
      RowError(page, row, what + "long value of " + std::to_string(total) + " bytes, but its row on page " +
                              std::to_string(number) + " holds " + std::to_string(longValue_.size()));
    }
  }
  return longValue_;
}

}  // namespace jet
