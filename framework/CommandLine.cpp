#include "framework/CommandLine.h"

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

}  // namespace

std::vector<std::string> SplitCommandLine(const std::string& line) {
  std::vector<std::string> arguments;
  size_t i = 0;
  const size_t n = line.size();

  // The program name: no escapes, a quoted name may hold blanks.
  std::string program;
  if (i < n && line[i] == '"') {
    ++i;
    while (i < n && line[i] != '"') program += line[i++];
    if (i < n) ++i;  // what follows the closing quote starts the next argument
  } else {
    while (i < n && !IsBlank(line[i])) program += line[i++];
  }
  arguments.push_back(program);

  for (;;) {
    while (i < n && IsBlank(line[i])) ++i;
    if (i >= n) break;

    std::string argument;
    bool quoted = false;
    while (i < n && (quoted || !IsBlank(line[i]))) {
      size_t backslashes = 0;
      while (i < n && line[i] == '\\') {
        ++backslashes;
        ++i;
      }
      if (i < n && line[i] == '"') {
        argument.append(backslashes / 2, '\\');
        if (backslashes % 2 == 1) {
          argument += '"';
          ++i;
          continue;
        }
        if (quoted && i + 1 < n && line[i + 1] == '"') {
          argument += '"';  // "" inside quotes: one literal quote, and the quoted part ends
          ++i;
        }
        quoted = !quoted;
        ++i;
        continue;
      }
      argument.append(backslashes, '\\');
      if (backslashes == 0 && i < n) argument += line[i++];
    }
    arguments.push_back(argument);
  }
  return arguments;
}

std::string FileToOpen(const std::vector<std::string>& arguments) {
  for (size_t k = 1; k < arguments.size(); ++k) {
    const std::string& a = arguments[k];
    if (a.empty() || a[0] == '-' || a[0] == '/') continue;
    return a;
  }
  return {};
}
