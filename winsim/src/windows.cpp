// Simulated window manager: window classes, windows, message delivery to
// window procedures, update regions, painting, and the display's metrics.
// Device contexts and GDI objects live in gdi.cpp.
#include "internal.h"

#include <cstring>
#include <memory>

namespace winsim {
namespace {

using detail::AdjustLiveHandles;
using detail::EnterCall;
using detail::EqualsIgnoringCase;

// Handle values of their own, so that a window handle passed where a GDI
// handle belongs (or the reverse) is caught.
constexpr std::uintptr_t kDesktopWindow = 0x00010010;
constexpr std::uintptr_t kFirstWindow = 0x00020000;
constexpr std::uintptr_t kWindowStep = 0x10;
constexpr ATOM kFirstClassAtom = 0xC000;
// What the dialog frame measures under Wine on these machines, and the
// system's thin border and client edge.
constexpr int kDialogFrame = 3;
constexpr int kBorder = 1;
constexpr int kEdge = 2;

struct WindowClass {
  WindowClassRecord record;
  ATOM atom;
};

struct Window {
  WindowRecord record;
  WNDPROC windowProc;
  HBRUSH background;
  bool needsPaint = false;  // the update region is not empty
  bool needsErase = false;
  bool destroying = false;
};

struct WindowState {
  int screenWidth = 1024;
  int screenHeight = 768;
  std::vector<WindowClass> classes;
  std::vector<std::unique_ptr<Window>> windows;  // in creation order, kept after destruction
  std::vector<MessageRecord> messages;
  std::vector<InvalidateRecord> invalidations;
  ATOM nextAtom = kFirstClassAtom;
};

WindowState& State() {
  static WindowState state;
  return state;
}

void ResetWindows() { State() = WindowState(); }
const detail::ResetHook resetWindows(ResetWindows);

HWND DesktopWindow() { return reinterpret_cast<HWND>(kDesktopWindow); }

std::string ClassNameText(LPCSTR name) {
  if (IS_INTRESOURCE(name)) return "#" + std::to_string(reinterpret_cast<ULONG_PTR>(name));
  return name;
}

WindowClass* FindClass(const std::string& name, HINSTANCE instance) {
  for (WindowClass& windowClass : State().classes) {
    if (windowClass.record.instance == instance && EqualsIgnoringCase(windowClass.record.name, name)) {
      return &windowClass;
    }
  }
  return nullptr;
}

// A window that exists (destruction not finished); null for anything else,
// the desktop included.
Window* FindWindow(HWND handle) {
  for (auto& window : State().windows) {
    if (window->record.handle == handle) return window->record.alive ? window.get() : nullptr;
  }
  return nullptr;
}

// Hands a message to the window's procedure, recording it.
LRESULT Deliver(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) {
  Window* window = FindWindow(handle);
  if (window == nullptr || window->windowProc == nullptr) return 0;
  State().messages.push_back({handle, message, wParam, lParam});
  WNDPROC windowProc = window->windowProc;  // the record may move while the procedure runs
  return windowProc(handle, message, wParam, lParam);
}

// Frame thickness on each side, in pixels, as AdjustWindowRectEx adds it.
// Captions, menus and sizing frames are not simulated: nothing here uses them.
POINT FrameInsets(DWORD style, DWORD exStyle) {
  int frame = 0;
  if ((exStyle & WS_EX_DLGMODALFRAME) || ((style & WS_DLGFRAME) && !(style & WS_THICKFRAME))) {
    frame = kDialogFrame;
  } else if ((style & WS_BORDER) || !(style & (WS_CHILD | WS_POPUP))) {
    frame = kBorder;
  }
  if (exStyle & WS_EX_CLIENTEDGE) frame += kEdge;
  return POINT{frame, frame};
}

RECT ClientRect(const Window& window) {
  const RECT& outer = window.record.rect;
  POINT insets = FrameInsets(window.record.style, window.record.exStyle);
  LONG width = outer.right - outer.left - 2 * insets.x;
  LONG height = outer.bottom - outer.top - 2 * insets.y;
  return RECT{0, 0, width > 0 ? width : 0, height > 0 ? height : 0};
}

void FailWithInvalidWindow() { SetLastError(ERROR_INVALID_WINDOW_HANDLE); }

// Bounded copy of `text` into a caller's buffer of `maxCount` characters, as
// GetWindowTextA and GetClassNameA do; returns the characters copied.
int CopyTextOut(const std::string& text, LPSTR buffer, int maxCount) {
  if (buffer == nullptr || maxCount <= 0) return 0;
  size_t length = text.size() < static_cast<size_t>(maxCount - 1) ? text.size() : static_cast<size_t>(maxCount - 1);
  std::memcpy(buffer, text.data(), length);
  buffer[length] = '\0';
  return static_cast<int>(length);
}

}  // namespace

void SetScreenSize(int width, int height) {
  State().screenWidth = width;
  State().screenHeight = height;
}

std::vector<WindowClassRecord> RegisteredClasses() {
  std::vector<WindowClassRecord> records;
  for (const WindowClass& windowClass : State().classes) records.push_back(windowClass.record);
  return records;
}

std::vector<WindowRecord> WindowsCreated() {
  std::vector<WindowRecord> records;
  for (const auto& window : State().windows) records.push_back(window->record);
  return records;
}

const std::vector<MessageRecord>& WindowMessages() { return State().messages; }

int MessageCount(HWND window, UINT message) {
  int count = 0;
  for (const MessageRecord& record : State().messages) count += record.window == window && record.message == message;
  return count;
}

const std::vector<InvalidateRecord>& Invalidations() { return State().invalidations; }

}  // namespace winsim

using winsim::detail::EnterCall;

ATOM WINAPI RegisterClassA(const WNDCLASSA* windowClass) {
  long error = 0;
  if (EnterCall("RegisterClassA", &error)) {
    SetLastError(error ? error : ERROR_NOT_ENOUGH_MEMORY);
    return 0;
  }
  if (windowClass == nullptr || windowClass->lpszClassName == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  std::string name = winsim::ClassNameText(windowClass->lpszClassName);
  if (winsim::FindClass(name, windowClass->hInstance) != nullptr) {
    SetLastError(ERROR_CLASS_ALREADY_EXISTS);
    return 0;
  }
  winsim::WindowState& state = winsim::State();
  winsim::WindowClass added;
  added.record = {name,
                  windowClass->style,
                  windowClass->lpfnWndProc,
                  windowClass->cbClsExtra,
                  windowClass->cbWndExtra,
                  windowClass->hInstance,
                  windowClass->hIcon,
                  windowClass->hCursor,
                  windowClass->hbrBackground,
                  windowClass->lpszMenuName != nullptr};
  added.atom = state.nextAtom++;
  state.classes.push_back(added);
  return added.atom;
}

BOOL WINAPI UnregisterClassA(LPCSTR className, HINSTANCE instance) {
  if (EnterCall("UnregisterClassA") || className == nullptr) return FALSE;
  auto& classes = winsim::State().classes;
  std::string name = winsim::ClassNameText(className);
  for (auto it = classes.begin(); it != classes.end(); ++it) {
    if (it->record.instance == instance && winsim::detail::EqualsIgnoringCase(it->record.name, name)) {
      classes.erase(it);
      return TRUE;
    }
  }
  SetLastError(ERROR_CLASS_DOES_NOT_EXIST);
  return FALSE;
}

HWND WINAPI CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x, int y,
                            int width, int height, HWND parent, HMENU, HINSTANCE instance, LPVOID) {
  long error = 0;
  if (EnterCall("CreateWindowExA", &error)) {
    SetLastError(error ? error : ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  if (className == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  const winsim::WindowClass* windowClass = winsim::FindClass(winsim::ClassNameText(className), instance);
  if (windowClass == nullptr) {
    SetLastError(ERROR_CANNOT_FIND_WND_CLASS);
    return nullptr;
  }
  if (parent != nullptr && parent != winsim::DesktopWindow() && winsim::FindWindow(parent) == nullptr) {
    winsim::FailWithInvalidWindow();
    return nullptr;
  }
  winsim::WindowState& state = winsim::State();
  auto window = std::make_unique<winsim::Window>();
  HWND handle = reinterpret_cast<HWND>(winsim::kFirstWindow + winsim::kWindowStep * state.windows.size());
  window->record = {handle,
                    windowClass->record.name,
                    windowName ? windowName : "",
                    style,
                    exStyle,
                    RECT{x, y, x + width, y + height},
                    parent,
                    instance,
                    (style & WS_VISIBLE) != 0,
                    true};
  window->windowProc = windowClass->record.windowProc;
  window->background = windowClass->record.background;
  // A window created visible has all of itself to paint.
  window->needsPaint = window->needsErase = window->record.visible;
  state.windows.push_back(std::move(window));
  winsim::detail::AdjustLiveHandles(winsim::HandleKind::Window, +1);
  return handle;
}

BOOL WINAPI ShowWindow(HWND handle, int command) {
  if (EnterCall("ShowWindow")) return FALSE;
  winsim::Window* window = winsim::FindWindow(handle);
  if (window == nullptr) {
    winsim::FailWithInvalidWindow();
    return FALSE;
  }
  const bool wasVisible = window->record.visible;
  window->record.visible = command != SW_HIDE;
  if (!wasVisible && window->record.visible) window->needsPaint = window->needsErase = true;
  return wasVisible ? TRUE : FALSE;
}

BOOL WINAPI UpdateWindow(HWND handle) {
  if (EnterCall("UpdateWindow")) return FALSE;
  winsim::Window* window = winsim::FindWindow(handle);
  if (window == nullptr) {
    winsim::FailWithInvalidWindow();
    return FALSE;
  }
  // WM_PAINT goes straight to the procedure, bypassing any queue.
  if (window->record.visible && window->needsPaint) winsim::Deliver(handle, WM_PAINT, 0, 0);
  return TRUE;
}

BOOL WINAPI DestroyWindow(HWND handle) {
  if (EnterCall("DestroyWindow")) return FALSE;
  winsim::Window* window = winsim::FindWindow(handle);
  if (window == nullptr) {
    winsim::FailWithInvalidWindow();
    return FALSE;
  }
  if (window->destroying) return TRUE;  // destroyed again from its own WM_DESTROY
  window->destroying = true;
  window->record.visible = false;
  winsim::Deliver(handle, WM_DESTROY, 0, 0);
  winsim::Deliver(handle, WM_NCDESTROY, 0, 0);
  // Re-found: the procedure may have created windows meanwhile.
  winsim::Window* destroyed = winsim::FindWindow(handle);
  if (destroyed != nullptr) destroyed->record.alive = false;
  winsim::detail::AdjustLiveHandles(winsim::HandleKind::Window, -1);
  return TRUE;
}

BOOL WINAPI IsWindow(HWND handle) {
  EnterCall("IsWindow");
  return handle == winsim::DesktopWindow() || winsim::FindWindow(handle) != nullptr;
}

BOOL WINAPI IsWindowVisible(HWND handle) {
  EnterCall("IsWindowVisible");
  if (handle == winsim::DesktopWindow()) return TRUE;
  winsim::Window* window = winsim::FindWindow(handle);
  return window != nullptr && window->record.visible;
}

LRESULT WINAPI DefWindowProcA(HWND handle, UINT message, WPARAM, LPARAM) {
  EnterCall("DefWindowProcA");
  winsim::Window* window = winsim::FindWindow(handle);
  switch (message) {
    case WM_CLOSE:
      DestroyWindow(handle);
      return 0;
    case WM_PAINT: {
      PAINTSTRUCT paint;
      if (BeginPaint(handle, &paint) != nullptr) EndPaint(handle, &paint);
      return 0;
    }
    case WM_ERASEBKGND: {
      // Erased (1) only with a real class brush; nothing is drawn here.
      if (window == nullptr || window->background == nullptr) return 0;
      return window->background != static_cast<HBRUSH>(winsim::detail::StockObject(NULL_BRUSH));
    }
    default:
      return 0;
  }
}

LRESULT WINAPI SendMessageA(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) {
  if (EnterCall("SendMessageA")) return 0;
  if (winsim::FindWindow(handle) == nullptr) {
    winsim::FailWithInvalidWindow();
    return 0;
  }
  return winsim::Deliver(handle, message, wParam, lParam);
}

HDC WINAPI BeginPaint(HWND handle, LPPAINTSTRUCT paint) {
  if (EnterCall("BeginPaint") || paint == nullptr) return nullptr;
  winsim::Window* window = winsim::FindWindow(handle);
  if (window == nullptr) {
    winsim::FailWithInvalidWindow();
    return nullptr;
  }
  HDC dc = winsim::detail::OpenDisplayDC(handle);
  if (dc == nullptr) return nullptr;
  std::memset(paint, 0, sizeof *paint);
  paint->hdc = dc;
  paint->rcPaint = winsim::ClientRect(*window);
  const bool erase = window->needsErase;
  window->needsErase = false;
  window->needsPaint = false;
  if (erase) {
    // fErase tells the painter that the background is still to be drawn.
    paint->fErase = winsim::Deliver(handle, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0) == 0;
  }
  return dc;
}

BOOL WINAPI EndPaint(HWND, const PAINTSTRUCT* paint) {
  EnterCall("EndPaint");
  if (paint != nullptr && paint->hdc != nullptr) winsim::detail::CloseDisplayDC(paint->hdc);
  return TRUE;  // never fails
}

BOOL WINAPI InvalidateRect(HWND handle, const RECT* rect, BOOL erase) {
  if (EnterCall("InvalidateRect")) return FALSE;
  if (handle != nullptr) {
    winsim::Window* window = winsim::FindWindow(handle);
    if (window == nullptr) {
      winsim::FailWithInvalidWindow();
      return FALSE;
    }
    // A hidden window has no visible area to invalidate.
    if (window->record.visible) {
      window->needsPaint = true;
      window->needsErase = window->needsErase || erase;
    }
  }
  winsim::State().invalidations.push_back({handle, rect == nullptr, erase});
  return TRUE;
}

namespace {
HDC DisplayDCOf(HWND handle) {
  if (handle == nullptr || handle == winsim::DesktopWindow()) return winsim::detail::OpenDisplayDC(handle);
  if (winsim::FindWindow(handle) == nullptr) {
    winsim::FailWithInvalidWindow();
    return nullptr;
  }
  return winsim::detail::OpenDisplayDC(handle);
}
}  // namespace

HDC WINAPI GetDC(HWND handle) {
  if (EnterCall("GetDC")) return nullptr;
  return DisplayDCOf(handle);
}

HDC WINAPI GetWindowDC(HWND handle) {
  if (EnterCall("GetWindowDC")) return nullptr;
  return DisplayDCOf(handle);
}

int WINAPI ReleaseDC(HWND, HDC dc) {
  EnterCall("ReleaseDC");
  // As on Windows, the device context alone decides; the window is not checked.
  return winsim::detail::CloseDisplayDC(dc) ? 1 : 0;
}

HWND WINAPI GetDesktopWindow() {
  EnterCall("GetDesktopWindow");
  return winsim::DesktopWindow();
}

int WINAPI GetSystemMetrics(int index) {
  EnterCall("GetSystemMetrics");
  switch (index) {
    case SM_CXSCREEN:
      return winsim::State().screenWidth;
    case SM_CYSCREEN:
      return winsim::State().screenHeight;
    case SM_CXDLGFRAME:
    case SM_CYDLGFRAME:
      return winsim::kDialogFrame;
    case SM_CXBORDER:
    case SM_CYBORDER:
      return winsim::kBorder;
    case SM_CXEDGE:
    case SM_CYEDGE:
      return winsim::kEdge;
    default:
      return 0;
  }
}

BOOL WINAPI AdjustWindowRect(LPRECT rect, DWORD style, BOOL) {
  if (EnterCall("AdjustWindowRect") || rect == nullptr) return FALSE;
  POINT insets = winsim::FrameInsets(style, 0);
  rect->left -= insets.x;
  rect->top -= insets.y;
  rect->right += insets.x;
  rect->bottom += insets.y;
  return TRUE;
}

BOOL WINAPI GetWindowRect(HWND handle, LPRECT rect) {
  if (EnterCall("GetWindowRect") || rect == nullptr) return FALSE;
  if (handle == winsim::DesktopWindow()) {
    *rect = RECT{0, 0, winsim::State().screenWidth, winsim::State().screenHeight};
    return TRUE;
  }
  winsim::Window* window = winsim::FindWindow(handle);
  if (window == nullptr) {
    winsim::FailWithInvalidWindow();
    return FALSE;
  }
  *rect = window->record.rect;
  return TRUE;
}

int WINAPI GetWindowTextA(HWND handle, LPSTR text, int maxCount) {
  EnterCall("GetWindowTextA");
  if (text != nullptr && maxCount > 0) text[0] = '\0';
  winsim::Window* window = winsim::FindWindow(handle);
  if (window == nullptr) {
    winsim::FailWithInvalidWindow();
    return 0;
  }
  return winsim::CopyTextOut(window->record.text, text, maxCount);
}

int WINAPI GetClassNameA(HWND handle, LPSTR className, int maxCount) {
  EnterCall("GetClassNameA");
  winsim::Window* window = winsim::FindWindow(handle);
  if (window == nullptr) {
    winsim::FailWithInvalidWindow();
    return 0;
  }
  return winsim::CopyTextOut(window->record.className, className, maxCount);
}
