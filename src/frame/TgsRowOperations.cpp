// The frame operations that opcode rows forward to and that live in the
// message window state or the layer sets: each reads its command's
// arguments in order (the row's defaults already in place) and calls the
// one operation that does the work. Layer and sprite rows before the
// set-up, when there are no layer sets, answer 1.
#include "frame/MessageWindowState.h"
#include "frame/TgsFrame.h"
#include "frame/TgsLayerSets.h"
#include "raster/Surface.h"
#include "resource/ImageLoaderManager.h"

namespace orrivel {

namespace {

// A name argument: its text, or none (null) when omitted or empty.
const char* NameOf(const TgsOperationCall& call, size_t k) {
  return call.Text(k).empty() ? nullptr : call.Text(k).c_str();
}

uint8_t Byte(const TgsOperationCall& call, size_t k) { return uint8_t(call.Int(k)); }

bool Flag(const TgsOperationCall& call, size_t k) { return call.Int(k) != 0; }

constexpr int32_t kNoLayers = 1;

// The blur words both forms share, from argument k on: opacity, curve,
// picture, upside down, left-right, direct, blend mode, delay, keep the
// end, wait, skippable.
void ReadBlurCommon(const TgsOperationCall& call, size_t k, BgBlurCommand& c) {
  c.opacity = call.Int(k);
  c.curve = NameOf(call, k + 1);
  c.picture = NameOf(call, k + 2);
  c.upsideDown = Flag(call, k + 3);
  c.leftRight = Flag(call, k + 4);
  c.direct = Flag(call, k + 5);
  c.blendMode = call.Int(k + 6);
  c.delay = call.Int(k + 7);
  c.keepEnd = Flag(call, k + 8);
  c.wait = Flag(call, k + 9);
  c.skippable = Flag(call, k + 10);
}

}  // namespace

// --- the message window ------------------------------------------------------------------

int32_t TgsFrame::FadeMessageWindow(const TgsOperationCall& call) {
  return windowState_->FadeMessageWindow(Flag(call, 0), uint32_t(call.Int(1)), Flag(call, 2));
}

int32_t TgsFrame::ReleaseWindowActions(int32_t entry) { return windowState_->ReleaseWindowActions(entry); }

int32_t TgsFrame::ShowMessageWindow(const TgsOperationCall& call) {
  windowState_->ShowMessageWindow(Flag(call, 0), true);
  return 0;
}

// --- background layers -------------------------------------------------------------------

int32_t TgsFrame::LoadLayerImage(const TgsOperationCall& call) {
  if (!layers_) return kNoLayers;
  return layers_->LoadLayerImage(call.Text(0), call.Int(1));
}

int32_t TgsFrame::ClearLayer(const TgsOperationCall& call) {
  return layers_ ? layers_->ClearLayer(uint32_t(call.Int(0)), call.Int(1)) : kNoLayers;
}

int32_t TgsFrame::SetLayerColour(const TgsOperationCall& call) {
  return layers_ ? layers_->SetLayerColour(uint32_t(call.Int(0)), call.Int(1)) : kNoLayers;
}

int32_t TgsFrame::ApplyLayerImageEffects(const TgsOperationCall& call) {
  if (!layers_) return kNoLayers;
  return layers_->ApplyLayerImageEffects(Byte(call, 0), Flag(call, 1), Flag(call, 2), Flag(call, 3), call.Int(4));
}

int32_t TgsFrame::ApplyLayerPixelOp(const TgsOperationCall& call) {
  return layers_ ? layers_->ApplyLayerPixelOp(Byte(call, 0), call.Int(1)) : kNoLayers;
}

int32_t TgsFrame::SetLayerPosition(const TgsOperationCall& call) {
  return layers_ ? layers_->SetLayerPosition(call.Int(0), call.Int(1), call.Int(2)) : kNoLayers;
}

int32_t TgsFrame::CaptureScreenToLayer(const TgsOperationCall& call) {
  return layers_ ? layers_->CaptureScreenToLayer(Byte(call, 0), call.Int(1)) : kNoLayers;
}

int32_t TgsFrame::SetLayerClip(const TgsOperationCall& call) {
  if (!layers_) return kNoLayers;
  return layers_->SetLayerClip(call.Int(0), call.Int(1), call.Int(2), call.Int(3), call.Int(4));
}

int32_t TgsFrame::SetLayerZoom(const TgsOperationCall& call) {
  return layers_ ? layers_->SetLayerZoom(call.Int(0), call.Int(1), NameOf(call, 2), call.Int(3)) : kNoLayers;
}

int32_t TgsFrame::SetLayerRotation(const TgsOperationCall& call) {
  if (!layers_) return kNoLayers;
  return layers_->SetLayerRotation(call.Int(0), NameOf(call, 1), call.Int(2), call.Int(3), call.Int(4));
}

// --- layer animations --------------------------------------------------------------------

int32_t TgsFrame::SetLayerAnimation(const TgsOperationCall& call) {
  if (!layers_) return kNoLayers;
  return layers_->SetLayerAnimation(NameOf(call, 0), call.Int(1), call.Int(2), call.Int(3));
}

int32_t TgsFrame::SetLayerMovie(const TgsOperationCall& call) {
  return layers_ ? layers_->SetLayerMovie(NameOf(call, 0), call.Int(1)) : kNoLayers;
}

int32_t TgsFrame::ControlLayerAnimation(const TgsOperationCall& call) {
  if (!layers_) return kNoLayers;
  return layers_->ControlLayerAnimation(call.Int(0), call.Int(1), call.Int(2), call.Int(3));
}

int32_t TgsFrame::WaitLayerAnimationFrame(const TgsOperationCall& call) {
  return layers_ ? layers_->WaitLayerAnimationFrame(call.Int(0)) : kNoLayers;
}

// A skipped wait ends the animation itself (request 4).
int32_t TgsFrame::WaitLayerAnimationAndControl(const TgsOperationCall& call) {
  return layers_ ? layers_->WaitLayerAnimation(call.Int(0), Flag(call, 1)) : kNoLayers;
}

// --- frame switches for new sprites ----------------------------------------------------

int32_t TgsFrame::SetBgTints(const TgsOperationCall& call) {
  if (!layers_) return kNoLayers;
  layers_->tintsOn = Flag(call, 0);
  return 0;
}

int32_t TgsFrame::SetNewSpriteOrder(const TgsOperationCall& call) {
  if (!layers_) return kNoLayers;
  layers_->newSpriteOrder = Byte(call, 0);
  return 0;
}

int32_t TgsFrame::SetSpriteAutoColour(const TgsOperationCall& call) {
  if (!layers_) return kNoLayers;
  layers_->autoColourMode = Byte(call, 0);
  return 0;
}

int32_t TgsFrame::ReleaseCachedImage(const TgsOperationCall& call) {
  ImageLoaderManager* loaders = Surface::LoaderManager();
  if (!loaders || call.Text(0).empty()) return 1;
  return loaders->ReleaseCachedImage(call.Text(0));
}

// --- sprites (number first, the back set and the group last) ---------------------------

// Number, name (none clears), place (negative: stays where it is), load
// option, back set, group.
int32_t TgsFrame::ChangeSprite(const TgsOperationCall& call) {
  if (!layers_) return kNoLayers;
  const int32_t number = call.Int(0), place = call.Int(2), set = call.Int(4), group = call.Int(5);
  if (!layers_->FindSprite(number, set, group)) return 1;
  const int32_t loaded = layers_->ParseSpriteName(number, call.Text(1), set, group);
  if (loaded != 0 || call.Text(1).empty() || place < 0) return loaded;
  return layers_->MoveSprite(number, place, false, set, group);
}

int32_t TgsFrame::ApplySpriteImageEffects(const TgsOperationCall& call) {
  if (!layers_) return kNoLayers;
  return layers_->ApplySpriteImageEffects(call.Int(0), Byte(call, 1), Flag(call, 2), Flag(call, 3), call.Int(4),
                                          call.Int(5));
}

int32_t TgsFrame::SetSpriteState(const TgsOperationCall& call) {
  return layers_ ? layers_->SetSpriteState(call.Int(0), Byte(call, 1), call.Int(2), call.Int(3)) : kNoLayers;
}

int32_t TgsFrame::MoveSprite(const TgsOperationCall& call) {
  if (!layers_) return kNoLayers;
  return layers_->MoveSprite(call.Int(0), call.Int(1), Flag(call, 2), call.Int(3), call.Int(4));
}

int32_t TgsFrame::SetSpritePosition(const TgsOperationCall& call) {
  if (!layers_) return kNoLayers;
  return layers_->SetSpritePosition(call.Int(0), call.Int(1), call.Int(2), call.Int(3), call.Int(4));
}

int32_t TgsFrame::SendSpriteToBack(const TgsOperationCall& call) {
  if (!layers_) return kNoLayers;
  return layers_->SendSpriteToBack(call.Int(0), call.Int(1), call.Int(2), Flag(call, 3));
}

int32_t TgsFrame::BringSpriteToFront(const TgsOperationCall& call) {
  if (!layers_) return kNoLayers;
  return layers_->BringSpriteToFront(call.Int(0), call.Int(1), call.Int(2), Flag(call, 3));
}

int32_t TgsFrame::ClearSpriteGroup(const TgsOperationCall& call) {
  return layers_ ? layers_->ClearSpriteGroup(call.Int(0), call.Int(1)) : kNoLayers;
}

// --- layer effects ----------------------------------------------------------------------

int32_t TgsFrame::StartBgZoom(const TgsOperationCall& call) {
  if (!layers_) return kNoLayers;
  return layers_->StartBgZoom(call.Int(0), call.Int(1), call.Int(2), NameOf(call, 3), NameOf(call, 4), call.Int(5));
}

int32_t TgsFrame::StartBgRot(const TgsOperationCall& call) {
  if (!layers_) return kNoLayers;
  return layers_->StartBgRot(call.Int(0), call.Int(1), NameOf(call, 2), call.Int(3), call.Int(4), NameOf(call, 5),
                             call.Int(6));
}

int32_t TgsFrame::StartBgPanime(const TgsOperationCall& call) {
  if (!layers_) return kNoLayers;
  // An omitted slot means the layer's own holder.
  const int32_t slot = call.Given(5) ? call.Int(5) : -1;
  return layers_->StartBgPanime(call.Int(0), NameOf(call, 1), call.Int(2), call.Int(3), call.Int(4), slot);
}

int32_t TgsFrame::ControlBgPanime(const TgsOperationCall& call) {
  return layers_ ? layers_->ControlBgPanime(NameOf(call, 0), call.Int(1)) : kNoLayers;
}

// Layer, x, y, time, start zoom, end zoom, end angle, start angle, opacity,
// curve, picture, upside down, left-right, direct, blend mode, delay, keep
// the end, wait, skippable.
int32_t TgsFrame::StartBgBlur(const TgsOperationCall& call) {
  if (!layers_) return kNoLayers;
  BgBlurCommand c;
  c.x = call.Int(1);
  c.y = call.Int(2);
  c.duration = call.Int(3);
  c.startZoom = NameOf(call, 4);
  c.endZoom = NameOf(call, 5);
  c.endAngle = NameOf(call, 6);
  c.startAngle = NameOf(call, 7);
  ReadBlurCommon(call, 8, c);
  return layers_->StartBgBlur(call.Int(0), c);
}

// Layer, point list, time, smooth, then as the zoom form from the opacity.
int32_t TgsFrame::StartBgBlurPath(const TgsOperationCall& call) {
  if (!layers_) return kNoLayers;
  BgBlurCommand c;
  c.path = NameOf(call, 1);
  if (!c.path) return 2;
  c.duration = call.Int(2);
  c.smooth = Flag(call, 3);
  ReadBlurCommon(call, 4, c);
  return layers_->StartBgBlur(call.Int(0), c);
}

// Layer, x, y, zoom text, angle text.
int32_t TgsFrame::ChangeBgBlur(const TgsOperationCall& call) {
  if (!layers_) return kNoLayers;
  return layers_->ChangeBgBlur(call.Int(0), call.Int(1), call.Int(2), NameOf(call, 3), NameOf(call, 4));
}

// Layer, skippable; in a chain of cut-short waits the row ends the effect
// instead.
int32_t TgsFrame::WaitForAction(const TgsOperationCall& call) {
  if (!layers_) return kNoLayers;
  return layers_->WaitForAction(layers_->GetLayer(call.Int(0)).effect, Flag(call, 1));
}

int32_t TgsFrame::ReleaseActionSlot(const TgsOperationCall& call) {
  if (!layers_) return kNoLayers;
  layers_->ReleaseActionSlot(layers_->GetLayer(call.Int(0)).effect);
  return 0;
}

int32_t TgsFrame::StartNoise(const TgsOperationCall& call) {
  return layers_ ? layers_->StartNoise(call.Int(0), call.Int(1), call.Int(2), call.Int(3)) : kNoLayers;
}

int32_t TgsFrame::StartBgDistortion(const TgsOperationCall& call) {
  if (!layers_) return kNoLayers;
  return layers_->StartBgDistortion(call.Int(0), call.Int(1), call.Int(2), call.Int(3), call.Int(4), call.Int(5),
                                    call.Int(6), call.Int(7), call.Int(8));
}

int32_t TgsFrame::StartBgLoop(const TgsOperationCall& call) {
  return layers_ ? layers_->StartBgLoop(call.Int(0), call.Int(1), call.Int(2), call.Int(3)) : kNoLayers;
}

int32_t TgsFrame::StartSpMovie(const TgsOperationCall& call) {
  if (!layers_) return kNoLayers;
  return layers_->StartSpMovie(NameOf(call, 0), call.Int(1), call.Int(2), call.Int(3), call.Int(4), call.Int(5),
                               call.Int(6));
}

int32_t TgsFrame::StartSpParts(const TgsOperationCall& call) {
  if (!layers_) return kNoLayers;
  return layers_->StartSpParts(NameOf(call, 0), call.Int(1), call.Int(2), call.Int(3), call.Int(4), call.Int(5),
                               call.Int(6));
}

int32_t TgsFrame::StartBgCross(const TgsOperationCall& call) {
  return layers_ ? layers_->StartBgCross(call.Int(0), call.Int(1), call.Int(2), call.Int(3)) : kNoLayers;
}

int32_t TgsFrame::StartWeather(const TgsOperationCall& call) {
  if (!layers_) return kNoLayers;
  return layers_->StartWeather(call.Int(0), call.Int(1), call.Int(2), call.Int(3), NameOf(call, 4), call.Int(5),
                               call.Int(6));
}

int32_t TgsFrame::ControlEffectSlot(const TgsOperationCall& call) {
  return layers_ ? layers_->ControlEffectSlot(uint32_t(call.Int(0)), call.Int(1), call.Int(2)) : kNoLayers;
}

int32_t TgsFrame::EndEffectSlot(const TgsOperationCall& call) {
  return layers_ ? layers_->EndEffectSlot(uint32_t(call.Int(0)), Flag(call, 1)) : kNoLayers;
}

// Slot, skippable. In a chain of cut-short waits the row ends the slot
// instead, its skippable argument reading as "immediate".
int32_t TgsFrame::WaitEffectSlot(const TgsOperationCall& call) {
  const uint32_t slot = uint32_t(call.Int(0));
  if (!layers_ || slot >= TgsLayerSets::kEffectSlots) return kNoLayers;
  return layers_->WaitForAction(layers_->GetEffectSlot(slot).holder, Flag(call, 1));
}

// --- sprite actions (number first, the back set and the group last) ---------------------

// Number, name, place, duration, load option, back set, group.
int32_t TgsFrame::StartSpCrossFade(const TgsOperationCall& call) {
  if (!layers_) return kNoLayers;
  return layers_->StartSpCrossFade(call.Int(0), NameOf(call, 1), call.Int(2), call.Int(3), call.Int(5), call.Int(6));
}

// Number, name, speed, loop, back set, group.
int32_t TgsFrame::StartSpPanime(const TgsOperationCall& call) {
  if (!layers_) return kNoLayers;
  return layers_->StartSpPanime(call.Int(0), call.Int(4), call.Int(5), NameOf(call, 1), call.Int(2), Flag(call, 3));
}

// Number, name, back set, group.
int32_t TgsFrame::ControlSpPanime(const TgsOperationCall& call) {
  if (!layers_) return kNoLayers;
  return layers_->ControlSpPanime(call.Int(0), call.Int(2), call.Int(3), NameOf(call, 1));
}

// Number, name, time, key text, zoom, style, back set, group.
int32_t TgsFrame::StartSpChange(const TgsOperationCall& call) {
  if (!layers_) return kNoLayers;
  return layers_->StartSpChange(call.Int(0), NameOf(call, 1), NameOf(call, 3), call.Int(2), Flag(call, 4), call.Int(5),
                                call.Int(6), call.Int(7));
}

// Number, keep, word, back set, group.
int32_t TgsFrame::LoadSpPartsTable(const TgsOperationCall& call) {
  if (!layers_) return kNoLayers;
  return layers_->LoadSpPartsTable(call.Int(0), call.Int(3), call.Int(4), Flag(call, 1), call.Int(2));
}

// Number, skippable, back set, group; in a chain of cut-short waits the row
// stops the action instead, its skippable argument reading as "immediate".
int32_t TgsFrame::WaitSpriteAction(const TgsOperationCall& call) {
  if (!layers_) return kNoLayers;
  return layers_->WaitSpriteAction(call.Int(0), call.Int(2), call.Int(3), Flag(call, 1));
}

// Number, immediate, back set, group.
int32_t TgsFrame::StopSpriteAction(const TgsOperationCall& call) {
  if (!layers_) return kNoLayers;
  return layers_->StopSpriteAction(call.Int(0), call.Int(2), call.Int(3), Flag(call, 1));
}

int32_t TgsFrame::StartQuake(const TgsOperationCall& call) {
  if (!layers_) return kNoLayers;
  return layers_->StartQuake(call.Int(0), call.Int(1), call.Int(2), call.Int(3), call.Int(4), call.Int(5),
                             call.Int(6), call.Int(7), call.Int(8), call.Int(9));
}

int32_t TgsFrame::WaitQuake(const TgsOperationCall& call) {
  return layers_ ? layers_->WaitQuake(call.Int(0), Flag(call, 1)) : kNoLayers;
}

int32_t TgsFrame::StopQuake(const TgsOperationCall& call) {
  return layers_ ? layers_->StopQuake(call.Int(0)) : kNoLayers;
}

int32_t TgsFrame::PrepareBackLayers(const TgsOperationCall&) {
  if (!layers_) return kNoLayers;
  layers_->PrepareBackLayers();
  return 0;
}

TgsOperationCall TgsFrame::MakeCall(uint32_t opcode, std::initializer_list<int32_t> values) {
  TgsOperationCall call;
  call.opcode = opcode;
  for (const int32_t value : values) {
    call.types.push_back(1);
    call.values.push_back(uint32_t(value));
    call.texts.emplace_back();
  }
  return call;
}

}  // namespace orrivel
