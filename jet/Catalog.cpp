#include "jet/Catalog.h"

#include <cstdlib>

#include "jet/TableReader.h"
#include "jet/Text.h"

namespace jet {

namespace {
std::size_t FindColumn(const TableLayout& layout, const char* name, const std::string& where) {
  for (std::size_t i = 0; i < layout.columns.size(); ++i) {
    if (EqualsIgnoreCase(layout.columns[i].definition.name, name)) return i;
  }
  throw Error(where + ": the catalog has no column " + name);
}

long long Number(const Value& v) { return v.null ? 0 : std::strtoll(v.text.c_str(), nullptr, 10); }
}  // namespace

std::vector<CatalogEntry> ReadCatalog(const PageSource& source, const LayoutLookup& layoutOf, RowCache* cache) {
  const std::shared_ptr<const TableLayout> layout = layoutOf(kCatalogPage);
  const std::string where = source.name() + ": catalog (page " + std::to_string(kCatalogPage) + ")";
  const std::vector<std::size_t> wanted = {FindColumn(*layout, "Id", where), FindColumn(*layout, "Name", where),
                                           FindColumn(*layout, "Type", where), FindColumn(*layout, "Flags", where)};
  std::vector<CatalogEntry> entries;
  TableReader reader(source, layout, wanted, cache);
  reader.Scan([&](const std::vector<Value>& f) {
    CatalogEntry e;
    e.definitionPage = static_cast<std::uint32_t>(Number(f[0])) & 0x00FFFFFFu;
    e.name = f[1].text;
    e.type = static_cast<int>(Number(f[2]));
    e.flags = static_cast<std::uint32_t>(Number(f[3]));
    entries.push_back(std::move(e));
  });
  return entries;
}

}  // namespace jet
