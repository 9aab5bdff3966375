#pragma once
// A machine described in full by the test: a fixed clock and processor, two
// monitors, a device-input keyboard and joystick, a full-screen display
// with surfaces and 3D, drives of every kind, windows and processes.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "base/SystemInfoProvider.h"
#include "platform/TextCodec.h"
#include "TestBuildDirs.h"

namespace orrivel::test {

class FakeSystemInfo : public SystemInfoProvider {
 public:
  FakeSystemInfo() {
    auto s = [](const char* utf8) { return platform::Utf8ToCp932Lossy(utf8); };
    time = platform::LocalTime{2024, 3, 9, 7, 5, 1, 6};
    machine.osName = "Linux";
    machine.osVersion = "6.1.0-18-amd64";
    machine.language = "ja_JP.UTF-8";
    machine.totalMemory = 8192ull * 1048576 + 12345;
    machine.availableMemory = 5120ull * 1048576;
    machine.pageFileTotal = 2048ull * 1048576;
    machine.pageFileAvailable = 1536ull * 1048576;
    machine.directXVersion[0] = (4u << 16) | 9u;
    machine.directXVersion[1] = (0u << 16) | 904u;
    machine.programPath = "Z:\\games\\" + s("ゲーム") + "\\GAME";
    machine.baseFolder = "Z:\\games\\" + s("ゲーム") + "\\";
    machine.systemFolder = "/usr";
    machine.processorCount = 4;
    machine.screenWidth = 1920;
    machine.screenHeight = 1080;
    machine.screenDepth = 32;
    machine.screenRefresh = 60;

    MonitorRecord first;
    first.bounds = platform::Rect{0, 0, 1920, 1080};
    first.depth = 32;
    first.refresh = 60;
    first.isPrimary = true;
    MonitorRecord second;
    second.bounds = platform::Rect{1920, 0, 3200, 1024};
    second.depth = 16;
    second.refresh = 75;
    monitors = {first, second};

    processor.vendor = "GenuineIntel";
    processor.brand = "Intel(R) Pentium(R) 4 CPU 2.40GHz";
    processor.hasBrand = true;
    processor.name = "Intel Pentium 4(Northwood)";
    processor.type = 0;
    processor.family = 15;
    processor.model = 2;
    processor.stepping = 7;
    processor.traceCache = 12;
    processor.l1Data = 8;
    processor.l2 = 512;
    processor.fpu = processor.tsc = processor.cmov = processor.mmx = processor.sse = processor.sse2 = true;
    processor.htt = true;
    clockMhz = 2394;

    input.method = 0;
    input.keyboardKeys = 106;
    input.mouseAxes = 3;
    input.mouseButtons = 5;
    input.joystick = JoystickFacts{1, "Gamepad F310", 6, 10};

    display.initialised = true;
    display.fullScreen = true;
    display.monitorName = s("汎用モニター");
    display.width = 800;
    display.height = 600;
    display.depth = 32;
    display.presentMethod = 1;
    display.driverName = "Soft Surface";
    display.driverFile = "orrivel";
    display.driverVersion = {6, 14, 10, 1};
    display.presentationMode = "Flip";
    display.halStretch = true;
    display.videoMemoryKnown = true;
    display.videoFreeKnown = true;
    display.videoMemoryTotal = 64ull * 1048576;
    display.videoMemoryFree = 48ull * 1048576 + 524288;
    display.primaryInVram = true;
    display.primaryCaps = 0x10004218;
    display.secondaryInVram = false;
    display.secondaryCaps = 0x00004840;
    display.pixelBits = 32;
    display.pixelType = 0x0016;
    display.redBits = 8;
    display.greenBits = 8;
    display.blueBits = 8;
    display.redMask = 0x00FF0000;
    display.greenMask = 0x0000FF00;
    display.blueMask = 0x000000FF;
    display.vsync = true;
    display.flip = true;
    display.direct3D = true;
    display.direct3DMode = "HAL";
    display.deviceName = "Soft Rasteriser";
    display.zBufferBits = 16;
    display.textureFormats = kTexture555 | kTexture565 | kTexture4444 | kTexture8888;
    display.maxTextureStages = 8;
    display.minTextureWidth = 1;
    display.minTextureHeight = 1;
    display.maxTextureWidth = 2048;
    display.maxTextureHeight = 2048;
    display.alphaBlending = true;
    display.drawPrimitiveVertex = true;
    display.gouraudAlpha = true;
    display.alphaTest = true;
    display.zBufferLessHsr = false;
    display.textureCaps = 0x00000CC5;
    display.textureOpCaps = 0x03FEFFFF;
    display.srcBlendCaps = 0x00001FFF;
    display.destBlendCaps = 0x00001FFF;
    display.textureLimitation = 0;

    drives = {
        DriveFacts{"/", platform::DriveKind::Fixed, true, 1234567, 2345678, true},
        DriveFacts{"/home", platform::DriveKind::Fixed, true, 12345, 98765, false},
        DriveFacts{"/boot", platform::DriveKind::Fixed, true, 123, 512, false},
        DriveFacts{"/media/usb", platform::DriveKind::Removable},
        DriveFacts{"/mnt/share", platform::DriveKind::Network},
        DriveFacts{"/media/cdrom", platform::DriveKind::CdRom},
        DriveFacts{"/mnt/ram", platform::DriveKind::RamDisk},
        DriveFacts{"/mnt/odd", platform::DriveKind::Unknown},
    };
    windowTitles = std::vector<std::string>{s("メモ帳"), "Terminal"};
    processes = std::vector<std::string>{"systemd", "Xorg", s("ゲーム")};
  }

  platform::LocalTime Now() override { return time; }
  MachineFacts Machine() override { return machine; }
  std::vector<MonitorRecord> Monitors() override { return monitors; }
  const ProcessorInfo& Processor() override { return processor; }
  uint32_t CpuClockMhz() override {
    ++clockReads;
    return clockMhz;
  }
  InputFacts Input() override { return input; }
  DisplayFacts Display() override { return display; }
  std::vector<DriveFacts> Drives() override { return drives; }
  std::optional<std::vector<std::string>> WindowTitles() override { return windowTitles; }
  std::optional<std::vector<std::string>> Processes(bool fullPaths) override {
    askedFullPaths = fullPaths;
    return processes;
  }

  platform::LocalTime time;
  MachineFacts machine;
  std::vector<MonitorRecord> monitors;
  ProcessorInfo processor;
  uint32_t clockMhz = 0;
  int clockReads = 0;
  InputFacts input;
  DisplayFacts display;
  std::vector<DriveFacts> drives;
  std::optional<std::vector<std::string>> windowTitles;
  std::optional<std::vector<std::string>> processes;
  bool askedFullPaths = false;
};

// Compares text with the golden file under tests/base/golden/. With
// ORRIVEL_WRITE_GOLDEN set, a missing golden is written from text first.
inline ::testing::AssertionResult MatchesGolden(const std::string& text, const std::string& name) {
  const std::string path = std::string(ORRIVEL_SOURCE_DIR) + "/tests/base/golden/" + name;
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    if (std::getenv("ORRIVEL_WRITE_GOLDEN")) {
      std::ofstream(path, std::ios::binary) << text;
      return ::testing::AssertionSuccess() << "written " << path;
    }
    return ::testing::AssertionFailure() << "missing golden file " << path;
  }
  std::string golden((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (golden == text) return ::testing::AssertionSuccess();
  size_t at = 0;
  while (at < golden.size() && at < text.size() && golden[at] == text[at]) ++at;
  return ::testing::AssertionFailure() << name << " differs at byte " << at << ": golden \""
                                       << platform::Cp932ToUtf8Lossy(golden.substr(at, 60)) << "\" vs \""
                                       << platform::Cp932ToUtf8Lossy(text.substr(at, 60)) << "\"";
}

}  // namespace orrivel::test
