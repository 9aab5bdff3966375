#pragma once
// The life of a layer action as the text-adventure frame drives it: made by
// name, set up on a timer list, kept in one of the caller's slots, waited for
// or stopped. Actions are named by their timer-list handles; the caller's
// slot is a task pointer that the action clears itself (through its owner
// slot) when it ends or is stopped.
#include <cstdint>
#include <functional>
#include <string_view>

#include "effect/LayerAction.h"

namespace orrivel {

class DcpManager;
class TimerList;

// The layer action a slot holds (slots are only ever filled by
// CreateLayerAction), or null.
inline LayerAction* ActionInSlot(TimedTask* slot) { return static_cast<LayerAction*>(slot); }

// Results of CreateLayerAction.
inline constexpr int kActionCreated = 0;
inline constexpr int kActionUnknown = 1;   // no action of that name, or no memory
inline constexpr int kActionSetupFailed = 2;

// Makes the action named (exactly, letter case included), drops its
// low-priority request when the game switched the mode off, and sets it up
// with the cells. On success the slot holds it and it holds the slot's
// address; an action the slot held before no longer writes into the slot.
// On failure the slot keeps its value and the action is released.
int CreateLayerAction(DcpManager& registry, TimedTask** slot, std::string_view name, TimerList* timerList,
                      const ObjectArgument& target, const ObjectArguments& cells, bool lowPriorityOff);

// Results of WaitForLayerAction.
inline constexpr int kWaitFinished = 0;
inline constexpr int kWaitSkipped = 1;
inline constexpr int kWaitQuit = -1;

struct ActionWaitPump {
  // Runs one frame of the application; 0 asks to quit.
  std::function<int()> runFrame;
  // True while the skip input is active.
  std::function<bool()> skipActive;
};

// Runs frames while the slot holds a listed action: 0 when it has finished,
// 1 when a skippable wait was skipped (the action is stopped), -1 when the
// pump asked to quit (the action keeps running).
int WaitForLayerAction(TimerList& timerList, TimedTask** slot, bool skippable, const ActionWaitPump& pump);

// Stops the slot's action through the timer list (it is deleted at the
// list's next step) and clears the slot. False when the slot was empty.
bool StopLayerAction(TimerList& timerList, TimedTask** slot);

}  // namespace orrivel
