// The rows of the opcode table, one per opcode 12 to 134 in number order:
// its name for module sources, its handler and the defaults of omitted
// arguments. The text opcodes are the frame's own handlers; the others
// forward their arguments, in order and with the row's defaults, to one
// frame operation each (the wait commands to two: the wait and the way to
// end the awaited thing at once).
#include "frame/TgsFrame.h"

namespace orrivel {

namespace {

using Handler = int32_t (TgsFrame::*)(const TgsArguments&);
using Operation = int32_t (TgsFrame::*)(const TgsOperationCall&);

template <Handler handler>
int32_t Own(TgsFrame& frame, const TgsArguments& arguments, const TgsOpcodeRow&) {
  return (frame.*handler)(arguments);
}

int32_t Nothing(TgsFrame&, const TgsArguments&, const TgsOpcodeRow&) { return 0; }

// The operation's result only matters when the program is closing.
template <Operation operation>
int32_t Forward(TgsFrame& frame, const TgsArguments& arguments, const TgsOpcodeRow& row) {
  const int32_t result = (frame.*operation)(TgsOpcodeTable::Describe(row.number, arguments, &row));
  return result == -1 ? -1 : 0;
}

// Any negative result of the operation ends the reading as closing.
template <Operation operation>
int32_t ForwardNegative(TgsFrame& frame, const TgsArguments& arguments, const TgsOpcodeRow& row) {
  const int32_t result = (frame.*operation)(TgsOpcodeTable::Describe(row.number, arguments, &row));
  return result < 0 ? -1 : 0;
}

// A wait command whose argument `skippable` says whether a chain of waits
// cut short may pass it at once.
template <Operation wait, Operation end, size_t skippable>
int32_t Wait(TgsFrame& frame, const TgsArguments& arguments, const TgsOpcodeRow& row) {
  const TgsOperationCall call = TgsOpcodeTable::Describe(row.number, arguments, &row);
  return frame.RunWaitRow(
      call.Int(skippable) != 0, [&frame, &call] { return (frame.*wait)(call); },
      [&frame, &call] { (frame.*end)(call); });
}

TgsOpcodeRow Row(uint32_t number, const char* name, TgsRowHandler handler,
                 std::initializer_list<TgsOpcodeDefault> defaults = {}) {
  TgsOpcodeRow row;
  row.number = number;
  row.name = name;
  row.handler = handler;
  for (const TgsOpcodeDefault& given : defaults)
    if (row.defaultCount < TgsOpcodeRow::kMaxDefaults) row.defaults[row.defaultCount++] = given;
  return row;
}

// Defaults the rows share: the centre of the 1280 x 720 screen and times.
constexpr int32_t kCentreX = 640;
constexpr int32_t kCentreY = 360;

std::vector<TgsOpcodeRow> MakeRows() {
  return {
      Row(12, "message", Own<&TgsFrame::MessageId>),
      Row(13, "choices", Own<&TgsFrame::ShowChoices>),
      Row(14, "br", Own<&TgsFrame::PageNewLine>),
      Row(15, nullptr, Nothing),
      Row(16, "page", Own<&TgsFrame::PageEnd>),
      Row(17, "choose", Own<&TgsFrame::AwaitChoice>),
      Row(18, "caption", Own<&TgsFrame::SetSaveCaption>),
      Row(19, "disable_choice", Own<&TgsFrame::DisableChoice>),
      Row(20, "wait", Own<&TgsFrame::WaitOpcode>),
      Row(21, "pause", Own<&TgsFrame::PauseOpcode>),
      Row(22, "log_page", Own<&TgsFrame::CommitPageToHistory>),
      Row(23, nullptr, Nothing),
      Row(24, nullptr, Nothing),
      Row(25, nullptr, Nothing),
      Row(26, "name", Own<&TgsFrame::SetNameVoice>),
      Row(27, "ruby", Own<&TgsFrame::PageRubyStart>),
      Row(28, "ruby_text", Own<&TgsFrame::PageRubyText>),
      Row(29, "font", Own<&TgsFrame::PageFont>),
      Row(30, "window", Own<&TgsFrame::WindowVisibleOpcode>),
      Row(31, "clear_window", Own<&TgsFrame::ClearWindowOpcode>),
      Row(32, nullptr, Nothing),
      Row(33, nullptr, Nothing),
      Row(34, nullptr, Nothing),
      Row(35, nullptr, Nothing),
      Row(36, "bg", Forward<&TgsFrame::LoadLayerImage>),
      Row(37, "bg_clear", Forward<&TgsFrame::ClearLayer>),
      Row(38, "bg_colour", Forward<&TgsFrame::SetLayerColour>),
      Row(39, "bg_image_effects", Forward<&TgsFrame::ApplyLayerImageEffects>),
      Row(40, "bg_pixel_op", Forward<&TgsFrame::ApplyLayerPixelOp>),
      Row(41, "bg_position", Forward<&TgsFrame::SetLayerPosition>),
      Row(42, "bg_capture", Forward<&TgsFrame::CaptureScreenToLayer>),
      Row(43, "bg_capture2", Forward<&TgsFrame::CaptureScreenToLayer>),
      Row(44, "bg_clip", Forward<&TgsFrame::SetLayerClip>),
      Row(45, "bg_zoom_to", Forward<&TgsFrame::SetLayerZoom>, {{0, kCentreX}, {1, kCentreY}}),
      Row(46, "bg_rotation", Forward<&TgsFrame::SetLayerRotation>),
      Row(47, "bg_zoom", Forward<&TgsFrame::StartBgZoom>, {{1, kCentreX}, {2, kCentreY}, {5, 1000}}),
      Row(48, "bg_rot", Forward<&TgsFrame::StartBgRot>, {{6, 1000}}),
      Row(49, "bg_panime", Forward<&TgsFrame::StartBgPanime>, {{2, 1000}}),
      Row(50, "bg_panime_control", Forward<&TgsFrame::ControlBgPanime>),
      Row(51, "bg_blur", Forward<&TgsFrame::StartBgBlur>, {{1, kCentreX}, {2, kCentreY}, {3, 1000}}),
      Row(52, "bg_blur_path", Forward<&TgsFrame::StartBgBlurPath>, {{2, 1000}}),
      Row(53, "bg_blur2", Forward<&TgsFrame::StartBgBlur>, {{1, kCentreX}, {2, kCentreY}, {3, 1000}}),
      Row(54, "bg_blur3", Forward<&TgsFrame::StartBgBlur>, {{1, kCentreX}, {2, kCentreY}, {3, 1000}}),
      Row(55, "bg_blur_path2", Forward<&TgsFrame::StartBgBlurPath>, {{2, 1000}}),
      Row(56, "bg_blur_path3", Forward<&TgsFrame::StartBgBlurPath>, {{2, 1000}}),
      Row(57, "bg_blur_change", Forward<&TgsFrame::ChangeBgBlur>, {{1, kCentreX}, {2, kCentreY}}),
      Row(58, "wait_action", Wait<&TgsFrame::WaitForAction, &TgsFrame::ReleaseActionSlot, 1>),
      Row(59, "release_action", Forward<&TgsFrame::ReleaseActionSlot>),
      Row(60, "noise", Forward<&TgsFrame::StartNoise>),
      Row(61, "bg_distortion", Forward<&TgsFrame::StartBgDistortion>),
      Row(62, "bg_loop", Forward<&TgsFrame::StartBgLoop>),
      Row(63, "sp_movie", Forward<&TgsFrame::StartSpMovie>),
      Row(64, "sp_parts", Forward<&TgsFrame::StartSpParts>),
      Row(65, "bg_cross", Forward<&TgsFrame::StartBgCross>),
      Row(66, "weather", Forward<&TgsFrame::StartWeather>),
      Row(67, "effect_control", Forward<&TgsFrame::ControlEffectSlot>),
      Row(68, "effect_end", Forward<&TgsFrame::EndEffectSlot>),
      Row(69, "wait_effect", Wait<&TgsFrame::WaitEffectSlot, &TgsFrame::EndEffectSlot, 1>),
      Row(70, "bg_anime", Forward<&TgsFrame::SetLayerAnimation>),
      Row(71, "bg_movie", Forward<&TgsFrame::SetLayerMovie>),
      Row(72, "bg_anime2", Forward<&TgsFrame::SetLayerAnimation>),
      Row(73, "bg_anime_control", Forward<&TgsFrame::ControlLayerAnimation>),
      Row(74, "bg_anime_wait_frame", Forward<&TgsFrame::WaitLayerAnimationFrame>),
      Row(75, "bg_anime_control2", Forward<&TgsFrame::ControlLayerAnimation>),
      Row(76, "bg_anime_wait", Forward<&TgsFrame::WaitLayerAnimationAndControl>),
      Row(77, "bg_tints", Forward<&TgsFrame::SetBgTints>),
      Row(78, "sp_order", Forward<&TgsFrame::SetNewSpriteOrder>),
      Row(79, "sp", Forward<&TgsFrame::ChangeSprite>),
      Row(80, "sp_image_effects", Forward<&TgsFrame::ApplySpriteImageEffects>),
      Row(81, "sp_state", Forward<&TgsFrame::SetSpriteState>),
      Row(82, "sp_move", Forward<&TgsFrame::MoveSprite>),
      Row(83, "sp_position", Forward<&TgsFrame::SetSpritePosition>),
      Row(84, "sp_back", Forward<&TgsFrame::SendSpriteToBack>),
      Row(85, "sp_front", Forward<&TgsFrame::BringSpriteToFront>),
      Row(86, "sp_clear", Forward<&TgsFrame::ClearSpriteGroup>),
      Row(87, "sp_cfade", Forward<&TgsFrame::StartSpCrossFade>, {{3, 300}}),
      Row(88, "sp_panime", Forward<&TgsFrame::StartSpPanime>, {{2, 500}}),
      Row(89, "sp_panime_control", Forward<&TgsFrame::ControlSpPanime>),
      Row(90, "sp_change", Forward<&TgsFrame::StartSpChange>, {{2, 500}}),
      Row(91, "sp_parts_table", Forward<&TgsFrame::LoadSpPartsTable>),
      Row(92, "wait_sp", Wait<&TgsFrame::WaitSpriteAction, &TgsFrame::StopSpriteAction, 1>),
      Row(93, "sp_stop", Forward<&TgsFrame::StopSpriteAction>),
      Row(94, "sp_auto_colour", Forward<&TgsFrame::SetSpriteAutoColour>),
      Row(95, "release_image", Forward<&TgsFrame::ReleaseCachedImage>),
      Row(96, "rule_mirror_b", Forward<&TgsFrame::SetRuleMirrorB>),
      Row(97, "rule_mirror_a", Forward<&TgsFrame::SetRuleMirrorA>),
      Row(98, "prepare_back", Forward<&TgsFrame::PrepareBackLayers>),
      Row(99, "wait_transition", Wait<&TgsFrame::RunTransition, &TgsFrame::StopRunningTransition, 0>),
      Row(100, "stop_transition", Forward<&TgsFrame::StopRunningTransition>),
      Row(101, "cross", Forward<&TgsFrame::StartCross>),
      Row(102, "rule", Forward<&TgsFrame::StartRule>),
      Row(103, "trans", Forward<&TgsFrame::StartTrans>),
      Row(104, "filter_transition", Forward<&TgsFrame::StartFilterTransition>),
      Row(105, "scroll", Forward<&TgsFrame::StartScroll>),
      Row(106, "ripple", Forward<&TgsFrame::StartRipple>),
      Row(107, "clear_cross", Forward<&TgsFrame::ClearAndCross>),
      Row(108, "clear_cross2", Forward<&TgsFrame::ClearAndCross>),
      Row(109, "bg_cross_to", Forward<&TgsFrame::LoadLayerAndCross>),
      Row(110, "bg_rule_to", Forward<&TgsFrame::LoadLayerAndRule>),
      Row(111, "bg_trans_to", Forward<&TgsFrame::LoadLayerAndTrans>),
      Row(112, "sp_cross", Forward<&TgsFrame::ChangeSpriteAndCross>, {{3, 300}}),
      Row(113, "sp_clear_cross", Forward<&TgsFrame::ClearSpritesAndCross>, {{1, 300}}),
      Row(114, "quake_filter", Forward<&TgsFrame::StartQuakeFilter>),
      Row(115, "quake_filter2", Forward<&TgsFrame::StartQuakeFilter>),
      Row(116, "quake", Forward<&TgsFrame::StartQuake>),
      Row(117, "quake2", Forward<&TgsFrame::StartQuake>),
      Row(118, "wait_quake", Wait<&TgsFrame::WaitQuake, &TgsFrame::StopQuake, 1>),
      Row(119, "stop_quake", Forward<&TgsFrame::StopQuake>),
      Row(120, "flash", ForwardNegative<&TgsFrame::FlashLayer>),
      Row(121, "bg_change", ForwardNegative<&TgsFrame::ChangeBackgroundInTwoPhases>),
      Row(122, "window_fade", ForwardNegative<&TgsFrame::FadeMessageWindow>, {{1, 300}}),
      Row(123, "window_show", Forward<&TgsFrame::ShowMessageWindow>),
      Row(124, "bgm", Forward<&TgsFrame::PlayMusic>),
      Row(125, "wait_bgm", Wait<&TgsFrame::WaitMusicChange, &TgsFrame::StopMusic, 0>),
      Row(126, "wait_bgm_end", Wait<&TgsFrame::WaitMusicEnd, &TgsFrame::EndMusic, 0>),
      Row(127, "se", Forward<&TgsFrame::PlaySound>),
      Row(128, "se_fade_in", Forward<&TgsFrame::FadeInSound>),
      Row(129, "se_fade_out", Forward<&TgsFrame::FadeOutSound>),
      Row(130, "se_stop", Forward<&TgsFrame::StopSound>),
      Row(131, "se_stop_all", Forward<&TgsFrame::StopAllSounds>),
      Row(132, "wait_se_fade", Wait<&TgsFrame::WaitSoundFade, &TgsFrame::StopChannel, 1>),
      Row(133, "wait_se", Wait<&TgsFrame::WaitSoundEnd, &TgsFrame::StopChannel, 1>),
      Row(134, "voice", Forward<&TgsFrame::PlayPageVoice>),
  };
}

}  // namespace

const std::vector<TgsOpcodeRow>& TgsOpcodeRows() {
  static const std::vector<TgsOpcodeRow> rows = MakeRows();
  return rows;
}

}  // namespace orrivel
