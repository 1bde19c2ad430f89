// The jetquery shell as a script uses it: exact output bytes, exit status, and where the
// messages go.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "jet/Writer.h"

namespace {

namespace fs = std::filesystem;

struct Outcome {
  int status = -1;
  std::string out;
  std::string err;
};

std::string Quote(const std::string& s) {
  std::string q = "'";
  for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}

std::string Slurp(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

class Jetquery : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("jetquery_test_" + std::to_string(::getpid()) + "_" +
                                        ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::create_directories(dir_);
    db_ = (dir_ / "p.mdb").string();
    jet::TableSpec users;
    users.name = "UserData";
    users.columns = {{"UserID", jet::ColumnType::Long, 0},
                     {"UserName", jet::ColumnType::Text, 64},
                     {"Path", jet::ColumnType::Text, 64}};
    users.rows = {
        {"1", "Zo\xEB", "a\"b\\c"},               // Zoë; a quote and a backslash to escape
        {"-7", "\x80uro", std::nullopt},          // € is three bytes in UTF-8; a null
        {"3", "tab\there", "ctl\x01"},            // control characters as escapes
    };
    jet::TableSpec other;
    other.name = "Caf\xE9";  // Café
    other.columns = {{"X", jet::ColumnType::Long, 0}};
    jet::WriteJet3Database(db_, {users, other});
  }
  void TearDown() override { fs::remove_all(dir_); }

  Outcome Jq(const std::string& args) const {
    const fs::path out = dir_ / "out", err = dir_ / "err";
    const std::string cmd = std::string(JETQUERY_PATH) + " " + args + " >" + out.string() +
                            " 2>" + err.string();
    const int raw = std::system(cmd.c_str());
    Outcome r;
    r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    r.out = Slurp(out);
    r.err = Slurp(err);
    return r;
  }

  fs::path dir_;
  std::string db_;
};

TEST_F(Jetquery, RowsAsJsonLinesInUtf8) {
  const Outcome r = Jq(Quote(db_) + " " + Quote("SELECT * FROM UserData ORDER BY UserID DESC"));
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(r.out,
            "{\"UserID\":3,\"UserName\":\"tab\\there\",\"Path\":\"ctl\\u0001\"}\n"
            "{\"UserID\":1,\"UserName\":\"Zo\xC3\xAB\",\"Path\":\"a\\\"b\\\\c\"}\n"
            "{\"UserID\":-7,\"UserName\":\"\xE2\x82\xACuro\",\"Path\":null}\n");
}

TEST_F(Jetquery, StatementIsReadAsUtf8) {
  // Typed in a UTF-8 shell, ZOË must find the Windows-1252 Zoë.
  const Outcome r = Jq(Quote(db_) + " " + Quote("select path from userdata where UserName = 'ZO\xC3\x8B'"));
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "{\"Path\":\"a\\\"b\\\\c\"}\n");
}

TEST_F(Jetquery, EmptyResultPrintsNothing) {
  const Outcome r = Jq(Quote(db_) + " " + Quote("SELECT * FROM UserData WHERE UserName = 'nobody'"));
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.err, "");
}

TEST_F(Jetquery, TablesOnePerLine) {
  const Outcome r = Jq("--tables " + Quote(db_));
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "UserData\nCaf\xC3\xA9\n");
}

TEST_F(Jetquery, FailuresGoToStderrWithStatusOne) {
  const std::pair<std::string, std::string> cases[] = {
      {Quote(db_) + " " + Quote("SELECT Pth FROM UserData"), "no such column 'Pth' in table 'UserData'"},
      {Quote(db_) + " " + Quote("SELECT UserName FORM UserData"), "expected FROM at position 17 near 'FORM'"},
      {Quote(db_) + " " + Quote("SELECT * FROM UserData WHERE UserName = 'O'Brien'"), "SQL:"},
      {Quote(db_) + " " + Quote("SELECT * FROM Nope"), "Nope"},
      {Quote((dir_ / "missing.mdb").string()) + " " + Quote("SELECT * FROM UserData"), "missing.mdb"},
      {"--tables " + Quote((dir_ / "missing.mdb").string()), "missing.mdb"},
  };
  for (const auto& [args, message] : cases) {
    SCOPED_TRACE(args);
    const Outcome r = Jq(args);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find(message), std::string::npos) << r.err;
  }
}

TEST_F(Jetquery, WrongCommandLineIsUsageWithStatusTwo) {
  for (const std::string& args : {std::string(""), Quote(db_), std::string("--tables"), "--nope " + Quote(db_),
                                  Quote(db_) + " 'SELECT * FROM UserData' extra"}) {
    SCOPED_TRACE(args);
    const Outcome r = Jq(args);
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find("usage: jetquery"), std::string::npos) << r.err;
  }
}

}  // namespace
