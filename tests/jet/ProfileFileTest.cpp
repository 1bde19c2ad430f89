// The profile directory over real files: written by our Jet 3 writer, read back through the
// reader and the query layer, the way the program meets the suite's Profile.mdb.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cctype>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "jet/Writer.h"
#include "profiles/ProfileDirectory.h"

namespace {

namespace fs = std::filesystem;

class ProfileFile : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    dir_ = fs::temp_directory_path() /
           ("profile_file_test_" + std::to_string(::getpid()) + "_" + info->name());
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  // A UserData table shaped like the suite's: an ID first, the two columns we use, one more.
  std::string Write(const std::vector<std::pair<std::string, std::string>>& users,
                    const std::string& file = "Profile.mdb", const std::string& table = "UserData") {
    jet::TableSpec t;
    t.name = table;
    t.columns = {{"UserID", jet::ColumnType::Long, 0},
                 {"UserName", jet::ColumnType::Text, 64},
                 {"Path", jet::ColumnType::Text, 64},
                 {"Device", jet::ColumnType::Text, 32}};
    int id = 1;
    for (const auto& [name, path] : users) {
      t.rows.push_back({std::to_string(id++), name, path, std::nullopt});
    }
    const std::string path = (dir_ / file).string();
    jet::WriteJet3Database(path, {t});
    return path;
  }

  static std::string Bytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }

  fs::path dir_;
};

TEST_F(ProfileFile, FourQueriesOverAWrittenFile) {
  const std::string path = Write({
      {"Zoe", "Zoe\\"},
      {"anna", "Anna1\\"},
      {"O'Brien", "OBrien\\"},
      {"ANNA", "Anna2\\"},
      {"\xC9mile", "Emile\\"},  // Émile
  });
  const std::string before = Bytes(path);

  ProfileDatabase db = OpenProfileDatabase(path);
  EXPECT_EQ(ListUserNames(db),
            (std::vector<std::string>{"anna", "ANNA", "\xC9mile", "O'Brien", "Zoe"}));
  EXPECT_EQ(FindUserFolderFragment(db, "O'Brien", kSnapshot), std::optional<std::string>("OBrien\\"));
  EXPECT_EQ(FindUserFolderFragment(db, "o'brien", kDynaset), "OBrien\\");
  EXPECT_EQ(FindUserFolderFragment(db, "Anna", kSnapshot), std::optional<std::string>("Anna1\\"));
  EXPECT_EQ(FindUserFolderFragment(db, "Anna", kDynaset), "Anna1\\");
  EXPECT_EQ(FindUserFolderFragment(db, "\xE9MILE", kDynaset), "Emile\\");
  EXPECT_EQ(FindUserFolderFragment(db, "x' OR UserName = 'Zoe", kSnapshot), std::nullopt);
  EXPECT_THROW(FindUserFolderFragment(db, "x' OR UserName = 'Zoe", kDynaset), ProfileDatabaseError);
  EXPECT_EQ(FindUserFolderFragment(db, "", kSnapshot), std::nullopt);
  EXPECT_THROW(FindUserFolderFragment(db, "", kDynaset), ProfileDatabaseError);

  const std::optional<UserProfile> first = FirstUser(db);
  ASSERT_TRUE(first);
  EXPECT_EQ(first->userName, "anna");
  EXPECT_EQ(first->path, "Anna1\\");

  CloseProfileDatabase(db);
  EXPECT_FALSE(db.IsOpen());
  EXPECT_EQ(Bytes(path), before) << "the profile database was changed";
}

TEST_F(ProfileFile, EmptyUserDataHasNoUsers) {
  ProfileDatabase db = OpenProfileDatabase(Write({}));
  EXPECT_TRUE(ListUserNames(db).empty());
  EXPECT_EQ(FirstUser(db), std::nullopt);
  EXPECT_EQ(FindUserFolderFragment(db, "Anna", kSnapshot), std::nullopt);
  EXPECT_THROW(FindUserFolderFragment(db, "Anna", kDynaset), ProfileDatabaseError);
}

TEST_F(ProfileFile, FileWithoutUserDataFailsEveryQuery) {
  ProfileDatabase db = OpenProfileDatabase(Write({{"Anna", "A\\"}}, "Profile.mdb", "Users"));
  EXPECT_THROW(ListUserNames(db), ProfileDatabaseError);
  EXPECT_THROW(FindUserFolderFragment(db, "Anna", kSnapshot), ProfileDatabaseError);
  EXPECT_THROW(FindUserFolderFragment(db, "Anna", kDynaset), ProfileDatabaseError);
  EXPECT_THROW(FirstUser(db), ProfileDatabaseError);
}

TEST_F(ProfileFile, MissingOrForeignFileFailsToOpen) {
  const std::string missing = (dir_ / "Profile.mdb").string();
  EXPECT_THROW(OpenProfileDatabase(missing), ProfileDatabaseError);

  const std::string text = (dir_ / "notes.mdb").string();
  std::ofstream(text) << std::string(8192, 'x');
  EXPECT_THROW(OpenProfileDatabase(text), ProfileDatabaseError);

  EXPECT_THROW(OpenProfileDatabase(dir_.string()), ProfileDatabaseError);  // a folder
}

TEST_F(ProfileFile, ManyUsersKeepNameOrderAndFirstMatch) {
  // Enough rows to fill many data pages; each name appears twice, the second time upper-case.
  std::vector<std::pair<std::string, std::string>> users;
  for (int i = 0; i < 3000; ++i) {
    std::string name = "user" + std::to_string(2999 - i % 1500);
    if (i >= 1500) {
      for (char& c : name) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    users.push_back({name, "p" + std::to_string(i)});
  }
  ProfileDatabase db = OpenProfileDatabase(Write(users));
  const std::vector<std::string> names = ListUserNames(db);
  ASSERT_EQ(names.size(), 3000u);
  EXPECT_EQ(names[0], "user1500");
  EXPECT_EQ(names[1], "USER1500");
  EXPECT_EQ(names[2999], "USER2999");
  EXPECT_EQ(FindUserFolderFragment(db, "USER2000", kSnapshot), std::optional<std::string>("p999"));
  EXPECT_EQ(FindUserFolderFragment(db, "user2000", kDynaset), "p999");
  const std::optional<UserProfile> first = FirstUser(db);
  ASSERT_TRUE(first);
  EXPECT_EQ(first->path, "p1499");
}

}  // namespace
