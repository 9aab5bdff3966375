#include "base/SystemInfo.h"

#include <atomic>

#include "base/SoundDeviceList.h"
#include "base/SystemReport.h"
#include "base/SystemTextFormat.h"
#include "platform/SystemFacts.h"

namespace orrivel {
namespace {

int Mb(uint64_t bytes) { return int(bytes / 1048576); }

std::string OnOff(bool on) { return Cp932Text(on ? "有効" : "無効"); }
std::string Uses(bool on) { return Cp932Text(on ? "使用する" : "使用しない"); }

const char* PresentName(uint8_t method) {
  switch (method) {
    case 1: return "DirectDraw";
    case 2: return "Direct3D";
    default: return "GDI";
  }
}

}  // namespace

SystemInfo::SystemInfo(SystemInfoProvider* provider) : provider_(provider) { facts_ = Provider().Machine(); }

SystemInfoProvider& SystemInfo::Provider() { return provider_ ? *provider_ : CurrentSystemInfoProvider(); }

void SystemInfo::ReadScreen() {
  MachineFacts fresh = Provider().Machine();
  facts_.screenWidth = fresh.screenWidth;
  facts_.screenHeight = fresh.screenHeight;
  facts_.screenDepth = fresh.screenDepth;
}

uint16_t SystemInfo::ReadRefreshRate() {
  uint16_t rate = Provider().Machine().screenRefresh;
  facts_.screenRefresh = rate >= 2 ? rate : 0;
  return facts_.screenRefresh;
}

bool SystemInfo::GetDiskSpace(const std::string& rootPath, uint64_t* freeBytes, uint64_t* totalBytes) {
  return platform::GetDiskSpace(rootPath, freeBytes, totalBytes);
}

void SystemInfo::FillText(std::string& text, bool measureClock, const AppInformation& info,
                          const InfoTextSettings& settings) {
  SystemInfoProvider& provider = Provider();
  text.clear();
  const uint32_t clock = measureClock ? provider.CpuClockMhz() : 0;
  if (SoundDevices().empty()) EnumSoundDevices();
  const MachineFacts& m = facts_;
  const ProcessorInfo& p = provider.Processor();
  const DisplayFacts d = provider.Display();
  const InputFacts input = provider.Input();

  // 1. Version.
  text += FormatCp932("「%s」Version %s\r\n", info.title.c_str(),
                      SystemReport::VersionText(info.major, info.minor, info.revision).c_str());
  for (const std::string& line : info.lines) text += FormatCp932("%s\r\n", line.c_str());

  // 2. System.
  text += Cp932Text("\r\n------ システム ------\r\n");
  text += FormatCp932("OS              : %s (%s) %s\r\nDirectX         : ", m.osName.c_str(), m.osVersion.c_str(),
                      m.language.c_str());
  if (m.directXVersion[0] || m.directXVersion[1]) {
    text += FormatCp932("DirectX %d (%d.%02d.%02d.%04d)\r\n", int(m.directXVersion[0] & 0xFFFF),
                        int(m.directXVersion[0] >> 16), int(m.directXVersion[0] & 0xFFFF),
                        int(m.directXVersion[1] >> 16), int(m.directXVersion[1] & 0xFFFF));
  } else {
    text += "Unknown\r\n";
  }
  text += "CPU             : ";
  if (p.hasBrand) text += FormatCp932("%s [ %s ]\r\n", p.brand.c_str(), p.name.c_str());
  else text += FormatCp932("%s\r\n", p.name.c_str());
  text += FormatCp932("メモリ          : %dMB (%dMB 使用可能)\r\n", Mb(m.totalMemory), Mb(m.availableMemory));
  text += Cp932Text("ビデオメモリ    : ");
  if (d.videoMemoryKnown && d.videoFreeKnown) {
    const uint64_t used = d.videoMemoryTotal > d.videoMemoryFree ? d.videoMemoryTotal - d.videoMemoryFree : 0;
    text += FormatCp932("%.3f MB (%.3fMB 使用中 / %.3fMB 使用可能)\r\n", VideoMegabytes(d.videoMemoryTotal),
                        VideoMegabytes(used), VideoMegabytes(d.videoMemoryFree));
  } else if (d.videoMemoryKnown) {
    text += FormatCp932("%.3f MB\r\n", VideoMegabytes(d.videoMemoryTotal));
  } else {
    text += "Unknown\r\n";
  }
  const uint64_t pageUsed = m.pageFileTotal > m.pageFileAvailable ? m.pageFileTotal - m.pageFileAvailable : 0;
  text += FormatCp932("ページファイル  : %dMB 使用中 / %dMB 使用可能\r\n", Mb(pageUsed), Mb(m.pageFileAvailable));
  text += FormatCp932("ディスプレイ    : %dx%d %dbit", m.screenWidth, m.screenHeight, m.screenDepth);
  if (m.screenRefresh) text += FormatCp932(" %dHz", m.screenRefresh);
  text += "\r\n";
  text += FormatCp932("画面更新方法    : %s\r\n", PresentName(d.presentMethod));
  text += FormatCp932("実行ファイル    : %s\r\n作業フォルダ    : ", m.programPath.c_str());
  text += m.baseFolder;
  text += FormatCp932("\r\n高分解能タイマー: %s\r\nフレームスキップ: %s\r\n\r\n", Uses(settings.highResolutionTimer).c_str(),
                      Uses(settings.frameSkip).c_str());

  // 3. Screen mode.
  if (d.fullScreen) {
    text += Cp932Text("------ フルスクリーンモード ------\r\nディスプレイ      : ");
    if (!d.monitorName.empty()) text += FormatCp932("%s\r\n                    ", d.monitorName.c_str());
    text += FormatCp932("%dx%d %dbit\r\n", d.width, d.height, d.depth);
  } else {
    text += Cp932Text("------ ウィンドウモード ------\r\n");
    text += Cp932Text("ディスプレイ    : ");
    const std::vector<MonitorRecord> monitors = provider.Monitors();
    if (monitors.empty()) {
      text += FormatCp932("%dx%d %dbit", m.screenWidth, m.screenHeight, m.screenDepth);
      if (m.screenRefresh) text += FormatCp932(" %dHz", m.screenRefresh);
    }
    for (size_t i = 0; i < monitors.size(); ++i) {
      const MonitorRecord& r = monitors[i];
      if (i) text += "\r\n                  ";
      text += FormatCp932("%dx%d %dbit", r.bounds.Width(), r.bounds.Height(), r.depth);
      if (r.refresh) text += FormatCp932(" %dHz", r.refresh);
      if (r.isPrimary) text += " (Primary)";
    }
    text += "\r\n";
  }

  // 4-5. Surfaces and 3D.
  if (d.presentMethod == 0) {
    text += Cp932Text("GDI描画\r\n\r\n");
  } else {
    text += "< DirectDraw >\r\n";
    text += Cp932Text("ビデオカード      : ") + d.driverName;
    text += Cp932Text("\r\nドライバファイル  : ") + d.driverFile;
    text += FormatCp932("\r\nドライバ Version  : %d.%d.%d.%d\r\n動作モード        : ", d.driverVersion[0],
                        d.driverVersion[1], d.driverVersion[2], d.driverVersion[3]);
    text += d.presentationMode;
    text += FormatCp932("\r\nハードウェア拡縮  : %s\r\n", OnOff(d.halStretch).c_str());
    const std::string vram = "VRAM";
    const std::string system = Cp932Text("システムメモリ");
    text += FormatCp932("プライマリバッファ: %s / Caps[0x%08x]\r\n", (d.primaryInVram ? vram : system).c_str(),
                        d.primaryCaps);
    text += FormatCp932("バックバッファ    : %s / Caps[0x%08x]\r\n", (d.secondaryInVram ? vram : system).c_str(),
                        d.secondaryCaps);
    text += FormatCp932("ピクセル情報      : %dbit Type[0x%04x] RGB%d%d%d/%08x:%08x:%08x\r\n", d.pixelBits,
                        d.pixelType, d.redBits, d.greenBits, d.blueBits, d.redMask, d.greenMask, d.blueMask);
    text += FormatCp932("VSync待ち描画     : %s\r\n", Uses(d.vsync).c_str());
    text += FormatCp932("DirectDraw Flip   : %s\r\n", Uses(d.flip).c_str());
    if (d.direct3D) {
      text += FormatCp932("------ Direct3D ------\r\n動作モード            : %s\r\n", d.direct3DMode.c_str());
      text += FormatCp932(
          "αブレンディング      : %s\r\nグーローαブレンド    : %s\r\nαテスト              : %s\r\n"
          "隠れサーフェスの除去  : %s\r\n",
          OnOff(d.alphaBlending).c_str(), OnOff(d.gouraudAlpha).c_str(), OnOff(d.alphaTest).c_str(),
          OnOff(d.zBufferLessHsr).c_str());
      text += FormatCp932(
          "最大テクスチャステージ: %d\r\n最小テクスチャサイズ  : %d x %d\r\n最大テクスチャサイズ  : %d x %d\r\n",
          int(d.maxTextureStages), int(d.minTextureWidth), int(d.minTextureHeight), int(d.maxTextureWidth),
          int(d.maxTextureHeight));
      text += FormatCp932("テクスチャ能力        : 0x%08x\r\n", d.textureCaps);
      text += FormatCp932("テクスチャ演算能力    : 0x%08x\r\n", d.textureOpCaps);
      text += FormatCp932("ソースブレンド能力    : 0x%08x\r\n", d.srcBlendCaps);
      text += FormatCp932("デストブレンド能力    : 0x%08x\r\n", d.destBlendCaps);
      text += Cp932Text("テクスチャサイズ制限  : ");
      switch (d.textureLimitation) {
        case 0: text += Cp932Text("幅と高さは2の二乗"); break;
        case 1: text += Cp932Text("特定条件下で制限なし"); break;
        default: text += Cp932Text("正方形のみ"); break;
      }
      text += Cp932Text("\r\n<サポートテクスチャフォーマット>\r\n");
      static const char* const kFormats[] = {
          "  16bpp   RGB    5,5,5\r\n", "  16bpp   RGB    5,6,5\r\n", "  16bpp  ARGB  1,5,5,5\r\n",
          "  16bpp  ARGB  4,4,4,4\r\n", "  24bpp   RGB    8,8,8\r\n", "  32bpp   RGB    8,8,8\r\n",
          "  32bpp  ARGB  8,8,8,8\r\n",
      };
      for (int bit = 0; bit < 7; ++bit) {
        if (d.textureFormats & (1 << bit)) text += kFormats[bit];
      }
    }
    if (d.presentMethod == 2) {
      text += "< Direct3D >\r\n";
      text += FormatCp932("テクスチャ        : %dx%d Type[0x%04x]\r\n", d.textureWidth, d.textureHeight,
                          d.textureType);
      text += FormatCp932("テクスチャ直接転送: %s\r\n", Uses(d.directBlt).c_str());
    }
  }

  // 6. Processor.
  text += Cp932Text("------ CPU ------\r\nCPU情報    : ");
  if (p.hasBrand) text += FormatCp932("%s [ %s ]\r\n", p.brand.c_str(), p.name.c_str());
  else text += FormatCp932("%s\r\n", p.name.c_str());
  text += FormatCp932("             Vender %s / Type %d / Family %d / Model %d / Stepping %d\r\n", p.vendor.c_str(),
                      p.type, p.family, p.model, p.stepping);
  text += FormatCp932("CPUクロック: %s (%d CPU)\r\nキャッシュ : ", ClockText(clock).c_str(), int(m.processorCount));
  text += CacheText(p);
  text += FormatCp932(
      "\r\n拡張機能   : FPU %s / TSC %s / CMOV %s\r\n             MMX %s / SSE %s / SSE2 %s / SSE3 %s\r\n"
      "             MMX+ %s / 3DNow! %s / 3DNow!+ %s / HTT %s\r\n\r\n",
      FeatureMark(p.fpu).c_str(), FeatureMark(p.tsc).c_str(), FeatureMark(p.cmov).c_str(), FeatureMark(p.mmx).c_str(),
      FeatureMark(p.sse).c_str(), FeatureMark(p.sse2).c_str(), FeatureMark(p.sse3).c_str(),
      FeatureMark(p.mmxPlus).c_str(), FeatureMark(p.amd3dNow).c_str(), FeatureMark(p.amd3dNowPlus).c_str(),
      FeatureMark(p.htt).c_str());

  // 7. Sound.
  text += "----- DirectSound -----\r\n";
  text += FormatCp932("DirectSound状態 : %s\r\n", OnOff(settings.soundActive).c_str());
  int soundCount = 0;
  std::string firstSound;
  for (const SoundDeviceRecord& s : SoundDevices()) {
    if (!s.hasIdentifier) continue;
    if (soundCount++ == 0) firstSound = s.description;
    text += FormatCp932("サウンドカード  : %s\r\nドライバファイル: %s\r\n", s.description.c_str(),
                        s.driverModule.c_str());
  }
  if (soundCount > 1) text += Cp932Text("※複数のサウンドデバイスが接続されています。\r\n");
  if (soundCount == 0) text += Cp932Text("利用できません\r\n");

  // 8. Input.
  text += Cp932Text("\r\n----- 入力デバイス -----\r\n入力検知方式    : ");
  switch (input.method) {
    case 0:
      text += FormatCp932("DirectInput\r\nキーボード      : %d キー\r\n", int(input.keyboardKeys));
      text += FormatCp932("マウス          : %d 軸 / %d ボタン\r\n", int(input.mouseAxes), int(input.mouseButtons));
      break;
    case 1: text += "Windows API\r\n"; break;
    default: text += "Window Message\r\n"; break;
  }
  std::string joystick = Cp932Text("不明");
  if (input.joystick) {
    const JoystickFacts& j = *input.joystick;
    joystick = FormatCp932("No.%d / %s / %d 軸 / %d ボタン", int(j.number), j.name.c_str(), int(j.axes),
                           int(j.buttons));
  }
  text += FormatCp932("ジョイスティック: %s\r\n\r\n----- ドライブ情報 -----\r\n", joystick.c_str());

  // 9. Drives.
  for (const DriveFacts& drive : provider.Drives()) {
    text += FormatCp932(" [%s] ", drive.root.c_str());
    switch (drive.kind) {
      case platform::DriveKind::Removable: text += Cp932Text("リムーバブルドライブ"); break;
      case platform::DriveKind::Network: text += Cp932Text("ネットワークドライブ"); break;
      case platform::DriveKind::CdRom: text += Cp932Text("CD/DVD-ROM ドライブ"); break;
      case platform::DriveKind::RamDisk: text += Cp932Text("RAM-DISK ドライブ"); break;
      case platform::DriveKind::Fixed:
        if (!drive.spaceKnown) {
          text += Cp932Text("不明");
          break;
        }
        text += DriveSpaceText(drive.freeMb, drive.totalMb);
        if (drive.holdsSystemFolder) text += FormatCp932(" (%s)", m.systemFolder.c_str());
        break;
      default: text += Cp932Text("不明"); break;
    }
    text += "\r\n";
  }

  // 10. Processes.
  text += Cp932Text("\r\n----- プロセス -----\r\n");
  if (auto processes = provider.Processes(false)) {
    for (const std::string& name : *processes) text += name + "\r\n";
  } else {
    text += Cp932Text("スナップショットの作成に失敗\r\n");
  }

  // 11. Device summary.
  text += Cp932Text("------ デバイス ------");
  text += Cp932Text("\r\nビデオカード    : ") + (d.driverName.empty() ? Cp932Text("不明") : d.driverName);
  text += Cp932Text("\r\nサウンドカード  : ") + (firstSound.empty() ? Cp932Text("不明") : firstSound);
  text += "\r\nDirectDraw      : ";
  if (d.initialised) {
    text += FormatCp932("%s\r\n", OnOff(d.presentMethod != 0).c_str());
    text += FormatCp932("Direct3D        : %s\r\n", OnOff(d.direct3D || d.presentMethod == 2).c_str());
    text += FormatCp932("VSync待ち描画   : %s\r\n", Uses(d.vsync).c_str());
    text += FormatCp932("DirectDraw Flip : %s\r\n", Uses(d.flip).c_str());
  } else {
    text += Cp932Text("未初期化\r\n");
  }
  text += FormatCp932("DirectSound     : %s\r\n", OnOff(settings.soundActive).c_str());
  text += FormatCp932("DirectInput     : %s\r\n", OnOff(input.method == 0).c_str());
  text += FormatCp932("ジョイスティック: %s\r\n", OnOff(input.joystick.has_value()).c_str());
  text += FormatCp932("MMX命令         : %s\r\n", Uses(p.mmx).c_str());
  text += FormatCp932("SSE命令         : %s\r\n", Uses(p.sse).c_str());
}

namespace {
std::atomic<bool> g_ntFamily{false};
}  // namespace

void SetNtFamilyFlag(bool ntFamily) { g_ntFamily = ntFamily; }

bool NtFamilyFlag() { return g_ntFamily; }

}  // namespace orrivel
