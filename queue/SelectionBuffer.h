// Reading the Open dialog's result buffer: NUL-terminated strings, the first being a full path
// (one file chosen) or a folder (several chosen, their names following, an empty string last).
// Never reads past the buffer: a string that the buffer's end cuts off is not taken.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

// The string starting at `offset`; nullopt when the offset lies at or past the end or the
// string has no NUL before the end.
std::optional<std::string> StringAt(const char* buffer, std::size_t size, std::size_t offset);

// The names from `offset` on, up to the first empty string or the first cut-off one.
std::vector<std::string> NamesFrom(const char* buffer, std::size_t size, std::size_t offset);
