#include "base/SystemReport.h"

#include <cstdarg>
#include <cstdio>

#include "base/SoundDeviceList.h"
#include "base/SystemTextFormat.h"

namespace orrivel {
namespace {

int Mb(uint64_t bytes) { return int(bytes / 1048576); }

const char* TextureFormatLine(int bit) {
  static const char* const kLines[] = {
      "16bpp   RGB    5,5,5\r\n", "16bpp   RGB    5,6,5\r\n", "16bpp  ARGB  1,5,5,5\r\n", "16bpp  ARGB  4,4,4,4\r\n",
      "24bpp   RGB    8,8,8\r\n", "32bpp   RGB    8,8,8\r\n", "32bpp  ARGB  8,8,8,8\r\n",
  };
  return kLines[bit];
}

}  // namespace

bool SystemReport::Open(const std::string& internalPath, SystemInfoProvider* provider) {
  Close();
  blocks_.clear();
  provider_ = provider;
  path_ = internalPath;
  tempPath_ = internalPath + ".tmp";
  file_ = platform::File::Open(tempPath_, platform::File::Access::Write, platform::File::Disposition::CreateAlways);
  return file_.IsOpen();
}

void SystemReport::OpenInMemory(SystemInfoProvider* provider) {
  Close();
  blocks_.clear();
  provider_ = provider;
  inMemory_ = true;
  memory_.clear();
}

void SystemReport::Close() {
  inMemory_ = false;
  if (!file_.IsOpen()) return;
  file_.Flush();
  file_.Close();
  if (!platform::RenameFile(tempPath_, path_)) platform::RemoveFile(tempPath_);
}

SystemInfoProvider& SystemReport::Provider() { return provider_ ? *provider_ : CurrentSystemInfoProvider(); }

std::string SystemReport::LimitPiece(const std::string& piece) {
  if (piece.size() <= kPieceLimit) return piece;
  const bool endsLine = piece.size() >= 2 && piece.compare(piece.size() - 2, 2, "\r\n") == 0;
  if (!endsLine) return CutAtCharacter(piece, kPieceLimit);
  return CutAtCharacter(piece.substr(0, piece.size() - 2), kPieceLimit - 2) + "\r\n";
}

void SystemReport::Put(const std::string& piece) {
  if (!IsOpen()) return;
  const std::string limited = LimitPiece(piece);
  if (inMemory_) memory_ += limited;
  else file_.Write(limited.data(), limited.size());
}

void SystemReport::Printf(const char* utf8Format, ...) {
  if (!IsOpen()) return;
  const std::string format = Cp932Text(utf8Format);
  va_list args;
  va_start(args, utf8Format);
  va_list copy;
  va_copy(copy, args);
  const int needed = std::vsnprintf(nullptr, 0, format.c_str(), copy);
  va_end(copy);
  std::string text;
  if (needed > 0) {
    text.resize(size_t(needed) + 1);
    std::vsnprintf(text.data(), text.size(), format.c_str(), args);
    text.resize(size_t(needed));
  }
  va_end(args);
  Put(text);
}

std::string SystemReport::VersionText(uint8_t major, uint8_t minor, uint8_t revision) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%d.%02d", major, minor);
  std::string text = buffer;
  if (revision) {
    std::snprintf(buffer, sizeof buffer, "%x", revision);
    text += buffer;
  }
  return text;
}

void SystemReport::WriteStamp(const char* utf8Format) {
  platform::LocalTime t = Provider().Now();
  Printf(utf8Format, t.year, t.month, t.day, t.hour, t.minute, t.second);
}

void SystemReport::WriteHead(const std::string& title, uint8_t major, uint8_t minor, uint8_t revision,
                             const std::vector<std::string>& infoLines) {
  Mark(1);
  WriteStamp("< Initialize Start...  %04d/%02d/%02d  %02d:%02d:%02d >\r\n\r\n");
  Printf("「%s」Version %s\r\n", title.c_str(), VersionText(major, minor, revision).c_str());
  for (const std::string& line : infoLines) Printf("%s\r\n", line.c_str());
}

void SystemReport::WriteSystem() {
  Mark(2);
  SystemInfoProvider& provider = Provider();
  const MachineFacts m = provider.Machine();
  Printf("\r\n[ System ]\r\n");
  Printf("OS       : %s (%s)\r\n", m.osName.c_str(), m.osVersion.c_str());
  Printf("Language : %s\r\n", m.language.c_str());
  Printf("Memory   : %dMB (Avail %dMB)\r\n", Mb(m.totalMemory), Mb(m.availableMemory));
  Printf("Display  : ");
  const std::vector<MonitorRecord> monitors = provider.Monitors();
  if (monitors.empty()) {
    Printf("%d x %d  %dbit %dHz (Not MonitorInfo)\r\n", m.screenWidth, m.screenHeight, m.screenDepth,
           m.screenRefresh);
  } else {
    for (size_t i = 0; i < monitors.size(); ++i) {
      const MonitorRecord& r = monitors[i];
      if (i) Printf("\r\n           ");
      Printf("%d x %d  %dbit %dHz%s", r.bounds.Width(), r.bounds.Height(), r.depth, r.refresh,
             r.isPrimary ? " (Primary)" : "");
    }
    Printf("\r\n");
  }
  Printf("DirectX  : ");
  if (m.directXVersion[0] || m.directXVersion[1]) {
    Printf("DirectX %d (%d.%02d.%02d.%04d)", int(m.directXVersion[0] & 0xFFFF), int(m.directXVersion[0] >> 16),
           int(m.directXVersion[0] & 0xFFFF), int(m.directXVersion[1] >> 16), int(m.directXVersion[1] & 0xFFFF));
  } else {
    Printf("Unknown");
  }
  Printf("\r\nPageFile : %dMB (Avail %dMB)", Mb(m.pageFileTotal), Mb(m.pageFileAvailable));
  Printf("\r\nModule   : %s", m.programPath.c_str());
  Printf("\r\nDirectory: %s\r\n\r\n\r\n", m.baseFolder.c_str());
}

void SystemReport::WriteCpu(bool measureClock) {
  Mark(3);
  SystemInfoProvider& provider = Provider();
  const ProcessorInfo& p = provider.Processor();
  Printf("[ CPU ]\r\nName    : ");
  if (p.hasBrand) Printf("%s [ %s ]", p.brand.c_str(), p.name.c_str());
  else Printf("%s", p.name.c_str());
  Printf("\r\nVender  : %s\r\n", p.vendor.c_str());
  Printf("          Type %d / Family %d / Model %d / Stepping %d\r\n", p.type, p.family, p.model, p.stepping);
  if (measureClock) {
    Printf("CpuClock: %s", ClockText(provider.CpuClockMhz()).c_str());
    Printf(" (%d CPU)\r\n", int(provider.Machine().processorCount));
  }
  Printf("Cache   : %s", CacheText(p).c_str());
  Printf("\r\nSupport : FPU %s / TSC %s / CMOV %s\r\n", FeatureMark(p.fpu).c_str(), FeatureMark(p.tsc).c_str(),
         FeatureMark(p.cmov).c_str());
  Printf("          MMX %s / SSE %s / SSE2 %s / SSE3 %s / MMX+ %s / 3DNow! %s / 3DNow!+ %s / HTT %s\r\n\r\n\r\n",
         FeatureMark(p.mmx).c_str(), FeatureMark(p.sse).c_str(), FeatureMark(p.sse2).c_str(),
         FeatureMark(p.sse3).c_str(), FeatureMark(p.mmxPlus).c_str(), FeatureMark(p.amd3dNow).c_str(),
         FeatureMark(p.amd3dNowPlus).c_str(), FeatureMark(p.htt).c_str());
}

void SystemReport::WriteInput(uint8_t method) {
  Mark(4);
  const InputFacts input = Provider().Input();
  switch (method) {
    case 0:
      Printf("[ DirectInput ]\r\n");
      Printf("KeyBoard: %d Key\r\n", int(input.keyboardKeys));
      Printf("Mouse   : %d Axes / %d Button", int(input.mouseAxes), int(input.mouseButtons));
      break;
    case 1:
      Printf("[ Input Windows API ]");
      break;
    default:
      Printf("[ Input Window Message ]");
      break;
  }
  Printf("\r\nJoyStick: ");
  if (input.joystick) {
    const JoystickFacts& j = *input.joystick;
    Printf("No.%d / %s / %d Axes / %d Button", int(j.number), j.name.c_str(), int(j.axes), int(j.buttons));
  } else {
    Printf("None");
  }
  Printf("\r\n\r\n\r\n");
}

void SystemReport::WriteSound() {
  Mark(5);
  Printf("[ DirectSound ]\r\n");
  const std::vector<SoundDeviceRecord>& devices = SoundDevices();
  if (devices.empty()) {
    Printf("Unknown\r\n\r\n\r\n");
    return;
  }
  int number = 0;
  for (const SoundDeviceRecord& d : devices) {
    if (!d.hasIdentifier) continue;
    Printf("<Device %d>\r\n", ++number);
    Printf("Driver Name: %s\r\n", d.description.c_str());
    Printf("Driver File: %s\r\n", d.driverModule.c_str());
  }
  Printf("\r\n\r\n");
}

void SystemReport::WriteDisplay(bool direct3DSetting) {
  Mark(6);
  const DisplayFacts d = Provider().Display();
  if (d.fullScreen) {
    Printf("[ FullScreen Mode ]\r\nDisplay : ");
    if (!d.monitorName.empty()) Printf("%s\r\n          ", d.monitorName.c_str());
    Printf("%d x %d  %dbit\r\n", d.width, d.height, d.depth);
  } else {
    Printf("[ Window Mode ]\r\n");
    Printf("%d x %d  %dbit\r\n", d.width, d.height, d.depth);
  }
  if (d.presentMethod == 0) {
    Printf("< GDI >\r\n\r\n\r\n");
    return;
  }
  Printf("< DirectDraw >\r\n");
  Printf("Driver Name   : %s\r\n", d.driverName.c_str());
  Printf("Driver File   : %s\r\n", d.driverFile.c_str());
  Printf("Driver Version: %d.%d.%d.%d\r\n", d.driverVersion[0], d.driverVersion[1], d.driverVersion[2],
         d.driverVersion[3]);
  Printf("Mode          : %s", d.presentationMode.c_str());
  Printf("\r\nHAL StretchBlt: %s\r\n", FeatureMark(d.halStretch).c_str());
  if (d.videoMemoryKnown) {
    Printf("VideoMemory   : %.3f MB (free: %.3f MB)\r\n", VideoMegabytes(d.videoMemoryTotal),
           VideoMegabytes(d.videoMemoryFree));
  } else {
    Printf("VideoMemory   : Unknown\r\n");
  }
  Printf("Primary       : VRAM[%s]  Caps[0x%08x]\r\n", FeatureMark(d.primaryInVram).c_str(), d.primaryCaps);
  Printf("Secondary     : VRAM[%s]  Caps[0x%08x]\r\n", FeatureMark(d.secondaryInVram).c_str(), d.secondaryCaps);
  Printf("Pixel         : %dbit  Type[0x%04x]  RGB %d%d%d / %08x:%08x:%08x\r\n", d.pixelBits, d.pixelType, d.redBits,
         d.greenBits, d.blueBits, d.redMask, d.greenMask, d.blueMask);
  if (direct3DSetting && d.direct3D) {
    Printf("< Direct3D >\r\n");
    Printf("Device : %s\r\n", d.deviceName.c_str());
    Printf("ZBuffer: %dbit\r\n", d.zBufferBits);
    Printf("\r\n<Support Texture>\r\n");
    for (int bit = 0; bit < 7; ++bit) {
      if (d.textureFormats & (1 << bit)) Printf("%s", TextureFormatLine(bit));
    }
    Printf("\r\nMax Texture Stages: %d\r\n", int(d.maxTextureStages));
    Printf("Min Texture Size  : %d x %d\r\n", int(d.minTextureWidth), int(d.minTextureHeight));
    Printf("Max Texture Size  : %d x %d\r\n\r\n", int(d.maxTextureWidth), int(d.maxTextureHeight));
    Printf("DrawPrimitiveVertex: %s\r\n", FeatureMark(d.drawPrimitiveVertex).c_str());
    Printf("GouraudAlpha       : %s\r\n", FeatureMark(d.gouraudAlpha).c_str());
    Printf("AlphaTest          : %s\r\n", FeatureMark(d.alphaTest).c_str());
    Printf("ZBufferLessHSR     : %s\r\n", FeatureMark(d.zBufferLessHsr).c_str());
    Printf("\r\n<Caps>\r\n");
    Printf("TextureCaps  : 0x%08x\r\n", d.textureCaps);
    Printf("TextureOpCaps: 0x%08x\r\n", d.textureOpCaps);
    Printf("SrcBlendCaps : 0x%08x\r\n", d.srcBlendCaps);
    Printf("DestBlendCaps: 0x%08x\r\n", d.destBlendCaps);
    Printf("\r\n<Texture Limitation>\r\n");
    switch (d.textureLimitation) {
      case 0: Printf("The square of 2\r\n"); break;
      case 1: Printf("No Limitation\r\n"); break;
      default: Printf("Only a square\r\n"); break;
    }
    Printf("\r\n\r\n");
  } else if (d.presentMethod == 2) {
    Printf("< Direct3D >\r\n");
    Printf("Texture       : %d x %d  Type[0x%04x]\r\n", d.textureWidth, d.textureHeight, d.textureType);
    Printf("DirectBlt     : %s\r\n", FeatureMark(d.directBlt).c_str());
  }
  Printf("\r\n\r\n");
}

void SystemReport::WriteDrives() {
  Mark(7);
  SystemInfoProvider& provider = Provider();
  Printf("[ Drive Info ]\r\n");
  const std::string systemFolder = provider.Machine().systemFolder;
  for (const DriveFacts& d : provider.Drives()) {
    Printf(" [%s] ", d.root.c_str());
    switch (d.kind) {
      case platform::DriveKind::Removable: Printf("Removable Drive\r\n"); break;
      case platform::DriveKind::Network: Printf("Network Drive\r\n"); break;
      case platform::DriveKind::CdRom: Printf("CD/DVD-ROM Drive\r\n"); break;
      case platform::DriveKind::RamDisk: Printf("RAM-Disk Drive\r\n"); break;
      case platform::DriveKind::Fixed:
        if (!d.spaceKnown) {
          Printf("Unknown\r\n");
          break;
        }
        Printf("%s / ", GroupedMb(d.freeMb).c_str());
        Printf("%s MB", GroupedMb(d.totalMb).c_str());
        if (d.holdsSystemFolder) Printf(" (%s)", systemFolder.c_str());
        Printf("\r\n");
        break;
      default: Printf("Unknown\r\n"); break;
    }
  }
}

void SystemReport::WriteApplications() {
  Mark(8);
  Printf("\r\n\r\n[ Application ]\r\n");
  auto titles = Provider().WindowTitles();
  if (!titles) return;
  for (const std::string& title : *titles) {
    if (title.empty()) continue;
    Printf("%s\r\n", CutAtCharacter(title, 255).c_str());
  }
}

void SystemReport::WriteProcesses(bool fullPaths) {
  Mark(9);
  Printf("\r\n\r\n[ Process ]\r\n");
  auto processes = Provider().Processes(fullPaths);
  if (!processes) {
    Printf("Error\r\n");
    return;
  }
  for (const std::string& name : *processes) Printf("%s\r\n", name.c_str());
}

void SystemReport::WriteTail() {
  Mark(10);
  WriteStamp("\r\n< Initialize Done...  %04d/%02d/%02d  %02d:%02d:%02d >\r\n");
}

}  // namespace orrivel
