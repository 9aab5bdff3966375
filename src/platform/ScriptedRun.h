#pragma once
// Plays a scripted input text into a run, one frame at a time, through the
// back end in use (headless, or SDL's event queue under a virtual display).
// With a virtual clock, time moves only when the run says: one frame period
// per frame shown, and whatever the game sleeps, so the same text gives the
// same frames on every run.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/Backend.h"
#include "platform/Clock.h"
#include "platform/Rect.h"
#include "platform/ScriptedInput.h"

namespace orrivel::platform {

// An input file is a few kilobytes of events; these bounds turn a wrong
// file (a device, a log, a picture) into a refusal instead of a run that
// takes the machine's memory.
inline constexpr uint64_t kMaxScriptedInputBytes = 8u << 20;
inline constexpr size_t kMaxScriptedLineBytes = 64u << 10;

// Reads an input file line by line; false with why not (a missing or
// unreadable file, anything but a plain file, a file or a line above its
// bound, or the first bad line as "line N: why").
bool ReadScriptedInputFile(const std::string& path, std::vector<ScriptedEvent>& events, std::string* error);

class ScriptedRun {
 public:
  // `virtualClock`: installs a clock that only this run moves (until the
  // run is destroyed). Snapshots are written into `snapshotFolder` (empty:
  // the working folder).
  ScriptedRun(std::vector<ScriptedEvent> events, bool virtualClock, std::string snapshotFolder = std::string());
  ~ScriptedRun();
  ScriptedRun(const ScriptedRun&) = delete;
  ScriptedRun& operator=(const ScriptedRun&) = delete;

  // Reads an input file; null with the reason when it cannot be read.
  static std::unique_ptr<ScriptedRun> Load(const std::string& path, bool virtualClock,
                                           std::string snapshotFolder, std::string* error);

  // Called once per frame shown, before the frame reads its input: moves
  // the virtual clock on by a period (from the second frame), releases what
  // a click or key press of the last frame held, then plays the events of
  // this frame into the window. `frame` counts from 1.
  void BeginFrame(WindowId window, uint32_t frame, uint32_t periodMs);
  // Waits of the game: the virtual clock moves on instead. False without a
  // virtual clock (the caller waits for real).
  bool Sleep(uint32_t ms);

  bool HasVirtualClock() const { return clock_ != nullptr; }
  // The run holds a quit event (else it needs a frame limit to end).
  bool EndsByItself() const;
  // The frame of the last event (0 for an empty text).
  uint32_t LastFrame() const { return events_.empty() ? 0 : events_.back().frame; }
  // Snapshots that could not be written, by file name.
  const std::vector<std::string>& FailedSnapshots() const { return failedSnapshots_; }

 private:
  void Play(WindowId window, const ScriptedEvent& event);
  void Inject(WindowId window, const SyntheticInput& input);
  std::string SnapshotPath(const std::string& name) const;

  std::vector<ScriptedEvent> events_;
  size_t next_ = 0;
  // Actions held down by the last frame's clicks and key presses.
  std::vector<SyntheticInput> releases_;
  std::unique_ptr<ManualClock> clock_;
  ClockSource* previousClock_ = nullptr;
  std::string snapshotFolder_;
  std::vector<std::string> failedSnapshots_;
  Point pointer_;
  // The input method's composition (UTF-8) until it is committed.
  std::string composing_;
};

}  // namespace orrivel::platform
