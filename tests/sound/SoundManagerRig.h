#pragma once
// A sound manager over the virtual output, with its timer list stepped by
// hand on the test clock, files of a constant sample, the saved state block
// and voice tables built in memory.
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "SampleRuns.h"
#include "SoundTestRig.h"
#include "base/TimerList.h"
#include "script/VoiceTable.h"
#include "sound/SoundManager.h"

namespace orrivel::testing {

using namespace samples;

constexpr int16_t kDc = 10000;

class SoundManagerRig : public SoundTestRig {
 protected:
  void SetUp() override {
    SoundTestRig::SetUp();
    sound.SetTimerList(&list);
  }
  void TearDown() override {
    sound.StopMusic();
    sound.SwapMusicStreams();
    sound.StopMusic();
    sound.FreeChannels();
    list.Clear();
    SoundTestRig::TearDown();
  }

  // A mono file of one constant sample.
  void WriteDc(const std::string& name, uint32_t ms = 1000, int16_t value = kDc) {
    WriteMono16(name, std::vector<int16_t>(Frames(ms), value));
  }

  // Moves the clock and the output on together in steps of stepMs, stepping
  // the timer list after each.
  void Run(uint32_t ms, uint32_t stepMs = 50) {
    for (uint32_t done = 0; done < ms; done += stepMs) {
      clock.Advance(stepMs);
      Output().AdvanceMs(stepMs);
      list.Step(clock.TickMs());
    }
  }

  // What the output carries of a constant sample at an attenuation level.
  static int16_t AtLevel(int32_t level, int16_t sample = kDc) {
    return Heard(sample, SoundBase::LevelToAttenuation(level));
  }
  // The attenuation a sound's buffer carries.
  static int32_t BufferAttenuation(SoundBase& sound) {
    int32_t attenuation = 1;
    if (auto buffer = sound.GetBuffer()) buffer->GetVolume(&attenuation);
    return attenuation;
  }

  static std::vector<uint8_t> Save(SoundManager& manager) {
    std::vector<uint8_t> block(manager.GetStateSize());
    uint8_t* cursor = block.data();
    EXPECT_EQ(manager.SaveState(&cursor), 0);
    EXPECT_EQ(cursor, block.data() + block.size());
    return block;
  }

  // A voice table file: the extension, then per character its name and
  // cue prefixes.
  static std::vector<uint8_t> VoiceTableBytes(
      const std::string& extension, const std::vector<std::pair<std::string, std::vector<std::string>>>& characters) {
    std::vector<uint8_t> out;
    auto u32 = [&out](uint32_t v) {
      for (int i = 0; i < 4; ++i) out.push_back(uint8_t(v >> (8 * i)));
    };
    auto text = [&out](const std::string& s) {
      out.push_back(uint8_t(s.size() + 1));
      out.insert(out.end(), s.begin(), s.end());
      out.push_back(0);
    };
    text(extension);
    uint32_t prefixes = 0;
    for (const auto& character : characters) prefixes += uint32_t(character.second.size());
    u32(prefixes);
    u32(uint32_t(characters.size()));
    for (const auto& [name, cues] : characters) {
      out.push_back(uint8_t(name.size()));
      out.insert(out.end(), name.begin(), name.end());
      out.push_back(0);  // no second name
      u32(uint32_t(cues.size()));
      for (const auto& cue : cues) text(cue);
    }
    return out;
  }

  TimerList list;
  SoundManager sound;
};

}  // namespace orrivel::testing
