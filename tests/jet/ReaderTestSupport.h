// Shared by the reader tests: where the real Access files are, running the mdbtools programs
// that serve as the independent reference, and reading their JSON lines.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

namespace readertest {

inline std::string FixturesDir() { return QUENLO_FIXTURES_DIR; }

// The .mdb files of the fixtures folder, sorted; empty when the folder is absent.
inline std::vector<std::string> FixtureFiles() {
  std::vector<std::string> files;
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator(FixturesDir(), ec)) {
    if (entry.path().extension() == ".mdb") files.push_back(entry.path().string());
  }
  std::sort(files.begin(), files.end());
  return files;
}

#define REQUIRE_FIXTURES()                                                                        \
  do {                                                                                            \
    if (readertest::FixtureFiles().empty())                                                      \
      GTEST_SKIP() << "no Access files in " << readertest::FixturesDir() << " (QUENLO_FIXTURES_DIR)"; \
  } while (0)

inline std::vector<std::uint8_t> ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary | std::ios::ate);
  if (!in) return {};
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(in.tellg()));
  in.seekg(0);
  in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  return bytes;
}

inline std::string ShellQuote(const std::string& s) {
  std::string out = "'";
  for (char c : s) {
    if (c == '\'') {
      out += "'\\''";
    } else {
      out += c;
    }
  }
  return out + "'";
}

// Standard output of a command; `ok` false when it could not run or exited non-zero.
inline std::string RunCommand(const std::string& command, bool& ok) {
  std::string out;
  FILE* pipe = popen(command.c_str(), "r");
  ok = pipe != nullptr;
  if (!pipe) return out;
  char buffer[65536];
  std::size_t n;
  while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, n);
  ok = pclose(pipe) == 0;
  return out;
}

inline bool HaveProgram(const std::string& name) {
  bool ok = false;
  RunCommand("command -v " + name + " >/dev/null 2>&1", ok);
  return ok;
}

// One JSON value of the kinds mdb-json writes.
struct Json {
  enum Kind { Null, Bool, Number, String, Object } kind = Null;
  bool boolean = false;
  double number = 0;
  std::string text;  // String: UTF-8; Number: as written
  std::map<std::string, Json> members;
  std::vector<std::string> order;  // member names as they came
};

class JsonParser {
 public:
  explicit JsonParser(const std::string& s) : s_(s) {}
  bool Parse(Json& out) {
    if (!Value(out)) return false;
    Space();
    return i_ == s_.size();
  }

 private:
  void Space() {
    while (i_ < s_.size() && (s_[i_] == ' ' || s_[i_] == '\t' || s_[i_] == '\r' || s_[i_] == '\n')) ++i_;
  }
  bool Literal(const char* word) {
    const std::string w(word);
    if (s_.compare(i_, w.size(), w) != 0) return false;
    i_ += w.size();
    return true;
  }
  static void PutUtf8(std::string& out, std::uint32_t cp) {
    if (cp < 0x80) {
      out += static_cast<char>(cp);
    } else if (cp < 0x800) {
      out += static_cast<char>(0xC0 | (cp >> 6));
      out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
      out += static_cast<char>(0xE0 | (cp >> 12));
      out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | (cp >> 18));
      out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (cp & 0x3F));
    }
  }
  bool StringBody(std::string& out) {
    if (i_ >= s_.size() || s_[i_] != '"') return false;
    ++i_;
    while (i_ < s_.size() && s_[i_] != '"') {
      char c = s_[i_++];
      if (c != '\\') {
        out += c;
        continue;
      }
      if (i_ >= s_.size()) return false;
      c = s_[i_++];
      switch (c) {
        case 'n': out += '\n'; break;
        case 't': out += '\t'; break;
        case 'r': out += '\r'; break;
        case 'b': out += '\b'; break;
        case 'f': out += '\f'; break;
        case 'u': {
          if (i_ + 4 > s_.size()) return false;
          std::uint32_t cp = static_cast<std::uint32_t>(std::stoul(s_.substr(i_, 4), nullptr, 16));
          i_ += 4;
          if (cp >= 0xD800 && cp <= 0xDBFF && s_.compare(i_, 2, "\\u") == 0) {
            const std::uint32_t low = static_cast<std::uint32_t>(std::stoul(s_.substr(i_ + 2, 4), nullptr, 16));
            i_ += 6;
            cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
          }
          PutUtf8(out, cp);
          break;
        }
        default: out += c; break;
      }
    }
    if (i_ >= s_.size()) return false;
    ++i_;
    return true;
  }
  bool Value(Json& out) {
    Space();
    if (i_ >= s_.size()) return false;
    const char c = s_[i_];
    if (c == '{') {
      out.kind = Json::Object;
      ++i_;
      Space();
      if (i_ < s_.size() && s_[i_] == '}') {
        ++i_;
        return true;
      }
      for (;;) {
        Space();
        std::string key;
        if (!StringBody(key)) return false;
        Space();
        if (i_ >= s_.size() || s_[i_] != ':') return false;
        ++i_;
        Json member;
        if (!Value(member)) return false;
        out.order.push_back(key);
        out.members[key] = std::move(member);
        Space();
        if (i_ < s_.size() && s_[i_] == ',') {
          ++i_;
          continue;
        }
        if (i_ < s_.size() && s_[i_] == '}') {
          ++i_;
          return true;
        }
        return false;
      }
    }
    if (c == '"') {
      out.kind = Json::String;
      return StringBody(out.text);
    }
    if (Literal("true")) {
      out.kind = Json::Bool;
      out.boolean = true;
      return true;
    }
    if (Literal("false")) {
      out.kind = Json::Bool;
      return true;
    }
    if (Literal("null")) return true;
    const std::size_t start = i_;
    while (i_ < s_.size() && std::string("+-0123456789.eE").find(s_[i_]) != std::string::npos) ++i_;
    if (i_ == start) return false;
    out.kind = Json::Number;
    out.text = s_.substr(start, i_ - start);
    out.number = std::stod(out.text);
    return true;
  }

  const std::string& s_;
  std::size_t i_ = 0;
};

inline std::vector<std::uint8_t> Base64Decode(const std::string& s) {
  std::vector<std::uint8_t> out;
  std::uint32_t acc = 0;
  int bits = 0;
  for (char c : s) {
    int v;
    if (c >= 'A' && c <= 'Z') v = c - 'A';
    else if (c >= 'a' && c <= 'z') v = c - 'a' + 26;
    else if (c >= '0' && c <= '9') v = c - '0' + 52;
    else if (c == '+') v = 62;
    else if (c == '/') v = 63;
    else continue;
    acc = (acc << 6) | static_cast<std::uint32_t>(v);
    bits += 6;
    if (bits >= 8) {
      bits -= 8;
      out.push_back(static_cast<std::uint8_t>(acc >> bits));
    }
  }
  return out;
}

}  // namespace readertest
