// The reader against files Access made, with mdbtools as the independent reference: the same
// tables, and in every table the same rows with the same values.
#include <gtest/gtest.h>

#include <cctype>
#include <cmath>
#include <sstream>

#include "ReaderTestSupport.h"
#include "jet/Database.h"
#include "jet/Text.h"
#include "jet/Values.h"

namespace {

using readertest::Json;

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty()) lines.push_back(line);
  }
  return lines;
}

std::string HexOf(const std::vector<std::uint8_t>& bytes) {
  std::string out;
  jet::FormatHex(bytes.data(), bytes.size(), out);
  return out;
}

// mdb-json's value against ours, by type; returns a description of the difference or "".
std::string Compare(const jet::Value& ours, const Json& theirs) {
  using jet::ColumnType;
  switch (ours.type) {
    case ColumnType::Text:
    case ColumnType::Memo:
      if (theirs.kind != Json::String) return "expected a string";
      // Our text is Windows-1252 (Jet 3 files here are in that code page too), theirs UTF-8.
      if (jet::Utf8ToCp1252(theirs.text) != ours.text) {
        return "text differs: ours \"" + jet::Cp1252ToUtf8(ours.text) + "\" theirs \"" + theirs.text + "\"";
      }
      return "";
    case ColumnType::Boolean: {
      const bool theirBool = theirs.kind == Json::Bool ? theirs.boolean : theirs.number != 0;
      if (theirs.kind != Json::Bool && theirs.kind != Json::Number) return "expected a boolean";
      if ((ours.text == "1") != theirBool || (ours.text != "1" && ours.text != "0")) return "boolean " + ours.text;
      return "";
    }
    case ColumnType::Byte:
    case ColumnType::Integer:
    case ColumnType::Long:
    case ColumnType::Currency:
    case ColumnType::Numeric:
    case ColumnType::Single:
    case ColumnType::Double: {
      if (theirs.kind != Json::Number) return "expected a number";
      if (!jet::IsJsonNumber(ours.text)) return "our text " + ours.text + " is not a number";
      const double a = std::stod(ours.text);
      const double b = theirs.number;
      // Integers and fixed point compare exactly; floating point within what was printed.
      const double tolerance = ours.type == ColumnType::Single ? 1e-6 : ours.type == ColumnType::Double ? 1e-12 : 0;
      if (std::fabs(a - b) > tolerance * std::max(std::fabs(a), std::fabs(b))) {
        return "number differs: ours " + ours.text + " theirs " + theirs.text;
      }
      if (ours.type == ColumnType::Currency && ours.text.size() < 5) return "currency without four decimals";
      return "";
    }
    case ColumnType::DateTime:
      if (theirs.kind != Json::String) return "expected a date string";
      return ours.text == theirs.text ? "" : "date differs: ours " + ours.text + " theirs " + theirs.text;
    case ColumnType::GUID:
      if (theirs.kind != Json::String) return "expected a GUID string";
      return jet::FoldCase(theirs.text) == jet::FoldCase(ours.text) ? "" : "GUID differs: ours " + ours.text;
    default: {  // Binary, OLE: mdb-json writes {"$binary": base64}
      std::string theirHex;
      if (theirs.kind == Json::Object && theirs.members.count("$binary")) {
        theirHex = HexOf(readertest::Base64Decode(theirs.members.at("$binary").text));
      } else if (theirs.kind == Json::String) {
        theirHex = HexOf(std::vector<std::uint8_t>(theirs.text.begin(), theirs.text.end()));
      } else {
        return "expected binary";
      }
      return theirHex == ours.text ? "" : "bytes differ (ours " + std::to_string(ours.text.size() / 2) + " bytes)";
    }
  }
}

class ReaderFixtures : public ::testing::Test {
 protected:
  void SetUp() override {
    REQUIRE_FIXTURES();
    if (!readertest::HaveProgram("mdb-json") || !readertest::HaveProgram("mdb-tables")) {
      GTEST_SKIP() << "mdbtools (mdb-json, mdb-tables) not installed";
    }
  }
};

TEST_F(ReaderFixtures, UserTablesAreTheOnesMdbToolsLists) {
  for (const std::string& file : readertest::FixtureFiles()) {
    SCOPED_TRACE(file);
    bool ok;
    const std::vector<std::string> expected =
        Lines(readertest::RunCommand("mdb-tables -1 " + readertest::ShellQuote(file), ok));
    ASSERT_TRUE(ok);
    std::vector<std::string> ours;
    for (const std::string& name : jet::Database::Open(file)->UserTableNames()) ours.push_back(jet::Cp1252ToUtf8(name));
    EXPECT_EQ(ours, expected);
  }
}

TEST_F(ReaderFixtures, EveryTableHasTheRowsAndValuesMdbJsonGives) {
  std::size_t tablesCompared = 0;
  std::size_t rowsCompared = 0;
  for (const std::string& file : readertest::FixtureFiles()) {
    const auto db = jet::Database::Open(file);
    for (const std::string& name : db->UserTableNames()) {
      SCOPED_TRACE(file + " table " + name);
      bool ok;
      const std::vector<std::string> lines = Lines(readertest::RunCommand(
          "mdb-json -T '%Y-%m-%d %H:%M:%S' " + readertest::ShellQuote(file) + " " + readertest::ShellQuote(name), ok));
      ASSERT_TRUE(ok);
      const jet::TableDefinition table = db->Table(name);
      std::vector<std::size_t> all(table.columns.size());
      for (std::size_t i = 0; i < all.size(); ++i) all[i] = i;
      std::vector<std::vector<jet::Value>> rows;
      db->ScanRows(table, all, [&](const std::vector<jet::Value>& fields) { rows.push_back(fields); });
      ASSERT_EQ(rows.size(), lines.size());
      for (std::size_t r = 0; r < rows.size(); ++r) {
        Json theirs;
        ASSERT_TRUE(readertest::JsonParser(lines[r]).Parse(theirs)) << lines[r];
        ASSERT_EQ(theirs.kind, Json::Object);
        std::size_t present = 0;
        for (std::size_t c = 0; c < table.columns.size(); ++c) {
          const std::string column = jet::Cp1252ToUtf8(table.columns[c].name);
          const auto it = theirs.members.find(column);
          // mdb-json leaves out null fields.
          if (rows[r][c].null) {
            EXPECT_EQ(it, theirs.members.end()) << "row " << r << " column " << column << " null only in ours";
            EXPECT_TRUE(rows[r][c].text.empty());
            continue;
          }
          ++present;
          if (it == theirs.members.end()) {
            ADD_FAILURE() << "row " << r << " column " << column << " = " << rows[r][c].text << " null only in theirs";
            continue;
          }
          const std::string difference = Compare(rows[r][c], it->second);
          EXPECT_EQ(difference, "") << "row " << r << " column " << column;
        }
        EXPECT_EQ(present, theirs.members.size()) << "mdb-json has columns we do not: " << lines[r];
        ++rowsCompared;
      }
      ++tablesCompared;
    }
  }
  // Guards the comparison itself: an empty walk would pass without comparing anything.
  EXPECT_GT(tablesCompared, 10u);
  EXPECT_GT(rowsCompared, 1000u);
}

TEST(ReaderFixturesFormat, FormatComesFromTheHeader) {
  REQUIRE_FIXTURES();
  for (const std::string& file : readertest::FixtureFiles()) {
    SCOPED_TRACE(file);
    const auto db = jet::Database::Open(file);
    if (file.find("V1997") != std::string::npos) {
      EXPECT_EQ(db->FileFormat(), jet::Database::Format::Jet3);
    } else if (file.find("V2000") != std::string::npos) {
      EXPECT_EQ(db->FileFormat(), jet::Database::Format::Jet4);
    }
  }
}

std::string Fixture(const std::string& name) { return readertest::FixturesDir() + "/" + name; }

TEST(ReaderTables, FoundWithoutRegardToCaseAndMissingOnesNamed) {
  REQUIRE_FIXTURES();
  for (const char* file : {"testV1997.mdb", "testV2000.mdb"}) {
    SCOPED_TRACE(file);
    const auto db = jet::Database::Open(Fixture(file));
    EXPECT_EQ(db->Table("tABLE1").name, "Table1");
    // System tables are not listed but can be asked for by name.
    EXPECT_FALSE(db->Table("msysobjects").columns.empty());
    try {
      db->Table("NoSuchTable");
      FAIL() << "a missing table was found";
    } catch (const jet::Error& e) {
      EXPECT_NE(std::string(e.what()).find("NoSuchTable"), std::string::npos) << e.what();
    }
  }
}

TEST(ReaderTables, ColumnsOfTheTestTableInOrderWithTypes) {
  REQUIRE_FIXTURES();
  using T = jet::ColumnType;
  const std::vector<std::pair<std::string, T>> expected = {
      {"A", T::Text}, {"B", T::Text},     {"C", T::Byte},     {"D", T::Integer}, {"E", T::Long},
      {"F", T::Double}, {"G", T::DateTime}, {"H", T::Currency}, {"I", T::Boolean}};
  for (const char* file : {"testV1997.mdb", "testV2000.mdb"}) {
    SCOPED_TRACE(file);
    const jet::TableDefinition t = jet::Database::Open(Fixture(file))->Table("Table1");
    ASSERT_EQ(t.columns.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
      EXPECT_EQ(t.columns[i].name, expected[i].first);
      EXPECT_EQ(t.columns[i].type, expected[i].second) << t.columns[i].name;
    }
  }
}

TEST(ReaderScan, ChosenColumnsInAnyOrderMatchTheFullRow) {
  REQUIRE_FIXTURES();
  for (const char* file : {"test2V1997.mdb", "test2V2000.mdb", "compIndexTestV2000.mdb"}) {
    SCOPED_TRACE(file);
    const auto db = jet::Database::Open(Fixture(file));
    const jet::TableDefinition t = db->Table(db->UserTableNames().at(0));
    std::vector<std::size_t> all(t.columns.size());
    for (std::size_t i = 0; i < all.size(); ++i) all[i] = i;
    std::vector<std::vector<jet::Value>> full;
    db->ScanRows(t, all, [&](const std::vector<jet::Value>& f) { full.push_back(f); });
    ASSERT_FALSE(full.empty());
    const std::vector<std::size_t> chosen = {all.size() - 1, 0, all.size() / 2, 0};
    std::size_t r = 0;
    db->ScanRows(t, chosen, [&](const std::vector<jet::Value>& f) {
      ASSERT_LT(r, full.size());
      ASSERT_EQ(f.size(), chosen.size());
      for (std::size_t k = 0; k < chosen.size(); ++k) {
        EXPECT_EQ(f[k].null, full[r][chosen[k]].null);
        EXPECT_EQ(f[k].text, full[r][chosen[k]].text);
        EXPECT_EQ(f[k].type, t.columns[chosen[k]].type);
      }
      ++r;
    });
    EXPECT_EQ(r, full.size());
    std::size_t none = 0;
    db->ScanRows(t, {}, [&](const std::vector<jet::Value>& f) {
      EXPECT_TRUE(f.empty());
      ++none;
    });
    EXPECT_EQ(none, full.size());
  }
}

TEST(ReaderScan, DefinitionThatNoLongerMatchesTheFileIsRefused) {
  REQUIRE_FIXTURES();
  const auto db = jet::Database::Open(Fixture("testV2000.mdb"));
  jet::TableDefinition t = db->Table("Table1");
  jet::TableDefinition renamed = t;
  renamed.columns[2].name = "Other";
  EXPECT_THROW(db->ScanRows(renamed, {2}, [](const std::vector<jet::Value>&) {}), jet::Error);
  EXPECT_THROW(db->ScanRows(t, {t.columns.size()}, [](const std::vector<jet::Value>&) {}), jet::Error);
  jet::TableDefinition elsewhere = t;
  elsewhere.definitionPage = 0;
  EXPECT_THROW(db->ScanRows(elsewhere, {0}, [](const std::vector<jet::Value>&) {}), jet::Error);
}

// Every row whose key column equals `key` (case aside), as a full scan filtered here finds them.
std::vector<std::vector<std::string>> Filtered(const std::vector<std::vector<jet::Value>>& full,
                                               const std::vector<std::size_t>& columns, std::size_t key,
                                               const std::string& text) {
  std::vector<std::vector<std::string>> out;
  for (const auto& row : full) {
    if (row[key].null || !jet::EqualsIgnoreCase(row[key].text, text)) continue;
    std::vector<std::string> picked;
    for (std::size_t c : columns) picked.push_back(row[c].null ? "<null>" : row[c].text);
    out.push_back(picked);
  }
  return out;
}

std::vector<std::vector<std::string>> Lookup(const jet::TableSource& source, const jet::TableDefinition& t,
                                             const std::vector<std::size_t>& columns, std::size_t key,
                                             const std::string& text, bool viaDefault) {
  std::vector<std::vector<std::string>> out;
  const auto visit = [&](const std::vector<jet::Value>& fields) {
    EXPECT_EQ(fields.size(), columns.size());
    std::vector<std::string> picked;
    for (const jet::Value& v : fields) picked.push_back(v.null ? "<null>" : v.text);
    out.push_back(picked);
  };
  if (viaDefault) {
    source.jet::TableSource::ScanRowsWhereTextEquals(t, columns, key, text, visit);
  } else {
    source.ScanRowsWhereTextEquals(t, columns, key, text, visit);
  }
  return out;
}

TEST(ReaderLookup, TextLookupsFindWhatAFilteredScanFinds) {
  REQUIRE_FIXTURES();
  std::size_t lookups = 0;
  std::size_t found = 0;
  for (const std::string& file : readertest::FixtureFiles()) {
    const auto db = jet::Database::Open(file);
    for (const std::string& name : db->UserTableNames()) {
      SCOPED_TRACE(file + " table " + name);
      const jet::TableDefinition t = db->Table(name);
      std::vector<std::size_t> all(t.columns.size());
      for (std::size_t i = 0; i < all.size(); ++i) all[i] = i;
      std::vector<std::vector<jet::Value>> full;
      db->ScanRows(t, all, [&](const std::vector<jet::Value>& f) { full.push_back(f); });
      for (std::size_t key = 0; key < t.columns.size(); ++key) {
        if (t.columns[key].type != jet::ColumnType::Text && t.columns[key].type != jet::ColumnType::Long) continue;
        // Values present (first, middle, last row), one in other case, one absent, empty text.
        std::vector<std::string> probes = {"no such value", ""};
        for (std::size_t r : {std::size_t{0}, full.size() / 2, full.size() - 1}) {
          if (r < full.size() && !full[r][key].null) probes.push_back(full[r][key].text);
        }
        if (probes.size() > 2) {
          std::string upper = probes[2];
          for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
          probes.push_back(upper);
        }
        const std::vector<std::size_t> columns = {all.size() - 1, key, 0};
        for (const std::string& probe : probes) {
          const auto expected = Filtered(full, columns, key, probe);
          // Twice: the second time from the page index the first one left.
          EXPECT_EQ(Lookup(*db, t, columns, key, probe, false), expected) << "key " << t.columns[key].name << " = " << probe;
          EXPECT_EQ(Lookup(*db, t, columns, key, probe, false), expected) << "again";
          EXPECT_EQ(Lookup(*db, t, columns, key, probe, true), expected) << "default";
          ++lookups;
          found += expected.size();
        }
      }
    }
  }
  EXPECT_GT(lookups, 100u);
  EXPECT_GT(found, 100u);
}

}  // namespace
