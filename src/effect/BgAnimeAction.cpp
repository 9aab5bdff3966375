#include "effect/BgAnimeAction.h"

#include <algorithm>
#include <atomic>
#include <cstdarg>
#include <string_view>

#include "base/TimerList.h"
#include "effect/AssistCells.h"
#include "resource/LadAnimation.h"
#include "scene/SpriteCanvas.h"

namespace orrivel {
namespace {

// One switch for every bg_anime in the process, as the class-level entry
// sets it; read on the main thread only, atomic so a setter on another
// thread is still well defined.
std::atomic<bool> gCatchUp{false};

constexpr int32_t kLoopMark = 1;
constexpr int32_t kLoopBack = 2;
// ShowStep's answer for a closing step of the last sequence without the
// loop flag.
constexpr int32_t kNoSequenceAfter = -2;

uint16_t HeaderWord(const LadAnimation& animation, size_t at) {
  return uint16_t(animation.Header()[at] | (animation.Header()[at + 1] << 8));
}

// The sequence's steps up to (not including) its closing record.
struct StepRange {
  int32_t first = 0;
  int32_t end = 0;
};

StepRange StepsOf(const LadAnimation& animation, int32_t sequence) {
  return {animation.GetSequenceStart(sequence), animation.GetSequenceEnd(sequence)};
}

// The distinct pictures of the sequence's frame steps, in step order.
std::vector<int32_t> PicturesOf(const LadAnimation& animation, int32_t sequence) {
  std::vector<int32_t> pictures;
  const StepRange range = StepsOf(animation, sequence);
  for (int32_t s = range.first; s >= 0 && s < range.end; ++s) {
    const int32_t name = animation.Frames()[size_t(s)].name;
    if (name >= 0 && std::find(pictures.begin(), pictures.end(), name) == pictures.end()) pictures.push_back(name);
  }
  return pictures;
}

}  // namespace

int32_t SetBgAnimeFlag(const ObjectArguments& cells) {
  gCatchUp.store(cells.Cell(0) != 0, std::memory_order_relaxed);
  return 0;
}

int32_t SetBgAnimeFlagVariadic(std::intptr_t first, ...) {
  va_list list;
  va_start(list, first);
  const int32_t result = ForwardWords<1>(&SetBgAnimeFlag, first, list);
  va_end(list);
  return result;
}

bool BgAnimeCatchUp() { return gCatchUp.load(std::memory_order_relaxed); }

BgAnimeAction::~BgAnimeAction() {
  // The canvas must not keep showing a picture that goes with the action.
  RestoreBackground();
  preloader_.Stop();
}

int32_t BgAnimeAction::SetupV(TimerList* timerList, const ObjectArgument& target, const ObjectArguments& cells) {
  canvas_ = CanvasOfTarget(target);
  Watch(canvas_);
  const auto* animation = cells.Object<const LadAnimation>(0);
  const std::optional<std::string> folderText = cells.Text(1);
  const char* folder = TextOrNull(folderText);
  if (timerList == nullptr || canvas_ == nullptr || animation == nullptr || folder == nullptr) return kBadArguments;
  if (animation_ != nullptr) return kCannotHold;
  auto frame = std::make_unique<Surface>();
  const uint16_t width = HeaderWord(*animation, 0);
  const uint16_t height = HeaderWord(*animation, 2);
  if (animation->SequenceCount() == 0 || width == 0 || height == 0 ||
      frame->Create(width, height, 32, 0) != 0) {
    return kCannotHold;
  }
  uint32_t room = 1;
  for (int32_t s = 0; s < animation->SequenceCount(); ++s) {
    room = std::max(room, uint32_t(PicturesOf(*animation, s).size()));
  }
  if (preloader_.Allocate(2 * room) != 0) return kCannotHold;
  animation_ = animation;
  frame_ = std::move(frame);
  halfRoom_ = room;
  preloader_.SetBaseFolder(std::string_view(folder));
  loop_ = cells.Cell(4) != 0;
  if (cells.Cell(2) >= 0) {
    Select(cells.Cell(2), cells.Cell(3));
    if (cells.Cell(5) != 0 && Play() != 0) {
      StopPlaying();
      return kStartFailed;
    }
  }
  if (timerList->Add(this, 0, 0, 0) != 0) {
    StopPlaying();
    return kNotListed;
  }
  return 0;
}

int32_t BgAnimeAction::ControlV(const ObjectArguments& cells) {
  if (animation_ == nullptr) return kWrongState;
  switch (cells.Cell(0)) {
    case 0:
      return Select(cells.Cell(1), cells.Cell(2));
    case 1:
      return state_ == kSelected ? Play() : kWrongState;
    case 2:
      if (state_ != kPlaying) return kWrongState;
      state_ = kPaused;
      return 0;
    case 3:
      if (state_ != kPaused) return kWrongState;
      state_ = kPlaying;
      firstUpdate_ = true;
      return 0;
    case 4:
      StopPlaying();
      return 0;
    case 5:
      if (loopPoint_ < 0) return kWrongState;
      endRequested_ = true;
      return 0;
    default:
      return kUnknownCommand;
  }
}

int32_t BgAnimeAction::QueryV(const ObjectArguments& cells) {
  switch (cells.Cell(0)) {
    case 0:
      return state_;
    case 1:
      return loopPoint_ >= 0 && !endRequested_ ? 1 : 0;
    case 2:
      return sequence_;
    case 3:
      return step_;
    case 4:
      return NextLoopMark();
    case 5:
      return LaterLoopMark();
    default:
      return kUnknownCommand;
  }
}

int32_t BgAnimeAction::Select(int32_t sequence, int32_t step) {
  if (sequence < 0 || sequence >= animation_->SequenceCount()) sequence = 0;
  sequence_ = sequence;
  const StepRange range = StepsOf(*animation_, sequence);
  step_ = step >= range.first && step < range.end ? step : range.first;
  loopPoint_ = -1;
  endRequested_ = false;
  state_ = kSelected;
  Prepare(shownHalf_, sequence);
  return 0;
}

int32_t BgAnimeAction::Play() {
  preloader_.Wait();
  Prepare(shownHalf_ ^ 1, SequenceAfter(sequence_));
  if (!showingFrame_) {
    canvas_->GetBackground(&savedImage_, &savedX_, &savedY_, nullptr, nullptr, nullptr);
    canvas_->SetBackgroundImage(frame_.get(), 0, 0, 1);
    showingFrame_ = true;
  }
  state_ = kPlaying;
  firstUpdate_ = true;
  if (Walk() != 0) {
    state_ = kStopped;
    return kNothingShown;
  }
  return 0;
}

void BgAnimeAction::StopPlaying() {
  state_ = kStopped;
  loopPoint_ = -1;
  endRequested_ = false;
  RestoreBackground();
  preloader_.Stop();
  // Stop frees the slots; make them again so that a later select can load.
  preloader_.Allocate(2 * halfRoom_);
  for (Half& half : halves_) half = Half{};
}

void BgAnimeAction::Stop() {
  state_ = kStopped;
  RestoreBackground();
  preloader_.Stop();
}

void BgAnimeAction::RestoreBackground() {
  if (!showingFrame_ || canvas_ == nullptr) return;
  showingFrame_ = false;
  canvas_->SetBackgroundImage(savedImage_, savedX_, savedY_, 1);
  canvas_->MarkAllChanged();
}

int32_t BgAnimeAction::SequenceAfter(int32_t sequence) const {
  if (sequence + 1 < animation_->SequenceCount()) return sequence + 1;
  return loop_ ? 0 : -1;
}

void BgAnimeAction::Prepare(int32_t halfIndex, int32_t sequence) {
  preloader_.Wait();
  Half& half = halves_[size_t(halfIndex)];
  half.sequence = sequence;
  half.pictures.clear();
  half.stepPicture.clear();
  const uint32_t first = uint32_t(halfIndex) * halfRoom_;
  preloader_.CloseRange(first, halfRoom_);
  if (sequence < 0) return;
  half.pictures = PicturesOf(*animation_, sequence);
  const StepRange range = StepsOf(*animation_, sequence);
  for (int32_t s = range.first; s < range.end; ++s) {
    const int32_t name = animation_->Frames()[size_t(s)].name;
    const auto at = std::find(half.pictures.begin(), half.pictures.end(), name);
    half.stepPicture.push_back(at == half.pictures.end() ? -1 : int32_t(at - half.pictures.begin()));
  }
  std::vector<std::string_view> names;
  for (int32_t name : half.pictures) {
    // A name index past the table gets an empty name: its slot fails to
    // load and the frame is refused when shown.
    names.push_back(uint32_t(name) < animation_->NameCount() ? std::string_view(animation_->Names()[size_t(name)].name)
                                                             : std::string_view());
  }
  if (!names.empty()) preloader_.Start(first, uint32_t(names.size()), names.data());
}

bool BgAnimeAction::IsFrameStep(int32_t step) const {
  return step >= 0 && uint32_t(step) < animation_->FrameCount() && animation_->Frames()[size_t(step)].name >= 0;
}

int32_t BgAnimeAction::ShowFrame(const LadFrame& frame) {
  const Half& half = halves_[size_t(shownHalf_)];
  const StepRange range = StepsOf(*animation_, half.sequence);
  const int32_t offset = step_ - range.first;
  if (half.sequence != sequence_ || offset < 0 || size_t(offset) >= half.stepPicture.size() ||
      half.stepPicture[size_t(offset)] < 0 || uint32_t(frame.name) >= animation_->NameCount()) {
    return kBadFrame;
  }
  const uint32_t slot = uint32_t(shownHalf_) * halfRoom_ + uint32_t(half.stepPicture[size_t(offset)]);
  if (preloader_.IsPending(slot)) preloader_.Wait();
  const auto* data = static_cast<const uint8_t*>(preloader_.GetEntryData(slot));
  const uint32_t size = preloader_.GetEntrySize(slot);
  if (data == nullptr || size == 0) return kBadFrame;
  const int result = frame_->LoadByName(nullptr, data, size, frame.X(), frame.Y(), false);
  if (result != 0 && result != -1) return kBadFrame;
  canvas_->MarkAllChanged();
  return 0;
}

int32_t BgAnimeAction::ShowStep() {
  const LadFrame& frame = animation_->Frames()[size_t(step_)];
  if (frame.name >= 0) return ShowFrame(frame);
  if (frame.value <= 0) {
    if (animation_->SequenceCount() > 1 && !MoveToNextSequence()) return kNoSequenceAfter;
    return kGoOn;
  }
  if (frame.value == kLoopMark) {
    endRequested_ = false;
    loopPoint_ = step_;
    return kGoOn;
  }
  if (frame.value == kLoopBack) return JumpBack();
  return kBadStep;
}

int32_t BgAnimeAction::JumpBack() {
  if (endRequested_) {
    endRequested_ = false;
    loopPoint_ = -1;
    return kGoOn;
  }
  if (loopPoint_ < 0) return kGoOn;
  const int32_t sequence = animation_->FindSequence(loopPoint_, nullptr);
  if (sequence >= 0 && sequence != sequence_) {
    if (halves_[size_t(shownHalf_ ^ 1)].sequence == sequence) {
      preloader_.Wait();
      shownHalf_ ^= 1;
    } else {
      Prepare(shownHalf_, sequence);
    }
    sequence_ = sequence;
  }
  step_ = loopPoint_;
  return kGoOn;
}

bool BgAnimeAction::MoveToNextSequence() {
  const int32_t next = SequenceAfter(sequence_);
  if (next < 0) return false;
  preloader_.Wait();
  if (halves_[size_t(shownHalf_ ^ 1)].sequence == next) {
    shownHalf_ ^= 1;
  } else {
    Prepare(shownHalf_, next);
  }
  MakeCurrent(next);
  Prepare(shownHalf_ ^ 1, SequenceAfter(next));
  return true;
}

void BgAnimeAction::MakeCurrent(int32_t sequence) {
  sequence_ = sequence;
  // The walk moves on by one after a control step: land on the first step.
  step_ = animation_->GetSequenceStart(sequence) - 1;
}

int32_t BgAnimeAction::Walk() {
  // A walk that visits more steps than the animation holds without showing
  // a frame is going round a loop with no frame in it (a loop mark
  // followed at once by a loop back): refuse it rather than spin.
  const uint64_t limit = uint64_t(animation_->FrameCount()) + 1;
  uint64_t visited = 0;
  int wraps = 0;
  for (;;) {
    if (++visited > limit) {
      state_ = kStopped;
      return kBadStep;
    }
    const StepRange range = StepsOf(*animation_, sequence_);
    if (step_ < range.first || step_ > range.end) {
      // Past the sequence's last step.
      if (!loop_ || ++wraps > 1) {
        state_ = kStopped;
        return kGoOn;
      }
      step_ = range.first;
      loopPoint_ = -1;
      endRequested_ = false;
    }
    const int32_t result = ShowStep();
    if (result == kNoSequenceAfter) {
      // The last sequence ended without the loop flag: the last frame stays.
      state_ = kStopped;
      return kGoOn;
    }
    if (result > 0) state_ = kStopped;
    if (result != kGoOn) return result;
    ++step_;
  }
}

uint32_t BgAnimeAction::DisplayTime() const {
  return IsFrameStep(step_) ? uint32_t(std::max(animation_->Frames()[size_t(step_)].value, 0)) : 0;
}

int32_t BgAnimeAction::Step(uint32_t now) {
  if (state_ != kPlaying || animation_ == nullptr) return 0;
  if (firstUpdate_) {
    firstUpdate_ = false;
    stepStart_ = now;
    return 0;
  }
  if (DisplayTime() == 0) return 0;
  if (BgAnimeCatchUp()) {
    CatchUp(now);
  } else if (now - stepStart_ >= DisplayTime()) {
    Advance(now);
  }
  return 0;
}

void BgAnimeAction::Advance(uint32_t now) {
  ++step_;
  Walk();
  stepStart_ = now;
}

void BgAnimeAction::CatchUp(uint32_t now) {
  uint32_t lag = now - stepStart_;
  if (lag > kMaxLagMs) lag = DisplayTime();
  while (state_ == kPlaying) {
    const uint32_t display = DisplayTime();
    if (display == 0 || lag < display) break;
    lag -= display;
    ++step_;
    if (Walk() != 0) break;
  }
  stepStart_ = now - lag;
}

int32_t BgAnimeAction::NextLoopMark() const {
  if (animation_ == nullptr) return -1;
  for (uint32_t s = uint32_t(std::max(step_ + 1, 0)); s < animation_->FrameCount(); ++s) {
    const LadFrame& frame = animation_->Frames()[s];
    if (frame.name >= 0) continue;
    if (frame.value <= 0) return -1;
    if (frame.value == kLoopMark) return int32_t(s);
  }
  return -1;
}

int32_t BgAnimeAction::LaterLoopMark() const {
  if (animation_ == nullptr) return -1;
  for (int32_t sequence = sequence_ + 1; sequence < animation_->SequenceCount(); ++sequence) {
    const StepRange range = StepsOf(*animation_, sequence);
    for (int32_t s = range.first; s >= 0 && s <= range.end; ++s) {
      const LadFrame& frame = animation_->Frames()[size_t(s)];
      if (frame.name >= 0) continue;
      if (frame.value == kLoopMark) return s;
      if (frame.value <= 0) break;
    }
  }
  return -1;
}

}  // namespace orrivel
