#include "framework/Application.h"

#include <windows.h>

#include "framework/CommandLine.h"

namespace {
Application* theApplication = nullptr;
}

Application::Application() { theApplication = this; }

Application::~Application() {
  if (theApplication == this) theApplication = nullptr;
}

Application* Application::Instance() { return theApplication; }

std::string Application::Name() {
  char path[MAX_PATH + 1] = {};
  DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string name(path, length < MAX_PATH ? length : MAX_PATH);
  size_t slash = name.find_last_of("\\/:");
  if (slash != std::string::npos) name.erase(0, slash + 1);
  size_t dot = name.rfind('.');
  if (dot != std::string::npos) name.erase(dot);
  return name;
}

std::vector<std::string> Application::Arguments() { return SplitCommandLine(GetCommandLineA()); }

void Application::ShowMessage(const std::string& text) {
  MessageBoxA(nullptr, text.c_str(), Name().c_str(), MB_OK | MB_ICONEXCLAMATION);
}

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  // A file operation on an absent floppy or CD should simply fail, not ask the user.
  SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
  if (Application* app = Application::Instance()) app->Initialize();
  return 0;
}
