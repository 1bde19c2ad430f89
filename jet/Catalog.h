// The catalog: MSysObjects, whose definition is always on page 2, lists every object of the
// database with its type and flags.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "jet/PageSource.h"
#include "jet/RowCache.h"
#include "jet/TableLayout.h"

namespace jet {

constexpr std::uint32_t kCatalogPage = 2;
constexpr int kObjectTable = 1;
// A system object carries either flag; hidden ones the user did not make visible carry 0x8.
constexpr std::uint32_t kObjectSystemFlags = 0x80000002u;
constexpr std::uint32_t kObjectHiddenFlag = 0x00000008u;

struct CatalogEntry {
  std::string name;
  int type = 0;
  std::uint32_t flags = 0;
  std::uint32_t definitionPage = 0;  // for tables: the low 24 bits of the object id
};

using LayoutLookup = std::function<std::shared_ptr<const TableLayout>(std::uint32_t page)>;

std::vector<CatalogEntry> ReadCatalog(const PageSource& source, const LayoutLookup& layoutOf, RowCache* cache);

}  // namespace jet
