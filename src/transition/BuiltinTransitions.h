#pragma once
// The named transitions registered by the first configuration step, in
// their registration order and with their categories. The moving
// transitions take their places between "rule" and "trans".
#include <cstdint>

#include "resource/TcpManager.h"

namespace orrivel {

struct BuiltinTransitionRow {
  const char* name;
  uint8_t category;
  TcpGetObjectFunc create;
};

// The rows in registration order.
const BuiltinTransitionRow* StartupTransitionRows(int* count);

// Registers every row with creator argument 0 and no hooks; 0 done, else
// the registry's refusal.
int RegisterStartupTransitions(TcpManager& registry);

// Registers the screen filters and the ripple, as the script host is
// created; the ripple picks its kernels on first use and its release
// frees the shared ripple tables.
int RegisterScriptHostTransitions(TcpManager& registry);

}  // namespace orrivel
