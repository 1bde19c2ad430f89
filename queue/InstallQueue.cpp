#include "queue/InstallQueue.h"

#include <windows.h>

#include "queue/SelectionBuffer.h"

namespace {

void AppendMatches(const std::string& pattern, std::vector<QueueEntry>& entries) {
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA(pattern.c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return;
  do {
    const std::uint64_t size = (std::uint64_t{found.nFileSizeHigh} << 32) | found.nFileSizeLow;
    entries.push_back({found.cFileName, FormatSizeText(size)});
  } while (FindNextFileA(search, &found));
  FindClose(search);
}

}  // namespace

std::vector<QueueEntry> ListQueue(const std::string& folder) {
  std::vector<QueueEntry> entries;
  AppendMatches(folder + "*.app", entries);
  AppendMatches(folder + "*.tdb", entries);
  return entries;
}

void QueueSelection(const char* buffer, std::size_t size, std::size_t firstNameOffset,
                    const std::string& folder) {
  const std::optional<std::string> first = StringAt(buffer, size, 0);
  if (!first) return;  // cut off by the buffer's end: no path to copy from
  const std::vector<std::string> names = NamesFrom(buffer, size, firstNameOffset);
  const std::string name = names.empty() ? std::string() : names.front();

  // One file chosen: the first string is its full path.
  if (CopyFileA(first->c_str(), (folder + name).c_str(), FALSE)) return;

  // Several: the first string is their folder.
  for (const std::string& each : names)
    CopyFileA((*first + "\\" + each).c_str(), (folder + each).c_str(), FALSE);
}

void RemoveFromQueue(const std::string& folder, const std::vector<std::string>& names) {
  for (const std::string& name : names) DeleteFileA((folder + name).c_str());
}
