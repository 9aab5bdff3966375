#pragma once
// Memory for pictures the size of a screen. Each first touch of a fresh
// 4 KiB page costs a page fault, and a 1280x720 picture has 900 of them;
// backed by 2 MiB pages it has two. Blocks from these functions start
// zeroed without a pass over them, and pages never touched cost nothing.
#include <cstddef>
#include <cstdint>

namespace orrivel::platform {

// A zeroed block of `bytes` (at least 16-byte aligned), or null when there
// is no memory. Give it back with ReleaseZeroedBlock only.
uint8_t* AllocateZeroedBlock(size_t bytes);
void ReleaseZeroedBlock(uint8_t* block);

// For memory about to be written whole for the first time that is not from
// AllocateZeroedBlock (a vector's storage): the whole 2 MiB stretches inside
// [data, data + bytes) are asked onto large pages, and the rest is mapped
// in one call rather than one fault per page. Only a hint: the contents
// never change.
void PrepareForFirstTouch(void* data, size_t bytes);

}  // namespace orrivel::platform
