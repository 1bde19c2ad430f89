// Opening the file is the one operation that needs the file reader; apart from the queries so
// that they can be built and tested over tables held in memory.
#include <exception>

#include "jet/Database.h"
#include "profiles/ProfileDirectory.h"

ProfileDatabase OpenProfileDatabase(const std::string& path) {
  try {
    return ProfileDatabase(jet::Database::Open(path));
  } catch (const std::exception& e) {
    throw ProfileDatabaseError(e.what());
  }
}
