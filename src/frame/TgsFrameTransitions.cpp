// The frame operations that the transition rows forward to: each reads its
// command's arguments in order and calls the screen transitions. Before the
// set-up, when there are no layer sets, they answer 1.
#include "frame/TgsFrame.h"
#include "frame/TgsLayerSets.h"
#include "frame/TgsScreenTransitions.h"

namespace orrivel {

namespace {

constexpr int32_t kNoLayers = 1;
constexpr int32_t kBackSet = 1;
constexpr int32_t kAllGroups = -1;
// The colours the two clearing cross-fades clear the back set to.
constexpr uint32_t kBlack = 0x000000;
constexpr uint32_t kWhite = 0xFFFFFF;
constexpr uint32_t kClearToWhiteOpcode = 108;

uint32_t Duration(const TgsOperationCall& call, size_t k) { return uint32_t(call.Int(k)); }

bool Flag(const TgsOperationCall& call, size_t k) { return call.Int(k) != 0; }

// A word handed on as the script gave it: a text (when the argument is a
// non-empty text) or the number. The text lives in the call.
ObjectArgument Word(const TgsOperationCall& call, size_t k) {
  if (!call.Text(k).empty()) return ObjectArgument(call.Text(k).c_str());
  return call.Int(k);
}

// A decimal text argument: null when the script gave none (an omitted
// argument, a number or an empty text), so the transition takes its default.
const char* DecimalText(const TgsOperationCall& call, size_t k) {
  return call.Text(k).empty() ? nullptr : call.Text(k).c_str();
}

// A command the transitions refuse (a rule picture that does not load, a
// filter index outside the table) answers -1 there; the row would read
// that as the program closing, so the frame answers 4 for it instead.
constexpr int32_t kRefusedCommand = 4;
int32_t NotClosing(int32_t code) { return code == -1 ? kRefusedCommand : code; }

// The call from argument `first` on, as the transition command reads it.
TgsOperationCall From(const TgsOperationCall& call, size_t first) {
  TgsOperationCall rest;
  rest.opcode = call.opcode;
  for (size_t k = first; k < call.Count(); ++k) {
    rest.types.push_back(k < call.types.size() ? call.types[k] : 0);
    rest.values.push_back(call.values[k]);
    rest.texts.push_back(k < call.texts.size() ? call.texts[k] : std::string());
  }
  return rest;
}

}  // namespace

// --- rule pictures -------------------------------------------------------------------------

int32_t TgsFrame::SetRuleMirrorB(const TgsOperationCall& call) {
  if (!transitions_) return kNoLayers;
  transitions_->SetRuleFlip(Flag(call, 0));
  return 0;
}

int32_t TgsFrame::SetRuleMirrorA(const TgsOperationCall& call) {
  if (!transitions_) return kNoLayers;
  transitions_->SetRuleMirror(Flag(call, 0));
  return 0;
}

// --- running and stopping ----------------------------------------------------------------------

int32_t TgsFrame::RunTransition(const TgsOperationCall& call) {
  return transitions_ ? transitions_->RunTransition(Flag(call, 0)) : 0;
}

int32_t TgsFrame::StopRunningTransition(const TgsOperationCall&) {
  if (transitions_) transitions_->StopRunningTransition();
  return 0;
}

// --- transition commands -------------------------------------------------------------------

int32_t TgsFrame::StartCross(const TgsOperationCall& call) {
  return transitions_ ? transitions_->StartCross(Duration(call, 0)) : kNoLayers;
}

int32_t TgsFrame::StartRule(const TgsOperationCall& call) {
  return transitions_ ? NotClosing(transitions_->StartRule(call.Int(0), Duration(call, 1), call.Int(2))) : kNoLayers;
}

int32_t TgsFrame::StartTrans(const TgsOperationCall& call) {
  return transitions_ ? transitions_->StartTrans(Duration(call, 0), Flag(call, 1)) : kNoLayers;
}

int32_t TgsFrame::StartFilterTransition(const TgsOperationCall& call) {
  if (!transitions_) return kNoLayers;
  return NotClosing(transitions_->StartFilterTransition(call.Int(0), Duration(call, 1), Word(call, 2),
                                                        Word(call, 3), Word(call, 4)));
}

int32_t TgsFrame::StartScroll(const TgsOperationCall& call) {
  if (!transitions_) return kNoLayers;
  return transitions_->StartScroll(Duration(call, 0), uint8_t(call.Int(1)), uint8_t(call.Int(2)), DecimalText(call, 3));
}

int32_t TgsFrame::StartRipple(const TgsOperationCall& call) {
  if (!transitions_) return kNoLayers;
  return transitions_->StartRipple(Duration(call, 0), DecimalText(call, 1), call.Int(2), call.Int(3), call.Int(4),
                                   call.Int(5), DecimalText(call, 6));
}

// --- changes of the back set followed by a transition -------------------------------------------

// The back set cleared (black, or white for the second row) with no
// sprites, then "cross" with the command's own arguments.
int32_t TgsFrame::ClearAndCross(const TgsOperationCall& call) {
  if (!layers_) return kNoLayers;
  layers_->ClearLayer(call.opcode == kClearToWhiteOpcode ? kWhite : kBlack, kBackSet);
  layers_->ClearSpriteGroup(kBackSet, kAllGroups);
  return StartCross(call);
}

// A picture into the back set, without its effects and sprites; then the
// transition with the arguments after the name. A picture that does not
// load ends the command with nothing changed on screen.
int32_t TgsFrame::LoadBackPicture(const TgsOperationCall& call) {
  if (!layers_) return kNoLayers;
  if (layers_->LoadLayerImage(call.Text(0), kBackSet) != 0) return 1;
  layers_->ApplyLayerImageEffects(0, false, false, false, kBackSet);
  layers_->ClearSpriteGroup(kBackSet, kAllGroups);
  return 0;
}

int32_t TgsFrame::LoadLayerAndCross(const TgsOperationCall& call) {
  if (LoadBackPicture(call) != 0) return 0;
  return StartCross(From(call, 1));
}

int32_t TgsFrame::LoadLayerAndRule(const TgsOperationCall& call) {
  if (LoadBackPicture(call) != 0) return 0;
  return StartRule(From(call, 1));
}

int32_t TgsFrame::LoadLayerAndTrans(const TgsOperationCall& call) {
  if (LoadBackPicture(call) != 0) return 0;
  return StartTrans(From(call, 1));
}

// Number, name (none clears), place, time, group: the back set becomes the
// front with that sprite changed, and crosses over.
int32_t TgsFrame::ChangeSpriteAndCross(const TgsOperationCall& call) {
  if (!layers_ || !transitions_) return kNoLayers;
  const int32_t number = call.Int(0), place = call.Int(2), group = call.Int(4);
  layers_->PrepareBackLayers();
  if (layers_->FindSprite(number, kBackSet, group) &&
      layers_->ParseSpriteName(number, call.Text(1), kBackSet, group) == 0 && !call.Text(1).empty() && place >= 0)
    layers_->MoveSprite(number, place, false, kBackSet, group);
  return transitions_->StartCross(Duration(call, 3));
}

// Group, time, rule (omitted: a cross-fade), edge: the back set becomes the
// front without that group's sprites.
int32_t TgsFrame::ClearSpritesAndCross(const TgsOperationCall& call) {
  if (!layers_ || !transitions_) return kNoLayers;
  layers_->PrepareBackLayers();
  layers_->ClearSpriteGroup(kBackSet, call.Int(0));
  if (call.Given(2)) return NotClosing(transitions_->StartRule(call.Int(2), Duration(call, 1), call.Int(3)));
  return transitions_->StartCross(Duration(call, 1));
}

// --- the screen quake filter ---------------------------------------------------------------

// Amplitude, x, y, duration (0: endless), end scale text, fill, whole
// screen, low priority.
int32_t TgsFrame::StartQuakeFilter(const TgsOperationCall& call) {
  if (!transitions_) return kNoLayers;
  return transitions_->StartQuakeFilter(call.Int(0), call.Int(1), call.Int(2), Duration(call, 3), DecimalText(call, 4),
                                        uint8_t(call.Int(5)), uint8_t(call.Int(6)), Flag(call, 7));
}

std::array<int32_t, 6> TgsFrame::QuakeFilterRecord() const {
  if (!transitions_) return {};
  const TgsScreenTransitions::QuakeRecord& q = transitions_->Quake();
  return {q.kind, q.amplitude, q.x, q.y, q.fill, q.wholeMode};
}

int32_t TgsFrame::RestartQuakeFilter(const std::array<int32_t, 6>& record) {
  if (!transitions_) return kNoLayers;
  transitions_->SetQuake({record[0], record[1], record[2], record[3], record[4], record[5]});
  return transitions_->RestartQuakeFilter();
}

// --- blocking two-phase fades ----------------------------------------------------------------

// Time, colour: through the colour and back.
int32_t TgsFrame::FlashLayer(const TgsOperationCall& call) {
  return transitions_ ? transitions_->FadeThroughColour(Duration(call, 0), uint32_t(call.Int(1))) : kNoLayers;
}

// Picture, time, colour.
int32_t TgsFrame::ChangeBackgroundInTwoPhases(const TgsOperationCall& call) {
  if (!transitions_) return kNoLayers;
  return transitions_->ChangeBackgroundWithFade(call.Text(0), Duration(call, 1), uint32_t(call.Int(2)));
}

}  // namespace orrivel
