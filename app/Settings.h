// The desktop suite's per-user settings that this program reads and writes.
#pragma once

#include <string>

// Under HKEY_CURRENT_USER. The desktop suite creates the key and its values; we never do.
inline constexpr const char SettingsKey[] = "SOFTWARE\\VB and VBA Program Settings\\ORVEN PDA\\TavloX";

// Every registry read is limited to this many bytes of data, terminating NUL included.
inline constexpr unsigned long kSettingsValueLimit = 250;

// Reads "AppPath", then "LastUser", into the run state. Stops at the first failure: a failure on
// "LastUser" leaves AppPath already set. All causes (no key, no value, too long) are one failure.
bool ReadSettings();

// Writes "LastUser" = name. Reports nothing. A name that ReadSettings could not read back (more
// than 249 characters) is not written, so the stored value stays readable.
void SaveLastUser(const std::string& name);
