// A table definition as stored: its columns with where each one lives in a row.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "jet/Database.h"
#include "jet/PageSource.h"

namespace jet {

struct ColumnLayout {
  ColumnDefinition definition;
  std::uint16_t number = 0;       // bit in the null mask; deleted columns keep their numbers
  std::uint16_t varIndex = 0;     // entry in the variable-offset table
  std::uint16_t fixedOffset = 0;  // from the start of the fixed area
  std::uint16_t length = 0;       // bytes of a fixed column
  std::uint8_t flags = 0;
  bool fixed = false;
  std::uint8_t precision = 0;
  std::uint8_t scale = 0;
};

struct TableLayout {
  std::uint32_t definitionPage = 0;
  std::uint16_t maxColumns = 0;
  std::uint16_t varColumns = 0;
  std::uint32_t usedPages = 0;  // row pointer (page << 8 | row) to the table's usage map
  std::vector<ColumnLayout> columns;
};

// The definition pages joined (the first whole, each continuation without its 8-byte page
// header), following the chain with a guard against cycles.
std::vector<std::uint8_t> ReadDefinitionBytes(const PageSource& source, std::uint32_t page);

TableLayout ParseTableLayout(const PageSource& source, std::uint32_t page, const std::vector<std::uint8_t>& bytes);

// Storage size of a fixed column of the type, 0 for types without a fixed size.
std::size_t FixedSizeOf(ColumnType type);

}  // namespace jet
