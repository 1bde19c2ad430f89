// ListQueue against a bare FindFirstFileA/FindNextFileA loop over the same folders, in one run.
//   queue_bench SMALL_FOLDER\ LARGE_FOLDER\   (each ending in a backslash)
#include <windows.h>

#include <cstdio>
#include <string>

#include "queue/InstallQueue.h"

namespace {

double Now() {
  LARGE_INTEGER t, f;
  QueryPerformanceCounter(&t);
  QueryPerformanceFrequency(&f);
  return static_cast<double>(t.QuadPart) / static_cast<double>(f.QuadPart);
}

size_t BareLoop(const std::string& folder) {
  size_t count = 0;
  for (const char* pattern : {"*.app", "*.tdb"}) {
    WIN32_FIND_DATAA found;
    HANDLE h = FindFirstFileA((folder + pattern).c_str(), &found);
    if (h == INVALID_HANDLE_VALUE) continue;
    do ++count;
    while (FindNextFileA(h, &found));
    FindClose(h);
  }
  return count;
}

// Best of several rounds, alternating the two so that both see the same caches.
void Measure(const std::string& folder, double& ours, double& bare, size_t& files) {
  ours = bare = 1e9;
  for (int round = 0; round < 7; ++round) {
    double t = Now();
    files = BareLoop(folder);
    bare = std::min(bare, Now() - t);
    t = Now();
    size_t listed = ListQueue(folder).size();
    ours = std::min(ours, Now() - t);
    if (listed != files) std::printf("mismatch: %zu listed, %zu found\n", listed, files);
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: queue_bench SMALL_FOLDER\\ LARGE_FOLDER\\\n");
    return 2;
  }
  double oursSmall, bareSmall, oursLarge, bareLarge;
  size_t small, large;
  Measure(argv[1], oursSmall, bareSmall, small);
  Measure(argv[2], oursLarge, bareLarge, large);
  std::printf("%6zu files: ListQueue %.4f s, bare loop %.4f s, ratio %.2f (at most 1.5)\n", small, oursSmall,
              bareSmall, oursSmall / bareSmall);
  std::printf("%6zu files: ListQueue %.4f s, bare loop %.4f s, ratio %.2f (at most 1.5)\n", large, oursLarge,
              bareLarge, oursLarge / bareLarge);
  std::printf("ListQueue %zu files / %zu files: ratio %.2f (at most 12)\n", large, small, oursLarge / oursSmall);
  std::printf("bare loop %zu files / %zu files: ratio %.2f (the platform's own scaling)\n", large, small,
              bareLarge / bareSmall);
  return 0;
}
