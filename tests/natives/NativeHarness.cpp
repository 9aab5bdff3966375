#include "natives/NativeHarness.h"

#include <sstream>

#include "base/SubtractiveRandom.h"

namespace orrivel::testing {

namespace {

std::string Quoted(const std::string& text) {
  std::string out = "\"";
  for (unsigned char c : text) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += char(c);
    } else if (c < 0x20 || c >= 0x7F) {
      char hex[8];
      std::snprintf(hex, sizeof hex, "\\x%02X", c);
      out += hex;
    } else {
      out += char(c);
    }
  }
  return out + "\"";
}

}  // namespace

NativeHarness::NativeHarness(GameHostSetup setup) : setup_(std::move(setup)) {}

NativeHarness::~NativeHarness() = default;

bool NativeHarness::Boot(const std::string& text, sob::Project& project, NativeCall& call) {
  std::string error;
  if (!sob::Assemble(text, project, error)) {
    ADD_FAILURE() << error << "\n" << text;
    return false;
  }
  files_.clear();
  for (auto& [name, bytes] : sob::ProjectFiles(project)) files_["SCRIPT\\" + name] = bytes;

  host_.reset();
  log_.clear();
  GameHostSetup setup = setup_;
  setup.state = &state_;
  setup.logSink = [this](const std::string& line) { log_.push_back(line); };
  // Each call builds a new host, which seeds the shared generator; the
  // sequence carries on across calls as in one run of the scripts.
  const SubtractiveRandom carried = SharedRandom();
  host_ = std::make_unique<GameScriptHost>(std::move(setup));
  if (seeded_) SharedRandom() = carried;
  seeded_ = true;
  host_->SetFileReader([this](const std::string& path) -> ScriptFileBytes {
    auto it = files_.find(path);
    if (it == files_.end()) return std::nullopt;
    return it->second;
  });
  host_->SetFileWriter([](const std::string&, std::span<const uint8_t>) { return true; });
  EXPECT_EQ(host_->LoadSystem("SCRIPT\\SOB_INIT.DAT", "SCRIPT\\USER_VAR.SOB", "SCRIPT\\FUNC_LIB.SOB", true, true), 0);
  call.loaded = host_->LoadScriptFile("MAIN", nullptr);
  if (call.loaded == 0) call.step = host_->Step();
  call.log = log_;
  return true;
}

NativeCall NativeHarness::Run(const std::string& projectText) {
  sob::Project project;
  NativeCall call;
  Boot(projectText, project, call);
  return call;
}

NativeCall NativeHarness::Call(std::string_view native, const std::vector<Arg>& args) {
  std::ostringstream vars, code, data;
  vars << "vars\n  int result = 0\n";
  data << "data\nargs: word";
  std::ostringstream strings;
  for (size_t i = 0; i < args.size(); ++i) {
    const Arg& arg = args[i];
    const std::string name = "a" + std::to_string(i);
    switch (arg.kind) {
      case Arg::kInt:
        data << " " << arg.value;
        break;
      case Arg::kText:
        data << " @" << name;
        strings << name << ": string " << Quoted(arg.text) << "\n";
        break;
      case Arg::kBuffer:
        vars << "  str " << name << " size " << arg.size << " = " << Quoted(arg.text) << "\n";
        code << "  mov $" << name << " @args+" << i * 4 << "\n";
        data << " 0";
        break;
      case Arg::kOutInt:
        vars << "  int " << name << " = " << arg.value << "\n";
        data << " $" << name;
        break;
    }
  }
  if (args.empty()) data << " 0";
  const std::string text = vars.str() + "scene MAIN\n" + code.str() + "  native !" + std::string(native) +
                           " @args $result\n  yield\n  ret\n" + data.str() + "\n" + strings.str();

  sob::Project project;
  NativeCall call;
  if (!Boot(text, project, call) || call.loaded != 0) return call;

  const auto& records = host_->LiveRecords();
  auto readInt = [&](uint32_t index) {
    uint32_t value = 0;
    host_->Space().Read32(records[index].address, value);
    return value;
  };
  call.result = readInt(project.variableIndex.at("result"));
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string name = "a" + std::to_string(i);
    if (args[i].kind == Arg::kOutInt) call.ints[i] = readInt(project.variableIndex.at(name));
    if (args[i].kind == Arg::kBuffer) {
      std::string value;
      host_->Space().ReadString(readInt(project.variableIndex.at(name)), value, args[i].size);
      call.texts[i] = value;
    }
  }
  call.log = log_;
  return call;
}

}  // namespace orrivel::testing
