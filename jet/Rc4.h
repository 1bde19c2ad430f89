// RC4, which Jet uses to scramble the header page and, when the database key is set, every
// other page.
#pragma once

#include <cstddef>
#include <cstdint>

namespace jet {

// XORs `data` with the RC4 key stream of `key`; applying it twice restores the input.
void Rc4Apply(const std::uint8_t* key, std::size_t keyLength, std::uint8_t* data, std::size_t length);

}  // namespace jet
