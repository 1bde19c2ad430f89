// A TableSource over tables held in memory, so that queries can be tested on a handful of rows
// without a database file.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "jet/Collation.h"
#include "jet/Database.h"

namespace jettest {

// One field as a test writes it: text, or nullopt for null.
using Cell = std::optional<std::string>;

struct MemoryTable {
  jet::TableDefinition definition;
  std::vector<std::vector<Cell>> rows;
};

class MemoryTableSource : public jet::TableSource {
 public:
  MemoryTableSource& Add(std::string name, std::vector<jet::ColumnDefinition> columns,
                         std::vector<std::vector<Cell>> rows) {
    MemoryTable t;
    t.definition.name = std::move(name);
    t.definition.columns = std::move(columns);
    t.rows = std::move(rows);
    tables_.push_back(std::move(t));
    return *this;
  }

  std::vector<std::string> UserTableNames() const override {
    std::vector<std::string> names;
    for (const MemoryTable& t : tables_) names.push_back(t.definition.name);
    return names;
  }

  jet::TableDefinition Table(const std::string& name) const override {
    return Find(name).definition;
  }

  void ScanRows(const jet::TableDefinition& table, const std::vector<std::size_t>& columns,
                const RowVisitor& visit) const override {
    const MemoryTable& t = Find(table.name);
    ++scans;
    std::vector<jet::Value> fields(columns.size());
    for (const auto& row : t.rows) {
      for (std::size_t i = 0; i < columns.size(); ++i) {
        const Cell& cell = row.at(columns[i]);
        fields[i].type = t.definition.columns.at(columns[i]).type;
        fields[i].null = !cell.has_value();
        fields[i].text = cell.value_or("");
      }
      visit(fields);
    }
  }

  mutable int scans = 0;

 private:
  const MemoryTable& Find(const std::string& name) const {
    for (const MemoryTable& t : tables_) {
      if (jet::TextEqual(t.definition.name, name)) return t;
    }
    throw jet::Error("no such table '" + name + "'");
  }

  std::vector<MemoryTable> tables_;
};

inline jet::ColumnDefinition TextColumn(std::string name) {
  return {std::move(name), jet::ColumnType::Text};
}

}  // namespace jettest
