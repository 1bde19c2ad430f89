// A queue folder: what the next synchronisation takes to the handheld. The folder's contents
// are the queue; there is no index. Nothing here knows of users or windows, and nothing
// reports an error: the next listing shows what the folder really holds.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "queue/SizeText.h"

struct QueueEntry {
  std::string name;      // as the file system reports it, without folder
  std::string sizeText;  // FormatSizeText of its size
};

// "*.app" matches, then "*.tdb" matches, each in the file system's order, whatever their
// attributes. `folder` ends in a backslash.
std::vector<QueueEntry> ListQueue(const std::string& folder);

// Copies what the Open dialog chose into `folder`, replacing files of the same names. The
// result is the dialog's buffer of `size` bytes and its offset of the first file name.
void QueueSelection(const char* buffer, std::size_t size, std::size_t firstNameOffset,
                    const std::string& folder);

// Deletes each named file from `folder`.
void RemoveFromQueue(const std::string& folder, const std::vector<std::string>& names);
