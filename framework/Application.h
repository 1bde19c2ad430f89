// The application object and the process entry point.
//
// A program defines exactly one static object of a class derived from Application. The entry
// point turns off the system's critical-error and open-file error boxes, calls the object's
// Initialize() once and then ends the process: there is no message loop of the framework's own,
// because the program runs its one window modally from Initialize(). Nothing is kept by the
// framework between runs: no registry key, settings file or recent-file list.
#pragma once

#include <string>
#include <vector>

class Application {
 public:
  Application();
  virtual ~Application();
  Application(const Application&) = delete;
  Application& operator=(const Application&) = delete;

  // The program's whole run. The return value is what a framework with a message loop would use
  // to decide whether to enter it; ours never does.
  virtual bool Initialize() = 0;

  // The one application object, or null before it is constructed.
  static Application* Instance();

  // The program's name: the executable's base name as the system reports it, so a renamed
  // executable goes by its new name.
  static std::string Name();

  // The process's command line split into arguments, program name first.
  static std::vector<std::string> Arguments();

  // The application's message box: no owner, the program's name as caption, one OK button and
  // the exclamation icon.
  static void ShowMessage(const std::string& text);
};
