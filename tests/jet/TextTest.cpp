// Text conversions: Jet 4's UTF-16 (plain and compressed) to Windows-1252, and Windows-1252 to
// UTF-8 for printing.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "jet/Text.h"

namespace {

std::vector<std::uint8_t> Utf16(const std::vector<std::uint16_t>& units) {
  std::vector<std::uint8_t> bytes;
  for (std::uint16_t u : units) {
    bytes.push_back(static_cast<std::uint8_t>(u & 0xFF));
    bytes.push_back(static_cast<std::uint8_t>(u >> 8));
  }
  return bytes;
}

std::string Plain(const std::vector<std::uint16_t>& units) {
  const std::vector<std::uint8_t> b = Utf16(units);
  return jet::Jet4TextToCp1252(b.data(), b.size());
}

std::string Compressed(const std::vector<std::uint8_t>& bytes) {
  return jet::Jet4TextToCp1252(bytes.data(), bytes.size());
}

TEST(Cp1252, HighRangeMapsBothWaysLikeWindows) {
  // The 0x80..0x9F block is where Windows-1252 and Latin-1 part ways.
  const struct {
    std::uint8_t byte;
    std::uint16_t unicode;
  } cases[] = {
      {0x80, 0x20AC}, {0x82, 0x201A}, {0x83, 0x0192}, {0x84, 0x201E}, {0x85, 0x2026}, {0x86, 0x2020},
      {0x87, 0x2021}, {0x88, 0x02C6}, {0x89, 0x2030}, {0x8A, 0x0160}, {0x8B, 0x2039}, {0x8C, 0x0152},
      {0x8E, 0x017D}, {0x91, 0x2018}, {0x92, 0x2019}, {0x93, 0x201C}, {0x94, 0x201D}, {0x95, 0x2022},
      {0x96, 0x2013}, {0x97, 0x2014}, {0x98, 0x02DC}, {0x99, 0x2122}, {0x9A, 0x0161}, {0x9B, 0x203A},
      {0x9C, 0x0153}, {0x9E, 0x017E}, {0x9F, 0x0178},
      // Undefined in the code page: Windows passes them through as C1 controls.
      {0x81, 0x0081}, {0x8D, 0x008D}, {0x8F, 0x008F}, {0x90, 0x0090}, {0x9D, 0x009D},
      // Latin-1 part and ASCII.
      {0xA0, 0x00A0}, {0xE9, 0x00E9}, {0xFF, 0x00FF}, {0x41, 0x0041},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.byte));
    EXPECT_EQ(jet::Cp1252ToUnicode(c.byte), c.unicode);
    EXPECT_EQ(jet::Utf16UnitToCp1252(c.unicode), c.byte);
  }
  // C1 controls that Windows-1252 uses for printable characters have no byte of their own.
  for (std::uint16_t u : {0x0080, 0x0085, 0x0099, 0x009F}) EXPECT_EQ(jet::Utf16UnitToCp1252(u), 0) << u;
}

TEST(Cp1252, EveryByteRoundTripsThroughUtf8) {
  std::string all;
  for (int b = 1; b < 256; ++b) all.push_back(static_cast<char>(b));
  EXPECT_EQ(jet::Utf8ToCp1252(jet::Cp1252ToUtf8(all)), all);
  EXPECT_EQ(jet::Cp1252ToUtf8("\x80"), "\xE2\x82\xAC");
  EXPECT_EQ(jet::Cp1252ToUtf8("caf\xE9"), "caf\xC3\xA9");
}

TEST(Cp1252, Utf8OutsideTheCodePageOrBrokenBecomesQuestionMarks) {
  const struct {
    const char* utf8;
    const char* cp1252;
  } cases[] = {
      {"\xE2\x82\xAC 5", "\x80 5"},
      {"\xD0\x96", "?"},          // Cyrillic Zhe
      {"\xF0\x9F\x98\x80x", "?x"},  // outside the BMP: one character, one '?'
      {"\xC3", "?"},              // cut short
      {"a\xFF" "b", "a?b"},       // never valid
  };
  for (const auto& c : cases) EXPECT_EQ(jet::Utf8ToCp1252(c.utf8), c.cp1252) << c.utf8;
}

TEST(Jet4Text, PlainUtf16) {
  EXPECT_EQ(Plain({'A', 'b', 0xE9, 0x20AC, 0x2122}), "Ab\xE9\x80\x99");
  EXPECT_EQ(Plain({}), "");
  // Not in Windows-1252: CJK, Greek; a surrogate pair is one character.
  EXPECT_EQ(Plain({'x', 0x4E2D, 0x03A9, 'y'}), "x??y");
  EXPECT_EQ(Plain({0xD83D, 0xDE00, 'z'}), "?z");
  EXPECT_EQ(Plain({0xDE00, 'z', 0xD83D}), "?z?");  // halves without their partner
  // An odd trailing byte is not half a character to guess at.
  std::vector<std::uint8_t> odd = Utf16({'o', 'k'});
  odd.push_back('!');
  EXPECT_EQ(jet::Jet4TextToCp1252(odd.data(), odd.size()), "ok");
}

TEST(Jet4Text, CompressedRunsSwitchAtEachZeroByte) {
  const struct {
    std::vector<std::uint8_t> bytes;
    std::string expected;
  } cases[] = {
      {{0xFF, 0xFE, 'a', 'b', 'c'}, "abc"},
      {{0xFF, 0xFE}, ""},
      // Single bytes are Latin-1 characters, not Windows-1252 bytes: 0xE9 is é, 0x80 a C1 control.
      {{0xFF, 0xFE, 0xE9, 0x80}, "\xE9?"},
      {{0xFF, 0xFE, 'a', 0x00, 0xAC, 0x20, 0x22, 0x21, 0x00, 'b'}, "a\x80\x99" "b"},
      // Ends in two-byte mode; and two switches in a row make an empty run.
      {{0xFF, 0xFE, 'x', 0x00, 0x00, 'y', 0x00, 0x2D, 0x4E}, "xy?"},
      // A lone last byte in two-byte mode is dropped.
      {{0xFF, 0xFE, 'q', 0x00, 0xAC}, "q"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Compressed(c.bytes), c.expected);
  }
  // Without the marker the same bytes are plain UTF-16.
  EXPECT_EQ(Compressed({'a', 0x00, 'b', 0x00}), "ab");
  EXPECT_EQ(Compressed({0xFF}), "");
}

TEST(TextCase, FoldsAsciiAndAccentedLetters) {
  EXPECT_EQ(jet::FoldCase("MSysObjects \xC9\xC0\xDE\x8A\x8C\x8E\x9F"), "msysobjects \xE9\xE0\xFE\x9A\x9C\x9E\xFF");
  EXPECT_EQ(jet::FoldCase("\xD7\xDF"), "\xD7\xDF");  // multiplication sign and sharp s have no pair
  EXPECT_TRUE(jet::EqualsIgnoreCase("Table1", "tABLE1"));
  EXPECT_TRUE(jet::EqualsIgnoreCase("\xC9t\xE9", "\xE9T\xC9"));
  EXPECT_FALSE(jet::EqualsIgnoreCase("Table1", "Table"));
  EXPECT_FALSE(jet::EqualsIgnoreCase("a", "b"));
}

}  // namespace
