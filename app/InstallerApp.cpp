#include "app/InstallerApp.h"

#include "app/RunState.h"
#include "app/Settings.h"

// The one application object.
CInstallerApp theApp;

bool CInstallerApp::Initialize() {
  if (!ReadSettings()) return false;
  RunState::SetProfilePath(ComposeProfilePath());
  RunState::SetExeName(kExeFileName);
  // Reporting failure keeps the framework from running a message loop: the process ends here.
  return false;
}
