// Writes a profile database as the desktop suite lays it out: table UserData with the user's
// name, folder fragment and a few columns of the suite's own. For tests, the demo and benchmarks.
#pragma once

#include <string>
#include <vector>

struct ProfileUser {
  std::string name, path;
};

// Rows in the given order (duplicates kept); an empty list gives an empty UserData table.
// Throws jet::Error when the writer refuses the data.
void WriteProfileDatabase(const std::string& file, const std::vector<ProfileUser>& users);
