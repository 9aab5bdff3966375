#pragma once
// The requests that natives leave for the script host: what to do when the
// current run stops (call or jump to a scene, or end), the scene name that
// goes with it, and how many called scenes have not yet returned. One state
// is shared process-wide; tests give each host a state of its own.
#include <cstddef>
#include <cstdint>

namespace orrivel {

enum class ScriptRequest : uint32_t { kNone = 0, kJump = 1, kCall = 2, kEnd = 3 };

struct ScriptRequestState {
  static constexpr size_t kSceneNameBytes = 260;

  ScriptRequest request = ScriptRequest::kNone;
  char pendingScene[kSceneNameBytes] = {};
  uint32_t callDepth = 0;

  // Copies a name, cut to what the buffer holds with its terminating zero.
  void SetPendingScene(const char* name, size_t length);
  void Reset() { *this = ScriptRequestState{}; }

  // The process-wide state.
  static ScriptRequestState& Global();
};

}  // namespace orrivel
