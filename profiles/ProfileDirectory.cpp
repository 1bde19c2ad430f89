#include "profiles/ProfileDirectory.h"

#include <algorithm>
#include <exception>
#include <utility>

#include "jet/Database.h"
#include "jet/Recordset.h"
#include "jet/Sql.h"

// A recordset registered with its connection for as long as it is open, so that closing the
// connection can close it first, and closed on every way out of the query that opened it.
class ScopedRecordset {
 public:
  ScopedRecordset(ProfileDatabase& db, const std::string& sql, jet::RecordsetType type)
      : db_(db), rs_(Source(db), sql, type) {
    db_.openRecordsets_.push_back(&rs_);
  }
  ScopedRecordset(const ScopedRecordset&) = delete;
  ScopedRecordset& operator=(const ScopedRecordset&) = delete;
  ~ScopedRecordset() {
    rs_.Close();
    auto& open = db_.openRecordsets_;
    open.erase(std::remove(open.begin(), open.end(), &rs_), open.end());
  }

  jet::Recordset* operator->() { return &rs_; }

 private:
  static const jet::TableSource& Source(ProfileDatabase& db) {
    if (!db.source_) throw jet::Error("the profile database is not open");
    return *db.source_;
  }

  ProfileDatabase& db_;
  jet::Recordset rs_;
};

namespace {

// Runs one operation and turns whatever it throws into the one failure kind.
template <typename Operation>
auto Guarded(Operation&& operation) -> decltype(operation()) {
  try {
    return operation();
  } catch (const ProfileDatabaseError&) {
    throw;
  } catch (const std::exception& e) {
    throw ProfileDatabaseError(e.what());
  }
}

// The name's quotes are doubled so that it stays one literal: a name such as O'Brien can be
// found, and a crafted name cannot widen the match to other users.
std::string LookupStatement(const std::string& name) {
  return "SELECT Path FROM UserData WHERE UserName = '" + jet::EscapeTextLiteral(name) + "'";
}

}  // namespace

ProfileDatabase::ProfileDatabase() = default;
ProfileDatabase::ProfileDatabase(std::unique_ptr<jet::TableSource> source)
    : source_(std::move(source)) {}
ProfileDatabase::ProfileDatabase(ProfileDatabase&& other) noexcept { *this = std::move(other); }

ProfileDatabase& ProfileDatabase::operator=(ProfileDatabase&& other) noexcept {
  if (this != &other) {
    Close();
    source_ = std::move(other.source_);
    // Only the query that opened a recordset may hold it, and it holds the connection by
    // reference; moving a connection with a query running is not a thing this program does.
    openRecordsets_ = std::move(other.openRecordsets_);
    other.openRecordsets_.clear();
  }
  return *this;
}

ProfileDatabase::~ProfileDatabase() { Close(); }

void ProfileDatabase::Close() noexcept {
  for (jet::Recordset* rs : openRecordsets_) rs->Close();
  // The scoped recordsets take themselves off the list when their query ends.
  source_.reset();
}

std::vector<std::string> ListUserNames(ProfileDatabase& db) {
  return Guarded([&] {
    ScopedRecordset rs(db, "SELECT UserName FROM UserData ORDER BY UserName ASC",
                       jet::RecordsetType::Dynaset);
    std::vector<std::string> names;
    names.reserve(rs->RecordCount());
    while (!rs->IsEOF()) {
      names.push_back(rs->Field(0).text);
      rs->MoveNext();
    }
    return names;
  });
}

std::optional<std::string> FindUserFolderFragment(ProfileDatabase& db, const std::string& name,
                                                  SnapshotForm) {
  return Guarded([&]() -> std::optional<std::string> {
    ScopedRecordset rs(db, LookupStatement(name), jet::RecordsetType::Snapshot);
    if (rs->RecordCount() == 0) return std::nullopt;
    return rs->Field("Path").text;
  });
}

std::string FindUserFolderFragment(ProfileDatabase& db, const std::string& name, DynasetForm) {
  return Guarded([&] {
    ScopedRecordset rs(db, LookupStatement(name), jet::RecordsetType::Dynaset);
    // With no row this read is what fails.
    return rs->Field(0).text;
  });
}

std::optional<UserProfile> FirstUser(ProfileDatabase& db) {
  return Guarded([&]() -> std::optional<UserProfile> {
    ScopedRecordset rs(db, "SELECT * FROM UserData ORDER BY UserName ASC",
                       jet::RecordsetType::Snapshot);
    if (rs->RecordCount() == 0) return std::nullopt;
    rs->MoveFirst();
    UserProfile user;
    user.userName = rs->Field("UserName").text;
    user.path = rs->Field("Path").text;
    return user;
  });
}

void CloseProfileDatabase(ProfileDatabase& db) noexcept { db.Close(); }
