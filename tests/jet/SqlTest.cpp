#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "jet/Collation.h"
#include "jet/Sql.h"
#include "jet/Text.h"

namespace {

// Columns, table, where, and order keys of a statement in one line, so that a table of cases
// can say what each statement must parse to. Sort keys end in '+' (ASC) or '-' (DESC).
std::string Describe(const jet::SelectStatement& st) {
  std::string out = "cols=";
  if (st.allColumns) out += "*";
  for (std::size_t i = 0; i < st.columns.size(); ++i) {
    out += (i ? "|" : "") + st.columns[i].text;
  }
  out += " table=" + st.table.text;
  if (st.where) out += " where=" + st.where->column.text + ":" + st.where->literal;
  if (!st.orderBy.empty()) {
    out += " order=";
    for (std::size_t i = 0; i < st.orderBy.size(); ++i) {
      out += (i ? "|" : "") + st.orderBy[i].column.text + (st.orderBy[i].descending ? "-" : "+");
    }
  }
  return out;
}

struct Accepted {
  const char* sql;
  const char* parsed;
};

TEST(SqlParse, AcceptedStatements) {
  const Accepted cases[] = {
      // The four statements the profile directory sends.
      {"SELECT UserName FROM UserData ORDER BY UserName ASC",
       "cols=UserName table=UserData order=UserName+"},
      {"SELECT Path FROM UserData WHERE UserName = 'Anna'",
       "cols=Path table=UserData where=UserName:Anna"},
      {"SELECT * FROM UserData ORDER BY UserName ASC", "cols=* table=UserData order=UserName+"},
      {"SELECT Path FROM UserData WHERE UserName = ''", "cols=Path table=UserData where=UserName:"},
      // Doubled quotes stand for one; the literal may hold keywords, brackets, semicolons.
      {"SELECT Path FROM UserData WHERE UserName = 'O''Brien'",
       "cols=Path table=UserData where=UserName:O'Brien"},
      {"SELECT Path FROM UserData WHERE UserName = ''''", "cols=Path table=UserData where=UserName:'"},
      {"SELECT Path FROM UserData WHERE UserName = 'x'' OR UserName = ''Anna'",
       "cols=Path table=UserData where=UserName:x' OR UserName = 'Anna"},
      {"SELECT a FROM t WHERE b = ' FROM [x]; ORDER BY '", "cols=a table=t where=b: FROM [x]; ORDER BY "},
      // Keywords in any case, whitespace of any kind and amount, or none where a symbol ends a token.
      {"select username from userdata order by username asc",
       "cols=username table=userdata order=username+"},
      {"SeLeCt Path FrOm UserData wHeRe UserName='Anna'", "cols=Path table=UserData where=UserName:Anna"},
      {"  SELECT\tPath\r\nFROM\n UserData  ", "cols=Path table=UserData"},
      {"SELECT*FROM t", "cols=* table=t"},
      {"SELECT a,b , c FROM t", "cols=a|b|c table=t"},
      // Brackets: spaces, keywords, punctuation inside; bracketed names next to symbols.
      {"SELECT [User Name], [From] FROM [User Data]", "cols=User Name|From table=User Data"},
      {"SELECT [a] FROM [t] WHERE [b]='1' ORDER BY [c] DESC", "cols=a table=t where=b:1 order=c-"},
      {"SELECT [a-b.c'd] FROM t", "cols=a-b.c'd table=t"},
      // Names with digits, underscores and Windows-1252 letters.
      {"SELECT _id, col2, \xC4rger FROM T\xE9st", "cols=_id|col2|\xC4rger table=T\xE9st"},
      // Several sort keys, each with or without a direction.
      {"SELECT * FROM t ORDER BY a, b DESC, c ASC, d", "cols=* table=t order=a+|b-|c+|d+"},
      {"SELECT * FROM t WHERE a = 'x' ORDER BY b desc", "cols=* table=t where=a:x order=b-"},
      // One trailing semicolon, with or without space around it.
      {"SELECT * FROM t;", "cols=* table=t"},
      {"SELECT * FROM t ORDER BY a DESC ; \n", "cols=* table=t order=a-"},
  };
  for (const Accepted& c : cases) {
    SCOPED_TRACE(c.sql);
    EXPECT_EQ(Describe(jet::ParseSelect(c.sql)), c.parsed);
  }
}

struct Refused {
  const char* sql;
  const char* message;  // must appear in the error's text
};

TEST(SqlParse, RefusedStatementsSayWhatAndWhere) {
  const Refused cases[] = {
      {"SELECT UserName FORM UserData", "SQL: expected FROM at position 17 near 'FORM'"},
      {"", "expected SELECT at position 1 (end of statement)"},
      {"   ", "expected SELECT at position 4 (end of statement)"},
      {"UPDATE t SET a = 'b'", "expected SELECT at position 1 near 'UPDATE'"},
      {"SELECT FROM t", "expected a column name or * at position 8 near 'FROM'"},
      {"SELECT a, FROM t", "expected a column name at position 11 near 'FROM'"},
      {"SELECT a b FROM t", "expected FROM at position 10 near 'b'"},
      {"SELECT * FROM", "expected a table name at position 14 (end of statement)"},
      {"SELECT * FROM t, u", "expected end of statement at position 16 near ','"},
      {"SELECT *, a FROM t", "expected FROM at position 9 near ','"},
      {"SELECT a.b FROM t", "expected FROM at position 9 near '.'"},
      {"SELECT * FROM t WHERE", "expected a column name at position 22"},
      {"SELECT * FROM t WHERE a 'x'", "expected = at position 25 near ''x''"},
      {"SELECT * FROM t WHERE a <> 'x'", "expected = at position 25 near '<'"},
      {"SELECT * FROM t WHERE a = \"x\"", "expected a text literal in single quotes at position 27"},
      {"SELECT * FROM t WHERE a = 5", "expected a text literal in single quotes at position 27 near '5'"},
      {"SELECT * FROM t WHERE a = b", "expected a text literal in single quotes at position 27 near 'b'"},
      {"SELECT * FROM t WHERE a = 'x' AND b = 'y'", "expected end of statement at position 31 near 'AND'"},
      {"SELECT * FROM t ORDER a", "expected BY at position 23 near 'a'"},
      {"SELECT * FROM t ORDER BY", "expected a column name at position 25 (end of statement)"},
      {"SELECT * FROM t ORDER BY a,", "expected a column name at position 28"},
      {"SELECT * FROM t ORDER BY a DESC DESC", "expected end of statement at position 33 near 'DESC'"},
      {"SELECT * FROM t ORDER BY a WHERE b = 'x'", "expected end of statement at position 28 near 'WHERE'"},
      {"SELECT * FROM t;;", "expected end of statement at position 17 near ';'"},
      {"SELECT * FROM t; SELECT * FROM u", "expected end of statement at position 18 near 'SELECT'"},
      // Keywords are not names unless bracketed.
      {"SELECT from FROM t", "expected a column name or * at position 8 near 'from'"},
      {"SELECT * FROM order", "expected a table name at position 15 near 'order'"},
      {"SELECT 1a FROM t", "expected a column name or * at position 8 near '1a'"},
      // Unterminated pieces.
      {"SELECT * FROM t WHERE a = 'x", "unterminated text literal starting at position 27"},
      {"SELECT * FROM t WHERE a = 'x''", "unterminated text literal starting at position 27"},
      {"SELECT * FROM [t WHERE a = 'x'", "unterminated [name] starting at position 15"},
      {"SELECT [] FROM t", "empty [] name at position 8"},
      // A name with a quote pasted in verbatim cannot make a valid statement.
      {"SELECT Path FROM UserData WHERE UserName = 'O'Brien'",
       "expected end of statement at position 47 near 'Brien'"},
      {"SELECT Path FROM UserData WHERE UserName = 'O'Brien",
       "expected end of statement at position 47 near 'Brien'"},
  };
  for (const Refused& c : cases) {
    SCOPED_TRACE(c.sql);
    try {
      jet::ParseSelect(c.sql);
      ADD_FAILURE() << "accepted";
    } catch (const jet::Error& e) {
      EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos) << e.what();
    }
  }
}

TEST(SqlParse, ErrorQuotesOnlyTheStartOfALongToken) {
  const std::string longName(100, 'x');
  try {
    jet::ParseSelect("SELECT a " + longName + " FROM t");
    FAIL() << "accepted";
  } catch (const jet::Error& e) {
    EXPECT_EQ(std::string(e.what()),
              "SQL: expected FROM at position 10 near '" + std::string(20, 'x') + "'");
  }
}

TEST(SqlParse, NamesRememberWhereTheyWereWritten) {
  const jet::SelectStatement st =
      jet::ParseSelect("SELECT a, [b] FROM t WHERE c = 'x' ORDER BY d");
  EXPECT_EQ(st.columns.at(0).position, 8u);
  EXPECT_EQ(st.columns.at(1).position, 11u);
  EXPECT_EQ(st.table.position, 20u);
  EXPECT_EQ(st.where->column.position, 28u);
  EXPECT_EQ(st.orderBy.at(0).column.position, 45u);
}

TEST(SqlEscape, DoubledQuotesRoundTripThroughTheParser) {
  const char* names[] = {"", "Anna", "O'Brien", "'", "''", "x' OR UserName = 'Anna", "a'';--"};
  for (const char* name : names) {
    SCOPED_TRACE(name);
    const std::string sql =
        "SELECT Path FROM UserData WHERE UserName = '" + jet::EscapeTextLiteral(name) + "'";
    const jet::SelectStatement st = jet::ParseSelect(sql);
    ASSERT_TRUE(st.where.has_value());
    EXPECT_EQ(st.where->literal, name);
    EXPECT_TRUE(st.orderBy.empty());
  }
  EXPECT_EQ(jet::EscapeTextLiteral("O'Br'ien"), "O''Br''ien");
}

// --- Jet's text comparison -----------------------------------------------------------------

TEST(TextCollation, CaseFoldsAcrossWindows1252) {
  // Every upper-case letter of the code page with its lower-case partner.
  std::vector<std::pair<int, int>> pairs = {{0x8A, 0x9A}, {0x8C, 0x9C}, {0x8E, 0x9E}, {0x9F, 0xFF}};
  for (int c = 'A'; c <= 'Z'; ++c) pairs.push_back({c, c + 0x20});
  for (int c = 0xC0; c <= 0xDE; ++c) {
    if (c != 0xD7) pairs.push_back({c, c + 0x20});
  }
  for (auto [upper, lower] : pairs) {
    SCOPED_TRACE(upper);
    EXPECT_EQ(jet::FoldCase1252(static_cast<unsigned char>(upper)), lower);
    EXPECT_EQ(jet::FoldCase1252(static_cast<unsigned char>(lower)), lower);
  }
  // No partner: × and ÷ are not letters; ß, ƒ, µ have no upper case in the code page; the
  // bytes just below the letter ranges must not be shifted.
  for (int c : {0xD7, 0xF7, 0xDF, 0x83, 0xB5, int('@'), int('['), int('`'), int('{'), 0xBF, 0x80, 0x00}) {
    SCOPED_TRACE(c);
    EXPECT_EQ(jet::FoldCase1252(static_cast<unsigned char>(c)), c);
  }
}

TEST(TextCollation, AgreesWithTheReadersNameFolding) {
  // The reader finds tables by name with its own folding; a column the query layer accepts in
  // one case must not be a table name the reader refuses in the same case.
  for (int c = 0; c < 256; ++c) {
    SCOPED_TRACE(c);
    const std::string byte(1, static_cast<char>(c));
    EXPECT_EQ(std::string(1, static_cast<char>(jet::FoldCase1252(static_cast<unsigned char>(c)))),
              jet::FoldCase(byte));
  }
}

TEST(TextCollation, EqualityIgnoresCaseButNotAccents) {
  struct Case {
    const char* a;
    const char* b;
    bool equal;
  };
  const Case cases[] = {
      {"Anna", "ANNA", true},
      {"\xC9mile", "\xE9MILE", true},          // Émile / éMILE
      {"M\xD6LLER", "m\xF6ller", true},        // ö
      {"\x8A\x8C\x8E\x9F", "\x9A\x9C\x9E\xFF", true},  // ŠŒŽŸ / šœžÿ
      {"\xC6\xD8\xC5", "\xE6\xF8\xE5", true},  // ÆØÅ
      {"Emile", "\xC9mile", false},            // an accent is a different letter
      {"Anna", "Anna ", false},
      {"Anna", "Ann", false},
      {"", "", true},
      {"\xD7", "\xF7", false},                 // × is not ÷
      {"[", "{", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.a) + " / " + c.b);
    EXPECT_EQ(jet::TextEqual(c.a, c.b), c.equal);
    EXPECT_EQ(jet::CompareText(c.a, c.b) == 0, c.equal);
  }
}

TEST(TextCollation, OrderPutsAccentedLettersWithTheirBase) {
  // Each text must sort strictly before the next.
  const std::vector<std::string> ascending = {
      "", "1", "A", "ab", "Ab c", "Emil", "\xC9mile", "emma", "\xC9mma", "f", "m\xF6", "mp",
      "\x9A" "a", "Sb", "Zeta", "\x8E" "eta", "z\xFF",
  };
  for (std::size_t i = 0; i < ascending.size(); ++i) {
    for (std::size_t j = 0; j < ascending.size(); ++j) {
      SCOPED_TRACE(ascending[i] + " vs " + ascending[j]);
      const int c = jet::CompareText(ascending[i], ascending[j]);
      if (i < j) {
        EXPECT_LT(c, 0);
      } else if (i == j) {
        EXPECT_EQ(c, 0);
      } else {
        EXPECT_GT(c, 0);
      }
    }
  }
}

}  // namespace
