#include "script/ScriptRequestState.h"

#include <algorithm>
#include <cstring>

namespace orrivel {

void ScriptRequestState::SetPendingScene(const char* name, size_t length) {
  length = std::min(length, kSceneNameBytes - 1);
  std::memcpy(pendingScene, name, length);
  pendingScene[length] = '\0';
}

ScriptRequestState& ScriptRequestState::Global() {
  static ScriptRequestState state;
  return state;
}

}  // namespace orrivel
