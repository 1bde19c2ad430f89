#include "queue/SizeText.h"

#include <gtest/gtest.h>

namespace {

TEST(FormatSizeText, Figures) {
  const std::pair<std::uint64_t, const char*> cases[] = {
      {0, " 0.0 KB"},          {512, " 0.5 KB"},          {1023, " 1.0 KB"},
      {10240, "10.0 KB"},      {1048575, "1024.0 KB"},    {1048525, "1024.0 KB"},
      {1048524, "1023.9 KB"},  {1048576, " 1.0 MB"},      {5000000, " 4.8 MB"},
      {123456789, "117.7 MB"}, {3000000000u, "2861.0 MB"}, {256, " 0.3 KB"},
      {1280, " 1.3 KB"},       {1310720, " 1.3 MB"},      {255, " 0.2 KB"},
      {10485760, "10.0 MB"},   {UINT64_MAX, "17592186044416.0 MB"},
  };
  for (const auto& [bytes, text] : cases) {
    SCOPED_TRACE(bytes);
    EXPECT_EQ(text, FormatSizeText(bytes));
  }
}

// Exact halves round up: 1024k + 256 bytes and 1048576k + 262144 bytes, where a formatter
// rounding halves to even would go down for even tenths.
TEST(FormatSizeText, ExactHalvesRoundUp) {
  for (std::uint64_t k = 0; k < 1024; ++k) {
    const std::uint64_t bytes = 1024 * k + 256;
    if (bytes >= 1048576) break;
    const std::uint64_t tenths = k * 10 + 3;  // k.25 -> k.3
    std::string expected = std::to_string(tenths / 10) + "." + std::to_string(tenths % 10);
    expected.insert(0, expected.size() < 4 ? 4 - expected.size() : 0, ' ');
    ASSERT_EQ(expected + " KB", FormatSizeText(bytes)) << bytes;
  }
  for (std::uint64_t k = 1; k < 5000; ++k) {
    const std::uint64_t bytes = 1048576 * k + 262144;
    const std::uint64_t tenths = k * 10 + 3;
    std::string expected = std::to_string(tenths / 10) + "." + std::to_string(tenths % 10);
    expected.insert(0, expected.size() < 4 ? 4 - expected.size() : 0, ' ');
    ASSERT_EQ(expected + " MB", FormatSizeText(bytes)) << bytes;
  }
}

}  // namespace
