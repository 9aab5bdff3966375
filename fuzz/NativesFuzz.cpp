// Drives the game's natives the way a hostile script would: the input is a
// short sequence of native calls (any of the 806 numbers) whose cells are
// drawn from a table of hostile values (limits, addresses inside, at the
// edge of and outside the arena, tiny buffers, handles returned by earlier
// calls, forged and stale handles, bad texts, paths that leave the game), so
// objects are made, used, deleted and used again. Frames are pumped between
// calls so what the calls left is stepped and drawn.
//
// The calls run in the real game, wired as the headless program wires it
// (process objects, confirmation box, the scripted run's virtual clock): one
// GameApplication per process, started once. Its scripts are booted for
// each group of inputs (a fuzz input is a group of one) and everything the
// calls made is dropped after it, the way the program drops it when it
// ends. Whatever would wait for a player answers at once: dialogs and
// message boxes press their default or cancel button, file dialogs cancel
// or name a file in the save folder, the text-input window is accepted and
// the settings sheet closed as they open, and the frame pump lets a wait run
// only a few frames. The game folder (with its save folder) is a fresh
// folder under the temporary folder, removed when the process ends.
//
// An input (or one input of a group) that begins with kLendMagic lends: its
// steps make an object (a font, a picture, a canvas, a sprite, a control),
// hand it to a native that keeps it (a control drawn with the font, a button
// or sprite on the picture, the screen, the frame and the controls on the
// canvas, an action on the sprite, the message window bound to a window),
// delete the object through one of its routes (by handle, by group, all at
// once) and use the holder again (measure, draw, render, present, step, end
// the frame), between plain hostile calls.
//
// Left out: native 158 (RunProcess) starts the program a script names, which
// is what it is for; run from random texts it would start whatever program
// a text happens to name.
//
// ORRIVEL_NATIVES_FUZZ_RUNS=<count>[:<seed>[:<inputs per host>]] in the
// environment makes a replay run (fuzz_NativesFuzz without libFuzzer) also
// run that many seeded random inputs, in groups that share a script host
// (64 by default), and report the number that ran. Such a process writes
// everything it runs to ORRIVEL_NATIVES_FUZZ_RECORD (default
// "natives-run.bin") as it goes, an input at a time, every group from the
// process's start on: the game lives as long as the process, so a fault may
// need what earlier groups left in it, and the file a failed run leaves
// replays the whole run in order, each group on a host of its own as it
// ran. An input that runs past 60 seconds ends the process (status 70).
// fuzz/run_natives_campaign.sh runs such seeded chunks in worlds of their
// own and checks that nothing was written outside the game folder.
#include <dlfcn.h>
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "SobAssembler.h"
#include "game/AppSettings.h"
#include "game/ConfirmBox.h"
#include "game/GameApplication.h"
#include "natives/GameScriptHost.h"
#include "natives/NativeCatalog.h"
#include "natives/GameControlHost.h"
#include "natives/ProcessObjects.h"
#include "platform/ScriptedRun.h"
#include "platform/DesktopShell.h"
#include "platform/DialogService.h"
#include "platform/FileDialogs.h"
#include "platform/InputSource.h"
#include "platform/Messages.h"
#include "platform/headless/HeadlessBackend.h"
#include "platform/headless/HeadlessInput.h"
#include "resource/BaseFolder.h"
#include "script/NativeArgs.h"
#include "script/ScriptAddressSpace.h"

// A sanitizer build can say where an input hangs.
#if defined(__SANITIZE_ADDRESS__)
#define ORRIVEL_FUZZ_STACK_TRACE 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define ORRIVEL_FUZZ_STACK_TRACE 1
#endif
#endif
#ifdef ORRIVEL_FUZZ_STACK_TRACE
#include <sanitizer/common_interface_defs.h>
#endif

namespace {

using namespace orrivel;

constexpr uint32_t kRunProcess = 158;
// Calls an input makes at most, and frames one wait may pump.
constexpr size_t kMaxCalls = 24;
constexpr int kPumpsPerInput = 6;

constexpr const char* kScripts = R"(
scene MAIN
  yield
  ret
)";

// What the player answers, for one input: a dialog's default button or its
// cancel button, a file dialog's choice or none.
struct Player {
  bool agrees = false;
  std::string saveFolder;  // internal form, with its separator
};

class AnsweringDialogs : public platform::DialogService {
 public:
  explicit AnsweringDialogs(const Player& player) : player_(player) {}
  platform::DialogAnswer Show(const platform::DialogRequest& request) override {
    platform::DialogAnswer answer;
    answer.button = player_.agrees ? request.defaultButton : request.cancelButton;
    return answer;
  }

 private:
  const Player& player_;
};

class AnsweringFileDialogs : public platform::FileDialogService {
 public:
  explicit AnsweringFileDialogs(const Player& player) : player_(player) {}
  platform::FileDialogAnswer Show(const platform::FileDialogRequest& request) override {
    platform::FileDialogAnswer answer;
    if (!player_.agrees) return answer;
    answer.chosen = true;
    answer.path = player_.saveFolder + (request.kind == platform::FileDialogKind::Folder ? "CHOSEN" : "CHOSEN.DAT");
    answer.filterIndex = 1;
    return answer;
  }

 private:
  const Player& player_;
};

void WriteBytes(const std::filesystem::path& path, const std::vector<uint8_t>& bytes) {
  std::filesystem::create_directories(path.parent_path());
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

// The game under the fuzzer, for the process's whole life.
class FuzzGame {
 public:
  FuzzGame()
      : scopedBackend_(backend_),
        scopedSource_(source_),
        dialogs_(player_),
        scopedDialogs_(dialogs_),
        fileDialogs_(player_),
        scopedFileDialogs_(fileDialogs_),
        scopedShell_(shell_) {
    MakeGameFolder();
    KeepModulesLoaded();
    backend_.SetRuntimeFolder(folder_.string());
    SetBaseFolderForTest("");
    // The run's process-wide objects, as the program makes them before its
    // application.
    SetProcessObjects(&processObjects_);
    SetConfirmBox(&confirmBox_);
    app_ = std::make_unique<GameApplication>();
    app_->commandLine = commandLine_.c_str();
    app_->showCommand = platform::SW_SHOWNORMAL;
    if (app_->Init() != 0) {
      std::fprintf(stderr, "NativesFuzz: the game did not start\n");
      std::abort();
    }
    app_->isActive = true;
    app_->scriptedRun = &run_;
    // Waits run a few frames, then the pump answers as for a closing
    // program.
    app_->framePump = [this] { return pumpsLeft_-- > 0 ? 1 : 0; };
    // The text-input window ends only with OK; the settings sheet closed
    // is its Cancel.
    app_->textInputOpened = [this](platform::WindowId window) {
      backend_.PostMessage(window, platform::WM_COMMAND, 1, 0);
    };
    app_->settingsSheetOpened = [this](platform::WindowId window) {
      backend_.PostMessage(window, platform::WM_CLOSE, 0, 0);
    };
    if (const char* save = app_->GetSaveFolder()) player_.saveFolder = save;
    baseFolder_ = BaseFolder();
  }

  GameApplication& App() { return *app_; }
  void RemoveGameFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
  }
  Player& PlayerAnswers() { return player_; }

  // A fresh script host for the next group of inputs; false when it
  // cannot boot.
  bool Boot() {
    StartInput();
    // The calls may have moved the base folder or deleted, moved or
    // overwritten the game's own files: each group starts from the game as
    // it was made.
    if (BaseFolder() != baseFolder_) SetBaseFolder(baseFolder_);
    RestoreGameFiles();
    const int booted = app_->BootScripts();
    if (booted != 0 && !bootFailureTold_) {
      bootFailureTold_ = true;
      std::fprintf(stderr, "NativesFuzz: the scripts did not boot (%d)\n", booted);
    }
    return booted == 0 && app_->scripts != nullptr;
  }
  // Each input may pump its few frames, and the program is not ending.
  void StartInput() {
    pumpsLeft_ = kPumpsPerInput;
    app_->endRequested = false;
  }
  // Drops what the group's calls made, in the order the program drops it
  // when it ends.
  void DropInput() {
    app_->timerLists[1].Clear();
    processObjects_.Controls().DeleteAll();
    processObjects_.ControlHost().Clear();
    app_->movies.Close();
    app_->scripts.reset();
    if (DisplayScreenDevice* display = app_->Display()) {
      display->SetScreenImage(0, 0);
      display->DeleteAll();
      display->DeleteAllFonts();
    }
    app_->sound.DeleteAllSounds();
    backend_.ClearTranscript();
  }
  // One frame of the game, outside any wait.
  void Pump() {
    pumpsLeft_ = kPumpsPerInput;
    app_->PumpFrame();
  }

 private:
  // The libraries the game loads beside the program stay mapped after the
  // game closes them: a fuzzing build counts coverage in their code, and
  // counters that went with an unloaded library would be read unmapped.
  static void KeepModulesLoaded() {
    std::error_code error;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error) return;
    for (const auto& entry : std::filesystem::directory_iterator(self.parent_path(), error))
      if (entry.path().extension() == ".so") ::dlopen(entry.path().c_str(), RTLD_NOW | RTLD_NODELETE);
  }
  void MakeGameFolder() {
    char pattern[] = "orrivel-natives-fuzz-XXXXXX";
    const std::filesystem::path parent = std::filesystem::temp_directory_path();
    std::string templ = (parent / pattern).string();
    if (::mkdtemp(templ.data()) == nullptr) {
      std::perror("NativesFuzz: mkdtemp");
      std::abort();
    }
    folder_ = templ;
    RestoreGameFiles();
    commandLine_ = "/L" + folder_.string();
  }
  // Writes the game's files again where they are not as made.
  void RestoreGameFiles() {
    if (gameFiles_.empty()) MakeGameFiles();
    for (const auto& [name, bytes] : gameFiles_) {
      const std::filesystem::path path = folder_ / name;
      std::error_code error;
      if (std::filesystem::is_regular_file(path, error) && std::filesystem::file_size(path, error) == bytes.size()) {
        std::ifstream in(path, std::ios::binary);
        std::vector<uint8_t> now(bytes.size());
        in.read(reinterpret_cast<char*>(now.data()), std::streamsize(now.size()));
        if (in && now == bytes) continue;
      }
      if (std::filesystem::is_directory(path, error)) std::filesystem::remove_all(path, error);
      WriteBytes(path, bytes);
    }
  }
  void MakeGameFiles() {
    AppSettings settings;
    // The save folder is SAVEDATA in the game folder.
    settings.SetSaveFolderMode(1);
    settings.info[0] = "NATIVESFUZZ";
    settings.window[0] = 2;
    // A small screen: every frame the calls pump is drawn and shown.
    settings.system[0] = 320 & 0xFF;
    settings.system[1] = 320 >> 8;
    settings.system[2] = 240;
    settings.system[3] = 0;
    gameFiles_.emplace_back("script/VQ_APP.SYS", EncodeSystemFile(settings.system));
    gameFiles_.emplace_back("script/VQ_APP.INF", EncodeInfoFile(settings.version, settings.info));
    gameFiles_.emplace_back("USER.CFG", EncodeUserConfig(settings));
    gameFiles_.emplace_back("TEST.TXT", std::vector<uint8_t>{'a', 'b', 'c', '\r', '\n'});
    sob::Project project;
    std::string error;
    if (!sob::Assemble(kScripts, project, error)) {
      std::fprintf(stderr, "NativesFuzz: %s\n", error.c_str());
      std::abort();
    }
    for (auto& [name, bytes] : sob::ProjectFiles(project)) gameFiles_.emplace_back("script/" + name, bytes);
  }

  // The headless program's own run: its virtual clock moves by a period
  // each frame and by what the game waits, so time goes only with the calls
  // and a run replays exactly.
  platform::ScriptedRun run_{{}, true};
  platform::HeadlessBackend backend_;
  platform::ScopedBackend scopedBackend_;
  platform::HeadlessInput source_;
  platform::ScopedInputSource scopedSource_;
  Player player_;
  AnsweringDialogs dialogs_;
  platform::ScopedDialogs scopedDialogs_;
  AnsweringFileDialogs fileDialogs_;
  platform::ScopedFileDialogs scopedFileDialogs_;
  platform::RecordingDesktopShell shell_;
  platform::ScopedDesktopShell scopedShell_;
  ProcessObjects processObjects_;
  ConfirmBox confirmBox_;
  std::filesystem::path folder_;
  std::vector<std::pair<std::string, std::vector<uint8_t>>> gameFiles_;
  std::string baseFolder_;
  bool bootFailureTold_ = false;
  std::string commandLine_;
  std::unique_ptr<GameApplication> app_;
  int pumpsLeft_ = 0;
};

FuzzGame& Game() {
  // Never destroyed: the game lives as long as the process. Its folder goes
  // when the process ends normally.
  static FuzzGame* game = [] {
    auto* made = new FuzzGame;
    std::atexit([] { Game().RemoveGameFolder(); });
    return made;
  }();
  return *game;
}

// The input, read a byte at a time; zeros once it is used up.
class InputBytes {
 public:
  InputBytes(const uint8_t* data, size_t size) : data_(data), size_(size) {}
  bool Empty() const { return at_ >= size_; }
  uint8_t Byte() { return at_ < size_ ? data_[at_++] : 0; }
  uint16_t Word16() { return uint16_t(Byte() | (Byte() << 8)); }
  uint32_t Word32() { return uint32_t(Word16()) | (uint32_t(Word16()) << 16); }

 private:
  const uint8_t* data_;
  size_t size_;
  size_t at_ = 0;
};

const std::vector<std::string>& HostileTexts() {
  static const std::vector<std::string> texts = {
      "",
      "A",
      std::string(70000, 'A'),
      "\x81",                          // a lead byte with nothing after it
      "\x82\xa0\x82",                  // a character, then a cut one
      "\xff\xfe\xfd\x80\xa0",          // bytes no CP932 text holds
      "%s%s%s%s%n%n%n",
      "%d%99999999d%.99999f%x%c%%%ls%p",
      "..\\..\\..\\..\\..\\OUTSIDE.TXT",
      "..\\",
      "SAVEDATA\\..\\..\\ESCAPED.TXT",
      "/tmp/orrivel-natives-fuzz-outside.txt",
      "/etc/passwd",
      "C:\\WINDOWS\\WIN.INI",
      "D:",
      "\\\\SERVER\\SHARE\\FILE.TXT",
      "\\",
      "TEST.TXT",
      "NEW.TXT",
      "SAVEDATA\\SAVE00.DAT",
      "SCRIPT\\MAIN.SOB",
      "SCRIPT",
      "*.*",
      "CON",
      "bg_zoom",
      "sp_fade",
      "sp_gfade",
      "staff",
      "sp_loop",
      "IPAGothic",
      "2.0",
      "-1e308",
      "http://example.invalid/",
      std::string("A\0B", 3),
  };
  return texts;
}

constexpr uint32_t kBufferSizes[] = {1, 2, 3, 4, 8, 16, 64, 256, 4096, 65536};

// Lending. A planned cell is a fixed value or text, the lent object, its
// holder (or a variable that holds it), a picture of its own, a sprite of
// its own on the stage, the stage canvas, an output buffer, or a hostile
// cell from the input.
enum class Slot : uint8_t {
  kValue,
  kText,
  kObject,
  kHolder,
  kHolderVariable,
  kImage,
  kSprite,
  kStage,
  kOutput,
  kInput
};

struct PlannedCell {
  Slot slot = Slot::kValue;
  uint32_t value = 0;
  const char* text = "";
};
PlannedCell V(uint32_t value) { return PlannedCell{Slot::kValue, value, ""}; }
PlannedCell T(const char* text) { return PlannedCell{Slot::kText, 0, text}; }
const PlannedCell kObject{Slot::kObject};
const PlannedCell kHolder{Slot::kHolder};
const PlannedCell kHolderVariable{Slot::kHolderVariable};
const PlannedCell kImage{Slot::kImage};
const PlannedCell kSprite{Slot::kSprite};
const PlannedCell kStage{Slot::kStage};
const PlannedCell kOutput{Slot::kOutput};
const PlannedCell kHostile{Slot::kInput};
constexpr uint32_t kMarker = 65535;
constexpr uint32_t kMinusOne = 0xFFFFFFFFu;

struct NativePlan {
  NativePlan(uint16_t native, std::initializer_list<PlannedCell> planned = {}) : number(native), cells(planned) {}
  uint16_t number;
  std::vector<PlannedCell> cells;
};

// The handles one lend works with.
struct LoanCells {
  uint32_t object = 0, holder = 0, image = 0, sprite = 0, stage = 0;
};

// What a script can lend, how it is made and the routes that delete it:
// by handle (the native reads the handle from a variable), by group (the
// object is made in a group of its own) and all at once.
struct LendableKind {
  NativePlan make;
  uint16_t setGroup;      // the native that sets the group new objects get
  uint16_t deleteOne;     // cell 0: a variable holding the handle
  uint16_t deleteGroup;   // cells: group, flags
  uint16_t deleteAll;
};

enum Lendable : uint8_t { kLentFont, kLentPicture, kLentCanvas, kLentSprite, kLentWindow, kLendableCount };

const LendableKind& KindOf(Lendable lendable) {
  static const LendableKind kinds[kLendableCount] = {
      {{165, {T(""), V(16)}}, 198, 166, 199, 163},
      {{228, {V(48), V(32), V(32), V(0)}}, 198, 240, 199, 197},
      {{236, {V(64), V(48), V(32), V(1)}}, 198, 240, 199, 197},
      {{399, {kImage, V(kMarker)}}, 403, 405, 404, 402},
      {{693, {V(0), V(0), V(120), V(60), V(0), V(kMinusOne)}}, 0, 712, 711, 708},
  };
  return kinds[lendable];
}

// A holder made with a lent object, what may follow its making (placing a
// sprite on the stage), and the natives that use it afterwards.
struct LoanPlan {
  Lendable lent;
  NativePlan hold;
  std::vector<NativePlan> after;
  std::vector<NativePlan> uses;
};

const std::vector<LoanPlan>& LoanPlans() {
  static const std::vector<LoanPlan> plans = {
      // Controls drawn and measured with a font.
      {kLentFont,
       {693, {V(0), V(0), V(200), V(100), V(0), V(0x00FF00), V(255), kObject, V(0), V(0)}},
       {},
       {{753, {kHolder, kOutput, kOutput, V(0), V(0)}}, {750, {kHolder, V(0), V(16), V(0)}}, {752, {kHolder}}}},
      {kLentFont,
       {695, {V(0), V(0), V(200), V(20), V(2), kObject, V(0)}},
       {},
       {{784, {kHolder, T("line"), V(0), V(kMinusOne)}}, {785, {kHolder, V(0)}}, {784, {kHolder, kHostile}}}},
      {kLentFont, {682, {V(0), V(0), V(80), V(24), V(0), T("OK"), kObject, V(0)}}, {}, {{726, {kHolder, V(1)}}}},
      {kLentFont, {688, {V(0), V(0), kObject, V(16)}}, {}, {{735, {kHolder, kHostile}}, {726, {kHolder, V(1)}}}},
      {kLentFont,
       {694, {V(0), V(0), V(200), V(100), V(0), V(0x00FF00), V(255), kObject, kObject, V(0)}},
       {},
       {{769, {kHolder, V(1)}}, {770, {kHolder}}}},
      // Buttons and sprites on a picture, sprites on a canvas.
      {kLentPicture,
       {686, {V(0), V(0), kObject, V(0), V(kMarker)}},
       {},
       {{740, {kHolder, V(0)}}, {741, {kHolder}}, {733, {kHolder}}, {422, {kStage}}, {425, {kStage}}}},
      {kLentPicture, {684, {V(0), V(0), kObject, V(kMarker)}}, {}, {{733, {kHolder}}, {422, {kStage}}, {425, {kStage}}}},
      {kLentPicture,
       {399, {kObject, V(kMarker)}},
       {{406, {kStage, kHolder, V(0), V(0), V(0)}}},
       {{425, {kStage}}, {422, {kStage}}, {441, {kHolder, kOutput}}, {442, {kImage, kHolder}}}},
      {kLentCanvas,
       {399, {kObject, V(kMarker)}},
       {{406, {kStage, kHolder, V(0), V(0), V(0)}}},
       {{425, {kStage}}, {422, {kStage}}, {441, {kHolder, kOutput}}}},
      {kLentPicture, {458, {kSprite, kObject, V(kMarker)}}, {}, {{425, {kStage}}, {441, {kSprite, kOutput}}}},
      {kLentPicture, {415, {kStage, kObject, V(0), V(0), V(1)}}, {}, {{425, {kStage}}, {421, {kStage}}}},
      // The screen, the frame and the controls on a canvas.
      {kLentCanvas, {239, {kObject}}, {}, {{238, {}}, {422, {kObject}}}},
      {kLentCanvas, {239, {kObject}}, {{788, {V(0), V(0), V(0)}}}, {{789, {}}, {788, {V(0), V(0), V(0)}}}},
      {kLentCanvas, {788, {V(0), V(0), kObject}}, {}, {{789, {}}, {790, {kHostile, kHostile}}}},
      {kLentCanvas,
       {699, {kObject}},
       {{682, {V(0), V(0), V(80), V(24), V(kMarker)}}},
       {{703, {}}, {700, {kHostile}}}},
      // Actions on a sprite and on a layer.
      {kLentSprite, {51, {kObject, V(0), V(200), T("2.0"), V(0)}}, {}, {{208, {kHolder}}, {209, {kHolderVariable}}}},
      {kLentCanvas,
       {215, {kObject, T("bg_zoom"), V(200), V(0), V(0), T("2.0")}},
       {},
       {{216, {kHolder, kHostile}}, {217, {kHolder, kHostile}}}},
      {kLentCanvas,
       {215, {kObject, T("sp_fade"), kHostile, kHostile, kHostile}},
       {},
       {{216, {kHolder, kHostile}}, {217, {kHolder, kHostile}}}},
      // The message window bound to a window.
      {kLentWindow,
       {694, {V(0), V(0), V(200), V(100), V(0), V(kMinusOne)}},
       {{773, {kHolder, kObject, V(0)}}},
       {{770, {kHolder}}, {769, {kHolder, V(1)}}, {771, {kHolder, kHostile}}}},
  };
  return plans;
}

// The calls of the inputs run on one script host: the cells they build and
// what earlier calls answered. The arena blocks an input made are freed when
// it ends, as a script frees what it allocated; what the natives kept of
// them (an address given as a flag, say) stays as it would.
class CallSequence {
 public:
  explicit CallSequence(GameScriptHost& host) : host_(host) {}
  ~CallSequence() { FreeBlocks(); }

  void Start(InputBytes& in) { in_ = &in; }
  void FreeBlocks() {
    for (uint32_t block : blocks_) host_.Space().Free(block);
    blocks_.clear();
  }

  // The native's answer.
  uint32_t CallOne(uint32_t number) {
    const size_t count = in_->Byte() % 17;
    std::vector<uint32_t> cells(count);
    outputs_.clear();
    for (uint32_t& cell : cells) cell = Cell();
    return CallWith(number, cells);
  }

  // A call whose cells follow a plan; hostile cells come from the input.
  uint32_t CallPlanned(const NativePlan& plan, const LoanCells& loan) {
    outputs_.clear();
    std::vector<uint32_t> cells;
    for (const PlannedCell& planned : plan.cells) cells.push_back(PlannedValue(planned, loan));
    return CallWith(plan.number, cells);
  }
  // A word variable of the arena that holds value (the cell a delete native
  // reads and clears).
  uint32_t Variable(uint32_t value) {
    const uint32_t address = Allocate(4);
    if (address != 0) host_.Space().Write32(address, value);
    return address;
  }

 private:
  uint32_t PlannedValue(const PlannedCell& planned, const LoanCells& loan) {
    switch (planned.slot) {
      case Slot::kValue: return planned.value;
      case Slot::kText: return Text(planned.text);
      case Slot::kObject: return loan.object;
      case Slot::kHolder: return loan.holder;
      case Slot::kHolderVariable: return Variable(loan.holder);
      case Slot::kImage: return loan.image;
      case Slot::kSprite: return loan.sprite;
      case Slot::kStage: return loan.stage;
      case Slot::kOutput: return Buffer(16);
      case Slot::kInput: break;
    }
    return Cell();
  }

  uint32_t CallWith(uint32_t number, const std::vector<uint32_t>& cells) {
    const size_t count = cells.size();
    ScriptAddressSpace& space = host_.Space();
    const uint32_t block = Allocate(std::max<size_t>(count, 1) * 4);
    if (block == 0) return 0;
    for (size_t i = 0; i < count; ++i) space.Write32(block + uint32_t(i) * 4, cells[i]);
    NativeArgs args(space, nullptr, block);
    const uint32_t answer = host_.Natives()[ScriptNativeNumber(number)](args);
    Remember(answer);
    // Handles and addresses the call left in its output variables.
    for (uint32_t address : outputs_) {
      uint32_t value = 0;
      if (space.Read32(address, value) && value != 0) Remember(value);
    }
    return answer;
  }

  void Remember(uint32_t value) {
    if (results_.size() < 64) results_.push_back(value);
    else results_[next_++ % results_.size()] = value;
  }
  uint32_t Earlier(uint8_t pick) const { return results_.empty() ? 0 : results_[pick % results_.size()]; }
  uint32_t Allocate(uint64_t size) {
    const uint32_t address = host_.Space().Allocate(size);
    if (address != 0) blocks_.push_back(address);
    return address;
  }
  uint32_t Buffer(uint32_t size) {
    const uint32_t address = Allocate(size);
    if (address != 0) outputs_.push_back(address);
    return address;
  }
  uint32_t Text(const std::string& text) {
    const uint32_t address = Allocate(text.size() + 1);
    if (address != 0) host_.Space().WriteBytes(address, text.data(), text.size());
    return address;
  }

  uint32_t Cell() {
    const uint8_t kind = in_->Byte();
    const uint8_t pick = in_->Byte();
    ScriptAddressSpace& space = host_.Space();
    switch (kind % 18) {
      case 0: return 0;
      case 1: return 0xFFFFFFFFu;
      case 2: return 1;
      case 3: return 0x7FFFFFFFu;
      case 4: return 0x80000000u;
      case 5: return 65535;
      case 6: return pick;
      case 7: return uint32_t(-int32_t(pick));
      // A handle or address an earlier call answered, as it is, forged
      // (another generation, a neighbour, the slot alone) or in a variable.
      case 8: return Earlier(pick);
      case 9: {
        const uint32_t earlier = Earlier(pick >> 2);
        switch (pick & 3) {
          case 0: return earlier ^ 0x00100000u;
          case 1: return earlier + 1;
          case 2: return earlier & 0x000FFFFFu;
          default: return earlier - 1;
        }
      }
      case 10: {
        const uint32_t variable = Buffer(4);
        if (variable != 0) space.Write32(variable, Earlier(pick));
        return variable;
      }
      // A zeroed buffer of the arena, a buffer's last byte or one past it.
      case 11: return Buffer(kBufferSizes[pick % std::size(kBufferSizes)]);
      case 12: {
        const uint32_t size = kBufferSizes[(pick >> 2) % std::size(kBufferSizes)];
        const uint32_t address = Buffer(size);
        if (address == 0) return 0;
        return (pick & 1) ? address + size : address + size - 1;
      }
      // Addresses outside the arena or in its guard.
      case 13: {
        const uint32_t end = uint32_t(space.Size());
        const uint32_t outside[] = {end, end - 1, end - 3, end + 4096, 0xFFFFFFFCu, 0xFFFFFFFFu,
                                    8, ScriptAddressSpace::kGuardBytes - 4, space.Limit()};
        return outside[pick % std::size(outside)];
      }
      case 14: return Text(HostileTexts()[pick % HostileTexts().size()]);
      // Any 32-bit value, its bit length drawn first, so small numbers are
      // as likely as large ones (and the arena is not grown to its limit at
      // every other call).
      case 15: return uint32_t(uint64_t(in_->Word32()) >> (pick % 33));
      case 16: {
        // Colours, 16.16 values and float bit patterns at their limits.
        const uint32_t values[] = {0x00FF00FFu, 0xFF000000u, 0x00010000u, 0x3F800000u, 0x7FC00000u,
                                   0x7F800000u, 0xFF800000u, 0x00000100u, 0x00000101u, 4096, 32768};
        return values[pick % std::size(values)];
      }
      default: {
        // A text the input spells itself (up to 32 bytes).
        std::string text;
        for (uint32_t n = pick % 33; n > 0; --n) text.push_back(char(in_->Byte()));
        return Text(text);
      }
    }
  }

  GameScriptHost& host_;
  InputBytes* in_ = nullptr;
  std::vector<uint32_t> blocks_;
  std::vector<uint32_t> results_;
  size_t next_ = 0;
  std::vector<uint32_t> outputs_;
};

// A group of inputs runs on one script host, one after another, each
// finding what the ones before it left; the host is booted before the first
// and everything the calls made is dropped after the last. A fuzz input is a
// group of one, unless it begins with a magic:
// - kGroupMagic: it holds one group's inputs, each as a 32-bit little-endian
//   size and its bytes;
// - kRunMagic: it holds groups one after another in the same form, each
//   begun by the size kNewHost (what the seeded runs record, so a failure
//   found there replays as it happened, after all that ran before it).
constexpr char kGroupMagic[4] = {'N', 'F', 'Z', 'G'};
constexpr char kRunMagic[4] = {'N', 'F', 'Z', 'R'};
constexpr uint32_t kNewHost = 0xFFFFFFFFu;

// What the seeded runs report.
struct Tally {
  unsigned long long calls = 0, answered = 0, pumps = 0, failedBoots = 0;
} g_tally;

struct Span {
  const uint8_t* data;
  size_t size;
};

using Group = std::vector<Span>;

// The groups an input holds, in the order they run. A run's inputs before
// its first host mark (there are none in what the seeded runs write) form a
// group of their own; a cut last input runs as far as it goes.
std::vector<Group> SplitInput(const uint8_t* data, size_t size) {
  const bool group = size >= 4 && std::memcmp(data, kGroupMagic, 4) == 0;
  const bool run = size >= 4 && std::memcmp(data, kRunMagic, 4) == 0;
  if (!group && !run) return {Group{Span{data, size}}};
  std::vector<Group> groups;
  if (group) groups.emplace_back();
  size_t at = 4;
  while (at + 4 <= size) {
    const uint32_t length = uint32_t(data[at]) | (uint32_t(data[at + 1]) << 8) | (uint32_t(data[at + 2]) << 16) |
                            (uint32_t(data[at + 3]) << 24);
    at += 4;
    if (run && length == kNewHost) {
      groups.emplace_back();
      continue;
    }
    if (groups.empty()) groups.emplace_back();
    const size_t taken = std::min<size_t>(length, size - at);
    groups.back().push_back(Span{data + at, taken});
    at += taken;
  }
  return groups;
}

// One call of a hostile native, or a frame.
void PlainStep(FuzzGame& game, CallSequence& calls, InputBytes& in) {
  // Numbers past the natives pump a frame.
  const uint32_t number = in.Word16() % (kGameNativeCount + 16);
  if (number == kRunProcess) return;
  if (number >= kGameNativeCount) {
    game.Pump();
    ++g_tally.pumps;
  } else {
    g_tally.answered += calls.CallOne(number) != 0;
    ++g_tally.calls;
  }
}

constexpr char kLendMagic[4] = {'N', 'F', 'Z', 'L'};

// The plans lends pick from: all of them, or with ORRIVEL_NATIVES_FUZZ_LEND
// set to a list of lent kinds ("0" fonts, "1" pictures, "2" canvases, "3"
// sprites, "4" windows; "12" pictures and canvases) only those, to aim a
// run at one kind of case.
const std::vector<const LoanPlan*>& ChosenPlans() {
  static const std::vector<const LoanPlan*> chosen = [] {
    const char* kinds = std::getenv("ORRIVEL_NATIVES_FUZZ_LEND");
    std::vector<const LoanPlan*> plans;
    for (const LoanPlan& plan : LoanPlans())
      if (kinds == nullptr || std::strchr(kinds, char('0' + plan.lent)) != nullptr) plans.push_back(&plan);
    return plans;
  }();
  return chosen;
}
constexpr size_t kMaxLoans = 8;

// The lends of one input: each step reads what it does from the input.
class Lending {
 public:
  Lending(FuzzGame& game, CallSequence& calls, InputBytes& in) : game_(game), calls_(calls), in_(in) {}

  void Step() {
    switch (in_.Byte() % 8) {
      case 0:
      case 1: PlainStep(game_, calls_, in_); return;
      case 2:
      case 3: Lend(in_.Byte()); return;
      case 4: Delete(in_.Byte(), in_.Byte()); return;
      case 5: Use(in_.Byte(), in_.Byte()); return;
      case 6:
        game_.Pump();
        ++g_tally.pumps;
        return;
      default:
        // The frame ends, or a new one starts.
        if (in_.Byte() & 1) Call({789, {}}, {});
        else Call({788, {V(0), V(0), V(0)}}, {});
        return;
    }
  }

 private:
  struct Loan {
    const LoanPlan* plan;
    uint32_t group;
    LoanCells cells;
  };

  uint32_t Call(const NativePlan& plan, const LoanCells& cells) {
    ++g_tally.calls;
    const uint32_t answer = calls_.CallPlanned(plan, cells);
    g_tally.answered += answer != 0;
    return answer;
  }
  // The canvas the input's sprites and buttons are drawn on.
  uint32_t Stage() {
    if (stage_ == 0) stage_ = Call({236, {V(320), V(240), V(32), V(1)}}, {});
    return stage_;
  }
  uint32_t Picture() { return Call({228, {V(32), V(32), V(32), V(0)}}, {}); }

  void Lend(uint8_t pick) {
    if (loans_.size() >= kMaxLoans) return;
    const std::vector<const LoanPlan*>& plans = ChosenPlans();
    if (plans.empty()) return;
    const LoanPlan& plan = *plans[pick % plans.size()];
    const LendableKind& kind = KindOf(plan.lent);
    Loan loan{&plan, uint32_t(loans_.size() + 1), {}};
    loan.cells.stage = Stage();
    loan.cells.image = Picture();
    const uint32_t spritePicture = Picture();
    loan.cells.sprite = Call({399, {V(spritePicture), V(kMarker)}}, {});
    Call({406, {V(loan.cells.stage), V(loan.cells.sprite), V(0), V(0), V(0)}}, {});
    // The lent object alone goes into the loan's group.
    uint32_t previousGroup = 0;
    if (kind.setGroup != 0) previousGroup = Call({kind.setGroup, {V(loan.group)}}, {});
    loan.cells.object = Call(kind.make, loan.cells);
    if (kind.setGroup != 0) Call({kind.setGroup, {V(previousGroup)}}, {});
    if (loan.cells.object == 0) return;
    loan.cells.holder = Call(plan.hold, loan.cells);
    for (const NativePlan& after : plan.after) Call(after, loan.cells);
    loans_.push_back(loan);
  }

  // Routes: by handle, by the object's group, by deleting every group but
  // another one, all at once.
  void Delete(uint8_t pick, uint8_t route) {
    if (loans_.empty()) return;
    const Loan& loan = loans_[pick % loans_.size()];
    const LendableKind& kind = KindOf(loan.plan->lent);
    switch (route % 4) {
      case 0: {
        const uint32_t variable = calls_.Variable(loan.cells.object);
        Call({kind.deleteOne, {V(variable)}}, loan.cells);
        return;
      }
      case 1: Call({kind.deleteGroup, {V(loan.group), V(0)}}, loan.cells); return;
      case 2: Call({kind.deleteGroup, {V(loan.group + 16), V(2)}}, loan.cells); return;
      default: Call({kind.deleteAll, {}}, loan.cells); return;
    }
  }

  void Use(uint8_t pick, uint8_t use) {
    if (loans_.empty()) return;
    const Loan& loan = loans_[pick % loans_.size()];
    const std::vector<NativePlan>& uses = loan.plan->uses;
    if (uses.empty()) return;
    Call(uses[use % uses.size()], loan.cells);
  }

  FuzzGame& game_;
  CallSequence& calls_;
  InputBytes& in_;
  std::vector<Loan> loans_;
  uint32_t stage_ = 0;
};

void RunCalls(FuzzGame& game, CallSequence& calls, const Span& input) {
  const bool lending = input.size >= 4 && std::memcmp(input.data, kLendMagic, 4) == 0;
  InputBytes in(lending ? input.data + 4 : input.data, lending ? input.size - 4 : input.size);
  game.PlayerAnswers().agrees = (in.Byte() & 1) != 0;
  game.StartInput();
  calls.Start(in);
  Lending lend(game, calls, in);
  for (size_t n = 0; n < kMaxCalls && !in.Empty(); ++n) {
    if (lending) lend.Step();
    else PlainStep(game, calls, in);
  }
  calls.FreeBlocks();
}

// Seeded runs record every group the process runs as it goes, and end a
// process whose input hangs.
class RunRecord {
 public:
  // The process's record: made (empty) before the first group of a seeded
  // run's process; null in every other run.
  static RunRecord* OfProcess() {
    static RunRecord* record = []() -> RunRecord* {
      if (std::getenv("ORRIVEL_NATIVES_FUZZ_RUNS") == nullptr) return nullptr;
      const char* path = std::getenv("ORRIVEL_NATIVES_FUZZ_RECORD");
      // A file that cannot be made records nothing; the hang limit holds.
      const int fd = ::open(path ? path : "natives-run.bin", O_WRONLY | O_CREAT | O_TRUNC, 0644);
      ::signal(SIGALRM, &OnHang);
      auto* made = new RunRecord(fd);
      made->Write(kRunMagic, 4);
      return made;
    }();
    return record;
  }

  void BeginHost() { WriteLength(kNewHost); }
  void Add(const uint8_t* data, size_t size) {
    WriteLength(uint32_t(size));
    Write(data, size);
  }

 private:
  explicit RunRecord(int fd) : fd_(fd) {}
  static void OnHang(int);
  void WriteLength(uint32_t size) {
    const uint8_t length[4] = {uint8_t(size), uint8_t(size >> 8), uint8_t(size >> 16), uint8_t(size >> 24)};
    Write(length, 4);
  }
  // Straight to the file, so what a crashing process wrote is there.
  void Write(const void* data, size_t size) {
    (void)!::pwrite(fd_, data, size, end_);
    end_ += off_t(size);
  }

  int fd_;
  off_t end_ = 0;
};

void RunRecord::OnHang(int) {
  static const char message[] = "NativesFuzz: an input ran past its time\n";
  (void)!::write(2, message, sizeof message - 1);
#ifdef ORRIVEL_FUZZ_STACK_TRACE
  // Where it hangs (not safe in a signal handler, but the process ends).
  __sanitizer_print_stack_trace();
#endif
  ::_exit(70);
}

void RunGroup(const Group& inputs, RunRecord* record) {
  FuzzGame& game = Game();
  if (record) record->BeginHost();
  if (!game.Boot()) {
    ++g_tally.failedBoots;
    game.DropInput();
    return;
  }
  {
    CallSequence calls(*game.App().scripts);
    for (const Span& input : inputs) {
      if (record) {
        record->Add(input.data, input.size);
        // Generous: a group may make a few images of the largest size
        // allowed (2 GiB each, cleared), slow under the sanitizers on a busy
        // machine but not stuck.
        ::alarm(300);
      }
      RunCalls(game, calls, input);
    }
    if (record) ::alarm(0);
  }
  game.DropInput();
}

// Seeded random groups for runs without libFuzzer:
// ORRIVEL_NATIVES_FUZZ_RUNS=<inputs>[:<seed>[:<inputs per group>]].
void RunRandomInputs() {
  static bool ran = false;
  if (ran) return;
  ran = true;
  const char* setting = std::getenv("ORRIVEL_NATIVES_FUZZ_RUNS");
  if (setting == nullptr) return;
  char* end = nullptr;
  const unsigned long long runs = std::strtoull(setting, &end, 10);
  unsigned long long seed = 1, perGroup = 64;
  if (end && *end == ':') seed = std::strtoull(end + 1, &end, 10);
  if (end && *end == ':') perGroup = std::max(1ull, std::strtoull(end + 1, &end, 10));
  RunRecord* record = RunRecord::OfProcess();
  std::mt19937_64 random(seed);
  std::vector<std::vector<uint8_t>> bytes;
  unsigned long long ran_ = 0;
  while (ran_ < runs) {
    const size_t count = size_t(std::min(perGroup, runs - ran_));
    bytes.assign(count, {});
    Group inputs;
    for (auto& input : bytes) {
      input.resize(1 + random() % 256);
      for (uint8_t& byte : input) byte = uint8_t(random());
      // Every other input lends.
      if (random() & 1) input.insert(input.begin(), std::begin(kLendMagic), std::end(kLendMagic));
      inputs.push_back(Span{input.data(), input.size()});
    }
    RunGroup(inputs, record);
    ran_ += count;
  }
  std::printf("NativesFuzz: %llu random inputs of seed %llu ran, %llu to a host: %llu native calls (%llu answered "
              "non-zero), %llu frames pumped, %llu hosts did not boot\n",
              runs, seed, perGroup, g_tally.calls, g_tally.answered, g_tally.pumps, g_tally.failedBoots);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  for (const Group& group : SplitInput(data, size)) RunGroup(group, RunRecord::OfProcess());
  RunRandomInputs();
  return 0;
}
