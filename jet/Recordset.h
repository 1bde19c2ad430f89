// The result of a SELECT, read in full when the recordset opens and walked one row at a time.
//
// Both kinds read the table once, at open time, and keep the result in memory: the engine is
// read-only, so a dynaset has nothing to write back, and the desktop suite's later changes are
// seen by the next recordset, not by one already open.
//
// A recordset stands on its first row when it opens (or at end-of-file when the result is
// empty). MoveNext from the last row sets end-of-file; MoveNext at end-of-file, MoveFirst on an
// empty result, and reading a field with no current row (empty result, end-of-file, or after
// Close) throw Error, as the DAO "no current record" does. Close never throws and may be
// repeated.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "jet/Database.h"
#include "jet/Sql.h"

namespace jet {

enum class RecordsetType { Snapshot, Dynaset };

class Recordset {
 public:
  // Parses the statement, checks its table and columns and reads the whole result. Throws
  // Error for a malformed statement, an unknown table or column, a text that does not fit a
  // numeric column in WHERE, or whatever the source reports while reading.
  Recordset(const TableSource& source, std::string_view sql,
            RecordsetType type = RecordsetType::Snapshot);
  Recordset(const TableSource& source, const SelectStatement& statement,
            RecordsetType type = RecordsetType::Snapshot);

  Recordset(Recordset&&) noexcept;
  Recordset& operator=(Recordset&&) noexcept;
  Recordset(const Recordset&) = delete;
  Recordset& operator=(const Recordset&) = delete;
  ~Recordset();

  RecordsetType Type() const { return type_; }
  bool IsOpen() const { return open_; }

  // The result's columns: names as the table stores them, in the order selected.
  const std::vector<ColumnDefinition>& Fields() const { return fields_; }

  // The number of rows in the result; 0 exactly when it is empty (and after Close).
  std::size_t RecordCount() const { return open_ ? rows_ : 0; }

  // True when there is no current row: empty result, moved past the last row, or closed.
  bool IsEOF() const { return !open_ || current_ >= rows_; }

  void MoveFirst();
  void MoveNext();

  // The current row's field by position in Fields(), or by name found case-insensitively.
  Value Field(std::size_t index) const;
  Value Field(std::string_view name) const;

  // Bytes held for the result (the capacity of its buffers), so that a caller can check that a
  // large result costs little more than its text.
  std::size_t MemoryFootprint() const;

  // Frees the result. Never throws.
  void Close() noexcept;

 private:
  void Run(const TableSource& source, const SelectStatement& statement);
  std::size_t CurrentStoredRow(const char* operation) const;
  std::string_view StoredText(std::size_t row, std::size_t field) const;
  bool StoredNull(std::size_t row, std::size_t field) const;

  RecordsetType type_;
  bool open_ = false;
  std::vector<ColumnDefinition> fields_;
  // Every field of every row lives in one string; ends_[row * stored_ + field] is where that
  // field's text ends (it starts where the one before ends). Fields kept only for sorting
  // come after the selected ones, so stored_ >= fields_.size().
  std::size_t stored_ = 0;
  std::size_t rows_ = 0;
  std::string arena_;
  std::vector<std::uint32_t> ends_;
  std::vector<bool> nulls_;
  std::vector<std::uint32_t> order_;  // result row -> stored row; empty means stored order
  std::size_t current_ = 0;
};

}  // namespace jet
