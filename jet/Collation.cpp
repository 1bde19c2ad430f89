#include "jet/Collation.h"

#include <array>

namespace jet {
namespace {

struct Tables {
  std::array<unsigned char, 256> fold{};
  std::array<unsigned char, 256> base{};  // folded, then stripped of its accent
};

Tables MakeTables() {
  Tables t;
  for (int c = 0; c < 256; ++c) t.fold[c] = static_cast<unsigned char>(c);
  for (int c = 'A'; c <= 'Z'; ++c) t.fold[c] = static_cast<unsigned char>(c + 0x20);
  t.fold[0x8A] = 0x9A;  // Š
  t.fold[0x8C] = 0x9C;  // Œ
  t.fold[0x8E] = 0x9E;  // Ž
  t.fold[0x9F] = 0xFF;  // Ÿ
  for (int c = 0xC0; c <= 0xDE; ++c) {
    if (c != 0xD7) t.fold[c] = static_cast<unsigned char>(c + 0x20);  // × has no pair
  }

  t.base = t.fold;
  auto range = [&t](int first, int last, char letter) {
    for (int c = first; c <= last; ++c) t.base[c] = static_cast<unsigned char>(letter);
  };
  range(0xE0, 0xE6, 'a');  // à..å, æ
  range(0xE7, 0xE7, 'c');
  range(0xE8, 0xEB, 'e');
  range(0xEC, 0xEF, 'i');
  range(0xF0, 0xF0, 'd');  // ð
  range(0xF1, 0xF1, 'n');
  range(0xF2, 0xF6, 'o');
  range(0xF8, 0xF8, 'o');
  range(0xF9, 0xFC, 'u');
  range(0xFD, 0xFD, 'y');
  range(0xFF, 0xFF, 'y');
  range(0x9A, 0x9A, 's');  // š
  range(0x9C, 0x9C, 'o');  // œ
  range(0x9E, 0x9E, 'z');  // ž
  range(0xDF, 0xDF, 's');  // ß
  // The upper-case forms go through fold first, so they need no entries of their own.
  for (int c = 0; c < 256; ++c) t.base[c] = t.base[t.fold[c]];
  return t;
}

const Tables& TheTables() {
  static const Tables tables = MakeTables();
  return tables;
}

int CompareWith(const std::array<unsigned char, 256>& map, std::string_view a,
                std::string_view b) {
  const std::size_t n = a.size() < b.size() ? a.size() : b.size();
  for (std::size_t i = 0; i < n; ++i) {
    const int x = map[static_cast<unsigned char>(a[i])];
    const int y = map[static_cast<unsigned char>(b[i])];
    if (x != y) return x - y;
  }
  if (a.size() == b.size()) return 0;
  return a.size() < b.size() ? -1 : 1;
}

}  // namespace

unsigned char FoldCase1252(unsigned char c) { return TheTables().fold[c]; }

bool TextEqual(std::string_view a, std::string_view b) {
  return a.size() == b.size() && CompareWith(TheTables().fold, a, b) == 0;
}

int CompareText(std::string_view a, std::string_view b) {
  const Tables& t = TheTables();
  if (int primary = CompareWith(t.base, a, b)) return primary;
  return CompareWith(t.fold, a, b);
}

}  // namespace jet
