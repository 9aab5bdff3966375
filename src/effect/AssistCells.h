#pragma once
// What the class-level entries of the layer actions share: the variadic
// twins, which hand their words on to the list form. A machine word is
// taken as a number only: the variadic form names no texts, objects or
// outputs, so the cells that are those read as absent.
#include <cstdarg>
#include <cstddef>
#include <cstdint>

#include "resource/plugin/ObjectArguments.h"

namespace orrivel {

// Calls entry with first and the next N − 1 words of rest as its cells.
template <std::size_t N>
int32_t ForwardWords(int32_t (*entry)(const ObjectArguments&), std::intptr_t first, va_list rest) {
  ObjectArgument words[N] = {first};
  for (std::size_t i = 1; i < N; ++i) words[i] = va_arg(rest, std::intptr_t);
  return entry(ObjectArguments{words, N});
}

}  // namespace orrivel
