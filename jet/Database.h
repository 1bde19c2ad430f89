// An Access (Jet 3 / Jet 4) database file, opened for reading only.
//
// The file is never written and no lock file is made. Every call reads the pages it needs when
// it runs, so it sees the file as it is at that moment (the desktop suite may change it while
// we have it open).
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "jet/Error.h"

namespace jet {

// Column types as the table definition stores them.
enum class ColumnType : std::uint8_t {
  Boolean = 0x01,
  Byte = 0x02,
  Integer = 0x03,   // 16-bit
  Long = 0x04,      // 32-bit
  Currency = 0x05,  // 64-bit, scaled by 10,000
  Single = 0x06,
  Double = 0x07,
  DateTime = 0x08,
  Binary = 0x09,
  Text = 0x0A,
  OLE = 0x0B,
  Memo = 0x0C,
  GUID = 0x0F,
  Numeric = 0x10,
};

struct ColumnDefinition {
  std::string name;  // single-byte text (Windows-1252 for Jet 4 names)
  ColumnType type = ColumnType::Text;
  std::uint16_t length = 0;  // declared size in bytes as stored (Jet 4 text: 2 per character)
};

struct TableDefinition {
  std::string name;                        // as stored in the catalog
  std::vector<ColumnDefinition> columns;   // in the table's column order
  std::uint32_t definitionPage = 0;        // where the definition starts
};

// One field of one row, already converted to text. `text` is empty for a null value; the text
// forms of the non-text types are documented in jet/Values.h.
struct Value {
  ColumnType type = ColumnType::Text;
  bool null = true;
  std::string text;
};

// What the query layer needs from a database: tables by name and their rows. An interface so
// that the query layer can also be tested on small tables held in memory.
class TableSource {
 public:
  virtual ~TableSource() = default;

  // Names of the user tables (system and hidden tables left out), in catalog order.
  virtual std::vector<std::string> UserTableNames() const = 0;

  // The definition of a table, found case-insensitively; throws Error when there is none.
  virtual TableDefinition Table(const std::string& name) const = 0;

  // Calls visit once for every live row of the table, in stored order. `columns` lists the
  // positions (into table.columns) of the fields wanted; visit receives their values in that
  // order. Only those fields are decoded.
  using RowVisitor = std::function<void(const std::vector<Value>& fields)>;
  virtual void ScanRows(const TableDefinition& table, const std::vector<std::size_t>& columns,
                        const RowVisitor& visit) const = 0;

  // ScanRows limited to the rows whose field `keyColumn` (a position into table.columns) is
  // not null and has text equal to `key` without regard to case, the way Jet compares text
  // (Windows-1252 letters, accents kept). A database file answers repeated lookups from an
  // index of each data page it keeps while the page is unchanged, so a lookup costs about a
  // re-read of the table's pages; this default filters a full scan.
  virtual void ScanRowsWhereTextEquals(const TableDefinition& table, const std::vector<std::size_t>& columns,
                                       std::size_t keyColumn, const std::string& key,
                                       const RowVisitor& visit) const;
};

// A database file. Open throws Error for a missing file, a file that is not a Jet 3 or Jet 4
// database, an ACE (.accdb) file, and a password-protected database.
class Database : public TableSource {
 public:
  static std::unique_ptr<Database> Open(const std::string& path);
  // The same for a database image held in memory; `name` stands for the file in messages.
  static std::unique_ptr<Database> OpenBytes(std::vector<std::uint8_t> bytes, const std::string& name);
  ~Database() override;

  enum class Format { Jet3, Jet4 };
  virtual Format FileFormat() const = 0;
};

}  // namespace jet
