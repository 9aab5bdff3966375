// Plays arbitrary bytes as a ".TOB" module: one that loads is read by a
// frame over an empty script host, with its opcode handlers in place; the
// frame pump reports closing after a few frames, so every wait ends.
// Whatever the blocks hold, the reader must stay inside the module and end.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "frame/TgsFrame.h"
#include "frame/TobImage.h"
#include "script/ScriptHost.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  orrivel::TobLayout layout;
  if (orrivel::TobImage::Parse(data, size, layout) != orrivel::TobImage::kOk) return 0;
  orrivel::ScriptRequestState requests;
  orrivel::ScriptHost host(&requests);
  int pumps = 0;
  orrivel::TgsFrameEnvironment environment;
  environment.host = &host;
  environment.pumpFrame = [&pumps] { return ++pumps < 4 ? 1 : 0; };
  environment.log = [](const std::string&) {};
  orrivel::TgsFrame frame(host.Space(), environment);
  frame.Machine().SetInstructionBudget(1u << 16);
  const std::vector<uint8_t> file(data, data + size);
  frame.SetFileReader([&file](const std::string& path) -> orrivel::ScriptFileBytes {
    if (path.size() >= 4 && path.compare(path.size() - 4, 4, ".TOB") == 0) return file;
    return std::nullopt;
  });
  frame.SetPageSink([](std::span<const uint8_t>, const std::string&, const std::string&) {});
  if (frame.LoadScriptByName("M") != 0) std::abort();
  frame.ReadText();
  if (frame.Page().Size() > orrivel::TgsPageBuffer::kCapacity) std::abort();
  frame.FlushPage();
  return 0;
}
