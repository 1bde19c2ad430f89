#include "framework/CommandLine.h"

#include <gtest/gtest.h>

namespace {

using Args = std::vector<std::string>;

TEST(SplitCommandLine, FollowsTheRuntimeRules) {
  struct Case {
    const char* line;
    Args expected;
  };
  const Case cases[] = {
      {"Quenlo.exe", {"Quenlo.exe"}},
      {"", {""}},
      {"\"C:\\Program Files\\Tavlo Desktop\\Quenlo.exe\" \"C:\\x\\my game.app\"",
       {"C:\\Program Files\\Tavlo Desktop\\Quenlo.exe", "C:\\x\\my game.app"}},
      {"q.exe  a \t b   ", {"q.exe", "a", "b"}},
      {"q.exe /p C:\\x\\a.app", {"q.exe", "/p", "C:\\x\\a.app"}},
      {"q.exe \"\" C:\\x\\a.app", {"q.exe", "", "C:\\x\\a.app"}},
      {"q.exe a\"b c\"d", {"q.exe", "ab cd"}},
      // Backslashes count only before a quote.
      {"q.exe C:\\dir\\ x", {"q.exe", "C:\\dir\\", "x"}},
      {"q.exe a\\\\b", {"q.exe", "a\\\\b"}},
      {"q.exe a\\\"b", {"q.exe", "a\"b"}},
      {"q.exe a\\\\\"b c\"", {"q.exe", "a\\b c"}},
      {"q.exe a\\\\\\\"b", {"q.exe", "a\\\"b"}},
      {"q.exe \"C:\\dir\\\\\" next", {"q.exe", "C:\\dir\\", "next"}},
      {"q.exe \"C:\\dir\\\" next", {"q.exe", "C:\\dir\" next"}},
      // Two quotes inside quotes: one literal quote, quoting ends.
      {"q.exe \"a\"\"b c\"", {"q.exe", "a\"b", "c"}},
      // An unterminated quote runs to the end.
      {"q.exe \"a b", {"q.exe", "a b"}},
      // No wildcard expansion; the program name takes no escapes.
      {"q.exe *.app", {"q.exe", "*.app"}},
      {"\"C:\\a\\\"q.exe x", {"C:\\a\\", "q.exe", "x"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    EXPECT_EQ(c.expected, SplitCommandLine(c.line));
  }
}

TEST(FileToOpen, SkipsSwitchesAndEmptyArguments) {
  struct Case {
    Args arguments;
    const char* expected;
  };
  const Case cases[] = {
      {{"q.exe"}, ""},
      {{"q.exe", "C:\\x\\a.app"}, "C:\\x\\a.app"},
      {{"q.exe", "/p", "C:\\x\\a.app"}, "C:\\x\\a.app"},
      {{"q.exe", "-dde", "/p", "a.app"}, "a.app"},
      {{"q.exe", "", "C:\\x\\a.app"}, "C:\\x\\a.app"},
      {{"q.exe", "a.app", "b.app"}, "a.app"},
      {{"q.exe", "/p"}, ""},
      {{"a.app"}, ""},  // the program name is never the file
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.expected);
    EXPECT_EQ(c.expected, FileToOpen(c.arguments));
  }
}

}  // namespace
