#include "jet/Recordset.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <optional>
#include <utility>

#include "jet/Collation.h"
#include "jet/Values.h"

namespace jet {
namespace {

enum class Compare { Text, Number };

// Booleans compare by value too (True before False), like the numbers.
bool IsNumeric(ColumnType type) { return ValueKindOf(type) != ValueKind::Text; }

// Jet keeps True as -1, so in ascending order True comes before False. The reader gives
// booleans as "1" and "0"; a WHERE literal may use any of the words Access accepts.
std::optional<double> ParseBoolean(std::string_view text) {
  for (const char* t : {"1", "-1", "true", "yes", "on"}) {
    if (TextEqual(text, t)) return -1.0;
  }
  for (const char* f : {"false", "no", "off", "0"}) {
    if (TextEqual(text, f)) return 0.0;
  }
  return std::nullopt;
}

std::optional<double> ParseNumber(ColumnType type, std::string_view text) {
  if (type == ColumnType::Boolean) return ParseBoolean(text);
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  double value = 0;
  const char* end = text.data() + text.size();
  auto [ptr, ec] = std::from_chars(text.data(), end, value);
  if (ec != std::errc() || ptr != end || text.empty() || std::isnan(value)) return std::nullopt;
  return value;
}

std::size_t FindColumn(const TableDefinition& table, const SqlName& name) {
  for (std::size_t i = 0; i < table.columns.size(); ++i) {
    if (TextEqual(table.columns[i].name, name.text)) return i;
  }
  throw Error("SQL: no such column '" + name.text + "' in table '" + table.name +
              "' at position " + std::to_string(name.position));
}

// The position of `column` in `list`, added at the end when it is not there yet.
std::size_t Slot(std::vector<std::size_t>& list, std::size_t column) {
  auto it = std::find(list.begin(), list.end(), column);
  if (it != list.end()) return static_cast<std::size_t>(it - list.begin());
  list.push_back(column);
  return list.size() - 1;
}

}  // namespace

Recordset::Recordset(const TableSource& source, std::string_view sql, RecordsetType type)
    : Recordset(source, ParseSelect(sql), type) {}

Recordset::Recordset(const TableSource& source, const SelectStatement& statement,
                     RecordsetType type)
    : type_(type) {
  Run(source, statement);
  open_ = true;
}

Recordset::Recordset(Recordset&& other) noexcept { *this = std::move(other); }

Recordset& Recordset::operator=(Recordset&& other) noexcept {
  if (this != &other) {
    type_ = other.type_;
    open_ = std::exchange(other.open_, false);
    fields_ = std::move(other.fields_);
    stored_ = std::exchange(other.stored_, 0);
    rows_ = std::exchange(other.rows_, 0);
    arena_ = std::move(other.arena_);
    ends_ = std::move(other.ends_);
    nulls_ = std::move(other.nulls_);
    order_ = std::move(other.order_);
    current_ = std::exchange(other.current_, 0);
  }
  return *this;
}

Recordset::~Recordset() = default;

void Recordset::Run(const TableSource& source, const SelectStatement& st) {
  const TableDefinition table = source.Table(st.table.text);

  // Stored fields: the selected columns, then the sort columns not selected. Scanned fields:
  // the stored ones without repeats, then the WHERE column if it is not among them.
  std::vector<std::size_t> storedColumns;
  if (st.allColumns) {
    for (std::size_t i = 0; i < table.columns.size(); ++i) storedColumns.push_back(i);
  } else {
    for (const SqlName& name : st.columns) storedColumns.push_back(FindColumn(table, name));
  }
  for (std::size_t column : storedColumns) fields_.push_back(table.columns[column]);

  struct Key {
    std::size_t stored;  // field of the stored row
    bool descending;
    ColumnType type;
  };
  std::vector<Key> keys;
  for (const SqlSortKey& k : st.orderBy) {
    const std::size_t column = FindColumn(table, k.column);
    auto it = std::find(storedColumns.begin(), storedColumns.end(), column);
    std::size_t stored = static_cast<std::size_t>(it - storedColumns.begin());
    if (it == storedColumns.end()) storedColumns.push_back(column);
    keys.push_back({stored, k.descending, table.columns[column].type});
  }
  stored_ = storedColumns.size();

  std::vector<std::size_t> scanColumns;
  std::vector<std::size_t> storedToScan;
  for (std::size_t column : storedColumns) storedToScan.push_back(Slot(scanColumns, column));

  std::optional<std::size_t> whereScan;
  ColumnType whereType = ColumnType::Text;
  std::optional<double> whereNumber;
  if (st.where) {
    const std::size_t column = FindColumn(table, st.where->column);
    whereScan = Slot(scanColumns, column);
    whereType = table.columns[column].type;
    if (IsNumeric(whereType)) {
      whereNumber = ParseNumber(whereType, st.where->literal);
      if (!whereNumber) {
        throw Error("SQL: data type mismatch: '" + st.where->literal +
                    "' is not a value of the numeric column '" + table.columns[column].name +
                    "' at position " + std::to_string(st.where->column.position));
      }
    }
  }

  const auto matches = [&](const Value& v) {
    if (v.null) return false;
    if (whereNumber) {
      std::optional<double> n = ParseNumber(whereType, v.text);
      return n && *n == *whereNumber;
    }
    return TextEqual(v.text, st.where->literal);
  };

  std::optional<std::size_t> whereColumn;
  if (st.where) whereColumn = FindColumn(table, st.where->column);
  const TableSource::RowVisitor keep = [&](const std::vector<Value>& fields) {
    if (whereScan && !matches(fields[*whereScan])) return;
    for (std::size_t f = 0; f < stored_; ++f) {
      const Value& v = fields[storedToScan[f]];
      arena_ += v.text;
      if (arena_.size() > std::numeric_limits<std::uint32_t>::max()) {
        throw Error("query result too large to hold in memory");
      }
      ends_.push_back(static_cast<std::uint32_t>(arena_.size()));
      nulls_.push_back(v.null);
    }
    ++rows_;
  };
  // A text comparison the source can answer from its own page index; the rows it hands back
  // are checked once more by the same rule.
  if (whereColumn && !whereNumber)
    source.ScanRowsWhereTextEquals(table, scanColumns, *whereColumn, st.where->literal, keep);
  else
    source.ScanRows(table, scanColumns, keep);
  arena_.shrink_to_fit();
  ends_.shrink_to_fit();
  nulls_.shrink_to_fit();

  if (keys.empty() || rows_ < 2) return;

  // Numeric keys are parsed once, not at every comparison. Per row a key is null, a number,
  // or (should a numeric column hold a text that is no number) compared as text after them.
  std::vector<std::vector<double>> numbers(keys.size());
  std::vector<std::vector<std::uint8_t>> ranks(keys.size());  // 0 null, 1 number, 2 text
  for (std::size_t k = 0; k < keys.size(); ++k) {
    const bool numeric = IsNumeric(keys[k].type);
    ranks[k].resize(rows_);
    if (numeric) numbers[k].resize(rows_);
    for (std::size_t r = 0; r < rows_; ++r) {
      if (StoredNull(r, keys[k].stored)) {
        ranks[k][r] = 0;
      } else if (!numeric) {
        ranks[k][r] = 2;
      } else if (auto n = ParseNumber(keys[k].type, StoredText(r, keys[k].stored))) {
        ranks[k][r] = 1;
        numbers[k][r] = *n;
      } else {
        ranks[k][r] = 2;
      }
    }
  }

  order_.resize(rows_);
  for (std::size_t r = 0; r < rows_; ++r) order_[r] = static_cast<std::uint32_t>(r);
  std::stable_sort(order_.begin(), order_.end(), [&](std::uint32_t a, std::uint32_t b) {
    for (std::size_t k = 0; k < keys.size(); ++k) {
      int c = int(ranks[k][a]) - int(ranks[k][b]);
      if (c == 0 && ranks[k][a] == 1) {
        c = numbers[k][a] < numbers[k][b] ? -1 : (numbers[k][b] < numbers[k][a] ? 1 : 0);
      } else if (c == 0 && ranks[k][a] == 2) {
        c = CompareText(StoredText(a, keys[k].stored), StoredText(b, keys[k].stored));
      }
      if (c != 0) return keys[k].descending ? c > 0 : c < 0;
    }
    return false;
  });
}

std::string_view Recordset::StoredText(std::size_t row, std::size_t field) const {
  const std::size_t i = row * stored_ + field;
  const std::size_t begin = i == 0 ? 0 : ends_[i - 1];
  return std::string_view(arena_).substr(begin, ends_[i] - begin);
}

bool Recordset::StoredNull(std::size_t row, std::size_t field) const {
  return nulls_[row * stored_ + field];
}

void Recordset::MoveFirst() {
  if (!open_) throw Error("MoveFirst on a closed recordset");
  if (rows_ == 0) throw Error("MoveFirst: no current record (the result is empty)");
  current_ = 0;
}

void Recordset::MoveNext() {
  if (!open_) throw Error("MoveNext on a closed recordset");
  if (current_ >= rows_) throw Error("MoveNext: no current record (already at end of file)");
  ++current_;
}

std::size_t Recordset::CurrentStoredRow(const char* operation) const {
  if (!open_) throw Error(std::string(operation) + ": the recordset is closed");
  if (rows_ == 0) throw Error(std::string(operation) + ": no current record (the result is empty)");
  if (current_ >= rows_) throw Error(std::string(operation) + ": no current record (at end of file)");
  return order_.empty() ? current_ : order_[current_];
}

Value Recordset::Field(std::size_t index) const {
  const std::size_t row = CurrentStoredRow("reading a field");
  if (index >= fields_.size()) {
    throw Error("no field " + std::to_string(index) + " in a recordset of " +
                std::to_string(fields_.size()) + " field(s)");
  }
  Value v;
  v.type = fields_[index].type;
  v.null = StoredNull(row, index);
  v.text.assign(StoredText(row, index));
  return v;
}

Value Recordset::Field(std::string_view name) const {
  if (open_) {
    for (std::size_t i = 0; i < fields_.size(); ++i) {
      if (TextEqual(fields_[i].name, name)) return Field(i);
    }
    throw Error("no field named '" + std::string(name) + "' in the recordset");
  }
  CurrentStoredRow("reading a field");  // throws: closed
  return Value{};
}

std::size_t Recordset::MemoryFootprint() const {
  return arena_.capacity() + ends_.capacity() * sizeof(std::uint32_t) + nulls_.capacity() / 8 +
         order_.capacity() * sizeof(std::uint32_t);
}

void Recordset::Close() noexcept {
  open_ = false;
  fields_.clear();
  fields_.shrink_to_fit();
  std::string().swap(arena_);
  std::vector<std::uint32_t>().swap(ends_);
  std::vector<bool>().swap(nulls_);
  std::vector<std::uint32_t>().swap(order_);
  stored_ = rows_ = current_ = 0;
}

}  // namespace jet
