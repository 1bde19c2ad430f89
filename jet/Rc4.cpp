#include "jet/Rc4.h"

#include <utility>

namespace jet {

void Rc4Apply(const std::uint8_t* key, std::size_t keyLength, std::uint8_t* data, std::size_t length) {
  std::uint8_t s[256];
  for (int i = 0; i < 256; ++i) s[i] = static_cast<std::uint8_t>(i);
  std::uint8_t j = 0;
  for (int i = 0; i < 256; ++i) {
    j = static_cast<std::uint8_t>(j + s[i] + key[static_cast<std::size_t>(i) % keyLength]);
    std::swap(s[i], s[j]);
  }
  std::uint8_t a = 0;
  std::uint8_t b = 0;
  for (std::size_t n = 0; n < length; ++n) {
    a = static_cast<std::uint8_t>(a + 1);
    b = static_cast<std::uint8_t>(b + s[a]);
    std::swap(s[a], s[b]);
    data[n] ^= s[static_cast<std::uint8_t>(s[a] + s[b])];
  }
}

}  // namespace jet
