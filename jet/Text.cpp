#include "jet/Text.h"

namespace jet {
namespace {

// Windows-1252 0x80..0x9F; the rest of the code page equals Latin-1.
constexpr std::uint16_t kHighRange[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  // 80
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,  // 88
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,  // 98
};

void AppendUnit(std::string& out, std::uint16_t unit, bool& pendingHigh) {
  if (unit >= 0xD800 && unit <= 0xDBFF) {
    if (pendingHigh) out.push_back('?');
    pendingHigh = true;
    return;
  }
  if (unit >= 0xDC00 && unit <= 0xDFFF) {
    // The second half of a pair completes the one '?' already owed; a lone one is its own.
    pendingHigh = false;
    out.push_back('?');
    return;
  }
  if (pendingHigh) {
    out.push_back('?');
    pendingHigh = false;
  }
  const std::uint8_t b = Utf16UnitToCp1252(unit);
  out.push_back(b == 0 && unit != 0 ? '?' : static_cast<char>(b));
}

}  // namespace

std::uint8_t Utf16UnitToCp1252(std::uint16_t unit) {
  if (unit < 0x80 || (unit >= 0xA0 && unit <= 0xFF)) return static_cast<std::uint8_t>(unit);
  for (int i = 0; i < 32; ++i) {
    if (kHighRange[i] == unit) return static_cast<std::uint8_t>(0x80 + i);
  }
  return 0;
}

std::uint16_t Cp1252ToUnicode(std::uint8_t byte) {
  if (byte >= 0x80 && byte <= 0x9F) return kHighRange[byte - 0x80];
  return byte;
}

std::string Utf16LeToCp1252(const std::uint8_t* data, std::size_t length) {
  std::string out;
  out.reserve(length / 2);
  bool pendingHigh = false;
  for (std::size_t i = 0; i + 1 < length; i += 2) {
    const std::uint16_t unit = static_cast<std::uint16_t>(data[i] | (data[i + 1] << 8));
    if (unit < 0x80 && !pendingHigh) {
      out.push_back(static_cast<char>(unit));
    } else {
      AppendUnit(out, unit, pendingHigh);
    }
  }
  if (pendingHigh) out.push_back('?');
  return out;
}

std::string Jet4TextToCp1252(const std::uint8_t* data, std::size_t length) {
  if (length < 2 || data[0] != 0xFF || data[1] != 0xFE) return Utf16LeToCp1252(data, length);
  std::string out;
  out.reserve(length);
  bool compressed = true;
  bool pendingHigh = false;
  std::size_t i = 2;
  while (i < length) {
    // Compressed text never holds a character with a zero byte in the two-byte runs (Jet only
    // compresses text where that holds), so a zero byte is always the switch.
    if (data[i] == 0x00) {
      compressed = !compressed;
      ++i;
      continue;
    }
    if (compressed) {
      AppendUnit(out, data[i], pendingHigh);
      ++i;
    } else {
      if (i + 1 >= length) break;
      AppendUnit(out, static_cast<std::uint16_t>(data[i] | (data[i + 1] << 8)), pendingHigh);
      i += 2;
    }
  }
  if (pendingHigh) out.push_back('?');
  return out;
}

std::string Cp1252ToUtf8(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (unsigned char c : text) {
    const std::uint16_t u = Cp1252ToUnicode(c);
    if (u < 0x80) {
      out.push_back(static_cast<char>(u));
    } else if (u < 0x800) {
      out.push_back(static_cast<char>(0xC0 | (u >> 6)));
      out.push_back(static_cast<char>(0x80 | (u & 0x3F)));
    } else {
      out.push_back(static_cast<char>(0xE0 | (u >> 12)));
      out.push_back(static_cast<char>(0x80 | ((u >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (u & 0x3F)));
    }
  }
  return out;
}

std::string Utf8ToCp1252(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  std::size_t i = 0;
  while (i < text.size()) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    std::size_t extra = 0;
    std::uint32_t cp = 0;
    if (c < 0x80) {
      out.push_back(static_cast<char>(c));
      ++i;
      continue;
    } else if ((c & 0xE0) == 0xC0) {
      extra = 1;
      cp = c & 0x1F;
    } else if ((c & 0xF0) == 0xE0) {
      extra = 2;
      cp = c & 0x0F;
    } else if ((c & 0xF8) == 0xF0) {
      extra = 3;
      cp = c & 0x07;
    } else {
      out.push_back('?');
      ++i;
      continue;
    }
    std::size_t n = 1;
    bool ok = true;
    for (; n <= extra; ++n) {
      if (i + n >= text.size() || (static_cast<unsigned char>(text[i + n]) & 0xC0) != 0x80) {
        ok = false;
        break;
      }
      cp = (cp << 6) | (static_cast<unsigned char>(text[i + n]) & 0x3F);
    }
    i += n;
    if (!ok || cp > 0xFFFF) {
      out.push_back('?');
      continue;
    }
    const std::uint8_t b = Utf16UnitToCp1252(static_cast<std::uint16_t>(cp));
    out.push_back(b == 0 && cp != 0 ? '?' : static_cast<char>(b));
  }
  return out;
}

namespace {
unsigned char FoldByte(unsigned char c) {
  if (c >= 'A' && c <= 'Z') return static_cast<unsigned char>(c + 32);
  if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return static_cast<unsigned char>(c + 32);
  switch (c) {
    case 0x8A: return 0x9A;  // S caron
    case 0x8C: return 0x9C;  // OE
    case 0x8E: return 0x9E;  // Z caron
    case 0x9F: return 0xFF;  // Y diaeresis
    default: return c;
  }
}
}  // namespace

std::string FoldCase(const std::string& text) {
  std::string out(text);
  for (char& c : out) c = static_cast<char>(FoldByte(static_cast<unsigned char>(c)));
  return out;
}

bool EqualsIgnoreCase(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (FoldByte(static_cast<unsigned char>(a[i])) != FoldByte(static_cast<unsigned char>(b[i]))) return false;
  }
  return true;
}

}  // namespace jet
