// The text form of every column type, as jet::Value carries it.
//
//   Text, Memo   the characters themselves, single-byte: Jet 3 files pass their code page
//                through byte for byte; Jet 4 text is converted to Windows-1252 with '?' for
//                characters it lacks.
//   Boolean      "1" (yes) or "0" (no). Jet keeps the value in the row's null mask, so a
//                boolean is never null ("0" in rows written before the column was added).
//   Byte         decimal 0..255
//   Integer      decimal -32768..32767
//   Long         decimal -2147483648..2147483647
//   Single       the shortest decimal that reads back as the same 32-bit float (Double: the
//   Double       same 64-bit double). Written out in full while the decimal exponent is -4..14
//                ("444.555", "0.0001", "16777216", "-0"), otherwise with a printf-style
//                exponent ("1e-05", "1.5e+20"); "inf", "-inf", "nan" for the non-finite values.
//   Currency     fixed point with exactly four decimals: "12.3400", "-0.5000", "0.0000".
//   DateTime     "YYYY-MM-DD HH:MM:SS", 24-hour, rounded to the nearest second; the date part
//                of a value with no time still carries " 00:00:00". Values outside the years
//                100..9999 (or not finite) are given as the stored number of days in the
//                Double form instead.
//   GUID         "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}", upper-case hex, the first three
//                groups read little-endian as Windows prints them.
//   Binary, OLE  upper-case hex, two digits per byte, no separators ("" for zero bytes).
//   Numeric      plain decimal with the column's scale: "-123.4500"; no exponent.
//   null         empty text and Value::null set (Value::type still says the column's type).
//
// ValueKindOf says how a JSON writer should print a non-null value: as a number (the texts of
// the Number kinds are JSON numbers as they stand, except Single/Double "inf", "-inf" and
// "nan", which IsJsonNumber detects), as true/false for "1"/"0", or as a string.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "jet/Database.h"

namespace jet {

enum class ValueKind { Text, Number, Boolean };

ValueKind ValueKindOf(ColumnType type);

// True when `text` can be written as a JSON number as it stands.
bool IsJsonNumber(const std::string& text);

// Each Format* function replaces `out` with the text form (reusing its storage).
void FormatBoolean(bool value, std::string& out);
void FormatUnsigned(std::uint64_t value, std::string& out);
void FormatSigned(std::int64_t value, std::string& out);
void FormatCurrency(std::int64_t tenThousandths, std::string& out);
void FormatSingle(float value, std::string& out);
void FormatDouble(double value, std::string& out);
void FormatDateTime(double days, std::string& out);
void FormatGuid(const std::uint8_t* bytes16, std::string& out);
void FormatHex(const std::uint8_t* data, std::size_t length, std::string& out);
// Jet 4's 17-byte scaled decimal: sign byte (non-zero = negative), then a 128-bit magnitude
// as four 32-bit little-endian words, most significant word first.
void FormatNumeric(const std::uint8_t* bytes17, unsigned scale, std::string& out);

// The calendar behind FormatDateTime, for tests and for callers that build dates: days since
// 1899-12-30 (may be negative) to year/month/day and back.
void CivilFromDays(std::int64_t days, int& year, int& month, int& day);
std::int64_t DaysFromCivil(int year, int month, int day);

}  // namespace jet
