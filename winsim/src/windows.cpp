// Simulated window manager: window classes, windows, the messages of creation,
// showing, activation and destruction, update regions, painting, and the
// display's metrics. Device contexts and GDI objects live in gdi.cpp.
#include "internal.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <memory>
#include <thread>
#include <unistd.h>

namespace winsim {
namespace {

using detail::AdjustLiveHandles;
using detail::EnterCall;
using detail::EqualsIgnoringCase;

// The desktop has a handle of its own, below every window's low word.
constexpr std::uintptr_t kDesktopWindow = 0x00010010;
// Window handles as Wine's server makes them: the low word names a slot of
// the handle table (even numbers from 0x20), the high word counts the slot's
// uses, so a freed slot comes back under another full handle.
constexpr WORD kFirstSlotWord = 0x0020;
constexpr WORD kLastGeneration = 0xFFFE;
constexpr ATOM kFirstClassAtom = 0xC000;
// System metrics as measured under Wine on these machines.
constexpr int kDialogFrame = 3;
constexpr int kSizingFrame = 4;
constexpr int kBorder = 1;
constexpr int kEdge = 2;
constexpr int kCaption = 19;
constexpr int kMenu = 19;

struct WindowClass {
  WindowClassRecord record;
  ATOM atom;
  detail::CodeStamp stamp;  // the load of the module its procedure came from
};

struct Window {
  WindowRecord record;
  WNDPROC windowProc;
  detail::CodeStamp procStamp;  // the load of the module windowProc came from
  HBRUSH background;
  size_t slot;
  bool needsPaint = false;  // the update region is not empty
  bool needsErase = false;
  bool eraseRefused = false;  // the last WM_ERASEBKGND answered 0
  bool destroying = false;
  DWORD thread = 0;  // the thread that created it, which owns it
};

// A message waiting in the queue of the thread that owns its window.
struct PostedMessage {
  DWORD thread;
  MSG message;
};

// A message another thread sent, waiting for the receiver's next message
// retrieval while the sender waits for it.
struct SentMessage {
  DWORD receiver;
  MSG message;
  bool done = false;
  LRESULT result = 0;
};

struct WindowState {
  int screenWidth = 1024;
  int screenHeight = 768;
  bool workAreaSet = false;
  RECT workArea{0, 0, 0, 0};
  std::vector<WindowClass> classes;
  std::vector<std::unique_ptr<Window>> windows;  // in creation order, kept after destruction
  std::vector<Window*> slots;                    // the live window of each slot, or null
  std::vector<WORD> generations;                 // uses of each slot so far
  std::vector<size_t> freeSlots;                 // the last one freed is taken first
  std::vector<Window*> zOrder;                   // top-level windows, topmost first
  Window* active = nullptr;
  std::vector<MessageRecord> messages;
  std::vector<InvalidateRecord> invalidations;
  std::vector<PostedMessage> posted;  // oldest first
  std::vector<std::shared_ptr<SentMessage>> sent;  // oldest first
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

bool HasWindowsOf(const WindowClass& windowClass) {
  for (const auto& window : State().windows) {
    if (window->record.alive && window->record.instance == windowClass.record.instance &&
        EqualsIgnoringCase(window->record.className, windowClass.record.name)) {
      return true;
    }
  }
  return false;
}

// A window that exists (destruction not finished); null for anything else,
// the desktop included. A handle cut to its low word (high word 0 or 0xFFFF)
// names whichever window holds that slot now, as on Windows.
Window* FindWindow(HWND handle) {
  const std::uintptr_t value = reinterpret_cast<std::uintptr_t>(handle);
  if (value > 0xFFFFFFFFu) return nullptr;
  const WORD low = LOWORD(value);
  const WORD high = HIWORD(value);
  if (low < kFirstSlotWord || low % 2 != 0) return nullptr;
  const size_t slot = (low - kFirstSlotWord) / 2;
  WindowState& state = State();
  if (slot >= state.slots.size() || state.slots[slot] == nullptr) return nullptr;
  Window* window = state.slots[slot];
  if (window->record.handle == handle || high == 0 || high == 0xFFFF) return window;
  return nullptr;
}

bool IsTopLevel(const Window& window) { return (window.record.style & WS_CHILD) == 0; }

// Takes a slot for a new window and gives its handle.
HWND AllocateHandle(Window* window) {
  WindowState& state = State();
  size_t slot;
  if (!state.freeSlots.empty()) {
    slot = state.freeSlots.back();
    state.freeSlots.pop_back();
  } else {
    slot = state.slots.size();
    state.slots.push_back(nullptr);
    state.generations.push_back(0);
  }
  WORD& generation = state.generations[slot];
  generation = generation >= kLastGeneration ? 1 : static_cast<WORD>(generation + 1);
  state.slots[slot] = window;
  window->slot = slot;
  const DWORD value = (DWORD{generation} << 16) | static_cast<WORD>(kFirstSlotWord + 2 * slot);
  return reinterpret_cast<HWND>(static_cast<std::uintptr_t>(value));
}

// The window is gone: its slot is free for the next one, and it leaves the
// z-order.
void ReleaseWindow(Window* window) {
  WindowState& state = State();
  window->record.alive = false;
  window->record.visible = false;
  state.slots[window->slot] = nullptr;
  state.freeSlots.push_back(window->slot);
  state.zOrder.erase(std::remove(state.zOrder.begin(), state.zOrder.end(), window), state.zOrder.end());
  if (state.active == window) state.active = nullptr;
  // What was posted to it goes with it.
  const HWND handle = window->record.handle;
  state.posted.erase(std::remove_if(state.posted.begin(), state.posted.end(),
                                    [handle](const PostedMessage& posted) { return posted.message.hwnd == handle; }),
                     state.posted.end());
  // A sender waiting on it gets 0 at once.
  for (const auto& sent : state.sent) sent->done = sent->done || sent->message.hwnd == handle;
  AdjustLiveHandles(HandleKind::Window, -1);
}

// Hands a message to the window's procedure, recording it. The procedure is
// read first and runs without winsim's lock, as on Windows: another thread
// may change the window meanwhile, and a dispatch that read the procedure
// still calls it.
LRESULT Deliver(Window* window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (window == nullptr || window->windowProc == nullptr) return 0;
  const HWND handle = window->record.handle;
  const WNDPROC procedure = window->windowProc;
  State().messages.push_back({handle, message, wParam, lParam});
  return detail::CallProcedure<LRESULT>(reinterpret_cast<const void*>(procedure), window->procStamp, handle, message,
                                        [&] { return procedure(handle, message, wParam, lParam); });
}

// Hands this thread the messages other threads sent it, oldest first.
void HandleSentMessages() {
  const DWORD thread = detail::CurrentThreadId();
  for (;;) {
    auto& sent = State().sent;
    auto next = std::find_if(sent.begin(), sent.end(), [thread](const std::shared_ptr<SentMessage>& message) {
      return message->receiver == thread && !message->done;
    });
    if (next == sent.end()) break;
    const std::shared_ptr<SentMessage> message = *next;
    sent.erase(next);
    const MSG& m = message->message;
    message->result = Deliver(FindWindow(m.hwnd), m.message, m.wParam, m.lParam);
    message->done = true;
  }
  auto& sent = State().sent;
  sent.erase(std::remove_if(sent.begin(), sent.end(), [](const auto& message) { return message->done; }),
             sent.end());
}

// Sends a message to a window of another thread and waits, without the lock,
// until its thread handles it in a message retrieval, at most `timeoutMs`
// (INFINITE: for ever). False when the wait ran out; a message not yet
// taken is then withdrawn, as Wine does. Other messages sent to this thread
// meanwhile wait, as with SMTO_BLOCK.
bool SendToOtherThread(Window* window, UINT message, WPARAM wParam, LPARAM lParam, DWORD timeoutMs,
                       LRESULT* result) {
  auto sent = std::make_shared<SentMessage>();
  sent->receiver = window->thread;
  sent->message = MSG{window->record.handle, message, wParam, lParam, 0, {0, 0}};
  State().sent.push_back(sent);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (!sent->done) {
    if (timeoutMs != INFINITE && std::chrono::steady_clock::now() >= deadline) {
      auto& queue = State().sent;
      queue.erase(std::remove(queue.begin(), queue.end(), sent), queue.end());
      return false;
    }
    const detail::ApiUnlocked unlocked;
    std::this_thread::sleep_for(std::chrono::microseconds(200));
  }
  *result = sent->result;
  return true;
}

bool IsAlive(const Window* window) { return window != nullptr && window->record.alive; }

// Frame thickness on each side, in pixels, as AdjustWindowRectEx adds it
// around a client area, captions and menus apart.
POINT FrameInsets(DWORD style, DWORD exStyle) {
  int frame = 0;
  // The outer edge of a dialog or sizing frame, the sizing border itself, and
  // the line of a border or dialog frame.
  if ((exStyle & WS_EX_DLGMODALFRAME) || (style & (WS_THICKFRAME | WS_DLGFRAME))) frame += 2;
  if (style & WS_THICKFRAME) frame += kSizingFrame - kDialogFrame;
  if ((style & (WS_BORDER | WS_DLGFRAME)) || (exStyle & WS_EX_DLGMODALFRAME)) frame += 1;
  if (exStyle & WS_EX_CLIENTEDGE) frame += kEdge;
  return POINT{frame, frame};
}

// What the window manager adds to the extended style: the raised edge of a
// window with a dialog or sizing frame.
DWORD EffectiveExStyle(DWORD style, DWORD exStyle) {
  if ((exStyle & WS_EX_DLGMODALFRAME) || (style & (WS_THICKFRAME | WS_DLGFRAME))) exStyle |= WS_EX_WINDOWEDGE;
  return exStyle;
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

// The topmost visible top-level window other than `except`, or null.
Window* NextToActivate(const Window* except) {
  for (Window* window : State().zOrder) {
    if (window != except && window->record.visible && !window->destroying) return window;
  }
  return nullptr;
}

// Makes `window` (or nothing) the active window: the one losing activation
// hears of it first, then the new one is asked to realize its palette.
void Activate(Window* window) {
  WindowState& state = State();
  Window* previous = state.active;
  if (previous == window) return;
  const HWND previousHandle = previous ? previous->record.handle : nullptr;
  const HWND newHandle = window ? window->record.handle : nullptr;
  if (previous != nullptr) Deliver(previous, WM_ACTIVATE, WA_INACTIVE, reinterpret_cast<LPARAM>(newHandle));
  state.active = IsAlive(window) ? window : nullptr;
  if (state.active == nullptr) return;
  auto& z = state.zOrder;
  z.erase(std::remove(z.begin(), z.end(), window), z.end());
  z.insert(z.begin(), window);
  Deliver(window, WM_QUERYNEWPALETTE, 0, 0);
  if (IsAlive(window)) Deliver(window, WM_ACTIVATE, WA_ACTIVE, reinterpret_cast<LPARAM>(previousHandle));
}

// Erases the background at once, as showing a window does; a refused erase
// is remembered for the next BeginPaint.
void EraseNow(Window* window) {
  HDC dc = detail::OpenDisplayDC(window->record.handle);
  window->needsErase = false;
  window->eraseRefused = Deliver(window, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0) == 0;
  detail::CloseDisplayDC(dc);
}

// ShowWindow's work, also done by CreateWindowExA for WS_VISIBLE; returns
// whether the window was visible before.
BOOL Show(Window* window, int command) {
  const bool wasVisible = window->record.visible;
  if (command == SW_HIDE) {
    if (!wasVisible) return FALSE;
    Deliver(window, WM_SHOWWINDOW, FALSE, 0);
    if (!IsAlive(window)) return TRUE;
    window->record.visible = false;
    if (State().active == window) Activate(NextToActivate(window));
    return TRUE;
  }
  if (wasVisible) return TRUE;
  Deliver(window, WM_SHOWWINDOW, TRUE, 0);
  if (!IsAlive(window)) return FALSE;
  window->record.visible = true;
  window->needsPaint = window->needsErase = true;
  if (IsTopLevel(*window)) Activate(window);
  if (!IsAlive(window) || !window->record.visible) return FALSE;
  Deliver(window, WM_NCPAINT, 1, 0);
  if (IsAlive(window) && window->needsErase) EraseNow(window);
  return FALSE;
}

// Ends a window that failed to be created: only WM_NCDESTROY reaches it.
void AbandonCreation(Window* window) {
  window->destroying = true;
  Deliver(window, WM_NCDESTROY, 0, 0);
  ReleaseWindow(window);
}

}  // namespace

void SetScreenSize(int width, int height) {
  State().screenWidth = width;
  State().screenHeight = height;
}

void SetWorkArea(const RECT& area) {
  State().workAreaSet = true;
  State().workArea = area;
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

int MessagesSentTo(DWORD thread) {
  const detail::ApiLock apiLock;
  int count = 0;
  for (const auto& sent : State().sent) count += sent->receiver == thread && !sent->done;
  return count;
}

namespace detail {

HWND ActiveWindow() { return State().active != nullptr ? State().active->record.handle : nullptr; }

void BroadcastPaletteChanged(HWND from) {
  // A copy: a procedure may create or destroy windows meanwhile.
  const std::vector<Window*> targets = State().zOrder;
  for (Window* window : targets) {
    if (IsAlive(window)) Deliver(window, WM_PALETTECHANGED, reinterpret_cast<WPARAM>(from), 0);
  }
}

}  // namespace detail
}  // namespace winsim

using winsim::detail::EnterCall;

ATOM WINAPI RegisterClassA(const WNDCLASSA* windowClass) {
  long error = 0;
  const winsim::detail::ApiLock apiLock;
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
  added.stamp = winsim::detail::StampOf(reinterpret_cast<const void*>(windowClass->lpfnWndProc));
  state.classes.push_back(added);
  return added.atom;
}

BOOL WINAPI UnregisterClassA(LPCSTR className, HINSTANCE instance) {
  const winsim::detail::ApiLock apiLock;
  if (EnterCall("UnregisterClassA") || className == nullptr) return FALSE;
  auto& classes = winsim::State().classes;
  std::string name = winsim::ClassNameText(className);
  for (auto it = classes.begin(); it != classes.end(); ++it) {
    if (it->record.instance == instance && winsim::detail::EqualsIgnoringCase(it->record.name, name)) {
      // A class stays while any window of it exists.
      if (winsim::HasWindowsOf(*it)) {
        SetLastError(ERROR_CLASS_HAS_WINDOWS);
        return FALSE;
      }
      classes.erase(it);
      return TRUE;
    }
  }
  SetLastError(ERROR_CLASS_DOES_NOT_EXIST);
  return FALSE;
}

HWND WINAPI CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x, int y,
                            int width, int height, HWND parent, HMENU menu, HINSTANCE instance, LPVOID param) {
  long error = 0;
  const winsim::detail::ApiLock apiLock;
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
    // Wine's answer; Windows documents ERROR_CANNOT_FIND_WND_CLASS.
    SetLastError(ERROR_CLASS_DOES_NOT_EXIST);
    return nullptr;
  }
  if (parent != nullptr && parent != winsim::DesktopWindow() && winsim::FindWindow(parent) == nullptr) {
    winsim::FailWithInvalidWindow();
    return nullptr;
  }
  winsim::WindowState& state = winsim::State();
  state.windows.push_back(std::make_unique<winsim::Window>());
  winsim::Window* window = state.windows.back().get();
  const HWND handle = winsim::AllocateHandle(window);
  window->record = {handle,
                    windowClass->record.name,
                    windowName ? windowName : "",
                    style,
                    exStyle,
                    RECT{x, y, x + width, y + height},
                    parent,
                    instance,
                    false,
                    true};
  window->windowProc = windowClass->record.windowProc;
  window->procStamp = windowClass->stamp;
  window->background = windowClass->record.background;
  window->thread = GetCurrentThreadId();
  winsim::detail::AdjustLiveHandles(winsim::HandleKind::Window, +1);
  // A new top-level window starts above the others.
  if (winsim::IsTopLevel(*window)) state.zOrder.insert(state.zOrder.begin(), window);

  CREATESTRUCTA create{param,
                       instance,
                       menu,
                       parent,
                       height,
                       width,
                       y,
                       x,
                       static_cast<LONG>(style),
                       windowName,
                       className,
                       winsim::EffectiveExStyle(style, exStyle)};
  if (winsim::Deliver(window, WM_NCCREATE, 0, reinterpret_cast<LPARAM>(&create)) == 0) {
    winsim::AbandonCreation(window);
    return nullptr;
  }
  if (!winsim::IsAlive(window)) return nullptr;
  RECT frame = window->record.rect;
  winsim::Deliver(window, WM_NCCALCSIZE, FALSE, reinterpret_cast<LPARAM>(&frame));
  if (!winsim::IsAlive(window)) return nullptr;
  if (winsim::Deliver(window, WM_CREATE, 0, reinterpret_cast<LPARAM>(&create)) == -1) {
    if (winsim::IsAlive(window)) winsim::AbandonCreation(window);
    return nullptr;
  }
  if (!winsim::IsAlive(window)) return nullptr;
  if (style & WS_VISIBLE) winsim::Show(window, SW_SHOW);
  return winsim::IsAlive(window) ? handle : nullptr;
}

BOOL WINAPI ShowWindow(HWND handle, int command) {
  const winsim::detail::ApiLock apiLock;
  if (EnterCall("ShowWindow")) return FALSE;
  winsim::Window* window = winsim::FindWindow(handle);
  if (window == nullptr) {
    winsim::FailWithInvalidWindow();
    return FALSE;
  }
  return winsim::Show(window, command);
}

BOOL WINAPI UpdateWindow(HWND handle) {
  const winsim::detail::ApiLock apiLock;
  if (EnterCall("UpdateWindow")) return FALSE;
  winsim::Window* window = winsim::FindWindow(handle);
  if (window == nullptr) {
    winsim::FailWithInvalidWindow();
    return FALSE;
  }
  // WM_PAINT goes straight to the procedure, bypassing any queue.
  if (window->record.visible && window->needsPaint) winsim::Deliver(window, WM_PAINT, 0, 0);
  return TRUE;
}

BOOL WINAPI DestroyWindow(HWND handle) {
  const winsim::detail::ApiLock apiLock;
  if (EnterCall("DestroyWindow")) return FALSE;
  winsim::Window* window = winsim::FindWindow(handle);
  if (window == nullptr) {
    // What Windows says to a handle that is no window of this thread.
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
  }
  // Only the thread that created a window may destroy it.
  if (window->thread != winsim::detail::CurrentThreadId()) {
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
  }
  if (window->destroying) return TRUE;  // destroyed again from its own WM_DESTROY
  window->destroying = true;
  // Hidden without WM_SHOWWINDOW; the activation passes to the next window.
  const bool wasActive = winsim::State().active == window;
  window->record.visible = false;
  if (wasActive) winsim::Activate(winsim::NextToActivate(window));
  winsim::Deliver(window, WM_DESTROY, 0, 0);
  winsim::Deliver(window, WM_NCDESTROY, 0, 0);
  winsim::ReleaseWindow(window);
  return TRUE;
}

BOOL WINAPI IsWindow(HWND handle) {
  const winsim::detail::ApiLock apiLock;
  EnterCall("IsWindow");
  return handle == winsim::DesktopWindow() || winsim::FindWindow(handle) != nullptr;
}

BOOL WINAPI IsWindowVisible(HWND handle) {
  const winsim::detail::ApiLock apiLock;
  EnterCall("IsWindowVisible");
  if (handle == winsim::DesktopWindow()) return TRUE;
  winsim::Window* window = winsim::FindWindow(handle);
  return window != nullptr && window->record.visible;
}

DWORD WINAPI GetWindowThreadProcessId(HWND handle, LPDWORD processId) {
  const winsim::detail::ApiLock apiLock;
  EnterCall("GetWindowThreadProcessId");
  winsim::Window* window = winsim::FindWindow(handle);
  if (window == nullptr) {
    winsim::FailWithInvalidWindow();
    return 0;
  }
  if (processId != nullptr) *processId = static_cast<DWORD>(getpid());
  return window->thread;
}

LRESULT WINAPI DefWindowProcA(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) {
  const winsim::detail::ApiLock apiLock;
  EnterCall("DefWindowProcA");
  winsim::Window* window = winsim::FindWindow(handle);
  switch (message) {
    case WM_NCCREATE:
    case WM_NCACTIVATE:
      return TRUE;
    case WM_NCCALCSIZE: {
      // The client area is what the frame leaves of the window rectangle.
      if (wParam == FALSE && lParam != 0 && window != nullptr) {
        auto* rect = reinterpret_cast<RECT*>(lParam);
        const POINT insets = winsim::FrameInsets(window->record.style, window->record.exStyle);
        rect->left += insets.x;
        rect->top += insets.y;
        rect->right -= insets.x;
        rect->bottom -= insets.y;
      }
      return 0;
    }
    case WM_CLOSE:
      DestroyWindow(handle);
      return 0;
    case WM_PAINT: {
      PAINTSTRUCT paint;
      if (BeginPaint(handle, &paint) != nullptr) EndPaint(handle, &paint);
      return 0;
    }
    case WM_ERASEBKGND:
      // Filled with the class brush, even the stock null brush; nothing is
      // drawn here. Without a brush nothing is erased.
      return window != nullptr && window->background != nullptr ? 1 : 0;
    default:
      return 0;
  }
}

LRESULT WINAPI SendMessageA(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) {
  const winsim::detail::ApiLock apiLock;
  if (EnterCall("SendMessageA")) return 0;
  winsim::Window* window = winsim::FindWindow(handle);
  if (window == nullptr) {
    winsim::FailWithInvalidWindow();
    return 0;
  }
  if (window->thread == winsim::detail::CurrentThreadId()) return winsim::Deliver(window, message, wParam, lParam);
  LRESULT result = 0;
  winsim::SendToOtherThread(window, message, wParam, lParam, INFINITE, &result);
  return result;
}

LRESULT WINAPI SendMessageTimeoutA(HWND handle, UINT message, WPARAM wParam, LPARAM lParam, UINT, UINT timeoutMs,
                                   PDWORD_PTR result) {
  const winsim::detail::ApiLock apiLock;
  if (EnterCall("SendMessageTimeoutA")) return 0;
  winsim::Window* window = winsim::FindWindow(handle);
  if (window == nullptr) {
    winsim::FailWithInvalidWindow();
    return 0;
  }
  LRESULT answer = 0;
  // On its own thread the procedure is called at once, as by SendMessageA.
  if (window->thread == winsim::detail::CurrentThreadId()) {
    answer = winsim::Deliver(window, message, wParam, lParam);
  } else if (!winsim::SendToOtherThread(window, message, wParam, lParam, timeoutMs, &answer)) {
    // Wine answers 0 for a message whose wait ran out.
    if (result != nullptr) *result = 0;
    SetLastError(ERROR_TIMEOUT);
    return 0;
  }
  if (result != nullptr) *result = static_cast<DWORD_PTR>(answer);
  return 1;
}

HDC WINAPI BeginPaint(HWND handle, LPPAINTSTRUCT paint) {
  const winsim::detail::ApiLock apiLock;
  if (EnterCall("BeginPaint") || paint == nullptr) return nullptr;
  winsim::Window* window = winsim::FindWindow(handle);
  if (window == nullptr) {
    winsim::FailWithInvalidWindow();
    return nullptr;
  }
  HDC dc = winsim::detail::OpenDisplayDC(window->record.handle);
  if (dc == nullptr) return nullptr;
  std::memset(paint, 0, sizeof *paint);
  paint->hdc = dc;
  paint->rcPaint = winsim::ClientRect(*window);
  const bool erase = window->needsErase;
  window->needsErase = false;
  window->needsPaint = false;
  if (erase) {
    window->eraseRefused = winsim::Deliver(window, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0) == 0;
  }
  // fErase tells the painter that the background is still to be drawn.
  paint->fErase = window->eraseRefused;
  window->eraseRefused = false;
  return dc;
}

BOOL WINAPI EndPaint(HWND, const PAINTSTRUCT* paint) {
  const winsim::detail::ApiLock apiLock;
  EnterCall("EndPaint");
  if (paint != nullptr && paint->hdc != nullptr) winsim::detail::CloseDisplayDC(paint->hdc);
  return TRUE;  // never fails
}

BOOL WINAPI InvalidateRect(HWND handle, const RECT* rect, BOOL erase) {
  const winsim::detail::ApiLock apiLock;
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
  RECT given = rect != nullptr ? *rect : RECT{0, 0, 0, 0};
  if (rect == nullptr && handle != nullptr) given = winsim::ClientRect(*winsim::FindWindow(handle));
  winsim::State().invalidations.push_back({handle, rect == nullptr, erase, given});
  return TRUE;
}

namespace {
HDC DisplayDCOf(HWND handle) {
  if (handle == nullptr || handle == winsim::DesktopWindow()) return winsim::detail::OpenDisplayDC(handle);
  winsim::Window* window = winsim::FindWindow(handle);
  if (window == nullptr) {
    winsim::FailWithInvalidWindow();
    return nullptr;
  }
  return winsim::detail::OpenDisplayDC(window->record.handle);
}
}  // namespace

HDC WINAPI GetDC(HWND handle) {
  const winsim::detail::ApiLock apiLock;
  if (EnterCall("GetDC")) return nullptr;
  return DisplayDCOf(handle);
}

HDC WINAPI GetWindowDC(HWND handle) {
  const winsim::detail::ApiLock apiLock;
  if (EnterCall("GetWindowDC")) return nullptr;
  return DisplayDCOf(handle);
}

int WINAPI ReleaseDC(HWND, HDC dc) {
  const winsim::detail::ApiLock apiLock;
  EnterCall("ReleaseDC");
  // As on Windows, the device context alone decides; the window is not checked.
  return winsim::detail::CloseDisplayDC(dc) ? 1 : 0;
}

HWND WINAPI GetDesktopWindow() {
  const winsim::detail::ApiLock apiLock;
  EnterCall("GetDesktopWindow");
  return winsim::DesktopWindow();
}

int WINAPI GetSystemMetrics(int index) {
  const winsim::detail::ApiLock apiLock;
  EnterCall("GetSystemMetrics");
  switch (index) {
    case SM_CXSCREEN:
      return winsim::State().screenWidth;
    case SM_CYSCREEN:
      return winsim::State().screenHeight;
    case SM_CXDLGFRAME:
    case SM_CYDLGFRAME:
      return winsim::kDialogFrame;
    case SM_CXFRAME:
    case SM_CYFRAME:
      return winsim::kSizingFrame;
    case SM_CXBORDER:
    case SM_CYBORDER:
      return winsim::kBorder;
    case SM_CXEDGE:
    case SM_CYEDGE:
      return winsim::kEdge;
    case SM_CYCAPTION:
      return winsim::kCaption;
    case SM_CYMENU:
      return winsim::kMenu;
    default:
      return 0;
  }
}

namespace winsim {
namespace {

BOOL AdjustWindowRectFor(LPRECT rect, DWORD style, BOOL menu, DWORD exStyle) {
  if (rect == nullptr) return FALSE;
  POINT insets = winsim::FrameInsets(style, exStyle);
  rect->left -= insets.x;
  rect->top -= insets.y;
  rect->right += insets.x;
  rect->bottom += insets.y;
  if ((style & WS_CAPTION) == WS_CAPTION) rect->top -= winsim::kCaption;
  if (menu) rect->top -= winsim::kMenu;
  return TRUE;
}

}  // namespace
}  // namespace winsim

BOOL WINAPI AdjustWindowRect(LPRECT rect, DWORD style, BOOL menu) {
  const winsim::detail::ApiLock apiLock;
  if (EnterCall("AdjustWindowRect")) return FALSE;
  return winsim::AdjustWindowRectFor(rect, style, menu, 0);
}

BOOL WINAPI AdjustWindowRectEx(LPRECT rect, DWORD style, BOOL menu, DWORD exStyle) {
  const winsim::detail::ApiLock apiLock;
  if (EnterCall("AdjustWindowRectEx")) return FALSE;
  return winsim::AdjustWindowRectFor(rect, style, menu, exStyle);
}

BOOL WINAPI SystemParametersInfoA(UINT action, UINT, PVOID value, UINT) {
  long error = 0;
  const winsim::detail::ApiLock apiLock;
  if (EnterCall("SystemParametersInfoA", &error)) {
    SetLastError(error ? error : ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if (action != SPI_GETWORKAREA || value == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  const winsim::WindowState& state = winsim::State();
  *static_cast<RECT*>(value) = state.workAreaSet ? state.workArea : RECT{0, 0, state.screenWidth, state.screenHeight};
  return TRUE;
}

BOOL WINAPI GetClientRect(HWND handle, LPRECT rect) {
  const winsim::detail::ApiLock apiLock;
  if (EnterCall("GetClientRect") || rect == nullptr) return FALSE;
  winsim::Window* window = winsim::FindWindow(handle);
  if (window == nullptr) {
    winsim::FailWithInvalidWindow();
    return FALSE;
  }
  *rect = winsim::ClientRect(*window);
  return TRUE;
}

BOOL WINAPI GetWindowRect(HWND handle, LPRECT rect) {
  const winsim::detail::ApiLock apiLock;
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
  const winsim::detail::ApiLock apiLock;
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
  const winsim::detail::ApiLock apiLock;
  EnterCall("GetClassNameA");
  winsim::Window* window = winsim::FindWindow(handle);
  if (window == nullptr) {
    // Wine's answer; Windows says ERROR_INVALID_WINDOW_HANDLE.
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  return winsim::CopyTextOut(window->record.className, className, maxCount);
}

BOOL WINAPI PostMessageA(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) {
  const winsim::detail::ApiLock apiLock;
  if (EnterCall("PostMessageA")) return FALSE;
  winsim::Window* window = winsim::FindWindow(handle);
  if (window == nullptr) {
    winsim::FailWithInvalidWindow();
    return FALSE;
  }
  winsim::State().posted.push_back({window->thread, MSG{window->record.handle, message, wParam, lParam, 0, {0, 0}}});
  return TRUE;
}

namespace winsim {
namespace {

bool Matches(const MSG& message, HWND window, UINT first, UINT last) {
  if (window != nullptr && message.hwnd != window) return false;
  return (first == 0 && last == 0) || (message.message >= first && message.message <= last);
}

// A window of `thread` that waits for its WM_PAINT, or null.
Window* WindowToPaint(DWORD thread, HWND only) {
  for (const auto& window : State().windows) {
    if (IsAlive(window.get()) && window->thread == thread && window->record.visible && window->needsPaint &&
        (only == nullptr || window->record.handle == only)) {
      return window.get();
    }
  }
  return nullptr;
}

}  // namespace
}  // namespace winsim

BOOL WINAPI PeekMessageA(LPMSG message, HWND handle, UINT first, UINT last, UINT remove) {
  const winsim::detail::ApiLock apiLock;
  if (EnterCall("PeekMessageA") || message == nullptr) return FALSE;
  // Messages other threads sent are handled first, whatever the filter.
  winsim::HandleSentMessages();
  const DWORD thread = winsim::detail::CurrentThreadId();
  auto& posted = winsim::State().posted;
  for (auto it = posted.begin(); it != posted.end(); ++it) {
    if (it->thread != thread || !winsim::Matches(it->message, handle, first, last)) continue;
    *message = it->message;
    if (remove & PM_REMOVE) posted.erase(it);
    return TRUE;
  }
  if (!winsim::Matches(MSG{nullptr, WM_PAINT, 0, 0, 0, {0, 0}}, nullptr, first, last)) return FALSE;
  winsim::Window* window = winsim::WindowToPaint(thread, handle);
  if (window == nullptr) return FALSE;
  *message = MSG{window->record.handle, WM_PAINT, 0, 0, 0, {0, 0}};
  return TRUE;
}

LRESULT WINAPI DispatchMessageA(const MSG* message) {
  const winsim::detail::ApiLock apiLock;
  if (EnterCall("DispatchMessageA") || message == nullptr) return 0;
  winsim::Window* window = winsim::FindWindow(message->hwnd);
  if (window == nullptr) {
    winsim::FailWithInvalidWindow();
    return 0;
  }
  return winsim::Deliver(window, message->message, message->wParam, message->lParam);
}

namespace winsim {
namespace {

// The window whose procedure a GWLP_WNDPROC call names; null, with the
// error set, for another handle or index.
Window* WindowForProcedure(HWND handle, int index) {
  Window* window = FindWindow(handle);
  if (window == nullptr) {
    FailWithInvalidWindow();
    return nullptr;
  }
  if (index != GWLP_WNDPROC) {
    SetLastError(ERROR_INVALID_INDEX);
    return nullptr;
  }
  return window;
}

}  // namespace
}  // namespace winsim

LONG_PTR WINAPI SetWindowLongPtrA(HWND handle, int index, LONG_PTR value) {
  const winsim::detail::ApiLock apiLock;
  if (EnterCall("SetWindowLongPtrA")) return 0;
  winsim::Window* window = winsim::WindowForProcedure(handle, index);
  if (window == nullptr) return 0;
  const WNDPROC previous = window->windowProc;
  window->windowProc = reinterpret_cast<WNDPROC>(value);
  window->procStamp = winsim::detail::StampOf(reinterpret_cast<const void*>(value));
  return reinterpret_cast<LONG_PTR>(previous);
}

LONG_PTR WINAPI GetWindowLongPtrA(HWND handle, int index) {
  const winsim::detail::ApiLock apiLock;
  if (EnterCall("GetWindowLongPtrA")) return 0;
  const winsim::Window* window = winsim::WindowForProcedure(handle, index);
  return window != nullptr ? reinterpret_cast<LONG_PTR>(window->windowProc) : 0;
}

ULONG_PTR WINAPI SetClassLongPtrA(HWND handle, int index, LONG_PTR value) {
  const winsim::detail::ApiLock apiLock;
  if (EnterCall("SetClassLongPtrA")) return 0;
  winsim::Window* window = winsim::FindWindow(handle);
  if (window == nullptr) {
    winsim::FailWithInvalidWindow();
    return 0;
  }
  winsim::WindowClass* windowClass = winsim::FindClass(window->record.className, window->record.instance);
  if (index != GCLP_WNDPROC || windowClass == nullptr) {
    SetLastError(ERROR_INVALID_INDEX);
    return 0;
  }
  // Windows made from the class later get the new procedure; this one keeps its own.
  const WNDPROC previous = windowClass->record.windowProc;
  windowClass->record.windowProc = reinterpret_cast<WNDPROC>(value);
  windowClass->stamp = winsim::detail::StampOf(reinterpret_cast<const void*>(value));
  return reinterpret_cast<ULONG_PTR>(previous);
}
