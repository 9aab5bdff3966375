#pragma once
// Calls one game native the way a compiled script does: a small scene is
// assembled with the sob assembler, run for one step under a game script
// host whose files live in memory, and the native's result, its output
// variables and buffers and the host's log come back.
//
//   NativeHarness harness;
//   auto call = harness.Call("StrLen", {Arg::Text("abc")});
//   EXPECT_EQ(call.result, 3u);
//
// The native is named as in a script: its name, "g81" for the game's number
// or a plain script number ("809"). Every call boots a new host; the first
// one seeds the shared random generator, later ones leave it running.
#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "SobAssembler.h"
#include "natives/GameScriptHost.h"
#include "script/ScriptRequestState.h"

namespace orrivel::testing {

// One argument cell.
struct Arg {
  enum Kind { kInt, kText, kBuffer, kOutInt };
  Kind kind = kInt;
  uint32_t value = 0;     // kInt: the cell; kOutInt: the variable's first value
  std::string text;       // kText, kBuffer: the initial text
  uint32_t size = 0;      // kBuffer: bytes of the script variable

  static Arg Int(int64_t v) { return Arg{kInt, uint32_t(v), {}, 0}; }
  // Read-only text in the scene's data; the cell holds its address.
  static Arg Text(std::string t) { return Arg{kText, 0, std::move(t), 0}; }
  // A STR script variable of size bytes; the cell holds its buffer address.
  static Arg Buffer(uint32_t size, std::string initial = {}) { return Arg{kBuffer, 0, std::move(initial), size}; }
  // An int script variable; the cell holds its address.
  static Arg OutInt(uint32_t initial = 0) { return Arg{kOutInt, initial, {}, 0}; }
  // The absent marker of an optional group.
  static Arg Absent() { return Int(65535); }
};

struct NativeCall {
  uint32_t result = 0;
  int loaded = -1;  // loading MAIN: 0, or the loader's code (then no step)
  int step = -1;    // ScriptHost::Step's result
  // After the call, by argument position: int variables and buffer texts.
  std::map<size_t, uint32_t> ints;
  std::map<size_t, std::string> texts;
  std::vector<std::string> log;
  int32_t Result() const { return int32_t(result); }
  bool Ran() const { return step == ScriptHost::kStepYielded; }
};

class NativeHarness {
 public:
  explicit NativeHarness(GameHostSetup setup = {});
  ~NativeHarness();

  // Builds the scene, boots it under a fresh host and steps once.
  NativeCall Call(std::string_view native, const std::vector<Arg>& args);
  // Boots a whole project text under a fresh host and steps once; the
  // result as Call gives it (no variables read back).
  NativeCall Run(const std::string& projectText);
  // The host of the last call (kept until the next one).
  GameScriptHost& Host() { return *host_; }

 private:
  // Boots the project under a fresh host; false when it did not assemble.
  bool Boot(const std::string& text, sob::Project& project, NativeCall& call);

  GameHostSetup setup_;
  ScriptRequestState state_;
  std::vector<std::string> log_;
  std::map<std::string, std::vector<uint8_t>> files_;
  std::unique_ptr<GameScriptHost> host_;
  bool seeded_ = false;
};

}  // namespace orrivel::testing
