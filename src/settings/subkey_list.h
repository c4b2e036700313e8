// Heap memory for subkey-name lists, the one allocation of the tree copy.
#pragma once

#include <windows.h>

#include <cstddef>

#include "unique_handle.h"

// Room for `slotCount` slots of kSubkeyNameSlotSize bytes, or null when it
// cannot be had (slotCount 0 or too large included). Release with
// ReleaseSubkeyList.
char* AllocateSubkeyList(DWORD slotCount);
void ReleaseSubkeyList(char* list);
using UniqueSubkeyList = UniqueHandle<char*, ReleaseSubkeyList>;

// Where AllocateSubkeyList takes its memory from: malloc unless a test puts in
// another (which must return malloc memory or null). Null restores malloc.
// Returns the one that was in place.
typedef void* (*SubkeyListAllocator)(size_t bytes);
SubkeyListAllocator SetSubkeyListAllocator(SubkeyListAllocator allocator);
