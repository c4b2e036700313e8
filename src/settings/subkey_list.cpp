// Subkey-name lists live on the heap: the copy holds one per level of the
// tree, and the stack has no room for that.
#include "settings/subkey_list.h"

#include <cstdint>
#include <cstdlib>

#include "settings/reg_key.h"

namespace {

SubkeyListAllocator allocator = std::malloc;

}  // namespace

char* AllocateSubkeyList(DWORD slotCount) {
  if (slotCount == 0 || slotCount > SIZE_MAX / kSubkeyNameSlotSize) return nullptr;
  return static_cast<char*>(allocator(static_cast<size_t>(slotCount) * kSubkeyNameSlotSize));
}

void ReleaseSubkeyList(char* list) { std::free(list); }

SubkeyListAllocator SetSubkeyListAllocator(SubkeyListAllocator replacement) {
  SubkeyListAllocator previous = allocator;
  allocator = replacement ? replacement : std::malloc;
  return previous;
}
