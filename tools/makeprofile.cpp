// Writes a profile database: one UserData row per user, in the order given.
//
//   makeprofile OUT.mdb [--empty] [--from FILE] [NAME=PATH ...]
//
// FILE holds one "NAME<TAB>PATH" a line. Lines and NAME=PATH arguments are taken in command-line
// order, so duplicate names keep the order they were given in.
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "jet/Error.h"
#include "tools/ProfileWriter.h"

namespace {

const char kUsage[] =
    "usage: makeprofile OUT.mdb [--empty] [--from FILE] [NAME=PATH ...]\n"
    "  Writes a Jet 3 profile database with a UserData table, one row per user.\n"
    "  NAME=PATH      a user and the path of their folder (the first '=' splits)\n"
    "  --from FILE    read users from FILE, one NAME<TAB>PATH a line\n"
    "  --empty        write the table with no users (then no users may be given)\n";

struct Usage {
  std::string message;
};

void ReadUsers(const std::string& file, std::vector<ProfileUser>& users) {
  std::ifstream in(file, std::ios::binary);
  if (!in) throw Usage{"cannot read '" + file + "'"};
  std::string line;
  for (int number = 1; std::getline(in, line); ++number) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty()) continue;
    const auto tab = line.find('\t');
    if (tab == std::string::npos || tab == 0)
      throw Usage{file + " line " + std::to_string(number) + ": expected NAME<TAB>PATH"};
    users.push_back({line.substr(0, tab), line.substr(tab + 1)});
  }
}

}  // namespace

int main(int argc, char** argv) {
  try {
    if (argc < 2 || argv[1][0] == '-') throw Usage{"the first argument must be the output file"};
    const std::string out = argv[1];
    bool empty = false;
    std::vector<ProfileUser> users;
    for (int i = 2; i < argc; ++i) {
      const std::string arg = argv[i];
      if (arg == "--empty") {
        empty = true;
      } else if (arg == "--from") {
        if (++i == argc) throw Usage{"--from needs a file"};
        ReadUsers(argv[i], users);
      } else if (arg.compare(0, 2, "--") == 0) {
        throw Usage{"unknown option " + arg};
      } else {
        const auto eq = arg.find('=');
        if (eq == std::string::npos || eq == 0) throw Usage{"expected NAME=PATH, got '" + arg + "'"};
        users.push_back({arg.substr(0, eq), arg.substr(eq + 1)});
      }
    }
    if (empty && !users.empty()) throw Usage{"--empty given together with users"};
    if (!empty && users.empty()) throw Usage{"no users given (use --empty for an empty profile)"};

    WriteProfileDatabase(out, users);
    return 0;
  } catch (const Usage& u) {
    std::cerr << "makeprofile: " << u.message << "\n" << kUsage;
    return 2;
  } catch (const jet::Error& e) {
    std::cerr << "makeprofile: " << e.what() << "\n";
    return 1;
  }
}
