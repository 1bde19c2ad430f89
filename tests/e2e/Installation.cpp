#include "tests/e2e/Installation.h"

#include <windows.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace fs = std::filesystem;

namespace e2e {

namespace {

const char kSettingsKey[] = "SOFTWARE\\VB and VBA Program Settings\\ORVEN PDA\\TavloX";

void SetString(HKEY root, const char* key, const char* name, const std::string& value) {
  HKEY k;
  if (RegCreateKeyExA(root, key, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, nullptr) != ERROR_SUCCESS) return;
  RegSetValueExA(k, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                 static_cast<DWORD>(value.size() + 1));
  RegCloseKey(k);
}

std::optional<std::string> GetString(HKEY root, const char* key, const char* name) {
  HKEY k;
  if (RegOpenKeyExA(root, key, 0, KEY_READ, &k) != ERROR_SUCCESS) return std::nullopt;
  char data[2048] = {};
  DWORD size = sizeof data - 1;
  LONG rc = RegQueryValueExA(k, name, nullptr, nullptr, reinterpret_cast<BYTE*>(data), &size);
  RegCloseKey(k);
  if (rc != ERROR_SUCCESS) return std::nullopt;
  return std::string(data);
}

// Quenlo.exe as built, seen from inside Wine (its Z: drive is the Linux root).
std::string BuiltExe() {
  std::string path = QUENLO_EXE;
  std::replace(path.begin(), path.end(), '/', '\\');
  return "Z:" + path;
}

}  // namespace

std::vector<ProfileUser> DefaultUsers() {
  return {{"Sam Okafor", "SamO\\"}, {"Anna Berg", "AnnaB\\"}, {"Kim O'Neill", "KimO\\"}};
}

void Prepare(const Installation& installation) {
  std::error_code ignored;
  fs::remove_all(kAppPath, ignored);
  fs::remove_all(kSources, ignored);
  fs::create_directories(kAppPath);
  fs::create_directories(kSources);
  fs::copy_file(BuiltExe(), kInstalledExe, fs::copy_options::overwrite_existing);

  for (const ProfileUser& user : installation.users) fs::create_directories(kAppPath + "\\" + user.path + "Acc");
  const std::string profile = kAppPath + "\\Profile.mdb";
  if (installation.profile == Installation::Written) {
    WriteProfileDatabase(profile, installation.users);
  } else if (installation.profile == Installation::Damaged) {
    WriteProfileDatabase(profile, installation.users);
    std::string bytes = ReadFile(profile);
    bytes.resize(bytes.size() / 3);  // cut short in the middle of the catalog and data
    for (size_t i = 0x800; i < bytes.size(); i += 7) bytes[i] = static_cast<char>(bytes[i] ^ 0x5A);
    WriteFile(profile, bytes);
  }

  WriteFile(kSources + "\\a.app", "alpha application");
  WriteFile(kSources + "\\my game.app", "a game with a space in its name");
  WriteFile(kSources + "\\b.tdb", "beta database");

  RegDeleteTreeA(HKEY_CURRENT_USER, kSettingsKey);
  if (installation.settingsKey) {
    SetString(HKEY_CURRENT_USER, kSettingsKey, "AppPath", kAppPath);
    if (installation.lastUser) SetString(HKEY_CURRENT_USER, kSettingsKey, "LastUser", *installation.lastUser);
  }
  for (const char* key : {".app", "Tavlo_app", ".tdb", "Tavlo_dbfile"}) RegDeleteTreeA(HKEY_CLASSES_ROOT, key);
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::vector<std::string> FilesIn(const std::string& folder) {
  std::vector<std::string> names;
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(folder, ec)) names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

std::optional<std::string> ClassesValue(const std::string& key) {
  return GetString(HKEY_CLASSES_ROOT, key.c_str(), nullptr);
}

void SetClassesValue(const std::string& key, const std::string& value) {
  SetString(HKEY_CLASSES_ROOT, key.c_str(), nullptr, value);
}

std::optional<std::string> SettingsValue(const char* name) { return GetString(HKEY_CURRENT_USER, kSettingsKey, name); }

RunResult RunProgram(const std::string& exe, const std::string& arguments, const std::string& folder,
                     const std::string& caption) {
  RunResult result;
  driver::Process process(exe, arguments, folder);
  if (HWND box = driver::WaitForWindow(process, caption, 15000)) {
    result.messageShown = true;
    result.message = driver::ReadMessageBox(box);
    driver::Press(box, IDOK);
  }
  result.ended = process.WaitForExit(15000, result.exitCode);
  return result;
}

}  // namespace e2e
