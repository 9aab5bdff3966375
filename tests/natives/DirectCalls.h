#pragma once
// Calls game natives one after another on one host, the way a script's
// successive steps do: the cells go into an arena block of their own.
#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "natives/GameScriptHost.h"
#include "script/NativeArgs.h"
#include "script/ScriptAddressSpace.h"

namespace orrivel::testing {

class DirectCalls {
 public:
  explicit DirectCalls(GameScriptHost& host) : host_(host) {}
  ~DirectCalls() {
    for (uint32_t block : blocks_) host_.Space().Free(block);
  }
  // The result; failed tells whether the call would have ended the step.
  uint32_t Call(uint32_t gameNumber, const std::vector<uint32_t>& cells, bool* failed = nullptr) {
    const uint32_t block = host_.Space().Allocate(std::max<size_t>(cells.size(), 1) * 4);
    blocks_.push_back(block);
    lastBlock_ = block;
    for (size_t i = 0; i < cells.size(); ++i) host_.Space().Write32(block + uint32_t(i) * 4, cells[i]);
    NativeArgs args(host_.Space(), nullptr, block);
    const uint32_t result = host_.Natives()[gameNumber + 3](args);
    if (failed) *failed = args.Failed();
    return result;
  }
  // Script text in an arena block of exactly its size (with the zero).
  uint32_t Text(const std::string& text) {
    const uint32_t block = host_.Space().Allocate(text.size() + 1);
    host_.Space().WriteBytes(block, text.c_str(), text.size() + 1);
    blocks_.push_back(block);
    return block;
  }
  // An int cell in an arena block of its own; its address.
  uint32_t Word(uint32_t value) {
    const uint32_t block = host_.Space().Allocate(4);
    host_.Space().Write32(block, value);
    blocks_.push_back(block);
    return block;
  }
  uint32_t Load(uint32_t address) {
    uint32_t value = 0;
    EXPECT_TRUE(host_.Space().Read32(address, value));
    return value;
  }
  // Cell i of the last call's block, as the native left it.
  uint32_t LastCell(uint32_t i) { return Load(lastBlock_ + 4 * i); }
  std::string Read(uint32_t address) {
    std::string out;
    EXPECT_TRUE(host_.Space().ReadString(address, out));
    return out;
  }

 private:
  GameScriptHost& host_;
  std::vector<uint32_t> blocks_;
  uint32_t lastBlock_ = 0;
};

}  // namespace orrivel::testing
