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
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "frame/TgsArguments.h"
#include "frame/TgsModule.h"
#include "frame/TgsOpcodeTable.h"
#include "frame/TgsPageBuffer.h"
#include "frame/TimerArray.h"
#include "script/ScriptMachine.h"

namespace orrivel {

class ButtonControl;
class CanvasDrawImage;
class CanvasDrawObject;
class ControlFactory;
class ControlHost;
class DcpManager;
class DisplayScreenDevice;
class HotSpotControl;
class ImageSprite;
class OutlineFont;
class ScreenImage;
class ScriptHost;
class Surface;
class TcpManager;
class TgsLayerSets;
class TgsScreenTransitions;
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
  // Messages that the player must see (load failures in script blocks).
  platform::MessageBoxService* messageBoxes = nullptr;
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
  // The object timer list the layer actions run on and the registry they
  // are made from; without them no layer effect starts.
  TimerList* objectTimers = nullptr;
  DcpManager* layerActions = nullptr;
  // The registry the screen transitions and filters are made from; without
  // it every transition command changes the picture at once.
  TcpManager* screenObjects = nullptr;
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
  // -2 not set up; else 0. (Re-applying a loaded state on a resumed run,
  // with -1 when it fails, joins here with the frame's saved state.)
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
  void SetSkipBySetting(bool on) { skipBySetting_ = on; }
  void SetAutoMode(bool on) { autoMode_ = on; }
  void SetChoiceWait(bool on) { choiceWait_ = on; }
  void SetPageShown(bool on) { pageShown_ = on; }
  uint8_t PageFontMarker() const { return pageFontMarker_; }
  void MarkPageFonts(uint8_t marker) { pageFontMarker_ |= marker; }
  // Button states: 0 disabled, 1 enabled.
  uint8_t ButtonState(uint32_t button) const { return button < kBarButtons ? buttons_[button] : 0; }
  void SetButtonEnabled(uint32_t button, bool on);
  bool ButtonsVisible() const { return buttonsVisible_; }
  // History entries held; the history screen keeps it (button 7 needs two).
  uint32_t HistoryEntries() const { return historyEntries_; }
  void SetHistoryEntries(uint32_t count) { historyEntries_ = count; }
  uint32_t HistoryCapacity() const { return historyCapacity_; }
  TimerArray& Timers() { return timers_; }

  // --- screen parts -------------------------------------------------------
  // Fonts: page font 1 and 2 and the two history fonts.
  enum FontSlot : uint32_t { kPageFont1 = 0, kPageFont2 = 1, kHistoryFont1 = 2, kHistoryFont2 = 3, kFontCount = 4 };
  OutlineFont* GetFont(FontSlot slot) const { return fonts_[slot].get(); }
  // The sprites of a run (null outside one): the message window's frame
  // picture and the bar picture.
  ImageSprite* FrameSprite() const { return frameSprite_.get(); }
  ImageSprite* BarSprite() const { return barSprite_.get(); }
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
  // Copies one character of the module text at address; the next address.
  uint32_t CopyTextChar(uint32_t address);
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
  void BuildRunScreen();
  void ReleaseRunScreen();
  void ReleaseScreen();
  // The two layer sets over the front canvas and a back canvas of its size.
  void SetupLayers();
  std::unique_ptr<ImageSprite> MakeSprite(std::unique_ptr<Surface>& surface, const char* name, int32_t x,
                                          int32_t y);
  void LoadBarButtons();
  std::optional<std::vector<uint8_t>> ReadGameFile(const std::string& path) const;
  // Ends the reading of a block that does not hold together.
  uint32_t DamagedBlock(uint32_t at, const char* why);
  std::string ModuleName() const;

  TgsFrameEnvironment environment_;
  ScriptMachine machine_;
  TgsOpcodeTable opcodes_;
  TgsPageBuffer page_;
  TimerArray timers_;

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
  std::array<uint8_t, 5> choiceDisabled_{};
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
  bool buttonsVisible_ = false;
  uint32_t historyEntries_ = 0;
  uint32_t historyCapacity_ = 0;
  std::vector<int32_t> bgTable_;

  // Screen parts.
  std::array<std::unique_ptr<CanvasDrawImage>, 2> ownCanvases_;
  ScreenImage* previousScreenImage_ = nullptr;
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
  std::unique_ptr<TgsScreenTransitions> transitions_;
};

}  // namespace orrivel
