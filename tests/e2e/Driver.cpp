#include "tests/e2e/Driver.h"

#include <algorithm>


namespace driver {

Process::Process(const std::string& exe, const std::string& arguments, const std::string& folder) {
  std::string commandLine = "\"" + exe + "\"";
  if (!arguments.empty()) commandLine += " " + arguments;
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  std::vector<char> line(commandLine.begin(), commandLine.end());
  line.push_back('\0');
  if (!CreateProcessA(exe.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      folder.empty() ? nullptr : folder.c_str(), &startup, &info_))
    info_ = PROCESS_INFORMATION{};
}

Process::~Process() {
  if (info_.hProcess) {
    if (Running()) TerminateProcess(info_.hProcess, 1);
    CloseHandle(info_.hProcess);
    CloseHandle(info_.hThread);
  }
}

bool Process::Running() const {
  return info_.hProcess && WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT;
}

bool Process::WaitForExit(DWORD milliseconds, DWORD& exitCode) {
  if (!info_.hProcess) return false;
  if (WaitForSingleObject(info_.hProcess, milliseconds) != WAIT_OBJECT_0) {
    TerminateProcess(info_.hProcess, 1);
    WaitForSingleObject(info_.hProcess, 5000);
    return false;
  }
  GetExitCodeProcess(info_.hProcess, &exitCode);
  return true;
}

std::string WindowText(HWND window) {
  char text[4096] = {};
  GetWindowTextA(window, text, sizeof text);
  return text;
}

namespace {

struct WindowSearch {
  DWORD processId;
  std::vector<HWND> found;
};

BOOL CALLBACK CollectTopLevel(HWND window, LPARAM data) {
  auto* search = reinterpret_cast<WindowSearch*>(data);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner == search->processId && IsWindowVisible(window)) search->found.push_back(window);
  return TRUE;
}

BOOL CALLBACK CollectChild(HWND child, LPARAM data) {
  reinterpret_cast<std::vector<HWND>*>(data)->push_back(child);
  return TRUE;
}

std::vector<HWND> TopLevelWindows(DWORD processId) {
  WindowSearch search{processId, {}};
  EnumWindows(CollectTopLevel, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

std::vector<HWND> Children(HWND parent) {
  std::vector<HWND> children;
  EnumChildWindows(parent, CollectChild, reinterpret_cast<LPARAM>(&children));
  return children;
}

std::string ClassOf(HWND window) {
  char name[256] = {};
  GetClassNameA(window, name, sizeof name);
  return name;
}

// A bitmap compatible with the screen, drawn on through `dc`, then read back pixel by pixel.
class ScreenBitmap {
 public:
  ScreenBitmap(int width, int height) : width_(width), height_(height) {
    screen_ = GetDC(nullptr);
    dc = CreateCompatibleDC(screen_);
    bitmap_ = CreateCompatibleBitmap(screen_, width, height);
    old_ = SelectObject(dc, bitmap_);
  }
  ~ScreenBitmap() {
    SelectObject(dc, old_);
    DeleteObject(bitmap_);
    DeleteDC(dc);
    ReleaseDC(nullptr, screen_);
  }
  ScreenBitmap(const ScreenBitmap&) = delete;
  ScreenBitmap& operator=(const ScreenBitmap&) = delete;

  HDC Screen() const { return screen_; }
  std::vector<COLORREF> Pixels() const {
    std::vector<COLORREF> pixels;
    for (int y = 0; y < height_; ++y)
      for (int x = 0; x < width_; ++x) pixels.push_back(GetPixel(dc, x, y));
    return pixels;
  }

  HDC dc;

 private:
  int width_, height_;
  HDC screen_;
  HBITMAP bitmap_;
  HGDIOBJ old_;
};

// Pixels of a window as the screen shows it.
std::vector<COLORREF> Capture(HWND window, int width, int height) {
  POINT origin{0, 0};
  ClientToScreen(window, &origin);
  ScreenBitmap shot(width, height);
  BitBlt(shot.dc, 0, 0, width, height, shot.Screen(), origin.x, origin.y, SRCCOPY);
  return shot.Pixels();
}

// The system icon drawn as a message box draws it: at the top left, on the dialog colour.
std::vector<COLORREF> Render(LPCSTR which, int width, int height) {
  ScreenBitmap drawing(width, height);
  RECT all{0, 0, width, height};
  FillRect(drawing.dc, &all, GetSysColorBrush(COLOR_BTNFACE));
  DrawIcon(drawing.dc, 0, 0, LoadIconA(nullptr, which));
  return drawing.Pixels();
}

// Icon handles do not cross processes under Wine, so the icon is told by its looks: the
// system icon whose drawing matches the screen's pixels.
MessageBoxContent::Icon IdentifyIcon(HWND control) {
  RECT r;
  GetClientRect(control, &r);
  const int width = std::min<int>(r.right, GetSystemMetrics(SM_CXICON));
  const int height = std::min<int>(r.bottom, GetSystemMetrics(SM_CYICON));
  if (width <= 0 || height <= 0) return MessageBoxContent::Other;
  const LPCSTR candidates[] = {IDI_EXCLAMATION, IDI_HAND, IDI_QUESTION, IDI_ASTERISK};
  // The box may not have painted yet when it is found: look again for a while.
  for (int attempt = 0; attempt < 40; ++attempt) {
    const std::vector<COLORREF> shown = Capture(control, width, height);
    for (LPCSTR candidate : candidates)
      if (Render(candidate, width, height) == shown)
        return candidate == IDI_EXCLAMATION ? MessageBoxContent::Exclamation : MessageBoxContent::Other;
    Sleep(50);
  }
  return MessageBoxContent::Other;
}

}  // namespace

HWND WaitForWindow(const Process& process, const std::string& caption, DWORD milliseconds) {
  const DWORD start = GetTickCount();
  for (;;) {
    for (HWND window : TopLevelWindows(process.Id()))
      if (WindowText(window) == caption) return window;
    if (!process.Running() || GetTickCount() - start > milliseconds) return nullptr;
    Sleep(20);
  }
}

std::vector<std::string> WindowCaptions(const Process& process) {
  std::vector<std::string> captions;
  for (HWND window : TopLevelWindows(process.Id())) captions.push_back(WindowText(window));
  return captions;
}

MessageBoxContent ReadMessageBox(HWND box) {
  MessageBoxContent content;
  content.caption = WindowText(box);
  for (HWND child : Children(box)) {
    if (!IsWindowVisible(child)) continue;
    const std::string cls = ClassOf(child);
    if (cls == "Button") {
      content.buttons.push_back(WindowText(child));
    } else if (cls == "Static") {
      if ((GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) {
        content.icon = IdentifyIcon(child);
      } else if (GetDlgCtrlID(child) == 0xFFFF) {
        content.text = WindowText(child);
      }
    }
  }
  return content;
}

void Press(HWND box, int id) {
  PostMessageA(box, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(box, id)));
}

}  // namespace driver
