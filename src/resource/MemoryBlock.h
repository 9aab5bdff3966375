#pragma once
// Blocks of loaded data handed between the archive manager, decoders and
// callers. Blocks are made by an allocator callback so a caller may supply
// its own memory; the default pair below uses the process heap.
#include <cstddef>
#include <cstdint>

namespace orrivel {

struct MemoryBlock {
  void* pointer = nullptr;
  uint32_t size = 0;
};

// Allocator callback: a size of 0 gives null and stores nothing; otherwise
// block->size becomes size and block->pointer becomes existing when given,
// else a new block. Returns the pointer (null when out of memory).
using BlockAlloc = void* (*)(uint32_t size, MemoryBlock* block, void* existing);
// Frees block->pointer when set and clears it.
using BlockFree = void (*)(MemoryBlock* block);
// Optional progress report (current, total, user).
using ProgressFunc = void (*)(uint32_t current, uint32_t total, void* user);

// Heap blocks that holders free with FreeGlobalMemory (never with delete).
void* AllocGlobalMemory(size_t size);
void FreeGlobalMemory(void* block);

void* ArchiveManagerAlloc(uint32_t size, MemoryBlock* block, void* existing);
void ArchiveManagerFree(MemoryBlock* block);

}  // namespace orrivel
