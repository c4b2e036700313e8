// A window class for the tests whose procedure writes down the messages the
// tests follow, then lets a hook of the test answer or hands the message on to
// DefWindowProcA. The platform sends more than these (sizes, focus, the input
// method): they are not followed.
#pragma once

#include <windows.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

// A hook answers a message itself (true, with *result) or leaves it to
// DefWindowProcA (false).
using MessageHook = bool (*)(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);

struct LoggedMessage {
  HWND window;
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
};

inline std::vector<LoggedMessage>& MessageLogEntries() {
  static std::vector<LoggedMessage> entries;
  return entries;
}

inline MessageHook& CurrentMessageHook() {
  static MessageHook hook = nullptr;
  return hook;
}

inline const char* FollowedMessageName(UINT message) {
  switch (message) {
    case WM_NCCREATE:
      return "WM_NCCREATE";
    case WM_NCCALCSIZE:
      return "WM_NCCALCSIZE";
    case WM_CREATE:
      return "WM_CREATE";
    case WM_SHOWWINDOW:
      return "WM_SHOWWINDOW";
    case WM_ACTIVATE:
      return "WM_ACTIVATE";
    case WM_QUERYNEWPALETTE:
      return "WM_QUERYNEWPALETTE";
    case WM_PALETTECHANGED:
      return "WM_PALETTECHANGED";
    case WM_NCPAINT:
      return "WM_NCPAINT";
    case WM_ERASEBKGND:
      return "WM_ERASEBKGND";
    case WM_PAINT:
      return "WM_PAINT";
    case WM_CLOSE:
      return "WM_CLOSE";
    case WM_DESTROY:
      return "WM_DESTROY";
    case WM_NCDESTROY:
      return "WM_NCDESTROY";
    case WM_USER:
      return "WM_USER";
    default:
      return nullptr;
  }
}

inline LRESULT CALLBACK LoggingWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  // Written down on arrival, so a message sent while another is handled
  // comes after it.
  if (FollowedMessageName(message) != nullptr) MessageLogEntries().push_back({window, message, wParam, lParam});
  LRESULT result = 0;
  if (CurrentMessageHook() != nullptr && CurrentMessageHook()(window, message, wParam, lParam, &result)) return result;
  return DefWindowProcA(window, message, wParam, lParam);
}

// The followed messages since the last Clear, one line each: the window's
// name, the message, and for WM_SHOWWINDOW and WM_ACTIVATE the flag and for
// WM_ACTIVATE and WM_PALETTECHANGED the other window, by the names in `names`
// ("0" for none, "?" for one not named).
inline std::vector<std::string> DescribeMessages(const std::map<HWND, std::string>& names) {
  auto name = [&](HWND window) -> std::string {
    if (window == nullptr) return "0";
    auto found = names.find(window);
    return found == names.end() ? "?" : found->second;
  };
  std::vector<std::string> lines;
  for (const LoggedMessage& entry : MessageLogEntries()) {
    std::string line = name(entry.window) + " " + FollowedMessageName(entry.message);
    switch (entry.message) {
      case WM_SHOWWINDOW:
        line += entry.wParam ? " shown" : " hidden";
        break;
      case WM_ACTIVATE:
        line += std::string(LOWORD(entry.wParam) == WA_INACTIVE ? " inactive" : " active") + " other " +
                name(reinterpret_cast<HWND>(entry.lParam));
        break;
      case WM_PALETTECHANGED:
        line += " by " + name(reinterpret_cast<HWND>(entry.wParam));
        break;
      default:
        break;
    }
    lines.push_back(line);
  }
  return lines;
}

inline void ClearMessageLog() { MessageLogEntries().clear(); }

// Dispatches what the calling thread's queue holds, as a host's message loop
// does between two of its own steps; at most `most` messages.
inline void PumpQueuedMessages(int most = 100) {
  MSG message;
  for (int count = 0; count < most && PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE); ++count) {
    DispatchMessageA(&message);
  }
}

// The class "ConformanceLogged" of the test program's own module, registered
// for the life of the object, with `background` as its class brush.
class LoggingWindowClass {
 public:
  explicit LoggingWindowClass(HBRUSH background = static_cast<HBRUSH>(GetStockObject(NULL_BRUSH))) {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = LoggingWindowProc;
    windowClass.hInstance = Instance();
    windowClass.hbrBackground = background;
    windowClass.lpszClassName = kName;
    atom_ = RegisterClassA(&windowClass);
    ClearMessageLog();
    CurrentMessageHook() = nullptr;
  }
  ~LoggingWindowClass() {
    CurrentMessageHook() = nullptr;
    if (atom_ != 0) UnregisterClassA(kName, Instance());
  }
  LoggingWindowClass(const LoggingWindowClass&) = delete;
  LoggingWindowClass& operator=(const LoggingWindowClass&) = delete;

  ATOM atom() const { return atom_; }

  // A window of the class, at (x, y) with the given size.
  HWND Create(DWORD style, DWORD exStyle = 0, int x = 10, int y = 20, int width = 100, int height = 50,
              LPVOID param = nullptr) const {
    return CreateWindowExA(exStyle, kName, "Logged", style, x, y, width, height, nullptr, nullptr, Instance(), param);
  }

  static HINSTANCE Instance() { return GetModuleHandleA(nullptr); }

  static constexpr const char* kName = "ConformanceLogged";

 private:
  ATOM atom_ = 0;
};
