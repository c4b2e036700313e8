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
  // Counted in 64 bits: on a 32-bit system the product may not fit a size_t.
  const std::uint64_t bytes = std::uint64_t{slotCount} * kSubkeyNameSlotSize;
  if (slotCount == 0 || bytes != static_cast<size_t>(bytes)) return nullptr;
  return static_cast<char*>(allocator(static_cast<size_t>(bytes)));
}

void ReleaseSubkeyList(char* list) { std::free(list); }

SubkeyListAllocator SetSubkeyListAllocator(SubkeyListAllocator replacement) {
  SubkeyListAllocator previous = allocator;
  allocator = replacement ? replacement : std::malloc;
  return previous;
}
