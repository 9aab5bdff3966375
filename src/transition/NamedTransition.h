#pragma once
// Named transitions: small objects, made by name from the transition
// registry, that turn one picture into another over a time (or change the
// tone of the current one). The picture object that shows one drives it
// once per frame: Update with the tick, Apply once per band of the area,
// then IsFinished; -1 there ends it and the holder releases it.
#include <cstdint>

#include "base/DecimalRange.h"
#include "raster/Image.h"
#include "resource/plugin/TcpObject.h"

namespace orrivel {

// What the driving picture object prepares: categories below 2 keep the
// previous picture as the from-picture; 2 works on the current one alone.
enum TransitionCategory : uint8_t {
  kTransitionFromTo = 0,
  kTransitionFromToLibrary = 1,
  kTransitionCurrentOnly = 2,
};

// One band of the transition area. Pictures are 32-bit images; the y
// fields advance together when the area is cut into horizontal bands.
struct TransitionApplyRecord {
  int32_t areaX = 0, areaY = 0;  // where the band lies in the whole area
  int32_t width = 0, height = 0;
  Image* destination = nullptr;
  int32_t destX = 0, destY = 0;
  Image* from = nullptr;  // the picture being left
  int32_t fromX = 0, fromY = 0;
  Image* to = nullptr;  // the picture being entered
  int32_t toX = 0, toY = 0;
};

// The picture object's depth query, as a transition sees its target.
class TransitionTarget {
 public:
  virtual ~TransitionTarget() = default;
  virtual int32_t GetDepth() const = 0;
  // The size of the picture the transition runs over; false when the
  // object shows no picture.
  virtual bool GetPictureSize(int32_t* width, int32_t* height) const {
    (void)width;
    (void)height;
    return false;
  }
};

class NamedTransition : public TcpObject {
 public:
  // Set-up results shared by the built-in classes.
  static constexpr int32_t kSetupDone = 0;
  static constexpr int32_t kSetupMissing = 1;  // no target, no list, duration 0
  static constexpr int32_t kSetupBadImage = 2;  // wrong target depth, bad image argument
  // Apply: a pixel operation refused the band.
  static constexpr int32_t kApplyFailed = 5;
  static constexpr int32_t kNotSupported = -2;

  virtual uint8_t GetCategory() const = 0;
  virtual const char* GetName() const = 0;
  virtual int32_t Update(uint32_t now) = 0;
  // 0 while running, -1 once the end progress is reached.
  virtual int32_t IsFinished() const = 0;
  virtual int32_t Apply(const TransitionApplyRecord& record) = 0;
  // first is the TransitionTarget; the list begins with the duration in ms.
  int32_t SetupV(const ObjectArgument& first, const ObjectArguments& rest) override = 0;
  virtual int32_t Control(int32_t, int32_t) { return kNotSupported; }
  virtual int32_t Query() { return kNotSupported; }
  // The image is about to be deleted (null: every image is). A transition
  // that reads an image of its own beside the band's pictures lets go of it.
  virtual void ForgetImage(const Image* image) { (void)image; }
};

// The shared progress rules, on ticks that wrap at 2^32.
struct LinearProgress {
  uint32_t duration = 0;
  uint32_t start = 0;
  bool firstPending = false;

  // True (and the start taken) when this is the pending first update.
  bool TakeFirst(uint32_t now) {
    if (!firstPending) return false;
    start = now;
    firstPending = false;
    return true;
  }
  // (now - start) * scale / duration, capped at scale; the products are
  // taken modulo 2^32 as the tick arithmetic is.
  uint32_t Scaled(uint32_t now, uint32_t scale) const {
    const uint32_t value = (now * scale - start * scale) / duration;
    return value > scale ? scale : value;
  }
};

// The progress of a transition whose trail forms draw only on frames where
// the progress moved, and the first frame opaquely.
struct TrailProgress {
  LinearProgress time;
  uint32_t value = 0;
  bool firstFrame = true;
  bool changed = true;
  int64_t last = -1;

  void Update(uint32_t now, uint32_t scale) {
    firstFrame = time.TakeFirst(now);
    value = firstFrame ? 0 : time.Scaled(now, scale);
    changed = int64_t{value} != last;
    last = value;
  }
};

// A creation argument given as decimal text; null gives the fallback.
// A decimal text argument held to the range its use takes; the fallback
// when the cell holds no text, 0 for a text that is no number.
double ReadDecimalArgument(const ObjectArguments& rest, std::size_t index, double fallback,
                           const DecimalRange& range);

// Reads the common head of a built-in set-up: the target's depth must be
// 32 and the first argument a duration other than 0.
int32_t ReadTransitionHead(const ObjectArgument& first, const ObjectArguments& rest, uint32_t* duration);

}  // namespace orrivel
