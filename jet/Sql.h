// The statements the engine understands: a single-table SELECT.
//
//   SELECT * | column [, column ...]
//   FROM table
//   [WHERE column = 'text']
//   [ORDER BY column [ASC | DESC] [, column [ASC | DESC] ...]]
//   [;]
//
// Keywords in any case; names plain (letters, digits, underscore, any byte above 127, not
// starting with a digit, not a keyword) or in [brackets] (anything but ']'); whitespace
// anywhere between tokens. Inside a text literal '' stands for one quote. One trailing
// semicolon is allowed, as Access writes one at the end of its saved queries.
//
// Parsing checks the grammar only; whether the table and columns exist is checked when a
// recordset opens the statement.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "jet/Error.h"

namespace jet {

// A name as written in the statement, with where it was written (1-based, for messages).
struct SqlName {
  std::string text;
  std::size_t position = 0;
};

struct SqlCondition {
  SqlName column;
  std::string literal;  // the text the column must equal, quotes already undoubled
};

struct SqlSortKey {
  SqlName column;
  bool descending = false;
};

struct SelectStatement {
  bool allColumns = false;       // SELECT *
  std::vector<SqlName> columns;  // otherwise the list, in the order written
  SqlName table;
  std::optional<SqlCondition> where;
  std::vector<SqlSortKey> orderBy;
};

// Throws Error naming what was expected, the 1-based position and the text found there, e.g.
// "SQL: expected FROM at position 17 near 'FORM'".
SelectStatement ParseSelect(std::string_view sql);

// The text with every single quote doubled, ready to stand between two quotes of a literal.
std::string EscapeTextLiteral(std::string_view text);

}  // namespace jet
