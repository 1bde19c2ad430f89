// The settings against Wine's real registry. Each case writes the suite's key exactly as it
// wants it (raw bytes and types, so values without a NUL or of other types can be made), then
// reads it the way start-up does.
#include <gtest/gtest.h>
#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "app/RunState.h"
#include "app/Settings.h"

namespace {

struct RawValue {
  DWORD type;
  std::string bytes;  // exactly the data stored, NULs included
};

RawValue Sz(const std::string& text) { return {REG_SZ, text + '\0'}; }

void DeleteSettingsKey() { RegDeleteTreeA(HKEY_CURRENT_USER, SettingsKey); }

bool SettingsKeyExists() {
  HKEY key;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, SettingsKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  RegCloseKey(key);
  return true;
}

void WriteSettingsKey(const std::optional<RawValue>& appPath, const std::optional<RawValue>& lastUser) {
  DeleteSettingsKey();
  HKEY key;
  ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, SettingsKey, 0, nullptr, 0,
                                           KEY_ALL_ACCESS, nullptr, &key, nullptr));
  auto set = [&](const char* name, const RawValue& v) {
    ASSERT_EQ(ERROR_SUCCESS, RegSetValueExA(key, name, 0, v.type,
                                            reinterpret_cast<const BYTE*>(v.bytes.data()),
                                            static_cast<DWORD>(v.bytes.size())));
  };
  if (appPath) set("AppPath", *appPath);
  if (lastUser) set("LastUser", *lastUser);
  RegCloseKey(key);
}

// The raw "LastUser" value as stored, or nothing when it is absent.
std::optional<RawValue> StoredLastUser() {
  HKEY key;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, SettingsKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
    return std::nullopt;
  char data[4096];
  DWORD type = 0, size = sizeof data;
  LONG rc = RegQueryValueExA(key, "LastUser", nullptr, &type, reinterpret_cast<BYTE*>(data), &size);
  RegCloseKey(key);
  if (rc != ERROR_SUCCESS) return std::nullopt;
  return RawValue{type, std::string(data, size)};
}

class SettingsTest : public ::testing::Test {
 protected:
  void SetUp() override { RunState::Reset(); }
  void TearDown() override { DeleteSettingsKey(); }
};

struct ReadCase {
  const char* what;
  bool keyExists;
  std::optional<RawValue> appPath, lastUser;
  bool ok;
  std::string expectAppPath, expectLastUser;
};

TEST_F(SettingsTest, ReadSettingsCases) {
  const std::string c249(249, 'x'), c250(250, 'y');
  const std::vector<ReadCase> cases = {
      {"key missing", false, {}, {}, false, "", ""},
      {"AppPath missing: nothing read", true, {}, Sz("Anna"), false, "", ""},
      {"LastUser missing is a failure, AppPath stays read", true, Sz("C:\\Tavlo"), {}, false, "C:\\Tavlo", ""},
      {"plain values", true, Sz("C:\\Program Files\\Tavlo Desktop"), Sz("Anna Berg"), true,
       "C:\\Program Files\\Tavlo Desktop", "Anna Berg"},
      {"LastUser with no data at all", true, Sz("C:\\Tavlo"), RawValue{REG_SZ, ""}, true, "C:\\Tavlo", ""},
      {"LastUser holding just its NUL", true, Sz("C:\\Tavlo"), Sz(""), true, "C:\\Tavlo", ""},
      {"AppPath with no data", true, RawValue{REG_SZ, ""}, Sz("Anna"), true, "", "Anna"},
      {"249 characters and NUL read whole", true, Sz(c249), Sz(c249), true, c249, c249},
      // Wine's ANSI layer hands REG_SZ data back with a NUL added, so the case of exactly 250
      // bytes and no NUL uses binary data, whose bytes come back as stored.
      {"250 bytes without NUL read whole", true, RawValue{REG_BINARY, c250}, RawValue{REG_BINARY, c250}, true,
       c250, c250},
      {"AppPath of 251 bytes fails", true, Sz(c250), Sz("Anna"), false, "", ""},
      {"LastUser of 251 bytes fails", true, Sz("C:\\Tavlo"), Sz(c250), false, "C:\\Tavlo", ""},
      {"data without terminating NUL", true, RawValue{REG_SZ, "C:\\Tavlo"}, RawValue{REG_SZ, "Anna"}, true,
       "C:\\Tavlo", "Anna"},
      {"embedded NUL cuts the text", true, RawValue{REG_SZ, std::string("C:\\Tav\0lo\0", 10)},
       RawValue{REG_SZ, std::string("An\0na\0", 6)}, true, "C:\\Tav", "An"},
      {"binary value read as its bytes", true, RawValue{REG_BINARY, "C:\\Bin"}, RawValue{REG_BINARY, "Bo"},
       true, "C:\\Bin", "Bo"},
      {"expandable string not expanded", true, RawValue{REG_EXPAND_SZ, std::string("%WINDIR%\\T\0", 11)},
       Sz("Anna"), true, "%WINDIR%\\T", "Anna"},
      {"number read as its bytes", true, RawValue{REG_DWORD, std::string("abc\0", 4)}, Sz("Anna"), true, "abc",
       "Anna"},
      {"Windows-1252 letters pass through", true, Sz("C:\\Tavlo \xC5r"), Sz("J\xF6rg M\xFCller"), true,
       "C:\\Tavlo \xC5r", "J\xF6rg M\xFCller"},
  };
  for (const ReadCase& c : cases) {
    SCOPED_TRACE(c.what);
    RunState::Reset();
    if (c.keyExists)
      WriteSettingsKey(c.appPath, c.lastUser);
    else
      DeleteSettingsKey();
    EXPECT_EQ(c.ok, ReadSettings());
    EXPECT_EQ(c.expectAppPath, RunState::AppPath());
    EXPECT_EQ(c.expectLastUser, RunState::LastUser());
  }
}

TEST_F(SettingsTest, ReadingNeverCreatesOrChangesTheKey) {
  DeleteSettingsKey();
  EXPECT_FALSE(ReadSettings());
  EXPECT_FALSE(SettingsKeyExists());

  WriteSettingsKey(Sz("C:\\Tavlo"), RawValue{REG_BINARY, "Anna"});
  EXPECT_TRUE(ReadSettings());
  auto stored = StoredLastUser();
  ASSERT_TRUE(stored);
  EXPECT_EQ(static_cast<DWORD>(REG_BINARY), stored->type);  // nothing was written back
  EXPECT_EQ("Anna", stored->bytes);
}

TEST_F(SettingsTest, PathsAreBuiltByPlainConcatenation) {
  struct Case {
    const char* appPath;
    const char* fragment;
    const char* queueFolder;
    const char* extras;
  };
  const Case cases[] = {
      {"C:\\Program Files\\Tavlo Desktop", "Sam\\", "C:\\Program Files\\Tavlo Desktop\\Sam\\Acc\\",
       "C:\\Program Files\\Tavlo Desktop\\Extras"},
      {"C:\\Program Files\\Tavlo Desktop", "Sam", "C:\\Program Files\\Tavlo Desktop\\SamAcc\\",
       "C:\\Program Files\\Tavlo Desktop\\Extras"},
      {"C:\\Tavlo\\", "Sam\\", "C:\\Tavlo\\\\Sam\\Acc\\", "C:\\Tavlo\\\\Extras"},
      {"C:\\Tavlo\\", "Sam", "C:\\Tavlo\\\\SamAcc\\", "C:\\Tavlo\\\\Extras"},
      {"C:\\Tavlo", "", "C:\\Tavlo\\Acc\\", "C:\\Tavlo\\Extras"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.appPath) + " + " + c.fragment);
    RunState::Reset();
    WriteSettingsKey(Sz(c.appPath), Sz("Sam"));
    ASSERT_TRUE(ReadSettings());
    EXPECT_EQ(c.queueFolder, ComposeQueueFolder(c.fragment));
    EXPECT_EQ(c.extras, ExtrasFolder());
    EXPECT_EQ(std::string(c.appPath) + "\\Profile.mdb", ComposeProfilePath());
  }
}

TEST_F(SettingsTest, SaveLastUserRoundTrips) {
  const std::string names[] = {"Anna", "", "Anna Berg-O'Neil", "J\xF6rg M\xFCller", std::string(249, 'n')};
  for (const std::string& name : names) {
    SCOPED_TRACE(name);
    WriteSettingsKey(Sz("C:\\Tavlo"), Sz("Before"));
    SaveLastUser(name);
    auto stored = StoredLastUser();
    ASSERT_TRUE(stored);
    EXPECT_EQ(static_cast<DWORD>(REG_SZ), stored->type);
    EXPECT_EQ(name + '\0', stored->bytes);  // the name and one NUL, nothing more
    RunState::Reset();
    ASSERT_TRUE(ReadSettings());
    EXPECT_EQ(name, RunState::LastUser());
  }
}

TEST_F(SettingsTest, SaveLastUserKeepsAValueThatCouldNotBeReadBack) {
  for (size_t length : {250u, 251u, 1000u}) {
    SCOPED_TRACE(length);
    WriteSettingsKey(Sz("C:\\Tavlo"), Sz("Before"));
    SaveLastUser(std::string(length, 'n'));
    auto stored = StoredLastUser();
    ASSERT_TRUE(stored);
    EXPECT_EQ(std::string("Before") + '\0', stored->bytes);
    RunState::Reset();
    EXPECT_TRUE(ReadSettings());
    EXPECT_EQ("Before", RunState::LastUser());
  }
}

TEST_F(SettingsTest, SaveLastUserWithoutTheKeyCreatesNothing) {
  DeleteSettingsKey();
  SaveLastUser("Anna");
  EXPECT_FALSE(SettingsKeyExists());
}

}  // namespace
