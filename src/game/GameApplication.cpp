#include "game/GameApplication.h"

#include <array>
#include <atomic>
#include <cstdio>
#include <cstring>

#include "base/DefaultActionBindings.h"
#include "base/InputManager.h"
#include "base/MouseDevice.h"
#include "base/ProcessorInfo.h"
#include "base/StartupHooks.h"
#include "display/SurfaceImage.h"
#include "effect/BuiltinEffects.h"
#include "frame/MessageWindowState.h"
#include "game/ConfirmBox.h"
#include "game/FramePump.h"
#include "game/GameMenu.h"
#include "game/GameFramePorts.h"
#include "game/GameSystemMenuPort.h"
#include "game/GamePlayerServices.h"
#include "natives/DisplayObjectArguments.h"
#include "natives/GameControlHost.h"
#include "game/SettingsSheetWindow.h"
#include "natives/ProcessObjects.h"
#include "natives/SystemNativePort.h"
#include "scene/ControlFactory.h"
#include "sound/BgmTrack.h"
#include "sound/SoundManager.h"
#include "scene/CanvasDrawImage.h"
#include "scene/CanvasDrawObject.h"
#include "scene/SpriteCanvas.h"
#include "platform/Backend.h"
#include "platform/FileSystem.h"
#include "platform/InputSource.h"
#include "platform/PathResolver.h"
#include "platform/TextCodec.h"
#include "raster/BlendTables.h"
#include "raster/DrawSettingByte.h"
#include "raster/KernelFlags.h"
#include "raster/Surface.h"
#include "base/TickSource.h"
#include "resource/BaseFolder.h"
#include "resource/LooseFileGuard.h"
#include "resource/Paths.h"
#include "transition/BuiltinTransitions.h"
#include "resource/SpiPluginLoader.h"
#include "script/ScriptFile.h"
#include "sound/StreamSound.h"
#include "sound/VorbisCodec.h"
#include "text/FontSettings.h"

namespace orrivel {

using namespace platform;

GameApplication::GameApplication() {
  SetMathTables(&mathTables);
  InitBaseFolder();
  baseFolder = BaseFolder();
  Surface::SetLoaderManager(&images);
  // The screen is the display subsystem's device; the screen canvas it is
  // asked for is a composing canvas of the scene subsystem.
  SetScreenDevice(std::make_unique<DisplayScreenDevice>());
  DisplayScreenDevice::SetCanvasCreator(&CreateCanvasDrawObjectForSource);
  if (DisplayScreenDevice* display = Display()) {
    transitionScreen = std::make_unique<DisplayTransitionScreen>(*display);
    transitionRunner = std::make_unique<LibraryTransitionRunner>(transitionScreen.get());
    display->SetTransitionRunner(transitionRunner.get());
  }
  // The start-up steps that live in the libraries above the framework.
  StartupHooks& hooks = GetStartupHooks();
  hooks.buildBlendTables = [] { BuildBlendTables(); };
  hooks.publishRasterSetting = [](uint8_t value) { SetDrawSettingByte(value); };
  hooks.identifyProcessor = [] { IdentifyProcessor(); };
  hooks.maskProcessorFeatures = [](bool cmov, bool mmx, bool sse, bool sse2) {
    ProcessorInfo& cpu = Processor();
    if (!cmov) cpu.cmov = false;
    if (!mmx) cpu.mmx = cpu.mmxPlus = false;
    if (!sse) cpu.sse = cpu.integerSse = false;
    if (!sse2) cpu.sse2 = false;
    SetMmxFlag(cpu.mmx);
  };
  // The movie players fall back to the game's archives when their caller
  // names none. The libraries (and the codecs' shared objects under them)
  // load when a movie is first asked for, not at start: a library that is
  // missing or refused answers then exactly as it would have at start.
  loadMovieLibraries = [](GameApplication& app) {
    app.movieLibraries.BindOnFirstUse(app.settings.blocks.user[5] != 0, app.archives.get());
  };
}

GameApplication::~GameApplication() {
  // The object list's tasks (sprite and layer actions, animations,
  // transitions) work on what the scripts made: they stop and go while the
  // script host still holds it.
  timerLists[1].Clear();
  // The run's control host and sound manager outlive the application: they
  // let go of it, and the sound manager goes before the timer list its
  // tasks run on.
  ProcessObjects* objects = GetProcessObjects();
  if (objects != nullptr) {
    // The controls and the input-mode indicator draw on the display's
    // canvas: they go while it lives.
    objects->Controls().DeleteAll();
    objects->Controls().DestroyImeIndicator();
    objects->Controls().SetCanvas(nullptr);
    objects->ControlHost().SetCanvas(nullptr);
    objects->ControlHost().Clear();
    objects->ControlHost().Detach();
    objects->Controls().textEntryTimers = nullptr;
    objects->Controls().imeContext = nullptr;
    textInput.AttachTextInputHook(platform::kNoWindow);
    if (SoundManager* sounds = objects->Sounds()) sounds->SetVoiceTable(nullptr);
  }
  movies.Close();
  if (&CurrentScriptMovies() == &movies) SetScriptMovies(nullptr);
  scripts.reset();
  if (objects != nullptr) objects->StopSoundManager();
  // The draw objects go while the decoders and tables they use are alive;
  // the device itself goes with the base.
  if (DisplayScreenDevice* display = Display()) {
    display->SetScreenImage(0, 0);
    display->DeleteAll();
    display->DeleteAllFonts();
    display->SetTransitionRunner(nullptr);
    if (SurfaceImage::ScreenDevice() == display) SurfaceImage::SetScreenDevice(nullptr);
  }
  if (lowPriority) {
    CanvasDrawObject::SetLowPriorityHook(nullptr);
    ResetLowPriorityHooks();
    lowPriority->SetEnabled(false);  // restores a thread still lowered
  }
  // The loose sounds go while the output and the codecs they use are still
  // published.
  sound.DeleteAllSounds();
  if (GetSoundDevice() == &sound) SetSoundDevice(nullptr);
  sound.Release();
  if (GetSllManager() == &soundCodecs) SetSllManager(nullptr);
  if (Surface::LoaderManager() == &images) Surface::SetLoaderManager(nullptr);
  if (GetArchiveManager() == archives.get()) SetArchiveManager(nullptr);
  if (GetMathTables() == &mathTables) SetMathTables(nullptr);
  SetMovieOption(kDefaultMovieOption);
  // The packed kernels round some blends apart from the plain ones: the
  // choice made for this machine at start goes with the application, so
  // whatever draws after it draws as it did before.
  SetMmxFlag(packedKernelsBeforeStart_);
}

namespace {

// What the player sees now: the text frame's visible canvas while there is
// a frame (a transition may have changed which one that is), else the
// screen's current canvas.
SpriteCanvas* VisibleCanvas(ProcessObjects& objects, const TgsFrameSlot* slot) {
  CanvasDrawObject* shown = slot && slot->frame ? slot->frame->CanvasObject() : nullptr;
  if (SpriteCanvas* canvas = shown ? shown->GetCanvas() : nullptr) return canvas;
  return objects.CurrentSpriteCanvas();
}

// The game's archives: the patches over the game folder (the numbered ones
// in front, so the newest wins), then the scripts as the folder "SCRIPT\".
// A game without archives runs from loose files, so nothing here is fatal;
// the script archive's mount result is kept for the failure report.
int MountGameArchives(ArchiveManager& archives) {
  if (archives.Mount("PATCH.LPK", kNoMountId, false, true, nullptr) == 0) {
    for (int n = 2;; ++n) {
      const std::string name = "PATCH" + std::to_string(n) + ".LPK";
      if (archives.Mount(name, kNoMountId, false, false, nullptr) != 0) break;
    }
  }
  return archives.Mount("SCRIPT.LPK", kNoMountId, true, true, nullptr);
}

// The "/L" folder in the engine's path form. A folder in the machine's own
// form ("/home/...") is converted; a relative one is taken against the
// program's folder, and, when no such folder is there, against the current
// folder, where whoever started the program is likely to mean it.
std::optional<std::string> GameFolderFromCommandLine(const char* folder) {
  if (folder[0] == '/') return ToInternalPath(folder);
  std::string full;
  if (folder[0] == '\\' || MakeFullPath(full, folder) != 2 || PathExists(full)) return std::string(folder);
  const std::optional<std::string> current = CurrentFolder();
  if (current && MakeFullPath(full, folder, *current) == 2 && PathExists(full)) return full;
  return std::string(folder);
}

// "/W" (either case) at the head of the command line, alone or before a
// space, asks for a window at start (the screen-mode hint); the rest of the
// line follows it. Any other line is handed back as it is.
const char* TakeWindowOption(const char* line, uint8_t* hint) {
  if (line == nullptr || line[0] != '/' || (line[1] != 'W' && line[1] != 'w')) return line;
  if (line[2] != '\0' && line[2] != ' ') return line;
  *hint = Application::kHintWindowAsked;
  line += 2;
  while (*line == ' ') ++line;
  return line;
}

const char* MountCodeText(int code) {
  switch (code) {
    case 0: return "mounted";
    case 1: return "not an archive any decoder can read";
    case 3: return "cannot be opened (not a readable regular file)";
    case 5: return "not found";
    case 8: return "out of memory";
    default: return "not mounted";
  }
}

const char* BootCodeText(int code) {
  switch (code) {
    case 1: return "no memory for the script host";
    case 2: return "system files SCRIPT\\SOB_INIT.DAT, USER_VAR.SOB or FUNC_LIB.SOB missing or damaged";
    case 3: return "main script MAIN missing";
    case 4: return "main script MAIN damaged";
    case 5: return "main script MAIN is a debug build";
    default: return "main script MAIN failed to load";
  }
}

}  // namespace

int GameApplication::Configure() {
  if (int result = Application::Configure(); result != 0) return result;
  appInfo[0] = "ORRIVEL";
  // The built-in named transitions come before any plug-in's, so a plug-in
  // cannot shadow them.
  RegisterStartupTransitions(tcpObjects);
  // "/W" first asks for a window; then "/Lfolder" names the game folder,
  // the rest of the line. A folder given in the machine's own form
  // ("/home/...") is turned into the engine's path form first.
  // The game folder is settled before any plug-in is looked for, so
  // "plugin" is the game's own folder: here one installed program runs
  // games that live elsewhere, and a game's plug-ins ship with the game,
  // not in the program's folder. Each registry still takes its built-in
  // entries before the plug-ins of its kind.
  const char* line = TakeWindowOption(commandLine, &screenModeHint);
  if (line && line[0] == '/' && (line[1] == 'L' || line[1] == 'l')) {
    if (const std::optional<std::string> internal = GameFolderFromCommandLine(line + 2)) SetBaseFolder(*internal);
    baseFolder = BaseFolder();
  }
  archives = std::make_unique<ArchiveManager>();
  SetArchiveManager(archives.get());
  archives->RegisterLpkDecoder();
  archives->LoadPlugins("plugin");
  scriptArchiveCode = MountGameArchives(*archives);
  RegisterStartupObjects();
  LoadPictureDecodersAndPlugins();
  LoadSoundCodecs();
  const int loaded = settings.Load(*this);
  if (loaded == 0) {
    const AppSettings::AppConfigBlock& block = settings.blocks.appConfig;
    ApplyDisplayOptions(block[160], {block[161], block[162], block[163], block[164]});
    ApplyDisplayFlags();
    // The player's Direct3D choice (user byte 10) decides whether the
    // start's mode switch makes a Direct3D device for the scene.
    if (DisplayScreenDevice* display = Display()) display->SetUseDirect3D(useDirect3D != 0);
  }
  configuredScreenMode = screenMode;
  configuredDrawingMethod = settings.blocks.appConfig[160];
  return loaded;
}

void GameApplication::ApplyDisplayFlags() {
  DisplayScreenDevice* display = Display();
  if (display == nullptr) return;
  display->SetPrefer60Hz(settings.blocks.boot[1] == 0);
  display->SetModeChangeThroughDisplayDevice(settings.blocks.appConfig[156] == 2);
}

void GameApplication::PlaceStartWindow() {
  if (configuredScreenMode != 3 || screenMode != 2 || !mainWindow.IsValid()) return;
  if (settings.blocks.appConfig[159] == 0) {
    windowCommands.CentreWindow();
    return;
  }
  platform::Backend& backend = platform::CurrentBackend();
  const platform::WindowId window = mainWindow.GetHandle();
  const Rect outer = backend.GetWindowRect(window);
  backend.MoveWindow(window, Rect{savedWindowX, savedWindowY, savedWindowX + outer.Width(),
                                  savedWindowY + outer.Height()});
}

void GameApplication::ApplyDisplayOptions(uint8_t drawingMethod, std::array<uint8_t, 4> switches) {
  DisplayScreenDevice* display = Display();
  if (display == nullptr) return;
  display->SetDrawingMethod(drawingMethod);
  display->SetDirectDrawWhenNotEnlarged(switches[0] != 0);
  display->SetPowerOfTwoTexture(switches[1] != 0);
  display->SetSmoothFiltering(switches[2] != 0);
  display->SetCopyThroughDc(switches[3] != 0);
}

const char* GameApplication::GetSaveFolder() {
  return settings.loaded ? settings.saveFolder.c_str() : nullptr;
}

void GameApplication::LoadSoundCodecs() {
  SetSllManager(&soundCodecs);
  // Without its library the Ogg codec stays out, and Ogg files find no
  // decoder unless a plug-in reads them.
  VorbisCodec::Register(soundCodecs, VorbisCodec::DefaultLibraryPath());
  soundCodecs.LoadPlugins("plugin");
}

void GameApplication::RegisterStartupObjects() {
  threadPriority = platform::CreateThreadPriority(platform::CurrentBackend().IsHeadless());
  lowPriority = std::make_unique<LowPriorityNesting>(*threadPriority);
  lowPriority->Install();
  // Picture objects running a low-priority timed present nest with the
  // layer actions on the same count.
  CanvasDrawObject::SetLowPriorityHook([](bool enter) { enter ? EnterLowPriority() : LeaveLowPriority(); });
  RegisterStartupEffects(dcpObjects);
}

void GameApplication::LoadPictureDecodersAndPlugins() {
  // Built-in decoders first: a plug-in that claims the same extension
  // comes after them.
  images.RegisterBuiltInDecoders();
  images.LoadPlugins("plugin");
  ScanSpiPlugins("plugin", archives.get(), &images, true, true);
  images.SetCacheLimit(ImageCacheMegabytes(imageCacheSetting));
  dcpObjects.LoadPlugins("plugin");
  tcpObjects.LoadPlugins("plugin");
}

int32_t GameApplication::ImageCacheMegabytes(uint8_t setting) {
  if (setting == 0) return -1;
  return (int32_t(setting) - 1) * 4;
}

int GameApplication::CreateWindowResources() {
  // The main window is made after this step, so it has the handler from
  // its first message on.
  mainWindow.RegisterMessageHandler(WM_DROPFILES, this, &GameApplication::OnDropFiles);
  // The menu and the accelerators the window and the message loop load.
  RegisterGameMenuResources(platform::CurrentBackend());
  windowCommands.RegisterHandlers(mainWindow);
  // The settings commands of the menu open the settings sheet.
  windowCommands.showSettingsSheet = [this] { ShowSettingsSheet(); };
  // Ctrl held while the game starts: a window, whatever the settings say,
  // and the monitor adjustment keeps it.
  std::array<uint8_t, 256> keys{};
  platform::CurrentInputSource().ReadKeyboard(keys);
  if (keys[VK_CONTROL] & 0x80) screenMode = 2;
  FitStartScreenModeToMonitor();
  // The screen-size presets: the window shows the game smaller, kept in
  // its proportions. They are the player's window size, so they hold also
  // where full screen is not available.
  if (DisplayScreenDevice* display = Display()) {
    switch (settings.blocks.appConfig[165]) {
      case 1: display->SetWindowSizeKeepAspect(1024, 576); break;
      case 2: display->SetWindowSizeKeepAspect(800, 450); break;
      default: break;
    }
  }
  return 0;
}

void GameApplication::FitStartScreenModeToMonitor() {
  if ((systemKeyFlags & kFullScreenAvailable) == 0) return;
  if (screenModeHint == kHintWindowAsked && screenMode != 2 && StartWorkAreaHeight() >= gameHeight) {
    screenMode = 2;
    screenModeHint = kHintWindowGranted;
  }
  int32_t monitor = 0;
  if (windowCommands.GetMonitorRect(mainWindow.GetHandle(), &monitor) != 0) {
    // No full screen on this machine: the game runs in a window, and its
    // menu and window offer no switch.
    settings.blocks.system[19] = 0;
    screenModePolicy = 0;
    screenMode = 2;
    systemKeyFlags &= ~kFullScreenAvailable;
    return;
  }
  // A window granted above is a chosen mode too.
  if (screenMode != 1 && !FullScreenForbidden()) screenMode = 1;
}

int32_t GameApplication::StartWorkAreaHeight() const {
  platform::Rect work;
  monitors.GetMonitorWorkArea(work, monitors.MonitorFromRect(SavedWindowRect()));
  return work.Height();
}

SpriteList* GameApplication::FrameWindowList() const {
  const TgsFrame* frame = scripts ? scripts->TextFrameSlot().frame.get() : nullptr;
  return frame ? frame->WindowList() : nullptr;
}

int GameApplication::OnClose(MessageRecord& record) { return windowCommands.ConfirmQuit(record); }

void GameApplication::OnFullScreenActivate() { windowCommands.RunDeferredClose(); }

int GameApplication::OnDropFiles(MessageRecord& record) {
  // The player dragged onto the game: it comes to the front to take them.
  platform::CurrentBackend().SetForegroundWindow(GetHandle(record));
  dropTarget.OnDropFiles(record.wParam);
  return 0;
}

// The frame's right-click menu: its items through the game's control
// factory and host, its fade on the system timer list, its questions in
// the confirmation box and its quick saves in the game's save files.
void GameApplication::InstallSystemMenu(TgsNativeContext& frame) {
  ProcessObjects* objects = GetProcessObjects();
  if (objects == nullptr) return;
  GameSystemMenuPort::Services services;
  services.host = &objects->ControlHost();
  services.factory = &objects->Controls();
  services.layoutControls = &objects->SpriteLayoutControls();
  services.layout = &objects->SpriteLayout();
  services.timers = &timerLists[0];
  services.box = GetConfirmBox();
  services.pump = [this] { return PumpFrame(); };
  services.currentCanvas = [objects, slot = frame.slot] { return VisibleCanvas(*objects, slot); };
  services.takeActivated = [objects] {
    const int32_t id = objects->ControlHost().Selected();
    objects->ControlHost().SetSelected(-1);
    return id;
  };
  services.playSound = [objects](int32_t effect) {
    if (SoundManager* sounds = objects->Sounds()) sounds->PlayChannel(effect, false);
  };
  services.setCurrentSaveFile = [objects](const std::string& path) { objects->StoreFileNameString(path.c_str()); };
  // Where the pointer left the window (4 left, 8 top) places a menu
  // summoned from outside it.
  services.pointerEdge = [this] { return int32_t(cursorZone); };
  TgsFrameSlot* slot = frame.slot;
  // What a page of the frame switched off comes back while the menu is open.
  services.restoreMenuState = [slot] {
    if (slot && slot->frame) slot->frame->WindowState().RestoreMenuState();
  };
  services.quitFade = [this, objects, slot] {
    if (SoundManager* sounds = objects->Sounds()) PlayBgmTrack(*sounds, &timerLists[0], 0, 1000, true);
    if (slot && slot->frame) slot->frame->FadeToBlackForQuit();
  };
  services.requestQuit = [this] { endRequested = true; };
  // A menu closed in auto mode gives the page its full wait again.
  services.restartAutoTimer = [slot] {
    constexpr uint16_t kAutoTimer = 1;
    if (slot && slot->frame) slot->frame->Timers().Start(kAutoTimer);
  };
  services.log = [](const std::string& line) { std::fprintf(stderr, "%s\n", line.c_str()); };
  frame.ownSystemMenu = std::make_unique<GameSystemMenuPort>(std::move(services));
  frame.environment.systemMenu = frame.ownSystemMenu.get();
}

int GameApplication::BootScripts() {
  scripts.reset();
  // The movie natives play under the application's lock, in its window.
  movies.Close();
  movies.lock = &movieLock;
  movies.movieState = &movieState;
  movies.window = mainWindow.GetHandle();
  SetScriptMovies(&movies);
  GameHostSetup setup;
  setup.seed = CurrentTickMs();
  setup.screenObjects = &tcpObjects;
  setup.actions = &dcpObjects;
  setup.systemTimers = &timerLists[0];
  setup.objectTimers = &timerLists[1];
  setup.drawObjects = Display();
  setup.hooks.closePacingNestings = [this] { pacing.CloseNestings(); };
  setup.hooks.pumpFrame = [this] { return PumpFrame(); };
  if (ProcessObjects* objects = GetProcessObjects()) {
    // What the scripts left in the run's shared objects goes with their host.
    setup.hooks.cleanUp = [objects] { objects->ReleasePools(); };
    setup.hooks.clearControls = [objects] { objects->ControlHost().Clear(); };
    setup.hooks.clearFolderListing = [objects] { objects->ClearFolderListing(); };
    if (ConfirmBox* box = GetConfirmBox()) {
      // The box asks through the game's control host while the pump runs
      // the game, and its notices run on the system timer list and sound
      // through the game's first sound-effect channel.
      setup.hooks.initConfirmBox = [this, objects, box] {
        ConfirmBox::Ports ports = box->GetPorts();
        ports.host = &objects->ControlHost();
        ports.pumpFrame = [this] { return PumpFrame(); };
        ports.timers = &timerLists[0];
        ports.noticeSound = [objects] {
          if (SoundManager* sounds = objects->Sounds()) sounds->PlayChannel(0, false);
        };
        // Notices show on whatever the player sees then.
        ports.currentList = [this, objects]() -> SpriteList* {
          if (SpriteList* list = FrameWindowList()) return list;
          SpriteCanvas* canvas = objects->CurrentSpriteCanvas();
          return canvas ? &canvas->MainList() : nullptr;
        };
        box->SetPorts(std::move(ports));
        box->UseOwnFonts();
        objects->ControlHost().SetTipFont(box->TipFont());
        ApplyScreenSettings();
      };
      setup.hooks.removeConfirmTask = [box, objects] {
        box->ReleaseTask();
        objects->ControlHost().SetTipFont(nullptr);
      };
    }
  }
  scripts = makeScriptHost ? makeScriptHost(std::move(setup)) : std::make_unique<GameScriptHost>(std::move(setup));
  if (!scripts) {
    ShowMessageBox(Text("スクリプトを実行するためのメモリを確保出来ません"), kIconStop);
    return 1;
  }
  if (lowPriority && pacing.Bytes().lowPriorityOff) lowPriority->SetEnabled(false);
  if (ProcessObjects* objects = GetProcessObjects()) ApplySoundSettings(settings.blocks.appConfig, objects->Sounds());
  // The text-adventure frame draws on the display, reads the player's
  // settings, reports through the message boxes and keeps its read flags
  // in the save folder; a run that fails ends only when the program stops.
  TgsNativeContext& frame = scripts->TextFrame();
  frame.environment.screen = Display();
  frame.environment.messageBoxes = &platform::CurrentBackend();
  if (const char* title = GetTitle()) frame.environment.messageCaption = title;
  frame.environment.settings = settings.blocks.appConfig;
  // A page may hide the pointer until it moves again (settings byte 7): the
  // frame's menu state is the main window's cursor state.
  frame.environment.setMenuState = [this](bool on) {
    MouseDevice* mouse = input ? input->Mouse() : nullptr;
    if (mouse != nullptr && mainWindow.IsValid())
      mouse->SetCursorState(on ? 1 : 0, mainWindow.GetHandle(), platform::WM_APP_MODAL_NOTIFY);
  };
  frame.stopRequested = [this] { return endRequested.load(); };
  // The system menu and the confirmation box pump frames of their own:
  // a close they see counts as much as one the frame's waits see.
  frame.programClosing = [this] { return ProgramClosing(); };
  if (ConfirmBox* box = GetConfirmBox()) frame.releaseConfirmBox = [box] { box->ReleaseTask(); };
  InstallSystemMenu(frame);
  // A canvas a script made through the display device, by its handle.
  frame.resolveCanvas = [this](uint32_t handle) -> std::optional<TgsCanvasRef> {
    DisplayScreenDevice* display = Display();
    CanvasDrawObject* canvas = GetCanvasPart(display, handle);
    if (canvas == nullptr) return std::nullopt;
    const Image* image = GetObjectImage(display, handle);
    return TgsCanvasRef{handle, int32_t(image->GetKind()), uint32_t(image->GetWidth()),
                        uint32_t(image->GetHeight()), canvas};
  };
  if (const char* folder = GetSaveFolder()) frame.saveFolder = folder;
  // The frame's pages and choices wait for the player through the game's
  // control host: its pointer, keys and action inputs, and the controls
  // the player fires.
  if (ProcessObjects* objects = GetProcessObjects()) {
    GameControlHost* controls = &objects->ControlHost();
    frame.environment.controls = controls;
    frame.environment.player.takeFiredTag = [controls] { return controls->TakeEvent(); };
  }
  FillGamePlayerServices(*this, frame.environment.player);
  // Saving and loading are the scripts' to allow, through the main window's
  // switches that also grey its menu bar.
  frame.environment.saveAllowed = [this] { return windowCommands.SwitchState(GameWindowCommands::kSwitchSave) != 0; };
  frame.environment.loadAllowed = [this] { return windowCommands.SwitchState(GameWindowCommands::kSwitchLoad) != 0; };
  if (!nativePort) nativePort = std::make_unique<GameNativePort>(*this);
  // What saves cut short by a crash left behind goes before the next ones.
  RemoveStaleTempFiles(BaseFolder(), kSaveTempPrefix);
  if (const char* folder = GetSaveFolder()) {
    RemoveStaleTempFiles(folder, kSaveTempPrefix);
    scripts->SetSaveFolder(folder);
  }
  if (scripts->LoadSystem("SCRIPT\\SOB_INIT.DAT", "SCRIPT\\USER_VAR.SOB", "SCRIPT\\FUNC_LIB.SOB", true, true) !=
      0) {
    ShowMessageBox(Text("スクリプト初期化ファイルのロードに失敗"), kIconStop);
    return 2;
  }
  scripts->LoadVoiceInfo("SCRIPT\\VOICEINF.DAT");
  if (ProcessObjects* objects = GetProcessObjects()) {
    if (SoundManager* sounds = objects->Sounds()) sounds->SetVoiceTable(&scripts->Voices());
  }
  const int loaded = scripts->LoadScriptFile("MAIN", nullptr);
  switch (loaded) {
    case 0: {
      // The display's device is settled by now (the start's mode switch).
      const DisplayScreenDevice* display = Display();
      presentsScene = display != nullptr && display->HasScene();
      return 0;
    }
    case 1:
      ShowMessageBox(Text("メインスクリプトを開けません"), kIconStop);
      return 3;
    case 2:
      ShowMessageBox(Text("メインスクリプトが不正です"), kIconStop);
      return 4;
    case 3:
      ShowMessageBox(Text("デバッグモード用のスクリプトです"), kIconStop);
      return 5;
    default:
      return loaded + 2;
  }
}

int GameApplication::ShowSettingsSheet() {
  SettingsSheet::Services services;
  services.input = input.get();
  services.actions = actions;
  services.mouse = &mouseBindings;
  services.applyHints = [this](bool, uint32_t) { ApplyScreenSettings(); };
  services.applyDrawingOptions = [this](uint8_t method, std::array<uint8_t, 4> switches) {
    ApplyDisplayOptions(method, switches);
  };
  services.applyTopmost = [this](bool topMost) { fullScreenTopMost = topMost; };
  AddSheetMovieAndMonitorServices(services);
  SettingsSheet sheet(settings.blocks.appConfig, settingsSheet, std::move(services));
  SettingsSheetWindow window;
  window.onOpen = settingsSheetOpened;
  window.onIdle = [this] { return PlayScriptedFrame(); };
  EnterModalState();
  const int result = window.Run(sheet, mainWindow.GetHandle(), input.get(), settings.blocks.window[10] != 0);
  LeaveModalState();
  // An input file worked the sheet: whoever wrote it sees how it ended.
  if (scriptedRun != nullptr) {
    std::fprintf(stderr, "[dialog %u] 入力・その他設定 -> %s\n",
                 unsigned(SettingsSheet::kFirstTemplate + settingsSheet.lastPage), result == 1 ? "OK" : "Cancel");
  }
  return result;
}

// A modal window of the game's own plays an input file on while it waits:
// the frames go on counting, so the file's events land in the window as
// they would in the game.
bool GameApplication::PlayScriptedFrame() {
  if (scriptedRun == nullptr || framesRun >= scriptedRun->LastFrame()) return false;
  ++framesRun;
  scriptedRun->BeginFrame(mainWindow.GetHandle(), framesRun, limiter.PeriodMs());
  return true;
}

void GameApplication::AddSheetMovieAndMonitorServices(SettingsSheet::Services& services) {
  // Movies can play once a movie library is bound at the device step (or
  // would have been, had its loading not waited for first use).
  movieLibraries.BindNow();
  services.moviesAvailable = false;
  for (const MovieLibraryId library : {MovieLibraryId::kSprite, MovieLibraryId::kPrimary, MovieLibraryId::kObject}) {
    if (movieLibraries.Record(library) != nullptr) services.moviesAvailable = true;
  }
  services.setMovieVolume = [this](int32_t level) { movies.SetPlayingVolume(level); };
  for (size_t i = 0; i < monitors.GetCount(); ++i) {
    const MonitorRecord& monitor = monitors[i];
    services.monitorNames.push_back(monitor.deviceString.empty() ? monitor.deviceName : monitor.deviceString);
  }
}

void GameApplication::ApplyScreenSettings() {
  ProcessObjects* objects = GetProcessObjects();
  if (objects == nullptr) return;
  const AppSettings::AppConfigBlock& block = settings.blocks.appConfig;
  objects->ControlHost().SetTooltip(block[kHintsShownOffset] != 0, BlockU32(block, kHintDelayOffset), 0);
}

bool GameApplication::KeepDrawingMethodInUse(uint8_t chosen) {
  DisplayScreenDevice* display = Display();
  if (display == nullptr || display->drawingMethod == chosen) return false;
  AppSettings::AppConfigBlock& config = settings.blocks.appConfig;
  config[160] = kPlainDrawingMethod;
  if (screenMode == 2) config[161] = 0;
  ApplyDisplayOptions(config[160], {config[161], config[162], config[163], config[164]});
  return true;
}

int GameApplication::CreateDevices() {
  // The main thread's work beside the scripts on the worker is judged by
  // their roots as the worker last published them.
  if (threadMode) mainThreadGuard_.emplace(&scriptRootsBeside_);
  PlaceStartWindow();
  // The display fell back from the drawing method the settings chose (the
  // screen texture could not be made): the settings follow what runs. A
  // full-screen start that fell back to a window is such a fall-back (the
  // display draws plainly in the window), so the next start asks for the
  // plain drawing method that a window can always have; it is not a
  // run-time error, and the game goes on in the window.
  KeepDrawingMethodInUse(configuredDrawingMethod);
  if (errorCode == 2) errorCode = 0;
  const AppSettings& blocks = settings.blocks;
  if (DisplayScreenDevice* display = Display()) SurfaceImage::SetScreenDevice(display);
  // User byte 19: streams ask for position notifications; user byte 22:
  // the codecs decode a streamed file from memory, loaded whole.
  StreamSound::SetUseNotifications(blocks.user[19] != 0);
  soundCodecs.SetLoadWhole(blocks.user[22] != 0);
  // Without the library the engine's own kernels do everything.
  pixelOps = BindPixelOpLibrary(&Processor(), Processor().mmx);
  if (blocks.boot[7] != 0 && loadMovieLibraries) loadMovieLibraries(*this);
  InputManager& input = Input();
  if (input.Keyboard() == nullptr || !input.HasMouse()) {
    ShowMessageBox(Text("入力デバイスの初期化に失敗"), kIconStop, kDesktopWindow);
    return 1;
  }
  if (input.CreateActionMap(20, &actions) != 0 || actions == nullptr) {
    ShowMessageBox(Text("仮想入力デバイスの作成に失敗"), kIconStop, kDesktopWindow);
    return 2;
  }
  InstallDefaultBindings(*actions);
  input.SetJoysticksEnabled(useJoystick != 0);
  // The player's keys, buttons and mouse functions over the defaults.
  ApplyKeyboardBindings(settings.blocks.appConfig, *actions);
  ApplyJoystickMouseBindings(settings.blocks.appConfig, input, *actions, mouseBindings);
  if (blocks.boot[4] == 0) keepSystemCursor = false;
  if (MouseDevice* mouse = input.Mouse()) {
    mouse->SetCursorShape(0, 0, 0);
    if (!keepSystemCursor) mouse->SetCursorState(0, kNoWindow, 0);
  }
  OpenSoundOutput();
  if (ProcessObjects* objects = GetProcessObjects()) {
    objects->StartSoundManager(&timerLists[0]);
    textInput.SetMainWindow(mainWindow.GetHandle());
    objects->ControlHost().Attach(this, actions, &textInput);
    // The scripts' text entries blink their carets on the system list and
    // compose through the main window's input method.
    objects->Controls().textEntryTimers = &timerLists[0];
    objects->Controls().imeContext = &textInput.Ime();
  }
  ApplyScreenSettings();
  // The player may ask never to be warned again.
  if (soundOutputCode != kSoundDeviceOk && blocks.boot[6] != 0) {
    soundWarningShown = true;
    uint8_t dontShowAgain = 0;
    dialogs.ShowMessageDialog(Text("サウンドカードが正常に接続されていないか\n対応していないため、DirectSoundを利用できません。"
                                   "\nサウンドを再生できません。")
                                  .c_str(),
                              1, &dontShowAgain);
    settings.blocks.boot[6] = dontShowAgain ? 0 : 1;
  }
  // Boot byte 8: whether movies may present through the screen's
  // DirectDraw objects (read by each movie as it opens).
  SetMovieOption(blocks.boot[8]);
  imageCacheSetting = blocks.boot[10];
  images.SetCacheLimit(ImageCacheMegabytes(imageCacheSetting));
  SetGlyphCacheCapacityWord(uint32_t(blocks.boot[11] | blocks.boot[12] << 8));
  // Boot byte 15 switches the lowered thread priority of long effects off.
  if (lowPriority) lowPriority->SetEnabled(blocks.boot[15] == 0);
  ApplyBootPacing();
  // Boot byte 16: the canvases' banded repaint (the scripts may switch it
  // later).
  SpriteCanvas::SetBandedRendering(blocks.boot[16] != 0);
  return 0;
}

void GameApplication::ApplyBootPacing() {
  const AppSettings::BootBlock& boot = settings.blocks.boot;
  pacing.SetBytes(PacingBytes{boot[1], boot[2], boot[3], boot[13], boot[15]});
  // A presenter without a display (headless) has no vertical blank to
  // wait for. While the pacing waits for it, the display presents on it
  // (a wait before the blit, which every presentation route can do).
  platform::Backend& backend = platform::CurrentBackend();
  pacing.onWaitChanged = [this](bool wait) {
    if (DisplayScreenDevice* display = Display()) display->SetVsyncMode(wait ? 1 : 0);
  };
  const uint32_t refresh = backend.DesktopMode().refresh;
  pacing.SetDisplay(backend.ScreenPresenter().SupportsVSync(), refresh == 60 || refresh == 0);
  pacing.SetPlayerVSync(settings.blocks.user[5] != 0);
  pacing.ApplyFramePacing(-1);
  // On a display the frames keep to the exact rate and the pump sleeps
  // until the next one is due. A run on a virtual clock moves it by whole
  // periods, one a frame, and keeps the whole-period pacing that matches.
  const bool virtualClock = scriptedRun != nullptr && scriptedRun->HasVirtualClock();
  limiter.SetExactPeriod(!backend.IsHeadless() && !virtualClock);
}

void GameApplication::ForwardMenuState(uint32_t value) {
  MouseDevice* mouse = input ? input->Mouse() : nullptr;
  if (mouse == nullptr || !mainWindow.IsValid()) return;
  mouse->SetCursorState(value, mainWindow.GetHandle(), platform::WM_APP_MODAL_NOTIFY);
}

void GameApplication::ReleaseDevices(int code) {
  // The worker has ended: nothing the main thread does now is for the
  // scripts.
  mainThreadGuard_.reset();
  AppSettings::UserBlock& user = settings.blocks.user;
  // Start-ups that ended at the window or the screen mode (codes 9 and 12)
  // must not find these words again next time.
  if (code == 9 || code == kInitScreenModeFailed) {
    SetBlockU32(user, 43, 0);
    SetBlockU32(user, 63, 0);
  }
  if (errorCode == 1) ShowMessageBox(Text("描画オブジェクトのリストアに失敗"), kIconStop, kDesktopWindow);
  else if (errorCode == 2) ShowMessageBox(Text("画面モード切替に失敗"), kIconStop, kDesktopWindow);
  // Any other recorded error ends the run with its own message; the
  // movies are left to the destructor.
  else if (errorCode != 0) return;
  // The movie players the scripts left open, each just before the library
  // it runs on, last loaded library first.
  movieLibraries.Release([this](MovieLibraryId library) {
    switch (library) {
      case MovieLibraryId::kObject: movies.CloseObject(); break;
      case MovieLibraryId::kPrimary: movies.ClosePrimary(); break;
      case MovieLibraryId::kSprite: movies.CloseSprite(); break;
    }
  });
}

void GameApplication::SaveSettings(int) { settings.Save(*this); }

void GameApplication::OpenSoundOutput() {
  // User bytes 20 and 18: the buffer options every sound of the output
  // adds (the finer play position, software mixing).
  const AppSettings::UserBlock& user = settings.blocks.user;
  const bool finerPosition = user[20] != 0, softwareMixing = user[18] != 0;
  soundOutputCode = sound.Create(nullptr, finerPosition, softwareMixing, nullptr);
  if (soundOutputCode != kSoundDeviceOk) {
    // The game goes on silent; said once per run, however often start-up
    // tries again.
    static std::atomic<bool> warned{false};
    if (!warned.exchange(true)) {
      std::fprintf(stderr, "orrivel: no sound output (device step %d failed); the game runs without sound\n",
                   int(soundOutputCode));
    }
    return;
  }
  SetSoundDevice(&sound);
  // 16-bit stereo at 44.1 kHz; an output that keeps its own format (no
  // priority level) still plays everything.
  sound.Initialize(nullptr, finerPosition, softwareMixing, nullptr, 2, 44, 16);
}

std::string GameApplication::DescribeGameFolder() const {
  const std::string& folder = baseFolder.empty() ? BaseFolder() : baseFolder;
  std::string where = "game folder \"" + platform::HostPathForMessage(folder) + "\"";
  if (!ResolveHostPath(folder, ResolveMode::Existing)) where += " (missing)";
  return where + ": SCRIPT.LPK " + std::string(MountCodeText(scriptArchiveCode)) + " (mount code " +
         std::to_string(scriptArchiveCode) + ")";
}

std::string GameApplication::DescribeFailure() const {
  const std::string where = DescribeGameFolder();
  if (bootResult != 0) {
    return where + "; scripts not booted: " + BootCodeText(bootResult) + " (code " + std::to_string(bootResult) +
           ")";
  }
  if (scriptResult > ScriptHost::kStepYielded) {
    return where + "; the scripts stopped with step result " + std::to_string(scriptResult) + " after " +
           std::to_string(scriptSteps) + " steps";
  }
  return std::string();
}

void GameApplication::MainLoop() {
  bootResult = BootScripts();
  if (bootResult != 0) {
    scripts.reset();
    return;
  }
  // From here on the program's work on this thread is what the scripts
  // asked for, also between their natives: the timers' tasks, the frames,
  // the window's commands and the scene loads of the script steps read
  // files by the scripts' names only inside the scripts' roots.
  const ScopedLooseFileGuard guarded(scripts->LooseFiles());
  for (;;) {
    const int steps = PumpFrame();
    if (steps == 0) {
      // The return-to-title command sets the pending interrupt while this
      // pump runs, and the pump ends its call with 0 as for a quit. Only a
      // quit, an end request or a closed window end the program; an
      // interrupt restarts MAIN.
      if (pendingInterrupt == 0 || ProgramClosing()) break;
      if (!StartPendingInterrupt()) break;
      continue;
    }
    if (!RunScriptSteps(steps)) break;
  }
  SetPumpWaiting(false);
}

bool GameApplication::ProgramClosing() const {
  return quitSeen || endRequested || errorCode != 0 || !mainWindow.IsValid();
}

int GameApplication::PumpFrame() {
  ApplyFrameSettings();
  GameFramePorts ports(*this);
  FramePump pump(ports, limiter, timerLists[0], timerLists[1]);
  const int steps = pump.Pump(FramePumpKind());
  // Without sound hardware (a headless run, a machine with no output) the
  // output's time passes with the frames: sounds end, waits on them end.
  if (platform::AudioDevice* audio = sound.Device()) audio->KeepTimeWithClock();
  if (steps == 0) return 0;
  return ScriptStepsForFrame(steps);
}

FramePump::Kind GameApplication::FramePumpKind() const {
  if (threadMode) return presentsScene ? FramePump::Kind::WorkerScene : FramePump::Kind::Worker;
  return presentsScene ? FramePump::Kind::Scene : FramePump::Kind::Idle;
}

bool GameApplication::StartPendingInterrupt() {
  const int number = pendingInterrupt - 1;
  if (scripts->StartMainInterrupt(number != 0) != 0) {
    ShowMessageBox(Text("スクリプト割り込みに失敗しました"), kIconStop);
    return false;
  }
  pendingInterrupt = 0;
  return true;
}

void GameApplication::ApplyFrameSettings() {
  limiter.SetCountMissedPeriods(frameSettings.frameSkip);
  if (frameSettings.rate == appliedSettings_.rate &&
      frameSettings.usePerformanceCounter == appliedSettings_.usePerformanceCounter)
    return;
  limiter.SetRate(frameSettings.rate, frameSettings.usePerformanceCounter);
  appliedSettings_ = frameSettings;
}

int GameApplication::ScriptStepsForFrame(int pumped) {
  const int asked = framePump ? framePump() : pumped;
  if (asked == 0) return 0;
  if (asked < 0) return 1;
  return asked > 4 ? 4 : asked;
}

bool GameApplication::RunScriptSteps(int count) {
  if (count == 0) return false;
  for (int i = 0; i < count; ++i) {
    scriptResult = scripts->Step();
    ++scriptSteps;
    if (!ReportScriptStep(scriptResult)) return false;
    if (pendingInterrupt != 0 && !StartPendingInterrupt()) return false;
  }
  return true;
}

void GameApplication::OnModalBegin() {
  if (modalDepth_++ == 0) SetPumpWaiting(true);
}

void GameApplication::OnModalEnd() {
  if (modalDepth_ > 0 && --modalDepth_ == 0) SetPumpWaiting(false);
}

void GameApplication::EnableFileDrop(bool enable) {
  fileDropOn_ = enable;
  dropTarget.Enable(mainWindow.GetHandle(), enable ? 1 : 0);
}

void GameApplication::OnEnteredFullScreen() {
  if (fileDropOn_) dropTarget.Enable(mainWindow.GetHandle(), 1);
}

void GameApplication::OnEnteredWindow() {
  if (fileDropOn_) dropTarget.Enable(mainWindow.GetHandle(), 1);
}

void GameApplication::SetPumpWaiting(bool waiting) {
  if (waiting == pumpWaiting_) return;
  pumpWaiting_ = waiting;
  if (waiting) timerLists[1].PauseAll(-1);
  else timerLists[1].ResumeAll(-1);
}

bool GameApplication::ReportScriptStep(int result) {
  switch (result) {
    case ScriptHost::kStepYielded:
      return true;
    case ScriptHost::kStepEnded:
      return false;
    case ScriptHost::kStepJumpFailed:
      ShowMessageBox(Text("Jump命令でスクリプトのロードに失敗"), kIconStop);
      return false;
    case ScriptHost::kStepCallFailed:
      ShowMessageBox(Text("Call命令でスクリプトのロードに失敗"), kIconStop);
      return false;
    default:
      ShowMessageBox(Text("不正なスクリプトを実行しました"), kIconStop);
      return false;
  }
}

}  // namespace orrivel
