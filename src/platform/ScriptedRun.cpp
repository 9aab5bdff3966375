#include "platform/ScriptedRun.h"

#include <fstream>
#include <sstream>

#include "platform/Backend.h"
#include "platform/DialogService.h"
#include "platform/KeyTable.h"

namespace orrivel::platform {
namespace {

// The modifier keys of a chord, in the order they go down.
std::vector<uint8_t> ChordKeys(const ScriptedEvent& event) {
  std::vector<uint8_t> keys;
  if (event.modifiers & ScriptedEvent::kCtrl) keys.push_back(DIK_LCONTROL);
  if (event.modifiers & ScriptedEvent::kShift) keys.push_back(DIK_LSHIFT);
  if (event.modifiers & ScriptedEvent::kAlt) keys.push_back(DIK_LMENU);
  keys.push_back(event.key);
  return keys;
}

SyntheticInput KeyAction(SyntheticInput::Kind kind, uint8_t key) {
  SyntheticInput input;
  input.kind = kind;
  input.key = key;
  return input;
}

}  // namespace

ScriptedRun::ScriptedRun(std::vector<ScriptedEvent> events, bool virtualClock, std::string snapshotFolder)
    : events_(std::move(events)), snapshotFolder_(std::move(snapshotFolder)) {
  if (virtualClock) {
    clock_ = std::make_unique<ManualClock>();
    previousClock_ = SetClock(clock_.get());
  }
}

ScriptedRun::~ScriptedRun() {
  if (clock_) SetClock(previousClock_);
}

std::unique_ptr<ScriptedRun> ScriptedRun::Load(const std::string& path, bool virtualClock,
                                               std::string snapshotFolder, std::string* error) {
  std::ifstream file(path, std::ios::binary);
  if (!file) {
    if (error) *error = "cannot read " + path;
    return nullptr;
  }
  std::ostringstream text;
  text << file.rdbuf();
  std::vector<ScriptedEvent> events;
  std::string why;
  if (!ParseScriptedInput(text.str(), events, &why)) {
    if (error) *error = path + ": " + why;
    return nullptr;
  }
  return std::make_unique<ScriptedRun>(std::move(events), virtualClock, std::move(snapshotFolder));
}

bool ScriptedRun::EndsByItself() const {
  for (const ScriptedEvent& event : events_) {
    if (event.kind == ScriptedEvent::Kind::Quit) return true;
  }
  return false;
}

void ScriptedRun::BeginFrame(WindowId window, uint32_t frame, uint32_t periodMs) {
  if (clock_ && frame > 1) clock_->Advance(periodMs);
  std::vector<SyntheticInput> releases;
  releases.swap(releases_);
  for (const SyntheticInput& input : releases) Inject(window, input);
  while (next_ < events_.size() && events_[next_].frame <= frame) Play(window, events_[next_++]);
}

bool ScriptedRun::Sleep(uint32_t ms) {
  if (!clock_) return false;
  // A wait of 0 only yields; it still moves time on so that a loop waiting
  // for the clock cannot spin forever.
  clock_->Advance(ms == 0 ? 1 : ms);
  return true;
}

void ScriptedRun::Inject(WindowId window, const SyntheticInput& input) {
  CurrentBackend().InjectInput(window, input);
}

void ScriptedRun::Play(WindowId window, const ScriptedEvent& event) {
  using Kind = ScriptedEvent::Kind;
  using Action = SyntheticInput::Kind;
  switch (event.kind) {
    case Kind::Click:
    case Kind::RightClick:
    case Kind::Move: {
      pointer_ = Point{event.x, event.y};
      SyntheticInput input;
      input.x = event.x;
      input.y = event.y;
      input.button = event.kind == Kind::RightClick ? 1 : 0;
      if (event.kind == Kind::Move) {
        Inject(window, input);
        return;
      }
      input.kind = Action::ButtonDown;
      Inject(window, input);
      input.kind = Action::ButtonUp;
      releases_.push_back(input);
      return;
    }
    case Kind::KeyDown:
    case Kind::Key:
      for (uint8_t key : ChordKeys(event)) Inject(window, KeyAction(Action::KeyDown, key));
      if (event.kind == Kind::Key) {
        const std::vector<uint8_t> keys = ChordKeys(event);
        for (auto it = keys.rbegin(); it != keys.rend(); ++it) releases_.push_back(KeyAction(Action::KeyUp, *it));
      }
      return;
    case Kind::KeyUp: {
      const std::vector<uint8_t> keys = ChordKeys(event);
      for (auto it = keys.rbegin(); it != keys.rend(); ++it) Inject(window, KeyAction(Action::KeyUp, *it));
      return;
    }
    case Kind::Wheel: {
      SyntheticInput input;
      input.kind = Action::Wheel;
      input.x = pointer_.x;
      input.y = pointer_.y;
      input.notches = event.notches;
      Inject(window, input);
      return;
    }
    case Kind::Text: {
      SyntheticInput input;
      input.kind = Action::Text;
      input.text = event.text;
      Inject(window, input);
      return;
    }
    case Kind::Snapshot: {
      const std::string path = SnapshotPath(event.text);
      if (!CurrentBackend().ScreenPresenter().WriteSnapshot(window, path)) failedSnapshots_.push_back(path);
      return;
    }
    case Kind::Quit:
      CurrentBackend().PostQuitMessage(0);
      return;
    case Kind::Close:
      CurrentBackend().PostMessage(window, WM_CLOSE, 0, 0);
      return;
    case Kind::Answer: {
      DialogAnswer answer;
      answer.button = event.button;
      answer.setsCheck = event.check >= 0;
      answer.checked = event.check == 1;
      CurrentDialogs().QueueAnswer(answer);
      return;
    }
  }
}

std::string ScriptedRun::SnapshotPath(const std::string& name) const {
  std::string path = name;
  if (path.size() < 4 || path.compare(path.size() - 4, 4, ".png") != 0) path += ".png";
  if (snapshotFolder_.empty() || path.front() == '/') return path;
  return snapshotFolder_ + (snapshotFolder_.back() == '/' ? "" : "/") + path;
}

}  // namespace orrivel::platform
