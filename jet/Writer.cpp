#include "jet/Writer.h"

#include <cstdint>
#include <cstring>
#include <ctime>
#include <fstream>
#include <map>
#include <set>

namespace jet {
namespace {

constexpr std::size_t kPageSize = 2048;
constexpr std::size_t kDataPageHeader = 10;  // type, 1, free space, owning table, row count
constexpr std::size_t kMaxRowsPerPage = 255;  // index entries keep the row number in one byte
constexpr std::size_t kMaxRowLength = kPageSize - kDataPageHeader - 2;
constexpr std::size_t kMaxColumns = 255;
constexpr std::size_t kMaxNameLength = 64;

// A usage map row: a type byte, then either a first page and 128 bytes of bits (type 0) or 33
// pointers to bitmap pages (type 1).
constexpr std::size_t kMapRowLength = 133;
constexpr std::size_t kInlineMapBits = (kMapRowLength - 5) * 8;
constexpr std::size_t kBitmapPageBits = (kPageSize - 4) * 8;
constexpr std::size_t kBitmapPagePointers = (kMapRowLength - 1) / 4;
constexpr std::size_t kMapRowsPerPage = 14;  // 15 fit; an even number keeps a table's pair together

constexpr std::uint16_t kGeneralSortOrder = 0x0409;
constexpr std::uint16_t kWesternCodePage = 1252;

// The first pages have fixed roles: readers find the catalog definition on page 2 without
// looking anything up, and Jet puts the other system tables right after it.
constexpr std::uint32_t kGlobalMapPage = 1;
constexpr std::uint32_t kCatalogPage = 2;
constexpr std::uint32_t kAcesPage = 3;
constexpr std::uint32_t kQueriesPage = 4;
constexpr std::uint32_t kRelationshipsPage = 5;
constexpr std::uint32_t kFirstMapPage = 6;

constexpr std::uint32_t kRootId = 0x0F000000;
constexpr std::uint32_t kTablesContainerId = 0x0F000001;
constexpr std::uint32_t kDatabasesContainerId = 0x0F000002;
constexpr std::uint32_t kRelationshipsContainerId = 0x0F000003;
constexpr std::uint32_t kDatabaseObjectId = 0x10000000;
constexpr std::uint32_t kSystemObjectFlag = 0x80000000;

// Column flag bits as Jet stores them.
constexpr std::uint8_t kFlagFixed = 0x01;
constexpr std::uint8_t kFlagNullable = 0x02;
constexpr std::uint8_t kFlagSystem = 0x10;
constexpr std::uint8_t kFlagSystemFixed = kFlagSystem | kFlagFixed | kFlagNullable;  // 0x13
constexpr std::uint8_t kFlagSystemVariable = kFlagSystem | kFlagNullable;            // 0x12
constexpr std::uint8_t kFlagSystemKey = 0x20 | kFlagSystem | kFlagNullable;          // 0x32

using Cell = std::optional<std::string>;
using Cells = std::vector<Cell>;

void Put16(std::uint8_t* at, std::uint32_t value) {
  at[0] = static_cast<std::uint8_t>(value);
  at[1] = static_cast<std::uint8_t>(value >> 8);
}

void Put32(std::uint8_t* at, std::uint32_t value) {
  Put16(at, value & 0xFFFF);
  Put16(at + 2, value >> 16);
}

// A row's address: row number in the low byte, page above it.
std::uint32_t RowPointer(std::uint32_t page, std::size_t row) {
  return (page << 8) | static_cast<std::uint32_t>(row);
}

std::string Bytes32(std::uint32_t value) {
  std::string out(4, '\0');
  Put32(reinterpret_cast<std::uint8_t*>(&out[0]), value);
  return out;
}

std::string Bytes16(std::uint16_t value) {
  std::string out(2, '\0');
  Put16(reinterpret_cast<std::uint8_t*>(&out[0]), value);
  return out;
}

std::string BytesDouble(double value) {
  static_assert(sizeof(double) == 8, "Jet dates are IEEE doubles");
  std::uint64_t bits = 0;
  std::memcpy(&bits, &value, 8);
  std::string out(8, '\0');
  for (int i = 0; i < 8; ++i) out[i] = static_cast<char>(bits >> (8 * i));
  return out;
}

struct Column {
  std::string name;
  ColumnType type = ColumnType::Text;
  std::uint16_t length = 0;  // as the definition states it; 0 for memo and OLE
  std::uint8_t flags = 0;
  bool variable = false;
  std::uint16_t fixedOffset = 0;
  std::uint16_t varIndex = 0;  // variable columns before this one (its own slot when variable)
};

struct MapPlan {
  bool indirect = false;
  std::vector<std::uint32_t> pages;                   // sorted
  std::map<std::size_t, std::uint32_t> bitmapPages;  // block of kBitmapPageBits -> its page
};

struct Table {
  std::string name;
  bool system = false;
  std::vector<Column> columns;
  std::size_t fixedLength = 0;
  std::size_t varCount = 0;
  std::vector<std::string> rows;  // encoded
  std::size_t longestRow = 0;
  std::uint32_t definitionPage = 0;
  std::size_t mapSlot = 0;  // its used map is row 2*slot of the map pages, free map the next
  std::vector<std::pair<std::size_t, std::size_t>> pageRows;  // [first, end) rows per data page
  std::vector<std::uint32_t> dataPages;
  MapPlan used, free;
};

Column MakeColumn(std::string name, ColumnType type, std::uint16_t length, std::uint8_t flags) {
  Column c;
  c.name = std::move(name);
  c.type = type;
  c.length = length;
  c.flags = flags;
  c.variable = type == ColumnType::Text || type == ColumnType::Binary || type == ColumnType::Memo ||
               type == ColumnType::OLE;
  return c;
}

std::size_t FixedSize(ColumnType type) {
  switch (type) {
    case ColumnType::Byte: return 1;
    case ColumnType::Integer: return 2;
    case ColumnType::Long: return 4;
    case ColumnType::DateTime: return 8;
    default: return 0;  // booleans live in the null mask
  }
}

void LayOutColumns(Table& t) {
  std::size_t fixed = 0, var = 0;
  for (Column& c : t.columns) {
    c.varIndex = static_cast<std::uint16_t>(var);
    if (c.variable) {
      ++var;
    } else {
      c.fixedOffset = static_cast<std::uint16_t>(fixed);
      fixed += FixedSize(c.type);
    }
  }
  t.fixedLength = fixed;
  t.varCount = var;
}

// Jet 3 row: column count, fixed area, variable data, then read backwards from the end: null
// mask, count of variable columns, jump table, one-byte offsets of the variable columns and of
// the end of the data. Offsets keep only their low byte; the jump table says at which offset
// entry each further 256 bytes begin.
std::string EncodeRow(const Table& t, const Cells& cells) {
  const std::size_t n = t.columns.size();
  std::string row(1 + t.fixedLength, '\0');
  row[0] = static_cast<char>(n);
  std::string mask((n + 7) / 8, '\0');
  auto present = [&mask](std::size_t i) { mask[i / 8] = static_cast<char>(mask[i / 8] | (1 << (i % 8))); };

  for (std::size_t i = 0; i < n; ++i) {
    const Column& c = t.columns[i];
    if (c.variable || !cells[i]) continue;
    if (c.type == ColumnType::Boolean) {
      if (*cells[i] == "\x01") present(i);
      continue;
    }
    std::memcpy(&row[1 + c.fixedOffset], cells[i]->data(), FixedSize(c.type));
    present(i);
  }
  if (t.varCount > 0) {
    std::vector<std::size_t> offsets;
    offsets.reserve(t.varCount + 1);
    for (std::size_t i = 0; i < n; ++i) {
      if (!t.columns[i].variable) continue;
      offsets.push_back(row.size());
      if (cells[i]) {
        row += *cells[i];
        present(i);
      }
    }
    const std::size_t end = row.size();
    offsets.push_back(end);
    // The number of jump entries follows from the length of the whole row, which includes them.
    const std::size_t rest = offsets.size() + 1 + mask.size();
    std::size_t jumps = 0;
    for (;;) {
      std::size_t needed = (end + rest + jumps - 1) / 256;
      if (needed == jumps) break;
      jumps = needed;
    }
    for (std::size_t k = offsets.size(); k-- > 0;) row.push_back(static_cast<char>(offsets[k] & 0xFF));
    std::vector<std::uint8_t> jump(jumps, 0xFF);  // 0xFF: a boundary no offset reaches
    for (std::size_t j = 0, k = 0; j < jumps; ++j) {
      while (k < offsets.size() && offsets[k] < (j + 1) * 256) ++k;
      if (k < offsets.size()) jump[j] = static_cast<std::uint8_t>(k);
    }
    for (std::size_t j = jumps; j-- > 0;) row.push_back(static_cast<char>(jump[j]));
    row.push_back(static_cast<char>(t.varCount));
  }
  row += mask;
  return row;
}

void AddRow(Table& t, const Cells& cells) {
  t.rows.push_back(EncodeRow(t, cells));
  t.longestRow = std::max(t.longestRow, t.rows.back().size());
}

// ---- validation of what the caller asked for ----

char AsciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

std::string Folded(const std::string& s) {
  std::string out = s;
  for (char& c : out) c = AsciiLower(c);
  return out;
}

void CheckName(const std::string& name, const std::string& what) {
  if (name.empty() || name.size() > kMaxNameLength)
    throw Error(what + " name '" + name + "' must be 1 to 64 bytes long");
  if (name[0] == ' ') throw Error(what + " name '" + name + "' starts with a space");
  for (char c : name) {
    const auto u = static_cast<unsigned char>(c);
    if (u < 0x20 || c == '.' || c == '!' || c == '`' || c == '[' || c == ']')
      throw Error(what + " name '" + name + "' contains a character Access does not allow");
  }
}

std::string ParseLong(const std::string& text, const std::string& where) {
  std::size_t i = 0;
  const bool negative = !text.empty() && text[0] == '-';
  if (negative || (!text.empty() && text[0] == '+')) i = 1;
  if (i == text.size() || text.size() - i > 10) throw Error(where + ": '" + text + "' is not a Long Integer");
  std::int64_t value = 0;
  for (; i < text.size(); ++i) {
    if (text[i] < '0' || text[i] > '9') throw Error(where + ": '" + text + "' is not a Long Integer");
    value = value * 10 + (text[i] - '0');
  }
  if (negative) value = -value;
  if (value < INT32_MIN || value > INT32_MAX) throw Error(where + ": " + text + " is outside the Long Integer range");
  return Bytes32(static_cast<std::uint32_t>(static_cast<std::int32_t>(value)));
}

std::size_t DefinitionLength(const Table& t) {
  std::size_t length = 43 + 18 * t.columns.size() + 2;
  for (const Column& c : t.columns) length += 1 + c.name.size();
  return length;
}

Table UserTable(const TableSpec& wanted) {
  CheckName(wanted.name, "Table");
  if (Folded(wanted.name).compare(0, 4, "msys") == 0)
    throw Error("Table name '" + wanted.name + "' is reserved for system tables");
  if (wanted.columns.empty()) throw Error("Table '" + wanted.name + "' has no columns");
  if (wanted.columns.size() > kMaxColumns)
    throw Error("Table '" + wanted.name + "' has too many columns (at most 255)");
  Table t;
  t.name = wanted.name;
  std::set<std::string> seen;
  for (const ColumnSpec& c : wanted.columns) {
    CheckName(c.name, "Column");
    if (!seen.insert(Folded(c.name)).second)
      throw Error("Table '" + wanted.name + "' has two columns named '" + c.name + "'");
    if (c.type == ColumnType::Long) {
      t.columns.push_back(MakeColumn(c.name, ColumnType::Long, 4, kFlagFixed | kFlagNullable));
    } else if (c.type == ColumnType::Text) {
      if (c.textLength < 1 || c.textLength > 255)
        throw Error("Column '" + c.name + "' of table '" + wanted.name + "' must hold 1 to 255 characters");
      t.columns.push_back(
          MakeColumn(c.name, ColumnType::Text, static_cast<std::uint16_t>(c.textLength), kFlagNullable));
    } else {
      throw Error("Column '" + c.name + "' of table '" + wanted.name +
                  "' has a type the writer does not support (only Text and Long)");
    }
  }
  LayOutColumns(t);
  if (DefinitionLength(t) > kPageSize)
    throw Error("Table '" + wanted.name + "' has too many columns for one definition page");

  t.rows.reserve(wanted.rows.size());
  Cells cells(wanted.columns.size());
  for (std::size_t r = 0; r < wanted.rows.size(); ++r) {
    const RowSpec& row = wanted.rows[r];
    const std::string where = "Table '" + wanted.name + "' row " + std::to_string(r + 1);
    if (row.size() != wanted.columns.size())
      throw Error(where + " has " + std::to_string(row.size()) + " values for " +
                  std::to_string(wanted.columns.size()) + " columns");
    for (std::size_t i = 0; i < row.size(); ++i) {
      if (!row[i]) {
        cells[i].reset();
      } else if (wanted.columns[i].type == ColumnType::Long) {
        cells[i] = ParseLong(*row[i], where + " column '" + wanted.columns[i].name + "'");
      } else {
        if (row[i]->size() > wanted.columns[i].textLength)
          throw Error(where + ": text of " + std::to_string(row[i]->size()) + " bytes is longer than column '" +
                      wanted.columns[i].name + "' (" + std::to_string(wanted.columns[i].textLength) + ")");
        cells[i] = *row[i];
      }
    }
    AddRow(t, cells);
    if (t.rows.back().size() > kMaxRowLength)
      throw Error(where + " is " + std::to_string(t.rows.back().size()) + " bytes, wider than a page holds");
  }
  return t;
}

// ---- the system tables ----

Table CatalogTable() {
  Table t;
  t.name = "MSysObjects";
  t.system = true;
  t.columns = {
      MakeColumn("Id", ColumnType::Long, 4, kFlagSystemFixed),
      MakeColumn("ParentId", ColumnType::Long, 4, kFlagSystemFixed),
      MakeColumn("Name", ColumnType::Text, 255, kFlagSystemVariable),
      MakeColumn("Type", ColumnType::Integer, 2, kFlagSystemFixed),
      MakeColumn("DateCreate", ColumnType::DateTime, 8, kFlagSystemFixed),
      MakeColumn("DateUpdate", ColumnType::DateTime, 8, kFlagSystemFixed),
      MakeColumn("Owner", ColumnType::Binary, 255, kFlagSystemKey),
      MakeColumn("Flags", ColumnType::Long, 4, kFlagSystemFixed),
      MakeColumn("Database", ColumnType::Memo, 0, kFlagSystemVariable),
      MakeColumn("Connect", ColumnType::Memo, 0, kFlagSystemVariable),
      MakeColumn("ForeignName", ColumnType::Text, 255, kFlagSystemVariable),
      MakeColumn("RmtInfoShort", ColumnType::Binary, 255, kFlagSystemVariable),
      MakeColumn("RmtInfoLong", ColumnType::OLE, 0, kFlagSystemVariable),
      MakeColumn("Lv", ColumnType::OLE, 0, kFlagSystemVariable),
      MakeColumn("LvProp", ColumnType::OLE, 0, kFlagSystemVariable),
      MakeColumn("LvModule", ColumnType::OLE, 0, kFlagSystemVariable),
      MakeColumn("LvExtra", ColumnType::OLE, 0, kFlagSystemVariable),
  };
  LayOutColumns(t);
  return t;
}

Table AcesTable() {
  Table t;
  t.name = "MSysACEs";
  t.system = true;
  t.columns = {
      MakeColumn("ObjectId", ColumnType::Long, 4, kFlagSystemFixed),
      MakeColumn("SID", ColumnType::Binary, 255, kFlagSystemKey),
      MakeColumn("ACM", ColumnType::Long, 4, kFlagSystemFixed),
      MakeColumn("FInheritable", ColumnType::Boolean, 1, kFlagSystemFixed),
  };
  LayOutColumns(t);
  return t;
}

Table QueriesTable() {
  Table t;
  t.name = "MSysQueries";
  t.system = true;
  t.columns = {
      MakeColumn("ObjectId", ColumnType::Long, 4, kFlagSystemFixed),
      MakeColumn("Attribute", ColumnType::Byte, 1, kFlagSystemFixed),
      MakeColumn("Order", ColumnType::Binary, 255, kFlagSystemVariable),
      MakeColumn("Name1", ColumnType::Text, 255, kFlagSystemVariable),
      MakeColumn("Name2", ColumnType::Text, 255, kFlagSystemVariable),
      MakeColumn("Expression", ColumnType::Memo, 0, kFlagSystemVariable),
      MakeColumn("Flag", ColumnType::Integer, 2, kFlagSystemFixed),
  };
  LayOutColumns(t);
  return t;
}

Table RelationshipsTable() {
  Table t;
  t.name = "MSysRelationships";
  t.system = true;
  t.columns = {
      MakeColumn("szRelationship", ColumnType::Text, 255, kFlagSystemVariable),
      MakeColumn("grbit", ColumnType::Long, 4, kFlagSystemFixed),
      MakeColumn("ccolumn", ColumnType::Long, 4, kFlagSystemFixed),
      MakeColumn("icolumn", ColumnType::Long, 4, kFlagSystemFixed),
      MakeColumn("szObject", ColumnType::Text, 255, kFlagSystemVariable),
      MakeColumn("szColumn", ColumnType::Text, 255, kFlagSystemVariable),
      MakeColumn("szReferencedObject", ColumnType::Text, 255, kFlagSystemVariable),
      MakeColumn("szReferencedColumn", ColumnType::Text, 255, kFlagSystemVariable),
  };
  LayOutColumns(t);
  return t;
}

// Jet's built-in security identities: the engine itself, the default Admin user and the Users
// group. They are the same in every workgroup, so a file made here opens under any of them.
const std::string kEngineSid("\x02\x03", 2);
const std::string kCreatorSid("\x02\x04", 2);
const std::string kAdminSid("\x03\x01", 2);
const std::string kUsersSid("\x02\x01", 2);

// Whole-object rights as Jet grants them on a new database.
constexpr std::uint32_t kReadDesign = 393216;
constexpr std::uint32_t kFullTableRights = 1048319;
constexpr std::uint32_t kFullContainerRights = 1048575;

void AddCatalogRow(Table& catalog, std::uint32_t id, std::uint32_t parent, const std::string& name,
                   std::uint16_t type, const std::string& owner, std::uint32_t flags, double now) {
  Cells cells(catalog.columns.size());
  cells[0] = Bytes32(id);
  cells[1] = Bytes32(parent);
  cells[2] = name;
  cells[3] = Bytes16(type);
  cells[4] = BytesDouble(now);
  cells[5] = BytesDouble(now);
  cells[6] = owner;
  cells[7] = Bytes32(flags);
  AddRow(catalog, cells);
}

void AddAce(Table& aces, std::uint32_t object, const std::string& sid, std::uint32_t rights, bool inheritable) {
  Cells cells(aces.columns.size());
  cells[0] = Bytes32(object);
  cells[1] = sid;
  cells[2] = Bytes32(rights);
  cells[3] = std::string(1, inheritable ? '\x01' : '\x00');
  AddRow(aces, cells);
}

// Days since 30 December 1899, the way Jet stores a date and time.
double JetNow() {
  return static_cast<double>(std::time(nullptr)) / 86400.0 + 25569.0;
}

// ---- page planning and rendering ----

void Paginate(Table& t) {
  std::size_t used = kDataPageHeader, first = 0;
  for (std::size_t r = 0; r < t.rows.size(); ++r) {
    const std::size_t need = t.rows[r].size() + 2;
    if (used + need > kPageSize || r - first == kMaxRowsPerPage) {
      t.pageRows.emplace_back(first, r);
      first = r;
      used = kDataPageHeader;
    }
    used += need;
  }
  if (first < t.rows.size()) t.pageRows.emplace_back(first, t.rows.size());
}

std::size_t FreeSpace(const Table& t, std::size_t pageIndex) {
  std::size_t used = kDataPageHeader;
  for (std::size_t r = t.pageRows[pageIndex].first; r < t.pageRows[pageIndex].second; ++r)
    used += t.rows[r].size() + 2;
  return kPageSize - used;
}

void PlanMap(MapPlan& map, std::vector<std::uint32_t> pages, std::uint32_t& nextPage) {
  map.pages = std::move(pages);
  if (map.pages.empty() || map.pages.back() < kInlineMapBits) return;
  map.indirect = true;
  for (std::uint32_t p : map.pages) {
    const std::size_t block = p / kBitmapPageBits;
    if (block >= kBitmapPagePointers) throw Error("The database would be larger than Jet 3 allows");
    if (!map.bitmapPages.count(block)) map.bitmapPages[block] = nextPage++;
  }
}

class Image {
 public:
  explicit Image(std::size_t pages) : bytes_(pages * kPageSize, 0) {}
  std::uint8_t* Page(std::uint32_t n) { return &bytes_[static_cast<std::size_t>(n) * kPageSize]; }
  const std::vector<std::uint8_t>& Bytes() const { return bytes_; }

 private:
  std::vector<std::uint8_t> bytes_;
};

// Lays rows out on a data page from its end towards its header, first row last in the page.
void RenderDataPage(std::uint8_t* page, std::uint32_t owner, const std::vector<std::string>& rows,
                    std::size_t first, std::size_t end) {
  page[0] = 0x01;
  page[1] = 0x01;
  Put32(page + 4, owner);
  Put16(page + 8, static_cast<std::uint32_t>(end - first));
  std::size_t top = kPageSize, used = kDataPageHeader;
  for (std::size_t r = first; r < end; ++r) {
    top -= rows[r].size();
    std::memcpy(page + top, rows[r].data(), rows[r].size());
    Put16(page + kDataPageHeader + 2 * (r - first), static_cast<std::uint32_t>(top));
    used += rows[r].size() + 2;
  }
  Put16(page + 2, static_cast<std::uint32_t>(kPageSize - used));
}

void SetBit(std::uint8_t* bits, std::size_t n) { bits[n / 8] = static_cast<std::uint8_t>(bits[n / 8] | (1u << (n % 8))); }

std::string RenderMap(const MapPlan& map, Image& image) {
  std::string row(kMapRowLength, '\0');
  auto* out = reinterpret_cast<std::uint8_t*>(&row[0]);
  if (!map.indirect) {
    for (std::uint32_t p : map.pages) SetBit(out + 5, p);
    return row;
  }
  out[0] = 0x01;
  for (const auto& entry : map.bitmapPages) {
    Put32(out + 1 + 4 * entry.first, entry.second);
    std::uint8_t* page = image.Page(entry.second);
    page[0] = 0x05;
    page[1] = 0x01;
  }
  for (std::uint32_t p : map.pages)
    SetBit(image.Page(map.bitmapPages.at(p / kBitmapPageBits)) + 4, p % kBitmapPageBits);
  return row;
}

void RenderDefinition(std::uint8_t* page, const Table& t) {
  page[0] = 0x02;
  page[1] = 0x01;
  page[2] = 'V';
  page[3] = 'C';
  Put32(page + 12, static_cast<std::uint32_t>(t.rows.size()));
  page[20] = t.system ? 0x53 : 0x4E;
  const auto n = static_cast<std::uint32_t>(t.columns.size());
  Put16(page + 21, n);
  Put16(page + 23, static_cast<std::uint32_t>(t.varCount));
  Put16(page + 25, n);
  const std::uint32_t mapPage = kFirstMapPage + static_cast<std::uint32_t>(t.mapSlot * 2 / kMapRowsPerPage);
  const std::size_t mapRow = t.mapSlot * 2 % kMapRowsPerPage;
  Put32(page + 35, RowPointer(mapPage, mapRow));
  Put32(page + 39, RowPointer(mapPage, mapRow + 1));
  std::size_t at = 43;
  for (std::uint32_t i = 0; i < n; ++i, at += 18) {
    const Column& c = t.columns[i];
    page[at] = static_cast<std::uint8_t>(c.type);
    Put16(page + at + 1, i);
    Put16(page + at + 3, c.varIndex);
    Put16(page + at + 5, i);
    Put16(page + at + 7, 1);  // Jet has 1 here in every column it writes
    Put16(page + at + 9, kGeneralSortOrder);
    Put16(page + at + 11, kWesternCodePage);
    page[at + 13] = c.flags;
    Put16(page + at + 14, c.variable ? 0 : c.fixedOffset);
    Put16(page + at + 16, c.length);
  }
  for (const Column& c : t.columns) {
    page[at++] = static_cast<std::uint8_t>(c.name.size());
    std::memcpy(page + at, c.name.data(), c.name.size());
    at += c.name.size();
  }
  Put16(page + at, 0xFFFF);  // no usage maps of their own for any column
  at += 2;
  Put32(page + 8, static_cast<std::uint32_t>(at));
}

void Rc4(const std::uint8_t* key, std::size_t keyLength, std::uint8_t* data, std::size_t length) {
  std::uint8_t s[256];
  for (int i = 0; i < 256; ++i) s[i] = static_cast<std::uint8_t>(i);
  for (int i = 0, j = 0; i < 256; ++i) {
    j = (j + s[i] + key[i % keyLength]) & 0xFF;
    std::swap(s[i], s[j]);
  }
  for (std::size_t n = 0, i = 0, j = 0; n < length; ++n) {
    i = (i + 1) & 0xFF;
    j = (j + s[i]) & 0xFF;
    std::swap(s[i], s[j]);
    data[n] ^= s[(s[i] + s[j]) & 0xFF];
  }
}

void RenderHeader(std::uint8_t* page) {
  static const char kMagic[] = "Standard Jet DB";
  page[1] = 0x01;
  std::memcpy(page + 4, kMagic, sizeof kMagic);
  Put32(page + 0x14, 0);  // Jet 3
  Put16(page + 0x3A, kGeneralSortOrder);
  Put16(page + 0x3C, kWesternCodePage);
  Put32(page + 0x3E, 0);  // database key 0: pages are not encoded; no password either
  // Jet hides this part of the header under RC4 with a key of its own, the same in every file.
  static const std::uint8_t kHeaderKey[] = {0xC7, 0xDA, 0x39, 0x6B};
  Rc4(kHeaderKey, sizeof kHeaderKey, page + 0x18, 126);
}

void RenderGlobalMap(std::uint8_t* page, std::uint32_t pageCount) {
  // Row 0 marks the pages Jet may hand out next: all of them lie past the end of our file.
  // Row 1 stays empty as in the files Jet makes.
  std::vector<std::string> rows(2, std::string(kMapRowLength, '\0'));
  auto* bits = reinterpret_cast<std::uint8_t*>(&rows[0][5]);
  for (std::size_t p = pageCount; p < kInlineMapBits; ++p) SetBit(bits, p);
  RenderDataPage(page, kGlobalMapPage, rows, 0, rows.size());
}

}  // namespace

void WriteJet3Database(const std::string& path, const std::vector<TableSpec>& wanted) {
  std::vector<Table> tables;
  tables.reserve(wanted.size() + 4);
  tables.push_back(CatalogTable());
  tables.push_back(AcesTable());
  tables.push_back(QueriesTable());
  tables.push_back(RelationshipsTable());
  tables[0].definitionPage = kCatalogPage;
  tables[1].definitionPage = kAcesPage;
  tables[2].definitionPage = kQueriesPage;
  tables[3].definitionPage = kRelationshipsPage;

  std::set<std::string> names;
  for (const TableSpec& table : wanted) {
    tables.push_back(UserTable(table));
    if (!names.insert(Folded(table.name)).second) throw Error("Two tables are named '" + table.name + "'");
  }

  const std::size_t mapPages = (2 * tables.size() + kMapRowsPerPage - 1) / kMapRowsPerPage;
  std::uint32_t nextPage = kFirstMapPage + static_cast<std::uint32_t>(mapPages);
  for (std::size_t i = 0; i < tables.size(); ++i) {
    tables[i].mapSlot = i;
    if (!tables[i].system) tables[i].definitionPage = nextPage++;
  }

  // The catalog: Jet's own containers and objects first, then one row per user table.
  const double now = JetNow();
  Table& catalog = tables[0];
  Table& aces = tables[1];
  AddCatalogRow(catalog, kTablesContainerId, kRootId, "Tables", 3, kEngineSid, kSystemObjectFlag, now);
  AddCatalogRow(catalog, kDatabasesContainerId, kRootId, "Databases", 3, kEngineSid, kSystemObjectFlag, now);
  AddCatalogRow(catalog, kRelationshipsContainerId, kRootId, "Relationships", 3, kEngineSid, kSystemObjectFlag,
                now);
  AddCatalogRow(catalog, kDatabaseObjectId, kDatabasesContainerId, "MSysDb", 2, kAdminSid, kSystemObjectFlag, now);
  for (std::size_t i = 0; i < 4; ++i)
    AddCatalogRow(catalog, tables[i].definitionPage, kTablesContainerId, tables[i].name, 1, kEngineSid,
                  kSystemObjectFlag, now);
  for (std::size_t i = 4; i < tables.size(); ++i)
    AddCatalogRow(catalog, tables[i].definitionPage, kTablesContainerId, tables[i].name, 1, kAdminSid, 0, now);

  AddAce(aces, kCatalogPage, kAdminSid, kReadDesign, false);
  AddAce(aces, kCatalogPage, kUsersSid, 20, false);
  AddAce(aces, kAcesPage, kAdminSid, kReadDesign, false);
  AddAce(aces, kQueriesPage, kAdminSid, kReadDesign, false);
  AddAce(aces, kQueriesPage, kUsersSid, 20, false);
  AddAce(aces, kRelationshipsPage, kAdminSid, 917504, false);
  AddAce(aces, kRelationshipsPage, kUsersSid, 20, false);
  AddAce(aces, kTablesContainerId, kCreatorSid, 983294, true);
  AddAce(aces, kTablesContainerId, kAdminSid, kFullTableRights, true);
  AddAce(aces, kTablesContainerId, kUsersSid, kFullTableRights, true);
  AddAce(aces, kRelationshipsContainerId, kCreatorSid, 983294, true);
  AddAce(aces, kRelationshipsContainerId, kAdminSid, 393217, false);
  AddAce(aces, kRelationshipsContainerId, kUsersSid, kFullContainerRights, true);
  AddAce(aces, kDatabasesContainerId, kAdminSid, kReadDesign, false);
  AddAce(aces, kDatabaseObjectId, kAdminSid, 393230, false);
  AddAce(aces, kDatabaseObjectId, kUsersSid, 14, false);
  for (std::size_t i = 4; i < tables.size(); ++i) {
    AddAce(aces, tables[i].definitionPage, kAdminSid, kFullTableRights, false);
    AddAce(aces, tables[i].definitionPage, kUsersSid, kFullTableRights, false);
  }

  for (Table& t : tables) {
    Paginate(t);
    for (std::size_t k = 0; k < t.pageRows.size(); ++k) t.dataPages.push_back(nextPage++);
  }
  for (Table& t : tables) {
    std::vector<std::uint32_t> withRoom;
    for (std::size_t k = 0; k < t.dataPages.size(); ++k)
      if (FreeSpace(t, k) >= t.longestRow + 2) withRoom.push_back(t.dataPages[k]);
    PlanMap(t.used, t.dataPages, nextPage);
    PlanMap(t.free, std::move(withRoom), nextPage);
  }

  Image image(nextPage);
  RenderHeader(image.Page(0));
  RenderGlobalMap(image.Page(kGlobalMapPage), nextPage);
  std::vector<std::string> mapRows;
  mapRows.reserve(2 * tables.size());
  for (Table& t : tables) {
    RenderDefinition(image.Page(t.definitionPage), t);
    for (std::size_t k = 0; k < t.dataPages.size(); ++k)
      RenderDataPage(image.Page(t.dataPages[k]), t.definitionPage, t.rows, t.pageRows[k].first,
                     t.pageRows[k].second);
    mapRows.push_back(RenderMap(t.used, image));
    mapRows.push_back(RenderMap(t.free, image));
  }
  for (std::size_t p = 0; p < mapPages; ++p) {
    const std::size_t first = p * kMapRowsPerPage;
    RenderDataPage(image.Page(kFirstMapPage + static_cast<std::uint32_t>(p)), 0, mapRows, first,
                   std::min(first + kMapRowsPerPage, mapRows.size()));
  }

  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (!out) throw Error("Cannot create '" + path + "'");
  out.write(reinterpret_cast<const char*>(image.Bytes().data()), static_cast<std::streamsize>(image.Bytes().size()));
  out.close();
  if (!out) throw Error("Cannot write '" + path + "'");
}

}  // namespace jet
