#pragma once
// The weather overlays: "paper" (falling scraps of paper), "light" (rising,
// twinkling motes), "snow" and "rain". Each keeps a fixed number of
// particles, each a pair of sprites, one in each page of the layer host,
// and moves every particle once per 80 ms step. The four share one design;
// a table of kinds holds what differs.
//
// A stop request lets the particles on screen finish their way and launches
// no new ones; the effect ends after the last has left. A stop through the
// timer list removes them all at once.
#include <cstdint>
#include <memory>
#include <vector>

#include "effect/LayerAction.h"
#include "raster/Surface.h"

namespace orrivel {

class Drawable;
class LayerHost;
class SubtractiveRandom;

enum class WeatherKind : uint8_t { Paper, Light, Snow, Rain };

// What one weather kind does differently.
struct WeatherStyle {
  const char* name;
  const char* pictureFormat;  // null: drops drawn as colour boxes
  int32_t pictures;           // picture files, numbered from 0
  int32_t kinds;              // kind modulus of the particles
  int32_t orderDivisor;       // order key = base + (kind × spread) ÷ this
  int32_t cells;              // animation cells side by side; 1 the whole picture
  double launchChance;        // per step of a free particle
  bool rises;
  double walk;                // random walk factor of ax; 0 none
  double vxLimit;
  double axLimit;
};

const WeatherStyle& StyleOf(WeatherKind kind);

struct WeatherParticle {
  std::unique_ptr<Drawable> sprites[2];
  int32_t kind = 0;
  int32_t frame = 0;
  int32_t cellWidth = 0;
  double x = 0;
  double y = 0;
  double vx = 0;
  double speed = 0;
  double ax = 0;
  bool active = false;
  uint16_t twinkle = 0;
};

class WeatherEffect : public LayerAction {
 public:
  static constexpr uint32_t kInterval = 80;
  // More particles than any screen shows: a larger count fails like an
  // allocation that cannot be had.
  static constexpr int32_t kMaxParticles = 65536;
  // Set-up results.
  static constexpr int32_t kBadArguments = 1;
  static constexpr int32_t kNoSecondPage = 2;
  static constexpr int32_t kNoPicture = 3;
  static constexpr int32_t kBuildFailed = 4;
  static constexpr int32_t kNotStarted = 5;
  // The rain drops' colour and width.
  static constexpr uint32_t kDropRgb = 0xA0AAEB;
  static constexpr int32_t kDropWidth = 1;

  explicit WeatherEffect(WeatherKind kind) : kind_(kind) {}
  ~WeatherEffect() override;

  int32_t GetTypeId() const override { return kOverlayEffectType; }
  const char* GetName() const override { return StyleOf(kind_).name; }
  uint8_t GetCategory() const override { return kOverlayCategory; }

  using LayerAction::SetupV;
  // Target: a LayerHost. Cells: [0] particle count (at least 1), [1] base
  // order key, [2] order key spread, [3] spread the first particles over
  // the screen, [4] scale as decimal text (null or 0: 1.0), [5] show on the
  // first page, [6] show on the second.
  int32_t SetupV(TimerList* timerList, const ObjectArgument& target, const ObjectArguments& cells) override;
  // [0] 0 asks for the stop; otherwise [1] shows on the page that is first
  // now and [2] on the other. 0.
  int32_t ControlV(const ObjectArguments& cells) override;

  int32_t Step(uint32_t now) override;
  void Stop() override { particles_.clear(); }

  WeatherKind Kind() const { return kind_; }
  const std::vector<WeatherParticle>& Particles() const { return particles_; }
  double Scale() const { return scale_; }
  bool StopRequested() const { return stopRequested_; }
  bool ShowFirst() const { return showFirst_; }
  bool ShowSecond() const { return showSecond_; }

 private:
  int32_t LoadPictures();
  // False when a sprite cannot show its picture or join its page.
  bool InitParticle(WeatherParticle& p, int32_t kind, uint32_t order);
  void Launch(WeatherParticle& p, bool spread);
  // 1 when the particle counts as done for a stop.
  int32_t StepParticle(WeatherParticle& p);
  void PlaceSprites(WeatherParticle& p);
  void ShowFrame(WeatherParticle& p);
  void ApplyVisibility(WeatherParticle& p);
  double Draw();
  int32_t ParticleHeight(const WeatherParticle& p) const;

  WeatherKind kind_;
  LayerHost* host_ = nullptr;
  SubtractiveRandom* random_ = nullptr;
  int32_t screenWidth_ = 0;
  int32_t screenHeight_ = 0;
  // Declared before the particles, whose sprites show them.
  std::vector<std::unique_ptr<Surface>> pictures_;
  std::vector<WeatherParticle> particles_;
  double scale_ = 1.0;
  bool showFirst_ = true;
  bool showSecond_ = true;
  bool stopRequested_ = false;
};

class PaperEffect : public WeatherEffect {
 public:
  PaperEffect() : WeatherEffect(WeatherKind::Paper) {}
};
class LightEffect : public WeatherEffect {
 public:
  LightEffect() : WeatherEffect(WeatherKind::Light) {}
};
class SnowEffect : public WeatherEffect {
 public:
  SnowEffect() : WeatherEffect(WeatherKind::Snow) {}
};
class RainEffect : public WeatherEffect {
 public:
  RainEffect() : WeatherEffect(WeatherKind::Rain) {}
};

}  // namespace orrivel
