#include "framework/Application.h"

#include <windows.h>

namespace {
Application* theApplication = nullptr;
}

Application::Application() { theApplication = this; }

Application::~Application() {
  if (theApplication == this) theApplication = nullptr;
}

Application* Application::Instance() { return theApplication; }

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  // A file operation on an absent floppy or CD should simply fail, not ask the user.
  SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
  if (Application* app = Application::Instance()) app->Initialize();
  return 0;
}
