// The desktop suite's user list: its profile database, table UserData, read through our own
// engine. The program's only access to that file: opened once at start-up, asked four
// questions, closed at the end.
//
// Every failure of an operation here, whatever the engine reports, is a ProfileDatabaseError;
// the callers show their one message and end. Each query opens its own recordset, reads what
// it needs and closes it before returning, on the way out of a failure too.
#pragma once

#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace jet {
class TableSource;
class Recordset;
}  // namespace jet

class ProfileDatabaseError : public std::runtime_error {
 public:
  explicit ProfileDatabaseError(const std::string& message) : std::runtime_error(message) {}
};

// The open connection, held by the run state from start-up to the end of the run. A closed (or
// default-made) connection refuses every query with ProfileDatabaseError.
class ProfileDatabase {
 public:
  ProfileDatabase();
  // Over any table source; OpenProfileDatabase gives it the file, tests give it tables held in
  // memory.
  explicit ProfileDatabase(std::unique_ptr<jet::TableSource> source);
  ProfileDatabase(ProfileDatabase&&) noexcept;
  ProfileDatabase& operator=(ProfileDatabase&&) noexcept;
  ProfileDatabase(const ProfileDatabase&) = delete;
  ProfileDatabase& operator=(const ProfileDatabase&) = delete;
  ~ProfileDatabase();

  bool IsOpen() const { return source_ != nullptr; }

  // Closes any recordset still open on the connection, then the connection. Never fails.
  void Close() noexcept;

 private:
  friend class ScopedRecordset;
  std::unique_ptr<jet::TableSource> source_;
  std::vector<jet::Recordset*> openRecordsets_;
};

struct UserProfile {
  std::string userName;
  std::string path;  // the folder fragment that names the user's queue folder
};

// Opens the file (shared; our engine only ever reads it). A missing or damaged file throws.
ProfileDatabase OpenProfileDatabase(const std::string& path);

// All user names in ascending name order (case ignored, equal names in stored order).
std::vector<std::string> ListUserNames(ProfileDatabase& db);

// The Path of the first row whose UserName equals `name` (case ignored). The two forms differ
// in the recordset they open and in how they answer when no row matches: the snapshot form
// with nullopt, the dynaset form with ProfileDatabaseError.
struct SnapshotForm {};
struct DynasetForm {};
inline constexpr SnapshotForm kSnapshot{};
inline constexpr DynasetForm kDynaset{};
std::optional<std::string> FindUserFolderFragment(ProfileDatabase& db, const std::string& name,
                                                  SnapshotForm);
std::string FindUserFolderFragment(ProfileDatabase& db, const std::string& name, DynasetForm);

// The first user in ascending name order, or nullopt when UserData is empty.
std::optional<UserProfile> FirstUser(ProfileDatabase& db);

// Same as db.Close(): never fails.
void CloseProfileDatabase(ProfileDatabase& db) noexcept;
