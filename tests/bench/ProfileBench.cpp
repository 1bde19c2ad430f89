// What one run of the program asks of a profile database, timed in-process:
// open + ListUserNames + FirstUser + 100 lookups spread over the user list.
//   profile_bench FILE   prints "seconds=<s> maxrss_kb=<kb>"
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <string>

#include "profiles/ProfileDirectory.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: profile_bench FILE\n");
    return 2;
  }
  const auto start = std::chrono::steady_clock::now();
  size_t found = 0;
  try {
    ProfileDatabase db = OpenProfileDatabase(argv[1]);
    std::vector<std::string> names = ListUserNames(db);
    if (FirstUser(db)) ++found;
    for (size_t i = 0; i < 100 && !names.empty(); ++i)
      if (FindUserFolderFragment(db, names[i * names.size() / 100], kSnapshot)) ++found;
    CloseProfileDatabase(db);
  } catch (const ProfileDatabaseError& e) {
    std::fprintf(stderr, "profile_bench: %s\n", e.what());
    return 1;
  }
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  std::printf("seconds=%.6f maxrss_kb=%ld found=%zu\n", seconds, usage.ru_maxrss, found);
  return found == 101 ? 0 : 1;
}
