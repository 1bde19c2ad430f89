#include "queue/SizeText.h"

#include <cinttypes>
#include <cstdio>

std::string FormatSizeText(std::uint64_t bytes) {
  // bytes / 2^shift in tenths, rounded half up, without overflow for any 64-bit size.
  const bool megabytes = bytes >= (std::uint64_t{1} << 20);
  const unsigned shift = megabytes ? 20 : 10;
  const std::uint64_t unit = std::uint64_t{1} << shift;
  const std::uint64_t whole = bytes >> shift, rest = bytes & (unit - 1);
  const std::uint64_t tenths = whole * 10 + (rest * 10 + unit / 2) / unit;

  char text[40];
  std::snprintf(text, sizeof text, "%" PRIu64 ".%u", tenths / 10, static_cast<unsigned>(tenths % 10));
  std::string result(text);
  if (result.size() < 4) result.insert(0, 4 - result.size(), ' ');
  return result + (megabytes ? " MB" : " KB");
}
