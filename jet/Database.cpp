#include "jet/Database.h"

#include <algorithm>
#include <map>
#include <mutex>

#include "jet/Catalog.h"
#include "jet/File.h"
#include "jet/PageSource.h"
#include "jet/TableLayout.h"
#include "jet/TableReader.h"
#include "jet/Text.h"

namespace jet {

namespace {

// Table definitions parsed once and reused while their pages hold the same bytes.
constexpr std::size_t kMaxCachedLayouts = 256;

class FileDatabase : public Database {
 public:
  FileDatabase(std::unique_ptr<RandomAccessFile> file, const std::string& name)
      : source_(std::move(file), name), rows_(RowCacheBudget(source_)) {
    // A file with a good header but no readable catalog is no database either.
    LayoutOf(kCatalogPage);
  }

  Format FileFormat() const override { return source_.format().format; }

  std::vector<std::string> UserTableNames() const override {
    std::vector<std::string> names;
    for (const CatalogEntry& e : Catalog()) {
      if (e.type == kObjectTable && (e.flags & (kObjectSystemFlags | kObjectHiddenFlag)) == 0) names.push_back(e.name);
    }
    return names;
  }

  TableDefinition Table(const std::string& name) const override {
    for (const CatalogEntry& e : Catalog()) {
      if (e.type != kObjectTable || !EqualsIgnoreCase(e.name, name)) continue;
      const std::shared_ptr<const TableLayout> layout = LayoutOf(e.definitionPage);
      TableDefinition table;
      table.name = e.name;
      table.definitionPage = e.definitionPage;
      table.columns.reserve(layout->columns.size());
      for (const ColumnLayout& c : layout->columns) table.columns.push_back(c.definition);
      return table;
    }
    throw Error(source_.name() + ": no table named " + name);
  }

  void ScanRows(const TableDefinition& table, const std::vector<std::size_t>& columns,
                const RowVisitor& visit) const override {
    const std::shared_ptr<const TableLayout> layout = CheckedLayout(table, columns);
    TableReader reader(source_, layout, columns, &rows_);
    reader.Scan(visit);
  }

  void ScanRowsWhereTextEquals(const TableDefinition& table, const std::vector<std::size_t>& columns,
                               std::size_t keyColumn, const std::string& key,
                               const RowVisitor& visit) const override {
    std::vector<std::size_t> wanted = columns;
    wanted.push_back(keyColumn);
    TableReader reader(source_, CheckedLayout(table, wanted), wanted, &rows_);
    reader.ScanWhere(key, visit);
  }

 private:
  // The definition is read again, so a table changed since Table() is noticed rather than
  // decoded with the old layout.
  std::shared_ptr<const TableLayout> CheckedLayout(const TableDefinition& table,
                                                   const std::vector<std::size_t>& columns) const {
    const std::shared_ptr<const TableLayout> layout = LayoutOf(table.definitionPage);
    if (layout->columns.size() != table.columns.size()) Changed(table);
    for (const std::size_t i : columns) {
      if (i >= table.columns.size()) {
        throw Error(source_.name() + ": table " + table.name + " has no column number " + std::to_string(i));
      }
      const ColumnDefinition& now = layout->columns[i].definition;
      if (now.name != table.columns[i].name || now.type != table.columns[i].type) Changed(table);
    }
    return layout;
  }

  [[noreturn]] void Changed(const TableDefinition& table) const {
    throw Error(source_.name() + ": the definition of table " + table.name + " changed while it was open");
  }

  std::vector<CatalogEntry> Catalog() const {
    return ReadCatalog(source_, [this](std::uint32_t page) { return LayoutOf(page); }, &rows_);
  }

  std::shared_ptr<const TableLayout> LayoutOf(std::uint32_t page) const {
    if (page < 1 || page >= source_.PageCount()) {
      throw Error(source_.name() + ": table definition on page " + std::to_string(page) +
                  ", which the file does not have");
    }
    std::vector<std::uint8_t> bytes = ReadDefinitionBytes(source_, page);
    {
      std::lock_guard<std::mutex> lock(mutex_);
      const auto it = layouts_.find(page);
      if (it != layouts_.end() && it->second.bytes == bytes) return it->second.layout;
    }
    auto layout = std::make_shared<const TableLayout>(ParseTableLayout(source_, page, bytes));
    std::lock_guard<std::mutex> lock(mutex_);
    if (layouts_.size() >= kMaxCachedLayouts) layouts_.clear();
    layouts_[page] = CachedLayout{std::move(bytes), layout};
    return layout;
  }

  // One and a half times the file: enough to keep the page index of every table for lookups
  // (a copy of each page and a few bytes a row) while bounding what scans keep; at least four
  // megabytes, so that the decoded rows of a small file's tables are kept whole.
  static std::size_t RowCacheBudget(const PageSource& source) {
    const std::uint64_t file = static_cast<std::uint64_t>(source.PageCount()) * source.format().pageSize;
    const std::uint64_t budget = std::clamp<std::uint64_t>(file + file / 2, 4u << 20, 256u << 20);
    return static_cast<std::size_t>(budget);
  }

  PageSource source_;
  mutable RowCache rows_;
  struct CachedLayout {
    std::vector<std::uint8_t> bytes;
    std::shared_ptr<const TableLayout> layout;
  };
  mutable std::mutex mutex_;
  mutable std::map<std::uint32_t, CachedLayout> layouts_;
};

}  // namespace

void TableSource::ScanRowsWhereTextEquals(const TableDefinition& table, const std::vector<std::size_t>& columns,
                                          std::size_t keyColumn, const std::string& key,
                                          const RowVisitor& visit) const {
  std::vector<std::size_t> wanted = columns;
  wanted.push_back(keyColumn);
  std::vector<Value> visible(columns.size());
  ScanRows(table, wanted, [&](const std::vector<Value>& fields) {
    const Value& v = fields.back();
    if (v.null || !EqualsIgnoreCase(v.text, key)) return;
    for (std::size_t k = 0; k < visible.size(); ++k) visible[k] = fields[k];
    visit(visible);
  });
}

Database::~Database() = default;

std::unique_ptr<Database> Database::Open(const std::string& path) {
  return std::make_unique<FileDatabase>(OpenFile(path), path);
}

std::unique_ptr<Database> Database::OpenBytes(std::vector<std::uint8_t> bytes, const std::string& name) {
  return std::make_unique<FileDatabase>(MemoryFile(std::move(bytes)), name);
}

}  // namespace jet
