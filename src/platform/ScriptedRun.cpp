#include "platform/ScriptedRun.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <utility>

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

// Closes the descriptor it holds.
class OpenFile {
 public:
  explicit OpenFile(int fd) : fd_(fd) {}
  ~OpenFile() {
    if (fd_ >= 0) ::close(fd_);
  }
  OpenFile(const OpenFile&) = delete;
  OpenFile& operator=(const OpenFile&) = delete;
  int fd() const { return fd_; }

 private:
  int fd_;
};

// The characters of a UTF-8 text (the bytes that do not continue one).
size_t CharacterCount(const std::string& utf8) {
  size_t count = 0;
  for (const char byte : utf8) count += (uint8_t(byte) & 0xC0) != 0x80 ? 1 : 0;
  return count;
}

}  // namespace

bool ReadScriptedInputFile(const std::string& path, std::vector<ScriptedEvent>& events, std::string* error) {
  const auto fail = [&](const std::string& why) {
    if (error) *error = why;
    return false;
  };
  events.clear();
  // Without O_NONBLOCK, opening a FIFO waits for a writer that may never
  // come; the run is refused instead, as anything but a plain file is.
  const OpenFile file(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
  if (file.fd() < 0) return fail(std::string("cannot read the file (") + std::strerror(errno) + ")");
  struct stat info {};
  if (::fstat(file.fd(), &info) != 0 || !S_ISREG(info.st_mode)) {
    return fail(S_ISDIR(info.st_mode) ? "is a folder, not an input file" : "is not a plain file");
  }
  const std::string tooLarge = "larger than " + std::to_string(kMaxScriptedInputBytes) + " bytes";
  if (uint64_t(info.st_size) > kMaxScriptedInputBytes) return fail(tooLarge);

  ScriptedInputParser parser(events);
  std::string line;
  uint64_t total = 0;
  char chunk[16384];
  for (;;) {
    const ssize_t got = ::read(file.fd(), chunk, sizeof chunk);
    if (got < 0) {
      if (errno == EINTR) continue;
      return fail(std::string("cannot read the file (") + std::strerror(errno) + ")");
    }
    if (got == 0) break;
    // The file may grow while it is read.
    total += uint64_t(got);
    if (total > kMaxScriptedInputBytes) return fail(tooLarge);
    std::string_view rest(chunk, size_t(got));
    while (!rest.empty()) {
      const size_t end = rest.find('\n');
      const std::string_view piece = rest.substr(0, end);
      if (line.size() + piece.size() > kMaxScriptedLineBytes) {
        return fail("line " + std::to_string(parser.LineNumber() + 1) + ": longer than " +
                    std::to_string(kMaxScriptedLineBytes) + " bytes");
      }
      line.append(piece);
      if (end == std::string_view::npos) break;
      rest.remove_prefix(end + 1);
      if (!parser.AddLine(line)) return fail(parser.Error());
      line.clear();
    }
  }
  if (!line.empty() && !parser.AddLine(line)) return fail(parser.Error());
  return true;
}

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
  std::vector<ScriptedEvent> events;
  std::string why;
  if (!ReadScriptedInputFile(path, events, &why)) {
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
    case Kind::Compose: {
      SyntheticInput input;
      input.kind = Action::Composition;
      input.text = event.text;
      input.cursor = int32_t(CharacterCount(event.text));
      composing_ = event.text;
      Inject(window, input);
      return;
    }
    case Kind::Commit: {
      // The input method ends the composition, then types what it held.
      SyntheticInput input;
      input.kind = Action::Composition;
      Inject(window, input);
      if (composing_.empty()) return;
      input.kind = Action::Text;
      input.text = std::exchange(composing_, std::string());
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
