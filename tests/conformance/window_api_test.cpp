// Window classes, the messages of a window's life, handles, frames and
// metrics, as the platform shows them. The logo window's procedure is entered
// before CreateWindowExA returns and again while ShowWindow activates it.
#include <atomic>
#include <cstring>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "logo/logo_window.h"
#include "message_log.h"
#include "platform_test.h"

namespace {

using Lines = std::vector<std::string>;

class WindowApi : public PlatformTest {};

// ---- classes

TEST_F(WindowApi, AClassIsRegisteredOnceAndStaysWhileAWindowOfItLives) {
  LoggingWindowClass logged;
  ASSERT_NE(logged.atom(), 0);
  WNDCLASSA again{};
  again.lpfnWndProc = DefWindowProcA;
  again.hInstance = LoggingWindowClass::Instance();
  again.lpszClassName = "CONFORMANCELOGGED";
  SetLastError(0xdeadbeef);
  EXPECT_EQ(RegisterClassA(&again), 0);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_CLASS_ALREADY_EXISTS));

  HWND window = logged.Create(WS_POPUP);
  ASSERT_NE(window, nullptr);
  SetLastError(0xdeadbeef);
  EXPECT_FALSE(UnregisterClassA(LoggingWindowClass::kName, LoggingWindowClass::Instance()));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_CLASS_HAS_WINDOWS));
  EXPECT_TRUE(DestroyWindow(window));
  EXPECT_TRUE(UnregisterClassA(LoggingWindowClass::kName, LoggingWindowClass::Instance()));
  SetLastError(0xdeadbeef);
  EXPECT_FALSE(UnregisterClassA(LoggingWindowClass::kName, LoggingWindowClass::Instance()));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_CLASS_DOES_NOT_EXIST));
  SetLastError(0xdeadbeef);
  EXPECT_EQ(logged.Create(WS_POPUP), nullptr);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_CLASS_DOES_NOT_EXIST));
}

// ---- the messages of a window's life

CREATESTRUCTA g_created;
RECT g_clientArea;

bool KeepCreationDetails(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
  if (message == WM_NCCREATE) g_created = *reinterpret_cast<CREATESTRUCTA*>(lParam);
  if (message != WM_NCCALCSIZE) return false;
  *result = DefWindowProcA(window, message, wParam, lParam);
  g_clientArea = *reinterpret_cast<RECT*>(lParam);
  return true;
}

TEST_F(WindowApi, CreationTalksToTheProcedureBeforeCreateReturns) {
  LoggingWindowClass logged;
  CurrentMessageHook() = KeepCreationDetails;
  std::memset(&g_created, 0, sizeof g_created);
  int param = 0;
  HWND window = logged.Create(WS_POPUP | WS_DLGFRAME, WS_EX_CLIENTEDGE, 10, 20, 409, 309, &param);
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(DescribeMessages({{window, "W"}}), (Lines{"W WM_NCCREATE", "W WM_NCCALCSIZE", "W WM_CREATE"}));
  EXPECT_EQ(g_created.lpCreateParams, &param);
  EXPECT_EQ(g_created.hInstance, LoggingWindowClass::Instance());
  EXPECT_EQ(g_created.x, 10);
  EXPECT_EQ(g_created.y, 20);
  EXPECT_EQ(g_created.cx, 409);
  EXPECT_EQ(g_created.cy, 309);
  EXPECT_EQ(DWORD(g_created.style), DWORD(WS_POPUP | WS_DLGFRAME));
  // A dialog frame brings the raised window edge with it.
  EXPECT_EQ(g_created.dwExStyle, DWORD(WS_EX_CLIENTEDGE | WS_EX_WINDOWEDGE));
  EXPECT_STREQ(g_created.lpszName, "Logged");
  // The client area: the window less a dialog frame and a client edge.
  EXPECT_EQ(g_clientArea.left, 15);
  EXPECT_EQ(g_clientArea.top, 25);
  EXPECT_EQ(g_clientArea.right, 414);
  EXPECT_EQ(g_clientArea.bottom, 324);
  EXPECT_FALSE(IsWindowVisible(window));
  EXPECT_TRUE(DestroyWindow(window));
}

TEST_F(WindowApi, ShowActivatesAndErasesUpdatePaintsDestroyDeactivates) {
  LoggingWindowClass logged;
  HWND window = logged.Create(WS_POPUP | WS_DLGFRAME, WS_EX_CLIENTEDGE);
  ASSERT_NE(window, nullptr);
  const std::map<HWND, std::string> names{{window, "W"}};
  ClearMessageLog();

  EXPECT_FALSE(ShowWindow(window, SW_SHOW)) << "it was hidden";
  EXPECT_EQ(DescribeMessages(names), (Lines{"W WM_SHOWWINDOW shown", "W WM_QUERYNEWPALETTE",
                                            "W WM_ACTIVATE active other 0", "W WM_NCPAINT", "W WM_ERASEBKGND"}));
  EXPECT_TRUE(IsWindowVisible(window));
  ClearMessageLog();
  EXPECT_TRUE(ShowWindow(window, SW_SHOW)) << "it was visible";
  EXPECT_EQ(DescribeMessages(names), Lines{});

  EXPECT_TRUE(UpdateWindow(window));
  EXPECT_EQ(DescribeMessages(names), Lines{"W WM_PAINT"}) << "erased while shown";
  ClearMessageLog();
  EXPECT_TRUE(UpdateWindow(window));
  EXPECT_EQ(DescribeMessages(names), Lines{}) << "DefWindowProc validated it";
  EXPECT_TRUE(InvalidateRect(window, nullptr, TRUE));
  EXPECT_TRUE(UpdateWindow(window));
  EXPECT_EQ(DescribeMessages(names), (Lines{"W WM_PAINT", "W WM_ERASEBKGND"})) << "erased inside BeginPaint";
  ClearMessageLog();
  EXPECT_TRUE(InvalidateRect(window, nullptr, FALSE));
  EXPECT_TRUE(UpdateWindow(window));
  EXPECT_EQ(DescribeMessages(names), Lines{"W WM_PAINT"});
  ClearMessageLog();

  EXPECT_TRUE(DestroyWindow(window));
  EXPECT_EQ(DescribeMessages(names), (Lines{"W WM_ACTIVATE inactive other 0", "W WM_DESTROY", "W WM_NCDESTROY"}));
  EXPECT_FALSE(IsWindow(window));
}

// A window belongs to the thread that made it. Another thread may invalidate
// it without waiting for that thread: the paint comes when the owner updates.
TEST_F(WindowApi, AWindowBelongsToItsThreadAndAnotherMayInvalidateIt) {
  LoggingWindowClass logged;
  HWND window = logged.Create(WS_POPUP);
  ASSERT_NE(window, nullptr);
  ShowWindow(window, SW_SHOW);
  UpdateWindow(window);
  const std::map<HWND, std::string> names{{window, "W"}};
  DWORD process = 0xdeadbeef;
  EXPECT_EQ(GetWindowThreadProcessId(window, &process), GetCurrentThreadId());
  EXPECT_NE(process, 0xdeadbeefu);
  EXPECT_NE(GetCurrentThreadId(), 0u);

  DWORD worker = 0, owner = 0;
  BOOL invalidated = FALSE;
  ClearMessageLog();
  std::thread other([&] {
    worker = GetCurrentThreadId();
    owner = GetWindowThreadProcessId(window, nullptr);
    const RECT band{0, 0, 10, 10};
    invalidated = InvalidateRect(window, &band, FALSE);
  });
  other.join();
  EXPECT_NE(worker, GetCurrentThreadId());
  EXPECT_NE(worker, 0u);
  EXPECT_EQ(owner, GetCurrentThreadId());
  EXPECT_TRUE(invalidated);
  EXPECT_EQ(DescribeMessages(names), Lines{}) << "painted on the other thread";
  EXPECT_TRUE(UpdateWindow(window));
  EXPECT_EQ(DescribeMessages(names), Lines{"W WM_PAINT"});

  EXPECT_TRUE(DestroyWindow(window));
  SetLastError(0xdeadbeef);
  process = 0xdeadbeef;
  EXPECT_EQ(GetWindowThreadProcessId(window, &process), 0u);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_WINDOW_HANDLE));
  EXPECT_EQ(process, 0xdeadbeefu) << "written for a destroyed window";
}

// What another thread of the process may do to a window: not destroy it,
// but post to it (the owner dispatches at its next pump, the poster's own
// queue stays empty) and change its procedure and its class's, which later
// windows of the class take. A library unloaded on such a thread builds on this.
TEST_F(WindowApi, AnotherThreadMayPostAndChangeProceduresButNotDestroy) {
  LoggingWindowClass logged;
  HWND window = logged.Create(WS_POPUP);
  ASSERT_NE(window, nullptr);
  const std::map<HWND, std::string> names{{window, "W"}};
  const WNDPROC system = DefWindowProcA;
  struct Seen {
    BOOL destroyed, posted, ownQueue, closePosted;
    DWORD destroyError;
    LONG_PTR windowProc, classProc;
  } seen{TRUE, FALSE, TRUE, FALSE, 0, 0, 0};
  PumpQueuedMessages();
  ClearMessageLog();
  std::thread([&] {
    SetLastError(0xdeadbeef);
    seen.destroyed = DestroyWindow(window);
    seen.destroyError = GetLastError();
    seen.posted = PostMessageA(window, WM_USER, 1, 2);
    MSG message;
    seen.ownQueue = PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE);
  }).join();
  EXPECT_FALSE(seen.destroyed);
  EXPECT_EQ(seen.destroyError, DWORD(ERROR_ACCESS_DENIED));
  EXPECT_TRUE(seen.posted);
  EXPECT_FALSE(seen.ownQueue) << "a message posted to a window went to the poster's queue";
  EXPECT_TRUE(IsWindow(window));
  EXPECT_EQ(DescribeMessages(names), Lines{}) << "dispatched before the owner pumped";
  PumpQueuedMessages();
  EXPECT_EQ(DescribeMessages(names), Lines{"W WM_USER"});

  ClearMessageLog();
  std::thread([&] {
    seen.windowProc = SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(system));
    seen.classProc = static_cast<LONG_PTR>(SetClassLongPtrA(window, GCLP_WNDPROC, reinterpret_cast<LONG_PTR>(system)));
    seen.closePosted = PostMessageA(window, WM_CLOSE, 0, 0);
  }).join();
  EXPECT_EQ(seen.windowProc, reinterpret_cast<LONG_PTR>(LoggingWindowProc));
  EXPECT_EQ(seen.classProc, reinterpret_cast<LONG_PTR>(LoggingWindowProc));
  EXPECT_EQ(GetWindowLongPtrA(window, GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(system));
  EXPECT_TRUE(seen.closePosted);
  SetLastError(0xdeadbeef);
  EXPECT_FALSE(UnregisterClassA(LoggingWindowClass::kName, LoggingWindowClass::Instance()));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_CLASS_HAS_WINDOWS));
  // The system's procedure destroys the window at the owner's pump.
  PumpQueuedMessages();
  EXPECT_FALSE(IsWindow(window));
  EXPECT_EQ(DescribeMessages(names), Lines{}) << "the old procedure still ran";

  HWND later = logged.Create(WS_POPUP);
  ASSERT_NE(later, nullptr);
  EXPECT_EQ(GetWindowLongPtrA(later, GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(system));
  EXPECT_TRUE(DestroyWindow(later));
  EXPECT_TRUE(MessageLogEntries().empty());
}

// What the sender of a message to another thread's window sees, as an unload
// on such a thread hands the logo back: the message runs on the window's own
// thread and only inside that thread's message retrieval; the sender waits at
// most its bound, and a message it gave up on is never handled. While the
// procedure runs, other threads' calls go on.
std::atomic<DWORD> g_handledOn{0};
std::atomic<bool> g_otherThreadCalled{false};
std::thread g_otherThread;

bool AnswerAndLetAnotherThreadIn(HWND window, UINT message, WPARAM, LPARAM, LRESULT* result) {
  if (message != WM_USER) return false;
  g_handledOn = GetCurrentThreadId();
  g_otherThread = std::thread([window] { g_otherThreadCalled = IsWindow(window) && IsWindowVisible(window) == FALSE; });
  for (int waited = 0; waited < 5000 && !g_otherThreadCalled; ++waited) Sleep(1);
  *result = 42;
  return true;
}

TEST_F(WindowApi, AMessageSentFromAnotherThreadRunsInTheOwnersRetrieval) {
  LoggingWindowClass logged;
  HWND window = logged.Create(WS_POPUP);
  ASSERT_NE(window, nullptr);
  const std::map<HWND, std::string> names{{window, "W"}};
  CurrentMessageHook() = AnswerAndLetAnotherThreadIn;
  PumpQueuedMessages();
  ClearMessageLog();
  struct Seen {
    LRESULT sent;
    DWORD error;
    DWORD_PTR answer;
  } seen{-1, 0, 0xdeadbeef};
  std::thread([&] {
    SetLastError(0xdeadbeef);
    seen.sent = SendMessageTimeoutA(window, WM_USER, 1, 2, SMTO_BLOCK, 100, &seen.answer);
    seen.error = GetLastError();
  }).join();
  EXPECT_EQ(seen.sent, 0);
  EXPECT_EQ(seen.error, DWORD(ERROR_TIMEOUT));
  EXPECT_EQ(DescribeMessages(names), Lines{}) << "handled outside the owner's retrieval";
  PumpQueuedMessages();
  EXPECT_EQ(DescribeMessages(names), Lines{}) << "a message whose wait ran out";
  EXPECT_EQ(seen.answer, DWORD_PTR{0}) << "the answer of a message that was not handled";

  ClearMessageLog();
  g_handledOn = 0;
  g_otherThreadCalled = false;
  std::atomic<bool> answered{false};
  std::thread sender([&] {
    seen.sent = SendMessageTimeoutA(window, WM_USER, 3, 4, SMTO_BLOCK, 10000, &seen.answer);
    answered = true;
  });
  while (!answered) {
    PumpQueuedMessages();
    Sleep(1);
  }
  sender.join();
  if (g_otherThread.joinable()) g_otherThread.join();
  EXPECT_EQ(seen.sent, 1);
  EXPECT_EQ(seen.answer, DWORD_PTR{42});
  EXPECT_EQ(g_handledOn, GetCurrentThreadId());
  EXPECT_TRUE(g_otherThreadCalled) << "another thread's call waited for the procedure";
  EXPECT_EQ(DescribeMessages(names), Lines{"W WM_USER"});
  EXPECT_TRUE(DestroyWindow(window));
}

TEST_F(WindowApi, AWindowCreatedVisibleIsShownBeforeCreateReturns) {
  LoggingWindowClass logged;
  HWND window = logged.Create(WS_POPUP | WS_VISIBLE);
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(DescribeMessages({{window, "W"}}),
            (Lines{"W WM_NCCREATE", "W WM_NCCALCSIZE", "W WM_CREATE", "W WM_SHOWWINDOW shown", "W WM_QUERYNEWPALETTE",
                   "W WM_ACTIVATE active other 0", "W WM_NCPAINT", "W WM_ERASEBKGND"}));
  EXPECT_TRUE(DestroyWindow(window));
}

TEST_F(WindowApi, ActivationPassesToTheTopmostVisibleWindow) {
  LoggingWindowClass logged;
  HWND a = logged.Create(WS_POPUP);
  HWND b = logged.Create(WS_POPUP);
  ASSERT_NE(a, nullptr);
  ASSERT_NE(b, nullptr);
  const std::map<HWND, std::string> names{{a, "A"}, {b, "B"}};
  struct Step {
    const char* what;
    HWND window;
    int command;  // SW_SHOW or SW_HIDE; -1 destroys
    Lines messages;
  };
  const Step steps[] = {
      {"show A", a, SW_SHOW,
       {"A WM_SHOWWINDOW shown", "A WM_QUERYNEWPALETTE", "A WM_ACTIVATE active other 0", "A WM_NCPAINT",
        "A WM_ERASEBKGND"}},
      {"show B", b, SW_SHOW,
       {"B WM_SHOWWINDOW shown", "A WM_ACTIVATE inactive other B", "B WM_QUERYNEWPALETTE",
        "B WM_ACTIVATE active other A", "B WM_NCPAINT", "B WM_ERASEBKGND"}},
      {"hide B", b, SW_HIDE,
       {"B WM_SHOWWINDOW hidden", "B WM_ACTIVATE inactive other A", "A WM_QUERYNEWPALETTE",
        "A WM_ACTIVATE active other B"}},
      {"hide B again", b, SW_HIDE, {}},
      {"show B again", b, SW_SHOW,
       {"B WM_SHOWWINDOW shown", "A WM_ACTIVATE inactive other B", "B WM_QUERYNEWPALETTE",
        "B WM_ACTIVATE active other A", "B WM_NCPAINT", "B WM_ERASEBKGND"}},
      {"destroy B", b, -1,
       {"B WM_ACTIVATE inactive other A", "A WM_QUERYNEWPALETTE", "A WM_ACTIVATE active other B", "B WM_DESTROY",
        "B WM_NCDESTROY"}},
      {"destroy A", a, -1, {"A WM_ACTIVATE inactive other 0", "A WM_DESTROY", "A WM_NCDESTROY"}},
  };
  for (const Step& step : steps) {
    ClearMessageLog();
    if (step.command < 0) {
      EXPECT_TRUE(DestroyWindow(step.window)) << step.what;
    } else {
      ShowWindow(step.window, step.command);
    }
    EXPECT_EQ(DescribeMessages(names), step.messages) << step.what;
  }
}

LRESULT g_refuseAt = 0;  // the message whose answer makes creation fail

bool RefuseCreation(HWND, UINT message, WPARAM, LPARAM, LRESULT* result) {
  if (message != static_cast<UINT>(g_refuseAt)) return false;
  *result = message == WM_NCCREATE ? FALSE : -1;
  return true;
}

TEST_F(WindowApi, AProcedureThatRefusesCreationHearsOnlyWmNcDestroyMore) {
  struct Case {
    UINT refusedAt;
    Lines messages;
  };
  const Case cases[] = {
      {WM_NCCREATE, {"? WM_NCCREATE", "? WM_NCDESTROY"}},
      {WM_CREATE, {"? WM_NCCREATE", "? WM_NCCALCSIZE", "? WM_CREATE", "? WM_NCDESTROY"}},
  };
  for (const Case& c : cases) {
    LoggingWindowClass logged;
    g_refuseAt = c.refusedAt;
    CurrentMessageHook() = RefuseCreation;
    EXPECT_EQ(logged.Create(WS_POPUP | WS_VISIBLE), nullptr) << c.refusedAt;
    EXPECT_EQ(DescribeMessages({}), c.messages) << c.refusedAt;
  }
}

struct ErasePaint {
  LRESULT erased;  // what DefWindowProcA answered to WM_ERASEBKGND
  BOOL fErase;     // what BeginPaint then said
};
ErasePaint g_erasePaint;

bool NoteErasing(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
  if (message == WM_ERASEBKGND) {
    *result = g_erasePaint.erased = DefWindowProcA(window, message, wParam, lParam);
    return true;
  }
  if (message != WM_PAINT) return false;
  PAINTSTRUCT paint;
  if (BeginPaint(window, &paint) != nullptr) {
    g_erasePaint.fErase = paint.fErase;
    EndPaint(window, &paint);
  }
  *result = 0;
  return true;
}

TEST_F(WindowApi, TheClassBrushDecidesWhetherTheBackgroundWasErased) {
  struct Case {
    const char* name;
    HBRUSH brush;
    LRESULT erased;
  };
  const Case cases[] = {
      // Even the null brush counts as one that erased.
      {"null brush", static_cast<HBRUSH>(GetStockObject(NULL_BRUSH)), 1},
      {"white brush", static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)), 1},
      {"no brush", nullptr, 0},
  };
  for (const Case& c : cases) {
    LoggingWindowClass logged(c.brush);
    CurrentMessageHook() = NoteErasing;
    g_erasePaint = ErasePaint{-7, -7};
    HWND window = logged.Create(WS_POPUP);
    ShowWindow(window, SW_SHOW);
    UpdateWindow(window);
    EXPECT_EQ(g_erasePaint.erased, c.erased) << c.name;
    // Erased while shown; what was not erased then is left to the painter.
    EXPECT_EQ(g_erasePaint.fErase, c.erased ? FALSE : TRUE) << c.name;
    EXPECT_TRUE(DestroyWindow(window));
  }
}

// ---- handles

TEST_F(WindowApi, NullAndStaleHandlesAreRefused) {
  LoggingWindowClass logged;
  HWND stale = logged.Create(WS_POPUP);
  ASSERT_TRUE(DestroyWindow(stale));
  struct Case {
    const char* name;
    bool (*call)(HWND);  // true when the call failed
    HWND window;
    DWORD error;
  };
  const Case cases[] = {
      {"ShowWindow null", [](HWND w) { return !ShowWindow(w, SW_SHOW); }, nullptr, ERROR_INVALID_WINDOW_HANDLE},
      {"ShowWindow stale", [](HWND w) { return !ShowWindow(w, SW_SHOW); }, stale, ERROR_INVALID_WINDOW_HANDLE},
      {"UpdateWindow null", [](HWND w) { return !UpdateWindow(w); }, nullptr, ERROR_INVALID_WINDOW_HANDLE},
      {"DestroyWindow null", [](HWND w) { return !DestroyWindow(w); }, nullptr, ERROR_ACCESS_DENIED},
      {"DestroyWindow stale", [](HWND w) { return !DestroyWindow(w); }, stale, ERROR_ACCESS_DENIED},
      {"InvalidateRect stale", [](HWND w) { return !InvalidateRect(w, nullptr, TRUE); }, stale,
       ERROR_INVALID_WINDOW_HANDLE},
      {"GetDC stale", [](HWND w) { return GetDC(w) == nullptr; }, stale, ERROR_INVALID_WINDOW_HANDLE},
      {"GetWindowDC stale", [](HWND w) { return GetWindowDC(w) == nullptr; }, stale, ERROR_INVALID_WINDOW_HANDLE},
      {"SendMessageA stale", [](HWND w) { return SendMessageA(w, WM_USER, 0, 0) == 0; }, stale,
       ERROR_INVALID_WINDOW_HANDLE},
      {"GetWindowRect stale",
       [](HWND w) {
         RECT rect;
         return !GetWindowRect(w, &rect);
       },
       stale, ERROR_INVALID_WINDOW_HANDLE},
  };
  for (const Case& c : cases) {
    SetLastError(0xdeadbeef);
    EXPECT_TRUE(c.call(c.window)) << c.name;
    EXPECT_EQ(GetLastError(), c.error) << c.name;
  }
  // The whole screen is invalidated without a window.
  EXPECT_TRUE(InvalidateRect(nullptr, nullptr, TRUE));
  EXPECT_FALSE(IsWindow(nullptr));
  EXPECT_FALSE(IsWindow(stale));
  EXPECT_FALSE(IsWindowVisible(stale));
  char text[8] = "#######";
  EXPECT_EQ(GetWindowTextA(stale, text, sizeof text), 0);
  EXPECT_STREQ(text, "");
  EXPECT_EQ(GetClassNameA(stale, text, sizeof text), 0);
}

TEST_F(WindowApi, AFreedHandleComesBackUnderAnotherValue) {
  LoggingWindowClass logged;
  // Other programs take handles from the same table, so a slot may go
  // elsewhere now and then; the last one freed is taken first.
  int reused = 0;
  for (int attempt = 0; attempt < 20 && reused < 3; ++attempt) {
    HWND first = logged.Create(WS_POPUP);
    ASSERT_TRUE(DestroyWindow(first));
    HWND second = CreateWindowExA(0, LoggingWindowClass::kName, "second", WS_POPUP, 0, 0, 5, 5, nullptr, nullptr,
                                  LoggingWindowClass::Instance(), nullptr);
    ASSERT_NE(second, nullptr);
    const auto firstValue = reinterpret_cast<ULONG_PTR>(first);
    if (LOWORD(firstValue) == LOWORD(reinterpret_cast<ULONG_PTR>(second))) {
      ++reused;
      EXPECT_NE(second, first);
      EXPECT_FALSE(IsWindow(first));
      // Cut to 16 bits, the old handle names the new window.
      HWND cut = reinterpret_cast<HWND>(static_cast<ULONG_PTR>(LOWORD(firstValue)));
      EXPECT_TRUE(IsWindow(cut));
      char text[16] = "";
      EXPECT_EQ(GetWindowTextA(cut, text, sizeof text), 6);
      EXPECT_STREQ(text, "second");
    }
    ASSERT_TRUE(DestroyWindow(second));
  }
  EXPECT_GE(reused, 1);
}

TEST_F(WindowApi, TextAndClassNameAreCutToTheBuffer) {
  LoggingWindowClass logged;
  HWND window = CreateWindowExA(0, LoggingWindowClass::kName, "Window text", WS_POPUP, 0, 0, 5, 5, nullptr, nullptr,
                                LoggingWindowClass::Instance(), nullptr);
  ASSERT_NE(window, nullptr);
  struct Case {
    int size;
    int textResult;
    const char* text;
    int classResult;
    const char* className;
  };
  const Case cases[] = {
      {0, 0, "", 0, ""},          {1, 0, "", 0, ""},
      {2, 1, "W", 1, "C"},        {5, 4, "Wind", 4, "Conf"},
      {12, 11, "Window text", 11, "Conformance"},
      {64, 11, "Window text", 17, "ConformanceLogged"},
  };
  for (const Case& c : cases) {
    char buffer[80];
    std::memset(buffer, '#', sizeof buffer);
    EXPECT_EQ(GetWindowTextA(window, buffer, c.size), c.textResult) << c.size;
    if (c.size > 0) {
      EXPECT_STREQ(buffer, c.text) << c.size;
    }
    EXPECT_EQ(buffer[c.size], '#') << c.size << ": written past the buffer";
    std::memset(buffer, '#', sizeof buffer);
    EXPECT_EQ(GetClassNameA(window, buffer, c.size), c.classResult) << c.size;
    if (c.size > 0) {
      EXPECT_STREQ(buffer, c.className) << c.size;
    }
    EXPECT_EQ(buffer[c.size], '#') << c.size << ": written past the buffer";
  }
  EXPECT_TRUE(DestroyWindow(window));
}

TEST_F(WindowApi, TheDesktopCoversTheScreen) {
  HWND desktop = GetDesktopWindow();
  EXPECT_TRUE(IsWindow(desktop));
  EXPECT_TRUE(IsWindowVisible(desktop));
  RECT rect{};
  ASSERT_TRUE(GetWindowRect(desktop, &rect));
  EXPECT_EQ(rect.left, 0);
  EXPECT_EQ(rect.top, 0);
  EXPECT_EQ(rect.right, GetSystemMetrics(SM_CXSCREEN));
  EXPECT_EQ(rect.bottom, GetSystemMetrics(SM_CYSCREEN));
  HDC dc = GetWindowDC(desktop);
  ASSERT_NE(dc, nullptr);
  EXPECT_EQ(GetDeviceCaps(dc, BITSPIXEL), ScreenBitsPerPixel());
  // The device context alone decides, whatever window is named with it.
  EXPECT_EQ(ReleaseDC(reinterpret_cast<HWND>(0x1234), dc), 1);
  EXPECT_EQ(ReleaseDC(desktop, dc), 0) << "released twice";
}

// ---- frames and metrics

TEST_F(WindowApi, FrameMetricsAsMeasured) {
  const struct {
    int index;
    int value;
  } metrics[] = {
      {SM_CXSCREEN, 1024}, {SM_CYSCREEN, 768}, {SM_CXDLGFRAME, 3}, {SM_CYDLGFRAME, 3}, {SM_CXBORDER, 1},
      {SM_CYBORDER, 1},    {SM_CXEDGE, 2},     {SM_CYEDGE, 2},     {SM_CXFRAME, 4},    {SM_CYFRAME, 4},
      {SM_CYCAPTION, 19},  {SM_CYMENU, 19},
  };
  for (const auto& metric : metrics) EXPECT_EQ(GetSystemMetrics(metric.index), metric.value) << metric.index;
}

TEST_F(WindowApi, AdjustWindowRectAddsTheFramesOfTheStyle) {
  struct Case {
    DWORD style;
    BOOL menu;
    RECT expected;
  };
  const Case cases[] = {
      {WS_POPUP, FALSE, {0, 0, 400, 300}},
      {WS_POPUP | WS_DLGFRAME, FALSE, {-3, -3, 403, 303}},
      {WS_POPUP | WS_DLGFRAME, TRUE, {-3, -22, 403, 303}},
      {WS_POPUP | WS_BORDER, FALSE, {-1, -1, 401, 301}},
      {WS_POPUP | WS_THICKFRAME, FALSE, {-3, -3, 403, 303}},
      {WS_POPUP | WS_DLGFRAME | WS_THICKFRAME, FALSE, {-4, -4, 404, 304}},
      {WS_POPUP | WS_CAPTION, FALSE, {-3, -22, 403, 303}},
      {WS_OVERLAPPED, FALSE, {0, 0, 400, 300}},
      {WS_CHILD | WS_BORDER, FALSE, {-1, -1, 401, 301}},
  };
  for (const Case& c : cases) {
    RECT rect{0, 0, 400, 300};
    ASSERT_TRUE(AdjustWindowRect(&rect, c.style, c.menu)) << std::hex << c.style;
    EXPECT_EQ(rect.left, c.expected.left) << std::hex << c.style << " menu " << c.menu;
    EXPECT_EQ(rect.top, c.expected.top) << std::hex << c.style << " menu " << c.menu;
    EXPECT_EQ(rect.right, c.expected.right) << std::hex << c.style << " menu " << c.menu;
    EXPECT_EQ(rect.bottom, c.expected.bottom) << std::hex << c.style << " menu " << c.menu;
  }
}

TEST_F(WindowApi, TheLogoIsCentredWithTheMeasuredFrames) {
  RECT widened{0, 0, 400, 300};
  ASSERT_TRUE(AdjustWindowRect(&widened, WS_POPUP | WS_DLGFRAME, FALSE));
  const LogoPlacement placement =
      PlaceLogoWindow(widened, GetSystemMetrics(SM_CXDLGFRAME), GetSystemMetrics(SM_CYDLGFRAME),
                      GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
  EXPECT_EQ(placement.x, 307);
  EXPECT_EQ(placement.y, 229);
  EXPECT_EQ(placement.width, 409);
  EXPECT_EQ(placement.height, 309);

  LoggingWindowClass logged;
  CurrentMessageHook() = KeepCreationDetails;
  HWND window = logged.Create(WS_POPUP | WS_DLGFRAME, WS_EX_CLIENTEDGE, placement.x, placement.y, placement.width,
                              placement.height);
  ASSERT_NE(window, nullptr);
  RECT rect{};
  ASSERT_TRUE(GetWindowRect(window, &rect));
  EXPECT_EQ(rect.left, 307);
  EXPECT_EQ(rect.top, 229);
  EXPECT_EQ(rect.right, 716);
  EXPECT_EQ(rect.bottom, 538);
  // The client edge is not allowed for: the client area is a pixel short of
  // the 400 by 300 bitmap each way.
  EXPECT_EQ(g_clientArea.right - g_clientArea.left, 399);
  EXPECT_EQ(g_clientArea.bottom - g_clientArea.top, 299);
  EXPECT_TRUE(DestroyWindow(window));
}

// The full form allows for the client edge: a window of the widened size has
// exactly the client area asked for. The work area is the whole screen here.
TEST_F(WindowApi, AdjustWindowRectExAllowsForTheClientEdge) {
  RECT widened{0, 0, 400, 300};
  ASSERT_TRUE(AdjustWindowRectEx(&widened, WS_POPUP | WS_DLGFRAME, FALSE, WS_EX_CLIENTEDGE));
  EXPECT_EQ(widened.left, -5);
  EXPECT_EQ(widened.top, -5);
  EXPECT_EQ(widened.right, 405);
  EXPECT_EQ(widened.bottom, 305);
  RECT plain{0, 0, 400, 300};
  ASSERT_TRUE(AdjustWindowRectEx(&plain, WS_POPUP | WS_DLGFRAME, FALSE, 0));
  EXPECT_EQ(plain.right, 403);

  LoggingWindowClass logged;
  CurrentMessageHook() = KeepCreationDetails;
  HWND window = logged.Create(WS_POPUP | WS_DLGFRAME, WS_EX_CLIENTEDGE, 10, 10, widened.right - widened.left,
                              widened.bottom - widened.top);
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(g_clientArea.right - g_clientArea.left, 400);
  EXPECT_EQ(g_clientArea.bottom - g_clientArea.top, 300);
  EXPECT_TRUE(DestroyWindow(window));

  RECT work{-1, -1, -1, -1};
  ASSERT_TRUE(SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0));
  EXPECT_EQ(work.left, 0);
  EXPECT_EQ(work.top, 0);
  EXPECT_EQ(work.right, GetSystemMetrics(SM_CXSCREEN));
  EXPECT_EQ(work.bottom, GetSystemMetrics(SM_CYSCREEN));
}

}  // namespace
