#include "app/RunState.h"

#include "profiles/ProfileDirectory.h"

namespace {

struct State {
  std::string appPath;
  std::string lastUser;
  std::string queueFolder;
  std::string profilePath;
  std::string exeName;
  ProfileDatabase profiles;
};

State& TheState() {
  static State state;
  return state;
}

}  // namespace

namespace RunState {

const std::string& AppPath() { return TheState().appPath; }
void SetAppPath(const std::string& path) { TheState().appPath = path; }

const std::string& LastUser() { return TheState().lastUser; }
void SetLastUser(const std::string& name) { TheState().lastUser = name; }

const std::string& QueueFolder() { return TheState().queueFolder; }
void SetQueueFolder(const std::string& folder) { TheState().queueFolder = folder; }

const std::string& ProfilePath() { return TheState().profilePath; }
void SetProfilePath(const std::string& path) { TheState().profilePath = path; }

const std::string& ExeName() { return TheState().exeName; }
void SetExeName(const std::string& name) { TheState().exeName = name; }

ProfileDatabase& ProfileConnection() { return TheState().profiles; }

void Reset() { TheState() = State{}; }

}  // namespace RunState

std::string ExtrasFolder() { return RunState::AppPath() + "\\Extras"; }

std::string ComposeProfilePath() { return RunState::AppPath() + "\\Profile.mdb"; }

std::string ComposeQueueFolder(const std::string& fragment) {
  return RunState::AppPath() + "\\" + fragment + "Acc\\";
}
