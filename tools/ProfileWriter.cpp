#include "tools/ProfileWriter.h"

#include <optional>

#include "jet/Writer.h"

void WriteProfileDatabase(const std::string& file, const std::vector<ProfileUser>& users) {
  jet::TableSpec table;
  table.name = "UserData";
  table.columns = {{"UserID", jet::ColumnType::Long, 0},
                   {"UserName", jet::ColumnType::Text, 100},
                   {"Path", jet::ColumnType::Text, 255},
                   {"DeviceName", jet::ColumnType::Text, 64},
                   {"SyncCount", jet::ColumnType::Long, 0}};
  table.rows.reserve(users.size());
  for (std::size_t i = 0; i < users.size(); ++i)
    table.rows.push_back({std::to_string(i + 1), users[i].name, users[i].path, std::nullopt, std::string("0")});
  jet::WriteJet3Database(file, {table});
}
