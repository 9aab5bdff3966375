#include "resource/MemoryBlock.h"

#include <cstdlib>

namespace orrivel {

void* AllocGlobalMemory(size_t size) { return std::malloc(size ? size : 1); }

void FreeGlobalMemory(void* block) { std::free(block); }

void* ArchiveManagerAlloc(uint32_t size, MemoryBlock* block, void* existing) {
  if (size == 0 || !block) return nullptr;
  void* pointer = existing ? existing : AllocGlobalMemory(size);
  if (!pointer) return nullptr;
  block->size = size;
  block->pointer = pointer;
  return pointer;
}

void ArchiveManagerFree(MemoryBlock* block) {
  if (!block) return;
  if (block->pointer) FreeGlobalMemory(block->pointer);
  block->pointer = nullptr;
}

}  // namespace orrivel
