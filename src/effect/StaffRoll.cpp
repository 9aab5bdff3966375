#include "effect/StaffRoll.h"

#include <algorithm>
#include <cmath>
#include <new>

#include "base/TimerList.h"
#include "raster/SpriteList.h"
#include "scene/CanvasDrawObject.h"
#include "scene/SpriteCanvas.h"
#include "sound/SoundManager.h"
#include "sound/SoundTask.h"

namespace orrivel {
namespace {

// Blend mode of text lines: their surfaces carry the text's coverage as
// alpha.
constexpr uint8_t kTextBlendMode = 2;

int32_t Lerp(int32_t from, int32_t to, double p) {
  return from + static_cast<int32_t>(std::trunc(double(to - from) * p));
}

}  // namespace

StaffRoll::~StaffRoll() { Clear(); }

void StaffRoll::Clear() {
  lines_.clear();
  groups_.clear();
}

bool StaffRoll::MakeTextSurface(const StaffRollEntry& entry, Surface& surface) {
  const StaffRollFont& f = entry.font;
  if (!fontMade_ || entry.remakeFont) {
    if (font_.SetFont(f.size, f.bold, f.italic, f.face.c_str()) != 0) return false;
    fontMade_ = true;
  }
  font_.textRed = uint8_t(f.colour >> 16);
  font_.textGreen = uint8_t(f.colour >> 8);
  font_.textBlue = uint8_t(f.colour);
  Size size{};
  int32_t left = 0, top = 0;
  font_.MeasureText(entry.text.c_str(), &size, &left, &top, true, nullptr);
  // An empty text still makes a line (of nothing).
  if (surface.Create(std::max(1, size.width), std::max(1, size.height), 32, 0) != 0) return false;
  surface.FillRect(0, nullptr);
  return entry.text.empty() || font_.DrawTextClipped(&surface, -left, -top, entry.text.c_str(), nullptr, nullptr) == 0;
}

int32_t StaffRoll::Load(const char* fileName, SpriteCanvas* canvas, int32_t screenWidth) {
  Clear();
  if (canvas == nullptr) return kLayoutNoName;
  // Every layout starts from the default font.
  fontMade_ = false;
  int32_t result = layout_.Load(fileName);
  if (result != kLayoutOk) return result;
  using Kind = StaffRollEntry::Kind;
  try {
    std::vector<Surface*> surfaces(layout_.Entries().size(), nullptr);
    for (size_t i = 0; i < layout_.Entries().size() && result == kLayoutOk; ++i) {
      const StaffRollEntry& e = layout_.Entries()[i];
      if (e.kind == Kind::Text || e.kind == Kind::Picture) {
        auto line = std::make_unique<Line>();
        if (e.kind == Kind::Text && !MakeTextSurface(e, line->surface)) result = kLayoutTextSurfaceFailed;
        if (e.kind == Kind::Picture && line->surface.LoadImage(e.text.c_str(), nullptr, 0, 0) != 0) {
          result = kLayoutPictureFailed;
        }
        surfaces[i] = &line->surface;
        lines_.push_back(std::move(line));
      } else if (e.kind == Kind::Group) {
        auto group = std::make_unique<Group>();
        if (group->surface.LoadImage(e.text.c_str(), nullptr, 0, 0) != 0) result = kLayoutGroupPictureFailed;
        groups_.push_back(std::move(group));
      }
    }
    if (result != kLayoutOk) {
      Clear();
      return result;
    }
    layout_.Place(screenWidth, [&surfaces](size_t i, int32_t* w, int32_t* h) {
      *w = surfaces[i]->GetWidth();
      *h = surfaces[i]->GetHeight();
    });
    size_t line = 0, group = 0;
    for (const StaffRollEntry& e : layout_.Entries()) {
      if (e.kind == Kind::Text || e.kind == Kind::Picture) {
        Line& l = *lines_[line++];
        l.sprite.SetImage(&l.surface, nullptr, 0, 0);
        l.baseY = e.baseY;
        l.sprite.SetPosition(e.placedX, e.baseY);
        if (e.kind == Kind::Text) l.sprite.SetBlendMode(kTextBlendMode);
        canvas->MainList().Add(&l.sprite, 0, 0);
      } else if (e.kind == Kind::Group) {
        Group& g = *groups_[group++];
        g.place = e;
        g.sprite.SetImage(&g.surface, nullptr, 0, 0);
        g.sprite.SetVisible(0);
        g.sprite.SetOpacity(0);
        g.sprite.SetPosition(e.x, e.y);
        canvas->MainList().Add(&g.sprite, e.order, 0);
      }
    }
  } catch (const std::bad_alloc&) {
    Clear();
    return kLayoutFailed;
  }
  return kLayoutOk;
}

int32_t StaffRoll::SetupV(TimerList* timerList, const ObjectArgument& target, const ObjectArguments& cells) {
  auto* object = target.Object<CanvasDrawObject>();
  if (timerList == nullptr || object == nullptr || object->GetCanvas() == nullptr) return kBadTarget;
  if (Load(TextOrNull(cells.Text(0)), object->GetCanvas(), object->ImageWidth()) != kLayoutOk) {
    return kLayoutFailedToLoad;
  }
  if (lines_.empty()) {
    Clear();
    return kNoLines;
  }
  if (layout_.HasMusic() && GetSoundManager() == nullptr) {
    Clear();
    return kNoSoundManager;
  }
  scrollMs_ = layout_.ScrollMs();
  started_ = false;
  state_ = kRunning;
  if (timerList->Add(this, 0, 0, 0) != 0) {
    state_ = kIdle;
    Clear();
    return kRefused;
  }
  EnterLowPriority();
  return 0;
}

int32_t StaffRoll::ControlV(const ObjectArguments& cells) {
  if (cells.Cell(0) != 0) return -1;
  speed_ = std::max(1, cells.Cell(1));
  return 0;
}

int32_t StaffRoll::QueryV(const ObjectArguments&) { return state_; }

void StaffRoll::StartMusic() {
  SoundManager* sound = GetSoundManager();
  if (!layout_.HasMusic() || sound == nullptr) return;
  sound->PlayMusic(layout_.Music().c_str(), nullptr, false);
  if (scrollMs_ == 0) scrollMs_ = sound->ActiveMusic().sound.GetLengthMs();
  musicStarted_ = true;
}

void StaffRoll::FadeOutMusic() {
  SoundManager* sound = GetSoundManager();
  if (!layout_.HasMusic() || sound == nullptr) return;
  MusicStream& music = sound->ActiveMusic();
  if (!music.sound.IsPlaying(nullptr, nullptr)) return;
  auto* fade = new (std::nothrow) MusicFadeOutTask(layout_.FadeMs());
  if (fade != nullptr && fade->Start(sound->GetTimerList(), sound, &music) != 0) delete fade;
}

int32_t StaffRoll::End() {
  if (musicStarted_) {
    if (SoundManager* sound = GetSoundManager()) sound->StopMusic();
    musicStarted_ = false;
  }
  if (layout_.FinishAtEnd()) return -1;
  state_ = kHolding;
  return 0;
}

void StaffRoll::AdvanceGroups(int32_t scrolled, uint32_t elapsed) {
  for (auto& g : groups_) {
    const StaffRollEntry& p = g->place;
    switch (g->phase) {
      case kWaiting:
        if (scrolled >= p.startHeight) {
          g->phase = kFadingIn;
          g->fadeInStart = elapsed;
          g->sprite.SetVisible(1);
        }
        break;
      case kFadingIn:
        if (elapsed >= g->fadeInStart + p.fadeInMs) {
          g->sprite.SetOpacity(p.maxOpacity);
          g->phase = kShown;
        } else {
          g->sprite.SetOpacity(uint8_t(double(elapsed - g->fadeInStart) / p.fadeInMs * p.maxOpacity));
        }
        break;
      case kShown:
        if (scrolled >= p.endHeight) {
          g->phase = kFadingOut;
          g->fadeOutStart = elapsed;
        }
        break;
      case kFadingOut:
        if (elapsed >= g->fadeOutStart + p.fadeOutMs) {
          g->phase = kGone;
          g->sprite.SetVisible(0);
        } else {
          g->sprite.SetOpacity(
              uint8_t(double(g->fadeOutStart + p.fadeOutMs - elapsed) / p.fadeOutMs * p.maxOpacity));
        }
        break;
      default:
        break;
    }
    if (g->phase == kWaiting) continue;
    // A group without span stays at its start; the position goes on past
    // its end.
    const double at = p.span != 0 ? double(scrolled - p.startHeight) / p.span : 0.0;
    g->sprite.SetPosition(Lerp(p.x, p.endX, at), Lerp(p.y, p.endY, at));
  }
}

int32_t StaffRoll::Step(uint32_t now) {
  if (state_ == kHolding) return 0;
  const int32_t total = layout_.TotalHeight();
  if (!started_) {
    StartMusic();
    rate_ = scrollMs_ != 0 ? double(total) / scrollMs_ : 0.0;
    // A picture keeps moving through its fade-out.
    for (auto& g : groups_) g->place.span += int32_t(std::trunc(g->place.fadeOutMs * rate_));
    scrollDone_ = false;
    fadeStarted_ = false;
    speed_ = 1;
    started_ = true;
    startTick_ = lastTick_ = now;
  }
  const uint32_t elapsed = now - startTick_;
  if (speed_ > 1) startTick_ -= (now - lastTick_) * uint32_t(speed_ - 1);
  lastTick_ = now;

  if (!scrollDone_) {
    const uint32_t e = std::min(elapsed, scrollMs_);
    // Without a scroll time the scroll is over at once: the lines stand
    // where it ends.
    const int32_t s = scrollMs_ != 0 ? int32_t(std::trunc(double(e) / scrollMs_ * total)) : total;
    for (auto& l : lines_) l->sprite.SetPosition(l->sprite.GetX(), l->baseY - s);
    AdvanceGroups(s, e);
    if (e != scrollMs_) return 0;
    scrollDone_ = true;
    if (layout_.HoldMs() == 0 && layout_.FadeMs() == 0) return End();
  }
  const uint32_t t = elapsed - scrollMs_;
  AdvanceGroups(total + int32_t(std::trunc(t * rate_)), elapsed);
  if (t < layout_.HoldMs()) return 0;
  if (!fadeStarted_) {
    FadeOutMusic();
    fadeStarted_ = true;
  }
  const uint32_t fadeMs = layout_.FadeMs();
  const uint32_t f = std::min(t - layout_.HoldMs(), fadeMs);
  const uint32_t gone = fadeMs != 0 ? uint32_t(uint64_t(f) * 255 / fadeMs) : 255;
  for (auto& l : lines_) l->sprite.SetOpacity(uint8_t(255 - gone));
  if (f == fadeMs) return End();
  return 0;
}

}  // namespace orrivel
