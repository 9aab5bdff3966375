#pragma once
// What the control natives share: the run's control factory and host, and
// the control behind a handle cell, reached only while the factory still
// lists it. Without the run's objects every control is "none".
//
// Main thread only.
#include <cstdint>

namespace orrivel {

class Control;
class ControlFactory;
class Font;
class GameControlHost;
class GameScriptHost;
class NativeArgs;

class ScriptControlCells {
 public:
  explicit ScriptControlCells(GameScriptHost& host) : host_(host) {}

  GameScriptHost& Host() const { return host_; }

  // Null when the run's objects are not made.
  ControlFactory* Factory() const;
  GameControlHost* ControlHost() const;
  // The control whose handle is in cell i (null: none, stale or forged).
  Control* ControlAt(NativeArgs& args, uint32_t i) const;
  Control* Find(uint32_t handle) const;
  // The control's handle for the script (0 for null).
  uint32_t HandleOf(Control* control) const;
  // A creation's answer for the script: the new control's handle on
  // success, else the creation's code.
  uint32_t Answer(int32_t code, Control* made) const;
  // Drops the script handle of a control about to be deleted.
  void Forget(Control* control) const;

 private:
  GameScriptHost& host_;
};

// The font whose display-object handle is in cell i (null: 0 or none).
Font* ControlFontAt(NativeArgs& args, uint32_t i);

}  // namespace orrivel
