// Simulated modal dialogs: DialogBoxParamA runs the dialog procedure with
// WM_INITDIALOG and then the tests' scripted actions until EndDialog.
#include "internal.h"

#include <cstdio>
#include <deque>

namespace winsim {
namespace detail {
// In modules.cpp: template `name` of a loaded module (null: the executable),
// or null with *error the loader's reason.
const DialogTemplate* FindDialogTemplate(HMODULE handle, LPCSTR name, DWORD* error);
}  // namespace detail

namespace {

enum class ActionKind { Click, Command, EscapeKey, CloseBox };

struct Action {
  ActionKind kind;
  int controlId;
  WORD notification;
};

struct Dialog {
  DialogRecord record;
  // One byte per control: its address is the control's handle, so handles of
  // different dialogs and of other windows never collide.
  std::vector<char> controlBytes;
  DLGPROC procedure = nullptr;
  detail::CodeStamp stamp;  // the load of the module the procedure came from
  bool running = false;
  bool endRequested = false;
  INT_PTR endResult = 0;
};

struct DialogState {
  std::deque<Action> script;
  // A deque, so that a dialog's address (its handle) stays put while others are added.
  std::deque<Dialog> dialogs;
};

DialogState& State() {
  static DialogState state;
  return state;
}

void ResetDialogs() { State() = DialogState(); }
const detail::ResetHook resetDialogs(ResetDialogs);

HWND HandleOf(Dialog& dialog) { return reinterpret_cast<HWND>(&dialog); }

Dialog* RunningDialog(HWND window) {
  for (Dialog& dialog : State().dialogs) {
    if (dialog.running && HandleOf(dialog) == window) return &dialog;
  }
  return nullptr;
}

// The handle of control `id`, or null when the template has none.
HWND ControlWindow(const Dialog& dialog, int id) {
  auto found = dialog.record.controls.find(id);
  return found == dialog.record.controls.end() ? nullptr : found->second;
}

// Sends one message to the procedure and records it with the result. Without
// a procedure the dialog manager's default answers 0.
INT_PTR Deliver(Dialog& dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  const DLGPROC procedure = dialog.procedure;
  const HWND handle = HandleOf(dialog);
  const INT_PTR result =
      procedure == nullptr ? 0
                           : detail::CallProcedure<INT_PTR>(reinterpret_cast<const void*>(procedure), dialog.stamp,
                                                            handle, message,
                                                            [&] { return procedure(handle, message, wParam, lParam); });
  dialog.record.messages.push_back({message, wParam, lParam, result});
  return result;
}

void SendCommand(Dialog& dialog, int id, WORD notification) {
  Deliver(dialog, WM_COMMAND, MAKEWPARAM(id, notification), reinterpret_cast<LPARAM>(ControlWindow(dialog, id)));
}

void Play(Dialog& dialog, const Action& action) {
  switch (action.kind) {
    case ActionKind::Click:
      // A real dialog has nothing to click for an id its template lacks.
      if (ControlWindow(dialog, action.controlId) == nullptr) {
        dialog.record.ignoredClicks.push_back(action.controlId);
        return;
      }
      SendCommand(dialog, action.controlId, 0);  // BN_CLICKED
      return;
    case ActionKind::Command:
      SendCommand(dialog, action.controlId, action.notification);
      return;
    case ActionKind::EscapeKey:
      SendCommand(dialog, IDCANCEL, 0);
      return;
    case ActionKind::CloseBox:
      // The default dialog handling of an unanswered WM_CLOSE is Cancel.
      if (Deliver(dialog, WM_CLOSE, 0, 0) == 0 && !dialog.endRequested) SendCommand(dialog, IDCANCEL, 0);
      return;
  }
}

}  // namespace

void QueueDialogClick(int controlId) { State().script.push_back({ActionKind::Click, controlId, 0}); }
void QueueDialogCommand(int controlId, WORD notification) {
  State().script.push_back({ActionKind::Command, controlId, notification});
}
void QueueDialogEscapeKey() { State().script.push_back({ActionKind::EscapeKey, IDCANCEL, 0}); }
void QueueDialogCloseBox() { State().script.push_back({ActionKind::CloseBox, 0, 0}); }
void ClearDialogScript() { State().script.clear(); }
int PendingDialogActions() { return static_cast<int>(State().script.size()); }

std::vector<DialogRecord> Dialogs() {
  std::vector<DialogRecord> records;
  for (const Dialog& dialog : State().dialogs) records.push_back(dialog.record);
  return records;
}

int RunningDialogs() {
  int count = 0;
  for (const Dialog& dialog : State().dialogs) count += dialog.running;
  return count;
}

}  // namespace winsim

using winsim::detail::EnterCall;

INT_PTR WINAPI DialogBoxParamA(HINSTANCE instance, LPCSTR templateName, HWND owner, DLGPROC dialogProc,
                               LPARAM initParam) {
  long error = 0;
  const winsim::detail::ApiLock apiLock;
  if (EnterCall("DialogBoxParamA", &error)) {
    SetLastError(error ? error : ERROR_NOT_ENOUGH_MEMORY);
    return -1;
  }
  DWORD missing = 0;
  const winsim::DialogTemplate* dialogTemplate = winsim::detail::FindDialogTemplate(instance, templateName, &missing);
  if (dialogTemplate == nullptr) {
    // Nothing is created and the procedure never runs.
    SetLastError(missing);
    return -1;
  }

  winsim::DialogState& state = winsim::State();
  state.dialogs.emplace_back();
  winsim::Dialog& dialog = state.dialogs.back();
  dialog.procedure = dialogProc;
  dialog.stamp = winsim::detail::StampOf(reinterpret_cast<const void*>(dialogProc));
  winsim::DialogRecord& record = dialog.record;
  record.module = instance;
  record.templateId = static_cast<WORD>(reinterpret_cast<ULONG_PTR>(templateName));
  record.caption = dialogTemplate->caption;
  record.owner = owner;
  record.initParam = initParam;
  record.window = winsim::HandleOf(dialog);
  dialog.controlBytes.assign(dialogTemplate->controlIds.size(), 0);
  HWND firstControl = nullptr;
  for (size_t i = 0; i < dialogTemplate->controlIds.size(); ++i) {
    HWND control = reinterpret_cast<HWND>(&dialog.controlBytes[i]);
    // With a repeated id the first control answers, as GetDlgItem does.
    record.controls.emplace(dialogTemplate->controlIds[i], control);
    if (i == 0) firstControl = control;
  }

  dialog.running = true;
  // wParam: the control that gets the focus.
  winsim::Deliver(dialog, WM_INITDIALOG, reinterpret_cast<WPARAM>(firstControl), initParam);
  while (!dialog.endRequested) {
    if (state.script.empty()) {
      // A real dialog would wait for the user forever; the test ends it instead.
      record.scriptExhausted = true;
      std::fprintf(stderr, "winsim: dialog %u script exhausted\n", static_cast<unsigned>(record.templateId));
      break;
    }
    winsim::Action action = state.script.front();
    state.script.pop_front();
    winsim::Play(dialog, action);
  }
  const INT_PTR result = dialog.endRequested ? dialog.endResult : -1;
  winsim::Deliver(dialog, WM_DESTROY, 0, 0);
  winsim::Deliver(dialog, WM_NCDESTROY, 0, 0);
  dialog.running = false;
  record.result = result;
  return result;
}

BOOL WINAPI EndDialog(HWND dialog, INT_PTR result) {
  long error = 0;
  const winsim::detail::ApiLock apiLock;
  if (EnterCall("EndDialog", &error)) {
    SetLastError(error ? error : ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  winsim::Dialog* running = winsim::RunningDialog(dialog);
  if (running == nullptr) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  // The dialog ends once the procedure returns; a later call before then wins.
  running->endRequested = true;
  running->endResult = result;
  return TRUE;
}

HWND WINAPI GetDlgItem(HWND dialog, int id) {
  const winsim::detail::ApiLock apiLock;
  EnterCall("GetDlgItem");
  winsim::Dialog* running = winsim::RunningDialog(dialog);
  if (running == nullptr) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return nullptr;
  }
  HWND control = winsim::ControlWindow(*running, id);
  if (control == nullptr) SetLastError(ERROR_CONTROL_ID_NOT_FOUND);
  return control;
}
