// Queue folders on real files under Wine.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "queue/InstallQueue.h"

namespace fs = std::filesystem;

namespace {

const std::string kRoot = "C:\\queue-test";
const std::string kQueue = kRoot + "\\Sam\\Acc\\";
const std::string kSources = kRoot + "\\src";

void Write(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

std::string Read(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

std::vector<std::string> Names(const std::vector<QueueEntry>& entries) {
  std::vector<std::string> names;
  for (const QueueEntry& e : entries) names.push_back(e.name);
  return names;
}

// The Open dialog's 2048-byte result as it leaves it: zeroed, then the strings.
struct DialogResult {
  char buffer[2048] = {};
  size_t offset = 0;
  DialogResult(const std::string& first, const std::vector<std::string>& names) {
    std::string all = first + '\0';
    offset = names.empty() ? first.rfind('\\') + 1 : all.size();
    for (const std::string& n : names) all += n + '\0';
    std::memcpy(buffer, all.data(), all.size());
  }
};

class QueueTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::error_code ignored;
    fs::remove_all(kRoot, ignored);
    fs::create_directories(kQueue);
    fs::create_directories(kSources);
  }
  void TearDown() override {
    std::error_code ignored;
    fs::remove_all(kRoot, ignored);
  }
};

TEST_F(QueueTest, ListsApplicationsThenDatabases) {
  Write(kQueue + "b.tdb", std::string(512, 'b'));
  Write(kQueue + "c.txt", "c");
  Write(kQueue + "a.app", std::string(10240, 'a'));
  fs::create_directory(kQueue + "x.app");
  SetFileAttributesA((kQueue + "a.app").c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY);

  std::vector<QueueEntry> entries = ListQueue(kQueue);
  ASSERT_EQ(3u, entries.size());
  EXPECT_EQ("b.tdb", entries.back().name);  // the .tdb group after every .app match
  EXPECT_EQ(" 0.5 KB", entries.back().sizeText);
  std::vector<std::string> apps = {entries[0].name, entries[1].name};
  std::sort(apps.begin(), apps.end());
  EXPECT_EQ((std::vector<std::string>{"a.app", "x.app"}), apps);
  for (const QueueEntry& e : entries) {
    if (e.name == "a.app") EXPECT_EQ("10.0 KB", e.sizeText);
  }
  SetFileAttributesA((kQueue + "a.app").c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(QueueTest, EmptyAndMissingFoldersListNothing) {
  EXPECT_TRUE(ListQueue(kQueue).empty());
  EXPECT_TRUE(ListQueue(kRoot + "\\Nobody\\Acc\\").empty());
}

TEST_F(QueueTest, SizesBeyondFourGigabytesHalvesUnsigned) {
  // A sparse file: its size is set, no data written.
  const std::string big = kQueue + "big.app";
  HANDLE file = CreateFileA(big.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, file);
  LARGE_INTEGER size;
  size.QuadPart = 3000000000LL;
  ASSERT_TRUE(SetFilePointerEx(file, size, nullptr, FILE_BEGIN));
  ASSERT_TRUE(SetEndOfFile(file));
  CloseHandle(file);
  std::vector<QueueEntry> entries = ListQueue(kQueue);
  ASSERT_EQ(1u, entries.size());
  EXPECT_EQ("2861.0 MB", entries[0].sizeText);
}

TEST_F(QueueTest, QueuesOneFileUnderItsOwnNameReplacingTheQueuedOne) {
  Write(kSources + "\\a.app", "new");
  Write(kQueue + "a.app", "old and longer");
  DialogResult result(kSources + "\\a.app", {});
  QueueSelection(result.buffer, sizeof result.buffer, result.offset, kQueue);
  EXPECT_EQ("new", Read(kQueue + "a.app"));
  EXPECT_EQ(std::vector<std::string>{"a.app"}, Names(ListQueue(kQueue)));
}

TEST_F(QueueTest, QueuesSeveralFilesFromOneFolder) {
  Write(kSources + "\\a.app", "a");
  Write(kSources + "\\my game.tdb", "game");
  Write(kSources + "\\notes.txt", "notes");
  DialogResult result(kSources, {"a.app", "missing.app", "my game.tdb", "notes.txt"});
  QueueSelection(result.buffer, sizeof result.buffer, result.offset, kQueue);
  EXPECT_EQ("a", Read(kQueue + "a.app"));
  EXPECT_EQ("game", Read(kQueue + "my game.tdb"));
  EXPECT_EQ("notes", Read(kQueue + "notes.txt"));  // copied, though never listed
  EXPECT_FALSE(fs::exists(kQueue + "missing.app"));
  EXPECT_EQ((std::vector<std::string>{"a.app", "my game.tdb"}), Names(ListQueue(kQueue)));
}

TEST_F(QueueTest, DriveRootSourcesKeepTheirDoubledBackslash) {
  // "C:\" + "\" + name: the system takes C:\\name as C:\name.
  const std::string name = "queue-test-root.app";
  Write("C:\\" + name, "root");
  DialogResult result("C:\\", {name});
  QueueSelection(result.buffer, sizeof result.buffer, result.offset, kQueue);
  EXPECT_EQ("root", Read(kQueue + name));
  DeleteFileA(("C:\\" + name).c_str());
}

TEST_F(QueueTest, AnEmptyResultCopiesNothing) {
  char buffer[2048] = {};
  QueueSelection(buffer, sizeof buffer, 0, kQueue);
  EXPECT_TRUE(fs::is_empty(kQueue));
}

TEST_F(QueueTest, TheQueuedFileItselfStaysIntact) {
  Write(kQueue + "a.app", "queued content");
  DialogResult result(kQueue + "a.app", {});
  QueueSelection(result.buffer, sizeof result.buffer, result.offset, kQueue);
  EXPECT_EQ("queued content", Read(kQueue + "a.app"));
  DialogResult several(kQueue.substr(0, kQueue.size() - 1), {"a.app"});
  QueueSelection(several.buffer, sizeof several.buffer, several.offset, kQueue);
  EXPECT_EQ("queued content", Read(kQueue + "a.app"));
}

TEST_F(QueueTest, ABufferFullToItsEndCopiesOnlyWholeNames) {
  Write(kSources + "\\a.app", "a");
  Write(kSources + "\\bb.app", "b");
  // a.app, a long name, then "bb.app" in the last six bytes with no room for its NUL.
  DialogResult result(kSources, {"a.app"});
  const size_t start = result.offset + 6, cut = sizeof result.buffer - 6;
  std::memset(result.buffer + start, 'z', cut - 1 - start);
  result.buffer[cut - 1] = '\0';
  std::memcpy(result.buffer + cut, "bb.app", 6);
  QueueSelection(result.buffer, sizeof result.buffer, result.offset, kQueue);
  EXPECT_EQ(std::vector<std::string>{"a.app"}, Names(ListQueue(kQueue)));
  // An offset past the end copies nothing.
  fs::remove(kQueue + "a.app");
  QueueSelection(result.buffer, sizeof result.buffer, 4096, kQueue);
  EXPECT_TRUE(fs::is_empty(kQueue));
}

TEST_F(QueueTest, RemovesNamedFiles) {
  Write(kQueue + "a.app", "a");
  Write(kQueue + "b.tdb", "b");
  Write(kQueue + "locked.app", "l");
  SetFileAttributesA((kQueue + "locked.app").c_str(), FILE_ATTRIBUTE_READONLY);
  RemoveFromQueue(kQueue, {"a.app", "gone.app", "locked.app"});
  // A read-only file: the system refuses to delete it, and so it stays queued.
  EXPECT_EQ((std::vector<std::string>{"locked.app", "b.tdb"}), Names(ListQueue(kQueue)));
  SetFileAttributesA((kQueue + "locked.app").c_str(), FILE_ATTRIBUTE_NORMAL);
}

}  // namespace
