// The user's side of message boxes and modal dialogs, the same on both
// platforms: natively winsim plays the answers queued with it; under Wine a
// hook on the thread answers each message box as it opens, and the test's
// dialog procedure posts the scripted actions to its dialog once it has
// started (PlayDialogScript on WM_INITDIALOG).
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#ifndef _WIN32
#include <winsim/control.h>
#endif

// What a message box showed.
struct ShownMessageBox {
  std::string caption;
  std::string text;
};

#ifdef _WIN32
namespace user_answers_detail {

struct BoxState {
  HHOOK hook = nullptr;
  int answer = 0;
  ShownMessageBox shown;
};

inline BoxState& Box() {
  static BoxState state;
  return state;
}

// As a message box becomes active: note what it shows and click the answer.
inline LRESULT CALLBACK AnswerOnActivation(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HCBT_ACTIVATE) {
    HWND box = reinterpret_cast<HWND>(wParam);
    char name[16] = "";
    GetClassNameA(box, name, sizeof name);
    if (std::string(name) == "#32770") {
      char caption[256] = "";
      char text[256] = "";
      GetWindowTextA(box, caption, sizeof caption);
      GetDlgItemTextA(box, 0xFFFF, text, sizeof text);  // the box's text control
      Box().shown = ShownMessageBox{caption, text};
      const int answer = Box().answer;
      PostMessageA(box, WM_COMMAND, MAKEWPARAM(answer, BN_CLICKED),
                   reinterpret_cast<LPARAM>(GetDlgItem(box, answer)));
    }
  }
  return CallNextHookEx(Box().hook, code, wParam, lParam);
}

}  // namespace user_answers_detail
#endif

// Shows a message box with MessageBoxA and clicks `button` in it; *shown gets
// what the box showed. Returns MessageBoxA's result.
inline int MessageBoxAnswered(LPCSTR text, LPCSTR caption, UINT style, int button, ShownMessageBox* shown) {
#ifdef _WIN32
  using namespace user_answers_detail;
  Box() = BoxState{};
  Box().answer = button;
  Box().hook = SetWindowsHookExA(WH_CBT, AnswerOnActivation, nullptr, GetCurrentThreadId());
  const int result = MessageBoxA(nullptr, text, caption, style);
  UnhookWindowsHookEx(Box().hook);
  *shown = Box().shown;
  return result;
#else
  winsim::QueueMessageBoxAnswer(button);
  const int result = MessageBoxA(nullptr, text, caption, style);
  if (!winsim::MessageBoxes().empty()) {
    *shown = ShownMessageBox{winsim::MessageBoxes().back().caption, winsim::MessageBoxes().back().text};
  }
  return result;
#endif
}

// ---- dialogs

struct DialogAction {
  enum Kind { Click, Command, EscapeKey, CloseBox } kind;
  int control;
  WORD notification;
};

inline std::vector<DialogAction>& PendingDialogScript() {
  static std::vector<DialogAction> script;
  return script;
}

// The actions the user takes in the next dialog, in order.
inline void ScriptDialog(const std::vector<DialogAction>& actions) {
#ifdef _WIN32
  PendingDialogScript() = actions;
#else
  winsim::ClearDialogScript();
  for (const DialogAction& action : actions) {
    switch (action.kind) {
      case DialogAction::Click:
        winsim::QueueDialogClick(action.control);
        break;
      case DialogAction::Command:
        winsim::QueueDialogCommand(action.control, action.notification);
        break;
      case DialogAction::EscapeKey:
        winsim::QueueDialogEscapeKey();
        break;
      case DialogAction::CloseBox:
        winsim::QueueDialogCloseBox();
        break;
    }
  }
#endif
}

// For the dialog procedure's WM_INITDIALOG: under Wine the scripted actions
// are posted to the dialog now, as input it will read in its modal loop.
inline void PlayDialogScript(HWND dialog) {
#ifdef _WIN32
  for (const DialogAction& action : PendingDialogScript()) {
    HWND control = GetDlgItem(dialog, action.control);
    switch (action.kind) {
      case DialogAction::Click:
        // A control the template lacks cannot be clicked.
        if (control != nullptr) PostMessageA(control, BM_CLICK, 0, 0);
        break;
      case DialogAction::Command:
        PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(action.control, action.notification),
                     reinterpret_cast<LPARAM>(control));
        break;
      case DialogAction::EscapeKey:
        PostMessageA(dialog, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
        break;
      case DialogAction::CloseBox:
        PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
        break;
    }
  }
  PendingDialogScript().clear();
#else
  (void)dialog;
#endif
}
