#include "jet/Bytes.h"

namespace jet {

std::string Hex(std::size_t value, int digits) {
  static const char kDigits[] = "0123456789ABCDEF";
  std::string out;
  do {
    out.insert(out.begin(), kDigits[value & 15]);
    value >>= 4;
  } while (value != 0);
  while (static_cast<int>(out.size()) < digits) out.insert(out.begin(), '0');
  return "0x" + out;
}

const std::string& Bytes::where() const {
  static const std::string kUnnamed = "data";
  return where_ != nullptr ? *where_ : kUnnamed;
}

void Bytes::Fail(std::size_t offset, std::size_t length) const {
  throw Error(where() + ": " + std::to_string(length) + " byte(s) at offset " + Hex(offset) +
              " run past the end (" + Hex(size_) + ")");
}

}  // namespace jet
