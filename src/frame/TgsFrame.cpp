#include "frame/TgsFrame.h"

#include <cstdio>

#include "frame/MessageTextWindow.h"
#include "frame/MessageWindowState.h"
#include "frame/TgsBackgroundTints.h"
#include "frame/TgsLayerSets.h"
#include "frame/TgsScreenTransitions.h"
#include "platform/MessageBox.h"
#include "platform/TextCodec.h"
#include "raster/Surface.h"
#include "scene/ButtonControl.h"
#include "scene/CanvasDrawImage.h"
#include "scene/ImageSprite.h"
#include "script/ScriptHost.h"
#include "text/FontFaceList.h"
#include "text/OutlineFont.h"

namespace orrivel {

namespace {

constexpr char kBgTablePath[] = "DATA/BG.TXT";
constexpr size_t kSettingSkipReadOnly = 5;
constexpr size_t kSettingHistoryLength = 29;
// The game's switches that gate bar buttons.
constexpr uint8_t kGateSave = 1, kGateLoad = 2, kGateSettings = 4;

}  // namespace

TgsFrame::TgsFrame(ScriptAddressSpace& space, TgsFrameEnvironment environment)
    : TgsModule(space),
      environment_(std::move(environment)),
      machine_(space, environment_.host ? &environment_.host->Natives() : nullptr) {
  machine_.AllocateStack(kMachineStackWords);
  // A script block that loops without yielding still lets the pump run.
  machine_.SetInstructionBudget(1u << 22);
  for (const TgsOpcodeRow& row : TgsOpcodeRows()) opcodes_.Register(row);
  replayBlock_ = space.Allocate(uint64_t(kReplayPairs) * TgsArguments::kPairBytes + TgsPageBuffer::kCapacity);
  windowState_ = std::make_unique<MessageWindowState>(*this);
  ResetState();
}

TgsFrame::~TgsFrame() {
  Teardown();
  windowState_.reset();
  Space().Free(replayBlock_);
  Space().Free(machine_.StackBase());
}

void TgsFrame::ResetState() {
  setUp_ = false;
  ownsCanvases_ = false;
  canvas_ = TgsCanvasRef{};
  choiceCount_ = 0;
  optionWords_.fill(0);
  pageFontMarker_ = 0;
  ruleImage_ = -1;
  bgTable_.clear();
  const uint8_t historyLength = Setting(kSettingHistoryLength);
  if (historyLength) history_.SetCapacity(int32_t(historyLength) + 1);
}

int32_t TgsFrame::SetupMessageWindow(const TgsCanvasRef* canvas) {
  if (!environment_.host || !environment_.controls) return 1;
  if (const int32_t screen = SetupScreen(canvas)) return screen;
  // A missing or damaged tint table leaves tints off; the frame still runs.
  const int32_t tints = LoadBgTable(kBgTablePath);
  if (tints != TgsBackgroundTints::kOk && tints != TgsBackgroundTints::kMissing)
    Log(std::string(kBgTablePath) + ": not used, error " + std::to_string(tints));
  timers_.Create(2);
  SetupLayers();
  setUp_ = true;
  return 0;
}

int32_t TgsFrame::LoadBgTable(const std::string& path) {
  bgTable_.clear();
  const ScriptFileBytes file = ReadGameFile(path);
  if (!file) return TgsBackgroundTints::kMissing;
  return TgsBackgroundTints::Parse(file->data(), file->size(), bgTable_);
}

void TgsFrame::SetButtonEnabled(uint32_t button, bool on) {
  if (button >= kBarButtons) return;
  buttons_[button] = on ? 1 : 0;
  if (barButtons_[button]) barButtons_[button]->SetEnabled(on);
}

bool TgsFrame::ButtonsVisible() const { return windowState_->BarVisible(); }

void TgsFrame::FollowGameSwitches(bool force) {
  uint8_t gates = 0;
  if (GateOpen(environment_.saveAllowed)) gates |= kGateSave;
  if (GateOpen(environment_.loadAllowed)) gates |= kGateLoad;
  if (GateOpen(environment_.player.settingsAllowed)) gates |= kGateSettings;
  const uint8_t changed = force ? uint8_t(kGateSave | kGateLoad | kGateSettings) : uint8_t(gates ^ switchGates_);
  switchGates_ = gates;
  if (changed & kGateSave) {
    SetButtonEnabled(kQuickSave, gates & kGateSave);
    SetButtonEnabled(kSave, gates & kGateSave);
  }
  if (changed & kGateLoad) {
    SetButtonEnabled(kQuickLoad, gates & kGateLoad);
    SetButtonEnabled(kLoad, gates & kGateLoad);
  }
  if (changed & kGateSettings) SetButtonEnabled(kSettings, gates & kGateSettings);
}

int32_t TgsFrame::BeginRun(bool resumed) {
  if (!setUp_) return -2;
  waitChain_ = 0;
  skipByKey_ = skipBySetting_ = alreadyRead_ = autoMode_ = false;
  inputEnabled_ = true;
  resumed_ = resumed;

  BuildRunScreen();
  for (uint32_t button = 0; button < kBarButtons; ++button) SetButtonEnabled(button, true);
  // The bar picture is made shown with the buttons hidden; the whole bar
  // stays hidden as recorded until something shows it, so that what the
  // first page (or a load) decides is what is drawn.
  windowState_->HideBarForRunStart();
  SetButtonEnabled(kPreviousChoice, false);

  if (!resumed) {
    messageId_ = -1;
    choiceDisabled_.fill(0);
    choiceWait_ = pageShown_ = false;
    pageVoiceIndex_ = -1;
    records_.ResetWindowDisplay();
    // A new run starts with no music word, effect records or caption of
    // the run before it.
    records_.musicNumber = 0;
    records_.effectSlots = {};
    saveCaption_.clear();
    bgTintsOn_ = !bgTable_.empty();
  }
  page_.Rewind();
  pendingText_.clear();
  pendingAt_ = 0;
  RestorePageFonts();
  ApplySettings(true, true, true, false);
  // The history held now (a loaded save's, kept at the size just set)
  // opens with two entries, as during the run.
  SetButtonEnabled(kHistory, history_.Count() > 1);

  // The game's switches may change during the run too: each frame step
  // follows them from here on.
  FollowGameSwitches(true);
  if (resumed) {
    alreadyRead_ = IsMessageRead(messageId_);
    SetButtonEnabled(kSkipToChoice, !Setting(kSettingSkipReadOnly) || alreadyRead_);
    // A state loaded from a save is put back on screen once, on the run
    // that resumes it.
    if (reapplyPending_ && ReapplyState() != 0) return -1;
  }
  return 0;
}

int32_t TgsFrame::EndRun() {
  if (!setUp_) return 0;
  // A page may have hidden the pointer: the game after the run shows it.
  windowState_->RestoreMenuState();
  if (transitions_) transitions_->StopRunningTransition();
  // What the run left on the page stays on screen after it.
  DrawPageCanvas();
  // Nothing of the run keeps moving behind it: its effects, layers,
  // sprites and quakes go, so that the next run starts on a clean screen.
  if (layers_) ClearLayerSets(*layers_);
  // The history window lives in the canvas's list: it goes first.
  historyWindow_.reset();
  windowState_->ReleaseWindowActions(-1);
  ReleaseRunScreen();
  choiceCount_ = 0;
  choices_.Clear();
  ruleImage_ = -1;
  page_.Rewind();
  pendingText_.clear();
  pendingAt_ = 0;
  speakerName_.clear();
  voiceName_.clear();
  ForgetLoopSounds();
  Unload();
  history_.Clear();
  historyChoice_.reset();
  return 0;
}

void TgsFrame::Teardown() {
  EndRun();
  transitions_.reset();
  layers_.reset();
  backDisplay_.reset();
  ReleaseScreen();
  bgTable_.clear();
  bgTintsOn_ = false;
  timers_.Free();
  setUp_ = false;
}

void TgsFrame::ApplySettings(bool listOption, bool fonts, bool history, bool onlyWhenChanged) {
  (void)listOption;  // the choice list takes it when it is made
  if (onlyWhenChanged && !(environment_.settingsChanged && *environment_.settingsChanged)) return;
  if (fonts) ApplyFontSettings();
  if (history) {
    const uint8_t length = Setting(kSettingHistoryLength);
    history_.SetCapacity(length ? int32_t(length) + 1 : 0);
  }
  if (onlyWhenChanged && environment_.settingsChanged) *environment_.settingsChanged = 0;
}

int32_t TgsFrame::GetWaitState() const {
  if (choiceWait_) return 2;
  if (skipByKey_ || skipBySetting_) return 3;
  if (autoMode_) return 1;
  return 0;
}

void TgsFrame::Log(const std::string& line) const {
  if (environment_.log) environment_.log(line);
  else std::fprintf(stderr, "%s\n", line.c_str());
}

void ShowTgsMessage(const TgsFrameEnvironment& environment, const std::string& utf8) {
  if (environment.log) environment.log(utf8);
  else std::fprintf(stderr, "%s\n", utf8.c_str());
  if (!environment.messageBoxes) return;
  platform::MessageBoxRequest request;
  request.text = platform::Utf8ToCp932Lossy(utf8);
  request.caption = environment.messageCaption;
  request.icon = platform::MessageBoxIcon::Stop;
  environment.messageBoxes->ShowMessageBox(request);
}

}  // namespace orrivel
