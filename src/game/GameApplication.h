#pragma once
// The game shell's application. It reads the game folder from the command
// line, mounts the game's archives, boots the compiled scripts and runs the
// frame pump with the script steps until the scripts end or the window is
// closed. Drawing, sound and the game's own natives come with the
// subsystems that provide them; a run without a display closes its window by
// itself after a fixed number of frames.
#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "base/ActionMap.h"
#include "base/Application.h"
#include "base/CriticalSection.h"
#include "base/DropTarget.h"
#include "base/FrameRateLimiter.h"
#include "base/LowPriority.h"
#include "base/MathTables.h"
#include "base/TimerList.h"
#include "display/DisplayScreenDevice.h"
#include "game/DisplayTransitionScreen.h"
#include "game/SettingsSheet.h"
#include "game/SettingsStore.h"
#include "raster/KernelFlags.h"
#include "raster/PixelOpLibrary.h"
#include "scene/TextInputHook.h"
#include "resource/ArchiveManager.h"
#include "resource/DcpManager.h"
#include "resource/ImageLoaderManager.h"
#include "resource/LooseFileGuard.h"
#include "resource/PublishedLooseFileGuard.h"
#include "resource/TcpManager.h"
#include "game/FramePacing.h"
#include "game/FramePump.h"
#include "game/GameDialogs.h"
#include "game/GameWindowCommands.h"
#include "game/GameNativePort.h"
#include "natives/GameScriptHost.h"
#include "transition/LibraryTransitionRunner.h"
#include "platform/ScriptedRun.h"
#include "platform/ThreadPriority.h"
#include "natives/ScriptMovies.h"
#include "sound/MovieBinding.h"
#include "sound/SllManager.h"
#include "sound/SoundSystem.h"

namespace orrivel {

class GameApplication : public Application {
 public:
  GameApplication();

  ~GameApplication() override;

  // The configuration step: decoders, plug-ins and the built-in named
  // objects, the game folder, the archives, then the game's and the
  // player's settings files with the save folder. 0, or the settings'
  // start-up code (1 to 4) after its message.
  int Configure() override;
  // The save folder in use, with its trailing separator (null before the
  // settings were read).
  const char* GetSaveFolder() override;
  // Registers the game's own main-window handlers (dropped files); Ctrl
  // held at start asks for a window; the screen mode is fitted to the
  // monitor; the screen-size preset of the settings sizes the window.
  int CreateWindowResources() override;
  // The start's monitor adjustment, while full screen is available here:
  // a window asked for by the start option is granted when the work area
  // holds the game's height; a machine whose monitor check refuses full
  // screen runs in a window without the switch; otherwise an undecided
  // start (nothing forbids full screen, no window granted) goes full
  // screen.
  void FitStartScreenModeToMonitor();
  // The height of the work area of the monitor the window opens on.
  int32_t StartWorkAreaHeight() const;
  // The window at its stored place with the game's size: where the
  // window opens, so its monitor is the one the start fits to.
  platform::Rect SavedWindowRect() const {
    return {savedWindowX, savedWindowY, savedWindowX + gameWidth, savedWindowY + gameHeight};
  }
  // The device step: pixel operations, movie libraries, input devices and
  // the action map, sound, and the settings that the devices take.
  int CreateDevices() override;
  // Exit codes 9 and 12 forget the two user-block words that a start may
  // set; a failed restore or screen-mode change is reported. Unless
  // another error was recorded, the movie libraries then go, last loaded
  // first, each after the players that run on it.
  void ReleaseDevices(int code) override;
  // Writes USER.CFG and APP_CFG.DAT whenever they were read at start-up,
  // so the words cleared after a failed start are stored too.
  void SaveSettings(int code) override;
  void MainLoop() override;
  // The screen device of the display subsystem, installed at construction
  // (null when a test put another screen device in its place).
  DisplayScreenDevice* Display() { return dynamic_cast<DisplayScreenDevice*>(screen.get()); }

  // Builds the script host, loads the system scripts and the voice table and
  // loads "MAIN". 0 done; 1 no host, 2 system files, 3 to 5 "MAIN" missing,
  // damaged or a debug build, others the loader's code + 2. Each failure has
  // shown its message.
  int BootScripts();
  // Gives the text-adventure frame the game's system menu.
  void InstallSystemMenu(TgsNativeContext& frame);
  // The settings sheet over the main window: 1 after OK, 0 otherwise. OK
  // rebinds the input at once and hands changed popup hints to the control
  // host; the block is written at exit.
  int ShowSettingsSheet();
  // Plays the input file's next frame while a modal window of the game
  // runs; false when the file has nothing more to play.
  bool PlayScriptedFrame();
  // What the sheet reaches of the game: whether movies can play, the
  // playing movie's volume, and the monitors' names.
  void AddSheetMovieAndMonitorServices(SettingsSheet::Services& services);
  // The player's popup-hint settings (shown, and the delay in ms) go to the
  // game's control host: at the device step, when the scripts boot and
  // after the settings sheet changed them.
  static constexpr size_t kHintsShownOffset = 16;
  static constexpr size_t kHintDelayOffset = 20;
  void ApplyScreenSettings();
  // The player's drawing options (settings byte 160, the drawing method
  // when enlarged, and the switches of bytes 161-164: that method also
  // when not enlarged, power-of-two textures, smooth filtering, copying
  // through a device context) go to the display: after the settings are
  // read and when the settings sheet changes them.
  void ApplyDisplayOptions(uint8_t drawingMethod, std::array<uint8_t, 4> switches);
  // The display's start-up flags from the player's settings: automatic
  // vertical sync (boot byte 1 = 0) asks full screen for a 60 Hz mode;
  // settings byte 156 = 2 changes the resolution through the display
  // device's own mode switch, 1 through the desktop's display settings.
  void ApplyDisplayFlags();
  // The device step's placement of a window started in screen mode 3: at
  // the stored position when the player keeps it (settings byte 159), else
  // centred on its monitor's work area.
  void PlaceStartWindow();
  // The boot block's pacing bytes (1, 2, 3, 13 and 15) and the display's
  // vertical-sync facts go to the pacing switches, which set the limiter;
  // the presentation waits for the vertical blank while they ask for it.
  void ApplyBootPacing();
  // Shows the message of a step result that ends the run; false when the
  // run ends (the scripts' end or a failure).
  bool ReportScriptStep(int result);
  // The frame pump: the main loop and every wait elsewhere advance the game
  // one frame with it. The script steps to run (1 to 4), or 0 to end.
  int PumpFrame();
  // The program is going away: a quit, an end request, an error or the
  // main window gone. Whichever wait saw it, nothing new starts then.
  bool ProgramClosing() const;
  // Restarts MAIN for the pending interrupt and clears it; false (after
  // its message) when MAIN cannot be loaded.
  bool StartPendingInterrupt();

  // The worker-thread mode: the scripts boot, step and end on the worker.
  // JobBegin boots (non-zero: failed); JobStep runs one pass: 0 go on, 1 the
  // end byte or a stop, -1 the scripts ended, the step result + 1 for a
  // failed step (after its message), 6 a failed interrupt. JobEnd deletes
  // the loose sounds.
  int JobBegin() override;
  int JobStep() override;
  void JobEnd() override;
  // Enters or leaves the pump's waiting state. The second timer list is
  // paused while the pump waits (its tasks keep their places and due times)
  // and resumed when it stops waiting; repeating a state does nothing.
  void SetPumpWaiting(bool waiting);
  bool PumpWaiting() const { return pumpWaiting_; }
  // A message box or a menu holds the pump: the pump waits until the
  // outermost one ends.
  void OnModalBegin() override;
  void OnModalEnd() override;
  // Native 578's value for the menu: the mouse device shows (non-zero) or
  // hides the system cursor over the main window, which it tells with
  // 0x9000. Nothing without the window or a mouse.
  void ForwardMenuState(uint32_t value);
  // Drops on the main window, switched by the scripts. A screen-mode switch
  // makes a new window frame, so drops are enabled on it again.
  void EnableFileDrop(bool enable);
  bool FileDropEnabled() const { return fileDropOn_; }
  void OnEnteredFullScreen() override;
  void OnEnteredWindow() override;
  // The image cache size for the cache setting byte: 0 automatic (by the
  // machine's memory, -1), 1 off (0), s above 1 (s - 1) x 4 megabytes.
  static int32_t ImageCacheMegabytes(uint8_t setting);
  // WM_CLOSE: asks the player whether to end the game, and closes on yes.
  int OnClose(MessageRecord& record) override;
  // The display is back after a full-screen game was minimised: a close
  // that waited for it goes on.
  void OnFullScreenActivate() override;
  // WM_DROPFILES: the names go to the drop target for the scripts.
  int OnDropFiles(MessageRecord& record);

  // The one set of trigonometric tables, published for rotated drawing
  // before anything is drawn.
  MathTables mathTables;
  // The transition library drawing into the display device's back surface,
  // for the transition objects scripts create.
  std::unique_ptr<DisplayTransitionScreen> transitionScreen;
  std::unique_ptr<LibraryTransitionRunner> transitionRunner;
  std::unique_ptr<ArchiveManager> archives;
  // The picture decoders with the image cache, published for the surfaces
  // for the application's whole life; start-up adds the built-in decoders
  // and the picture plug-ins.
  ImageLoaderManager images;
  // The image cache setting byte (see ImageCacheMegabytes).
  uint8_t imageCacheSetting = 0;
  // The named layer actions and effects, and the named transitions and
  // screen filters: the built-in entries come with their subsystems, the
  // plug-ins of the "plugin" folder are added once at start-up.
  DcpManager dcpObjects;
  TcpManager tcpObjects;
  // The main thread's priority, lowered while long effects run; published as
  // the process-wide low-priority hooks at start-up and withdrawn at the end.
  // Switched off, it does nothing and new layer actions make no request.
  std::unique_ptr<platform::ThreadPriority> threadPriority;
  std::unique_ptr<LowPriorityNesting> lowPriority;
  bool LowPriorityOff() const { return lowPriority && !lowPriority->Enabled(); }
  // The pixel-operation library, when the program's folder has one.
  std::unique_ptr<PixelOpLibrary> pixelOps;
  // The movie libraries bound at the device step. Declared before
  // everything that can hold a movie player, so the libraries are unloaded
  // only after the last player is gone.
  MovieLibraries movieLibraries;
  // The scripts' movie (natives 629 to 648), its lock and the movie-state
  // byte; installed at boot, closed before the scripts go.
  CriticalSection movieLock;
  std::atomic<uint8_t> movieState{0};
  ScriptMovies movies;
  std::unique_ptr<GameScriptHost> scripts;
  // The layer the open text frame draws on (questions and notices asked
  // over its page show there); null without a frame or its canvas.
  SpriteList* FrameWindowList() const;
  // What the scripts' application natives reach; installed at boot.
  std::unique_ptr<GameNativePort> nativePort;
  // Builds the script host at boot (a test may put a failing one here);
  // null: no memory for a host.
  std::function<std::unique_ptr<GameScriptHost>(GameHostSetup)> makeScriptHost;
  // The sound codecs: the built-in Ogg Vorbis codec when its library loads,
  // then the "*.SLL" plug-ins of "plugin"; published for every sound from
  // start-up on. Declared before the sound system, so that it outlives the
  // decoders of the sounds.
  SllManager soundCodecs;
  // The sound system: the output, its primary format and the scripts' loose
  // sounds, published while the output is open (a run without one is
  // silent). Headless runs get the virtual device.
  SoundSystem sound;
  // The screen mode as the settings gave it (the window block's byte 0),
  // before Ctrl or the display changed it, and the drawing method the
  // settings chose (byte 160) before the display tried it.
  uint8_t configuredScreenMode = 0;
  uint8_t configuredDrawingMethod = 0;
  // Byte 160's DirectDraw choice: the plain blit every display can do.
  static constexpr uint8_t kPlainDrawingMethod = 2;
  // After a mode switch: when the display runs another drawing method than
  // the chosen one, settings byte 160 asks for the plain one and, in a
  // window, byte 161 for no blits when not enlarged; the display takes
  // them at once. True when it did.
  bool KeepDrawingMethodInUse(uint8_t chosen);
  // SoundDevice::Create's answer at the device step (-1 before it).
  int32_t soundOutputCode = -1;
  // The game's two timer lists: the system list (fades, cursor glides, the
  // confirmation box), stepped on every pass of the frame pump, and the
  // object list (sprite and layer actions, animations, transitions),
  // stepped once per frame and paused while the pump waits.
  TimerList timerLists[2];
  FrameRateLimiter limiter{60, false};
  // The vertical-sync and counter switches and their nestings.
  FramePacing pacing{limiter};
  // The display draws a Direct3D scene: chosen when the scripts boot, it
  // picks the pump that leaves the picture to the scene's presentation
  // (else the pump fills and draws the scene objects itself).
  bool presentsScene = false;
  // The pump PumpFrame runs: by the run mode and presentsScene.
  FramePump::Kind FramePumpKind() const;
  // 0 none, else the number + 1 of the interrupt to start after the
  // current script step.
  std::atomic<uint8_t> pendingInterrupt{0};
  // A command or a lost display asked the run to end.
  std::atomic<bool> endRequested{false};
  // The worker-thread mode's bytes, set by the main thread: the scripts'
  // pause (1 asked, 2 held) and the object timer list's pause (1 pause
  // asked, 2 paused, 3 resume asked).
  std::atomic<uint8_t> scriptPause{0};
  std::atomic<uint8_t> objectListPause{0};
  // Held while the worker steps the system timer list.
  CriticalSection timerLock;
  // The player's frame settings, read before each frame: a changed rate or
  // clock goes to the limiter, and frame skip makes the limiter count the
  // periods a late frame missed.
  struct FrameSettings {
    int32_t rate = 60;
    bool usePerformanceCounter = false;
    bool frameSkip = false;
  };
  FrameSettings frameSettings;
  // Asked after each frame how many script steps to run: 1 to 4, -1 for one,
  // 0 to end the run, in place of the pump's own answer (tests).
  std::function<int()> framePump;
  // Files dropped on the main window, waiting for the scripts.
  DropTarget dropTarget;
  // The game's message dialogs and version dialog, and the main window's
  // commands, switches and prompts.
  GameDialogs dialogs{*this};
  GameWindowCommands windowCommands{*this};

  // How the scripts ended: -1 not booted (or boot failed), else the last
  // ScriptHost::Step result (0 when they reached their end).
  int scriptResult = -1;
  uint32_t scriptSteps = 0;
  // ArchiveManager::Mount's result for "SCRIPT.LPK" (-1 before it) and
  // BootScripts' result, for the failure report.
  int scriptArchiveCode = -1;
  int bootResult = 0;
  // One line for whoever runs the program when the scripts could not boot or
  // stopped in a fault: the game folder, the script archive's mount result
  // and the failure's code. Empty when the run ended normally.
  std::string DescribeFailure() const;
  // The game folder and the script archive's mount result.
  std::string DescribeGameFolder() const;

  // The game's and the player's settings blocks, the save folder and the
  // installation values.
  SettingsStore settings;
  // Called by the device step when the boot block asks for movies (byte 7):
  // binds the movie libraries beside the program, the sprite-movie library
  // when the user block asks for sprites (byte 5), else the primary-surface
  // one, and the object library in both cases (only the first exists
  // here). Set at construction; unset, no movie library is loaded.
  std::function<void(GameApplication&)> loadMovieLibraries;
  // SoundDevice::Create's failure was noticed at start-up (boot byte 6).
  bool soundWarningShown = false;

  // The game's actions (20 of them), with the default bindings.
  ActionMap* actions = nullptr;
  // The main window's typed characters, keys and input method, handed to
  // the focused text entry of the scripts (native 716 hooks the window).
  TextInputHook textInput;
  // The mouse functions bound from the player's settings, and what the
  // settings sheet keeps between openings.
  MouseBindingRecord mouseBindings;
  SettingsSheet::Memory settingsSheet;
  // Told the text-input dialog's and the settings sheet's windows once they
  // exist, before they take input (what drives them when no player does).
  std::function<void(platform::WindowId)> textInputOpened;
  std::function<void(platform::WindowId)> settingsSheetOpened;
  // Until the game draws its own cursor, the system one stays shown
  // (boot byte 4 = 0 hides it at start).
  bool keepSystemCursor = true;

  // Frames after which the pump closes its own window (0: never).
  uint32_t frameLimit = 0;
  // A scripted run (not owned): it plays its input into each frame before
  // the frame reads the devices, and takes the pump's waits when it keeps
  // a virtual clock.
  platform::ScriptedRun* scriptedRun = nullptr;
  // What the run did, for the closing line.
  uint32_t framesRun = 0;
  bool closedByLimit = false;

 private:
  // The process's kernel choice before this application's start picked the
  // packed ones; given back when it goes.
  bool packedKernelsBeforeStart_ = MmxFlag();
  // Opens the default sound output at the game's primary format; the game
  // goes on without sound when it cannot.
  void OpenSoundOutput();
  // Registers the built-in codec and loads the sound-decoder plug-ins.
  void LoadSoundCodecs();
  void ApplyFrameSettings();
  // The steps for the pump's answer (or the override's), within 0 to 4.
  int ScriptStepsForFrame(int pumped);
  // Runs up to count steps; false when the run ends.
  bool RunScriptSteps(int count);

  // The picture decoders, then the plug-ins of every kind in "plugin".
  void LoadPictureDecodersAndPlugins();
  // Publishes the low-priority hooks and registers the built-in layer
  // actions of the start-up group (before any plug-in).
  void RegisterStartupObjects();

  // With the scripts on the worker, the main thread's work for them (the
  // window's commands, screen mode changes, restores) judges what it finds
  // by name as the scripts' roots did at the worker's last step: the worker
  // publishes a snapshot of the host's guard at boot and at each step, and
  // the main thread keeps this guard in force from the device step to the
  // release of the devices.
  void PublishScriptRoots();
  PublishedLooseFileGuard scriptRootsBeside_;
  std::optional<ScopedLooseFileGuard> mainThreadGuard_;

  bool pumpWaiting_ = false;
  int modalDepth_ = 0;
  bool fileDropOn_ = false;
  FrameSettings appliedSettings_;
};

}  // namespace orrivel
