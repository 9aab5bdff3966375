#pragma once
// Frames decoded after a jump, held until their times can be trusted.
// MPEG program streams time only the first picture (or sound frame) that
// starts in a packet, and a time may land on the frame next to its own
// where a start code straddles two packets. So the frames at a new
// position wait here until two of their stored times agree with counting
// the frames between them (or no second time comes for a while); every
// frame is then placed by counting from the one trusted.
#include <cstddef>
#include <cstdint>
#include <deque>

struct AVFrame;

namespace orrivel::media {

class UntimedFrames {
 public:
  // A frame whose time is not known.
  static constexpr int64_t kUnknownTime = INT64_MIN;

  UntimedFrames() = default;
  UntimedFrames(const UntimedFrames&) = delete;
  UntimedFrames& operator=(const UntimedFrames&) = delete;
  ~UntimedFrames() { Clear(); }

  // Takes over the frame's contents (it is left empty); `length` is how
  // long it lasts, `stored` the time its stream gave it (kUnknownTime for
  // none). A `doubtful` time (a key picture's: the stream headers before it
  // straddle packets often, so it may carry its neighbour's time, and every
  // key picture alike) does not confirm another doubtful one. False when no
  // memory was left: the frame is then untouched.
  bool Hold(AVFrame* frame, int64_t length, int64_t stored, bool doubtful = false);
  // Places every frame by counting from the newest one when its stored
  // time agrees with an earlier one's (they lie as far apart as the frames
  // between them last, within `slack`), or from the newest stored time
  // when `patience` frames have come since the first one with a stored
  // time and none agreed: times stored that sparsely are taken as they are.
  // True when the frames were placed.
  bool Settle(int64_t slack, size_t patience);
  // Places every frame by counting from the newest one with a stored time,
  // one not doubtful where there is; false (nothing placed) when none has
  // one.
  bool PlaceByLastStored();
  // Moves the oldest frame's contents into `out` and answers its placed
  // time (kUnknownTime when it was never placed) and its length.
  int64_t TakeOldest(AVFrame* out, int64_t* length);
  void DropOldest();
  bool Empty() const { return held_.empty(); }
  size_t Size() const { return held_.size(); }
  void Clear();

 private:
  struct Held {
    AVFrame* frame;
    int64_t length;
    int64_t stored;
    bool doubtful;
    int64_t placed;
  };
  void PlaceFrom(size_t index);
  std::deque<Held> held_;
};

}  // namespace orrivel::media
