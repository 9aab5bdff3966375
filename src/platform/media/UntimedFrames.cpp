#include "platform/media/UntimedFrames.h"

extern "C" {
#include <libavutil/frame.h>
}

namespace orrivel::media {

namespace {

// Far beyond any movie (some 14,000 years in 100-ns units), and far enough
// inside the 64-bit range that counting frames on or back from a stored
// time never overflows.
constexpr int64_t kLatestTime = int64_t(1) << 62;

}  // namespace

bool UntimedFrames::Hold(AVFrame* frame, int64_t length, int64_t stored, bool doubtful) {
  if (stored < -kLatestTime || stored > kLatestTime) stored = kUnknownTime;
  AVFrame* kept = av_frame_alloc();
  if (kept == nullptr) return false;
  av_frame_move_ref(kept, frame);
  held_.push_back({kept, length, stored, doubtful, kUnknownTime});
  return true;
}

bool UntimedFrames::Settle(int64_t slack, size_t patience) {
  if (held_.empty()) return false;
  const int64_t newest = held_.back().stored;
  int64_t between = 0;  // how long the frames from `i` up to the newest last
  size_t sinceFirstStored = 0;
  for (size_t i = held_.size() - 1; i-- > 0;) {
    between += held_[i].length;
    if (held_[i].stored == kUnknownTime) continue;
    sinceFirstStored = held_.size() - 1 - i;
    if (newest == kUnknownTime || (held_.back().doubtful && held_[i].doubtful)) continue;
    const int64_t miss = newest - held_[i].stored - between;
    if (miss >= -slack && miss <= slack) {
      PlaceFrom(held_.size() - 1);
      return true;
    }
  }
  return sinceFirstStored >= patience && PlaceByLastStored();
}

bool UntimedFrames::PlaceByLastStored() {
  size_t doubtful = held_.size();  // the newest doubtful one, if any
  for (size_t i = held_.size(); i-- > 0;) {
    if (held_[i].stored == kUnknownTime) continue;
    if (!held_[i].doubtful) {
      PlaceFrom(i);
      return true;
    }
    if (doubtful == held_.size()) doubtful = i;
  }
  if (doubtful == held_.size()) return false;
  PlaceFrom(doubtful);
  return true;
}

void UntimedFrames::PlaceFrom(size_t index) {
  int64_t time = held_[index].stored;
  held_[index].placed = time;
  for (size_t i = index; i-- > 0;) {
    time -= held_[i].length;
    held_[i].placed = time;
  }
  time = held_[index].stored;
  for (size_t i = index + 1; i < held_.size(); ++i) {
    time += held_[i - 1].length;
    held_[i].placed = time;
  }
}

int64_t UntimedFrames::TakeOldest(AVFrame* out, int64_t* length) {
  Held oldest = held_.front();
  held_.pop_front();
  av_frame_unref(out);
  av_frame_move_ref(out, oldest.frame);
  av_frame_free(&oldest.frame);
  *length = oldest.length;
  return oldest.placed;
}

void UntimedFrames::DropOldest() {
  if (held_.empty()) return;
  av_frame_free(&held_.front().frame);
  held_.pop_front();
}

void UntimedFrames::Clear() {
  for (Held& h : held_) av_frame_free(&h.frame);
  held_.clear();
}

}  // namespace orrivel::media
