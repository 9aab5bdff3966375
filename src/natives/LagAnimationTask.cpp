#include "natives/LagAnimationTask.h"

#include "base/TimerList.h"
#include "raster/SpriteList.h"
#include "resource/LagAnimation.h"
#include "scene/RasterSurfacePort.h"
#include "scene/SpriteCanvas.h"

namespace orrivel {

namespace {

// Field places in a frame record: picture index (negative ends the
// sequence), duration in ms, x in the low and y in the high half, more.
constexpr size_t kImage = 0;
constexpr size_t kDuration = 1;
constexpr size_t kPlace = 2;

}  // namespace

LagAnimationTask::~LagAnimationTask() { Finish(); }

int32_t LagAnimationTask::Setup(TimerList* list, SpriteCanvas* layer, Animation* animation, int32_t sequence,
                                int32_t loops, const Options& options) {
  if (!list || !layer || !animation) return kSetupMissing;
  if (sequence < 0 || sequence >= int32_t(animation->SequenceCount())) return kSetupNoSequence;
  animation_ = animation;
  const int32_t start = animation->GetSequenceStart(sequence);
  if (start < 0 || IsEnd(uint32_t(start))) {
    animation_ = nullptr;
    return kSetupEmpty;
  }
  sequence_ = sequence;
  sequenceStart_ = uint32_t(start);
  record_ = sequenceStart_;
  loopsLeft_ = loops;
  options_ = options;
  ShowRecord();
  if (list->Add(this, 0, 0, 0) != 0) {
    animation_ = nullptr;
    return kSetupRefused;
  }
  LagAnimationPool::Hold(animation_);
  layer->MainList().Add(&sprite_, options_.priority, 0);
  return kSetupOk;
}

const int32_t* LagAnimationTask::Record(uint32_t index) const {
  const auto& frames = animation_->Frames();
  return index < frames.size() ? frames[index].values.data() : nullptr;
}

// The loader closes the records with a sentinel, so a sequence that lacks
// its own terminator still ends at the last record.
bool LagAnimationTask::IsEnd(uint32_t index) const {
  const int32_t* record = Record(index);
  return !record || record[kImage] < 0;
}

void LagAnimationTask::ShowRecord() {
  const int32_t* record = Record(record_);
  Surface* picture = nullptr;
  if (record && record[kImage] >= 0) {
    if (auto* port = dynamic_cast<RasterSurfacePort*>(animation_->Picture(uint32_t(record[kImage]))))
      picture = port->Raster();
  }
  hasPicture_ = false;
  if (picture) {
    const uint32_t place = uint32_t(record[kPlace]);
    const int32_t x = int16_t(place & 0xFFFF) + options_.xOffset;
    const int32_t y = int16_t(place >> 16) + options_.yOffset;
    hasPicture_ = sprite_.SetImage(picture, nullptr, x, y) == 0;
  }
  // A start delay keeps the sprite hidden until it has passed.
  sprite_.SetVisible(hasPicture_ && options_.startDelayMs == 0);
}

int32_t LagAnimationTask::SettleEnd() {
  if (chainRequest_) {
    const int32_t start = animation_->GetSequenceStart(sequence_ + 1);
    if (start < 0 || IsEnd(uint32_t(start))) return 2;
    chainRequest_ = false;
    ++sequence_;
    sequenceStart_ = uint32_t(start);
    record_ = sequenceStart_;
    return 0;
  }
  if (loopsLeft_ == 0) {
    state_ = kHolding;
    --record_;  // the last frame stays
    return 0;
  }
  if (loopsLeft_ == 1) return 1;
  if (loopsLeft_ > 1) --loopsLeft_;
  record_ = sequenceStart_;
  return 0;
}

int32_t LagAnimationTask::Advance() {
  ++record_;
  if (!IsEnd(record_)) return 0;
  const int32_t result = SettleEnd();
  if (result != 0) --record_;  // the task ends on the frame it showed last
  return result;
}

int32_t LagAnimationTask::Step(uint32_t now) {
  if (!animation_) return 1;
  if (state_ == kNotStarted) {
    state_ = kPlaying;
    frameStart_ = now;
    return 0;
  }
  if (state_ == kHolding) return options_.removeWhenDone ? 1 : 0;
  if (options_.startDelayMs != 0) {
    if (int32_t(now - frameStart_) < int32_t(options_.startDelayMs)) return 0;
    frameStart_ = now;
    options_.startDelayMs = 0;
    sprite_.SetVisible(hasPicture_);
  }
  const uint32_t shown = record_;
  int32_t result = 0;
  // Ticks are compared by signed difference, so the wrap is harmless.
  const int32_t sinceStart = int32_t(now - frameStart_);
  if (options_.catchUp) {
    uint32_t elapsed = sinceStart > 0 ? uint32_t(sinceStart) : 0;
    // A sequence of zero-length records would never use up the time: one
    // pass over every record is the most a step may walk.
    for (uint32_t walked = 0; walked <= animation_->FrameCount() && state_ == kPlaying; ++walked) {
      const uint32_t duration = uint32_t(Record(record_)[kDuration]);
      if (elapsed < duration) break;
      elapsed -= duration;
      frameStart_ += duration;
      result = Advance();
      if (result != 0) break;
    }
  } else if (sinceStart >= 0 && uint32_t(sinceStart) >= uint32_t(Record(record_)[kDuration])) {
    frameStart_ = now;
    result = Advance();
  }
  if (result == 0 && record_ != shown) ShowRecord();
  return result;
}

void LagAnimationTask::Pause(uint32_t now) {
  if (PauseCount() == 0) pausedAt_ = now;
  TimedTask::Pause(now);
}

void LagAnimationTask::Resume(uint32_t now) {
  const bool outermost = PauseCount() == 1;
  TimedTask::Resume(now);
  if (outermost) frameStart_ += now - pausedAt_;
}

// The sprite leaves whichever list of the layer holds it now; a list that
// went first has already let it go.
void LagAnimationTask::Finish() {
  if (SpriteList* owner = sprite_.OwningList()) owner->Remove(&sprite_);
  if (animation_) {
    LagAnimationPool::Drop(animation_);
    animation_ = nullptr;
  }
}

}  // namespace orrivel
