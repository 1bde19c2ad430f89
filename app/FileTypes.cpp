#include "app/FileTypes.h"

#include <windows.h>

#include "app/RunState.h"

void FileTypeRows(FileTypeRow (&rows)[8]) {
  const std::string program = RunState::AppPath() + "\\" + RunState::ExeName();
  const std::string open = "\"" + program + "\" \"%1\"";
  rows[0] = {".app", "Tavlo_app"};
  rows[1] = {"Tavlo_app", "Tavlo Application File"};
  rows[2] = {"Tavlo_app\\shell\\open\\command", open};
  rows[3] = {"Tavlo_app\\DefaultIcon", program + ",0"};  // first icon: the application's
  rows[4] = {".tdb", "Tavlo_dbfile"};
  rows[5] = {"Tavlo_dbfile", "Tavlo Database File"};
  rows[6] = {"Tavlo_dbfile\\shell\\open\\command", open};
  rows[7] = {"Tavlo_dbfile\\DefaultIcon", program + ",2"};  // third icon: the database file's
}

namespace {

bool ClassKeyExists(const std::string& name) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_CLASSES_ROOT, name.c_str(), 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS)
    return false;
  RegCloseKey(key);
  return true;
}

void WriteRow(const FileTypeRow& row) {
  HKEY key = nullptr;
  DWORD disposition = 0;
  if (RegCreateKeyExA(HKEY_CLASSES_ROOT, row.key.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                      KEY_ALL_ACCESS, nullptr, &key, &disposition) != ERROR_SUCCESS)
    return;
  RegSetValueExA(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(row.value.c_str()),
                 static_cast<DWORD>(row.value.size() + 1));
  RegCloseKey(key);
}

void RegisterGroup(const FileTypeRow* group) {
  if (ClassKeyExists(group[1].key)) return;
  for (int i = 0; i < 4; ++i) WriteRow(group[i]);
}

}  // namespace

void RegisterFileTypes() {
  FileTypeRow rows[8];
  FileTypeRows(rows);
  RegisterGroup(rows);
  RegisterGroup(rows + 4);
}
