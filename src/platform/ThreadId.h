#pragma once
// A 32-bit id for the calling thread, stable for its life and never
// 0xFFFFFFFF (which the engine uses for "no thread").
#include <cstdint>

namespace orrivel::platform {

uint32_t CurrentThreadId();

}  // namespace orrivel::platform
