// The application object and the process entry point.
//
// A program defines exactly one static object of a class derived from Application. The entry
// point calls its Initialize() once and then ends the process: there is no message loop of the
// framework's own, because the program runs its one window modally from Initialize().
#pragma once

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
};
