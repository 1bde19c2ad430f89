#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "jet/Recordset.h"
#include "tests/jet/MemoryTableSource.h"

namespace {

using jet::ColumnType;
using jet::Recordset;
using jet::RecordsetType;
using jettest::Cell;
using jettest::MemoryTableSource;

const Cell kNull = std::nullopt;

// A user table with the usual two text columns and some of other types. Stored order matters:
// the "anna" rows differ only in case and must keep this order whenever they tie.
MemoryTableSource UserSource() {
  MemoryTableSource s;
  s.Add("UserData",
        {{"UserName", ColumnType::Text},
         {"Path", ColumnType::Text},
         {"Age", ColumnType::Long},
         {"Active", ColumnType::Boolean},
         {"Order", ColumnType::Text}},
        {
            {"Zoe", "zoe\\", "7", "1", "b"},
            {"anna", "anna1", "10", "0", "a"},
            {"\xC9mile", "emile", "2", "1", kNull},  // Émile
            {"ANNA", "anna2", kNull, "0", "a"},
            {"O'Brien", "obrien", "-3", "1", "c"},
            {kNull, "nobody", "7", "0", "a"},
            {"Anna", "anna3", "10", "1", "b"},
            {"emil", "emil", "2.5", "0", "b"},
        });
  s.Add("Empty", {{"UserName", ColumnType::Text}, {"Path", ColumnType::Text}}, {});
  return s;
}

// Every row of the result, fields joined by '|', null shown as '~'.
std::vector<std::string> AllRows(Recordset& rs) {
  std::vector<std::string> rows;
  while (!rs.IsEOF()) {
    std::string row;
    for (std::size_t i = 0; i < rs.Fields().size(); ++i) {
      const jet::Value v = rs.Field(i);
      row += (i ? "|" : "") + (v.null ? std::string("~") : v.text);
    }
    rows.push_back(row);
    rs.MoveNext();
  }
  return rows;
}

struct QueryCase {
  const char* sql;
  std::vector<std::string> rows;
};

TEST(RecordsetQuery, ResultsOfStatements) {
  const MemoryTableSource source = UserSource();
  const QueryCase cases[] = {
      // Stored order without ORDER BY; columns in the order written, names in any case.
      {"SELECT path, USERNAME FROM userdata",
       {"zoe\\|Zoe", "anna1|anna", "emile|\xC9mile", "anna2|ANNA", "obrien|O'Brien", "nobody|~",
        "anna3|Anna", "emil|emil"}},
      {"SELECT * FROM UserData WHERE Path = 'ZOE\\'", {"Zoe|zoe\\|7|1|b"}},
      // WHERE ignores case, accented letters included, and picks every match in stored order.
      {"SELECT Path FROM UserData WHERE UserName = 'anna'", {"anna1", "anna2", "anna3"}},
      {"SELECT Path FROM UserData WHERE UserName = '\xE9MILE'", {"emile"}},
      // ...but not accents, trailing space or a prefix.
      {"SELECT Path FROM UserData WHERE UserName = 'Emile'", {}},
      {"SELECT Path FROM UserData WHERE UserName = 'Anna '", {}},
      {"SELECT Path FROM UserData WHERE UserName = 'Ann'", {}},
      {"SELECT Path FROM UserData WHERE UserName = 'O''Brien'", {"obrien"}},
      {"SELECT Path FROM UserData WHERE UserName = 'x'' OR UserName = ''Anna'", {}},
      // An empty literal does not match a null.
      {"SELECT Path FROM UserData WHERE UserName = ''", {}},
      // Numbers compare as numbers, booleans by their words or digits.
      {"SELECT Path FROM UserData WHERE Age = '07'", {"zoe\\", "nobody"}},
      {"SELECT Path FROM UserData WHERE Age = ' 2.50 '", {"emil"}},
      {"SELECT UserName FROM UserData WHERE Active = 'True'",
       {"Zoe", "\xC9mile", "O'Brien", "Anna"}},
      {"SELECT UserName FROM UserData WHERE Active = 'no'", {"anna", "ANNA", "~", "emil"}},
      // ORDER BY: nulls first, case ignored, equal keys in stored order, accented letters
      // with their base letter.
      {"SELECT UserName FROM UserData ORDER BY UserName ASC",
       {"~", "anna", "ANNA", "Anna", "emil", "\xC9mile", "O'Brien", "Zoe"}},
      // DESC reverses the keys, not the ties: the anna rows stay in stored order.
      {"SELECT UserName FROM UserData ORDER BY UserName DESC",
       {"Zoe", "O'Brien", "\xC9mile", "emil", "anna", "ANNA", "Anna", "~"}},
      // Numeric order, not text order (10 after 7, -3 first, nulls first).
      {"SELECT Age FROM UserData ORDER BY Age", {"~", "-3", "2", "2.5", "7", "7", "10", "10"}},
      {"SELECT Age FROM UserData ORDER BY Age DESC", {"10", "10", "7", "7", "2.5", "2", "-3", "~"}},
      // Several keys; a sort column need not be selected; a keyword column in brackets.
      {"SELECT Path FROM UserData ORDER BY [Order] DESC, Age, UserName DESC",
       {"obrien", "emil", "zoe\\", "anna3", "anna2", "nobody", "anna1", "emile"}},
      // True (-1) before False (0), as Jet stores them.
      {"SELECT Path FROM UserData WHERE Age = '10' ORDER BY Active", {"anna3", "anna1"}},
      {"SELECT Path, Age FROM UserData WHERE UserName = 'anna' ORDER BY Age DESC, Path DESC",
       {"anna3|10", "anna1|10", "anna2|~"}},
      {"select [UserName] from [USERDATA] where [userNAME] = 'Zoe' order by [path] asc;", {"Zoe"}},
      {"SELECT * FROM Empty ORDER BY UserName", {}},
  };
  for (const QueryCase& c : cases) {
    SCOPED_TRACE(c.sql);
    for (RecordsetType type : {RecordsetType::Snapshot, RecordsetType::Dynaset}) {
      Recordset rs(source, c.sql, type);
      EXPECT_EQ(rs.RecordCount(), c.rows.size());
      EXPECT_EQ(AllRows(rs), c.rows);
    }
  }
}

TEST(RecordsetQuery, FieldsDescribeTheSelectedColumnsAsStored) {
  const MemoryTableSource source = UserSource();
  Recordset all(source, "SELECT * FROM userdata");
  ASSERT_EQ(all.Fields().size(), 5u);
  EXPECT_EQ(all.Fields()[0].name, "UserName");
  EXPECT_EQ(all.Fields()[4].name, "Order");
  EXPECT_EQ(all.Fields()[2].type, ColumnType::Long);

  // A sort column that is not selected is not a field of the result.
  Recordset some(source, "SELECT path FROM UserData ORDER BY Age");
  ASSERT_EQ(some.Fields().size(), 1u);
  EXPECT_EQ(some.Fields()[0].name, "Path");
  EXPECT_THROW(some.Field(1), jet::Error);
  EXPECT_THROW(some.Field("Age"), jet::Error);
  EXPECT_EQ(some.Field(0).type, ColumnType::Text);
}

TEST(RecordsetQuery, UnknownNamesAndMismatchedLiteralsAreRefused) {
  const MemoryTableSource source = UserSource();
  const std::pair<const char*, const char*> cases[] = {
      {"SELECT Pth FROM UserData", "no such column 'Pth' in table 'UserData' at position 8"},
      {"SELECT Path FROM userdata WHERE Name = 'x'", "no such column 'Name' in table 'UserData' at position 33"},
      {"SELECT Path FROM UserData ORDER BY Path, Nme", "no such column 'Nme' in table 'UserData' at position 42"},
      {"SELECT * FROM Users", "no such table 'Users'"},
      {"SELECT * FROM UserData WHERE Age = 'seven'", "data type mismatch"},
      {"SELECT * FROM UserData WHERE Age = ''", "data type mismatch"},
      {"SELECT * FROM UserData WHERE Active = 'maybe'", "data type mismatch"},
      {"SELECT Path FROM UserData WHERE UserName = 'O'Brien'", "expected end of statement"},
  };
  for (const auto& [sql, message] : cases) {
    SCOPED_TRACE(sql);
    try {
      Recordset rs(source, sql);
      ADD_FAILURE() << "opened";
    } catch (const jet::Error& e) {
      EXPECT_NE(std::string(e.what()).find(message), std::string::npos) << e.what();
    }
  }
}

TEST(RecordsetNavigation, WalksToEndOfFileAndNoFurther) {
  const MemoryTableSource source = UserSource();
  Recordset rs(source, "SELECT UserName, Path FROM UserData WHERE UserName = 'anna'",
               RecordsetType::Dynaset);
  EXPECT_EQ(rs.Type(), RecordsetType::Dynaset);
  EXPECT_EQ(rs.RecordCount(), 3u);
  ASSERT_FALSE(rs.IsEOF());
  EXPECT_EQ(rs.Field("path").text, "anna1");  // opens on the first row
  rs.MoveNext();
  EXPECT_EQ(rs.Field("PATH").text, "anna2");
  rs.MoveNext();
  EXPECT_EQ(rs.Field("Path").text, "anna3");
  rs.MoveNext();  // past the last row: end-of-file, no error
  EXPECT_TRUE(rs.IsEOF());
  EXPECT_EQ(rs.RecordCount(), 3u);
  EXPECT_THROW(rs.Field(0), jet::Error);
  EXPECT_THROW(rs.Field("Path"), jet::Error);
  EXPECT_THROW(rs.MoveNext(), jet::Error);  // a second step past the end is refused
  EXPECT_TRUE(rs.IsEOF());

  rs.MoveFirst();
  EXPECT_FALSE(rs.IsEOF());
  EXPECT_EQ(rs.Field(1).text, "anna1");
  EXPECT_EQ(rs.Field("USERNAME").text, "anna");
  EXPECT_THROW(rs.Field("Pth"), jet::Error);
}

TEST(RecordsetNavigation, EmptyResultHasNoCurrentRow) {
  const MemoryTableSource source = UserSource();
  for (const char* sql : {"SELECT Path FROM UserData WHERE UserName = 'nobody'",
                          "SELECT * FROM Empty"}) {
    SCOPED_TRACE(sql);
    Recordset rs(source, sql);
    EXPECT_EQ(rs.RecordCount(), 0u);
    EXPECT_TRUE(rs.IsEOF());
    EXPECT_THROW(rs.Field(0), jet::Error);
    EXPECT_THROW(rs.Field("Path"), jet::Error);
    EXPECT_THROW(rs.MoveFirst(), jet::Error);
    EXPECT_THROW(rs.MoveNext(), jet::Error);
  }
}

TEST(RecordsetNavigation, NullFieldsReadAsEmptyTextMarkedNull) {
  const MemoryTableSource source = UserSource();
  Recordset rs(source, "SELECT UserName, Age FROM UserData WHERE Path = 'anna2'");
  const jet::Value name = rs.Field(0);
  const jet::Value age = rs.Field("age");
  EXPECT_FALSE(name.null);
  EXPECT_EQ(name.text, "ANNA");
  EXPECT_TRUE(age.null);
  EXPECT_EQ(age.text, "");
  EXPECT_EQ(age.type, ColumnType::Long);
}

TEST(RecordsetLifetime, ClosedRecordsetRefusesEverythingButClose) {
  const MemoryTableSource source = UserSource();
  Recordset rs(source, "SELECT * FROM UserData");
  ASSERT_TRUE(rs.IsOpen());
  rs.Close();
  EXPECT_FALSE(rs.IsOpen());
  EXPECT_TRUE(rs.IsEOF());
  EXPECT_EQ(rs.RecordCount(), 0u);
  EXPECT_THROW(rs.Field(0), jet::Error);
  EXPECT_THROW(rs.Field("UserName"), jet::Error);
  EXPECT_THROW(rs.MoveFirst(), jet::Error);
  EXPECT_THROW(rs.MoveNext(), jet::Error);
  rs.Close();  // again: no error
  EXPECT_FALSE(rs.IsOpen());
}

TEST(RecordsetLifetime, ResultOutlivesItsSourceAndMovesWithItsPosition) {
  auto source = std::make_unique<MemoryTableSource>(UserSource());
  Recordset rs(*source, "SELECT Path FROM UserData ORDER BY UserName");
  EXPECT_EQ(source->scans, 1);  // read once, at open
  source.reset();               // the recordset must not reach back into it
  rs.MoveNext();
  Recordset moved(std::move(rs));
  EXPECT_FALSE(rs.IsOpen());
  EXPECT_EQ(moved.Field(0).text, "anna1");
  moved.MoveNext();
  EXPECT_EQ(moved.Field(0).text, "anna2");
  Recordset other(UserSource(), "SELECT * FROM Empty");
  other = std::move(moved);
  EXPECT_EQ(other.Field(0).text, "anna2");
  EXPECT_EQ(other.RecordCount(), 8u);
}

TEST(RecordsetLifetime, LargeResultIsSortedStablyAndHeldCompactly) {
  // 100,000 users whose names repeat every 1,000 rows in alternating case, so each name has 100
  // equal-keyed rows whose paths say their stored order.
  constexpr int kRows = 100000;
  std::vector<std::vector<Cell>> rows;
  rows.reserve(kRows);
  std::size_t textBytes = 0;
  for (int i = 0; i < kRows; ++i) {
    std::string name = "user" + std::to_string(999 - i % 1000);
    if (i % 2) name[0] = 'U';
    std::string path = std::to_string(i);
    textBytes += name.size() + path.size();
    rows.push_back({name, path});
  }
  MemoryTableSource source;
  source.Add("UserData", {jettest::TextColumn("UserName"), jettest::TextColumn("Path")},
             std::move(rows));

  Recordset rs(source, "SELECT * FROM UserData ORDER BY UserName ASC");
  ASSERT_EQ(rs.RecordCount(), static_cast<std::size_t>(kRows));
  // The text itself, plus a few bytes per field and per row: not a string object per field.
  EXPECT_LT(rs.MemoryFootprint(), textBytes + kRows * 2 * 5 + kRows * 4 + 4096);

  std::string previousName;
  long previousPath = -1;
  for (int i = 0; i < kRows; ++i, rs.MoveNext()) {
    ASSERT_FALSE(rs.IsEOF());
    const std::string name = rs.Field(0).text;
    const long path = std::stol(rs.Field(1).text);
    if (i > 0 && jet::TextEqual(name, previousName)) {
      ASSERT_GT(path, previousPath) << "tie out of stored order at row " << i;
    } else if (i > 0) {
      ASSERT_LT(jet::CompareText(previousName, name), 0) << "row " << i;
    }
    previousName = name;
    previousPath = path;
  }
  EXPECT_TRUE(rs.IsEOF());
}

}  // namespace
