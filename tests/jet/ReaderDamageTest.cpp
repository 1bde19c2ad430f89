// Damaged and unusual files: each either reads correctly or fails with a jet::Error that says
// what is wrong; none may crash, hang or read outside its buffers (the tests run under ASan).
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <random>

#include "ReaderTestSupport.h"
#include "jet/Database.h"
#include "jet/Header.h"
#include "jet/Rc4.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes Fixture(const std::string& name) {
  Bytes b = readertest::ReadAll(readertest::FixturesDir() + "/" + name);
  if (b.empty()) ADD_FAILURE() << "cannot read fixture " << name;
  return b;
}

std::size_t PageSizeOf(const Bytes& file) { return file.at(0x14) == 0 ? 2048 : 4096; }

std::uint32_t Get32(const Bytes& b, std::size_t at) {
  return static_cast<std::uint32_t>(b.at(at)) | (static_cast<std::uint32_t>(b.at(at + 1)) << 8) |
         (static_cast<std::uint32_t>(b.at(at + 2)) << 16) | (static_cast<std::uint32_t>(b.at(at + 3)) << 24);
}
std::uint16_t Get16(const Bytes& b, std::size_t at) {
  return static_cast<std::uint16_t>(b.at(at) | (b.at(at + 1) << 8));
}
void Put32(Bytes& b, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) b.at(at + static_cast<std::size_t>(i)) = static_cast<std::uint8_t>(v >> (8 * i));
}
void Put16(Bytes& b, std::size_t at, std::uint16_t v) {
  b.at(at) = static_cast<std::uint8_t>(v);
  b.at(at + 1) = static_cast<std::uint8_t>(v >> 8);
}

// The header's scrambled part; applying it twice restores it.
void ToggleHeader(Bytes& file) {
  const std::size_t length = file.at(0x14) == 0 ? 126 : 128;
  jet::Rc4Apply(jet::kHeaderKey, 4, file.data() + jet::kHeaderEncodedStart, length);
}

// Every row of every user table, all columns, as text; throws what the reader throws.
std::vector<std::string> ReadEverything(const jet::Database& db) {
  std::vector<std::string> out;
  for (const std::string& name : db.UserTableNames()) {
    const jet::TableDefinition t = db.Table(name);
    std::vector<std::size_t> all(t.columns.size());
    for (std::size_t i = 0; i < all.size(); ++i) all[i] = i;
    db.ScanRows(t, all, [&](const std::vector<jet::Value>& fields) {
      std::string row = name + ":";
      for (const jet::Value& v : fields) row += (v.null ? std::string("<null>") : v.text) + "|";
      out.push_back(row);
    });
  }
  return out;
}

// Opens and reads all; returns the error message, or "" when everything read.
std::string Failure(Bytes bytes) {
  try {
    ReadEverything(*jet::Database::OpenBytes(std::move(bytes), "damaged.mdb"));
    return "";
  } catch (const jet::Error& e) {
    const std::string message = e.what();
    return message.empty() ? "(empty message)" : message;
  }
}

void ExpectFailure(const Bytes& bytes, const std::string& fragment) {
  const std::string message = Failure(bytes);
  EXPECT_NE(message, "") << "damage went unnoticed (expected: " << fragment << ")";
  EXPECT_NE(message.find(fragment), std::string::npos) << message;
}

// Data pages owned by the table whose definition is on `tdef`.
std::vector<std::size_t> DataPagesOf(const Bytes& file, std::uint32_t tdef) {
  std::vector<std::size_t> pages;
  const std::size_t ps = PageSizeOf(file);
  for (std::size_t p = 1; p < file.size() / ps; ++p) {
    if (file[p * ps] == 0x01 && Get32(file, p * ps + 4) == tdef) pages.push_back(p);
  }
  return pages;
}

std::uint32_t DefinitionPage(const Bytes& file, const std::string& table) {
  return jet::Database::OpenBytes(file, "fixture")->Table(table).definitionPage;
}

class ReaderDamage : public ::testing::Test {
 protected:
  void SetUp() override { REQUIRE_FIXTURES(); }
};

TEST_F(ReaderDamage, HeadersThatAreNotAnOpenableJetDatabase) {
  const Bytes jet3 = Fixture("testV1997.mdb");
  const Bytes jet4 = Fixture("testV2000.mdb");
  struct Case {
    const char* what;
    Bytes bytes;
    const char* fragment;
  };
  std::vector<Case> cases;
  cases.push_back({"empty", {}, "not an Access database"});
  cases.push_back({"text file", Bytes(5000, 'x'), "not an Access database"});
  {
    Bytes b = jet4;
    std::memcpy(b.data() + 4, "Standard ACE DB", 15);
    cases.push_back({"ACE signature", b, "ACE"});
  }
  {
    Bytes b = jet4;
    b[0x14] = 0x02;
    cases.push_back({"ACE version byte", b, "ACE"});
  }
  for (const Bytes* base : {&jet3, &jet4}) {
    Bytes b = *base;
    ToggleHeader(b);
    b[0x42] ^= 'p';  // first password character
    ToggleHeader(b);
    cases.push_back({base == &jet3 ? "Jet 3 password" : "Jet 4 password", b, "password"});
    // The password's last byte too: Jet 3 has 20, Jet 4 40.
    Bytes last = *base;
    ToggleHeader(last);
    last[0x42 + (base == &jet3 ? 19 : 39)] ^= 1;
    ToggleHeader(last);
    cases.push_back({"password, last byte", last, "password"});
  }
  cases.push_back({"less than one page", Bytes(jet4.begin(), jet4.begin() + 3000), "truncated"});
  cases.push_back({"catalog page missing", Bytes(jet4.begin(), jet4.begin() + 2 * 4096), "page 2, which the file does not have"});
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    try {
      jet::Database::OpenBytes(c.bytes, "bad.mdb");
      ADD_FAILURE() << "opened";
    } catch (const jet::Error& e) {
      EXPECT_NE(std::string(e.what()).find(c.fragment), std::string::npos) << e.what();
      EXPECT_NE(std::string(e.what()).find("bad.mdb"), std::string::npos) << e.what();
    }
  }
  // Bytes of the password field outside its length do not count as a password.
  Bytes past = jet3;
  ToggleHeader(past);
  past[0x42 + 20] ^= 1;
  ToggleHeader(past);
  EXPECT_EQ(Failure(past), "");
}

TEST_F(ReaderDamage, MissingFileAndFolderAreErrorsNamingThePath) {
  for (const std::string& path : {readertest::FixturesDir() + "/no-such-file.mdb", readertest::FixturesDir()}) {
    try {
      jet::Database::Open(path);
      ADD_FAILURE() << "opened " << path;
    } catch (const jet::Error& e) {
      EXPECT_NE(std::string(e.what()).find(path), std::string::npos) << e.what();
    }
  }
}

TEST_F(ReaderDamage, TruncatedFilesFailCleanly) {
  for (const char* name : {"testV2000.mdb", "test2V1997.mdb", "compIndexTestV2000.mdb"}) {
    const Bytes full = Fixture(name);
    const std::size_t ps = PageSizeOf(full);
    bool someFailed = false;
    for (std::size_t cut : {ps * 3, ps * 5 + 100, full.size() / 3, full.size() / 2, full.size() - ps, full.size() - 1}) {
      SCOPED_TRACE(std::string(name) + " cut at " + std::to_string(cut));
      const std::string message = Failure(Bytes(full.begin(), full.begin() + static_cast<long>(cut)));
      if (!message.empty()) {
        someFailed = true;
        EXPECT_NE(message.find("page"), std::string::npos) << message;
      }
    }
    EXPECT_TRUE(someFailed) << name << ": no truncation was noticed";
  }
}

TEST_F(ReaderDamage, PageChainsThatComeBackAreCycles) {
  {
    Bytes b = Fixture("testV2000.mdb");
    Put32(b, 2 * 4096 + 4, 2);  // the catalog's definition continues on itself
    ExpectFailure(b, "comes back to page 2");
  }
  for (const char* name : {"testV1997.mdb", "testV2000.mdb"}) {
    SCOPED_TRACE(name);
    Bytes b = Fixture(name);
    const std::size_t ps = PageSizeOf(b);
    const std::uint32_t t = DefinitionPage(b, "Table1");
    // Two pages pointing at each other: Table1 -> catalog -> Table1.
    Put32(b, t * ps + 4, 2);
    Put32(b, 2 * ps + 4, t);
    ExpectFailure(b, "comes back");
  }
}

TEST_F(ReaderDamage, CountsLargerThanThePageCanHold) {
  for (const char* name : {"testV1997.mdb", "testV2000.mdb"}) {
    SCOPED_TRACE(name);
    const Bytes original = Fixture(name);
    const std::size_t ps = PageSizeOf(original);
    const bool jet3 = ps == 2048;
    const std::uint32_t t = DefinitionPage(original, "Table1");
    const std::vector<std::size_t> data = DataPagesOf(original, t);
    ASSERT_FALSE(data.empty());
    const std::size_t rowCountAt = data[0] * ps + (jet3 ? 8 : 12);
    const std::size_t rowTableAt = data[0] * ps + (jet3 ? 10 : 14);

    Bytes rows = original;
    Put16(rows, rowCountAt, 0xFFFF);
    ExpectFailure(rows, "row slots cannot fit");

    Bytes columns = original;
    Put16(columns, t * ps + (jet3 ? 25 : 45), 0xFFFF);
    ExpectFailure(columns, "do not fit");

    Bytes indexes = original;
    Put32(indexes, t * ps + (jet3 ? 31 : 51), 0x7FFFFFFF);
    ExpectFailure(indexes, "do not fit");

    // A row offset pointing into the page header, and one past the end of the page.
    Bytes low = original;
    Put16(low, rowTableAt, 0x0002);
    ExpectFailure(low, ": page " + std::to_string(data[0]) + ": row 0:");
    Bytes high = original;
    Put16(high, rowTableAt, static_cast<std::uint16_t>(ps + 0x10));
    ExpectFailure(high, "row 0: offset");

    // A null mask wider than the row (Jet 3's one-byte count cannot outgrow these rows).
    if (!jet3) {
      Bytes mask = original;
      Put16(mask, data[0] * ps + (Get16(original, rowTableAt) & 0x1FFF), 0xFFFF);
      ExpectFailure(mask, "null mask");
    }
  }
}

// Moves row `row` of data page `page` to a new page at the end of the file, leaving an overflow
// pointer in its place, as Jet does when an updated row no longer fits.
Bytes MoveRowToNewPage(const Bytes& original, std::size_t page, unsigned row, std::size_t& newPage) {
  const std::size_t ps = PageSizeOf(original);
  const std::size_t table = ps == 2048 ? 10 : 14;
  Bytes b = original;
  newPage = b.size() / ps;
  b.insert(b.end(), original.begin() + static_cast<long>(page * ps), original.begin() + static_cast<long>((page + 1) * ps));
  const std::size_t slot = table + 2 * row;
  const std::uint16_t offset = Get16(original, page * ps + slot);
  Put16(b, newPage * ps + slot, static_cast<std::uint16_t>(offset | 0x8000));  // deleted where it now lives
  Put16(b, page * ps + slot, static_cast<std::uint16_t>(offset | 0x4000));
  Put32(b, page * ps + (offset & 0x1FFF), static_cast<std::uint32_t>(newPage << 8 | row));
  return b;
}

TEST_F(ReaderDamage, OverflowRowsAreFollowedAndTheirLoopsCaught) {
  for (const char* name : {"testV1997.mdb", "testV2000.mdb", "compIndexTestV2000.mdb"}) {
    SCOPED_TRACE(name);
    const Bytes original = Fixture(name);
    const std::string table = jet::Database::OpenBytes(original, name)->UserTableNames().at(0);
    const std::vector<std::string> expected = ReadEverything(*jet::Database::OpenBytes(original, name));
    const std::vector<std::size_t> data = DataPagesOf(original, DefinitionPage(original, table));
    ASSERT_FALSE(data.empty());
    std::size_t moved = 0;
    Bytes b = MoveRowToNewPage(original, data[0], 1, moved);
    EXPECT_EQ(ReadEverything(*jet::Database::OpenBytes(b, name)), expected);

    // The moved row points back at its old place: a loop.
    const std::size_t ps = PageSizeOf(original);
    const std::size_t slot = (ps == 2048 ? 10 : 14) + 2;
    const std::uint16_t offset = Get16(b, moved * ps + slot);
    Put16(b, moved * ps + slot, static_cast<std::uint16_t>((offset & 0x1FFF) | 0x4000));
    Put32(b, moved * ps + (offset & 0x1FFF), static_cast<std::uint32_t>(data[0] << 8 | 1));
    ExpectFailure(b, "loop");

    // And one pointing beyond the file.
    Bytes far = MoveRowToNewPage(original, data[0], 1, moved);
    Put32(far, data[0] * ps + (Get16(original, data[0] * ps + slot) & 0x1FFF), 0x00FFFF01u);
    ExpectFailure(far, "which the file does not have");
  }
}

// Finds the 12-byte field of a long value kept on an LVAL page (kind 0x40), by looking for one
// whose pointer names an LVAL page row.
std::size_t FindOnePageLongValue(const Bytes& file, std::uint32_t tdef) {
  const std::size_t ps = PageSizeOf(file);
  for (std::size_t p : DataPagesOf(file, tdef)) {
    for (std::size_t at = p * ps + 16; at + 12 <= (p + 1) * ps; ++at) {
      if (file[at + 3] != 0x40) continue;
      const std::uint32_t pointer = Get32(file, at + 4);
      const std::size_t lval = pointer >> 8;
      if (lval == 0 || lval >= file.size() / ps) continue;
      if (file[lval * ps] == 0x01 && std::memcmp(file.data() + lval * ps + 4, "LVAL", 4) == 0) return at;
    }
  }
  return 0;
}

TEST_F(ReaderDamage, LongValueChainsThatLoopOrStopShort) {
  for (const char* name : {"test2V1997.mdb", "test2V2000.mdb"}) {
    SCOPED_TRACE(name);
    const Bytes original = Fixture(name);
    const std::size_t ps = PageSizeOf(original);
    const std::size_t field = FindOnePageLongValue(original, DefinitionPage(original, "MSP_PROJECTS"));
    ASSERT_NE(field, 0u) << "no long value on its own page in " << name;
    const std::uint32_t pointer = Get32(original, field + 4);
    const std::size_t lvalPage = pointer >> 8;
    const std::size_t table = ps == 2048 ? 10 : 14;
    const std::size_t rowAt = lvalPage * ps + (Get16(original, lvalPage * ps + table + 2 * (pointer & 0xFF)) & 0x1FFF);

    // Make it a chain (kind 0) of 50,000 bytes whose one part links to itself.
    Bytes loop = original;
    Put32(loop, field, 50000);
    Put32(loop, rowAt, pointer);
    ExpectFailure(loop, "comes back to page " + std::to_string(lvalPage));

    Bytes shortChain = original;
    Put32(shortChain, field, 50000);
    Put32(shortChain, rowAt, 0);
    ExpectFailure(shortChain, "ends after");

    Bytes huge = original;
    Put32(huge, field, 0x40000000u | 0x3FFFFFFFu);
    ExpectFailure(huge, "more than the whole file");

    Bytes longer = original;
    Put32(longer, field, 0x40000000u | 0xFFFF);
    ExpectFailure(longer, "holds");

    Bytes notLval = original;
    std::memcpy(notLval.data() + lvalPage * ps + 4, "XXXX", 4);
    ExpectFailure(notLval, "not an LVAL page");
  }
}

// Encodes every page but the header with RC4 keyed by the database key and the page number,
// and records the key in the header, as Jet does for an encoded database.
Bytes Encode(const Bytes& original, std::uint32_t key) {
  Bytes b = original;
  const std::size_t ps = PageSizeOf(b);
  ToggleHeader(b);
  Put32(b, 0x3E, key);
  ToggleHeader(b);
  for (std::size_t p = 1; p < b.size() / ps; ++p) {
    std::uint8_t pageKey[4];
    for (int i = 0; i < 4; ++i) pageKey[i] = static_cast<std::uint8_t>((key ^ p) >> (8 * i));
    jet::Rc4Apply(pageKey, 4, b.data() + p * ps, ps);
  }
  return b;
}

TEST_F(ReaderDamage, EncodedDatabasesReadLikeTheirPlainOriginals) {
  for (const char* name : {"testV1997.mdb", "testV2000.mdb", "test2V1997.mdb", "test2V2000.mdb"}) {
    SCOPED_TRACE(name);
    const Bytes original = Fixture(name);
    const std::vector<std::string> expected = ReadEverything(*jet::Database::OpenBytes(original, name));
    ASSERT_FALSE(expected.empty());
    const Bytes encoded = Encode(original, 0x5A17C3E9u);
    ASSERT_NE(encoded, original);
    const auto db = jet::Database::OpenBytes(encoded, name);
    EXPECT_EQ(db->UserTableNames(), jet::Database::OpenBytes(original, name)->UserTableNames());
    EXPECT_EQ(ReadEverything(*db), expected);
    EXPECT_EQ(ReadEverything(*db), expected);  // again, from the decoded-page cache
  }
}

std::string TempPath(const char* name) {
  return (std::filesystem::temp_directory_path() / (std::string("jet-reader-") + std::to_string(::getpid()) + "-" + name))
      .string();
}

void WriteFile(const std::string& path, const Bytes& b) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(b.data()), static_cast<std::streamsize>(b.size()));
}

TEST_F(ReaderDamage, ReadsTheFileAsItIsNowNotAsItWas) {
  // Changes made to the file after it was opened show in the next read, also through the
  // caches of encoded pages and table definitions.
  for (bool encoded : {false, true}) {
    SCOPED_TRACE(encoded ? "encoded" : "plain");
    const Bytes original = Fixture("testV2000.mdb");
    const std::string path = TempPath(encoded ? "enc.mdb" : "plain.mdb");
    WriteFile(path, encoded ? Encode(original, 0x01020304u) : original);
    const auto db = jet::Database::Open(path);
    const std::vector<std::string> before = ReadEverything(*db);
    ASSERT_EQ(before.size(), 2u);

    // Same size, other bytes: Table1's text "abcdefg" (stored compressed, one byte a
    // character) becomes "abcdefX".
    Bytes changed = original;
    const std::string from = "abcdefg";
    std::size_t hits = 0;
    for (std::size_t i = 0; i + from.size() <= changed.size(); ++i) {
      if (std::memcmp(changed.data() + i, from.data(), from.size()) == 0) {
        changed[i + 6] = 'X';
        ++hits;
      }
    }
    ASSERT_GT(hits, 0u);
    const jet::TableDefinition table = db->Table("Table1");
    const auto count = [&](const std::string& key) {
      std::size_t n = 0;
      db->ScanRowsWhereTextEquals(table, {1}, 0, key, [&](const std::vector<jet::Value>&) { ++n; });
      return n;
    };
    EXPECT_EQ(count("ABCDEFG"), 1u);
    EXPECT_EQ(count("abcdefx"), 0u);
    WriteFile(path, encoded ? Encode(changed, 0x01020304u) : changed);
    EXPECT_EQ(count("abcdefg"), 0u);
    EXPECT_EQ(count("abcdefX"), 1u);
    const std::vector<std::string> after = ReadEverything(*db);
    ASSERT_EQ(after.size(), 2u);
    EXPECT_NE(after, before);
    EXPECT_NE(after[0].find("abcdefX"), std::string::npos) << after[0];

    WriteFile(path, Bytes(original.begin(), original.begin() + 4096 * 3));
    EXPECT_THROW(ReadEverything(*db), jet::Error);
    std::remove(path.c_str());
  }
}

TEST_F(ReaderDamage, LongValueChangedOnItsOwnPageShowsInTheNextRead) {
  // The row that refers to the long value stays the same; only the LVAL page changes.
  for (const char* name : {"test2V1997.mdb", "test2V2000.mdb"}) {
    SCOPED_TRACE(name);
    const Bytes original = Fixture(name);
    const std::size_t ps = PageSizeOf(original);
    const std::string word = "vawesrasoih";
    // Stored as bytes (Jet 3, or Jet 4's compressed form) or as UTF-16.
    std::string utf16;
    for (char c : word) utf16 += std::string(1, c) + '\0';
    std::size_t at = 0;
    for (const std::string& stored : {word, utf16}) {
      for (std::size_t i = 0; i + stored.size() <= original.size() && at == 0; ++i) {
        if (std::memcmp(original.data() + i, stored.data(), stored.size()) == 0) at = i;
      }
    }
    ASSERT_NE(at, 0u);
    ASSERT_EQ(std::memcmp(original.data() + at / ps * ps + 4, "LVAL", 4), 0) << "the memo is not on an LVAL page";
    const std::string path = TempPath(name);
    WriteFile(path, original);
    const auto db = jet::Database::Open(path);
    const std::vector<std::string> before = ReadEverything(*db);
    ASSERT_EQ(ReadEverything(*db), before);
    ASSERT_NE(before.at(0).find(word), std::string::npos);
    Bytes changed = original;
    changed[at] = 'W';
    WriteFile(path, changed);
    const std::vector<std::string> after = ReadEverything(*db);
    EXPECT_EQ(after.at(0).find(word), std::string::npos);
    EXPECT_NE(after.at(0).find("Wawesrasoih"), std::string::npos);
    std::remove(path.c_str());
  }
}

TEST_F(ReaderDamage, RandomByteDamageNeverEscapesAsAnythingButError) {
  // Deterministic: the same damage every run. Spread over the first pages, where the header,
  // catalog, definitions and usage maps are, and over the whole file.
  std::mt19937 random(20240611u);
  std::size_t failures = 0;
  std::size_t runs = 0;
  for (const std::string& path : readertest::FixtureFiles()) {
    const Bytes original = readertest::ReadAll(path);
    const std::size_t ps = PageSizeOf(original);
    for (int n = 0; n < 120; ++n) {
      Bytes b = original;
      const std::size_t span = n % 2 == 0 ? std::min(b.size(), ps * 8) : b.size();
      const int flips = 1 + static_cast<int>(random() % 8);
      for (int k = 0; k < flips; ++k) {
        const std::size_t at = ps + random() % (span - ps);
        b[at] = static_cast<std::uint8_t>(random());
      }
      ++runs;
      try {
        ReadEverything(*jet::Database::OpenBytes(std::move(b), path));
      } catch (const jet::Error& e) {
        ++failures;
        EXPECT_NE(std::string(e.what()).find(path), std::string::npos) << e.what();
      }
    }
  }
  EXPECT_GT(failures, 0u) << "of " << runs << " damaged files, none was noticed";
}

}  // namespace
