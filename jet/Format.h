// Where Jet 3 and Jet 4 differ: page size, header layout, offsets inside table definitions and
// data pages, field widths. The shared reading code takes every such number from here rather
// than testing the version itself.
#pragma once

#include <cstddef>
#include <cstdint>

#include "jet/Database.h"

namespace jet {

struct FormatDescription {
  Database::Format format;
  std::uint32_t pageSize;

  // Header page (page 0); the part from headerEncodedStart is RC4-scrambled with a fixed key.
  std::size_t headerEncodedLength;
  std::size_t passwordLength;   // bytes at 0x42
  bool passwordMaskedByDate;    // Jet 4 XORs the password field with the creation date

  // Data pages.
  std::size_t dataRowCount;     // u16 number of row slots
  std::size_t dataRowTable;     // first u16 row offset

  // Table definition, counted from the start of the (joined) definition.
  std::size_t tdefRowCount;
  std::size_t tdefMaxColumns;
  std::size_t tdefVarColumns;
  std::size_t tdefColumnCount;
  std::size_t tdefIndexCount;
  std::size_t tdefRealIndexCount;
  std::size_t tdefUsedPages;
  std::size_t tdefHeaderEnd;        // where the real-index entries start
  std::size_t realIndexEntrySize;

  // One column entry.
  std::size_t columnEntrySize;
  std::size_t colType;
  std::size_t colNumber;        // position in the null mask (deleted columns keep theirs)
  std::size_t colVarIndex;      // entry in the row's variable-offset table
  std::size_t colPrecision;     // numeric: precision then scale
  std::size_t colFlags;
  std::size_t colFixedOffset;   // offset inside the row's fixed area
  std::size_t colLength;

  std::size_t nameLengthSize;   // 1 (bytes) or 2 (UTF-16 bytes)
  bool textIsUtf16;             // text, memo and names

  // Rows.
  std::size_t rowCountSize;     // width of the row's column count, variable count and offsets
  bool rowJumpTable;            // Jet 3 one-byte offsets need the jump table past 256 bytes

  // Long values: data starts after this many header bytes of an LVAL page.
  std::size_t lvalSignature;    // "LVAL" where data pages keep the table definition page
};

extern const FormatDescription kJet3;
extern const FormatDescription kJet4;

// Masks of the u16 row offsets on data pages.
constexpr std::uint16_t kRowDeleted = 0x8000;
constexpr std::uint16_t kRowOverflow = 0x4000;
constexpr std::uint16_t kRowOffsetMask = 0x1FFF;

// Page types (first byte).
constexpr std::uint8_t kPageData = 0x01;
constexpr std::uint8_t kPageTableDefinition = 0x02;
constexpr std::uint8_t kPageUsageMap = 0x05;

}  // namespace jet
