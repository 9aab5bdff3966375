// sob: assembles compiled-script files from their text form and runs them
// headless through the engine's own loader and machine.
//
//   sob build INPUT.sas [MORE.sas...] OUTDIR
//                                      write SOB_INIT.DAT, USER_VAR.SOB, FUNC_LIB.SOB, <SCENE>.SOB
//                                      (several sources are one project, read in turn)
//   sob run (DIR | INPUT.sas) [--scene NAME] [--steps N] [--budget N]
//   sob bundle (DIR | INPUT.sas) SCENE OUTFILE   one file for the script-loading fuzz target
//   sob savefiles (DIR | INPUT.sas) OUTDIR       the save files of MAIN's final state
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <span>
#include <string>
#include <vector>

#include "SobAssembler.h"
#include "base/Cp932.h"
#include "script/ScriptHost.h"

namespace fs = std::filesystem;
using orrivel::sob::Bytes;

namespace {

constexpr uint32_t kRecordingNatives = 64;

bool ReadWhole(const fs::path& path, std::string& out) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  out.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return true;
}

// The files of a project: assembled from .sas sources (one project, their
// texts read in turn), or read from a folder.
bool LoadFiles(const std::vector<std::string>& sources, std::map<std::string, Bytes>& files) {
  std::string text;
  for (const std::string& source : sources) {
    std::string part;
    if (!ReadWhole(source, part)) {
      std::fprintf(stderr, "sob: cannot read %s\n", source.c_str());
      return false;
    }
    text += part;
    if (!text.empty() && text.back() != '\n') text += '\n';
  }
  orrivel::sob::Project project;
  std::string error;
  if (!orrivel::sob::Assemble(text, project, error)) {
    std::fprintf(stderr, "sob: %s: %s\n", sources.front().c_str(), error.c_str());
    return false;
  }
  for (auto& [name, bytes] : orrivel::sob::ProjectFiles(project)) files[name] = std::move(bytes);
  return true;
}

bool LoadFiles(const std::string& source, std::map<std::string, Bytes>& files) {
  std::error_code ec;
  if (fs::is_directory(source, ec)) {
    for (const auto& entry : fs::directory_iterator(source)) {
      std::string data;
      if (entry.is_regular_file() && ReadWhole(entry.path(), data))
        files[orrivel::cp932::ToUpper(entry.path().filename().string())] = Bytes(data.begin(), data.end());
    }
    return true;
  }
  return LoadFiles(std::vector<std::string>{source}, files);
}

int Build(const std::vector<std::string>& inputs, const std::string& outDir) {
  std::map<std::string, Bytes> files;
  if (inputs.size() == 1 ? !LoadFiles(inputs.front(), files) : !LoadFiles(inputs, files)) return 2;
  fs::create_directories(outDir);
  for (const auto& [name, bytes] : files) {
    std::ofstream out(fs::path(outDir) / name, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    if (!out) {
      std::fprintf(stderr, "sob: cannot write %s\n", name.c_str());
      return 2;
    }
  }
  return 0;
}

// "SCRIPT\NAME.SOB" -> the file NAME.SOB of the project, any case.
std::string FileKey(const std::string& path) {
  std::string name = path;
  size_t slash = name.find_last_of("\\/");
  if (slash != std::string::npos) name = name.substr(slash + 1);
  return orrivel::cp932::ToUpper(name);
}

// The host reads its game files from the project's files.
void ReadFrom(const std::map<std::string, Bytes>& files, orrivel::ScriptHost& host) {
  host.SetFileReader([&files](const std::string& path) -> orrivel::ScriptFileBytes {
    auto it = files.find(FileKey(path));
    if (it == files.end()) return std::nullopt;
    return it->second;
  });
}

std::string Cells(orrivel::ScriptAddressSpace& space, uint32_t block, int count) {
  std::string text;
  for (int i = 0; i < count; ++i) {
    uint32_t value;
    char buffer[16];
    if (space.Read32(block + 4 * i, value)) std::snprintf(buffer, sizeof buffer, " %d", int32_t(value));
    else std::snprintf(buffer, sizeof buffer, " ?");
    text += buffer;
  }
  return text;
}

int Run(int argc, char** argv) {
  std::string source = argv[2];
  std::string scene = "MAIN";
  long steps = 10000;
  unsigned long long budget = 10'000'000;
  for (int i = 3; i + 1 < argc; i += 2) {
    if (!std::strcmp(argv[i], "--scene")) scene = argv[i + 1];
    else if (!std::strcmp(argv[i], "--steps")) steps = std::atol(argv[i + 1]);
    else if (!std::strcmp(argv[i], "--budget")) budget = std::strtoull(argv[i + 1], nullptr, 10);
  }
  std::map<std::string, Bytes> files;
  if (!LoadFiles(source, files)) return 2;

  orrivel::ScriptRequestState state;
  orrivel::ScriptHost host(&state);
  ReadFrom(files, host);
  // Natives 3 and up record their calls: 3 prints the string in cell 0, 4
  // prints the integer in cell 0, the others print four cells; each returns
  // its cell 0 (0 when there is none).
  for (uint32_t n = 3; n < kRecordingNatives; ++n) {
    host.RegisterNative([n, &host](orrivel::NativeArgs& args) -> uint32_t {
      if (n == 3) {
        std::string text = args.String(0);
        if (!args.Failed()) std::printf("native 3 \"%s\"\n", text.c_str());
        return 0;
      }
      if (n == 4) {
        int32_t value = args.Int(0);
        if (!args.Failed()) std::printf("native 4 %d\n", value);
        return 0;
      }
      std::printf("native %u%s\n", n, Cells(host.Space(), args.Block(), 4).c_str());
      uint32_t first = 0;
      host.Space().Read32(args.Block(), first);
      return first;
    });
  }
  host.Machine().SetInstructionBudget(budget);
  int system = host.LoadSystem("SCRIPT\\SOB_INIT.DAT", "SCRIPT\\USER_VAR.SOB", "SCRIPT\\FUNC_LIB.SOB", true, true);
  if (system != 0) {
    std::printf("load system: %d\n", system);
    return 1;
  }
  int loaded = host.LoadScriptFile(scene.c_str(), nullptr);
  if (loaded != 0) {
    std::printf("load %s: %d\n", scene.c_str(), loaded);
    return 1;
  }
  int result = orrivel::ScriptHost::kStepYielded;
  long step = 0;
  while (step < steps && result == orrivel::ScriptHost::kStepYielded) {
    result = host.Step();
    ++step;
    if (result == orrivel::ScriptHost::kStepYielded) std::printf("step %ld: yielded\n", step);
  }
  static const char* const kResults[] = {"ended", "yielded", "invalid script", "jump load failed", "call load failed"};
  std::printf("result: %s after %ld steps\n", kResults[result], step);
  if (result == orrivel::ScriptHost::kStepBadScript && host.Machine().Fault() != orrivel::ScriptFault::kNone)
    std::printf("fault: %s at %u\n", orrivel::ScriptFaultName(host.Machine().Fault()), host.Machine().FaultPc());
  std::printf("externals:");
  for (const auto& external : host.Externals()) {
    uint32_t value = 0;
    host.Space().Read32(external.address, value);
    std::printf(" %s=%d", external.name.c_str(), int32_t(value));
  }
  std::printf("\n");
  return result == orrivel::ScriptHost::kStepEnded ? 0 : 1;
}

// Bundle layout: u32 length (0xFFFFFFFF absent) of SOB_INIT.DAT, USER_VAR.SOB
// and FUNC_LIB.SOB, their bytes, then the scene module to the end.
int Bundle(const std::string& source, const std::string& scene, const std::string& out) {
  std::map<std::string, Bytes> files;
  if (!LoadFiles(source, files)) return 2;
  Bytes bundle;
  Bytes body;
  for (const char* name : {"SOB_INIT.DAT", "USER_VAR.SOB", "FUNC_LIB.SOB"}) {
    auto it = files.find(name);
    orrivel::sob::PutU32(bundle, it == files.end() ? 0xFFFFFFFFu : uint32_t(it->second.size()));
    if (it != files.end()) body.insert(body.end(), it->second.begin(), it->second.end());
  }
  bundle.insert(bundle.end(), body.begin(), body.end());
  auto it = files.find(orrivel::cp932::ToUpper(scene) + ".SOB");
  if (it == files.end()) {
    std::fprintf(stderr, "sob: no scene %s\n", scene.c_str());
    return 2;
  }
  bundle.insert(bundle.end(), it->second.begin(), it->second.end());
  std::ofstream file(out, std::ios::binary);
  file.write(reinterpret_cast<const char*>(bundle.data()), std::streamsize(bundle.size()));
  return file ? 0 : 2;
}

// Runs the project's MAIN to its end, then writes the engine's own save
// files of that state into OUTDIR: the scene flags ("TLOG"), the variable
// file and two state files (every variable with the first int and STR as
// header; the Save scope without header). Seeds for the file-reader fuzz
// targets come from here.
int SaveFiles(const std::string& source, const std::string& outDir) {
  std::map<std::string, Bytes> files;
  if (!LoadFiles(source, files)) return 2;
  orrivel::ScriptRequestState state;
  orrivel::ScriptHost host(&state);
  ReadFrom(files, host);
  fs::create_directories(outDir);
  host.SetFileWriter([&outDir](const std::string& path, std::span<const uint8_t> data) {
    std::ofstream out(fs::path(outDir) / path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(data.data()), std::streamsize(data.size()));
    return bool(out);
  });
  for (uint32_t n = 3; n < kRecordingNatives; ++n) host.RegisterNative([](orrivel::NativeArgs&) { return 0u; });
  host.Machine().SetInstructionBudget(10'000'000);
  if (host.LoadSystem("SCRIPT\\SOB_INIT.DAT", "SCRIPT\\USER_VAR.SOB", "SCRIPT\\FUNC_LIB.SOB", true, true) != 0 ||
      host.LoadScriptFile("MAIN", nullptr) != 0) {
    std::fprintf(stderr, "sob: cannot load %s\n", source.c_str());
    return 1;
  }
  for (int step = 0; step < 1000 && host.Step() == orrivel::ScriptHost::kStepYielded; ++step) {
  }
  // Scripts set flags through the game's natives; mark a pattern here so the
  // flag file carries bits.
  for (orrivel::SceneFlagEntry& entry : host.SceneTable().entries) {
    for (uint32_t bit = 0; bit < entry.a.BitCount(); bit += 3) entry.a.Set(bit, 1);
    for (uint32_t bit = 1; bit < entry.b.BitCount(); bit += 5) entry.b.Set(bit, 1);
  }
  uint32_t headerInt = 0, headerStr = 0;
  for (const orrivel::VariableRecord& record : host.LiveRecords()) {
    if (record.kind == orrivel::kVariableInt && !headerInt) headerInt = record.address;
    if (record.kind == orrivel::kVariableStr && !headerStr) headerStr = record.address;
  }
  const int codes[] = {
      host.SaveSceneFlags("FLAGS.TLOG"),
      host.SaveVariableFile("VARIABLES.DAT"),
      host.WriteStateFile("STATE.DAT", 2, headerInt, headerStr, false),
      host.WriteStateFile("STATE-SAVE.DAT", 0, 0, 0, true),
  };
  int failed = 0;
  for (int code : codes) failed += code != 0;
  if (failed) std::fprintf(stderr, "sob: %d of the files were not written (%d %d %d %d)\n", failed, codes[0],
                           codes[1], codes[2], codes[3]);
  return failed ? 1 : 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc >= 4 && !std::strcmp(argv[1], "build"))
    return Build(std::vector<std::string>(argv + 2, argv + argc - 1), argv[argc - 1]);
  if (argc >= 3 && !std::strcmp(argv[1], "run")) return Run(argc, argv);
  if (argc >= 5 && !std::strcmp(argv[1], "bundle")) return Bundle(argv[2], argv[3], argv[4]);
  if (argc >= 4 && !std::strcmp(argv[1], "savefiles")) return SaveFiles(argv[2], argv[3]);
  std::fprintf(stderr,
               "usage: sob build INPUT.sas OUTDIR\n"
               "       sob run (DIR | INPUT.sas) [--scene NAME] [--steps N] [--budget N]\n"
               "       sob bundle (DIR | INPUT.sas) SCENE OUTFILE\n"
               "       sob savefiles (DIR | INPUT.sas) OUTDIR\n");
  return 2;
}
