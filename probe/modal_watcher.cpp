#include "modal_watcher.h"

#include <windows.h>

#include <cstdio>
#include <cstring>

#include "json_writer.h"
#include "probe_options.h"
#include "wide_text.h"

namespace {

CRITICAL_SECTION g_lock;
std::vector<ModalRecord> g_modals;
std::vector<int> g_answers;
size_t g_nextAnswer = 0;
int g_dialogClick = 0;
// The stop, question, exclamation and information icons, in that order.
HICON g_systemIcons[4];

std::string WindowText(HWND window) {
  wchar_t text[1024] = L"";
  GetWindowTextW(window, text, 1024);
  return Utf8(text);
}

// Reconstructs the MB_* style of a message box from its buttons and icon.
unsigned MessageBoxStyle(HWND box) {
  unsigned style = MB_OK;
  if (GetDlgItem(box, IDYES) && GetDlgItem(box, IDNO)) style = MB_YESNO;
  else if (GetDlgItem(box, IDOK) && GetDlgItem(box, IDCANCEL)) style = MB_OKCANCEL;
  HWND iconControl = GetDlgItem(box, 1088);
  if (iconControl) {
    HICON icon = reinterpret_cast<HICON>(SendMessageA(iconControl, STM_GETICON, 0, 0));
    const unsigned iconStyles[4] = {MB_ICONHAND, MB_ICONQUESTION, MB_ICONEXCLAMATION, MB_ICONASTERISK};
    for (int i = 0; i < 4; ++i) {
      if (icon != nullptr && icon == g_systemIcons[i]) style |= iconStyles[i];
    }
  }
  return style;
}

void PressButton(HWND dialog, int id) {
  PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

// Each modal window is reported on stderr at once, so that a run the library
// ends (a cancelled dialog, a refused clock) still tells what it showed.
void ReportModalAtOnce(const ModalRecord& record) {
  JsonWriter json;
  json.BeginObject();
  json.Field("event", record.kind);
  json.Field("text", record.text);
  json.Field("caption", record.caption);
  if (record.kind == "messageBox") json.Field("style", static_cast<long long>(record.style));
  json.Field("answer", static_cast<long long>(record.answer));
  json.EndObject();
  std::fprintf(stderr, "%s\n", json.Text().c_str());
  std::fflush(stderr);
}

// Answers `window` as `record` says: the mode dialog by its script, a
// message box by the button of its answer.
void AnswerModal(HWND window, const ModalRecord& record) {
  if (record.answer > 0) {
    PressButton(window, record.answer);
  } else if (record.kind != "modeDialog") {
    return;
  } else if (record.answer == kDialogCloseBox) {
    PostMessageA(window, WM_CLOSE, 0, 0);
  } else if (record.answer == kDialogEscapeKey) {
    // The dialog's own message loop turns Escape into Cancel.
    PostMessageA(window, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
    PostMessageA(window, WM_KEYUP, VK_ESCAPE, 0xC0010001);
  }
}

void HandleModal(HWND window) {
  ModalRecord record;
  record.caption = WindowText(window);
  if (GetDlgItem(window, 392)) {
    record.kind = "modeDialog";
    record.answer = g_dialogClick;
  } else {
    record.kind = "messageBox";
    HWND textControl = GetDlgItem(window, 0xFFFF);
    record.text = textControl ? WindowText(textControl) : "";
    record.style = MessageBoxStyle(window);
    EnterCriticalSection(&g_lock);
    if (g_nextAnswer < g_answers.size()) record.answer = g_answers[g_nextAnswer++];
    LeaveCriticalSection(&g_lock);
  }
  // Told before it is answered: the answer may end the process (a cancelled
  // dialog) before this thread writes another byte.
  ReportModalAtOnce(record);
  EnterCriticalSection(&g_lock);
  g_modals.push_back(record);
  LeaveCriticalSection(&g_lock);
  AnswerModal(window, record);
}

struct SeenWindows {
  std::vector<HWND> handled;
};

BOOL CALLBACK FindModal(HWND window, LPARAM param) {
  auto* seen = reinterpret_cast<SeenWindows*>(param);
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  if (process != GetCurrentProcessId() || !IsWindowVisible(window)) return TRUE;
  char className[64] = "";
  GetClassNameA(window, className, sizeof className);
  if (std::strcmp(className, "#32770") != 0) return TRUE;
  for (HWND handled : seen->handled) {
    if (handled == window) return TRUE;
  }
  seen->handled.push_back(window);
  HandleModal(window);
  return TRUE;
}

// Watches for the library's message boxes and the mode dialog, which appear
// inside LoadLibrary under the loader lock, and answers them by script.
DWORD WINAPI WatchModals(LPVOID started) {
  SeenWindows seen;
  // The first window calls of a thread may load the display driver, which
  // needs the loader lock: make them before LoadLibrary takes it.
  MSG message;
  PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE);
  EnumWindows(FindModal, reinterpret_cast<LPARAM>(&seen));
  // Loading an icon finds a resource, which takes the loader lock too: the
  // system icons are looked up once, here.
  g_systemIcons[0] = LoadIconA(nullptr, IDI_HAND);
  g_systemIcons[1] = LoadIconA(nullptr, IDI_QUESTION);
  g_systemIcons[2] = LoadIconA(nullptr, IDI_EXCLAMATION);
  g_systemIcons[3] = LoadIconA(nullptr, IDI_ASTERISK);
  SetEvent(static_cast<HANDLE>(started));
  for (;;) {
    EnumWindows(FindModal, reinterpret_cast<LPARAM>(&seen));
    // Forget windows that are gone, so a reused handle is seen again.
    for (size_t i = 0; i < seen.handled.size();) {
      if (!IsWindow(seen.handled[i])) seen.handled.erase(seen.handled.begin() + i);
      else ++i;
    }
    Sleep(20);
  }
}

}  // namespace

void StartModalWatcher(const std::vector<int>& answers, int dialogClick) {
  InitializeCriticalSection(&g_lock);
  g_answers = answers;
  g_dialogClick = dialogClick;
  HANDLE started = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  CloseHandle(CreateThread(nullptr, 0, WatchModals, started, 0, nullptr));
  WaitForSingleObject(started, INFINITE);
  CloseHandle(started);
}

std::vector<ModalRecord> ModalsSeen() {
  EnterCriticalSection(&g_lock);
  std::vector<ModalRecord> seen = g_modals;
  LeaveCriticalSection(&g_lock);
  return seen;
}
