// The writer is judged by readers it knows nothing about: every file written here is read back
// with mdbtools (mdb-tables, mdb-schema, mdb-json) and with our own reader, and must give back
// exactly the tables and rows that went in.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <limits>
#include <map>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "jet/Database.h"
#include "jet/Writer.h"

namespace {

using jet::ColumnSpec;
using jet::ColumnType;
using jet::RowSpec;
using jet::TableSpec;

std::string Shell(const std::string& s) {
  std::string out = "'";
  for (char c : s) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
}

struct Result {
  int status = -1;
  std::string out;
};

// Runs a shell command and collects what it prints; its errors too when asked.
Result RunCommand(const std::string& command, bool withErrors = false) {
  Result r;
  FILE* pipe = popen((command + (withErrors ? " 2>&1" : " 2>/dev/null")).c_str(), "r");
  if (!pipe) return r;
  char buffer[65536];
  std::size_t n;
  while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) r.out.append(buffer, n);
  const int status = pclose(pipe);
  r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return r;
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// Windows-1252 to UTF-8, written out here so that the expected values do not come from the code
// under test. Only the bytes Windows-1252 defines are used by the tests.
std::string Utf8(const std::string& cp1252) {
  static const unsigned short kHigh[32] = {
      0x20AC, 0, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0, 0x017D, 0,
      0, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0, 0x017E, 0x0178};
  std::string out;
  for (unsigned char c : cp1252) {
    unsigned cp = (c >= 0x80 && c < 0xA0) ? kHigh[c - 0x80] : c;
    if (cp < 0x80) {
      out += static_cast<char>(cp);
    } else if (cp < 0x800) {
      out += static_cast<char>(0xC0 | (cp >> 6));
      out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
      out += static_cast<char>(0xE0 | (cp >> 12));
      out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (cp & 0x3F));
    }
  }
  return out;
}

// What a cell reads back as: a Long in its plain decimal form ("+017" is 17).
std::string ReadBackText(const ColumnSpec& column, const std::string& cell) {
  return column.type == ColumnType::Long ? std::to_string(std::stol(cell)) : cell;
}

// One mdb-json line: a flat object of strings and numbers; null fields are left out. A value
// keeps a mark of its kind so that a number printed as a string is caught.
std::map<std::string, std::string> ParseJsonObject(const std::string& line) {
  std::map<std::string, std::string> fields;
  std::size_t i = 0;
  auto fail = [&]() -> std::map<std::string, std::string> {
    ADD_FAILURE() << "unexpected mdb-json output at " << i << ": " << line.substr(0, 200);
    return {};
  };
  auto parseString = [&](std::string& out) {
    if (line[i] != '"') return false;
    for (++i; i < line.size() && line[i] != '"'; ++i) {
      if (line[i] != '\\') {
        out += line[i];
        continue;
      }
      const char e = line[++i];
      if (e == 'u') {
        const unsigned cp = std::stoul(line.substr(i + 1, 4), nullptr, 16);
        i += 4;
        if (cp < 0x80) {
          out += static_cast<char>(cp);
        } else if (cp < 0x800) {
          out += static_cast<char>(0xC0 | (cp >> 6));
          out += static_cast<char>(0x80 | (cp & 0x3F));
        } else {
          out += static_cast<char>(0xE0 | (cp >> 12));
          out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
          out += static_cast<char>(0x80 | (cp & 0x3F));
        }
      } else {
        const std::string from = "nrtbf", to = "\n\r\t\b\f";
        const auto k = from.find(e);
        out += k == std::string::npos ? e : to[k];
      }
    }
    ++i;
    return true;
  };
  if (line.empty() || line[i++] != '{') return fail();
  while (i < line.size() && line[i] != '}') {
    std::string key, value;
    if (!parseString(key) || line[i++] != ':') return fail();
    if (line[i] == '"') {
      parseString(value);
      value = "s:" + value;
    } else {
      const std::size_t end = line.find_first_of(",}", i);
      value = "n:" + line.substr(i, end - i);
      i = end;
    }
    fields[key] = value;
    if (line[i] == ',') ++i;
  }
  return fields;
}

class WriterTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/writer-test-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir_ = pattern;
  }
  void TearDown() override { RunCommand("rm -rf " + Shell(dir_)); }

  std::string PathOf(const std::string& name) const { return dir_ + "/" + name; }

  std::string Write(const std::vector<TableSpec>& tables, const std::string& name = "test.mdb") {
    const std::string path = PathOf(name);
    jet::WriteJet3Database(path, tables);
    return path;
  }

  // Every row of every table, as mdbtools and as our reader see them, against what was written.
  static void ExpectReadBack(const std::string& path, const std::vector<TableSpec>& tables) {
    std::string names;
    for (const TableSpec& t : tables) names += t.name + "\n";
    EXPECT_EQ(Utf8(names), RunCommand("mdb-tables -1 " + Shell(path)).out);

    const std::string schema = RunCommand("mdb-schema " + Shell(path)).out;
    for (const TableSpec& t : tables) {
      std::string block = "CREATE TABLE [" + Utf8(t.name) + "]\n (\n";
      for (std::size_t i = 0; i < t.columns.size(); ++i) {
        const ColumnSpec& c = t.columns[i];
        block += "\t[" + Utf8(c.name) + "]\t\t\t" +
                 (c.type == ColumnType::Long ? std::string("Long Integer")
                                             : "Text (" + std::to_string(c.textLength) + ")") +
                 (i + 1 < t.columns.size() ? ", \n" : "\n");
      }
      block += ");";
      EXPECT_NE(schema.find(block), std::string::npos) << "mdb-schema lacks\n" << block << "\nin\n" << schema;
    }

    for (const TableSpec& t : tables) {
      const Result json = RunCommand("mdb-json " + Shell(path) + " " + Shell(Utf8(t.name)));
      ASSERT_EQ(0, json.status) << t.name;
      const std::vector<std::string> lines = Lines(json.out);
      ASSERT_EQ(t.rows.size(), lines.size()) << "rows of " << t.name;
      for (std::size_t r = 0; r < lines.size(); ++r) {
        std::map<std::string, std::string> expected;
        for (std::size_t i = 0; i < t.columns.size(); ++i) {
          // mdbtools prints an empty text like a null, leaving the field out; our reader below
          // tells the two apart.
          if (!t.rows[r][i] || (t.columns[i].type == ColumnType::Text && t.rows[r][i]->empty())) continue;
          expected[Utf8(t.columns[i].name)] =
              (t.columns[i].type == ColumnType::Long ? "n:" : "s:") + Utf8(ReadBackText(t.columns[i], *t.rows[r][i]));
        }
        ASSERT_EQ(expected, ParseJsonObject(lines[r])) << t.name << " row " << r + 1;
      }
    }

    // Our own reader, through the interface the query layer uses.
    const auto db = jet::Database::Open(path);
    EXPECT_EQ(jet::Database::Format::Jet3, db->FileFormat());
    std::vector<std::string> userTables;
    for (const TableSpec& t : tables) userTables.push_back(t.name);
    EXPECT_EQ(userTables, db->UserTableNames());
    for (const TableSpec& t : tables) {
      const jet::TableDefinition def = db->Table(t.name);
      ASSERT_EQ(t.columns.size(), def.columns.size());
      std::vector<std::size_t> all;
      for (std::size_t i = 0; i < t.columns.size(); ++i) {
        EXPECT_EQ(t.columns[i].name, def.columns[i].name);
        EXPECT_EQ(t.columns[i].type, def.columns[i].type);
        all.push_back(i);
      }
      std::size_t r = 0;
      db->ScanRows(def, all, [&](const std::vector<jet::Value>& fields) {
        ASSERT_LT(r, t.rows.size());
        for (std::size_t i = 0; i < fields.size(); ++i) {
          const auto& want = t.rows[r][i];
          EXPECT_EQ(!want, fields[i].null) << t.name << " row " << r + 1 << " column " << i;
          if (want && !fields[i].null) {
            EXPECT_EQ(ReadBackText(t.columns[i], *want), fields[i].text) << t.name << " row " << r + 1 << " column " << i;
          }
        }
        ++r;
      });
      EXPECT_EQ(t.rows.size(), r) << "rows our reader found in " << t.name;
    }
  }

  std::string dir_;
};

TableSpec People() {
  TableSpec t{"People", {{"Name", ColumnType::Text, 50}, {"Age", ColumnType::Long, 0}}, {}};
  t.rows = {{std::string("Ann"), std::string("34")}, {std::string("Bob"), std::string("-7")}};
  return t;
}

TEST_F(WriterTest, SeveralTablesKeepTheirOrderColumnsAndRows) {
  TableSpec places{"Places", {{"City", ColumnType::Text, 30}, {"Zip", ColumnType::Long, 0},
                              {"Country", ColumnType::Text, 2}}, {}};
  places.rows = {{std::string("Oslo"), std::string("150"), std::string("NO")},
                 {std::string("Lyon"), std::string("69001"), std::string("FR")}};
  TableSpec counts{"Counts", {{"N", ColumnType::Long, 0}}, {{std::string("1")}, {std::string("2")}}};
  const std::vector<TableSpec> tables = {People(), places, counts};
  const std::string path = Write(tables);
  EXPECT_EQ("JET3\n", RunCommand("mdb-ver " + Shell(path)).out);
  ExpectReadBack(path, tables);
}

TEST_F(WriterTest, CatalogHoldsTheSystemObjectsJetExpects) {
  const std::string path = Write({People()});
  const Result system = RunCommand("mdb-tables -S -1 " + Shell(path));
  for (const char* name : {"MSysObjects", "MSysACEs", "MSysQueries", "MSysRelationships"})
    EXPECT_NE(system.out.find(std::string(name) + "\n"), std::string::npos) << name;

  // Id, ParentId, Name, Type and Flags of every catalog row.
  std::vector<std::string> rows;
  for (const std::string& line : Lines(RunCommand("mdb-export " + Shell(path) + " MSysObjects").out)) {
    std::vector<std::string> f;
    std::istringstream in(line);
    for (std::string field; std::getline(in, field, ',');) f.push_back(field);
    ASSERT_GE(f.size(), 8u) << line;
    rows.push_back(f[0] + " " + f[1] + " " + f[2] + " " + f[3] + " " + f[7]);
  }
  const std::vector<std::string> expected = {
      "Id ParentId Name Type Flags",
      "251658241 251658240 \"Tables\" 3 -2147483648",
      "251658242 251658240 \"Databases\" 3 -2147483648",
      "251658243 251658240 \"Relationships\" 3 -2147483648",
      "268435456 251658242 \"MSysDb\" 2 -2147483648",
      "2 251658241 \"MSysObjects\" 1 -2147483648",
      "3 251658241 \"MSysACEs\" 1 -2147483648",
      "4 251658241 \"MSysQueries\" 1 -2147483648",
      "5 251658241 \"MSysRelationships\" 1 -2147483648",
  };
  ASSERT_EQ(expected.size() + 1, rows.size());
  for (std::size_t i = 0; i < expected.size(); ++i) EXPECT_EQ(expected[i], rows[i]);
  // The user table's Id is its definition page; it must be a real definition page.
  const std::string id = rows.back().substr(0, rows.back().find(' '));
  EXPECT_EQ(" 251658241 \"People\" 1 0", rows.back().substr(id.size()));
  std::ifstream file(path, std::ios::binary);
  file.seekg(std::stol(id) * 2048);
  EXPECT_EQ(0x02, file.get());

  // Every object the catalog names has permissions for the default Admin user.
  const std::string aces = RunCommand("mdb-export -b hex " + Shell(path) + " MSysACEs").out;
  for (const char* object : {"2", "3", "4", "5", "251658241", "251658242", "251658243", "268435456"})
    EXPECT_NE(aces.find("\n" + std::string(object) + ",\"0301\""), std::string::npos) << object;
  EXPECT_NE(aces.find("\n" + id + ",\"0301\",1048319,0"), std::string::npos);
}

TEST_F(WriterTest, ManyRowsSpreadOverSeveralPages) {
  TableSpec users{"Users", {{"Id", ColumnType::Long, 0}, {"Name", ColumnType::Text, 40},
                            {"Home", ColumnType::Text, 120}}, {}};
  for (int i = 0; i < 5000; ++i)
    users.rows.push_back({std::to_string(i * 3 - 7000), "user" + std::to_string(i),
                          i % 7 == 0 ? std::optional<std::string>() : "C:\\Profiles\\user" + std::to_string(i)});
  TableSpec after = People();  // a table whose pages come after the big one
  const std::vector<TableSpec> tables = {users, after};
  const std::string path = Write(tables);
  struct stat st {};
  ASSERT_EQ(0, stat(path.c_str(), &st));
  EXPECT_GT(st.st_size, 100 * 2048) << "5,000 rows should need many data pages";
  ExpectReadBack(path, tables);
}

// Past 1,024 pages a table's usage map no longer fits in its row and points to bitmap pages.
TEST_F(WriterTest, BenchmarkSizedTableReadsBackCompletely) {
  TableSpec users{"UserData", {{"UserID", ColumnType::Long, 0}, {"UserName", ColumnType::Text, 100},
                               {"Path", ColumnType::Text, 255}}, {}};
  for (int i = 0; i < 100000; ++i)
    users.rows.push_back({std::to_string(i + 1), "user" + std::to_string(i),
                          "\\\\server\\profiles$\\department-" + std::to_string(i % 97) + "\\user" + std::to_string(i)});
  const std::vector<TableSpec> tables = {users, People()};
  ExpectReadBack(Write(tables), tables);
}

// Jet 3 keeps one-byte offsets inside a row, so rows longer than 256 bytes carry a jump table;
// these rows put the end of each text column on and around every boundary.
TEST_F(WriterTest, LongTextsAcrossRowOffsetBoundaries) {
  TableSpec wide{"Wide", {{"A", ColumnType::Text, 255}, {"N", ColumnType::Long, 0}, {"B", ColumnType::Text, 255},
                          {"C", ColumnType::Text, 255}, {"D", ColumnType::Text, 255}}, {}};
  for (int a = 0; a <= 255; a += 5)
    for (int b : {0, 1, 254, 255}) {
      const int c = (a * 7 + b) % 256;
      wide.rows.push_back({std::string(a, 'a'), std::to_string(a - b), std::string(b, 'b'),
                           c % 3 == 0 ? std::optional<std::string>() : std::string(c, 'c'),
                           std::string(255 - a, 'd')});
    }
  wide.rows.push_back({std::string(255, 'x'), std::nullopt, std::string(255, 'y'), std::string(255, 'z'),
                       std::string(255, 'w')});
  const std::vector<TableSpec> tables = {wide};
  ExpectReadBack(Write(tables), tables);
}

TEST_F(WriterTest, NullsEmptyTextsAndExtremeLongs) {
  TableSpec t{"Values", {{"Text", ColumnType::Text, 10}, {"Number", ColumnType::Long, 0},
                         {"Other", ColumnType::Text, 10}}, {}};
  t.rows = {
      {std::nullopt, std::nullopt, std::nullopt},
      {std::string(""), std::string("0"), std::string("")},
      {std::string("min"), std::string("-2147483648"), std::nullopt},
      {std::string("max"), std::string("2147483647"), std::string("x")},
      {std::nullopt, std::string("-1"), std::string("after")},
      {std::string("plus"), std::string("+17"), std::nullopt},
      {std::string("zeros"), std::string("-0000012"), std::nullopt},
  };
  const std::vector<TableSpec> tables = {t};
  const std::string path = Write(tables);
  const std::vector<std::string> lines = Lines(RunCommand("mdb-json " + Shell(path) + " Values").out);
  ASSERT_EQ(7u, lines.size());
  EXPECT_EQ("{}", lines[0]);
  EXPECT_EQ("{\"Number\":0}", lines[1]);
  EXPECT_EQ((std::map<std::string, std::string>{{"Number", "n:17"}, {"Text", "s:plus"}}), ParseJsonObject(lines[5]));
  EXPECT_EQ((std::map<std::string, std::string>{{"Number", "n:-12"}, {"Text", "s:zeros"}}), ParseJsonObject(lines[6]));
  ExpectReadBack(path, tables);
}

TEST_F(WriterTest, WesternTextPassesThroughByteForByte) {
  TableSpec t{"Gr\xFC\xDF" "e", {{"N\xE4me", ColumnType::Text, 40}, {"Wert", ColumnType::Long, 0}}, {}};
  t.rows = {{std::string("M\xFCller"), std::string("1")},
            {std::string("\x80uro \x8C" "uvre \x93quoted\x94 \x85"), std::string("2")},
            {std::string("na\xEFve caf\xE9 \xA9\xAE\xB0"), std::string("3")},
            {std::string("\xC0\xC1\xD1\xF1\xFF\x9F\x8A\x9A"), std::string("4")}};
  const std::vector<TableSpec> tables = {t};
  ExpectReadBack(Write(tables), tables);
}

TEST_F(WriterTest, DuplicateValuesKeepTheirStoredOrder) {
  TableSpec t{"UserData", {{"UserName", ColumnType::Text, 20}, {"Path", ColumnType::Text, 60}}, {}};
  for (int i = 0; i < 600; ++i)  // crosses data pages, so order across pages counts too
    t.rows.push_back({std::string(i % 3 == 0 ? "alice" : "Alice"), "C:\\Users\\alice\\" + std::to_string(i)});
  const std::vector<TableSpec> tables = {t};
  ExpectReadBack(Write(tables), tables);
}

TEST_F(WriterTest, EmptyTablesAndNoTables) {
  const std::vector<TableSpec> tables = {{"Nothing", {{"A", ColumnType::Text, 5}, {"B", ColumnType::Long, 0}}, {}},
                                         People(),
                                         {"AlsoEmpty", {{"X", ColumnType::Long, 0}}, {}}};
  ExpectReadBack(Write(tables), tables);
  const std::string none = Write({}, "none.mdb");
  EXPECT_EQ("", RunCommand("mdb-tables -1 " + Shell(none)).out);
  EXPECT_TRUE(jet::Database::Open(none)->UserTableNames().empty());
}

TEST_F(WriterTest, ReplacesAnExistingFile) {
  const std::string path = PathOf("again.mdb");
  { std::ofstream(path) << std::string(500000, 'j'); }
  const std::vector<TableSpec> tables = {People()};
  jet::WriteJet3Database(path, tables);
  struct stat st {};
  ASSERT_EQ(0, stat(path.c_str(), &st));
  EXPECT_LT(st.st_size, 500000);
  ExpectReadBack(path, tables);
}

struct BadInput {
  const char* what;
  std::vector<TableSpec> tables;
  const char* message;  // part of the error's text
};

std::vector<BadInput> BadInputs() {
  auto with = [](auto change) {
    TableSpec t = People();
    change(t);
    return std::vector<TableSpec>{t};
  };
  TableSpec tooWide{"Wide", {}, {}};
  for (int i = 0; i < 256; ++i) tooWide.columns.push_back({"C" + std::to_string(i), ColumnType::Long, 0});
  TableSpec wideRow{"WideRow", {}, {RowSpec()}};
  for (int i = 0; i < 8; ++i) {
    wideRow.columns.push_back({"T" + std::to_string(i), ColumnType::Text, 255});
    wideRow.rows[0].push_back(std::string(255, 'r'));
  }
  return {
      {"unknown type", with([](TableSpec& t) { t.columns[1].type = ColumnType::Double; }), "type"},
      {"memo type", with([](TableSpec& t) { t.columns[0].type = ColumnType::Memo; }), "type"},
      {"too many columns", {tooWide}, "too many columns"},
      {"text length 0", with([](TableSpec& t) { t.columns[0].textLength = 0; }), "1 to 255"},
      {"text length 256", with([](TableSpec& t) { t.columns[0].textLength = 256; }), "1 to 255"},
      {"text too long", with([](TableSpec& t) { t.rows[1][0] = std::string(51, 'x'); }), "longer than column"},
      {"long with letters", with([](TableSpec& t) { t.rows[0][1] = std::string("12a"); }), "not a Long"},
      {"long empty", with([](TableSpec& t) { t.rows[0][1] = std::string(""); }), "not a Long"},
      {"long with space", with([](TableSpec& t) { t.rows[0][1] = std::string(" 5"); }), "not a Long"},
      {"long sign only", with([](TableSpec& t) { t.rows[0][1] = std::string("-"); }), "not a Long"},
      {"long too big", with([](TableSpec& t) { t.rows[0][1] = std::string("2147483648"); }), "range"},
      {"long too small", with([](TableSpec& t) { t.rows[0][1] = std::string("-2147483649"); }), "range"},
      {"long far too big", with([](TableSpec& t) { t.rows[0][1] = std::string("99999999999"); }), "not a Long"},
      {"row too short", with([](TableSpec& t) { t.rows[1].pop_back(); }), "row 2 has 1 values for 2 columns"},
      {"row too long", with([](TableSpec& t) { t.rows[0].push_back(std::nullopt); }), "3 values"},
      {"row wider than a page", {wideRow}, "wider than a page"},
      {"no columns", with([](TableSpec& t) { t.columns.clear(); t.rows.clear(); }), "no columns"},
      {"empty table name", with([](TableSpec& t) { t.name = ""; }), "1 to 64"},
      {"long table name", with([](TableSpec& t) { t.name = std::string(65, 'n'); }), "1 to 64"},
      {"dot in name", with([](TableSpec& t) { t.name = "a.b"; }), "does not allow"},
      {"bracket in column", with([](TableSpec& t) { t.columns[0].name = "x[1]"; }), "does not allow"},
      {"leading space", with([](TableSpec& t) { t.columns[0].name = " x"; }), "space"},
      {"system name", with([](TableSpec& t) { t.name = "msysMine"; }), "reserved"},
      {"duplicate column", with([](TableSpec& t) { t.columns[1].name = "NAME"; }), "two columns"},
      {"duplicate table", {People(), [] { TableSpec t = People(); t.name = "PEOPLE"; return t; }()}, "Two tables"},
  };
}

TEST_F(WriterTest, RejectsBadInputWithoutWritingAFile) {
  for (const BadInput& bad : BadInputs()) {
    const std::string path = PathOf("bad.mdb");
    try {
      jet::WriteJet3Database(path, bad.tables);
      ADD_FAILURE() << bad.what << ": no error";
    } catch (const jet::Error& e) {
      EXPECT_NE(std::string(e.what()).find(bad.message), std::string::npos) << bad.what << ": " << e.what();
    }
    EXPECT_NE(0, access(path.c_str(), F_OK)) << bad.what << ": a file was written";
  }
}

TEST_F(WriterTest, ReportsAFileThatCannotBeWritten) {
  EXPECT_THROW(jet::WriteJet3Database(PathOf("no/such/folder/x.mdb"), {People()}), jet::Error);
}

// ---- the makeprofile tool ----

class MakeProfileTest : public WriterTest {
 protected:
  static Result Tool(const std::string& args) { return RunCommand(Shell(MAKEPROFILE_PATH) + " " + args); }

  // (UserID, UserName, Path) of each row, as mdb-json prints them.
  static std::vector<std::string> Users(const std::string& path) {
    std::vector<std::string> users;
    for (const std::string& line : Lines(RunCommand("mdb-json " + Shell(path) + " UserData").out)) {
      auto f = ParseJsonObject(line);
      EXPECT_EQ(0u, f.count("DeviceName"));
      EXPECT_EQ("n:0", f["SyncCount"]);
      users.push_back(f["UserID"].substr(2) + "|" + f["UserName"].substr(2) + "|" + f["Path"].substr(2));
    }
    return users;
  }
};

TEST_F(MakeProfileTest, WritesUsersInTheOrderGiven) {
  const std::string list = PathOf("users.txt");
  std::ofstream(list, std::ios::binary) << "carol\tD:\\Home\\carol\r\n\nbob\t\\\\srv\\share=1\\bob\n"
                                        << "J\xF6rg\tC:\\Benutzer\\J\xF6rg\n";
  const std::string out = PathOf("Profile.mdb");
  const Result r = Tool(Shell(out) + " " + Shell("bob=C:\\bob") + " --from " + Shell(list) + " " + Shell("alice=C:\\a=b") + " " +
                        Shell("bob=C:\\other"));
  ASSERT_EQ(0, r.status);
  EXPECT_EQ("UserData\n", RunCommand("mdb-tables -1 " + Shell(out)).out);
  const std::string schema = RunCommand("mdb-schema " + Shell(out)).out;
  for (const char* column : {"[UserID]\t\t\tLong Integer", "[UserName]\t\t\tText", "[Path]\t\t\tText (255)",
                             "[DeviceName]\t\t\tText", "[SyncCount]\t\t\tLong Integer"})
    EXPECT_NE(schema.find(column), std::string::npos) << column;
  const std::vector<std::string> expected = {"1|bob|C:\\bob",
                                             "2|carol|D:\\Home\\carol",
                                             "3|bob|\\\\srv\\share=1\\bob",
                                             "4|" + Utf8("J\xF6rg") + "|" + Utf8("C:\\Benutzer\\J\xF6rg"),
                                             "5|alice|C:\\a=b",
                                             "6|bob|C:\\other"};
  EXPECT_EQ(expected, Users(out));
}

TEST_F(MakeProfileTest, EmptyProfile) {
  const std::string out = PathOf("Empty.mdb");
  ASSERT_EQ(0, Tool(Shell(out) + " --empty").status);
  EXPECT_EQ("UserData\n", RunCommand("mdb-tables -1 " + Shell(out)).out);
  EXPECT_TRUE(Users(out).empty());
}

TEST_F(MakeProfileTest, ManyUsersFromAFile) {
  const std::string list = PathOf("many.txt");
  std::vector<std::string> expected;
  {
    std::ofstream f(list);
    for (int i = 0; i < 3000; ++i) {
      f << "user" << i % 1000 << "\tC:\\Profiles\\" << i << "\n";
      expected.push_back(std::to_string(i + 1) + "|user" + std::to_string(i % 1000) + "|C:\\Profiles\\" +
                         std::to_string(i));
    }
  }
  const std::string out = PathOf("Many.mdb");
  ASSERT_EQ(0, Tool(Shell(out) + " --from " + Shell(list)).status);
  EXPECT_EQ(expected, Users(out));
}

TEST_F(MakeProfileTest, BadArgumentsFailWithUsage) {
  const std::string out = PathOf("bad.mdb");
  struct Case {
    const char* what;
    std::string args;
  };
  const std::vector<Case> cases = {
      {"nothing", ""},
      {"no users", Shell(out)},
      {"option first", "--empty"},
      {"unknown option", Shell(out) + " --fast a=b"},
      {"pair without '='", Shell(out) + " alice"},
      {"empty name", Shell(out) + " =C:\\x"},
      {"--empty with users", Shell(out) + " --empty a=b"},
      {"--from without file", Shell(out) + " --from"},
      {"missing file", Shell(out) + " --from " + Shell(PathOf("absent.txt"))},
  };
  for (const Case& c : cases) {
    const Result r = RunCommand(Shell(MAKEPROFILE_PATH) + " " + c.args, true);
    EXPECT_NE(0, r.status) << c.what;
    EXPECT_NE(r.out.find("usage: makeprofile"), std::string::npos) << c.what << ": " << r.out;
    EXPECT_NE(0, access(out.c_str(), F_OK)) << c.what;
  }
  // Names the writer refuses are reported as such, still without a file.
  std::ofstream(PathOf("tab.txt")) << "noPath\n";
  EXPECT_NE(0, Tool(Shell(out) + " --from " + Shell(PathOf("tab.txt"))).status);
  const Result tooLong = RunCommand(Shell(MAKEPROFILE_PATH) + " " + Shell(out) + " a=" + std::string(300, 'p'), true);
  EXPECT_EQ(1, tooLong.status);
  EXPECT_NE(tooLong.out.find("longer than column 'Path'"), std::string::npos) << tooLong.out;
  EXPECT_NE(0, access(out.c_str(), F_OK));
}

}  // namespace
