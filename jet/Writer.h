// Writes a new Jet 3 (Access 97) database file holding the given user tables.
//
// Used for test databases, the demo installation and benchmark profiles, so it favours a plain,
// predictable layout over everything Access can do: user tables have Text and Long Integer
// columns only, no indexes, no memo values. The file is written in one go; an existing file at
// the path is replaced.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "jet/Database.h"
#include "jet/Error.h"

namespace jet {

struct ColumnSpec {
  std::string name;                    // Windows-1252 bytes, 1..64 of them
  ColumnType type = ColumnType::Text;  // Text or Long
  unsigned textLength = 255;           // maximum length in bytes of a Text column, 1..255
};

// One cell per column; std::nullopt is a null. A Long cell holds the number in decimal
// ("-42"); a Text cell holds Windows-1252 bytes, passed through unchanged.
using RowSpec = std::vector<std::optional<std::string>>;

struct TableSpec {
  std::string name;  // Windows-1252 bytes, 1..64 of them; unique ignoring ASCII case
  std::vector<ColumnSpec> columns;
  std::vector<RowSpec> rows;  // stored, and read back, in this order
};

// Throws Error, before touching the file, for a table or column name that Access would refuse,
// a type other than Text or Long, more columns than a table definition page holds, a row with
// the wrong number of cells, a text longer than its column, a Long cell that is not a 32-bit
// decimal number, or a row wider than a page. Throws Error too when the file cannot be written.
void WriteJet3Database(const std::string& path, const std::vector<TableSpec>& tables);

}  // namespace jet
