#pragma once
// Several game natives called one after another on one game script host,
// the way a script's consecutive calls see each other's handles: argument
// blocks, texts and variables are placed in the host's script address space
// and the native is called through the host's table.
//
//   NativeSession session;
//   const uint32_t file = session.Call("FileCreate", {});
//   session.Call("FileOpen", {file, session.Text("A.TXT")});
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "natives/GameScriptHost.h"
#include "natives/NativeCatalog.h"
#include "script/ScriptAddressSpace.h"

namespace orrivel::testing {

class NativeSession {
 public:
  explicit NativeSession(GameHostSetup setup = {}) {
    setup.logSink = [](const std::string&) {};
    host_ = std::make_unique<GameScriptHost>(std::move(setup));
  }

  GameScriptHost& Host() { return *host_; }
  ScriptAddressSpace& Space() { return host_->Space(); }

  // The game native's result, by name or number.
  uint32_t Call(std::string_view name, const std::vector<uint32_t>& cells) {
    const NativeEntry* entry = FindGameNative(name);
    if (!entry) {
      ADD_FAILURE() << "no native " << name;
      return 0;
    }
    return Call(entry->number, cells);
  }
  uint32_t Call(uint32_t number, const std::vector<uint32_t>& cells) {
    const uint32_t block = Block(std::max<size_t>(cells.size(), 1) * 4);
    for (size_t i = 0; i < cells.size(); ++i) Space().Write32(block + uint32_t(i) * 4, cells[i]);
    NativeArgs args(Space(), nullptr, block);
    const uint32_t result = host_->Natives()[ScriptNativeNumber(number)](args);
    lastFailed_ = args.Failed();
    return result;
  }
  int32_t CallInt(std::string_view name, const std::vector<uint32_t>& cells) { return int32_t(Call(name, cells)); }
  // The last call met a bad script address.
  bool LastFailed() const { return lastFailed_; }

  // A zero-filled block of the arena.
  uint32_t Block(uint64_t size) {
    const uint32_t address = Space().Allocate(size);
    EXPECT_NE(address, 0u);
    return address;
  }
  // Text with its zero.
  uint32_t Text(std::string_view text) {
    const uint32_t address = Block(text.size() + 1);
    Space().WriteBytes(address, text.data(), text.size());
    return address;
  }
  // A word variable holding value.
  uint32_t Var(uint32_t value = 0) {
    const uint32_t address = Block(4);
    Space().Write32(address, value);
    return address;
  }
  uint32_t Word(uint32_t address) {
    uint32_t value = 0;
    EXPECT_TRUE(Space().Read32(address, value));
    return value;
  }
  std::string String(uint32_t address) {
    std::string text;
    EXPECT_TRUE(Space().ReadString(address, text, 1u << 16));
    return text;
  }
  std::string Bytes(uint32_t address, uint32_t size) {
    const uint8_t* bytes = Space().Bytes(address, size);
    return bytes ? std::string(reinterpret_cast<const char*>(bytes), size) : std::string();
  }

 private:
  std::unique_ptr<GameScriptHost> host_;
  bool lastFailed_ = false;
};

}  // namespace orrivel::testing
