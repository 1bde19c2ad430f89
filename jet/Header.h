// Page 0: which format the file is in, and whether its pages are RC4-encoded.
#pragma once

#include <cstdint>
#include <string>

#include "jet/File.h"
#include "jet/Format.h"

namespace jet {

struct Header {
  const FormatDescription* format = nullptr;
  std::uint32_t databaseKey = 0;  // non-zero: every page but page 0 is RC4-encoded
  std::uint16_t codePage = 0;
};

// `name` is used in messages. Throws Error for anything but an unprotected Jet 3 / Jet 4 file.
Header ReadHeader(const RandomAccessFile& file, const std::string& name);

// The fixed key that scrambles the header page from offset 0x18.
extern const std::uint8_t kHeaderKey[4];
constexpr std::size_t kHeaderEncodedStart = 0x18;

}  // namespace jet
