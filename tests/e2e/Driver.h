// Drives the real Quenlo.exe from outside, as a user would: starts it as its own process,
// finds its windows, reads and answers its message boxes, and waits for it to end.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace driver {

// A started program.
class Process {
 public:
  Process() = default;
  Process(const std::string& exe, const std::string& arguments, const std::string& folder);
  ~Process();
  Process(const Process&) = delete;
  Process& operator=(const Process&) = delete;

  DWORD Id() const { return info_.dwProcessId; }
  bool Running() const;
  // Waits for the end; false on time-out (the process is then killed).
  bool WaitForExit(DWORD milliseconds, DWORD& exitCode);

 private:
  PROCESS_INFORMATION info_{};
};

// A top-level window of the process with this caption, waited for; null on time-out or when
// the process ends first.
HWND WaitForWindow(const Process& process, const std::string& caption, DWORD milliseconds);

// Every visible top-level window of the process: its caption.
std::vector<std::string> WindowCaptions(const Process& process);

struct MessageBoxContent {
  std::string caption;
  std::string text;
  std::vector<std::string> buttons;  // texts of the visible buttons, in window order
  enum Icon { None, Exclamation, Other } icon = None;
};

MessageBoxContent ReadMessageBox(HWND box);

// Presses a message box button by its command id (IDOK, IDCANCEL).
void Press(HWND box, int id);

std::string WindowText(HWND window);

}  // namespace driver
