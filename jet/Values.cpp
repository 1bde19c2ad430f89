#include "jet/Values.h"

#include <charconv>
#include <cmath>
#include <cstring>
#include <string>

namespace jet {

ValueKind ValueKindOf(ColumnType type) {
  switch (type) {
    case ColumnType::Boolean:
      return ValueKind::Boolean;
    case ColumnType::Byte:
    case ColumnType::Integer:
    case ColumnType::Long:
    case ColumnType::Currency:
    case ColumnType::Single:
    case ColumnType::Double:
    case ColumnType::Numeric:
      return ValueKind::Number;
    default:
      return ValueKind::Text;
  }
}

bool IsJsonNumber(const std::string& text) {
  // -?(0|[1-9][0-9]*)(\.[0-9]+)?([eE][+-]?[0-9]+)?
  std::size_t i = 0;
  const std::size_t n = text.size();
  if (i < n && text[i] == '-') ++i;
  if (i >= n) return false;
  if (text[i] == '0') {
    ++i;
  } else if (text[i] >= '1' && text[i] <= '9') {
    while (i < n && text[i] >= '0' && text[i] <= '9') ++i;
  } else {
    return false;
  }
  if (i < n && text[i] == '.') {
    ++i;
    const std::size_t start = i;
    while (i < n && text[i] >= '0' && text[i] <= '9') ++i;
    if (i == start) return false;
  }
  if (i < n && (text[i] == 'e' || text[i] == 'E')) {
    ++i;
    if (i < n && (text[i] == '+' || text[i] == '-')) ++i;
    const std::size_t start = i;
    while (i < n && text[i] >= '0' && text[i] <= '9') ++i;
    if (i == start) return false;
  }
  return i == n;
}

void FormatBoolean(bool value, std::string& out) { out.assign(value ? "1" : "0"); }

void FormatUnsigned(std::uint64_t value, std::string& out) {
  char buffer[24];
  const auto r = std::to_chars(buffer, buffer + sizeof buffer, value);
  out.assign(buffer, r.ptr);
}

void FormatSigned(std::int64_t value, std::string& out) {
  char buffer[24];
  const auto r = std::to_chars(buffer, buffer + sizeof buffer, value);
  out.assign(buffer, r.ptr);
}

void FormatCurrency(std::int64_t tenThousandths, std::string& out) {
  // Through the unsigned magnitude so that the most negative value has one too.
  const bool negative = tenThousandths < 0;
  const std::uint64_t magnitude =
      negative ? ~static_cast<std::uint64_t>(tenThousandths) + 1 : static_cast<std::uint64_t>(tenThousandths);
  char buffer[32];
  char* p = buffer;
  if (negative) *p++ = '-';
  p = std::to_chars(p, buffer + 24, magnitude / 10000).ptr;
  *p++ = '.';
  const unsigned fraction = static_cast<unsigned>(magnitude % 10000);
  p[0] = static_cast<char>('0' + fraction / 1000);
  p[1] = static_cast<char>('0' + fraction / 100 % 10);
  p[2] = static_cast<char>('0' + fraction / 10 % 10);
  p[3] = static_cast<char>('0' + fraction % 10);
  out.assign(buffer, p + 4);
}

// Shortest round-trip digits, written out in full for decimal exponents -4..14 and with an
// exponent beyond them, so that ordinary magnitudes never read as 1.6777216e+07.
template <typename T>
static void FormatFloating(T value, std::string& out) {
  char buffer[400];
  auto r = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific);
  const char* e = static_cast<const char*>(std::memchr(buffer, 'e', static_cast<std::size_t>(r.ptr - buffer)));
  if (e != nullptr) {
    const char* digits = e + 1;
    const bool negative = digits < r.ptr && *digits == '-';
    if (digits < r.ptr && (*digits == '-' || *digits == '+')) ++digits;
    int exponent = 0;
    std::from_chars(digits, r.ptr, exponent);
    if (negative) exponent = -exponent;
    if (exponent >= -4 && exponent < 15) {
      r = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed);
    } else {
      // "1.5e+20" / "1e-05": two exponent digits at least, as printf writes them.
      const std::size_t at = static_cast<std::size_t>(e - buffer);
      out.assign(buffer, at);
      out += exponent < 0 ? "e-" : "e+";
      const int magnitude = exponent < 0 ? -exponent : exponent;
      if (magnitude < 10) out.push_back('0');
      out += std::to_string(magnitude);
      return;
    }
  }
  out.assign(buffer, r.ptr);  // also inf and nan
}

void FormatSingle(float value, std::string& out) { FormatFloating(value, out); }

void FormatDouble(double value, std::string& out) { FormatFloating(value, out); }

// Days since 1970-01-01 in the proleptic Gregorian calendar (eras of 400 years).
static std::int64_t UnixDaysFromCivil(std::int64_t y, unsigned m, unsigned d) {
  y -= m <= 2;
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

static const std::int64_t kJetEpochUnixDays = UnixDaysFromCivil(1899, 12, 30);

std::int64_t DaysFromCivil(int year, int month, int day) {
  return UnixDaysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day)) - kJetEpochUnixDays;
}

void CivilFromDays(std::int64_t days, int& year, int& month, int& day) {
  const std::int64_t z = days + kJetEpochUnixDays + 719468;
  const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const unsigned doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  const unsigned d = doy - (153 * mp + 2) / 5 + 1;
  const unsigned m = mp < 10 ? mp + 3 : mp - 9;
  year = static_cast<int>(static_cast<std::int64_t>(yoe) + era * 400 + (m <= 2));
  month = static_cast<int>(m);
  day = static_cast<int>(d);
}

static void Put2(char* p, int v) {
  p[0] = static_cast<char>('0' + v / 10);
  p[1] = static_cast<char>('0' + v % 10);
}

void FormatDateTime(double days, std::string& out) {
  // Jet's own range is 100-01-01 .. 9999-12-31.
  if (!std::isfinite(days) || days < -657434.0 || days >= 2958466.0) {
    FormatDouble(days, out);
    return;
  }
  // The whole part counts days from 1899-12-30 and the fraction is the time of day, also for
  // dates before the epoch: -1.25 is 1899-12-29 06:00, not 1899-12-28 18:00.
  std::int64_t whole = static_cast<std::int64_t>(days);  // toward zero
  std::int64_t seconds = std::llround(std::fabs(days - static_cast<double>(whole)) * 86400.0);
  if (seconds >= 86400) {
    seconds -= 86400;
    whole += 1;
  }
  int year, month, day;
  CivilFromDays(whole, year, month, day);
  if (year > 9999) {
    FormatDouble(days, out);
    return;
  }
  char buffer[19];
  buffer[0] = static_cast<char>('0' + year / 1000);
  buffer[1] = static_cast<char>('0' + year / 100 % 10);
  Put2(buffer + 2, year % 100);
  buffer[4] = '-';
  Put2(buffer + 5, month);
  buffer[7] = '-';
  Put2(buffer + 8, day);
  buffer[10] = ' ';
  Put2(buffer + 11, static_cast<int>(seconds / 3600));
  buffer[13] = ':';
  Put2(buffer + 14, static_cast<int>(seconds / 60 % 60));
  buffer[16] = ':';
  Put2(buffer + 17, static_cast<int>(seconds % 60));
  out.assign(buffer, sizeof buffer);
}

static const char kHexDigits[] = "0123456789ABCDEF";

void FormatHex(const std::uint8_t* data, std::size_t length, std::string& out) {
  out.resize(length * 2);
  for (std::size_t i = 0; i < length; ++i) {
    out[2 * i] = kHexDigits[data[i] >> 4];
    out[2 * i + 1] = kHexDigits[data[i] & 15];
  }
}

void FormatGuid(const std::uint8_t* b, std::string& out) {
  static const int order[16] = {3, 2, 1, 0, 5, 4, 7, 6, 8, 9, 10, 11, 12, 13, 14, 15};
  out.assign("{");
  for (int i = 0; i < 16; ++i) {
    if (i == 4 || i == 6 || i == 8 || i == 10) out.push_back('-');
    out.push_back(kHexDigits[b[order[i]] >> 4]);
    out.push_back(kHexDigits[b[order[i]] & 15]);
  }
  out.push_back('}');
}

void FormatNumeric(const std::uint8_t* bytes17, unsigned scale, std::string& out) {
  // The 128-bit magnitude as four 32-bit words, most significant first, divided down by ten.
  std::uint32_t words[4];
  for (int w = 0; w < 4; ++w) {
    const std::uint8_t* p = bytes17 + 1 + 4 * w;
    words[w] = static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
               (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
  }
  char digits[48];
  int count = 0;
  for (;;) {
    std::uint64_t remainder = 0;
    bool any = false;
    for (int w = 0; w < 4; ++w) {
      const std::uint64_t cur = (remainder << 32) | words[w];
      words[w] = static_cast<std::uint32_t>(cur / 10);
      remainder = cur % 10;
      any = any || words[w] != 0;
    }
    digits[count++] = static_cast<char>('0' + remainder);
    if (!any) break;
  }
  if (scale > 38) scale = 38;
  while (count <= static_cast<int>(scale)) digits[count++] = '0';
  bool zero = true;
  for (int i = 0; i < count; ++i) zero = zero && digits[i] == '0';
  out.clear();
  if (bytes17[0] != 0 && !zero) out.push_back('-');
  for (int i = count - 1; i >= 0; --i) {
    out.push_back(digits[i]);
    if (i == static_cast<int>(scale) && scale > 0) out.push_back('.');
  }
}

}  // namespace jet
