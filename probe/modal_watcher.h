// The watcher of modal windows: the library shows its message boxes and the
// mode dialog inside LoadLibrary, under the loader lock, so a thread of the
// probe's own finds them and answers them by script.
#pragma once

#include <string>
#include <vector>

// A message box or the mode dialog, as the watcher saw it. Texts are UTF-8.
struct ModalRecord {
  std::string kind;  // "messageBox" or "modeDialog"
  std::string text;
  std::string caption;
  unsigned style = 0;  // MB_ flags of a message box
  int answer = 0;      // 0: left for a person
};

// The script: `answers` for the message boxes in turn, `dialogClick` for the
// mode dialog (0 none, a control, kDialogCloseBox or kDialogEscapeKey).
// Starts the watcher thread and returns once it has made its first window
// calls, which must not wait for the loader lock.
void StartModalWatcher(const std::vector<int>& answers, int dialogClick);

// What the watcher has seen so far, in order.
std::vector<ModalRecord> ModalsSeen();
