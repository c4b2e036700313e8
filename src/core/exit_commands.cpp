#include "core/exit_commands.h"

#include "scoped_gdi.h"
#include "text/bounded_text.h"

const char* ExitCommands::Set(const char* command, int show) {
  if (command == nullptr || command[0] == '\0') {
    current_.store(nullptr);
    return "";
  }
  ScopedGlobalMemory memory(GlobalAlloc(GMEM_MOVEABLE, sizeof(KeptExitCommand)));
  if (!memory) return nullptr;
  // Locked from here to the unload: the copy never moves while a host may read it.
  auto* copy = static_cast<KeptExitCommand*>(GlobalLock(memory.get()));
  if (copy == nullptr) return nullptr;
  copy->memory = memory.release();
  copy->show = show;
  CopyBoundedText(copy->text, command, sizeof copy->text);
  Keep(copy);
  // Written whole before it is published: a reader sees this copy or another.
  current_.store(copy);
  return copy->text;
}

void ExitCommands::Keep(KeptExitCommand* copy) {
  // A failed exchange reloads `older` with the newer head, and the copy links to that.
  KeptExitCommand* older = kept_.load();
  do {
    copy->older = older;
  } while (!kept_.compare_exchange_weak(older, copy));
}

const KeptExitCommand* ExitCommands::Take() {
  return current_.exchange(nullptr);
}

void ExitCommands::Release() {
  current_.store(nullptr);
  KeptExitCommand* copy = kept_.exchange(nullptr);
  while (copy != nullptr) {
    KeptExitCommand* const older = copy->older;
    const HGLOBAL memory = copy->memory;
    GlobalUnlock(memory);
    GlobalFree(memory);
    copy = older;
  }
}
