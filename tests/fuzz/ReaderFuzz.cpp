// libFuzzer target: any bytes as a database file. Opening it, listing its tables and reading
// every column of every row (the catalog's included) must end in success or a jet::Error.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "jet/Database.h"

namespace {

void ReadTable(const jet::Database& db, const std::string& name) {
  const jet::TableDefinition table = db.Table(name);
  std::vector<std::size_t> all(table.columns.size());
  for (std::size_t i = 0; i < all.size(); ++i) all[i] = i;
  std::size_t bytes = 0;
  std::string key;
  db.ScanRows(table, all, [&](const std::vector<jet::Value>& fields) {
    for (const jet::Value& v : fields) bytes += v.text.size();
    if (key.empty() && !fields.empty()) key = fields[0].text;
  });
  // Lookups build and then use the per-page index.
  for (int pass = 0; pass < 2 && !all.empty(); ++pass) {
    db.ScanRowsWhereTextEquals(table, all, 0, key, [&](const std::vector<jet::Value>& fields) { bytes += fields.size(); });
  }
  (void)bytes;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  try {
    const auto db = jet::Database::OpenBytes(std::vector<std::uint8_t>(data, data + size), "fuzz.mdb");
    (void)db->FileFormat();
    try {
      ReadTable(*db, "MSysObjects");
    } catch (const jet::Error&) {
    }
    for (const std::string& name : db->UserTableNames()) {
      try {
        ReadTable(*db, name);
      } catch (const jet::Error&) {
      }
    }
  } catch (const jet::Error&) {
  }
  return 0;
}
