// A desktop-suite installation in the test prefix, laid out afresh for every case: settings,
// profile database, queue folders, source files to queue, and no shell file types.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "tests/e2e/Driver.h"
#include "tools/ProfileWriter.h"

namespace e2e {

inline const std::string kAppPath = "C:\\Program Files\\Tavlo Desktop";
inline const std::string kInstalledExe = kAppPath + "\\Quenlo.exe";
inline const std::string kSources = "C:\\x";  // where the user keeps files to queue

// Users in stored order; by name, Anna Berg comes first.
std::vector<ProfileUser> DefaultUsers();

struct Installation {
  std::optional<std::string> lastUser = std::string("Sam Okafor");
  bool settingsKey = true;
  std::vector<ProfileUser> users = DefaultUsers();
  enum { Written, Missing, Damaged } profile = Written;
};

// Lays the installation out, removing whatever an earlier case left.
void Prepare(const Installation& installation);

std::string ReadFile(const std::string& path);  // empty when absent
void WriteFile(const std::string& path, const std::string& bytes);
bool Exists(const std::string& path);
// Files in a folder, names only, sorted.
std::vector<std::string> FilesIn(const std::string& folder);

// The default value of a key under HKEY_CLASSES_ROOT; nullopt when the key is missing.
std::optional<std::string> ClassesValue(const std::string& key);
void SetClassesValue(const std::string& key, const std::string& value);
std::optional<std::string> SettingsValue(const char* name);

struct RunResult {
  bool ended = false;
  DWORD exitCode = 0;
  bool messageShown = false;
  driver::MessageBoxContent message;
};

// Starts the program with these arguments in this folder. When a window with `caption` shows,
// it is read and answered with OK; then the end is waited for.
RunResult RunProgram(const std::string& exe, const std::string& arguments, const std::string& folder,
                     const std::string& caption = "Quenlo");

}  // namespace e2e
