#pragma once
// The drawing back ends of the transition library. A mode draws every fragment
// of the source through one FragmentDrawer: a rectangle of the source (in
// source coordinates) whose top-left corner lands on a destination point,
// optionally stretched to a size. The last frame is one Whole operation.
//
// Back end 0 copies between surfaces, back end 1 blends by the source's
// per-pixel alpha, back end 2 blits between blit surfaces clipped to a clip
// rectangle with the source's colour key. Any other back end draws nothing.
// Results follow the operation underneath: 0 drawn or nothing visible, 1
// missing pixels, surface or rectangle, 2 unsupported formats or a failed blit.
#include <cstdint>

#include "platform/SoftSurface.h"
#include "raster/Rect.h"

namespace orrivel {

class Surface;

// The values of the back-end argument of a transition routine.
enum TransitionBackend : int32_t {
  BackendCopy = 0,
  BackendAlphaBlend = 1,
  BackendDirectDraw = 2,
};
// A back end that draws nothing (any value other than 0, 1 and 2 does the same).
inline constexpr int32_t kBackendNone = -1;

class FragmentDrawer {
 public:
  virtual ~FragmentDrawer() = default;
  // The whole source picture at (x, y).
  virtual int Whole(int32_t x, int32_t y) = 0;
  virtual int Fragment(const Rect& source, int32_t x, int32_t y) = 0;
  // The fragment scaled to size, its top-left corner at (x, y).
  virtual int StretchedFragment(const Rect& source, int32_t x, int32_t y, const Size& size) = 0;
};

// Back ends 0 and 1 on two surfaces. A frame may cut the source into a
// hundred thousand pieces: between two 32-bit surfaces the drawer takes the
// clip rectangles, colour key, rows and kernel once, when the frame starts,
// and each piece is then cut and drawn as the surface's own copy or blend
// would draw it (the same pixels, the same dirty rectangles).
class SurfaceFragmentDrawer final : public FragmentDrawer {
 public:
  SurfaceFragmentDrawer(Surface* destination, Surface* source, bool alphaBlend);
  int Whole(int32_t x, int32_t y) override;
  int Fragment(const Rect& source, int32_t x, int32_t y) override;
  int StretchedFragment(const Rect& source, int32_t x, int32_t y, const Size& size) override;

 private:
  enum class PieceKernel { kNone, kCopy, kCopyPacked, kCopyKeyed, kBlend, kBlendPacked };
  void DrawPieceRows(uint8_t* to, const uint8_t* from, int32_t width, int32_t height) const;

  Surface* destination_;
  Surface* source_;
  bool alphaBlend_;
  // Taken at the start of the frame; kNone sends every piece through the
  // surface's own operation.
  PieceKernel kernel_ = PieceKernel::kNone;
  Rect sourceClip_;
  Rect destinationClip_;
  uint32_t colorKey_ = 0;
  uint8_t* destinationBits_ = nullptr;
  const uint8_t* sourceBits_ = nullptr;
  int32_t destinationPitch_ = 0;
  int32_t sourcePitch_ = 0;
};

// Back end 2 on two blit surfaces. The whole picture is the source's own
// clip rectangle; every fragment is cut to the clip rectangle of the target.
class BlitFragmentDrawer final : public FragmentDrawer {
 public:
  BlitFragmentDrawer(platform::SoftSurface* destination, const Rect& clip, platform::SoftSurface* source,
                  const Rect& sourceClip, int32_t colorKey)
      : destination_(destination), source_(source), clip_(clip), sourceClip_(sourceClip),
        colorKey_(colorKey) {}
  int Whole(int32_t x, int32_t y) override;
  int Fragment(const Rect& source, int32_t x, int32_t y) override;
  int StretchedFragment(const Rect& source, int32_t x, int32_t y, const Size& size) override;

 private:
  platform::SoftSurface* destination_;
  platform::SoftSurface* source_;
  Rect clip_;
  Rect sourceClip_;
  int32_t colorKey_;
};

// Any other back end.
class NullFragmentDrawer final : public FragmentDrawer {
 public:
  int Whole(int32_t, int32_t) override { return 0; }
  int Fragment(const Rect&, int32_t, int32_t) override { return 0; }
  int StretchedFragment(const Rect&, int32_t, int32_t, const Size&) override { return 0; }
};

// Sits between a mode and its back end: the routine skeleton points it at
// the back end's drawer, and a watcher (a test's recorder, a profiler)
// overrides the operations, looks at each fragment and passes it on.
class FragmentTap : public FragmentDrawer {
 public:
  void Attach(FragmentDrawer* inner) { inner_ = inner; }
  int Whole(int32_t x, int32_t y) override { return inner_->Whole(x, y); }
  int Fragment(const Rect& source, int32_t x, int32_t y) override { return inner_->Fragment(source, x, y); }
  int StretchedFragment(const Rect& source, int32_t x, int32_t y, const Size& size) override {
    return inner_->StretchedFragment(source, x, y, size);
  }

 private:
  FragmentDrawer* inner_ = nullptr;
};

}  // namespace orrivel
