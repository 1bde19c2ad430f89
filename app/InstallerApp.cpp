#include "app/InstallerApp.h"

#include "app/Startup.h"
#include "framework/CommandLine.h"

// The one application object.
CInstallerApp theApp;

bool CInstallerApp::Initialize() { return RunStartUp(FileToOpen(Arguments())); }
