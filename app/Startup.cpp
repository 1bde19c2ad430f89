#include "app/Startup.h"

#include <windows.h>

#include "app/FileTypes.h"
#include "app/RunState.h"
#include "app/Settings.h"
#include "framework/Application.h"
#include "profiles/ProfileDirectory.h"

std::string FileNamePart(const std::string& path) {
  size_t slash = path.rfind('\\');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool ResolveStartingUser(const std::optional<std::string>& fragment) {
  std::string folderFragment;
  if (fragment) {
    folderFragment = *fragment;
  } else {
    std::optional<UserProfile> first = FirstUser(RunState::ProfileConnection());
    if (!first) return false;
    RunState::SetLastUser(first->userName);
    folderFragment = first->path;
  }
  RunState::SetQueueFolder(ComposeQueueFolder(folderFragment));
  return true;
}

namespace {

// Shows the one start-up error and ends the sequence. The database stays as it is: the
// connection goes with the process.
bool Stop() {
  Application::ShowMessage(kUserInformationError);
  return false;
}

}  // namespace

bool RunStartUp(const std::string& fileToQueue) {
  if (!ReadSettings()) return Stop();

  CreateDirectoryA(ExtrasFolder().c_str(), nullptr);  // usually there already

  RunState::SetProfilePath(ComposeProfilePath());
  RunState::SetExeName(kExeFileName);

  try {
    ProfileDatabase& db = RunState::ProfileConnection();
    db = OpenProfileDatabase(RunState::ProfilePath());
    if (!ResolveStartingUser(FindUserFolderFragment(db, RunState::LastUser(), kSnapshot)))
      return Stop();
  } catch (const ProfileDatabaseError&) {
    return Stop();
  }

  if (!fileToQueue.empty()) {
    // The system's copy refuses to copy a file onto itself, so a queued file opened again from
    // the queue folder stays intact. It must stay the system's copy: one that opened the
    // target for writing first would truncate the very file it is about to read.
    const std::string target = RunState::QueueFolder() + FileNamePart(fileToQueue);
    CopyFileA(fileToQueue.c_str(), target.c_str(), FALSE);
  }

  RegisterFileTypes();

  CloseProfileDatabase(RunState::ProfileConnection());
  return false;
}
