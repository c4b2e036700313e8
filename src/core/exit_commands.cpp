#include "core/exit_commands.h"

#include "scoped_gdi.h"
#include "text/bounded_text.h"

const char* ExitCommands::Set(const char* command, int show) {
  if (command == nullptr || command[0] == '\0') {
    InterlockedExchangePointer(&current_, nullptr);
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
  InterlockedExchangePointer(&current_, copy);
  return copy->text;
}

void ExitCommands::Keep(KeptExitCommand* copy) {
  for (;;) {
    void* const older = InterlockedCompareExchangePointer(&kept_, nullptr, nullptr);
    copy->older = static_cast<KeptExitCommand*>(older);
    if (InterlockedCompareExchangePointer(&kept_, copy, older) == older) return;
  }
}

const KeptExitCommand* ExitCommands::Take() {
  return static_cast<const KeptExitCommand*>(InterlockedExchangePointer(&current_, nullptr));
}

void ExitCommands::Release() {
  InterlockedExchangePointer(&current_, nullptr);
  auto* copy = static_cast<KeptExitCommand*>(InterlockedExchangePointer(&kept_, nullptr));
  while (copy != nullptr) {
    KeptExitCommand* const older = copy->older;
    const HGLOBAL memory = copy->memory;
    GlobalUnlock(memory);
    GlobalFree(memory);
    copy = older;
  }
}
