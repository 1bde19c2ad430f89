#include "app/Settings.h"

#include <windows.h>

#include <cstring>

#include "app/RunState.h"

namespace {

// One value through a 250-byte buffer. The type is not tested: whatever the value holds is
// read as bytes, and the text ends at the first NUL (or at the end of the data).
bool QueryText(HKEY key, const char* name, std::string& text) {
  char buffer[kSettingsValueLimit];
  DWORD size = kSettingsValueLimit;
  if (RegQueryValueExA(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(buffer), &size) !=
      ERROR_SUCCESS)
    return false;
  if (size > sizeof buffer) size = sizeof buffer;  // never trust the length beyond our buffer
  const void* nul = std::memchr(buffer, '\0', size);
  text.assign(buffer, nul ? static_cast<const char*>(nul) - buffer : size);
  return true;
}

}  // namespace

bool ReadSettings() {
  // All access rights, the same as for writing: the suite's own tools open the key this way.
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, SettingsKey, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS)
    return false;

  std::string appPath;
  bool ok = QueryText(key, "AppPath", appPath);
  if (ok) {
    RunState::SetAppPath(appPath);
    std::string lastUser;
    ok = QueryText(key, "LastUser", lastUser);
    if (ok) RunState::SetLastUser(lastUser);
  }
  RegCloseKey(key);
  return ok;
}

void SaveLastUser(const std::string& name) {
  // A value longer than the read limit would make every later start-up fail; keep the old one.
  const DWORD length = static_cast<DWORD>(name.size() + 1);
  if (name.size() >= kSettingsValueLimit) return;

  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, SettingsKey, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS)
    return;  // the suite is not installed for this user: nothing to write to, nothing to say
  RegSetValueExA(key, "LastUser", 0, REG_SZ, reinterpret_cast<const BYTE*>(name.c_str()), length);
  RegCloseKey(key);
}
