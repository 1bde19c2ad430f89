// Text forms of the non-text column types (documented in jet/Values.h).
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>

#include "jet/Values.h"

namespace {

std::string Currency(std::int64_t v) {
  std::string s;
  jet::FormatCurrency(v, s);
  return s;
}
std::string Date(double d) {
  std::string s;
  jet::FormatDateTime(d, s);
  return s;
}
std::string Dbl(double d) {
  std::string s;
  jet::FormatDouble(d, s);
  return s;
}
std::string Sgl(float d) {
  std::string s;
  jet::FormatSingle(d, s);
  return s;
}

TEST(Values, CurrencyHasExactlyFourDecimals) {
  const struct {
    std::int64_t stored;
    const char* text;
  } cases[] = {
      {0, "0.0000"},       {123400, "12.3400"},   {35000, "3.5000"}, {-5000, "-0.5000"}, {-1, "-0.0001"},
      {10000, "1.0000"},   {std::numeric_limits<std::int64_t>::max(), "922337203685477.5807"},
      {std::numeric_limits<std::int64_t>::min(), "-922337203685477.5808"},
  };
  for (const auto& c : cases) EXPECT_EQ(Currency(c.stored), c.text) << c.stored;
}

TEST(Values, FloatingPointIsShortestRoundTrip) {
  EXPECT_EQ(Dbl(444.555), "444.555");
  EXPECT_EQ(Dbl(0.1 + 0.2), "0.30000000000000004");
  EXPECT_EQ(Dbl(100), "100");
  EXPECT_EQ(Dbl(0.0001), "0.0001");
  EXPECT_EQ(Dbl(1e-5), "1e-05");
  EXPECT_EQ(Dbl(1.5e20), "1.5e+20");
  EXPECT_EQ(Dbl(-2.5), "-2.5");
  EXPECT_EQ(Sgl(444.555f), "444.555");
  EXPECT_EQ(Sgl(0.1f), "0.1");
  EXPECT_EQ(Sgl(16777216.0f), "16777216");
  EXPECT_EQ(Dbl(123456789012345.0), "123456789012345");
  EXPECT_EQ(Dbl(1e15), "1e+15");
  EXPECT_EQ(Dbl(-0.0), "-0");
  EXPECT_EQ(Sgl(3.4e38f), "3.4e+38");
  // Whatever the form, it must read back as the same value.
  for (double d : {1.0 / 3, 2.0 / 3 * 1e300, 5e-324, 123456789.123456789}) {
    EXPECT_EQ(std::strtod(Dbl(d).c_str(), nullptr), d);
  }
  for (float f : {1.0f / 3, 3.4e38f, 1e-45f}) EXPECT_EQ(std::strtof(Sgl(f).c_str(), nullptr), f);
}

TEST(Values, DateTimeCountsDaysFrom1899WithTimeAsFraction) {
  const struct {
    double days;
    const char* text;
  } cases[] = {
      {0.0, "1899-12-30 00:00:00"},
      {1.0, "1899-12-31 00:00:00"},
      {2.5, "1900-01-01 12:00:00"},
      {36526.0, "2000-01-01 00:00:00"},
      {29932.0, "1981-12-12 00:00:00"},  // as in the test tables
      {38751.924305555556, "2006-02-03 22:11:00"},
      // Before the epoch the fraction still counts forward from midnight.
      {-1.25, "1899-12-29 06:00:00"},
      {-0.5, "1899-12-30 12:00:00"},
      // Rounded to the second, carrying into the next day.
      {1.0 + 0.4999 / 86400, "1899-12-31 00:00:00"},
      {1.0 + 1.5001 / 86400, "1899-12-31 00:00:02"},
      {1.0 - 0.1 / 86400, "1899-12-31 00:00:00"},
      {59.0, "1900-02-27 00:00:00"},
      {60.0, "1900-02-28 00:00:00"},  // 1900 is no leap year
      {61.0, "1900-03-01 00:00:00"},
      {-657434.0, "0100-01-01 00:00:00"},
      {2958465.999988426, "9999-12-31 23:59:59"},
  };
  for (const auto& c : cases) EXPECT_EQ(Date(c.days), c.text) << c.days;
  // Outside what Jet can store, the number of days is given instead.
  EXPECT_EQ(Date(3e6), "3000000");
  EXPECT_EQ(Date(-7e5), "-700000");
  EXPECT_EQ(Date(std::numeric_limits<double>::infinity()), "inf");
}

TEST(Values, CalendarRoundTripsOverTheWholeRange) {
  for (std::int64_t d = -657434; d <= 2958465; d += 997) {
    int y, m, day;
    jet::CivilFromDays(d, y, m, day);
    ASSERT_EQ(jet::DaysFromCivil(y, m, day), d);
    ASSERT_TRUE(m >= 1 && m <= 12 && day >= 1 && day <= 31) << d;
  }
  EXPECT_EQ(jet::DaysFromCivil(2000, 2, 29) + 1, jet::DaysFromCivil(2000, 3, 1));
  EXPECT_EQ(jet::DaysFromCivil(1899, 12, 30), 0);
}

TEST(Values, GuidHexAndNumeric) {
  const std::uint8_t guid[16] = {0x33, 0x22, 0x11, 0x00, 0x55, 0x44, 0x77, 0x66,
                                 0x88, 0x99, 0xAA, 0xBB, 0xCC, 0xDD, 0xEE, 0xFF};
  std::string s;
  jet::FormatGuid(guid, s);
  EXPECT_EQ(s, "{00112233-4455-6677-8899-AABBCCDDEEFF}");

  const std::uint8_t bytes[] = {0x00, 0x0F, 0xA0, 0xFF};
  jet::FormatHex(bytes, sizeof bytes, s);
  EXPECT_EQ(s, "000FA0FF");
  jet::FormatHex(bytes, 0, s);
  EXPECT_EQ(s, "");

  // Sign, then four little-endian words, most significant first.
  std::uint8_t numeric[17] = {};
  numeric[13] = 0x39;  // least significant word = 12345
  numeric[14] = 0x30;
  jet::FormatNumeric(numeric, 2, s);
  EXPECT_EQ(s, "123.45");
  jet::FormatNumeric(numeric, 0, s);
  EXPECT_EQ(s, "12345");
  jet::FormatNumeric(numeric, 7, s);
  EXPECT_EQ(s, "0.0012345");
  numeric[0] = 0x80;
  jet::FormatNumeric(numeric, 3, s);
  EXPECT_EQ(s, "-12.345");
  std::uint8_t big[17] = {};
  big[1] = 0x01;  // 2^96
  jet::FormatNumeric(big, 0, s);
  EXPECT_EQ(s, "79228162514264337593543950336");
  std::uint8_t negativeZero[17] = {0x80};
  jet::FormatNumeric(negativeZero, 2, s);
  EXPECT_EQ(s, "0.00");
}

TEST(Values, KindsAndJsonNumbers) {
  EXPECT_EQ(jet::ValueKindOf(jet::ColumnType::Boolean), jet::ValueKind::Boolean);
  for (auto t : {jet::ColumnType::Byte, jet::ColumnType::Integer, jet::ColumnType::Long, jet::ColumnType::Currency,
                 jet::ColumnType::Single, jet::ColumnType::Double, jet::ColumnType::Numeric}) {
    EXPECT_EQ(jet::ValueKindOf(t), jet::ValueKind::Number);
  }
  for (auto t : {jet::ColumnType::Text, jet::ColumnType::Memo, jet::ColumnType::DateTime, jet::ColumnType::GUID,
                 jet::ColumnType::Binary, jet::ColumnType::OLE}) {
    EXPECT_EQ(jet::ValueKindOf(t), jet::ValueKind::Text);
  }
  for (const char* yes : {"0", "-0", "12.3400", "1e-05", "1.5e+20", "-922337203685477.5808"}) {
    EXPECT_TRUE(jet::IsJsonNumber(yes)) << yes;
  }
  for (const char* no : {"", "-", "inf", "nan", "-inf", "01", "1.", ".5", "1e", "1e+", "12a"}) {
    EXPECT_FALSE(jet::IsJsonNumber(no)) << no;
  }
}

}  // namespace
