// Message boxes and modal dialogs as the platform runs them: what a box
// shows and answers, and what a dialog procedure hears from the user's
// clicks, the Escape key and the close box, up to EndDialog.
#include <string>
#include <vector>

#include "resource_module.h"
#include "user_answers.h"

namespace {

using Lines = std::vector<std::string>;

class DialogApi : public ResourceModuleTest {};

// ---- message boxes

TEST_F(DialogApi, AMessageBoxShowsItsTextAndGivesTheButtonClicked) {
  struct Case {
    const char* text;
    const char* caption;
    UINT style;
    int button;
    const char* shownCaption;
  };
  const Case cases[] = {
      {"The clock is wrong.", "Tarvex 4.0", MB_ICONHAND | MB_OK, IDOK, "Tarvex 4.0"},
      {"Switch to English?", "Tarvex 4.0", MB_ICONQUESTION | MB_YESNO, IDYES, "Tarvex 4.0"},
      {"Switch to English?", "Tarvex 4.0", MB_ICONQUESTION | MB_YESNO, IDNO, "Tarvex 4.0"},
      // Without a caption the box says "Error".
      {"No caption", nullptr, MB_OK, IDOK, "Error"},
  };
  for (const Case& c : cases) {
    ShownMessageBox shown;
    EXPECT_EQ(MessageBoxAnswered(c.text, c.caption, c.style, c.button, &shown), c.button) << c.text;
    EXPECT_EQ(shown.text, c.text);
    EXPECT_EQ(shown.caption, c.shownCaption) << c.text;
  }
}

// ---- dialogs

struct DialogBehaviour {
  bool endAtStart = false;  // EndDialog twice from WM_INITDIALOG
  bool closeEnds = false;   // WM_CLOSE answered with EndDialog(5)
};
DialogBehaviour g_behaviour;
Lines g_heard;

std::string ControlName(HWND dialog, LPARAM control) {
  if (control == 0) return "none";
  for (int id : {391, 392, IDCANCEL}) {
    if (reinterpret_cast<HWND>(control) == GetDlgItem(dialog, id)) return std::to_string(id);
  }
  return "another";
}

// Ends the dialog with the identifier of a clicked answering button.
INT_PTR CALLBACK TestDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      g_heard.push_back("WM_INITDIALOG focus " + ControlName(dialog, static_cast<LPARAM>(wParam)) + " param " +
                        std::to_string(lParam));
      PlayDialogScript(dialog);
      if (g_behaviour.endAtStart) {
        EndDialog(dialog, 77);
        EndDialog(dialog, 78);
      }
      return TRUE;
    case WM_COMMAND: {
      g_heard.push_back("WM_COMMAND " + std::to_string(LOWORD(wParam)) + " code " + std::to_string(HIWORD(wParam)) +
                        " from " + ControlName(dialog, lParam));
      const int id = LOWORD(wParam);
      if (HIWORD(wParam) != 0 || (id != 391 && id != 392 && id != IDCANCEL)) return FALSE;
      EndDialog(dialog, id);
      return TRUE;
    }
    case WM_CLOSE:
      g_heard.push_back("WM_CLOSE");
      if (!g_behaviour.closeEnds) return FALSE;
      EndDialog(dialog, 5);
      return TRUE;
    case WM_DESTROY:
      g_heard.push_back("WM_DESTROY");
      return FALSE;
    case WM_NCDESTROY:
      g_heard.push_back("WM_NCDESTROY");
      return FALSE;
    default:
      return FALSE;
  }
}

TEST_F(DialogApi, TheProcedureHearsTheUserUntilEndDialog) {
  using A = DialogAction;
  struct Case {
    const char* name;
    WORD dialog;
    DialogBehaviour behaviour;
    std::vector<DialogAction> actions;
    INT_PTR result;
    Lines heard;  // between WM_INITDIALOG and WM_DESTROY
  };
  const Case cases[] = {
      {"a click", 300, {}, {{A::Click, 391, 0}}, 391, {"WM_COMMAND 391 code 0 from 391"}},
      {"Escape with a Cancel button", 300, {}, {{A::EscapeKey, 0, 0}}, IDCANCEL, {"WM_COMMAND 2 code 0 from 2"}},
      {"Escape without one", 301, {}, {{A::EscapeKey, 0, 0}}, IDCANCEL, {"WM_COMMAND 2 code 0 from none"}},
      {"the close box, WM_CLOSE left to the dialog manager", 300, {}, {{A::CloseBox, 0, 0}}, IDCANCEL,
       {"WM_CLOSE", "WM_COMMAND 2 code 0 from 2"}},
      {"the close box without a Cancel button", 301, {}, {{A::CloseBox, 0, 0}}, IDCANCEL,
       {"WM_CLOSE", "WM_COMMAND 2 code 0 from none"}},
      {"the close box, WM_CLOSE answered", 300, {false, true}, {{A::CloseBox, 0, 0}}, 5, {"WM_CLOSE"}},
      {"other notifications and identifiers, then a click", 301, {},
       {{A::Command, 391, 1}, {A::Command, IDOK, 0}, {A::Click, IDCANCEL, 0}, {A::Click, 392, 0}}, 392,
       {"WM_COMMAND 391 code 1 from 391", "WM_COMMAND 1 code 0 from none", "WM_COMMAND 392 code 0 from 392"}},
      {"ended at once, the later code winning", 300, {true, false}, {}, 78, {}},
  };
  for (const Case& c : cases) {
    g_behaviour = c.behaviour;
    g_heard.clear();
    ScriptDialog(c.actions);
    EXPECT_EQ(DialogBoxParamA(module, MAKEINTRESOURCEA(c.dialog), nullptr, TestDialogProc, 1234), c.result)
        << c.name;
    Lines expected{"WM_INITDIALOG focus 391 param 1234"};
    expected.insert(expected.end(), c.heard.begin(), c.heard.end());
    expected.insert(expected.end(), {"WM_DESTROY", "WM_NCDESTROY"});
    EXPECT_EQ(g_heard, expected) << c.name;
  }
}

TEST_F(DialogApi, AMissingTemplateShowsNothing) {
  struct Case {
    const char* what;
    HMODULE from;  // null: the program, which holds no resources
    DWORD error;
  };
  const Case cases[] = {{"a module with other dialogs", module, ERROR_RESOURCE_NAME_NOT_FOUND},
                        {"a module without resources", nullptr, ERROR_RESOURCE_DATA_NOT_FOUND}};
  for (const Case& c : cases) {
    g_heard.clear();
    SetLastError(0xdeadbeef);
    EXPECT_EQ(DialogBoxParamA(c.from, MAKEINTRESOURCEA(152), nullptr, TestDialogProc, 0), -1) << c.what;
    EXPECT_EQ(GetLastError(), c.error) << c.what;
    EXPECT_EQ(g_heard, Lines{}) << c.what << ": the procedure never runs";
  }
}

TEST_F(DialogApi, EndDialogNeedsADialog) {
  for (HWND window : {static_cast<HWND>(nullptr), reinterpret_cast<HWND>(0x1234)}) {
    SetLastError(0xdeadbeef);
    EXPECT_FALSE(EndDialog(window, IDCANCEL));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_WINDOW_HANDLE));
  }
  SetLastError(0xdeadbeef);
  EXPECT_EQ(GetDlgItem(nullptr, 391), nullptr);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_WINDOW_HANDLE));
}

}  // namespace
