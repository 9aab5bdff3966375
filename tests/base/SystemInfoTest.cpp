// The information dialog's text from a described machine against a golden
// file, and the variants of its display, sound and device pieces.
#include "base/SystemInfo.h"

#include <gtest/gtest.h>

#include "base/AppTestSupport.h"
#include "base/FakeSystemInfo.h"
#include "base/SoundDeviceList.h"
#include "platform/AudioDevices.h"

namespace orrivel::test {
namespace {

class SystemInfoTest : public HeadlessTest {
 protected:
  SystemInfoTest() {
    info.title = Sjis("テストゲーム");
    info.major = 2;
    info.minor = 5;
    info.lines = {"Orrivel"};
  }
  ~SystemInfoTest() override {
    FreeSoundDeviceList();
    platform::SetHeadlessAudioDevices({});
  }

  std::string Fill(bool measureClock = true) {
    SystemInfo system(&fake);
    std::string text = "old contents";
    system.FillText(text, measureClock, info, settings);
    return text;
  }

  static bool Has(const std::string& text, const char* utf8) {
    return text.find(platform::Utf8ToCp932Lossy(utf8)) != std::string::npos;
  }

  FakeSystemInfo fake;
  AppInformation info;
  InfoTextSettings settings{true, false, true};
};

TEST_F(SystemInfoTest, WholeTextMatchesGolden) {
  fake.display.fullScreen = false;
  SoundDevices() = {SoundDeviceRecord{true, "Built-in Audio Analog Stereo", "pulseaudio"},
                    SoundDeviceRecord{true, "HDMI Output", "pulseaudio"}};
  const std::string text = Fill();
  EXPECT_TRUE(MatchesGolden(text, "INFO_TEXT.TXT"));
  for (const char* piece : {
           "「テストゲーム」Version 2.05\r\nOrrivel\r\n\r\n------ システム ------\r\n",
           "OS              : Linux (6.1.0-18-amd64) ja_JP.UTF-8\r\nDirectX         : DirectX 9 (4.09.00.0904)\r\n",
           "メモリ          : 8192MB (5120MB 使用可能)\r\n",
           "ビデオメモリ    : 64.000 MB (15.500MB 使用中 / 48.500MB 使用可能)\r\n",
           "ページファイル  : 512MB 使用中 / 1536MB 使用可能\r\n",
           "ディスプレイ    : 1920x1080 32bit 60Hz\r\n画面更新方法    : DirectDraw\r\n",
           "\r\n高分解能タイマー: 使用する\r\nフレームスキップ: 使用しない\r\n\r\n",
           "------ ウィンドウモード ------\r\nディスプレイ    : 1920x1080 32bit 60Hz (Primary)\r\n"
           "                  1280x1024 16bit 75Hz\r\n",
           "ピクセル情報      : 32bit Type[0x0016] RGB888/00ff0000:0000ff00:000000ff\r\n",
           "テクスチャサイズ制限  : 幅と高さは2の二乗\r\n<サポートテクスチャフォーマット>\r\n  16bpp   RGB    5,5,5\r\n",
           "CPUクロック: 2.39GHz (4 CPU)\r\nキャッシュ : L1 T-Cache 12KμOPs / L1 D-Cache 8KB / L2 Cache 512KB\r\n",
           "※複数のサウンドデバイスが接続されています。\r\n",
           "ジョイスティック: No.1 / Gamepad F310 / 6 軸 / 10 ボタン\r\n\r\n----- ドライブ情報 -----\r\n",
           " [/]   1,234,567 /   2,345,678 MB (/usr)\r\n [/home]      12,345 /      98,765 MB\r\n",
           " [/media/usb] リムーバブルドライブ\r\n",
           " [/mnt/odd] 不明\r\n\r\n----- プロセス -----\r\nsystemd\r\n",
           "------ デバイス ------\r\nビデオカード    : Soft Surface\r\nサウンドカード  : Built-in Audio Analog Stereo\r\n"
           "DirectDraw      : 有効\r\nDirect3D        : 有効\r\n",
           "MMX命令         : 使用する\r\nSSE命令         : 使用する\r\n",
       }) {
    EXPECT_TRUE(Has(text, piece)) << piece;
  }
  EXPECT_EQ(text.find("old contents"), std::string::npos);
}

TEST_F(SystemInfoTest, MissingSourcesAndTheGdiScreen) {
  fake.display = DisplayFacts{};  // no screen device yet: drawn without surfaces
  fake.display.fullScreen = true;
  fake.display.width = 640;
  fake.display.height = 480;
  fake.display.depth = 16;
  fake.input.method = 2;
  fake.input.joystick.reset();
  fake.processes.reset();
  fake.processor.hasBrand = false;
  // The sound list is empty and the machine has no devices.
  const std::string text = Fill(false);
  EXPECT_EQ(fake.clockReads, 0);
  EXPECT_TRUE(Has(text, "CPU             : Intel Pentium 4(Northwood)\r\n"));
  EXPECT_TRUE(Has(text, "ビデオメモリ    : Unknown\r\n"));
  EXPECT_TRUE(Has(text, "画面更新方法    : GDI\r\n"));
  EXPECT_TRUE(Has(text, "------ フルスクリーンモード ------\r\nディスプレイ      : 640x480 16bit\r\nGDI描画\r\n\r\n------ CPU ------\r\n"));
  EXPECT_TRUE(Has(text, "CPUクロック: ？？MHz (4 CPU)\r\n"));
  EXPECT_TRUE(Has(text, "DirectSound状態 : 有効\r\n利用できません\r\n"));
  EXPECT_TRUE(Has(text, "入力検知方式    : Window Message\r\nジョイスティック: 不明\r\n"));
  EXPECT_TRUE(Has(text, "スナップショットの作成に失敗\r\n------ デバイス ------\r\nビデオカード    : 不明\r\nサウンドカード  : 不明\r\n"
                        "DirectDraw      : 未初期化\r\nDirectSound     : 有効\r\nDirectInput     : 無効\r\nジョイスティック: 無効\r\n"));
}

TEST_F(SystemInfoTest, SoundDevicesAreListedWhenTheListIsEmpty) {
  platform::SetHeadlessAudioDevices({{"Built-in Audio", "pulseaudio"}});
  const std::string text = Fill();
  EXPECT_TRUE(Has(text, "サウンドカード  : Built-in Audio\r\nドライバファイル: pulseaudio\r\n\r\n"));
  EXPECT_FALSE(Has(text, "※複数"));
  EXPECT_EQ(SoundDevices().size(), 2u);  // the default output and the device
}

TEST_F(SystemInfoTest, FullScreenTextureAndDeviceTables) {
  fake.display.direct3D = false;
  fake.display.presentMethod = 2;
  fake.display.textureWidth = 1024;
  fake.display.textureHeight = 1024;
  fake.display.textureType = 0x0016;
  fake.display.videoFreeKnown = false;
  const std::string text = Fill();
  EXPECT_TRUE(Has(text, "------ フルスクリーンモード ------\r\nディスプレイ      : 汎用モニター\r\n                    800x600 32bit\r\n"));
  EXPECT_TRUE(Has(text, "ビデオメモリ    : 64.000 MB\r\n"));
  EXPECT_TRUE(Has(text, "画面更新方法    : Direct3D\r\n"));
  EXPECT_TRUE(Has(text, "DirectDraw Flip   : 使用する\r\n< Direct3D >\r\nテクスチャ        : 1024x1024 Type[0x0016]\r\n"
                        "テクスチャ直接転送: 使用しない\r\n------ CPU ------\r\n"));
  EXPECT_FALSE(Has(text, "------ Direct3D ------"));
}

}  // namespace
}  // namespace orrivel::test
