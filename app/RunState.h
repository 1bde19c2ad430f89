// The run state: what the program knows about the desktop suite's installation for the
// length of one run. Set during start-up, changed by a user switch in the main window.
// One thread, so plain process-wide values without locks.
#pragma once

#include <string>

class ProfileDatabase;

namespace RunState {

// Installation folder of the desktop suite, exactly as the registry holds it.
const std::string& AppPath();
void SetAppPath(const std::string& path);

// The current user name; starts as the registry's "LastUser".
const std::string& LastUser();
void SetLastUser(const std::string& name);

// The current user's queue folder, always ending in a backslash.
const std::string& QueueFolder();
void SetQueueFolder(const std::string& folder);

// AppPath + "\Profile.mdb".
const std::string& ProfilePath();
void SetProfilePath(const std::string& path);

// The program's file name as registered with the shell; never asked of the system.
const std::string& ExeName();
void SetExeName(const std::string& name);

// The connection to the profile database, open from start-up to the end of the run.
ProfileDatabase& ProfileConnection();

// Every field back to empty (start of a run, and between test cases).
void Reset();

}  // namespace RunState

// Fixed names appended to AppPath.
inline constexpr const char kExeFileName[] = "Quenlo.exe";

// AppPath + "\Extras": where the suite puts downloaded files.
std::string ExtrasFolder();

// AppPath + "\Profile.mdb".
std::string ComposeProfilePath();

// AppPath + "\" + fragment + "Acc\". The fragment is the user's Path column, inserted as it
// stands: no separator is added or removed, so "Sam\" gives ...\Sam\Acc\ and "Sam" ...\SamAcc\.
std::string ComposeQueueFolder(const std::string& fragment);
