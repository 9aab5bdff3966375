#include "base/ProcessorInfo.h"

#include <cstdio>
#include <cstring>

#include "platform/Cpuid.h"

namespace orrivel {

namespace {

ProcessorInfo g_processor;

bool Bit(uint32_t value, int bit) { return ((value >> bit) & 1) != 0; }

std::string RegisterText(uint32_t value) {
  std::string s(4, '\0');
  for (int i = 0; i < 4; ++i) s[size_t(i)] = char((value >> (8 * i)) & 0xFF);
  return s;
}

// What identification reads beside the record itself.
struct Leaves {
  uint32_t maxLeaf = 0;
  uint32_t maxExtended = 0;
  platform::CpuidRegisters leaf1;
  platform::CpuidRegisters ext1;  // 0x80000001
  uint8_t extendedFamily = 0;
  uint8_t brandIndex = 0;  // leaf 1 EBX bits 0-7
};

// Cache sizes named by the descriptor bytes of leaf 2.
void ApplyIntelDescriptor(ProcessorInfo& p, uint8_t d) {
  switch (d) {
    case 0x06: p.l1Code = 8; break;
    case 0x08: case 0x15: case 0x77: p.l1Code = 16; break;
    case 0x0A: case 0x66: p.l1Data = 8; break;
    case 0x0C: case 0x10: case 0x67: p.l1Data = 16; break;
    case 0x2C: case 0x68: p.l1Data = 32; break;
    case 0x30: p.l1Code = 32; break;
    case 0x70: p.traceCache = 12; break;
    case 0x71: p.traceCache = 16; break;
    case 0x72: p.traceCache = 32; break;
    case 0x1A: p.l2 = 96; break;
    case 0x39: case 0x3B: case 0x41: case 0x79: case 0x81: p.l2 = 128; break;
    case 0x3C: case 0x42: case 0x7A: case 0x7E: case 0x82: p.l2 = 256; break;
    case 0x43: case 0x7B: case 0x83: case 0x86: p.l2 = 512; break;
    case 0x44: case 0x7C: case 0x84: case 0x87: p.l2 = 1024; break;
    case 0x45: case 0x85: p.l2 = 2048; break;
    case 0x22: p.l3 = 512; break;
    case 0x23: p.l3 = 1024; break;
    case 0x25: case 0x88: p.l3 = 2048; break;
    case 0x29: case 0x89: p.l3 = 4096; break;
    case 0x8A: p.l3 = 8192; break;
    case 0x8D: p.l3 = 3072; break;  // 3 MB
    case 0x40:
      if (p.family == 15) {
        p.l3 = 0;
      } else {
        p.l2 = 0;
      }
      break;
    default: break;
  }
}

void ReadCaches(ProcessorInfo& p, const Leaves& leaves, platform::CpuidSource& cpu) {
  if (p.vendor == "GenuineIntel") {
    if (leaves.maxLeaf < 2) return;
    const platform::CpuidRegisters r = cpu.Query(2);
    const uint32_t regs[4] = {r.eax, r.ebx, r.ecx, r.edx};
    for (int i = 0; i < 4; ++i) {
      if (Bit(regs[i], 31)) continue;  // the register holds no descriptors
      for (int b = (i == 0 ? 1 : 0); b < 4; ++b) ApplyIntelDescriptor(p, uint8_t(regs[i] >> (8 * b)));
    }
    return;
  }
  if (p.family == 5) {
    const uint32_t size = (p.model == 4 || p.model == 8) ? 16 : 8;
    p.l1Code = p.l1Data = size;
    return;
  }
  if (leaves.maxExtended >= 0x80000005u) {
    const platform::CpuidRegisters r = cpu.Query(0x80000005u);
    p.l1Data = r.ecx >> 24;
    p.l1Code = r.edx >> 24;
  }
  if (leaves.maxExtended >= 0x80000006u) {
    const platform::CpuidRegisters r = cpu.Query(0x80000006u);
    p.l2 = r.ecx >> 16;
    if (p.vendor == "CentaurHauls" && p.family == 6 && (p.model == 7 || p.model == 8)) p.l2 = r.ecx >> 24;
  }
  if (p.vendor == "AuthenticAMD" && p.family == 6) {
    if (p.model == 3 && p.stepping == 0) p.l2 = 64;
    if (p.model == 4 && p.stepping <= 1) p.l2 = 256;
  }
}

std::string IntelName(const ProcessorInfo& p, const Leaves& l) {
  const uint8_t m = p.model;
  const uint8_t brand = l.brandIndex;
  switch (p.family) {
    case 3:
      switch (m) {
        case 0: return "386DX";
        case 2: return "386SX/CX/EX";
        case 4: return "386SL";
        default: return "RapidCAD coprocessor";
      }
    case 4:
      switch (m) {
        case 0: case 1: return "486DX";
        case 2: return "486SX";
        case 3: return "486DX2";
        case 4: return "486SL";
        case 7: return "LightbackEnhanced DX2";
        case 8: case 9: return "486DX4(WB)";
        default: return "486 Family(Unknown)";
      }
    case 5:
      if (p.type == 1) {
        switch (m) {
          case 1: case 2: return "Pentium(P5 ODP)";
          case 3: return "Pentium(DX4 ODP)";
          case 4: return "Pentium MMX ODP";
          default: return "Pentium ODP";
        }
      }
      switch (m) {
        case 0: case 1: case 2: return "Pentium";
        case 3: return "Pentium(DX4 ODP)";
        case 4: return "Pentium with MMX(P55C)";
        case 7: return "Mobile Pentium(P54C)";
        case 8: return "Mobile Pentium MMX(low voltage P55)";
        default: return "Pentium Family(Unknown)";
      }
    case 6:
      switch (m) {
        case 0: return "Pentium Pro(A-step sample)";
        case 1: return "Pentium Pro";
        case 3: return p.type == 1 ? "Pentium II OverDrive" : "Pentium II(Klamath)";
        case 5:
          if (p.l2 == 0) return "Celeron(Convington)";
          if (p.l2 >= 1024) return "Pentium II Xeon(Deschutes)";
          return "Pentium II(Deschutes)";
        case 6:
          if (p.l2 == 0) return "Celeron(Convinton)";
          if (p.stepping == 10) return p.l2 == 128 ? "Mobile Celeron(Dixon-128K)" : "Mobile Pentium II(Dixon)";
          return "Celeron(Mendocino)";
        case 7: return p.l2 >= 1024 ? "Pentium III Xeon(Tanner)" : "Pentium III(Katmai)";
        case 8:
          if (p.l2 == 128) return "Celeron(Coppermine-128K)";
          if (brand == 3 || p.l2 >= 1024) return "Pentium III Xeon(Cascades)";
          return "Pentium III(Coppermine)";
        case 9: return p.l2 >= 1024 ? "Mobile Pentium M(Banias)" : "Mobile Celeron(Banias)";
        case 10: return "Pentium III Xeon(Cascades)";
        case 11:
          switch (brand) {
            case 3: return "Celeron(Tualatin)";
            case 4: return "Pentium III-S(Tualatin)";
            case 6: return "Mobile Pentium III-M(Tualatin)";
            case 7: return "Mobile Celeron(Tualatin)";
            default: return p.l2 == 256 && !p.hasBrand ? "Celeron(Tualatin)" : "Pentium III(Tualatin)";
          }
        case 13: return "Mobile Pentium M(Dothan)";
        default: return "P6 Family(Unknown)";
      }
    case 7:
      return "Itanium(Merced)";
    case 15:
      if (l.extendedFamily == 1) return "Itanium 2(McKinley)";
      switch (m) {
        case 0: case 1:
          if (brand == 0x0B) return p.l3 > 0 ? "Xeon MP(Foster MP)" : "Xeon(Foster)";
          if (brand == 0x0E) return "Xeon(Foster)";
          if (brand == 0x0A || p.l2 == 128) return "Celeron(Willamette-128K)";
          return "Pentium 4(Willamette)";
        case 2:
          if (p.l3 > 0) {
            if (brand == 0x0C) return "Xeon MP(Gallatin)";
            if (brand == 0x0B) return "Xeon(Gallatin)";
            return "Pentium 4 Extreme Edition(Gallatin)";
          }
          if (brand == 0x0B || brand == 0x0C) return "Xeon(Prestonia)";
          if (brand == 0x0F) return "Mobile Celeron(Northwood-256K)";
          if (brand == 0x13) return "Mobile Celeron(Northwood-128K)";
          if (brand == 0x17) return "Mobile Pentium 4-M ES(Northwood)";
          if (brand == 0x0E) return p.htt ? "Mobile Pentium 4 HT(Northwood)" : "Mobile Pentium 4-M(Northwood)";
          if (brand == 0x0A || p.l2 == 128) return "Celeron(Northwood-128K)";
          return p.htt ? "Pentium 4 HT(Northwood)" : "Pentium 4(Northwood)";
        case 3: case 4:
          return "Pentium 4 HT(Prescott)";
        default:
          return "Pentium 4 Family(Unknown)";
      }
    default:
      return "";
  }
}

std::string AmdHammerName(const ProcessorInfo& p, const Leaves& l) {
  if (!p.longMode) return "Athlon XP(Paris)";
  const uint32_t brandId = l.ext1.ebx & 0xFFF;
  const int high = int(brandId >> 8);
  const int low = int(brandId & 0xFF);
  char text[64];
  switch (high) {
    case 0: std::snprintf(text, sizeof text, "Engineering Sample %d", low); break;
    case 1: std::snprintf(text, sizeof text, "Athlon 64 %d00+", low + 22); break;
    case 2: std::snprintf(text, sizeof text, "Mobile Athlon 64 %d00+", low + 22); break;
    case 3: std::snprintf(text, sizeof text, "Opteron UP 1%d", 2 * low + 38); break;
    case 4: std::snprintf(text, sizeof text, "Opteron DP 2%d", 2 * low + 38); break;
    case 5: std::snprintf(text, sizeof text, "Opteron MP 8%d", 2 * low + 38); break;
    case 9: std::snprintf(text, sizeof text, "Athlon 64 FX-%d", low + 24); break;
    default: std::snprintf(text, sizeof text, "Hammer"); break;
  }
  std::string name = text;
  if (p.model < 4) {
    name += "(ClawHammer)";
  } else if (p.model == 5) {
    name += "(SledgeHammer)";
  } else {
    name += "(Unknown)";
  }
  return name;
}

std::string AmdName(const ProcessorInfo& p, const Leaves& l) {
  const uint8_t m = p.model;
  switch (p.family) {
    case 4:
      switch (m) {
        case 3: return "486DX2/DX4 (2xWT)";
        case 7: return "486DX2/DX2 (2xWB)";
        case 8: return "486DX4/5x86 (3xWT)";
        case 9: return "486DX4 SV8B (3xWB)";
        case 14: return "5x86 (4xWT)";
        case 15: return "5x86 (4xWB)";
        default: return "";
      }
    case 5:
      switch (m) {
        case 6: case 7: return "K6 Family(Unknown)";
        case 8: return "K6-2(Chompers)";
        case 9: return "K6-III(Sharptooth)";
        case 13: return p.l2 >= 256 ? "K6-III+" : "K6-2+";
        default: return "K5/K6 Family(Unknown)";
      }
    case 6:
      switch (m) {
        case 1: return "Athlon(K7)";
        case 2: return "Athlon(K75)";
        case 3: return "Duron(Spitfire)";
        case 4: return "Athlon(ThunderBird)";
        case 6:
          if (p.mobile) return p.l2 == 64 ? "Mobile Duron(Palomino)" : "Mobile Athlon 4(Palomino)";
          if (p.l2 == 64) return "Duron(Palomino)";
          if (p.multiprocessor) return p.brand.find("XP") != std::string::npos ? "Athlon XP/MP(Palomino)" : "Athlon MP(Palomino)";
          return "Athlon XP(Palomino)";
        case 7: return p.mobile ? "Mobile Duron(Morgan)" : "Duron(Morgan)";
        case 8:
          if (p.l2 == 64) return "Duron(Applebred)";
          if (p.mobile) return "Mobile Athlon XP-M(Thoroughbred)";
          return p.multiprocessor ? "Athlon MP(Thoroughbred)" : "Athlon XP(Thoroughbred)";
        case 10:
          if (p.mobile) return "Mobile Athlon XP-M(Barton)";
          if (p.multiprocessor) return "Athlon MP(Barton)";
          return p.l2 == 256 ? "Athlon XP(Thorton)" : "Athlon XP(Barton)";
        default: return "Athlon Family(Unknown)";
      }
    case 15:
      return AmdHammerName(p, l);
    default:
      return "";
  }
}

std::string UmcName(const ProcessorInfo& p) {
  if (p.family != 4) return "Unknown Family";
  switch (p.model) {
    case 1: return "U5D (486DX)";
    case 2: return "U5S (486SX)";
    default: return "486 Family(Unknown)";
  }
}

std::string CyrixName(const ProcessorInfo& p) {
  switch (p.family) {
    case 4:
      if (p.model == 4) return "MediaGX/GXm/GXi";
      if (p.model == 9) return "5x86";
      return "5x86 Family(Unknown)";
    case 5:
      if (p.model == 2) return "6x86 / 6x86L";
      if (p.model == 4) return "MediaGX-MMX";
      return "6x86 Family(Unknown)";
    case 6:
      if (p.model == 0) return "6x86MX / M-II";
      if (p.model == 5) return "VIA Cyrix III(Joshua)";
      return "6x86MX / M-II Family(Unknown)";
    default:
      return "Unknown Family";
  }
}

std::string NexGenName(const ProcessorInfo& p) {
  if (p.family == 5) return "Nx586";
  if (p.family == 6) return "Nx686";
  return "Unknown Family";
}

std::string CentaurName(const ProcessorInfo& p) {
  if (p.family == 5) {
    switch (p.model) {
      case 4: return "WinChip C6";
      case 8:
        if (p.stepping >= 10) return "WinChip 2B";
        if (p.stepping >= 7) return "WinChip 2A";
        return "WinChip 2";
      case 9: return "WinChip 3";
      default: return "IDT C6 Family(Unknown)";
    }
  }
  if (p.family == 6) {
    switch (p.model) {
      case 6: return "VIA Cyrix III(Samuel)";
      case 7: return p.stepping < 8 ? "VIA C3(Samuel2)" : "VIA C3(Ezra)";
      case 8: return "VIA C3(Ezra-T)";
      case 9: return "VIA C3(Nehemiah)";
      default: return "VIA C3 Family(Unknown)";
    }
  }
  return "";
}

std::string RiseName(const ProcessorInfo& p) {
  if (p.family == 5 && (p.model == 0 || p.model == 2)) return "mP6(iDragon)";
  if (p.family == 5 && (p.model == 8 || p.model == 9)) return "mP6(iDragon II)";
  return "mP6 Family(Unknown)";
}

std::string TransmetaName(const ProcessorInfo& p) {
  if (p.family == 15) return "Efficeon (Astro, TM8000)";
  if (p.family != 5) return "Unknown Family";
  for (const char* part : {"TM3200", "TM5400", "TM5500", "TM5600", "TM5800"}) {
    if (p.brand.find(part) != std::string::npos) return std::string("Crusoe ") + part;
  }
  if (p.l2 == 0) return "Crusoe TM3200";
  return p.l2 >= 512 ? "Crusoe TM5600" : "Crusoe TM5400";
}

std::string SisName(const ProcessorInfo& p) { return p.family == 5 ? "55x" : "Unknown Family"; }

std::string NscName(const ProcessorInfo& p) {
  if (p.family != 5) return "Unknown Family";
  return p.model == 4 ? "Geode GXM/GXLV/GX1" : "Geode CPU(Unknown)";
}

const char* ProcessorTypeName(uint32_t type) {
  switch (type) {
    case 386: return "Intel 386";
    case 486: return "Intel 486";
    case 103: return "SH3";
    case 104: return "SH4";
    case 601: return "PowerPC 601";
    case 603: return "PowerPC 603";
    case 604: return "PowerPC 604";
    case 620: return "PowerPC 620";
    case 1824: return "ARM 720";
    case 2000: return "MIPS R2000";
    case 2080: return "ARM 820";
    case 2336: return "ARM 920";
    case 2577: return "StrongARM";
    case 3000: return "MIPS R3000";
    case 4000: return "MIPS R4000";
    case 10003: return "HITACHI SH3";
    case 10004: return "HITACHI SH3E";
    case 10005: return "HITACHI SH4";
    case 21064: return "Alpha 21064";
    case 21066: return "Alpha 21066";
    case 21164: return "Alpha 21164";
    case 70001: return "ARM 7TDMI";
    default: return nullptr;
  }
}

std::string TableName(const ProcessorInfo& p, const Leaves& l, platform::CpuidSource& cpu) {
  const std::string& v = p.vendor;
  if (v == "GenuineIntel") return "Intel " + IntelName(p, l);
  if (v == "AuthenticAMD") return "AMD " + AmdName(p, l);
  if (v == "UMC UMC UMC ") return "UMC " + UmcName(p);
  if (v == "CyrixInstead") return "Cyrix " + CyrixName(p);
  if (v == "NexGenDriven") return "NexGen " + NexGenName(p);
  if (v == "CentaurHauls") return "Centaur " + CentaurName(p);
  if (v == "RiseRiseRise") return "Rise " + RiseName(p);
  if (v == "GenuineTMx86") {
    cpu.Query(0x80860000u);
    cpu.Query(0x80860001u);
    return "Transmeta " + TransmetaName(p);
  }
  if (v == "SiS SiS SiS ") return "SiS " + SisName(p);
  if (v == "Geode by NSC") return "NSC " + NscName(p);
  std::string name;
  if (v == "Compaq FX!32") name = "Alpha";
  if (v == "ConnectixCPU") name = "PowerPC";
  if (const char* typeName = ProcessorTypeName(cpu.ProcessorType())) name = typeName;
  return name;
}

}  // namespace

ProcessorInfo& Processor() { return g_processor; }

void ResetProcessorInfoForTest() { g_processor = ProcessorInfo{}; }

bool PackedKernelsAllowed() { return g_processor.mmx; }

int IdentifyProcessor() {
  ProcessorInfo& p = g_processor;
  if (p.identified) return 2;
  p.identified = true;
  platform::CpuidSource& cpu = platform::Cpuid();
  if (!cpu.HasCpuid()) return 0;

  Leaves l;
  const platform::CpuidRegisters leaf0 = cpu.Query(0);
  l.maxLeaf = leaf0.eax;
  p.vendor = RegisterText(leaf0.ebx) + RegisterText(leaf0.edx) + RegisterText(leaf0.ecx);
  if (l.maxLeaf >= 1) l.leaf1 = cpu.Query(1);
  l.maxExtended = cpu.Query(0x80000000u).eax;
  if (l.maxExtended < 0x80000000u || l.maxExtended > 0x8000FFFFu) l.maxExtended = 0;
  if (l.maxExtended >= 0x80000001u) l.ext1 = cpu.Query(0x80000001u);
  if (l.maxExtended >= 0x80000004u) {
    std::string brand;
    for (uint32_t leaf = 0x80000002u; leaf <= 0x80000004u; ++leaf) {
      const platform::CpuidRegisters r = cpu.Query(leaf);
      brand += RegisterText(r.eax) + RegisterText(r.ebx) + RegisterText(r.ecx) + RegisterText(r.edx);
    }
    brand.resize(std::strlen(brand.c_str()));
    const size_t start = brand.find_first_not_of(' ');
    p.brand = start == std::string::npos ? std::string() : brand.substr(start);
    p.hasBrand = !p.brand.empty();
  }
  if (l.maxExtended >= 0x80000007u) p.mobile = Bit(cpu.Query(0x80000007u).edx, 2);

  const uint32_t sig = l.leaf1.eax;
  p.stepping = uint8_t(sig & 0xF);
  p.model = uint8_t((sig >> 4) & 0xF);
  p.family = uint8_t((sig >> 8) & 0xF);
  p.type = uint8_t((sig >> 12) & 0x3);
  l.extendedFamily = uint8_t((sig >> 20) & 0xFF);
  l.brandIndex = uint8_t(l.leaf1.ebx & 0xFF);

  const uint32_t edx = l.leaf1.edx;
  const uint32_t ecx = l.leaf1.ecx;
  p.fpu = Bit(edx, 0);
  p.tsc = Bit(edx, 4);
  p.cmov = Bit(edx, 15);
  p.mmx = Bit(edx, 23);
  p.sse = Bit(edx, 25);
  p.sse2 = Bit(edx, 26);
  p.htt = Bit(edx, 28) && ((l.leaf1.ebx >> 16) & 0xFF) > 1;
  p.edxBit30 = Bit(edx, 30);
  p.sse3 = Bit(ecx, 0);
  const uint32_t xedx = l.ext1.edx;
  p.mmxPlus = Bit(xedx, 22);
  p.amd3dNowPlus = Bit(xedx, 30);
  p.amd3dNow = Bit(xedx, 31);
  p.longMode = Bit(xedx, 29);
  p.multiprocessor = Bit(xedx, 19);
  p.integerSse = p.mmxPlus || p.sse;

  ReadCaches(p, l, cpu);
  p.name = TableName(p, l, cpu);
  // A vendor prefix with no model name after it still counts as nothing.
  if (p.name.empty() || p.name.back() == ' ') p.name = "Unknown";
  return 1;
}

}  // namespace orrivel
