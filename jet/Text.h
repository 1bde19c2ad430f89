// Text as the engine hands it out: single-byte Windows-1252. Jet 4 stores UTF-16LE, plain or in
// its compressed form; Jet 3 stores the database code page, which passes through unchanged.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace jet {

// One UTF-16 code unit to Windows-1252; 0 when there is no such character.
std::uint8_t Utf16UnitToCp1252(std::uint16_t unit);
// The Unicode code point of a Windows-1252 byte. The five bytes Windows-1252 leaves undefined
// map to the C1 controls of the same value, as Windows itself does, so every byte round-trips.
std::uint16_t Cp1252ToUnicode(std::uint8_t byte);

// UTF-16LE bytes to Windows-1252; characters outside it (a surrogate pair counts as one)
// become '?'. An odd last byte is ignored.
std::string Utf16LeToCp1252(const std::uint8_t* data, std::size_t length);

// A Jet 4 text value: compressed when it starts with 0xFF 0xFE (then single bytes, with each
// 0x00 switching between single-byte and two-byte characters), otherwise plain UTF-16LE.
std::string Jet4TextToCp1252(const std::uint8_t* data, std::size_t length);

std::string Cp1252ToUtf8(const std::string& text);
// Invalid UTF-8 and characters outside Windows-1252 become '?'.
std::string Utf8ToCp1252(const std::string& text);

// Lower case of Windows-1252 text (ASCII and the accented letters), for names compared the
// way Jet compares them: without regard to case.
std::string FoldCase(const std::string& text);
bool EqualsIgnoreCase(const std::string& a, const std::string& b);

}  // namespace jet
