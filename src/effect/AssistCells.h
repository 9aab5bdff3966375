#pragma once
// What the class-level entries of the background actions share: their
// out-pointer cells, each of which may be null, and the variadic twins,
// which hand their machine words on to the list form.
#include <cstdarg>
#include <cstddef>
#include <cstdint>

#include "resource/plugin/ObjectArguments.h"

namespace orrivel {

inline void WriteOut(int32_t* out, int32_t value) {
  if (out != nullptr) *out = value;
}

// Calls entry with first and the next N − 1 words of rest as its cells.
template <std::size_t N>
int32_t ForwardWords(int32_t (*entry)(const ObjectArguments&), std::intptr_t first, va_list rest) {
  std::intptr_t words[N] = {first};
  for (std::size_t i = 1; i < N; ++i) words[i] = va_arg(rest, std::intptr_t);
  return entry(ObjectArguments{words, N});
}

}  // namespace orrivel
