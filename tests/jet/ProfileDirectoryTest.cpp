// The profile directory's four queries over tables held in memory: what each answers for the
// awkward user lists the desktop suite can leave behind.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "profiles/ProfileDirectory.h"
#include "tests/jet/MemoryTableSource.h"

namespace {

using jet::ColumnType;
using jettest::Cell;
using jettest::MemoryTableSource;
using jettest::TextColumn;

using Rows = std::vector<std::vector<Cell>>;

Cell kNull() { return std::nullopt; }

// UserData as the suite makes it: more columns than the two we use, Path not next to UserName.
ProfileDatabase Profiles(Rows rows) {
  auto source = std::make_unique<MemoryTableSource>();
  source->Add("UserData",
              {{"ID", ColumnType::Long}, TextColumn("UserName"), {"Flags", ColumnType::Long},
               TextColumn("Path")},
              std::move(rows));
  source->Add("Settings", {TextColumn("Key"), TextColumn("Value")}, {{"a", "b"}});
  return ProfileDatabase(std::move(source));
}

ProfileDatabase TypicalProfiles() {
  return Profiles({
      {"1", "Zoe", "0", "Zoe\\"},
      {"2", "anna", "0", "Anna1\\"},
      {"3", "O'Brien", "0", "OBrien\\"},
      {"4", "ANNA", "0", "Anna2\\"},
      {"5", "\xC9mile", "0", "Emile\\"},  // Émile
      {"6", "", "0", "Blank\\"},
  });
}

TEST(ProfileLookup, BothFormsFindTheFirstStoredMatch) {
  ProfileDatabase db = TypicalProfiles();
  const std::pair<const char*, const char*> cases[] = {
      {"Zoe", "Zoe\\"},
      {"ZOE", "Zoe\\"},         // names compare without case
      {"Anna", "Anna1\\"},      // two rows match: the first stored one wins
      {"\xE9MILE", "Emile\\"},  // accented letters fold too
      {"O'Brien", "OBrien\\"},  // a quote in the name is part of the name
  };
  for (const auto& [name, path] : cases) {
    SCOPED_TRACE(name);
    EXPECT_EQ(FindUserFolderFragment(db, name, kSnapshot), std::optional<std::string>(path));
    EXPECT_EQ(FindUserFolderFragment(db, name, kDynaset), path);
  }
}

TEST(ProfileLookup, NoMatchIsAnAnswerForTheSnapshotAndAnErrorForTheDynaset) {
  ProfileDatabase db = Profiles({
      {"1", "Anna", "0", "Anna\\"},
      {"2", "Bo", "0", "Bo\\"},
      {"3", kNull(), "0", "Ghost\\"},
  });
  const char* names[] = {
      "",          // an empty name matches no row, not the null one
      "Ann",       // no prefix match
      "Anna ",     // no trimming
      "Emile",     // an accent is not ignored the way case is
      "x' OR UserName = 'Anna",  // crafted: must stay one literal and match nobody
      "' OR '1' = '1",
      "Anna'--",
      "'",
  };
  for (const char* name : names) {
    SCOPED_TRACE(name);
    EXPECT_EQ(FindUserFolderFragment(db, name, kSnapshot), std::nullopt);
    EXPECT_THROW(FindUserFolderFragment(db, name, kDynaset), ProfileDatabaseError);
  }
  // The connection is as it was after the failures.
  EXPECT_EQ(FindUserFolderFragment(db, "bo", kDynaset), "Bo\\");
}

TEST(ProfileList, NamesInAscendingOrderWithTiesInStoredOrder) {
  ProfileDatabase db = TypicalProfiles();
  EXPECT_EQ(ListUserNames(db), (std::vector<std::string>{"", "anna", "ANNA", "\xC9mile",
                                                         "O'Brien", "Zoe"}));
}

TEST(ProfileList, NullFieldsReadAsEmptyText) {
  ProfileDatabase db = Profiles({{"1", "Bo", "0", kNull()}, {"2", kNull(), "0", "X\\"}});
  EXPECT_EQ(ListUserNames(db), (std::vector<std::string>{"", "Bo"}));
  EXPECT_EQ(FindUserFolderFragment(db, "Bo", kSnapshot), std::optional<std::string>(""));
  const std::optional<UserProfile> first = FirstUser(db);
  ASSERT_TRUE(first);
  EXPECT_EQ(first->userName, "");
  EXPECT_EQ(first->path, "X\\");
}

TEST(ProfileFirstUser, FirstInNameOrderNotInStoredOrder) {
  ProfileDatabase db = Profiles({{"1", "Zoe", "0", "Zoe\\"}, {"2", "bo", "0", "Bo1\\"}, {"3", "Bo", "0", "Bo2\\"}});
  const std::optional<UserProfile> first = FirstUser(db);
  ASSERT_TRUE(first);
  EXPECT_EQ(first->userName, "bo");
  EXPECT_EQ(first->path, "Bo1\\");
}

TEST(ProfileEmpty, EmptyUserDataHasNoUsers) {
  ProfileDatabase db = Profiles({});
  EXPECT_TRUE(ListUserNames(db).empty());
  EXPECT_EQ(FirstUser(db), std::nullopt);
  EXPECT_EQ(FindUserFolderFragment(db, "Anna", kSnapshot), std::nullopt);
  EXPECT_THROW(FindUserFolderFragment(db, "Anna", kDynaset), ProfileDatabaseError);
}

// Each of the four queries, for tables that do not have what they need.
void ExpectEveryQueryFails(ProfileDatabase& db, const std::string& message) {
  const auto check = [&](auto&& query) {
    try {
      query();
      ADD_FAILURE() << "no error";
    } catch (const ProfileDatabaseError& e) {
      EXPECT_NE(std::string(e.what()).find(message), std::string::npos) << e.what();
    }
  };
  check([&] { ListUserNames(db); });
  check([&] { FindUserFolderFragment(db, "Anna", kSnapshot); });
  check([&] { FindUserFolderFragment(db, "Anna", kDynaset); });
  check([&] { FirstUser(db); });
}

TEST(ProfileFailures, MissingTableOrColumnsAreProfileDatabaseErrors) {
  {
    auto source = std::make_unique<MemoryTableSource>();
    source->Add("Users", {TextColumn("UserName"), TextColumn("Path")}, {{"Anna", "A\\"}});
    ProfileDatabase db(std::move(source));
    ExpectEveryQueryFails(db, "no such table 'UserData'");
  }
  {
    auto source = std::make_unique<MemoryTableSource>();
    source->Add("UserData", {TextColumn("Name"), TextColumn("Path")}, {{"Anna", "A\\"}});
    ProfileDatabase db(std::move(source));
    ExpectEveryQueryFails(db, "no such column 'UserName' in table 'UserData'");
  }
  {
    // FirstUser reads Path by name from SELECT *, so only there a missing Path shows.
    auto source = std::make_unique<MemoryTableSource>();
    source->Add("UserData", {TextColumn("UserName"), TextColumn("Folder")}, {{"Anna", "A\\"}});
    ProfileDatabase db(std::move(source));
    EXPECT_EQ(ListUserNames(db), std::vector<std::string>{"Anna"});
    EXPECT_THROW(FirstUser(db), ProfileDatabaseError);
    EXPECT_THROW(FindUserFolderFragment(db, "Anna", kSnapshot), ProfileDatabaseError);
  }
}

// A file that turns out damaged half-way through a scan.
class FailingSource : public MemoryTableSource {
 public:
  void ScanRows(const jet::TableDefinition& table, const std::vector<std::size_t>& columns,
                const RowVisitor& visit) const override {
    int rows = 0;
    MemoryTableSource::ScanRows(table, columns, [&](const std::vector<jet::Value>& fields) {
      if (++rows == 2) throw jet::Error("damaged data page 7");
      visit(fields);
    });
  }
};

TEST(ProfileFailures, EngineErrorsWhileReadingBecomeProfileDatabaseErrors) {
  auto source = std::make_unique<FailingSource>();
  source->Add("UserData", {TextColumn("UserName"), TextColumn("Path")},
              {{"Anna", "A\\"}, {"Bo", "B\\"}});
  ProfileDatabase db(std::move(source));
  ExpectEveryQueryFails(db, "damaged data page 7");
  EXPECT_TRUE(db.IsOpen());
}

TEST(ProfileConnection, ClosedConnectionRefusesQueriesAndClosingNeverFails) {
  ProfileDatabase db = TypicalProfiles();
  ASSERT_TRUE(db.IsOpen());
  CloseProfileDatabase(db);
  EXPECT_FALSE(db.IsOpen());
  ExpectEveryQueryFails(db, "not open");
  CloseProfileDatabase(db);  // again
  db.Close();

  ProfileDatabase never;  // as the run state holds it before start-up opens the file
  EXPECT_FALSE(never.IsOpen());
  ExpectEveryQueryFails(never, "not open");
  CloseProfileDatabase(never);
}

TEST(ProfileConnection, MovedConnectionKeepsAnsweringAndTheSourceLeaves) {
  ProfileDatabase db = TypicalProfiles();
  ProfileDatabase held = std::move(db);
  EXPECT_FALSE(db.IsOpen());
  EXPECT_EQ(FindUserFolderFragment(held, "zoe", kDynaset), "Zoe\\");
  EXPECT_THROW(ListUserNames(db), ProfileDatabaseError);
}

}  // namespace
