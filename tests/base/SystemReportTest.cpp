// The start-up report: its blocks from a described machine against a golden
// file, the number, clock, cache and drive-size formats, the variants of the
// input, sound and display blocks, the cut of over-long pieces, and the file
// that start-up writes.
#include "base/SystemReport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>

#include "base/AppTestSupport.h"
#include "base/FakeSystemInfo.h"
#include "base/InputManager.h"
#include "base/JoystickSlots.h"
#include "base/SoundDeviceList.h"
#include "base/SystemTextFormat.h"
#include "platform/AudioDevices.h"
#include "platform/headless/HeadlessInput.h"

namespace orrivel::test {
namespace {

using platform::DriveKind;

class SystemReportTest : public HeadlessTest {
 protected:
  ~SystemReportTest() override {
    FreeSoundDeviceList();
    platform::SetHeadlessAudioDevices({});
  }

  // Runs the writer on a fresh report and returns the file's bytes.
  std::string Render(const std::function<void(SystemReport&)>& write) {
    const std::string path = Folder() + "/report-" + std::to_string(renders_++) + ".txt";
    {
      SystemReport report;
      EXPECT_TRUE(report.Open(path, &fake));
      write(report);
    }
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  }

  static void WriteAll(SystemReport& r) {
    r.WriteHead(Sjis("テストゲーム"), 1, 2, 0xb, {"Orrivel", "http://example.org/"});
    r.WriteSystem();
    r.WriteCpu(true);
    r.WriteInput(0);
    r.WriteSound();
    r.WriteDisplay(true);
    r.WriteDrives();
    r.WriteApplications();
    r.WriteProcesses(false);
    r.WriteTail();
  }

  static void UseTwoSoundDevices() {
    SoundDevices() = {SoundDeviceRecord{false, Sjis("プライマリ"), ""},
                      SoundDeviceRecord{true, "Built-in Audio Analog Stereo", "pulseaudio"},
                      SoundDeviceRecord{true, "HDMI Output", "pulseaudio"}};
  }

  FakeSystemInfo fake;
  int renders_ = 0;
};

TEST_F(SystemReportTest, WholeReportMatchesGolden) {
  UseTwoSoundDevices();
  const std::string text = Render(WriteAll);
  EXPECT_TRUE(MatchesGolden(text, "SYS_LOG.TXT"));
  // The exact lines the format fixes, independent of the golden.
  for (const char* line : {
           "< Initialize Start...  2024/03/09  07:05:01 >\r\n\r\n",
           "「テストゲーム」Version 1.02b\r\nOrrivel\r\nhttp://example.org/\r\n",
           "Memory   : 8192MB (Avail 5120MB)\r\n",
           "Display  : 1920 x 1080  32bit 60Hz (Primary)\r\n           1280 x 1024  16bit 75Hz\r\n",
           "DirectX  : DirectX 9 (4.09.00.0904)\r\nPageFile : 2048MB (Avail 1536MB)",
           "CpuClock: 2.39GHz (4 CPU)\r\n",
           "Cache   : L1 T-Cache 12KμOPs / L1 D-Cache 8KB / L2 Cache 512KB\r\n",
           "Support : FPU ○ / TSC ○ / CMOV ○\r\n",
           "          MMX ○ / SSE ○ / SSE2 ○ / SSE3 × / MMX+ × / 3DNow! × / 3DNow!+ × / HTT ○\r\n\r\n\r\n",
           "[ DirectInput ]\r\nKeyBoard: 106 Key\r\nMouse   : 3 Axes / 5 Button\r\nJoyStick: No.1 / Gamepad F310 / 6 Axes / 10 Button\r\n\r\n\r\n",
           "[ DirectSound ]\r\n<Device 1>\r\nDriver Name: Built-in Audio Analog Stereo\r\nDriver File: pulseaudio\r\n<Device 2>\r\n",
           "[ FullScreen Mode ]\r\nDisplay : 汎用モニター\r\n          800 x 600  32bit\r\n< DirectDraw >\r\n",
           "VideoMemory   : 64.000 MB (free: 48.500 MB)\r\n",
           "Pixel         : 32bit  Type[0x0016]  RGB 888 / 00ff0000:0000ff00:000000ff\r\n",
           "<Support Texture>\r\n16bpp   RGB    5,5,5\r\n16bpp   RGB    5,6,5\r\n16bpp  ARGB  4,4,4,4\r\n32bpp  ARGB  8,8,8,8\r\n\r\n",
           "<Texture Limitation>\r\nThe square of 2\r\n\r\n\r\n\r\n\r\n[ Drive Info ]\r\n",
           " [/]   1,234,567 /   2,345,678 MB (/usr)\r\n",
           " [/home]      12,345 /      98,765 MB\r\n",
           " [/boot]         123 /         512 MB\r\n",
           " [/media/usb] Removable Drive\r\n [/mnt/share] Network Drive\r\n [/media/cdrom] CD/DVD-ROM Drive\r\n"
           " [/mnt/ram] RAM-Disk Drive\r\n [/mnt/odd] Unknown\r\n",
           "\r\n\r\n[ Application ]\r\nメモ帳\r\nTerminal\r\n\r\n\r\n[ Process ]\r\nsystemd\r\nXorg\r\nゲーム\r\n",
           "\r\n< Initialize Done...  2024/03/09  07:05:01 >\r\n",
       }) {
    EXPECT_NE(text.find(Sjis(line)), std::string::npos) << line;
  }
}

TEST(SystemTextFormatTest, ClockCacheAndSizeFormats) {
  struct ClockCase {
    uint32_t mhz;
    const char* text;
  };
  for (const ClockCase& c : {ClockCase{2394, "2.39GHz"}, ClockCase{933, "933MHz"}, ClockCase{0, "？？MHz"},
                             ClockCase{999, "999MHz"}, ClockCase{1000, "1.00GHz"}, ClockCase{3009, "3.00GHz"}}) {
    EXPECT_EQ(ClockText(c.mhz), platform::Utf8ToCp932Lossy(c.text)) << c.mhz;
  }

  struct CacheCase {
    uint32_t trace, code, data, l2, l3;
    const char* text;
  };
  for (const CacheCase& c : {CacheCase{0, 0, 16, 256, 0, "L1 D-Cache 16KB / L2 Cache 256KB"},
                             CacheCase{12, 16, 8, 0, 0, "L1 T-Cache 12KμOPs / L1 D-Cache 8KB"},
                             CacheCase{0, 32, 32, 1024, 8192, "L1 C-Cache 32KB / L1 D-Cache 32KB / L2 Cache 1024KB / L3 Cache 8192KB"},
                             CacheCase{0, 0, 0, 0, 0, ""}}) {
    ProcessorInfo p;
    p.traceCache = c.trace;
    p.l1Code = c.code;
    p.l1Data = c.data;
    p.l2 = c.l2;
    p.l3 = c.l3;
    EXPECT_EQ(CacheText(p), platform::Utf8ToCp932Lossy(c.text)) << c.text;
  }

  struct SizeCase {
    uint64_t mb;
    const char* text;
  };
  for (const SizeCase& c : {SizeCase{1234567, "  1,234,567"}, SizeCase{1000000, "  1,000,000"},
                            SizeCase{999999, "    999,999"}, SizeCase{12345, "     12,345"}, SizeCase{1000, "      1,000"},
                            SizeCase{999, "        999"}, SizeCase{0, "          0"}}) {
    EXPECT_EQ(GroupedMb(c.mb), c.text) << c.mb;
  }
  EXPECT_EQ(DriveSpaceText(1234567, 5), "  1,234,567 /           5 MB");
}

TEST_F(SystemReportTest, InputBlockByMethod) {
  struct Case {
    uint8_t method;
    bool joystick;
    const char* expected;
  };
  for (const Case& c : {Case{0, false, "[ DirectInput ]\r\nKeyBoard: 106 Key\r\nMouse   : 3 Axes / 5 Button\r\nJoyStick: None\r\n\r\n\r\n"},
                        Case{1, true, "[ Input Windows API ]\r\nJoyStick: No.1 / Gamepad F310 / 6 Axes / 10 Button\r\n\r\n\r\n"},
                        Case{2, false, "[ Input Window Message ]\r\nJoyStick: None\r\n\r\n\r\n"}}) {
    if (!c.joystick) fake.input.joystick.reset();
    else fake.input.joystick = JoystickFacts{1, "Gamepad F310", 6, 10};
    EXPECT_EQ(Render([&](SystemReport& r) { r.WriteInput(c.method); }), c.expected) << int(c.method);
  }
}

// The machine's own input facts are those of the running application's
// devices: the method they were made with and the first joystick opened.
TEST_F(SystemReportTest, InputFactsComeFromTheApplicationsDevices) {
  JoystickSlots::Reset();
  platform::HeadlessInput source;
  platform::ScopedInputSource useSource(source);
  RecordingApp app;
  InputManager& input = app.Input();
  for (uint8_t method : {1, 2}) {
    ASSERT_EQ(input.CreateDevices(method), 0);
    const InputFacts facts = CurrentSystemInfoProvider().Input();
    EXPECT_EQ(facts.method, method);
    EXPECT_EQ(facts.keyboardKeys, 0u);  // only a DirectInput keyboard tells
    EXPECT_FALSE(facts.joystick.has_value());
  }
  platform::JoystickCaps pad;
  pad.axes = 6;
  pad.buttons = 10;
  pad.name = "Gamepad F310";
  source.PlugJoystick(3, pad);
  source.PlugJoystick(5, platform::JoystickCaps{});  // reports no name
  ASSERT_EQ(input.AddJoystick(-1), 3);
  ASSERT_EQ(input.AddJoystick(-1), 5);
  fake.input = CurrentSystemInfoProvider().Input();
  EXPECT_EQ(Render([](SystemReport& r) { r.WriteInput(2); }),
            "[ Input Window Message ]\r\nJoyStick: No.3 / Gamepad F310 / 6 Axes / 10 Button\r\n\r\n\r\n");
  // Once the devices are gone, no joystick is reported.
  input.ReleaseDevices();
  EXPECT_FALSE(CurrentSystemInfoProvider().Input().joystick.has_value());
  JoystickSlots::Reset();
}

TEST_F(SystemReportTest, DisplayBlockVariants) {
  struct Case {
    const char* name;
    std::function<void(DisplayFacts&)> set;
    bool direct3DSetting;
    const char* expected;
  };
  const Case cases[] = {
      {"gdi window", [](DisplayFacts& d) { d.fullScreen = false; d.presentMethod = 0; }, true,
       "[ Window Mode ]\r\n800 x 600  32bit\r\n< GDI >\r\n\r\n\r\n"},
      {"unnamed full screen", [](DisplayFacts& d) { d.monitorName.clear(); d.presentMethod = 0; }, true,
       "[ FullScreen Mode ]\r\nDisplay : 800 x 600  32bit\r\n< GDI >\r\n\r\n\r\n"},
  };
  for (const Case& c : cases) {
    FakeSystemInfo fresh;
    c.set(fresh.display);
    fake.display = fresh.display;
    EXPECT_EQ(Render([&](SystemReport& r) { r.WriteDisplay(c.direct3DSetting); }), Sjis(c.expected)) << c.name;
  }

  // A screen texture without the 3D setting: the short 3D block, then the
  // end of the surface block; unknown video memory.
  fake.display = FakeSystemInfo().display;
  fake.display.fullScreen = false;
  fake.display.presentMethod = 2;
  fake.display.videoMemoryKnown = false;
  fake.display.textureWidth = 1024;
  fake.display.textureHeight = 512;
  fake.display.textureType = 0x0016;
  fake.display.directBlt = true;
  const std::string text = Render([](SystemReport& r) { r.WriteDisplay(false); });
  EXPECT_NE(text.find("VideoMemory   : Unknown\r\n"), std::string::npos);
  const std::string tail = Sjis("< Direct3D >\r\nTexture       : 1024 x 512  Type[0x0016]\r\nDirectBlt     : ○\r\n\r\n\r\n");
  ASSERT_GE(text.size(), tail.size());
  EXPECT_EQ(text.substr(text.size() - tail.size()), tail);
  EXPECT_EQ(text.find("<Support Texture>"), std::string::npos);
}

TEST_F(SystemReportTest, SourcesThatFailPrintUnknownOrError) {
  fake.monitors.clear();
  fake.machine.directXVersion[0] = fake.machine.directXVersion[1] = 0;
  fake.processor.hasBrand = false;
  fake.processes.reset();
  fake.drives = {DriveFacts{"/", DriveKind::Fixed, false}};
  const std::string text = Render([](SystemReport& r) {
    r.WriteSystem();
    r.WriteCpu(false);
    r.WriteSound();
    r.WriteDrives();
    r.WriteProcesses(true);
  });
  EXPECT_NE(text.find("Display  : 1920 x 1080  32bit 60Hz (Not MonitorInfo)\r\nDirectX  : Unknown\r\n"),
            std::string::npos);
  EXPECT_NE(text.find("Name    : Intel Pentium 4(Northwood)\r\nVender  : GenuineIntel\r\n"), std::string::npos);
  EXPECT_EQ(text.find("CpuClock"), std::string::npos);
  EXPECT_EQ(fake.clockReads, 0);  // not measured when the settings do not ask
  EXPECT_NE(text.find("[ DirectSound ]\r\nUnknown\r\n\r\n\r\n"), std::string::npos);
  EXPECT_NE(text.find("[ Drive Info ]\r\n [/] Unknown\r\n"), std::string::npos);
  EXPECT_NE(text.find("[ Process ]\r\nError\r\n"), std::string::npos);
  EXPECT_TRUE(fake.askedFullPaths);
}

TEST_F(SystemReportTest, OverlongPiecesAreCutAtACharacterBoundaryKeepingTheLineEnd) {
  // Two ASCII bytes, then two-byte characters: both limits (509 bytes of
  // text before a CR LF, 511 without one) fall in the middle of one.
  std::string longName = "ab";
  while (longName.size() < 700) longName += Sjis("あ");
  fake.processes = std::vector<std::string>{longName, "next"};
  const std::string text = Render([](SystemReport& r) { r.WriteProcesses(false); });
  const std::string head = "\r\n\r\n[ Process ]\r\n";
  ASSERT_EQ(text.substr(0, head.size()), head);
  const size_t end = text.find("\r\n", head.size());
  ASSERT_NE(end, std::string::npos);
  EXPECT_EQ(text.substr(head.size(), end - head.size()), longName.substr(0, 508));
  EXPECT_EQ(text.substr(end + 2), "next\r\n");

  EXPECT_EQ(SystemReport::LimitPiece(longName), longName.substr(0, 510));
  EXPECT_EQ(SystemReport::LimitPiece("a" + longName), "a" + longName.substr(0, 510));
  EXPECT_EQ(SystemReport::LimitPiece("short\r\n"), "short\r\n");
}

TEST_F(SystemReportTest, SoundBlockListsTheMachinesOutputDevices) {
  platform::SetHeadlessAudioDevices({{"Built-in Audio", "pulseaudio"}, {"USB ヘッドセット", "pulseaudio"}});
  EnumSoundDevices();
  EnumSoundDevices();  // a second listing replaces the first
  ASSERT_EQ(SoundDevices().size(), 3u);  // the default output first
  EXPECT_FALSE(SoundDevices()[0].hasIdentifier);
  EXPECT_EQ(SoundDevices()[2].description, Sjis("USB ヘッドセット"));
  EXPECT_EQ(Render([](SystemReport& r) { r.WriteSound(); }),
            Sjis("[ DirectSound ]\r\n<Device 1>\r\nDriver Name: Built-in Audio\r\nDriver File: pulseaudio\r\n"
                 "<Device 2>\r\nDriver Name: USB ヘッドセット\r\nDriver File: pulseaudio\r\n\r\n\r\n"));
}

// Start-up with the report switched on: the blocks in order, with the
// devices as they come up, into the right folder.
class ReportStartupTest : public SystemReportTest {};

TEST_F(ReportStartupTest, StartupWritesTheReportBesideTheGameDataOrIntoTheSaveFolder) {
  ScopedSystemInfoProvider scoped(fake);
  for (bool saveFolderChosen : {false, true}) {
    // A machine of its own for each start (a window class registers once).
    platform::HeadlessBackend machine;
    machine.SetRuntimeFolder(Folder());
    platform::ScopedBackend useMachine(machine);
    const std::string gameFolder = Folder() + "/game" + (saveFolderChosen ? "1" : "0") + "/";
    const std::string saveFolder = Folder() + "/save" + (saveFolderChosen ? "1" : "0");  // no final separator
    std::filesystem::create_directories(gameFolder);
    std::filesystem::create_directories(saveFolder);
    RecordingApp app;
    app.baseFolder = gameFolder;
    app.writeReport = 1;
    app.measureCpuClock = 1;
    app.useDirect3D = 0;
    app.reportInProgramFolder = saveFolderChosen ? 0 : 1;
    app.reportProcessPaths = saveFolderChosen ? 1 : 0;  // processes by path or by name
    app.saveFolder = saveFolderChosen ? saveFolder.c_str() : nullptr;
    app.mainLoop = [](RecordingApp&) {};
    std::vector<int> blocksBeforeDisplay;
    GetStartupHooks().buildBlendTables = [&] { blocksBeforeDisplay = app.Report()->Blocks(); };
    ASSERT_EQ(app.Init(), 0);
    EXPECT_EQ(blocksBeforeDisplay, (std::vector<int>{1, 2, 3, 4, 5}));
    const std::string written = (saveFolderChosen ? saveFolder + "/" : gameFolder) + "SYS_LOG.TXT";
    const std::string other = (saveFolderChosen ? gameFolder : saveFolder + "/") + "SYS_LOG.TXT";
    ASSERT_TRUE(std::filesystem::exists(written)) << written;
    EXPECT_FALSE(std::filesystem::exists(other));
    std::ifstream in(written, std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    size_t at = 0;
    for (const char* mark : {"< Initialize Start...", "[ System ]", "[ CPU ]", "CpuClock: 2.39GHz (4 CPU)",
                             "[ Input Window Message ]", "[ DirectSound ]", "[ FullScreen Mode ]", "< DirectDraw >",
                             "[ Drive Info ]", "[ Application ]", "[ Process ]", "< Initialize Done..."}) {
      size_t found = text.find(mark, at);
      EXPECT_NE(found, std::string::npos) << mark;
      if (found != std::string::npos) at = found;
    }
    EXPECT_EQ(text.find("< Direct3D >"), std::string::npos);  // the settings do not ask for 3D
    EXPECT_EQ(fake.askedFullPaths, saveFolderChosen);
    app.Exit(0);
  }
}

}  // namespace
}  // namespace orrivel::test
