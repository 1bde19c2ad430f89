#include "queue/SelectionBuffer.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

using Names = std::vector<std::string>;

TEST(SelectionBuffer, WalksBothForms) {
  const char one[] = "C:\\x\\a.app\0\0";
  EXPECT_EQ("C:\\x\\a.app", StringAt(one, sizeof one, 0));
  EXPECT_EQ(Names{"a.app"}, NamesFrom(one, sizeof one, 5));

  const char several[] = "C:\\x\0a.app\0my game.tdb\0\0";
  EXPECT_EQ("C:\\x", StringAt(several, sizeof several, 0));
  EXPECT_EQ((Names{"a.app", "my game.tdb"}), NamesFrom(several, sizeof several, 5));

  const char empty[16] = {};
  EXPECT_EQ("", StringAt(empty, sizeof empty, 0));
  EXPECT_EQ(Names{}, NamesFrom(empty, sizeof empty, 0));
}

TEST(SelectionBuffer, NeverReadsPastTheEnd) {
  // Full to its last byte: the last name has no NUL and is not taken.
  char full[23];  // the literal's own closing NUL is left out
  std::memcpy(full, "C:\\x\0a.app\0b.app\0cut.ap", sizeof full);
  EXPECT_EQ((Names{"a.app", "b.app"}), NamesFrom(full, sizeof full, 5));

  // No NUL anywhere: not even the first string.
  char noNul[8];
  std::memset(noNul, 'x', sizeof noNul);
  EXPECT_FALSE(StringAt(noNul, sizeof noNul, 0));
  EXPECT_EQ(Names{}, NamesFrom(noNul, sizeof noNul, 3));

  // An offset at or past the end.
  const char buffer[8] = "C:\\x";
  EXPECT_FALSE(StringAt(buffer, sizeof buffer, 8));
  EXPECT_EQ(Names{}, NamesFrom(buffer, sizeof buffer, 8));
  EXPECT_EQ(Names{}, NamesFrom(buffer, sizeof buffer, 5000));
}

}  // namespace
