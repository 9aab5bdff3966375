#pragma once
// The named transitions registered by the first configuration step, in
// their registration order and with their categories. The moving
// transitions ("scroll", "wave", "mosaic", "rotaxis") take their places
// between "rule" and "trans".
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

}  // namespace orrivel
