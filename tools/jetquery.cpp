// jetquery: run one SELECT against an Access file and print the result, for looking into a
// profile database from a shell and for scripts that compare our engine's answers.
//
//   jetquery FILE 'SELECT ...'   one JSON object per row (JSON Lines), keys in column order
//   jetquery --tables FILE       the user tables, one name per line
//
// Output is UTF-8; the statement is read as UTF-8 too, so a literal typed in a shell matches
// the Windows-1252 text in the file. Text is a JSON string, null is null, numbers are JSON
// numbers (a Single or Double that is infinite or not a number is written as the string
// "inf" or "nan", which JSON has no number for), booleans are true/false. Errors go to stderr
// with exit status 1, a wrong command line to stderr with exit status 2.
#include <cstdio>
#include <cstring>
#include <exception>
#include <memory>
#include <string>

#include "jet/Database.h"
#include "jet/Error.h"
#include "jet/Recordset.h"
#include "jet/Text.h"
#include "jet/Values.h"

namespace {

int Usage() {
  std::fputs(
      "usage: jetquery FILE 'SELECT ...'   print the rows as JSON Lines\n"
      "       jetquery --tables FILE       print the user tables, one per line\n",
      stderr);
  return 2;
}

void AppendJsonString(std::string& out, const std::string& cp1252) {
  const std::string utf8 = jet::Cp1252ToUtf8(cp1252);
  out += '"';
  for (char ch : utf8) {
    const unsigned char c = static_cast<unsigned char>(ch);
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      case '\b': out += "\\b"; break;
      case '\f': out += "\\f"; break;
      default:
        if (c < 0x20) {
          char buf[8];
          std::snprintf(buf, sizeof buf, "\\u%04x", c);
          out += buf;
        } else {
          out += ch;
        }
    }
  }
  out += '"';
}

void AppendJsonValue(std::string& out, const jet::Value& v) {
  if (v.null) {
    out += "null";
    return;
  }
  switch (jet::ValueKindOf(v.type)) {
    case jet::ValueKind::Boolean:
      out += (v.text == "0" || v.text.empty()) ? "false" : "true";
      return;
    case jet::ValueKind::Number:
      if (jet::IsJsonNumber(v.text)) {
        out += v.text;
        return;
      }
      break;
    case jet::ValueKind::Text:
      break;
  }
  AppendJsonString(out, v.text);
}

void Write(const std::string& text) {
  if (std::fwrite(text.data(), 1, text.size(), stdout) != text.size()) {
    throw jet::Error("cannot write the output");
  }
}

int ListTables(const std::string& path) {
  const std::unique_ptr<jet::Database> db = jet::Database::Open(path);
  std::string out;
  for (const std::string& name : db->UserTableNames()) out += jet::Cp1252ToUtf8(name) + "\n";
  Write(out);
  return 0;
}

int Query(const std::string& path, const std::string& sqlUtf8) {
  const std::unique_ptr<jet::Database> db = jet::Database::Open(path);
  jet::Recordset rs(*db, jet::Utf8ToCp1252(sqlUtf8), jet::RecordsetType::Snapshot);

  // Keys are the same on every row: convert them once.
  std::vector<std::string> keys;
  for (const jet::ColumnDefinition& f : rs.Fields()) {
    std::string key;
    AppendJsonString(key, f.name);
    keys.push_back(key + ":");
  }
  std::string out;
  for (; !rs.IsEOF(); rs.MoveNext()) {
    out += '{';
    for (std::size_t i = 0; i < keys.size(); ++i) {
      if (i) out += ',';
      out += keys[i];
      AppendJsonValue(out, rs.Field(i));
    }
    out += "}\n";
    if (out.size() > (1u << 16)) {
      Write(out);
      out.clear();
    }
  }
  Write(out);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3 || argv[1][0] == '\0') return Usage();
  try {
    const int status = std::strcmp(argv[1], "--tables") == 0 ? ListTables(argv[2])
                       : argv[1][0] == '-'                     ? Usage()
                                                               : Query(argv[1], argv[2]);
    if (std::fflush(stdout) != 0) throw jet::Error("cannot write the output");
    return status;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "jetquery: %s\n", jet::Cp1252ToUtf8(e.what()).c_str());
    return 1;
  }
}
