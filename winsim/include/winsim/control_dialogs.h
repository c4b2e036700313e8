// Simulated modal dialogs: scripted user actions and what was shown.
//
// DialogBoxParamA finds the template in the module (ModuleImage::dialogs),
// sends WM_INITDIALOG to the procedure, then plays the queued actions one by
// one until the procedure calls EndDialog. Actions left over stay queued for
// the next dialog.
#pragma once

#include <windows.h>

#include <map>
#include <string>
#include <vector>

namespace winsim {

// ---- the user's actions, played in the order queued
// A click on push button `controlId`: WM_COMMAND with MAKEWPARAM(id, BN_CLICKED)
// and the button's handle. A click on a control the template lacks is ignored.
void QueueDialogClick(int controlId);
// A WM_COMMAND from `controlId` with any notification code; sent even when the
// template has no such control (lParam is then 0), as an Enter key without a
// default button sends IDOK.
void QueueDialogCommand(int controlId, WORD notification);
// The Escape key: the dialog manager sends WM_COMMAND IDCANCEL.
void QueueDialogEscapeKey();
// The close box: WM_CLOSE. A procedure that leaves WM_CLOSE unhandled gets
// WM_COMMAND IDCANCEL from the dialog manager.
void QueueDialogCloseBox();
// Drops every action not yet played.
void ClearDialogScript();
// Actions not yet played.
int PendingDialogActions();

// ---- what was shown
struct DialogMessage {
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
  INT_PTR result;  // what the procedure returned
};

struct DialogRecord {
  HINSTANCE module;
  WORD templateId;
  std::string caption;               // from the template
  HWND owner;
  LPARAM initParam;
  HWND window;                       // the dialog's handle while it ran
  std::map<int, HWND> controls;      // the template's controls and their handles
  std::vector<DialogMessage> messages;  // delivered to the procedure, in order
  std::vector<int> ignoredClicks;    // clicks on controls the template lacks
  INT_PTR result = 0;                // DialogBoxParamA's return value
  bool scriptExhausted = false;      // the actions ran out before EndDialog; result is -1
};

// Every dialog shown since the last Reset, oldest first (a dialog whose
// template was not found was never shown and is not listed).
std::vector<DialogRecord> Dialogs();
// Dialogs currently inside DialogBoxParamA.
int RunningDialogs();

}  // namespace winsim
