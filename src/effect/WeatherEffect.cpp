#include "effect/WeatherEffect.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <new>

#include "base/SubtractiveRandom.h"
#include "base/TimerList.h"
#include "effect/BuiltinEffects.h"
#include "effect/OverlayTarget.h"
#include "raster/ColorBox.h"
#include "raster/Rect.h"
#include "scene/ImageSprite.h"
#include "scene/SpriteCanvas.h"

namespace orrivel {
namespace {

constexpr WeatherStyle kStyles[] = {
    {"paper", "SYS\\PAPER_%d.ELG", 8, 8, 7, 24, 0.1, false, 0.6, 3.0, 0.5},
    {"light", "SYS\\GR_LT%d.ELG", 3, 3, 2, 5, 0.1, true, 0.6, 5.0, 0.5},
    {"snow", "SYS\\SNOW_%d.ELG", 5, 5, 4, 1, 0.002, false, 0.3, 1.5, 0.2},
    {"rain", nullptr, 0, 6, 5, 0, 0.002, false, 0.0, 0.0, 0.0},
};

int32_t Trunc(double value) {
  // Positions far off screen stay representable.
  return static_cast<int32_t>(std::clamp(std::trunc(value), -2147483648.0, 2147483647.0));
}

int32_t Modulo(int32_t draw, int32_t modulus) { return int32_t(uint32_t(draw) % uint32_t(modulus)); }

// The rain drop of kind k: its height and its opacity.
int32_t DropHeight(int32_t kind) { return Trunc((1.0 - 0.1 * kind) * 200.0); }
uint8_t DropOpacity(int32_t kind) { return uint8_t(130 - 20 * kind); }

}  // namespace

const WeatherStyle& StyleOf(WeatherKind kind) { return kStyles[size_t(kind)]; }

WeatherEffect::~WeatherEffect() {
  // The sprites leave their pages before the pictures they show go.
  particles_.clear();
}

double WeatherEffect::Draw() { return double(random_->Next()); }

int32_t WeatherEffect::LoadPictures() {
  const WeatherStyle& style = StyleOf(kind_);
  for (int32_t i = 0; i < style.pictures; ++i) {
    char name[32];
    std::snprintf(name, sizeof name, style.pictureFormat, int(i));
    auto picture = std::unique_ptr<Surface>(new (std::nothrow) Surface);
    if (!picture) return kBuildFailed;
    if (picture->LoadImage(name, nullptr, 0, 0) != 0 || picture->GetBits() == nullptr) return kNoPicture;
    pictures_.push_back(std::move(picture));
  }
  return 0;
}

int32_t WeatherEffect::SetupV(TimerList* timerList, const ObjectArgument& target, const ObjectArguments& cells) {
  random_ = OverlayEffectRandom();
  const int32_t count = cells.Cell(0);
  const OverlayPages pages = FindOverlayPages(target.Object<LayerHost>());
  if (random_ == nullptr || count < 1 || timerList == nullptr || pages.host == nullptr ||
      pages.first == nullptr || pages.screen == nullptr)
    return kBadArguments;
  if (pages.second == nullptr) return kNoSecondPage;
  host_ = pages.host;
  screenWidth_ = pages.screen->GetWidth();
  screenHeight_ = pages.screen->GetHeight();
  particles_.clear();
  pictures_.clear();
  int32_t result = 0;
  try {
    result = LoadPictures();
    if (result == 0 && count > kMaxParticles) result = kBuildFailed;
    if (result == 0) {
      scale_ = DecimalCell(cells, 4, 0.0, kScaleDecimals);
      if (scale_ == 0.0) scale_ = 1.0;
      showFirst_ = cells.Cell(5) != 0;
      showSecond_ = cells.Cell(6) != 0;
      particles_.resize(size_t(count));
      const WeatherStyle& style = StyleOf(kind_);
      for (WeatherParticle& p : particles_) {
        const int32_t draw = random_->Next();
        const int32_t kind = kind_ == WeatherKind::Paper ? (draw & 7) : Modulo(draw, style.kinds);
        const uint32_t order =
            uint32_t(int64_t{cells.Cell(1)} + int64_t{kind} * cells.Cell(2) / style.orderDivisor);
        if (!InitParticle(p, kind, order)) {
          result = kBuildFailed;
          break;
        }
        if (cells.Cell(3) != 0) Launch(p, true);
      }
    }
  } catch (const std::bad_alloc&) {
    result = kBuildFailed;
  }
  stopRequested_ = false;
  if (result == 0 && timerList->Add(this, kInterval, kInterval, 0) != 0) result = kNotStarted;
  if (result != 0) {
    // Nothing stays on the pages.
    particles_.clear();
    pictures_.clear();
    return result;
  }
  if (cells.Cell(3) == 0) Launch(particles_.front(), false);
  return 0;
}

bool WeatherEffect::InitParticle(WeatherParticle& p, int32_t kind, uint32_t order) {
  const WeatherStyle& style = StyleOf(kind_);
  SpriteCanvas* canvases[2] = {host_->GetFirstPage(), host_->GetSecondPageObject()->GetLayerCanvas()};
  p.kind = kind;
  for (int i = 0; i < 2; ++i) {
    if (kind_ == WeatherKind::Rain) {
      auto box = std::make_unique<ColorBox>();
      box->Init(kDropWidth, DropHeight(kind), uint32_t(DropOpacity(kind)) << 24 | kDropRgb, 0, 0);
      p.sprites[i] = std::move(box);
    } else {
      Surface* picture = pictures_[size_t(kind)].get();
      auto sprite = std::make_unique<ImageSprite>();
      p.cellWidth = picture->GetWidth() / style.cells;
      const Rect cell{0, 0, p.cellWidth, picture->GetHeight()};
      if (p.cellWidth <= 0 || sprite->SetImage(picture, &cell, 0, 0) != 0) return false;
      p.sprites[i] = std::move(sprite);
    }
    p.sprites[i]->SetVisible(0);
    if (canvases[i]->MainList().Add(p.sprites[i].get(), order, 0) != 0) return false;
  }
  p.vx = 0;
  p.active = false;
  switch (kind_) {
    case WeatherKind::Paper:
      p.speed = Draw() * 4e-9 + (kind >= 4 ? 4.3 : 0.0) + 0.8 * kind + 7.9;
      p.ax = Draw() * 1e-9;
      break;
    case WeatherKind::Light: {
      p.speed = Draw() * 2e-9 + 0.8 * kind + 1.9;
      const double vx = Draw() * 2e-10 + 0.8 * kind + 1.9;
      p.vx = (random_->Next() & 1) != 0 ? -vx : vx;
      p.ax = Draw() * 1e-9;
      break;
    }
    case WeatherKind::Snow:
      p.speed = Draw() * 6e-10 + 2.4 * kind + 5.7;
      p.ax = Draw() * 1e-9;
      break;
    case WeatherKind::Rain:
      p.speed = 225.0 - 30.0 * kind + Draw() * 1.5e-8;
      p.ax = 0;
      break;
  }
  if (style.cells > 1) {
    p.frame = Modulo(random_->Next(), style.cells);
    ShowFrame(p);
  }
  return true;
}

int32_t WeatherEffect::ParticleHeight(const WeatherParticle& p) const { return p.sprites[0]->GetHeight(); }

void WeatherEffect::Launch(WeatherParticle& p, bool spread) {
  const WeatherStyle& style = StyleOf(kind_);
  p.x = screenWidth_ * Draw() * 1e-9;
  if (style.rises) {
    p.y = screenHeight_;
    if (spread) p.y -= screenHeight_ * Draw() * 1e-9;
  } else {
    p.y = -double(ParticleHeight(p));
    if (spread) p.y += screenHeight_ * Draw() * 1e-9;
  }
  p.active = true;
  PlaceSprites(p);
  p.sprites[0]->SetVisible(showFirst_ ? 1 : 0);
  p.sprites[1]->SetVisible(showSecond_ ? 1 : 0);
  if (style.cells > 1) {
    p.frame = Modulo(random_->Next(), style.cells);
    ShowFrame(p);
  }
  if (kind_ == WeatherKind::Light) p.twinkle = uint16_t(Modulo(random_->Next(), 510));
}

void WeatherEffect::PlaceSprites(WeatherParticle& p) {
  for (auto& sprite : p.sprites) sprite->SetPosition(Trunc(p.x), Trunc(p.y));
}

void WeatherEffect::ShowFrame(WeatherParticle& p) {
  for (auto& sprite : p.sprites) static_cast<ImageSprite*>(sprite.get())->SetSourceOffset(p.frame * p.cellWidth, 0);
}

int32_t WeatherEffect::StepParticle(WeatherParticle& p) {
  const WeatherStyle& style = StyleOf(kind_);
  if (!p.active) {
    if (stopRequested_) return 1;
    if (Draw() * 1e-9 < style.launchChance) Launch(p, false);
    return 0;
  }
  p.x += scale_ * p.vx;
  const double fall = std::max(1.0, scale_ * p.speed);
  p.y += style.rises ? -fall : fall;
  if (style.walk != 0.0) {
    p.vx += p.ax;
    p.ax += (Draw() * 1e-9 - 0.5) * style.walk;
    p.vx = std::clamp(p.vx, -style.vxLimit, style.vxLimit);
    p.ax = std::clamp(p.ax, -style.axLimit, style.axLimit);
  }
  const bool left = style.rises ? p.y < -double(ParticleHeight(p)) : p.y >= screenHeight_;
  if (left) {
    if (stopRequested_) {
      p.active = false;
      for (auto& sprite : p.sprites) sprite->SetVisible(0);
    } else {
      p.x = screenWidth_ * Draw() * 1e-9;
      if (style.rises)
        p.y = screenHeight_;
      else if (kind_ == WeatherKind::Rain)
        p.y = -double(ParticleHeight(p)) * Draw() * 1e-9;
      else
        p.y = -double(ParticleHeight(p));
    }
  }
  PlaceSprites(p);
  if (stopRequested_) return p.active ? 0 : 1;
  if (style.cells > 1) {
    p.frame = (p.frame + 1) % style.cells;
    ShowFrame(p);
  }
  if (kind_ == WeatherKind::Light) {
    p.twinkle = uint16_t(p.twinkle + 32);
    if (p.twinkle >= 510) p.twinkle = 0;
    // The opacity is one byte: the twinkle wraps from dark to bright.
    const uint8_t opacity = uint8_t((510 - p.twinkle) % 256);
    for (auto& sprite : p.sprites) sprite->SetOpacity(opacity);
  }
  return 0;
}

int32_t WeatherEffect::Step(uint32_t) {
  int32_t done = 0;
  for (WeatherParticle& p : particles_) done += StepParticle(p);
  return stopRequested_ && size_t(done) == particles_.size() ? 1 : 0;
}

int32_t WeatherEffect::ControlV(const ObjectArguments& cells) {
  if (cells.Cell(0) == 0) {
    stopRequested_ = true;
    return 0;
  }
  if (particles_.empty()) return 0;
  // The host may have exchanged its pages since set-up.
  SpriteCanvas* first = host_ != nullptr ? host_->GetFirstPage() : nullptr;
  const bool inPlace = first == nullptr || particles_.front().sprites[0]->OwningList() == &first->MainList();
  showFirst_ = cells.Cell(inPlace ? 1 : 2) != 0;
  showSecond_ = cells.Cell(inPlace ? 2 : 1) != 0;
  for (WeatherParticle& p : particles_) ApplyVisibility(p);
  return 0;
}

void WeatherEffect::ApplyVisibility(WeatherParticle& p) {
  p.sprites[0]->SetVisible(p.active && showFirst_ ? 1 : 0);
  p.sprites[1]->SetVisible(p.active && showSecond_ ? 1 : 0);
}

}  // namespace orrivel
