#include "queue/SelectionBuffer.h"

#include <cstring>

std::optional<std::string> StringAt(const char* buffer, std::size_t size, std::size_t offset) {
  if (offset >= size) return std::nullopt;
  const void* nul = std::memchr(buffer + offset, '\0', size - offset);
  if (!nul) return std::nullopt;
  return std::string(buffer + offset, static_cast<const char*>(nul));
}

std::vector<std::string> NamesFrom(const char* buffer, std::size_t size, std::size_t offset) {
  std::vector<std::string> names;
  while (std::optional<std::string> name = StringAt(buffer, size, offset)) {
    if (name->empty()) break;
    offset += name->size() + 1;
    names.push_back(std::move(*name));
  }
  return names;
}
