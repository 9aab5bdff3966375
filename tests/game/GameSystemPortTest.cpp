// The save, sound and box natives see the running game while its native
// port lives: its sound system, its box, and saves not yet available.
#include "game/GameNativePort.h"

#include <gtest/gtest.h>

#include <utility>

#include "game/GameApplication.h"
#include "natives/SystemNativePort.h"
#include "platform/headless/HeadlessBackend.h"
#include "script/ScriptAddressSpace.h"

namespace orrivel {
namespace {

uint32_t Call(GameScriptHost& host, uint32_t gameNumber, std::initializer_list<uint32_t> cells, uint32_t* first) {
  const uint32_t block = host.Space().Allocate(cells.size() * 4);
  uint32_t at = block;
  for (uint32_t cell : cells) host.Space().Write32(std::exchange(at, at + 4), cell);
  NativeArgs args(host.Space(), nullptr, block);
  const uint32_t result = host.Natives()[gameNumber + 3](args);
  if (first) host.Space().Read32(block, *first);
  host.Space().Free(block);
  return result;
}

TEST(GameSystemPort, NativesReachTheGamesSoundAndNoSavesYet) {
  platform::HeadlessBackend backend;
  platform::ScopedBackend scoped(backend);
  GameApplication app;
  GameHostSetup setup;
  setup.logSink = [](const std::string&) {};
  GameScriptHost host(setup);
  SystemNativePort* const before = &SystemPort();
  {
    GameNativePort port(app);
    EXPECT_EQ(SystemSounds(), &app.sound);
    uint32_t first = 99;
    EXPECT_EQ(Call(host, 593, {0, 0, 0}, &first), 0u);
    EXPECT_EQ(first, 0u);
    EXPECT_TRUE(app.sound.HasPrimaryBuffer());
    // Saves answer "not available" with each operation's failure code.
    EXPECT_EQ(Call(host, 40, {1, 2}, nullptr), uint32_t(-1));
    EXPECT_EQ(Call(host, 41, {1, 2}, nullptr), uint32_t(-1));
    EXPECT_EQ(Call(host, 47, {}, nullptr), 1u);
    EXPECT_EQ(Call(host, 49, {}, nullptr), 0u);
  }
  EXPECT_EQ(&SystemPort(), before);
}

}  // namespace
}  // namespace orrivel
