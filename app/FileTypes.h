// The shell's file types for handheld applications (.app) and databases (.tdb): opening such a
// file in the shell starts this program with the file's path.
#pragma once

#include <string>

struct FileTypeRow {
  std::string key;    // under HKEY_CLASSES_ROOT
  std::string value;  // the key's default value
};

// The eight rows, built from the run state's AppPath and ExeName: rows 0-3 the application
// group, rows 4-7 the database group.
void FileTypeRows(FileTypeRow (&rows)[8]);

// Writes a group only when its class key ("Tavlo_app", "Tavlo_dbfile") cannot be opened; an
// existing group is never rewritten, even when it points at another installation. Reports
// nothing.
void RegisterFileTypes();
