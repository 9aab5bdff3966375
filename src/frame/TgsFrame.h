#pragma once
// The text-adventure frame: the player of compiled ".TOB" modules in the
// message window. It is a module holder (TgsModule) that adds the text
// reader with its page buffer and opcode table, its own script machine for
// the expressions and script blocks of a module, the run's state, the bar
// button states and the background tint table.
//
// One run is BeginRun, then ReadText until the text ends, fails or a
// handler stops it, then EndRun (a handler result of 4 leaves the run
// suspended instead; a later run with "resumed" set carries on).
//
// Where the frame's work belongs to other parts of the game (the message
// windows, history, layers, transitions, sound), this class gives them a
// home: their operations are members declared here and defined in files of
// their own, and their opcodes are registered into the opcode table.
//
// Everything handed to scripts or received from them is a script address:
// argument pairs carry the addresses of string bytes in place, relocations
// bind script addresses into the module's code, and frame option word 0 is
// the address of the variable that receives the chosen index.
#include <array>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "display/PreviousScreenImage.h"
#include "frame/TgsArguments.h"
#include "frame/TgsChoiceList.h"
#include "frame/TgsFrameBlock.h"
#include "frame/TgsFrameRecords.h"
#include "frame/TgsModule.h"
#include "frame/TgsOpcodeTable.h"
#include "frame/TgsPageBuffer.h"
#include "frame/TgsPlayerServices.h"
#include "frame/TextHistoryBuffer.h"
#include "frame/TimerArray.h"
#include "script/ScriptMachine.h"

namespace orrivel {

class ButtonControl;
class ByteWriter;
class SobCursor;
class CanvasDrawImage;
class CanvasDrawObject;
class ControlFactory;
class ControlHost;
class DcpManager;
class DisplayScreenDevice;
class FontFaceList;
class Image;
class HotSpotControl;
class ImageSprite;
class OutlineFont;
class ScreenImage;
class MessageTextWindow;
class MessageWindowState;
class ScriptHost;
class SoundManager;
class SpriteList;
class Surface;
class TcpManager;
class TgsLayerSets;
class TgsScreenTransitions;
struct TgsSystemMenuState;
class TgsSystemMenuPort;
class TimerList;
namespace platform {
class MessageBoxService;
}

// What the frame takes from the game around it. Empty hooks do nothing.
struct TgsFrameEnvironment {
  // The script host: its natives, variables and external variables bind
  // module code, and it loads and unloads the scenes that script blocks
  // call or jump to. Without one, script blocks and expressions fail.
  ScriptHost* host = nullptr;
  // Messages that the player must see (load failures in script blocks),
  // with the caption their boxes carry (CP932: the game's title).
  platform::MessageBoxService* messageBoxes = nullptr;
  std::string messageCaption;
  // The game's frame pump: advances one frame; 0 when the program closes.
  std::function<int()> pumpFrame;
  // The application settings block (196 bytes); may be empty.
  std::span<uint8_t> settings;
  // The application's settings-changed byte; may be null.
  uint8_t* settingsChanged = nullptr;
  std::function<bool()> saveAllowed;
  std::function<bool()> loadAllowed;
  // The screen device whose presented image the frame's canvas becomes;
  // the frame draws nowhere on screen without one.
  DisplayScreenDevice* screen = nullptr;
  // The control host and the control factory that make and drive the bar
  // buttons and the hot spot (the game's global ones).
  ControlHost* controls = nullptr;
  ControlFactory* factory = nullptr;
  // Reads a game file (such as "DATA/BG.TXT"); the game's files (loose or
  // in an archive) when empty. nullopt when missing.
  ScriptFileReader readGameFile;
  // Lines for the log; standard error when empty.
  std::function<void(const std::string&)> log;
  // The application's installed-face list, which font changes of a page
  // match against (filled on first use when empty); the frame keeps its own
  // when none is given.
  FontFaceList* faces = nullptr;
  // The game's system timer list (fades of the bar); none when empty.
  std::function<TimerList*()> systemTimers;
  // Switches the main window's menu state on or off.
  std::function<void(bool on)> setMenuState;
  // The object timer list the layer actions run on and the registry they
  // are made from; without them no layer effect starts.
  TimerList* objectTimers = nullptr;
  DcpManager* layerActions = nullptr;
  // The registry the screen transitions and filters are made from; without
  // it every transition command changes the picture at once.
  TcpManager* screenObjects = nullptr;
  // The game's side of the player's actions and the page waits.
  TgsPlayerServices player;
  // Boot byte 15: nothing the frame starts runs at low priority.
  std::function<bool()> lowPriorityOff;
  // Boot byte 5: the frame-rate limiter catches up; the blocking fades
  // switch the catch-up off while they run (setCatchUp).
  std::function<bool()> catchUpPacing;
  std::function<void(bool on)> setCatchUp;
  // The game's side of the system menu (its items, fades, boxes and
  // saves); without one the menu does not open.
  TgsSystemMenuPort* systemMenu = nullptr;
};

// Shows a message (UTF-8) to the player through the message boxes, with
// the stop icon, and logs it.
void ShowTgsMessage(const TgsFrameEnvironment& environment, const std::string& utf8);

// A display object handed to the set-up: its kind, its size and its canvas
// object (the canvas the frame draws into).
struct TgsCanvasRef {
  uint32_t handle = 0;
  int32_t kind = -1;
  uint32_t width = 0;
  uint32_t height = 0;
  CanvasDrawObject* object = nullptr;
};

class TgsFrame : public TgsModule {
 public:
  // Results of ReadText beside 0 and the handlers' own.
  static constexpr int32_t kReadFailed = -1;
  static constexpr int32_t kNoModule = -2;
  static constexpr int32_t kHandlerFailed = -4;
  static constexpr int32_t kEndOfText = 0x7FFFFFFF;
  static constexpr int32_t kSuspend = 4;

  static constexpr uint32_t kMachineStackWords = 8192;
  static constexpr uint32_t kScriptBlockDepth = 64;
  static constexpr uint32_t kScriptNameBytes = 240;
  static constexpr uint32_t kLabelBytes = 64;
  static constexpr uint32_t kOptionWords = 6;
  // Option word 1 picks the game's settings screen: 0 its first, else its
  // second.
  static constexpr uint32_t kOptionSettingsScreen = 1;
  static constexpr uint32_t kBarButtons = 10;
  static constexpr uint32_t kScreenWidth = 1280;
  static constexpr uint32_t kScreenHeight = 720;
  static constexpr uint32_t kCanvasKind = 9;
  // Room for the pairs and strings of one replayed page command.
  static constexpr uint32_t kReplayPairs = 256;
  // A text that loops through its commands without ever waiting still lets
  // the frame pump run once per this many blocks, so the program can close.
  static constexpr uint32_t kBlocksPerPump = 1u << 16;

  // Bar buttons, in layout order.
  enum BarButton : uint32_t {
    kQuickSave = 0,
    kQuickLoad = 1,
    kPreviousChoice = 2,
    kSave = 3,
    kLoad = 4,
    kSkipToChoice = 5,
    kAutoPlay = 6,
    kHistory = 7,
    kSettings = 8,
    kHideWindow = 9,
  };

  TgsFrame(ScriptAddressSpace& space, TgsFrameEnvironment environment);
  ~TgsFrame() override;

  // --- set-up and the run -------------------------------------------------
  // 0; 1 without a script host or a control host; 2 when a given canvas
  // has no canvas object or no size. Without a canvas the frame makes its
  // own two of the screen size.
  int32_t SetupMessageWindow(const TgsCanvasRef* canvas);
  bool IsSetUp() const { return setUp_; }
  bool OwnsCanvases() const { return ownsCanvases_; }
  const TgsCanvasRef& Canvas() const { return canvas_; }
  // The canvas object in use (null before the set-up).
  CanvasDrawObject* CanvasObject() const { return canvas_.object; }
  // Where the window, its name plate, the bar and what shows over the page
  // stand: the canvas object's overlay list, which stays with the display on
  // screen when a transition or a flip hands its canvas to the back display,
  // and is drawn over a transition in progress (a given canvas made without
  // one gets one at the set-up). The canvas's main list when no overlay list
  // could be made; null before the set-up.
  SpriteList* WindowList() const;
  // The display object about to be deleted: when it is the canvas a script
  // gave, the frame takes everything of its own out of it and forgets it,
  // and draws nothing until it is made again. True when it was the canvas.
  bool ForgetCanvas(const Image* image);
  // -2 not set up; -1 when a resumed run re-applies a loaded state and the
  // program closes meanwhile; else 0.
  int32_t BeginRun(bool resumed);
  int32_t EndRun();
  void Teardown();
  void ResetState();
  void ApplySettings(bool listOption, bool fonts, bool history, bool onlyWhenChanged);
  void RestorePageFonts();
  // 2 while a choice waits, 3 in either skip mode, 1 in auto mode, else 0.
  int32_t GetWaitState() const;
  // Loads the background tint table; TgsBackgroundTints' codes.
  int32_t LoadBgTable(const std::string& path);
  const std::vector<int32_t>& BgTable() const { return bgTable_; }
  bool BgTintsOn() const { return bgTintsOn_; }

  // --- the reader ---------------------------------------------------------
  int32_t ReadText();
  // Runs handler[opcode] as a replay of a page command: the replay flag is
  // set around it, its result becomes the command status and retTgsExp.
  int32_t DispatchOpcode(uint32_t opcode, const TgsArguments& arguments);
  // Reads the page command whose length field starts at record (with
  // `available` bytes there) and replays it; -1 for a damaged record.
  int32_t ReplayPageCommand(const uint8_t* record, size_t available, size_t& taken);
  // Appends a page command for the running handler. Always 0, so a full
  // page never stops the reading: a command that does not fit is dropped
  // whole (reported once a page).
  int32_t SerializeCommand(uint32_t opcode, const TgsArguments& arguments);
  // 1 when the page is empty; else hands the page on and rewinds it.
  int32_t FlushPage();
  // Runs a system scene on the frame's machine with jumps allowed.
  int32_t RunSystemScript(const char* name);

  TgsOpcodeTable& Opcodes() { return opcodes_; }
  const TgsPageBuffer& Page() const { return page_; }
  TgsPageBuffer& Page() { return page_; }
  bool Replaying() const { return replaying_; }
  int32_t CommandStatus() const { return commandStatus_; }
  uint32_t HandlerArgumentCount() const { return handlerArguments_; }
  uint32_t WaitChainCount() const { return waitChain_; }
  void SetWaitChainCount(uint32_t count) { waitChain_ = count; }
  ScriptMachine& Machine() { return machine_; }

  // Where a flushed page goes until the message window takes it: the page
  // bytes, the speaker name and the voice name.
  using PageSink = std::function<void(std::span<const uint8_t>, const std::string&, const std::string&)>;
  void SetPageSink(PageSink sink) { pageSink_ = std::move(sink); }

  // --- run state shared with the opcodes ----------------------------------
  int32_t MessageId() const { return messageId_; }
  void SetMessageId(int32_t id) { messageId_ = id; }
  std::array<int32_t, kOptionWords>& OptionWords() { return optionWords_; }
  std::string& SpeakerName() { return speakerName_; }
  std::string& VoiceName() { return voiceName_; }
  bool Resumed() const { return resumed_; }
  bool AlreadyRead() const { return alreadyRead_; }
  bool InputEnabled() const { return inputEnabled_; }
  bool SkipByKey() const { return skipByKey_; }
  bool SkipBySetting() const { return skipBySetting_; }
  bool AutoMode() const { return autoMode_; }
  bool ChoiceWaiting() const { return choiceWait_; }
  bool PageShown() const { return pageShown_; }
  void SetSkipByKey(bool on) { skipByKey_ = on; }
  void SetAlreadyRead(bool on) { alreadyRead_ = on; }
  void SetSkipBySetting(bool on) { skipBySetting_ = on; }
  void SetChoiceWait(bool on) { choiceWait_ = on; }
  void SetPageShown(bool on) { pageShown_ = on; }
  uint8_t PageFontMarker() const { return pageFontMarker_; }
  void MarkPageFonts(uint8_t marker) { pageFontMarker_ |= marker; }
  // Button states: 0 disabled, 1 enabled.
  uint8_t ButtonState(uint32_t button) const { return button < kBarButtons ? buttons_[button] : 0; }
  void SetButtonEnabled(uint32_t button, bool on);
  // Greys or enables the buttons the game's switches gate (quick save and
  // save, quick load and load, settings) after a switch changed since the
  // last call; with force, all of them as the switches stand. Each frame
  // step calls it.
  void FollowGameSwitches(bool force);
  void StoreButtonState(uint32_t button, uint8_t state) {
    if (button < kBarButtons) buttons_[button] = state;
  }
  // Whether the bar (its buttons and picture) is shown: the window state's
  // record, the one place it is kept.
  bool ButtonsVisible() const;
  // The message window, its name plate, the waits, the bar and the fades.
  MessageWindowState& WindowState() { return *windowState_; }
  // Ends both actions of a message-window entry (negative: the current one).
  int32_t ReleaseWindowActions(int32_t entry);
  // The message window page commands go to (null outside a run): the
  // history window while the history screen is up or a page is measured
  // for the history, else the frame's current message window.
  MessageTextWindow* CurrentWindow() const;
  // While on, the history window is the current window and the history
  // fonts stand in for the page fonts (page commands act on them).
  bool InHistoryMode() const { return historyMode_ || measuringHistory_; }
  uint32_t HistoryCapacity() const { return uint32_t(history_.Capacity()); }
  // What the player read, the choices taken and the scenes of voiced pages.
  TextHistoryBuffer& History() { return history_; }
  const TextHistoryBuffer& History() const { return history_; }
  // The second message window, which lays history pages out with the
  // history fonts; made on first use in a run (null before the set-up).
  MessageTextWindow* HistoryWindow();
  // Lays a page out in the history window and records it when that gives
  // at least one line: 0; 1 nothing laid out; 2 history off or no window.
  int32_t RecordPageInHistory(std::span<const uint8_t> text, const std::string& name, const std::string& voice,
                              uint8_t group);
  // Records the choices shown (text, enabled) as one entry and remembers
  // it for the choice the player takes: the history's BeginChoices codes.
  int32_t RecordChoicesInHistory(const std::vector<std::pair<std::string, bool>>& choices);
  // Writes the index into the remembered entry, when it is still held.
  void RecordChoiceTaken(int32_t index);
  // Records the front set's background and visible sprites as the scene
  // of the voiced page being shown: the history's AddSceneEntry codes.
  int32_t RecordSceneInHistory();
  // The modal history screen: 0 closed; -1 the program quits or the screen
  // cannot be built.
  int32_t ShowTextHistory();
  // The modal system menu over the game's port, with the frame's settings,
  // auto-play flag and save switches put into the state (the caller gives
  // the action flags): TgsSystemMenu::Show's results; -1 without a port.
  int32_t ShowSystemMenu(TgsSystemMenuState& state);
  // Quitting from the menu: the effects end and the screen cross-fades to
  // black over 1000 ms. 0, or -1 when the program closes meanwhile.
  int32_t FadeToBlackForQuit();
  TimerArray& Timers() { return timers_; }

  // --- the text opcodes (12 to 31) ----------------------------------------
  // Each takes its command's pairs; 0 lets the reading go on.
  int32_t MessageId(const TgsArguments& arguments);
  int32_t ShowChoices(const TgsArguments& arguments);
  int32_t PageNewLine(const TgsArguments& arguments);
  int32_t PageEnd(const TgsArguments& arguments);
  int32_t AwaitChoice(const TgsArguments& arguments);
  int32_t SetSaveCaption(const TgsArguments& arguments);
  int32_t DisableChoice(const TgsArguments& arguments);
  int32_t WaitOpcode(const TgsArguments& arguments);
  int32_t PauseOpcode(const TgsArguments& arguments);
  int32_t CommitPageToHistory(const TgsArguments& arguments);
  int32_t SetNameVoice(const TgsArguments& arguments);
  int32_t PageRubyStart(const TgsArguments& arguments);
  int32_t PageRubyText(const TgsArguments& arguments);
  int32_t PageFont(const TgsArguments& arguments);
  int32_t WindowVisibleOpcode(const TgsArguments& arguments);
  int32_t ClearWindowOpcode(const TgsArguments& arguments);

  // Text kept for the page and the save: at most these many bytes, cut on
  // a character boundary.
  static constexpr size_t kNameBytes = 16;
  static constexpr size_t kVoiceBytes = 15;
  static constexpr size_t kCaptionBytes = 40;
  static constexpr uint32_t kChoiceFlags = 5;
  const std::string& SaveCaption() const { return saveCaption_; }
  bool ChoiceDisabled(uint32_t index) const { return index < kChoiceFlags && choiceDisabled_[index] != 0; }
  uint32_t ChoiceCount() const { return choiceCount_; }
  TgsChoiceList& Choices() { return choices_; }
  // The player took choice `index` of the list on screen (see TgsChoiceList).
  bool TakeChoice(uint32_t index);
  uint8_t PageSerial() const { return pageSerial_; }
  bool PageSerialPending() const { return pageSerialPending_; }
  // The next page gets the next serial (255 is followed by 1).
  void AdvancePageSerial();
  // Leaves skip mode: 1 when it was on (bar button 5 is enabled again),
  // else 0; skip mode by setting is cleared either way.
  int32_t CancelSkipMode();
  // Set while the second message window lays out a page for the history,
  // and while the current window writes vertically (page commands read them).
  void SetMeasuringHistory(bool on) { measuringHistory_ = on; }
  void SetVerticalWriting(bool on) { verticalWriting_ = on; }

  // --- waits --------------------------------------------------------------
  // In either skip mode 1 at once. Else pumps frames on timer 0 until more
  // than ms have passed or the skip key is held (0), or, skippable and with
  // settings byte 191 set, until a click or the action key (1); -1 when
  // the pump reports closing.
  int32_t TimedWait(uint32_t ms, bool skippable);
  // Pumps frames until more than ms have passed; 0, or -1 when closing.
  int32_t FixedWait(uint32_t ms);
  // The rule of the wait commands. Not skippable, or no wait chain: the wait
  // runs (negative gives -1; 1, cut short, starts a chain of 1; else the
  // chain ends). Skippable within a chain: `end` finishes the awaited thing
  // at once and the chain grows. Always 0 unless the program closes.
  int32_t RunWaitRow(bool skippable, const std::function<int32_t()>& wait, const std::function<void()>& end);
  // The skip key (Ctrl with settings byte 130 set, else Shift) is held.
  bool SkipKeyHeld() const;
  // The mouse button or the decide action went down this frame.
  bool ClickPressed() const;
  // One frame of the game through the pump, then the window state's
  // per-frame work; false when the program is closing (true without a pump).
  bool PumpOneFrame();

  // --- operations the rows forward to -------------------------------------
  // Each takes its command's arguments in order, with the row's defaults.
  // The message window (its state's fade and show, with the bar).
  int32_t FadeMessageWindow(const TgsOperationCall& call);
  int32_t ShowMessageWindow(const TgsOperationCall& call);
  // Background layers and their animations (the layer sets' operations).
  int32_t LoadLayerImage(const TgsOperationCall& call);
  int32_t ClearLayer(const TgsOperationCall& call);
  int32_t SetLayerColour(const TgsOperationCall& call);
  int32_t ApplyLayerImageEffects(const TgsOperationCall& call);
  int32_t ApplyLayerPixelOp(const TgsOperationCall& call);
  int32_t SetLayerPosition(const TgsOperationCall& call);
  int32_t CaptureScreenToLayer(const TgsOperationCall& call);
  int32_t SetLayerClip(const TgsOperationCall& call);
  int32_t SetLayerZoom(const TgsOperationCall& call);
  int32_t SetLayerRotation(const TgsOperationCall& call);
  int32_t SetLayerAnimation(const TgsOperationCall& call);
  int32_t SetLayerMovie(const TgsOperationCall& call);
  int32_t ControlLayerAnimation(const TgsOperationCall& call);
  int32_t WaitLayerAnimationFrame(const TgsOperationCall& call);
  int32_t WaitLayerAnimationAndControl(const TgsOperationCall& call);
  // Switches for new sprites: background tints, order, automatic colour.
  int32_t SetBgTints(const TgsOperationCall& call);
  int32_t SetNewSpriteOrder(const TgsOperationCall& call);
  int32_t SetSpriteAutoColour(const TgsOperationCall& call);
  // Forgets a cached picture by name.
  int32_t ReleaseCachedImage(const TgsOperationCall& call);
  // Sprite slots.
  int32_t ChangeSprite(const TgsOperationCall& call);
  int32_t ApplySpriteImageEffects(const TgsOperationCall& call);
  int32_t SetSpriteState(const TgsOperationCall& call);
  int32_t MoveSprite(const TgsOperationCall& call);
  int32_t SetSpritePosition(const TgsOperationCall& call);
  int32_t SendSpriteToBack(const TgsOperationCall& call);
  int32_t BringSpriteToFront(const TgsOperationCall& call);
  int32_t ClearSpriteGroup(const TgsOperationCall& call);
  int32_t PrepareBackLayers(const TgsOperationCall& call);
  // Layer effects, effect slots and quakes.
  int32_t StartBgZoom(const TgsOperationCall& call);
  int32_t StartBgRot(const TgsOperationCall& call);
  int32_t StartBgPanime(const TgsOperationCall& call);
  int32_t ControlBgPanime(const TgsOperationCall& call);
  int32_t StartBgBlur(const TgsOperationCall& call);
  int32_t StartBgBlurPath(const TgsOperationCall& call);
  int32_t ChangeBgBlur(const TgsOperationCall& call);
  // The layer effect of a set: waited for, or ended at once.
  int32_t WaitForAction(const TgsOperationCall& call);
  int32_t ReleaseActionSlot(const TgsOperationCall& call);
  int32_t StartNoise(const TgsOperationCall& call);
  int32_t StartBgDistortion(const TgsOperationCall& call);
  int32_t StartBgLoop(const TgsOperationCall& call);
  int32_t StartSpMovie(const TgsOperationCall& call);
  int32_t StartSpParts(const TgsOperationCall& call);
  int32_t StartBgCross(const TgsOperationCall& call);
  int32_t StartWeather(const TgsOperationCall& call);
  int32_t ControlEffectSlot(const TgsOperationCall& call);
  int32_t EndEffectSlot(const TgsOperationCall& call);
  int32_t WaitEffectSlot(const TgsOperationCall& call);
  int32_t StartQuake(const TgsOperationCall& call);
  int32_t WaitQuake(const TgsOperationCall& call);
  int32_t StopQuake(const TgsOperationCall& call);
  // Sprite actions.
  int32_t StartSpCrossFade(const TgsOperationCall& call);
  int32_t StartSpPanime(const TgsOperationCall& call);
  int32_t ControlSpPanime(const TgsOperationCall& call);
  int32_t StartSpChange(const TgsOperationCall& call);
  int32_t LoadSpPartsTable(const TgsOperationCall& call);
  int32_t WaitSpriteAction(const TgsOperationCall& call);
  int32_t StopSpriteAction(const TgsOperationCall& call);
  // Sound effects, voices and music. A script channel n >= 0 is manager
  // channel n + 8; a negative -m is manager channel m itself (so -6 is the
  // voice channel), except that the play command takes the next of the
  // frame's four effect channels 8 to 11 for any negative channel.
  static constexpr int32_t kVoiceChannel = 6;
  static constexpr int32_t kFirstEffectChannel = 8;
  static constexpr uint32_t kEffectChannels = 4;
  // Channels 0 to 11 keep a loop flag; higher ones play but are not kept.
  static constexpr uint32_t kLoopFlagChannels = 12;
  int32_t PlayMusic(const TgsOperationCall& call);
  int32_t WaitMusicChange(const TgsOperationCall& call);
  int32_t StopMusic(const TgsOperationCall& call);
  int32_t WaitMusicEnd(const TgsOperationCall& call);
  int32_t EndMusic(const TgsOperationCall& call);
  int32_t PlaySound(const TgsOperationCall& call);
  int32_t FadeInSound(const TgsOperationCall& call);
  int32_t FadeOutSound(const TgsOperationCall& call);
  int32_t StopSound(const TgsOperationCall& call);
  int32_t StopAllSounds(const TgsOperationCall& call);
  int32_t WaitSoundFade(const TgsOperationCall& call);
  int32_t WaitSoundEnd(const TgsOperationCall& call);
  int32_t StopChannel(const TgsOperationCall& call);
  int32_t PlayPageVoice(const TgsOperationCall& call);
  // The manager channel of a script channel (negative ones as -m -> m);
  // -1 for a number no channel can have.
  static int32_t ManagerChannel(int32_t scriptChannel);
  // A negative channel takes the next effect channel (8, 9, 10, 11, 8 ...),
  // others map as above. With a name the sound is loaded there (as a
  // stream for load mode 1); -1 when that fails. The manager channel.
  int32_t AllocateEffectChannel(const char* name, int32_t channel, int32_t loadMode);
  // With sound and effects on, plays the sound once or looping (1 when it
  // cannot be loaded); with them off only the channel is worked out. A
  // looping sound on 8 to 11 is remembered for saves either way.
  int32_t PlaySound(const std::string& name, int32_t channel, int32_t loadMode, bool loop);
  int32_t StopSound(int32_t channel);
  // Unloads the effect channels and starts their rotation again at 8.
  int32_t StopAllSounds();
  // 0 ms fades last 1000 ms. A faded-in sound loops and is remembered.
  int32_t FadeInSound(const std::string& name, uint32_t ms, int32_t channel, int32_t loadMode);
  int32_t FadeOutSound(uint32_t ms, int32_t channel);
  // Waits pumping frames while a channel fades, while it plays (a looping
  // one is stopped at once instead: 2) or while the music changes: 0 when
  // that ended, 1 when the player skipped, -1 when the program closes.
  int32_t WaitSoundFade(int32_t channel, bool skippable, bool stopOnSkip, bool extraSkip);
  int32_t WaitSoundEnd(int32_t channel, bool skippable, bool extraSkip);
  int32_t WaitMusicChange(bool skippable);
  // A voice cue on channel 6: 0; 1 voices or sound off; 2 the cue is not
  // in the voice table; 3 it cannot be played.
  int32_t PlayVoice(const std::string& cue);
  // The voice of a page, spoken by one of the shown characters: plays the
  // cue on channel 6 (with settings byte 86), panned towards the speaker's
  // x when settings byte 110 asks, ducks the music under it with byte 109,
  // and marks the page voice playing. The voice manager's result (the
  // speaker's index, -1 not among them, below -1 nothing played).
  int32_t PlaySpeakerVoice(const std::string& cue, std::span<const int32_t> speakerIds,
                           std::span<const int32_t> speakerX);
  // A voice of the history played again on channel 6 from the middle,
  // the music ducked under it with settings byte 109: PlayVoice's result.
  int32_t ReplayHistoryVoice(const std::string& cue);
  // -5000 at the left edge to 5000 at the right edge of the screen.
  static int32_t VoicePanForX(int32_t x);
  // Clears the page voice's flag; at a page end, with settings byte 108,
  // its channel stops too.
  void StopPageVoice(bool pageEnd);
  bool VoicePlaying() const { return voicePlaying_; }
  // Channels 0 to 11 on which the frame started a looping sound; the
  // records of 8 to 11 (Records().loopSounds) are kept exactly while their
  // flag is set, so a save writes the records that hold a name.
  const std::array<uint8_t, kLoopFlagChannels>& LoopFlags() const { return loopFlags_; }
  // Plays every remembered looping sound again on its channel (after a
  // load); the number that could not be played.
  int32_t ReplayLoopSounds();
  // Plays the remembered music number again (after a load; 0 stops the
  // music), fading it in over a second when asked.
  void ReplayMusic(bool fadeIn);
  // Forgets the remembered looping sounds and their flags (the end of a run).
  void ForgetLoopSounds();
  // --- page output, the choice wait and the player's actions --------------
  // Wait mode 0 shows the page without waiting, 2 waits for the player.
  // 0 the page is done; -1 the program closes or an action failed badly;
  // else the pending frame result (1 title, 2 a save loaded, 3 back to the
  // previous choice).
  int32_t OutputPage(int32_t waitMode, bool withPage);
  int32_t OutputPage(const TgsOperationCall& call);
  // Shows the choice list and waits: 0 after a choice, -1 on quit or
  // failure, or the pending frame result.
  int32_t WaitChoice();
  int32_t WaitChoice(const TgsOperationCall& call);
  // The history rows: the page being committed, the choices being shown.
  int32_t AddHistoryPage(const TgsOperationCall& call);
  int32_t AddHistoryChoices(const TgsOperationCall& call);
  // Performs action 0-11, or with a negative action reads the keys and the
  // action inputs to choose one: 0 nothing done, -1 done (keep waiting),
  // -2 failure, 2 history shown, 3 skip mode on, 4 skip mode off, 5 back
  // to choice, 6 a save was loaded, 7 back to title.
  int32_t RunPlayerAction(int32_t action);
  // The action an input of the action map (from action 6 on) chooses.
  static int32_t ActionOfInput(int32_t index);
  // The auto-play switch: the click-wait cursor, bar button 6 and timer 1.
  void SetAutoMode(bool on);
  // Reads the pointer; a move restores the menu state and, with settings
  // byte 11, shows the bar near the bottom edge and hides it above. True
  // when the pointer moved.
  bool TrackPointer();
  // Around a modal screen: the frame's clock stands still meanwhile, and
  // the return forgets the pointer and the input and leaves skip mode.
  void SuspendClock();
  void ResumeClock();
  // The time modal screens took, which the frame's clock leaves out.
  uint32_t ClockOffset() const { return clockOffset_; }
  // Restores the menu state and glides the cursor to the game point (x, y)
  // over 140 ms on the system timer list, waiting for it without a skip:
  // 0, or -1 when the program closes meanwhile (0 at once without a list or
  // an application, or when no glide starts).
  int32_t MoveCursorAndWait(int32_t x, int32_t y);
  // The system menu through the game's port: its result (-1 dismissed
  // without a port).
  int32_t ShowSystemMenu();
  int32_t PendingResult() const { return pendingResult_; }
  void SetPendingResult(int32_t result) { pendingResult_ = result; }
  int32_t QuickSlot() const { return quickSlot_; }
  uint8_t VoicePacing() const { return voicePacing_; }
  // The next page output records no scene and the next choice wait writes
  // no automatic save.
  void SuppressOnce() { suppressOnce_ = true; }
  // The choice buttons on screen while a choice waits (tag 20 + index).
  const std::vector<ButtonControl*>& ChoiceButtons() const { return choiceButtons_; }
  // Screen transitions: rule pictures, the transition commands, the
  // changes of the back set that end in one, the quake filter and the
  // blocking two-phase fades.
  int32_t SetRuleMirrorB(const TgsOperationCall& call);
  int32_t SetRuleMirrorA(const TgsOperationCall& call);
  int32_t RunTransition(const TgsOperationCall& call);
  int32_t StopRunningTransition(const TgsOperationCall& call);
  int32_t StartCross(const TgsOperationCall& call);
  int32_t StartRule(const TgsOperationCall& call);
  int32_t StartTrans(const TgsOperationCall& call);
  int32_t StartFilterTransition(const TgsOperationCall& call);
  int32_t StartScroll(const TgsOperationCall& call);
  int32_t StartRipple(const TgsOperationCall& call);
  int32_t ClearAndCross(const TgsOperationCall& call);
  int32_t LoadLayerAndCross(const TgsOperationCall& call);
  int32_t LoadLayerAndRule(const TgsOperationCall& call);
  int32_t LoadLayerAndTrans(const TgsOperationCall& call);
  int32_t ChangeSpriteAndCross(const TgsOperationCall& call);
  int32_t ClearSpritesAndCross(const TgsOperationCall& call);
  int32_t StartQuakeFilter(const TgsOperationCall& call);
  int32_t FlashLayer(const TgsOperationCall& call);
  int32_t ChangeBackgroundInTwoPhases(const TgsOperationCall& call);
  // The endless quake filter's record for a save (kind 1 while one runs,
  // then amplitude, x, y, fill, whole screen), and its start again after a
  // load (0 when the record holds none).
  std::array<int32_t, 6> QuakeFilterRecord() const;
  int32_t RestartQuakeFilter(const std::array<int32_t, 6>& record);
  // A call made by the frame itself, its values in order.
  static TgsOperationCall MakeCall(uint32_t opcode, std::initializer_list<int32_t> values);

  // The installed faces that font changes match against.
  FontFaceList& Faces();
  // Finds the first face of a comma-separated list (spaces after a comma
  // skipped, a leading "@" ignored) among the installed Shift-JIS faces,
  // listing them first when the list is empty; result gets it, with "@" in
  // front when vertical, or stays empty. 0; 1 without a face list; 2 when
  // a listed name has 32 bytes or more.
  static int32_t ResolveFontFace(std::string& result, const std::string& faceList, bool vertical,
                                 FontFaceList& installed);

  // --- screen parts -------------------------------------------------------
  // Fonts: page font 1 and 2 and the two history fonts.
  enum FontSlot : uint32_t { kPageFont1 = 0, kPageFont2 = 1, kHistoryFont1 = 2, kHistoryFont2 = 3, kFontCount = 4 };
  OutlineFont* GetFont(FontSlot slot) const { return fonts_[slot].get(); }
  // The sprites of a run (null outside one): the message window's frame
  // picture and the bar picture.
  ImageSprite* FrameSprite() const { return frameSprite_.get(); }
  ImageSprite* BarSprite() const { return barSprite_.get(); }
  Surface* FramePicture() const { return framePicture_.get(); }
  // The bar buttons made from the layout for this run (null when absent).
  ButtonControl* BarButtonControl(uint32_t button) const {
    return button < kBarButtons ? barButtons_[button] : nullptr;
  }
  HotSpotControl* HotSpot() const { return hotSpot_; }
  // The click-wait cursor strips preloaded at set-up.
  Surface* CursorSurface(uint32_t index) const { return index < 2 ? cursors_[index].get() : nullptr; }
  const TgsFrameEnvironment& Environment() const { return environment_; }
  // The background layers, sprite slots and layer effects of the front and
  // back sets (null before the set-up).
  TgsLayerSets* Layers() const { return layers_.get(); }
  // The screen transitions over the two sets (null before the set-up).
  TgsScreenTransitions* Transitions() const { return transitions_.get(); }
  uint8_t Setting(size_t index) const { return index < environment_.settings.size() ? environment_.settings[index] : 0; }

  // --- the frame's block inside a save ------------------------------------
  // LoadFrom's code for a block that does not hold together (cut, lengths
  // that run past their parts); nothing of the frame changes then.
  static constexpr int32_t kLoadDamaged = 4;
  // The bytes SaveTo writes.
  uint32_t GetSaveSize(bool withHistory) const;
  // 0; 2 the module state cannot be written (no module being read, or the
  // writer is too small).
  int32_t SaveTo(ByteWriter& out, bool withHistory) const;
  // Reads the whole block before anything changes. 0; 1 the modules cannot
  // be restored; 2 a history block the frame cannot take; 3 the resume
  // point is not in the restored module; kLoadDamaged. On any failure the
  // frame's records and modules are as they were.
  int32_t LoadFrom(SobCursor& in);
  // Reads a block into staging parts without touching any frame; the
  // history is only checked to hold together. 0; 2 a history block that
  // does not; kLoadDamaged.
  static int32_t ParseSaveBlock(SobCursor& in, TgsFrameBlock& block);
  // Ends the effect slots and clears both sets' layers, layer animations,
  // quakes and sprites (before a saved state is put back, and when a run
  // ends).
  static void ClearLayerSets(TgsLayerSets& sets);
  // Rebuilds the screen and sounds from loaded records; the next resumed
  // run does it once. 0, or -1 when the program closes meanwhile.
  int32_t ReapplyState();
  bool ReapplyPending() const { return reapplyPending_; }
  // Composes the page canvas into its target once more: 1 without a page
  // canvas, else 0.
  int32_t DrawPageCanvas();
  // The page on screen as a save's comment (CP932): its characters without
  // page commands or ideographic spaces, behind "【name】" and a line feed
  // when the page has a speaker. 0; 1 no page text; 2 no characters.
  int32_t GetCommentText(std::string& out) const;
  TgsFrameRecords& Records() { return records_; }
  const TgsFrameRecords& Records() const { return records_; }
  // Zooms the message window by zoom (0: none) turned by angle (1/512
  // turns) about the screen point (centreX, centreY); kept for saves.
  void SetWindowZoom(float zoom, int32_t angle, int32_t centreX, int32_t centreY);
  // The voice cue the next page output plays (empty: none).
  const std::string& PendingVoice() const { return pendingVoice_; }
  // What a save takes now: the records with the live layers, sprites,
  // effects, caption, page and choices over them (the loaded records as
  // they stand while their re-application is pending).
  TgsFrameRecords RecordsForSave() const;

  // One line for the log (the environment's, or standard error).
  void Log(const std::string& line) const;
  void ShowMessage(const char* utf8) const { ShowTgsMessage(environment_, utf8); }

 private:
  // A parsed condition or argument operand of an inline block.
  struct Operand;
  struct InlineBlock;

  uint32_t TextEnd() const;
  // False when the pump, run after kBlocksPerPump blocks, reports closing.
  bool KeepResponsive();
  void CopyPendingText();
  void AppendCharacter(const uint8_t* bytes, size_t count);
  // The position after the block, a jump target, or 0 when reading stops
  // (the command status then says why).
  uint32_t ExecuteInlineCommand(uint32_t block);
  uint32_t ExecuteBuiltin(const InlineBlock& block, const TgsArguments& arguments);
  uint32_t ExecuteHandler(const InlineBlock& block, const TgsArguments& arguments);
  bool ParseInlineBlock(uint32_t block, InlineBlock& out);
  bool EvaluateOperand(const Operand& operand, uint32_t& value);
  bool ReadVariableElement(uint32_t variable, uint32_t element, uint32_t& value);
  bool EvaluateExpression(uint32_t expression, uint32_t& value);
  uint32_t ExecuteScriptCall(uint32_t block);
  int32_t RunScriptBlock(bool allowJump, bool started);
  // The same, going on from a run that already gave `run`.
  int32_t RunScriptBlockFrom(bool allowJump, int run);
  // Applies the relocation lists at `lists` (u8 counts when narrow) to the
  // code at `code` of codeBytes; false when an entry does not fit the code
  // or names nothing (then nothing is written).
  bool BindVariables(uint32_t lists, uint32_t listBytes, bool narrow, uint32_t code, uint32_t codeBytes);
  uint32_t RetTgsExpAddress() const;
  // Screen parts (in the frame's screen file).
  int32_t SetupScreen(const TgsCanvasRef* canvas);
  void SetupFonts();
  void ApplyFontSettings();
  // Font i (0 or 1) of the two that page commands change: the history fonts in
  // history mode, else the page fonts.
  OutlineFont* FontInUse(uint32_t i) const {
    return fonts_[(InHistoryMode() ? kHistoryFont1 : kPageFont1) + i].get();
  }
  void BuildRunScreen();
  void ReleaseRunScreen();
  // The bar buttons and the full-screen hot spot leave the controls and go.
  void ReleaseBarControls();
  // The frame and bar pictures leave their sprite list; the sprites stay.
  void TakeOutRunSprites();
  // The screen stops showing the frame's canvas: an own canvas hands it back
  // to the image it replaced, a borrowed one leaves it showing nothing.
  void DetachCanvasFromScreen();
  void ReleaseScreen();
  // Starts the music ducking under the voice channel when settings byte
  // 109 asks and music plays.
  void DuckMusicUnderVoice(SoundManager& sounds);
  // The two layer sets over the front canvas and a back canvas of its size.
  void SetupLayers();
  std::unique_ptr<ImageSprite> MakeSprite(std::unique_ptr<Surface>& surface, const char* name, int32_t x,
                                          int32_t y);
  void LoadBarButtons();
  std::optional<std::vector<uint8_t>> ReadGameFile(const std::string& path) const;
  // Pumps frames until more than ms have passed on timer 0 (0) or check
  // gives something other than kGoOn (that); -1 when the pump reports closing.
  static constexpr int32_t kGoOn = 0x7FFFFFFE;
  int32_t PumpUntil(uint32_t ms, const std::function<int32_t()>& check);
  // The resumed-run byte, read once: the first page end, choice list or
  // choice wait after a resume carries on the page that was up; later ones
  // deal with pages of their own.
  bool TakeResumed();
  // After a flush: the reading's result when a page command stopped the
  // page while it was measured, else 0.
  int32_t TakePageStop();
  // Ends the reading of a block that does not hold together.
  uint32_t DamagedBlock(uint32_t at, const char* why);
  std::string ModuleName() const;
  // The save block's parts kept in the frame itself (in its reapply file).
  bool HistoryGoesInSave(bool withHistory) const;
  void CommitLoadedRecords(TgsFrameRecords&& loaded);
  // After a load: the choice list and the page the save held.
  void ReapplyWindowContents();
  // Puts the recorded window zoom on the message window.
  void ApplyWindowZoom();
  // The first step of the rows that load a picture into the back set
  // before their transition: 0 loaded, else the row ends.
  int32_t LoadBackPicture(const TgsOperationCall& call);

  TgsFrameEnvironment environment_;
  ScriptMachine machine_;
  TgsOpcodeTable opcodes_;
  TgsPageBuffer page_;
  TimerArray timers_;
  TextHistoryBuffer history_;
  std::unique_ptr<MessageTextWindow> historyWindow_;
  std::optional<uint32_t> historyChoice_;
  std::unique_ptr<MessageWindowState> windowState_;

  // Reader state.
  std::string pendingText_;
  size_t pendingAt_ = 0;
  int32_t commandStatus_ = 0;
  uint32_t handlerArguments_ = 0;
  uint32_t waitChain_ = 0;
  bool replaying_ = false;
  uint32_t replayBlock_ = 0;  // pairs and strings of a replayed page command
  uint32_t blocksSincePump_ = 0;
  PageSink pageSink_;

  // Set-up and run state.
  bool setUp_ = false;
  bool ownsCanvases_ = false;
  TgsCanvasRef canvas_;
  int32_t messageId_ = -1;
  int32_t ruleImage_ = -1;
  std::array<int32_t, kOptionWords> optionWords_{};
  std::array<uint8_t, kChoiceFlags> choiceDisabled_{};
  TgsChoiceList choices_;
  std::string saveCaption_;
  uint8_t pageSerial_ = 1;
  bool pageSerialPending_ = false;
  bool measuringHistory_ = false;
  bool historyMode_ = false;
  bool verticalWriting_ = false;
  std::unique_ptr<FontFaceList> ownFaces_;
  bool choiceWait_ = false;
  bool pageShown_ = false;
  int32_t pageVoiceIndex_ = -1;
  bool skipByKey_ = false;
  bool skipBySetting_ = false;
  bool alreadyRead_ = false;
  bool autoMode_ = false;
  bool inputEnabled_ = false;
  bool resumed_ = false;
  uint8_t pageFontMarker_ = 0;
  uint32_t choiceCount_ = 0;
  std::string speakerName_;
  std::string voiceName_;
  std::array<uint8_t, kBarButtons> buttons_{};
  // The game's switches as the bar buttons last followed them.
  uint8_t switchGates_ = 0;
  std::vector<int32_t> bgTable_;
  // Sound (in the frame's sounds file).
  std::array<uint8_t, kLoopFlagChannels> loopFlags_{};
  bool voicePlaying_ = false;

  // Screen parts.
  std::array<std::unique_ptr<CanvasDrawImage>, 2> ownCanvases_;
  PreviousScreenImage previousScreen_;
  std::array<std::unique_ptr<OutlineFont>, kFontCount> fonts_;
  std::array<std::unique_ptr<Surface>, 2> cursors_;
  std::unique_ptr<Surface> framePicture_;
  std::unique_ptr<Surface> barPicture_;
  std::unique_ptr<ImageSprite> frameSprite_;
  std::unique_ptr<ImageSprite> barSprite_;
  std::array<ButtonControl*, kBarButtons> barButtons_{};
  HotSpotControl* hotSpot_ = nullptr;
  bool bgTintsOn_ = false;

  // Layers (in the frame's layers file); they go before the canvases.
  std::unique_ptr<CanvasDrawImage> backDisplay_;
  std::unique_ptr<TgsLayerSets> layers_;
  // What a save carries beside the module state.
  TgsFrameRecords records_;
  bool reapplyPending_ = false;
  std::unique_ptr<TgsScreenTransitions> transitions_;

  // Page output and the player's actions (in the frame's page output and
  // player actions files).
  bool SkipInputHeld() const;
  bool AdvancePressed() const;
  bool ChannelPlaying(int32_t channel) const;
  void PlayClickSound(int32_t channel) const;
  // The channel of the click heard for the bar's buttons and closings.
  static constexpr int32_t kClickChannel = 3;
  // The voice of the page being shown; below -1 nothing plays.
  int32_t StartPageVoice(const std::string& cue);
  void EndPageVoice(bool pageEnd);
  // One pass of a wait: the pump, the pointer and the controls. The tag of
  // the control the player fired, -1 when a control took the click, kGoOn
  // when nothing was fired, -2 when the program closes.
  int32_t ServeOneFrame();
  int32_t ShowChoiceButtons();
  // The keys while choices wait: Up or Down brings the pointer onto the
  // next enabled choice (-1), the decide input takes the choice under it
  // (its tag); kGoOn when neither was pressed.
  int32_t ServeChoiceKeys();
  void FadeOutOtherChoices(uint32_t taken);
  void ReleaseChoiceButtons();
  int32_t TakeChoiceAt(uint32_t index, bool skipWas);
  void Notice(const std::string& utf8, uint32_t ms) const;
  int32_t Confirm(const std::string& utf8) const;
  int32_t QuickSaveAction();
  int32_t QuickLoadAction();
  int32_t SaveLoadAction(bool save);
  // The game's save (true) or load screen: -1 it failed or the program
  // closes, 0 closed, 1 the player chose a save to load.
  int32_t RunSaveLoadScreen(bool save);
  int32_t SettingsAction();
  // The game's settings screen (its system script, else the settings
  // hook): -1 it failed, 0 closed, 1 the text settings changed. Sets
  // skipReadChanged when the read-text-only skip setting changed.
  int32_t RunSettingsScreen(bool& skipReadChanged);
  int32_t HideWindowAction(bool automatic);
  int32_t SystemMenuAction();
  int32_t ConfirmedRequest(const char* utf8, bool ask, int32_t request, int32_t result);

  std::string pendingVoice_;
  bool suppressOnce_ = false;
  int32_t pendingResult_ = 0;
  int32_t quickSlot_ = -1;
  uint8_t voicePacing_ = 0;
  bool restartAuto_ = false;
  uint32_t clockOffset_ = 0;
  uint32_t suspendTick_ = 0;
  int32_t pointerX_ = -1;
  int32_t pointerY_ = -1;
  std::vector<ButtonControl*> choiceButtons_;
};

}  // namespace orrivel
