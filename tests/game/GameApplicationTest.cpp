// The game shell's main road, headless: the game folder's archives are
// mounted, the compiled scripts boot from them and run to their end, and each
// way a boot or a script step can fail shows its message and ends the run.
#include "game/GameApplication.h"
#include "sound/StreamSound.h"
#include "sound/MovieBinding.h"
#include "sound/ObjectMovie.h"
#include "sound/movies/MoviePlayerRig.h"

#include <gtest/gtest.h>

#include <array>
#include <sys/wait.h>
#include <unistd.h>

#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstring>
#include <functional>
#include <memory>
#include <optional>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "base/MathTables.h"
#include "base/ActionMap.h"
#include "base/InputManager.h"
#include "base/TimedTask.h"
#include "natives/GameControlHost.h"
#include "natives/GameScriptHost.h"
#include "natives/ProcessObjects.h"
#include "sound/SoundManager.h"
#include "platform/headless/HeadlessInput.h"
#include "platform/InputSource.h"
#include "raster/ColorBox.h"
#include "scene/CanvasDrawImage.h"
#include "scene/CanvasDrawObject.h"
#include "scene/SpriteCanvas.h"
#include "game/AppSettings.h"
#include "game/ConfirmBox.h"
#include "base/ProcessorInfo.h"
#include "base/StartupHooks.h"
#include "platform/DialogService.h"
#include "platform/FileDrop.h"
#include "platform/StopSignals.h"
#include "platform/TextCodec.h"
#include "platform/Clock.h"
#include "platform/ScriptedRun.h"
#include "platform/audio/SoundBuffer.h"
#include "platform/headless/HeadlessBackend.h"
#include "raster/KernelFlags.h"
#include "resource/BaseFolder.h"
#include "resource/WholeFile.h"
#include "sound/SoundDevice.h"
#include "game/GameDialogs.h"
#include "SobAssembler.h"
#include "base/SystemInfo.h"
#include "elg/BmpWriter.h"
#include "elg/PngFile.h"
#include "platform/media/TestMovieWriter.h"
#include "elg/ElgWriter.h"
#include "lpk/LpkWriter.h"
#include "raster/DrawSettingByte.h"
#include "raster/Surface.h"
#include "transition/BuiltinTransitions.h"
#include "TestBuildDirs.h"

namespace orrivel {
namespace {

// MAIN calls ROOM, comes back, then jumps to ENDING, which ends the scripts.
constexpr const char* kGame = R"(
vars
  int visits save = 0
scene MAIN
  add $visits 1 $visits
  native !0 @callRoom @scratch
  yield
  native !1 @jumpEnd @scratch
  ret
data
scratch:  word 0
callRoom: word @roomName
jumpEnd:  word @endName
roomName: string "ROOM"
endName:  string "ENDING"
scene ROOM
  add $visits 1 $visits
  ret
scene ENDING
  native !2 @scratch @scratch
  ret
data
scratch: word 0
)";

constexpr const char* kDividesByZero = R"(
vars
  int n save = 0
scene MAIN
  div 1 0 $n
  ret
)";

constexpr const char* kJumpsNowhere = R"(
scene MAIN
  native !1 @jump @scratch
  ret
data
scratch: word 0
jump:    word @name
name:    string "NOWHERE"
)";

constexpr const char* kCallsNowhere = R"(
scene MAIN
  native !0 @call @scratch
  yield
  ret
data
scratch: word 0
call:    word @name
name:    string "NOWHERE"
)";

// Scripts in an archive: every file of the project but the one left out,
// and the damaged one replaced by bytes of no known kind, then the further
// members given.
std::vector<uint8_t> ScriptArchive(const char* text, const std::string& leaveOut = "",
                                   const std::string& damaged = "",
                                   const std::vector<tools::LpkWriterMember>& further = {}) {
  sob::Project project;
  std::string error;
  EXPECT_TRUE(sob::Assemble(text, project, error)) << error;
  std::vector<tools::LpkWriterMember> members;
  for (auto& [name, bytes] : sob::ProjectFiles(project)) {
    if (name == leaveOut) continue;
    members.push_back({name, name == damaged ? std::vector<uint8_t>{'X', 'X', 'X', 'X', 0, 0, 0, 0} : bytes,
                       true, true});
  }
  members.insert(members.end(), further.begin(), further.end());
  tools::LpkWriterOptions options;
  options.secondSize = true;
  std::vector<uint8_t> archive;
  EXPECT_TRUE(tools::BuildLpk("SCRIPT.LPK", options, members, &archive, &error)) << error;
  return archive;
}

class GameApplicationTest : public ::testing::Test {
 protected:
  GameApplicationTest() : scoped_(backend_) {
    folder_ = std::filesystem::temp_directory_path() / ("orrivel-game-" + std::to_string(::getpid()) + "-" +
                                                        std::to_string(counter_++));
    std::filesystem::create_directories(folder_);
    backend_.SetRuntimeFolder(folder_.string());
    savedBase_ = SetBaseFolderForTest("");
    WriteSettingsFiles();
  }

  // The game's description and the shipped player settings; save-folder
  // mode 5 keeps everything in the game folder and writes nothing back.
  void WriteSettingsFiles(const std::function<void(AppSettings&)>& adjust = {}) {
    AppSettings settings;
    settings.SetSaveFolderMode(5);
    settings.info[0] = "ORRIVEL";
    // The shipped settings choose a window, as the sample game's do.
    settings.window[0] = 2;
    if (adjust) adjust(settings);
    std::filesystem::create_directories(folder_ / "script");
    WriteGameFile("script/VQ_APP.SYS", EncodeSystemFile(settings.system));
    WriteGameFile("script/VQ_APP.INF", EncodeInfoFile(settings.version, settings.info));
    WriteGameFile("USER.CFG", EncodeUserConfig(settings));
  }
  ~GameApplicationTest() override {
    ResetStartupHooks();
    SetBaseFolderForTest(savedBase_);
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
  }

  void WriteGameFile(const std::string& name, const std::vector<uint8_t>& bytes) {
    std::ofstream out(folder_ / name, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
  }

  // Runs the program on the folder (or the one given); the messages shown,
  // as UTF-8.
  std::vector<std::string> Run(GameApplication& app, const std::string& folder = "") {
    app.frameLimit = 600;  // a safety net: these games end long before
    const std::string commandLine = "/L" + (folder.empty() ? folder_.string() : folder);
    EXPECT_EQ(app.Run(nullptr, nullptr, commandLine.c_str(), platform::SW_SHOWNORMAL), 0);
    std::vector<std::string> texts;
    for (const auto& box : backend_.MessageBoxes()) texts.push_back(platform::Cp932ToUtf8Lossy(box.text));
    return texts;
  }

  platform::HeadlessBackend backend_;
  std::filesystem::path folder_;

 private:
  platform::ScopedBackend scoped_;
  std::string savedBase_;
  static inline int counter_ = 0;
};

TEST_F(GameApplicationTest, ScriptsFromTheArchiveRunToTheirEnd) {
  WriteGameFile("SCRIPT.LPK", ScriptArchive(kGame));
  GameApplication app;
  EXPECT_TRUE(Run(app).empty());
  EXPECT_EQ(app.scriptResult, ScriptHost::kStepEnded);
  EXPECT_FALSE(app.closedByLimit);
}

TEST_F(GameApplicationTest, DeviceStepBindsThePixelOperationLibraryBesideTheProgram) {
  WriteGameFile("SCRIPT.LPK", ScriptArchive(kGame));
  {
    GameApplication app;
    Run(app);
    // The test program sits in the folder the build puts the library in.
    ASSERT_NE(app.pixelOps, nullptr);
    EXPECT_EQ(CurrentPixelOpLibrary(), app.pixelOps.get());
    EXPECT_NE(PixelOpEntryAddress(14), nullptr);
  }
  // Gone with the application: nothing points into the unloaded module.
  EXPECT_EQ(CurrentPixelOpLibrary(), nullptr);
  EXPECT_EQ(PixelOpEntryAddress(14), nullptr);
}

TEST_F(GameApplicationTest, StartUpPublishesTheSoundCodecsAndTheSoundSystem) {
  WriteGameFile("SCRIPT.LPK", ScriptArchive(kGame));
  {
    GameApplication app;
    Run(app);
    EXPECT_EQ(GetSllManager(), &app.soundCodecs);
    // The Ogg codec's library sits beside the test program, as beside the game.
    SoundCodec* ogg = app.soundCodecs.FindByExtension("BGM.OGG");
    ASSERT_NE(ogg, nullptr);
    EXPECT_EQ(app.soundCodecs.FindCodecByType(SllManager::kOggType), ogg);
    EXPECT_EQ(app.soundOutputCode, kSoundDeviceOk);
    EXPECT_EQ(GetSoundDevice(), &app.sound);
    EXPECT_TRUE(app.sound.HasPrimaryBuffer());
    EXPECT_EQ(app.sound.Device()->PrimaryFormat(), platform::WaveFormat::Pcm(44100, 2, 16));
  }
  EXPECT_EQ(GetSllManager(), nullptr);
  EXPECT_EQ(GetSoundDevice(), nullptr);
}

TEST_F(GameApplicationTest, TheRunsObjectsServeTheApplicationAndLetGoOfItAtItsEnd) {
  WriteGameFile("SCRIPT.LPK", ScriptArchive(kGame));
  ProcessObjects objects;
  ProcessObjects* previous = SetProcessObjects(&objects);
  {
    GameApplication app;
    Run(app);
    // The device step made the sound manager on the system timer list.
    ASSERT_NE(objects.Sounds(), nullptr);
    EXPECT_EQ(GetSoundManager(), objects.Sounds());
    EXPECT_EQ(objects.Sounds()->GetTimerList(), &app.timerLists[0]);
    EXPECT_EQ(objects.ControlHost().GetActionMap(), app.actions);
    EXPECT_EQ(objects.ControlHost().GetScreenWidth(), app.gameWidth);
    // The game's sound manager knows the host that runs: a new host takes
    // it, the old one going does not take it back, the last one going
    // leaves none.
    EXPECT_EQ(objects.GameSounds()->Host(), app.scripts.get());
    GameHostSetup setup;
    setup.logSink = [](const std::string&) {};
    auto older = std::make_unique<GameScriptHost>(setup);
    EXPECT_EQ(objects.GameSounds()->Host(), older.get());
    auto newer = std::make_unique<GameScriptHost>(setup);
    EXPECT_EQ(objects.GameSounds()->Host(), newer.get());
    older.reset();
    EXPECT_EQ(objects.GameSounds()->Host(), newer.get());
    newer.reset();
    EXPECT_EQ(objects.GameSounds()->Host(), nullptr);
  }
  // It goes before the application's timer lists; the host forgets it.
  EXPECT_EQ(objects.Sounds(), nullptr);
  EXPECT_EQ(GetSoundManager(), nullptr);
  EXPECT_EQ(objects.ControlHost().GetActionMap(), nullptr);
  SetProcessObjects(previous);
}

// When the scripts boot the confirmation box gets its fonts, the control
// host its tip font and the player's hint settings, and a notice shows on
// the layer current at that moment.
TEST_F(GameApplicationTest, BootGivesTheConfirmationBoxItsFontsAndNoticeLayer) {
  WriteGameFile("SCRIPT.LPK", ScriptArchive(kGame));
  ProcessObjects objects;
  ProcessObjects* previous = SetProcessObjects(&objects);
  ConfirmBox box;
  ConfirmBox* previousBox = SetConfirmBox(&box);
  {
    GameApplication app;
    bool looked = false;
    app.framePump = [&] {
      if (looked) return 1;
      looked = true;
      EXPECT_NE(box.QuestionFont(), nullptr);
      EXPECT_EQ(box.GetPorts().font, box.QuestionFont());
      EXPECT_EQ(box.GetPorts().noticeFont, box.NoticeFont());
      EXPECT_EQ(objects.ControlHost().TipFont(), box.TipFont());
      EXPECT_TRUE(objects.ControlHost().TooltipEnabled());
      EXPECT_EQ(objects.ControlHost().TooltipDelay(), 750u);
      SpriteCanvas canvas;
      objects.SetCurrentSpriteCanvas(&canvas, 0);
      EXPECT_EQ(box.Open("Saved", 100), 0);
      EXPECT_EQ(box.NoticeSprite().OwningList(), &canvas.MainList());
      EXPECT_EQ(box.Open(nullptr, 0), 0);
      EXPECT_EQ(box.NoticeSprite().OwningList(), nullptr);
      objects.SetCurrentSpriteCanvas(nullptr, 0);
      return 1;
    };
    Run(app);
    EXPECT_TRUE(looked);
  }
  // The host's end takes the tip font back from the control host.
  EXPECT_EQ(objects.ControlHost().TipFont(), nullptr);
  SetConfirmBox(previousBox);
  SetProcessObjects(previous);
}

TEST_F(GameApplicationTest, MathTablesArePublishedForTheGamesLifetime) {
  {
    GameApplication app;
    EXPECT_EQ(GetMathTables(), &app.mathTables);
    EXPECT_EQ(app.mathTables.Cos(0), 65536);
  }
  EXPECT_EQ(GetMathTables(), nullptr);
}

TEST_F(GameApplicationTest, LooseScriptsNeedNoArchive) {
  sob::Project project;
  std::string error;
  ASSERT_TRUE(sob::Assemble(kGame, project, error)) << error;
  std::filesystem::create_directories(folder_ / "script");
  for (auto& [name, bytes] : sob::ProjectFiles(project)) WriteGameFile("script/" + name, bytes);
  GameApplication app;
  EXPECT_TRUE(Run(app).empty());
  EXPECT_EQ(app.scriptResult, ScriptHost::kStepEnded);
}

// A game whose window takes drops and gets two files dropped on it once
// its devices exist, before the frame pump runs.
class DroppingGame : public GameApplication {
 public:
  int CreateDevices() override {
    if (const int result = GameApplication::CreateDevices(); result != 0) return result;
    dropTarget.Enable(mainWindow.GetHandle(), 1);
    posted = platform::PostDroppedFiles(platform::CurrentBackend(), mainWindow.GetHandle(), names);
    return 0;
  }
  const std::vector<std::string> names = {"Z:\\save\\a.dat", "Z:\\b.txt"};
  bool posted = false;
};

TEST_F(GameApplicationTest, FilesDroppedOnTheWindowWaitForTheScripts) {
  WriteGameFile("SCRIPT.LPK", ScriptArchive(kGame));
  const size_t pendingBefore = platform::PendingDropCount();
  DroppingGame app;
  EXPECT_TRUE(Run(app).empty());
  ASSERT_TRUE(app.posted);
  EXPECT_EQ(app.dropTarget.GetCount(), 2);
  EXPECT_EQ(app.dropTarget.GetFile(0), app.names[0]);
  EXPECT_EQ(app.dropTarget.GetFile(1), app.names[1]);
  EXPECT_EQ(platform::PendingDropCount(), pendingBefore);  // the drop was finished
}

// A game that puts the pointer over its picture once the window is shown.
class PointingGame : public GameApplication {
 public:
  int CreateDevices() override {
    if (const int result = GameApplication::CreateDevices(); result != 0) return result;
    platform::Rect client;
    GetClientScreenRect(client);
    static_cast<platform::HeadlessBackend&>(platform::CurrentBackend())
        .PlaceCursor(platform::Point{client.left + 10, client.top + 20});
    return 0;
  }
};

// Each frame reads where the pointer is before the devices: the mouse
// reports nothing while that position is unknown.
TEST_F(GameApplicationTest, FramesFollowThePointerInGameCoordinates) {
  WriteGameFile("SCRIPT.LPK", ScriptArchive(kGame));
  PointingGame app;
  EXPECT_TRUE(Run(app).empty());
  EXPECT_GT(app.framesRun, 0u);
  EXPECT_EQ(app.cursorX, 10);
  EXPECT_EQ(app.cursorY, 20);
  EXPECT_EQ(app.cursorZone, 0);
}

// Window classes stay registered for the life of the process, as on the
// desktop, so each run of one test registers its own under its title.
class TitledGame : public GameApplication {
 public:
  explicit TitledGame(std::string name) : title(std::move(name)) {}
  int Configure() override {
    const int result = GameApplication::Configure();
    appInfo[0] = title;
    return result;
  }
  const std::string title;
};

// A player who closes the window before the first frame.
class ClosingGame : public TitledGame {
 public:
  using TitledGame::TitledGame;
  int CreateDevices() override {
    if (const int result = GameApplication::CreateDevices(); result != 0) return result;
    mainWindow.PostWindowMessage(platform::WM_CLOSE, 0, 0);
    return 0;
  }
};

// Closing asks first: "no" lets the game play on to its end, "yes" ends it
// before any script step.
TEST_F(GameApplicationTest, ClosingTheWindowAsksTheQuestion) {
  WriteGameFile("SCRIPT.LPK", ScriptArchive(kGame));
  for (const bool yes : {false, true}) {
    SCOPED_TRACE(yes);
    const size_t before = backend_.MessageBoxes().size();
    backend_.QueueMessageBoxAnswer(yes ? platform::IDYES : platform::IDNO);
    ClosingGame app(yes ? "Yes" : "No");
    const std::vector<std::string> messages = Run(app);
    ASSERT_EQ(messages.size(), before + 1);
    EXPECT_EQ(messages.back(), yes ? "『Yes』\nを終了しますか？" : "『No』\nを終了しますか？");
    EXPECT_EQ(backend_.MessageBoxes().back().icon, platform::MessageBoxIcon::Question);
    EXPECT_EQ(backend_.MessageBoxes().back().buttons, platform::MessageBoxButtons::YesNo);
    EXPECT_EQ(app.scriptResult, yes ? -1 : ScriptHost::kStepEnded);
  }
}

// Eight waits, then the end.
constexpr const char* kWaitsEightTimes = R"(
scene MAIN
  yield
  yield
  yield
  yield
  yield
  yield
  yield
  yield
  ret
)";

// The pump decides how many steps follow each frame: up to 4, -1 for one,
// more than 4 counts as 4, and 0 ends the run with the scripts where they are.
TEST_F(GameApplicationTest, ThePumpSetsTheScriptStepsOfEachFrame) {
  WriteGameFile("SCRIPT.LPK", ScriptArchive(kWaitsEightTimes));
  struct Case {
    std::vector<int> asks;  // the pump's answers, frame by frame
    uint32_t frames, steps;
    int result;
  };
  const Case cases[] = {
      {{4}, 3, 9, ScriptHost::kStepEnded},
      {{9}, 3, 9, ScriptHost::kStepEnded},
      {{-1}, 9, 9, ScriptHost::kStepEnded},
      {{2, 3, 0}, 3, 5, ScriptHost::kStepYielded},
  };
  for (const Case& c : cases) {
    const std::string name = "Pump" + std::to_string(&c - cases);
    SCOPED_TRACE(name);
    TitledGame app(name);
    app.frameSettings.rate = 0;  // no pacing: frames follow each other at once
    size_t frame = 0;
    app.framePump = [&] { return c.asks[std::min(frame++, c.asks.size() - 1)]; };
    EXPECT_TRUE(Run(app).empty());
    EXPECT_EQ(app.framesRun, c.frames);
    EXPECT_EQ(app.scriptSteps, c.steps);
    EXPECT_EQ(app.scriptResult, c.result);
    EXPECT_FALSE(app.closedByLimit);
  }
}

TEST_F(GameApplicationTest, FrameSettingsReachTheLimiterBeforeTheFrames) {
  WriteGameFile("SCRIPT.LPK", ScriptArchive(kGame));
  GameApplication app;
  EXPECT_EQ(app.limiter.Rate(), 60);
  EXPECT_FALSE(app.limiter.CountMissedPeriods());
  app.frameSettings.rate = 0;
  app.frameSettings.frameSkip = true;
  EXPECT_TRUE(Run(app).empty());
  EXPECT_EQ(app.limiter.Rate(), 0);
  EXPECT_TRUE(app.limiter.CountMissedPeriods());
}

class CountingTask : public TimedTask {
 public:
  int32_t Step(uint32_t) override { return 0; }
  void Stop() override {}
};

// Waiting pauses the second timer list once, however often it is asked, and
// leaves the first one running.
TEST_F(GameApplicationTest, WaitingPausesTheSecondTimerList) {
  GameApplication app;
  auto* first = new CountingTask;
  auto* second = new CountingTask;
  ASSERT_EQ(app.timerLists[0].Add(first, 0, 10, 0), 0);
  ASSERT_EQ(app.timerLists[1].Add(second, 0, 10, 0), 0);
  app.SetPumpWaiting(true);
  app.SetPumpWaiting(true);
  EXPECT_TRUE(app.PumpWaiting());
  EXPECT_EQ(second->PauseCount(), 1);
  EXPECT_EQ(first->PauseCount(), 0);
  app.SetPumpWaiting(false);
  app.SetPumpWaiting(false);
  EXPECT_EQ(second->PauseCount(), 0);
}

// A display that passes the start's monitor check but cannot switch to
// the full screen.
class NoFullScreen : public DisplayScreenDevice {
 public:
  int SetScreenMode(platform::WindowId window, bool windowed, bool flagB, bool zBuffer) override {
    if (!windowed) {
      hasDeviceObject = true;
      return 3;
    }
    return DisplayScreenDevice::SetScreenMode(window, windowed, flagB, zBuffer);
  }
};

// The fall-back to a window is passed to the game's device step, which
// takes it; the run goes on and ends without an error box.
TEST_F(GameApplicationTest, FullScreenStartThatFallsBackToAWindowRunsOn) {
  WriteGameFile("SCRIPT.LPK", ScriptArchive(kGame));
  AppSettings::AppConfigBlock config = DefaultAppConfigBlock();
  config[160] = 3;
  config[161] = 1;
  WriteGameFile("APP_CFG.DAT", EncodeAppConfig(config));
  WriteSettingsFiles([](AppSettings& settings) { settings.window[0] = 1; });
  GameApplication app;
  app.SetScreenDevice(std::make_unique<NoFullScreen>());
  app.screenMode = 1;
  EXPECT_TRUE(Run(app).empty());
  EXPECT_EQ(app.screenMode, 2);
  EXPECT_EQ(app.errorCode, 0);
  // The fallback is remembered as the window's drawing method.
  EXPECT_EQ(app.settings.blocks.appConfig[160], 2);
  EXPECT_EQ(app.settings.blocks.appConfig[161], 0);
  EXPECT_EQ(app.scriptResult, ScriptHost::kStepEnded);
}

// The shell fills the processor hooks: identification, and the settings
// switching features off, which also decides the packed pixel kernels.
TEST_F(GameApplicationTest, ProcessorHooksMaskTheFeaturesAndTheKernelFlag) {
  GameApplication app;
  StartupHooks& hooks = GetStartupHooks();
  ASSERT_TRUE(hooks.identifyProcessor);
  ASSERT_TRUE(hooks.maskProcessorFeatures);
  ResetProcessorInfoForTest();
  hooks.identifyProcessor();
  ProcessorInfo& cpu = Processor();
  EXPECT_TRUE(cpu.identified);
  cpu.cmov = cpu.mmx = cpu.mmxPlus = cpu.sse = cpu.integerSse = cpu.sse2 = true;
  hooks.maskProcessorFeatures(true, true, true, true);
  EXPECT_TRUE(cpu.cmov && cpu.mmx && cpu.sse && cpu.sse2);
  EXPECT_TRUE(MmxFlag());
  hooks.maskProcessorFeatures(false, false, true, false);
  EXPECT_FALSE(cpu.cmov || cpu.mmx || cpu.mmxPlus || cpu.sse2);
  EXPECT_TRUE(cpu.sse && cpu.integerSse);
  EXPECT_FALSE(MmxFlag());
  hooks.maskProcessorFeatures(true, true, false, true);
  EXPECT_FALSE(cpu.sse || cpu.integerSse);
  ResetProcessorInfoForTest();
  SetMmxFlag(false);
}

// A 2 x 2 picture of 32 bits whose pixels are (blue, green, red, alpha).
std::vector<uint8_t> TwoByTwoElg(uint32_t first) {
  tools::ElgImage image;
  image.width = 2;
  image.height = 2;
  for (uint32_t pixel : {first, 0x80112233u, 0xFF445566u, 0x40778899u}) {
    for (int shift = 0; shift < 32; shift += 8) image.pixels.push_back(uint8_t(pixel >> shift));
  }
  return tools::EncodeElg(image, tools::ElgHeaderVariant::kDepthOnly);
}

// A 2 x 1 bitmap of 24 bits (stored bottom-up, rows padded to 4 bytes).
std::vector<uint8_t> TwoPixelBmp(uint8_t blue, uint8_t green, uint8_t red) {
  tools::BmpFile file;
  file.width = 2;
  file.height = 1;
  file.bitCount = 24;
  file.data = {blue, green, red, 0x10, 0x20, 0x30, 0, 0};
  return tools::WriteBmpFile(file);
}

uint32_t PixelAt(Surface& surface, int x, int y) {
  const uint8_t* row = surface.GetBits() + ptrdiff_t(y) * surface.GetPitch();
  uint32_t value;
  std::memcpy(&value, row + x * 4, 4);
  return value;
}

// The program loads pictures by name with no help from a test: the ELG and
// the BMP in the script archive come through the archive manager and the
// built-in decoders, and a loose file of the same name wins over the member.
TEST_F(GameApplicationTest, PicturesLoadByNameFromTheArchiveAndLooseFilesWin) {
  WriteGameFile("SCRIPT.LPK",
                ScriptArchive(kGame, "", "",
                              {{"PIC.ELG", TwoByTwoElg(0xFF0000FFu), true, true},
                               {"PIC.BMP", TwoPixelBmp(1, 2, 3), true, false},
                               {"OVER.BMP", TwoPixelBmp(4, 5, 6), false, false}}));
  std::filesystem::create_directories(folder_ / "script");
  WriteGameFile("script/OVER.BMP", TwoPixelBmp(7, 8, 9));
  GameApplication app;
  EXPECT_EQ(Surface::LoaderManager(), &app.images);
  EXPECT_TRUE(Run(app).empty());
  ASSERT_GE(app.images.Records().size(), 2u);
  EXPECT_EQ(app.images.Records()[0].type, ImageLoaderManager::kElgType);
  EXPECT_EQ(app.images.Records()[1].type, ImageLoaderManager::kBmpType);
  EXPECT_TRUE(app.images.Cache().Enabled());  // the automatic limit

  struct Case {
    const char* name;
    int width, height;
    uint32_t firstPixel;
  };
  const Case cases[] = {
      {"SCRIPT\\PIC.ELG", 2, 2, 0xFF0000FFu},
      {"script\\pic.bmp", 2, 1, 0x00030201u},
      {"SCRIPT\\OVER.BMP", 2, 1, 0x00090807u},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    // Twice: the second load comes from the image cache.
    for (int pass = 0; pass < 2; ++pass) {
      Surface surface;
      ASSERT_EQ(surface.LoadImage(c.name, nullptr, 0, 0), 0);
      EXPECT_EQ(surface.GetWidth(), c.width);
      EXPECT_EQ(surface.GetHeight(), c.height);
      EXPECT_EQ(PixelAt(surface, 0, 0) & (c.height == 2 ? 0xFFFFFFFFu : 0x00FFFFFFu), c.firstPixel);
    }
  }
  Surface missing;
  EXPECT_NE(missing.LoadImage("SCRIPT\\NONE.ELG", nullptr, 0, 0), 0);
}

TEST_F(GameApplicationTest, TheLoaderManagerIsPublishedForTheApplicationsLifetime) {
  {
    GameApplication app;
    EXPECT_EQ(Surface::LoaderManager(), &app.images);
  }
  EXPECT_EQ(Surface::LoaderManager(), nullptr);
}

// The cache setting byte: automatic, off, and steps of 4 megabytes.
TEST_F(GameApplicationTest, ImageCacheSettingGivesTheLimit) {
  const std::pair<uint8_t, int32_t> cases[] = {{0, -1}, {1, 0}, {2, 4}, {6, 20}, {255, 1016}};
  for (const auto& [setting, megabytes] : cases) {
    EXPECT_EQ(GameApplication::ImageCacheMegabytes(setting), megabytes) << int(setting);
  }
  WriteGameFile("SCRIPT.LPK", ScriptArchive(kGame));
  WriteSettingsFiles([](AppSettings& settings) { settings.boot[10] = 1; });
  GameApplication app;
  EXPECT_TRUE(Run(app).empty());
  EXPECT_EQ(app.imageCacheSetting, 1);
  EXPECT_FALSE(app.images.Cache().Enabled());
}

// Plug-ins of every kind in the game's "plugin" folder are found once at
// start-up and reachable by name: effects, transitions, picture decoders
// of both interfaces.
TEST_F(GameApplicationTest, PluginFolderIsScannedForEveryKind) {
  WriteGameFile("SCRIPT.LPK", ScriptArchive(kGame));
  std::filesystem::create_directories(folder_ / "plugin");
  for (const char* file : {"TEST.DCP", "TEST.TCP", "TEST.GLL", "PICTURE.SPI"}) {
    std::filesystem::copy_file(std::string(ORRIVEL_TEST_PLUGIN_DIR) + file, folder_ / "plugin" / file);
  }
  GameApplication app;
  EXPECT_TRUE(Run(app).empty());
  int32_t index = -1;
  EXPECT_NE(app.dcpObjects.FindObject("plug_snow", &index), nullptr);
  EXPECT_EQ(index, 1);
  EXPECT_NE(app.tcpObjects.FindObject("plug_spin", &index), nullptr);
  EXPECT_EQ(index, 1);
  EXPECT_EQ(app.dcpObjects.Modules().Count(), 1u);
  EXPECT_EQ(app.tcpObjects.Modules().Count(), 1u);
  // The built-in transitions come before the plug-in's.
  int startupRows = 0;
  StartupTransitionRows(&startupRows);
  ASSERT_GT(app.tcpObjects.Records().size(), size_t(startupRows));
  EXPECT_EQ(app.tcpObjects.Records()[0].name, "cross");
  EXPECT_EQ(app.tcpObjects.Records()[size_t(startupRows) - 1].name, "tone");
  // The screen filters and the ripple join as the script host's objects are.
  for (const char* name : {"quake", "addsub", "hblur", "ripple"})
    EXPECT_NE(app.tcpObjects.FindObject(name, &index), nullptr) << name;
  // The built-in decoders come first and keep their extensions.
  EXPECT_EQ(app.images.FindDecoderByExtension("A.ELG", false), app.images.Records()[0].decoder);
  EXPECT_NE(app.images.FindDecoderByExtension("A.TPC", false), nullptr);
  EXPECT_NE(app.images.FindDecoderByExtension("A.SPC", false), nullptr);
  EXPECT_EQ(app.images.Records().size(), 4u);
}

// The low-priority hooks are the game's for its whole life; a headless run
// records the thread's priority changes instead of making them.
TEST_F(GameApplicationTest, StartupPublishesTheLowPriorityHooksForTheGamesLifetime) {
  WriteGameFile("SCRIPT.LPK", ScriptArchive(kGame));
  {
    GameApplication app;
    EXPECT_TRUE(Run(app).empty());
    ASSERT_TRUE(HasEnterLowPriorityHook());
    auto* recording = dynamic_cast<platform::RecordingThreadPriority*>(app.threadPriority.get());
    ASSERT_NE(recording, nullptr);
    EnterLowPriority();
    EnterLowPriority();
    LeaveLowPriority();
    EXPECT_TRUE(recording->Lowered());
    LeaveLowPriority();
    EXPECT_FALSE(recording->Lowered());
    EXPECT_FALSE(app.LowPriorityOff());
  }
  EXPECT_FALSE(HasEnterLowPriorityHook());
}

// The start-up hooks that publish settings for the drawing code and the
// system's family run, and the report can list process paths.
TEST_F(GameApplicationTest, StartupPublishesTheDrawSettingAndTheSystemFamily) {
  WriteGameFile("SCRIPT.LPK", ScriptArchive(kGame));
  SetNtFamilyFlag(false);
  // The last of the six further settings bytes is user-block byte 23.
  WriteSettingsFiles([](AppSettings& settings) { settings.user[23] = 7; });
  GameApplication app;
  EXPECT_TRUE(Run(app).empty());
  EXPECT_EQ(DrawSettingByte(), 7);
  EXPECT_TRUE(NtFamilyFlag());
  SetDrawSettingByte(1);
}

// The device step hands the boot block's pacing bytes to the pacing
// switches (headless has no vertical blank, so the counter byte decides the
// limiter's clock), the stream and decoding bytes of the user block to
// the sound code and the boot block's movie option to the movie players.
TEST_F(GameApplicationTest, DeviceStepAppliesThePacingAndSoundBytes) {
  struct Case {
    uint8_t vsyncMode, useCounter, interval, forced, lowOff, notify, loadWhole, finerPosition, software, banded,
        movieOption;
  };
  const Case cases[] = {{0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0},
                        {2, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1},
                        {1, 1, 0, 0, 0, 0, 1, 0, 1, 0, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(&c - cases);
    WriteGameFile("SCRIPT.LPK", ScriptArchive(kGame));
    WriteSettingsFiles([&](AppSettings& settings) {
      settings.boot[1] = c.vsyncMode;
      settings.boot[2] = c.useCounter;
      settings.boot[3] = c.interval;
      settings.boot[13] = c.forced;
      settings.boot[15] = c.lowOff;
      settings.user[19] = c.notify;
      settings.user[22] = c.loadWhole;
      settings.user[20] = c.finerPosition;
      settings.user[18] = c.software;
      settings.boot[16] = c.banded;
      settings.boot[8] = c.movieOption;
    });
    // One program may run once at a time under its title.
    TitledGame app("Pacing" + std::to_string(&c - cases));
    EXPECT_TRUE(Run(app).empty());
    const PacingBytes& bytes = app.pacing.Bytes();
    EXPECT_EQ(bytes.vsyncMode, c.vsyncMode);
    EXPECT_EQ(bytes.useCounter, c.useCounter);
    EXPECT_EQ(bytes.vsyncInterval, c.interval);
    EXPECT_EQ(bytes.forcedVSyncOn, c.forced);
    EXPECT_EQ(bytes.lowPriorityOff, c.lowOff);
    EXPECT_EQ(app.pacing.VSyncInterval(), 0u);
    EXPECT_EQ(app.limiter.UsesPerformanceCounter(), c.useCounter != 0);
    EXPECT_EQ(app.LowPriorityOff(), c.lowOff != 0);
    EXPECT_EQ(StreamSound::UsesNotifications(), c.notify != 0);
    EXPECT_EQ(app.soundCodecs.LoadWhole(), c.loadWhole != 0);
    // The output's buffer options.
    EXPECT_EQ(app.sound.ExtraBufferFlags(),
              (c.finerPosition ? platform::kBufferGetCurrentPosition2 : 0u) | (c.software ? platform::kBufferSoftware : 0u));
    EXPECT_EQ(SpriteCanvas::BandedRendering(), c.banded != 0);
    EXPECT_EQ(MovieOption(), c.movieOption);
  }
  // The option goes back to its default with the application.
  EXPECT_EQ(MovieOption(), kDefaultMovieOption);
  StreamSound::SetUseNotifications(true);
  SpriteCanvas::SetBandedRendering(true);
}

// Boxes and menus hold the pump, nested ones until the outermost ends, so
// the second timer list pauses once and resumes once.
TEST_F(GameApplicationTest, ModalStatesHoldThePumpUntilTheOutermostEnds) {
  GameApplication app;
  auto* task = new CountingTask;
  ASSERT_EQ(app.timerLists[1].Add(task, 0, 10, 0), 0);
  app.OnModalBegin();
  app.OnModalBegin();
  EXPECT_TRUE(app.PumpWaiting());
  EXPECT_EQ(task->PauseCount(), 1);
  app.OnModalEnd();
  EXPECT_TRUE(app.PumpWaiting());
  app.OnModalEnd();
  EXPECT_FALSE(app.PumpWaiting());
  EXPECT_EQ(task->PauseCount(), 0);
  app.OnModalEnd();  // one end too many changes nothing
  EXPECT_FALSE(app.PumpWaiting());
}

// A game that shows a box once its devices exist: the pump waits while the
// box is open and runs on afterwards.
class BoxShowingGame : public GameApplication {
 public:
  int CreateDevices() override {
    if (const int result = GameApplication::CreateDevices(); result != 0) return result;
    auto* task = new CountingTask;
    timerLists[1].Add(task, 0, 10, 0);
    watched = task;
    ShowMessageBox("box", kIconInformation);
    afterBox = PumpWaiting();
    return 0;
  }
  void OnModalBegin() override {
    GameApplication::OnModalBegin();
    pausedDuringBox = watched && watched->PauseCount() == 1;
  }
  CountingTask* watched = nullptr;
  bool pausedDuringBox = false;
  bool afterBox = true;
};

TEST_F(GameApplicationTest, MessageBoxesPauseTheSecondTimerList) {
  WriteGameFile("SCRIPT.LPK", ScriptArchive(kGame));
  BoxShowingGame app;
  EXPECT_EQ(Run(app).size(), 1u);
  EXPECT_TRUE(app.pausedDuringBox);
  EXPECT_FALSE(app.afterBox);
  EXPECT_EQ(app.scriptResult, ScriptHost::kStepEnded);
}

// Drops switched on by the game reach the window, and stay on across a
// screen-mode switch that made the window frame anew.
class DropEnablingGame : public GameApplication {
 public:
  int CreateDevices() override {
    if (const int result = GameApplication::CreateDevices(); result != 0) return result;
    const platform::WindowId window = mainWindow.GetHandle();
    EnableFileDrop(true);
    acceptedAfterEnable = platform::AcceptsDroppedFiles(window) && dropTarget.accepting == 1;
    platform::DragAcceptFiles(window, false);  // as a new frame would
    ApplyScreenMode(2, screenDepth, 1);
    acceptedAfterSwitch = platform::AcceptsDroppedFiles(window);
    EnableFileDrop(false);
    acceptedAfterDisable = platform::AcceptsDroppedFiles(window);
    return 0;
  }
  bool acceptedAfterEnable = false;
  bool acceptedAfterSwitch = false;
  bool acceptedAfterDisable = true;
};

TEST_F(GameApplicationTest, FileDropStaysOnAcrossScreenModeSwitches) {
  WriteGameFile("SCRIPT.LPK", ScriptArchive(kGame));
  DropEnablingGame app;
  EXPECT_TRUE(Run(app).empty());
  EXPECT_TRUE(app.acceptedAfterEnable);
  EXPECT_TRUE(app.acceptedAfterSwitch);
  EXPECT_FALSE(app.acceptedAfterDisable);
  EXPECT_FALSE(app.FileDropEnabled());
}

struct FailureCase {
  const char* name;
  const char* scripts;  // nullptr: no scripts at all
  const char* leaveOut;
  const char* damaged;
  int scriptResult;
  const char* message;
};

class GameFailureTest : public GameApplicationTest, public ::testing::WithParamInterface<FailureCase> {};

TEST_P(GameFailureTest, ShowsItsMessageAndEnds) {
  const FailureCase& c = GetParam();
  if (c.scripts) WriteGameFile("SCRIPT.LPK", ScriptArchive(c.scripts, c.leaveOut, c.damaged));
  GameApplication app;
  const std::vector<std::string> messages = Run(app);
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0], c.message);
  EXPECT_EQ(app.scriptResult, c.scriptResult);
  EXPECT_FALSE(app.closedByLimit);
}

INSTANTIATE_TEST_SUITE_P(
    Boot, GameFailureTest,
    ::testing::Values(
        // System files that cannot be opened are skipped; MAIN is then missing.
        FailureCase{"NoScripts", nullptr, "", "", -1, "メインスクリプトを開けません"},
        FailureCase{"DamagedVariables", kGame, "", "USER_VAR.SOB", -1, "スクリプト初期化ファイルのロードに失敗"},
        FailureCase{"NoMain", kGame, "MAIN.SOB", "", -1, "メインスクリプトを開けません"},
        FailureCase{"DamagedMain", kGame, "", "MAIN.SOB", -1, "メインスクリプトが不正です"},
        FailureCase{"InvalidCode", kDividesByZero, "", "", ScriptHost::kStepBadScript,
                    "不正なスクリプトを実行しました"},
        FailureCase{"JumpToMissingScene", kJumpsNowhere, "", "", ScriptHost::kStepJumpFailed,
                    "Jump命令でスクリプトのロードに失敗"},
        FailureCase{"CallToMissingScene", kCallsNowhere, "", "", ScriptHost::kStepCallFailed,
                    "Call命令でスクリプトのロードに失敗"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace orrivel

namespace orrivel {
namespace {

// Each way the script archive can be unusable is told apart in the line for
// whoever runs the program, with the folder; a pipe in its place is refused
// at once instead of blocking the start.
TEST_F(GameApplicationTest, BootFailuresNameTheFolderTheArchiveAndTheCode) {
  const std::vector<uint8_t> archive = ScriptArchive(kGame);
  struct Case {
    const char* name;
    std::function<void(const std::filesystem::path&)> make;
    const char* expected;
  };
  const Case cases[] = {
      {"Missing", [](const std::filesystem::path&) {}, "SCRIPT.LPK not found (mount code 5)"},
      {"Truncated",
       [&](const std::filesystem::path& at) {
         std::ofstream(at, std::ios::binary).write(reinterpret_cast<const char*>(archive.data()), 20);
       },
       "(mount code 1)"},
      {"Random", [](const std::filesystem::path& at) { std::ofstream(at, std::ios::binary) << "random bytes here"; },
       "(mount code 1)"},
      {"Pipe", [](const std::filesystem::path& at) { ASSERT_EQ(::mkfifo(at.c_str(), 0600), 0); },
       "(mount code 3)"},
      {"Folder", [](const std::filesystem::path& at) { std::filesystem::create_directory(at); }, "(mount code 5)"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::filesystem::path at = folder_ / "SCRIPT.LPK";
    std::filesystem::remove_all(at);
    c.make(at);
    TitledGame app(std::string("Boot") + c.name);
    const size_t before = backend_.MessageBoxes().size();
    const std::vector<std::string> messages = Run(app);
    ASSERT_EQ(messages.size(), before + 1);
    EXPECT_EQ(messages.back(), "メインスクリプトを開けません");
    EXPECT_EQ(app.bootResult, 3);
    const std::string line = app.DescribeFailure();
    EXPECT_NE(line.find("game folder \"" + folder_.string()), std::string::npos) << line;
    EXPECT_NE(line.find(c.expected), std::string::npos) << line;
    EXPECT_NE(line.find("main script MAIN missing (code 3)"), std::string::npos) << line;
  }
  std::filesystem::remove_all(folder_ / "SCRIPT.LPK");
  WriteGameFile("SCRIPT.LPK", archive);
  TitledGame good("BootGood");
  const size_t before = backend_.MessageBoxes().size();
  EXPECT_EQ(Run(good).size(), before);
  EXPECT_EQ(good.DescribeFailure(), "");

  // A fault while running is reported too.
  WriteGameFile("SCRIPT.LPK", ScriptArchive(kDividesByZero));
  TitledGame faulty("BootFaulty");
  Run(faulty);
  EXPECT_NE(faulty.DescribeFailure().find("SCRIPT.LPK mounted (mount code 0); the scripts stopped with step result 2"),
            std::string::npos)
      << faulty.DescribeFailure();
}

// A relative "/L" folder that is not beside the program is the one under
// the current folder.
TEST_F(GameApplicationTest, RelativeGameFolderFallsBackToTheCurrentFolder) {
  WriteGameFile("SCRIPT.LPK", ScriptArchive(kGame));
  const std::filesystem::path relative = std::filesystem::relative(folder_, std::filesystem::current_path());
  ASSERT_TRUE(relative.is_relative());
  TitledGame app("Relative");
  EXPECT_TRUE(Run(app, relative.string()).empty());
  EXPECT_EQ(app.scriptResult, ScriptHost::kStepEnded);
  EXPECT_EQ(app.bootResult, 0);
}

// What a save cut short by a crash left in the game folder goes at the
// next start, even one that comes at once.
TEST_F(GameApplicationTest, CrashLeftoversGoAtTheNextStart) {
  WriteGameFile("SCRIPT.LPK", ScriptArchive(kGame));
  WriteGameFile("VQF1A2B.TMP", {1, 2});
  WriteGameFile("VQF00B2.TMP", {1, 2});  // left just now
  WriteGameFile("OTHER.TMP", {1, 2});
  for (const char* name : {"VQF1A2B.TMP", "OTHER.TMP"})
    std::filesystem::last_write_time(folder_ / name,
                                     std::filesystem::file_time_type::clock::now() - std::chrono::hours(1));
  TitledGame app("Leftovers");
  EXPECT_TRUE(Run(app).empty());
  EXPECT_FALSE(std::filesystem::exists(folder_ / "VQF1A2B.TMP"));
  EXPECT_FALSE(std::filesystem::exists(folder_ / "VQF00B2.TMP"));
  EXPECT_TRUE(std::filesystem::exists(folder_ / "OTHER.TMP"));
}

// A game that notes its exit-time writes.
class SavingGame : public TitledGame {
 public:
  using TitledGame::TitledGame;
  void SaveSettings(int code) override {
    ++saves;
    TitledGame::SaveSettings(code);
  }
  int saves = 0;
};

// An interrupt, termination or hang-up signal ends the run like a quit
// request: the frame loop stops and the exit-time writes happen.
TEST_F(GameApplicationTest, StopSignalsEndAHeadlessRunInOrder) {
  WriteGameFile("SCRIPT.LPK", ScriptArchive(kWaitsEightTimes));
  for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
    SCOPED_TRACE(signal);
    platform::InstallStopSignalHandlers();
    SavingGame app("Signal" + std::to_string(signal));
    app.frameSettings.rate = 0;
    uint32_t frame = 0;
    app.framePump = [&] {
      if (++frame == 2) std::raise(signal);
      return 1;
    };
    Run(app);
    // The window's end queues one more quit request; it belongs to this run.
    for (platform::Message left; backend_.PeekMessage(left, true);) {
    }
    EXPECT_EQ(app.framesRun, 2u);
    EXPECT_EQ(app.scriptResult, ScriptHost::kStepYielded);
    EXPECT_TRUE(app.quitSeen);
    EXPECT_EQ(app.saves, 1);
    EXPECT_FALSE(platform::StopRequestPending());
    EXPECT_EQ(app.DescribeFailure(), "");
  }
  // Once one was noted, any further one ends the program at once, as the
  // signal's default does (in a child: it ends the process).
  for (const int second : {SIGINT, SIGTERM, SIGHUP}) {
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      platform::InstallStopSignalHandlers();
      std::raise(SIGTERM);
      std::raise(second);
      ::_exit(0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == second) << second << " status " << status;
  }
  // The file-size signal is ignored (its default would end the process
  // here): the write that passed the limit fails instead.
  platform::InstallStopSignalHandlers();
  std::raise(SIGXFSZ);
  EXPECT_FALSE(platform::StopRequestPending());
}

// A MAIN that counts its starts and then yields frame after frame.
constexpr const char* kCountsItsStarts = R"(
vars
  int starts = 0
scene MAIN
  inc $starts
loop:
  yield
  jmp @loop
)";

// A host whose loads of MAIN answer the given codes in turn (0: a real load).
class ScriptedLoadHost : public GameScriptHost {
 public:
  ScriptedLoadHost(GameHostSetup setup, std::vector<int> codes)
      : GameScriptHost(std::move(setup)), codes_(std::move(codes)) {}
  int LoadScriptFile(const char* name, ScriptMachine* machine) override {
    if (name && std::string(name) == "MAIN" && loads_ < codes_.size()) {
      if (const int code = codes_[loads_++]; code != 0) return code;
    }
    return GameScriptHost::LoadScriptFile(name, machine);
  }

 private:
  std::vector<int> codes_;
  size_t loads_ = 0;
};

TEST_F(GameApplicationTest, BootResultsForTheHostAndMain) {
  WriteGameFile("SCRIPT.LPK", ScriptArchive(kCountsItsStarts));
  struct Case {
    bool noHost;
    std::vector<int> mainCodes;
    int boot;
    const char* message;  // nullptr: none
  };
  const Case cases[] = {
      {true, {}, 1, "スクリプトを実行するためのメモリを確保出来ません"},
      {false, {3}, 5, "デバッグモード用のスクリプトです"},
      {false, {7}, 9, nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.boot);
    const size_t before = backend_.MessageBoxes().size();
    TitledGame app("Boot" + std::to_string(c.boot));
    app.makeScriptHost = [&](GameHostSetup setup) -> std::unique_ptr<GameScriptHost> {
      if (c.noHost) return nullptr;
      return std::make_unique<ScriptedLoadHost>(std::move(setup), c.mainCodes);
    };
    std::vector<std::string> messages = Run(app);
    messages.erase(messages.begin(), messages.begin() + long(before));
    EXPECT_EQ(app.bootResult, c.boot);
    if (c.message) {
      ASSERT_EQ(messages.size(), 1u);
      EXPECT_EQ(messages[0], c.message);
    } else {
      EXPECT_TRUE(messages.empty());
    }
  }
}

// The game's natives answer at their numbers under the host the boot makes.
TEST_F(GameApplicationTest, BootedScriptsReachTheGameNatives) {
  WriteGameFile("SCRIPT.LPK", ScriptArchive(R"(
vars
  int drawn = 5
scene MAIN
  native !RandomShared @args $drawn
  ret
data
args: word 0
)"));
  TitledGame app("Natives");
  EXPECT_TRUE(Run(app).empty());
  EXPECT_EQ(app.scriptResult, ScriptHost::kStepEnded);
  ASSERT_NE(app.scripts, nullptr);
  EXPECT_EQ(app.scripts->Natives().size(), kScriptNativeCount);
  uint32_t drawn = 1;
  app.scripts->Space().Read32(app.scripts->LiveRecords()[0].address, drawn);
  EXPECT_EQ(drawn, 0u);  // modulus 0
}

// An interrupt set during a step starts after it; one set while the
// top-level pump runs (the return to title) ends that pump call with 0, and
// the program goes on with MAIN restarted (its frames may run again)
// instead of ending. A MAIN that cannot be loaded again ends the run with
// its message.
TEST_F(GameApplicationTest, PendingInterruptsRestartMain) {
  WriteGameFile("SCRIPT.LPK", ScriptArchive(kCountsItsStarts));
  struct Case {
    bool duringPump;
    bool failing;
  };
  for (const Case c : {Case{false, false}, Case{true, false}, Case{false, true}}) {
    SCOPED_TRACE(::testing::Message() << c.duringPump << c.failing);
    const size_t before = backend_.MessageBoxes().size();
    TitledGame app(std::string("Interrupt") + (c.duringPump ? "P" : "S") + (c.failing ? "F" : ""));
    app.frameSettings.rate = 0;
    if (c.failing) {
      app.makeScriptHost = [](GameHostSetup setup) -> std::unique_ptr<GameScriptHost> {
        return std::make_unique<ScriptedLoadHost>(std::move(setup), std::vector<int>{0, 1});
      };
    }
    uint32_t frame = 0;
    app.framePump = [&] {
      ++frame;
      if (frame == 3) {
        app.pendingInterrupt = 2;  // interrupt 1
        // A frame's wait that sees this pump end takes it for a close.
        if (c.duringPump && app.scripts) app.scripts->TextFrameSlot().closing = true;
        return c.duringPump ? 0 : 1;
      }
      return frame >= 6 ? 0 : 1;
    };
    std::vector<std::string> messages = Run(app);
    messages.erase(messages.begin(), messages.begin() + long(before));
    if (c.failing) {
      ASSERT_EQ(messages.size(), 1u);
      EXPECT_EQ(messages[0], "スクリプト割り込みに失敗しました");
      EXPECT_EQ(frame, 3u);
      continue;
    }
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(frame, 6u);
    EXPECT_EQ(app.pendingInterrupt, 0);
    ASSERT_NE(app.scripts, nullptr);
    uint32_t starts = 0, bootFlag = 0;
    app.scripts->Space().Read32(app.scripts->LiveRecords()[0].address, starts);
    app.scripts->Space().Read32(app.scripts->BootFlagAddress(), bootFlag);
    EXPECT_EQ(starts, 2u);
    EXPECT_EQ(bootFlag, 1u);
    EXPECT_FALSE(app.scripts->TextFrameSlot().closing);  // the restarted MAIN may run frames
  }
}

// In the worker-thread mode the scripts boot and step on the worker while
// the main thread runs the message loop; the worker's end reaches the main
// window and ends the program.
// The mode is the player's setting, read at the configuration step.
class WorkerGame : public TitledGame {
 public:
  using TitledGame::TitledGame;
  int Configure() override {
    const int result = TitledGame::Configure();
    threadMode = 1;
    return result;
  }
};

TEST_F(GameApplicationTest, WorkerThreadModeRunsTheScriptsOnTheWorker) {
  WriteGameFile("SCRIPT.LPK", ScriptArchive(kWaitsEightTimes));
  WorkerGame app("Worker");
  app.frameSettings.rate = 0;
  std::thread::id stepper;
  app.framePump = [&] {
    stepper = std::this_thread::get_id();
    return 1;
  };
  EXPECT_TRUE(Run(app).empty());
  EXPECT_EQ(app.bootResult, 0);
  EXPECT_EQ(app.scriptResult, ScriptHost::kStepEnded);
  EXPECT_EQ(app.scriptSteps, 9u);
  EXPECT_NE(stepper, std::thread::id());
  EXPECT_NE(stepper, std::this_thread::get_id());
}

// The boot byte that switches the low-priority requests off holds from the
// boot on: a later request changes nothing.
TEST_F(GameApplicationTest, TheLowPrioritySwitchesCanBeTurnedOffAtBoot) {
  WriteGameFile("SCRIPT.LPK", ScriptArchive(kGame));
  for (const bool off : {false, true}) {
    SCOPED_TRACE(off);
    TitledGame app(off ? "PriorityOff" : "PriorityOn");
    WriteSettingsFiles([&](AppSettings& settings) { settings.boot[15] = off ? 1 : 0; });
    EXPECT_TRUE(Run(app).empty());
    ASSERT_NE(app.lowPriority, nullptr);
    EXPECT_EQ(app.lowPriority->Enabled(), !off);
  }
}

}  // namespace
}  // namespace orrivel

namespace orrivel {
namespace {

// A game whose screen canvas holds two coloured boxes from the start.
class SpriteGame : public GameApplication {
 public:
  ~SpriteGame() override {
    if (canvas) canvas->MainList().Clear();
  }
  int CreateDevices() override {
    if (const int result = GameApplication::CreateDevices(); result != 0) return result;
    auto* screenImage = dynamic_cast<CanvasDrawObject*>(Display()->GetScreenImage());
    if (screenImage == nullptr || screenImage->GetCanvas() == nullptr) return 1;
    canvas = screenImage->GetCanvas();
    red.Init(40, 30, 0xFFFF0000u, 10, 20);
    blue.Init(20, 20, 0xFF0000FFu, 100, 50);
    canvas->MainList().Add(&red, 1, 0);
    canvas->MainList().Add(&blue, 2, 0);
    return 0;
  }
  SpriteCanvas* canvas = nullptr;
  ColorBox red, blue;
};

// The start-up installs the display's screen device with a composing
// canvas as its picture, and each frame of the pump presents it: the
// window shows the sprites on the black canvas.
TEST_F(GameApplicationTest, EachFramePresentsTheComposedCanvasToTheWindow) {
  WriteGameFile("SCRIPT.LPK", ScriptArchive(kWaitsEightTimes));
  // User-block byte 5 = 2: the screen canvas composes sprites.
  WriteSettingsFiles([](AppSettings& settings) { settings.user[5] = 2; });
  SpriteGame app;
  std::optional<platform::HeadlessPresenter::Frame> shown;
  int frames = 0;
  app.framePump = [&] {
    if (++frames == 4) {
      if (const auto* frame = backend_.Frames().LastFrame(app.mainWindow.GetHandle())) shown = *frame;
    }
    return 1;
  };
  EXPECT_TRUE(Run(app).empty());
  ASSERT_NE(app.Display(), nullptr);
  EXPECT_EQ(CurrentScreenDevice(), app.Display());
  ASSERT_TRUE(shown.has_value());
  ASSERT_GE(shown->width, 640);
  ASSERT_GE(shown->height, 480);
  const auto pixel = [&](int x, int y) { return shown->pixels[size_t(y) * size_t(shown->width) + size_t(x)] & 0xFFFFFF; };
  EXPECT_EQ(pixel(10, 20), 0xFF0000u);
  EXPECT_EQ(pixel(49, 49), 0xFF0000u);
  EXPECT_EQ(pixel(110, 60), 0x0000FFu);
  EXPECT_EQ(pixel(5, 5), 0u);
  EXPECT_GE(shown->count, 3u);
}

// The device step binds the movie libraries when the game asks for
// movies, loading them at the first look at a binding: with sprites the
// sprite-movie library beside the program; the object library does not
// exist here. The bindings go with the application.
TEST_F(GameApplicationTest, DeviceStepBindsTheMovieLibrariesTheSettingsAskFor) {
  WriteGameFile("SCRIPT.LPK", ScriptArchive(kGame));
  struct Case {
    uint8_t movies;
    uint8_t sprites;
    bool spriteBound;
  };
  for (const Case c : {Case{1, 2, true}, Case{0, 2, false}}) {
    SCOPED_TRACE(int(c.movies) * 10 + c.sprites);
    WriteSettingsFiles([&](AppSettings& settings) {
      settings.boot[7] = c.movies;
      settings.user[5] = c.sprites;
    });
    {
      // A window of its own for each start.
      TitledGame app(c.movies != 0 ? "Movies" : "NoMovies");
      std::optional<std::array<bool, 3>> bound;
      bool putOff = false, loadedBeforeFirstLook = true;
      app.framePump = [&] {
        // The libraries load at the first look, not at the device step.
        putOff = app.movieLibraries.BindPutOff();
        loadedBeforeFirstLook = app.movieLibraries.Record(MovieLibraryId::kSprite) != nullptr;
        bound = {CurrentMovieBinding(MovieLibraryId::kSprite) != nullptr,
                 CurrentMovieBinding(MovieLibraryId::kPrimary) != nullptr,
                 CurrentMovieBinding(MovieLibraryId::kObject) != nullptr};
        if (bound->at(0)) {
          EXPECT_EQ(CurrentMovieBinding(MovieLibraryId::kSprite)->archives, app.archives.get());
        }
        return 0;
      };
      EXPECT_TRUE(Run(app).empty());
      ASSERT_TRUE(bound.has_value());
      EXPECT_EQ(*bound, (std::array<bool, 3>{c.spriteBound, false, false}));
      EXPECT_EQ(putOff, c.movies != 0);
      EXPECT_FALSE(loadedBeforeFirstLook);
    }
    EXPECT_EQ(CurrentMovieBinding(MovieLibraryId::kSprite), nullptr);
  }
}

// The device step's default bindings on the keyboard (the stick ones need
// a joystick): the arrows, both Enters and Escape.
// The player's keys (the settings' defaults: Z and X) follow the fixed ones.
TEST_F(GameApplicationTest, DeviceStepBindsTheDefaultKeysThenThePlayers) {
  WriteGameFile("SCRIPT.LPK", ScriptArchive(kGame));
  GameApplication app;
  std::vector<std::vector<uint8_t>> keys(6);
  app.framePump = [&] {
    for (uint32_t action = 0; action < 6; ++action) {
      keys[action].clear();
      for (uint32_t n = 0; n < app.actions->CountBindings(action, 0); ++n) {
        uint8_t code = 0;
        int32_t device = -1;
        app.actions->GetBinding(action, 0, n, &code, &device);
        keys[action].push_back(code);
      }
    }
    return 1;
  };
  EXPECT_TRUE(Run(app).empty());
  const std::vector<std::vector<uint8_t>> expected = {{200}, {208}, {203}, {205}, {28, 156, 44}, {1, 45}};
  EXPECT_EQ(keys, expected);
}

// Ctrl held while the game starts gives a window over the full screen that
// the player's settings ask for.
TEST_F(GameApplicationTest, CtrlHeldAtStartGivesAWindow) {
  WriteGameFile("SCRIPT.LPK", ScriptArchive(kGame));
  for (const bool held : {false, true}) {
    SCOPED_TRACE(held);
    WriteSettingsFiles([](AppSettings& settings) { settings.window[0] = 1; });
    platform::HeadlessInput keyboard;
    keyboard.SetKey(uint8_t(platform::VK_CONTROL), held);
    platform::ScopedInputSource useKeyboard(keyboard);
    TitledGame app(held ? "Held" : "Free");
    uint8_t mode = 0;
    app.framePump = [&] {
      mode = app.screenMode;
      return 1;
    };
    Run(app);
    EXPECT_EQ(mode, held ? 2 : 1);
  }
}

// The screen-size presets ask the screen device for a smaller window of the
// 1280 x 720 game, in its proportions.
TEST_F(GameApplicationTest, ScreenSizePresetsAskForTheWindowSize) {
  WriteGameFile("SCRIPT.LPK", ScriptArchive(kGame));
  const std::array<std::pair<uint8_t, platform::Size>, 3> cases = {
      {{0, platform::Size{0, 0}}, {1, platform::Size{1024, 576}}, {2, platform::Size{800, 450}}}};
  for (const auto& [preset, asked] : cases) {
    SCOPED_TRACE(int(preset));
    WriteSettingsFiles([](AppSettings& settings) {
      settings.system[0] = 1280 & 0xFF, settings.system[1] = 1280 >> 8;
      settings.system[2] = 720 & 0xFF, settings.system[3] = 720 >> 8;
      settings.window[0] = 2;
    });
    AppSettings::AppConfigBlock config = DefaultAppConfigBlock();
    config[165] = preset;
    WriteGameFile("APP_CFG.DAT", EncodeAppConfig(config));
    TitledGame app("Preset" + std::to_string(preset));
    Run(app);
    ASSERT_NE(app.Display(), nullptr);
    EXPECT_EQ(app.Display()->RequestedWindowSize().width, asked.width);
    EXPECT_EQ(app.Display()->RequestedWindowSize().height, asked.height);
  }
}

// The player's drawing method and its switches reach the display once the
// settings are read.
TEST_F(GameApplicationTest, TheDisplayTakesThePlayersDrawingOptions) {
  WriteGameFile("SCRIPT.LPK", ScriptArchive(kGame));
  AppSettings::AppConfigBlock config = DefaultAppConfigBlock();
  config[160] = 3;
  config[161] = 1;
  WriteGameFile("APP_CFG.DAT", EncodeAppConfig(config));
  TitledGame app("Drawing");
  Run(app);
  ASSERT_NE(app.Display(), nullptr);
  EXPECT_EQ(app.Display()->drawingMethod, 3);
  EXPECT_TRUE(app.Display()->drawingCompanion);
  app.ApplyDisplayOptions(2, {0, 1, 1, 0});
  EXPECT_EQ(app.Display()->drawingMethod, 2);
  EXPECT_FALSE(app.Display()->drawingCompanion);
}

// Start-ups that ended at the window or the screen mode forget the two
// user-block words; a failed restore or mode change says so at exit. Then
// the movie libraries go with the players the scripts left open, unless
// another error was recorded (the run's end reports it, and the movies go
// with the application).
TEST_F(GameApplicationTest, ReleasingDevicesAfterFailures) {
  struct Case {
    int code;
    uint8_t endByte;
    bool cleared;
    const char* message;
    bool moviesGo;
  };
  const Case cases[] = {{0, 0, false, nullptr, true},
                        {9, 0, true, nullptr, true},
                        {12, 0, true, nullptr, true},
                        {13, 0, false, nullptr, true},
                        {0, 1, false, "描画オブジェクトのリストアに失敗", true},
                        {0, 2, false, "画面モード切替に失敗", true},
                        {0, 3, false, nullptr, false}};
  testing::FakeLibraryHandle objectLibrary{"good", "QUORRA"};
  testing::FakeArchives movieFiles;
  movieFiles.AddMember("OP.MPG");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.code * 10 + c.endByte);
    GameApplication app;
    ASSERT_EQ(app.movieLibraries.Bind(true, &movieFiles, testing::FakeLibraryFolder("good")), 2);
    app.movies.object = std::make_unique<ObjectMovie>(*app.movies.lock);
    ASSERT_EQ(app.movies.object->Open(7, "OP.MPG", nullptr, nullptr), 0);
    ASSERT_EQ(objectLibrary.State().live, 1);
    SetBlockU32(app.settings.blocks.user, 43, 7);
    SetBlockU32(app.settings.blocks.user, 63, 8);
    app.errorCode = c.endByte;
    const size_t before = backend_.MessageBoxes().size();
    app.ReleaseDevices(c.code);
    EXPECT_EQ(objectLibrary.State().live, c.moviesGo ? 0 : 1);
    EXPECT_EQ(app.movies.object == nullptr, c.moviesGo);
    EXPECT_EQ(app.movieLibraries.LoadOrder().empty(), c.moviesGo);
    EXPECT_EQ(CurrentMovieBinding(MovieLibraryId::kObject) == nullptr, c.moviesGo);
    EXPECT_EQ(CurrentMovieBinding(MovieLibraryId::kSprite) == nullptr, c.moviesGo);
    EXPECT_EQ(BlockU32(app.settings.blocks.user, 43), c.cleared ? 0u : 7u);
    EXPECT_EQ(BlockU32(app.settings.blocks.user, 63), c.cleared ? 0u : 8u);
    if (c.message) {
      ASSERT_EQ(backend_.MessageBoxes().size(), before + 1);
      EXPECT_EQ(platform::Cp932ToUtf8Lossy(backend_.MessageBoxes().back().text), c.message);
      EXPECT_EQ(backend_.MessageBoxes().back().owner, platform::kDesktopWindow);
    } else {
      EXPECT_EQ(backend_.MessageBoxes().size(), before);
    }
    app.errorCode = 0;
  }
}

}  // namespace
}  // namespace orrivel

namespace orrivel {
namespace {

// Input whose action map cannot be made.
class NoActionMapInput : public InputManager {
 public:
  int32_t CreateActionMap(uint32_t, ActionMap** out) override {
    if (out) *out = nullptr;
    return 1;
  }
};

// A machine whose input devices, or whose action map, could not be made:
// the device step stops the start with its message and its code.
class NoInputGame : public TitledGame {
 public:
  NoInputGame(std::string name, bool devicesMade) : TitledGame(std::move(name)), devicesMade_(devicesMade) {}
  int CreateDevices() override {
    if (devicesMade_) {
      auto replacement = std::make_unique<NoActionMapInput>();
      replacement->CreateDevices(Input().Method());
      SetInputManager(std::move(replacement));
    } else {
      SetInputManager(std::make_unique<InputManager>());
    }
    devicesResult = GameApplication::CreateDevices();
    return devicesResult;
  }
  int devicesResult = -1;

 private:
  const bool devicesMade_;
};

TEST_F(GameApplicationTest, MissingInputDevicesEndTheStart) {
  WriteGameFile("SCRIPT.LPK", ScriptArchive(kGame));
  struct Case {
    bool devicesMade;
    int code;
    const char* message;
  };
  const Case cases[] = {{false, 1, "入力デバイスの初期化に失敗"}, {true, 2, "仮想入力デバイスの作成に失敗"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.code);
    NoInputGame app("NoInput" + std::to_string(c.code), c.devicesMade);
    const std::string commandLine = "/L" + folder_.string();
    const size_t before = backend_.MessageBoxes().size();
    EXPECT_EQ(app.Run(nullptr, nullptr, commandLine.c_str(), platform::SW_SHOWNORMAL), kInitDevicesFailed);
    EXPECT_EQ(app.devicesResult, c.code);
    ASSERT_EQ(backend_.MessageBoxes().size(), before + 1);
    EXPECT_EQ(platform::Cp932ToUtf8Lossy(backend_.MessageBoxes().back().text), c.message);
    EXPECT_EQ(backend_.MessageBoxes().back().owner, platform::kDesktopWindow);
    EXPECT_EQ(app.actions, nullptr);
    EXPECT_EQ(app.scriptResult, -1);
  }
}

// A game that, once its devices exist, looks at what the transition
// objects scripts create will draw through: the display device's runner,
// reading the device's current back surface and content size.
class TransitioningGame : public GameApplication {
 public:
  int CreateDevices() override {
    if (const int result = GameApplication::CreateDevices(); result != 0) return result;
    DisplayScreenDevice* display = Display();
    runnerInstalled = display->GetTransitionRunner() == transitionRunner.get() && transitionRunner != nullptr;
    // Null on a presentation route without a back surface: frames meant for
    // the screen then fail with 1, as the library expects.
    backSurfaceSeen = transitionScreen->BackSurface() == display->BackSurface();
    const Rect content = transitionScreen->ContentRect();
    contentMatches = content.right == display->contentWidth && content.bottom == display->contentHeight;
    return 0;
  }
  bool runnerInstalled = false;
  bool backSurfaceSeen = false;
  bool contentMatches = false;
};

TEST_F(GameApplicationTest, TransitionObjectsDrawThroughTheDisplayDevicesBackSurface) {
  WriteGameFile("SCRIPT.LPK", ScriptArchive(kGame));
  TransitioningGame app;
  EXPECT_TRUE(Run(app).empty());
  EXPECT_TRUE(app.runnerInstalled);
  EXPECT_TRUE(app.backSurfaceSeen);
  EXPECT_TRUE(app.contentMatches);
}

// Native 788 may be given a canvas the scripts made through the display
// device: the text frame finds it by its handle, and refuses a stale one.
TEST_F(GameApplicationTest, TheTextFrameFindsCanvasesByTheirHandles) {
  WriteGameFile("SCRIPT.LPK", ScriptArchive(kWaitsEightTimes));
  GameApplication app;
  bool checked = false;
  app.framePump = [&] {
    if (checked || app.scripts == nullptr || app.Display() == nullptr) return 1;
    checked = true;
    const auto& resolve = app.scripts->TextFrame().resolveCanvas;
    EXPECT_TRUE(resolve);
    if (!resolve) return 1;
    uint32_t handle = 0;
    EXPECT_EQ(CreateCanvasDrawObjectForSource(*app.Display(), &handle, 64, 32, 32, 0), 0);
    const std::optional<TgsCanvasRef> canvas = resolve(handle);
    EXPECT_TRUE(canvas.has_value());
    if (canvas) {
      EXPECT_EQ(canvas->kind, int32_t(TgsFrame::kCanvasKind));
      EXPECT_EQ(canvas->width, 64u);
      EXPECT_EQ(canvas->height, 32u);
      EXPECT_NE(canvas->object, nullptr);
    }
    const uint32_t stale = handle;
    app.Display()->DeleteImage(&handle);
    EXPECT_FALSE(resolve(stale).has_value());
    EXPECT_FALSE(resolve(0).has_value());
    return 1;
  };
  EXPECT_TRUE(Run(app).empty());
  EXPECT_TRUE(checked);
}

}  // namespace
}  // namespace orrivel

namespace orrivel {
namespace {

// An archive of one member, built for the name it is opened under.
std::vector<uint8_t> OneMemberArchive(const std::string& archiveName, const std::string& member,
                                      const std::string& text) {
  std::vector<uint8_t> archive;
  std::string error;
  EXPECT_TRUE(tools::BuildLpk(archiveName, tools::LpkWriterOptions{},
                              {{member, std::vector<uint8_t>(text.begin(), text.end()), false, false}}, &archive,
                              &error))
      << error;
  return archive;
}

std::optional<std::string> ReadGameText(const std::string& name) {
  std::vector<uint8_t> bytes;
  if (!LoadWholeFile(name, &bytes)) return std::nullopt;
  return std::string(bytes.begin(), bytes.end());
}

// The running program's start: the folder option in either case (another
// letter is not one), the patch archives up to the first gap, the scripts
// as their folder, and the built-in decoders of each registry with their
// kinds.
TEST_F(GameApplicationTest, StartUpTakesTheFolderOptionAndMountsThePatchesInOrder) {
  struct Case {
    const char* name;
    const char* option;
    std::vector<int> patches;  // 1 for PATCH.LPK, n for PATCHn.LPK
    size_t mounts;             // with SCRIPT.LPK
    const char* newest;        // what WHICH.TXT reads, nullptr: no patch
    bool fourthSeen;
  };
  const Case cases[] = {
      {"NoFirstPatch", "/L", {2}, 1, nullptr, false},
      {"FirstTwoOfThree", "/L", {1, 2, 4}, 3, "PATCH2", false},
      {"LowerCase", "/l", {1}, 2, "PATCH", false},
  };
  WriteGameFile("SCRIPT.LPK", ScriptArchive(kGame));
  const auto patchStem = [](int n) { return "PATCH" + (n == 1 ? std::string() : std::to_string(n)); };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    for (const int n : {1, 2, 4}) std::filesystem::remove(folder_ / (patchStem(n) + ".LPK"));
    // Each patch names itself in WHICH.TXT; the fourth holds FOURTH.TXT.
    for (const int n : c.patches) {
      const std::string archive = patchStem(n) + ".LPK";
      WriteGameFile(archive, OneMemberArchive(archive, n == 4 ? "FOURTH.TXT" : "WHICH.TXT", patchStem(n)));
    }
    TitledGame app(c.name);
    app.frameLimit = 600;
    std::optional<size_t> mounts;
    std::optional<std::string> newest;
    bool fourthSeen = true;
    app.framePump = [&] {
      mounts = app.archives->GetMountCount();
      newest = ReadGameText("WHICH.TXT");
      fourthSeen = ReadGameText("FOURTH.TXT").has_value();
      return 0;
    };
    const std::string commandLine = c.option + folder_.string();
    ASSERT_EQ(app.Run(nullptr, nullptr, commandLine.c_str(), platform::SW_SHOWNORMAL), 0);
    EXPECT_EQ(app.bootResult, 0);
    EXPECT_EQ(mounts, c.mounts);
    EXPECT_EQ(newest, c.newest ? std::optional<std::string>(c.newest) : std::nullopt);
    EXPECT_EQ(fourthSeen, c.fourthSeen);
    // The built-in decoders and their kinds, ahead of any plug-in.
    ASSERT_GE(app.images.Records().size(), 2u);
    EXPECT_EQ(app.images.Records()[0].typeString, "ELG format");
    EXPECT_EQ(app.images.Records()[0].type, 2);
    EXPECT_EQ(app.images.Records()[1].typeString, "Bitmap format");
    EXPECT_EQ(app.images.Records()[1].type, 1);
    ASSERT_FALSE(app.archives->Decoders().empty());
    EXPECT_EQ(app.archives->Decoders()[0].typeString, "LPK format");
    EXPECT_EQ(app.archives->Decoders()[0].type, 1);
    ASSERT_FALSE(app.soundCodecs.Records().empty());
    EXPECT_EQ(app.soundCodecs.Records()[0].typeString, "Ogg Vorbis format");
    EXPECT_EQ(app.soundCodecs.Records()[0].type, 2u);
  }
  // Another letter names no folder: the program's own folder, which holds
  // no game, is read, and the start ends with the settings' first code.
  TitledGame other("OtherLetter");
  const std::string commandLine = "/X" + folder_.string();
  EXPECT_EQ(other.Run(nullptr, nullptr, commandLine.c_str(), platform::SW_SHOWNORMAL), 1);
  EXPECT_EQ(platform::Cp932ToUtf8Lossy(backend_.MessageBoxes().back().text), "アプリケーション設定ファイルの読み込みに失敗");
  EXPECT_EQ(BaseFolder().find(*platform::ToInternalPath(folder_.string())), std::string::npos);
}

// Notes whether the script host still lived when a task of the object
// list was stopped.
struct HostWatch {
  bool hostGone = false;
  bool stopped = false;
  bool stoppedWhileHostLived = false;
};

class WatchedHost : public GameScriptHost {
 public:
  WatchedHost(GameHostSetup setup, HostWatch& watch) : GameScriptHost(std::move(setup)), watch_(watch) {}
  ~WatchedHost() override { watch_.hostGone = true; }

 private:
  HostWatch& watch_;
};

class HostWatchingTask : public TimedTask {
 public:
  explicit HostWatchingTask(HostWatch& watch) : watch_(watch) {}
  int32_t Step(uint32_t) override { return 0; }
  void Stop() override {
    watch_.stopped = true;
    watch_.stoppedWhileHostLived = !watch_.hostGone;
  }

 private:
  HostWatch& watch_;
};

// At the end the object list's tasks stop and go before the script host
// whose objects they work on.
TEST_F(GameApplicationTest, ObjectTasksStopBeforeTheScriptHostGoes) {
  WriteGameFile("SCRIPT.LPK", ScriptArchive(kGame));
  HostWatch watch;
  {
    TitledGame app("ObjectTasks");
    app.makeScriptHost = [&](GameHostSetup setup) -> std::unique_ptr<GameScriptHost> {
      return std::make_unique<WatchedHost>(std::move(setup), watch);
    };
    EXPECT_TRUE(Run(app).empty());
    ASSERT_NE(app.scripts, nullptr);
    ASSERT_EQ(app.timerLists[1].Add(new HostWatchingTask(watch), 0, 10, 0), 0);
  }
  EXPECT_TRUE(watch.hostGone);
  EXPECT_TRUE(watch.stopped);
  EXPECT_TRUE(watch.stoppedWhileHostLived);
}

// Without a sound output the device step warns in the game's message
// dialog with its check box, while boot byte 6 asks for the warning; the
// box's "do not show again" clears the byte.
TEST_F(GameApplicationTest, NoSoundOutputWarnsUntilThePlayerSaysNoMore) {
  WriteGameFile("SCRIPT.LPK", ScriptArchive(kGame));
  SoundDevice::SetDeviceFactory([] { return std::unique_ptr<platform::AudioDevice>(); });
  struct Case {
    uint8_t warn;
    bool checked;
    bool shown;
    uint8_t after;
  };
  for (const Case c : {Case{1, true, true, 0}, Case{1, false, true, 1}, Case{0, false, false, 0}}) {
    SCOPED_TRACE(::testing::Message() << int(c.warn) << c.checked);
    WriteSettingsFiles([&](AppSettings& settings) { settings.boot[6] = c.warn; });
    platform::ScriptedDialogs dialogs;
    platform::DialogService* previous = platform::SetDialogs(&dialogs);
    if (c.checked) dialogs.QueueAnswer(platform::DialogAnswer{kControlOk, true, true});
    TitledGame app(std::string("NoSound") + (c.checked ? "C" : "") + std::to_string(c.warn));
    EXPECT_TRUE(Run(app).empty());
    platform::SetDialogs(previous);
    EXPECT_NE(app.soundOutputCode, kSoundDeviceOk);
    EXPECT_EQ(app.soundWarningShown, c.shown);
    EXPECT_EQ(app.settings.blocks.boot[6], c.after);
    ASSERT_EQ(dialogs.Transcript().size(), c.shown ? 1u : 0u);
    if (!c.shown) continue;
    const platform::DialogRequest& request = dialogs.Transcript()[0].request;
    EXPECT_EQ(request.templateId, kMessageDialogTemplate + 1);
    ASSERT_NE(request.Find(kControlCheck), nullptr);
    ASSERT_NE(request.Find(kControlText), nullptr);
    EXPECT_NE(platform::Cp932ToUtf8Lossy(request.Find(kControlText)->text).find("DirectSoundを利用できません。"),
              std::string::npos);
  }
  SoundDevice::SetDeviceFactory(nullptr);
}

// Nothing plays a headless run's sound output, yet its time passes with the
// game's frames: a sound played once ends when its length has passed (so
// waits on a sound, voice-paced pages and ducking under a voice end too),
// within a frame, on the game's own clock.
TEST_F(GameApplicationTest, TheHeadlessSoundOutputKeepsTimeWithTheFrames) {
  WriteGameFile("SCRIPT.LPK", ScriptArchive(kCountsItsStarts));
  // No input, the virtual clock: each frame moves the clock on by its period.
  platform::ScriptedRun frames({}, true);
  GameApplication app;
  app.scriptedRun = &frames;
  std::shared_ptr<platform::SoundBuffer> sound;
  uint32_t started = 0, ended = 0;
  app.framePump = [&] {
    platform::AudioDevice* audio = app.sound.Device();
    if (audio == nullptr) return 0;
    if (!sound) {
      // 100 ms (of silence), played once.
      sound = audio->CreateBuffer(platform::WaveFormat::Pcm(44100, 1, 16), platform::kBufferCtrlVolume, 8820,
                                  nullptr);
      if (!sound || sound->Play(0) != platform::kAudioOk) return 0;
      started = platform::Clock().TickMs();
      return 1;
    }
    if (sound->IsPlaying()) return 1;
    ended = platform::Clock().TickMs();
    return 0;
  };
  Run(app);
  ASSERT_NE(sound, nullptr);
  ASSERT_NE(ended, 0u) << "the sound never ended";
  EXPECT_FALSE(app.closedByLimit);
  EXPECT_GE(ended - started, 100u);
  EXPECT_LE(ended - started, 100u + 2 * 17u);
}

// A game that shows a screen canvas and plays a silent movie on it, then
// waits.
constexpr const char* kPlaysAMovie = R"(
vars
  int canvas = 0
  int result = 0
scene MAIN
  native !NativeLoadCanvasImage @canvasArgs $canvas
  native !NativeSetScreenImage $canvas $result
  native !PlayMovie @movieArgs $result
  native !StartMovie @none $result
wait:
  yield
  jmp @wait
data
canvasArgs: word 640 480 32 1
movieArgs:  word @movieName 0 5
movieName:  string "OP.MPG"
none:       word 0
)";

// A headless run hands its virtual clock to the movie library: the silent
// movie moves by the run's frames alone, so two runs of the same input show
// the same pictures, and later frames show later pictures.
TEST_F(GameApplicationTest, ASilentMovieShowsTheSamePicturesOnEveryHeadlessRun) {
  media::TestMovieRecipe recipe;
  recipe.framesPerSecond = 25;
  recipe.frames = 75;
  std::string error;
  ASSERT_TRUE(media::WriteTestMovie((folder_ / "OP.MPG").string(), recipe, &error)) << error;
  WriteGameFile("SCRIPT.LPK", ScriptArchive(kPlaysAMovie));
  WriteSettingsFiles([](AppSettings& settings) {
    settings.boot[7] = 1;  // movies, shown as sprites
    settings.user[5] = 1;
  });
  const uint32_t shotFrames[] = {10, 40};
  std::vector<std::vector<uint8_t>> shots[2];
  std::vector<int32_t> numbers[2];
  for (int run = 0; run < 2; ++run) {
    SCOPED_TRACE(run);
    const std::filesystem::path shotFolder = folder_ / ("run" + std::to_string(run));
    std::filesystem::create_directories(shotFolder);
    std::vector<platform::ScriptedEvent> events;
    for (uint32_t frame : shotFrames) {
      platform::ScriptedEvent shot;
      shot.frame = frame;
      shot.kind = platform::ScriptedEvent::Kind::Snapshot;
      shot.text = "at" + std::to_string(frame);
      events.push_back(shot);
    }
    platform::ScriptedEvent quit;
    quit.frame = shotFrames[1] + 1;
    events.push_back(quit);
    platform::ScriptedRun frames(events, true, shotFolder.string());
    {
      // A machine of its own for each run, as two starts of the program.
      platform::HeadlessBackend machine;
      machine.SetRuntimeFolder(folder_.string());
      platform::ScopedBackend useMachine(machine);
      TitledGame app(run == 0 ? "MovieFirst" : "MovieSecond");
      app.scriptedRun = &frames;
      Run(app);
    }
    for (uint32_t frame : shotFrames) {
      const std::string path = (shotFolder / ("at" + std::to_string(frame) + ".png")).string();
      std::ifstream in(path, std::ios::binary);
      shots[run].emplace_back(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
      tools::PngPicture picture;
      ASSERT_TRUE(tools::ReadPng(path, &picture, &error)) << error;
      numbers[run].push_back(media::ReadPictureNumber(picture.pixels.data(), 64, 48, int32_t(picture.width) * 4));
    }
  }
  EXPECT_EQ(shots[0], shots[1]) << "both runs show the same frames";
  ASSERT_EQ(numbers[0].size(), 2u);
  EXPECT_GE(numbers[0][0], 0);
  EXPECT_GT(numbers[0][1], numbers[0][0]) << "the movie moves on with the frames";
  EXPECT_EQ(numbers[0], numbers[1]);
}

}  // namespace
}  // namespace orrivel
