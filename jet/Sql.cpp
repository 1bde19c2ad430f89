#include "jet/Sql.h"

#include <cstring>

#include "jet/Collation.h"

namespace jet {
namespace {

enum class Tok { Name, BracketName, Literal, Star, Comma, Equals, Semicolon, End, Other };

struct Token {
  Tok kind = Tok::End;
  std::string text;        // name or literal contents
  std::size_t offset = 0;  // 0-based into the statement
  std::size_t length = 0;
};

bool IsSpace(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v';
}
bool IsNameStart(char c) {
  const unsigned char u = static_cast<unsigned char>(c);
  return (u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z') || u == '_' || u >= 0x80;
}
bool IsNameChar(char c) { return IsNameStart(c) || (c >= '0' && c <= '9'); }

const char* const kKeywords[] = {"SELECT", "FROM", "WHERE", "ORDER", "BY", "ASC", "DESC"};

bool IsKeyword(std::string_view word) {
  for (const char* k : kKeywords) {
    if (TextEqual(word, k)) return true;
  }
  return false;
}

class Parser {
 public:
  explicit Parser(std::string_view sql) : sql_(sql) { Advance(); }

  SelectStatement Parse() {
    SelectStatement st;
    ExpectKeyword("SELECT");
    if (tok_.kind == Tok::Star) {
      st.allColumns = true;
      Advance();
    } else {
      st.columns.push_back(ExpectName("a column name or *"));
      while (tok_.kind == Tok::Comma) {
        Advance();
        st.columns.push_back(ExpectName("a column name"));
      }
    }
    ExpectKeyword("FROM");
    st.table = ExpectName("a table name");
    if (AtKeyword("WHERE")) {
      Advance();
      SqlCondition cond;
      cond.column = ExpectName("a column name");
      if (tok_.kind != Tok::Equals) Fail("=");
      Advance();
      if (tok_.kind != Tok::Literal) Fail("a text literal in single quotes");
      cond.literal = tok_.text;
      Advance();
      st.where = std::move(cond);
    }
    if (AtKeyword("ORDER")) {
      Advance();
      ExpectKeyword("BY");
      do {
        if (!st.orderBy.empty()) Advance();  // the comma
        SqlSortKey key;
        key.column = ExpectName("a column name");
        if (AtKeyword("ASC")) {
          Advance();
        } else if (AtKeyword("DESC")) {
          key.descending = true;
          Advance();
        }
        st.orderBy.push_back(std::move(key));
      } while (tok_.kind == Tok::Comma);
    }
    if (tok_.kind == Tok::Semicolon) Advance();
    if (tok_.kind != Tok::End) Fail("end of statement");
    return st;
  }

 private:
  [[noreturn]] void Fail(const std::string& expected) const {
    std::string msg = "SQL: expected " + expected + " at position " +
                      std::to_string(tok_.offset + 1);
    if (tok_.kind == Tok::End) {
      msg += " (end of statement)";
    } else {
      // Enough of what was found to recognise it, not the rest of the statement.
      std::string_view near = sql_.substr(tok_.offset, tok_.length);
      if (near.size() > 20) near = near.substr(0, 20);
      msg += " near '" + std::string(near) + "'";
    }
    throw Error(msg);
  }

  bool AtKeyword(const char* keyword) const {
    return tok_.kind == Tok::Name && TextEqual(tok_.text, keyword);
  }

  void ExpectKeyword(const char* keyword) {
    if (!AtKeyword(keyword)) Fail(keyword);
    Advance();
  }

  SqlName ExpectName(const char* what) {
    if (tok_.kind == Tok::BracketName || (tok_.kind == Tok::Name && !IsKeyword(tok_.text))) {
      SqlName name{tok_.text, tok_.offset + 1};
      Advance();
      return name;
    }
    Fail(what);
  }

  void Advance() {
    std::size_t i = pos_;
    while (i < sql_.size() && IsSpace(sql_[i])) ++i;
    tok_ = Token{};
    tok_.offset = i;
    if (i >= sql_.size()) {
      tok_.kind = Tok::End;
      pos_ = i;
      return;
    }
    const char c = sql_[i];
    std::size_t end = i + 1;
    if (IsNameStart(c)) {
      while (end < sql_.size() && IsNameChar(sql_[end])) ++end;
      tok_.kind = Tok::Name;
      tok_.text.assign(sql_.substr(i, end - i));
    } else if (c == '[') {
      while (end < sql_.size() && sql_[end] != ']') ++end;
      if (end >= sql_.size()) {
        throw Error("SQL: unterminated [name] starting at position " + std::to_string(i + 1));
      }
      if (end == i + 1) throw Error("SQL: empty [] name at position " + std::to_string(i + 1));
      tok_.kind = Tok::BracketName;
      tok_.text.assign(sql_.substr(i + 1, end - i - 1));
      ++end;
    } else if (c == '\'') {
      tok_.kind = Tok::Literal;
      for (;;) {
        if (end >= sql_.size()) {
          throw Error("SQL: unterminated text literal starting at position " +
                      std::to_string(i + 1));
        }
        if (sql_[end] == '\'') {
          if (end + 1 < sql_.size() && sql_[end + 1] == '\'') {
            tok_.text += '\'';
            end += 2;
            continue;
          }
          ++end;
          break;
        }
        tok_.text += sql_[end++];
      }
    } else if (c >= '0' && c <= '9') {
      // Not a name (names cannot start with a digit), but quoted whole in the message.
      while (end < sql_.size() && IsNameChar(sql_[end])) ++end;
      tok_.kind = Tok::Other;
    } else if (c == '*') {
      tok_.kind = Tok::Star;
    } else if (c == ',') {
      tok_.kind = Tok::Comma;
    } else if (c == '=') {
      tok_.kind = Tok::Equals;
    } else if (c == ';') {
      tok_.kind = Tok::Semicolon;
    } else {
      tok_.kind = Tok::Other;
    }
    tok_.length = end - i;
    pos_ = end;
  }

  std::string_view sql_;
  std::size_t pos_ = 0;
  Token tok_;
};

}  // namespace

SelectStatement ParseSelect(std::string_view sql) { return Parser(sql).Parse(); }

std::string EscapeTextLiteral(std::string_view text) {
  std::string out;
  out.reserve(text.size() + 2);
  for (char c : text) {
    out += c;
    if (c == '\'') out += '\'';
  }
  return out;
}

}  // namespace jet
